#include "vexlo/adapters/Vexlo.VCLObj.TDBCheckBox.h"

#include "platform/ui/DBCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.DBCheckBox.h"

namespace vexlo {

core::TComponentClass TVCLObjTDBCheckBox::VCLClass() const {
  return &ui::TDBCheckBox::StaticClass();
}

void TVCLObjTDBCheckBox::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneDBCheckBox>();
  auto* check = ControlAs<ui::TDBCheckBox>();
  if (!kind || !check) return;
  if (check->DataSource()) kind->Dataware().SetDataSource(check->DataSource());
  if (!check->DataField().empty()) kind->Dataware().SetDataField(check->DataField());
  kind->SetValueChecked(check->ValueChecked());
  kind->SetValueUnChecked(check->ValueUnchecked());
  kind->SetOnGetText([check] { return orvane::TOrvaneVariant(check->Caption()); });
  SetEnabledVisibleProcs(*kind, check);
  SetReadOnlyProcs(*kind, check);
}

void TVCLObjTDBCheckBox::ProcessEventClass() {
  if (auto kind = FrameworkItemClass())
    ForwardEvents(*kind, ControlAs<ui::TDBCheckBox>(),
                  feClick | feEnter | feExit | feKeyDown | feKeyPress);
}

}  // namespace vexlo
