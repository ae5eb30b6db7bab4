// The page head: the engine's head templates with their tags filled in for
// one session and page, the includes of the browser libraries, the script
// that wires the controls' browser events, and the body block (the
// connection-lost overlay).
#pragma once

#include <string>

#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Server.HTTP.Commom.h"

namespace orvane {

class TOrvaneBaseClass;

class TOrvaneServerHTMLHeaders {
 public:
  explicit TOrvaneServerHTMLHeaders(TOrvaneBaseClass* ARoot) : FRoot(ARoot) {}

  // The whole head block for the session's active page: each part below
  // followed by CRLF, in this order, then the form's own head text and the
  // page-unload template.
  std::string HeadBlock(const TOrvaneHTTPRequest& ARequest, IOrvaneSession& ASession,
                        IOrvaneForm& AForm);
  // The body block: the connection-lost overlay (three lines).
  std::string AddError500() const;

  std::string AddVariables(IOrvaneForm& AForm) const;
  std::string AddHeadsIncludes() const;
  std::string AddJSOrvaneWS() const;
  std::string AddOnLoad(const TOrvaneHTTPRequest& ARequest, IOrvaneSession& ASession) const;
  std::string AddOrvaneMethods(IOrvaneForm& AForm) const;
  std::string AddControlEvents(IOrvaneSession& ASession, IOrvaneForm& AForm) const;
  std::string AddAfterPageLoad(IOrvaneSession& ASession, IOrvaneForm& AForm) const;
  std::string AddPageUnload(IOrvaneSession& ASession, IOrvaneForm& AForm) const;

  // The text as the content of a double-quoted script string: JSON-escaped,
  // with "<", ">" and "&" written as \u escapes, so that no value can end
  // the script element it stands in.
  static std::string ScriptStringContent(const std::string& AText);
  // The same with the double quotes around it.
  static std::string ScriptString(const std::string& AText);

 private:
  TOrvaneBaseClass* FRoot;
};

}  // namespace orvane
