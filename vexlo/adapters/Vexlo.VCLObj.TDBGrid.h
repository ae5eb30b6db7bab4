// The grid adapter: its data source, editing switch and columns go to the
// grid kind; the grid's own events are the kind's.
#pragma once

#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace vexlo {

class TVCLObjTDBGrid : public TVexloVCLObj {
 public:
  using TVexloVCLObj::TVexloVCLObj;
  std::string CSSClass() const override {
    return "table table-hover table-sm table-bordered ui-jqgrid-htable cursor-pointer";
  }
  core::TComponentClass VCLClass() const override;
  void ProcessPropertyClass(orvane::TOrvaneControl* NewObj) override;
  void ProcessEventClass() override;

 protected:
  IVexloFrameworkItemPtr KindOf(IVexloFrameworkType& AFramework) override {
    return AFramework.DBGrid();
  }
};

}  // namespace vexlo
