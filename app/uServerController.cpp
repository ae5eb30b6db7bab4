#include "app/uServerController.h"

#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <thread>

#include "app/uLogin.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Server.HTML.h"
#include "orvane/server/Orvane.Session.h"
#include "platform/db/DB.h"
#include "vexlo/Vexlo.Forms.h"
#include "vexlo/Vexlo.Instance.h"
#include "vexlo/Vexlo.Manager.h"
#include "vexlo/Vexlo.h"

namespace app {

namespace {

const char* NoticeName(orvane::TSessionChangeType AType) {
  using orvane::TSessionChangeType;
  switch (AType) {
    case TSessionChangeType::sctNewSession:
      return "nova";
    case TSessionChangeType::sctCloseSession:
      return "fechada";
    case TSessionChangeType::sctActiveSession:
      return "ativa";
    case TSessionChangeType::sctClosingSession:
      return "fechando";
    case TSessionChangeType::sctExpireSession:
      return "expirada";
    case TSessionChangeType::sctStabilizedConnectioSession:
      return "conectada";
    case TSessionChangeType::sctLostConnectioSession:
      return "conexão perdida";
    case TSessionChangeType::sctReconnectedSession:
      return "reconectada";
    case TSessionChangeType::sctDestroySession:
      return "destruída";
  }
  return "?";
}

}  // namespace

void TServerController::DoSessionChange(orvane::TSessionChangeType AType,
                                        const std::shared_ptr<orvane::IOrvaneSession>& ASession) {
  // The session's identifier is a credential: the line names the browser's
  // address instead.
  std::string ip;
  if (orvane::IOrvaneSessionInfo* info = ASession ? ASession->InfoConnection() : nullptr)
    ip = info->IP();
  std::fprintf(stderr, "Tamblo web: sessão %s%s%s\n", NoticeName(AType), ip.empty() ? "" : " de ",
               ip.c_str());
  std::lock_guard<std::mutex> g(FLogLock);
  if (!FCDSLog || !ASession) return;
  try {
    orvane::WriteSessionLog(*FCDSLog, *ASession, NoticeName(AType));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Tamblo web: registro da sessão falhou: %s\n", e.what());
  }
}

void TServerController::InstancePrimaryForm(
    const std::shared_ptr<orvane::IOrvaneSession>& ASession) {
  auto registry = std::dynamic_pointer_cast<vexlo::TVexloInstance>(
      ASession ? ASession->GetVexloInstance() : nullptr);
  if (!registry) return;
  vexlo::IVexloManager* manager = vexlo::VexloManager();
  core::TComponentClass primary = manager && manager->GetPrimaryFormClass()
                                      ? manager->GetPrimaryFormClass()
                                      : &TfLogin::StaticClass();
  // The form gets its bridge object as it is created on this session thread.
  auto* form = dynamic_cast<vexlo::TVexloForm*>(registry->CreateInstance(primary));
  if (form && form->Vexlo()) ASession->SetVexloBaseClass(form->Vexlo());
}

void ConfigureWebEngine(orvane::TOrvaneBaseClass& AEngine) {
  orvane::TOrvaneOptions& o = AEngine.GetOptions();
  o.SetRootDirectory("wwwroot/");
  o.SetPathCSS("css");
  o.SetPathJS("js");
  o.SetIncludeJQuery(true);
}

void TServerController::KeepSessionLog(bool AKeep) {
  std::lock_guard<std::mutex> g(FLogLock);
  if (!AKeep)
    FCDSLog.reset();
  else if (!FCDSLog)
    FCDSLog.reset(orvane::CreateSessionLogDataSet(nullptr));
}

std::shared_ptr<db::TMemDataSet> TServerController::SessionLog() {
  std::lock_guard<std::mutex> g(FLogLock);
  return FCDSLog;
}

TWebOptions ParseWebArguments(const std::vector<std::string>& AArgs) {
  TWebOptions o;
  for (size_t i = 0; i < AArgs.size(); ++i) {
    if (AArgs[i] == "--port") {
      if (i + 1 >= AArgs.size()) throw std::invalid_argument("--port precisa de um número");
      const std::string& v = AArgs[++i];
      size_t used = 0;
      int port = 0;
      try {
        port = std::stoi(v, &used);
      } catch (const std::exception&) {
        used = 0;
      }
      if (used != v.size() || v.empty() || port < 1 || port > 65535)
        throw std::invalid_argument("porta inválida: \"" + v + "\" (use um número de 1 a 65535)");
      o.Port = port;
    } else if (AArgs[i] == "--log-messages") {
      o.LogMessageText = true;
    } else {
      throw std::invalid_argument("opção desconhecida no modo web: " + AArgs[i]);
    }
  }
  return o;
}

void InstallSessionHooks() {
  orvane::SetOrvaneVexloInstanceFactory(
      [](core::TComponent* AOwner) { return std::make_shared<vexlo::TVexloInstance>(AOwner); });
  orvane::SetOrvaneSessionLanguageSource([] {
    vexlo::IVexloManager* manager = vexlo::VexloManager();
    return manager ? manager->GetLanguage() : std::string("Portuguese");
  });
}

int RunWebServer(const std::vector<std::string>& AArgs) {
  TWebOptions options;
  try {
    options = ParseWebArguments(AArgs);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tamblo: %s\n", e.what());
    return 2;
  }
  // Stop requests are taken by this thread alone: block them before any
  // server thread starts, so every thread inherits the mask.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  // A shell starting us in the background ignores SIGINT for us; an ignored
  // signal never reaches sigwait.
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  auto engine = std::make_unique<orvane::TOrvaneBaseClass>();
  auto manager = std::make_shared<vexlo::TVexloManager>();
  manager->SetOrvane(engine.get());
  manager->SetPrimaryFormClass(&TfLogin::StaticClass());
  vexlo::SetVexloManager(manager);
  InstallSessionHooks();
  auto controller = std::make_shared<TServerController>();
  engine->SetServerController(controller);
  // The page producer (with the message dispatcher) serves the engine's
  // pages, files, messages and downloads.
  auto pages = std::make_unique<orvane::TOrvaneServerHTML>(*engine);
  try {
    engine->SetServerPort(options.Port);
    ConfigureWebEngine(*engine);
    engine->GetOptions().SetLogMessageText(options.LogMessageText);
    engine->StartServer();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tamblo: não foi possível iniciar o servidor web: %s\n", e.what());
    return 1;
  }
  std::printf("Tamblo (web) no ar em http://localhost:%d/ servindo wwwroot/ (Ctrl+C encerra)\n",
              options.Port);
  std::fflush(stdout);
  controller->KeepSessionLog(engine->GetOptions().DataSetLog());
  // Expired sessions are closed once a minute.
  std::mutex sweepLock;
  std::condition_variable sweepWake;
  bool stopping = false;
  std::thread sweeper([&] {
    std::unique_lock<std::mutex> l(sweepLock);
    while (!sweepWake.wait_for(l, std::chrono::minutes(1), [&] { return stopping; })) {
      l.unlock();
      orvane::CloseExpiredSessions(*engine);
      l.lock();
    }
  });
  int signal = 0;
  sigwait(&stop, &signal);
  std::printf("Tamblo (web) encerrando.\n");
  {
    std::lock_guard<std::mutex> g(sweepLock);
    stopping = true;
  }
  sweepWake.notify_one();
  sweeper.join();
  // No connection thread calls the page producer once the server stopped;
  // the sessions (and their forms) go with the engine.
  engine->StopServer();
  pages.reset();
  engine.reset();
  vexlo::SetVexloManager(nullptr);
  return 0;
}

}  // namespace app
