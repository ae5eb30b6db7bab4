#include "vexlo/Vexlo.Forms.h"

#include <algorithm>

#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.Session.h"
#include "vexlo/Vexlo.Manager.h"
#include "vexlo/Vexlo.Orvane.Form.h"
#include "vexlo/Vexlo.Orvane.h"
#include "vexlo/Vexlo.h"

namespace vexlo {

const core::TClassInfo& TVexloForm::StaticClass() {
  static core::TClassInfo info = [] {
    core::TClassInfo c("TVexloForm", &ui::TForm::StaticClass(), core::FactoryOf<TVexloForm>());
    using core::MakeProp;
    using core::TPropKind;
    c.AddProperty(MakeProp<TVexloForm, std::string>(
        "Title", TPropKind::String, "string", [](const TVexloForm& f) { return f.Title(); },
        [](TVexloForm& f, std::string v) { f.SetTitle(v); }));
    c.AddProperty(MakeProp<TVexloForm, std::string>(
        "SubTitle", TPropKind::String, "string", [](const TVexloForm& f) { return f.SubTitle(); },
        [](TVexloForm& f, std::string v) { f.SetSubTitle(v); }));
    c.AddProperty(MakeProp<TVexloForm, bool>(
        "ShowingModal", TPropKind::Bool, "Boolean",
        [](const TVexloForm& f) { return f.ShowingModal(); },
        [](TVexloForm& f, bool v) { f.SetShowingModal(v); }));
    c.AddProperty(MakeProp<TVexloForm, TVexloForm*>(
        "PriorVexlo", TPropKind::Component, "TVexloForm",
        [](const TVexloForm& f) { return f.PriorVexlo(); },
        [](TVexloForm& f, TVexloForm* v) { f.SetPriorVexlo(v); }));
    c.AddProperty(MakeProp<TVexloForm, bool>(
        "UsedVexloInstance", TPropKind::Bool, "Boolean",
        [](const TVexloForm& f) { return f.UsedVexloInstance(); },
        [](TVexloForm& f, bool v) { f.SetUsedVexloInstance(v); }));
    return c;
  }();
  return info;
}

TVexloForm::TVexloForm(core::TComponent* AOwner) : ui::TForm(AOwner) {}

TVexloForm::TVexloForm(TVexloInstance& AOwner) : ui::TForm(AOwner.Owner()) {}

void TVexloForm::AfterConstruction() {
  ui::TForm::AfterConstruction();
  if (orvane::IOrvaneSession* session = orvane::CurrentOrvaneSession()) AttachVexlo(session);
}

void TVexloForm::AttachVexlo(orvane::IOrvaneSession* ASession) {
  if (FVexlo || !ASession) return;
  auto vexlo = std::make_unique<TVexlo>(this);
  vexlo->SetOrvaneSession(ASession);
  auto framework = std::make_unique<TVexloOrvaneFramework>(vexlo.get());
  TVexloOrvaneFramework* fw = framework.get();
  vexlo->SetFrameworkExportType(std::move(framework));
  if (IVexloManager* manager = VexloManager()) {
    if (!manager->GetTemplateMasterHTMLFile().empty())
      fw->SetTemplateMasterHTMLFile(manager->GetTemplateMasterHTMLFile());
    if (!manager->GetTemplatePageHTMLFile().empty())
      fw->SetTemplatePageHTMLFile(manager->GetTemplatePageHTMLFile());
  }
  fw->AddFormByClass(&TVexloOrvaneForm::StaticClass(), nullptr);
  FVexlo = vexlo.release();
  ExportVexlo();
}

void TVexloForm::DetachVexlo() {
  TVexlo* vexlo = std::exchange(FVexlo, nullptr);
  if (!vexlo) return;
  if (orvane::IOrvaneSession* session = vexlo->OrvaneSession()) session->RemoveVexloClass(vexlo);
  delete vexlo;
}

void TVexloForm::BeforeDestruction() {
  ui::TForm::BeforeDestruction();
  DetachVexlo();
}

orvane::TOrvaneForm* TVexloForm::OrvaneForm() const {
  return FVexlo ? FVexlo->GetFormObject() : nullptr;
}

TVexloForm::~TVexloForm() {
  DetachVexlo();
  // A form registered through a registry takes its class out of the global
  // registry (always the global one).
  if (FUsedVexloInstance) GlobalVexloInstance().RemoveInstance(this);
}

void TVexloForm::SetPriorVexlo(TVexloForm* AValue) {
  if (FPriorVexlo == AValue) return;
  if (FPriorVexlo) RemoveFreeNotification(FPriorVexlo);
  FPriorVexlo = AValue;
  if (FPriorVexlo) FreeNotification(FPriorVexlo);
}

void TVexloForm::Notification(core::TComponent* AComponent, core::TOperation AOperation) {
  ui::TForm::Notification(AComponent, AOperation);
  if (AOperation == core::TOperation::opRemove && AComponent == FPriorVexlo) FPriorVexlo = nullptr;
}

void TVexloForm::DoPageLoaded() {
  if (IVexloManager* manager = VexloManager())
    if (manager->GetPrimaryFormClass() == &ClassType()) FShowing = true;
  if (OnShow) OnShow(this);
  Activate();
  if (FPriorVexlo && FPriorVexlo != this && !FPriorVexlo->ShowingModal())
    FPriorVexlo->DoCloseShowmodal();
  if (FOnPageLoaded) FOnPageLoaded(this);
}

void TVexloForm::DoUpload(const std::vector<std::string>& AFiles, core::TComponent* Sender) {
  if (FOnUpload) FOnUpload(AFiles, Sender);
}

void TVexloForm::DoRenderOrvaneControl(orvane::TOrvaneControl* AOrvaneControl,
                                       std::string& HTMLControl) {
  RenderVexlo(AOrvaneControl, HTMLControl);
}

void TVexloForm::DoInitOrvaneControl(orvane::TOrvaneControl* AOrvaneControl) {
  InitControlsVexlo(AOrvaneControl);
}

void TVexloForm::DoTagHTML(const std::string& TagString, std::string& ReplaceTag) {
  if (FOnTagHTML) FOnTagHTML(TagString, ReplaceTag);
}

void TVexloForm::DestroyInstance() {
  Free();
}

void TVexloForm::Release() {
  Free();
}

void TVexloForm::ShowMessage(const std::string& Msg) {
  ui::ShowMessagePos(Msg, -1, -1);
}

ui::TModalResult TVexloForm::MessageDlg(const std::string& Msg, ui::TMsgDlgType DlgType,
                                        ui::TMsgDlgButtons Buttons, int HelpCtx) {
  return ui::MessageDlgPosHelp(Msg, DlgType, Buttons, HelpCtx, -1, -1, "");
}

ui::TModalResult TVexloForm::MessageDlg(const std::string& Msg, ui::TMsgDlgType DlgType,
                                        ui::TMsgDlgButtons Buttons, int HelpCtx,
                                        const std::function<void(ui::TModalResult)>&) {
  return MessageDlg(Msg, DlgType, Buttons, HelpCtx);
}

void TVexloForm::ShowPopup(const std::string&) {}

void TVexloForm::ClosePopup(const std::string&) {}

void TVexloForm::PopupOpened(const std::string& AName) {
  if (FOnShowPopup) FOnShowPopup(AName, "");
}

void TVexloForm::PopupClosed(const std::string& AName) {
  auto it = std::find(FPopupsShowing.begin(), FPopupsShowing.end(), AName);
  if (it != FPopupsShowing.end()) FPopupsShowing.erase(it);
  if (FOnClosePopup) FOnClosePopup(AName, "");
}

std::string TVexloForm::Language() const {
  return FVexlo ? VexloLangName(FVexlo->GetLanguage()) : "";
}

void TVexloForm::SetLanguage(const std::string& AValue) {
  if (FVexlo) FVexlo->SetLanguage(VexloLangByName(AValue));
}

void TVexloForm::Clear() {
  if (FVexlo) FVexlo->HTML().Clear();
}

void TVexloForm::Render() {
  if (FVexlo) FVexlo->Render();
}

void TVexloForm::DoCloseShowmodal() {
  orvane::TOrvaneForm* form = OrvaneForm();
  orvane::IOrvaneSession* session = FVexlo ? FVexlo->OrvaneSession() : nullptr;
  if (form && session) session->UnLock(form->GetFormUUID() + "_showmodal");
  FShowingModal = false;
}

void TVexloForm::ExportVexloAllControls() {
  if (!FVexlo) return;
  for (int i = 0; i < ControlCount(); ++i) {
    ui::TControl* c = Controls(i);
    if (FVexlo->ObjectExported(c->Name())) continue;
    if (FVexlo->SupportsControl(*c)) FVexlo->AddControlItem(*c);
  }
}

}  // namespace vexlo
