// The root of the web engine: one per process, reached through
// OrvaneBaseClass(). It owns the server, the options, the INI configuration
// and the session table, and relays session notices to the server controller.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Server.TCP.h"
#include "orvane/server/Orvane.Util.h"
#include "platform/core/Classes.h"

#include <SimpleIni.h>

namespace orvane {

// A failure of the engine with a message the user can act on.
class EOrvaneError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The engine settings. Set by the starter before StartServer, only read
// afterwards.
class TOrvaneOptions {
 public:
  TOrvaneOptions();

  std::string Language() const { return FLang; }
  // "pt" or "pt-br" (any case) also switch FormatSettings to pt-BR.
  void SetLanguage(const std::string& AValue);
  bool Loading() const { return FLoading; }
  void SetLoading(bool AValue) { FLoading = AValue; }
  std::string PathCSS() const { return FPathCSS; }
  void SetPathCSS(const std::string& AValue) { FPathCSS = AValue; }
  std::string PathJS() const { return FPathJS; }
  void SetPathJS(const std::string& AValue) { FPathJS = AValue; }
  std::string RootDirectory() const { return FRootDirectory; }
  void SetRootDirectory(const std::string& AValue) { FRootDirectory = AValue; }
  bool IncludeSweetAlert2() const { return FIncludeSweetAlert2; }
  void SetIncludeSweetAlert2(bool AValue) { FIncludeSweetAlert2 = AValue; }
  bool IncludeJQuery() const { return FIncludeJQuery; }
  void SetIncludeJQuery(bool AValue) { FIncludeJQuery = AValue; }
  bool IncludeJQGrid() const { return FIncludeJQGrid; }
  void SetIncludeJQGrid(bool AValue) { FIncludeJQGrid = AValue; }
  bool IncludeStyle() const { return FIncludeStyle; }
  void SetIncludeStyle(bool AValue) { FIncludeStyle = AValue; }
  bool ForceCloseExpired() const { return FForceCloseExpired; }
  void SetForceCloseExpired(bool AValue) { FForceCloseExpired = AValue; }
  bool DataSetLog() const { return FDataSetLog; }
  void SetDataSetLog(bool AValue) { FDataSetLog = AValue; }
  bool UseSSL() const { return FUseSSL; }
  void SetUseSSL(bool AValue) { FUseSSL = AValue; }
  bool UseINIConfig() const { return FUseINIConfig; }
  void SetUseINIConfig(bool AValue) { FUseINIConfig = AValue; }
  const TFormatSettings& FormatSettings() const { return FFormatSettings; }
  void SetFormatSettings(const TFormatSettings& AValue) { FFormatSettings = AValue; }
  const TFormatSettings& DataBaseFormatSettings() const { return FDataBaseFormatSettings; }
  void SetDataBaseFormatSettings(const TFormatSettings& AValue) {
    FDataBaseFormatSettings = AValue;
  }
  bool ValidateAllControls() const { return FValidateAllControls; }
  void SetValidateAllControls(bool AValue) { FValidateAllControls = AValue; }
  // The largest upload or grid post body accepted, in bytes (64 MiB).
  uint64_t MaxContentLength() const { return FMaxContentLength; }
  void SetMaxContentLength(uint64_t AValue) { FMaxContentLength = AValue; }
  // The most connections open at once (2,000; 0: no limit). Beyond it new
  // connections are closed at once; the open ones go on being served.
  int MaxConnections() const { return FMaxConnections; }
  void SetMaxConnections(int AValue) { FMaxConnections = AValue; }
  // Writes the whole text of each received message to standard error,
  // tokens and typed values (passwords) included; for debugging only.
  bool LogMessageText() const { return FLogMessageText; }
  void SetLogMessageText(bool AValue) { FLogMessageText = AValue; }
  // The most sessions at once (1,000; 0: no limit). A page request that
  // would make one more is answered 503 with a short "server busy" page.
  int MaxSessions() const { return FMaxSessions; }
  void SetMaxSessions(int AValue) { FMaxSessions = AValue; }
  // Seconds a session may go without an open WebSocket, because its page
  // never connected or lost its connection, before it is closed (180; 0:
  // never).
  int AbandonedSessionTimeout() const { return FAbandonedSessionTimeout; }
  void SetAbandonedSessionTimeout(int AValue) { FAbandonedSessionTimeout = AValue; }
  // Seconds a session lives after its creation or its last message
  // (216,000: 60 hours).
  int64_t SessionExpireSeconds() const { return FSessionExpireSeconds; }
  void SetSessionExpireSeconds(int64_t AValue) { FSessionExpireSeconds = AValue; }
  // The address the server listens on ("0.0.0.0": every IPv4 address;
  // empty: the server's own DefaultBindAddress, itself "0.0.0.0").
  std::string BindAddress() const { return FBindAddress; }
  void SetBindAddress(const std::string& AValue) { FBindAddress = AValue; }
  // The folder holding the sessions' temporary folders ("Sessions/" in it);
  // empty: "temp/" under RootDirectory. Nodes that share a web root need
  // one each, since a start empties it.
  std::string TempDirectory() const { return FTempDirectory; }
  void SetTempDirectory(const std::string& AValue) { FTempDirectory = AValue; }
  // The folder TempDirectory stands for, ending in "/".
  std::string TempFolder() const;
  // The name of this node among several behind one proxy (letters, digits,
  // "-", "_"; at most 32). When set, every page answer carries the cookie
  // "tamblo_node" with it, so the proxy sends the browser's later requests
  // (its WebSocket, probes, grid data, uploads) to the node holding its
  // session; empty: no such cookie.
  std::string NodeName() const { return FNodeName; }
  void SetNodeName(const std::string& AValue);
  // The addresses of the proxies in front of the server (nginx), separated
  // by commas. A request from one of them names its browser's address in
  // its X-Real-IP header, which then stands for the peer's (the session's
  // IP, the session log); anyone else's header is ignored.
  std::string TrustedProxies() const { return FTrustedProxies; }
  void SetTrustedProxies(const std::string& AValue);

 private:
  std::string FLang;
  bool FLoading = true;
  std::string FPathCSS = "css";
  std::string FPathJS = "js";
  std::string FRootDirectory = "wwwroot/";
  bool FIncludeSweetAlert2 = true;
  bool FIncludeJQuery = false;
  bool FIncludeJQGrid = true;
  bool FIncludeStyle = true;
  bool FForceCloseExpired = false;
  bool FDataSetLog = false;
  bool FUseSSL = false;
  bool FUseINIConfig = true;
  TFormatSettings FFormatSettings;
  TFormatSettings FDataBaseFormatSettings;
  bool FValidateAllControls = false;
  uint64_t FMaxContentLength = 64 * 1024 * 1024;
  int FMaxConnections = 2000;
  bool FLogMessageText = false;
  int FMaxSessions = 1000;
  int FAbandonedSessionTimeout = 180;
  int64_t FSessionExpireSeconds = 216000;
  std::string FBindAddress;
  std::string FTempDirectory;
  std::string FNodeName;
  std::string FTrustedProxies;
};

// Whether a text can name a node (see TOrvaneOptions::NodeName).
bool ValidNodeName(const std::string& AName);
// The addresses of a comma-separated list (blanks around them dropped).
// Throws EOrvaneError naming the first one that is no IPv4 or IPv6 address.
std::vector<std::string> ParseAddressList(const std::string& AList);

// "Config.ini" (next to the executable unless another file is set), section
// "Vexlo Server Config".
class TOrvaneINIConfig {
 public:
  TOrvaneINIConfig();
  ~TOrvaneINIConfig();

  std::string FileName() const { return FFileName; }
  void SetFileName(const std::string& AFileName);

  // Re-reads the file and returns it.
  CSimpleIniA& FileINIConfig();
  int ServerPort(int ADefaultPort);
  std::string ServerName(const std::string& ADefaultServerName);
  std::string ServerDescription(const std::string& ADefaultServerDescription);
  // Writes the three identity keys (throws when the file cannot be written).
  void WriteServerIdentity(int APort, const std::string& AName, const std::string& ADescription);

 private:
  std::string FFileName;
  CSimpleIniA FIni;
};

using TSessionMap = std::map<std::string, std::shared_ptr<IOrvaneSession>>;

class IOrvaneBaseClass {
 public:
  virtual ~IOrvaneBaseClass() = default;
  virtual int GetServerPort() const = 0;
  virtual void SetServerPort(int APort) = 0;
  // The session table; hold CriticalSession while using it.
  virtual TSessionMap& GetSessions() = 0;
  virtual bool SessionValid(const std::string& AUUID) = 0;
  virtual bool SessionValid(const std::string& AToken, const std::string& AUUID) = 0;
  virtual std::shared_ptr<IOrvaneSession> SessionByUUID(const std::string& AUUID) = 0;
  virtual std::shared_ptr<IOrvaneSession> SessionByThreadID(std::thread::id FThreadID) = 0;
  virtual std::shared_ptr<IOrvaneSession> SessionByThreadID(std::thread::id FThreadID,
                                                            bool AAlertErrorThreadID) = 0;
  virtual TOrvaneOptions& GetOptions() = 0;
  virtual TOrvaneINIConfig& INIConfig() = 0;
  virtual void InstancePrimaryForm(const std::shared_ptr<IOrvaneSession>& AOrvaneSession) = 0;
  virtual bool Started() const = 0;
  virtual void StartServer() = 0;
  virtual void StopServer() = 0;

  // The starter's server controller, or null.
  virtual std::shared_ptr<IVexloServerControllerBase> ServerController() const = 0;
  // Adds or removes a session of the table (under CriticalSession).
  virtual void AddSession(const std::shared_ptr<IOrvaneSession>& ASession) = 0;
  virtual void RemoveSession(const std::string& AUUID) = 0;
  // The number of sessions in the table (read without waiting for a lock).
  virtual size_t SessionCount() = 0;
  // Reserves a place for a session the calling thread is about to make
  // (false when the sessions and the places reserved reach MaxSessions).
  // Adding a session from that thread takes the place; ReleaseNewSession
  // gives back one that was not taken.
  virtual bool ReserveNewSession() { return true; }
  virtual void ReleaseNewSession() {}
};

using TOnNewSession =
    std::function<void(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                       const std::shared_ptr<IOrvaneSession>& ASession)>;
using TOnCloseSession = std::function<void(const std::shared_ptr<IOrvaneSession>& ASession)>;

class TOrvaneBaseClass : public core::TComponent, public IOrvaneBaseClass {
 public:
  explicit TOrvaneBaseClass(core::TComponent* AOwner = nullptr);
  // Stops the server and frees the engine. (The process is not ended here;
  // the starter ends it after the root is gone.)
  ~TOrvaneBaseClass() override;

  int GetServerPort() const override;
  void SetServerPort(int APort) override;
  TSessionMap& GetSessions() override { return FSessions; }
  bool SessionValid(const std::string& AUUID) override;
  bool SessionValid(const std::string& AToken, const std::string& AUUID) override;
  std::shared_ptr<IOrvaneSession> SessionByUUID(const std::string& AUUID) override;
  std::shared_ptr<IOrvaneSession> SessionByThreadID(std::thread::id FThreadID) override;
  std::shared_ptr<IOrvaneSession> SessionByThreadID(std::thread::id FThreadID,
                                                    bool AAlertErrorThreadID) override;
  TOrvaneOptions& GetOptions() override { return FOrvaneOptions; }
  TOrvaneINIConfig& INIConfig() override { return FINIConfig; }
  // Asks the server controller for the session's primary form.
  void InstancePrimaryForm(const std::shared_ptr<IOrvaneSession>& AOrvaneSession) override;
  bool Started() const override;
  // Writes the INI identity, sets up TLS, starts listening and prepares the
  // folders (the temporary session folders are emptied). Does nothing while
  // the server is running.
  void StartServer() override;
  void StopServer() override;
  std::shared_ptr<IVexloServerControllerBase> ServerController() const override;
  void SetServerController(std::shared_ptr<IVexloServerControllerBase> AController);
  void AddSession(const std::shared_ptr<IOrvaneSession>& ASession) override;
  void RemoveSession(const std::string& AUUID) override;
  size_t SessionCount() override;
  bool ReserveNewSession() override;
  void ReleaseNewSession() override;

  // The TLS options of the server's handler (created when needed).
  net::TSSLOptions& SSLOptions();
  TOrvaneServerTCP& OrvaneServerTCP() { return *FOrvaneServerTCP; }

  virtual void DoNewSession(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                            const std::shared_ptr<IOrvaneSession>& ASession);
  virtual void DoCloseSession(const std::shared_ptr<IOrvaneSession>& ASession);

  TOnNewSession OnNewSession;
  TOnCloseSession OnCloseSession;

  // The page producer's handlers the server's six events are wired to.
  TOnGetHTML GetHTML;
  TOnReceiveMessage ReceiveMessage;
  TOnGetFile GetFile;
  TOnFinishedGetHTML FinishedGetHTML;
  TOnRESTData RESTData;
  TOnDownloadData DownloadData;

  // Guards session creation and the session table.
  std::recursive_mutex CriticalSession;

  // Closes the session on a thread of its own, soon: a handler running on
  // one of the session's threads (a page's "Sair") cannot close it itself,
  // since closing waits for those threads.
  void CloseSessionLater(const std::string& AUUID);

 private:
  std::unique_ptr<TOrvaneServerTCP> FOrvaneServerTCP;
  TSessionMap FSessions;
  std::atomic<size_t> FSessionCount{0};  // FSessions.size(), changed under CriticalSession
  size_t FReservedSessions = 0;          // under CriticalSession
  TOrvaneINIConfig FINIConfig;
  TOrvaneOptions FOrvaneOptions;
  std::shared_ptr<IVexloServerControllerBase> FServerController;
  // While the server runs, closes the sessions left without a page.
  void StartSessionKeeper();
  void StopSessionKeeper();

  // Joins the closers of CloseSessionLater (all of them, or the finished).
  void JoinSessionClosers(bool AAll);
  struct TSessionCloser {
    std::thread Thread;
    std::shared_ptr<std::atomic<bool>> Done;
  };
  std::mutex FClosersLock;
  std::vector<TSessionCloser> FClosers;

  std::mutex FStartLock;  // serialises StartServer and StopServer
  std::thread FSessionKeeper;
  std::mutex FKeeperLock;
  std::condition_variable FKeeperWake;
  bool FKeeperStop = false;
  mutable std::mutex FLock;  // guards the port and the controller
  int FServerPort = 8888;
};

// The engine root of the process (null before one is created).
TOrvaneBaseClass* OrvaneBaseClass();
extern std::atomic<TOrvaneBaseClass*> OrvaneBaseClassInstance;

// The id of the process's main thread.
std::thread::id MainThreadID();

}  // namespace orvane
