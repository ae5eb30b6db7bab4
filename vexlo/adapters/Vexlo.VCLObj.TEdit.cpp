#include "vexlo/adapters/Vexlo.VCLObj.TEdit.h"

#include "platform/ui/StdCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.Edit.h"

namespace vexlo {

core::TComponentClass TVCLObjTEdit::VCLClass() const {
  return &ui::TEdit::StaticClass();
}

void TVCLObjTEdit::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneEdit>();
  auto* edit = ControlAs<ui::TCustomEdit>();
  if (!kind || !edit) return;
  if (edit->PasswordChar() != 0)
    kind->SetEditDataType(orvane::TOrvaneFieldType::OrvaneFieldTypePassword);
  kind->SetCharCase(static_cast<orvane::TEditCharCase>(edit->CharCase()));
  SetEnabledVisibleProcs(*kind, edit);
  SetReadOnlyProcs(*kind, edit);
  kind->SetOnGetText([edit] { return orvane::TOrvaneVariant(edit->Text()); });
  kind->SetOnSetText([edit](const orvane::TOrvaneVariant& AValue) {
    Silently(edit, &ui::TCustomEdit::OnChange, [&] { edit->SetText(orvane::VarToStr(AValue)); });
  });
}

void TVCLObjTEdit::ProcessEventClass() {
  auto kind = FrameworkItemClass();
  auto* edit = ControlAs<ui::TCustomEdit>();
  if (!kind || !edit) return;
  ForwardEvents(*kind, edit, feClick | feEnter | feExit);
  if (edit->OnChange) kind->SetOnChange(NotifyProc(edit, &ui::TCustomEdit::OnChange));
  ForwardEvents(*kind, edit, feKeyDown | feKeyPress);
}

}  // namespace vexlo
