// The main menu: its top bar, side menu and menu bar, each entry opening its
// form as a tab of the host, headless on a real database.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/uCadPrefeitura.h"
#include "app/uCadSituacao.h"
#include "app/uCadTipoSolicitacao.h"
#include "app/uCadTipoUnidade.h"
#include "app/uCadUnidades.h"
#include "app/uLisSolicitacoes.h"
#include "tests/app/AppTestSupport.h"

using namespace app;
using app_testing::AppFixture;

namespace {

class MenuTest : public app_testing::SharedDatabaseTest<> {
 protected:
  AppFixture app{*Shared};
  TfMenu& menu() { return *app.Menu; }
};

}  // namespace

TEST_F(MenuTest, WindowTopBarSideMenuAndMenuBar) {
  EXPECT_EQ(menu().Caption(), "Menu");
  EXPECT_EQ(menu().WindowState(), ui::wsMaximized);
  EXPECT_EQ(menu().Color(), ui::clWhite);
  EXPECT_EQ(menu().Panel1->Height(), 41);
  EXPECT_EQ(menu().Panel1->Align(), ui::alTop);
  EXPECT_EQ(menu().DBText1->Caption(), "Prefeitura Municipal de Santa Aurora");
  // As wide as the whole name (at least its design width), before the buttons.
  EXPECT_GE(menu().DBText1->Width(),
            std::max(328, ui::MeasureText(menu().DBText1->Caption(), menu().DBText1->Font()).cx));
  EXPECT_LE(menu().DBText1->Width(), menu().btnUser->Left());
  EXPECT_EQ(menu().DBText1->EllipsisPosition(), ui::epEndEllipsis);
  EXPECT_EQ(menu().DBText1->Font().Size(), 14);
  EXPECT_TRUE(menu().DBText1->Font().Style() & ui::fsBold);
  EXPECT_EQ(menu().btnFechar->Hint(), "Sair do sistema (Fechar)");
  EXPECT_EQ(menu().btnUser->Hint(), "Cadastro de Pessoas Físicas e Juríridas");
  // From the right edge: close, a 4-pixel spacer, the person button.
  EXPECT_EQ(menu().btnFechar->Left() + menu().btnFechar->Width(), menu().Panel1->ClientWidth());
  EXPECT_EQ(menu().btnUser->Left() + 40 + 4, menu().btnFechar->Left());

  EXPECT_EQ(menu().pnlMenu->Width(), 200);
  EXPECT_EQ(menu().pnlMenu->Top(), 41);
  EXPECT_EQ(menu().btnRecolher->Caption(), "Recolher");
  EXPECT_EQ(menu().btnRecolher->Height(), 30);
  EXPECT_EQ(menu().pnlSolicitacoes->Height(), 103);
  EXPECT_EQ(menu().pnlUsuarios->Height(), 103);
  EXPECT_EQ(menu().pnlCadastros->Height(), 200);
  EXPECT_EQ(menu().pnlSolicitacoes->Top(), 30);
  EXPECT_EQ(menu().pnlUsuarios->Top(), 133);
  EXPECT_EQ(menu().pnlCadastros->Top(), 236);
  EXPECT_FALSE(menu().btnOpcao1->Enabled());
  EXPECT_FALSE(menu().SpeedButton1->Enabled());
  EXPECT_FALSE(menu().SpeedButton3->Enabled());
  EXPECT_EQ(menu().SpeedButton6->Margin(), 5);
  EXPECT_EQ(menu().SpeedButton6->Spacing(), 10);
  EXPECT_FALSE(menu().SpeedButton6->Glyph().Empty());
  EXPECT_EQ(menu().SpeedButton12->Caption(), "Configurações");
  EXPECT_EQ(menu().Image1->Align(), ui::alClient);
  EXPECT_TRUE(menu().Image1->Center());

  std::vector<std::string> bar;
  ui::TMenuItem* root = menu().MainMenu1->Items();
  for (int i = 0; i < root->Count(); ++i) bar.push_back(root->Items(i)->Caption());
  EXPECT_EQ(bar, (std::vector<std::string>{"Cadastros", "Solicitações", "Usuários", "Sair"}));
  std::vector<std::string> cadastros;
  for (int i = 0; i < menu().Cadastros1->Count(); ++i)
    cadastros.push_back(menu().Cadastros1->Items(i)->Caption());
  EXPECT_EQ(cadastros,
            (std::vector<std::string>{"Prefeitura", "Unidades", "-", "Tipo de Unidade",
                                      "Tipo de Solicitação", "Situação de Solicitação"}));
  EXPECT_EQ(menu().Menu(), menu().MainMenu1);

  ASSERT_NE(FTDI, nullptr);
  EXPECT_EQ(FTDI->Owner(), &menu());
  EXPECT_FALSE(FTDI->MostrarMenuPopup());
  EXPECT_EQ(FTDI->FormPadrao(), nullptr);
  EXPECT_FALSE(FTDI->PageControl()->Visible());
}

TEST_F(MenuTest, RecolherTwiceRestoresTheSideMenu) {
  ui::ClickOn(menu(), "btnRecolher");
  EXPECT_EQ(menu().pnlMenu->Width(), 36);
  EXPECT_EQ(menu().btnRecolher->Caption(), "");
  ui::ClickOn(menu(), "btnRecolher");
  EXPECT_EQ(menu().pnlMenu->Width(), 200);
  EXPECT_EQ(menu().btnRecolher->Caption(), "Recolher");
}

TEST_F(MenuTest, GroupHeadersToggleTheirGroups) {
  struct Case {
    const char* header;
    ui::TPanel* group;
    int expanded;
  } cases[] = {{"btnMenuCategoria1", menu().pnlSolicitacoes, 103},
               {"SpeedButton2", menu().pnlUsuarios, 103},
               {"SpeedButton5", menu().pnlCadastros, 200}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    ui::ClickOn(menu(), c.header);
    EXPECT_EQ(c.group->Height(), 33);
    ui::ClickOn(menu(), c.header);
    EXPECT_EQ(c.group->Height(), c.expanded);
  }
  // Collapsing a group moves the groups below it up.
  ui::ClickOn(menu(), "btnMenuCategoria1");
  EXPECT_EQ(menu().pnlUsuarios->Top(), 30 + 33);
  EXPECT_EQ(menu().pnlCadastros->Top(), 30 + 33 + 103);
  ui::ClickOn(menu(), "btnMenuCategoria1");
  EXPECT_EQ(menu().pnlUsuarios->Top(), 133);
}

TEST_F(MenuTest, EveryEntryOpensItsFormAsATab) {
  struct Case {
    const char* button;
    ui::TMenuItem* item;
    const core::TClassInfo* form;
    const char* tab;
  } cases[] = {
      {"SpeedButton6", menu().Prefeitura1, &TfCadPrefeitura::StaticClass(),
       "Cadastro da Prefeitura      "},
      {"SpeedButton7", menu().Prefeitura2, &TfCadUnidades::StaticClass(),
       "Cadastro de Unidades      "},
      {"SpeedButton8", menu().TipoDeUnidade1, &TfCadTipoUnidade::StaticClass(),
       "Cadastro de Tipos de Unidade      "},
      {"SpeedButton9", menu().ipodeSolicitao1, &TfCadTipoSolicitacao::StaticClass(),
       "Cadastro de Tipo de Solicitação      "},
      {"SpeedButton10", menu().SituaodeSolicitao1, &TfCadSituacao::StaticClass(),
       "Cadastro de Situação de Solicitação      "},
      {"SpeedButton4", menu().GerenciamentodeSolicitaes1, &TfLisSolicitacoes::StaticClass(),
       "Solicitacoes      "},
  };
  tabhost::TPageControl* pc = FTDI->PageControl();
  // The buttons open the tabs; choosing the same entry again only brings its
  // tab to the front.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    ui::ClickOn(menu(), c.button);
    EXPECT_EQ(pc->ActivePage()->Caption(), c.tab);
    EXPECT_EQ(&FTDI->Formulario(pc->ActivePageIndex())->ClassType(), c.form);
  }
  EXPECT_EQ(pc->PageCount(), 6);
  EXPECT_TRUE(pc->Visible());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    c.item->Click();
    EXPECT_EQ(pc->ActivePage()->Caption(), c.tab);
  }
  EXPECT_EQ(pc->PageCount(), 6);
  // "Sair" of a form closes its tab.
  ui::ClickOn(*FTDI->Formulario(pc->ActivePageIndex()), "SpeedButton1");
  EXPECT_EQ(pc->PageCount(), 5);
  ui::ClickOn(*FTDI->Formulario(pc->ActivePageIndex()), "btnSair");
  EXPECT_EQ(pc->PageCount(), 4);
}

TEST_F(MenuTest, GerenciamentoTwiceLeavesOneRequestListTab) {
  ui::ClickOn(menu(), "SpeedButton4");
  ui::ClickOn(menu(), "SpeedButton4");
  EXPECT_EQ(AppFixture::Tabs(), std::vector<std::string>{"Solicitacoes      "});
}

TEST_F(MenuTest, EntriesWithoutActionDoNothing) {
  menu().RelatriodasSolicitaes1->Click();
  menu().CadastrodeUsurios1->Click();
  menu().iposdeUsurio1->Click();
  ui::ClickOn(menu(), "SpeedButton12");
  ui::ClickOn(menu(), "btnUser");
  EXPECT_TRUE(AppFixture::Tabs().empty());
  EXPECT_TRUE(AppFixture::Messages().empty());
  EXPECT_FALSE(ui::Application->Terminated());
}

TEST_F(MenuTest, SairEndsTheProgram) {
  menu().Sair1->Click();
  EXPECT_TRUE(ui::Application->Terminated());
}

TEST_F(MenuTest, TheTopBarFollowsTheCityHallName) {
  auto* f = app.Open<TfCadPrefeitura>();
  ui::TypeInto(*f->DBEdit2, "Prefeitura de Vale Verde");
  ui::ClickOn(*f, "btnSalvar");
  EXPECT_TRUE(AppFixture::Messages().empty());
  EXPECT_EQ(menu().DBText1->Caption(), "Prefeitura de Vale Verde");
  EXPECT_EQ(app.Database.Scalar("SELECT NOME_PREFEITURA FROM PREFEITURA"),
            "Prefeitura de Vale Verde");
}

// The name's label grows with the name and stops at the bar's buttons.
TEST_F(MenuTest, TheCityHallNameTakesTheWidthItNeedsWithinTheBar) {
  ui::TDBText* nome = menu().DBText1;
  int room = menu().btnUser->Left();
  auto fits = [&] { return ui::MeasureText(nome->Caption(), nome->Font()).cx; };
  for (std::string name :
       {std::string("Prefeitura de Ipê"),
        std::string("Prefeitura Municipal de São José dos Campos do Sul"), std::string(100, 'M')}) {
    SCOPED_TRACE(name);
    DM->qryPrefeitura->Edit();
    DM->qryPrefeitura->FieldByName("NOME_PREFEITURA").SetAsString(name);
    EXPECT_EQ(nome->Caption(), name);
    EXPECT_EQ(nome->Width(), std::min(std::max(328, fits() + 8), room));
    EXPECT_EQ(nome->Left(), 0);
    EXPECT_EQ(nome->Height(), 41);
    DM->qryPrefeitura->Cancel();
  }
  // A narrower window gives a long name less room.
  DM->qryPrefeitura->Edit();
  DM->qryPrefeitura->FieldByName("NOME_PREFEITURA")
      .SetAsString("Prefeitura Municipal de São José dos Campos do Sul");
  menu().SetWindowState(ui::wsNormal);
  menu().SetBounds(0, 0, 500, 400);
  EXPECT_EQ(nome->Width(), menu().btnUser->Left());
  EXPECT_LT(nome->Width(), fits());
  menu().SetBounds(0, 0, 1600, 400);
  EXPECT_EQ(nome->Width(), fits() + 8);
  DM->qryPrefeitura->Cancel();
}

// "Sair" with records pending in several tabs asks each tab's form in turn:
// the answers apply tab by tab, and "Cancelar" stops the quitting.
TEST_F(MenuTest, SairAsksAboutEveryPendingEditFirst) {
  ui::ClickOn(menu(), "SpeedButton10");  // Situações
  auto* sit = AppFixture::Active<TfCadSituacao>();
  ui::TypeInto(*sit->DBEdit2, "Aberta hoje");
  ui::ClickOn(menu(), "SpeedButton8");  // Tipos de Unidade
  auto* tpu = AppFixture::Active<TfCadTipoUnidade>();
  ui::ClickOn(*tpu, "btnNovo");
  ui::TypeInto(*tpu->DBEdit2, "Ginásio");
  ui::ClickOn(menu(), "SpeedButton4");  // the request list: nothing to ask

  std::vector<ui::TModalResult> answers{ui::mrNo, ui::mrCancel};
  std::vector<std::string> asked;
  std::vector<std::string> front;  // the tab shown when each question came
  AppFixture::Headless().OnMessageBox = [&](const ui::TMessageBoxRequest& r) {
    asked.push_back(r.Text);
    front.push_back(FTDI->PageControl()->ActivePage()->Caption());
    ui::TModalResult a = answers.front();
    answers.erase(answers.begin());
    return a;
  };
  menu().Sair1->Click();
  EXPECT_FALSE(ui::Application->Terminated());
  EXPECT_EQ(asked, std::vector<std::string>(2, "Deseja salvar as alterações?"));
  EXPECT_EQ(front, (std::vector<std::string>{"Cadastro de Situação de Solicitação      ",
                                             "Cadastro de Tipos de Unidade      "}));
  EXPECT_EQ(DM->qrySituacao->State(), db::TDataSetState::dsBrowse);     // "Não"
  EXPECT_EQ(DM->qryTipoUnidade->State(), db::TDataSetState::dsInsert);  // "Cancelar"
  EXPECT_EQ(AppFixture::Tabs().size(), 3u);

  // Closing the window asks the same way; "Sim" saves and the window may close.
  answers = {ui::mrYes};
  asked.clear();
  bool canClose = false;
  menu().FormCloseQuery(&menu(), canClose);
  EXPECT_TRUE(canClose);
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(app.Database.Scalar("SELECT COUNT(*) FROM TIPO_UNIDADE WHERE TIPO_UNIDADE = 'Ginásio'"),
            "1");
  EXPECT_EQ(
      app.Database.Scalar("SELECT COUNT(*) FROM SITUACAO WHERE NOME_SITUACAO = 'Aberta hoje'"),
      "0");
  // Nothing pending any more: "Sair" ends the program without a question.
  asked.clear();
  menu().Sair1->Click();
  EXPECT_TRUE(asked.empty());
  EXPECT_TRUE(ui::Application->Terminated());
  app.Database.Exec("DELETE FROM TIPO_UNIDADE WHERE TIPO_UNIDADE = 'Ginásio'");
}

TEST_F(MenuTest, FreeingTheMenuClosesEveryTab) {
  ui::ClickOn(menu(), "SpeedButton4");
  ui::ClickOn(menu(), "SpeedButton6");
  core::FreeAndNil(app.Menu);
  EXPECT_EQ(FTDI, nullptr);
  // The request list was the only user of the list dataset's filter.
  EXPECT_TRUE(DM->qryPrefeitura->Active());
}
