#include "orvane/server/Orvane.BaseClass.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <iostream>

#include "orvane/server/Orvane.Session.h"

namespace orvane {

namespace fs = std::filesystem;

std::atomic<TOrvaneBaseClass*> OrvaneBaseClassInstance{nullptr};

namespace {
// Static initialisation runs on the main thread.
const std::thread::id gMainThreadID = std::this_thread::get_id();
}  // namespace

std::thread::id MainThreadID() {
  return gMainThreadID;
}

TOrvaneBaseClass* OrvaneBaseClass() {
  return OrvaneBaseClassInstance.load();
}

// ---------------------------------------------------------------------------
// TOrvaneOptions

TOrvaneOptions::TOrvaneOptions() {
  FDataBaseFormatSettings = TFormatSettings::Create("pt-BR");
  FDataBaseFormatSettings.ShortDateFormat = "yyyy-mm-dd";
  FDataBaseFormatSettings.DateSeparator = '-';
  FDataBaseFormatSettings.DecimalSeparator = ',';
  FDataBaseFormatSettings.ThousandSeparator = '.';
  SetLanguage("pt-BR");
}

bool ValidNodeName(const std::string& AName) {
  if (AName.empty() || AName.size() > 32) return false;
  for (char c : AName)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
  return true;
}

void TOrvaneOptions::SetNodeName(const std::string& AValue) {
  if (!AValue.empty() && !ValidNodeName(AValue))
    throw EOrvaneError("Nome de nó inválido: \"" + AValue +
                       "\" (use até 32 letras, algarismos, \"-\" ou \"_\")");
  FNodeName = AValue;
}

std::vector<std::string> ParseAddressList(const std::string& AList) {
  std::vector<std::string> addresses;
  size_t start = 0;
  while (start <= AList.size()) {
    size_t comma = AList.find(',', start);
    std::string item =
        Trim(AList.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!item.empty()) {
      in_addr a4{};
      in6_addr a6{};
      if (inet_pton(AF_INET, item.c_str(), &a4) != 1 && inet_pton(AF_INET6, item.c_str(), &a6) != 1)
        throw EOrvaneError("Endereço inválido: \"" + item +
                           "\" (use endereços IP, como 127.0.0.1)");
      addresses.push_back(item);
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return addresses;
}

void TOrvaneOptions::SetTrustedProxies(const std::string& AValue) {
  ParseAddressList(AValue);
  FTrustedProxies = AValue;
}

std::string TOrvaneOptions::TempFolder() const {
  std::string dir = FTempDirectory;
  if (dir.empty()) {
    dir = FRootDirectory.empty() ? "./" : FRootDirectory;
    if (dir.back() != '/' && dir.back() != '\\') dir += '/';
    dir += "temp";
  }
  if (dir.back() != '/') dir += '/';
  return dir;
}

void TOrvaneOptions::SetLanguage(const std::string& AValue) {
  FLang = AValue;
  if (SameText(AValue, "pt") || SameText(AValue, "pt-br"))
    FFormatSettings = TFormatSettings::Create("pt-BR");
}

// ---------------------------------------------------------------------------
// TOrvaneINIConfig

namespace {
const char* const kSection = "Vexlo Server Config";

std::string ExecutableFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return exe.parent_path().string();
}
}  // namespace

TOrvaneINIConfig::TOrvaneINIConfig()
    : FFileName((fs::path(ExecutableFolder()) / "Config.ini").string()) {
  FIni.SetUnicode(true);
}

TOrvaneINIConfig::~TOrvaneINIConfig() = default;

void TOrvaneINIConfig::SetFileName(const std::string& AFileName) {
  FFileName = AFileName;
}

CSimpleIniA& TOrvaneINIConfig::FileINIConfig() {
  FIni.Reset();
  FIni.LoadFile(FFileName.c_str());  // a missing file reads as empty
  return FIni;
}

int TOrvaneINIConfig::ServerPort(int ADefaultPort) {
  return static_cast<int>(FileINIConfig().GetLongValue(kSection, "Server Port", ADefaultPort));
}

std::string TOrvaneINIConfig::ServerName(const std::string& ADefaultServerName) {
  return FileINIConfig().GetValue(kSection, "Server Name", ADefaultServerName.c_str());
}

std::string TOrvaneINIConfig::ServerDescription(const std::string& ADefaultServerDescription) {
  return FileINIConfig().GetValue(kSection, "Server Description",
                                  ADefaultServerDescription.c_str());
}

void TOrvaneINIConfig::WriteServerIdentity(int APort, const std::string& AName,
                                           const std::string& ADescription) {
  CSimpleIniA& ini = FileINIConfig();
  ini.SetLongValue(kSection, "Server Port", APort);
  ini.SetValue(kSection, "Server Name", AName.c_str());
  ini.SetValue(kSection, "Server Description", ADescription.c_str());
  std::error_code ec;
  if (fs::path folder = fs::path(FFileName).parent_path(); !folder.empty())
    fs::create_directories(folder, ec);
  if (ini.SaveFile(FFileName.c_str()) < 0)
    throw EOrvaneError("Não foi possível gravar a configuração em \"" + FFileName + "\"");
}

// ---------------------------------------------------------------------------
// TOrvaneBaseClass

TOrvaneBaseClass::TOrvaneBaseClass(core::TComponent* AOwner)
    : core::TComponent(AOwner), FOrvaneServerTCP(std::make_unique<TOrvaneServerTCP>()) {
  TOrvaneServerTCP& s = *FOrvaneServerTCP;
  s.DefaultPort = FServerPort;
  s.MaxConnections = 0;
  s.ListenQueue = 0;
  s.OrvaneBaseClass = this;
  s.OnGetHTML = [this](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse& r, TOrvaneWebSocketContext& c) {
    if (GetHTML) GetHTML(q, r, c);
  };
  s.OnReceiveMessage = [this](const TOrvaneWebSocketMessage& m, TOrvaneWebSocketContext& c,
                              std::string& a) {
    if (ReceiveMessage) ReceiveMessage(m, c, a);
  };
  s.OnGetFile = [this](const std::string& f, std::string& rf, std::string& rc, std::string& rr,
                       std::string& mt) {
    if (GetFile) GetFile(f, rf, rc, rr, mt);
  };
  s.OnFinishedGetHTML = [this](TOrvaneWebSocketContext& c) {
    if (FinishedGetHTML) FinishedGetHTML(c);
  };
  s.OnRESTData = [this](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse& r, TOrvaneWebSocketContext& c) {
    if (RESTData) RESTData(q, r, c);
  };
  s.OnDownloadData = [this](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse& r,
                            TOrvaneWebSocketContext& c) {
    if (DownloadData) DownloadData(q, r, c);
  };
  OrvaneBaseClassInstance = this;
}

TOrvaneBaseClass::~TOrvaneBaseClass() {
  // A session being closed on a closer's thread still uses the root.
  JoinSessionClosers(true);
  BeginDestroy();
  try {
    StopServer();
  } catch (...) {
  }
  FOrvaneServerTCP.reset();
  {
    std::lock_guard<std::recursive_mutex> g(CriticalSession);
    FSessions.clear();
    FSessionCount = 0;
  }
  TOrvaneBaseClass* self = this;
  OrvaneBaseClassInstance.compare_exchange_strong(self, nullptr);
}

int TOrvaneBaseClass::GetServerPort() const {
  std::lock_guard<std::mutex> g(FLock);
  return FServerPort;
}

void TOrvaneBaseClass::SetServerPort(int APort) {
  if (APort < 0 || APort > 65535)
    throw EOrvaneError("Porta inválida: " + std::to_string(APort) + " (use de 1 a 65535)");
  std::lock_guard<std::mutex> g(FLock);
  FServerPort = APort;
  FOrvaneServerTCP->DefaultPort = APort;
}

std::shared_ptr<IOrvaneSession> TOrvaneBaseClass::SessionByUUID(const std::string& AUUID) {
  std::lock_guard<std::recursive_mutex> g(CriticalSession);
  auto it = FSessions.find(AUUID);
  return it == FSessions.end() ? nullptr : it->second;
}

bool TOrvaneBaseClass::SessionValid(const std::string& AUUID) {
  std::shared_ptr<IOrvaneSession> s = SessionByUUID(AUUID);
  return s && !s->Closing() && std::chrono::system_clock::now() <= s->ExpireDate();
}

bool TOrvaneBaseClass::SessionValid(const std::string& AToken, const std::string& AUUID) {
  std::shared_ptr<IOrvaneSession> s = SessionByUUID(AUUID);
  return s && !s->Closing() && std::chrono::system_clock::now() <= s->ExpireDate() &&
         TokenEquals(s->GetToken(), AToken);
}

std::shared_ptr<IOrvaneSession> TOrvaneBaseClass::SessionByThreadID(std::thread::id FThreadID) {
  return SessionByThreadID(FThreadID, true);
}

std::shared_ptr<IOrvaneSession> TOrvaneBaseClass::SessionByThreadID(std::thread::id FThreadID,
                                                                    bool AAlertErrorThreadID) {
  std::lock_guard<std::recursive_mutex> g(CriticalSession);
  if (FThreadID == MainThreadID()) {
    if (AAlertErrorThreadID)
      throw EOrvaneError("Error in Thread becouse ID is Main Thread: Error 7001");
    return nullptr;
  }
  for (const auto& [uuid, session] : FSessions) {
    std::vector<std::thread::id> ids = session->GetThreadIDs();
    if (std::find(ids.begin(), ids.end(), FThreadID) != ids.end()) return session;
  }
  if (AAlertErrorThreadID)
    throw EOrvaneError("Error searching Session Thread, Session is nil: Error 7002");
  return nullptr;
}

void TOrvaneBaseClass::InstancePrimaryForm(const std::shared_ptr<IOrvaneSession>& AOrvaneSession) {
  if (auto c = ServerController()) c->InstancePrimaryForm(AOrvaneSession);
}

bool TOrvaneBaseClass::Started() const {
  return FOrvaneServerTCP->Active();
}

std::shared_ptr<IVexloServerControllerBase> TOrvaneBaseClass::ServerController() const {
  std::lock_guard<std::mutex> g(FLock);
  return FServerController;
}

void TOrvaneBaseClass::SetServerController(
    std::shared_ptr<IVexloServerControllerBase> AController) {
  std::lock_guard<std::mutex> g(FLock);
  FServerController = std::move(AController);
}

namespace {
// Places this thread has reserved for sessions it is about to add.
thread_local size_t tReservedByThread = 0;
}  // namespace

void TOrvaneBaseClass::AddSession(const std::shared_ptr<IOrvaneSession>& ASession) {
  std::lock_guard<std::recursive_mutex> g(CriticalSession);
  FSessions[ASession->GetUUID()] = ASession;
  FSessionCount = FSessions.size();
  if (tReservedByThread > 0 && FReservedSessions > 0) {
    --tReservedByThread;
    --FReservedSessions;
  }
}

bool TOrvaneBaseClass::ReserveNewSession() {
  std::lock_guard<std::recursive_mutex> g(CriticalSession);
  const int limit = FOrvaneOptions.MaxSessions();
  if (limit > 0 && FSessions.size() + FReservedSessions >= static_cast<size_t>(limit)) return false;
  ++FReservedSessions;
  ++tReservedByThread;
  return true;
}

void TOrvaneBaseClass::ReleaseNewSession() {
  std::lock_guard<std::recursive_mutex> g(CriticalSession);
  if (tReservedByThread > 0 && FReservedSessions > 0) {
    --tReservedByThread;
    --FReservedSessions;
  }
}

size_t TOrvaneBaseClass::SessionCount() {
  return FSessionCount;
}

void TOrvaneBaseClass::RemoveSession(const std::string& AUUID) {
  std::shared_ptr<IOrvaneSession> keep;  // released after the lock
  std::lock_guard<std::recursive_mutex> g(CriticalSession);
  auto it = FSessions.find(AUUID);
  if (it != FSessions.end()) {
    keep = it->second;
    FSessions.erase(it);
    FSessionCount = FSessions.size();
  }
}

net::TSSLOptions& TOrvaneBaseClass::SSLOptions() {
  return FOrvaneServerTCP->OpenSSL()->SSLOptions;
}

void TOrvaneBaseClass::DoNewSession(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                                    const std::shared_ptr<IOrvaneSession>& ASession) {
  if (auto c = ServerController())
    ASession->ExecThread(
        true, [c, ASession] { c->DoSessionChange(TSessionChangeType::sctNewSession, ASession); });
  if (OnNewSession)
    ASession->ExecThread(true, [this, &ARequest, &AResponse, ASession] {
      OnNewSession(ARequest, AResponse, ASession);
    });
}

void TOrvaneBaseClass::DoCloseSession(const std::shared_ptr<IOrvaneSession>& ASession) {
  if (auto c = ServerController())
    ASession->ExecThread(
        true, [c, ASession] { c->DoSessionChange(TSessionChangeType::sctCloseSession, ASession); });
  if (OnCloseSession) ASession->ExecThread(true, [this, ASession] { OnCloseSession(ASession); });
}

void TOrvaneBaseClass::StartServer() {
  std::unique_lock<std::mutex> g(FStartLock);
  TOrvaneServerTCP& server = *FOrvaneServerTCP;
  if (server.Active()) return;
  const TOrvaneOptions& o = FOrvaneOptions;
  const int port = GetServerPort();
  if (o.UseINIConfig()) {
    auto controller = ServerController();
    std::string name = controller ? controller->ServerName() : "";
    std::string description = controller ? controller->ServerDescription() : "";
    FINIConfig.WriteServerIdentity(port, name, description);
  }
  if (o.UseSSL()) {
    auto ssl = server.OpenSSL();
    ssl->SSLOptions.VerifyPeer = false;
    ssl->SSLOptions.VerifyDepth = 0;
    ssl->Init();  // TLS 1.2 and later only
    server.InitSSL(ssl);
  }
  server.ClearBindings();
  server.DefaultPort = port;
  if (!o.BindAddress().empty()) server.DefaultBindAddress = o.BindAddress();
  server.SetNodeName(o.NodeName());
  server.SetTrustedProxies(ParseAddressList(o.TrustedProxies()));
  std::string root = o.RootDirectory().empty() ? "./" : o.RootDirectory();
  if (root.back() != '/') root += '/';
  server.RootDirectory = root;
  server.MaxContentLength = o.MaxContentLength();
  server.MaxConnections = std::max(0, o.MaxConnections());
  server.LogMessageText = o.LogMessageText();
  server.SetActive(true);

  auto ensure = [](const fs::path& p) {
    std::error_code ec;
    if (fs::is_directory(p, ec)) return;
    fs::create_directories(p, ec);
    if (ec || !fs::is_directory(p))
      throw EOrvaneError("Não foi possível criar a pasta \"" + p.string() +
                         "\": " + (ec ? ec.message() : "caminho ocupado por um arquivo"));
  };
  fs::path r(root);
  ensure(r);
  ensure(r / o.PathCSS());
  ensure(r / o.PathJS());
  fs::path temp(o.TempFolder());
  ensure(temp);
  fs::path sessions = temp / "Sessions";
  std::error_code ec, probe;
  // A server that stopped a moment ago may still be removing the folders of
  // its last sessions; try again briefly before giving up.
  for (int attempt = 0; attempt < 20; ++attempt) {
    ec.clear();
    if (!fs::exists(fs::symlink_status(sessions, probe))) break;
    fs::remove_all(sessions, ec);
    if (!ec) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (ec)
    throw EOrvaneError("Não foi possível esvaziar a pasta \"" + sessions.string() +
                       "\": " + ec.message());
  ensure(sessions);
  StartSessionKeeper();
}

void TOrvaneBaseClass::StartSessionKeeper() {
  const int timeout = FOrvaneOptions.AbandonedSessionTimeout();
  if (timeout <= 0 || FSessionKeeper.joinable()) return;
  {
    std::lock_guard<std::mutex> g(FKeeperLock);
    FKeeperStop = false;
  }
  // Looks a few times per timeout, at least every 30 seconds.
  auto period = std::chrono::seconds(std::clamp(timeout / 4, 1, 30));
  FSessionKeeper = std::thread([this, period, timeout] {
    std::unique_lock<std::mutex> l(FKeeperLock);
    while (!FKeeperWake.wait_for(l, period, [this] { return FKeeperStop; })) {
      l.unlock();
      CloseAbandonedSessions(*this, std::chrono::seconds(timeout));
      l.lock();
    }
  });
}

void TOrvaneBaseClass::StopSessionKeeper() {
  if (!FSessionKeeper.joinable()) return;
  {
    std::lock_guard<std::mutex> g(FKeeperLock);
    FKeeperStop = true;
  }
  FKeeperWake.notify_all();
  FSessionKeeper.join();
}

void TOrvaneBaseClass::CloseSessionLater(const std::string& AUUID) {
  JoinSessionClosers(false);
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::lock_guard<std::mutex> g(FClosersLock);
  std::thread closer([this, AUUID, done] {
    try {
      if (std::shared_ptr<IOrvaneSession> session = SessionByUUID(AUUID)) session->Close();
    } catch (const std::exception& e) {
      std::cerr << "OrvaneServer: a sessão não pôde ser fechada: " << e.what() << std::endl;
    } catch (...) {
    }
    done->store(true);
  });
  FClosers.push_back({std::move(closer), done});
}

void TOrvaneBaseClass::JoinSessionClosers(bool AAll) {
  std::vector<TSessionCloser> finished;
  {
    std::lock_guard<std::mutex> g(FClosersLock);
    for (auto it = FClosers.begin(); it != FClosers.end();)
      if (AAll || it->Done->load()) {
        finished.push_back(std::move(*it));
        it = FClosers.erase(it);
      } else {
        ++it;
      }
  }
  for (TSessionCloser& c : finished)
    if (c.Thread.joinable()) c.Thread.join();
}

void TOrvaneBaseClass::StopServer() {
  JoinSessionClosers(true);
  std::lock_guard<std::mutex> g(FStartLock);
  StopSessionKeeper();
  FOrvaneServerTCP->SetActive(false);
  FOrvaneServerTCP->CloseAllConnection();
  FOrvaneServerTCP->ClearBindings();
}

}  // namespace orvane
