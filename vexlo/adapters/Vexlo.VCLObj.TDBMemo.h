// The DB memo adapter: its data source and field go to the data-aware memo
// kind, with its states.
#pragma once

#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace vexlo {

class TVCLObjTDBMemo : public TVexloVCLObj {
 public:
  using TVexloVCLObj::TVexloVCLObj;
  std::string CSSClass() const override { return "form-control"; }
  core::TComponentClass VCLClass() const override;
  void ProcessPropertyClass(orvane::TOrvaneControl* NewObj) override;
  void ProcessEventClass() override;

 protected:
  IVexloFrameworkItemPtr KindOf(IVexloFrameworkType& AFramework) override {
    return AFramework.DBMemo();
  }
};

}  // namespace vexlo
