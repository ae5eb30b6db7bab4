// The message dispatch: a browser message names its session, token, web form,
// control and event; the dispatcher checks them, writes the browser's
// component states into the form's controls, runs the event (or callback) on
// a session thread and releases the browser's loading overlay afterwards.
// Messages that do not check out are dropped without an answer.
#pragma once

#include <memory>
#include <string>

#include "orvane/server/Orvane.Events.h"
#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Server.HTTP.Commom.h"

namespace orvane {

class IOrvaneBaseClass;
class TOrvaneBaseClass;

class TOrvaneServerFunctions {
 public:
  // ARoot: the session registry the messages are checked against.
  explicit TOrvaneServerFunctions(IOrvaneBaseClass* ARoot) : FRoot(ARoot) {}

  // The server's message handler: dispatches a parsed message by its type
  // and name. A message without a parameter its operation reads throws
  // EOrvaneProtocolError (the server then closes the connection).
  void ReceiveMessage(const TOrvaneWebSocketMessage& AMessage, TOrvaneWebSocketContext& AContext,
                      std::string& AAnswer);
  // The download route's handler: names the file of a download key of a
  // valid session in the response.
  void DownloadData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                    TOrvaneWebSocketContext& AContext);
  // The grid data route's handler: the rows of a data grid (the load event)
  // or the application of an edited row (the post event), for a form of a
  // valid session, inside the session's forms guard. An edited row answers
  // {"status", "errormessage", "rowid"}; a refused or failed one with the
  // status "error" and HTTP 404. Anything that does not check out leaves
  // the response empty.
  void RESTData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                TOrvaneWebSocketContext& AContext);
  // Wires the engine root's message and download events to this dispatcher.
  void Attach(TOrvaneBaseClass& ARoot);

  void ExecEvent(const std::string& UUID, const std::string& Token, const std::string& FormUUID,
                 const std::string& ID, const std::string& EventID, const std::string& Parameters,
                 bool LockClient);
  std::string GetFromEvent(const std::string& UUID, const std::string& Token,
                           const std::string& FormUUID, const std::string& ID,
                           const std::string& EventID, const std::string& Parameters,
                           bool LockClient);
  // Returns "ERROR" unless the message checked out; the result never goes to
  // the browser.
  std::string CallBack(const std::string& UUID, const std::string& Token,
                       const std::string& FormUUID, const std::string& CallBackID,
                       const std::string& Parameters, bool LockClient);
  std::string ProcessEvent(TEventProcType AEventProc, const std::string& UUID,
                           const std::string& Token, const std::string& FormUUID,
                           const std::string& ID, const std::string& EventID,
                           const std::string& Parameters, bool LockClient);
  // "a=1&b=2" to the items a=1 and b=2, after dropping one leading quote, or
  // two leading quotes. A value that starts a JSON array or object runs to
  // its closing bracket, so an "&" inside its strings does not split it.
  // In each value %25 and %26 become "%" and "&" again (the page encodes
  // them so; its component-state JSON holds neither character raw).
  static TStringList ProcessParameters(const std::string& Parameters);
  // Hides the browser's loading overlay.
  static void UnLockClient(const std::shared_ptr<IOrvaneSession>& ASession);

 private:
  // The session when UUID and Token check out, else null.
  std::shared_ptr<IOrvaneSession> CheckedSession(const std::string& UUID, const std::string& Token);
  void ApplyComponentStates(IOrvaneForm& AForm, const std::string& AStates);
  void FormEvent(const std::shared_ptr<IOrvaneSession>& ASession, IOrvaneForm& AForm,
                 const std::string& EventID, const TStringList& AParameters, bool LockClient);

  IOrvaneBaseClass* FRoot;
};

}  // namespace orvane
