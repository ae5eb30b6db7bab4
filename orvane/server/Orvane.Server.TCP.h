// The engine's HTTP and WebSocket server: one request per connection, routed
// by path; the two WebSocket routes upgrade the connection and keep it open
// for JSON text messages. Pages, messages, files, grid data and downloads are
// handed to six events that the engine root wires up.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "platform/net/TCPServer.h"

namespace orvane {

class IOrvaneBaseClass;

// File extension (without the dot, compared case-sensitively) to MIME type.
class TOrvaneServerFileExtensions {
 public:
  TOrvaneServerFileExtensions();
  // Ignores an extension already present.
  void Add(const std::string& AExtension, const std::string& AMimeType);
  // The type for the file name's extension, or "application/octet-stream".
  std::string GetMimeType(const std::string& AFileName) const;
  size_t Count() const { return FTypes.size(); }

 private:
  std::map<std::string, std::string> FTypes;
};

using TOnGetHTML = std::function<void(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                                      TOrvaneWebSocketContext& AContext)>;
using TOnRESTData = TOnGetHTML;
using TOnDownloadData = TOnGetHTML;
using TOnReceiveMessage =
    std::function<void(const TOrvaneWebSocketMessage& AMessage, TOrvaneWebSocketContext& AContext,
                       std::string& AAnswer)>;
using TOnGetFile = std::function<void(
    const std::string& AGetFileName, std::string& AResponseFileName,
    std::string& AResponseFileContent, std::string& AResponseRedirect, std::string& AMimeType)>;
using TOnFinishedGetHTML = std::function<void(TOrvaneWebSocketContext& AContext)>;

class TOrvaneServerTCP : public net::TCustomTCPServer {
 public:
  TOrvaneServerTCP();
  ~TOrvaneServerTCP() override;

  // The folder of static files (relative to the working directory).
  std::string RootDirectory = "wwwroot/";
  std::string VirtualPath = "/";

  // Limits on input. Going over one closes the connection (an oversized
  // upload or grid post is refused before its body is read).
  // They may be changed while the server runs.
  std::atomic<size_t> MaxHeaderLineLength{8 * 1024};
  std::atomic<size_t> MaxHeadSize{64 * 1024};
  std::atomic<uint64_t> MaxFrameLength{16 * 1024 * 1024};
  std::atomic<uint64_t> MaxContentLength{64 * 1024 * 1024};
  // Milliseconds a connection has, in all, to send its request head, and
  // may wait between pieces of a request body.
  std::atomic<int> RequestTimeout{30000};
  // An upgraded connection without a session (allowed without a token)
  // takes only small frames and is closed when no frame arrives within
  // SessionlessIdleTimeout milliseconds.
  std::atomic<uint64_t> SessionlessMaxFrameLength{64 * 1024};
  std::atomic<int> SessionlessIdleTimeout{60000};
  // Writes the whole text of every received message to standard error,
  // tokens and typed values included: for debugging only. Otherwise only
  // its type, operation name and length are written.
  std::atomic<bool> LogMessageText{false};

  // The session registry consulted by the routes; set by the engine root.
  IOrvaneBaseClass* OrvaneBaseClass = nullptr;

  // The node name every page answer carries in the cookie "tamblo_node"
  // (empty: no cookie). Set before the server starts.
  void SetNodeName(const std::string& AName);
  std::string NodeName() const;
  // The proxies whose X-Real-IP header names the browser's address (see
  // TOrvaneOptions::TrustedProxies). Set before the server starts.
  void SetTrustedProxies(std::vector<std::string> AAddresses);
  // While set, the server is on its way down: the health answer says so
  // with 503 and a page request gets a short 503 page, so that a proxy
  // takes new browsers elsewhere. Everything else is still served.
  std::atomic<bool> Draining{false};
  // Established WebSocket connections.
  size_t WebSocketCount() const { return FWebSockets; }
  // The answer to "GET /health" (or HEAD, without the body): 200, or 503
  // while draining, with a JSON body {"status", "node", "sessions",
  // "connections", "websockets"}. Makes no session and reads no file.
  std::string HealthAnswer(bool AHead) const;

  TOnGetHTML OnGetHTML;
  TOnReceiveMessage OnReceiveMessage;
  TOnGetFile OnGetFile;
  TOnFinishedGetHTML OnFinishedGetHTML;
  TOnRESTData OnRESTData;
  TOnDownloadData OnDownloadData;

  // The TLS handler, created on the first call.
  std::shared_ptr<net::TServerIOHandlerSSL> OpenSSL();
  // Installs a TLS handler (restarting the server when it is active).
  void InitSSL(std::shared_ptr<net::TServerIOHandlerSSL> AIdServerIOHandlerSSLOpenSSL);
  TOrvaneServerFileExtensions& MimesType() { return FMimesType; }

  // Pushes one text frame to the first established main-channel connection
  // of that page; at most one connection receives it.
  void SendWebSocketMessage(const std::string& AMessage, const std::string& AToken,
                            const std::string& AOrvaneSessionUUID);
  // Drops every connection of that page.
  void DisconnectWebSocketMessage(const std::string& AToken, const std::string& AOrvaneSessionUUID,
                                  bool ANilOrvaneSession);
  void CloseAllConnection();

  // The file under RootDirectory a request path names, or empty when the
  // path is refused (it would leave the web root, or it lies in the
  // sessions' temporary folder "temp/Sessions/", whose files leave only
  // through download keys).
  std::string StaticFilePath(const std::string& APath) const;

 protected:
  virtual void DoGetHTML(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                         TOrvaneWebSocketContext& AContext);
  virtual void DoDownloadData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                              TOrvaneWebSocketContext& AContext);
  virtual void DoRESTData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                          TOrvaneWebSocketContext& AContext);
  virtual void DoReceiveMessage(const std::string& AText, TOrvaneWebSocketContext& AContext,
                                std::string& AAnswer);

  void DoConnect(net::TContext& AContext) override;
  void DoDisconnect(net::TContext& AContext) override;
  bool DoExecute(net::TContext& AContext) override;
  // On the event loop: waits for the whole request head; a static file on
  // disk is answered from the loop, a bad head closed, anything else goes to
  // a connection thread.
  net::TFirstBytesAction DoFirstBytes(net::TContext& AContext, std::string_view AReceived,
                                      size_t AScanned, net::TReply& AReply) override;
  int FirstBytesTimeout() const override { return RequestTimeout; }
  // The message loop's step on an upgraded connection.
  bool InterceptExecute(net::TContext& AContext);

 private:
  std::shared_ptr<TOrvaneWebSocketContext> ConnectionContext(net::TContext& AContext);
  void Route(TOrvaneHTTPRequest& ARequest, net::TContext& AContext);
  void ReconnectProbe(TOrvaneHTTPRequest& ARequest, net::TContext& AContext);
  void Upload(TOrvaneHTTPRequest& ARequest, net::TContext& AContext);
  void Download(TOrvaneHTTPRequest& ARequest, net::TContext& AContext);
  void GridData(TOrvaneHTTPRequest& ARequest, net::TContext& AContext);
  bool Upgrade(TOrvaneHTTPRequest& ARequest, net::TContext& AContext);
  void Page(TOrvaneHTTPRequest& ARequest, net::TContext& AContext);
  void StaticFile(TOrvaneHTTPRequest& ARequest, net::TContext& AContext);
  // The head of a file answer: status, type, length and the fixed lines.
  static std::string FileHead(const TOrvaneHTTPResponse& AResponse, const std::string& AMimeType,
                              uint64_t ALength);
  // The answer for an open file (taken over: closed, or handed to the
  // reply); a small file's bytes follow the head in it. False when it is no
  // regular file.
  bool FileReply(int AFd, const TOrvaneHTTPResponse& AResponse, const std::string& AMimeType,
                 net::TReply& AReply) const;
  // FileReply for a file name with the default status; false when there is
  // no such file.
  bool OpenStaticFile(const std::string& AFileName, const std::string& AMimeType,
                      net::TReply& AReply) const;
  // Writes a file answer from a connection thread.
  static void WriteReply(net::TIOHandler& AIO, net::TReply& AReply);
  // The path of a request below the web root, normalised ("." and empty
  // segments dropped), or empty when refused ("..", backslashes, bad
  // escapes, the sessions' folder).
  std::string StaticRelativePath(const std::string& APath) const;
  // Opens ARelative beneath the root in one step when no symbolic link is
  // on the way (Opened, or Missing when there is no such name); Elsewhere
  // asks for the path to be resolved the slow way.
  enum class TStaticOpen { Opened, Missing, Elsewhere };
  TStaticOpen OpenStaticBeneathRoot(const std::string& ARelative, int& AFd) const;
  // The real path of RootDirectory, remembered between requests.
  std::string ResolvedRoot(const std::string& ARoot) const;
  std::shared_ptr<IOrvaneSession> CheckedSession(const std::string& AUUID,
                                                 const std::string& AToken);
  void NotifyController(TSessionChangeType AType, const std::shared_ptr<IOrvaneSession>& ASession);
  // One line of the debug output per received message (AMessage null: the
  // message was refused).
  void LogMessage(const std::string& AText, const TOrvaneWebSocketMessage* AMessage) const;

  // A place for one more session, held while a page request may make one.
  class TSessionSlot {
   public:
    explicit TSessionSlot(IOrvaneBaseClass* ARoot) : FRoot(ARoot) {}
    ~TSessionSlot() { Release(); }
    // False when the sessions (and those being made) have reached the cap.
    bool Take();
    void Release();

   private:
    IOrvaneBaseClass* FRoot;
    bool FTaken = false;
  };
  // The 503 answer with the short Portuguese "server busy" page, or the
  // one of a server being stopped.
  static std::string ServerBusyAnswer(bool AStopping = false);
  // Whether a request is the health probe.
  static bool IsHealthRequest(const TOrvaneHTTPHeader& AHeader);

  mutable std::mutex FNodeLock;  // guards the node name and the trusted proxies
  std::string FNodeName;
  std::vector<std::string> FTrustedProxies;
  // The browser's address a trusted proxy gives, or the peer's.
  std::string ClientAddress(const std::string& APeer, const TOrvaneHTTPHeader& AHeader) const;
  std::atomic<size_t> FWebSockets{0};
  TOrvaneServerFileExtensions FMimesType;
  std::shared_ptr<net::TServerIOHandlerSSL> FOpenSSL;
  // The web root, resolved and opened once for the requests that follow.
  struct TRootHandle {
    TRootHandle(int AFd, std::string AFor) : Fd(AFd), For(std::move(AFor)) {}
    ~TRootHandle();
    int Fd;
    std::string For;
  };
  mutable std::mutex FRootLock;
  mutable std::string FRootFor, FRootResolved;
  mutable std::shared_ptr<TRootHandle> FRootHandle;
};

}  // namespace orvane
