#include "app/uServerController.h"

#include <arpa/inet.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <thread>

#include "app/uDM.h"
#include "app/uLogin.h"
#include "app/uMenu.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Server.HTML.h"
#include "orvane/server/Orvane.Session.h"
#include "platform/db/DB.h"
#include "platform/db/FireBird.h"
#include "vexlo/Vexlo.Forms.h"
#include "vexlo/Vexlo.Instance.h"
#include "vexlo/Vexlo.Manager.h"
#include "vexlo/Vexlo.h"
#include "vexlo/adapters/Vexlo.VCLObj.h"

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
  if (!form || !form->Vexlo()) return;
  auto* login = dynamic_cast<TfLogin*>(form);
  if (!login) {
    form->Show();
    return;
  }
  // As the program starts on the desktop: the login runs modally and, once
  // it closes on valid credentials, the menu shows. The wait is not a
  // thread: the rest runs when the login closes. (The session owns the
  // login and its registry; both outlive this continuation's run.)
  orvane::IOrvaneSession* session = ASession.get();
  vexlo::TVexloInstance* forms = registry.get();
  login->ShowModal([session, forms](ui::TModalResult) {
    if (session->Closing() || session->Destroying()) return;
    auto* done = forms->GetInstance<TfLogin>();
    const std::string user = done ? done->edtLogin->Text() : std::string();
    if (orvane::IOrvaneSessionInfo* info = session->InfoConnection()) info->SetUser(user);
    forms->DestroyInstance(&TfLogin::StaticClass());
    // The session's data module comes before the menu, so that it goes
    // after the menu and its tabs when the session ends (a component's
    // owned components go last-made first).
    (void)static_cast<TDM*>(DM);
    // The menu, modal as on the desktop; its "Sair" ends the session.
    auto* menu = forms->CreateInstance<TfMenu>();
    menu->ShowModal([](ui::TModalResult) {});
  });
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

namespace {

// One option: its flag, its environment variable and how a text sets it.
struct TOptionSpec {
  const char* Flag;
  const char* Variable;
  std::function<void(TWebOptions&, const std::string& AWhere, const std::string& AValue)> Set;
};

[[noreturn]] void Refuse(const std::string& AWhere, const std::string& AWhat) {
  throw std::invalid_argument(AWhere + ": " + AWhat);
}

// A whole decimal number within [AMin, AMax].
int64_t Number(const std::string& AWhere, const std::string& AText, int64_t AMin, int64_t AMax,
               const std::string& AExpected) {
  int64_t value = 0;
  auto [end, ec] = std::from_chars(AText.data(), AText.data() + AText.size(), value);
  if (AText.empty() || ec != std::errc() || end != AText.data() + AText.size() || value < AMin ||
      value > AMax)
    Refuse(AWhere, "valor inválido \"" + AText + "\" (" + AExpected + ")");
  return value;
}

// A time: a number of seconds, or a number followed by s, m, h or d.
int64_t Seconds(const std::string& AWhere, const std::string& AText, int64_t AMaxSeconds) {
  static const std::pair<char, int64_t> kUnits[] = {{'s', 1}, {'m', 60}, {'h', 3600}, {'d', 86400}};
  std::string digits = AText;
  int64_t unit = 1;
  for (const auto& [suffix, seconds] : kUnits)
    if (!digits.empty() && digits.back() == suffix) {
      digits.pop_back();
      unit = seconds;
      break;
    }
  const std::string expected = "use segundos, ou um número seguido de s, m, h ou d, como 60h";
  int64_t value = Number(AWhere, digits, 0, AMaxSeconds, expected);
  if (value > AMaxSeconds / unit) Refuse(AWhere, "tempo longo demais: \"" + AText + "\"");
  return value * unit;
}

const std::vector<TOptionSpec>& OptionSpecs() {
  static const std::vector<TOptionSpec> kSpecs = {
      {"--port", "TAMBLO_PORT",
       [](TWebOptions& o, const std::string& w, const std::string& v) {
         o.Port = static_cast<int>(Number(w, v, 1, 65535, "use um número de 1 a 65535"));
       }},
      {"--bind", "TAMBLO_BIND",
       [](TWebOptions& o, const std::string& w, const std::string& v) {
         in_addr a4{};
         in6_addr a6{};
         if (inet_pton(AF_INET, v.c_str(), &a4) != 1 && inet_pton(AF_INET6, v.c_str(), &a6) != 1)
           Refuse(w, "endereço inválido \"" + v +
                         "\" (use um endereço IP desta máquina, como 127.0.0.1 ou 0.0.0.0)");
         o.BindAddress = v;
       }},
      {"--web-root", "TAMBLO_WEB_ROOT",
       [](TWebOptions& o, const std::string&, const std::string& v) { o.WebRoot = v; }},
      {"--temp-dir", "TAMBLO_TEMP_DIR",
       [](TWebOptions& o, const std::string&, const std::string& v) { o.TempDirectory = v; }},
      {"--ini-file", "TAMBLO_INI_FILE",
       [](TWebOptions& o, const std::string&, const std::string& v) { o.IniFile = v; }},
      {"--node", "TAMBLO_NODE",
       [](TWebOptions& o, const std::string& w, const std::string& v) {
         if (!orvane::ValidNodeName(v))
           Refuse(w, "nome de nó inválido \"" + v +
                         "\" (use até 32 letras sem acento, algarismos, \"-\" ou \"_\")");
         o.NodeName = v;
       }},
      {"--trusted-proxy", "TAMBLO_TRUSTED_PROXY",
       [](TWebOptions& o, const std::string& w, const std::string& v) {
         try {
           orvane::ParseAddressList(v);
         } catch (const std::exception& e) {
           Refuse(w, e.what());
         }
         o.TrustedProxies = v;
       }},
      {"--session-expiry", "TAMBLO_SESSION_EXPIRY",
       [](TWebOptions& o, const std::string& w, const std::string& v) {
         o.SessionExpireSeconds = Seconds(w, v, int64_t(10) * 365 * 86400);
         if (o.SessionExpireSeconds < 60) Refuse(w, "uma sessão precisa valer pelo menos 1 minuto");
       }},
      {"--abandoned-after", "TAMBLO_ABANDONED_AFTER",
       [](TWebOptions& o, const std::string& w, const std::string& v) {
         o.AbandonedSessionTimeout = static_cast<int>(Seconds(w, v, int64_t(30) * 86400));
       }},
      {"--max-sessions", "TAMBLO_MAX_SESSIONS",
       [](TWebOptions& o, const std::string& w, const std::string& v) {
         o.MaxSessions =
             static_cast<int>(Number(w, v, 0, 1000000, "use um número; 0 é sem limite"));
       }},
      {"--max-connections", "TAMBLO_MAX_CONNECTIONS",
       [](TWebOptions& o, const std::string& w, const std::string& v) {
         o.MaxConnections =
             static_cast<int>(Number(w, v, 0, 1000000, "use um número; 0 é sem limite"));
       }},
  };
  return kSpecs;
}

}  // namespace

TWebOptions ParseWebArguments(const std::vector<std::string>& AArgs, const TGetEnv& AGetEnv) {
  TWebOptions o;
  TGetEnv getEnv = AGetEnv ? AGetEnv : [](const char* AName) { return std::getenv(AName); };
  for (const TOptionSpec& spec : OptionSpecs())
    if (const char* v = getEnv(spec.Variable); v && *v) spec.Set(o, spec.Variable, v);
  for (size_t i = 0; i < AArgs.size(); ++i) {
    const std::string& arg = AArgs[i];
    if (arg == "--log-messages") {
      o.LogMessageText = true;
      continue;
    }
    std::string flag = arg, value;
    bool inline_ = false;
    if (size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      flag = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inline_ = true;
    }
    auto spec = std::find_if(OptionSpecs().begin(), OptionSpecs().end(),
                             [&](const TOptionSpec& s) { return flag == s.Flag; });
    if (spec == OptionSpecs().end())
      throw std::invalid_argument("opção desconhecida no modo web: " + arg +
                                  " (tamblo --help lista as opções)");
    if (!inline_) {
      if (i + 1 >= AArgs.size()) throw std::invalid_argument(flag + " precisa de um valor");
      value = AArgs[++i];
    }
    if (value.empty()) throw std::invalid_argument(flag + " precisa de um valor");
    spec->Set(o, flag, value);
  }
  return o;
}

std::string UsageText() {
  return R"(Uso:
  tamblo [--db-host HOST] [--db-path CAMINHO]
      Abre o Tamblo em janelas (precisa de uma tela).
  tamblo --web [opções]
      Serve o Tamblo a navegadores até receber SIGTERM ou Ctrl+C; ao parar,
      encerra as sessões (fecha os formulários e as conexões com o banco).
  tamblo --help
      Mostra esta ajuda.

Cada opção tem também uma variável de ambiente (à direita); um valor na
linha de comando vale sobre o da variável. TEMPO: segundos, ou um número
seguido de s, m, h ou d (por exemplo 90m).

Banco de dados (os dois modos):
  --db-host HOST                        TAMBLO_DB_HOST
      Servidor Firebird (porta 3050, usuário SYSDBA).
  --db-path CAMINHO                     TAMBLO_DB_PATH
      Caminho do banco como o servidor o vê; sem --db-host, arquivo aberto
      pelo motor embutido (padrão data/tamblo.fdb).

Modo web:
  --port N                              TAMBLO_PORT
      Porta (padrão 8888).
  --bind ENDEREÇO                       TAMBLO_BIND
      Endereço em que escuta (padrão 0.0.0.0: todos; 127.0.0.1: só esta
      máquina, por exemplo atrás de um nginx na mesma máquina).
  --web-root PASTA                      TAMBLO_WEB_ROOT
      Pasta dos arquivos da web: modelos de página, css/, js/, imagens
      (padrão wwwroot/, relativa à pasta de trabalho).
  --temp-dir PASTA                      TAMBLO_TEMP_DIR
      Pasta das pastas temporárias das sessões, esvaziada a cada início
      (padrão temp/ dentro da pasta da web). Nós que usam a mesma pasta da
      web precisam de uma cada um.
  --ini-file ARQUIVO                    TAMBLO_INI_FILE
      Config.ini em que o nó grava porta, nome e descrição a cada início
      (padrão: ao lado do programa).
  --node NOME                           TAMBLO_NODE
      Nome deste nó atrás de um proxy (letras, algarismos, "-", "_"): as
      páginas levam o cookie tamblo_node=NOME, pelo qual o proxy manda cada
      navegador ao nó que guarda a sua sessão.
  --trusted-proxy ENDEREÇOS             TAMBLO_TRUSTED_PROXY
      Endereços (separados por vírgula) dos proxies à frente do nó, como o
      nginx: o cabeçalho X-Real-IP dos pedidos deles dá o endereço do
      navegador (o IP da sessão); o de qualquer outro é ignorado.
  --session-expiry TEMPO                TAMBLO_SESSION_EXPIRY
      Validade de uma sessão desde a última mensagem da página (padrão 60h).
  --abandoned-after TEMPO               TAMBLO_ABANDONED_AFTER
      Fecha a sessão cuja página ficou esse tempo sem conexão (padrão 180s;
      0: nunca).
  --max-sessions N                      TAMBLO_MAX_SESSIONS
      Sessões ao mesmo tempo; além disso a página nova recebe "Servidor
      ocupado" (padrão 1000; 0: sem limite).
  --max-connections N                   TAMBLO_MAX_CONNECTIONS
      Conexões ao mesmo tempo (padrão 2000; 0: sem limite).
  --log-messages
      Escreve no erro padrão o texto inteiro de cada mensagem recebida,
      senhas digitadas inclusive (só para depuração).

Saúde: GET /health responde, sem criar sessão, 200 e
  {"status":"ok","node":"...","sessions":N,"connections":N,"websockets":N}
  (503 e "stopping" enquanto o nó para), para balanceadores e monitores.
)";
}

void InstallSessionHooks() {
  vexlo::RegisterVexloVCLObjs();
  orvane::SetOrvaneVexloInstanceFactory(
      [](core::TComponent* AOwner) { return std::make_shared<vexlo::TVexloInstance>(AOwner); });
  orvane::SetOrvaneSessionLanguageSource([] {
    vexlo::IVexloManager* manager = vexlo::VexloManager();
    return manager ? manager->GetLanguage() : std::string("Portuguese");
  });
}

void ConfigureWebEngine(orvane::TOrvaneBaseClass& AEngine, const TWebOptions& AOptions) {
  orvane::TOrvaneOptions& o = AEngine.GetOptions();
  o.SetRootDirectory(AOptions.WebRoot.empty() ? "wwwroot/" : AOptions.WebRoot);
  o.SetPathCSS("css");
  o.SetPathJS("js");
  o.SetIncludeJQuery(true);
  o.SetBindAddress(AOptions.BindAddress);
  o.SetTempDirectory(AOptions.TempDirectory);
  o.SetNodeName(AOptions.NodeName);
  o.SetTrustedProxies(AOptions.TrustedProxies);
  o.SetSessionExpireSeconds(AOptions.SessionExpireSeconds);
  o.SetAbandonedSessionTimeout(AOptions.AbandonedSessionTimeout);
  o.SetMaxSessions(AOptions.MaxSessions);
  o.SetMaxConnections(AOptions.MaxConnections);
  o.SetLogMessageText(AOptions.LogMessageText);
  if (!AOptions.IniFile.empty()) AEngine.INIConfig().SetFileName(AOptions.IniFile);
}

TWebNode::TWebNode(const TWebOptions& AOptions)
    : FOptions(AOptions),
      FEngine(std::make_unique<orvane::TOrvaneBaseClass>()),
      FController(std::make_shared<TServerController>()) {
  FEngine->SetServerPort(FOptions.Port);
  ConfigureWebEngine(*FEngine, FOptions);
  auto manager = std::make_shared<vexlo::TVexloManager>();
  manager->SetOrvane(FEngine.get());
  manager->SetPrimaryFormClass(&TfLogin::StaticClass());
  vexlo::SetVexloManager(manager);
  InstallSessionHooks();
  FEngine->SetServerController(FController);
  // The page producer (with the message dispatcher) serves the engine's
  // pages, files, messages and downloads.
  FPages = std::make_unique<orvane::TOrvaneServerHTML>(*FEngine);
}

TWebNode::~TWebNode() {
  try {
    Stop();
  } catch (...) {
  }
  // No connection thread calls the page producer once the server stopped.
  FPages.reset();
  FEngine.reset();
  vexlo::SetVexloManager(nullptr);
  orvane::SetOrvaneVexloInstanceFactory(nullptr);
  orvane::SetOrvaneSessionLanguageSource(nullptr);
}

void TWebNode::Start() {
  FEngine->StartServer();
  FController->KeepSessionLog(FEngine->GetOptions().DataSetLog());
  std::lock_guard<std::mutex> g(FSweepLock);
  if (FSweeper.joinable()) return;
  FStopping = false;
  // Expired sessions are closed once a minute.
  FSweeper = std::thread([this] {
    std::unique_lock<std::mutex> l(FSweepLock);
    while (!FSweepWake.wait_for(l, std::chrono::minutes(1), [this] { return FStopping; })) {
      l.unlock();
      orvane::CloseExpiredSessions(*FEngine);
      db::TConnection::DetachPooled(std::chrono::minutes(1));
      l.lock();
    }
  });
}

void TWebNode::Stop() {
  FEngine->OrvaneServerTCP().Draining = true;
  {
    std::lock_guard<std::mutex> g(FSweepLock);
    FStopping = true;
  }
  FSweepWake.notify_all();
  if (FSweeper.joinable()) FSweeper.join();
  // Stopping first refuses new connections and drops the open ones, so no
  // page can make a session while the others are being closed.
  FEngine->StopServer();
  orvane::CloseAllSessions(*FEngine);
  db::TConnection::DetachPooled();
}

int TWebNode::Port() const {
  int bound = FEngine->OrvaneServerTCP().BoundPort();
  return bound > 0 ? bound : FEngine->GetServerPort();
}

namespace {

// Connections, database attachments and files each take a descriptor: the
// soft limit (often 1,024) goes up to the hard one.
void RaiseOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace

int RunWebServer(const std::vector<std::string>& AArgs, core::TComponentClass APrimaryForm) {
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
  RaiseOpenFileLimit();

  std::unique_ptr<TWebNode> node;
  try {
    node = std::make_unique<TWebNode>(options);
    if (APrimaryForm) vexlo::VexloManager()->SetPrimaryFormClass(APrimaryForm);
    node->Start();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tamblo: não foi possível iniciar o servidor web: %s\n", e.what());
    return 1;
  }
  const std::string bind = options.BindAddress.empty() ? "0.0.0.0" : options.BindAddress;
  const bool everywhere = bind == "0.0.0.0" || bind == "::" || bind == "127.0.0.1" || bind == "::1";
  const std::string host =
      everywhere ? "localhost" : (bind.find(':') != std::string::npos ? "[" + bind + "]" : bind);
  std::printf(
      "Tamblo (web) no ar em http://%s:%d/ servindo %s%s%s (escutando em %s; Ctrl+C "
      "encerra)\n",
      host.c_str(), node->Port(), options.WebRoot.c_str(), options.NodeName.empty() ? "" : ", nó ",
      options.NodeName.c_str(), bind.c_str());
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stop, &signal);
  std::printf("Tamblo (web) encerrando: fechando as sessões.\n");
  std::fflush(stdout);
  node.reset();
  std::printf("Tamblo (web) encerrado.\n");
  return 0;
}

}  // namespace app
