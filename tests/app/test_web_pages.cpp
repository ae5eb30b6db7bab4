// The application's web pages: the layouts the forms declare, the login page
// served by a real server from the real page template, and each web
// session's own data module, on a real Firebird database.
#include <gtest/gtest.h>

#include <future>

#include "app/uCadPrefeitura.h"
#include "app/uCadSituacao.h"
#include "app/uCadTipoSolicitacao.h"
#include "app/uCadTipoUnidade.h"
#include "app/uCadUnidades.h"
#include "app/uDM.h"
#include "app/uLisSolicitacoes.h"
#include "app/uLogin.h"
#include "app/uMenu.h"
#include "app/uSolicitacao.h"
#include "orvane/server/Orvane.Session.h"
#include "tests/app/WebAppTestSupport.h"
#include "tests/platform/net/TestClient.h"
#include "vexlo/Vexlo.Instance.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.Item.VCLObj.h"
#include "vexlo/Vexlo.h"

using namespace app;

namespace {

// A component told when another one is freed.
class TFreeWatch : public core::TComponent {
 public:
  void Watch(core::TComponent* AOther) { FreeNotification(AOther); }
  std::atomic<int> Freed{0};

 protected:
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override {
    core::TComponent::Notification(AComponent, AOperation);
    if (AOperation == core::TOperation::opRemove) ++Freed;
  }
};

// Sessions made by hand on the shared engine; the tests that need the
// server start it themselves.
class WebPagesTest : public app_testing::WebEngineTest {
 protected:
  WebPagesTest() : WebEngineTest("tamblo-webpages-app") {}
  std::shared_ptr<orvane::TOrvaneSession> NewSession() {
    auto session = orvane::TOrvaneSession::Create(Engine);
    Engine->AddSession(session);
    return session;
  }
  // Runs AProc as one of the session's work items and waits for it.
  template <class F>
  static void OnSession(orvane::IOrvaneSession& ASession, F AProc) {
    std::exception_ptr failure;
    ASession.ExecThread(true, [&] {
      try {
        AProc();
      } catch (...) {
        failure = std::current_exception();
      }
    });
    if (failure) std::rethrow_exception(failure);
  }
  static std::vector<std::string> Ids(const vexlo::TVexloItemList& AItems) {
    std::vector<std::string> ids;
    for (const auto& item : AItems) ids.push_back(item->GetItemID());
    return ids;
  }
};

}  // namespace

TEST_F(WebPagesTest, TheLoginFormDeclaresTwoRowsAndCostsNoDatabase) {
  auto session = NewSession();
  OnSession(*session, [&] {
    Engine->InstancePrimaryForm(session);
    auto* login = Registry(*session).GetInstance<TfLogin>();
    ASSERT_NE(login, nullptr);
    ASSERT_NE(login->Vexlo(), nullptr);
    EXPECT_EQ(session->GetVexloBaseClass(), login->Vexlo());
    EXPECT_EQ(login->Title(), "Corvessa");
    EXPECT_EQ(login->Vexlo()->FrameworkExportType()->GetTemplateMasterHTMLFile(), "");
    EXPECT_EQ(login->Vexlo()->FrameworkExportType()->GetTemplatePageHTMLFile(),
              "pages\\login.html");
    const vexlo::TVexloItemList& rows = login->Vexlo()->Items().Items();
    ASSERT_EQ(Ids(rows), (std::vector<std::string>{"row1", "row2"}));
    auto first = std::dynamic_pointer_cast<vexlo::IVexloItemHTMLRow>(rows[0]);
    auto second = std::dynamic_pointer_cast<vexlo::IVexloItemHTMLRow>(rows[1]);
    EXPECT_EQ(first->GetHTMLTagRow(), "row mt-2 mb-2");
    EXPECT_FALSE(first->GetInLine());
    EXPECT_EQ(Ids(first->Items().Items()),
              (std::vector<std::string>{"lblLogin", "edtLogin", "lblSenha", "edtSenha"}));
    std::vector<std::string> css;
    for (const auto& item : first->Items().Items()) css.push_back(item->GetCSS());
    EXPECT_EQ(css, (std::vector<std::string>{"fs-4 fw-bold", "fs-4", "fs-4 fw-bold", "fs-4"}));
    ASSERT_EQ(Ids(second->Items().Items()), std::vector<std::string>{"btnEntrar"});
    EXPECT_EQ(second->Items().Items()[0]->GetCSS(), "");
    auto button = std::dynamic_pointer_cast<vexlo::IVexloItemVCLObj>(second->Items().Items()[0]);
    EXPECT_EQ(button->GetItem(), login->btnEntrar);
    // The login form's creation made no data module: nothing attached.
    EXPECT_EQ(Registry(*session).GetInstance<TDM>(), nullptr);
    EXPECT_FALSE(DM == nullptr);  // a session always has its module, made on first use
    EXPECT_EQ(Registry(*session).GetInstance<TDM>(), nullptr);
  });
}

TEST_F(WebPagesTest, EveryApplicationFormDeclaresItsPage) {
  auto session = NewSession();
  OnSession(*session, [&] {
    struct Case {
      core::TComponentClass Class;
      const char* Title;
      const char* Template;
      std::vector<std::string> Controls;  // among the exported items
    };
    const Case cases[] = {
        {&TfMenu::StaticClass(),
         "Corvessa",
         "pages\\menu.html",
         {"DBText1", "btnFechar", "btnRecolher", "SpeedButton4", "btnOpcao1", "SpeedButton10",
          "SpeedButton12"}},
        {&TfCadSituacao::StaticClass(),
         "My Vexlo Form",
         "",
         {"btnNovo", "btnSalvar", "btnCancelar", "btnSair", "DBGrid1", "DBEdit2",
          "dbiLogoSituacao"}},
        {&TfCadTipoSolicitacao::StaticClass(),
         "My Vexlo Form",
         "",
         {"btnNovo", "DBGrid1", "DBEdit2", "dbiLogoTipo"}},
        {&TfCadUnidades::StaticClass(),
         "My Vexlo Form",
         "",
         {"btnNovo", "DBGrid1", "DBEdit2", "DBLookupComboBox1"}},
        {&TfCadTipoUnidade::StaticClass(), "My Vexlo Form", "", {"btnNovo", "DBGrid1", "DBEdit2"}},
        {&TfCadPrefeitura::StaticClass(),
         "",
         "",
         {"DBEdit1", "DBEdit2", "dbiLogoPrefeitura", "btnSalvar", "btnCancelar", "Upload1"}},
        {&TfLisSolicitacoes::StaticClass(),
         "",
         "",
         {"cbbSituacao", "edtPesquisa", "btnNovo", "btnAlterar", "dbgTarefas", "SpeedButton1"}},
        {&TfSolicitacao::StaticClass(),
         "",
         "",
         {"DBEdit1", "DBLookupComboBox2", "DBEdit2", "DBEdit3", "DBLookupComboBox3",
          "DBLookupComboBox1", "btnSalvar", "btnCancelar", "btnSair"}},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.Class->ClassName());
      auto* form = dynamic_cast<vexlo::TVexloForm*>(Registry(*session).CreateInstance(c.Class));
      ASSERT_NE(form, nullptr);
      ASSERT_NE(form->Vexlo(), nullptr);
      EXPECT_EQ(form->Title(), c.Title);
      EXPECT_GT(form->Vexlo()->Items().Count(), 0);
      EXPECT_EQ(form->Vexlo()->FrameworkExportType()->GetTemplatePageHTMLFile(), c.Template);
      for (const std::string& name : c.Controls)
        EXPECT_TRUE(form->Vexlo()->ObjectExported(name)) << name;
      // Only the request form shows its modal run as a popup.
      EXPECT_EQ(form->ShowModalAsPopup(), c.Class == &TfSolicitacao::StaticClass());
      Registry(*session).DestroyInstance(c.Class);
    }
  });
}

TEST_F(WebPagesTest, EachSessionHasItsOwnDataModule) {
  auto a = NewSession();
  auto b = NewSession();
  TDM* moduleA = nullptr;
  TDM* moduleB = nullptr;
  TFreeWatch watch;
  OnSession(*a, [&] {
    moduleA = DM;
    ASSERT_NE(moduleA, nullptr);
    EXPECT_TRUE(moduleA->SessionModule());
    EXPECT_TRUE(moduleA->conBD->Connected());
    EXPECT_TRUE(moduleA->qryLisSolicitacao->Active());
    EXPECT_EQ(static_cast<TDM*>(DM), moduleA);  // one per session
    EXPECT_EQ(Registry(*a).GetInstance<TDM>(), moduleA);
    moduleA->qrySituacao->Next();
    watch.Watch(moduleA);
  });
  OnSession(*b, [&] {
    moduleB = DM;
    ASSERT_NE(moduleB, nullptr);
    EXPECT_NE(moduleB->conBD, moduleA->conBD);
    EXPECT_EQ(moduleB->qrySituacao->RecNo(), 1);  // a's scroll is not b's
  });
  EXPECT_NE(moduleA, moduleB);
  // Outside a session the desktop's module (none here) is the one.
  EXPECT_TRUE(DM == nullptr);
  // A session's module goes with its session.
  a->Close();
  a.reset();
  EXPECT_EQ(watch.Freed.load(), 1);
  OnSession(*b, [&] { EXPECT_EQ(static_cast<TDM*>(DM), moduleB); });
}

TEST_F(WebPagesTest, TheServerAnswersTheLoginPage) {
  Engine->StartServer();
  int port = Engine->OrvaneServerTCP().BoundPort();
  testnet::TClient client(port);
  client.Send("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
              "\r\nUser-Agent: teste\r\n\r\n");
  std::string answer = client.ReadAll();
  ASSERT_EQ(answer.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << answer.substr(0, 200);
  std::string page = answer.substr(answer.find("\r\n\r\n") + 4);
  EXPECT_NE(page.find("<title>Corvessa - Tamblo</title>"), std::string::npos);
  EXPECT_NE(page.find("<img src=\"img/logo.png\""), std::string::npos);
  EXPECT_NE(page.find("<div class=\"row mt-2 mb-2\" style>"), std::string::npos);
  EXPECT_NE(page.find("src=\"js/jquery-3.6.4.js\""), std::string::npos);
  EXPECT_NE(page.find("id=\"overlayerror\""), std::string::npos);
  for (const char* left : {"$orvanebody", "$_orvane", "{{", "{%"})
    EXPECT_EQ(page.find(left), std::string::npos) << left;
  // One new session, showing the login form, with no database attachment.
  std::shared_ptr<orvane::IOrvaneSession> session;
  {
    std::lock_guard<std::recursive_mutex> g(Engine->CriticalSession);
    ASSERT_EQ(Engine->GetSessions().size(), 1u);
    session = Engine->GetSessions().begin()->second;
  }
  EXPECT_NE(page.find("\"" + session->GetToken() + "\""), std::string::npos);
  EXPECT_EQ(session->InfoConnection()->UserAgent(), "teste");
  OnSession(*session, [&] {
    EXPECT_NE(Registry(*session).GetInstance<TfLogin>(), nullptr);
    EXPECT_EQ(Registry(*session).GetInstance<TDM>(), nullptr);
  });
}
