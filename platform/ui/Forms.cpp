#include "platform/ui/Forms.h"

#include <algorithm>
#include <iostream>

#include "platform/ui/Headless.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

namespace {

// Follows one component and forgets it when it is freed.
class TComponentRef : public TComponent {
 public:
  explicit TComponentRef(TComponent* ATarget) : TComponent(nullptr), Target(ATarget) {
    FreeNotification(ATarget);
  }
  TComponent* Target;

 protected:
  void Notification(TComponent* AComponent, TOperation AOperation) override {
    TComponent::Notification(AComponent, AOperation);
    if (AOperation == TOperation::opRemove && AComponent == Target) Target = nullptr;
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// TCustomForm

const TClassInfo& TCustomForm::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TCustomForm", &TWinControl::StaticClass(), nullptr);
    c.AddProperty(CORE_PROP(TCustomForm, std::string, "Caption", TPropKind::String, "TCaption",
                            Caption, SetCaption));
    c.AddProperty(CORE_PROP(TCustomForm, int, "ClientWidth", TPropKind::Integer, "Integer",
                            ClientWidth, SetClientWidth));
    c.AddProperty(CORE_PROP(TCustomForm, int, "ClientHeight", TPropKind::Integer, "Integer",
                            ClientHeight, SetClientHeight));
    c.AddProperty(CORE_PROP(TCustomForm, TFormBorderStyle, "BorderStyle", TPropKind::Enum,
                            "TFormBorderStyle", BorderStyle, SetBorderStyle));
    c.AddProperty(CORE_PROP(TCustomForm, TPosition, "Position", TPropKind::Enum, "TPosition",
                            Position, SetPosition));
    c.AddProperty(CORE_PROP(TCustomForm, TWindowState, "WindowState", TPropKind::Enum,
                            "TWindowState", WindowState, SetWindowState));
    c.AddProperty(CORE_PROP(TCustomForm, bool, "KeyPreview", TPropKind::Bool, "Boolean", KeyPreview,
                            SetKeyPreview));
    c.AddProperty(CORE_PROP(TCustomForm, int, "ModalResult", TPropKind::Integer, "TModalResult",
                            ModalResult, SetModalResult));
    return c;
  }();
  return info;
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  FWidth = 640;
  FHeight = 480;
  Application->AddForm(this);
}

TCustomForm::~TCustomForm() {
  BeginDestroy();
  *FAlive = false;
  if (FVisible && !FParent && Peer()) Application->Backend()->HideForm(*this);
  DestroyComponents();
  FActiveControl = nullptr;
  Application->RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
  TWinControl::AfterConstruction();
  FCreated = true;
  DoCreate();
}

void TCustomForm::BeforeDestruction() {
  if (!FDestroyFired) {
    FDestroyFired = true;
    try {
      DoDestroy();
    } catch (...) {
      Application->HandleException(std::current_exception());
    }
  }
  TWinControl::BeforeDestruction();
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}
void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}
void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}
void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}
void TCustomForm::DoClose(TCloseAction& AAction) {
  if (OnClose) OnClose(this, AAction);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle AValue) {
  if (AValue == FBorderStyle) return;
  FBorderStyle = AValue;
  Changed(TControlChange::Style);
}

void TCustomForm::SetWindowState(TWindowState AValue) {
  if (AValue == FWindowState) return;
  FWindowState = AValue;
  Changed(TControlChange::Style);
}

void TCustomForm::SetMenu(TMainMenu* AValue) {
  if (AValue == FMenu) return;
  if (FMenu) RemoveFreeNotification(FMenu);
  FMenu = AValue;
  if (AValue) FreeNotification(AValue);
  Changed(TControlChange::Items);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation AOperation) {
  TWinControl::Notification(AComponent, AOperation);
  if (AOperation != TOperation::opRemove) return;
  if (AComponent == FMenu) FMenu = nullptr;
  if (AComponent == FActiveControl) FActiveControl = nullptr;
}

void TCustomForm::SetActiveControl(TWinControl* AControl) {
  if (AControl == FActiveControl) return;
  if (AControl && !ContainsControl(AControl))
    throw EToolkitError("O controle não pertence a este formulário");
  TWinControl* old = FActiveControl;
  FActiveControl = AControl;
  if (old && !old->Destroying() && !Destroying()) old->DoExit();
  if (FActiveControl && FActiveControl == AControl) {
    AControl->DoEnter();
    if (AControl->Peer()) AControl->Peer()->SetFocus();
  }
}

void TCustomForm::SelectFirst() {
  TWinControl* c = FindNextControl(nullptr, true, true, false);
  if (c) SetActiveControl(c);
}

void TCustomForm::SetModalResult(TModalResult AValue) {
  FModalResult = AValue;
}

void TCustomForm::SetText(const std::string& AValue) {
  StoreText(AValue);
}

void TCustomForm::PlaceOnScreen() {
  TRect screen = Application->Backend()->ScreenRect();
  auto centreIn = [&](const TRect& r) {
    FLeft = r.Left + (r.Width() - FWidth) / 2;
    FTop = r.Top + (r.Height() - FHeight) / 2;
  };
  switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
      centreIn(screen);
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* ref = FPosition == poMainFormCenter ? Application->MainForm()
                                                       : dynamic_cast<TCustomForm*>(Owner());
      if (ref && ref != this && ref->Visible())
        centreIn(ref->BoundsRect());
      else
        centreIn(screen);
      break;
    }
    default:
      break;
  }
}

void TCustomForm::SetVisible(bool AValue) {
  if (AValue == FVisible) return;
  if (AValue) {
    if (!FParent) PlaceOnScreen();
    FVisible = true;
    DoShow();
    if (!FVisible) return;  // OnShow hid it again
    if (!FParent)
      Application->Backend()->ShowForm(*this);
    else {
      Changed(TControlChange::Visible);
      FParent->Realign();
    }
    Realign();
    if (!FActiveControl) SelectFirst();
    Activate();
  } else {
    FVisible = false;
    DoHide();
    if (!FParent)
      Application->Backend()->HideForm(*this);
    else {
      Changed(TControlChange::Visible);
      FParent->Realign();
    }
    Deactivate();
  }
}

void TCustomForm::Activate() {
  if (FActive) return;
  FActive = true;
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (!FActive) return;
  FActive = false;
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::BringToFront() {
  if (!FParent && FVisible) Application->Backend()->ShowForm(*this);
  TControl::BringToFront();
}

bool TCustomForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

bool TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  if (action == caNone) FModalResult = mrNone;
  if (action == caFree) Release();
  return FModalResult != mrNone;
}

TModalResult TCustomForm::ShowModal() {
  if (FModal || FVisible)
    throw EToolkitError("Não é possível exibir de forma modal uma janela já visível");
  FModalResult = mrNone;
  FModal = true;
  // A handler may free the form during its own modal run: the loop then ends.
  std::shared_ptr<bool> alive = FAlive;
  auto done = [this, alive]() -> bool {
    if (!*alive) return true;
    if (Application->Terminated()) {
      if (FModalResult == mrNone) FModalResult = mrCancel;
      return true;
    }
    if (FModalResult != mrNone) {
      // A close check that fails (a save refused) is reported like any
      // handler's error, and the form stays open with what it holds.
      try {
        return CloseModal();
      } catch (...) {
        FModalResult = mrNone;
        Application->HandleException(std::current_exception());
        return false;
      }
    }
    if (!FVisible) {
      // Hidden by code: the run cannot take input any more.
      FModalResult = mrCancel;
      return true;
    }
    return false;
  };
  try {
    Show();
    if (!done()) Application->Backend()->RunModal(*this, done);
  } catch (...) {
    if (*alive) {
      FModal = false;
      if (FVisible) Hide();
    }
    throw;
  }
  if (!*alive) return mrCancel;
  FModal = false;
  if (FVisible) Hide();
  return FModalResult;
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application->MainForm() == this) {
    Application->Terminate();
    Hide();
    return;
  }
  switch (action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

void TCustomForm::Release() {
  Application->QueueFree(this);
}

bool TCustomForm::DialogKey(uint16_t AKey, TShiftState AShift) {
  if (AShift & (ssCtrl | ssAlt)) return false;
  if (AKey != VK_RETURN && AKey != VK_ESCAPE) return false;
  if (AKey == VK_RETURN) {
    if (dynamic_cast<TCustomMemo*>(FActiveControl)) return false;
    if (auto* b = dynamic_cast<TButton*>(FActiveControl)) {
      b->Click();
      return true;
    }
  }
  // The default (Enter) or cancel (Escape) button, searched over the form.
  std::vector<TWinControl*> all = GetTabOrderList();
  for (TWinControl* w : all) {
    auto* b = dynamic_cast<TButton*>(w);
    if (!b || !b->CanFocus()) continue;
    if ((AKey == VK_RETURN && b->Default()) || (AKey == VK_ESCAPE && b->Cancel())) {
      b->Click();
      return true;
    }
  }
  return false;
}

void TCustomForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_RELEASE:
      Release();
      return;
    case WM_CLOSE:
      Close();
      return;
    case WM_NEXTDLGCTL:
      if (m.LParam)
        SetActiveControl(reinterpret_cast<TWinControl*>(m.WParam));
      else
        SelectNext(FActiveControl, m.WParam == 0, true);
      return;
    default:
      TWinControl::WndProc(m);
  }
}

// ---------------------------------------------------------------------------

const TClassInfo& TForm::StaticClass() {
  static TClassInfo info("TForm", &TCustomForm::StaticClass(), FactoryOf<TForm>());
  return info;
}

TForm::TForm(TComponent* AOwner) : TCustomForm(AOwner) {}

// ---------------------------------------------------------------------------

const TClassInfo& TDataModule::StaticClass() {
  static TClassInfo info("TDataModule", &TComponent::StaticClass(), FactoryOf<TDataModule>());
  return info;
}

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) {}

TDataModule::~TDataModule() {
  BeginDestroy();
  DestroyComponents();
}

void TDataModule::AfterConstruction() {
  TComponent::AfterConstruction();
  DoCreate();
}

void TDataModule::BeforeDestruction() {
  if (!FDestroyFired) {
    FDestroyFired = true;
    try {
      DoDestroy();
    } catch (...) {
      Application->HandleException(std::current_exception());
    }
  }
  TComponent::BeforeDestruction();
}

void TDataModule::DoCreate() {
  if (OnCreate) OnCreate(this);
}
void TDataModule::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

// ---------------------------------------------------------------------------
// TApplication

const TClassInfo& TApplication::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TApplication", &TComponent::StaticClass(), nullptr);
    c.AddProperty(CORE_PROP(TApplication, std::string, "Title", TPropKind::String, "string", Title,
                            SetTitle));
    return c;
  }();
  return info;
}

TApplication::TApplication(TComponent* AOwner)
    : TComponent(AOwner), FHeadless(std::make_shared<THeadlessBackend>()) {}

TApplication::~TApplication() {
  BeginDestroy();
  DestroyComponents();
  {
    std::lock_guard<std::mutex> lock(FQueueLock);
    FQueue.clear();
  }
  FBackend.reset();
}

void TApplication::Shutdown() {
  DestroyComponents();
  {
    std::lock_guard<std::mutex> lock(FQueueLock);
    FQueue.clear();
  }
  FMainForm = nullptr;
  FBackend.reset();
}

TWidgetBackend* TApplication::Backend() const {
  if (FBackend) return FBackend.get();
  return FHeadless.get();
}

void TApplication::SetBackend(std::shared_ptr<TWidgetBackend> ABackend) {
  FBackend = std::move(ABackend);
}

void TApplication::SetMainForm(TCustomForm* AForm) {
  if (FMainForm) RemoveFreeNotification(FMainForm);
  FMainForm = AForm;
  if (AForm) FreeNotification(AForm);
}

void TApplication::Notification(TComponent* AComponent, TOperation AOperation) {
  TComponent::Notification(AComponent, AOperation);
  if (AOperation == TOperation::opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

void TApplication::AddForm(TCustomForm* AForm) {
  std::lock_guard<std::mutex> lock(FFormsLock);
  FForms.push_back(AForm);
}

void TApplication::RemoveForm(TCustomForm* AForm) {
  std::lock_guard<std::mutex> lock(FFormsLock);
  auto it = std::find(FForms.begin(), FForms.end(), AForm);
  if (it != FForms.end()) FForms.erase(it);
}

std::vector<TCustomForm*> TApplication::Forms() const {
  std::lock_guard<std::mutex> lock(FFormsLock);
  return FForms;
}

TCustomForm* TApplication::ActiveForm() const {
  // The most recently created visible top-level form that is active (only
  // meaningful on the thread that shows the forms).
  std::vector<TCustomForm*> forms = Forms();
  for (auto it = forms.rbegin(); it != forms.rend(); ++it)
    if ((*it)->Visible() && !(*it)->Parent() && (*it)->Active()) return *it;
  return nullptr;
}

void TApplication::Run() {
  if (!FMainForm || FTerminated) return;
  TCustomForm* main = FMainForm;
  main->Show();
  auto done = [this, main]() { return FTerminated || FMainForm != main || !main->Visible(); };
  if (!done()) Backend()->RunModal(*main, done);
}

void TApplication::ProcessMessages() {
  Backend()->ProcessMessages();
}

void TApplication::HandleException(std::exception_ptr E) {
  if (!E) return;
  try {
    std::rethrow_exception(E);
  } catch (const EAbort&) {
    return;
  } catch (const std::exception& e) {
    if (OnException) {
      OnException(this, E);
      return;
    }
    ShowException(e);
  } catch (...) {
    if (OnException) {
      OnException(this, E);
      return;
    }
    ShowException(std::runtime_error("Erro desconhecido"));
  }
}

void TApplication::ShowException(const std::exception& E) {
  TMessageBoxRequest r;
  r.Caption = FTitle;
  r.Text = E.what();
  r.DlgType = mtError;
  r.Buttons = {mbOK};
  try {
    Backend()->MessageBox(r);
  } catch (const std::exception& inner) {
    // The report itself failed: keep the message on the debug output.
    std::cerr << FTitle << ": " << r.Text << " (" << inner.what() << ")\n";
  }
}

void TApplication::QueueCall(std::function<void()> AProc) {
  std::lock_guard<std::mutex> lock(FQueueLock);
  FQueue.push_back(std::move(AProc));
}

void TApplication::QueueFree(TComponent* AComponent) {
  if (!AComponent) return;
  auto ref = std::make_shared<TComponentRef>(AComponent);
  QueueCall([ref] {
    if (ref->Target) {
      TComponent* t = ref->Target;
      ref->Target = nullptr;
      t->Free();
    }
  });
}

void TApplication::RunQueuedCalls() {
  for (;;) {
    std::vector<std::function<void()>> calls;
    {
      std::lock_guard<std::mutex> lock(FQueueLock);
      calls.swap(FQueue);
    }
    if (calls.empty()) return;
    for (auto& c : calls) {
      try {
        c();
      } catch (...) {
        HandleException(std::current_exception());
      }
    }
  }
}

namespace {
TApplication GApplication(nullptr);
TScreen GScreen;
}  // namespace

TApplication* const Application = &GApplication;
TScreen* const Screen = &GScreen;

int TScreen::Width() const {
  return Application->Backend()->ScreenRect().Width();
}
int TScreen::Height() const {
  return Application->Backend()->ScreenRect().Height();
}

void PostMessage(TControl* AControl, uint32_t AMsg, intptr_t AWParam, intptr_t ALParam) {
  if (!AControl) return;
  auto ref = std::make_shared<TComponentRef>(AControl);
  Application->QueueCall([ref, AMsg, AWParam, ALParam] {
    if (auto* c = dynamic_cast<TControl*>(ref->Target)) c->Perform(AMsg, AWParam, ALParam);
  });
}

}  // namespace ui
