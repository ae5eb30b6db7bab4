// Request heads, messages, MIME types, frames and multipart bodies, parsed
// without a network.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "orvane/server/Orvane.Server.Multipart.h"
#include "orvane/server/Orvane.Server.TCP.h"
#include "orvane/server/Orvane.Server.WebSocket.h"
#include "tests/orvane/server/OrvaneTestSupport.h"

using namespace orvane;

namespace {
TOrvaneHTTPHeader Parse(const std::string& AHead) {
  TOrvaneHTTPHeader h;
  h.ParseHeaders(AHead);
  return h;
}
}  // namespace

TEST(HTTPHeader, RequestLineMethodPathProtocolAndQuery) {
  struct Case {
    std::string Line;
    TWebMethod Method;
    std::string Path, Protocol;
  } cases[] = {
      {"GET /a/b.css?x=1&y=2 HTTP/1.1", TWebMethod::wmtGET, "/a/b.css?x=1&y=2", "http"},
      {"POST /vexlo/upload?token=T HTTP/1.0", TWebMethod::wmtPOST, "/vexlo/upload?token=T", "http"},
      {"HEAD /reconnect?token=T&&orvanesession=U http/1.1", TWebMethod::wmtHEAD,
       "/reconnect?token=T&&orvanesession=U", "http"},
      {"GET / HTTPS/1.1", TWebMethod::wmtGET, "/", "https"},
  };
  for (const Case& c : cases) {
    TOrvaneHTTPHeader h = Parse(c.Line + "\r\nHost: x:1\r\n");
    EXPECT_TRUE(h.RequestLineFound) << c.Line;
    EXPECT_EQ(h.WebMethod, c.Method) << c.Line;
    EXPECT_EQ(h.Path, c.Path) << c.Line;
    EXPECT_EQ(h.Protocol, c.Protocol) << c.Line;
  }
  TOrvaneHTTPHeader h = Parse("GET /p?token=abc&orvanesession=U1&&FormUUID=F HTTP/1.1\r\n");
  EXPECT_EQ(ValueOf(h.QueryParams, "token"), "abc");
  EXPECT_EQ(ValueOf(h.QueryParams, "ORVANESESSION"), "U1");
  EXPECT_EQ(ValueOf(h.QueryParams, "formuuid"), "F");
  EXPECT_EQ(h.PathWithoutParams(), "/p");
  EXPECT_EQ(h.RawHeaders.size(), 1u);
}

TEST(HTTPHeader, NoRequestLineAndOnlyTheFirstCounts) {
  EXPECT_FALSE(Parse("PUT /x HTTP/1.1\r\nHost: a:1\r\n").RequestLineFound);
  TOrvaneHTTPHeader h = Parse("GET /first HTTP/1.1\r\nX:POST /vexlo/upload HTTP/1.1\r\n");
  EXPECT_EQ(h.Path, "/first");
  EXPECT_EQ(h.WebMethod, TWebMethod::wmtGET);
}

TEST(HTTPHeader, HeaderNamesInAnyCase) {
  TOrvaneHTTPHeader h = Parse(
      "GET /websocket/connectionparams HTTP/1.1\r\nSEC-WEBSOCKET-KEY: k==\r\nupgrade: WebSocket\r\n"
      "CONNECTION: Upgrade\r\nuser-agent: Navegador/1.0\r\nORIGIN: http://o\r\n"
      "Accept-encoding: gzip\r\naccept-LANGUAGE: pt-BR\r\nPragma: no-cache\r\n"
      "cache-control: no-store\r\ncontent-length: 12\r\n");
  EXPECT_EQ(h.SecWebSocketKey, "k==");
  EXPECT_EQ(h.Upgrade, "WebSocket");
  EXPECT_EQ(h.Connection, "Upgrade");
  EXPECT_EQ(h.UserAgent, "Navegador/1.0");
  EXPECT_EQ(h.Origin, "http://o");
  EXPECT_EQ(h.AcceptEncoding, "gzip");
  EXPECT_EQ(h.AcceptLanguage, "pt-BR");
  EXPECT_EQ(h.Pragma, "no-cache");
  EXPECT_EQ(h.CacheControl, "no-store");
  EXPECT_EQ(h.ContentLength, "12");
  // A value is cut at a further ": ".
  EXPECT_EQ(Parse("GET / HTTP/1.1\r\nOrigin: a: b\r\n").Origin, "a");
}

TEST(HTTPHeader, HostRules) {
  struct Case {
    std::string Value, Host;
    int Port;
  } cases[] = {
      {"localhost:8888", "localhost", 8888},
      {"localhost", "", 0},  // no ":" leaves both empty
      {"exemplo.gov.br:abc", "exemplo.gov.br", 0},
      {"127.0.0.1:99999", "127.0.0.1", 0},
  };
  for (const Case& c : cases) {
    TOrvaneHTTPHeader h = Parse("GET / HTTP/1.1\r\nHost: " + c.Value + "\r\n");
    EXPECT_EQ(h.Host, c.Host) << c.Value;
    EXPECT_EQ(h.ServerPort, c.Port) << c.Value;
  }
  TOrvaneHTTPHeader h = Parse("GET /p?q=1 HTTP/1.1\r\nHost: srv:8080\r\n");
  EXPECT_EQ(h.URL(), "http://srv:8080/p");
  EXPECT_EQ(h.FullURL(), "http://srv:8080/p?q=1");
}

TEST(HTTPHeader, CookiesMatchNamesExactly) {
  TOrvaneHTTPHeader h = Parse(
      "GET / HTTP/1.1\r\nCookie: vexlo_token=minusculo; Vexlo_OrvaneSession = U1 ;"
      " Vexlo_ReloadPage=TRUE; outro=1\r\n");
  EXPECT_EQ(h.Token, "");  // lower-case name ignored
  EXPECT_EQ(h.OrvaneSession, "U1");
  EXPECT_TRUE(h.ReloadPage);
  TOrvaneHTTPHeader h2 =
      Parse("GET / HTTP/1.1\r\nCookie: Vexlo_Token=T9; Vexlo_ReloadPage=sim\r\n");
  EXPECT_EQ(h2.Token, "T9");
  EXPECT_FALSE(h2.ReloadPage);
}

TEST(HTTPHeader, ContentTypeBoundaryAndReferer) {
  TOrvaneHTTPHeader h = Parse(
      "POST /vexlo/upload HTTP/1.1\r\nContent-Type: multipart/form-data; "
      "boundary=----WebKitFormBoundaryAbc\r\nReferer: http://h:1/pagina?a=1&b=2\r\n");
  EXPECT_EQ(h.ContentType, "multipart/form-data");
  EXPECT_EQ(h.Boundary, "----WebKitFormBoundaryAbc");
  EXPECT_EQ(h.Referer, "http://h:1/pagina?a=1&b=2");
  ASSERT_EQ(h.RefererQueryParams.size(), 2u);
  EXPECT_EQ(h.RefererQueryParams[1], "b=2");
  EXPECT_EQ(
      Parse("GET / HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=\"q r\"\r\n").Boundary,
      "q r");
}

TEST(WebSocketMessage, EnvelopeParsing) {
  TOrvaneWebSocketMessage m =
      FormatReceivedMesssage(R"({"type":"PROCEDURE","name":"execevent","wait":"True","parameters":)"
                             R"([{"UUID":"U"},{"Token":"T"},{"LockClient":true},{"N":12.5}]})");
  EXPECT_TRUE(m.IsFormatted);
  EXPECT_EQ(m.MessageType, TWebSocketMessageType::wsMsgProcedure);
  EXPECT_EQ(m.Name, "execevent");
  EXPECT_TRUE(m.Wait);
  EXPECT_EQ(m.Parameters.at("UUID"), "U");
  EXPECT_EQ(m.Parameters.at("LockClient"), "true");
  EXPECT_EQ(m.Parameters.at("N"), "12.5");
  // The first pair of each parameter object, in document order.
  m = FormatReceivedMesssage(
      R"({"type":"function","name":"x","wait":false,"parameters":[{"z":"1","a":"2"}]})");
  EXPECT_EQ(m.MessageType, TWebSocketMessageType::wsMsgFunction);
  EXPECT_EQ(m.Parameters.size(), 1u);
  EXPECT_EQ(m.Parameters.at("z"), "1");
  EXPECT_FALSE(m.Wait);

  EXPECT_FALSE(FormatReceivedMesssage("isto não é JSON").IsFormatted);
  EXPECT_FALSE(FormatReceivedMesssage("   ").IsFormatted);
  for (const char* bad :
       {R"({"type":"text","wait":true})", R"({"name":"a","wait":true})",
        R"({"type":"text","name":"a","wait":true,"parameters":{}})",
        R"({"type":"text","name":"a","wait":true,"parameters":[{}]})",
        R"({"type":"text","name":"a","wait":true,"parameters":[1]})",
        R"({"type":"text","name":"a","wait":true,"parameters":[{"a":1},{"a":2}]})", R"([1,2])"})
    EXPECT_THROW(FormatReceivedMesssage(bad), EOrvaneProtocolError) << bad;
}

TEST(WebSocketMessage, NestingIsBoundedWhereverItHides) {
  auto nest = [](int ADepth, char AOpen, char AClose) {
    std::string s;
    for (int i = 0; i < ADepth; ++i) s += AOpen == '{' ? std::string("{\"a\":") : "[";
    return s + "1" + std::string(static_cast<size_t>(ADepth), AClose);
  };
  EXPECT_TRUE(JSONDepthWithin(nest(64, '[', ']')));
  EXPECT_FALSE(JSONDepthWithin(nest(65, '[', ']')));
  EXPECT_FALSE(JSONDepthWithin(nest(65, '{', '}')));
  EXPECT_TRUE(JSONDepthWithin(nest(64, '{', '}')));
  EXPECT_FALSE(JSONDepthWithin(std::string(100000, '{')));
  // Brackets inside strings, escaped quotes included, do not count.
  EXPECT_TRUE(JSONDepthWithin("[\"" + std::string(500, '[') + "\\\"" + "\"]"));
  EXPECT_TRUE(JSONDepthWithin("a=[&b=]]]]&c=[1]"));
  const std::string deep = nest(3000, '[', ']');
  for (const std::string member : {"type", "name", "wait", "parameters"}) {
    nlohmann::json base = {{"type", "procedure"},
                           {"name", "ExecEvent"},
                           {"wait", false},
                           {"parameters", nlohmann::json::array()}};
    std::string text = base.dump();
    std::string key = "\"" + member + "\":";
    size_t at = text.find(key) + key.size();
    size_t end = text.find_first_of(",}", at);
    if (member == "parameters") end = text.find(']', at) + 1;
    text.replace(at, end - at, deep);
    EXPECT_THROW(FormatReceivedMesssage(text), EOrvaneProtocolError) << member;
  }
  EXPECT_THROW(FormatReceivedMesssage(R"({"type":"x","name":"n","wait":1,"parameters":[{"P":)" +
                                      deep + "}]}"),
               EOrvaneProtocolError);
  EXPECT_FALSE(IsJSONValid(nest(65, '[', ']')));
  EXPECT_TRUE(IsJSONValid(nest(64, '[', ']')));
  EXPECT_TRUE(ParseNetworkJSON(nest(100, '[', ']')).is_discarded());
  EXPECT_TRUE(ParseNetworkJSON(nest(64, '[', ']')).is_array());
}

TEST(MimeTypes, TableAndCaseSensitiveExtensions) {
  TOrvaneServerFileExtensions m;
  EXPECT_EQ(m.Count(), 26u);
  EXPECT_EQ(m.GetMimeType("a/b/foto.png"), "image/png");
  EXPECT_EQ(m.GetMimeType("FOTO.PNG"), "application/octet-stream");
  EXPECT_EQ(m.GetMimeType("leia.txt"), "text/html");
  EXPECT_EQ(m.GetMimeType("x.woff2"), "application/font-woff2");
  EXPECT_EQ(m.GetMimeType("sem-extensao"), "application/octet-stream");
  EXPECT_EQ(m.GetMimeType("pasta.d/arquivo"), "application/octet-stream");
  m.Add("png", "image/x-outro");
  EXPECT_EQ(m.GetMimeType("a.png"), "image/png");
  m.Add("json", "application/json");
  EXPECT_EQ(m.GetMimeType("a.json"), "application/json");
}

TEST(WebSocketFrames, AcceptKeyFromTheProtocolExample) {
  EXPECT_EQ(WebSocketAcceptKey("dGhlIHNhbXBsZSBub25jZQ=="), "s3pPLMBiTxaQ9kYGzzhZRbK+xOo=");
}

TEST(WebSocketFrames, FourLengthForms) {
  struct Case {
    size_t Length;
    uint8_t LengthByte;
    size_t HeadSize;
  } cases[] = {{0, 0, 2}, {125, 125, 2}, {126, 126, 4}, {65535, 126, 4}, {65536, 127, 10}};
  for (const Case& c : cases) {
    std::string f = EncodeWebSocketFrame(std::string(c.Length, 'x'));
    EXPECT_EQ(static_cast<uint8_t>(f[0]), 0x81);
    EXPECT_EQ(static_cast<uint8_t>(f[1]), c.LengthByte) << c.Length;
    EXPECT_EQ(f.size(), c.HeadSize + c.Length);
  }
  std::string f = EncodeWebSocketFrame(std::string(65536, 'x'));
  EXPECT_EQ(f.substr(2, 8), std::string("\0\0\0\0\0\1\0\0", 8));
}

namespace {
TWebSocketFrame Decode(const std::string& ABytes, uint64_t AMax = 1 << 20) {
  size_t pos = 0;
  return ReadWebSocketFrame(
      [&](char* b, size_t n) {
        if (pos + n > ABytes.size()) throw std::runtime_error("fim");
        std::copy(ABytes.begin() + static_cast<long>(pos),
                  ABytes.begin() + static_cast<long>(pos + n), b);
        pos += n;
      },
      AMax);
}
}  // namespace

TEST(WebSocketFrames, ReadsMaskedFramesAndRefusesBadOnes) {
  for (size_t len : {0u, 1u, 125u, 126u, 65535u, 65536u}) {
    std::string payload(len, 'a');
    for (size_t i = 0; i < len; ++i) payload[i] = static_cast<char>('a' + i % 26);
    TWebSocketFrame f = Decode(orvanetest::ClientFrame(payload));
    EXPECT_EQ(f.FirstByte, 0x81);
    EXPECT_EQ(f.Payload, payload) << len;
  }
  // Unmasked.
  EXPECT_THROW(Decode(std::string("\x81\x01x", 3)), EWebSocketFrameError);
  // Over the limit: refused from the header alone.
  std::string big = std::string("\x81\xFF", 2) + std::string("\x00\x00\x00\x01\x00\x00\x00\x00", 8);
  try {
    Decode(big, 1024);
    FAIL();
  } catch (const EWebSocketFrameError& e) {
    EXPECT_EQ(e.CloseCode, 1009);
  }
  // A control frame longer than 125 bytes breaks the protocol.
  EXPECT_THROW(Decode(orvanetest::ClientFrame(std::string(200, 'p'), 0x89)), EWebSocketFrameError);
}

TEST(WebSocketFrames, UTF8Validation) {
  EXPECT_TRUE(IsValidUTF8("ação é ü €"));
  EXPECT_FALSE(IsValidUTF8("\xC3"));
  EXPECT_FALSE(IsValidUTF8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUTF8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUTF8("\xF4\x90\x80\x80"));  // above U+10FFFF
}

TEST(Multipart, FilesInOrderWithBinaryContent) {
  std::string b = "----B0undary";
  std::string content1 = "linha 1\r\nlinha 2\r\n--quase\r\n";
  std::string content2("\0\x01\xFF--", 5);
  std::string body =
      "--" + b + "\r\n" + "Content-Disposition: form-data; name=\"campo\"\r\n\r\nvalor\r\n" + "--" +
      b +
      "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a.pdf\"\r\n"
      "Content-Type: application/pdf\r\n\r\n" +
      content1 + "\r\n--" + b +
      "\r\nContent-Disposition: form-data; name=\"g\"; filename=\"b.bin\"\r\n\r\n" + content2 +
      "\r\n--" + b +
      "\r\nContent-Disposition: form-data; name=\"h\"; filename=\"vazio.txt\"\r\n\r\n"
      "\r\n--" +
      b + "--\r\n";
  auto files = ReadMultipartFormData(body, b);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].FileName, "a.pdf");
  EXPECT_EQ(files[0].Content, content1);
  EXPECT_EQ(files[1].FileName, "b.bin");
  EXPECT_EQ(files[1].Content, content2);
  EXPECT_EQ(files[2].FileName, "vazio.txt");
  EXPECT_EQ(files[2].Content, "");
  // A part cut short before its delimiter is dropped.
  std::string cut = body.substr(0, body.find(content2) + 2);
  EXPECT_EQ(ReadMultipartFormData(cut, b).size(), 1u);
  EXPECT_TRUE(ReadMultipartFormData(body, "").empty());
}

TEST(Multipart, UploadedNamesAreReducedOrRefused) {
  struct Case {
    std::string In, Out;
  } cases[] = {
      {"a.pdf", "a.pdf"},
      {"../../etc/passwd", "passwd"},
      {"C:\\Users\\ana\\relatorio.docx", "relatorio.docx"},
      {"/abs/olá.txt", "olá.txt"},
      {"", ""},
      {".", ""},
      {"..", ""},
      {"pasta/", ""},
      {"a/..", ""},
      {"nome\ncom-quebra", ""},
      {std::string("nul\0x", 5), ""},
      {"\xC3(", ""},
      {std::string(256, 'a'), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(SafeUploadFileName(c.In), c.Out) << c.In;
}

TEST(Multipart, SavedNamesGetASuffixAndNeverOverwrite) {
  auto dir = testnet::TempDir("tamblo-upload");
  std::string folder = (dir / "sessao").string();
  EXPECT_EQ(SaveUploadedFile(folder, "a.pdf", "1"), folder + "/a.pdf");
  EXPECT_EQ(SaveUploadedFile(folder, "a.pdf", "2"), folder + "/a1.pdf");
  EXPECT_EQ(SaveUploadedFile(folder + "/", "a.pdf", "3"), folder + "/a2.pdf");
  EXPECT_EQ(SaveUploadedFile(folder, "LEIAME", "x"), folder + "/LEIAME");
  EXPECT_EQ(SaveUploadedFile(folder, "LEIAME", "y"), folder + "/LEIAME1");
  std::ifstream in(folder + "/a1.pdf");
  std::string s;
  in >> s;
  EXPECT_EQ(s, "2");
  // A link planted under the wanted name is not followed.
  std::filesystem::create_symlink(dir / "fora.txt", folder + "/b.txt");
  EXPECT_EQ(SaveUploadedFile(folder, "b.txt", "z"), folder + "/b1.txt");
  EXPECT_FALSE(std::filesystem::exists(dir / "fora.txt"));
  std::filesystem::remove_all(dir);
}
