// The request, response and per-connection types shared by the server and its
// handlers, and the parsing of a request head.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "orvane/server/Orvane.Interfaces.h"
#include "platform/net/TCPServer.h"

namespace orvane {

enum class TWebMethod { wmtGET, wmtPOST, wmtHEAD };

// A list of "name=value" items; Value looks a name up ignoring case (first
// match), as the page handlers read query parameters.
using TStringList = std::vector<std::string>;
std::string ValueOf(const TStringList& AList, std::string_view AName);

// The parsed head of one request.
struct TOrvaneHTTPHeader {
  TWebMethod WebMethod = TWebMethod::wmtGET;
  std::string Protocol;
  std::string Path;  // the request target as sent, query included
  std::string Host;
  int32_t ServerPort = 0;
  std::string RemoteIP;
  int32_t RemotePort = 0;
  TStringList RawHeaders;
  TStringList QueryParams;
  TStringList RefererQueryParams;
  std::string Pragma, CacheControl, UserAgent, Origin, AcceptEncoding, AcceptLanguage, Referer;
  std::string ContentType;
  std::string ContentLength;
  std::string Content;
  bool ReloadPage = false;
  std::string Token, OrvaneSession;
  std::string Connection, Upgrade, SecWebSocketKey;
  std::string Boundary;
  // Whether a request line ("GET /", "POST /" or "HEAD /") was found.
  bool RequestLineFound = false;

  std::string PathWithoutParams() const;
  std::string URL() const;
  std::string FullURL() const;

  // Parses a head: lines separated by CRLF, the request line among them.
  void ParseHeaders(std::string_view AHead);
};

struct TOrvaneHTTPRequest {
  TOrvaneHTTPHeader Header;
};

// What a handler fills in.
struct TOrvaneHTTPResponse {
  TStringList Headers;
  std::string ContentType = "text/html";
  std::string StatusCode = "200 OK";
  std::string charset = "UTF-8";
  std::string Content;
  std::string FileName;
  bool Error = false;
  std::string ErrorMessage;
};

// The per-connection state. A push or a per-page disconnect may read and
// change it from another thread, so every field is reached under its lock.
class TOrvaneWebSocketContext : public net::TContextData {
 public:
  bool Established() const { return Get(FEstablished); }
  void SetEstablished(bool AValue) { Set(FEstablished, AValue); }
  std::string Token() const { return Get(FToken); }
  void SetToken(const std::string& AValue) { Set(FToken, AValue); }
  std::string ChannelName() const { return Get(FChannelName); }
  void SetChannelName(const std::string& AValue) { Set(FChannelName, AValue); }
  std::string OrvaneSessionUUID() const { return Get(FOrvaneSessionUUID); }
  void SetOrvaneSessionUUID(const std::string& AValue) { Set(FOrvaneSessionUUID, AValue); }
  std::shared_ptr<IOrvaneSession> OrvaneSession() const { return Get(FOrvaneSession); }
  void SetOrvaneSession(std::shared_ptr<IOrvaneSession> AValue) { Set(FOrvaneSession, AValue); }
  std::string FormUUID() const { return Get(FFormUUID); }
  void SetFormUUID(const std::string& AValue) { Set(FFormUUID, AValue); }

  // The session whose open-connection counter this connection raised; taken
  // back exactly once when the connection ends.
  void SetCountedSession(std::shared_ptr<IOrvaneSession> AValue) { Set(FCountedSession, AValue); }
  std::shared_ptr<IOrvaneSession> TakeCountedSession() {
    std::lock_guard<std::mutex> g(FLock);
    return std::exchange(FCountedSession, nullptr);
  }
  // Marks the connection as the one its page spoke on last (or opened
  // last): pushes for the page go to the marked one with the latest mark.
  void MarkHeard() { FHeard = FHeardCounter.fetch_add(1) + 1; }
  uint64_t Heard() const { return FHeard.load(); }
  // Whether the server's count of WebSocket connections includes this
  // one; taken back exactly once when the connection ends.
  void SetCountedWebSocket() { Set(FCountedWebSocket, true); }
  bool TakeCountedWebSocket() {
    std::lock_guard<std::mutex> g(FLock);
    return std::exchange(FCountedWebSocket, false);
  }

 private:
  template <class T>
  T Get(const T& AField) const {
    std::lock_guard<std::mutex> g(FLock);
    return AField;
  }
  template <class T>
  void Set(T& AField, const T& AValue) {
    std::lock_guard<std::mutex> g(FLock);
    AField = AValue;
  }

  mutable std::mutex FLock;
  bool FEstablished = false;
  std::string FToken, FChannelName, FOrvaneSessionUUID;
  std::shared_ptr<IOrvaneSession> FOrvaneSession;
  std::string FFormUUID;
  std::shared_ptr<IOrvaneSession> FCountedSession;
  bool FCountedWebSocket = false;
  std::atomic<uint64_t> FHeard{0};
  static inline std::atomic<uint64_t> FHeardCounter{0};
};

enum class TWebSocketMessageType {
  wsNone,
  wsMsgCallBack,
  wsMsgFunction,
  wsMsgProcedure,
  wsMsgText
};

// One received WebSocket text message after parsing.
struct TOrvaneWebSocketMessage {
  bool IsFormatted = false;
  std::string RawMessage;
  TWebSocketMessageType MessageType = TWebSocketMessageType::wsNone;
  std::string Name;
  std::map<std::string, std::string> Parameters;
  bool Wait = false;
};

// A message that breaks the envelope's rules (missing keys, parameters that
// are not one-pair objects, a repeated parameter name).
class EOrvaneProtocolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses a received text. Text that is not JSON gives an unformatted message;
// JSON that breaks the envelope, or nests deeper than kMaxJSONDepth, throws
// EOrvaneProtocolError.
TOrvaneWebSocketMessage FormatReceivedMesssage(const std::string& AText);

// How deep arrays and objects of JSON received from the network may nest.
// Parsed values are later copied, compared and serialised recursively; the
// bound keeps that well inside a connection thread's small stack.
constexpr int kMaxJSONDepth = 64;

// True when the arrays and objects of AText nest at most AMaxDepth deep. A
// linear scan that skips string literals; it does not check the syntax.
bool JSONDepthWithin(std::string_view AText, int AMaxDepth = kMaxJSONDepth);

// Parses JSON received from the network: a discarded value when the text is
// not JSON or nests deeper than kMaxJSONDepth.
template <class TJSON = nlohmann::json>
TJSON ParseNetworkJSON(std::string_view AText) {
  if (!JSONDepthWithin(AText)) return TJSON(TJSON::value_t::discarded);
  return TJSON::parse(AText, nullptr, false);
}

// ASCII helpers shared by the server units.
bool SameText(std::string_view A, std::string_view B);
std::string Trim(std::string_view AText);
std::string UpperCase(std::string_view AText);
// Splits at every occurrence of ASeparator (empty pieces kept).
TStringList SplitString(std::string_view AText, std::string_view ASeparator);
// The integer AText holds entirely, or ADefault.
int64_t StrToInt64Def(std::string_view AText, int64_t ADefault);

}  // namespace orvane
