// The web starter: its options, and the hooks it installs so that a real web
// session owns a form instance registry and speaks the bridge manager's
// language.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/uServerController.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Session.h"
#include "vexlo/Vexlo.Instance.h"
#include "vexlo/Vexlo.Manager.h"

namespace {

TEST(WebStarter, Arguments) {
  app::TWebOptions o = app::ParseWebArguments({});
  EXPECT_EQ(o.Port, 8888);
  EXPECT_FALSE(o.LogMessageText);
  o = app::ParseWebArguments({"--port", "9000", "--log-messages"});
  EXPECT_EQ(o.Port, 9000);
  EXPECT_TRUE(o.LogMessageText);
  EXPECT_THROW(app::ParseWebArguments({"--port", "0"}), std::invalid_argument);
  EXPECT_THROW(app::ParseWebArguments({"--verbose"}), std::invalid_argument);
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
