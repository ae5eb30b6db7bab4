// Message dispatch over real sockets: a session opened through the engine
// root, a client upgraded with its UUID and token, ExecEvent, GetFromEvent
// and CallBack messages running their handlers on session threads, and the
// scripts pushed back. Also the parameter string rules and the download route.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "orvane/server/Orvane.Server.Functions.h"
#include "platform/ui/StdCtrls.h"
#include "tests/orvane/server/test_session_support.h"

using namespace orvane;
using sesstest::Eventually;
using sesstest::TLog;
using sesstest::TTestControl;
using sesstest::TTestEngine;
using sesstest::TTestVexlo;
using testnet::TClient;
using json = nlohmann::ordered_json;

namespace {

using TParams = std::vector<std::pair<std::string, json>>;

std::string Message(const std::string& AType, const std::string& AName, bool AWait,
                    const TParams& AParams) {
  json j;
  j["type"] = AType;
  j["name"] = AName;
  j["wait"] = AWait;
  j["parameters"] = json::array();
  for (const auto& [name, value] : AParams) j["parameters"].push_back(json{{name, value}});
  return j.dump();
}

// The scripts of the next pushes (or raw answers) on a connection.
std::string NextFrame(TClient& AClient) {
  auto f = orvanetest::ReadServerFrame(AClient);
  return f.Ok ? f.Payload : "<nada>";
}

std::string Script(const std::string& AScript) {
  return nlohmann::json({{"ExecJS", {AScript}}}).dump(-1, ' ', true);
}

const std::string kUnlock = Script("UnLockThreadClient();");

class OrvaneDispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    Nested.Form.Session = nullptr;
    Page.AddNested(Nested);
    E.Controller->OnInstancePrimaryForm = [this](const std::shared_ptr<IOrvaneSession>& s) {
      Page.Form.Session = s.get();
      Nested.Form.Session = s.get();
      s->SetVexloBaseClass(&Page);
    };
    Functions.Attach(*E.Engine);
    E.Start();
    // What the page handler does for a new page.
    Session = TOrvaneSession::Create(E.Engine.get());
    E.Engine->AddSession(Session);
    Session->ExecThread(true, [this] { E.Engine->InstancePrimaryForm(Session); });
    TOrvaneHTTPRequest request;
    TOrvaneHTTPResponse response;
    E.Engine->DoNewSession(request, response, Session);

    Nome.SetName("edtNome");
    Nome.SetText("antes");
    Bloqueado.SetText("bloqueado");
    auto click = Entrar.GetEvents()->Add(
        TOrvaneEventType::EventOnClick, core::TNotifyEvent([this](core::TComponent* Sender) {
          Log.Add("click");
          ClickThread = std::this_thread::get_id();
          ClickSession = E.Engine->SessionByThreadID(std::this_thread::get_id(), false);
          ClickSender = Sender;
          Session->ExecJS("clicado(" + FormatValueHTML(Nome.Text()) + ");");
        }));
    ClickID = click->GetEventID();
    DblClickID = Entrar.GetEvents()
                     ->Add(TOrvaneEventType::EventOnDblClick,
                           TOnEventProc([this](TStringList&) { Log.Add("dblclick"); }))
                     ->GetEventID();
    auto load = Grade.GetEvents()->Add(TOrvaneEventType::EventOnLoadJSON, TOnEventProc());
    load->SetOnEvent(TOnGetStrEvent([] { return std::string("{\"page\":1,\"rows\":[]}"); }));
    LoadID = load->GetEventID();
    Bloqueio.Enabled = false;
    Main = E.OpenSocket(*Session);
    ASSERT_TRUE(Main);
    ASSERT_TRUE(Eventually([&] { return Session->OpenedConnections() == 1; }));
  }
  void TearDown() override {
    Main.reset();
    Session->Close();
  }

  std::string ExecEvent(const std::string& AID, const std::string& AEventID,
                        const std::string& AParameters, const json& ALockClient,
                        const std::string& AToken = "") {
    return Message("procedure", "ExecEvent", false,
                   {{"UUID", Session->GetUUID()},
                    {"Token", AToken.empty() ? Session->GetToken() : AToken},
                    {"FormUUID", "FORMA"},
                    {"ID", AID},
                    {"EventID", AEventID},
                    {"Parameters", AParameters},
                    {"LockClient", ALockClient}});
  }
  std::string GetFromEvent(const std::string& AID, const std::string& AEventID, bool ALockClient) {
    return Message("function", "GetFromEvent", true,
                   {{"UUID", Session->GetUUID()},
                    {"Token", Session->GetToken()},
                    {"FormUUID", "FORMA"},
                    {"ID", AID},
                    {"EventID", AEventID},
                    {"Parameters", ""},
                    {"LockClient", ALockClient}});
  }
  std::string CallBack(const std::string& ACallBackID, const std::string& AParameters) {
    return Message("function", "CallBack", false,
                   {{"UUID", Session->GetUUID()},
                    {"Token", Session->GetToken()},
                    {"FormUUID", "FORMA"},
                    {"CallBackID", ACallBackID},
                    {"Parameters", AParameters},
                    {"LockClient", true}});
  }
  void Send(TClient& AClient, const std::string& AText) {
    AClient.Send(orvanetest::ClientFrame(AText));
  }
  // A round trip through the page-load event: once its release arrives, the
  // connection has handled every message sent before it.
  void Probe(TClient& AClient) {
    Send(AClient, ExecEvent("FORMA", "AfterPageLoad", "", true));
    EXPECT_EQ(NextFrame(*Main), kUnlock);
  }

  TTestEngine E;
  TOrvaneServerFunctions Functions{E.Engine.get()};
  TLog Log;
  TTestVexlo Page{"FORMA", Log};
  TTestVexlo Nested{"FORMN", Log};
  ui::TEdit Nome{nullptr}, Bloqueado{nullptr}, Falha{nullptr};
  ui::TButton Botao{nullptr}, GradeDesktop{nullptr};
  TTestControl Edit{Page.Form, &Nome, "edtNome", Log};
  TTestControl Bloqueio{Page.Form, &Bloqueado, "edtBloqueado", Log};
  TTestControl EditFalha{Page.Form, &Falha, "edtFalha", Log};
  TTestControl Entrar{Page.Form, &Botao, "btnEntrar", Log};
  TTestControl Grade{Page.Form, &GradeDesktop, "grdDados", Log, true};
  std::string ClickID, DblClickID, LoadID;
  std::atomic<std::thread::id> ClickThread{};
  std::shared_ptr<IOrvaneSession> ClickSession;
  std::atomic<core::TComponent*> ClickSender{nullptr};
  std::shared_ptr<TOrvaneSession> Session;
  std::unique_ptr<TClient> Main;
};

}  // namespace

TEST(OrvaneDispatchParameters, ParameterStringRules) {
  using L = TStringList;
  struct {
    std::string In;
    L Out;
  } cases[] = {
      {"", {}},
      {"a=1&b=2", {"a=1", "b=2"}},
      {"'a=1&b=2", {"a=1", "b=2"}},
      {"\"a=1&b=2", {"a=1", "b=2"}},
      {"''a=1&b=2", {"a=1", "b=2"}},
      {"'\"a=1", {"a=1"}},
      {"a=1&b=2'", {"a=1", "b=2'"}},
      {"'", {}},
      {"a=1&&b=", {"a=1", "", "b="}},
      // A JSON value keeps the "&" inside its strings.
      {"OrvaneComponentsStatus=[{\"id\":\"E\",\"text\":\"a&b=c\"}]&FocusedID=E",
       {"OrvaneComponentsStatus=[{\"id\":\"E\",\"text\":\"a&b=c\"}]", "FocusedID=E"}},
      // Brackets that are not JSON split as usual.
      {"x=[a&b=1]", {"x=[a", "b=1]"}},
      // The page writes "%" and "&" inside a value as %25 and %26.
      {"key=%25&key=%26", {"key=%", "key=&"}},
      {"FocusedID=A%26B%25C&x=%2526", {"FocusedID=A&B%C", "x=%26"}},
      {"a=100%&b=%2&c=%27%", {"a=100%", "b=%2", "c=%27%"}},
      {"%26=%26", {"%26=&"}},
      {"OrvaneComponentsStatus=[{\"id\":\"E\",\"text\":\"a\\u0026b \\u0025 %26\"}]&key=%26",
       {"OrvaneComponentsStatus=[{\"id\":\"E\",\"text\":\"a\\u0026b \\u0025 &\"}]", "key=&"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TOrvaneServerFunctions::ProcessParameters(c.In), c.Out) << c.In;
  EXPECT_EQ(ValueOf(TOrvaneServerFunctions::ProcessParameters("'popupname=Ajuda&x=1"), "popupname"),
            "Ajuda");
}

TEST_F(OrvaneDispatch, ExecEventAppliesTheStatesAndRunsTheClickOnASessionThread) {
  std::string states =
      "[{\"id\":\"EDTNOME\",\"text\":\"Olá & tchau\"},{\"id\":\"edtbloqueado\",\"text\":\"x\"},"
      "{\"id\":\"EDTFALHA\",\"fail\":1},{\"id\":\"NINGUEM\",\"text\":\"y\"},{\"semid\":1}]";
  Send(*Main, ExecEvent("btnEntrar", ClickID, "OrvaneComponentsStatus=" + states + "&x=1", true));
  EXPECT_EQ(NextFrame(*Main), Script("clicado(\"Ol\\u00e1 & tchau\");"));
  EXPECT_EQ(NextFrame(*Main), kUnlock);
  EXPECT_EQ(ClickSession, std::static_pointer_cast<IOrvaneSession>(Session));
  EXPECT_NE(ClickThread.load(), std::this_thread::get_id());
  EXPECT_EQ(ClickSender.load(), &Botao);
  EXPECT_EQ(Nome.Text(), "Olá & tchau");
  EXPECT_EQ(Bloqueado.Text(), "bloqueado");  // a disabled control takes no state
  auto items = Log.Items();
  auto at = [&](const std::string& s) {
    return std::find(items.begin(), items.end(), s) - items.begin();
  };
  EXPECT_LT(at("FORMA.updating"), at("edtNome.state"));
  EXPECT_LT(at("edtNome.state"), at("FORMA.updated"));
  EXPECT_LT(at("FORMA.updated"), at("btnEntrar.params:x=1"));
  EXPECT_LT(at("btnEntrar.params:x=1"), at("click"));
  EXPECT_EQ(Log.Count("edtBloqueado.state"), 0u);
  EXPECT_EQ(Log.Count("edtFalha.state"), 0u);
}

TEST_F(OrvaneDispatch, TypeAndNameIgnoreCaseAndLockClientTrueInAnyCase) {
  json j = json::parse(ExecEvent("btnEntrar", ClickID, "", "True"));
  j["type"] = "PROCEDURE";
  j["name"] = "execevent";
  Send(*Main, j.dump());
  EXPECT_EQ(NextFrame(*Main), Script("clicado(\"antes\");"));
  EXPECT_EQ(NextFrame(*Main), kUnlock);
  // Without LockClient the browser is not released.
  Send(*Main, ExecEvent("btnEntrar", ClickID, "", false));
  EXPECT_EQ(NextFrame(*Main), Script("clicado(\"antes\");"));
  Probe(*Main);
  // The ID names the control but is not compared: the event id decides.
  Send(*Main, ExecEvent("outroNome", DblClickID, "", false));
  Probe(*Main);
  EXPECT_TRUE(Eventually([&] { return Log.Count("dblclick") == 1; }));
}

TEST_F(OrvaneDispatch, GetFromEventAnswersOnItsOwnChannelForAGridOnly) {
  auto response = E.OpenSocket(*Session, "connectionresponseparams");
  ASSERT_TRUE(response);
  Send(*response, GetFromEvent("grdDados", LoadID, true));
  EXPECT_EQ(NextFrame(*response), "{\"page\":1,\"rows\":[]}");
  EXPECT_EQ(NextFrame(*Main), kUnlock);  // the release goes to the page's main channel
  // Aimed at another event it runs the handler and answers nothing.
  Send(*response, GetFromEvent("btnEntrar", DblClickID, false));
  Send(*response, GetFromEvent("grdDados", LoadID, false));
  EXPECT_EQ(NextFrame(*response), "{\"page\":1,\"rows\":[]}");
  EXPECT_TRUE(Eventually([&] { return Log.Count("dblclick") == 1; }));
}

TEST_F(OrvaneDispatch, CallBacksRunByIdAndNeverAnswer) {
  TLog calls;
  auto callback = Session->GetCallBacks()->Register("Salvar", [&](const TStringList& p) {
    calls.Add("salvar:" + ValueOf(p, "id") + ":" +
              (E.Engine->SessionByThreadID(std::this_thread::get_id(), false) == Session
                   ? "sessao"
                   : "outra"));
    return std::string("resultado");
  });
  Send(*Main, CallBack(callback->GetCallBackID(), "'id=7"));
  EXPECT_EQ(NextFrame(*Main), kUnlock);
  EXPECT_EQ(calls.Items(), std::vector<std::string>{"salvar:7:sessao"});
  EXPECT_EQ(callback->GetResponse(), "resultado");
  // An unknown id runs nothing and sends nothing.
  Send(*Main, CallBack("IDQUENAOEXISTE0000", "id=8"));
  Probe(*Main);
  EXPECT_EQ(calls.Items().size(), 1u);
}

TEST_F(OrvaneDispatch, MessagesThatDoNotCheckOutAreDroppedSilently) {
  Send(*Main, ExecEvent("btnEntrar", ClickID, "", true, "TOKENERRADO"));
  Send(*Main, ExecEvent("btnEntrar", "EVENTOQUENAOEXISTE", "", true));
  json otherForm = json::parse(ExecEvent("btnEntrar", ClickID, "", true));
  otherForm["parameters"][2]["FormUUID"] = "OUTRAFORMA";
  Send(*Main, otherForm.dump());
  json otherSession = json::parse(ExecEvent("btnEntrar", ClickID, "", true));
  otherSession["parameters"][0]["UUID"] = "NAOEXISTE123";
  Send(*Main, otherSession.dump());
  Send(*Main, Message("text", "ExecEvent", false, {}));  // no operation for this type
  Send(*Main, "isto não é JSON");                        // ignored
  Probe(*Main);
  EXPECT_EQ(Log.Count("click"), 0u);
}

TEST_F(OrvaneDispatch, ABrokenEnvelopeClosesThatConnection) {
  std::string broken[] = {
      "{\"type\":\"procedure\",\"wait\":false,\"parameters\":[]}",  // no name
      "[1,2]",                                                      // not an object
      "{\"type\":\"procedure\",\"name\":\"ExecEvent\",\"wait\":false,\"parameters\":[1]}",
      "{\"type\":\"procedure\",\"name\":\"ExecEvent\",\"wait\":false,"
      "\"parameters\":[{\"UUID\":\"a\"},{\"UUID\":\"b\"}]}",  // repeated name
      // A parameter the operation reads is missing.
      Message("procedure", "ExecEvent", false, {{"UUID", "x"}, {"Token", "y"}}),
      Message("function", "CallBack", false, {{"UUID", "x"}}),
  };
  for (const auto& text : broken) {
    auto c = E.OpenSocket(*Session);
    ASSERT_TRUE(c);
    Send(*c, text);
    EXPECT_TRUE(c->ClosedByServer()) << text;
  }
  // The page's own connection is untouched.
  Probe(*Main);
}

TEST_F(OrvaneDispatch, AfterPageLoadIsWaitedForThenReleasesTheBrowser) {
  Send(*Main, ExecEvent("FORMA", "AfterPageLoad", "", true));
  Send(*Main, ExecEvent("btnEntrar", ClickID, "", false));
  EXPECT_EQ(NextFrame(*Main), kUnlock);
  EXPECT_EQ(NextFrame(*Main), Script("clicado(\"antes\");"));
  EXPECT_EQ(Log.Items(),
            (std::vector<std::string>{"FORMA.afterpageload", "FORMN.afterpageload",
                                      "FORMN.updatecontrols", "btnEntrar.params:", "click"}));
}

TEST_F(OrvaneDispatch, PopupsAndFocusReachTheForm) {
  TLog popups;
  Page.Form.OnShowPopup = [&](const std::string& AName, const std::string& AValue) {
    popups.Add("show:" + AName + ":" + AValue);
  };
  Send(*Main, ExecEvent("FORMA", "OnShowPopup", "popupname=Ajuda", true));
  EXPECT_EQ(NextFrame(*Main), kUnlock);
  Send(*Main, ExecEvent("FORMA", "OnClosePopup", "popupname=Ajuda", true));
  EXPECT_EQ(NextFrame(*Main), kUnlock);
  EXPECT_EQ(popups.Items(), std::vector<std::string>{"show:Ajuda:"});
  EXPECT_EQ(Log.Count("FORMA.popupopened:Ajuda"), 1u);
  EXPECT_EQ(Log.Count("FORMA.popupclosed:Ajuda"), 1u);
  Send(*Main, ExecEvent("FORMA", "ComponentFocused", "FocusedID=edtnome", false));
  EXPECT_TRUE(Eventually([&] { return Page.Form.Focused.load() == &Edit; }));
  // An unknown form-level event does nothing.
  Send(*Main, ExecEvent("FORMA", "Outro", "", false));
  Probe(*Main);
}

TEST_F(OrvaneDispatch, DownloadLinksServeTheFileWhileTheSessionLives) {
  auto file = E.Dir / "relatorio.txt";
  std::ofstream(file, std::ios::binary) << "conteúdo";
  Session->SendFile(file.string(), false, "");
  std::string script = nlohmann::json::parse(NextFrame(*Main))["ExecJS"][0];
  size_t at = script.find("/vexlo/download?file=");
  ASSERT_NE(at, std::string::npos);
  std::string url = script.substr(at, script.find('"', at) - at);
  auto get = [&](const std::string& APath) {
    TClient c(E.Port);
    c.TrySend("GET " + APath + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    return c.ReadAll();
  };
  std::string expected =
      "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\nContent-Length: 9\r\n"
      "Connection: Close\r\n"
      "Server: OrvaneServer with Vexlo Framework Server\r\n\r\nconteúdo";
  EXPECT_EQ(get(url), expected);
  EXPECT_EQ(get(url), expected);  // the link works again
  std::string wrongToken = url;
  wrongToken.replace(wrongToken.find("&token=") + 7, 24, std::string(24, 'X'));
  EXPECT_EQ(get(wrongToken), "");
  std::filesystem::remove(file);
  EXPECT_EQ(get(url), "");
}

TEST_F(OrvaneDispatch, GridRequestsForAGoneGridAreAnsweredNotDropped) {
  auto ask = [&](const std::string& ARequest) {
    TClient c(E.Port);
    c.TrySend(ARequest);
    return c.ReadAll();
  };
  const std::string query = "controlid=grdDados&eventid=" + LoadID +
                            "&token=" + Session->GetToken() +
                            "&orvanesession=" + Session->GetUUID();
  // The grid's tab closed while its rows were on their way: no rows.
  for (const std::string form : {"FORMX", "FORMA"}) {
    std::string answer = ask("GET /rest/json/jqgrid/get?" + query + "&FormUUID=" + form +
                             " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\nContent-Type: application/json", 0), 0u) << answer;
    EXPECT_NE(answer.find("\r\n\r\n{\"page\":1,\"total\":0,\"records\":0,\"rows\":[]}"),
              std::string::npos)
        << answer;
  }
  // A post to it is refused with a reason, and nothing runs.
  const std::string body = R"({"id":"1","NOME":"x"})";
  std::string post = ask("POST /rest/json/jqgrid/post?" + query +
                         "&FormUUID=FORMX HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                         std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_EQ(post.rfind("HTTP/1.1 404 Not Found\r\n", 0), 0u) << post;
  EXPECT_NE(post.find("\"status\":\"error\""), std::string::npos) << post;
  EXPECT_NE(post.find("foi fechado"), std::string::npos) << post;
  // Without the session's token nothing is answered at all.
  std::string forged = query;
  forged.replace(forged.find("&token=") + 7, 24, std::string(24, 'X'));
  EXPECT_EQ(ask("GET /rest/json/jqgrid/get?" + forged +
                "&FormUUID=FORMA HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"),
            "");
}
