#include "orvane/server/Orvane.Session.h"

#include <malloc.h>
#include <pthread.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Util.h"
#include "platform/db/DB.h"

namespace orvane {

namespace fs = std::filesystem;

namespace {

std::mutex gFactoryLock;
TOrvaneVexloInstanceFactory gVexloInstanceFactory;
TOrvaneLanguageSource gLanguageSource;

void NameCurrentThread(const std::string& AName) {
  // The kernel keeps 15 characters of a thread's name.
  pthread_setname_np(pthread_self(), AName.substr(0, 15).c_str());
}

void ReportFailure(const char* AWhere, const std::exception* AError) {
  std::cerr << "OrvaneSession: falha em " << AWhere << ": "
            << (AError ? AError->what() : "exceção desconhecida") << std::endl;
}

}  // namespace

void SetOrvaneVexloInstanceFactory(TOrvaneVexloInstanceFactory AFactory) {
  std::lock_guard<std::mutex> g(gFactoryLock);
  gVexloInstanceFactory = std::move(AFactory);
}

void SetOrvaneSessionLanguageSource(TOrvaneLanguageSource ASource) {
  std::lock_guard<std::mutex> g(gFactoryLock);
  gLanguageSource = std::move(ASource);
}

// ---------------------------------------------------------------------------
// TOrvaneSessionInfo

std::string TOrvaneSessionInfo::IP() const {
  std::lock_guard<std::mutex> g(FLock);
  return FIP;
}
void TOrvaneSessionInfo::SetIP(const std::string& AValue) {
  std::lock_guard<std::mutex> g(FLock);
  FIP = AValue;
}
std::string TOrvaneSessionInfo::User() const {
  std::lock_guard<std::mutex> g(FLock);
  return FUser;
}
void TOrvaneSessionInfo::SetUser(const std::string& AValue) {
  std::lock_guard<std::mutex> g(FLock);
  FUser = AValue;
}
std::string TOrvaneSessionInfo::Identity() const {
  std::lock_guard<std::mutex> g(FLock);
  return FIdentity;
}
void TOrvaneSessionInfo::SetIdentity(const std::string& AValue) {
  std::lock_guard<std::mutex> g(FLock);
  FIdentity = AValue;
}
std::string TOrvaneSessionInfo::UserAgent() const {
  std::lock_guard<std::mutex> g(FLock);
  return FUserAgent;
}
void TOrvaneSessionInfo::SetUserAgent(const std::string& AValue) {
  std::lock_guard<std::mutex> g(FLock);
  FUserAgent = AValue;
}

std::string TOrvaneSessionInfo::FormName() {
  std::string name;
  if (IOrvaneVexloClass* active = FSession ? FSession->GetVexloBaseClass() : nullptr)
    if (core::TComponent* form = active->GetVexloForm()) name = form->ClassName();
  std::lock_guard<std::mutex> g(FLock);
  if (!name.empty()) FFormName = name;
  return FFormName;
}

// ---------------------------------------------------------------------------
// TOrvaneSessionThread

TOrvaneSessionThread::TOrvaneSessionThread(std::weak_ptr<TOrvaneSession> ASession,
                                           TOrvaneSession* ARawSession, int ALevel)
    : FOrvaneSession(std::move(ASession)),
      FRawSession(ARawSession),
      FUUID(ARawSession->GetUUID()),
      FThreadLevel(ALevel) {}

TOrvaneSessionThread::~TOrvaneSessionThread() {
  // Only reached with a joinable thread when the thread itself drops the
  // last reference; it is on its way out.
  if (FThread.joinable()) FThread.detach();
}

void TOrvaneSessionThread::Start() {
  auto self = shared_from_this();
  FThread = std::thread([self] { self->Execute(); });
  FThreadID = FThread.get_id();
}

bool TOrvaneSessionThread::Running() const {
  std::lock_guard<std::mutex> g(FLock);
  return FRunning;
}

void TOrvaneSessionThread::SetRunning() {
  std::lock_guard<std::mutex> g(FLock);
  FRunning = true;
}

void TOrvaneSessionThread::Exec(std::shared_ptr<TOrvaneSessionThreadProc> AProc) {
  std::lock_guard<std::mutex> g(FLock);
  if (FStop) {
    // The thread is ending: the item is dropped and its waiter released.
    AProc->FDone = true;
    FRunning = false;
    FDone.notify_all();
    return;
  }
  FProc = std::move(AProc);
  FRunning = true;
  FWake.notify_one();
}

void TOrvaneSessionThread::WaitFor(const std::shared_ptr<TOrvaneSessionThreadProc>& AProc) {
  std::unique_lock<std::mutex> l(FLock);
  FDone.wait(l, [&] { return AProc->FDone; });
}

void TOrvaneSessionThread::Stop() {
  std::lock_guard<std::mutex> g(FLock);
  FStop = true;
  FWake.notify_one();
}

void TOrvaneSessionThread::Join() {
  if (!FThread.joinable()) return;
  if (FThread.get_id() == std::this_thread::get_id())
    FThread.detach();
  else
    FThread.join();
}

void TOrvaneSessionThread::Finish(const std::shared_ptr<TOrvaneSessionThreadProc>& AProc) {
  std::lock_guard<std::mutex> g(FLock);
  AProc->FDone = true;
  if (FProc == AProc) FProc.reset();
  FRunning = false;
  FDone.notify_all();
}

void TOrvaneSessionThread::Execute() {
  NameCurrentThread("Session " + FUUID + " #" + std::to_string(FThreadLevel));
  for (;;) {
    std::shared_ptr<TOrvaneSessionThreadProc> item;
    {
      std::unique_lock<std::mutex> l(FLock);
      FWake.wait(l, [&] { return FProc != nullptr || FStop; });
      if (FStop) break;
      item = FProc;
    }
    if (item->FWait) {
      // The waiting caller keeps the session alive until the item is over.
      FRawSession->RunItem(item->FProc);
      item->FProc = nullptr;
    } else if (auto session = FOrvaneSession.lock()) {
      std::function<void()> proc = std::move(item->FProc);
      int level = FThreadLevel;
      try {
        std::thread([session, proc = std::move(proc), level]() mutable {
          session->RunAsync(std::move(proc), level);
          // Dropping the last reference here tears the session down on
          // this thread, which nobody joins.
          session.reset();
        }).detach();
      } catch (const std::exception& e) {
        ReportFailure("criar linha de execução", &e);
      }
    }
    Finish(item);
  }
  std::shared_ptr<TOrvaneSessionThreadProc> pending;
  {
    std::lock_guard<std::mutex> g(FLock);
    pending = FProc;
  }
  if (pending) Finish(pending);
}

// ---------------------------------------------------------------------------
// TOrvaneSession::TFormsGuard

namespace {
// The sessions whose forms guard this thread entered, innermost last.
thread_local std::vector<IOrvaneSession*> tGuardedSessions;
// The sessions whose work items this thread is running, innermost last.
thread_local std::vector<const TOrvaneSession*> tRunningItems;
}  // namespace

IOrvaneSession* CurrentOrvaneSession() {
  return tGuardedSessions.empty() ? nullptr : tGuardedSessions.back();
}

void TOrvaneSession::TFormsGuard::Take() {
  FOwner = std::this_thread::get_id();
  FDepth = 1;
  ++FEntries;
  tGuardedSessions.push_back(FSession);
}

void TOrvaneSession::TFormsGuard::Enter() {
  std::unique_lock<std::mutex> l(FLock);
  std::thread::id me = std::this_thread::get_id();
  if (FDepth > 0 && FOwner == me) {
    ++FDepth;
    return;
  }
  FFree.wait(l, [&] { return FDepth == 0; });
  Take();
}

bool TOrvaneSession::TFormsGuard::TryEnter() {
  std::lock_guard<std::mutex> g(FLock);
  if (FDepth > 0) {
    if (FOwner != std::this_thread::get_id()) return false;
    ++FDepth;
    return true;
  }
  Take();
  return true;
}

void TOrvaneSession::TFormsGuard::Leave() {
  std::lock_guard<std::mutex> g(FLock);
  if (FDepth == 0 || FOwner != std::this_thread::get_id()) return;
  if (--FDepth == 0) {
    FOwner = std::thread::id();
    if (!tGuardedSessions.empty()) tGuardedSessions.pop_back();
    FFree.notify_one();
  }
}

int TOrvaneSession::TFormsGuard::Suspend() {
  std::lock_guard<std::mutex> g(FLock);
  if (FDepth == 0 || FOwner != std::this_thread::get_id()) return 0;
  int depth = FDepth;
  FDepth = 0;
  FOwner = std::thread::id();
  FFree.notify_one();
  return depth;
}

void TOrvaneSession::TFormsGuard::Resume(int ADepth) {
  if (ADepth <= 0) return;
  std::unique_lock<std::mutex> l(FLock);
  FFree.wait(l, [&] { return FDepth == 0; });
  FOwner = std::this_thread::get_id();
  FDepth = ADepth;
  ++FEntries;
}

// ---------------------------------------------------------------------------
// TOrvaneSession

std::shared_ptr<TOrvaneSession> TOrvaneSession::Create(TOrvaneBaseClass* AOwner) {
  return std::make_shared<TOrvaneSession>(AOwner);
}

TOrvaneSession::TOrvaneSession(TOrvaneBaseClass* AOwner)
    : core::TComponent(nullptr), FOrvaneBaseClass(AOwner), FInfoConnection(this) {
  std::string temp = "wwwroot/temp/";
  int64_t lifetime = kExpireSeconds;
  {
    std::unique_lock<std::recursive_mutex> g;
    if (AOwner) g = std::unique_lock<std::recursive_mutex>(AOwner->CriticalSession);
    FToken = GenerateRandomString(24);
    // A UUID is the session's key: never hand out one that is in use.
    do {
      FUUID = GenerateRandomString(12);
    } while (AOwner && AOwner->GetSessions().count(FUUID) != 0);
    FCallBackID = GenerateRandomNumber(9);
    FCreateDate = std::chrono::system_clock::now();
    if (AOwner) {
      temp = AOwner->GetOptions().TempFolder();
      lifetime = AOwner->GetOptions().SessionExpireSeconds();
    }
    FExpireDate = FCreateDate + std::chrono::seconds(lifetime);
  }
  FPathSession = temp + "Sessions/" + FUUID + "/";
  std::error_code ec;
  fs::create_directories(FPathSession, ec);
  if (!fs::is_directory(FPathSession))
    throw EOrvaneError("Não foi possível criar a pasta da sessão \"" + FPathSession +
                       "\": " + (ec ? ec.message() : "caminho ocupado por um arquivo"));
  FIOrvaneCallBacks = std::make_shared<TOrvaneCallBacks>(this);
  TOrvaneVexloInstanceFactory factory;
  TOrvaneLanguageSource language;
  {
    std::lock_guard<std::mutex> g(gFactoryLock);
    factory = gVexloInstanceFactory;
    language = gLanguageSource;
  }
  if (language) FLanguage = language();
  if (factory) FVexloInstance = factory(this);
}

TOrvaneSession::~TOrvaneSession() {
  try {
    Destroy();
  } catch (...) {
  }
}

TOrvaneBaseClass* TOrvaneSession::LiveRoot() const {
  TOrvaneBaseClass* root = FOrvaneBaseClass;
  if (!root || orvane::OrvaneBaseClass() != root || root->Destroying()) return nullptr;
  return root;
}

void TOrvaneSession::Notify(TSessionChangeType AType) {
  TOrvaneBaseClass* root = LiveRoot();
  if (!root) return;
  auto controller = root->ServerController();
  if (!controller) return;
  std::shared_ptr<IOrvaneSession> self = weak_from_this().lock();
  // While the object is being deleted no owner is left: the controller gets
  // a reference valid for the call only.
  if (!self) self = std::shared_ptr<IOrvaneSession>(std::shared_ptr<void>(), this);
  controller->DoSessionChange(AType, self);
}

TOrvaneDateTime TOrvaneSession::ExpireDate() const {
  std::lock_guard<std::mutex> g(FExpireLock);
  return FExpireDate;
}

void TOrvaneSession::SetExpireDate(TOrvaneDateTime AValue) {
  std::lock_guard<std::mutex> g(FExpireLock);
  FExpireDate = AValue;
}

void TOrvaneSession::RenewExpireDate() {
  {
    std::lock_guard<std::mutex> g(FExpireLock);
    TOrvaneBaseClass* root = LiveRoot();
    int64_t lifetime = root ? root->GetOptions().SessionExpireSeconds() : kExpireSeconds;
    FExpireDate = std::chrono::system_clock::now() + std::chrono::seconds(lifetime);
  }
  Notify(TSessionChangeType::sctActiveSession);
}

std::vector<std::thread::id> TOrvaneSession::GetThreadIDs() const {
  std::lock_guard<std::mutex> g(FCriticalThreadSession);
  return FThreadIDs;
}

void TOrvaneSession::ThreadAddCurrent() {
  std::lock_guard<std::mutex> g(FCriticalThreadSession);
  FThreadIDs.push_back(std::this_thread::get_id());
}

bool TOrvaneSession::ThreadAddCurrentIfMissing() {
  std::lock_guard<std::mutex> g(FCriticalThreadSession);
  std::thread::id me = std::this_thread::get_id();
  if (std::find(FThreadIDs.begin(), FThreadIDs.end(), me) != FThreadIDs.end()) return false;
  FThreadIDs.push_back(me);
  return true;
}

void TOrvaneSession::ThreadRemoveCurrent() {
  std::lock_guard<std::mutex> g(FCriticalThreadSession);
  auto it = std::find(FThreadIDs.begin(), FThreadIDs.end(), std::this_thread::get_id());
  if (it != FThreadIDs.end()) FThreadIDs.erase(it);
}

void TOrvaneSession::RunItem(const std::function<void()>& AProc) {
  tRunningItems.push_back(this);
  FFormsGuard.Enter();
  try {
    if (AProc) AProc();
  } catch (const core::EAbort&) {
    // The silent abort ends the handler without a message.
  } catch (const std::exception& e) {
    ReportFailure("tarefa da sessão", &e);
  } catch (...) {
    ReportFailure("tarefa da sessão", nullptr);
  }
  FFormsGuard.Leave();
  tRunningItems.pop_back();
}

bool TOrvaneSession::RunningOwnItem() const {
  return std::find(tRunningItems.begin(), tRunningItems.end(), this) != tRunningItems.end();
}

void TOrvaneSession::WorkOver() {
  std::lock_guard<std::mutex> g(FWorkLock);
  --FPendingWork;
  FWorkChanged.notify_all();
}

void TOrvaneSession::WaitForWork() {
  const auto own = std::count(tRunningItems.begin(), tRunningItems.end(), this);
  int depth = FFormsGuard.Suspend();
  {
    std::unique_lock<std::mutex> l(FWorkLock);
    int seconds = 0;
    while (!FWorkChanged.wait_for(l, std::chrono::seconds(1), [&] { return FPendingWork <= own; }))
      if (++seconds == 30)
        ReportFailure("encerrar a sessão: tarefas ainda em andamento após 30 s", nullptr);
  }
  FFormsGuard.Resume(depth);
}

void TOrvaneSession::RunAsync(std::function<void()> AProc, int ALevel) {
  NameCurrentThread("Async Session " + FUUID + " #" + std::to_string(ALevel));
  ThreadAddCurrent();
  RunItem(AProc);
  AProc = nullptr;  // what the work captured goes while the id still counts
  ThreadRemoveCurrent();
}

void TOrvaneSession::ExecThread(bool AWait, std::function<void()> AProc) {
  Dispatch(AWait, std::move(AProc), false);
}

void TOrvaneSession::Dispatch(bool AWait, std::function<void()> AProc, bool AForTeardown) {
  if (!AProc || FThreadsStopped.load()) return;
  if (FDestroyingSession.load() && !AForTeardown && !RunningOwnItem()) return;
  {
    std::lock_guard<std::mutex> g(FWorkLock);
    ++FPendingWork;
  }
  // The item counts as pending until its work is gone, run or dropped.
  std::shared_ptr<void> pending(nullptr, [this](void*) { WorkOver(); });
  // The caller counts as the session's for the time of the hand-off (and of
  // the wait); a thread that was not recorded before is forgotten again.
  bool added = ThreadAddCurrentIfMissing();
  auto item = std::make_shared<TOrvaneSessionThreadProc>();
  item->FWait = AWait;
  item->FProc = [proc = std::move(AProc), pending = std::move(pending)] { proc(); };
  std::shared_ptr<TOrvaneSessionThread> thread;
  {
    std::lock_guard<std::mutex> g(FCriticalThreadSession);
    if (!FThreadsStopped.load()) {
      for (const auto& t : FThreads)
        if (!t->Running()) {
          thread = t;
          break;
        }
      if (!thread) {
        thread = std::make_shared<TOrvaneSessionThread>(weak_from_this(), this,
                                                        static_cast<int>(FThreads.size()) + 1);
        thread->Start();
        FThreads.push_back(thread);
        FThreadIDs.push_back(thread->ThreadID());
      }
      // Marked before the lock is released, so no other caller picks it.
      thread->SetRunning();
    }
  }
  if (thread) {
    thread->Exec(item);
    if (AWait) {
      // A caller that holds the forms guard lends it to the work it waits for.
      int depth = FFormsGuard.Suspend();
      thread->WaitFor(item);
      FFormsGuard.Resume(depth);
    }
  }
  if (added) ThreadRemoveCurrent();
}

std::map<std::string, std::string> TOrvaneSession::GetFileDownloads() const {
  std::lock_guard<std::mutex> g(FDownloadsLock);
  return FFileDownloads;
}

IOrvaneForm* TOrvaneSession::GetActiveForm() {
  IOrvaneVexloClass* active = GetVexloBaseClass();
  return active ? active->GetOrvaneForm() : nullptr;
}

void TOrvaneSession::IncOpenedConnections() {
  std::lock_guard<std::mutex> g(FConnectionsLock);
  ++FOpenedConnections;
}

void TOrvaneSession::DecOpenedConnections() {
  std::lock_guard<std::mutex> g(FConnectionsLock);
  if (FOpenedConnections.load() == 0) return;
  if (--FOpenedConnections == 0) FUnconnectedSince = std::chrono::steady_clock::now();
}

std::chrono::steady_clock::time_point TOrvaneSession::UnconnectedSince() const {
  std::lock_guard<std::mutex> g(FConnectionsLock);
  return FOpenedConnections.load() > 0 ? std::chrono::steady_clock::time_point::max()
                                       : FUnconnectedSince;
}

IOrvaneVexloClass* TOrvaneSession::GetVexloBaseClass() const {
  std::lock_guard<std::mutex> g(FFormsLock);
  return FVexloBaseClass;
}

std::vector<IOrvaneVexloClass*> TOrvaneSession::GetVexloForms() const {
  std::lock_guard<std::mutex> g(FFormsLock);
  return FVexloForms;
}

void TOrvaneSession::SetVexloBaseClass(IOrvaneVexloClass* AValue) {
  IOrvaneVexloClass* previous = GetVexloBaseClass();
  core::TComponent* predecessor = nullptr;
  if (previous) {
    if (IOrvaneForm* form = previous->GetOrvaneForm()) {
      form->onFormUnload();
      for (IOrvaneVexloClass* nested : previous->GetNestedVexlos())
        if (IOrvaneForm* f = nested ? nested->GetOrvaneForm() : nullptr) f->onFormUnload();
    }
    predecessor = previous->GetVexloForm();
  }
  bool topLevel = AValue && AValue->GetParentVexlo() == nullptr;
  {
    std::lock_guard<std::mutex> g(FFormsLock);
    FVexloBaseClass = AValue;
    if (topLevel) {
      FVexloForms.erase(std::remove(FVexloForms.begin(), FVexloForms.end(), AValue),
                        FVexloForms.end());
      FVexloForms.push_back(AValue);
    }
  }
  if (topLevel) {
    AValue->SetPriorVexlo(nullptr);
    if (predecessor && predecessor != AValue->GetVexloForm()) AValue->SetPriorVexlo(predecessor);
  }
}

void TOrvaneSession::RemoveVexloClass(IOrvaneVexloClass* AValue) {
  std::lock_guard<std::mutex> g(FFormsLock);
  FVexloForms.erase(std::remove(FVexloForms.begin(), FVexloForms.end(), AValue), FVexloForms.end());
  if (FVexloBaseClass == AValue) FVexloBaseClass = nullptr;
}

std::shared_ptr<IOrvaneVexloInstance> TOrvaneSession::GetVexloInstance() const {
  std::lock_guard<std::mutex> g(FDataLock);
  return FVexloInstance;
}

std::shared_ptr<IOrvaneCallBacks> TOrvaneSession::GetCallBacks() const {
  std::lock_guard<std::mutex> g(FDataLock);
  return FIOrvaneCallBacks;
}

void TOrvaneSession::SetData(std::shared_ptr<void> AValue) {
  std::shared_ptr<void> old;  // released outside the lock
  std::lock_guard<std::mutex> g(FDataLock);
  old = std::exchange(FData, std::move(AValue));
}

std::shared_ptr<void> TOrvaneSession::GetData() const {
  std::lock_guard<std::mutex> g(FDataLock);
  return FData;
}

std::string TOrvaneSession::GetLanguage() const {
  std::lock_guard<std::mutex> g(FLanguageLock);
  return FLanguage;
}

void TOrvaneSession::SetLanguage(const std::string& AValue) {
  std::lock_guard<std::mutex> g(FLanguageLock);
  FLanguage = AValue;
}

void TOrvaneSession::ExecJS(const std::string& AScriptJS) {
  TOrvaneBaseClass* root = LiveRoot();
  if (!root) return;
  nlohmann::json message = {{"ExecJS", nlohmann::json::array({AScriptJS})}};
  // Every character below 32 and above 127 travels as a \u escape; bytes
  // that are not UTF-8 become U+FFFD instead of failing the push.
  std::string text = message.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
  root->OrvaneServerTCP().SendWebSocketMessage(text, FToken, FUUID);
}

std::string TOrvaneSession::AddFileDownload(const std::string& AFullFilePath) {
  std::error_code ec;
  if (AFullFilePath.empty() || !fs::is_regular_file(AFullFilePath, ec)) return "";
  std::string key = GenerateRandomJustString(17);
  {
    std::lock_guard<std::mutex> g(FDownloadsLock);
    while (FFileDownloads.count(key) != 0) key = GenerateRandomJustString(17);
    FFileDownloads[key] = AFullFilePath;
  }
  return "/vexlo/download?file=" + key + "&token=" + FToken + "&orvanesession=" + FUUID;
}

void TOrvaneSession::RemoveFileDownload(const std::string& AURL) {
  const std::string marker = "?file=";
  size_t at = AURL.find(marker);
  if (at == std::string::npos) return;
  size_t end = AURL.find('&', at);
  const std::string key = AURL.substr(
      at + marker.size(), end == std::string::npos ? std::string::npos : end - at - marker.size());
  std::lock_guard<std::mutex> g(FDownloadsLock);
  FFileDownloads.erase(key);
}

void TOrvaneSession::SendFile(const std::string& AFullFilePath, bool AOpenOnFinishDownload,
                              const std::string& AWebFileName) {
  std::error_code ec;
  if (AFullFilePath.empty() || !fs::is_regular_file(AFullFilePath, ec)) return;
  std::string key = GenerateRandomJustString(17);
  {
    std::lock_guard<std::mutex> g(FDownloadsLock);
    while (FFileDownloads.count(key) != 0) key = GenerateRandomJustString(17);
    FFileDownloads[key] = AFullFilePath;
  }
  std::string url = "/vexlo/download?file=" + key + "&token=" + FToken + "&orvanesession=" + FUUID;
  std::string webName =
      AWebFileName.empty() ? fs::path(AFullFilePath).filename().string() : AWebFileName;
  // The names are written as JSON string literals, so quotes or backslashes
  // in a file name cannot break out of the script.
  std::string script =
      "var fileUrl = " + FormatValueHTML(url) + ";\n" +
      "var openAfterDownload = " + (AOpenOnFinishDownload ? "true" : "false") + ";\n" +
      "var downloadLink = document.createElement('a');\n" + "downloadLink.href = fileUrl;\n" +
      "downloadLink.download = " + FormatValueHTML(webName) + ";\n" + "downloadLink.click();\n" +
      "if (openAfterDownload) {\n" + "  window.open(fileUrl, '_blank');\n" + "}";
  ExecJS(script);
}

IOrvaneForm* TOrvaneSession::ActiveFormByFormUUID(const std::string& AFormUUID) {
  IOrvaneVexloClass* active = GetVexloBaseClass();
  if (!active || AFormUUID.empty()) return nullptr;
  if (IOrvaneForm* form = active->GetOrvaneForm(); form && form->GetFormUUID() == AFormUUID)
    return form;
  for (IOrvaneVexloClass* nested : active->GetNestedVexlos())
    if (IOrvaneForm* form = nested ? nested->GetOrvaneForm() : nullptr;
        form && form->GetFormUUID() == AFormUUID)
      return form;
  return nullptr;
}

void TOrvaneSession::Lock(const std::string& AWaitName) {
  std::unique_lock<std::mutex> l(FLockNameLock);
  // A closing session has released every lock; nothing would release a new one.
  if (FClosing.load()) return;
  for (const auto& entry : FLockName)
    if (entry->Name == AWaitName) return;
  auto entry = std::make_shared<TLockEntry>();
  entry->Name = AWaitName;
  FLockName.push_back(entry);
  l.unlock();
  // The waiting thread lends the forms guard to whoever will release it.
  int depth = FFormsGuard.Suspend();
  l.lock();
  FLockReleased.wait(l, [&] { return entry->Released; });
  l.unlock();
  FFormsGuard.Resume(depth);
}

void TOrvaneSession::UnLock(const std::string& AWaitName) {
  std::lock_guard<std::mutex> g(FLockNameLock);
  for (auto it = FLockName.begin(); it != FLockName.end(); ++it)
    if ((*it)->Name == AWaitName) {
      (*it)->Released = true;
      FLockName.erase(it);
      FLockReleased.notify_all();
      return;
    }
}

void TOrvaneSession::UnLockAll() {
  std::lock_guard<std::mutex> g(FLockNameLock);
  for (const auto& entry : FLockName) entry->Released = true;
  FLockName.clear();
  FLockReleased.notify_all();
}

std::vector<std::string> TOrvaneSession::LockNames() const {
  std::lock_guard<std::mutex> g(FLockNameLock);
  std::vector<std::string> names;
  for (const auto& entry : FLockName) names.push_back(entry->Name);
  return names;
}

std::vector<std::pair<int, bool>> TOrvaneSession::ThreadStates() const {
  std::lock_guard<std::mutex> g(FCriticalThreadSession);
  std::vector<std::pair<int, bool>> states;
  for (const auto& t : FThreads) states.emplace_back(t->ThreadLevel(), t->Running());
  return states;
}

void TOrvaneSession::EnterFormsGuard() {
  FFormsGuard.Enter();
}

bool TOrvaneSession::TryEnterFormsGuard() {
  return FFormsGuard.TryEnter();
}

void TOrvaneSession::LeaveFormsGuard() {
  FFormsGuard.Leave();
}

bool TOrvaneSession::StopWaits() {
  bool wasClosing;
  {
    // Set under the lock list's lock, so no Lock starts waiting after this.
    std::lock_guard<std::mutex> g(FLockNameLock);
    wasClosing = FClosing.exchange(true);
  }
  UnLockAll();
  return wasClosing;
}

void TOrvaneSession::Close() {
  if (StopWaits()) return;
  Notify(TSessionChangeType::sctClosingSession);
  if (TOrvaneBaseClass* root = LiveRoot())
    if (auto self = weak_from_this().lock()) {
      try {
        root->DoCloseSession(self);
      } catch (const std::exception& e) {
        ReportFailure("fechar a sessão", &e);
      }
    }
  {
    std::lock_guard<std::mutex> g(FExpireLock);
    FExpireDate = std::chrono::system_clock::now() - std::chrono::hours(24 * 30 * 1080);
  }
  try {
    Destroy();
  } catch (...) {
  }
}

void TOrvaneSession::Destroy() {
  std::call_once(FDestroyOnce, [this] {
    FDestroyingSession = true;
    StopWaits();
    try {
      Notify(TSessionChangeType::sctDestroySession);
    } catch (...) {
    }
    // Handlers still running (a woken one unwinding from its wait, one
    // that arrived while the session closed) end before what they use goes.
    WaitForWork();
    // What the session owns (its forms) is freed on a session thread.
    try {
      if (ComponentCount() > 0)
        Dispatch(
            true, [this] { DestroyComponents(); }, true);
    } catch (...) {
    }
    if (TOrvaneBaseClass* root = LiveRoot()) {
      try {
        root->RemoveSession(FUUID);
      } catch (...) {
      }
    }
    {
      std::lock_guard<std::mutex> g(FFormsLock);
      FVexloBaseClass = nullptr;
      FVexloForms.clear();
    }
    std::shared_ptr<TOrvaneCallBacks> callbacks;
    std::shared_ptr<void> data;
    std::shared_ptr<IOrvaneVexloInstance> instance;
    {
      std::lock_guard<std::mutex> g(FDataLock);
      callbacks = std::move(FIOrvaneCallBacks);
      data = std::move(FData);
      instance = std::move(FVexloInstance);
    }
    try {
      callbacks.reset();
      data.reset();
      instance.reset();
    } catch (...) {
    }
    {
      std::lock_guard<std::mutex> g(FDownloadsLock);
      FFileDownloads.clear();
    }
    std::vector<std::shared_ptr<TOrvaneSessionThread>> threads;
    {
      std::lock_guard<std::mutex> g(FCriticalThreadSession);
      FThreadsStopped = true;
      threads = FThreads;
    }
    for (auto it = threads.rbegin(); it != threads.rend(); ++it) {
      (*it)->Stop();
      (*it)->Join();
    }
    {
      std::lock_guard<std::mutex> g(FCriticalThreadSession);
      FThreads.clear();
      FThreadIDs.clear();
    }
    // The temporary folder goes with the session: nothing can reach its
    // files any more, and sessions come and go all day.
    std::error_code ec;
    fs::remove_all(FPathSession, ec);
    malloc_trim(0);
    if (TOrvaneBaseClass* root = LiveRoot()) {
      try {
        root->OrvaneServerTCP().DisconnectWebSocketMessage(FToken, FUUID, true);
      } catch (...) {
      }
    }
  });
}

int CloseExpiredSessions(TOrvaneBaseClass& ARoot) {
  std::vector<std::shared_ptr<IOrvaneSession>> expired;
  auto now = std::chrono::system_clock::now();
  {
    std::lock_guard<std::recursive_mutex> g(ARoot.CriticalSession);
    for (const auto& [uuid, session] : ARoot.GetSessions())
      if (session && !session->Closing() && now > session->ExpireDate()) expired.push_back(session);
  }
  // Closed outside the table lock: closing takes it again and runs work on
  // the session's threads.
  auto controller = ARoot.ServerController();
  for (const auto& session : expired) {
    try {
      if (controller) controller->DoSessionChange(TSessionChangeType::sctExpireSession, session);
      session->Close();
    } catch (const std::exception& e) {
      ReportFailure("fechar sessão expirada", &e);
    }
  }
  return static_cast<int>(expired.size());
}

int CloseAbandonedSessions(TOrvaneBaseClass& ARoot, std::chrono::seconds ATimeout) {
  std::vector<std::shared_ptr<IOrvaneSession>> abandoned;
  auto now = std::chrono::steady_clock::now();
  {
    std::lock_guard<std::recursive_mutex> g(ARoot.CriticalSession);
    for (const auto& [uuid, session] : ARoot.GetSessions()) {
      if (!session || session->Closing()) continue;
      auto since = session->UnconnectedSince();
      if (since != std::chrono::steady_clock::time_point::max() && now - since > ATimeout)
        abandoned.push_back(session);
    }
  }
  for (const auto& session : abandoned) {
    try {
      session->Close();
    } catch (const std::exception& e) {
      ReportFailure("fechar sessão sem página", &e);
    }
  }
  return static_cast<int>(abandoned.size());
}

int CloseAllSessions(TOrvaneBaseClass& ARoot) {
  std::vector<std::shared_ptr<IOrvaneSession>> all;
  {
    std::lock_guard<std::recursive_mutex> g(ARoot.CriticalSession);
    for (const auto& [uuid, session] : ARoot.GetSessions())
      if (session && !session->Closing()) all.push_back(session);
  }
  for (const auto& session : all) {
    try {
      session->Close();
    } catch (const std::exception& e) {
      ReportFailure("fechar sessão", &e);
    }
  }
  return static_cast<int>(all.size());
}

// ---------------------------------------------------------------------------
// Session log

namespace {

db::TDateTime ToDateTime(TOrvaneDateTime AValue) {
  std::time_t t = std::chrono::system_clock::to_time_t(AValue);
  std::tm tm{};
  localtime_r(&t, &tm);
  return db::EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                            tm.tm_sec, 0);
}

std::string Clip(const std::string& AText, size_t ASize) {
  if (AText.size() <= ASize) return AText;
  // Cut at a character boundary.
  size_t n = ASize;
  while (n > 0 && (static_cast<unsigned char>(AText[n]) & 0xC0) == 0x80) --n;
  return AText.substr(0, n);
}

}  // namespace

db::TMemDataSet* CreateSessionLogDataSet(core::TComponent* AOwner) {
  auto* ds = new db::TMemDataSet(AOwner);
  ds->SetName("CDSLog");
  db::TField& autoCod = ds->AddField("AutoCod", db::TFieldType::ftInteger);
  autoCod.ReadOnly = true;
  autoCod.AutoGenerateValue = true;
  ds->AddField("Identify", db::TFieldType::ftString, 150);
  ds->AddField("User", db::TFieldType::ftString, 150);
  ds->AddField("IP", db::TFieldType::ftString, 24);
  ds->AddField("UserAgent", db::TFieldType::ftString, 120);
  ds->AddField("Status", db::TFieldType::ftString, 50);
  ds->AddField("DateConnection", db::TFieldType::ftDateTime).DisplayFormat = "DD/MM/YY HH:MM";
  ds->AddField("DateUpdate", db::TFieldType::ftDateTime).DisplayFormat = "DD/MM/YY HH:MM";
  ds->AddField("Expire", db::TFieldType::ftString, 30);
  ds->AddField("UUID", db::TFieldType::ftString, 30);
  ds->AddField("FormName", db::TFieldType::ftString, 100);
  ds->Open();
  return ds;
}

void WriteSessionLog(db::TMemDataSet& ADataSet, IOrvaneSession& ASession,
                     const std::string& AStatus) {
  if (!ADataSet.Active()) ADataSet.Open();
  std::string uuid = ASession.GetUUID();
  if (ADataSet.Locate("UUID", uuid)) {
    ADataSet.Edit();
  } else {
    int64_t next = 1;
    for (ADataSet.First(); !ADataSet.Eof(); ADataSet.Next())
      next = std::max(next, ADataSet.FieldByName("AutoCod").AsLargeInt() + 1);
    ADataSet.Append();
    db::TField& autoCod = ADataSet.FieldByName("AutoCod");
    autoCod.ReadOnly = false;
    autoCod.SetAsLargeInt(next);
    autoCod.ReadOnly = true;
    ADataSet.FieldByName("UUID").SetAsString(uuid);
    ADataSet.FieldByName("DateConnection").SetAsDateTime(ToDateTime(ASession.CreateDate()));
  }
  if (IOrvaneSessionInfo* info = ASession.InfoConnection()) {
    ADataSet.FieldByName("Identify").SetAsString(Clip(info->Identity(), 150));
    ADataSet.FieldByName("User").SetAsString(Clip(info->User(), 150));
    ADataSet.FieldByName("IP").SetAsString(Clip(info->IP(), 24));
    ADataSet.FieldByName("UserAgent").SetAsString(Clip(info->UserAgent(), 120));
    ADataSet.FieldByName("FormName").SetAsString(Clip(info->FormName(), 100));
  }
  ADataSet.FieldByName("Status").SetAsString(Clip(AStatus, 50));
  ADataSet.FieldByName("DateUpdate").SetAsDateTime(db::Now());
  bool valid = !ASession.Closing() && std::chrono::system_clock::now() <= ASession.ExpireDate();
  ADataSet.FieldByName("Expire").SetAsString(valid ? "Ativa" : "Expirada");
  ADataSet.Post();
}

}  // namespace orvane
