// Sessions: identity, the worker pool and its thread levels, named locks,
// pushes and downloads over real sockets, the active page, closing and
// destruction, and the session log dataset.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <future>
#include <nlohmann/json.hpp>
#include <set>

#include "orvane/server/Orvane.Session.h"
#include "platform/db/DB.h"
#include "platform/ui/Forms.h"
#include "tests/orvane/server/test_session_support.h"
#include "vexlo/Vexlo.Instance.h"

using namespace orvane;
using sesstest::Eventually;
using sesstest::TLog;
using sesstest::TTestEngine;
using sesstest::TTestVexlo;
namespace fs = std::filesystem;

namespace {

bool AllOf(const std::string& AText, const std::string& AAlphabet) {
  return std::all_of(AText.begin(), AText.end(),
                     [&](char c) { return AAlphabet.find(c) != std::string::npos; });
}

const std::string kDigits = "1234567890";
const std::string kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

bool Contains(const std::vector<std::thread::id>& AIDs, std::thread::id AID) {
  return std::find(AIDs.begin(), AIDs.end(), AID) != AIDs.end();
}

std::string CurrentThreadName() {
  char name[32] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  return name;
}

// A gate the tests open to let blocked work items go on.
class TGate {
 public:
  void Wait() {
    std::unique_lock<std::mutex> l(FLock);
    FOpen.wait(l, [&] { return FIsOpen; });
  }
  void Open() {
    std::lock_guard<std::mutex> g(FLock);
    FIsOpen = true;
    FOpen.notify_all();
  }

 private:
  std::mutex FLock;
  std::condition_variable FOpen;
  bool FIsOpen = false;
};

// The session's registry as the bridge layer makes it.
class TTestInstance : public IOrvaneVexloInstance {
 public:
  explicit TTestInstance(core::TComponent* AOwner) : Registry(AOwner) {}
  vexlo::TVexloInstance Registry;
};

// A component that notes the thread that frees it.
class TNoteDestroy : public core::TComponent {
 public:
  TNoteDestroy(core::TComponent* AOwner, std::atomic<std::thread::id>& AOut)
      : core::TComponent(AOwner), FOut(AOut) {}
  ~TNoteDestroy() override { FOut = std::this_thread::get_id(); }

 private:
  std::atomic<std::thread::id>& FOut;
};

}  // namespace

TEST(OrvaneSession, IdentityHasItsShapeAndIsNeverShared) {
  TTestEngine e;
  std::set<std::string> tokens, uuids;
  const std::string alnum = kDigits + kLetters;
  for (int i = 0; i < 300; ++i) {
    auto s = e.NewSession();
    EXPECT_EQ(s->GetToken().size(), 24u);
    EXPECT_EQ(s->GetUUID().size(), 12u);
    EXPECT_EQ(s->GetCallBackID().size(), 9u);
    EXPECT_TRUE(AllOf(s->GetToken(), alnum)) << s->GetToken();
    EXPECT_TRUE(AllOf(s->GetUUID(), alnum)) << s->GetUUID();
    EXPECT_TRUE(AllOf(s->GetCallBackID(), kDigits)) << s->GetCallBackID();
    tokens.insert(s->GetToken());
    uuids.insert(s->GetUUID());
    if (i == 0) {
      EXPECT_EQ(s->PathSession(), (e.Root / "temp/Sessions" / s->GetUUID()).string() + "/");
      EXPECT_TRUE(fs::is_directory(s->PathSession()));
      EXPECT_EQ(s->ExpireDate() - s->CreateDate(), std::chrono::seconds(216000));
      EXPECT_TRUE(s->GetExpire());
      EXPECT_FALSE(s->Closing());
      EXPECT_TRUE(e.Engine->SessionValid(s->GetToken(), s->GetUUID()));
    }
  }
  EXPECT_EQ(tokens.size(), 300u);
  EXPECT_EQ(uuids.size(), 300u);
}

TEST(OrvaneSession, TheLanguageComesFromTheBridgeLayer) {
  TTestEngine e;
  EXPECT_EQ(e.NewSession()->GetLanguage(), "Portuguese");
  SetOrvaneSessionLanguageSource([] { return std::string("Spanish"); });
  auto s = e.NewSession();
  SetOrvaneSessionLanguageSource(nullptr);
  EXPECT_EQ(s->GetLanguage(), "Spanish");
  s->SetLanguage("English");
  EXPECT_EQ(s->GetLanguage(), "English");
}

TEST(OrvaneSession, WaitedWorkRunsOnASessionThreadAndTheCallerIsForgotten) {
  TTestEngine e;
  auto s = e.NewSession();
  std::thread::id caller, worker;
  bool callerCounted = false;
  std::shared_ptr<IOrvaneSession> found;
  std::string name;
  std::vector<std::thread::id> after;
  // A connection thread hands the work over and waits for it.
  std::thread connection([&] {
    caller = std::this_thread::get_id();
    s->ExecThread(true, [&] {
      worker = std::this_thread::get_id();
      callerCounted = Contains(s->GetThreadIDs(), caller);
      found = e.Engine->SessionByThreadID(worker);
      name = CurrentThreadName();
    });
    after = s->GetThreadIDs();
  });
  connection.join();
  EXPECT_NE(worker, caller);
  EXPECT_TRUE(callerCounted);
  EXPECT_EQ(found, s);
  EXPECT_EQ(name, ("Session " + s->GetUUID()).substr(0, 15));
  EXPECT_FALSE(Contains(after, caller));
  EXPECT_TRUE(Contains(after, worker));
}

TEST(OrvaneSession, UnwaitedWorkRunsOnAnAsyncThreadThatFindsItsSession) {
  TTestEngine e;
  auto s = e.NewSession();
  std::promise<std::tuple<std::thread::id, std::shared_ptr<IOrvaneSession>, std::string>> done;
  s->ExecThread([&] {
    auto id = std::this_thread::get_id();
    done.set_value({id, e.Engine->SessionByThreadID(id), CurrentThreadName()});
  });
  auto [id, found, name] = done.get_future().get();
  EXPECT_NE(id, std::this_thread::get_id());
  EXPECT_EQ(found, s);
  EXPECT_EQ(name, "Async Session " + s->GetUUID().substr(0, 1));
  // The async thread forgets itself once its work is over.
  EXPECT_TRUE(Eventually([&] { return !Contains(s->GetThreadIDs(), id); }));
  EXPECT_TRUE(Eventually([&] {
    return s->ThreadStates() == std::vector<std::pair<int, bool>>{{1, false}};
  }));
}

TEST(OrvaneSession, BusyThreadsGetNewLevelsAndIdleOnesAreReusedFirst) {
  TTestEngine e;
  auto s = e.NewSession();
  TGate gate;
  std::atomic<std::thread::id> first{}, second{};
  std::thread c1([&] {
    s->ExecThread(true, [&] {
      first = std::this_thread::get_id();
      gate.Wait();
    });
  });
  ASSERT_TRUE(Eventually([&] { return first.load() != std::thread::id(); }));
  std::thread c2([&] { s->ExecThread(true, [&] { second = std::this_thread::get_id(); }); });
  // The second item gets a thread of its own, level 2, while the first runs.
  using TStates = std::vector<std::pair<int, bool>>;
  EXPECT_TRUE(Eventually([&] { return s->ThreadStates() == TStates{{1, true}, {2, true}}; }));
  gate.Open();
  c1.join();
  c2.join();
  EXPECT_NE(first.load(), second.load());
  EXPECT_EQ(s->ThreadStates(), (TStates{{1, false}, {2, false}}));
  std::thread::id third;
  s->ExecThread(true, [&] { third = std::this_thread::get_id(); });
  EXPECT_EQ(third, first.load());
}

TEST(OrvaneSession, AFailingWorkItemEndsThatItemOnly) {
  TTestEngine e;
  auto s = e.NewSession();
  std::thread::id a, b;
  s->ExecThread(true, [&] {
    a = std::this_thread::get_id();
    throw std::runtime_error("falha proposital");
  });
  std::promise<void> asyncDone;
  s->ExecThread(false, [&] {
    asyncDone.set_value();
    throw 42;  // not even an exception class
  });
  asyncDone.get_future().get();
  // Thread 1 handed the async item over and is idle again: it takes the next.
  using TStates = std::vector<std::pair<int, bool>>;
  ASSERT_TRUE(Eventually([&] { return s->ThreadStates() == TStates{{1, false}}; }));
  s->ExecThread(true, [&] { b = std::this_thread::get_id(); });
  EXPECT_EQ(a, b);
  EXPECT_EQ(s->ThreadStates(), (TStates{{1, false}}));
}

TEST(OrvaneSession, NamedLocks) {
  TTestEngine e;
  auto s = e.NewSession();
  std::atomic<int> released{0};
  std::thread w1([&] {
    s->Lock("F1_showmodal");
    ++released;
  });
  ASSERT_TRUE(
      Eventually([&] { return s->LockNames() == std::vector<std::string>{"F1_showmodal"}; }));
  s->Lock("F1_showmodal");  // already held: returns at once
  s->UnLock("OUTRO");       // not held: nothing happens
  EXPECT_EQ(s->LockNames(), std::vector<std::string>{"F1_showmodal"});
  EXPECT_EQ(released.load(), 0);
  s->UnLock("F1_showmodal");
  w1.join();
  EXPECT_EQ(released.load(), 1);
  EXPECT_TRUE(s->LockNames().empty());

  std::thread w2([&] {
    s->Lock("A");
    ++released;
  });
  std::thread w3([&] {
    s->Lock("B");
    ++released;
  });
  ASSERT_TRUE(Eventually([&] { return s->LockNames().size() == 2; }));
  s->UnLockAll();
  w2.join();
  w3.join();
  EXPECT_EQ(released.load(), 3);
}

TEST(OrvaneSession, AModalWaitOnASessionThreadIsReleasedByAnotherWorkItem) {
  TTestEngine e;
  auto s = e.NewSession();
  TLog log;
  s->ExecThread([&] {
    log.Add("modal");
    s->Lock("FORM_showmodal");
    log.Add("closed");
  });
  ASSERT_TRUE(Eventually([&] { return s->LockNames().size() == 1; }));
  // The waiting item has lent the forms guard: this waited item runs.
  s->ExecThread(true, [&] {
    log.Add("click");
    s->UnLock("FORM_showmodal");
  });
  EXPECT_TRUE(Eventually([&] { return log.Count("closed") == 1; }));
  EXPECT_EQ(log.Items(), (std::vector<std::string>{"modal", "click", "closed"}));
}

TEST(OrvaneSession, ClosingReleasesLocksAndTearsDownInOrder) {
  TTestEngine e;
  SetOrvaneVexloInstanceFactory(
      [](core::TComponent* AOwner) { return std::make_shared<TTestInstance>(AOwner); });
  auto s = e.NewSession();
  SetOrvaneVexloInstanceFactory(nullptr);
  std::string uuid = s->GetUUID();
  std::atomic<bool> validAtClose{true}, presentAtClose{false};
  e.Controller->Hook = [&](TSessionChangeType AType, const std::shared_ptr<IOrvaneSession>&) {
    if (AType != TSessionChangeType::sctCloseSession) return;
    validAtClose = e.Engine->SessionValid(uuid);
    presentAtClose = e.Engine->SessionByUUID(uuid) != nullptr;
  };
  // A form created through the session's registry belongs to the session.
  auto registry = std::dynamic_pointer_cast<TTestInstance>(s->GetVexloInstance());
  ASSERT_NE(registry, nullptr);
  std::weak_ptr<IOrvaneVexloInstance> weakRegistry = registry;
  core::TComponent* dm = nullptr;
  s->ExecThread(true,
                [&] { dm = registry->Registry.CreateInstance(&ui::TDataModule::StaticClass()); });
  registry.reset();
  ASSERT_NE(dm, nullptr);
  EXPECT_EQ(dm->Owner(), s.get());
  std::atomic<std::thread::id> freedOn{};
  new TNoteDestroy(s.get(), freedOn);

  std::thread waiter([&] { s->Lock("X_showmodal"); });
  ASSERT_TRUE(Eventually([&] { return s->LockNames().size() == 1; }));
  s->Close();
  waiter.join();
  EXPECT_TRUE(s->Closing());
  EXPECT_FALSE(validAtClose.load());  // invalid before it is destroyed
  EXPECT_TRUE(presentAtClose.load());
  EXPECT_FALSE(e.Engine->SessionValid(uuid));
  EXPECT_EQ(e.Engine->SessionByUUID(uuid), nullptr);
  EXPECT_EQ(s->ComponentCount(), 0);
  EXPECT_NE(freedOn.load(), std::thread::id());
  EXPECT_NE(freedOn.load(), std::this_thread::get_id());
  EXPECT_TRUE(weakRegistry.expired());
  EXPECT_TRUE(s->ThreadStates().empty());
  EXPECT_TRUE(s->GetThreadIDs().empty());
  EXPECT_EQ(s->GetCallBacks(), nullptr);
  EXPECT_EQ(e.Controller->LifeNotices(),
            (std::vector<TSessionChangeType>{TSessionChangeType::sctClosingSession,
                                             TSessionChangeType::sctCloseSession,
                                             TSessionChangeType::sctDestroySession}));
  // Nothing waits on a closed session, and a second Close does nothing.
  s->Lock("Y");
  s->Close();
  std::weak_ptr<TOrvaneSession> weak = s;
  s.reset();
  EXPECT_TRUE(weak.expired());
}

TEST(OrvaneSession, AWorkItemMayCloseItsOwnSession) {
  TTestEngine e;
  auto s = e.NewSession();
  std::string uuid = s->GetUUID();
  s->ExecThread(true, [&] { s->Close(); });
  EXPECT_EQ(e.Engine->SessionByUUID(uuid), nullptr);
  EXPECT_TRUE(s->ThreadStates().empty());
  // Work handed to a torn-down session does not run.
  bool ran = false;
  s->ExecThread(true, [&] { ran = true; });
  EXPECT_FALSE(ran);
}

TEST(OrvaneSession, RenewingMovesTheExpiryAndTellsTheController) {
  TTestEngine e;
  auto s = e.NewSession();
  auto before = s->ExpireDate();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  s->RenewExpireDate();
  EXPECT_GT(s->ExpireDate(), before);
  auto notices = e.Controller->Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], TSessionChangeType::sctActiveSession);
  s->SetExpire(false);
  EXPECT_FALSE(s->GetExpire());
}

TEST(OrvaneSession, TheSweepClosesExpiredSessionsOnly) {
  TTestEngine e;
  auto live = e.NewSession();
  auto old = e.NewSession();
  std::string oldUUID = old->GetUUID();
  old->SetExpireDate(std::chrono::system_clock::now() - std::chrono::seconds(1));
  EXPECT_FALSE(e.Engine->SessionValid(oldUUID));
  EXPECT_EQ(CloseExpiredSessions(*e.Engine), 1);
  EXPECT_TRUE(old->Closing());
  EXPECT_EQ(e.Engine->SessionByUUID(oldUUID), nullptr);
  EXPECT_EQ(e.Engine->SessionByUUID(live->GetUUID()), live);
  EXPECT_FALSE(live->Closing());
  EXPECT_EQ(e.Controller->LifeNotices(),
            (std::vector<TSessionChangeType>{
                TSessionChangeType::sctExpireSession, TSessionChangeType::sctClosingSession,
                TSessionChangeType::sctCloseSession, TSessionChangeType::sctDestroySession}));
  EXPECT_EQ(CloseExpiredSessions(*e.Engine), 0);
}

TEST(OrvaneSession, LifetimeAndTemporaryFolderFollowTheEngineOptions) {
  TTestEngine e;
  e.Engine->GetOptions().SetSessionExpireSeconds(90);
  e.Engine->GetOptions().SetTempDirectory((e.Dir / "temporario").string());
  auto within = [](TOrvaneDateTime AValue, int ASeconds) {
    auto expected = std::chrono::system_clock::now() + std::chrono::seconds(ASeconds);
    return AValue <= expected && AValue > expected - std::chrono::seconds(5);
  };
  auto s = e.NewSession();
  EXPECT_TRUE(within(s->ExpireDate(), 90));
  s->SetExpireDate(std::chrono::system_clock::now());
  s->RenewExpireDate();
  EXPECT_TRUE(within(s->ExpireDate(), 90));
  EXPECT_EQ(s->PathSession(), (e.Dir / "temporario" / "Sessions" / s->GetUUID()).string() + "/");
  EXPECT_TRUE(std::filesystem::is_directory(s->PathSession()));
  // By default: 60 hours, under temp/ of the web root.
  e.Engine->GetOptions().SetSessionExpireSeconds(216000);
  e.Engine->GetOptions().SetTempDirectory("");
  auto d = e.NewSession();
  EXPECT_TRUE(within(d->ExpireDate(), 216000));
  EXPECT_EQ(d->PathSession(), (e.Root / "temp" / "Sessions" / d->GetUUID()).string() + "/");
  s->Close();
  d->Close();
}

TEST(OrvaneSession, StoppingClosesEverySessionAndDropsItsPage) {
  TTestEngine e;
  e.Start();
  auto a = e.NewSession();
  auto b = e.NewSession();
  auto page = e.OpenSocket(*a);
  ASSERT_TRUE(page);
  auto done = e.NewSession();
  done->Close();
  EXPECT_EQ(CloseAllSessions(*e.Engine), 2);
  EXPECT_TRUE(a->Closing());
  EXPECT_TRUE(b->Closing());
  EXPECT_EQ(e.Engine->SessionCount(), 0u);
  EXPECT_TRUE(page->ClosedByServer());
  // Each went the whole way: closing, closed, destroyed.
  auto notices = e.Controller->LifeNotices();
  for (auto type : {TSessionChangeType::sctClosingSession, TSessionChangeType::sctCloseSession,
                    TSessionChangeType::sctDestroySession})
    EXPECT_EQ(std::count(notices.begin(), notices.end(), type), 3) << static_cast<int>(type);
  EXPECT_EQ(CloseAllSessions(*e.Engine), 0);
}

TEST(OrvaneSession, SwitchingTheActivePageKeepsTheFormListAndPredecessor) {
  TTestEngine e;
  auto s = e.NewSession();
  TLog log;
  core::TComponent deskA, deskB;
  TTestVexlo a("FA", log, &deskA), b("FB", log, &deskB), nested("FN", log);
  a.AddNested(nested);
  EXPECT_EQ(s->GetActiveForm(), nullptr);
  s->SetVexloBaseClass(&a);
  EXPECT_EQ(s->GetVexloForms(), (std::vector<IOrvaneVexloClass*>{&a}));
  EXPECT_EQ(a.Prior, nullptr);
  EXPECT_EQ(s->GetActiveForm(), &a.Form);
  EXPECT_EQ(s->ActiveFormByFormUUID("FA"), &a.Form);
  EXPECT_EQ(s->ActiveFormByFormUUID("FN"), &nested.Form);
  EXPECT_EQ(s->ActiveFormByFormUUID("FB"), nullptr);
  EXPECT_EQ(s->ActiveFormByFormUUID(""), nullptr);
  EXPECT_EQ(s->InfoConnection()->FormName(), "TComponent");

  s->SetVexloBaseClass(&b);
  EXPECT_EQ(log.Items(), (std::vector<std::string>{"FA.unload", "FN.unload"}));
  EXPECT_EQ(b.Prior, &deskA);
  EXPECT_EQ(s->GetVexloForms(), (std::vector<IOrvaneVexloClass*>{&a, &b}));
  EXPECT_EQ(s->ActiveFormByFormUUID("FA"), nullptr);

  s->SetVexloBaseClass(&a);
  EXPECT_EQ(s->GetVexloForms(), (std::vector<IOrvaneVexloClass*>{&b, &a}));
  EXPECT_EQ(a.Prior, &deskB);

  // A nested bridge object becomes active without joining the list.
  s->SetVexloBaseClass(&nested);
  EXPECT_EQ(s->GetVexloForms(), (std::vector<IOrvaneVexloClass*>{&b, &a}));
  s->RemoveVexloClass(&nested);
  EXPECT_EQ(s->GetVexloBaseClass(), nullptr);
  s->RemoveVexloClass(&b);
  EXPECT_EQ(s->GetVexloForms(), (std::vector<IOrvaneVexloClass*>{&a}));
}

TEST(OrvaneSession, ExecJSArrivesIntactOnThatPageOnly) {
  TTestEngine e;
  e.Start();
  auto s1 = e.NewSession();
  auto s2 = e.NewSession();
  // A push to a page without a connection is lost quietly.
  s1->ExecJS("alert(1);");
  auto c1 = e.OpenSocket(*s1);
  auto c2 = e.OpenSocket(*s2);
  ASSERT_TRUE(c1 && c2);
  ASSERT_TRUE(
      Eventually([&] { return s1->OpenedConnections() == 1 && s2->OpenedConnections() == 1; }));
  const std::string script =
      "alert(\"Olá, 'mundo'\\n\");\nvar t = \"ação\\tçé\"; // linha\r\nfim();";
  s1->ExecJS(script);
  s2->ExecJS("marca();");
  auto f1 = orvanetest::ReadServerFrame(*c1);
  ASSERT_TRUE(f1.Ok);
  EXPECT_EQ(f1.FirstByte, 0x81);
  EXPECT_TRUE(std::all_of(f1.Payload.begin(), f1.Payload.end(), [](char c) {
    return static_cast<unsigned char>(c) < 128;
  })) << f1.Payload;
  EXPECT_NE(f1.Payload.find("\\u00e7"), std::string::npos) << f1.Payload;
  auto j = nlohmann::json::parse(f1.Payload);
  ASSERT_TRUE(j.is_object());
  EXPECT_EQ(j.size(), 1u);
  EXPECT_EQ(j["ExecJS"], nlohmann::json::array({script}));
  // The other page got its own push and nothing else.
  auto f2 = orvanetest::ReadServerFrame(*c2);
  EXPECT_EQ(f2.Payload, "{\"ExecJS\":[\"marca();\"]}");
}

TEST(OrvaneSession, SendFilePushesTheDownloadScript) {
  TTestEngine e;
  e.Start();
  auto s = e.NewSession();
  auto c = e.OpenSocket(*s);
  ASSERT_TRUE(c);
  ASSERT_TRUE(Eventually([&] { return s->OpenedConnections() == 1; }));
  fs::path file = e.Dir / "relatório \"final\".pdf";
  std::ofstream(file, std::ios::binary) << "%PDF";

  s->SendFile((e.Dir / "nao-existe.pdf").string(), true, "x.pdf");  // nothing happens
  EXPECT_TRUE(s->GetFileDownloads().empty());
  s->SendFile(file.string(), false, "");
  s->SendFile(file.string(), true, "Relatorio.pdf");
  auto downloads = s->GetFileDownloads();
  ASSERT_EQ(downloads.size(), 2u);
  std::vector<std::string> scripts;
  for (int i = 0; i < 2; ++i) {
    auto f = orvanetest::ReadServerFrame(*c);
    ASSERT_TRUE(f.Ok);
    scripts.push_back(nlohmann::json::parse(f.Payload)["ExecJS"][0].get<std::string>());
  }
  for (const auto& [key, path] : downloads) {
    EXPECT_EQ(key.size(), 17u);
    EXPECT_TRUE(AllOf(key, kLetters)) << key;
    EXPECT_EQ(path, file.string());
  }
  // The first push names the file by its own name; its key is in the URL.
  const std::string& first = scripts[0];
  size_t at = first.find("?file=");
  ASSERT_NE(at, std::string::npos);
  std::string key = first.substr(at + 6, 17);
  ASSERT_EQ(downloads.count(key), 1u);
  EXPECT_EQ(first, "var fileUrl = \"/vexlo/download?file=" + key + "&token=" + s->GetToken() +
                       "&orvanesession=" + s->GetUUID() +
                       "\";\nvar openAfterDownload = false;\n"
                       "var downloadLink = document.createElement('a');\n"
                       "downloadLink.href = fileUrl;\n"
                       "downloadLink.download = \"relat\\u00f3rio \\\"final\\\".pdf\";\n"
                       "downloadLink.click();\nif (openAfterDownload) {\n"
                       "  window.open(fileUrl, '_blank');\n}");
  EXPECT_NE(scripts[1].find("var openAfterDownload = true;"), std::string::npos);
  EXPECT_NE(scripts[1].find("downloadLink.download = \"Relatorio.pdf\";"), std::string::npos);
}

TEST(OrvaneSession, TheSessionLogHasItsLayoutAndOneRowPerSession) {
  TTestEngine e;
  std::unique_ptr<db::TMemDataSet> log(CreateSessionLogDataSet(nullptr));
  EXPECT_EQ(log->Name(), "CDSLog");
  struct TField {
    const char* Name;
    db::TFieldType Type;
    int Size;
  };
  const TField expected[] = {{"AutoCod", db::TFieldType::ftInteger, 0},
                             {"Identify", db::TFieldType::ftString, 150},
                             {"User", db::TFieldType::ftString, 150},
                             {"IP", db::TFieldType::ftString, 24},
                             {"UserAgent", db::TFieldType::ftString, 120},
                             {"Status", db::TFieldType::ftString, 50},
                             {"DateConnection", db::TFieldType::ftDateTime, 0},
                             {"DateUpdate", db::TFieldType::ftDateTime, 0},
                             {"Expire", db::TFieldType::ftString, 30},
                             {"UUID", db::TFieldType::ftString, 30},
                             {"FormName", db::TFieldType::ftString, 100}};
  ASSERT_EQ(log->FieldCount(), 11);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(log->Fields(i).FieldName(), expected[i].Name);
    EXPECT_EQ(log->Fields(i).DataType(), expected[i].Type) << expected[i].Name;
    EXPECT_EQ(log->Fields(i).Size(), expected[i].Size) << expected[i].Name;
  }
  EXPECT_TRUE(log->FieldByName("AutoCod").ReadOnly);
  EXPECT_EQ(log->FieldByName("DateUpdate").DisplayFormat, "DD/MM/YY HH:MM");

  auto s1 = e.NewSession();
  auto s2 = e.NewSession();
  s1->InfoConnection()->SetIP("192.168.0.10");
  s1->InfoConnection()->SetUserAgent(std::string(300, 'u'));
  WriteSessionLog(*log, *s1, "Nova");
  WriteSessionLog(*log, *s2, "Nova");
  WriteSessionLog(*log, *s1, "Ativa");
  EXPECT_EQ(log->RecordCount(), 2);
  ASSERT_TRUE(log->Locate("UUID", s1->GetUUID()));
  EXPECT_EQ(log->FieldByName("AutoCod").AsInteger(), 1);
  EXPECT_EQ(log->FieldByName("Status").AsString(), "Ativa");
  EXPECT_EQ(log->FieldByName("IP").AsString(), "192.168.0.10");
  EXPECT_EQ(log->FieldByName("UserAgent").AsString().size(), 120u);
  EXPECT_EQ(log->FieldByName("Expire").AsString(), "Ativa");
  ASSERT_TRUE(log->Locate("UUID", s2->GetUUID()));
  EXPECT_EQ(log->FieldByName("AutoCod").AsInteger(), 2);
}

TEST(OrvaneSession, LiveSessionsGoWithTheEngineRoot) {
  auto e = std::make_unique<TTestEngine>();
  e->Start();
  auto s = e->NewSession();
  auto c = e->OpenSocket(*s);
  ASSERT_TRUE(c);
  s->ExecThread(true, [] {});
  std::weak_ptr<TOrvaneSession> weak = s;
  s.reset();
  e.reset();
  EXPECT_TRUE(weak.expired());
}
