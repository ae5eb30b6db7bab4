#include "orvane/server/Orvane.Server.HTML.Headers.h"

#include <nlohmann/json.hpp>

#include "orvane/server/Orvane.Assets.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Events.h"
#include "orvane/server/Orvane.Util.h"

namespace orvane {

namespace {

const char* const kCRLF = "\r\n";

std::string Template(std::string_view AName) {
  const TOrvaneAsset* asset = FindOrvaneAsset(AName);
  return asset ? std::string(asset->Content) : std::string();
}

// A value in single quotes for a script ('js', 'css').
std::string SingleQuoted(const std::string& AText) {
  std::string out = "'";
  for (char c : AText) {
    if (c == '\'' || c == '\\') out += '\\';
    if (c == '<')
      out += "\\u003c";
    else
      out += c;
  }
  return out + "'";
}

std::string Script(const std::string& ASrc) {
  return "<script type=\"text/javascript\" src=\"" + HTMLEscape(ASrc) + "\"></script>";
}

std::string StyleSheet(const std::string& AHref) {
  return "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + HTMLEscape(AHref) + "\"/>";
}

// The tags every template of the session's page may carry.
void ReplaceSessionTags(std::string& AText, IOrvaneSession& ASession, IOrvaneForm& AForm) {
  using H = TOrvaneServerHTMLHeaders;
  ReplaceAllIgnoringCase(AText, "{{Token}}", H::ScriptStringContent(ASession.GetToken()));
  ReplaceAllIgnoringCase(AText, "{{UUID}}", H::ScriptStringContent(ASession.GetUUID()));
  ReplaceAllIgnoringCase(AText, "{{FormUUID}}", H::ScriptStringContent(AForm.GetFormUUID()));
}

}  // namespace

std::string TOrvaneServerHTMLHeaders::ScriptStringContent(const std::string& AText) {
  std::string quoted = FormatValueHTML(AText);
  std::string out;
  out.reserve(quoted.size());
  for (size_t i = 1; i + 1 < quoted.size(); ++i) {
    char c = quoted[i];
    if (c == '<')
      out += "\\u003c";
    else if (c == '>')
      out += "\\u003e";
    else if (c == '&')
      out += "\\u0026";
    else
      out += c;
  }
  return out;
}

std::string TOrvaneServerHTMLHeaders::ScriptString(const std::string& AText) {
  return "\"" + ScriptStringContent(AText) + "\"";
}

std::string TOrvaneServerHTMLHeaders::AddVariables(IOrvaneForm& AForm) const {
  std::string text = Template("Variables.js");
  const TOrvaneOptions* o = FRoot ? &FRoot->GetOptions() : nullptr;
  bool loader = false;
  if (IOrvaneVexloClass* vexlo = AForm.GetVexloClass()) loader = vexlo->GetEnableLoader();
  ReplaceFirstIgnoringCase(text, "{{pathjs}}", SingleQuoted(o ? o->PathJS() : "js"));
  ReplaceFirstIgnoringCase(text, "{{pathcss}}", SingleQuoted(o ? o->PathCSS() : "css"));
  ReplaceFirstIgnoringCase(text, "{{vexloloader}}", loader ? "true" : "false");
  return text;
}

std::string TOrvaneServerHTMLHeaders::AddHeadsIncludes() const {
  TOrvaneOptions defaults;
  const TOrvaneOptions& o = FRoot ? FRoot->GetOptions() : defaults;
  const std::string j = o.PathJS(), s = o.PathCSS();
  std::string text = Script(j + "/orvaneserver.js") + kCRLF + Script(j + "/vexloloader.js");
  if (o.IncludeJQuery()) text += kCRLF + Script(j + "/jquery-3.6.4.js");
  if (o.IncludeSweetAlert2())
    text += kCRLF + StyleSheet(s + "/sweetalert2.css") + kCRLF + Script(j + "/sweetalert2.js");
  // The grid's icons come from the icon styles served here, never from a
  // script of another host.
  if (o.IncludeJQGrid())
    text += kCRLF + StyleSheet(s + "/all.min.css") + kCRLF +
            StyleSheet(s + "/ui.jqgrid-bootstrap5.css") + kCRLF +
            Script(j + "/jquery.jqgrid.min.js");
  if (o.IncludeStyle()) text += kCRLF + StyleSheet(s + "/vexlo.css");
  return text;
}

std::string TOrvaneServerHTMLHeaders::AddJSOrvaneWS() const {
  return Template("JSOrvaneWS.js");
}

std::string TOrvaneServerHTMLHeaders::AddOnLoad(const TOrvaneHTTPRequest& ARequest,
                                                IOrvaneSession& ASession) const {
  std::string text = Template("JSSetConnection.js");
  const TOrvaneHTTPHeader& h = ARequest.Header;
  bool ssl = FRoot && FRoot->GetOptions().UseSSL();
  ReplaceFirstIgnoringCase(text, "{{protocol}}", ssl ? "wss" : "ws");
  ReplaceFirstIgnoringCase(text, "{{host}}", ScriptStringContent(h.Host));
  ReplaceFirstIgnoringCase(text, "{{Port}}", ScriptStringContent(std::to_string(h.ServerPort)));
  ReplaceFirstIgnoringCase(text, "{{urlpath}}", ScriptStringContent(h.PathWithoutParams()));
  ReplaceAllIgnoringCase(text, "{{Token}}", ScriptStringContent(ASession.GetToken()));
  ReplaceAllIgnoringCase(text, "{{UUID}}", ScriptStringContent(ASession.GetUUID()));
  ReplaceFirstIgnoringCase(text, "{{ChannelName}}", "OrvaneCallBack");
  return text;
}

std::string TOrvaneServerHTMLHeaders::AddOrvaneMethods(IOrvaneForm& AForm) const {
  std::string text = Template("JSOrvaneMethods.js");
  std::string version, name, description;
  if (IOrvaneVexloClass* vexlo = AForm.GetVexloClass()) version = vexlo->GetVersion();
  if (auto controller = FRoot ? FRoot->ServerController() : nullptr) {
    name = controller->ServerName();
    description = controller->ServerDescription();
  }
  ReplaceAllIgnoringCase(text, "{{version}}", ScriptStringContent(version));
  ReplaceAllIgnoringCase(text, "{{servername}}", ScriptStringContent(name));
  ReplaceAllIgnoringCase(text, "{{serverdescription}}", ScriptStringContent(description));
  return text;
}

std::string TOrvaneServerHTMLHeaders::AddControlEvents(IOrvaneSession& ASession,
                                                       IOrvaneForm& AForm) const {
  const std::string uuid = ScriptString(ASession.GetUUID());
  const std::string token = ScriptString(ASession.GetToken());
  const std::string form = ScriptString(AForm.GetFormUUID());
  nlohmann::json components = nlohmann::json::array();
  std::string body;
  std::string grids;
  for (IOrvaneControl* control : AForm.GetControls()) {
    if (!control) continue;
    const std::string id = UpperCase(control->GetNamePrefix());
    components.push_back({{"id", id}, {"OrvaneType", control->GetOrvaneType()}});
    const std::string var = "_EV" + id;
    body += "    if (document.getElementById(" + ScriptString(id) + ") !== null) {\r\n";
    body += "      var " + var + " = document.getElementById(" + ScriptString(id) + ");\r\n";
    auto events = control->GetEvents();
    for (int i = 0; events && i < events->Count(); ++i) {
      auto event = events->Item(i);
      if (!event || !event->GetAutoPublishedEvent()) continue;
      std::string name;
      switch (event->GetEventType()) {
        case TOrvaneEventType::EventOnClick:
          name = "click";
          break;
        case TOrvaneEventType::EventOnSelect:
        case TOrvaneEventType::EventOnChange:
          name = "input";
          break;
        case TOrvaneEventType::EventOnKeyDown:
          name = "keydown";
          break;
        default:
          break;
      }
      if (name.empty()) continue;
      bool key = event->GetEventType() == TOrvaneEventType::EventOnKeyDown;
      std::string parameters =
          key ? "\"OrvaneComponentsStatus=\" + GetComponentsStates(OrvaneComponents) + \"&\" + "
                "\"key=\" + OrvaneParameterValue(event.key)"
              : "\"OrvaneComponentsStatus=\" + GetComponentsStates(OrvaneComponents)";
      std::string call = event->EventJS(TEventProcType::ExecEventProc, parameters, !key) + ";";
      if (control->NeedCheckValidation())
        call = "if (!" + var + ".hasAttribute(\"validationgroup\") || !checkRequired(" + var +
               ".getAttribute(\"validationgroup\"))) { " + call + " }";
      body += "      " + var + ".addEventListener(\"" + name + "\", function (event) { " + call +
              " });\r\n";
    }
    body += "    }\r\n";
    if (control->IsDBGrid())
      grids += "          $(\"#" + id + "\").jqGrid(\"saveRow\", $(\"#" + id +
               "\").jqGrid(\"getGridParam\", \"selrow\"));\r\n";
  }
  std::string text = "<script type=\"text/javascript\">\r\n";
  text += "  document.addEventListener(\"DOMContentLoaded\", function () {\r\n";
  text += body;
  text +=
      "    document.querySelectorAll(\"input, select, textarea, button\").forEach("
      "function (element) {\r\n";
  text += "      element.addEventListener(\"focus\", function (event) {\r\n";
  text += "        if (focusedElement !== event.target) {\r\n";
  text += "          focusedElement = event.target;\r\n";
  text += "          OrvaneServer().ExecEvent(" + uuid + ", " + token + ", " + form + ", " + form +
          ", \"ComponentFocused\", \"OrvaneComponentsStatus=\" + "
          "GetComponentsStates(OrvaneComponents) + \"&\" + \"FocusedID=\" + "
          "OrvaneParameterValue(event.target.id), "
          "false);\r\n";
  text += grids;
  text += "        }\r\n";
  text += "      });\r\n";
  text += "    });\r\n";
  text += "  });\r\n";
  std::string json = components.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
  text += "  var OrvaneComponents = OrvaneComponents = " + json + ";\r\n";
  text += "</script>";
  return text;
}

std::string TOrvaneServerHTMLHeaders::AddAfterPageLoad(IOrvaneSession& ASession,
                                                       IOrvaneForm& AForm) const {
  std::string text = Template("JSAfterPageLoad.js");
  ReplaceSessionTags(text, ASession, AForm);
  ReplaceAllIgnoringCase(text, "{{ControlID}}", ScriptStringContent(AForm.GetFormUUID()));
  ReplaceAllIgnoringCase(text, "{{EventID}}", "AfterPageLoad");
  return text;
}

std::string TOrvaneServerHTMLHeaders::AddPageUnload(IOrvaneSession& ASession,
                                                    IOrvaneForm& AForm) const {
  std::string text = Template("JSPageUnload.js");
  ReplaceSessionTags(text, ASession, AForm);
  return text;
}

std::string TOrvaneServerHTMLHeaders::HeadBlock(const TOrvaneHTTPRequest& ARequest,
                                                IOrvaneSession& ASession, IOrvaneForm& AForm) {
  std::string text;
  for (const std::string& part :
       {AddVariables(AForm), AddHeadsIncludes(), AddJSOrvaneWS(), AddOnLoad(ARequest, ASession),
        AddOrvaneMethods(AForm), AddControlEvents(ASession, AForm),
        AddAfterPageLoad(ASession, AForm), AForm.GetHeadHTMLOrvane(),
        AddPageUnload(ASession, AForm)}) {
    text += part;
    text += kCRLF;
  }
  return text;
}

std::string TOrvaneServerHTMLHeaders::AddError500() const {
  return std::string(
             "<div id=\"overlayerror\" style=\"display: none; position: fixed; top: 0; left: 0; "
             "width: 100%; height: 100%; background: rgba(0, 0, 0, 0.7); z-index: 999999999;\">") +
         kCRLF +
         "<iframe id=\"iframeoverlayerror\" src=\"error500.html\" style=\"width: 100%; height: "
         "100%; border: none; background: white;\"></iframe>" +
         kCRLF + "</div>";
}

}  // namespace orvane
