// The web starter: its options (environment, command line, help), a node
// started and stopped the way SIGTERM stops it, and the hooks it installs so
// that a real web session owns a form instance registry and speaks the
// bridge manager's language.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/uServerController.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Session.h"
#include "tests/orvane/server/OrvaneTestSupport.h"
#include "vexlo/Vexlo.Instance.h"
#include "vexlo/Vexlo.Manager.h"

namespace fs = std::filesystem;

namespace {

// An environment of its own, instead of the process's.
app::TGetEnv Environment(std::map<std::string, std::string> AVariables) {
  auto vars = std::make_shared<std::map<std::string, std::string>>(std::move(AVariables));
  return [vars](const char* AName) -> const char* {
    auto it = vars->find(AName);
    return it == vars->end() ? nullptr : it->second.c_str();
  };
}

TEST(WebStarter, OptionsComeFromTheEnvironmentAndTheCommandLineWins) {
  app::TWebOptions o = app::ParseWebArguments({}, Environment({}));
  EXPECT_EQ(o.Port, 8888);
  EXPECT_EQ(o.BindAddress, "");  // the server's own: every address
  EXPECT_EQ(o.WebRoot, "wwwroot/");
  EXPECT_EQ(o.TempDirectory, "");
  EXPECT_EQ(o.IniFile, "");
  EXPECT_EQ(o.NodeName, "");
  EXPECT_EQ(o.SessionExpireSeconds, 216000);
  EXPECT_EQ(o.AbandonedSessionTimeout, 180);
  EXPECT_EQ(o.MaxSessions, 1000);
  EXPECT_EQ(o.MaxConnections, 2000);
  EXPECT_FALSE(o.LogMessageText);

  auto env = Environment({{"TAMBLO_PORT", "8881"},
                          {"TAMBLO_BIND", "127.0.0.1"},
                          {"TAMBLO_WEB_ROOT", "/opt/tamblo/wwwroot"},
                          {"TAMBLO_TEMP_DIR", "/var/lib/tamblo/no1/temp"},
                          {"TAMBLO_INI_FILE", "/var/lib/tamblo/no1/Config.ini"},
                          {"TAMBLO_NODE", "no1"},
                          {"TAMBLO_TRUSTED_PROXY", "127.0.0.1, ::1"},
                          {"TAMBLO_SESSION_EXPIRY", "8h"},
                          {"TAMBLO_ABANDONED_AFTER", "5m"},
                          {"TAMBLO_MAX_SESSIONS", "300"},
                          {"TAMBLO_MAX_CONNECTIONS", "0"},
                          {"TAMBLO_UNKNOWN", "x"}});
  o = app::ParseWebArguments({}, env);
  EXPECT_EQ(o.Port, 8881);
  EXPECT_EQ(o.BindAddress, "127.0.0.1");
  EXPECT_EQ(o.WebRoot, "/opt/tamblo/wwwroot");
  EXPECT_EQ(o.TempDirectory, "/var/lib/tamblo/no1/temp");
  EXPECT_EQ(o.IniFile, "/var/lib/tamblo/no1/Config.ini");
  EXPECT_EQ(o.NodeName, "no1");
  EXPECT_EQ(o.TrustedProxies, "127.0.0.1, ::1");
  EXPECT_EQ(o.SessionExpireSeconds, 8 * 3600);
  EXPECT_EQ(o.AbandonedSessionTimeout, 300);
  EXPECT_EQ(o.MaxSessions, 300);
  EXPECT_EQ(o.MaxConnections, 0);

  o = app::ParseWebArguments(
      {"--port", "9000", "--bind=::1", "--node", "no2", "--session-expiry", "2d",
       "--abandoned-after=0", "--max-sessions", "0", "--log-messages", "--web-root", "www/"},
      env);
  EXPECT_EQ(o.Port, 9000);
  EXPECT_EQ(o.BindAddress, "::1");
  EXPECT_EQ(o.NodeName, "no2");
  EXPECT_EQ(o.SessionExpireSeconds, 2 * 86400);
  EXPECT_EQ(o.AbandonedSessionTimeout, 0);
  EXPECT_EQ(o.MaxSessions, 0);
  EXPECT_EQ(o.WebRoot, "www/");
  EXPECT_TRUE(o.LogMessageText);
  EXPECT_EQ(o.MaxConnections, 0);  // from the environment still
  // An empty variable counts as unset.
  EXPECT_EQ(app::ParseWebArguments({}, Environment({{"TAMBLO_PORT", ""}})).Port, 8888);
  // Times: plain seconds or with a unit.
  for (auto [text, seconds] : std::vector<std::pair<std::string, int64_t>>{
           {"3600", 3600}, {"90s", 90}, {"90m", 5400}, {"60h", 216000}, {"7d", 604800}})
    EXPECT_EQ(
        app::ParseWebArguments({"--session-expiry", text}, Environment({})).SessionExpireSeconds,
        seconds)
        << text;
}

TEST(WebStarter, BadValuesAreRefusedNamingTheirOption) {
  struct TCase {
    std::vector<std::string> Args;
    std::map<std::string, std::string> Env;
    std::string Names;
  };
  const std::vector<TCase> cases = {
      {{"--port", "0"}, {}, "--port"},
      {{"--port", "65536"}, {}, "--port"},
      {{"--port", "80a"}, {}, "--port"},
      {{"--port"}, {}, "--port"},
      {{"--port="}, {}, "--port"},
      {{}, {{"TAMBLO_PORT", "http"}}, "TAMBLO_PORT"},
      {{"--bind", "localhost"}, {}, "--bind"},
      {{}, {{"TAMBLO_BIND", "999.1.1.1"}}, "TAMBLO_BIND"},
      {{"--node", "nó1"}, {}, "--node"},
      {{"--node", "no1; Domain=x"}, {}, "--node"},
      {{}, {{"TAMBLO_NODE", std::string(33, 'a')}}, "TAMBLO_NODE"},
      {{"--trusted-proxy", "127.0.0.1,nginx"}, {}, "--trusted-proxy"},
      {{"--session-expiry", "30s"}, {}, "--session-expiry"},
      {{"--session-expiry", "1w"}, {}, "--session-expiry"},
      {{"--session-expiry", "-5h"}, {}, "--session-expiry"},
      {{"--session-expiry", "999999999999d"}, {}, "--session-expiry"},
      {{"--abandoned-after", "h"}, {}, "--abandoned-after"},
      {{"--max-sessions", "-1"}, {}, "--max-sessions"},
      {{}, {{"TAMBLO_MAX_CONNECTIONS", "muitas"}}, "TAMBLO_MAX_CONNECTIONS"},
      {{"--verbose"}, {}, "--verbose"},
      {{"--db-host", "x"}, {}, "--db-host"},  // read before, never here
  };
  for (const TCase& c : cases) {
    try {
      app::ParseWebArguments(c.Args, Environment(c.Env));
      ADD_FAILURE() << c.Names << " accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.Names), std::string::npos) << e.what();
    }
  }
}

TEST(WebStarter, HelpNamesEveryOptionAndItsVariable) {
  const std::string help = app::UsageText();
  for (const char* name : {"--db-host",
                           "TAMBLO_DB_HOST",
                           "--db-path",
                           "TAMBLO_DB_PATH",
                           "--port",
                           "TAMBLO_PORT",
                           "--bind",
                           "TAMBLO_BIND",
                           "--web-root",
                           "TAMBLO_WEB_ROOT",
                           "--temp-dir",
                           "TAMBLO_TEMP_DIR",
                           "--ini-file",
                           "TAMBLO_INI_FILE",
                           "--node",
                           "TAMBLO_NODE",
                           "--trusted-proxy",
                           "TAMBLO_TRUSTED_PROXY",
                           "--session-expiry",
                           "TAMBLO_SESSION_EXPIRY",
                           "--abandoned-after",
                           "TAMBLO_ABANDONED_AFTER",
                           "--max-sessions",
                           "TAMBLO_MAX_SESSIONS",
                           "--max-connections",
                           "TAMBLO_MAX_CONNECTIONS",
                           "--log-messages",
                           "/health",
                           "SIGTERM"})
    EXPECT_NE(help.find(name), std::string::npos) << name;
}

// A node as `tamblo --web` runs it, on a free loopback port, over a copy of
// the web root's page templates.
TEST(WebStarter, StoppingANodeClosesItsSessionsAndDropsItsPages) {
  fs::path dir = testnet::TempDir("tamblo-node");
  const fs::path source =
      fs::path(std::getenv("TAMBLO_SOURCE_DIR") ? std::getenv("TAMBLO_SOURCE_DIR") : ".") /
      "wwwroot";
  fs::create_directories(dir / "www");
  fs::copy(source / "pages", dir / "www" / "pages", fs::copy_options::recursive);
  app::TWebOptions options;
  options.Port = 0;
  options.BindAddress = "127.0.0.1";
  options.WebRoot = (dir / "www").string();
  options.TempDirectory = (dir / "temp").string();
  options.IniFile = (dir / "Config.ini").string();
  options.NodeName = "no7";
  auto node = std::make_unique<app::TWebNode>(options);
  node->Start();
  const int port = node->Port();
  ASSERT_GT(port, 0);
  EXPECT_TRUE(fs::exists(dir / "Config.ini"));
  EXPECT_TRUE(fs::is_directory(dir / "temp" / "Sessions"));

  testnet::TClient browser(port);
  browser.Send("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  std::string page = browser.ReadAll();
  ASSERT_EQ(page.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << page.substr(0, 300);
  EXPECT_NE(page.find("Set-Cookie: tamblo_node=no7; Path=/; HttpOnly; SameSite=Lax\r\n"),
            std::string::npos);
  std::shared_ptr<orvane::IOrvaneSession> session;
  {
    orvane::TOrvaneBaseClass& engine = node->Engine();
    std::lock_guard<std::recursive_mutex> g(engine.CriticalSession);
    ASSERT_EQ(engine.GetSessions().size(), 1u);
    session = engine.GetSessions().begin()->second;
  }
  EXPECT_TRUE(fs::is_directory(session->PathSession()));
  EXPECT_EQ(session->PathSession().rfind((dir / "temp").string(), 0), 0u);
  auto* component = dynamic_cast<core::TComponent*>(session.get());
  ASSERT_NE(component, nullptr);
  EXPECT_GT(component->ComponentCount(), 0);  // the login form
  testnet::TClient socket(port);
  ASSERT_NE(orvanetest::UpgradeRequest(socket,
                                       "/websocket/connectionparams?token=" + session->GetToken() +
                                           "&orvanesession=" + session->GetUUID())
                .find(" 101 "),
            std::string::npos);

  node->Stop();
  EXPECT_TRUE(socket.ClosedByServer());
  EXPECT_TRUE(session->Closing());
  EXPECT_EQ(component->ComponentCount(), 0);  // its forms went with it
  EXPECT_FALSE(fs::exists(session->PathSession()));
  EXPECT_EQ(node->Engine().SessionCount(), 0u);
  EXPECT_THROW(testnet::TClient late(port), std::runtime_error);  // no longer listening
  node->Stop();                                                   // twice is harmless
  node.reset();
  fs::remove_all(dir);
}

TEST(WebStarter, ASessionOwnsItsRegistryAndTakesTheManagersLanguage) {
  auto dir =
      std::filesystem::temp_directory_path() / ("tamblo-starter-" + std::to_string(::getpid()));
  auto engine = std::make_unique<orvane::TOrvaneBaseClass>();
  engine->GetOptions().SetRootDirectory((dir / "wwwroot").string() + "/");
  auto manager = std::make_shared<vexlo::TVexloManager>();
  manager->SetLanguage("English");
  vexlo::SetVexloManager(manager);
  app::InstallSessionHooks();

  auto session = orvane::TOrvaneSession::Create(engine.get());
  EXPECT_EQ(session->GetLanguage(), "English");
  auto registry = std::dynamic_pointer_cast<vexlo::TVexloInstance>(session->GetVexloInstance());
  ASSERT_TRUE(registry);
  EXPECT_EQ(registry->Owner(), static_cast<core::TComponent*>(session.get()));
  // What the registry creates belongs to the session and goes with it.
  core::TComponent* module = nullptr;
  session->ExecThread(true,
                      [&] { module = registry->CreateInstance(&ui::TDataModule::StaticClass()); });
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->Owner(), static_cast<core::TComponent*>(session.get()));
  EXPECT_EQ(registry->GetInstance(&ui::TDataModule::StaticClass()), module);
  session->Close();
  EXPECT_EQ(session->ComponentCount(), 0);
  EXPECT_EQ(registry->Count(), 0);

  // Without a manager a session speaks Portuguese.
  vexlo::SetVexloManager(nullptr);
  auto plain = orvane::TOrvaneSession::Create(engine.get());
  EXPECT_EQ(plain->GetLanguage(), "Portuguese");
  plain->Close();

  orvane::SetOrvaneVexloInstanceFactory(nullptr);
  orvane::SetOrvaneSessionLanguageSource(nullptr);
  engine.reset();
  std::filesystem::remove_all(dir);
}

}  // namespace
