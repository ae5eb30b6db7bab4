#include "vexlo/Vexlo.Forms.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "orvane/controls/Orvane.DBGrid.h"
#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Server.HTML.h"
#include "orvane/server/Orvane.Session.h"
#include "orvane/server/Orvane.Util.h"
#include "vexlo/Vexlo.Item.HTML.Popup.h"
#include "vexlo/Vexlo.Item.Nested.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.Manager.h"
#include "vexlo/Vexlo.Orvane.Form.h"
#include "vexlo/Vexlo.Orvane.h"
#include "vexlo/Vexlo.Util.h"
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
  if (AOperation != core::TOperation::opRemove) return;
  if (AComponent == FPriorVexlo) FPriorVexlo = nullptr;
  if (AComponent == FPopupHost) FPopupHost = nullptr;
  for (const TModalPopup& p : FModalPopups)
    if (p.Form == AComponent) {
      CloseModalPopup(p.Form, false);
      break;
    }
}

void TVexloForm::DoPageLoaded() {
  if (IVexloManager* manager = VexloManager())
    if (manager->GetPrimaryFormClass() == &ClassType()) FShowing = true;
  if (OnShow) OnShow(this);
  Activate();
  if (FPriorVexlo && FPriorVexlo != this && !FPriorVexlo->ShowingModal())
    FPriorVexlo->DoCloseShowmodal();
  if (FOnPageLoaded) FOnPageLoaded(this);
  // The modal popups open over the page again.
  for (const TModalPopup& p : FModalPopups) ShowPopup(p.Form->ModalPopupName());
}

void TVexloForm::DoCellButtonClick(orvane::IOrvaneDBGrid* AOrvaneDBGrid,
                                   orvane::IOrvaneDBGridColumnButton* AOrvaneCellButton, int ARow,
                                   int AColIndex) {
  if (!AOrvaneCellButton) return;
  if (orvane::TOrvaneCellButtonProc proc = AOrvaneCellButton->GetProc()) proc();
  if (core::TNotifyEvent click = AOrvaneCellButton->GetOnClick()) click(this);
  CellButtonClick(dynamic_cast<orvane::TOrvaneDBGrid*>(AOrvaneDBGrid),
                  dynamic_cast<orvane::TOrvaneDBGridColumnButton*>(AOrvaneCellButton), ARow,
                  AColIndex);
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

bool TVexloForm::WebSessionEnding() const {
  orvane::IOrvaneSession* session = WebSession();
  return session && (session->Closing() || session->Destroying());
}

orvane::IOrvaneSession* TVexloForm::WebSession() const {
  return FVexlo ? FVexlo->OrvaneSession() : nullptr;
}

void TVexloForm::ShowMessage(const std::string& Msg) {
  if (WebSession())
    WebMessageDlg("", Msg, ui::mtInformation, ui::TMsgDlgButtons{ui::mbOK});
  else
    ui::ShowMessagePos(Msg, -1, -1);
}

ui::TModalResult TVexloForm::MessageDlg(const std::string& Msg, ui::TMsgDlgType DlgType,
                                        ui::TMsgDlgButtons Buttons, int HelpCtx) {
  if (WebSession()) return WebMessageDlg(ui::MessageDlgCaption(DlgType), Msg, DlgType, Buttons);
  return ui::MessageDlgPosHelp(Msg, DlgType, Buttons, HelpCtx, -1, -1, "");
}

ui::TModalResult TVexloForm::MessageDlg(const std::string& Msg, ui::TMsgDlgType DlgType,
                                        ui::TMsgDlgButtons Buttons, int HelpCtx,
                                        const std::function<void(ui::TModalResult)>& AWebResult) {
  ui::TModalResult result = MessageDlg(Msg, DlgType, Buttons, HelpCtx);
  if (WebSession() && AWebResult) AWebResult(result);
  return result;
}

namespace {

const char* DialogIcon(ui::TMsgDlgType AType) {
  switch (AType) {
    case ui::mtWarning:
      return "warning";
    case ui::mtError:
      return "error";
    case ui::mtConfirmation:
      return "question";
    case ui::mtInformation:
      return "info";
    default:
      return "";
  }
}

// The button Escape answers as: Cancelar, else Não, else OK, else the last.
ui::TMsgDlgBtn DismissButton(const ui::TMsgDlgButtons& AButtons) {
  for (ui::TMsgDlgBtn b : {ui::mbCancel, ui::mbNo, ui::mbOK})
    if (AButtons.Contains(b)) return b;
  return AButtons.List().back();
}

// The page's answer: "result=" and a modal result the dialog offers.
bool AnswerOf(const orvane::TStringList& AParameters, const std::vector<int>& AOffered,
              int& AResult) {
  const std::string text = orvane::ValueOf(AParameters, "result");
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || !end || *end != '\0') return false;
  if (std::find(AOffered.begin(), AOffered.end(), value) == AOffered.end()) return false;
  AResult = static_cast<int>(value);
  return true;
}

// What the page shows behind a dialog is up to date: the changes the
// handler made so far are pushed first.
void PushPageChanges(orvane::IOrvaneSession& ASession) {
  if (auto* form = dynamic_cast<orvane::TOrvaneForm*>(ASession.GetActiveForm()))
    form->orvane::TOrvaneForm::DoEventHandled();
}

// Frees a form later, as a work item of its session, unless it was freed
// meanwhile.
class TDeferredFree : public core::TComponent {
 public:
  explicit TDeferredFree(core::TComponent* ATarget) : FTarget(ATarget) {
    FreeNotification(FTarget);
  }
  ~TDeferredFree() override {
    if (FTarget) RemoveFreeNotification(FTarget);
  }
  void Run() {
    if (core::TComponent* target = std::exchange(FTarget, nullptr)) target->Free();
  }

 protected:
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override {
    core::TComponent::Notification(AComponent, AOperation);
    if (AOperation == core::TOperation::opRemove && AComponent == FTarget) FTarget = nullptr;
  }

 private:
  core::TComponent* FTarget;
};

}  // namespace

ui::TModalResult TVexloForm::WebMessageDlg(const std::string& ACaption, const std::string& AMsg,
                                           ui::TMsgDlgType ADlgType, ui::TMsgDlgButtons AButtons) {
  orvane::IOrvaneSession* session = WebSession();
  auto callbacks = session->GetCallBacks();
  if (!callbacks || session->Closing() || session->Destroying()) core::Abort();
  if (AButtons.Empty()) AButtons = ui::TMsgDlgButtons{ui::mbOK};
  nlohmann::json buttons = nlohmann::json::array();
  std::vector<int> offered;
  for (ui::TMsgDlgBtn b : AButtons.List()) {
    buttons.push_back(
        {{"caption", StripAccelerators(ui::ButtonCaption(b))}, {"result", ui::ModalResultOf(b)}});
    offered.push_back(ui::ModalResultOf(b));
  }
  const nlohmann::json options = {{"title", ACaption},
                                  {"text", AMsg},
                                  {"icon", DialogIcon(ADlgType)},
                                  {"buttons", buttons},
                                  {"dismiss", ui::ModalResultOf(DismissButton(AButtons))}};
  PushPageChanges(*session);
  // The answer comes back as a callback of its own; the wait is a named
  // lock, which lends the forms guard to the work that answers it.
  const std::string id = orvane::GenerateRandomString(16);
  const std::string lockName = "messagedlg_" + id;
  const std::string callbackName = "CallBackMessageResponse" + id;
  auto answer = std::make_shared<std::atomic<int>>(-1);
  callbacks->Register(callbackName,
                      [session, answer, offered, lockName](const orvane::TStringList& AParameters) {
                        int result = 0;
                        // An answer the dialog does not offer is no answer.
                        if (AnswerOf(AParameters, offered, result)) {
                          answer->store(result);
                          session->UnLock(lockName);
                        }
                        return std::string();
                      });
  const std::string reply = callbacks->CallBackJS(callbackName, "", false, "\"result=\" + result");
  session->ExecJS("UnLockThreadClient(); OrvaneMessageDlg(" +
                  options.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace) +
                  ", function (result) { " + reply + "; });");
  session->Lock(lockName);
  callbacks->Unregister(callbackName);
  if (session->Closing() || session->Destroying() || answer->load() < 0) core::Abort();
  return answer->load();
}

void TVexloForm::ShowWebError(const std::string& AMessage) {
  orvane::IOrvaneSession* session = WebSession();
  if (!session) return;
  const nlohmann::json options = {
      {"title", ui::MessageDlgCaption(ui::mtError)},
      {"text", AMessage},
      {"icon", "error"},
      {"buttons",
       nlohmann::json::array({{{"caption", StripAccelerators(ui::ButtonCaption(ui::mbOK))},
                               {"result", ui::ModalResultOf(ui::mbOK)}}})},
      {"dismiss", ui::ModalResultOf(ui::mbOK)}};
  session->ExecJS("UnLockThreadClient(); OrvaneMessageDlg(" +
                  options.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace) +
                  ", null);");
}

void TVexloForm::ShowWebPage() {
  orvane::IOrvaneSession* session = WebSession();
  FVisible = true;
  if (session->GetVexloBaseClass() != FVexlo) session->SetVexloBaseClass(FVexlo);
  orvane::TOrvaneServerHTML::ReloadPage(*session);
}

ui::TModalResult TVexloForm::ShowModal() {
  orvane::IOrvaneSession* session = WebSession();
  if (!session) return ui::TForm::ShowModal();
  if (FShowModalAsPopup) {
    orvane::IOrvaneVexloClass* page = session->GetVexloBaseClass();
    auto* host = page ? dynamic_cast<TVexloForm*>(page->GetVexloForm()) : nullptr;
    if (host && host != this && host->FVexlo && !FVexlo->VexloOwner()) return ShowModalPopup(host);
  }
  FOnModalClose = nullptr;
  SetModalResult(ui::mrNone);
  FShowingModal = true;
  FVisible = true;
  session->SetVexloBaseClass(FVexlo);
  // The page reloads and this thread waits until the form closes; a
  // closing session ends the wait with the silent abort.
  if (orvane::TOrvaneForm* form = OrvaneForm()) form->Show();
  FShowingModal = false;
  const ui::TModalResult result = ModalResult();
  if (auto free = std::static_pointer_cast<TDeferredFree>(std::exchange(FFreeAfterModal, nullptr)))
    session->ExecThread(false, [free] { free->Run(); });
  return result;
}

ui::TModalResult TVexloForm::ShowModalPopup(TVexloForm* AHost) {
  orvane::IOrvaneSession* session = WebSession();
  FOnModalClose = nullptr;
  SetModalResult(ui::mrNone);
  FShowingModal = true;
  FVisible = true;
  FPopupHost = AHost;
  FreeNotification(AHost);
  AHost->OpenModalPopup(this);
  // The page reloads with the popup; this thread waits until the form
  // closes (DoCloseShowmodal), lending the forms guard meanwhile.
  if (orvane::TOrvaneForm* form = OrvaneForm()) session->Lock(form->GetFormUUID() + "_showmodal");
  FShowingModal = false;
  FVisible = false;
  if (TVexloForm* host = std::exchange(FPopupHost, nullptr)) {
    RemoveFreeNotification(host);
    host->CloseModalPopup(this, true);
  }
  const ui::TModalResult result = ModalResult();
  if (auto free = std::static_pointer_cast<TDeferredFree>(std::exchange(FFreeAfterModal, nullptr)))
    session->ExecThread(false, [free] { free->Run(); });
  if (session->Closing() || session->Destroying()) core::Abort();
  return result;
}

void TVexloForm::OpenModalPopup(TVexloForm* AForm) {
  orvane::IOrvaneSession* session = WebSession();
  if (!session || !FVexlo || !AForm || !AForm->FVexlo) return;
  auto popup = FVexlo->Items().Add().Popup(AForm->ModalPopupName(), AForm->Caption(), false);
  popup->Items().Add().Nested(AForm->Name());
  if (auto* web = dynamic_cast<TVexloOrvaneForm*>(FVexlo->GetFrameworkForm()))
    web->AddNested(AForm);
  FModalPopups.push_back({AForm, popup});
  FreeNotification(AForm);
  // The page comes again with the popup in it; it opens once the page has
  // loaded (DoPageLoaded).
  orvane::TOrvaneServerHTML::ReloadPage(*session);
}

void TVexloForm::CloseModalPopup(TVexloForm* AForm, bool AHide) {
  auto it = std::find_if(FModalPopups.begin(), FModalPopups.end(),
                         [&](const TModalPopup& p) { return p.Form == AForm; });
  if (it == FModalPopups.end()) return;
  std::shared_ptr<IVexloItemHTMLPopup> popup = it->Popup;
  FModalPopups.erase(it);
  RemoveFreeNotification(AForm);
  if (!FVexlo) return;
  if (AHide) ClosePopup(AForm->ModalPopupName());
  TVexloItems& children = popup->Items();
  while (children.Count() > 0) children.Remove(children.Item(children.Count() - 1));
  FVexlo->Items().Remove(popup);
  FVexlo->RemovePopup(popup);
  if (auto* web = dynamic_cast<TVexloOrvaneForm*>(FVexlo->GetFrameworkForm()))
    web->RemoveNested(AForm);
}

void TVexloForm::EndApplication() {
  orvane::IOrvaneSession* session = WebSession();
  if (!session) {
    ui::Application->Terminate();
    return;
  }
  // The page starts afresh (a request without the session's cookies makes a
  // new session); the session closes once this handler is done.
  session->ExecJS("isReloadPage = true; window.location.replace(window.location.pathname);");
  if (orvane::TOrvaneBaseClass* root = orvane::OrvaneBaseClass())
    root->CloseSessionLater(session->GetUUID());
}

void TVexloForm::ShowModal(std::function<void(ui::TModalResult)> AOnClose) {
  orvane::IOrvaneSession* session = WebSession();
  if (!session) {
    ui::TModalResult result = ui::TForm::ShowModal();
    if (AOnClose) AOnClose(result);
    return;
  }
  FOnModalClose = std::move(AOnClose);
  SetModalResult(ui::mrNone);
  FShowingModal = true;
  ShowWebPage();
}

void TVexloForm::Close() {
  if (!WebSession() || Parent())
    ui::TForm::Close();
  else
    WebClose();
}

bool TVexloForm::WebClose() {
  orvane::IOrvaneSession* session = WebSession();
  if (!CloseQuery()) return false;
  ui::TCloseAction action = ui::caHide;
  DoClose(action);
  if (action == ui::caNone) return false;
  const bool modal = FShowingModal;
  if (modal && ModalResult() == ui::mrNone) SetModalResult(ui::mrCancel);
  const ui::TModalResult result = ModalResult();
  // The page goes; the previous one shows again. A popup only hides (its
  // modal run takes it off the host's page).
  FVisible = false;
  if (FPopupHost)
    FPopupHost->ClosePopup(ModalPopupName());
  else if (IVexloFrameworkForm* web = FVexlo->GetFrameworkForm())
    web->Hide();
  // A form that frees itself goes once its modal run has handed its result
  // on (a later work item: the handler that closed it is still running).
  std::shared_ptr<TDeferredFree> free;
  if (action == ui::caFree)
    free.reset(new TDeferredFree(this), [](TDeferredFree* AFree) { AFree->Free(); });
  if (modal) {
    std::function<void(ui::TModalResult)> onClose = std::exchange(FOnModalClose, nullptr);
    const bool waited = !onClose;
    DoCloseShowmodal();
    if (waited && free) {
      // The waiting caller reads the result first (ShowModal).
      FFreeAfterModal = free;
    } else if (onClose || free) {
      session->ExecThread(false, [onClose, result, free] {
        if (onClose) onClose(result);
        if (free) free->Run();
      });
    }
  } else if (free) {
    session->ExecThread(false, [free] { free->Run(); });
  }
  return true;
}

bool TVexloForm::CloseWhenModalResult() {
  if (!WebSession() || !FShowingModal || ModalResult() == ui::mrNone) return true;
  if (WebClose()) return true;
  // Refused: the form stays, as the desktop's modal loop leaves it.
  SetModalResult(ui::mrNone);
  return false;
}

void TVexloForm::SetVisible(bool AValue) {
  if (!WebSession() || Parent()) {
    ui::TForm::SetVisible(AValue);
    return;
  }
  if (AValue) {
    ShowWebPage();
  } else if (FVisible) {
    FVisible = false;
    if (IVexloFrameworkForm* web = FVexlo->GetFrameworkForm()) web->Hide();
  }
}

namespace {

std::string PopupScript(const std::string& AName, const char* AAction) {
  return "(function () { var e = document.getElementById(" +
         orvane::FormatValueHTML(orvane::UpperCase(AName)) +
         "); if (e && window.bootstrap) bootstrap.Modal.getOrCreateInstance(e)." + AAction +
         "(); })();";
}

}  // namespace

void TVexloForm::ShowPopup(const std::string& AName) {
  orvane::IOrvaneSession* session = WebSession();
  if (!session) return;
  if (std::find(FPopupsShowing.begin(), FPopupsShowing.end(), AName) == FPopupsShowing.end())
    FPopupsShowing.push_back(AName);
  session->ExecJS(PopupScript(AName, "show"));
}

void TVexloForm::ClosePopup(const std::string& AName) {
  if (orvane::IOrvaneSession* session = WebSession()) session->ExecJS(PopupScript(AName, "hide"));
}

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
