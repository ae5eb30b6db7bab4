#include "orvane/server/Orvane.Server.HTML.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "orvane/server/Orvane.Assets.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Session.h"
#include "orvane/server/Orvane.Util.h"

namespace orvane {

namespace fs = std::filesystem;

namespace {

const char* const kCRLF = "\r\n";

// The built-in files the static route falls back to, with the types they
// are served with.
struct TBuiltInFile {
  const char* Name;
  const char* MimeType;
};
const TBuiltInFile kBuiltInFiles[] = {
    {"orvaneserver.js", "text/javascript"},
    {"vexloloader.js", "application/javascript"},
    {"sweetalert2.js", "application/javascript"},
    {"sweetalert2.css", "text/css"},
    {"jquery-3.6.4.js", "application/javascript"},
    {"error500.html", "text/html"},
    {"jquery.jqgrid.min.js", "application/javascript"},
    {"ui.jqgrid-bootstrap5.css", "text/css"},
    {"vexlo.css", "text/css"},
};

// The favicon is the program's own logo when the web root has no icon.
const char* const kLocalIcon = "/img/logo.png";

// Puts the two include markers around the end of the head and of the body.
void InsertIncludeMarkers(std::string& AHTML) {
  ReplaceFirstIgnoringCase(AHTML, "</head>",
                           std::string(kCRLF) + "$_orvaneheader" + kCRLF + "</head>");
  ReplaceFirstIgnoringCase(AHTML, "</body>",
                           std::string(kCRLF) + "$_orvanebody" + kCRLF + "</body>");
}

}  // namespace

TOrvaneServerHTML::TOrvaneServerHTML(TOrvaneBaseClass& ARoot)
    : FRoot(ARoot),
      FOrvaneServerFunctions(std::make_unique<TOrvaneServerFunctions>(&ARoot)),
      FHeaders(std::make_unique<TOrvaneServerHTMLHeaders>(&ARoot)) {
  FRoot.GetHTML = [this](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse& r,
                         TOrvaneWebSocketContext& c) { GetHTML(q, r, c); };
  FRoot.ReceiveMessage = [this](const TOrvaneWebSocketMessage& m, TOrvaneWebSocketContext& c,
                                std::string& a) { ReceiveMessage(m, c, a); };
  FRoot.GetFile = [this](const std::string& f, std::string& rf, std::string& rc, std::string& rr,
                         std::string& mt) { GetFile(f, rf, rc, rr, mt); };
  FRoot.FinishedGetHTML = [this](TOrvaneWebSocketContext& c) { FinishedGetHTML(c); };
  FRoot.RESTData = [this](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse& r,
                          TOrvaneWebSocketContext& c) { RESTData(q, r, c); };
  FRoot.DownloadData = [this](TOrvaneHTTPRequest& q, TOrvaneHTTPResponse& r,
                              TOrvaneWebSocketContext& c) { DownloadData(q, r, c); };
}

TOrvaneServerHTML::~TOrvaneServerHTML() {
  FRoot.GetHTML = nullptr;
  FRoot.ReceiveMessage = nullptr;
  FRoot.GetFile = nullptr;
  FRoot.FinishedGetHTML = nullptr;
  FRoot.RESTData = nullptr;
  FRoot.DownloadData = nullptr;
}

void TOrvaneServerHTML::ReceiveMessage(const TOrvaneWebSocketMessage& AMessage,
                                       TOrvaneWebSocketContext& AContext, std::string& AAnswer) {
  FOrvaneServerFunctions->ReceiveMessage(AMessage, AContext, AAnswer);
}

void TOrvaneServerHTML::RESTData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                                 TOrvaneWebSocketContext& AContext) {
  FOrvaneServerFunctions->RESTData(ARequest, AResponse, AContext);
}

void TOrvaneServerHTML::DownloadData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                                     TOrvaneWebSocketContext& AContext) {
  FOrvaneServerFunctions->DownloadData(ARequest, AResponse, AContext);
}

void TOrvaneServerHTML::GetFile(const std::string& AGetFileName, std::string& AResponseFileName,
                                std::string& AResponseFileContent, std::string& AResponseRedirect,
                                std::string& AMimeType) {
  AResponseFileName.clear();
  AResponseFileContent.clear();
  AResponseRedirect.clear();
  AMimeType.clear();
  size_t slash = AGetFileName.find_last_of("/\\");
  std::string name = slash == std::string::npos ? AGetFileName : AGetFileName.substr(slash + 1);
  if (SameText(name, "favicon.ico")) {
    AResponseRedirect = kLocalIcon;
    AMimeType = "image/x-icon";
    return;
  }
  for (const TBuiltInFile& file : kBuiltInFiles) {
    if (!SameText(name, file.Name)) continue;
    if (const TOrvaneAsset* asset = FindOrvaneAsset(file.Name)) {
      AResponseFileContent.assign(asset->Content);
      AMimeType = file.MimeType;
    }
    return;
  }
}

std::string TOrvaneServerHTML::TemplatePath(const std::string& AName) const {
  std::string root = FRoot.GetOptions().RootDirectory();
  if (root.empty()) root = "./";
  if (root.back() != '/' && root.back() != '\\') root += '/';
  std::string name = AName;
  for (char& c : name)
    if (c == '\\') c = '/';
  return root + name;
}

std::string TOrvaneServerHTML::ReadTemplate(const std::string& AName) const {
  std::string path = TemplatePath(AName);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EOrvaneError("Modelo de página não encontrado: \"" + path + "\"");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::shared_ptr<IOrvaneSession> TOrvaneServerHTML::NewSession(TOrvaneHTTPRequest& ARequest,
                                                              TOrvaneHTTPResponse& AResponse,
                                                              TOrvaneWebSocketContext& AContext) {
  const TOrvaneHTTPHeader& h = ARequest.Header;
  std::shared_ptr<TOrvaneSession> session = TOrvaneSession::Create(&FRoot);
  TOrvaneURI& uri = *session->URI();
  uri.SetProtocol(FRoot.GetOptions().UseSSL() ? "https" : "http");
  uri.SetHost(h.Host);
  uri.SetServerPort(h.ServerPort);
  uri.SetRaw(h.Protocol.empty() ? h.Path : h.FullURL());
  uri.SetURL(h.Protocol.empty() ? h.PathWithoutParams() : h.URL());
  for (const std::string& pair : h.QueryParams) {
    TOrvaneURLQueryParam& p = uri.QueryParams().Add();
    size_t eq = pair.find('=');
    p.Key = pair.substr(0, eq);
    p.Value = eq == std::string::npos ? "" : pair.substr(eq + 1);
  }
  session->InfoConnection()->SetIP(h.RemoteIP);
  session->InfoConnection()->SetUserAgent(h.UserAgent);
  FRoot.AddSession(session);
  AContext.SetOrvaneSessionUUID(session->GetUUID());
  AContext.SetToken(session->GetToken());
  AContext.SetOrvaneSession(session);
  std::shared_ptr<IOrvaneSession> shared = session;
  session->ExecThread(true, [this, shared] { FRoot.InstancePrimaryForm(shared); });
  FRoot.DoNewSession(ARequest, AResponse, shared);
  return shared;
}

void TOrvaneServerHTML::GetHTML(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                                TOrvaneWebSocketContext& AContext) {
  std::shared_ptr<IOrvaneSession> session;
  const std::string token = AContext.Token();
  if (!token.empty() && FRoot.SessionValid(token, AContext.OrvaneSessionUUID()))
    session = FRoot.SessionByUUID(AContext.OrvaneSessionUUID());
  if (!session) session = NewSession(ARequest, AResponse, AContext);
  // Rendering and assembly touch the session's forms: they run as one of
  // its work items, inside its forms guard.
  session->ExecThread(true, [&] {
    IOrvaneVexloClass* active = session->GetVexloBaseClass();
    if (!active) return;
    try {
      active->ClearForm();
      active->RenderForm();
      LoadPageHTMLFromSession(ARequest, AResponse, *session);
    } catch (const std::exception& e) {
      AResponse.Content.clear();
      std::cerr << "OrvaneServer: a página não pôde ser montada: " << e.what() << std::endl;
    }
  });
}

void TOrvaneServerHTML::LoadPageHTMLFromSession(TOrvaneHTTPRequest& ARequest,
                                                TOrvaneHTTPResponse& AResponse,
                                                IOrvaneSession& ASession) {
  IOrvaneVexloClass* vexlo = ASession.GetVexloBaseClass();
  IOrvaneForm* form = vexlo ? vexlo->GetOrvaneForm() : nullptr;
  if (!form) return;
  form->OnBeforePageLoad();
  const std::string master = form->GetTemplateMasterHTMLFile();
  const std::string pageTemplate = form->GetTemplatePageHTMLFile();
  std::string page;
  std::error_code ec;
  if (!master.empty() && fs::is_regular_file(TemplatePath(master), ec)) {
    page = ReadTemplate(master);
    ReplaceFirstIgnoringCase(page, "</head>",
                             std::string(kCRLF) + "$_orvaneheader" + kCRLF + "</head>");
    if (!pageTemplate.empty())
      ReplaceFirstIgnoringCase(page, "$orvanepage", ReadTemplate(pageTemplate));
    ReplaceFirstIgnoringCase(page, "</body>",
                             std::string(kCRLF) + "$_orvanebody" + kCRLF + "</body>");
  } else if (!pageTemplate.empty()) {
    page = ReadTemplate(pageTemplate);
    InsertIncludeMarkers(page);
  } else {
    page = vexlo->MakeHTMLPage();
    InsertIncludeMarkers(page);
  }
  form->SetFormHTMLText(page);
  form->Initialize();
  form->DoProcessHTML(page);
  ReplaceFirstIgnoringCase(page, "$orvanebody", vexlo->GetBodyHTML());
  form->ProcessPopup(page);
  form->ProcessNested(page);
  form->ProcessTagHTML(page);
  form->ProcessCallBackTagHTML(page);
  form->ProcessControlsToHTML(page);
  ProcessHTMLHeaderIncludes(ARequest, page, ASession);
  ProcessHTMLBodyIncludes(ARequest, page, ASession);
  form->SetFormCacheHTMLText(page);
  AResponse.Content = std::move(page);
}

void TOrvaneServerHTML::ProcessHTMLHeaderIncludes(const TOrvaneHTTPRequest& ARequest,
                                                  std::string& AHTMLText,
                                                  IOrvaneSession& ASession) {
  IOrvaneForm* form = ASession.GetActiveForm();
  if (!form) return;
  ReplaceFirstIgnoringCase(AHTMLText, "$_orvaneheader",
                           FHeaders->HeadBlock(ARequest, ASession, *form));
}

void TOrvaneServerHTML::ProcessHTMLBodyIncludes(const TOrvaneHTTPRequest& /*ARequest*/,
                                                std::string& AHTMLText,
                                                IOrvaneSession& /*ASession*/) {
  ReplaceFirstIgnoringCase(AHTMLText, "$_orvanebody", FHeaders->AddError500());
}

void TOrvaneServerHTML::ReloadPage(IOrvaneSession& ASession) {
  if (const TOrvaneAsset* script = FindOrvaneAsset("JSReloadPage.js")) {
    ASession.ExecJS(std::string(script->Content));
    return;
  }
  const std::string path = "window.location.pathname";
  ASession.ExecJS(
      "if (window.location.href.indexOf(\"#\") >= 0) { window.history.replaceState(null, \"\", " +
      path + "); } document.cookie = \"Vexlo_Token=\" + " + FormatValueHTML(ASession.GetToken()) +
      " + \"; path=\" + " + path + "; document.cookie = \"Vexlo_OrvaneSession=\" + " +
      FormatValueHTML(ASession.GetUUID()) + " + \"; path=\" + " + path +
      "; document.cookie = \"Vexlo_ReloadPage=true; path=\" + " + path +
      "; isReloadPage = true; window.location.reload();");
}

}  // namespace orvane
