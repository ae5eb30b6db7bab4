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

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>

namespace net {

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr size_t kDefaultStack = 1024 * 1024;  // sanitizers need larger frames
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr size_t kDefaultStack = 1024 * 1024;
#else
constexpr size_t kDefaultStack = 256 * 1024;
#endif
#else
constexpr size_t kDefaultStack = 256 * 1024;
#endif

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

struct TCustomTCPServer::TThreadStart {
  TCustomTCPServer* Server;
  TContextPtr Context;
};

TCustomTCPServer::TCustomTCPServer() : ThreadStackSize(kDefaultStack) {}

TCustomTCPServer::~TCustomTCPServer() { Deactivate(); }

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
  fcntl(FListenFd, F_SETFL, fcntl(FListenFd, F_GETFL, 0) | O_NONBLOCK);
  if (::pipe2(FWakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    ::close(FListenFd);
    FListenFd = -1;
    throw ESocketError(std::string("Não foi possível iniciar o servidor: ") + std::strerror(errno));
  }
  FActive = true;
  FAcceptThread = std::thread([this] { AcceptLoop(); });
}

void TCustomTCPServer::Deactivate() {
  {
    std::lock_guard<std::mutex> g(FStateLock);
    if (!FActive) return;
    FActive = false;
    char c = 0;
    [[maybe_unused]] ssize_t n = ::write(FWakePipe[1], &c, 1);
  }
  FAcceptThread.join();
  {
    std::lock_guard<std::mutex> g(FStateLock);
    ::close(FListenFd);
    ::close(FWakePipe[0]);
    ::close(FWakePipe[1]);
    FListenFd = FWakePipe[0] = FWakePipe[1] = -1;
  }
  {
    std::lock_guard<std::mutex> g(FListLock);
    for (auto& c : FContexts) c->Connection().Disconnect();
  }
  std::unique_lock<std::mutex> t(FThreadsLock);
  FThreadsDone.wait(t, [this] { return FThreadCount == 0; });
}

void TCustomTCPServer::AcceptLoop() {
  for (;;) {
    pollfd p[2] = {{FListenFd, POLLIN, 0}, {FWakePipe[0], POLLIN, 0}};
    int r = ::poll(p, 2, -1);
    if (r < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (p[1].revents) return;
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    int fd = ::accept4(FListenFd, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EMFILE || errno == ENFILE || errno == ENOMEM || errno == ENOBUFS) {
        // Out of resources: wait a little instead of spinning.
        pollfd w{FWakePipe[0], POLLIN, 0};
        if (::poll(&w, 1, 50) > 0) return;
      }
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
    StartConnection(fd, ip, port);
  }
}

void TCustomTCPServer::StartConnection(int AFd, const std::string& AIP, int APort) {
  std::shared_ptr<TServerIOHandlerSSL> ssl;
  {
    std::lock_guard<std::mutex> g(FStateLock);
    ssl = FIOHandler;
  }
  if (MaxConnections > 0 && ConnectionCount() >= static_cast<size_t>(MaxConnections)) {
    ::close(AFd);
    return;
  }
  auto io = std::make_unique<TIOHandler>(AFd, ssl ? ssl->Context() : nullptr);
  io->PeerIP = AIP;
  io->PeerPort = APort;
  auto context = std::make_shared<TContext>(std::move(io));
  {
    std::lock_guard<std::mutex> g(FListLock);
    FContexts.push_back(context);
  }
  {
    std::lock_guard<std::mutex> g(FThreadsLock);
    ++FThreadCount;
  }
  auto* start = new TThreadStart{this, context};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  size_t stack = ThreadStackSize < static_cast<size_t>(PTHREAD_STACK_MIN)
                     ? static_cast<size_t>(PTHREAD_STACK_MIN)
                     : ThreadStackSize;
  pthread_attr_setstacksize(&attr, stack);
  pthread_t tid;
  int rc = pthread_create(&tid, &attr, &TCustomTCPServer::ConnectionThread, start);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    delete start;
    {
      std::lock_guard<std::mutex> g(FListLock);
      FContexts.remove(context);
    }
    context->Connection().Disconnect();
    std::lock_guard<std::mutex> g(FThreadsLock);
    --FThreadCount;
    FThreadsDone.notify_all();
  }
}

void* TCustomTCPServer::ConnectionThread(void* AArg) {
  std::unique_ptr<TThreadStart> start(static_cast<TThreadStart*>(AArg));
  TCustomTCPServer* server = start->Server;
  server->RunConnection(start->Context);
  start.reset();
  std::lock_guard<std::mutex> g(server->FThreadsLock);
  --server->FThreadCount;
  server->FThreadsDone.notify_all();
  return nullptr;
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
