// The web starter: `tamblo --web [options]` creates the engine root with the
// Tamblo server controller, sets the options (flags or environment) and
// serves the web root (wwwroot/ under the working directory by default)
// until the process is asked to stop (SIGTERM, SIGINT).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "orvane/server/Orvane.Interfaces.h"
#include "platform/core/Classes.h"

namespace orvane {
class TOrvaneBaseClass;
class TOrvaneServerHTML;
}  // namespace orvane

namespace db {
class TMemDataSet;
}

namespace app {

class TServerController : public orvane::IVexloServerControllerBase {
 public:
  std::string ServerName() const override { return "Tamblo"; }
  std::string ServerDescription() const override {
    return "Ouvidoria municipal: registro e acompanhamento das solicitações dos cidadãos";
  }
  // Writes each session notice to standard error.
  void DoSessionChange(orvane::TSessionChangeType AType,
                       const std::shared_ptr<orvane::IOrvaneSession>& ASession) override;
  // Creates the session's primary form (the bridge manager's primary form
  // class, the login form without one) through the session's registry and
  // makes its page the session's active one. The login runs modally, as on
  // the desktop: once it closes, the page "Início" follows. Runs on a
  // session thread.
  void InstancePrimaryForm(const std::shared_ptr<orvane::IOrvaneSession>& ASession) override;

  // Keeps the session log dataset CDSLog (one row per session, updated on
  // every notice) while on; the starter turns it on with DataSetLog.
  void KeepSessionLog(bool AKeep);
  std::shared_ptr<db::TMemDataSet> SessionLog();

 private:
  std::mutex FLogLock;
  std::shared_ptr<db::TMemDataSet> FCDSLog;
};

// What an administrator sets for a web node. Each option comes from its
// environment variable, and a command-line flag wins over it (UsageText
// lists them).
struct TWebOptions {
  int Port = 8888;                        // --port, TAMBLO_PORT
  std::string BindAddress;                // --bind, TAMBLO_BIND (empty: 0.0.0.0)
  std::string WebRoot = "wwwroot/";       // --web-root, TAMBLO_WEB_ROOT
  std::string TempDirectory;              // --temp-dir, TAMBLO_TEMP_DIR
  std::string IniFile;                    // --ini-file, TAMBLO_INI_FILE
  std::string NodeName;                   // --node, TAMBLO_NODE
  std::string TrustedProxies;             // --trusted-proxy, TAMBLO_TRUSTED_PROXY
  int64_t SessionExpireSeconds = 216000;  // --session-expiry, TAMBLO_SESSION_EXPIRY
  int AbandonedSessionTimeout = 180;      // --abandoned-after, TAMBLO_ABANDONED_AFTER
  int MaxSessions = 1000;                 // --max-sessions, TAMBLO_MAX_SESSIONS
  int MaxConnections = 2000;              // --max-connections, TAMBLO_MAX_CONNECTIONS
  // --log-messages: the whole text of each received message goes to
  // standard error (tokens and typed passwords included).
  bool LogMessageText = false;
};

// Reads the environment (through AGetEnv, std::getenv by default), then the
// arguments of `tamblo --web`: "--name value" or "--name=value". Throws
// std::invalid_argument with a message for the user for an unknown option or
// a bad value.
using TGetEnv = std::function<const char*(const char*)>;
TWebOptions ParseWebArguments(const std::vector<std::string>& AArgs, const TGetEnv& AGetEnv = {});

// The text of `tamblo --help`: both modes, every option with its variable.
std::string UsageText();

// The options every page needs (jQuery: the loading overlay, grids and
// popups use it), and those of AOptions.
void ConfigureWebEngine(orvane::TOrvaneBaseClass& AEngine, const TWebOptions& AOptions = {});

// One web node: the engine root with the Tamblo server controller and the
// page producer, configured from the options. Installs the bridge manager
// and the session hooks for the process while it exists (one at a time).
class TWebNode {
 public:
  explicit TWebNode(const TWebOptions& AOptions);
  ~TWebNode();
  TWebNode(const TWebNode&) = delete;
  TWebNode& operator=(const TWebNode&) = delete;

  // Starts serving and closing expired sessions once a minute. Throws with
  // a message for the user when the node cannot start.
  void Start();
  // Ends the node cleanly (SIGTERM): the health answer and new pages get 503,
  // the server stops (every connection dropped: pages start probing, and a
  // proxy sends them to another node), then every session is closed: its
  // handlers and notices run, its forms and data module go, detaching from
  // the database. Safe to call twice.
  void Stop();

  orvane::TOrvaneBaseClass& Engine() { return *FEngine; }
  std::shared_ptr<TServerController> Controller() const { return FController; }
  // The port listened on (the one picked when the option was 0).
  int Port() const;

 private:
  TWebOptions FOptions;
  std::unique_ptr<orvane::TOrvaneBaseClass> FEngine;
  std::shared_ptr<TServerController> FController;
  std::unique_ptr<orvane::TOrvaneServerHTML> FPages;
  std::thread FSweeper;
  std::mutex FSweepLock;
  std::condition_variable FSweepWake;
  bool FStopping = false;
};

// Registers the control adapters and makes every new web session own a
// form instance registry (its forms and data modules are created into it,
// with the session as their owner) and take its language from the bridge
// manager. Installed by RunWebServer.
void InstallSessionHooks();

// Starts a node and serves until SIGINT or SIGTERM, then stops it cleanly;
// returns the exit code. A new session's first page is APrimaryForm's when
// given (the login form's otherwise).
int RunWebServer(const std::vector<std::string>& AArgs,
                 core::TComponentClass APrimaryForm = nullptr);

}  // namespace app
