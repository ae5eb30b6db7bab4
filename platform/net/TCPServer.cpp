#include "platform/net/TCPServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/crypto.h>

#include <algorithm>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <iostream>
#include <map>
#include <unordered_map>

namespace net {

namespace {

using TClock = std::chrono::steady_clock;

// After a reply the loop reads and drops what the peer still sends, for at
// most this long and this much, so that closing with unread input does not
// reset the connection and lose the reply on its way.
constexpr int kLingerMilliseconds = 1000;
constexpr size_t kLingerBytes = 1 << 20;
// A reply that makes no progress for this long is given up.
constexpr int kWriteTimeout = 30000;
// Accepting pauses this long when the process is out of descriptors.
constexpr int kAcceptPause = 100;
// Connection threads kept waiting for work.
constexpr size_t kMaxIdleThreads = 8;

// A server with thousands of connections needs as many descriptors as the
// system allows this process.
void RaiseDescriptorLimit() {
  rlimit rl{};
  if (getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur < rl.rlim_max) {
    rl.rlim_cur = rl.rlim_max;
    setrlimit(RLIMIT_NOFILE, &rl);
  }
}

std::string PeerAddress(const sockaddr_storage& AAddress, int& APort) {
  char ip[INET6_ADDRSTRLEN] = "";
  APort = 0;
  if (AAddress.ss_family == AF_INET) {
    auto* a = reinterpret_cast<const sockaddr_in*>(&AAddress);
    inet_ntop(AF_INET, &a->sin_addr, ip, sizeof ip);
    APort = ntohs(a->sin_port);
  } else if (AAddress.ss_family == AF_INET6) {
    auto* a = reinterpret_cast<const sockaddr_in6*>(&AAddress);
    inet_ntop(AF_INET6, &a->sin6_addr, ip, sizeof ip);
    APort = ntohs(a->sin6_port);
  }
  return ip;
}

int MillisecondsUntil(TClock::time_point AMoment) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(AMoment - TClock::now());
  return static_cast<int>(std::clamp<int64_t>(left.count() + 1, 0, INT_MAX));
}

}  // namespace

// ---------------------------------------------------------------------------
// TEventLoop: accepts, reads first bytes, sends replies, lingers; never waits
// on one connection.

class TEventLoop {
 public:
  TEventLoop(TCustomTCPServer& AServer, int AListenFd) : FServer(AServer), FListenFd(AListenFd) {}
  ~TEventLoop() {
    if (FEpoll >= 0) ::close(FEpoll);
    if (FWake >= 0) ::close(FWake);
  }

  void Start() {
    FEpoll = epoll_create1(EPOLL_CLOEXEC);
    FWake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FEpoll < 0 || FWake < 0) throw ESocketError("Não foi possível criar o laço de eventos");
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.ptr = &FWake;
    epoll_ctl(FEpoll, EPOLL_CTL_ADD, FWake, &wake);
    WatchListener(true);
    FThread = std::thread([this] { Run(); });
  }
  void Stop() {
    FStop = true;
    uint64_t one = 1;
    if (::write(FWake, &one, sizeof one) < 0) {
      // The loop is woken already.
    }
  }
  void Join() {
    if (FThread.joinable()) FThread.join();
  }

 private:
  enum class TState { Reading, Writing, Lingering };
  struct TConnection {
    TContextPtr Context;
    TState State = TState::Reading;
    bool Asked = false;    // DoFirstBytes has seen it
    size_t Scanned = 0;    // bytes DoFirstBytes has seen
    bool Watched = false;  // registered with epoll
    TReply Reply;
    size_t HeadSent = 0;
    uint64_t FileSent = 0;
    size_t Drained = 0;
    bool HasTimer = false;
    std::multimap<TClock::time_point, TConnection*>::iterator Timer;
    int Fd() const { return Context->Connection().Handle(); }
  };

  void WatchListener(bool AOn) {
    epoll_event ev{};
    // EPOLLEXCLUSIVE: one loop, not all of them, wakes for a new connection.
    ev.events = EPOLLIN | EPOLLEXCLUSIVE;
    ev.data.ptr = this;
    epoll_ctl(FEpoll, AOn ? EPOLL_CTL_ADD : EPOLL_CTL_DEL, FListenFd, AOn ? &ev : nullptr);
  }

  void Run() {
    pthread_setname_np(pthread_self(), "TCP event loop");
    epoll_event events[64];
    while (!FStop.load()) {
      int timeout = -1;
      if (!FTimers.empty()) timeout = MillisecondsUntil(FTimers.begin()->first);
      if (FAcceptPaused) {
        int pause = MillisecondsUntil(FAcceptResume);
        timeout = timeout < 0 ? pause : std::min(timeout, pause);
      }
      int n = epoll_wait(FEpoll, events, 64, timeout);
      if (n < 0 && errno != EINTR) break;
      for (int i = 0; i < n && !FStop.load(); ++i) {
        void* p = events[i].data.ptr;
        if (p == this) {
          Accept();
        } else if (p == &FWake) {
          uint64_t v;
          if (::read(FWake, &v, sizeof v) < 0) {
            // Nothing to take: already read.
          }
        } else {
          auto* c = static_cast<TConnection*>(p);
          if (FConnections.count(c)) OnEvent(*c, events[i].events);
        }
      }
      auto now = TClock::now();
      while (!FTimers.empty() && FTimers.begin()->first <= now) Close(*FTimers.begin()->second);
      if (FAcceptPaused && now >= FAcceptResume) {
        FAcceptPaused = false;
        WatchListener(true);
      }
    }
    while (!FConnections.empty()) Close(*FConnections.begin()->first);
    OPENSSL_thread_stop();
  }

  void Accept() {
    for (int i = 0; i < 64; ++i) {
      sockaddr_storage address{};
      socklen_t length = sizeof address;
      int fd = ::accept4(FListenFd, reinterpret_cast<sockaddr*>(&address), &length,
                         SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
          // Out of resources: stop accepting for a moment instead of
          // spinning; the open connections go on.
          WatchListener(false);
          FAcceptPaused = true;
          FAcceptResume = TClock::now() + std::chrono::milliseconds(kAcceptPause);
        } else if (errno == EINVAL) {
          // No longer listening: the server is stopping.
          WatchListener(false);
        }
        return;
      }
      int port = 0;
      std::string ip = PeerAddress(address, port);
      TContextPtr context = FServer.Admit(fd, ip, port);
      if (!context) continue;  // over the limit: closed
      if (context->Connection().IsTLS()) {
        FServer.HandOff(std::move(context));
        continue;
      }
      auto owned = std::make_unique<TConnection>();
      TConnection& c = *owned;
      c.Context = std::move(context);
      FConnections.emplace(&c, std::move(owned));
      SetTimer(c, FServer.FirstBytesTimeout());
      // The request often arrives with the connection: look at once.
      OnEvent(c, EPOLLIN);
    }
  }

  void OnEvent(TConnection& C, uint32_t AEvents) {
    switch (C.State) {
      case TState::Reading: {
        TIOHandler& io = C.Context->Connection();
        size_t limit = FServer.MaxFirstBytes;
        size_t have = io.Buffered().size();
        bool ended = false;
        size_t got = have < limit ? io.ReceiveAvailable(limit - have, ended) : 0;
        // A peer that closed may still be answered what it sent before.
        if (ended && got == 0) {
          Close(C);
          return;
        }
        Decide(C);
        return;
      }
      case TState::Writing:
        if (AEvents & (EPOLLERR | EPOLLHUP)) {
          Close(C);
          return;
        }
        Send(C);
        return;
      case TState::Lingering:
        Drain(C);
        return;
    }
  }

  void Decide(TConnection& C) {
    std::string_view received = C.Context->Connection().Buffered();
    if (C.Asked && received.size() == C.Scanned) return;  // nothing new
    TReply reply;
    TFirstBytesAction action;
    try {
      action = FServer.DoFirstBytes(*C.Context, received, C.Scanned, reply);
    } catch (const std::exception&) {
      action = TFirstBytesAction::Close;
    }
    C.Asked = true;
    C.Scanned = received.size();
    switch (action) {
      case TFirstBytesAction::Wait:
        if (received.size() >= FServer.MaxFirstBytes)
          Close(C);
        else if (!C.Watched)
          Watch(C, EPOLLIN | EPOLLRDHUP);
        return;
      case TFirstBytesAction::Thread: {
        TContextPtr context = C.Context;
        Release(C);
        FServer.HandOff(std::move(context));
        return;
      }
      case TFirstBytesAction::Reply:
        C.Reply = std::move(reply);
        reply.File = -1;
        C.State = TState::Writing;
        Send(C);
        return;
      case TFirstBytesAction::Close:
        if (reply.File >= 0) ::close(reply.File);
        Close(C);
        return;
    }
  }

  void Send(TConnection& C) {
    const int fd = C.Fd();
    const std::string& head = C.Reply.Head;
    const bool file = C.Reply.File >= 0 && C.Reply.FileSize > 0;
    while (C.HeadSent < head.size()) {
      ssize_t n = ::send(fd, head.data() + C.HeadSent, head.size() - C.HeadSent,
                         MSG_NOSIGNAL | (file ? MSG_MORE : 0));
      if (n > 0) {
        C.HeadSent += static_cast<size_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        WaitWritable(C);
        return;
      } else {
        Close(C);
        return;
      }
    }
    while (file && C.FileSent < C.Reply.FileSize) {
      off_t offset = static_cast<off_t>(C.FileSent);
      size_t chunk =
          static_cast<size_t>(std::min<uint64_t>(C.Reply.FileSize - C.FileSent, 1 << 20));
      ssize_t n = ::sendfile(fd, C.Reply.File, &offset, chunk);
      if (n > 0) {
        C.FileSent += static_cast<uint64_t>(n);
      } else if (n == 0) {
        break;  // the file became shorter: what there was is sent
      } else if (errno == EINTR) {
        continue;
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        WaitWritable(C);
        return;
      } else {
        Close(C);
        return;
      }
    }
    Finish(C);
  }

  void WaitWritable(TConnection& C) {
    if (Watch(C, EPOLLOUT)) SetTimer(C, kWriteTimeout);
  }

  void Finish(TConnection& C) {
    if (C.Reply.File >= 0) {
      ::close(C.Reply.File);
      C.Reply.File = -1;
    }
    if (!C.Reply.Linger) {
      // Nothing unread: closing sends the reply and then the end of the
      // stream.
      Close(C);
      return;
    }
    ::shutdown(C.Fd(), SHUT_WR);
    C.State = TState::Lingering;
    if (!Watch(C, EPOLLIN | EPOLLRDHUP)) return;
    SetTimer(C, kLingerMilliseconds);
    Drain(C);
  }

  void Drain(TConnection& C) {
    char buffer[16384];
    for (;;) {
      ssize_t n = ::recv(C.Fd(), buffer, sizeof buffer, MSG_DONTWAIT);
      if (n > 0) {
        C.Drained += static_cast<size_t>(n);
        if (C.Drained < kLingerBytes) continue;
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return;  // more may come: wait
      }
      Close(C);
      return;
    }
  }

  // False when the connection could not be watched (it is closed then).
  bool Watch(TConnection& C, uint32_t AEvents) {
    epoll_event ev{};
    ev.events = AEvents;
    ev.data.ptr = &C;
    if (epoll_ctl(FEpoll, C.Watched ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, C.Fd(), &ev) != 0) {
      Close(C);
      return false;
    }
    C.Watched = true;
    return true;
  }

  void SetTimer(TConnection& C, int AMilliseconds) {
    if (C.HasTimer) FTimers.erase(C.Timer);
    C.Timer = FTimers.emplace(TClock::now() + std::chrono::milliseconds(AMilliseconds), &C);
    C.HasTimer = true;
  }

  // Stops watching the connection and forgets it here; its context lives on
  // with whoever holds it.
  void Release(TConnection& C) {
    if (C.Watched) epoll_ctl(FEpoll, EPOLL_CTL_DEL, C.Fd(), nullptr);
    if (C.HasTimer) FTimers.erase(C.Timer);
    if (C.Reply.File >= 0) ::close(C.Reply.File);
    FConnections.erase(&C);
  }

  void Close(TConnection& C) {
    TContextPtr context = C.Context;
    Release(C);
    FServer.Forget(context);
  }

  TCustomTCPServer& FServer;
  int FListenFd;
  int FEpoll = -1;
  int FWake = -1;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::unordered_map<TConnection*, std::unique_ptr<TConnection>> FConnections;
  std::multimap<TClock::time_point, TConnection*> FTimers;
  bool FAcceptPaused = false;
  TClock::time_point FAcceptResume;
};

// ---------------------------------------------------------------------------
// TCustomTCPServer

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

std::shared_ptr<TServerIOHandlerSSL> TCustomTCPServer::IOHandler() const {
  std::lock_guard<std::mutex> g(FStateLock);
  return FIOHandler;
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
  {
    std::lock_guard<std::mutex> t(FThreadsLock);
    FStopping = false;
  }
  int loops = EventLoops;
  if (loops <= 0) loops = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  try {
    for (int i = 0; i < loops; ++i) {
      FLoops.push_back(std::make_unique<TEventLoop>(*this, FListenFd));
      FLoops.back()->Start();
    }
  } catch (...) {
    for (auto& l : FLoops) l->Stop();
    for (auto& l : FLoops) l->Join();
    FLoops.clear();
    ::close(FListenFd);
    FListenFd = -1;
    throw;
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
  // From now on new connections are refused at once, not left waiting in
  // the queue to be reset when the socket closes.
  ::shutdown(FListenFd, SHUT_RDWR);
  // The loops close the connections they hold; the threads' connections are
  // disconnected, which ends their reads.
  for (auto& l : FLoops) l->Stop();
  for (auto& l : FLoops) l->Join();
  FLoops.clear();
  {
    std::lock_guard<std::mutex> g(FListLock);
    for (auto& c : FContexts) c->Connection().Disconnect();
  }
  std::deque<TContextPtr> unserved;
  {
    std::unique_lock<std::mutex> t(FThreadsLock);
    FWork.notify_all();
    FThreadsDone.wait(t, [this] { return FThreadCount == 0; });
    unserved.swap(FQueue);
  }
  for (auto& c : unserved) Forget(c);
  std::lock_guard<std::mutex> g(FStateLock);
  ::close(FListenFd);
  FListenFd = -1;
}

TContextPtr TCustomTCPServer::Admit(int AFd, const std::string& AIP, int APort) {
  int limit = MaxConnections.load();
  if (limit > 0 && ConnectionCount() >= static_cast<size_t>(limit)) {
    ::close(AFd);
    return nullptr;
  }
  std::shared_ptr<TServerIOHandlerSSL> ssl = IOHandler();
  auto io = std::make_unique<TIOHandler>(AFd, ssl ? ssl->Context() : nullptr, true);
  io->PeerIP = AIP;
  io->PeerPort = APort;
  auto context = std::make_shared<TContext>(std::move(io));
  std::lock_guard<std::mutex> g(FListLock);
  FContexts.push_back(context);
  context->FListPosition = std::prev(FContexts.end());
  context->FListed = true;
  return context;
}

void TCustomTCPServer::Forget(const TContextPtr& AContext) {
  std::lock_guard<std::mutex> g(FListLock);
  if (AContext->FListed) {
    FContexts.erase(AContext->FListPosition);
    AContext->FListed = false;
  }
}

void TCustomTCPServer::HandOff(TContextPtr AContext) {
  // A connection served by a thread writes small pieces (frames, pushes)
  // that must leave at once. The loop's replies go out in one write.
  int one = 1;
  setsockopt(AContext->Connection().Handle(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  bool spawn = false;
  {
    std::lock_guard<std::mutex> t(FThreadsLock);
    if (FStopping) {
      AContext->Connection().Disconnect();
    } else {
      FQueue.push_back(AContext);
      if (FIdleThreads >= FQueue.size()) {
        FWork.notify_one();
      } else {
        spawn = true;
        ++FThreadCount;
      }
      AContext.reset();
    }
  }
  if (AContext) {
    Forget(AContext);
    return;
  }
  if (spawn && !SpawnThread()) {
    // The connection waits in the queue for the next thread that is free.
    std::lock_guard<std::mutex> t(FThreadsLock);
    --FThreadCount;
    FThreadsDone.notify_all();
    std::cerr << "Não foi possível criar uma thread de conexão" << std::endl;
  }
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

// A connection thread serves the connections handed to it, one after the
// other; a few stay waiting for more, the others end.
void TCustomTCPServer::ServeConnections() {
  for (;;) {
    TContextPtr context;
    {
      std::unique_lock<std::mutex> t(FThreadsLock);
      ++FIdleThreads;
      FWork.wait(t, [this] { return FStopping || !FQueue.empty(); });
      --FIdleThreads;
      if (FStopping) break;
      context = std::move(FQueue.front());
      FQueue.pop_front();
    }
    RunConnection(context);
    context.reset();
    std::lock_guard<std::mutex> t(FThreadsLock);
    if (FStopping || FIdleThreads >= kMaxIdleThreads) break;
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
  Forget(AContext);
  AContext->Connection().CloseGracefully();
}

void TCustomTCPServer::DoConnect(TContext& AContext) {
  if (AContext.Connection().IsTLS()) AContext.Connection().SetPassThrough(false);
}

void TCustomTCPServer::DoDisconnect(TContext&) {}

bool TCustomTCPServer::DoExecute(TContext& AContext) {
  return OnExecute ? OnExecute(AContext) : false;
}

TFirstBytesAction TCustomTCPServer::DoFirstBytes(TContext&, std::string_view, size_t, TReply&) {
  return TFirstBytesAction::Thread;
}

}  // namespace net
