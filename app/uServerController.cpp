#include "app/uServerController.h"

#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <thread>

#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Server.Functions.h"
#include "orvane/server/Orvane.Session.h"
#include "platform/db/DB.h"
#include "vexlo/Vexlo.Instance.h"
#include "vexlo/Vexlo.Manager.h"

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

void TServerController::InstancePrimaryForm(const std::shared_ptr<orvane::IOrvaneSession>&) {}

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

  // The dispatcher outlives the engine, whose connection threads call it.
  std::unique_ptr<orvane::TOrvaneServerFunctions> functions;
  auto engine = std::make_unique<orvane::TOrvaneBaseClass>();
  auto manager = std::make_shared<vexlo::TVexloManager>();
  manager->SetOrvane(engine.get());
  vexlo::SetVexloManager(manager);
  InstallSessionHooks();
  auto controller = std::make_shared<TServerController>();
  engine->SetServerController(controller);
  functions = std::make_unique<orvane::TOrvaneServerFunctions>(engine.get());
  functions->Attach(*engine);
  try {
    engine->SetServerPort(options.Port);
    orvane::TOrvaneOptions& o = engine->GetOptions();
    o.SetRootDirectory("wwwroot/");
    o.SetPathCSS("css");
    o.SetPathJS("js");
    o.SetLogMessageText(options.LogMessageText);
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
  engine->StopServer();
  engine.reset();
  vexlo::SetVexloManager(nullptr);
  return 0;
}

}  // namespace app
