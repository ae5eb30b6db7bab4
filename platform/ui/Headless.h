// The headless backend: no widgets. Tests and web mode use it. Modal runs
// call a registered script that types and clicks; message boxes, open
// dialogs and popups are recorded and answered by scripts (default: the OK
// button, or the first button; the open dialog is cancelled).
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/Forms.h"

namespace ui {

struct TMessageBoxRecord {
  TMessageBoxRequest Request;
  TModalResult Result = mrNone;
};

class THeadlessBackend : public TWidgetBackend {
 public:
  // Runs inside ShowModal while the form is shown. When it returns and the
  // form is still open (and termination is not pending), ShowModal fails.
  std::function<void(TCustomForm& AForm)> OnModal;
  // Answers a message box; without it: mrOk when OK is offered, else the
  // first button's result.
  std::function<TModalResult(const TMessageBoxRequest& ARequest)> OnMessageBox;
  // Answers the open dialog: set ADialog.FileName and return true, or return
  // false to cancel. Without it the dialog is cancelled.
  std::function<bool(TOpenDialog& ADialog)> OnOpenDialog;
  // Called when a popup menu is shown.
  std::function<void(TPopupMenu& AMenu, int X, int Y)> OnPopup;

  // For scripts: the innermost modal run takes its turn, as the real loop
  // does between two inputs: it checks whether it may end now (a close asked
  // for runs the form's close checks here). True when the run ends; the
  // script should then return.
  bool ModalTurn();

  // What happened so far.
  std::vector<TMessageBoxRecord> MessageBoxes() const;
  std::vector<std::string> ModalForms() const;  // names of the forms run modally
  int OpenDialogCount() const;
  void ClearRecords();
  // Drops the scripts, the records and the clipboard.
  void Reset();

  TRect Screen = Rect(0, 0, 1920, 1080);

  void ShowForm(TCustomForm& AForm) override;
  void HideForm(TCustomForm& AForm) override;
  void RunModal(TCustomForm& AForm, const std::function<bool()>& ADone) override;
  void RealizeControl(TControl& AControl) override;
  void ProcessMessages() override;
  TModalResult MessageBox(const TMessageBoxRequest& ARequest) override;
  bool ExecuteOpenDialog(TOpenDialog& ADialog) override;
  void Popup(TPopupMenu& AMenu, int X, int Y) override;
  TRect ScreenRect() override { return Screen; }
  bool ClipboardHasText() override;
  std::string ClipboardText() override;
  void SetClipboardText(const std::string& AText) override;
  bool ClipboardHasBitmap() override;
  TBitmap ClipboardBitmap() override;
  void SetClipboardBitmap(const TBitmap& ABitmap) override;

 private:
  mutable std::mutex FLock;
  std::vector<TMessageBoxRecord> FMessageBoxes;
  std::vector<std::string> FModalForms;
  int FOpenDialogs = 0;
  bool FHasText = false;
  std::string FText;
  bool FHasBitmap = false;
  TBitmap FBitmap;
};

// Helpers for scripts: find a named control of a form (throws when absent),
// type into it as a user does, click it as a user does.
TComponent* FindRequired(TComponent& AOwner, const std::string& AName);
template <class T>
T& Find(TComponent& AOwner, const std::string& AName) {
  T* c = dynamic_cast<T*>(FindRequired(AOwner, AName));
  if (!c) throw EToolkitError("O componente " + AName + " não é do tipo esperado");
  return *c;
}
// Focuses the control and replaces its text by typing (select all, then keys).
void TypeInto(TWinControl& AControl, const std::string& AText);
// Clicks the named control of a form as a user does.
void ClickOn(TComponent& AOwner, const std::string& AName);

}  // namespace ui
