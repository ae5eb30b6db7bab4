// The edit adapter: a desktop edit as a web edit, its text both ways, a
// password character making a password field.
#pragma once

#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace vexlo {

class TVCLObjTEdit : public TVexloVCLObj {
 public:
  using TVexloVCLObj::TVexloVCLObj;
  std::string CSSClass() const override { return "form-control"; }
  core::TComponentClass VCLClass() const override;
  void ProcessPropertyClass(orvane::TOrvaneControl* NewObj) override;
  void ProcessEventClass() override;

 protected:
  IVexloFrameworkItemPtr KindOf(IVexloFrameworkType& AFramework) override {
    return AFramework.Edit();
  }
};

}  // namespace vexlo
