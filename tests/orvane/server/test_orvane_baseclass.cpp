// The engine root (options, INI file, session table, start and stop), the
// address model, the utility functions and the timer thread.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.URI.h"
#include "orvane/server/Orvane.Util.h"
#include "tests/orvane/server/OrvaneTestSupport.h"

using namespace orvane;
using orvanetest::TTestSession;
namespace fs = std::filesystem;

namespace {
template <class F>
bool Eventually(F ACondition) {
  for (int i = 0; i < 1000; ++i) {
    if (ACondition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return ACondition();
}
}  // namespace

TEST(OrvaneOptions, Defaults) {
  TOrvaneOptions o;
  EXPECT_EQ(o.Language(), "pt-BR");
  EXPECT_TRUE(o.Loading());
  EXPECT_EQ(o.PathCSS(), "css");
  EXPECT_EQ(o.PathJS(), "js");
  EXPECT_EQ(o.RootDirectory(), "wwwroot/");
  EXPECT_TRUE(o.IncludeSweetAlert2());
  EXPECT_FALSE(o.IncludeJQuery());
  EXPECT_TRUE(o.IncludeJQGrid());
  EXPECT_TRUE(o.IncludeStyle());
  EXPECT_FALSE(o.ForceCloseExpired());
  EXPECT_FALSE(o.DataSetLog());
  EXPECT_FALSE(o.UseSSL());
  EXPECT_TRUE(o.UseINIConfig());
  EXPECT_FALSE(o.ValidateAllControls());
  EXPECT_EQ(o.MaxContentLength(), 64u * 1024 * 1024);
  EXPECT_EQ(o.MaxConnections(), 2000);
  EXPECT_FALSE(o.LogMessageText());
  EXPECT_EQ(o.FormatSettings().DecimalSeparator, ',');
  EXPECT_EQ(o.FormatSettings().ThousandSeparator, '.');
  EXPECT_EQ(o.FormatSettings().ShortDateFormat, "dd/mm/yyyy");
  const TFormatSettings& d = o.DataBaseFormatSettings();
  EXPECT_EQ(d.ShortDateFormat, "yyyy-mm-dd");
  EXPECT_EQ(d.DateSeparator, '-');
  EXPECT_EQ(d.DecimalSeparator, ',');
  EXPECT_EQ(d.ThousandSeparator, '.');
  o.SetFormatSettings(TFormatSettings::Create("en-US"));
  o.SetLanguage("en");
  EXPECT_EQ(o.FormatSettings().DecimalSeparator, '.');
  o.SetLanguage("PT-br");
  EXPECT_EQ(o.FormatSettings().DecimalSeparator, ',');
}

class OrvaneRoot : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = testnet::TempDir("tamblo-root");
    Engine = std::make_unique<TOrvaneBaseClass>();
    Engine->GetOptions().SetRootDirectory((Dir / "www").string());
    Engine->INIConfig().SetFileName((Dir / "Config.ini").string());
    Engine->OrvaneServerTCP().DefaultBindAddress = "127.0.0.1";
    Engine->SetServerPort(0);
  }
  void TearDown() override {
    Engine.reset();
    fs::remove_all(Dir);
  }
  std::shared_ptr<TTestSession> AddSession(const std::string& AUUID, const std::string& AToken) {
    auto s = std::make_shared<TTestSession>(AUUID, AToken, (Dir / "s" / AUUID).string() + "/");
    Engine->AddSession(s);
    return s;
  }
  fs::path Dir;
  std::unique_ptr<TOrvaneBaseClass> Engine;
};

TEST_F(OrvaneRoot, GlobalAccessorFollowsTheRoot) {
  EXPECT_EQ(OrvaneBaseClass(), Engine.get());
  Engine.reset();
  EXPECT_EQ(OrvaneBaseClass(), nullptr);
}

TEST_F(OrvaneRoot, SessionValidCases) {
  auto live = AddSession("VIVA", "TOKEN1");
  auto closing = AddSession("FECHANDO", "TOKEN2");
  closing->ClosingFlag = true;
  auto expired = AddSession("EXPIRADA", "TOKEN3");
  expired->SetExpireDate(std::chrono::system_clock::now() - std::chrono::seconds(1));
  struct Case {
    std::string Token, UUID;
    bool Valid;
  } cases[] = {
      {"TOKEN1", "VIVA", true},      {"TOKEN1", "DESCONHECIDA", false},
      {"TOKEN2", "FECHANDO", false}, {"TOKEN3", "EXPIRADA", false},
      {"ERRADO", "VIVA", false},     {"token1", "VIVA", false},
      {"", "VIVA", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Engine->SessionValid(c.Token, c.UUID), c.Valid) << c.Token << "/" << c.UUID;
  }
  EXPECT_TRUE(Engine->SessionValid("VIVA"));
  EXPECT_FALSE(Engine->SessionValid("FECHANDO"));
  EXPECT_FALSE(Engine->SessionValid("EXPIRADA"));
  EXPECT_FALSE(Engine->SessionValid("NENHUMA"));
  EXPECT_EQ(Engine->SessionByUUID("VIVA"), live);
  EXPECT_EQ(Engine->SessionByUUID("NENHUMA"), nullptr);
  Engine->RemoveSession("VIVA");
  EXPECT_FALSE(Engine->SessionValid("VIVA"));
}

TEST_F(OrvaneRoot, SessionByThreadIDFindsTheSessionOrFails) {
  auto s = AddSession("U", "T");
  try {
    Engine->SessionByThreadID(std::this_thread::get_id());
    FAIL();
  } catch (const EOrvaneError& e) {
    EXPECT_STREQ(e.what(), "Error in Thread becouse ID is Main Thread: Error 7001");
  }
  EXPECT_EQ(Engine->SessionByThreadID(std::this_thread::get_id(), false), nullptr);
  std::shared_ptr<IOrvaneSession> found;
  std::string error;
  std::thread([&] {
    try {
      Engine->SessionByThreadID(std::this_thread::get_id(), true);
    } catch (const EOrvaneError& e) {
      error = e.what();
    }
    EXPECT_EQ(Engine->SessionByThreadID(std::this_thread::get_id(), false), nullptr);
    s->ThreadAddCurrent();
    found = Engine->SessionByThreadID(std::this_thread::get_id());
    s->ThreadRemoveCurrent();
  }).join();
  EXPECT_EQ(error, "Error searching Session Thread, Session is nil: Error 7002");
  EXPECT_EQ(found, s);
}

TEST_F(OrvaneRoot, StartServerIsIdempotentAndPreparesTheFolders) {
  auto controller = std::make_shared<orvanetest::TTestController>();
  Engine->SetServerController(controller);
  EXPECT_FALSE(Engine->Started());
  Engine->StartServer();
  EXPECT_TRUE(Engine->Started());
  fs::path www = Dir / "www";
  for (const char* sub : {"css", "js", "temp", "temp/Sessions"})
    EXPECT_TRUE(fs::is_directory(www / sub)) << sub;
  std::ofstream(www / "temp/Sessions/marca.txt") << "x";
  int port = Engine->OrvaneServerTCP().BoundPort();
  Engine->StartServer();  // does nothing
  EXPECT_EQ(Engine->OrvaneServerTCP().BoundPort(), port);
  EXPECT_TRUE(fs::exists(www / "temp/Sessions/marca.txt"));
  {
    testnet::TClient c(port);  // listening
  }
  Engine->StopServer();
  EXPECT_FALSE(Engine->Started());
  Engine->StartServer();
  EXPECT_TRUE(Engine->Started());
  EXPECT_FALSE(fs::exists(www / "temp/Sessions/marca.txt"));
  EXPECT_TRUE(fs::is_directory(www / "temp/Sessions"));

  // The identity went to the INI file.
  TOrvaneINIConfig& ini = Engine->INIConfig();
  EXPECT_EQ(ini.ServerPort(1), 0);
  EXPECT_EQ(ini.ServerName(""), "Tamblo Teste");
  EXPECT_EQ(ini.ServerDescription(""), "Servidor de teste");
  std::ifstream in(Dir / "Config.ini");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("[Vexlo Server Config]"), std::string::npos);
  EXPECT_NE(text.find("Server Name = Tamblo Teste"), std::string::npos);
}

TEST_F(OrvaneRoot, INIReadersFallBackToDefaults) {
  TOrvaneINIConfig& ini = Engine->INIConfig();
  EXPECT_EQ(ini.ServerPort(8888), 8888);
  EXPECT_EQ(ini.ServerName("Padrão"), "Padrão");
  ini.WriteServerIdentity(9090, "Servidor Ção", "Descrição");
  EXPECT_EQ(ini.ServerPort(8888), 9090);
  EXPECT_EQ(ini.ServerName(""), "Servidor Ção");
  EXPECT_EQ(ini.ServerDescription(""), "Descrição");
  // Its folder is made when missing.
  ini.SetFileName((Dir / "no1" / "Config.ini").string());
  ini.WriteServerIdentity(8881, "Tamblo", "");
  EXPECT_EQ(ini.ServerPort(0), 8881);
  ini.SetFileName((Dir / "Config.ini").string());
  // No INI is written when the option is off.
  fs::remove(Dir / "Config.ini");
  Engine->GetOptions().SetUseINIConfig(false);
  Engine->StartServer();
  EXPECT_FALSE(fs::exists(Dir / "Config.ini"));
}

TEST_F(OrvaneRoot, AFolderThatCannotBeCreatedFailsTheStart) {
  std::ofstream(Dir / "arquivo") << "x";
  Engine->GetOptions().SetRootDirectory((Dir / "arquivo").string());
  try {
    Engine->StartServer();
    FAIL();
  } catch (const EOrvaneError& e) {
    EXPECT_NE(std::string(e.what()).find("Não foi possível criar a pasta"), std::string::npos);
  }
  EXPECT_THROW(Engine->SetServerPort(70000), EOrvaneError);
}

TEST_F(OrvaneRoot, SessionNoticesRunOnSessionThreads) {
  auto controller = std::make_shared<orvanetest::TTestController>();
  Engine->SetServerController(controller);
  auto s = AddSession("U", "T");
  std::shared_ptr<IOrvaneSession> announced, closed;
  Engine->OnNewSession = [&](TOrvaneHTTPRequest&, TOrvaneHTTPResponse& r,
                             const std::shared_ptr<IOrvaneSession>& session) {
    EXPECT_EQ(Engine->SessionByThreadID(std::this_thread::get_id()), session);
    r.Content = "nova";
    announced = session;
  };
  Engine->OnCloseSession = [&](const std::shared_ptr<IOrvaneSession>& session) {
    closed = session;
  };
  TOrvaneHTTPRequest q;
  TOrvaneHTTPResponse r;
  Engine->DoNewSession(q, r, s);
  Engine->DoCloseSession(s);
  EXPECT_EQ(announced, s);
  EXPECT_EQ(r.Content, "nova");
  EXPECT_EQ(closed, s);
  auto notices = controller->Taken();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0], TSessionChangeType::sctNewSession);
  EXPECT_EQ(notices[1], TSessionChangeType::sctCloseSession);
}

TEST(OrvaneUtil, RandomStringsUseTheirAlphabetsAndDiffer) {
  EXPECT_EQ(GenerateRandomString(0), "");
  EXPECT_EQ(GenerateRandomString(-3), "");
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    std::string t = GenerateRandomString(24);
    ASSERT_EQ(t.size(), 24u);
    for (char c : t) ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c)));
    seen.insert(t);
  }
  EXPECT_EQ(seen.size(), 200u);
  for (char c : GenerateRandomJustString(500))
    ASSERT_TRUE(std::isalpha(static_cast<unsigned char>(c)));
  std::string digits = GenerateRandomNumber(900);
  std::set<char> used(digits.begin(), digits.end());
  EXPECT_EQ(used.size(), 10u);
  for (char c : digits) ASSERT_TRUE(c >= '0' && c <= '9');
}

TEST(OrvaneUtil, FormatValueHTMLQuotesForScripts) {
  EXPECT_EQ(FormatValueHTML("a\"b"), "\"a\\\"b\"");
  EXPECT_EQ(FormatValueHTML("linha\nnova\t"), "\"linha\\nnova\\t\"");
  EXPECT_EQ(FormatValueHTML("ação"), "\"a\\u00e7\\u00e3o\"");
  EXPECT_EQ(FormatValueHTML("€"), "\"\\u20ac\"");
  EXPECT_EQ(FormatValueHTML(""), "\"\"");
}

TEST(OrvaneUtil, PrepareFloat) {
  TFormatSettings br = TFormatSettings::Create("pt-BR");
  struct Case {
    std::string In, Out;
  } cases[] = {
      {"1.234.567,89", "1.234.567,89"},
      {"12.5", "12,5"},
      {"1.234.567", "1234567"},
      {"1,234,567.89", "1234567,89"},
      {"12,5", "12,5"},
      {"", ""},
      {"7", "7"},
  };
  for (const Case& c : cases) EXPECT_EQ(PrepareFloat(c.In, br), c.Out) << c.In;
  TFormatSettings unset;
  unset.DecimalSeparator = '\0';
  unset.ThousandSeparator = '\0';
  EXPECT_EQ(PrepareFloat("12.5", unset), "12,5");
}

TEST(OrvaneUtil, ConvertHTMLKeyToVK) {
  struct Case {
    std::string Key;
    int Code;
  } cases[] = {
      {"Enter", 13},     {"ENTER", 13},    {"ArrowLeft", 37},   {"arrowdown", 40},
      {"Backspace", 8},  {"Tab", 9},       {"Escape", 27},      {"Space", 32},
      {" ", 32},         {"Control", 17},  {"Shift", 16},       {"Delete", 46},
      {"Insert", 45},    {"Home", 36},     {"End", 35},         {"PageUp", 33},
      {"PageDown", 34},  {"Pause", 19},    {"PrintScreen", 44}, {"ScrollLock", 145},
      {"CapsLock", 20},  {"NumLock", 144}, {"F1", 112},         {"f12", 123},
      {"F13", 0},        {"F0", 0},        {"a", 65},           {"Z", 90},
      {"0", 48},         {"9", 57},        {"!", 33},           {"@", 64},
      {"\"", 34},        {"'", 39},        {"~", 126},          {"`", 96},
      {"\xC2\xB4", 180}, {"<", 0},         {"Alt", 0},          {"", 0},
      {"ç", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertHTMLKeyToVK(c.Key), c.Code) << c.Key;
}

TEST(OrvaneUtil, ClassAttributeEdits) {
  struct Case {
    std::string In, Item, Out;
  } add[] = {
      {"id=\"x\" class=\"btn\"", "btn", "id=\"x\" class=\"btn\""},
      {"class=\"a btn b\"", "btn", "class=\"a btn b\""},
      {"class=\"a b\"", "btn", "class=\"btn a b\""},
      {"id=\"x\"", "d-none", "class=\"d-none\" id=\"x\""},
      {"", "d-none", "class=\"d-none\" "},
      {"class=\"btn-primary\"", "btn", "class=\"btn btn-primary\""},
      {"class=\"inactive\"", "active", "class=\"active inactive\""},
      {"data-class=\"x\"", "y", "class=\"y\" data-class=\"x\""},
      {"class=solo", "d-none", "class=\"d-none solo\""},
  };
  for (const Case& c : add) EXPECT_EQ(HTMLAddItemFromClass(c.In, c.Item), c.Out) << c.In;
  Case remove[] = {
      {"class=\"a btn b\"", "btn", "class=\"a b\""},
      {"class=\"btn a\"", "btn", "class=\"a\""},
      {"class=\"a btn\" id=\"q\"", "BTN", "class=\"a\" id=\"q\""},
      {"class=\"btn-primary\"", "btn", "class=\"btn-primary\""},
      {"id=\"x\"", "btn", "id=\"x\""},
      {"class=\"btn\"", "btn", "class=\"\""},
  };
  for (const Case& c : remove) EXPECT_EQ(HTMLRemoveItemFromClass(c.In, c.Item), c.Out) << c.In;
  EXPECT_EQ(HTMLAddItemFromTag("style=\"a\"", "data-x", "1"), "data-x=\"1\" style=\"a\"");
}

TEST(OrvaneUtil, JSONAndFieldTypes) {
  EXPECT_TRUE(IsJSONValid("{\"a\":1}"));
  EXPECT_TRUE(IsJSONValid("[1,2]"));
  EXPECT_FALSE(IsJSONValid("  "));
  EXPECT_FALSE(IsJSONValid("{a:1}"));
  EXPECT_TRUE(TokenEquals("abcDEF123", "abcDEF123"));
  EXPECT_FALSE(TokenEquals("abcDEF123", "abcDEF124"));
  EXPECT_FALSE(TokenEquals("abcDEF123", "abcDEF12"));
  EXPECT_FALSE(TokenEquals("", "a"));
  using db::TFieldType;
  EXPECT_EQ(OrvaneFieldType(TFieldType::ftFloat), TOrvaneFieldType::OrvaneFieldTypeNumber);
  EXPECT_EQ(OrvaneFieldType(TFieldType::ftTime), TOrvaneFieldType::OrvaneFieldTypeNumber);
  EXPECT_EQ(OrvaneFieldType(TFieldType::ftLargeint), TOrvaneFieldType::OrvaneFieldTypeInteger);
  EXPECT_EQ(OrvaneFieldType(TFieldType::ftSmallint), TOrvaneFieldType::OrvaneFieldTypeInteger);
  EXPECT_EQ(OrvaneFieldType(TFieldType::ftDate), TOrvaneFieldType::OrvaneFieldTypeDate);
  EXPECT_EQ(OrvaneFieldType(TFieldType::ftDateTime), TOrvaneFieldType::OrvaneFieldTypeDateTime);
  EXPECT_EQ(OrvaneFieldType(TFieldType::ftString), TOrvaneFieldType::OrvaneFieldTypeString);
  EXPECT_EQ(OrvaneFieldType(TFieldType::ftBlob), TOrvaneFieldType::OrvaneFieldTypeString);
  EXPECT_EQ(InputHTMLTypeByOrvaneFieldType(TOrvaneFieldType::OrvaneFieldTypeInteger),
            "type=\"number\" step=\"1\"");
  EXPECT_EQ(InputHTMLTypeByOrvaneFieldType(TOrvaneFieldType::OrvaneFieldTypeDateTime),
            "type=\"datetime\"");
  EXPECT_EQ(InputHTMLTypeByOrvaneFieldType(TOrvaneFieldType::OrvaneFieldTypePassword),
            "type=\"password\"");
  EXPECT_EQ(InputHTMLTypeByOrvaneFieldType(TOrvaneFieldType::OrvaneFieldTypeString), "");
}

TEST(OrvaneURI, QueryParamsIgnoreCaseAndFirstWins) {
  TOrvaneURI uri;
  uri.SetRaw("http://h:1/p?a=1&A=2");
  uri.SetURL("http://h:1/p");
  uri.SetHost("h");
  uri.SetServerPort(1);
  uri.SetProtocol("http");
  auto& p = uri.QueryParams();
  p.Add() = {"a", "1"};
  TOrvaneURLQueryParam& second = p.Add();
  EXPECT_EQ(second.Key, "");
  second = {"A", "2"};
  EXPECT_EQ(p.Count(), 2);
  EXPECT_TRUE(p.Exist("A"));
  EXPECT_FALSE(p.Exist("b"));
  EXPECT_EQ(p.ValueFromKey("A"), "1");
  EXPECT_EQ(p.ValueFromKey("b"), "");
  EXPECT_EQ(p.Items(1).Value, "2");
  EXPECT_EQ(uri.ServerPort(), 1);
}

TEST(OrvaneTimer, RunsWhileResumedAndStopsWithItsForm) {
  orvanetest::TTestSession session("U", "T", "/tmp/x/");
  std::atomic<int> ticks{0};
  auto timer = std::make_unique<TCustomTimer>(&session.Form, 5, [&] {
    ++ticks;
    throw std::runtime_error("falha ignorada");
  });
  EXPECT_TRUE(timer->Paused());
  timer->Resume();
  EXPECT_TRUE(Eventually([&] { return ticks.load() >= 3; }));
  timer->Pause();
  EXPECT_TRUE(timer->Paused());
  session.ClosingFlag = true;  // the session closes: the timer ends by itself
  EXPECT_TRUE(Eventually([&] { return timer->Terminated(); }));
  timer.reset();

  orvanetest::TTestSession other("U2", "T2", "/tmp/y/");
  TCustomTimer t2(&other.Form, 5, [] {});
  other.Form.DestroyingFlag = true;
  EXPECT_TRUE(Eventually([&] { return t2.Terminated(); }));
}
