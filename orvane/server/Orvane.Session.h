// One browser page's server-side state: its identity, the bridge objects and
// web forms it shows, its callbacks and downloads, its named locks, the worker
// threads on which all of its form code runs, its temporary folder and its
// expiry. Sessions are shared: create them with TOrvaneSession::Create.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "orvane/server/Orvane.CallBack.h"
#include "orvane/server/Orvane.Clipboard.h"
#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.URI.h"
#include "platform/core/Classes.h"

namespace db {
class TMemDataSet;
}

namespace orvane {

class TOrvaneBaseClass;
class TOrvaneSession;

// The browser facts of a session. Read and written from any thread.
class TOrvaneSessionInfo : public IOrvaneSessionInfo {
 public:
  explicit TOrvaneSessionInfo(TOrvaneSession* ASession) : FSession(ASession) {}
  std::string IP() const override;
  void SetIP(const std::string& AValue) override;
  std::string User() const override;
  void SetUser(const std::string& AValue) override;
  std::string Identity() const override;
  void SetIdentity(const std::string& AValue) override;
  std::string UserAgent() const override;
  void SetUserAgent(const std::string& AValue) override;
  std::string FormName() override;

 private:
  TOrvaneSession* FSession;
  mutable std::mutex FLock;
  std::string FIP, FUser, FIdentity, FUserAgent, FFormName;
};

// One queued piece of work.
struct TOrvaneSessionThreadProc {
  bool FSincronize = false;
  bool FWait = false;
  std::function<void()> FProc;
  bool FDone = false;  // set (under the thread's lock) once the work is over
};

// A worker thread of a session. It sleeps on a condition variable until work
// is handed to it or it is stopped: an idle session's threads never wake.
class TOrvaneSessionThread : public std::enable_shared_from_this<TOrvaneSessionThread> {
 public:
  TOrvaneSessionThread(std::weak_ptr<TOrvaneSession> ASession, TOrvaneSession* ARawSession,
                       int ALevel);
  ~TOrvaneSessionThread();

  // Starts the thread (it keeps this object alive while it runs).
  void Start();
  // Hands a work item over; the thread must have been marked running.
  void Exec(std::shared_ptr<TOrvaneSessionThreadProc> AProc);
  // Blocks until the item has been run (or dropped because the thread ended).
  void WaitFor(const std::shared_ptr<TOrvaneSessionThreadProc>& AProc);
  void Stop();
  // Waits for the thread to end; a thread that stops itself is let go.
  void Join();

  int ThreadLevel() const { return FThreadLevel; }
  std::thread::id ThreadID() const { return FThreadID; }
  // Running: marked when chosen, cleared when its work item is over.
  bool Running() const;
  void SetRunning();

 private:
  void Execute();
  void Finish(const std::shared_ptr<TOrvaneSessionThreadProc>& AProc);

  std::weak_ptr<TOrvaneSession> FOrvaneSession;
  // Used for waited items only: their waiting caller keeps the session alive.
  TOrvaneSession* FRawSession;
  std::string FUUID;
  std::thread::id FThreadID;
  int FThreadLevel;
  mutable std::mutex FLock;
  std::condition_variable FWake;  // work handed over, or stop
  std::condition_variable FDone;  // a work item is over
  std::shared_ptr<TOrvaneSessionThreadProc> FProc;
  bool FRunning = false;
  bool FStop = false;
  std::thread FThread;
};

// Creates a session's form instance registry, with the session as the owner
// component of what the registry creates. Installed by the bridge layer;
// without one a session has no registry.
using TOrvaneVexloInstanceFactory =
    std::function<std::shared_ptr<IOrvaneVexloInstance>(core::TComponent* AOwner)>;
void SetOrvaneVexloInstanceFactory(TOrvaneVexloInstanceFactory AFactory);

// Where new sessions take their language from (the bridge manager's
// language, installed by the bridge layer); without one they start in
// "Portuguese".
using TOrvaneLanguageSource = std::function<std::string()>;
void SetOrvaneSessionLanguageSource(TOrvaneLanguageSource ASource);

class TOrvaneSession : public core::TComponent,
                       public IOrvaneSession,
                       public std::enable_shared_from_this<TOrvaneSession> {
 public:
  // Seconds a session lives after its last renewal (60 hours) when no
  // engine root says otherwise (its SessionExpireSeconds option).
  static constexpr int kExpireSeconds = 216000;

  // A new session of the engine root (which may be null in tests of the
  // session alone): identity drawn, folder created, registries made.
  static std::shared_ptr<TOrvaneSession> Create(TOrvaneBaseClass* AOwner);
  explicit TOrvaneSession(TOrvaneBaseClass* AOwner);
  // Tears the session down when Close has not done so.
  ~TOrvaneSession() override;

  // --- IOrvaneSession ---
  std::string GetUUID() const override { return FUUID; }
  std::string GetToken() const override { return FToken; }
  std::string GetCallBackID() const override { return FCallBackID; }
  TOrvaneDateTime CreateDate() const override { return FCreateDate; }
  TOrvaneDateTime ExpireDate() const override;
  void RenewExpireDate() override;
  // Sets the expiry directly (a server controller may shorten a session).
  void SetExpireDate(TOrvaneDateTime AValue);
  bool GetExpire() const override { return FExpire.load(); }
  void SetExpire(bool AValue) override { FExpire = AValue; }
  bool Closing() const override { return FClosing.load(); }
  bool Destroying() const override { return FDestroyingSession.load(); }

  std::vector<std::thread::id> GetThreadIDs() const override;
  void ThreadAddCurrent() override;
  void ThreadRemoveCurrent() override;
  using IOrvaneSession::ExecThread;
  void ExecThread(bool AWait, std::function<void()> AProc) override;

  std::string PathSession() const override { return FPathSession; }
  std::map<std::string, std::string> GetFileDownloads() const override;
  IOrvaneForm* GetActiveForm() override;

  unsigned OpenedConnections() const override { return FOpenedConnections.load(); }
  void IncOpenedConnections() override;
  void DecOpenedConnections() override;
  std::chrono::steady_clock::time_point UnconnectedSince() const override;

  IOrvaneVexloClass* GetVexloBaseClass() const override;
  void SetVexloBaseClass(IOrvaneVexloClass* AValue) override;
  std::vector<IOrvaneVexloClass*> GetVexloForms() const override;
  void RemoveVexloClass(IOrvaneVexloClass* AValue) override;
  std::shared_ptr<IOrvaneVexloInstance> GetVexloInstance() const override;
  std::shared_ptr<IOrvaneCallBacks> GetCallBacks() const override;
  void SetData(std::shared_ptr<void> AValue) override;
  std::shared_ptr<void> GetData() const override;
  std::string GetLanguage() const override;
  void SetLanguage(const std::string& AValue) override;
  void ExecJS(const std::string& AScriptJS) override;
  std::string AddFileDownload(const std::string& AFullFilePath) override;
  void RemoveFileDownload(const std::string& AURL) override;
  void SendFile(const std::string& AFullFilePath, bool AOpenOnFinishDownload,
                const std::string& AWebFileName) override;
  IOrvaneForm* ActiveFormByFormUUID(const std::string& AFormUUID) override;
  void Lock(const std::string& AWaitName) override;
  void UnLock(const std::string& AWaitName) override;
  void UnLockAll() override;
  void Close() override;
  IOrvaneSessionInfo* InfoConnection() override { return &FInfoConnection; }
  TOrvaneURI* URI() override { return &FURI; }
  void EnterFormsGuard() override;
  bool TryEnterFormsGuard() override;
  void LeaveFormsGuard() override;
  uint64_t FormsGuardEntries() const override { return FFormsGuard.Entries(); }
  TOrvaneClipboard* Clipboard() override { return &FClipboard; }

  // --- inspection ---
  TOrvaneBaseClass* OrvaneBaseClass() const { return FOrvaneBaseClass; }
  // The names of the locks currently held, in the order taken.
  std::vector<std::string> LockNames() const;
  // The levels of the session's threads and whether each is running.
  std::vector<std::pair<int, bool>> ThreadStates() const;

 private:
  class TFormsGuard {
   public:
    explicit TFormsGuard(IOrvaneSession* ASession) : FSession(ASession) {}
    void Enter();
    // Enters unless another thread holds the guard.
    bool TryEnter();
    void Leave();
    // Gives the guard up entirely while the calling thread waits; returns
    // how deep it was held (0 when the caller did not hold it).
    int Suspend();
    void Resume(int ADepth);
    uint64_t Entries() const { return FEntries.load(); }

   private:
    // Takes the guard for this thread (the lock held, the guard free).
    void Take();
    IOrvaneSession* FSession;
    std::mutex FLock;
    std::condition_variable FFree;
    std::thread::id FOwner;
    int FDepth = 0;
    std::atomic<uint64_t> FEntries{1};
  };
  struct TLockEntry {
    std::string Name;
    bool Released = false;
  };

  // Records the calling thread when it is missing; true when it was added.
  bool ThreadAddCurrentIfMissing();
  // Hands a work item to a session thread. Once the session is being
  // destroyed only the teardown's own items (AForTeardown) and items handed
  // on by work already running are taken.
  void Dispatch(bool AWait, std::function<void()> AProc, bool AForTeardown);
  // True when the calling thread is running one of this session's items.
  bool RunningOwnItem() const;
  // Waits until every work item but the caller's own is over, lending the
  // forms guard meanwhile: a handler woken from a wait unwinds (reaching
  // its forms and data module) before they are freed.
  void WaitForWork();
  void WorkOver();
  // Marks the session closing, so no handler starts waiting any more, and
  // wakes those waiting; true when it was closing already.
  bool StopWaits();
  // Runs a work item inside the forms guard; failures end the item only.
  void RunItem(const std::function<void()>& AProc);
  friend class TOrvaneSessionThread;
  // The async hand-off of a non-waited item (runs on a new thread).
  void RunAsync(std::function<void()> AProc, int ALevel);
  // The destruction steps; runs once.
  void Destroy();
  void Notify(TSessionChangeType AType);
  // The engine root, when it is alive and not being torn down.
  TOrvaneBaseClass* LiveRoot() const;

  std::string FToken;
  std::string FUUID;
  std::string FCallBackID;
  TOrvaneDateTime FCreateDate;
  mutable std::mutex FExpireLock;
  TOrvaneDateTime FExpireDate;
  std::atomic<bool> FExpire{true};
  std::shared_ptr<IOrvaneVexloInstance> FVexloInstance;
  TOrvaneBaseClass* FOrvaneBaseClass;
  mutable std::mutex FFormsLock;  // FVexloBaseClass, FVexloForms
  IOrvaneVexloClass* FVexloBaseClass = nullptr;
  std::vector<IOrvaneVexloClass*> FVexloForms;
  std::shared_ptr<TOrvaneCallBacks> FIOrvaneCallBacks;
  mutable std::mutex FDataLock;
  std::shared_ptr<void> FData;
  std::vector<std::shared_ptr<TOrvaneSessionThread>> FThreads;
  mutable std::mutex FLockNameLock;
  std::condition_variable FLockReleased;
  std::vector<std::shared_ptr<TLockEntry>> FLockName;
  std::vector<std::thread::id> FThreadIDs;
  mutable std::mutex FDownloadsLock;
  std::map<std::string, std::string> FFileDownloads;
  std::atomic<bool> FClosing{false};
  std::atomic<bool> FDestroyingSession{false};
  std::atomic<bool> FThreadsStopped{false};
  std::once_flag FDestroyOnce;
  mutable std::mutex FCriticalThreadSession;  // FThreads, FThreadIDs
  std::mutex FWorkLock;                       // FPendingWork
  std::condition_variable FWorkChanged;
  // Work items handed to the session that have not ended (run or dropped).
  int FPendingWork = 0;
  std::atomic<unsigned> FOpenedConnections{0};
  mutable std::mutex FConnectionsLock;  // the counter's changes and FUnconnectedSince
  std::chrono::steady_clock::time_point FUnconnectedSince = std::chrono::steady_clock::now();
  TOrvaneSessionInfo FInfoConnection;
  mutable std::mutex FLanguageLock;
  std::string FLanguage = "Portuguese";
  TOrvaneURI FURI;
  std::string FPathSession;
  TFormsGuard FFormsGuard{this};
  TOrvaneClipboard FClipboard{this};
};

// The session whose forms guard the calling thread holds (the innermost one),
// or null: the session a piece of form code is working for.
IOrvaneSession* CurrentOrvaneSession();

// Closes every session of the table whose expiry has passed (and that is not
// closing already), telling the server controller sctExpireSession first.
// Returns how many were closed. The server controller runs it every minute.
int CloseExpiredSessions(TOrvaneBaseClass& ARoot);

// Closes every session whose page has had no WebSocket open for longer than
// ATimeout: a page that never connected, or lost its connection and did not
// come back. Returns how many were closed. The engine root runs it while
// its server is started (option AbandonedSessionTimeout).
int CloseAbandonedSessions(TOrvaneBaseClass& ARoot, std::chrono::seconds ATimeout);

// Closes every session of the table, as a server about to stop does: each
// one's handlers and notices run, its forms and data module go (detaching
// from the database) and its page's WebSockets are dropped. Returns how
// many were closed.
int CloseAllSessions(TOrvaneBaseClass& ARoot);

// The session log kept by the server controller: an in-memory dataset
// "CDSLog" with one row per session (AutoCod, Identify, User, IP, UserAgent,
// Status, DateConnection, DateUpdate, Expire, UUID, FormName).
db::TMemDataSet* CreateSessionLogDataSet(core::TComponent* AOwner);
// Writes the session's row (found by UUID, appended when missing) with the
// given status.
void WriteSessionLog(db::TMemDataSet& ADataSet, IOrvaneSession& ASession,
                     const std::string& AStatus);

}  // namespace orvane
