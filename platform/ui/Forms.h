// Forms, data modules, the application object, the screen and the backend
// interface that realizes forms (native windows, or none when headless).
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/Controls.h"

namespace ui {

class TMainMenu;
class TPopupMenu;
class TOpenDialog;
class THeadlessBackend;
class TApplication;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TComponent* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TComponent* Sender, bool& CanClose)>;

// A message box as the model asks for it; X and Y of -1 centre it on the screen.
struct TMessageBoxRequest {
  std::string Caption;
  std::string Text;
  TMsgDlgType DlgType = mtInformation;
  TMsgDlgButtons Buttons{mbOK};
  int HelpCtx = 0;
  int X = -1, Y = -1;
};

// Realizes the model: native windows in desktop mode, nothing when headless.
// Every entry is called on the thread that owns the forms.
class TWidgetBackend {
 public:
  virtual ~TWidgetBackend() = default;
  // A form became visible / hidden (top-level forms only).
  virtual void ShowForm(TCustomForm& AForm) = 0;
  virtual void HideForm(TCustomForm& AForm) = 0;
  // Runs the modal loop of a visible form until ADone() answers true.
  virtual void RunModal(TCustomForm& AForm, const std::function<bool()>& ADone) = 0;
  // A control was put into a tree that has native widgets.
  virtual void RealizeControl(TControl& AControl) = 0;
  // Handles pending user input and posted calls.
  virtual void ProcessMessages() = 0;
  // Shows a message box and returns the modal result of the pressed button.
  virtual TModalResult MessageBox(const TMessageBoxRequest& ARequest) = 0;
  // Runs the open-file dialog; true when a file was chosen (in FileName).
  virtual bool ExecuteOpenDialog(TOpenDialog& ADialog) = 0;
  // Shows a popup menu at a screen position.
  virtual void Popup(TPopupMenu& AMenu, int X, int Y) = 0;
  virtual TRect ScreenRect() = 0;
  // The clipboard.
  virtual bool ClipboardHasText() = 0;
  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(const std::string& AText) = 0;
  virtual bool ClipboardHasBitmap() = 0;
  virtual TBitmap ClipboardBitmap() = 0;
  virtual void SetClipboardBitmap(const TBitmap& ABitmap) = 0;
};

class TCustomForm : public TWinControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  // OnCreate fires here, once the whole form exists.
  void AfterConstruction() override;
  // OnDestroy fires here, while the whole form still exists.
  void BeforeDestruction() override;

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle AValue);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition AValue) { FPosition = AValue; }
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState AValue);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool AValue) { FKeyPreview = AValue; }
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* AValue);

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* AControl);
  // Focuses the first control in keyboard order.
  void SelectFirst();

  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult AValue);
  bool Modal() const { return FModal; }
  bool Active() const { return FActive; }

  // Shows the form and runs its modal loop; returns the modal result. The run
  // ends when ModalResult is set (and the close checks allow it) or when the
  // application's termination is pending (result mrCancel).
  virtual TModalResult ShowModal();
  // Asks the form to close: a modal form gets mrCancel; another form runs
  // OnCloseQuery and OnClose and then hides, minimises or frees itself.
  virtual void Close();
  bool CloseQuery();
  // Frees the form once control returns to the message loop.
  virtual void Release();
  void BringToFront();

  // Called by the backend when the user activates the window.
  virtual void Activate();
  virtual void Deactivate();

  void SetVisible(bool AValue) override;
  void SetText(const std::string& AValue) override;

  // The Enter / Escape keys of a dialog: the default or cancel button.
  virtual bool DialogKey(uint16_t AKey, TShiftState AShift);

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;

 protected:
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& AAction);
  void WndProc(TMessage& AMessage) override;
  void Notification(TComponent* AComponent, TOperation AOperation) override;

 private:
  void PlaceOnScreen();
  bool CloseModal();

  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDefaultPosOnly;
  TWindowState FWindowState = wsNormal;
  bool FKeyPreview = false;
  TMainMenu* FMenu = nullptr;
  TWinControl* FActiveControl = nullptr;
  TModalResult FModalResult = mrNone;
  bool FModal = false;
  bool FActive = false;
  bool FCreated = false;
  bool FDestroyFired = false;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TForm : public TCustomForm {
  CORE_DECLARE_CLASS()
 public:
  explicit TForm(TComponent* AOwner);
};

using TFormClass = TComponentClass;

// A non-visual container of components (connections, datasets).
class TDataModule : public TComponent {
  CORE_DECLARE_CLASS()
 public:
  explicit TDataModule(TComponent* AOwner);
  ~TDataModule() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

 protected:
  virtual void DoCreate();
  virtual void DoDestroy();

 private:
  bool FDestroyFired = false;
};

using TExceptionEvent = std::function<void(TComponent* Sender, std::exception_ptr E)>;

// The application object. It owns the data module and the forms created
// through it, knows its title, ends modal runs when termination is pending
// and reports exceptions that no handler caught.
class TApplication : public TComponent {
  CORE_DECLARE_CLASS()
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& AValue) { FTitle = AValue; }
  TCustomForm* MainForm() const { return FMainForm; }

  // Requests termination: every modal run ends as soon as it notices.
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  // Clears a pending termination (tests run several programs in one process).
  void ResetTerminate() { FTerminated = false; }

  // Creates a component owned by the application: Reference is set before
  // AfterConstruction runs, so the global is published before OnCreate.
  // The first form created becomes the main form. On failure Reference is
  // cleared, the half-built object freed and the exception passed on.
  template <class T>
  void CreateForm(T*& Reference) {
    T* obj = new T(this);
    Reference = obj;
    try {
      obj->AfterConstruction();
    } catch (...) {
      Reference = nullptr;
      obj->Free();
      throw;
    }
    if (!FMainForm) {
      if (auto* f = dynamic_cast<TCustomForm*>(static_cast<TComponent*>(obj))) SetMainForm(f);
    }
  }
  // Runs the message loop while a main form is shown; returns at once when
  // there is none.
  void Run();
  void ProcessMessages();

  // The standard exception report: EAbort is silent, anything else is shown
  // as an error message box with its message (or passed to OnException).
  void HandleException(std::exception_ptr E = std::current_exception());
  void ShowException(const std::exception& E);
  TExceptionEvent OnException;

  // Calls AProc later, from the message loop (after the current handler).
  void QueueCall(std::function<void()> AProc);
  // Frees AComponent later; nothing happens if it is freed meanwhile.
  void QueueFree(TComponent* AComponent);
  // Runs the queued calls now (backends call it from their loops).
  void RunQueuedCalls();

  // The backend that realizes forms; the headless one when none was set.
  TWidgetBackend* Backend() const;
  void SetBackend(std::shared_ptr<TWidgetBackend> ABackend);
  bool HasNativeBackend() const { return static_cast<bool>(FBackend); }
  // The headless backend (always there, used when no other backend is set).
  THeadlessBackend* Headless() const { return FHeadless.get(); }

  // Frees every component the application owns and drops the backend (the
  // program calls it before the native toolkit goes away).
  void Shutdown();

  // Forms that exist, in creation order (a copy: web sessions create forms
  // on their own threads).
  std::vector<TCustomForm*> Forms() const;
  TCustomForm* ActiveForm() const;

 protected:
  void Notification(TComponent* AComponent, TOperation AOperation) override;

 private:
  friend class TCustomForm;
  void SetMainForm(TCustomForm* AForm);
  void AddForm(TCustomForm* AForm);
  void RemoveForm(TCustomForm* AForm);

  std::string FTitle;
  TCustomForm* FMainForm = nullptr;
  std::atomic<bool> FTerminated{false};
  std::shared_ptr<TWidgetBackend> FBackend;
  std::shared_ptr<THeadlessBackend> FHeadless;
  std::mutex FQueueLock;
  std::vector<std::function<void()>> FQueue;
  mutable std::mutex FFormsLock;
  std::vector<TCustomForm*> FForms;
};

// The one application object.
extern TApplication* const Application;

// Screen facts; a thin view on the backend.
class TScreen {
 public:
  int Width() const;
  int Height() const;
  TCustomForm* ActiveForm() const { return Application->ActiveForm(); }
  int FormCount() const { return static_cast<int>(Application->Forms().size()); }
  TCustomForm* Forms(int AIndex) const { return Application->Forms().at(AIndex); }
};
extern TScreen* const Screen;

// Posts a message to a control: it is performed from the message loop, and
// dropped if the control is freed first.
void PostMessage(TControl* AControl, uint32_t AMsg, intptr_t AWParam, intptr_t ALParam);

}  // namespace ui
