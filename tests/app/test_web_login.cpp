// The login form over the real path: a real server serving the real login
// page, a scripted page sending the messages the browser's runtime sends,
// the form's own btnEntrarClick running on the session, its dialog pushed
// and answered, the typed texts reaching the desktop edits whole ("&" and
// "%" included), and a right account leading to the page "Início" in the
// same session, on a real Firebird database. A session closed while a
// handler waits on a modal form lets the handler unwind first.
#include <gtest/gtest.h>

#include <future>

#include "app/uDM.h"
#include "app/uLisSolicitacoes.h"
#include "app/uLogin.h"
#include "app/uMenu.h"
#include "orvane/server/Orvane.Session.h"
#include "tests/app/WebAppTestSupport.h"
#include "tests/support/WebPageClient.h"
#include "vexlo/Vexlo.Instance.h"

using namespace app;

namespace {

class WebLogin : public app_testing::WebEngineTest {
 protected:
  WebLogin() : WebEngineTest("tamblo-weblogin") {}
  void SetUp() override {
    WebEngineTest::SetUp();
    StartServer();
  }
  std::shared_ptr<orvane::IOrvaneSession> Session(const webclient::TPage& APage) {
    return Engine->SessionByUUID(APage.UUID);
  }
  // Runs AProc as one of the session's work items and waits for it.
  template <class F>
  static void OnSession(orvane::IOrvaneSession& ASession, F AProc) {
    ASession.ExecThread(true, AProc);
  }
  // Presses Entrar with the two texts in the fields, as the page does.
  static void Entrar(webclient::TPageSocket& ASocket, const std::string& ALogin,
                     const std::string& ASenha) {
    const webclient::TPage& page = ASocket.Page();
    ASocket.ExecEvent(
        "btnEntrar", page.Events.at("btnEntrar").at("click"),
        webclient::StatesParameter(nlohmann::json::array({{{"id", "EDTLOGIN"}, {"text", ALogin}},
                                                          {{"id", "EDTSENHA"}, {"text", ASenha}},
                                                          {{"id", "LBLLOGIN"}},
                                                          {{"id", "LBLSENHA"}},
                                                          {{"id", "BTNENTRAR"}}})));
  }
};

}  // namespace

TEST_F(WebLogin, TheLoginPageRunsTheFormsOwnHandlerAndOpensTheNextPage) {
  webclient::TPage page = webclient::LoadPage(Port);
  // The page: the controls' HTML in place of their placeholders, the
  // password field empty, the click of Entrar published.
  EXPECT_NE(page.HTML.find("value = \"ketil\"/>"), std::string::npos);
  EXPECT_NE(page.HTML.find("type=\"password\"  value = \"\"/>"), std::string::npos);
  EXPECT_NE(page.HTML.find(">Entrar</button>"), std::string::npos);
  EXPECT_NE(page.HTML.find(">Nome de Usuário</span>"), std::string::npos);
  EXPECT_EQ(page.HTML.find("{%"), std::string::npos);
  ASSERT_EQ(page.Events.count("btnEntrar"), 1u);
  webclient::TPageSocket socket(Port, page);
  socket.AfterPageLoad();
  auto session = Session(page);
  ASSERT_NE(session, nullptr);

  // Refused: the dialog comes; the fields' texts reached the desktop whole.
  Entrar(socket, "a&b 100%", "x%26y&");
  std::string dialog = socket.WaitForScript("OrvaneMessageDlg(");
  EXPECT_NE(dialog.find("Usu\\u00e1rio ou Senha n\\u00e3o confere!"), std::string::npos) << dialog;
  OnSession(*session, [&] {
    auto* login = Registry(*session).GetInstance<TfLogin>();
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(login->edtLogin->Text(), "a&b 100%");
    EXPECT_EQ(login->edtSenha->Text(), "x%26y&");
  });
  std::string callback = webclient::DialogCallBackID(dialog);
  ASSERT_FALSE(callback.empty());
  socket.CallBack(callback, "result=1");
  socket.WaitForScript("UnLockThreadClient();");

  // An empty name: its own message.
  Entrar(socket, "", "");
  dialog = socket.WaitForScript("OrvaneMessageDlg(");
  EXPECT_NE(dialog.find("\"text\":\"Informe o Login\""), std::string::npos) << dialog;
  socket.CallBack(webclient::DialogCallBackID(dialog), "result=1");
  socket.WaitForScript("UnLockThreadClient();");

  // A right account: the page reloads into the menu of the same session,
  // with the session's own data module.
  Entrar(socket, "bryn", "bryn");
  socket.WaitForScript("window.location.reload()");
  webclient::TPage next = webclient::LoadPage(Port, "/", &page);
  EXPECT_EQ(next.UUID, page.UUID);
  EXPECT_NE(next.HTML.find("<title>Corvessa - Tamblo</title>"), std::string::npos);
  EXPECT_NE(next.HTML.find("Gerenciamento de Solicitações"), std::string::npos);
  EXPECT_EQ(session->InfoConnection()->User(), "bryn");
  OnSession(*session, [&] {
    EXPECT_EQ(Registry(*session).GetInstance<TfLogin>(), nullptr);
    EXPECT_NE(Registry(*session).GetInstance<TfMenu>(), nullptr);
  });
}

TEST_F(WebLogin, AClosingSessionLetsAWaitingHandlerUnwindBeforeItsFormsGo) {
  webclient::TPage page = webclient::LoadPage(Port);
  webclient::TPageSocket socket(Port, page);
  socket.AfterPageLoad();
  auto session = Session(page);
  ASSERT_NE(session, nullptr);
  Entrar(socket, "bryn", "bryn");
  socket.WaitForScript("window.location.reload()");
  TfLisSolicitacoes* list = nullptr;
  OnSession(*session, [&] {
    FTDI->MostrarFormulario<TfLisSolicitacoes>(false);
    for (int page = 0; !list && FTDI->Formulario(page); ++page)
      list = dynamic_cast<TfLisSolicitacoes*>(FTDI->Formulario(page));
  });
  ASSERT_NE(list, nullptr);
  // "Novo" opens the request form as a popup and waits until it closes;
  // whatever the handler does on its way out needs the session's forms
  // and data module.
  std::promise<bool> unwound;
  session->ExecThread(false, [&unwound, list] {
    struct TOnExit {
      std::promise<bool>& Done;
      ~TOnExit() { Done.set_value(DM != nullptr && !DM->qrySolicitacao->Active()); }
    } onExit{unwound};
    list->btnNovoClick(nullptr);
  });
  auto* raw = dynamic_cast<orvane::TOrvaneSession*>(session.get());
  ASSERT_NE(raw, nullptr);
  auto waiting = [&] {
    for (const std::string& name : raw->LockNames())
      if (name.find("_showmodal") != std::string::npos) return true;
    return false;
  };
  for (int i = 0; i < 500 && !waiting(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(waiting());
  auto ended = unwound.get_future();
  session->Close();
  // By the time the session is closed, the handler has ended and its
  // cleanup found the data module still there.
  ASSERT_EQ(ended.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  EXPECT_TRUE(ended.get());
}
