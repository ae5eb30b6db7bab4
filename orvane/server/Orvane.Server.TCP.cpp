#include "orvane/server/Orvane.Server.TCP.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/openat2.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <utility>

#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Server.Multipart.h"
#include "orvane/server/Orvane.Server.WebSocket.h"

namespace orvane {

namespace fs = std::filesystem;

namespace {

const char* const kCRLF = "\r\n";
const std::string kFixedLines =
    "Connection: Close\r\nServer: OrvaneServer with Vexlo Framework Server\r\n";
constexpr int kWebSocketTag = 99;
// The sessions' temporary folder, relative to the web root.
const std::string kSessionsFolder = "temp/Sessions";
// Empty lines tolerated before a request line.
constexpr int kMaxLeadingEmptyLines = 4;

bool Contains(const std::string& AText, const char* APart) {
  return AText.find(APart) != std::string::npos;
}

// Decodes %XX escapes; false for a malformed escape or an encoded NUL.
bool PercentDecode(const std::string& AText, std::string& AOut) {
  AOut.clear();
  for (size_t i = 0; i < AText.size(); ++i) {
    char c = AText[i];
    if (c != '%') {
      AOut.push_back(c);
      continue;
    }
    if (i + 2 >= AText.size()) return false;
    auto hex = [](char h) -> int {
      if (h >= '0' && h <= '9') return h - '0';
      if (h >= 'a' && h <= 'f') return h - 'a' + 10;
      if (h >= 'A' && h <= 'F') return h - 'A' + 10;
      return -1;
    };
    int hi = hex(AText[i + 1]), lo = hex(AText[i + 2]);
    if (hi < 0 || lo < 0) return false;
    char d = static_cast<char>(hi * 16 + lo);
    if (d == '\0') return false;
    AOut.push_back(d);
    i += 2;
  }
  return true;
}

// Reads a body of ALength bytes in steps: memory follows what arrives, not
// what was announced.
std::string ReadBody(net::TIOHandler& AIO, uint64_t ALength) {
  constexpr size_t kStep = 64 * 1024;
  std::string body;
  while (body.size() < ALength) {
    size_t at = body.size();
    size_t n = static_cast<size_t>(std::min<uint64_t>(kStep, ALength - at));
    body.resize(at + n);
    AIO.ReadBytes(body.data() + at, n);
  }
  return body;
}

// A text from the network fit for one line of the log: control characters
// replaced, at most 60 bytes.
std::string LogSafe(std::string_view AText) {
  std::string out;
  for (char c : AText.substr(0, 60))
    out.push_back(static_cast<unsigned char>(c) < 32 || c == 127 ? '?' : c);
  if (AText.size() > 60) out += "...";
  return out;
}

std::string LogSafe(TWebSocketMessageType AType) {
  switch (AType) {
    case TWebSocketMessageType::wsMsgCallBack:
      return "CallBack";
    case TWebSocketMessageType::wsMsgFunction:
      return "Function";
    case TWebSocketMessageType::wsMsgProcedure:
      return "Procedure";
    case TWebSocketMessageType::wsMsgText:
      return "Text";
    case TWebSocketMessageType::wsNone:
      break;
  }
  return "desconhecido";
}

}  // namespace

// ---------------------------------------------------------------------------
// TOrvaneServerFileExtensions

TOrvaneServerFileExtensions::TOrvaneServerFileExtensions() {
  static const std::pair<const char*, const char*> kTypes[] = {
      {"css", "text/css"},
      {"js", "text/javascript"},
      {"png", "image/png"},
      {"txt", "text/html"},
      {"html", "text/html"},
      {"htm", "text/html"},
      {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"},
      {"jpe", "image/jpeg"},
      {"gif", "image/gif"},
      {"woff", "application/font-woff"},
      {"svgz", "image/svg+xml"},
      {"svg", "image/svg+xml"},
      {"woff2", "application/font-woff2"},
      {"pdf", "application/pdf"},
      {"bmp", "image/bmp"},
      {"tiff", "image/tiff"},
      {"tif", "image/tiff"},
      {"ico", "image/vnd.microsoft.icon"},
      {"mp3", "audio/mpeg"},
      {"wav", "audio/wav"},
      {"mp4", "video/mp4"},
      {"mjs", "application/javascript"},
      {"zip", "application/zip"},
      {"exe", "application/x-executable"},
      {"webp", "image/webp"},
  };
  for (const auto& [ext, type] : kTypes) Add(ext, type);
}

void TOrvaneServerFileExtensions::Add(const std::string& AExtension, const std::string& AMimeType) {
  FTypes.emplace(AExtension, AMimeType);
}

std::string TOrvaneServerFileExtensions::GetMimeType(const std::string& AFileName) const {
  size_t slash = AFileName.find_last_of("/\\");
  size_t dot = AFileName.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
    auto it = FTypes.find(AFileName.substr(dot + 1));
    if (it != FTypes.end()) return it->second;
  }
  return "application/octet-stream";
}

// ---------------------------------------------------------------------------
// TOrvaneServerTCP

TOrvaneServerTCP::TOrvaneServerTCP() {
  OnExecute = [this](net::TContext& c) { return InterceptExecute(c); };
}

TOrvaneServerTCP::~TOrvaneServerTCP() {
  SetActive(false);
}

std::shared_ptr<net::TServerIOHandlerSSL> TOrvaneServerTCP::OpenSSL() {
  if (!FOpenSSL) FOpenSSL = std::make_shared<net::TServerIOHandlerSSL>();
  return FOpenSSL;
}

void TOrvaneServerTCP::InitSSL(
    std::shared_ptr<net::TServerIOHandlerSSL> AIdServerIOHandlerSSLOpenSSL) {
  bool wasActive = Active();
  if (wasActive) SetActive(false);
  FOpenSSL = AIdServerIOHandlerSSLOpenSSL;
  SetIOHandler(FOpenSSL);
  if (wasActive) SetActive(true);
}

std::shared_ptr<TOrvaneWebSocketContext> TOrvaneServerTCP::ConnectionContext(
    net::TContext& AContext) {
  auto data = std::dynamic_pointer_cast<TOrvaneWebSocketContext>(AContext.Data());
  if (!data) {
    data = std::make_shared<TOrvaneWebSocketContext>();
    AContext.SetData(data);
  }
  return data;
}

namespace {

void FillFromQuery(TOrvaneWebSocketContext& AContext, const TOrvaneHTTPHeader& AHeader,
                   bool AWithFormUUID) {
  AContext.SetToken(ValueOf(AHeader.QueryParams, "token"));
  AContext.SetChannelName(ValueOf(AHeader.QueryParams, "channelname"));
  AContext.SetOrvaneSessionUUID(ValueOf(AHeader.QueryParams, "orvanesession"));
  if (AWithFormUUID) AContext.SetFormUUID(ValueOf(AHeader.QueryParams, "FormUUID"));
}

}  // namespace

std::shared_ptr<IOrvaneSession> TOrvaneServerTCP::CheckedSession(const std::string& AUUID,
                                                                 const std::string& AToken) {
  if (!OrvaneBaseClass || AUUID.empty() || AToken.empty()) return nullptr;
  if (!OrvaneBaseClass->SessionValid(AUUID)) return nullptr;
  auto session = OrvaneBaseClass->SessionByUUID(AUUID);
  if (!session || !TokenEquals(session->GetToken(), AToken)) return nullptr;
  return session;
}

void TOrvaneServerTCP::NotifyController(TSessionChangeType AType,
                                        const std::shared_ptr<IOrvaneSession>& ASession) {
  if (!OrvaneBaseClass) return;
  if (auto c = OrvaneBaseClass->ServerController()) c->DoSessionChange(AType, ASession);
}

bool TOrvaneServerTCP::DoExecute(net::TContext& AContext) {
  net::TIOHandler& io = AContext.Connection();
  if (io.Tag.load() != kWebSocketTag) {
    // The whole head must arrive within the request timeout, however slowly
    // its bytes trickle in.
    io.SetReadTimeout(RequestTimeout);
    io.SetReadDeadline(net::TIOHandler::TClock::now() +
                       std::chrono::milliseconds(RequestTimeout.load()));
    std::string first;
    try {
      for (int i = 0; first.empty(); ++i) {
        if (i > kMaxLeadingEmptyLines) return false;
        first = io.ReadLn(MaxHeaderLineLength);
      }
    } catch (const net::ELimitExceeded&) {
      return false;  // closes the connection
    }
    std::string head = first + kCRLF;
    try {
      for (;;) {
        std::string line = io.ReadLn(MaxHeaderLineLength);
        if (line.empty()) break;
        if (head.size() + line.size() + 2 > MaxHeadSize) return false;
        head += line;
        head += kCRLF;
      }
    } catch (const net::ELimitExceeded&) {
      return false;
    } catch (const net::ESocketError&) {
      // The head ends with what was read.
    }
    io.SetReadDeadline(net::TIOHandler::kNoDeadline);
    TOrvaneHTTPRequest request;
    request.Header.RemoteIP = io.PeerIP;
    request.Header.RemotePort = io.PeerPort;
    request.Header.ParseHeaders(head);
    request.Header.RemoteIP = ClientAddress(io.PeerIP, request.Header);
    TOrvaneHTTPHeader& h = request.Header;
    if (Contains(h.Path, "/rest/json/jqgrid/post")) {
      int64_t length = StrToInt64Def(h.ContentLength, 0);
      if (length > 0) {
        // Only a page of a live session may send a body, and only up to the
        // limit; anything else is closed before a byte of it is read.
        if (static_cast<uint64_t>(length) > MaxContentLength) return false;
        if (!CheckedSession(ValueOf(h.QueryParams, "orvanesession"),
                            ValueOf(h.QueryParams, "token")))
          return false;
        h.Content = ReadBody(io, static_cast<uint64_t>(length));
        if (!JSONDepthWithin(h.Content)) return false;
      }
    }
    Route(request, AContext);
    auto data = std::dynamic_pointer_cast<TOrvaneWebSocketContext>(AContext.Data());
    if (!data || !data->Established() || !io.Connected()) return false;
  }
  return net::TCustomTCPServer::DoExecute(AContext);
}

bool TOrvaneServerTCP::InterceptExecute(net::TContext& AContext) {
  net::TIOHandler& io = AContext.Connection();
  auto data = std::dynamic_pointer_cast<TOrvaneWebSocketContext>(AContext.Data());
  // Only an upgraded connection has messages to read; anything else ends.
  if (!io.Connected() || !data || !data->Established()) return false;
  uint64_t maxFrame = MaxFrameLength;
  if (data->OrvaneSession()) {
    // An open page may stay idle for as long as it is shown.
    io.SetReadTimeout(-1);
    io.SetReadDeadline(net::TIOHandler::kNoDeadline);
  } else {
    // Nothing waits on a connection without a session: it gets small frames
    // and must send one now and then.
    maxFrame = std::min<uint64_t>(maxFrame, SessionlessMaxFrameLength);
    int idle = SessionlessIdleTimeout;
    io.SetReadTimeout(idle);
    io.SetReadDeadline(net::TIOHandler::TClock::now() + std::chrono::milliseconds(idle));
  }
  TWebSocketIOHandlerHelper ws(io, maxFrame);
  std::string text = ws.ReadString();
  if (!text.empty()) {
    data->MarkHeard();
    std::string answer;
    DoReceiveMessage(text, *data, answer);
    if (!answer.empty()) ws.WriteString(answer);
  }
  io.Tag = kWebSocketTag;
  return io.Connected();
}

void TOrvaneServerTCP::DoReceiveMessage(const std::string& AText, TOrvaneWebSocketContext& AContext,
                                        std::string& AAnswer) {
  auto session = AContext.OrvaneSession();
  if (session && session->Destroying()) return;
  // A message that breaks the protocol throws and closes this connection.
  TOrvaneWebSocketMessage message;
  try {
    message = FormatReceivedMesssage(AText);
    // Activity keeps a live session alive; an expired or closed one stays so.
    if (session && OrvaneBaseClass &&
        OrvaneBaseClass->SessionValid(AContext.Token(), AContext.OrvaneSessionUUID()))
      session->RenewExpireDate();
    if (OnReceiveMessage) OnReceiveMessage(message, AContext, AAnswer);
  } catch (const EOrvaneProtocolError&) {
    LogMessage(AText, nullptr);
    throw;
  }
  LogMessage(AText, &message);
}

void TOrvaneServerTCP::LogMessage(const std::string& AText,
                                  const TOrvaneWebSocketMessage* AMessage) const {
  // Messages carry tokens, session identifiers and what people type
  // (passwords among it): by default only their shape is written.
  if (LogMessageText) {
    std::cerr << "OrvaneServer: " << (AText.size() > 2000 ? AText.substr(0, 2000) + "..." : AText)
              << std::endl;
    return;
  }
  std::string line = "OrvaneServer: mensagem de " + std::to_string(AText.size()) + " bytes";
  if (!AMessage)
    line += " recusada";
  else if (!AMessage->IsFormatted)
    line += " ignorada (não é JSON)";
  else
    line += ", tipo " + LogSafe(AMessage->MessageType) + ", operação \"" + LogSafe(AMessage->Name) +
            "\"";
  std::cerr << line << std::endl;
}

void TOrvaneServerTCP::DoGetHTML(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                                 TOrvaneWebSocketContext& AContext) {
  if (OnGetHTML) OnGetHTML(ARequest, AResponse, AContext);
}

void TOrvaneServerTCP::DoDownloadData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                                      TOrvaneWebSocketContext& AContext) {
  if (OnDownloadData) OnDownloadData(ARequest, AResponse, AContext);
}

void TOrvaneServerTCP::DoRESTData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                                  TOrvaneWebSocketContext& AContext) {
  if (OnRESTData) OnRESTData(ARequest, AResponse, AContext);
}

void TOrvaneServerTCP::DoConnect(net::TContext& AContext) {
  // Switching pass-through off starts the TLS handshake.
  if (AContext.Connection().IsTLS()) AContext.Connection().SetPassThrough(false);
}

void TOrvaneServerTCP::DoDisconnect(net::TContext& AContext) {
  try {
    auto data = std::dynamic_pointer_cast<TOrvaneWebSocketContext>(AContext.Data());
    if (data) {
      data->SetEstablished(false);
      if (data->TakeCountedWebSocket()) --FWebSockets;
      if (auto session = data->TakeCountedSession()) {
        session->DecOpenedConnections();
        NotifyController(TSessionChangeType::sctLostConnectioSession, session);
      }
    }
  } catch (...) {
  }
}

void TOrvaneServerTCP::Route(TOrvaneHTTPRequest& ARequest, net::TContext& AContext) {
  const TOrvaneHTTPHeader& h = ARequest.Header;
  if (h.WebMethod == TWebMethod::wmtHEAD && Contains(h.Path, "reconnect?token=")) {
    ReconnectProbe(ARequest, AContext);
  } else if (Contains(h.Path, "/vexlo/upload")) {
    Upload(ARequest, AContext);
  } else if (Contains(h.Path, "/vexlo/download?file=")) {
    Download(ARequest, AContext);
  } else if (Contains(h.Path, "/rest/json/jqgrid/")) {
    GridData(ARequest, AContext);
  } else if (!h.RequestLineFound) {
    // Nothing to answer.
  } else if (IsHealthRequest(h)) {
    AContext.Connection().Write(HealthAnswer(h.WebMethod == TWebMethod::wmtHEAD));
  } else if (SameText(h.Upgrade, "websocket") && !h.SecWebSocketKey.empty() &&
             (Contains(h.Path, "/websocket/connectionparams") ||
              Contains(h.Path, "/websocket/connectionresponseparams")) &&
             !ConnectionContext(AContext)->Established()) {
    Upgrade(ARequest, AContext);
  } else if (h.Path == "/" || h.Path.empty() || h.Path.rfind("/?", 0) == 0 ||
             h.Path == VirtualPath) {
    Page(ARequest, AContext);
  } else {
    StaticFile(ARequest, AContext);
  }
}

void TOrvaneServerTCP::ReconnectProbe(TOrvaneHTTPRequest& ARequest, net::TContext& AContext) {
  const TOrvaneHTTPHeader& h = ARequest.Header;
  std::string token = ValueOf(h.QueryParams, "token");
  std::string uuid = ValueOf(h.QueryParams, "orvanesession");
  bool valid = OrvaneBaseClass && !token.empty() && OrvaneBaseClass->SessionValid(token, uuid);
  std::string answer = valid ? "HTTP/1.1 202 Accepted\r\n" : "HTTP/1.1 401 Unauthorized\r\n";
  AContext.Connection().Write(answer + kFixedLines + kCRLF);
}

namespace {

// A refused upload: the reason for the page, and the status it goes with.
struct TUploadRefusal {
  std::string Status;
  std::string Message;
};

// Answers a refused upload with its reason, then ends the connection. The
// rest of the body the browser is still sending (AUnread bytes, at most
// AMaxDrain) is read and dropped for a few seconds, so that closing with
// unread input does not reset the connection before the browser has read
// the answer.
void WriteUploadAnswer(net::TIOHandler& AIO, const std::string& AStatus,
                       const std::string& AMessage, uint64_t AUnread, uint64_t AMaxDrain) {
  try {
    AIO.Write("HTTP/1.1 " + AStatus + "\r\nContent-Type: text/plain; charset=UTF-8\r\n" +
              "Content-Length: " + std::to_string(AMessage.size()) + "\r\n" + kFixedLines + kCRLF +
              AMessage);
  } catch (const net::ESocketError&) {
    // The browser went away: nobody to tell.
  }
  AIO.CloseGracefully(static_cast<size_t>(std::min(AUnread, AMaxDrain)), 5000);
}

}  // namespace

void TOrvaneServerTCP::Upload(TOrvaneHTTPRequest& ARequest, net::TContext& AContext) {
  const TOrvaneHTTPHeader& h = ARequest.Header;
  TOrvaneWebSocketContext context;
  FillFromQuery(context, h, true);
  int64_t length = StrToInt64Def(h.ContentLength, 0);
  if (h.Boundary.empty() || length <= 0) return;
  net::TIOHandler& io = AContext.Connection();
  if (static_cast<uint64_t>(length) > MaxContentLength) {
    WriteUploadAnswer(io, "413 Payload Too Large",
                      "O tamanho total dos arquivos selecionados excede o limite permitido.",
                      static_cast<uint64_t>(length), MaxContentLength);
    return;
  }
  auto session = CheckedSession(context.OrvaneSessionUUID(), context.Token());
  if (!session) return;
  context.SetOrvaneSession(session);

  // The form the files are for, and the limits of the upload its page
  // shows; a form without one takes no file.
  const std::string formUUID = context.FormUUID();
  TOrvaneUploadLimits limits;
  bool accepts = false;
  {
    TOrvaneFormsGuardScope guard(*session);
    IOrvaneForm* form = session->ActiveFormByFormUUID(formUUID);
    accepts = form && form->GetUploadLimits(limits);
  }
  if (!accepts) {
    WriteUploadAnswer(io, "403 Forbidden", "Esta página não recebe arquivos.",
                      static_cast<uint64_t>(length), MaxContentLength);
    return;
  }
  // A body far beyond the limits is refused before a byte of it is read
  // (the multipart heads of the parts take a few hundred bytes each).
  const uint64_t slack = 16 * 1024 * static_cast<uint64_t>(std::max(1, limits.MaxFiles));
  uint64_t bound = UINT64_MAX;
  if (limits.MaxUploadSize > 0) bound = limits.MaxUploadSize + slack;
  if (limits.MaxFiles > 0 && limits.MaxFileSize > 0)
    bound = std::min(bound, limits.MaxFileSize * static_cast<uint64_t>(limits.MaxFiles) + slack);
  if (static_cast<uint64_t>(length) > bound) {
    WriteUploadAnswer(io, "413 Payload Too Large",
                      "O tamanho total dos arquivos selecionados excede o limite permitido.",
                      static_cast<uint64_t>(length), MaxContentLength);
    return;
  }

  // The body is read piece by piece and each file written as it arrives;
  // the limits are checked on every piece, and reading stops at the first
  // one passed. Files of a refused or broken upload are removed.
  std::vector<std::string> saved;
  std::unique_ptr<TUploadFileWriter> writer;
  std::string current;
  int count = 0;
  uint64_t total = 0;
  TUploadRefusal refusal;
  auto refuse = [&](const std::string& AStatus, const std::string& AMessage) {
    refusal = {AStatus, AMessage};
    return false;
  };
  TMultipartReader::THandlers handlers;
  handlers.OnFileBegin = [&](const std::string& AFileName) {
    ++count;
    if (limits.MaxFiles > 0 && count > limits.MaxFiles)
      return refuse("413 Payload Too Large", "Você pode selecionar no máximo " +
                                                 std::to_string(limits.MaxFiles) + " arquivos.");
    current = SafeUploadFileName(AFileName);
    if (current.empty())
      return refuse("400 Bad Request", "O nome de um dos arquivos não pode ser usado.");
    if (!limits.AllowedFileTypes.empty()) {
      std::string type = UploadFileType(current);
      bool allowed = false;
      for (const std::string& t : limits.AllowedFileTypes) allowed = allowed || t == type;
      if (!allowed)
        return refuse("415 Unsupported Media Type",
                      "O tipo de arquivo do arquivo " + current + " não é permitido.");
    }
    try {
      writer = std::make_unique<TUploadFileWriter>(session->PathSession(), current);
    } catch (const std::exception& e) {
      return refuse("500 Internal Server Error", e.what());
    }
    return true;
  };
  handlers.OnFileData = [&](std::string_view AData) {
    total += AData.size();
    if (limits.MaxFileSize > 0 && writer->Size() + AData.size() > limits.MaxFileSize)
      return refuse("413 Payload Too Large",
                    "O arquivo " + current + " excede o tamanho máximo permitido.");
    if (limits.MaxUploadSize > 0 && total > limits.MaxUploadSize)
      return refuse("413 Payload Too Large",
                    "O tamanho total dos arquivos selecionados excede o limite permitido.");
    try {
      writer->Write(AData);
    } catch (const std::exception& e) {
      return refuse("500 Internal Server Error", e.what());
    }
    return true;
  };
  handlers.OnFileEnd = [&] {
    try {
      saved.push_back(writer->Close());
    } catch (const std::exception& e) {
      return refuse("500 Internal Server Error", e.what());
    }
    writer.reset();
    return true;
  };
  auto discard = [&] {
    writer.reset();
    for (const std::string& path : saved) ::unlink(path.c_str());
    saved.clear();
  };
  uint64_t left = static_cast<uint64_t>(length);
  try {
    TMultipartReader reader(h.Boundary, std::move(handlers));
    constexpr size_t kStep = 64 * 1024;
    std::string piece;
    while (left > 0 && !reader.Failed()) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(kStep, left));
      piece.resize(n);
      io.ReadBytes(piece.data(), n);
      left -= n;
      reader.Feed(piece);
    }
    if (reader.Failed() || !reader.Finished()) {
      discard();
      if (refusal.Status.empty())
        refusal = {"400 Bad Request", "O envio dos arquivos não foi concluído."};
      WriteUploadAnswer(io, refusal.Status, refusal.Message, left, MaxContentLength);
      return;
    }
  } catch (...) {
    discard();
    throw;
  }

  // DoUploadFile: the form's handler runs with this thread counted as the
  // session's and inside the forms guard, like every other form call; the
  // thread is forgotten again whatever happens. The files go to the form
  // they were sent for, if it is still on the page.
  bool delivered = false;
  session->ThreadAddCurrent();
  try {
    TOrvaneFormsGuardScope guard(*session);
    if (IOrvaneForm* form = session->ActiveFormByFormUUID(formUUID)) {
      delivered = true;
      form->DoUpload(saved);
    }
  } catch (...) {
    session->ThreadRemoveCurrent();
    throw;
  }
  session->ThreadRemoveCurrent();
  if (!delivered) {
    discard();
    WriteUploadAnswer(io, "409 Conflict", "A página mudou antes do envio terminar.", 0, 0);
    return;
  }
  io.Write(std::string("HTTP/1.1 200 OK\r\n") + kFixedLines + kCRLF);
}

void TOrvaneServerTCP::Download(TOrvaneHTTPRequest& ARequest, net::TContext& AContext) {
  auto context = ConnectionContext(AContext);
  FillFromQuery(*context, ARequest.Header, true);
  TOrvaneHTTPResponse response;
  DoDownloadData(ARequest, response, *context);
  if (response.FileName.empty()) return;
  net::TReply reply;
  int fd = ::open(response.FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || !FileReply(fd, response, FMimesType.GetMimeType(response.FileName), reply)) return;
  WriteReply(AContext.Connection(), reply);
}

void TOrvaneServerTCP::GridData(TOrvaneHTTPRequest& ARequest, net::TContext& AContext) {
  auto context = ConnectionContext(AContext);
  FillFromQuery(*context, ARequest.Header, true);
  TOrvaneHTTPResponse response;
  DoRESTData(ARequest, response, *context);
  if (!response.Content.empty() ||
      (Contains(ARequest.Header.Path, "/rest/json/jqgrid/post") && !response.Error)) {
    AContext.Connection().Write(
        "HTTP/1.1 " + response.StatusCode + kCRLF + "Content-Type: " + response.ContentType +
        "; charset=" + response.charset + kCRLF + kFixedLines + kCRLF + response.Content);
  }
}

bool TOrvaneServerTCP::Upgrade(TOrvaneHTTPRequest& ARequest, net::TContext& AContext) {
  const TOrvaneHTTPHeader& h = ARequest.Header;
  auto context = ConnectionContext(AContext);
  net::TIOHandler& io = AContext.Connection();
  if (context->Token().empty()) {
    FillFromQuery(*context, h, true);
    context->SetChannelName(Contains(h.Path, "/websocket/connectionparams")
                                ? "OrvaneSocketConnection"
                                : "OrvaneSocketResponse");
  }
  std::string token = context->Token();
  std::shared_ptr<IOrvaneSession> session = context->OrvaneSession();
  if (!token.empty()) {
    if (session) {
      if (!TokenEquals(session->GetToken(), token)) {
        io.Disconnect();
        return false;
      }
    } else {
      session = CheckedSession(context->OrvaneSessionUUID(), token);
      if (!session) {
        io.Disconnect();
        return false;
      }
      context->SetOrvaneSession(session);
    }
  }
  {
    // Established under the list lock, so a push walking the list sees the
    // connection either before or after, never half set up; the answer is
    // written under it too, so a push can neither come before it on the
    // wire nor be lost to a page that already has it. A fresh connection's
    // send buffer takes these few bytes at once: nobody waits on the lock.
    auto lock = LockList();
    try {
      io.Write(std::string("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n") +
               "Connection: Upgrade\r\nSec-WebSocket-Accept: " +
               WebSocketAcceptKey(h.SecWebSocketKey) + "\r\n\r\n");
    } catch (const net::ESocketError&) {
    }
    context->SetEstablished(true);
    context->MarkHeard();
  }
  ++FWebSockets;
  context->SetCountedWebSocket();
  if (session) {
    session->IncOpenedConnections();
    context->SetCountedSession(session);
    NotifyController(TSessionChangeType::sctStabilizedConnectioSession, session);
  }
  return true;
}

void TOrvaneServerTCP::Page(TOrvaneHTTPRequest& ARequest, net::TContext& AContext) {
  const TOrvaneHTTPHeader& h = ARequest.Header;
  net::TIOHandler& io = AContext.Connection();
  TOrvaneHTTPResponse response;
  TOrvaneWebSocketContext context;
  FillFromQuery(context, h, false);
  if (h.ReloadPage) {
    context.SetToken(h.Token);
    context.SetOrvaneSessionUUID(h.OrvaneSession);
  }
  // A page that does not come back to a live session makes a new one:
  // beyond the cap it gets the short "server busy" page instead.
  const bool reuses = OrvaneBaseClass && !context.Token().empty() &&
                      OrvaneBaseClass->SessionValid(context.Token(), context.OrvaneSessionUUID());
  TSessionSlot slot(OrvaneBaseClass);
  if (Draining || (!reuses && !slot.Take())) {
    io.Write(ServerBusyAnswer(Draining));
    io.CloseGracefully();
    return;
  }
  std::string head = "HTTP/1.1 " + response.StatusCode + kCRLF +
                     "Content-Type: " + response.ContentType + "; charset=" + response.charset +
                     kCRLF + kFixedLines;
  // The proxy in front of several nodes routes by this cookie: the page's
  // later requests carry it and reach the node that holds its session. It
  // names the node only; it is no credential.
  if (std::string node = NodeName(); !node.empty())
    head += "Set-Cookie: tamblo_node=" + node + "; Path=/; HttpOnly; SameSite=Lax" + kCRLF;
  if (h.ReloadPage) {
    std::string path = h.PathWithoutParams();
    for (const char* name : {"Vexlo_Token", "Vexlo_OrvaneSession", "Vexlo_ReloadPage"})
      head += std::string("Set-Cookie: ") + name +
              "=; expires=Thu, 01 Jan 1970 00:00:00 UTC; path=" + path + kCRLF;
    DisconnectWebSocketMessage(h.Token, h.OrvaneSession, false);
  }
  head += kCRLF;
  io.Write(head);
  DoGetHTML(ARequest, response, context);
  slot.Release();  // the new session, if any, is in the table now
  if (!response.Content.empty()) io.Write(response.Content);
  io.CloseGracefully();
  if (OnFinishedGetHTML) OnFinishedGetHTML(context);
}

bool TOrvaneServerTCP::TSessionSlot::Take() {
  FTaken = !FRoot || FRoot->ReserveNewSession();
  return FTaken;
}

void TOrvaneServerTCP::TSessionSlot::Release() {
  if (FTaken && FRoot) FRoot->ReleaseNewSession();
  FTaken = false;
}

std::string TOrvaneServerTCP::ServerBusyAnswer(bool AStopping) {
  const std::string title = AStopping ? "Servidor reiniciando" : "Servidor ocupado";
  const std::string text =
      AStopping ? "Este servidor está sendo desligado. Tente novamente em instantes."
                : "Há muitos acessos abertos neste momento. Tente novamente em alguns minutos.";
  const std::string page =
      std::string(
          "<!DOCTYPE html>\r\n<html lang=\"pt-BR\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n") +
      // A browser that lands here while the node stops asks again shortly,
      // reaching a node that serves.
      (AStopping ? "<meta http-equiv=\"refresh\" content=\"5\">\r\n" : "") + "<title>" + title +
      "</title>\r\n</head>\r\n"
      "<body style=\"font-family: sans-serif; text-align: center; margin-top: 15vh; color: "
      "#333;\">\r\n<h1>" +
      title + "</h1>\r\n<p>" + text + "</p>\r\n</body>\r\n</html>\r\n";
  return std::string("HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/html; charset=UTF-8") +
         kCRLF + "Content-Length: " + std::to_string(page.size()) + kCRLF +
         "Retry-After: " + (AStopping ? "5" : "120") + kCRLF + kFixedLines + kCRLF + page;
}

bool TOrvaneServerTCP::IsHealthRequest(const TOrvaneHTTPHeader& AHeader) {
  return (AHeader.WebMethod == TWebMethod::wmtGET || AHeader.WebMethod == TWebMethod::wmtHEAD) &&
         AHeader.PathWithoutParams() == "/health";
}

void TOrvaneServerTCP::SetNodeName(const std::string& AName) {
  std::lock_guard<std::mutex> g(FNodeLock);
  FNodeName = AName;
}

std::string TOrvaneServerTCP::NodeName() const {
  std::lock_guard<std::mutex> g(FNodeLock);
  return FNodeName;
}

void TOrvaneServerTCP::SetTrustedProxies(std::vector<std::string> AAddresses) {
  std::lock_guard<std::mutex> g(FNodeLock);
  FTrustedProxies = std::move(AAddresses);
}

std::string TOrvaneServerTCP::ClientAddress(const std::string& APeer,
                                            const TOrvaneHTTPHeader& AHeader) const {
  {
    std::lock_guard<std::mutex> g(FNodeLock);
    if (std::find(FTrustedProxies.begin(), FTrustedProxies.end(), APeer) == FTrustedProxies.end())
      return APeer;
  }
  for (const std::string& line : AHeader.RawHeaders) {
    size_t colon = line.find(':');
    if (colon == std::string::npos || !SameText(Trim(line.substr(0, colon)), "X-Real-IP")) continue;
    std::string value = Trim(line.substr(colon + 1));
    in_addr a4{};
    in6_addr a6{};
    if (inet_pton(AF_INET, value.c_str(), &a4) == 1 || inet_pton(AF_INET6, value.c_str(), &a6) == 1)
      return value;
    break;
  }
  return APeer;
}

std::string TOrvaneServerTCP::HealthAnswer(bool AHead) const {
  const bool stopping = Draining;
  nlohmann::ordered_json body = {
      {"status", stopping ? "stopping" : "ok"},
      {"node", NodeName()},
      {"sessions", OrvaneBaseClass ? OrvaneBaseClass->SessionCount() : 0},
      {"connections", ConnectionCount()},
      {"websockets", WebSocketCount()},
  };
  std::string text = body.dump() + "\n";
  return std::string("HTTP/1.1 ") + (stopping ? "503 Service Unavailable" : "200 OK") + kCRLF +
         "Content-Type: application/json; charset=UTF-8" + kCRLF +
         "Content-Length: " + std::to_string(text.size()) + kCRLF + "Cache-Control: no-store" +
         kCRLF + kFixedLines + kCRLF + (AHead ? std::string() : text);
}

std::string TOrvaneServerTCP::StaticRelativePath(const std::string& APath) const {
  std::string raw = APath.substr(0, APath.find_first_of("?#"));
  std::string decoded;
  if (!PercentDecode(raw, decoded)) return "";
  if (decoded.find('\\') != std::string::npos) return "";
  // Build the path under the root from its segments; ".." never climbs.
  std::string rel;
  size_t start = 0;
  while (start <= decoded.size()) {
    size_t slash = decoded.find('/', start);
    std::string_view seg = std::string_view(decoded).substr(
        start, slash == std::string::npos ? std::string::npos : slash - start);
    if (seg == "..") return "";
    if (!seg.empty() && seg != ".") {
      if (!rel.empty()) rel += '/';
      rel += seg;
    }
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  // Uploads wait in the sessions' folder for their form; they are never
  // served back as static files.
  if (SameText(rel.substr(0, std::min(rel.size(), kSessionsFolder.size())), kSessionsFolder) &&
      (rel.size() == kSessionsFolder.size() || rel[kSessionsFolder.size()] == '/'))
    return "";
  return rel;
}

std::string TOrvaneServerTCP::StaticFilePath(const std::string& APath) const {
  std::string rel = StaticRelativePath(APath);
  if (rel.empty()) return "";
  std::string root = RootDirectory.empty() ? "./" : RootDirectory;
  if (root.back() != '/') root += '/';
  std::string full = root + rel;
  // A symbolic link may not lead out of the root. A name that does not
  // resolve names no file on disk and is only handed to OnGetFile.
  char resolved[PATH_MAX];
  if (!::realpath(full.c_str(), resolved)) return errno == ENOENT ? full : "";
  std::string r = ResolvedRoot(root), t = resolved;
  if (r.empty()) return "";
  if (t.compare(0, r.size(), r) != 0) return "";
  // Nor through a link that leads into the sessions' folder.
  std::string sessions = r + kSessionsFolder + "/";
  if (t.size() >= sessions.size() &&
      SameText(std::string_view(t).substr(0, sessions.size()), sessions))
    return "";
  return full;
}

TOrvaneServerTCP::TRootHandle::~TRootHandle() {
  ::close(Fd);
}

TOrvaneServerTCP::TStaticOpen TOrvaneServerTCP::OpenStaticBeneathRoot(const std::string& ARelative,
                                                                      int& AFd) const {
  AFd = -1;
  std::shared_ptr<TRootHandle> root;
  {
    std::string dir = RootDirectory.empty() ? "./" : RootDirectory;
    std::lock_guard<std::mutex> g(FRootLock);
    if (!FRootHandle || FRootHandle->For != dir) {
      int fd = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) return TStaticOpen::Elsewhere;
      FRootHandle = std::make_shared<TRootHandle>(fd, dir);
    }
    root = FRootHandle;
  }
  // Opened beneath the root with no symbolic link on the way: such a file
  // is inside the root and, its path being checked, not in the sessions'
  // folder. Paths with links take the slow way that resolves them.
  open_how how{};
  how.flags = O_RDONLY | O_CLOEXEC;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  long fd = ::syscall(SYS_openat2, root->Fd, ARelative.c_str(), &how, sizeof how);
  if (fd >= 0) {
    AFd = static_cast<int>(fd);
    return TStaticOpen::Opened;
  }
  return errno == ENOENT || errno == ENOTDIR ? TStaticOpen::Missing : TStaticOpen::Elsewhere;
}

std::string TOrvaneServerTCP::ResolvedRoot(const std::string& ARoot) const {
  std::lock_guard<std::mutex> g(FRootLock);
  if (ARoot != FRootFor || FRootResolved.empty()) {
    char base[PATH_MAX];
    if (!::realpath(ARoot.c_str(), base)) return "";
    FRootFor = ARoot;
    FRootResolved = base;
    if (FRootResolved.back() != '/') FRootResolved += '/';
  }
  return FRootResolved;
}

bool TOrvaneServerTCP::OpenStaticFile(const std::string& AFileName, const std::string& AMimeType,
                                      net::TReply& AReply) const {
  int fd = ::open(AFileName.c_str(), O_RDONLY | O_CLOEXEC);
  return fd >= 0 && FileReply(fd, TOrvaneHTTPResponse(), AMimeType, AReply);
}

std::string TOrvaneServerTCP::FileHead(const TOrvaneHTTPResponse& AResponse,
                                       const std::string& AMimeType, uint64_t ALength) {
  // The length lets the browser tell a whole file from one cut short by a
  // dropped connection.
  return "HTTP/1.1 " + AResponse.StatusCode + kCRLF + "Content-Type: " + AMimeType +
         "; charset=" + AResponse.charset + kCRLF + "Content-Length: " + std::to_string(ALength) +
         kCRLF + kFixedLines + kCRLF;
}

bool TOrvaneServerTCP::FileReply(int AFd, const TOrvaneHTTPResponse& AResponse,
                                 const std::string& AMimeType, net::TReply& AReply) const {
  int fd = AFd;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  size_t size = static_cast<size_t>(st.st_size);
  AReply.Head = FileHead(AResponse, AMimeType, size);
  // A small file travels in the same write as the head.
  constexpr size_t kInline = 16 * 1024;
  if (size <= kInline) {
    size_t at = AReply.Head.size();
    AReply.Head.resize(at + size);
    size_t got = 0;
    while (got < size) {
      ssize_t n = ::pread(fd, AReply.Head.data() + at + got, size - got, static_cast<off_t>(got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    AReply.Head.resize(at + got);
    ::close(fd);
    return true;
  }
  AReply.File = fd;
  AReply.FileSize = size;
  return true;
}

namespace {

// Where the request head in AData ends (just past its empty line): 0 while
// it is incomplete, npos when it must be refused. AStart receives where its
// request line begins (a few empty lines may come before it). Only the bytes
// after AScanned are searched again.
size_t FindHeadEnd(std::string_view AData, size_t AScanned, size_t& AStart) {
  AStart = 0;
  for (int empty = 0;; ++empty) {
    size_t next = AStart;
    if (next < AData.size() && AData[next] == '\n')
      next += 1;
    else if (next + 1 < AData.size() && AData[next] == '\r' && AData[next + 1] == '\n')
      next += 2;
    else
      break;
    if (empty >= kMaxLeadingEmptyLines) return std::string_view::npos;
    AStart = next;
  }
  // An empty line: a line end followed by CRLF or LF.
  size_t from = std::max(AStart, AScanned >= 2 ? AScanned - 2 : 0);
  for (size_t i = AData.find('\n', from); i != std::string_view::npos;
       i = AData.find('\n', i + 1)) {
    if (i + 1 < AData.size() && AData[i + 1] == '\n') return i + 2;
    if (i + 2 < AData.size() && AData[i + 1] == '\r' && AData[i + 2] == '\n') return i + 3;
  }
  return 0;
}

}  // namespace

net::TFirstBytesAction TOrvaneServerTCP::DoFirstBytes(net::TContext& /*AContext*/,
                                                      std::string_view AReceived, size_t AScanned,
                                                      net::TReply& AReply) {
  using A = net::TFirstBytesAction;
  size_t start = 0;
  size_t end = FindHeadEnd(AReceived, AScanned, start);
  if (end == std::string_view::npos) return A::Close;
  if (end == 0) return AReceived.size() - start > MaxHeadSize + 2 ? A::Close : A::Wait;
  // The head as a connection thread reads it: its lines, CR dropped, each
  // ended by CRLF, within the same limits.
  std::string head;
  const size_t maxLine = MaxHeaderLineLength, maxHead = MaxHeadSize;
  size_t at = start;
  while (at < end) {
    size_t lf = AReceived.find('\n', at);
    size_t stop = lf > at && AReceived[lf - 1] == '\r' ? lf - 1 : lf;
    if (stop - at > maxLine) return A::Close;
    if (stop == at) break;  // the empty line
    if (!head.empty() && head.size() + (stop - at) + 2 > maxHead) return A::Close;
    head.append(AReceived.substr(at, stop - at));
    head += kCRLF;
    at = lf + 1;
  }
  TOrvaneHTTPHeader h;
  h.ParseHeaders(head);
  // Only a static file on disk and the health answer are served from the
  // loop; every other route may wait (sessions, bodies, the page, handlers)
  // and goes to a thread.
  if (!h.RequestLineFound) return A::Close;
  if (IsHealthRequest(h) && h.Path == "/health") {
    AReply.Head = HealthAnswer(h.WebMethod == TWebMethod::wmtHEAD);
    AReply.Linger = AReceived.size() > end;
    return A::Reply;
  }
  if ((h.WebMethod == TWebMethod::wmtHEAD && Contains(h.Path, "reconnect?token=")) ||
      Contains(h.Path, "/vexlo/upload") || Contains(h.Path, "/vexlo/download?file=") ||
      Contains(h.Path, "/rest/json/jqgrid/") ||
      (SameText(h.Upgrade, "websocket") && !h.SecWebSocketKey.empty() &&
       (Contains(h.Path, "/websocket/connectionparams") ||
        Contains(h.Path, "/websocket/connectionresponseparams"))) ||
      h.Path == "/" || h.Path.empty() || h.Path.rfind("/?", 0) == 0 || h.Path == VirtualPath)
    return A::Thread;
  // A client that sent more than the head is read from a moment after the
  // reply, so that closing does not reset the connection.
  AReply.Linger = AReceived.size() > end || StrToInt64Def(h.ContentLength, 0) > 0;
  std::string rel = StaticRelativePath(h.Path);
  if (rel.empty()) return A::Close;
  int fd = -1;
  switch (OpenStaticBeneathRoot(rel, fd)) {
    case TStaticOpen::Opened:
      if (FileReply(fd, TOrvaneHTTPResponse(), FMimesType.GetMimeType(rel), AReply))
        return A::Reply;
      break;
    case TStaticOpen::Missing:
      break;
    case TStaticOpen::Elsewhere: {
      std::string file = StaticFilePath(h.Path);
      if (file.empty()) return A::Close;
      if (OpenStaticFile(file, FMimesType.GetMimeType(file), AReply)) return A::Reply;
      break;
    }
  }
  // Not on disk (or not a file): the built-in files are looked up on a
  // connection thread.
  return OnGetFile ? A::Thread : A::Close;
}

void TOrvaneServerTCP::WriteReply(net::TIOHandler& AIO, net::TReply& AReply) {
  if (AReply.File < 0) {
    AIO.Write(AReply.Head);
    return;
  }
  // The head goes out with the first chunk; exactly the announced length
  // follows (less only when the file became shorter meanwhile).
  constexpr size_t kChunk = 256 * 1024;
  int fd = std::exchange(AReply.File, -1);
  try {
    std::string buf = std::move(AReply.Head);
    uint64_t sent = 0;
    while (sent < AReply.FileSize) {
      size_t at = buf.size();
      size_t want = static_cast<size_t>(std::min<uint64_t>(kChunk, AReply.FileSize - sent));
      buf.resize(at + want);
      ssize_t n = ::pread(fd, buf.data() + at, want, static_cast<off_t>(sent));
      if (n < 0 && errno == EINTR) {
        buf.resize(at);
        continue;
      }
      buf.resize(at + static_cast<size_t>(std::max<ssize_t>(n, 0)));
      if (!buf.empty()) AIO.Write(buf);
      buf.clear();
      if (n <= 0) break;
      sent += static_cast<uint64_t>(n);
    }
    if (!buf.empty()) AIO.Write(buf);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
}

void TOrvaneServerTCP::StaticFile(TOrvaneHTTPRequest& ARequest, net::TContext& AContext) {
  std::string file = StaticFilePath(ARequest.Header.Path);
  if (file.empty()) return;  // refused: closed without an answer
  TOrvaneHTTPResponse response;
  net::TReply reply;
  if (OpenStaticFile(file, FMimesType.GetMimeType(file), reply)) {
    WriteReply(AContext.Connection(), reply);
    return;
  }
  if (!OnGetFile) return;
  std::string fileName, content, redirect, mime;
  OnGetFile(file, fileName, content, redirect, mime);
  if (!fileName.empty() && OpenStaticFile(fileName, mime, reply)) {
    WriteReply(AContext.Connection(), reply);
  } else if (!content.empty()) {
    AContext.Connection().Write(FileHead(response, mime, content.size()) + content);
  } else if (!redirect.empty()) {
    AContext.Connection().Write("HTTP/1.1 302 Found\r\nConnection: Close\r\nLocation: " + redirect +
                                "\r\nServer: OrvaneServer with Vexlo Framework Server\r\n\r\n");
  }
}

void TOrvaneServerTCP::SendWebSocketMessage(const std::string& AMessage, const std::string& AToken,
                                            const std::string& AOrvaneSessionUUID) {
  if (AMessage.empty() || AToken.empty()) return;
  net::TContextPtr target;
  {
    // The connection the page spoke on last (or opened last): after a
    // reconnection the one it replaced may not have been seen closing yet,
    // and a push written there would be lost.
    auto lock = LockList();
    uint64_t latest = 0;
    for (const net::TContextPtr& c : Contexts()) {
      if (!c->Connection().Connected()) continue;
      auto d = std::dynamic_pointer_cast<TOrvaneWebSocketContext>(c->Data());
      if (d && d->Established() && d->Token() == AToken &&
          d->OrvaneSessionUUID() == AOrvaneSessionUUID &&
          d->ChannelName() == "OrvaneSocketConnection" && (!target || d->Heard() > latest)) {
        target = c;
        latest = d->Heard();
      }
    }
  }
  // The frame is written outside the list lock (the context stays alive
  // through its reference): a slow browser never holds up the others.
  if (target) TWebSocketIOHandlerHelper(target->Connection(), MaxFrameLength).WriteString(AMessage);
}

void TOrvaneServerTCP::DisconnectWebSocketMessage(const std::string& AToken,
                                                  const std::string& AOrvaneSessionUUID,
                                                  bool ANilOrvaneSession) {
  if (AToken.empty() || AOrvaneSessionUUID.empty()) return;
  auto lock = LockList();
  for (const net::TContextPtr& c : Contexts()) {
    try {
      if (!c->Connection().Connected()) continue;
      auto d = std::dynamic_pointer_cast<TOrvaneWebSocketContext>(c->Data());
      if (!d || d->Token() != AToken || d->OrvaneSessionUUID() != AOrvaneSessionUUID) continue;
      d->SetEstablished(false);
      if (ANilOrvaneSession) d->SetOrvaneSession(nullptr);
      c->Connection().Disconnect();
    } catch (...) {
    }
  }
}

void TOrvaneServerTCP::CloseAllConnection() {
  auto lock = LockList();
  for (const net::TContextPtr& c : Contexts()) {
    try {
      c->Connection().Disconnect();
    } catch (...) {
    }
  }
}

}  // namespace orvane
