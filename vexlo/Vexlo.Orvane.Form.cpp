#include "vexlo/Vexlo.Orvane.Form.h"

#include "vexlo/Vexlo.BaseClass.h"
#include "vexlo/Vexlo.Forms.h"
#include "vexlo/Vexlo.Orvane.h"
#include "vexlo/Vexlo.h"

namespace vexlo {

const core::TClassInfo& TVexloOrvaneForm::StaticClass() {
  static core::TClassInfo info("TVexloOrvaneForm", &orvane::TOrvaneForm::StaticClass(), nullptr);
  return info;
}

TVexloOrvaneForm::TVexloOrvaneForm(core::TComponent* AOwner, TVexloOrvaneFramework& AFramework)
    : orvane::TOrvaneForm(AOwner) {
  SetBaseClass(AFramework.BaseClass());
  if (FBaseClass) {
    SetSession(FBaseClass->OrvaneSession());
    for (int i = 0; i < FBaseClass->NestedCount(); ++i)
      if (orvane::TOrvaneForm* nested = FBaseClass->Nested(i)->GetFormObject())
        for (orvane::TOrvaneControl* control : nested->Controls()) AddControl(control);
  }
  SetTemplateMasterHTMLFile(AFramework.GetTemplateMasterHTMLFile());
  SetTemplatePageHTMLFile(AFramework.GetTemplatePageHTMLFile());
}

void TVexloOrvaneForm::SetBaseClass(TVexloClass* AValue) {
  FBaseClass = AValue;
  SetVexloClass(AValue);
}

TVexloForm* TVexloOrvaneForm::VexloForm() const {
  return FBaseClass ? FBaseClass->FormAOwner() : nullptr;
}

void TVexloOrvaneForm::AddNested(TVexloForm* AVexloForm) {
  if (!FBaseClass || !AVexloForm || !AVexloForm->Vexlo()) return;
  bool known = false;
  for (int i = 0; i < FBaseClass->NestedCount(); ++i)
    known = known || FBaseClass->Nested(i) == AVexloForm->Vexlo();
  FBaseClass->AddNested(AVexloForm);
  if (known) return;
  if (orvane::TOrvaneForm* nested = AVexloForm->Vexlo()->GetFormObject())
    for (orvane::TOrvaneControl* control : nested->Controls()) AddControl(control);
}

void TVexloOrvaneForm::RemoveNested(TVexloForm* AVexloForm) {
  if (!FBaseClass || !AVexloForm || !AVexloForm->Vexlo()) return;
  FBaseClass->RemoveNested(AVexloForm->Vexlo());
  if (orvane::TOrvaneForm* nested = AVexloForm->Vexlo()->GetFormObject()) {
    std::vector<orvane::TOrvaneControl*> controls = nested->Controls();
    for (orvane::TOrvaneControl* control : controls) RemoveControl(control);
  }
}

void TVexloOrvaneForm::DoEventHandled() {
  if (TVexloForm* form = VexloForm()) form->CloseWhenModalResult();
  if (TVexloClass* host = FBaseClass ? FBaseClass->VexloOwner() : nullptr)
    if (orvane::TOrvaneForm* page = host->GetFormObject()) {
      page->DoEventHandled();
      return;
    }
  orvane::TOrvaneForm::DoEventHandled();
}

void TVexloOrvaneForm::Hide() {
  onFormUnload();
  orvane::IOrvaneSession* session = GetSession();
  if (!session || !FBaseClass) return;
  session->RemoveVexloClass(FBaseClass);
  std::vector<orvane::IOrvaneVexloClass*> open = session->GetVexloForms();
  if (open.empty()) return;
  orvane::IOrvaneVexloClass* last = open.back();
  session->SetVexloBaseClass(last);
  if (auto* form = dynamic_cast<ui::TCustomForm*>(last->GetVexloForm())) form->Show();
}

}  // namespace vexlo
