// The web form: the server-side twin of a bridge form shown in a browser. It
// owns the form's web controls, knows the page's state, runs the observer
// that pushes what changed on the desktop side to the page, tracks the focus
// and carries out the page-text replacements of the form's markers, tags and
// control placeholders.
//
// Threads: everything that touches a session's forms holds the session's
// forms guard. The observer pass only try-enters it, so a busy handler makes
// it skip a tick; after each handled browser event a pass runs at once
// (DoEventHandled).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "orvane/controls/Orvane.Forms.Controls.h"
#include "orvane/controls/Orvane.Types.h"
#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Util.h"
#include "platform/core/Classes.h"

namespace orvane {

class TOrvaneOptions;
class TOrvaneForm;

using TOnProcessHTML = std::function<void(TOrvaneForm* AForm, std::string& AHTML)>;
using TOnTagHTML = std::function<void(const std::string& TagString, std::string& ReplaceTag)>;

class TOrvaneForm : public core::TComponent, public IOrvaneForm {
  CORE_DECLARE_CLASS()
 public:
  // The observer's tick in milliseconds.
  static constexpr int kObserverInterval = 100;

  explicit TOrvaneForm(core::TComponent* AOwner);
  // The observer stops here, while the whole form still exists: the timer
  // thread never sees a form half destroyed.
  void BeforeDestruction() override;
  ~TOrvaneForm() override;

  // --- identity and session ---
  std::string GetFormUUID() const override { return FFormUUID; }
  // The engine's Language option ("" without an engine).
  std::string GetLanguage() const;
  void SetSession(IOrvaneSession* ASession) { FOrvaneSession = ASession; }
  IOrvaneSession* GetSession() const { return FOrvaneSession; }
  IOrvaneSession* GetOrvaneSession() const override { return FOrvaneSession; }
  // The bridge object the form belongs to (its desktop hooks), or null.
  void SetVexloClass(IOrvaneVexloClass* AValue) { FVexloClass = AValue; }
  IOrvaneVexloClass* GetVexloClass() override { return FVexloClass; }
  TOrvaneOptions* OrvaneOptions() const;
  bool Destroying() const override { return FDestroyingForm.load(); }

  // --- controls ---
  // Makes the control the form's and appends it to the list. A control
  // owned by another form (a nested one) is listed here as well, and leaves
  // the list when it is freed.
  void AddControl(TOrvaneControl* AControl);
  std::vector<IOrvaneControl*> GetControls() override;
  // Takes a control of another form (a nested one) off the list.
  void RemoveControl(TOrvaneControl* AControl);
  const std::vector<TOrvaneControl*>& Controls() const { return FControls; }
  // The control with that element id (ignoring case), or null.
  TOrvaneControl* ControlByID(const std::string& AID) const;
  // Frees the form's own controls, empties the list and the cached page.
  void Clear();
  std::string GetControlsPrefix() const;
  bool GetEnableControlsPrefix() const { return FEnableControlsPrefix; }
  void SetEnableControlsPrefix(bool AValue) { FEnableControlsPrefix = AValue; }
  const std::string& ControlsPrefix() const { return FControlsPrefix; }

  // --- templates and page text ---
  void SetTemplateMasterHTMLFile(const std::string& AValue) { FTemplateMasterHTMLFile = AValue; }
  void SetTemplatePageHTMLFile(const std::string& AValue) { FTemplatePageHTMLFile = AValue; }
  std::string GetTemplateMasterHTMLFile() const override { return FTemplateMasterHTMLFile; }
  std::string GetTemplatePageHTMLFile() const override { return FTemplatePageHTMLFile; }
  std::string GetFormHTMLText() const override { return FFormHTMLText; }
  void SetFormHTMLText(const std::string& AValue) override { FFormHTMLText = AValue; }
  std::string GetFormCacheHTMLText() const override { return FFormCacheHTMLText; }
  void SetFormCacheHTMLText(const std::string& AValue) override { FFormCacheHTMLText = AValue; }
  std::string GetHeadHTMLOrvane() const override { return FHeadHTMLOrvane; }
  void SetHeadHTMLOrvane(const std::string& AValue) { FHeadHTMLOrvane = AValue; }

  // --- page state ---
  // A nested form's page is its host's: it shares the host's state.
  TOrvanePageState GetFormPageState() const;
  bool GetComponentsUpdating() const override { return FFormComponentsUpdating.load(); }
  void OnBeforePageLoad() override;
  void OnAfterPageLoad() override;
  void onFormUnload() override;
  void onComponentsUpdating() override { FFormComponentsUpdating = true; }
  void onComponentsUpdated() override { FFormComponentsUpdating = false; }
  // Page state unloaded.
  void Close();
  // Reloads the session's page; a form shown modally then waits until it is
  // closed (the silent abort follows when the session ends meanwhile).
  virtual void Show();
  // Makes the next observer pass update every control.
  void UpdateControls() override { FForceUpdateControls = true; }
  void Initialize() override;
  void DoEventHandled() override;
  // Runs one observer pass now, when no other thread holds the session's
  // forms guard; false when the pass was skipped.
  bool ObserverPass();
  // Whether the observer ticks (it does only while the page is loaded).
  bool ObserverRunning() const;

  // --- focus ---
  TOrvaneControl* GetFocusedControl() const { return FFocusedControl; }
  void SetFocusedControl(IOrvaneControl* AControl) override;

  // --- popups, upload, hooks of the bridge form ---
  void SetOnShowPopup(TOnPopup AValue) { FOnShowPopup = std::move(AValue); }
  TOnPopup GetOnShowPopup() const override { return FOnShowPopup; }
  void SetOnClosePopup(TOnPopup AValue) { FOnClosePopup = std::move(AValue); }
  TOnPopup GetOnClosePopup() const override { return FOnClosePopup; }
  void ShowPopup(const std::string& AName);
  void ClosePopup(const std::string& AName);
  TOnUpload GetOnUpload() const { return FOnUpload; }
  void SetOnUpload(TOnUpload AValue) { FOnUpload = std::move(AValue); }
  void DoUpload(const std::vector<std::string>& AFiles) override;
  // The bridge form's upload item, if its page shows one.
  bool GetUploadLimits(TOrvaneUploadLimits& ALimits) override {
    return FVexloClass && FVexloClass->GetUploadLimits(ALimits);
  }
  // Runs the bridge form's DoCellButtonClick on a session thread and waits.
  void DoCellButtonClick(IOrvaneDBGrid* AOrvaneDBGrid,
                         const std::shared_ptr<IOrvaneDBGridColumnButton>& AOrvaneCellButton,
                         int ARow, int AColIndex);
  // First its own OnTagHTML, then the bridge form's when the tag is still
  // unchanged.
  virtual void DoTagHTML(const std::string& ATag, std::string& ReplaceTag);
  void DoProcessHTML(std::string& AHTML) override;
  // Runs AProc on one of the session's threads and waits, or right here
  // when this thread already works for the form's session (or there is
  // none).
  void RunOnSessionThread(const std::function<void()>& AProc);

  // --- page-text replacements ---
  void ProcessPopup(std::string& AHTML) override;
  void ProcessNested(std::string& AHTML) override;
  void ProcessTagHTML(std::string& AHTML) override;
  void ProcessCallBackTagHTML(std::string& AHTML) override;
  // Replaces the control placeholders in one pass over the text: what a
  // control inserts is never searched for placeholders again.
  void ProcessControlsToHTML(std::string& AHTML) override;

  TOnProcessHTML OnProcessHTML;
  core::TNotifyEvent OnPageLoaded;
  TOnTagHTML OnTagHTML;

 protected:
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override;

 private:
  void TimerTick();
  // Frees the observer's timer (waiting for a tick that is running).
  void StopObserver();
  // The pass itself; the caller holds the forms guard.
  void UpdatePass();
  void RemoveFromList(core::TComponent* AComponent);

  std::string FTemplateMasterHTMLFile;
  std::string FTemplatePageHTMLFile;
  std::vector<TOrvaneControl*> FControls;
  // FControls.size(), read by the observer without the forms guard.
  std::atomic<size_t> FControlCount{0};
  // The session's forms-guard count at the last observer pass.
  std::atomic<uint64_t> FLastPassEntries{0};
  std::unique_ptr<TCustomTimer> FTimerObserver;
  const std::string FFormUUID;
  std::atomic<IOrvaneSession*> FOrvaneSession{nullptr};
  std::string FFormHTMLText;
  std::string FFormCacheHTMLText;
  std::string FHeadHTMLOrvane;
  std::atomic<TOrvanePageState> FFormPageState{TOrvanePageState::PageStateUnloaded};
  std::atomic<bool> FFormComponentsUpdating{false};
  std::atomic<bool> FForceUpdateControls{false};
  TOrvaneControl* FFocusedControl = nullptr;
  const std::string FControlsPrefix;
  bool FEnableControlsPrefix = false;
  TOnPopup FOnShowPopup;
  TOnPopup FOnClosePopup;
  TOnUpload FOnUpload;
  IOrvaneVexloClass* FVexloClass = nullptr;
  std::atomic<bool> FDestroyingForm{false};
  TStringList FPassList;  // reused by every pass
};

}  // namespace orvane
