#include "platform/ui/Headless.h"

#include "platform/ui/Dialogs.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

std::vector<TMessageBoxRecord> THeadlessBackend::MessageBoxes() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FMessageBoxes;
}

std::vector<std::string> THeadlessBackend::ModalForms() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FModalForms;
}

int THeadlessBackend::OpenDialogCount() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FOpenDialogs;
}

void THeadlessBackend::ClearRecords() {
  std::lock_guard<std::mutex> lock(FLock);
  FMessageBoxes.clear();
  FModalForms.clear();
  FOpenDialogs = 0;
}

void THeadlessBackend::Reset() {
  OnModal = nullptr;
  OnMessageBox = nullptr;
  OnOpenDialog = nullptr;
  OnPopup = nullptr;
  ClearRecords();
  std::lock_guard<std::mutex> lock(FLock);
  FHasText = FHasBitmap = false;
  FText.clear();
  FBitmap = TBitmap();
}

void THeadlessBackend::ShowForm(TCustomForm&) {}
void THeadlessBackend::HideForm(TCustomForm&) {}
void THeadlessBackend::RealizeControl(TControl&) {}

void THeadlessBackend::ProcessMessages() {
  Application->RunQueuedCalls();
}

namespace {
// A modal run in progress on this thread.
struct TModalRun {
  std::function<bool()> Done;
  bool Ended = false;
};
// The modal runs of the calling thread, innermost last (web sessions run
// forms on several threads).
std::vector<TModalRun*>& ModalRuns() {
  thread_local std::vector<TModalRun*> runs;
  return runs;
}
}  // namespace

void THeadlessBackend::RunModal(TCustomForm& AForm, const std::function<bool()>& ADone) {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FModalForms.push_back(AForm.Name().empty() ? AForm.ClassName() : AForm.Name());
  }
  if (ADone()) return;
  TModalRun run{ADone};
  ModalRuns().push_back(&run);
  struct TPop {
    ~TPop() { ModalRuns().pop_back(); }
  } pop;
  if (OnModal) {
    // Copy: the script may replace itself.
    auto script = OnModal;
    try {
      script(AForm);
    } catch (const EAbort&) {
      // A script may end with a silent abort like any handler.
    }
  }
  Application->RunQueuedCalls();
  if (!run.Ended && !ADone())
    throw EToolkitError("A janela " + (AForm.Name().empty() ? AForm.ClassName() : AForm.Name()) +
                        " continua aberta: o roteiro de teste não a fechou");
}

bool THeadlessBackend::ModalTurn() {
  if (ModalRuns().empty()) return false;
  TModalRun* run = ModalRuns().back();
  if (!run->Ended) run->Ended = run->Done();
  return run->Ended;
}

TModalResult THeadlessBackend::MessageBox(const TMessageBoxRequest& ARequest) {
  TModalResult result;
  if (OnMessageBox) {
    result = OnMessageBox(ARequest);
  } else {
    auto list = ARequest.Buttons.List();
    result = ARequest.Buttons.Contains(mbOK) ? mrOk
             : list.empty()                  ? mrOk
                                             : ModalResultOf(list.front());
  }
  std::lock_guard<std::mutex> lock(FLock);
  FMessageBoxes.push_back(TMessageBoxRecord{ARequest, result});
  return result;
}

bool THeadlessBackend::ExecuteOpenDialog(TOpenDialog& ADialog) {
  {
    std::lock_guard<std::mutex> lock(FLock);
    ++FOpenDialogs;
  }
  if (!OnOpenDialog) return false;
  return OnOpenDialog(ADialog);
}

void THeadlessBackend::Popup(TPopupMenu& AMenu, int X, int Y) {
  if (OnPopup) OnPopup(AMenu, X, Y);
}

bool THeadlessBackend::ClipboardHasText() {
  std::lock_guard<std::mutex> lock(FLock);
  return FHasText;
}
std::string THeadlessBackend::ClipboardText() {
  std::lock_guard<std::mutex> lock(FLock);
  return FText;
}
void THeadlessBackend::SetClipboardText(const std::string& AText) {
  std::lock_guard<std::mutex> lock(FLock);
  FText = AText;
  FHasText = true;
  FHasBitmap = false;
}
bool THeadlessBackend::ClipboardHasBitmap() {
  std::lock_guard<std::mutex> lock(FLock);
  return FHasBitmap;
}
TBitmap THeadlessBackend::ClipboardBitmap() {
  std::lock_guard<std::mutex> lock(FLock);
  return FBitmap;
}
void THeadlessBackend::SetClipboardBitmap(const TBitmap& ABitmap) {
  std::lock_guard<std::mutex> lock(FLock);
  FBitmap = ABitmap;
  FHasBitmap = true;
  FHasText = false;
}

// ---------------------------------------------------------------------------

TComponent* FindRequired(TComponent& AOwner, const std::string& AName) {
  TComponent* c = AOwner.FindComponent(AName);
  if (!c) throw EToolkitError("Componente não encontrado: " + AName);
  return c;
}

void TypeInto(TWinControl& AControl, const std::string& AText) {
  if (!AControl.CanTakeInput())
    throw EToolkitError("O controle " + AControl.Name() + " não aceita digitação agora");
  AControl.SetFocus();
  // Typing over the selected text: first the selection goes.
  if (auto* e = dynamic_cast<TCustomEdit*>(&AControl)) {
    if (e->ReadOnly()) return;
    e->SetTextByUser("");
  } else if (auto* cb = dynamic_cast<TCustomComboBox*>(&AControl)) {
    cb->SetTextByUser("");
  }
  AControl.TypeText(AText);
}

void ClickOn(TComponent& AOwner, const std::string& AName) {
  auto* c = dynamic_cast<TControl*>(FindRequired(AOwner, AName));
  if (!c) throw EToolkitError("O componente " + AName + " não é um controle");
  if (auto* w = dynamic_cast<TWinControl*>(c); w && w->TabStop() && w->CanTakeInput())
    w->SetFocus();
  c->ClickByUser();
}

}  // namespace ui
