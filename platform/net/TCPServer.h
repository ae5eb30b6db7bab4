// A threaded TCP server: an accepting thread and one thread per connection
// that runs the server's execute step in a loop while it returns true and the
// connection stays open. The connection list lives under a lock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>

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
  std::unique_ptr<TIOHandler> FConnection;
  mutable std::mutex FLock;
  std::shared_ptr<TContextData> FData;
};

using TContextPtr = std::shared_ptr<TContext>;

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
  // 0: no limit. Connections over the limit are closed at once.
  std::atomic<int> MaxConnections{0};
  // Pending connections the system may queue; 0 means the system maximum.
  int ListenQueue = 0;
  // Stack size of each connection thread.
  size_t ThreadStackSize = kConnectionThreadStack;

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
  std::shared_ptr<TServerIOHandlerSSL> IOHandler() const { return FIOHandler; }
  void SetIOHandler(std::shared_ptr<TServerIOHandlerSSL> AHandler);

  // The connection list. Walk it under its lock:
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
  virtual void DoConnect(TContext& AContext);
  virtual void DoDisconnect(TContext& AContext);
  virtual bool DoExecute(TContext& AContext);

 private:
  static void* ConnectionThread(void* AArg);
  bool SpawnThread();
  void ServeConnections();
  void RunConnection(const TContextPtr& AContext);
  void Deactivate();

  mutable std::mutex FStateLock;  // guards the active state and bindings
  bool FActive = false;
  int FBoundPort = 0;
  int FListenFd = -1;
  std::shared_ptr<TServerIOHandlerSSL> FIOHandler;

  mutable std::mutex FListLock;
  std::list<TContextPtr> FContexts;

  // Connection threads: each waits in accept, serves what it accepted, and
  // goes back to accept.
  std::mutex FThreadsLock;
  std::condition_variable FThreadsDone;
  size_t FIdleThreads = 0;  // threads waiting in accept
  size_t FThreadCount = 0;
  bool FStopping = false;
};

}  // namespace net
