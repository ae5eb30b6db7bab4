// The DB combo box adapter: its data binding and item list go to the
// data-aware combo box kind.
#pragma once

#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace vexlo {

class TVCLObjTDBCombobox : public TVexloVCLObj {
 public:
  using TVexloVCLObj::TVexloVCLObj;
  std::string CSSClass() const override { return "form-select"; }
  core::TComponentClass VCLClass() const override;
  // The default list without "Text".
  std::vector<std::string> PropertyCopyList() override;
  void ProcessPropertyClass(orvane::TOrvaneControl* NewObj) override;
  void ProcessEventClass() override;

 protected:
  IVexloFrameworkItemPtr KindOf(IVexloFrameworkType& AFramework) override {
    return AFramework.DBCombobox();
  }
};

}  // namespace vexlo
