// The lookup combo box adapter: its data binding and list binding go to the
// lookup kind (the first of several list fields only).
#pragma once

#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace vexlo {

class TVCLObjTDBLookupCombobox : public TVexloVCLObj {
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
    return AFramework.DBLookupCombobox();
  }
};

}  // namespace vexlo
