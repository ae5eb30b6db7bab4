// The label adapter: a desktop label as a web label showing its caption.
#pragma once

#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace vexlo {

class TVCLObjTLabel : public TVexloVCLObj {
 public:
  using TVexloVCLObj::TVexloVCLObj;
  std::string CSSClass() const override { return "form-control-plaintext"; }
  core::TComponentClass VCLClass() const override;
  void ProcessPropertyClass(orvane::TOrvaneControl* NewObj) override;
  void ProcessEventClass() override;

 protected:
  IVexloFrameworkItemPtr KindOf(IVexloFrameworkType& AFramework) override {
    return AFramework.Text();
  }
};

}  // namespace vexlo
