// The server under attack, over real sockets: nested JSON, huge declared
// frames and bodies, too many connections, slow heads, idle sockets without a
// session, uploads fetched back as static files and secrets in the debug
// output. Each attack must leave the server serving its other clients with
// bounded memory. Also the forms guard around uploads and message dispatch,
// and the bounds on sessions: a cap, and pages that never connect or leave.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "orvane/server/Orvane.Server.Functions.h"
#include "orvane/server/Orvane.Server.HTML.h"
#include "platform/ui/StdCtrls.h"
#include "tests/orvane/server/test_session_support.h"

using namespace orvane;
using orvanetest::ClientFrame;
using sesstest::Eventually;
using sesstest::TLog;
using sesstest::TTestControl;
using sesstest::TTestEngine;
using sesstest::TTestVexlo;
using testnet::TClient;
namespace fs = std::filesystem;

namespace {

const std::string kFixed =
    "Connection: Close\r\nServer: OrvaneServer with Vexlo Framework Server\r\n";

long ResidentKB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

std::string Nested(int ADepth) {
  return std::string(static_cast<size_t>(ADepth), '[') + "1" +
         std::string(static_cast<size_t>(ADepth), ']');
}

// The frame head of a masked text frame that declares ALength bytes.
std::string FrameHead(uint64_t ALength) {
  std::string f = "\x81\xFF";
  for (int s = 56; s >= 0; s -= 8) f.push_back(static_cast<char>((ALength >> s) & 0xFF));
  return f + "\x01\x02\x03\x04";
}

// What the process writes to standard error while it lives.
class TStderrCapture {
 public:
  TStderrCapture() {
    std::fflush(stderr);
    FFile = std::tmpfile();
    FSaved = ::dup(2);
    ::dup2(::fileno(FFile), 2);
  }
  ~TStderrCapture() { Stop(); }
  std::string Stop() {
    if (FSaved >= 0) {
      std::fflush(stderr);
      ::dup2(FSaved, 2);
      ::close(FSaved);
      FSaved = -1;
      std::rewind(FFile);
      char buf[4096];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, FFile)) > 0) FText.append(buf, n);
      std::fclose(FFile);
    }
    return FText;
  }

 private:
  FILE* FFile;
  int FSaved;
  std::string FText;
};

class OrvaneHardening : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(E.Root);
    std::ofstream(E.Root / "ola.txt") << "Olá";
    E.Controller->OnInstancePrimaryForm = [this](const std::shared_ptr<IOrvaneSession>& s) {
      Page.Form.Session = s.get();
      Other.Form.Session = s.get();
      s->SetVexloBaseClass(&Page);
    };
    Functions.Attach(*E.Engine);
    E.Start();
    Session = E.NewSession();
    Session->ExecThread(true, [this] { E.Engine->InstancePrimaryForm(Session); });
    auto click = Entrar.GetEvents()->Add(TOrvaneEventType::EventOnClick,
                                         TOnEventProc([this](TStringList&) { Log.Add("click"); }));
    ClickID = click->GetEventID();
    Main = E.OpenSocket(*Session);
    ASSERT_TRUE(Main);
  }
  void TearDown() override {
    Main.reset();
    Session->Close();
  }

  std::string Message(const std::string& AFormUUID, const std::string& AID,
                      const std::string& AEventID, const std::string& AParameters,
                      bool ALockClient = true) {
    nlohmann::json j = {{"type", "procedure"}, {"name", "ExecEvent"}, {"wait", false}};
    j["parameters"] = {{{"UUID", Session->GetUUID()}}, {{"Token", Session->GetToken()}},
                       {{"FormUUID", AFormUUID}},      {{"ID", AID}},
                       {{"EventID", AEventID}},        {{"Parameters", AParameters}},
                       {{"LockClient", ALockClient}}};
    return j.dump();
  }
  // A round trip through the page-load event on the main connection: the
  // server still dispatches and answers.
  void Probe() {
    Main->Send(ClientFrame(Message("FORMA", "FORMA", "AfterPageLoad", "")));
    auto f = orvanetest::ReadServerFrame(*Main);
    EXPECT_NE(f.Payload.find("UnLockThreadClient"), std::string::npos);
  }
  std::unique_ptr<TClient> Anonymous() {
    auto c = std::make_unique<TClient>(E.Port);
    std::string head = orvanetest::UpgradeRequest(*c, "/websocket/connectionparams");
    if (head.find("101 Switching Protocols") == std::string::npos) return nullptr;
    return c;
  }
  std::string Get(const std::string& APath) {
    TClient c(E.Port);
    c.TrySend("GET " + APath + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    return c.ReadAll();
  }
  TOrvaneServerTCP& Server() { return E.Engine->OrvaneServerTCP(); }

  TTestEngine E;
  TOrvaneServerFunctions Functions{E.Engine.get()};
  TLog Log;
  TTestVexlo Page{"FORMA", Log};
  TTestVexlo Other{"FORMB", Log};
  ui::TEdit Nome{nullptr}, Senha{nullptr};
  ui::TButton Botao{nullptr};
  TTestControl Edit{Page.Form, &Nome, "edtNome", Log};
  TTestControl Password{Page.Form, &Senha, "edtSenha", Log};
  TTestControl Entrar{Page.Form, &Botao, "btnEntrar", Log};
  std::string ClickID;
  std::shared_ptr<TOrvaneSession> Session;
  std::unique_ptr<TClient> Main;
};

}  // namespace

TEST_F(OrvaneHardening, DeeplyNestedJSONClosesOnlyThatConnection) {
  const std::string deep = Nested(3000);
  const std::string plain =
      R"({"type":"procedure","name":"ExecEvent","wait":false,"parameters":[]})";
  for (const char* member : {"\"procedure\"", "\"ExecEvent\"", "false", "[]"}) {
    std::string text = plain;
    text.replace(text.find(member), std::string(member).size(), deep);
    auto c = Anonymous();  // no token, no session: allowed to upgrade
    ASSERT_TRUE(c);
    c->Send(ClientFrame(text));
    EXPECT_TRUE(c->ClosedByServer()) << member;
  }
  // In a parameter value, where a live session's message carries it.
  std::string objects;
  for (int i = 0; i < 3000; ++i) objects += "{\"a\":";
  objects += "1" + std::string(3000, '}');
  for (const std::string& states : {deep, objects, std::string(20000, '[')}) {
    auto c = E.OpenSocket(*Session);
    ASSERT_TRUE(c);
    c->Send(
        ClientFrame(Message("FORMA", "btnEntrar", ClickID, "OrvaneComponentsStatus=" + states)));
    EXPECT_TRUE(c->ClosedByServer());
  }
  // Within the bound the message goes through.
  Main->Send(ClientFrame(
      Message("FORMA", "btnEntrar", ClickID, "OrvaneComponentsStatus=" + Nested(60) + "&x=1")));
  Probe();
  EXPECT_TRUE(Eventually([&] { return Log.Count("click") == 1; }));
}

TEST_F(OrvaneHardening, DeclaredFrameLengthsCostNothingUntilTheBytesArrive) {
  long before = ResidentKB();
  // Without a session a frame may hold 64 KiB: a bigger one is refused at
  // its head.
  std::vector<std::unique_ptr<TClient>> anonymous;
  for (int i = 0; i < 40; ++i) {
    anonymous.push_back(Anonymous());
    ASSERT_TRUE(anonymous.back());
    anonymous.back()->Send(FrameHead(15u << 20));
  }
  for (auto& c : anonymous) {
    auto close = orvanetest::ReadServerFrame(*c);
    EXPECT_EQ(close.FirstByte, 0x88);
    EXPECT_EQ(close.Payload, std::string("\x03\xF1", 2));  // 1009: too big
    EXPECT_TRUE(c->ClosedByServer());
  }
  // A page's connection may send big frames, but holds only what it sent.
  std::vector<std::unique_ptr<TClient>> pages;
  for (int i = 0; i < 40; ++i) {
    pages.push_back(E.OpenSocket(*Session));
    ASSERT_TRUE(pages.back());
    pages.back()->Send(FrameHead(15u << 20) + std::string(1000, 'x'));
  }
  ASSERT_TRUE(Eventually([&] { return Session->OpenedConnections() == 41; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  long grown = ResidentKB() - before;
  // 40 x 15 MiB reserved from the declared lengths would be 600 MiB.
  EXPECT_LT(grown, 256 * 1024) << "KB";
  pages.clear();
  Probe();
}

TEST_F(OrvaneHardening, BodiesWithoutASessionAreNeverRead) {
  std::atomic<int> calls{0};
  std::string posted;
  E.Engine->RESTData = [&](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse&, TOrvaneWebSocketContext&) {
    ++calls;
    posted = q.Header.Content;
  };
  long before = ResidentKB();
  for (const std::string& query :
       {std::string("FormUUID=F"), "token=ERRADO&orvanesession=" + Session->GetUUID()}) {
    TClient c(E.Port);
    c.Send("POST /rest/json/jqgrid/post?" + query +
           " HTTP/1.1\r\nHost: h\r\nContent-Length: 60000000\r\n\r\n" + std::string(1000, '{'));
    EXPECT_TRUE(c.ClosedByServer()) << query;
  }
  EXPECT_EQ(calls.load(), 0);
  EXPECT_LT(ResidentKB() - before, 48 * 1024);  // reading both would take 120 MB
  // A live page's post is read; nested too deep it is refused as well.
  std::string query = "token=" + Session->GetToken() + "&orvanesession=" + Session->GetUUID();
  for (const std::string& body : {std::string("{\"NOME\":1}"), Nested(100)}) {
    TClient c(E.Port);
    c.Send("POST /rest/json/jqgrid/post?" + query +
           " HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    c.ReadAll();
  }
  EXPECT_EQ(calls.load(), 1);
  EXPECT_EQ(posted, "{\"NOME\":1}");
}

TEST_F(OrvaneHardening, ConnectionsOverTheCapAreRefusedAndTheOpenOnesServed) {
  Server().MaxConnections = 4;  // the page's main connection is one of them
  std::vector<std::unique_ptr<TClient>> idle;
  for (int i = 0; i < 3; ++i) idle.push_back(std::make_unique<TClient>(E.Port));
  ASSERT_TRUE(Eventually([&] { return Server().ConnectionCount() == 4; }));
  for (int i = 0; i < 5; ++i) {
    TClient refused(E.Port);
    EXPECT_TRUE(refused.ClosedByServer(5000));
  }
  idle[0]->Send("GET /ola.txt HTTP/1.1\r\n\r\n");
  EXPECT_NE(idle[0]->ReadAll().find("Olá"), std::string::npos);
  Probe();
  idle.clear();
  ASSERT_TRUE(Eventually([&] { return Server().ConnectionCount() == 1; }));
  EXPECT_NE(Get("/ola.txt").find("Olá"), std::string::npos);
}

TEST_F(OrvaneHardening, ASlowHeadIsCutByItsDeadline) {
  Server().RequestTimeout = 1000;
  TClient c(E.Port);
  c.Send("GET /ola.txt HTTP/1.1\r\n");
  std::atomic<bool> stop{false};
  // One header line every 200 ms: no single wait is long, the whole is.
  std::thread drip([&] {
    for (int i = 0; i < 100 && !stop; ++i) {
      c.TrySend("X-Lento: " + std::to_string(i) + "\r\n");
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  });
  EXPECT_TRUE(c.ClosedByServer(6000));
  stop = true;
  drip.join();
  EXPECT_NE(Get("/ola.txt").find("Olá"), std::string::npos);
}

TEST_F(OrvaneHardening, SocketsWithoutASessionMustSendNowAndThen) {
  Server().SessionlessIdleTimeout = 300;
  auto anon = Anonymous();
  ASSERT_TRUE(anon);
  EXPECT_TRUE(anon->ClosedByServer(5000));
  Probe();  // the page's own connection stays however idle it is
}

TEST_F(OrvaneHardening, UploadsAreNeverServedBackAsStaticFiles) {
  std::string b = "----x";
  std::string body = "--" + b +
                     "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a.pdf\"\r\n\r\n"
                     "SEGREDO\r\n--" +
                     b + "--\r\n";
  TClient up(E.Port);
  up.Send("POST /vexlo/upload?token=" + Session->GetToken() +
          "&orvanesession=" + Session->GetUUID() +
          "&FormUUID=FORMA HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=" + b +
          "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_EQ(up.ReadAll(), "HTTP/1.1 200 OK\r\n" + kFixed + "\r\n");
  ASSERT_TRUE(fs::exists(Session->PathSession() + "a.pdf"));
  fs::create_directory_symlink(E.Root / "temp" / "Sessions", E.Root / "atalho");
  const std::string uuid = Session->GetUUID();
  for (const std::string& path :
       {"/temp/Sessions/" + uuid + "/a.pdf", "/TEMP/sessions/" + uuid + "/a.pdf",
        "//temp//Sessions/" + uuid + "/a.pdf", "/temp/./Sessions/" + uuid + "/a.pdf",
        "/%74emp/Sessions/" + uuid + "/a.pdf", "/atalho/" + uuid + "/a.pdf",
        std::string("/temp/Sessions")}) {
    std::string r = Get(path);
    EXPECT_EQ(r.find("SEGREDO"), std::string::npos) << path;
    EXPECT_EQ(r, "") << path;
  }
  EXPECT_NE(Get("/ola.txt").find("Olá"), std::string::npos);
}

TEST_F(OrvaneHardening, TheDebugOutputCarriesNoSecrets) {
  const std::string states =
      "[{\"id\":\"EDTNOME\",\"text\":\"ketil\"},{\"id\":\"EDTSENHA\",\"text\":\"s3nh@-secreta\"}]";
  std::string quiet;
  {
    TStderrCapture capture;
    Main->Send(ClientFrame(
        Message("FORMA", "btnEntrar", ClickID, "OrvaneComponentsStatus=" + states, false)));
    Probe();
    quiet = capture.Stop();
  }
  EXPECT_EQ(Senha.Text(), "s3nh@-secreta");
  EXPECT_NE(quiet.find("ExecEvent"), std::string::npos) << quiet;
  for (const std::string& secret : {std::string("s3nh@-secreta"), std::string("ketil"),
                                    Session->GetToken(), Session->GetUUID()})
    EXPECT_EQ(quiet.find(secret), std::string::npos) << secret << " in:\n" << quiet;
  // Only the explicit debugging switch writes the whole text.
  Server().LogMessageText = true;
  std::string loud;
  {
    TStderrCapture capture;
    Main->Send(ClientFrame(
        Message("FORMA", "btnEntrar", ClickID, "OrvaneComponentsStatus=" + states, false)));
    Probe();
    loud = capture.Stop();
  }
  EXPECT_NE(loud.find("s3nh@-secreta"), std::string::npos);
}

TEST_F(OrvaneHardening, UploadsWaitForTheFormsGuard) {
  std::mutex m;
  std::condition_variable cv;
  bool release = false, holding = false;
  Session->ExecThread(false, [&] {
    std::unique_lock<std::mutex> l(m);
    holding = true;
    cv.notify_all();
    cv.wait(l, [&] { return release; });
    Log.Add("handler done");
  });
  {
    std::unique_lock<std::mutex> l(m);
    cv.wait(l, [&] { return holding; });
  }
  std::string b = "----x";
  std::string body = "--" + b +
                     "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"b.txt\"\r\n\r\n"
                     "x\r\n--" +
                     b + "--\r\n";
  TClient up(E.Port);
  up.Send("POST /vexlo/upload?token=" + Session->GetToken() +
          "&orvanesession=" + Session->GetUUID() +
          "&FormUUID=FORMA HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=" + b +
          "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  // The form and its upload's limits are looked up inside the guard: nothing
  // is read, written or delivered while the handler holds the forms.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(Session->PathSession() + "b.txt"));
  EXPECT_EQ(Log.Count("FORMA.upload"), 0u);
  {
    std::lock_guard<std::mutex> g(m);
    release = true;
  }
  cv.notify_all();
  EXPECT_EQ(up.ReadAll(), "HTTP/1.1 200 OK\r\n" + kFixed + "\r\n");
  auto items = Log.Items();
  auto at = [&](const std::string& s) { return std::find(items.begin(), items.end(), s); };
  ASSERT_NE(at("FORMA.upload"), items.end());
  EXPECT_LT(at("handler done"), at("FORMA.upload"));
}

TEST_F(OrvaneHardening, TheDispatcherFindsTheFormOnlyOnceTheGuardIsFree) {
  // A handler holds the forms while it switches the page to FORMB; a
  // message for FORMB that arrives meanwhile must find it once it is shown.
  std::atomic<bool> release{false};
  ui::TButton outro{nullptr};
  TTestControl outroControl{Other.Form, &outro, "btnOutro2", Log};
  std::string outroID = outroControl.GetEvents()
                            ->Add(TOrvaneEventType::EventOnClick,
                                  TOnEventProc([this](TStringList&) { Log.Add("outro click"); }))
                            ->GetEventID();
  std::atomic<bool> holding{false};
  Session->ExecThread(false, [&] {
    holding = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Session->SetVexloBaseClass(&Other);
  });
  ASSERT_TRUE(Eventually([&] { return holding.load(); }));
  Main->Send(ClientFrame(Message("FORMB", "btnOutro2", outroID, "")));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  release = true;
  EXPECT_TRUE(Eventually([&] { return Log.Count("outro click") == 1; }));
}

TEST(OrvaneParametersHostile, UnclosedBracketsStayLinear) {
  // Quadratic handling of this text would take far longer than the test's
  // time limit.
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "a=[&";
  TStringList items = TOrvaneServerFunctions::ProcessParameters(text);
  EXPECT_EQ(items.size(), 200001u);
  EXPECT_EQ(items.front(), "a=[");
  // A JSON value later in such text still keeps its "&".
  items = TOrvaneServerFunctions::ProcessParameters("a=[&b=[\"x&y\"]");
  EXPECT_EQ(items, (TStringList{"a=[", "b=[\"x&y\"]"}));
}

namespace {

// Sessions as the page producer makes them for "/", over real sockets.
class OrvaneSessionBounds : public ::testing::Test {
 protected:
  void SetUp() override {
    E.Engine->GetOptions().SetAbandonedSessionTimeout(0);
    Pages = std::make_unique<TOrvaneServerHTML>(*E.Engine);
  }
  void TearDown() override {
    E.Engine->StopServer();  // no connection thread uses the producer any more
    Pages.reset();
  }
  std::string Page(const std::string& AHeaders = "") {
    TClient c(E.Port);
    c.TrySend("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n" + AHeaders + "\r\n");
    return c.ReadAll();
  }
  std::vector<std::shared_ptr<IOrvaneSession>> Sessions() {
    std::lock_guard<std::recursive_mutex> g(E.Engine->CriticalSession);
    std::vector<std::shared_ptr<IOrvaneSession>> all;
    for (const auto& [uuid, s] : E.Engine->GetSessions()) all.push_back(s);
    return all;
  }

  TTestEngine E;
  std::unique_ptr<TOrvaneServerHTML> Pages;
};

bool Starts(const std::string& AText, const std::string& APrefix) {
  return AText.rfind(APrefix, 0) == 0;
}

}  // namespace

TEST_F(OrvaneSessionBounds, PagesBeyondTheCapGetAServerBusyPage) {
  E.Engine->GetOptions().SetMaxSessions(5);
  E.Start();
  // Many browsers at once: exactly as many sessions as the cap allows.
  std::atomic<int> served{0}, busy{0};
  std::vector<std::thread> browsers;
  for (int i = 0; i < 12; ++i)
    browsers.emplace_back([&] {
      std::string r = Page();
      if (Starts(r, "HTTP/1.1 200 OK\r\n")) ++served;
      if (Starts(r, "HTTP/1.1 503 Service Unavailable\r\n")) {
        ++busy;
        EXPECT_NE(r.find("Servidor ocupado"), std::string::npos);
        EXPECT_NE(r.find("Tente novamente"), std::string::npos);
        std::string body = r.substr(r.find("\r\n\r\n") + 4);
        EXPECT_NE(r.find("Content-Length: " + std::to_string(body.size()) + "\r\n"),
                  std::string::npos);
      }
    });
  for (auto& b : browsers) b.join();
  EXPECT_EQ(served.load(), 5);
  EXPECT_EQ(busy.load(), 7);
  ASSERT_EQ(Sessions().size(), 5u);
  // A page coming back to its live session is served at the cap.
  auto s = Sessions().front();
  EXPECT_TRUE(Starts(Page("Cookie: Vexlo_Token=" + s->GetToken() +
                          "; Vexlo_OrvaneSession=" + s->GetUUID() + "; Vexlo_ReloadPage=true\r\n"),
                     "HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(Sessions().size(), 5u);
  // Once a session is gone there is room again.
  s->Close();
  EXPECT_TRUE(Starts(Page(), "HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(Sessions().size(), 5u);
}

TEST_F(OrvaneSessionBounds, SessionsWhosePageNeverConnectsOrLeavesAreClosed) {
  E.Engine->GetOptions().SetAbandonedSessionTimeout(1);
  E.Start();
  ASSERT_TRUE(Starts(Page(), "HTTP/1.1 200 OK\r\n"));
  ASSERT_EQ(Sessions().size(), 1u);
  auto silent = Sessions().front();
  ASSERT_TRUE(Starts(Page(), "HTTP/1.1 200 OK\r\n"));
  std::shared_ptr<IOrvaneSession> connected;
  for (const auto& s : Sessions())
    if (s != silent) connected = s;
  ASSERT_TRUE(connected);
  auto socket = E.OpenSocket(*connected);
  ASSERT_TRUE(socket);
  std::string silentFolder = silent->PathSession();
  // The page that never connected goes; the connected one stays.
  EXPECT_TRUE(Eventually([&] { return Sessions().size() == 1; }));
  EXPECT_TRUE(silent->Closing());
  EXPECT_TRUE(Eventually([&] { return !fs::exists(silentFolder); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ASSERT_EQ(Sessions().size(), 1u);
  EXPECT_EQ(Sessions().front(), connected);
  // Once its page has gone, it goes too.
  socket.reset();
  EXPECT_TRUE(Eventually([&] { return Sessions().empty(); }));
  EXPECT_TRUE(connected->Closing());
}
