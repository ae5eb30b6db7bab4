// What the web tests of the application share: a web node as `tamblo --web`
// runs it (login as the primary form, the application's server controller
// and session hooks), over a copy of the web root's page templates, on one
// real Firebird database per suite. StartServer serves on an ephemeral port.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "app/uConfig.h"
#include "app/uServerController.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Session.h"
#include "tests/platform/net/TestClient.h"
#include "tests/support/TestDatabase.h"
#include "vexlo/Vexlo.Instance.h"

namespace app_testing {

class WebEngineTest : public ::testing::Test {
 protected:
  // ADirName names the scratch web root of each test.
  explicit WebEngineTest(std::string ADirName) : DirName(std::move(ADirName)) {}

  static void SetUpTestSuite() {
    database = new testing_support::TTestDatabase(testing_support::TAccess::Server);
  }
  static void TearDownTestSuite() {
    delete database;
    database = nullptr;
  }
  void SetUp() override {
    namespace fs = std::filesystem;
    app::DatabaseConfig().Host = database->Host();
    app::DatabaseConfig().Path = database->Path();
    Dir = testnet::TempDir(DirName);
    const fs::path source =
        fs::path(std::getenv("TAMBLO_SOURCE_DIR") ? std::getenv("TAMBLO_SOURCE_DIR") : ".") /
        "wwwroot";
    fs::copy(source / "pages", Dir / "pages", fs::copy_options::recursive);
    app::TWebOptions options;
    options.Port = 0;
    options.BindAddress = "127.0.0.1";
    options.WebRoot = Dir.string() + "/";
    options.TempDirectory = (Dir / "temp").string();
    options.IniFile = (Dir / "Config.ini").string();
    Node = std::make_unique<app::TWebNode>(options);
    Engine = &Node->Engine();
  }
  void TearDown() override {
    Engine = nullptr;
    Node.reset();  // stops serving and closes every session
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  // Starts serving and notes the port the server bound.
  void StartServer() {
    Node->Start();
    Port = Node->Port();
  }
  static vexlo::TVexloInstance& Registry(orvane::IOrvaneSession& ASession) {
    return *std::dynamic_pointer_cast<vexlo::TVexloInstance>(ASession.GetVexloInstance());
  }

  static inline testing_support::TTestDatabase* database = nullptr;
  const std::string DirName;
  std::filesystem::path Dir;
  std::unique_ptr<app::TWebNode> Node;
  orvane::TOrvaneBaseClass* Engine = nullptr;
  int Port = 0;
};

}  // namespace app_testing
