// A threaded TCP server. A few event-loop threads accept connections and
// read what a new plain connection sends first; from those bytes the server
// decides (DoFirstBytes) to answer at once from the loop, to close, or to
// hand the connection to a connection thread, which runs the server's
// execute step in a loop while it returns true and the connection stays
// open. A connection slow to send its first bytes costs no thread. TLS
// connections go to a thread at once (the handshake runs there). The
// connection list lives under a lock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/net/IOHandler.h"

namespace net {

// The stack of a connection thread: small, so that thousands of open
// connections fit in memory; larger under the sanitizers, whose frames are.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr size_t kConnectionThreadStack = 1024 * 1024;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr size_t kConnectionThreadStack = 1024 * 1024;
#else
inline constexpr size_t kConnectionThreadStack = 256 * 1024;
#endif
#else
inline constexpr size_t kConnectionThreadStack = 256 * 1024;
#endif

// The per-connection data slot's contents; subclasses carry the state.
class TContextData {
 public:
  virtual ~TContextData() = default;
};

// One accepted connection: its I/O and its data slot.
class TContext {
 public:
  explicit TContext(std::unique_ptr<TIOHandler> AConnection)
      : FConnection(std::move(AConnection)) {}

  TIOHandler& Connection() const { return *FConnection; }

  std::shared_ptr<TContextData> Data() const {
    std::lock_guard<std::mutex> g(FLock);
    return FData;
  }
  void SetData(std::shared_ptr<TContextData> AData) {
    std::lock_guard<std::mutex> g(FLock);
    FData = std::move(AData);
  }

 private:
  friend class TCustomTCPServer;
  std::unique_ptr<TIOHandler> FConnection;
  mutable std::mutex FLock;
  std::shared_ptr<TContextData> FData;
  // Its place in the server's connection list (under the list's lock).
  std::list<std::shared_ptr<TContext>>::iterator FListPosition;
  bool FListed = false;
};

using TContextPtr = std::shared_ptr<TContext>;

// What the event loop does with a new plain connection, decided from the
// bytes it has sent so far.
enum class TFirstBytesAction {
  Wait,    // read more (within FirstBytesTimeout and MaxFirstBytes)
  Thread,  // hand it to a connection thread; what was read stays buffered
  Reply,   // send the reply from the loop, then close
  Close    // close at once
};

// An answer the event loop sends on its own: the head, then the bytes of an
// open file (which the server closes afterwards).
struct TReply {
  std::string Head;
  int File = -1;
  uint64_t FileSize = 0;
  // The peer sent more than the request the reply answers (a body, another
  // request): after the reply the loop reads and drops it for a moment
  // before closing, so the close does not reset the connection.
  bool Linger = false;
};

class TEventLoop;

class TCustomTCPServer {
 public:
  TCustomTCPServer();
  // Subclasses that override the hooks must call SetActive(false) in their
  // own destructor, while their overrides still exist.
  virtual ~TCustomTCPServer();
  TCustomTCPServer(const TCustomTCPServer&) = delete;
  TCustomTCPServer& operator=(const TCustomTCPServer&) = delete;

  // Port and address to listen on; port 0 picks a free port (see BoundPort).
  int DefaultPort = 0;
  std::string DefaultBindAddress = "0.0.0.0";
  // 0: no limit. Connections over the limit are closed as soon as they are
  // accepted; the open ones are not disturbed.
  std::atomic<int> MaxConnections{0};
  // Pending connections the system may queue; 0 means the system maximum.
  int ListenQueue = 0;
  // Stack size of each connection thread.
  size_t ThreadStackSize = kConnectionThreadStack;
  // Event-loop threads; 0: one per processor, at most 4. Read on start.
  int EventLoops = 0;
  // The most bytes a connection may send before DoFirstBytes decides.
  std::atomic<size_t> MaxFirstBytes{128 * 1024};

  bool Active() const;
  // Starting listens and starts accepting (throws with a clear message when
  // the port cannot be bound). Stopping stops accepting, disconnects every
  // connection and waits for their threads to end.
  void SetActive(bool AValue);
  // Forgets the explicit bindings (the next start binds DefaultBindAddress
  // and DefaultPort).
  void ClearBindings();
  // The port actually bound while active.
  int BoundPort() const;

  // The TLS handler; connections accepted while one is installed use TLS.
  std::shared_ptr<TServerIOHandlerSSL> IOHandler() const;
  void SetIOHandler(std::shared_ptr<TServerIOHandlerSSL> AHandler);

  // The connection list, every open connection in it. Walk it under its
  // lock:
  //   auto lock = server.LockList(); for (auto& c : server.Contexts()) ...
  std::unique_lock<std::mutex> LockList() const { return std::unique_lock<std::mutex>(FListLock); }
  const std::list<TContextPtr>& Contexts() const { return FContexts; }
  size_t ConnectionCount() const;

  // Called for each iteration of a connection's loop by the default
  // DoExecute.
  std::function<bool(TContext&)> OnExecute;
  // Called with the message of an exception that ended a connection (other
  // than the peer going away). Standard error when empty.
  std::function<void(const std::string&)> OnException;

 protected:
  // Run on the connection thread, before and after its execute loop.
  virtual void DoConnect(TContext& AContext);
  virtual void DoDisconnect(TContext& AContext);
  virtual bool DoExecute(TContext& AContext);
  // Called on the event loop, which must never wait in it, with all the
  // bytes a new plain connection has sent so far (AScanned of them were
  // already shown to a previous call; the first call, right after accept,
  // may show none). The default hands every connection to a thread at once.
  virtual TFirstBytesAction DoFirstBytes(TContext& AContext, std::string_view AReceived,
                                         size_t AScanned, TReply& AReply);
  // Milliseconds a new plain connection has, in all, until DoFirstBytes
  // decides.
  virtual int FirstBytesTimeout() const { return 30000; }

 private:
  friend class TEventLoop;
  static void* ConnectionThread(void* AArg);
  bool SpawnThread();
  void ServeConnections();
  void RunConnection(const TContextPtr& AContext);
  // Takes an accepted socket into the list; null when over the limit (the
  // socket is then closed).
  TContextPtr Admit(int AFd, const std::string& AIP, int APort);
  void Forget(const TContextPtr& AContext);
  // Gives a connection to an idle connection thread, or to a new one.
  void HandOff(TContextPtr AContext);
  void Deactivate();

  mutable std::mutex FStateLock;  // guards the active state, bindings and handler
  bool FActive = false;
  int FBoundPort = 0;
  int FListenFd = -1;
  std::shared_ptr<TServerIOHandlerSSL> FIOHandler;
  std::vector<std::unique_ptr<TEventLoop>> FLoops;

  mutable std::mutex FListLock;
  std::list<TContextPtr> FContexts;

  // Connection threads wait for handed-off connections; a few stay idle.
  std::mutex FThreadsLock;
  std::condition_variable FWork;         // a connection queued, or stopping
  std::condition_variable FThreadsDone;  // a thread ended
  std::deque<TContextPtr> FQueue;
  size_t FIdleThreads = 0;
  size_t FThreadCount = 0;
  bool FStopping = false;
};

}  // namespace net
