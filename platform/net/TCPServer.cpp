#include "platform/net/TCPServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/crypto.h>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <iostream>

namespace net {

namespace {

// A server with thousands of connections needs as many descriptors as the
// system allows this process.
void RaiseDescriptorLimit() {
  rlimit rl{};
  if (getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur < rl.rlim_max) {
    rl.rlim_cur = rl.rlim_max;
    setrlimit(RLIMIT_NOFILE, &rl);
  }
}

}  // namespace

TCustomTCPServer::TCustomTCPServer() = default;

TCustomTCPServer::~TCustomTCPServer() {
  Deactivate();
}

bool TCustomTCPServer::Active() const {
  std::lock_guard<std::mutex> g(FStateLock);
  return FActive;
}

int TCustomTCPServer::BoundPort() const {
  std::lock_guard<std::mutex> g(FStateLock);
  return FBoundPort;
}

size_t TCustomTCPServer::ConnectionCount() const {
  std::lock_guard<std::mutex> g(FListLock);
  return FContexts.size();
}

void TCustomTCPServer::ClearBindings() {
  std::lock_guard<std::mutex> g(FStateLock);
  if (!FActive) FBoundPort = 0;
}

void TCustomTCPServer::SetIOHandler(std::shared_ptr<TServerIOHandlerSSL> AHandler) {
  std::lock_guard<std::mutex> g(FStateLock);
  FIOHandler = std::move(AHandler);
}

void TCustomTCPServer::SetActive(bool AValue) {
  if (!AValue) {
    Deactivate();
    return;
  }
  std::lock_guard<std::mutex> g(FStateLock);
  if (FActive) return;
  RaiseDescriptorLimit();
  asio::io_context io;
  asio::ip::tcp::acceptor acceptor(io);
  try {
    asio::ip::tcp::endpoint ep(asio::ip::make_address(DefaultBindAddress),
                               static_cast<unsigned short>(DefaultPort));
    acceptor.open(ep.protocol());
    acceptor.set_option(asio::ip::tcp::acceptor::reuse_address(true));
    acceptor.bind(ep);
    acceptor.listen(ListenQueue > 0 ? ListenQueue : SOMAXCONN);
    FBoundPort = acceptor.local_endpoint().port();
  } catch (const std::exception& e) {
    throw ESocketError("Não foi possível escutar em " + DefaultBindAddress + ":" +
                       std::to_string(DefaultPort) + ": " + e.what());
  }
  FListenFd = acceptor.release();
  {
    std::lock_guard<std::mutex> t(FThreadsLock);
    FStopping = false;
    ++FThreadCount;
  }
  if (!SpawnThread()) {
    {
      std::lock_guard<std::mutex> t(FThreadsLock);
      --FThreadCount;
    }
    ::close(FListenFd);
    FListenFd = -1;
    throw ESocketError("Não foi possível criar a thread de conexões");
  }
  FActive = true;
}

void TCustomTCPServer::Deactivate() {
  {
    std::lock_guard<std::mutex> g(FStateLock);
    if (!FActive) return;
    FActive = false;
  }
  {
    std::lock_guard<std::mutex> t(FThreadsLock);
    FStopping = true;
  }
  // Wakes every thread blocked in accept (it fails from now on).
  ::shutdown(FListenFd, SHUT_RDWR);
  {
    std::lock_guard<std::mutex> g(FListLock);
    for (auto& c : FContexts) c->Connection().Disconnect();
  }
  {
    std::unique_lock<std::mutex> t(FThreadsLock);
    FThreadsDone.wait(t, [this] { return FThreadCount == 0; });
  }
  std::lock_guard<std::mutex> g(FStateLock);
  ::close(FListenFd);
  FListenFd = -1;
}

bool TCustomTCPServer::SpawnThread() {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  size_t stack = ThreadStackSize < static_cast<size_t>(PTHREAD_STACK_MIN)
                     ? static_cast<size_t>(PTHREAD_STACK_MIN)
                     : ThreadStackSize;
  pthread_attr_setstacksize(&attr, stack);
  pthread_t tid;
  int rc = pthread_create(&tid, &attr, &TCustomTCPServer::ConnectionThread, this);
  pthread_attr_destroy(&attr);
  return rc == 0;
}

void* TCustomTCPServer::ConnectionThread(void* AArg) {
  static_cast<TCustomTCPServer*>(AArg)->ServeConnections();
  return nullptr;
}

// Each connection thread accepts its own connection and serves it, so no
// hand-over between threads is needed. The last thread waiting in accept
// starts a successor before it serves, so one is always waiting; a thread
// that finds enough others waiting ends instead.
void TCustomTCPServer::ServeConnections() {
  constexpr size_t kMaxWaiting = 8;
  for (;;) {
    {
      std::lock_guard<std::mutex> t(FThreadsLock);
      if (FStopping || FIdleThreads >= kMaxWaiting) break;
      ++FIdleThreads;
    }
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    int fd = ::accept4(FListenFd, reinterpret_cast<sockaddr*>(&addr), &len,
                       SOCK_CLOEXEC | SOCK_NONBLOCK);
    int err = errno;
    bool spawn = false;
    {
      std::lock_guard<std::mutex> t(FThreadsLock);
      --FIdleThreads;
      if (FStopping) {
        if (fd >= 0) ::close(fd);
        break;
      }
      if (fd >= 0 && FIdleThreads == 0) {
        spawn = true;
        ++FThreadCount;
      }
    }
    if (fd < 0) {
      // Out of resources: wait a little instead of spinning.
      if (err == EMFILE || err == ENFILE || err == ENOMEM || err == ENOBUFS)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      continue;
    }
    if (spawn && !SpawnThread()) {
      std::lock_guard<std::mutex> t(FThreadsLock);
      --FThreadCount;
    }
    if (MaxConnections > 0 && ConnectionCount() >= static_cast<size_t>(MaxConnections)) {
      ::close(fd);
      continue;
    }
    char ip[INET6_ADDRSTRLEN] = "";
    int port = 0;
    if (addr.ss_family == AF_INET) {
      auto* a = reinterpret_cast<sockaddr_in*>(&addr);
      inet_ntop(AF_INET, &a->sin_addr, ip, sizeof ip);
      port = ntohs(a->sin_port);
    } else if (addr.ss_family == AF_INET6) {
      auto* a = reinterpret_cast<sockaddr_in6*>(&addr);
      inet_ntop(AF_INET6, &a->sin6_addr, ip, sizeof ip);
      port = ntohs(a->sin6_port);
    }
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::shared_ptr<TServerIOHandlerSSL> ssl;
    {
      std::lock_guard<std::mutex> g(FStateLock);
      ssl = FIOHandler;
    }
    auto io = std::make_unique<TIOHandler>(fd, ssl ? ssl->Context() : nullptr);
    io->PeerIP = ip;
    io->PeerPort = port;
    auto context = std::make_shared<TContext>(std::move(io));
    {
      std::lock_guard<std::mutex> g(FListLock);
      FContexts.push_back(context);
    }
    // A stop that began before the connection joined the list did not see it.
    bool stopping;
    {
      std::lock_guard<std::mutex> t(FThreadsLock);
      stopping = FStopping;
    }
    if (stopping) context->Connection().Disconnect();
    RunConnection(context);
  }
  // OpenSSL's per-thread state goes now, before the server may be destroyed.
  OPENSSL_thread_stop();
  std::lock_guard<std::mutex> t(FThreadsLock);
  --FThreadCount;
  FThreadsDone.notify_all();
}

void TCustomTCPServer::RunConnection(const TContextPtr& AContext) {
  auto report = [this](const std::string& msg) {
    if (OnException)
      OnException(msg);
    else
      std::cerr << "Conexão encerrada por erro: " << msg << std::endl;
  };
  try {
    DoConnect(*AContext);
    while (AContext->Connection().Connected() && DoExecute(*AContext)) {
    }
  } catch (const ESocketError&) {
    // The peer went away or the connection was dropped: a normal end.
  } catch (const std::exception& e) {
    report(e.what());
  } catch (...) {
    report("exceção desconhecida");
  }
  try {
    DoDisconnect(*AContext);
  } catch (...) {
  }
  {
    std::lock_guard<std::mutex> g(FListLock);
    FContexts.remove(AContext);
  }
  AContext->Connection().CloseGracefully();
}

void TCustomTCPServer::DoConnect(TContext& AContext) {
  if (AContext.Connection().IsTLS()) AContext.Connection().SetPassThrough(false);
}

void TCustomTCPServer::DoDisconnect(TContext&) {}

bool TCustomTCPServer::DoExecute(TContext& AContext) {
  return OnExecute ? OnExecute(AContext) : false;
}

}  // namespace net
