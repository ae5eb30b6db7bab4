#include "vexlo/adapters/Vexlo.VCLObj.TDBEdit.h"

#include "platform/ui/DBCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.DBEdit.h"

namespace vexlo {

core::TComponentClass TVCLObjTDBEdit::VCLClass() const {
  return &ui::TDBEdit::StaticClass();
}

void TVCLObjTDBEdit::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneDBEdit>();
  auto* edit = ControlAs<ui::TDBEdit>();
  if (!kind || !edit) return;
  if (edit->DataSource()) kind->DataWare().SetDataSource(edit->DataSource());
  if (!edit->DataField().empty()) kind->DataWare().SetDataField(edit->DataField());
  kind->SetCharCase(static_cast<orvane::TEditCharCase>(edit->CharCase()));
  SetEnabledVisibleProcs(*kind, edit);
  SetReadOnlyProcs(*kind, edit);
  // Recorded only: the data-aware web edit takes its type from the field.
  if (edit->PasswordChar() != 0)
    kind->SetEditDataType(orvane::TOrvaneFieldType::OrvaneFieldTypePassword);
}

void TVCLObjTDBEdit::ProcessEventClass() {
  auto kind = FrameworkItemClass();
  auto* edit = ControlAs<ui::TDBEdit>();
  if (!kind || !edit) return;
  ForwardEvents(*kind, edit, feClick | feEnter | feExit);
  if (edit->OnChange) kind->SetOnChange(NotifyProc(edit, &ui::TCustomEdit::OnChange));
  ForwardEvents(*kind, edit, feKeyDown | feKeyPress);
}

}  // namespace vexlo
