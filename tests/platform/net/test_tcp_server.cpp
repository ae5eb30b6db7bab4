#include <fcntl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/TCPServer.h"
#include "tests/platform/net/TestClient.h"

using net::TContext;
using net::TCustomTCPServer;

namespace {

template <class F>
bool Eventually(F ACondition) {
  for (int i = 0; i < 1000 && !ACondition(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return ACondition();
}

// An echo server: one line in, the line and CRLF out, for as long as the
// client keeps the connection.
struct EchoServer : TCustomTCPServer {
  EchoServer() {
    DefaultBindAddress = "127.0.0.1";
    OnExecute = [](TContext& c) {
      std::string line = c.Connection().ReadLn(64);
      c.Connection().Write(line + "\r\n");
      return true;
    };
  }
  ~EchoServer() override { SetActive(false); }
};

}  // namespace

TEST(TCPServer, EchoesLinesForManyClientsAtOnce) {
  EchoServer s;
  s.SetActive(true);
  ASSERT_GT(s.BoundPort(), 0);
  std::vector<std::thread> threads;
  std::atomic<int> ok{0};
  for (int i = 0; i < 20; ++i) {
    threads.emplace_back([&, i] {
      testnet::TClient c(s.BoundPort());
      for (int j = 0; j < 5; ++j) {
        std::string msg = "cliente " + std::to_string(i) + " linha " + std::to_string(j);
        c.Send(msg + "\r\n");
        if (c.ReadN(msg.size() + 2) == msg + "\r\n") ++ok;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(ok.load(), 100);
}

TEST(TCPServer, LineOverTheLimitClosesOnlyThatConnection) {
  EchoServer s;
  s.SetActive(true);
  testnet::TClient bad(s.BoundPort());
  bad.TrySend(std::string(1000, 'x') + "\r\n");
  EXPECT_TRUE(bad.ClosedByServer());
  testnet::TClient good(s.BoundPort());
  good.Send("ola\n");
  EXPECT_EQ(good.ReadN(5), "ola\r\n");
}

TEST(TCPServer, StoppingDisconnectsOpenConnectionsAndCanStartAgain) {
  EchoServer s;
  s.SetActive(true);
  testnet::TClient c1(s.BoundPort());
  testnet::TClient c2(s.BoundPort());
  c1.Send("a\n");
  EXPECT_EQ(c1.ReadN(3), "a\r\n");
  s.SetActive(false);
  EXPECT_FALSE(s.Active());
  EXPECT_TRUE(c1.ClosedByServer());
  EXPECT_TRUE(c2.ClosedByServer());
  EXPECT_EQ(s.ConnectionCount(), 0u);
  s.SetActive(true);
  testnet::TClient c3(s.BoundPort());
  c3.Send("b\n");
  EXPECT_EQ(c3.ReadN(3), "b\r\n");
}

TEST(TCPServer, DisconnectFromAnotherThreadEndsABlockedRead) {
  EchoServer s;
  s.SetActive(true);
  testnet::TClient c(s.BoundPort());
  c.Send("x\n");
  ASSERT_EQ(c.ReadN(3), "x\r\n");
  {
    auto lock = s.LockList();
    ASSERT_EQ(s.Contexts().size(), 1u);
    s.Contexts().front()->Connection().Disconnect();
  }
  EXPECT_TRUE(c.ClosedByServer());
}

TEST(TCPServer, BusyPortIsAClearError) {
  EchoServer a;
  a.SetActive(true);
  EchoServer b;
  b.DefaultPort = a.BoundPort();
  try {
    b.SetActive(true);
    FAIL() << "a second server bound the same port";
  } catch (const net::ESocketError& e) {
    EXPECT_NE(std::string(e.what()).find("Não foi possível escutar"), std::string::npos);
  }
}

TEST(TCPServer, ConcurrentWritersNeverInterleave) {
  // Two writers put 64 KiB blocks on one connection at the same time; each
  // block must arrive whole.
  struct Blaster : TCustomTCPServer {
    Blaster() {
      DefaultBindAddress = "127.0.0.1";
      OnExecute = [](TContext& c) {
        auto writer = [&c](char ch) {
          for (int i = 0; i < 20; ++i) c.Connection().Write(std::string(65536, ch));
        };
        std::thread t1(writer, 'a'), t2(writer, 'b');
        t1.join();
        t2.join();
        return false;
      };
    }
    ~Blaster() override { SetActive(false); }
  } s;
  s.SetActive(true);
  testnet::TClient c(s.BoundPort());
  std::string all = c.ReadAll();
  ASSERT_EQ(all.size(), 40u * 65536u);
  for (size_t off = 0; off < all.size(); off += 65536) {
    std::string block = all.substr(off, 65536);
    EXPECT_EQ(block, std::string(65536, block[0])) << "block at " << off;
  }
}

namespace {

// Decides on its event loop from the first line: "file" is answered from
// the loop with a file, "thread" goes to a thread that echoes the line it
// finds buffered, anything else is closed; a line must come within 300 ms.
struct FirstLineServer : TCustomTCPServer {
  explicit FirstLineServer(std::string AFile) : File(std::move(AFile)) {
    DefaultBindAddress = "127.0.0.1";
    OnExecute = [this](TContext& c) {
      ++Threaded;
      std::string line = c.Connection().ReadLn(64);
      c.Connection().Write("thread:" + line + "\r\n");
      return false;
    };
  }
  ~FirstLineServer() override { SetActive(false); }

  net::TFirstBytesAction DoFirstBytes(TContext&, std::string_view AReceived, size_t,
                                      net::TReply& AReply) override {
    size_t lf = AReceived.find('\n');
    if (lf == std::string_view::npos) return net::TFirstBytesAction::Wait;
    std::string_view line = AReceived.substr(0, lf);
    if (line == "thread") return net::TFirstBytesAction::Thread;
    if (line != "file") return net::TFirstBytesAction::Close;
    AReply.Head = "arquivo:";
    AReply.File = ::open(File.c_str(), O_RDONLY | O_CLOEXEC);
    AReply.FileSize = std::filesystem::file_size(File);
    return net::TFirstBytesAction::Reply;
  }
  int FirstBytesTimeout() const override { return 300; }

  std::string File;
  std::atomic<int> Threaded{0};
};

}  // namespace

TEST(TCPServer, FirstBytesAreJudgedOnTheEventLoop) {
  auto dir = testnet::TempDir("tamblo-net-first");
  std::string content(2 << 20, 'z');  // bigger than a socket takes at once
  std::ofstream(dir / "f.bin", std::ios::binary) << content;
  FirstLineServer s((dir / "f.bin").string());
  s.SetActive(true);
  {
    testnet::TClient c(s.BoundPort());
    c.Send("fi");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    c.Send("le\n");
    EXPECT_EQ(c.ReadAll(), "arquivo:" + content);
  }
  {
    testnet::TClient c(s.BoundPort());
    c.Send("thread\nresto\n");
    EXPECT_EQ(c.ReadAll(), "thread:thread\r\n");  // the loop's bytes stay buffered
  }
  {
    testnet::TClient c(s.BoundPort());
    c.Send("outra\n");
    EXPECT_TRUE(c.ClosedByServer());
  }
  {
    testnet::TClient slow(s.BoundPort());
    slow.Send("sem fim de linha");
    EXPECT_TRUE(slow.ClosedByServer(3000));  // the first bytes' deadline
  }
  EXPECT_EQ(s.Threaded.load(), 1);
  // Over the cap new connections are closed at once, the open ones served.
  s.MaxConnections = 1;
  testnet::TClient held(s.BoundPort());
  held.Send("thr");
  EXPECT_TRUE(Eventually([&] { return s.ConnectionCount() == 1; }));
  testnet::TClient refused(s.BoundPort());
  EXPECT_TRUE(refused.ClosedByServer(3000));
  held.Send("ead\nx\n");
  EXPECT_EQ(held.ReadAll(), "thread:thread\r\n");
  std::filesystem::remove_all(dir);
}

TEST(TCPServer, TLSHandshakeAndEcho) {
  auto dir = testnet::TempDir("tamblo-net-tls");
  std::string cert, key;
  testnet::MakeCertificate(dir, cert, key);
  EchoServer s;
  auto ssl = std::make_shared<net::TServerIOHandlerSSL>();
  ssl->SSLOptions.CertFile = cert;
  ssl->SSLOptions.KeyFile = key;
  ssl->Init();
  s.SetIOHandler(ssl);
  s.SetActive(true);

  SSL_CTX* modern = testnet::ClientContext(TLS1_2_VERSION, TLS1_3_VERSION);
  {
    testnet::TClient c(s.BoundPort(), modern);
    ASSERT_TRUE(c.Handshake);
    c.Send("seguro\n");
    EXPECT_EQ(c.ReadN(8), "seguro\r\n");
  }
  SSL_CTX* tls12 = testnet::ClientContext(TLS1_2_VERSION, TLS1_2_VERSION);
  {
    testnet::TClient c(s.BoundPort(), tls12);
    EXPECT_TRUE(c.Handshake);
  }
  // TLS 1.1 and older are refused.
  SSL_CTX* old = testnet::ClientContext(TLS1_VERSION, TLS1_1_VERSION);
  {
    testnet::TClient c(s.BoundPort(), old);
    EXPECT_FALSE(c.Handshake);
  }
  SSL_CTX_free(modern);
  SSL_CTX_free(tls12);
  SSL_CTX_free(old);
  std::filesystem::remove_all(dir);
}

TEST(TCPServer, MissingCertificateIsAClearError) {
  net::TServerIOHandlerSSL ssl;
  ssl.SSLOptions.CertFile = "/nonexistent/cert.pem";
  try {
    ssl.Init();
    FAIL();
  } catch (const net::ESocketError& e) {
    EXPECT_NE(std::string(e.what()).find("Certificado TLS"), std::string::npos);
  }
}
