// The date picker adapter: a date picker as a web edit of the date type,
// its date both ways as text.
#pragma once

#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace vexlo {

class TVCLObjTDateTimePicker : public TVexloVCLObj {
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
