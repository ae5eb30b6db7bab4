#include "vexlo/adapters/Vexlo.VCLObj.TDBText.h"

#include "platform/ui/DBCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.DBText.h"

namespace vexlo {

core::TComponentClass TVCLObjTDBText::VCLClass() const {
  return &ui::TDBText::StaticClass();
}

void TVCLObjTDBText::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneDBText>();
  auto* text = ControlAs<ui::TDBText>();
  if (!kind || !text) return;
  if (text->DataSource()) kind->DataWare().SetDataSource(text->DataSource());
  if (!text->DataField().empty()) kind->DataWare().SetDataField(text->DataField());
}

void TVCLObjTDBText::ProcessEventClass() {
  if (auto kind = FrameworkItemClass()) ForwardEvents(*kind, ControlAs<ui::TDBText>(), feClick);
}

}  // namespace vexlo
