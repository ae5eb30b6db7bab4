// The request list and the request form, headless on real databases: the
// situation list, the text filter, and requests created and edited end to
// end, through the embedded engine and through the server.
#include <gtest/gtest.h>

#include "app/uCadSituacao.h"
#include "app/uCadTipoSolicitacao.h"
#include "app/uLisSolicitacoes.h"
#include "app/uSolicitacao.h"
#include "tests/app/AppTestSupport.h"

using namespace app;
using app_testing::AppFixture;
using db::TDataSetState;
using testing_support::TAccess;
using testing_support::TTestDatabase;

namespace {

// Chooses an entry of a list the way a user does.
void Pick(ui::TCustomComboBox& AList, const std::string& AText) {
  int index = AList.Items().IndexOf(AText);
  ASSERT_GE(index, 0) << AText;
  AList.SetFocus();
  AList.SelectByUser(index);
}

// The keys of the listed requests, in list order.
std::vector<int64_t> Listed() {
  std::vector<int64_t> ids;
  db::TQuery* q = DM->qryLisSolicitacao;
  int rec = q->RecNo();
  for (q->First(); !q->Eof(); q->Next())
    ids.push_back(q->FieldByName("ID_SOLICITACAO").AsLargeInt());
  if (rec > 0) q->SetRecNo(rec);
  return ids;
}

int Count(const TTestDatabase& ADatabase, const std::string& AWhere) {
  return std::stoi(ADatabase.Scalar("SELECT COUNT(*) FROM SOLICITACAO WHERE " + AWhere));
}

// Registers a request, finds it with the situation and the search field,
// edits it and finds it again.
void CreateFindAndEdit(AppFixture& app) {
  auto* l = app.Open<TfLisSolicitacoes>();
  int before = DM->qryLisSolicitacao->RecordCount();
  const std::string text = "Poste caído na Rua d'Ajuda";
  AppFixture::Headless().OnModal = [&](ui::TCustomForm& form) {
    auto& f = dynamic_cast<TfSolicitacao&>(form);
    EXPECT_EQ(fSolicitacao, &f);
    EXPECT_EQ(DM->qrySolicitacao->State(), TDataSetState::dsInsert);
    // Dated now, and belonging to the current city hall.
    EXPECT_GT(DM->qrySolicitacao->FieldByName("DATA_SOLICITACAO").AsDateTime(), db::Now() - 1);
    EXPECT_FALSE(f.DBEdit2->Text().empty());
    EXPECT_EQ(DM->qrySolicitacao->FieldByName("ID_PREFEITURA").AsLargeInt(), 1);
    ui::TypeInto(*f.DBEdit3, text);
    Pick(*f.DBLookupComboBox2, "Reclamação");
    Pick(*f.DBLookupComboBox3, "Departamento de Trânsito");
    Pick(*f.DBLookupComboBox1, "Aberta");
    Pick(*f.DBLookupComboBox4, "Ana Paula Oliveira");
    ui::ClickOn(f, "btnSalvar");
  };
  ui::ClickOn(*l, "btnNovo");
  ASSERT_TRUE(AppFixture::Messages().empty()) << AppFixture::Messages()[0];
  EXPECT_EQ(fSolicitacao, nullptr);
  EXPECT_FALSE(DM->qrySolicitacao->Active());
  // Listed, and the current row of the list.
  EXPECT_EQ(DM->qryLisSolicitacao->RecordCount(), before + 1);
  db::TQuery* list = DM->qryLisSolicitacao;
  int64_t id = list->FieldByName("ID_SOLICITACAO").AsLargeInt();
  EXPECT_EQ(list->FieldByName("SOLICITACAO").AsString(), text);
  EXPECT_EQ(list->FieldByName("NOME_USUARIO").AsString(), "Ana Paula Oliveira");
  EXPECT_EQ(list->FieldByName("NOME_SITUACAO").AsString(), "Aberta");
  EXPECT_EQ(list->FieldByName("NOME_TIPO").AsString(), "Reclamação");
  EXPECT_EQ(list->FieldByName("NOME_UNIDADE").AsString(), "Departamento de Trânsito");
  std::string key = std::to_string(id);
  EXPECT_EQ(
      app.Database.Scalar("SELECT SOLICITACAO FROM SOLICITACAO WHERE ID_SOLICITACAO = " + key),
      text);
  EXPECT_EQ(
      app.Database.Scalar("SELECT ID_PREFEITURA FROM SOLICITACAO WHERE ID_SOLICITACAO = " + key),
      "1");

  // Found through the situation and the search field together.
  Pick(*l->cbbSituacao, "1 - Aberta");
  ui::TypeInto(*l->edtPesquisa, "d'Ajuda");
  EXPECT_EQ(Listed(), std::vector<int64_t>{id});

  // Edited: a new description and situation.
  AppFixture::Headless().OnModal = [&](ui::TCustomForm& form) {
    auto& f = dynamic_cast<TfSolicitacao&>(form);
    EXPECT_EQ(DM->qrySolicitacao->State(), TDataSetState::dsEdit);
    EXPECT_EQ(f.DBEdit3->Text(), text);
    EXPECT_EQ(f.DBLookupComboBox4->Text(), "Ana Paula Oliveira");
    ui::TypeInto(*f.DBEdit3, text + " (religado)");
    Pick(*f.DBLookupComboBox1, "Em andamento");
    ui::ClickOn(f, "btnSalvar");
  };
  ui::ClickOn(*l, "btnAlterar");
  ASSERT_TRUE(AppFixture::Messages().empty()) << AppFixture::Messages()[0];
  // No longer "Aberta"; found under "Em andamento", the search still applied.
  EXPECT_TRUE(Listed().empty());
  Pick(*l->cbbSituacao, "2 - Em andamento");
  EXPECT_EQ(Listed(), std::vector<int64_t>{id});
  EXPECT_EQ(DM->qryLisSolicitacao->FieldByName("SOLICITACAO").AsString(), text + " (religado)");
  EXPECT_EQ(
      app.Database.Scalar("SELECT ID_SITUACAO FROM SOLICITACAO WHERE ID_SOLICITACAO = " + key),
      "2");
}

class RequestListTest : public app_testing::SharedDatabaseTest<> {
 protected:
  AppFixture app{*Shared};
};

}  // namespace

TEST_F(RequestListTest, WindowSituationListAndGridColumns) {
  auto* l = app.Open<TfLisSolicitacoes>();
  EXPECT_EQ(l->Caption(), "Solicitacoes");
  EXPECT_EQ(l->lblTituloTela->Caption(), "Lista de Solicitações");
  EXPECT_EQ(l->SpeedButton1->Caption(), "Sair");
  EXPECT_EQ(l->gpbFiltragem->Height(), 75);
  EXPECT_EQ(l->cbbSituacao->Width(), 145);
  EXPECT_EQ(l->cbbSituacao->Style(), ui::csDropDown);
  EXPECT_EQ(l->edtPesquisa->Width(), 331);
  EXPECT_FALSE(l->dtpDtInicial->Enabled());
  EXPECT_FALSE(l->dtpDtFinal->Enabled());
  EXPECT_FALSE(l->Label3->Enabled());
  EXPECT_FALSE(l->btnBuscar->Visible());
  EXPECT_EQ(l->cbbSituacao->Items().Lines(),
            (std::vector<std::string>{"Todos", "1 - Aberta", "2 - Em andamento", "3 - Concluída",
                                      "4 - Cancelada"}));
  EXPECT_EQ(l->cbbSituacao->ItemIndex(), 0);
  EXPECT_EQ(DM->qrySituacao->RecNo(), 1);

  struct Column {
    std::string field;
    int width;
    std::string title;
  } columns[] = {{"ID_SOLICITACAO", 80, "Controle"}, {"DATA_SOLICITACAO", 115, "Data Solicitação"},
                 {"SOLICITACAO", 200, "Descrição"},  {"NOME_USUARIO", 200, "Usuário"},
                 {"NOME_SITUACAO", 200, "Situação"}, {"NOME_TIPO", 200, "Tipo"},
                 {"NOME_UNIDADE", 200, "Unidade"}};
  ASSERT_EQ(l->dbgTarefas->Columns().Count(), 7);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(l->dbgTarefas->Columns()[i]->FieldName(), columns[i].field);
    EXPECT_EQ(l->dbgTarefas->Columns()[i]->Width(), columns[i].width);
    EXPECT_EQ(l->dbgTarefas->Columns()[i]->Title().Caption, columns[i].title);
  }
  EXPECT_TRUE(l->dbgTarefas->ReadOnly());
  // "Controle" zero-padded to eight digits.
  ASSERT_GT(l->dbgTarefas->RowCount(), 0);
  EXPECT_EQ(l->dbgTarefas->CellText(0, 0), "00000001");
}

TEST_F(RequestListTest, TodosListsEveryRequestOldestFirst) {
  app.Open<TfLisSolicitacoes>();
  db::TQuery* q = DM->qryLisSolicitacao;
  EXPECT_EQ(q->RecordCount(), Count(app.Database, "1=1"));
  EXPECT_EQ(q->SQL()[q->SQL().Count() - 3], "WHERE 1=1");
  double last = 0;
  for (q->First(); !q->Eof(); q->Next()) {
    double d = q->FieldByName("DATA_SOLICITACAO").AsDateTime();
    EXPECT_GE(d, last);
    last = d;
  }
}

TEST_F(RequestListTest, SearchWithAnApostropheClearingAndSituationTogether) {
  auto* l = app.Open<TfLisSolicitacoes>();
  int all = DM->qryLisSolicitacao->RecordCount();
  ui::TypeInto(*l->edtPesquisa, "d'agua");
  EXPECT_TRUE(AppFixture::Messages().empty());
  EXPECT_EQ(DM->qryLisSolicitacao->Filter(), "SOLICITACAO LIKE '%d''agua%'");
  EXPECT_EQ(DM->qryLisSolicitacao->RecordCount(),
            Count(app.Database, "SOLICITACAO LIKE '%d''agua%'"));
  EXPECT_GE(DM->qryLisSolicitacao->RecordCount(), 1);
  // Clearing the field shows every row again.
  ui::TypeInto(*l->edtPesquisa, "");
  EXPECT_FALSE(DM->qryLisSolicitacao->Filtered());
  EXPECT_EQ(DM->qryLisSolicitacao->RecordCount(), all);
  // A situation keeps the search applied to its rows, and the other way round.
  ui::TypeInto(*l->edtPesquisa, "Rua");
  Pick(*l->cbbSituacao, "2 - Em andamento");
  EXPECT_EQ(DM->qryLisSolicitacao->SQL()[DM->qryLisSolicitacao->SQL().Count() - 3],
            "   AND SOL.ID_SITUACAO = 2");
  int expected = Count(app.Database, "ID_SITUACAO = 2 AND SOLICITACAO LIKE '%Rua%'");
  EXPECT_GE(expected, 1);
  EXPECT_EQ(DM->qryLisSolicitacao->RecordCount(), expected);
  Pick(*l->cbbSituacao, "Todos");
  EXPECT_EQ(DM->qryLisSolicitacao->RecordCount(), Count(app.Database, "SOLICITACAO LIKE '%Rua%'"));
}

TEST_F(RequestListTest, CreatingFindingAndEditingARequest) {
  CreateFindAndEdit(app);
}

TEST_F(RequestListTest, AnEmptyRequiredFieldIsRefusedAndNothingIsSaved) {
  auto* l = app.Open<TfLisSolicitacoes>();
  int before = Count(app.Database, "1=1");
  std::vector<std::string> seen;
  AppFixture::Headless().OnModal = [&](ui::TCustomForm& form) {
    auto& f = dynamic_cast<TfSolicitacao&>(form);
    ui::ClickOn(f, "btnSalvar");
    ui::TypeInto(*f.DBEdit3, "Só a descrição");
    ui::ClickOn(f, "btnSalvar");
    Pick(*f.DBLookupComboBox4, "Francisca Alves");
    ui::ClickOn(f, "btnSalvar");
    seen = AppFixture::Messages();
    EXPECT_EQ(f.ModalResult(), ui::mrNone);  // still open
    EXPECT_EQ(DM->qrySolicitacao->State(), TDataSetState::dsInsert);
    ui::ClickOn(f, "btnCancelar");
  };
  ui::ClickOn(*l, "btnNovo");
  EXPECT_EQ(seen, (std::vector<std::string>{"Campo 'Descrição' deve ter um valor",
                                            "Campo 'Usuário' deve ter um valor",
                                            "Campo 'Situação' deve ter um valor"}));
  EXPECT_EQ(Count(app.Database, "1=1"), before);
  EXPECT_FALSE(DM->qrySolicitacao->Active());
  EXPECT_EQ(fSolicitacao, nullptr);
}

TEST_F(RequestListTest, CancelarDiscardsAnEdit) {
  auto* l = app.Open<TfLisSolicitacoes>();
  DM->qryLisSolicitacao->First();
  std::string original = DM->qryLisSolicitacao->FieldByName("SOLICITACAO").AsString();
  AppFixture::Headless().OnModal = [&](ui::TCustomForm& form) {
    auto& f = dynamic_cast<TfSolicitacao&>(form);
    ui::TypeInto(*f.DBEdit3, "Alterado e desistido");
    ui::ClickOn(f, "btnCancelar");
  };
  ui::ClickOn(*l, "btnAlterar");
  EXPECT_EQ(app.Database.Scalar("SELECT SOLICITACAO FROM SOLICITACAO WHERE ID_SOLICITACAO = 1"),
            original);
  EXPECT_TRUE(AppFixture::Messages().empty());
}

// "Sair" on a changed request asks "Deseja salvar as alterações?":
// "Cancelar" keeps the form, "Não" drops the change, "Sim" saves it (a
// refused save keeps the form). Unchanged, it closes without a question.
TEST_F(RequestListTest, SairOnAChangedRequestAsksFirst) {
  auto* l = app.Open<TfLisSolicitacoes>();
  DM->qryLisSolicitacao->First();
  auto stored = [&] {
    return app.Database.Scalar("SELECT SOLICITACAO FROM SOLICITACAO WHERE ID_SOLICITACAO = 1");
  };
  std::string original = stored();
  std::vector<ui::TModalResult> answers;
  std::vector<std::string> asked;
  AppFixture::Headless().OnMessageBox = [&](const ui::TMessageBoxRequest& r) {
    asked.push_back(r.Text);
    ui::TModalResult answer = answers.empty() ? ui::mrOk : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return answer;
  };
  const std::string pergunta = "Deseja salvar as alterações?";

  // Unchanged: no question. Then Cancelar, Não.
  AppFixture::Headless().OnModal = [&](ui::TCustomForm& form) {
    auto& f = dynamic_cast<TfSolicitacao&>(form);
    EXPECT_EQ(f.DBEdit1->Text(), "00000001");  // "Controle" as the list shows it
    ui::ClickOn(f, "btnSair");
    EXPECT_TRUE(AppFixture::Headless().ModalTurn());
    EXPECT_TRUE(asked.empty());
  };
  ui::ClickOn(*l, "btnAlterar");
  AppFixture::Headless().OnModal = [&](ui::TCustomForm& form) {
    auto& f = dynamic_cast<TfSolicitacao&>(form);
    ui::TypeInto(*f.DBEdit3, "Buraco tapado");
    answers = {ui::mrCancel};
    ui::ClickOn(f, "btnSair");
    EXPECT_FALSE(AppFixture::Headless().ModalTurn());  // still open
    EXPECT_EQ(asked, std::vector<std::string>{pergunta});
    EXPECT_EQ(DM->qrySolicitacao->State(), TDataSetState::dsEdit);
    EXPECT_EQ(f.DBEdit3->Text(), "Buraco tapado");
    answers = {ui::mrNo};
    ui::ClickOn(f, "btnSair");
    EXPECT_TRUE(AppFixture::Headless().ModalTurn());
  };
  ui::ClickOn(*l, "btnAlterar");
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(fSolicitacao, nullptr);
  EXPECT_EQ(stored(), original);

  // Sim: saved, and the list shows it.
  asked.clear();
  AppFixture::Headless().OnModal = [&](ui::TCustomForm& form) {
    auto& f = dynamic_cast<TfSolicitacao&>(form);
    ui::TypeInto(*f.DBEdit3, "Buraco tapado na Rua das Flores");
    answers = {ui::mrYes};
    ui::ClickOn(f, "btnSair");
  };
  ui::ClickOn(*l, "btnAlterar");
  EXPECT_EQ(asked, std::vector<std::string>{pergunta});
  EXPECT_EQ(stored(), "Buraco tapado na Rua das Flores");
  EXPECT_EQ(DM->qryLisSolicitacao->FieldByName("SOLICITACAO").AsString(),
            "Buraco tapado na Rua das Flores");

  // Sim on a new request missing its fields: refused, the form stays open.
  asked.clear();
  int before = Count(app.Database, "1=1");
  AppFixture::Headless().OnModal = [&](ui::TCustomForm& form) {
    auto& f = dynamic_cast<TfSolicitacao&>(form);
    ui::TypeInto(*f.DBEdit3, "Pedido incompleto");
    answers = {ui::mrYes};
    ui::ClickOn(f, "btnSair");
    EXPECT_FALSE(AppFixture::Headless().ModalTurn());  // refused: still open
    EXPECT_EQ(DM->qrySolicitacao->State(), TDataSetState::dsInsert);
    answers = {ui::mrNo};
    ui::ClickOn(f, "btnSair");
    EXPECT_TRUE(AppFixture::Headless().ModalTurn());
  };
  ui::ClickOn(*l, "btnNovo");
  EXPECT_EQ(asked,
            (std::vector<std::string>{pergunta, "Campo 'Usuário' deve ter um valor", pergunta}));
  EXPECT_EQ(Count(app.Database, "1=1"), before);
  app.Database.Exec("UPDATE SOLICITACAO SET SOLICITACAO = '" + original +
                    "' WHERE ID_SOLICITACAO = 1");
}

// An unsaved edit of a request type in its tab used to leave the request
// form's "Tipo" list empty: the list reads the rows without moving the
// dataset, and the pending edit stays pending.
TEST_F(RequestListTest, TheTipoListIsFullWhileARequestTypeIsBeingEdited) {
  auto* tps = app.Open<TfCadTipoSolicitacao>();
  int reclamacao = -1;
  for (int r = 0; r < tps->DBGrid1->RowCount(); ++r)
    if (tps->DBGrid1->CellText(r, 1) == "Reclamação") reclamacao = r;
  ASSERT_GE(reclamacao, 0);
  tps->DBGrid1->SelectCellByUser(reclamacao, 1);
  ui::TypeInto(*tps->DBEdit2, "Reclamação formal");
  db::TQuery* tipos = DM->qryTipoSolicitacao;
  int recNo = tipos->RecNo();

  auto* l = app.Open<TfLisSolicitacoes>();
  std::vector<std::string> shown;
  AppFixture::Headless().OnModal = [&](ui::TCustomForm& form) {
    auto& f = dynamic_cast<TfSolicitacao&>(form);
    shown = f.DBLookupComboBox2->Items().Lines();
    Pick(*f.DBLookupComboBox2, "Reclamação formal");
    EXPECT_EQ(DM->qrySolicitacao->FieldByName("ID_TIPO").AsLargeInt(),
              tipos->FieldByName("ID_TIPO").AsLargeInt());
    ui::ClickOn(f, "btnCancelar");
  };
  ui::ClickOn(*l, "btnNovo");
  ASSERT_TRUE(AppFixture::Messages().empty()) << AppFixture::Messages()[0];
  EXPECT_EQ(static_cast<int>(shown.size()), tipos->RecordCount());
  EXPECT_EQ(shown[recNo - 1], "Reclamação formal");
  // The edit in the other tab is untouched: still pending, not stored.
  EXPECT_EQ(tipos->State(), TDataSetState::dsEdit);
  EXPECT_EQ(tipos->RecNo(), recNo);
  EXPECT_EQ(tps->DBEdit2->Text(), "Reclamação formal");
  EXPECT_EQ(app.Database.Scalar("SELECT COUNT(*) FROM TIPO_SOLICITACAO WHERE NOME_TIPO = "
                                "'Reclamação formal'"),
            "0");
  // Opening the list while a situation is being edited leaves that edit too.
  FTDI->Fechar(false);
  auto* sit = app.Open<TfCadSituacao>();
  ui::TypeInto(*sit->DBEdit2, "Aberta (nova)");
  app.Open<TfLisSolicitacoes>();
  EXPECT_EQ(DM->qrySituacao->State(), TDataSetState::dsEdit);
  EXPECT_EQ(sit->DBEdit2->Text(), "Aberta (nova)");
}

TEST_F(RequestListTest, AlterarOnAnEmptyListStartsANewRequest) {
  auto* l = app.Open<TfLisSolicitacoes>();
  ui::TypeInto(*l->edtPesquisa, "nada assim existe");
  ASSERT_TRUE(DM->qryLisSolicitacao->IsEmpty());
  TDataSetState state = TDataSetState::dsInactive;
  AppFixture::Headless().OnModal = [&](ui::TCustomForm& form) {
    state = DM->qrySolicitacao->State();
    ui::ClickOn(form, "btnSair");
  };
  ui::ClickOn(*l, "btnAlterar");
  EXPECT_EQ(state, TDataSetState::dsInsert);
  EXPECT_EQ(DM->qrySolicitacao->ParamByName("P_ID_SOLICITACAO").AsLargeInt(), 0);
}

TEST(RequestListGaps, TheSituationFilterUsesTheKeyWrittenInTheItem) {
  TTestDatabase database(TAccess::Embedded);
  database.Exec("INSERT INTO SITUACAO (ID_SITUACAO, NOME_SITUACAO) VALUES (10, 'Arquivada')");
  database.Exec(
      "INSERT INTO SOLICITACAO (ID_SOLICITACAO, DATA_SOLICITACAO, SOLICITACAO, ID_USUARIO, "
      "ID_PREFEITURA, ID_SITUACAO, ID_TIPO, ID_UNIDADE) VALUES (900, '2026-10-01 10:00:00', "
      "'Pedido arquivado', 1, 1, 10, 1, 1)");
  AppFixture app(database);
  auto* l = app.Open<TfLisSolicitacoes>();
  ASSERT_EQ(l->cbbSituacao->Items()[5], "10 - Arquivada");
  Pick(*l->cbbSituacao, "10 - Arquivada");  // the sixth item, key 10
  EXPECT_EQ(Listed(), std::vector<int64_t>{900});
  EXPECT_EQ(ChaveSituacao("10 - Arquivada"), 10);
  EXPECT_EQ(ChaveSituacao("Todos"), -1);
  EXPECT_EQ(ChaveSituacao("x - y"), -1);
}

TEST(RequestListServer, CreatingFindingAndEditingARequestThroughTheServer) {
  TTestDatabase database(TAccess::Server);
  AppFixture app(database);
  CreateFindAndEdit(app);
}
