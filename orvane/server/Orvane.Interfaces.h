// The interfaces through which the engine core meets the objects built on top
// of it: the browser session, its web form and the server controller that the
// starter supplies. They are declared here, below their implementations, so
// that the server and the engine root do not depend on the layers above.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace core {
class TComponent;
}

namespace orvane {

class IOrvaneSession;
class IOrvaneControl;    // Orvane.Events.h
class IOrvaneCallBacks;  // Orvane.CallBack.h
class IOrvaneVexloClass;
class TOrvaneURI;
class TOrvaneClipboard;
class IOrvaneDBGrid;              // Orvane.DBGrid.h
class IOrvaneDBGridColumnButton;  // Orvane.DBGrid.Columns.Buttons.h

// Called with a popup's name and a second string the caller passes empty.
using TOnPopup = std::function<void(const std::string& AName, const std::string& AValue)>;

// The notices sent to the server controller's DoSessionChange.
enum class TSessionChangeType {
  sctNewSession,
  sctCloseSession,
  sctActiveSession,
  sctClosingSession,
  sctExpireSession,
  sctStabilizedConnectioSession,
  sctLostConnectioSession,
  sctReconnectedSession,
  sctDestroySession
};

using TOrvaneDateTime = std::chrono::system_clock::time_point;

// What a page's upload accepts: the limits its upload item shows the
// visitor, held by the server while it reads an upload (0: no limit).
struct TOrvaneUploadLimits {
  int MaxFiles = 1;
  uint64_t MaxFileSize = 0;    // bytes per file
  uint64_t MaxUploadSize = 0;  // bytes of all files together
  // Extensions without the dot, lower case; empty: every type.
  std::vector<std::string> AllowedFileTypes;
};

// What the engine core needs of a session's web form.
class IOrvaneForm {
 public:
  virtual ~IOrvaneForm() = default;
  // Receives the full paths of the files an upload saved in the session folder.
  virtual void DoUpload(const std::vector<std::string>& AFiles) = 0;
  // The limits of the upload the form's page shows; false when it shows
  // none (then no file is accepted for it).
  virtual bool GetUploadLimits(TOrvaneUploadLimits& /*ALimits*/) { return false; }
  // True while the form is being destroyed.
  virtual bool Destroying() const = 0;
  // The session the form belongs to (not owned), or null.
  virtual IOrvaneSession* GetOrvaneSession() const = 0;

  // What the session and the message dispatch use of a web form. The
  // defaults describe a form without controls, popups or page state.
  virtual std::string GetFormUUID() const { return ""; }
  // The form's controls in registration order (owned by the form).
  virtual std::vector<IOrvaneControl*> GetControls() { return {}; }
  // The bridge object the form belongs to, or null.
  virtual IOrvaneVexloClass* GetVexloClass() { return nullptr; }
  // Set and cleared around the writing of browser states into the controls.
  virtual void onComponentsUpdating() {}
  virtual void onComponentsUpdated() {}
  virtual bool GetComponentsUpdating() const { return false; }
  virtual void OnAfterPageLoad() {}
  // Asks for a full update of the page on the next observer pass.
  virtual void UpdateControls() {}
  virtual void onFormUnload() {}
  virtual void SetFocusedControl(IOrvaneControl* /*AControl*/) {}
  virtual TOnPopup GetOnShowPopup() const { return nullptr; }
  virtual TOnPopup GetOnClosePopup() const { return nullptr; }
  // Called on the session thread right after an event handler or callback
  // of the form has run, so that the page can be brought up to date at once.
  virtual void DoEventHandled() {}

  // What the page assembly uses of a web form.
  // Template file names under the web root; empty means none.
  virtual std::string GetTemplateMasterHTMLFile() const { return ""; }
  virtual std::string GetTemplatePageHTMLFile() const { return ""; }
  // The page is about to be built (the observer pauses).
  virtual void OnBeforePageLoad() {}
  virtual std::string GetFormHTMLText() const { return ""; }
  virtual void SetFormHTMLText(const std::string& /*AValue*/) {}
  virtual std::string GetFormCacheHTMLText() const { return ""; }
  virtual void SetFormCacheHTMLText(const std::string& /*AValue*/) {}
  // Extra text for the page head.
  virtual std::string GetHeadHTMLOrvane() const { return ""; }
  // Prepares the form and its controls for a new page.
  virtual void Initialize() {}
  // The form's OnProcessHTML hook, which may change the page text.
  virtual void DoProcessHTML(std::string& /*AHTML*/) {}
  // The page-text replacements, in the order the assembly runs them.
  virtual void ProcessPopup(std::string& /*AHTML*/) {}
  virtual void ProcessNested(std::string& /*AHTML*/) {}
  virtual void ProcessTagHTML(std::string& /*AHTML*/) {}
  virtual void ProcessCallBackTagHTML(std::string& /*AHTML*/) {}
  virtual void ProcessControlsToHTML(std::string& /*AHTML*/) {}
};

// The per-form bridge object, as the session and the message dispatch see it
// (the bridge layer implements it).
class IOrvaneVexloClass {
 public:
  virtual ~IOrvaneVexloClass() = default;
  // The web form of the bridge object, or null.
  virtual IOrvaneForm* GetOrvaneForm() = 0;
  // The bridge object this one is nested in; null for a top-level one.
  virtual IOrvaneVexloClass* GetParentVexlo() = 0;
  virtual std::vector<IOrvaneVexloClass*> GetNestedVexlos() = 0;
  // The desktop form the bridge object belongs to, or null.
  virtual core::TComponent* GetVexloForm() = 0;
  // Sets the desktop form's predecessor page (null clears it).
  virtual void SetPriorVexlo(core::TComponent* APriorForm) = 0;
  // Tell the desktop form that the browser opened or closed a popup.
  virtual void PopupOpened(const std::string& AName) = 0;
  virtual void PopupClosed(const std::string& AName) = 0;

  // What the web form and the page assembly use of a bridge object. The
  // defaults describe a bridge object without layout or desktop hooks.
  // The desktop form's Clear and Render: the body and the captured texts are
  // made again from the layout.
  virtual void ClearForm() {}
  virtual void RenderForm() {}
  // The form's default page: its skeleton with every switch on.
  virtual std::string MakeHTMLPage() { return ""; }
  // The rendered body, lines joined with line breaks.
  virtual std::string GetBodyHTML() { return ""; }
  // The desktop form's page title.
  virtual std::string GetTitle() { return ""; }
  // The bridge framework's version text.
  virtual std::string GetVersion() { return ""; }
  // Whether the page shows the loading overlay.
  virtual bool GetEnableLoader() { return false; }
  // The form's popups, in declaration order: upper-case identifier and the
  // text their items rendered.
  virtual std::vector<std::pair<std::string, std::string>> GetPopupTexts() { return {}; }
  // The name of the desktop form, as nested-form markers name it.
  virtual std::string GetNestedName() { return ""; }
  // The desktop form's hooks.
  virtual void DoTagHTML(const std::string& /*TagString*/, std::string& /*ReplaceTag*/) {}
  virtual void DoPageLoaded() {}
  virtual void DoInitOrvaneControl(IOrvaneControl* /*AControl*/) {}
  virtual void DoRenderOrvaneControl(IOrvaneControl* /*AControl*/, std::string& /*HTMLControl*/) {}
  virtual void DoUpload(const std::vector<std::string>& /*AFiles*/) {}
  // The limits of the upload item the page shows; false without one.
  virtual bool GetUploadLimits(TOrvaneUploadLimits& /*ALimits*/) { return false; }
  // A cell button of a data grid was clicked on row ARow (the dataset is
  // there already) of the column at AColIndex.
  virtual void DoCellButtonClick(IOrvaneDBGrid* /*AOrvaneDBGrid*/,
                                 IOrvaneDBGridColumnButton* /*AOrvaneCellButton*/, int /*ARow*/,
                                 int /*AColIndex*/) {}
  virtual bool ShowingModal() { return false; }
  virtual void ShowPopup(const std::string& /*AName*/) {}
  virtual void ClosePopup(const std::string& /*AName*/) {}
};

// A session's form instance registry, as the bridge layer creates it.
class IOrvaneVexloInstance {
 public:
  virtual ~IOrvaneVexloInstance() = default;
};

// Facts about the browser connected to a session.
class IOrvaneSessionInfo {
 public:
  virtual ~IOrvaneSessionInfo() = default;
  virtual std::string IP() const = 0;
  virtual void SetIP(const std::string& AValue) = 0;
  virtual std::string User() const = 0;
  virtual void SetUser(const std::string& AValue) = 0;
  virtual std::string Identity() const = 0;
  virtual void SetIdentity(const std::string& AValue) = 0;
  virtual std::string UserAgent() const = 0;
  virtual void SetUserAgent(const std::string& AValue) = 0;
  // The class name of the session's active desktop form (the last one seen).
  virtual std::string FormName() = 0;
};

// One browser page's server-side state, as the engine core uses it.
class IOrvaneSession {
 public:
  virtual ~IOrvaneSession() = default;

  virtual std::string GetUUID() const = 0;
  virtual std::string GetToken() const = 0;
  virtual TOrvaneDateTime ExpireDate() const = 0;
  // Moves the expiry to now + 60 hours.
  virtual void RenewExpireDate() = 0;
  virtual bool Closing() const = 0;
  // True while the session object is being destroyed.
  virtual bool Destroying() const = 0;

  // Ids of the threads currently working for the session.
  virtual std::vector<std::thread::id> GetThreadIDs() const = 0;
  virtual void ThreadAddCurrent() = 0;
  virtual void ThreadRemoveCurrent() = 0;
  // Runs AProc on one of the session's threads; waits for it when AWait.
  virtual void ExecThread(bool AWait, std::function<void()> AProc) = 0;

  // The session's temporary folder, ending in "/".
  virtual std::string PathSession() const = 0;
  // Download key to full file path.
  virtual std::map<std::string, std::string> GetFileDownloads() const = 0;
  // The web form of the active page, or null (owned by the session).
  virtual IOrvaneForm* GetActiveForm() = 0;

  // The page's established WebSocket connections.
  virtual unsigned OpenedConnections() const = 0;
  virtual void IncOpenedConnections() = 0;
  // Never goes below 0.
  virtual void DecOpenedConnections() = 0;
  // Since when the page has had no established WebSocket (its creation, or
  // the loss of its last one); the maximum time point while one is open or
  // when the session does not keep count.
  virtual std::chrono::steady_clock::time_point UnconnectedSince() const {
    return std::chrono::steady_clock::time_point::max();
  }

  // The rest of the session. The defaults describe a session that keeps
  // none of this state and reaches no browser.
  // The active bridge object (its form is the page shown), or null.
  virtual IOrvaneVexloClass* GetVexloBaseClass() const { return nullptr; }
  virtual void SetVexloBaseClass(IOrvaneVexloClass* /*AValue*/) {}
  // The top-level bridge objects, the most recently activated last.
  virtual std::vector<IOrvaneVexloClass*> GetVexloForms() const { return {}; }
  // Forgets a bridge object that is going away.
  virtual void RemoveVexloClass(IOrvaneVexloClass* /*AValue*/) {}
  virtual std::shared_ptr<IOrvaneVexloInstance> GetVexloInstance() const { return nullptr; }
  virtual std::shared_ptr<IOrvaneCallBacks> GetCallBacks() const { return nullptr; }
  // An object the application attaches; released with the session.
  virtual void SetData(std::shared_ptr<void> /*AValue*/) {}
  virtual std::shared_ptr<void> GetData() const { return nullptr; }
  virtual std::string GetLanguage() const { return ""; }
  virtual void SetLanguage(const std::string& /*AValue*/) {}
  virtual std::string GetCallBackID() const { return ""; }
  virtual TOrvaneDateTime CreateDate() const { return {}; }
  virtual bool GetExpire() const { return false; }
  virtual void SetExpire(bool /*AValue*/) {}
  // Pushes a script to the page's main connection.
  virtual void ExecJS(const std::string& /*AScriptJS*/) {}
  // Offers a file for download and makes the page fetch it.
  virtual void SendFile(const std::string& /*AFullFilePath*/, bool /*AOpenOnFinishDownload*/,
                        const std::string& /*AWebFileName*/) {}
  // Offers a file of the session's folder to the page without fetching it:
  // the address the page reads it from (through the download route, with
  // the session's credentials); empty when there is no such file.
  // RemoveFileDownload withdraws it again.
  virtual std::string AddFileDownload(const std::string& /*AFullFilePath*/) { return ""; }
  virtual void RemoveFileDownload(const std::string& /*AURL*/) {}
  // The web form with that FormUUID among the active page's forms, or null.
  virtual IOrvaneForm* ActiveFormByFormUUID(const std::string& /*AFormUUID*/) { return nullptr; }
  // Runs AProc on one of the session's threads without waiting.
  void ExecThread(std::function<void()> AProc) { ExecThread(false, std::move(AProc)); }
  // Named locks: Lock waits until the name is released by UnLock/UnLockAll.
  virtual void Lock(const std::string& /*AWaitName*/) {}
  virtual void UnLock(const std::string& /*AWaitName*/) {}
  virtual void UnLockAll() {}
  // Closes and tears the session down.
  virtual void Close() {}
  virtual IOrvaneSessionInfo* InfoConnection() { return nullptr; }
  virtual TOrvaneURI* URI() { return nullptr; }
  // The session's forms are used by one thread at a time: work items run
  // inside this guard; other threads that touch the forms enter it too.
  // Re-entrant on one thread.
  virtual void EnterFormsGuard() {}
  // Enters unless another thread holds the guard (then false).
  virtual bool TryEnterFormsGuard() {
    EnterFormsGuard();
    return true;
  }
  virtual void LeaveFormsGuard() {}
  // Counts the times a thread took the forms guard (0: not counted). Form
  // code runs only inside the guard, so while the count stays the same
  // nothing on the session's forms can have changed.
  virtual uint64_t FormsGuardEntries() const { return 0; }
  // The session's clipboard.
  virtual TOrvaneClipboard* Clipboard() { return nullptr; }
};

// Holds a session's forms guard for a scope.
class TOrvaneFormsGuardScope {
 public:
  explicit TOrvaneFormsGuardScope(IOrvaneSession& ASession) : FSession(&ASession) {
    FSession->EnterFormsGuard();
  }
  ~TOrvaneFormsGuardScope() { Leave(); }
  void Leave() {
    if (FSession) FSession->LeaveFormsGuard();
    FSession = nullptr;
  }
  TOrvaneFormsGuardScope(const TOrvaneFormsGuardScope&) = delete;
  TOrvaneFormsGuardScope& operator=(const TOrvaneFormsGuardScope&) = delete;

 private:
  IOrvaneSession* FSession;
};

// The starter's server controller.
class IVexloServerControllerBase {
 public:
  virtual ~IVexloServerControllerBase() = default;
  virtual std::string ServerName() const = 0;
  virtual std::string ServerDescription() const = 0;
  // Receives every session notice.
  virtual void DoSessionChange(TSessionChangeType AType,
                               const std::shared_ptr<IOrvaneSession>& ASession) = 0;
  // Creates the primary form of a new session and makes it the session's
  // active page.
  virtual void InstancePrimaryForm(const std::shared_ptr<IOrvaneSession>& ASession) = 0;
};

}  // namespace orvane
