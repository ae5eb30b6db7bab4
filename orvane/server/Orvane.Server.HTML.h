// The page producer: the handlers the server's page, file, message, grid and
// download events are wired to. A page request finds or creates its session,
// has the session's active form rendered and assembles the page around it:
// the template or the generated page, the form body, popups, nested forms,
// tags, callbacks, the controls' HTML, the head block and the body block.
#pragma once

#include <memory>
#include <string>

#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Server.Functions.h"
#include "orvane/server/Orvane.Server.HTML.Headers.h"
#include "orvane/server/Orvane.Server.HTTP.Commom.h"

namespace orvane {

class TOrvaneBaseClass;

class TOrvaneServerHTML {
 public:
  // Creates the dispatcher and the head producer and wires the root's six
  // events to this producer.
  explicit TOrvaneServerHTML(TOrvaneBaseClass& ARoot);
  // Unwires the events (stop the server first).
  ~TOrvaneServerHTML();
  TOrvaneServerHTML(const TOrvaneServerHTML&) = delete;
  TOrvaneServerHTML& operator=(const TOrvaneServerHTML&) = delete;

  // The page route: reuses the session the context names (a reload) or
  // creates one with its primary form, then renders its active form and
  // puts the page into the response's Content (left empty when there is no
  // page or building it failed).
  void GetHTML(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
               TOrvaneWebSocketContext& AContext);
  // The static route's fallback: the built-in browser files by name, and a
  // local icon for favicon.ico. Other names leave every output empty.
  void GetFile(const std::string& AGetFileName, std::string& AResponseFileName,
               std::string& AResponseFileContent, std::string& AResponseRedirect,
               std::string& AMimeType);
  void ReceiveMessage(const TOrvaneWebSocketMessage& AMessage, TOrvaneWebSocketContext& AContext,
                      std::string& AAnswer);
  // The grid data route; the grid side answers it.
  void RESTData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                TOrvaneWebSocketContext& AContext);
  void DownloadData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                    TOrvaneWebSocketContext& AContext);
  void FinishedGetHTML(TOrvaneWebSocketContext& /*AContext*/) {}

  // Builds the session's page into the response's Content. Runs on a
  // session thread inside the session's forms guard.
  void LoadPageHTMLFromSession(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                               IOrvaneSession& ASession);
  // Replace the head marker with the head block and the body marker with the
  // body block.
  void ProcessHTMLHeaderIncludes(const TOrvaneHTTPRequest& ARequest, std::string& AHTMLText,
                                 IOrvaneSession& ASession);
  void ProcessHTMLBodyIncludes(const TOrvaneHTTPRequest& ARequest, std::string& AHTMLText,
                               IOrvaneSession& ASession);
  // Makes the browser load the page again from the same session.
  static void ReloadPage(IOrvaneSession& ASession);

  TOrvaneServerFunctions& ServerFunctions() { return *FOrvaneServerFunctions; }
  TOrvaneServerHTMLHeaders& Headers() { return *FHeaders; }

 private:
  // A new session bound to the request, registered, with its primary form.
  std::shared_ptr<IOrvaneSession> NewSession(TOrvaneHTTPRequest& ARequest,
                                             TOrvaneHTTPResponse& AResponse,
                                             TOrvaneWebSocketContext& AContext);
  // The text of a template file under the web root (throws when missing).
  std::string ReadTemplate(const std::string& AName) const;
  std::string TemplatePath(const std::string& AName) const;

  TOrvaneBaseClass& FRoot;
  std::unique_ptr<TOrvaneServerFunctions> FOrvaneServerFunctions;
  std::unique_ptr<TOrvaneServerHTMLHeaders> FHeaders;
};

}  // namespace orvane
