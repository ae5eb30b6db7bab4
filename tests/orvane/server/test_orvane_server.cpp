// The engine's server over real sockets on 127.0.0.1: routes, WebSocket
// upgrades and frames, pushes, uploads, downloads, static files, limits and
// TLS, with the route handlers assigned by the tests.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "orvane/server/Orvane.BaseClass.h"
#include "tests/orvane/server/OrvaneTestSupport.h"

using namespace orvane;
using orvanetest::ClientFrame;
using orvanetest::ReadServerFrame;
using orvanetest::TTestSession;
using orvanetest::UpgradeRequest;
using testnet::TClient;
namespace fs = std::filesystem;

namespace {

const std::string kFixed =
    "Connection: Close\r\nServer: OrvaneServer with Vexlo Framework Server\r\n";

void WriteText(const fs::path& APath, const std::string& AText) {
  fs::create_directories(APath.parent_path());
  std::ofstream(APath, std::ios::binary) << AText;
}

// Waits (bounded) until ACondition holds; for effects of another thread.
template <class F>
bool Eventually(F ACondition) {
  for (int i = 0; i < 1000; ++i) {
    if (ACondition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return ACondition();
}

class OrvaneServer : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = testnet::TempDir("tamblo-orvane");
    Root = Dir / "wwwroot";
    WriteText(Root / "ola.txt", "Olá, mundo");
    WriteText(Root / "css" / "site.css", "body{}");
    WriteText(Root / "IMG.PNG", "png");
    WriteText(Root / "sub" / "file.html", "<p>sub</p>");
    WriteText(Dir / "secret.txt", "SEGREDO");
    fs::create_symlink(Dir, Root / "link-out");
    Controller = std::make_shared<orvanetest::TTestController>();
    Engine = std::make_unique<TOrvaneBaseClass>();
    Engine->SetServerController(Controller);
    Engine->GetOptions().SetRootDirectory(Root.string() + "/");
    Engine->INIConfig().SetFileName((Dir / "Config.ini").string());
    Engine->OrvaneServerTCP().DefaultBindAddress = "127.0.0.1";
    Engine->SetServerPort(0);
    Session = std::make_shared<TTestSession>("U1", "T1", (Root / "temp/Sessions/U1/").string());
    Engine->AddSession(Session);
  }
  void Start() {
    Engine->StartServer();
    Port = Engine->OrvaneServerTCP().BoundPort();
  }
  void TearDown() override {
    Engine->StopServer();  // handlers may still use Engine until their threads end
    Engine.reset();
    fs::remove_all(Dir);
  }
  std::string Ask(const std::string& ARaw) {
    TClient c(Port);
    c.TrySend(ARaw);
    return c.ReadAll();
  }
  std::string Get(const std::string& APath) {
    return Ask("GET " + APath + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(Port) +
               "\r\n\r\n");
  }
  // Upgrades a main-channel connection for (token, uuid).
  std::unique_ptr<TClient> OpenSocket(const std::string& AToken, const std::string& AUUID,
                                      const std::string& ARoute = "connectionparams") {
    auto c = std::make_unique<TClient>(Port);
    std::string head = UpgradeRequest(*c, "/websocket/" + ARoute + "?token=" + AToken +
                                              "&orvanesession=" + AUUID + "&channelname=x");
    if (head.find("101 Switching Protocols") == std::string::npos) return nullptr;
    return c;
  }

  fs::path Dir, Root;
  std::shared_ptr<orvanetest::TTestController> Controller;
  std::unique_ptr<TOrvaneBaseClass> Engine;
  std::shared_ptr<TTestSession> Session;
  int Port = 0;
};

}  // namespace

TEST_F(OrvaneServer, ReconnectProbeAnswersByTheSessionState) {
  Start();
  auto probe = [&](const std::string& token, const std::string& uuid) {
    return Ask("HEAD /reconnect?token=" + token + "&&orvanesession=" + uuid +
               " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  };
  EXPECT_EQ(probe("T1", "U1"), "HTTP/1.1 202 Accepted\r\n" + kFixed + "\r\n");
  EXPECT_EQ(probe("T1", "NAOEXISTE"), "HTTP/1.1 401 Unauthorized\r\n" + kFixed + "\r\n");
  EXPECT_EQ(probe("ERRADO", "U1"), "HTTP/1.1 401 Unauthorized\r\n" + kFixed + "\r\n");
  EXPECT_EQ(probe("", "U1"), "HTTP/1.1 401 Unauthorized\r\n" + kFixed + "\r\n");
  Session->SetExpireDate(std::chrono::system_clock::now() - std::chrono::seconds(1));
  EXPECT_EQ(probe("T1", "U1"), "HTTP/1.1 401 Unauthorized\r\n" + kFixed + "\r\n");
  Session->RenewExpireDate();
  Session->ClosingFlag = true;
  EXPECT_EQ(probe("T1", "U1"), "HTTP/1.1 401 Unauthorized\r\n" + kFixed + "\r\n");
  Session->ClosingFlag = false;
  // A GET to the probe address is no probe: closed without an answer.
  EXPECT_EQ(Get("/reconnect?token=T1&&orvanesession=U1"), "");
}

TEST_F(OrvaneServer, UpgradeChecksSessionAndTokenAndCountsConnections) {
  Start();
  {
    TClient c(Port);
    // The header name in capitals is recognised.
    std::string head = UpgradeRequest(c, "/websocket/connectionparams?token=T1&orvanesession=U1",
                                      "SEC-WEBSOCKET-KEY");
    EXPECT_EQ(head,
              "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
              "Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n\r\n");
    EXPECT_TRUE(Eventually([&] { return Session->OpenedConnections() == 1; }));
  }
  EXPECT_TRUE(Eventually([&] { return Session->OpenedConnections() == 0; }));
  auto notices = Controller->Taken();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0], TSessionChangeType::sctStabilizedConnectioSession);
  EXPECT_EQ(notices[1], TSessionChangeType::sctLostConnectioSession);

  for (const char* q : {"token=ERRADO&orvanesession=U1", "token=T1&orvanesession=OUTRA"}) {
    TClient c(Port);
    EXPECT_EQ(UpgradeRequest(c, std::string("/websocket/connectionparams?") + q), "") << q;
  }
  // No token: upgraded without a session.
  auto anon = OpenSocket("", "");
  EXPECT_NE(anon, nullptr);
  EXPECT_EQ(Session->OpenedConnections(), 0u);
}

TEST_F(OrvaneServer, MessagesAreDispatchedAnsweredAndRenewTheSession) {
  std::mutex lock;
  std::vector<TOrvaneWebSocketMessage> got;
  Engine->ReceiveMessage = [&](const TOrvaneWebSocketMessage& m, TOrvaneWebSocketContext& c,
                               std::string& answer) {
    std::lock_guard<std::mutex> g(lock);
    got.push_back(m);
    EXPECT_EQ(c.Token(), "T1");
    EXPECT_EQ(c.ChannelName(), "OrvaneSocketConnection");
    EXPECT_EQ(c.OrvaneSession().get(), Session.get());
    if (m.Name == "GetFromEvent") answer = "resposta " + m.Parameters.at("ID");
  };
  Start();
  auto ws = OpenSocket("T1", "U1");
  ASSERT_NE(ws, nullptr);
  Session->SetExpireDate(std::chrono::system_clock::now() + std::chrono::minutes(1));
  // An empty masked frame and a ping dispatch nothing; the ping gets a pong.
  ws->Send(ClientFrame(""));
  ws->Send(ClientFrame("oi", 0x89));
  auto pong = ReadServerFrame(*ws);
  EXPECT_EQ(pong.FirstByte, 0x8A);
  EXPECT_EQ(pong.Payload, "oi");
  ws->Send(ClientFrame("binário", 0x82));
  ws->Send(ClientFrame(
      R"({"type":"function","name":"GetFromEvent","wait":true,"parameters":[{"ID":"btnOk"}]})"));
  auto answer = ReadServerFrame(*ws);
  EXPECT_EQ(answer.FirstByte, 0x81);
  EXPECT_EQ(answer.Payload, "resposta btnOk");
  {
    std::lock_guard<std::mutex> g(lock);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].MessageType, TWebSocketMessageType::wsMsgFunction);
  }
  EXPECT_EQ(Session->Renewals.load(), 1);
  EXPECT_GT(Session->ExpireDate(), std::chrono::system_clock::now() + std::chrono::hours(59));
  // Not JSON: ignored, the connection stays.
  ws->Send(ClientFrame("não é json"));
  ws->Send(ClientFrame(
      R"({"type":"text","name":"GetFromEvent","wait":true,"parameters":[{"ID":"x"}]})"));
  EXPECT_EQ(ReadServerFrame(*ws).Payload, "resposta x");
  // A close frame is answered with a close frame and the connection ends.
  ws->Send(ClientFrame(std::string("\x03\xE8", 2), 0x88));
  auto close = ReadServerFrame(*ws);
  EXPECT_EQ(close.FirstByte, 0x88);
  EXPECT_EQ(close.Payload, std::string("\x03\xE8", 2));
  EXPECT_TRUE(ws->ClosedByServer());
}

TEST_F(OrvaneServer, BrokenEnvelopeOrOversizedFrameClosesOnlyThatConnection) {
  Engine->ReceiveMessage = [](const TOrvaneWebSocketMessage&, TOrvaneWebSocketContext&,
                              std::string& a) { a = "ok"; };
  Start();
  Engine->OrvaneServerTCP().MaxFrameLength = 1024;
  auto bad = OpenSocket("T1", "U1");
  bad->Send(ClientFrame(R"({"type":"procedure"})"));
  EXPECT_TRUE(bad->ClosedByServer());

  auto big = OpenSocket("T1", "U1");
  big->TrySend(ClientFrame(std::string(4096, 'x')));
  auto close = ReadServerFrame(*big);
  EXPECT_EQ(close.FirstByte, 0x88);
  EXPECT_EQ(close.Payload, std::string("\x03\xF1", 2));  // 1009: too big
  EXPECT_TRUE(big->ClosedByServer());

  auto unmasked = OpenSocket("T1", "U1");
  unmasked->Send(std::string("\x81\x02oi", 4));
  EXPECT_EQ(ReadServerFrame(*unmasked).FirstByte, 0x88);
  EXPECT_TRUE(unmasked->ClosedByServer());

  auto good = OpenSocket("T1", "U1");
  good->Send(ClientFrame(R"({"type":"text","name":"n","wait":true})"));
  EXPECT_EQ(ReadServerFrame(*good).Payload, "ok");
}

TEST_F(OrvaneServer, PushesUseTheFourLengthFormsAndReachOnlyTheirPage) {
  auto other = std::make_shared<TTestSession>("U2", "T2", (Root / "temp/Sessions/U2/").string());
  Engine->AddSession(other);
  Start();
  auto a = OpenSocket("T1", "U1");
  auto response = OpenSocket("T1", "U1", "connectionresponseparams");
  auto b = OpenSocket("T2", "U2");
  ASSERT_TRUE(a && b && response);
  // A second browser with another token cannot join U1.
  EXPECT_EQ(OpenSocket("T2", "U1"), nullptr);
  TOrvaneServerTCP& server = Engine->OrvaneServerTCP();
  for (size_t len : {125u, 126u, 65535u, 65536u}) {
    server.SendWebSocketMessage(std::string(len, 'p'), "T1", "U1");
    auto f = ReadServerFrame(*a);
    EXPECT_EQ(f.FirstByte, 0x81);
    EXPECT_EQ(f.LengthByte, len <= 125 ? len : (len <= 65535 ? 126 : 127)) << len;
    EXPECT_EQ(f.Payload.size(), len);
  }
  server.SendWebSocketMessage("só para U2", "T2", "U2");
  server.SendWebSocketMessage("token errado", "T2", "U1");
  server.SendWebSocketMessage("", "T1", "U1");  // empty: not sent
  EXPECT_EQ(ReadServerFrame(*b).Payload, "só para U2");
  server.SendWebSocketMessage("fim", "T1", "U1");
  EXPECT_EQ(ReadServerFrame(*a).Payload, "fim");
  // Neither the response channel nor the other page received anything else.
  EXPECT_EQ(response->ReadN(1, 200), "");
  EXPECT_EQ(b->ReadN(1, 200), "");
}

TEST_F(OrvaneServer, PushesGoToTheConnectionThePageSpokeOnLast) {
  std::atomic<int> heard{0};
  Engine->ReceiveMessage = [&](const TOrvaneWebSocketMessage&, TOrvaneWebSocketContext&,
                               std::string&) { ++heard; };
  Start();
  // The page reconnected; the server has not yet seen its first connection
  // close (the browser's close is still on its way).
  auto before = OpenSocket("T1", "U1");
  auto after = OpenSocket("T1", "U1");
  ASSERT_TRUE(before && after);
  TOrvaneServerTCP& server = Engine->OrvaneServerTCP();
  server.SendWebSocketMessage("UnLockThreadClient();", "T1", "U1");
  EXPECT_EQ(ReadServerFrame(*after).Payload, "UnLockThreadClient();");
  EXPECT_EQ(before->ReadN(1, 200), "");
  // Then the page speaks on the first one (the second was the one going).
  before->Send(ClientFrame(R"({"type":"text","name":"n","wait":0})"));
  ASSERT_TRUE(Eventually([&] { return heard == 1; }));
  server.SendWebSocketMessage("depois", "T1", "U1");
  EXPECT_EQ(ReadServerFrame(*before).Payload, "depois");
  EXPECT_EQ(after->ReadN(1, 200), "");
}

TEST_F(OrvaneServer, PushAndAnswerOnOneConnectionNeverInterleave) {
  const size_t kSize = 200000;
  Engine->ReceiveMessage = [&](const TOrvaneWebSocketMessage&, TOrvaneWebSocketContext&,
                               std::string& a) { a = std::string(kSize, 'a'); };
  Start();
  auto ws = OpenSocket("T1", "U1");
  ASSERT_NE(ws, nullptr);
  const int kCount = 15;
  std::thread pusher([&] {
    for (int i = 0; i < kCount; ++i)
      Engine->OrvaneServerTCP().SendWebSocketMessage(std::string(kSize, 'b'), "T1", "U1");
  });
  std::thread sender([&] {
    for (int i = 0; i < kCount; ++i)
      ws->Send(ClientFrame(R"({"type":"text","name":"n","wait":1})"));
  });
  int as = 0, bs = 0;
  for (int i = 0; i < 2 * kCount; ++i) {
    auto f = ReadServerFrame(*ws);
    if (!f.Ok || f.Payload.size() != kSize || f.Payload != std::string(kSize, f.Payload[0])) {
      ADD_FAILURE() << "frame " << i << " is not one whole answer or push";
      break;
    }
    (f.Payload[0] == 'a' ? as : bs)++;
  }
  pusher.join();
  sender.join();
  EXPECT_EQ(as, kCount);
  EXPECT_EQ(bs, kCount);
}

TEST_F(OrvaneServer, PageRouteWritesHeadersThenContentAndHandlesTheReloadCookie) {
  // The handlers run on connection threads, the last one after the client
  // has its answer: what they touch outlives the test body.
  struct TSeen {
    std::mutex Lock;
    std::string Token;
    std::atomic<int> Finished{0};
  };
  auto seen = std::make_shared<TSeen>();
  Engine->GetHTML = [seen](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse& r,
                           TOrvaneWebSocketContext& c) {
    std::lock_guard<std::mutex> g(seen->Lock);
    seen->Token = c.Token() + "/" + c.OrvaneSessionUUID();
    r.Content = "<html>página " + q.Header.Host + "</html>";
    r.StatusCode = "500 Ignorado";  // written before the handler ran: not used
  };
  Engine->FinishedGetHTML = [seen](TOrvaneWebSocketContext&) { ++seen->Finished; };
  Start();
  std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\n" + kFixed;
  EXPECT_EQ(Get("/"), head + "\r\n<html>página 127.0.0.1</html>");
  EXPECT_TRUE(Eventually([&] { return seen->Finished.load() == 1; }));
  EXPECT_EQ(Get("/?x=1"), head + "\r\n<html>página 127.0.0.1</html>");

  auto ws = OpenSocket("T1", "U1");
  auto keep = OpenSocket("T2", "");  // refused: no such session
  EXPECT_EQ(keep, nullptr);
  std::string page =
      Ask("GET /?r=1 HTTP/1.1\r\nHost: h:1\r\nCookie: Vexlo_Token=T1; Vexlo_OrvaneSession=U1; "
          "Vexlo_ReloadPage=true\r\n\r\n");
  std::string cookies;
  for (const char* n : {"Vexlo_Token", "Vexlo_OrvaneSession", "Vexlo_ReloadPage"})
    cookies +=
        std::string("Set-Cookie: ") + n + "=; expires=Thu, 01 Jan 1970 00:00:00 UTC; path=/\r\n";
  EXPECT_EQ(page, head + cookies + "\r\n<html>página h</html>");
  {
    std::lock_guard<std::mutex> g(seen->Lock);
    EXPECT_EQ(seen->Token, "T1/U1");
  }
  // The page's old WebSocket is dropped; the session stays.
  EXPECT_TRUE(ws->ClosedByServer());
  EXPECT_TRUE(Engine->SessionValid("T1", "U1"));
}

TEST_F(OrvaneServer, PagesCarryTheNodeCookieWhenTheNodeIsNamed) {
  Engine->GetHTML = [](TOrvaneHTTPRequest&, TOrvaneHTTPResponse& r, TOrvaneWebSocketContext&) {
    r.Content = "<html></html>";
  };
  const std::string cookie = "Set-Cookie: tamblo_node=no-2; Path=/; HttpOnly; SameSite=Lax\r\n";
  Start();
  EXPECT_EQ(Get("/").find("tamblo_node"), std::string::npos);
  Engine->StopServer();
  Engine->GetOptions().SetNodeName("no-2");
  Start();
  std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\n" + kFixed;
  EXPECT_EQ(Get("/"), head + cookie + "\r\n<html></html>");
  // Also on a reload (with the three cleared cookies), never on a file.
  std::string reload =
      Ask("GET / HTTP/1.1\r\nHost: h:1\r\nCookie: Vexlo_Token=T1; Vexlo_OrvaneSession=U1; "
          "Vexlo_ReloadPage=true\r\n\r\n");
  EXPECT_EQ(reload.rfind(head + cookie + "Set-Cookie: Vexlo_Token=;", 0), 0u) << reload;
  EXPECT_EQ(Get("/ola.txt").find("tamblo_node"), std::string::npos);
  // A name is a plain word: nothing else can ride along into the header.
  TOrvaneOptions& o = Engine->GetOptions();
  for (const char* bad :
       {"no 1", "no1; Domain=x", "nó", "a\r\nb", "no=1", "abcdefghijklmnopqrstuvwxyz0123456"})
    EXPECT_THROW(o.SetNodeName(bad), EOrvaneError) << bad;
  for (const char* good : {"no1", "web-02", "A_b", "abcdefghijklmnopqrstuvwxyz012345", ""}) {
    EXPECT_NO_THROW(o.SetNodeName(good)) << good;
    EXPECT_EQ(o.NodeName(), good);
  }
}

TEST_F(OrvaneServer, OnlyATrustedProxyNamesTheBrowsersAddress) {
  struct TSeen {
    std::mutex Lock;
    std::vector<std::string> Addresses;
  };
  auto seen = std::make_shared<TSeen>();
  Engine->GetHTML = [seen](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse&, TOrvaneWebSocketContext&) {
    std::lock_guard<std::mutex> g(seen->Lock);
    seen->Addresses.push_back(q.Header.RemoteIP);
  };
  auto page = [&](const std::string& AHeader) {
    Ask("GET / HTTP/1.1\r\nHost: h\r\n" + AHeader + "\r\n");
    std::lock_guard<std::mutex> g(seen->Lock);
    return seen->Addresses.back();
  };
  Start();
  EXPECT_EQ(page("X-Real-IP: 203.0.113.9\r\n"), "127.0.0.1");  // nobody trusted
  Engine->StopServer();
  Engine->GetOptions().SetTrustedProxies("10.0.0.1, 127.0.0.1");
  Start();
  EXPECT_EQ(page("X-Real-IP: 203.0.113.9\r\n"), "203.0.113.9");
  EXPECT_EQ(page("x-real-ip:  2001:db8::7 \r\n"), "2001:db8::7");
  EXPECT_EQ(page(""), "127.0.0.1");
  for (const char* bad : {"X-Real-IP: <script>\r\n", "X-Real-IP: 203.0.113.9, 10.0.0.1\r\n"})
    EXPECT_EQ(page(bad), "127.0.0.1") << bad;
  EXPECT_THROW(Engine->GetOptions().SetTrustedProxies("127.0.0.1, proxy"), EOrvaneError);
}

TEST_F(OrvaneServer, HealthAnswersWithoutASessionAndSaysWhenStopping) {
  std::atomic<int> pages{0};
  Engine->GetHTML = [&pages](TOrvaneHTTPRequest&, TOrvaneHTTPResponse&, TOrvaneWebSocketContext&) {
    ++pages;
  };
  Engine->GetOptions().SetNodeName("no1");
  Start();
  auto health = [&](const std::string& ARequest, std::string& ABody) {
    std::string answer = Ask(ARequest + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    size_t end = answer.find("\r\n\r\n");
    ABody = end == std::string::npos ? "" : answer.substr(end + 4);
    return answer.substr(0, end == std::string::npos ? 0 : end + 4);
  };
  auto ws = OpenSocket("T1", "U1");
  ASSERT_TRUE(ws);
  ASSERT_TRUE(Eventually([&] { return Engine->OrvaneServerTCP().WebSocketCount() == 1; }));
  // The event loop answers "/health"; a connection thread the same with a
  // query.
  for (const char* path : {"/health", "/health?from=lb"}) {
    std::string body, head = health(std::string("GET ") + path, body);
    EXPECT_EQ(head.rfind("HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=UTF-8\r\n", 0),
              0u)
        << head;
    EXPECT_NE(head.find("Content-Length: " + std::to_string(body.size()) + "\r\n"),
              std::string::npos);
    EXPECT_NE(head.find("Cache-Control: no-store\r\n"), std::string::npos);
    auto j = nlohmann::json::parse(body);
    EXPECT_EQ(j["status"], "ok");
    EXPECT_EQ(j["node"], "no1");
    EXPECT_EQ(j["sessions"], 1);
    EXPECT_EQ(j["websockets"], 1);
    EXPECT_GE(j["connections"].get<int>(), 2);  // the WebSocket and the probe itself
  }
  // HEAD: the same head, no body.
  std::string body, head = health("HEAD /health", body);
  EXPECT_EQ(head.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_EQ(body, "");
  EXPECT_EQ(pages.load(), 0);
  EXPECT_EQ(Engine->SessionCount(), 1u);
  ws.reset();
  EXPECT_TRUE(Eventually([&] { return Engine->OrvaneServerTCP().WebSocketCount() == 0; }));

  // On its way down the node says so, and a new page is sent elsewhere.
  Engine->OrvaneServerTCP().Draining = true;
  head = health("GET /health", body);
  EXPECT_EQ(head.rfind("HTTP/1.1 503 Service Unavailable\r\n", 0), 0u);
  EXPECT_EQ(nlohmann::json::parse(body)["status"], "stopping");
  std::string page = Get("/");
  EXPECT_EQ(page.rfind("HTTP/1.1 503 Service Unavailable\r\n", 0), 0u);
  EXPECT_NE(page.find("Servidor reiniciando"), std::string::npos);
  EXPECT_NE(page.find("http-equiv=\"refresh\""), std::string::npos);
  EXPECT_EQ(pages.load(), 0);
  // What the open pages need goes on.
  EXPECT_EQ(Ask("HEAD /reconnect?token=T1&&orvanesession=U1 HTTP/1.1\r\nHost: h\r\n\r\n")
                .rfind("HTTP/1.1 202 Accepted", 0),
            0u);
  EXPECT_TRUE(OpenSocket("T1", "U1"));
}

TEST_F(OrvaneServer, StaticFilesAndTheirTypes) {
  Start();
  // File answers carry their length (the body still ends with the
  // connection).
  EXPECT_EQ(Get("/ola.txt"),
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\n"
            "Content-Length: 11\r\n" +
                kFixed + "\r\nOlá, mundo");
  EXPECT_EQ(Get("/css/site.css?v=2"),
            "HTTP/1.1 200 OK\r\nContent-Type: text/css; charset=UTF-8\r\nContent-Length: 6\r\n" +
                kFixed + "\r\nbody{}");
  EXPECT_NE(Get("/IMG.PNG").find("Content-Type: application/octet-stream; charset=UTF-8"),
            std::string::npos);
  EXPECT_NE(Get("/sub/./file.html").find("<p>sub</p>"), std::string::npos);
  EXPECT_NE(Get("//sub//file.html").find("<p>sub</p>"), std::string::npos);
  EXPECT_NE(Get("/sub/file%2Ehtml").find("<p>sub</p>"), std::string::npos);
  EXPECT_EQ(Get("/nao-existe.js"), "");
  EXPECT_EQ(Get("/sub"), "");  // a folder is no file
}

TEST_F(OrvaneServer, StaticAnswersFromTheEventLoop) {
  // A large file, read slowly by its client, arrives whole.
  std::string big;
  for (int i = 0; big.size() < 3u << 20; ++i) big += "linha " + std::to_string(i) + "\n";
  WriteText(Root / "grande.js", big);
  fs::create_symlink(Root / "ola.txt", Root / "atalho.txt");  // a link inside the root
  Start();
  {
    TClient slow(Port);
    slow.Send("GET /grande.js HTTP/1.1\r\n\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string r = slow.ReadAll();
    EXPECT_EQ(r.substr(r.find("\r\n\r\n") + 4), big);
    EXPECT_NE(r.find("Content-Length: " + std::to_string(big.size()) + "\r\n"), std::string::npos);
  }
  EXPECT_NE(Get("/atalho.txt").find("\r\n\r\nOlá, mundo"), std::string::npos);
  // A head sent a byte at a time, with bare line feeds.
  {
    TClient c(Port);
    for (char ch : std::string("GET /ola.txt HTTP/1.1\nHost: h\n\n")) {
      c.Send(std::string(1, ch));
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_NE(c.ReadAll().find("Olá, mundo"), std::string::npos);
  }
  // A request with a body, and a client that closes its side after asking:
  // both get the whole answer.
  EXPECT_NE(Ask("POST /ola.txt HTTP/1.1\r\nContent-Length: 5\r\n\r\nabcde").find("Olá, mundo"),
            std::string::npos);
  {
    TClient c(Port);
    c.Send("GET /ola.txt HTTP/1.1\r\n\r\n");
    ::shutdown(c.Fd(), SHUT_WR);
    EXPECT_NE(c.ReadAll().find("Olá, mundo"), std::string::npos);
  }
}

TEST_F(OrvaneServer, ConnectionsThatSendNothingCostNoThread) {
  Start();
  auto threads = [] {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
    return -1;
  };
  int before = threads();
  std::vector<std::unique_ptr<TClient>> idle;
  for (int i = 0; i < 60; ++i) {
    idle.push_back(std::make_unique<TClient>(Port));
    idle.back()->Send("GET /ola.txt HTTP/1.1\r\nX-Lento: ");  // a head never finished
  }
  ASSERT_TRUE(Eventually([&] { return Engine->OrvaneServerTCP().ConnectionCount() == 60; }));
  EXPECT_LT(threads() - before, 10);
  EXPECT_NE(Get("/ola.txt").find("Olá, mundo"), std::string::npos);
}

TEST_F(OrvaneServer, NoPathLeavesTheWebRoot) {
  Start();
  const std::string paths[] = {"/../secret.txt",        "/%2e%2e/secret.txt",
                               "/%2E%2E%2Fsecret.txt",  "/css/..%2f..%2fsecret.txt",
                               "/sub/../../secret.txt", "/..\\secret.txt",
                               "/%5c..%5csecret.txt",   "/link-out/secret.txt",
                               "/ola.txt%00.png",       "/%zz",
                               "/" + std::string("..")};
  for (const std::string& p : paths) {
    std::string r = Get(p);
    EXPECT_EQ(r.find("SEGREDO"), std::string::npos) << p;
    EXPECT_EQ(r, "") << p;
  }
  EXPECT_EQ(Get("/etc/passwd"), "");
}

TEST_F(OrvaneServer, GetFileFallbackServesContentFilesAndRedirects) {
  WriteText(Dir / "builtin.js", "builtin()");
  Engine->GetFile = [&](const std::string& f, std::string& file, std::string& content,
                        std::string& redirect, std::string& mime) {
    if (f.find("orvaneserver.js") != std::string::npos) {
      content = "var x = 1;";
      mime = "text/javascript";
    } else if (f.find("favicon.ico") != std::string::npos) {
      redirect = "https://exemplo.invalid/favicon.ico";
    } else if (f.find("arquivo.js") != std::string::npos) {
      file = (Dir / "builtin.js").string();
      mime = "application/javascript";
    }
  };
  Start();
  EXPECT_EQ(Get("/js/orvaneserver.js"),
            "HTTP/1.1 200 OK\r\nContent-Type: text/javascript; charset=UTF-8\r\n"
            "Content-Length: 10\r\n" +
                kFixed + "\r\nvar x = 1;");
  EXPECT_EQ(Get("/favicon.ico"),
            "HTTP/1.1 302 Found\r\nConnection: Close\r\nLocation: "
            "https://exemplo.invalid/favicon.ico\r\nServer: OrvaneServer with Vexlo Framework "
            "Server\r\n\r\n");
  EXPECT_EQ(Get("/js/arquivo.js"),
            "HTTP/1.1 200 OK\r\nContent-Type: application/javascript; charset=UTF-8\r\n"
            "Content-Length: 9\r\n" +
                kFixed + "\r\nbuiltin()");
  // A file under the root wins over the built-in one.
  WriteText(Root / "js" / "orvaneserver.js", "local");
  EXPECT_NE(Get("/js/orvaneserver.js").find("\r\n\r\nlocal"), std::string::npos);
  EXPECT_EQ(Get("/js/outro.js"), "");
}

namespace {
std::string UploadRequest(const std::string& AQuery, const std::vector<std::string>& ANames,
                          const std::string& AContent, std::string ALength = "") {
  std::string b = "----tamblo";
  std::string body;
  for (const auto& n : ANames)
    body += "--" + b + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + n +
            "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + AContent + "\r\n";
  body += "--" + b + "--\r\n";
  if (ALength.empty()) ALength = std::to_string(body.size());
  return "POST /vexlo/upload?" + AQuery +
         " HTTP/1.1\r\nHost: h:1\r\nContent-Type: multipart/form-data; boundary=" + b +
         "\r\nContent-Length: " + ALength + "\r\n\r\n" + body;
}
}  // namespace

TEST_F(OrvaneServer, UploadsLandInTheSessionFolderWithSuffixes) {
  Start();
  const std::string ok = "HTTP/1.1 200 OK\r\n" + kFixed + "\r\n";
  const std::string q = "token=T1&orvanesession=U1&FormUUID=F1";
  std::string folder = Session->PathSession();
  EXPECT_EQ(Ask(UploadRequest(q, {"a.pdf"}, "um")), ok);
  EXPECT_EQ(Ask(UploadRequest(q, {"a.pdf", "b.png"}, "dois")), ok);
  EXPECT_EQ(Ask(UploadRequest(q, {"a.pdf"}, "três")), ok);
  {
    std::lock_guard<std::mutex> g(Session->Form.Lock);
    ASSERT_EQ(Session->Form.Uploads.size(), 3u);
    EXPECT_EQ(Session->Form.Uploads[0], std::vector<std::string>{folder + "a.pdf"});
    EXPECT_EQ(Session->Form.Uploads[1],
              (std::vector<std::string>{folder + "a1.pdf", folder + "b.png"}));
    EXPECT_EQ(Session->Form.Uploads[2], std::vector<std::string>{folder + "a2.pdf"});
  }
  std::ifstream in(folder + "a2.pdf");
  std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(s, "três");
  EXPECT_EQ(Session->ThreadAdds.load(), 3);
  EXPECT_EQ(Session->ThreadRemoves.load(), 3);

  // Names are reduced to their base name (a file input left empty sends
  // none); an unusable name refuses the upload.
  EXPECT_EQ(Ask(UploadRequest(q, {"../../fora.txt", ""}, "x")), ok);
  EXPECT_TRUE(fs::exists(folder + "fora.txt"));
  EXPECT_FALSE(fs::exists(Root / "temp" / "fora.txt"));
  EXPECT_FALSE(fs::exists(Dir / "fora.txt"));
  {
    std::lock_guard<std::mutex> g(Session->Form.Lock);
    EXPECT_EQ(Session->Form.Uploads.back(), std::vector<std::string>{folder + "fora.txt"});
  }
  EXPECT_EQ(Ask(UploadRequest(q, {"boa.txt", ".."}, "x")).rfind("HTTP/1.1 400 Bad Request", 0), 0u);
  EXPECT_FALSE(fs::exists(folder + "boa.txt"));
}

TEST_F(OrvaneServer, UploadsKeepTheLimitsOfTheFormsUploadWhileReading) {
  Start();
  const std::string q = "token=T1&orvanesession=U1&FormUUID=F1";
  const std::string folder = Session->PathSession();
  {
    std::lock_guard<std::mutex> g(Session->Form.Lock);
    Session->Form.Limits = TOrvaneUploadLimits{2, 1000, 1500, {"pdf", "jpg"}};
  }
  auto status = [&](const std::string& AAnswer) { return AAnswer.substr(0, AAnswer.find("\r\n")); };
  auto body = [&](const std::string& AAnswer) {
    return AAnswer.substr(AAnswer.find("\r\n\r\n") + 4);
  };
  struct TCase {
    const char* What;
    std::vector<std::string> Names;
    std::string Content;
    const char* Status;
    const char* Message;
  };
  const TCase cases[] = {
      {"too many files",
       {"a.pdf", "b.pdf", "c.pdf"},
       "x",
       "HTTP/1.1 413 Payload Too Large",
       "Você pode selecionar no máximo 2 arquivos."},
      {"a type not allowed",
       {"a.pdf", "b.exe"},
       "x",
       "HTTP/1.1 415 Unsupported Media Type",
       "O tipo de arquivo do arquivo b.exe não é permitido."},
      {"one file too large",
       {"a.pdf"},
       std::string(1001, 'z'),
       "HTTP/1.1 413 Payload Too Large",
       "O arquivo a.pdf excede o tamanho máximo permitido."},
      {"all together too large",
       {"a.pdf", "b.jpg"},
       std::string(800, 'z'),
       "HTTP/1.1 413 Payload Too Large",
       "O tamanho total dos arquivos selecionados excede o limite permitido."},
      // Far beyond the limits: refused before the body is read.
      {"refused unread",
       {"a.pdf"},
       std::string(200000, 'z'),
       "HTTP/1.1 413 Payload Too Large",
       "O tamanho total dos arquivos selecionados excede o limite permitido."},
  };
  for (const TCase& c : cases) {
    std::string answer = Ask(UploadRequest(q, c.Names, c.Content));
    EXPECT_EQ(status(answer), c.Status) << c.What;
    EXPECT_EQ(body(answer), c.Message) << c.What;
    // Nothing written stays, nothing reaches the form.
    EXPECT_TRUE(fs::is_empty(folder) || !fs::exists(folder)) << c.What;
  }
  {
    std::lock_guard<std::mutex> g(Session->Form.Lock);
    EXPECT_TRUE(Session->Form.Uploads.empty());
  }
  // Within the limits, in any letter case.
  EXPECT_EQ(status(Ask(UploadRequest(q, {"FOTO.JPG", "b.pdf"}, std::string(700, 'z')))),
            "HTTP/1.1 200 OK");
  // Only for the form the page names, and only one that shows an upload.
  EXPECT_EQ(status(Ask(UploadRequest("token=T1&orvanesession=U1&FormUUID=F9", {"c.pdf"}, "x"))),
            "HTTP/1.1 403 Forbidden");
  EXPECT_EQ(status(Ask(UploadRequest("token=T1&orvanesession=U1", {"c.pdf"}, "x"))),
            "HTTP/1.1 403 Forbidden");
  {
    std::lock_guard<std::mutex> g(Session->Form.Lock);
    Session->Form.AcceptsUploads = false;
  }
  EXPECT_EQ(status(Ask(UploadRequest(q, {"c.pdf"}, "x"))), "HTTP/1.1 403 Forbidden");
  EXPECT_FALSE(fs::exists(folder + "c.pdf"));
  {
    std::lock_guard<std::mutex> g(Session->Form.Lock);
    EXPECT_EQ(Session->Form.Uploads.size(), 1u);
  }
  EXPECT_NE(Get("/ola.txt"), "");
}

TEST_F(OrvaneServer, UploadsAreWrittenAsTheyArriveAndStopAtTheLimit) {
  Start();
  const std::string folder = Session->PathSession();
  {
    std::lock_guard<std::mutex> g(Session->Form.Lock);
    Session->Form.Limits = TOrvaneUploadLimits{2, 3 << 20, 0, {}};
  }
  const std::string b = "----tamblo";
  const std::string partHead =
      "--" + b +
      "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"big.bin\""
      "\r\n\r\n";
  const std::string tail = "\r\n--" + b + "--\r\n";
  auto head = [&](uint64_t AContent) {
    return "POST /vexlo/upload?token=T1&orvanesession=U1&FormUUID=F1 HTTP/1.1\r\nHost: h:1\r\n"
           "Content-Type: multipart/form-data; boundary=" +
           b + "\r\nContent-Length: " + std::to_string(partHead.size() + AContent + tail.size()) +
           "\r\n\r\n" + partHead;
  };
  const std::string mib(1 << 20, 'm');
  {
    // The first MiB is on disk while the rest has not been sent.
    TClient c(Port);
    c.Send(head(2 << 20));
    c.Send(mib);
    ASSERT_TRUE(Eventually([&] {
      std::error_code ec;
      return fs::file_size(folder + "big.bin", ec) >= (1u << 20) - 64 * 1024 && !ec;
    }));
    c.Send(mib + tail);
    EXPECT_EQ(c.ReadAll().rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_EQ(fs::file_size(folder + "big.bin"), 2u << 20);
  }
  {
    // A file that passes its limit while it arrives is refused at once; the
    // browser, still sending, reads the reason; nothing is kept.
    TClient c(Port);
    c.Send(head(4 << 20));
    std::string answer;
    for (int i = 0; i < 4; ++i) c.TrySend(mib);
    c.TrySend(tail);
    answer = c.ReadAll();
    EXPECT_EQ(answer.rfind("HTTP/1.1 413 Payload Too Large\r\n", 0), 0u) << answer;
    EXPECT_NE(answer.find("\r\n\r\nO arquivo big.bin excede o tamanho máximo permitido."),
              std::string::npos);
    EXPECT_FALSE(fs::exists(folder + "big1.bin"));
  }
  std::lock_guard<std::mutex> g(Session->Form.Lock);
  EXPECT_EQ(Session->Form.Uploads.size(), 1u);
}

TEST_F(OrvaneServer, RejectedUploadsGetNoAnswer) {
  Start();
  EXPECT_EQ(Ask(UploadRequest("token=ERRADO&orvanesession=U1&FormUUID=F1", {"x.pdf"}, "x")), "");
  EXPECT_EQ(Ask(UploadRequest("orvanesession=U1&FormUUID=F1", {"x.pdf"}, "x")), "");
  EXPECT_EQ(Ask(UploadRequest("token=T1&orvanesession=U1&FormUUID=F1", {"x.pdf"}, "x", "0")), "");
  // Over the server's own limit: refused before the body is read, and the
  // server keeps going.
  Engine->OrvaneServerTCP().MaxContentLength = 1000;
  EXPECT_EQ(
      Ask(UploadRequest("token=T1&orvanesession=U1&FormUUID=F1", {"x.pdf"}, std::string(5000, 'z')))
          .rfind("HTTP/1.1 413", 0),
      0u);
  EXPECT_FALSE(fs::exists(Session->PathSession() + "x.pdf"));
  // A body cut short: nothing is kept.
  Engine->OrvaneServerTCP().MaxContentLength = 1 << 20;
  std::string cut = UploadRequest("token=T1&orvanesession=U1&FormUUID=F1", {"z.pdf"}, "zz");
  cut.resize(cut.size() - 12);
  cut.replace(cut.find("Content-Length: ") + 16,
              cut.find("\r\n", cut.find("Content-Length: ")) - cut.find("Content-Length: ") - 16,
              std::to_string(cut.size() - cut.find("\r\n\r\n") - 4));
  EXPECT_EQ(Ask(cut).rfind("HTTP/1.1 400 Bad Request", 0), 0u);
  EXPECT_FALSE(fs::exists(Session->PathSession() + "z.pdf"));
  // A failing form handler: the thread is still forgotten, and no 200 is sent.
  Session->Form.FailUpload = true;
  EXPECT_EQ(Ask(UploadRequest("token=T1&orvanesession=U1&FormUUID=F1", {"y.pdf"}, "y")), "");
  EXPECT_EQ(Session->ThreadAdds.load(), Session->ThreadRemoves.load());
  EXPECT_NE(Get("/ola.txt"), "");
}

TEST_F(OrvaneServer, DownloadRouteServesWhatTheHandlerNames) {
  WriteText(Dir / "relatorio.pdf", "%PDF");
  Session->Downloads["KEY"] = (Dir / "relatorio.pdf").string();
  Engine->DownloadData = [&](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse& r,
                             TOrvaneWebSocketContext& c) {
    auto s = Engine->SessionByUUID(c.OrvaneSessionUUID());
    std::string key = ValueOf(q.Header.QueryParams, "file");
    if (!s || s->GetToken() != c.Token()) return;
    auto d = s->GetFileDownloads();
    if (d.count(key)) r.FileName = d[key];
  };
  Start();
  std::string expected =
      "HTTP/1.1 200 OK\r\nContent-Type: application/pdf; charset=UTF-8\r\nContent-Length: 4\r\n" +
      kFixed + "\r\n%PDF";
  EXPECT_EQ(Get("/vexlo/download?file=KEY&token=T1&orvanesession=U1"), expected);
  EXPECT_EQ(Get("/vexlo/download?file=KEY&token=T1&orvanesession=U1"), expected);  // again
  EXPECT_EQ(Get("/vexlo/download?file=OUTRA&token=T1&orvanesession=U1"), "");
  EXPECT_EQ(Get("/vexlo/download?file=KEY&token=T9&orvanesession=U1"), "");
}

TEST_F(OrvaneServer, GridRoutesAnswerJSONAndReadPostedBodies) {
  std::string posted;
  Engine->RESTData = [&](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse& r,
                         TOrvaneWebSocketContext& c) {
    EXPECT_EQ(c.FormUUID(), "F1");
    if (q.Header.Path.find("/post") != std::string::npos) {
      posted = q.Header.Content;
      if (posted == "erro") {
        r.Error = true;
        r.StatusCode = "404";
        r.Content = R"({"status":"error"})";
      }
      return;
    }
    r.ContentType = "application/json";
    r.Content = R"({"rows":[]})";
  };
  Start();
  EXPECT_EQ(Get("/rest/json/jqgrid/?token=T1&orvanesession=U1&FormUUID=F1&eventid=E"),
            "HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=UTF-8\r\n" + kFixed +
                "\r\n{\"rows\":[]}");
  const std::string json = "{\"NOME\":\"Zé\"}";
  std::string post =
      "POST /rest/json/jqgrid/post?token=T1&orvanesession=U1&FormUUID=F1 "
      "HTTP/1.1\r\nHost: h:1\r\nContent-Length: " +
      std::to_string(json.size()) + "\r\n\r\n" + json;
  EXPECT_EQ(Ask(post),
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\n" + kFixed + "\r\n");
  EXPECT_EQ(posted, "{\"NOME\":\"Zé\"}");
  EXPECT_EQ(Ask("POST /rest/json/jqgrid/post?token=T1&orvanesession=U1&FormUUID=F1 "
                "HTTP/1.1\r\nContent-Length: 4\r\n\r\nerro"),
            "HTTP/1.1 404\r\nContent-Type: text/html; charset=UTF-8\r\n" + kFixed +
                "\r\n{\"status\":\"error\"}");
  posted.clear();
  // A body from no live page is not read at all.
  EXPECT_EQ(
      Ask("POST /rest/json/jqgrid/post?FormUUID=F1 HTTP/1.1\r\nContent-Length: 4\r\n\r\nerro"), "");
  Engine->OrvaneServerTCP().MaxContentLength = 8;
  EXPECT_EQ(Ask("POST /rest/json/jqgrid/post?token=T1&orvanesession=U1&FormUUID=F1 "
                "HTTP/1.1\r\nContent-Length: 9\r\n\r\n123456789"),
            "");
  EXPECT_EQ(posted, "");
}

TEST_F(OrvaneServer, OversizedHeadsCloseTheConnectionAndTheServerGoesOn) {
  Start();
  EXPECT_EQ(Ask("GET /ola.txt HTTP/1.1\r\nX-Longo: " + std::string(10000, 'a') + "\r\n\r\n"), "");
  std::string many = "GET /ola.txt HTTP/1.1\r\n";
  for (int i = 0; i < 2000; ++i)
    many += "X-" + std::to_string(i) + ": " + std::string(40, 'b') + "\r\n";
  EXPECT_EQ(Ask(many + "\r\n"), "");
  EXPECT_EQ(Ask("\r\n\r\n\r\n\r\n\r\n\r\n\r\n"), "");
  EXPECT_EQ(Ask("QUALQUER COISA\r\n\r\n"), "");
  // One empty line before the request line is tolerated.
  EXPECT_NE(Ask("\r\nGET /ola.txt HTTP/1.1\r\n\r\n").find("Olá"), std::string::npos);
}

TEST_F(OrvaneServer, DisconnectAndCloseAllDropConnections) {
  Start();
  auto a = OpenSocket("T1", "U1");
  auto b = OpenSocket("T1", "U1", "connectionresponseparams");
  auto anon = OpenSocket("", "");
  Engine->OrvaneServerTCP().DisconnectWebSocketMessage("T1", "U1", true);
  EXPECT_TRUE(a->ClosedByServer());
  EXPECT_TRUE(b->ClosedByServer());
  EXPECT_EQ(anon->ReadN(1, 100), "");  // untouched
  EXPECT_TRUE(Eventually([&] { return Session->OpenedConnections() == 0; }));
  Engine->OrvaneServerTCP().CloseAllConnection();
  EXPECT_TRUE(anon->ClosedByServer());
}

TEST_F(OrvaneServer, TLSServesPagesAndWebSockets) {
  std::string cert, key;
  testnet::MakeCertificate(Dir / "tls", cert, key);
  Engine->GetOptions().SetUseSSL(true);
  Engine->SSLOptions().CertFile = cert;
  Engine->SSLOptions().KeyFile = key;
  Engine->ReceiveMessage = [](const TOrvaneWebSocketMessage& m, TOrvaneWebSocketContext&,
                              std::string& a) { a = "tls:" + m.Name; };
  Start();
  SSL_CTX* ctx = testnet::ClientContext(TLS1_2_VERSION, TLS1_3_VERSION);
  {
    TClient c(Port, ctx);
    ASSERT_TRUE(c.Handshake);
    c.Send("GET /ola.txt HTTP/1.1\r\nHost: h:1\r\n\r\n");
    EXPECT_NE(c.ReadAll().find("Olá, mundo"), std::string::npos);
  }
  {
    TClient c(Port, ctx);
    ASSERT_TRUE(c.Handshake);
    ASSERT_NE(
        UpgradeRequest(c, "/websocket/connectionparams?token=T1&orvanesession=U1").find("101"),
        std::string::npos);
    c.Send(ClientFrame(R"({"type":"text","name":"seguro","wait":true})"));
    EXPECT_EQ(ReadServerFrame(c).Payload, "tls:seguro");
    Engine->OrvaneServerTCP().SendWebSocketMessage("empurrado", "T1", "U1");
    EXPECT_EQ(ReadServerFrame(c).Payload, "empurrado");
  }
  SSL_CTX* old = testnet::ClientContext(TLS1_VERSION, TLS1_1_VERSION);
  {
    TClient c(Port, old);
    EXPECT_FALSE(c.Handshake);
  }
  SSL_CTX_free(ctx);
  SSL_CTX_free(old);
}
