#include "vexlo/Vexlo.h"

#include "vexlo/Vexlo.Item.VCLObj.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"

namespace vexlo {

TVexlo::TVexlo(TVexloForm* AForm)
    : TVexloClass(AForm), FItems(std::make_unique<TVexloItems>(this)) {}

TVexlo::~TVexlo() {
  FItems.reset();
}

void TVexlo::Render() {
  RenderVexlo(FItems->Items());
}

void TVexlo::AddControlItem(core::TComponent& AControl) {
  FItems->Add().VCLObj(&AControl);
}

}  // namespace vexlo
