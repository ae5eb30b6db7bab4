// A scripted page: what a browser does with an engine page, over real
// sockets. It loads the page, reads the session, token, form and control
// event ids from it, opens the page's WebSocket and sends the messages the
// page's runtime sends (with the component states written as the runtime
// writes them), and reads the scripts the server pushes. Used by tests and
// by the click-to-page benchmark.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/orvane/server/OrvaneTestSupport.h"
#include "tests/platform/net/TestClient.h"

namespace webclient {

struct TPage {
  std::string HTML;
  std::string UUID, Token, FormUUID;
  // "click", "input", "keydown"... of a control name: its event id.
  std::map<std::string, std::map<std::string, std::string>> Events;
};

namespace detail {

// The quoted arguments of a call written as Call( 'a', 'b', ...) or with
// double quotes, starting at AFrom.
inline std::vector<std::string> Arguments(const std::string& AText, size_t AFrom, char AQuote) {
  std::vector<std::string> args;
  size_t pos = AFrom;
  for (int i = 0; i < 7; ++i) {
    size_t open = AText.find(AQuote, pos);
    if (open == std::string::npos) break;
    size_t close = AText.find(AQuote, open + 1);
    if (close == std::string::npos) break;
    args.push_back(AText.substr(open + 1, close - open - 1));
    pos = close + 1;
    // Stop at the first argument that is not quoted.
    size_t next = AText.find_first_not_of(", ", pos);
    if (next == std::string::npos || AText[next] != AQuote) break;
  }
  return args;
}

}  // namespace detail

// GETs APath (with the reload cookies of AReloadOf when given) and reads the
// page's identifiers. Throws when the answer is not a page.
inline TPage LoadPage(int APort, const std::string& APath = "/", const TPage* AReloadOf = nullptr) {
  testnet::TClient client(APort);
  std::string cookie;
  if (AReloadOf)
    cookie = "Cookie: Vexlo_Token=" + AReloadOf->Token +
             "; Vexlo_OrvaneSession=" + AReloadOf->UUID + "; Vexlo_ReloadPage=true\r\n";
  client.Send("GET " + APath + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(APort) +
              "\r\nUser-Agent: pagina-roteirizada\r\n" + cookie + "\r\n");
  std::string answer = client.ReadAll();
  if (answer.rfind("HTTP/1.1 200", 0) != 0)
    throw std::runtime_error("página não servida: " + answer.substr(0, 120));
  TPage page;
  page.HTML = answer.substr(answer.find("\r\n\r\n") + 4);
  const std::string& h = page.HTML;
  size_t at = h.find("setConnection(\"");
  if (at == std::string::npos) throw std::runtime_error("página sem setConnection");
  auto connection = detail::Arguments(h, at, '"');
  if (connection.size() < 6) throw std::runtime_error("setConnection incompleto");
  page.Token = connection[4];
  page.UUID = connection[5];
  at = h.find("\"AfterPageLoad\"");
  size_t call = at == std::string::npos ? at : h.rfind("ExecEvent(", at);
  if (call == std::string::npos) throw std::runtime_error("página sem AfterPageLoad");
  page.FormUUID = detail::Arguments(h, call, '"').at(2);
  for (size_t pos = h.find(".addEventListener(\""); pos != std::string::npos;
       pos = h.find(".addEventListener(\"", pos + 1)) {
    size_t nameStart = pos + 19;
    std::string js = h.substr(nameStart, h.find('"', nameStart) - nameStart);
    size_t exec = h.find("ExecEvent('", pos);
    size_t lineEnd = h.find('\n', pos);
    if (exec == std::string::npos || exec > lineEnd) continue;
    auto args = detail::Arguments(h, exec, '\'');
    if (args.size() >= 5) page.Events[args[3]][js] = args[4];
  }
  return page;
}

// The component states as the page's runtime writes them into the
// parameter string: JSON with every "&" and "%" as \u0026 and \u0025.
inline std::string StatesParameter(const nlohmann::json& AStates) {
  std::string text = AStates.dump(-1, ' ', false);
  std::string out;
  for (char c : text)
    out += c == '&'   ? std::string("\\u0026")
           : c == '%' ? std::string("\\u0025")
                      : std::string(1, c);
  return "OrvaneComponentsStatus=" + out;
}

// A value as the runtime's OrvaneParameterValue writes it.
inline std::string ParameterValue(const std::string& AValue) {
  std::string out;
  for (char c : AValue) out += c == '%' ? "%25" : c == '&' ? "%26" : std::string(1, c);
  return out;
}

class TPageSocket {
 public:
  TPageSocket(int APort, const TPage& APage) : FPage(APage), FClient(APort) {
    std::string head = orvanetest::UpgradeRequest(
        FClient, "/websocket/connectionparams?token=" + APage.Token +
                     "&orvanesession=" + APage.UUID + "&channelname=OrvaneCallBack");
    if (head.find(" 101 ") == std::string::npos)
      throw std::runtime_error("WebSocket recusado: " + head.substr(0, 80));
  }

  void Send(const std::string& AText) { FClient.Send(orvanetest::ClientFrame(AText)); }

  static std::string Message(const std::string& AType, const std::string& AName,
                             const std::vector<std::pair<std::string, nlohmann::json>>& AParams) {
    nlohmann::json j = {{"type", AType}, {"name", AName}, {"wait", false}};
    j["parameters"] = nlohmann::json::array();
    for (const auto& [name, value] : AParams) j["parameters"].push_back({{name, value}});
    return j.dump();
  }
  // An ExecEvent of a control (or of the form, with its FormUUID as ID).
  void ExecEvent(const std::string& AID, const std::string& AEventID,
                 const std::string& AParameters, bool ALockClient = true) {
    Send(Message("procedure", "ExecEvent",
                 {{"UUID", FPage.UUID},
                  {"Token", FPage.Token},
                  {"FormUUID", FPage.FormUUID},
                  {"ID", AID},
                  {"EventID", AEventID},
                  {"Parameters", AParameters},
                  {"LockClient", ALockClient}}));
  }
  void CallBack(const std::string& ACallBackID, const std::string& AParameters) {
    Send(Message("function", "CallBack",
                 {{"UUID", FPage.UUID},
                  {"Token", FPage.Token},
                  {"FormUUID", FPage.FormUUID},
                  {"CallBackID", ACallBackID},
                  {"Parameters", AParameters},
                  {"LockClient", false}}));
  }
  // The page's first message once its socket is open; returns when the
  // server released the page.
  void AfterPageLoad() {
    ExecEvent(FPage.FormUUID, "AfterPageLoad", "", true);
    WaitForScript("UnLockThreadClient();");
  }
  // Reads pushes until one holds AText; returns that push's scripts. Throws
  // when none comes in time.
  std::string WaitForScript(const std::string& AText, int ATimeoutMs = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ATimeoutMs);
    std::string last;
    for (;;) {
      int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      end - std::chrono::steady_clock::now())
                                      .count());
      if (left <= 0) break;
      auto frame = orvanetest::ReadServerFrame(FClient, left);
      if (!frame.Ok) break;
      auto message = nlohmann::json::parse(frame.Payload, nullptr, false);
      if (!message.is_object() || !message.contains("ExecJS")) continue;
      std::string scripts;
      for (const auto& s : message["ExecJS"]) scripts += s.get<std::string>();
      if (scripts.find(AText) != std::string::npos) return scripts;
      last += (last.empty() ? "" : " | ") + scripts.substr(0, 300);
    }
    throw std::runtime_error("nenhum script com \"" + AText + "\" chegou" +
                             (last.empty() ? std::string()
                                           : " (chegaram: " + last.substr(0, 2000) + ")"));
  }

  const TPage& Page() const { return FPage; }

 private:
  TPage FPage;
  testnet::TClient FClient;
};

// The callback id the page answers a pushed dialog with.
inline std::string DialogCallBackID(const std::string& AScript) {
  size_t at = AScript.find("OrvaneServer().CallBack(");
  if (at == std::string::npos) return "";
  auto args = detail::Arguments(AScript, at, '\'');
  return args.size() >= 4 ? args[3] : "";
}

}  // namespace webclient
