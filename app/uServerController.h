// The web starter: `tamblo --web [--port N] [--log-messages]` creates the
// engine root with the Tamblo server controller, sets the options and serves
// the web root (wwwroot/ under the working directory) until the process is
// asked to stop.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "orvane/server/Orvane.Interfaces.h"

namespace orvane {
class TOrvaneBaseClass;
}

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
  // makes its page the session's active one. Runs on a session thread.
  void InstancePrimaryForm(const std::shared_ptr<orvane::IOrvaneSession>& ASession) override;

  // Keeps the session log dataset CDSLog (one row per session, updated on
  // every notice) while on; the starter turns it on with DataSetLog.
  void KeepSessionLog(bool AKeep);
  std::shared_ptr<db::TMemDataSet> SessionLog();

 private:
  std::mutex FLogLock;
  std::shared_ptr<db::TMemDataSet> FCDSLog;
};

struct TWebOptions {
  int Port = 8888;
  // --log-messages: the whole text of each received message goes to
  // standard error (tokens and typed passwords included).
  bool LogMessageText = false;
};

// The options every page needs: the web root, the script and style folders,
// and jQuery (the loading overlay, grids and popups use it).
void ConfigureWebEngine(orvane::TOrvaneBaseClass& AEngine);

// Reads "--port N" (1 to 65535) and "--log-messages". Throws
// std::invalid_argument with a message for the user for anything else.
TWebOptions ParseWebArguments(const std::vector<std::string>& AArgs);

// Makes every new web session own a form instance registry (its forms and
// data modules are created into it, with the session as their owner) and
// take its language from the bridge manager. Installed by RunWebServer.
void InstallSessionHooks();

// Starts the engine and serves until SIGINT or SIGTERM; returns the exit code.
int RunWebServer(const std::vector<std::string>& AArgs);

}  // namespace app
