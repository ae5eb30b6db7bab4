#include "orvane/server/Orvane.Server.HTTP.Commom.h"

#include <charconv>
#include <nlohmann/json.hpp>

namespace orvane {

bool SameText(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(A[i]), b = static_cast<unsigned char>(B[i]);
    if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b + 32);
    if (a != b) return false;
  }
  return true;
}

std::string Trim(std::string_view AText) {
  size_t b = 0, e = AText.size();
  while (b < e && static_cast<unsigned char>(AText[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(AText[e - 1]) <= ' ') --e;
  return std::string(AText.substr(b, e - b));
}

std::string UpperCase(std::string_view AText) {
  std::string s(AText);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

TStringList SplitString(std::string_view AText, std::string_view ASeparator) {
  TStringList out;
  size_t start = 0;
  for (;;) {
    size_t p = AText.find(ASeparator, start);
    if (p == std::string_view::npos) {
      out.emplace_back(AText.substr(start));
      return out;
    }
    out.emplace_back(AText.substr(start, p - start));
    start = p + ASeparator.size();
  }
}

int64_t StrToInt64Def(std::string_view AText, int64_t ADefault) {
  std::string t = Trim(AText);
  if (t.empty()) return ADefault;
  const char* b = t.data();
  if (*b == '+') ++b;
  int64_t v = 0;
  auto [p, ec] = std::from_chars(b, t.data() + t.size(), v);
  if (ec != std::errc() || p != t.data() + t.size()) return ADefault;
  return v;
}

std::string ValueOf(const TStringList& AList, std::string_view AName) {
  for (const std::string& item : AList) {
    size_t eq = item.find('=');
    if (eq != std::string::npos && SameText(std::string_view(item).substr(0, eq), AName))
      return item.substr(eq + 1);
  }
  return "";
}

namespace {

// The query of a URI (text after the first "?", without a fragment) split at "&".
TStringList QueryItems(std::string_view AURI) {
  size_t q = AURI.find('?');
  if (q == std::string_view::npos) return {};
  std::string_view query = AURI.substr(q + 1);
  size_t hash = query.find('#');
  if (hash != std::string_view::npos) query = query.substr(0, hash);
  if (query.empty()) return {};
  return SplitString(query, "&");
}

}  // namespace

std::string TOrvaneHTTPHeader::PathWithoutParams() const {
  return Path.substr(0, Path.find('?'));
}

std::string TOrvaneHTTPHeader::URL() const {
  return Protocol + "://" + Host + ":" + std::to_string(ServerPort) + PathWithoutParams();
}

std::string TOrvaneHTTPHeader::FullURL() const {
  return Protocol + "://" + Host + ":" + std::to_string(ServerPort) + Path;
}

void TOrvaneHTTPHeader::ParseHeaders(std::string_view AHead) {
  for (const std::string& line : SplitString(AHead, "\r\n")) {
    if (line.empty()) continue;
    RawHeaders.push_back(line);
    TStringList parts = SplitString(line, ": ");
    if (parts.size() > 1) {
      std::string name = Trim(parts[0]);
      std::string value = Trim(parts[1]);
      if (SameText(name, "pragma")) {
        Pragma = value;
      } else if (SameText(name, "cache-control")) {
        CacheControl = value;
      } else if (SameText(name, "user-agent")) {
        UserAgent = value;
      } else if (SameText(name, "origin")) {
        Origin = value;
      } else if (SameText(name, "connection")) {
        Connection = value;
      } else if (SameText(name, "upgrade")) {
        Upgrade = value;
      } else if (SameText(name, "sec-websocket-key")) {
        SecWebSocketKey = value;
      } else if (SameText(name, "accept-encoding")) {
        AcceptEncoding = value;
      } else if (SameText(name, "accept-language")) {
        AcceptLanguage = value;
      } else if (SameText(name, "content-length")) {
        ContentLength = value;
      } else if (SameText(name, "referer")) {
        Referer = value;
        RefererQueryParams = QueryItems(value);
      } else if (SameText(name, "host")) {
        size_t colon = value.find(':');
        if (colon != std::string::npos) {
          Host = value.substr(0, colon);
          int64_t port = StrToInt64Def(std::string_view(value).substr(colon + 1), 0);
          ServerPort = (port >= 0 && port <= 65535) ? static_cast<int32_t>(port) : 0;
        }
      } else if (SameText(name, "content-type")) {
        ContentType = Trim(value.substr(0, value.find(';')));
        size_t b = value.find("boundary");
        if (b != std::string::npos) {
          std::string rest = Trim(value.substr(b));
          size_t eq = rest.find('=');
          rest = eq == std::string::npos ? "" : Trim(rest.substr(eq + 1));
          rest = Trim(rest.substr(0, rest.find(';')));
          // A quoted boundary is allowed by the multipart rules.
          if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
            rest = rest.substr(1, rest.size() - 2);
          Boundary = rest;
        }
      } else if (SameText(name, "cookie")) {
        for (const std::string& item : SplitString(value, ";")) {
          size_t eq = item.find('=');
          if (eq == std::string::npos) continue;
          std::string cname = Trim(item.substr(0, eq));
          std::string cvalue = Trim(item.substr(eq + 1));
          if (cname == "Vexlo_Token")
            Token = cvalue;
          else if (cname == "Vexlo_OrvaneSession")
            OrvaneSession = cvalue;
          else if (cname == "Vexlo_ReloadPage")
            ReloadPage = SameText(cvalue, "true");
        }
      }
      continue;
    }
    // Only the first request line counts: a later line cannot replace the
    // method or path of the request.
    if (RequestLineFound) continue;
    if (line.find("GET /") != std::string::npos) {
      WebMethod = TWebMethod::wmtGET;
    } else if (line.find("POST /") != std::string::npos) {
      WebMethod = TWebMethod::wmtPOST;
    } else if (line.find("HEAD /") != std::string::npos) {
      WebMethod = TWebMethod::wmtHEAD;
    } else {
      continue;
    }
    RequestLineFound = true;
    size_t start = line.find(" /");
    size_t end = start == std::string::npos ? std::string::npos : line.find(' ', start + 1);
    if (start != std::string::npos) {
      Path = line.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    }
    std::string rest = end == std::string::npos ? "" : UpperCase(line.substr(end));
    if (rest.find("HTTP/") != std::string::npos)
      Protocol = "http";
    else if (rest.find("HTTPS/") != std::string::npos)
      Protocol = "https";
    QueryParams = QueryItems(Path);
  }
}

bool JSONDepthWithin(std::string_view AText, int AMaxDepth) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < AText.size(); ++i) {
    char c = AText[i];
    if (inString) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > AMaxDepth) return false;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return true;
}

TOrvaneWebSocketMessage FormatReceivedMesssage(const std::string& AText) {
  using json = nlohmann::ordered_json;
  TOrvaneWebSocketMessage m;
  m.RawMessage = AText;
  if (Trim(AText).empty()) return m;
  if (!JSONDepthWithin(AText))
    throw EOrvaneProtocolError("Mensagem inválida: JSON aninhado além de " +
                               std::to_string(kMaxJSONDepth) + " níveis");
  json j = json::parse(AText, nullptr, false);
  if (j.is_discarded()) return m;
  m.IsFormatted = true;
  auto text = [](const json& v) -> std::string {
    if (v.is_string()) return v.get<std::string>();
    return v.dump(-1, ' ', false, json::error_handler_t::replace);
  };
  if (!j.is_object()) throw EOrvaneProtocolError("Mensagem inválida: não é um objeto JSON");
  for (const char* key : {"name", "type", "wait"})
    if (!j.contains(key))
      throw EOrvaneProtocolError(std::string("Mensagem inválida: falta \"") + key + "\"");
  m.Name = text(j["name"]);
  std::string type = text(j["type"]);
  if (SameText(type, "CallBack"))
    m.MessageType = TWebSocketMessageType::wsMsgCallBack;
  else if (SameText(type, "Procedure"))
    m.MessageType = TWebSocketMessageType::wsMsgProcedure;
  else if (SameText(type, "Function"))
    m.MessageType = TWebSocketMessageType::wsMsgFunction;
  else if (SameText(type, "Text"))
    m.MessageType = TWebSocketMessageType::wsMsgText;
  if (j.contains("parameters")) {
    const json& params = j["parameters"];
    if (!params.is_array())
      throw EOrvaneProtocolError("Mensagem inválida: \"parameters\" não é uma lista");
    for (const json& p : params) {
      if (!p.is_object() || p.empty())
        throw EOrvaneProtocolError("Mensagem inválida: parâmetro sem nome e valor");
      auto first = p.begin();
      if (!m.Parameters.emplace(first.key(), text(first.value())).second)
        throw EOrvaneProtocolError("Mensagem inválida: parâmetro repetido \"" + first.key() + "\"");
    }
  }
  m.Wait = SameText(text(j["wait"]), "true");
  return m;
}

}  // namespace orvane
