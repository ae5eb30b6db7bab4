// The web data grid over a real Firebird table: rows as JSON for every field
// type, read by record number; the row limit; selection and checked rows
// moving the dataset; cell posts that are accepted and those refused
// (nothing written then); cell buttons; column names, order and models; the
// observer's reloads; the page script.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "orvane/controls/Orvane.DBGrid.h"
#include "orvane/controls/Orvane.JSONHelper.h"
#include "platform/db/FireBird.h"
#include "tests/orvane/controls/WebTestSupport.h"
#include "tests/support/TestDatabase.h"

using namespace orvane;
using testing_support::TAccess;
using testing_support::TTestDatabase;
using webtest::InGuard;
using webtest::TRecordingSession;
using webtest::TTestRoot;

namespace {

// A bridge object that records the cell-button clicks it is handed.
class TGridVexlo : public IOrvaneVexloClass {
 public:
  IOrvaneForm* GetOrvaneForm() override { return Form; }
  IOrvaneVexloClass* GetParentVexlo() override { return nullptr; }
  std::vector<IOrvaneVexloClass*> GetNestedVexlos() override { return {}; }
  core::TComponent* GetVexloForm() override { return nullptr; }
  void SetPriorVexlo(core::TComponent*) override {}
  void PopupOpened(const std::string&) override {}
  void PopupClosed(const std::string&) override {}
  void DoCellButtonClick(IOrvaneDBGrid* AGrid, IOrvaneDBGridColumnButton* AButton, int ARow,
                         int AColIndex) override {
    Clicks.push_back({AGrid, AButton ? AButton->GetName() : "", ARow, AColIndex});
  }
  struct TClick {
    IOrvaneDBGrid* Grid;
    std::string Button;
    int Row, Col;
  };
  IOrvaneForm* Form = nullptr;
  std::vector<TClick> Clicks;
};

// One database per test program: the table is made once, and each test
// gets its rows afresh.
TTestDatabase& Database() {
  static TTestDatabase db(TAccess::Server);
  static bool made = [] {
    db.Exec(
        "CREATE TABLE GRADE_TESTE (ID BIGINT NOT NULL PRIMARY KEY, NOME VARCHAR(60), VALOR "
        "DOUBLE PRECISION, QTD INTEGER, DIA DATE, HORA TIME, MOMENTO TIMESTAMP, FOTO BLOB SUB_TYPE "
        "0, NOTA BLOB SUB_TYPE TEXT, ATIVO BOOLEAN, ID_TIPO_UNIDADE BIGINT)");
    return true;
  }();
  (void)made;
  return db;
}

void ResetRows() {
  TTestDatabase& db = Database();
  db.Exec("DELETE FROM GRADE_TESTE");
  db.Exec(
      "INSERT INTO GRADE_TESTE VALUES (1, 'Rua \"Larga\" – ação <b>&', 12.5, 3, '2024-12-31', "
      "'10:30:15', '2024-12-31 10:30:00', x'000102FF', '  texto  ', TRUE, 2)");
  db.Exec("INSERT INTO GRADE_TESTE (ID, MOMENTO) VALUES (2, '2025-01-02 00:00:00')");
  db.Exec("INSERT INTO GRADE_TESTE (ID, NOME, QTD, ID_TIPO_UNIDADE) VALUES (3, 'Centro', 7, 1)");
}

struct TGridFixture {
  TGridFixture() {
    ResetRows();
    Database().Configure(Con);
    Tipos.SetConnection(&Con);
    Tipos.SQL().SetText("SELECT ID_TIPO_UNIDADE, TIPO_UNIDADE FROM TIPO_UNIDADE ORDER BY 1");
    Tipos.Open();
    Query.SetConnection(&Con);
    Query.SQL().SetText(
        "SELECT ID, NOME, VALOR, QTD, DIA, HORA, MOMENTO, FOTO, NOTA, ATIVO, ID_TIPO_UNIDADE "
        "FROM GRADE_TESTE ORDER BY ID");
    db::TField& id = Query.AddField("ID", db::TFieldType::ftLargeint);
    id.ProviderFlags = db::pfInUpdate | db::pfInWhere | db::pfInKey;
    Query.AddField("NOME", db::TFieldType::ftString, 60);
    Query.AddField("VALOR", db::TFieldType::ftFloat);
    Query.AddField("QTD", db::TFieldType::ftInteger);
    Query.AddField("DIA", db::TFieldType::ftDate);
    Query.AddField("HORA", db::TFieldType::ftTime);
    Query.AddField("MOMENTO", db::TFieldType::ftDateTime);
    Query.AddField("FOTO", db::TFieldType::ftBlob);
    Query.AddField("NOTA", db::TFieldType::ftMemo);
    Query.AddField("ATIVO", db::TFieldType::ftBoolean);
    Query.AddField("ID_TIPO_UNIDADE", db::TFieldType::ftLargeint);
    Query.AddLookupField("TIPO", db::TFieldType::ftString, 100, "ID_TIPO_UNIDADE", &Tipos,
                         "ID_TIPO_UNIDADE", "TIPO_UNIDADE");
    Source.SetDataSet(&Query);
    Query.Open();

    Session = Root.NewSession();
    Form = new TOrvaneForm(nullptr);
    Form->SetSession(Session.get());
    Form->SetVexloClass(&Vexlo);
    Vexlo.Form = Form;
    Session->SetVexloBaseClass(&Vexlo);
    Grid = new TOrvaneDBGrid(Form);
    Grid->SetName("DBGrid1");
    Grid->SetDataSource(&Source);
    Grid->SetProcGetEditable([this] { return TOrvaneVariant(Editable); });
  }
  ~TGridFixture() {
    Session->RemoveVexloClass(&Vexlo);
    Form->Free();
  }

  std::shared_ptr<TOrvaneDBGridColumn> AddColumn(const std::string& AField, bool AEditable = false,
                                                 bool AVisible = true) {
    auto c = std::dynamic_pointer_cast<TOrvaneDBGridColumn>(Grid->Columns().Add());
    c->SetDataField(AField);
    c->SetTitle("Título " + AField);
    c->SetEditable(AEditable);
    c->SetVisible(AVisible);
    return c;
  }
  // Renders the grid as the page assembly does and marks the page loaded.
  void Render() {
    InGuard(*Session, [&] { Grid->FormatHTMLControl("{%DBGrid1 class=\"table\"%}"); });
    Form->OnAfterPageLoad();
  }
  void Event(TOrvaneEventType AType, TStringList AParameters) {
    InGuard(*Session, [&] {
      auto event = Grid->GetEvents()->Item(AType);
      ASSERT_TRUE(event) << static_cast<int>(AType);
      Grid->ProcessEventParameters(event, AParameters);
    });
  }
  nlohmann::json Rows() {
    std::string text;
    InGuard(*Session, [&] { text = Grid->GetDataToJSON(); });
    return nlohmann::json::parse(text);
  }
  // Posts a row as the page does; the status, the message and the row id.
  std::tuple<bool, std::string, std::string> Post(const nlohmann::json& ARow) {
    bool ok = false;
    std::string id, message;
    InGuard(*Session, [&] { ok = Grid->CellPostbyJSON(ARow.dump(), id, message); });
    return {ok, message, id};
  }
  std::string Stored(const std::string& AColumn, int AId) {
    return Database().Scalar("SELECT " + AColumn +
                             " FROM GRADE_TESTE WHERE ID = " + std::to_string(AId));
  }
  std::string Pushed() {
    std::string all;
    for (const std::string& p : Session->TakePushes()) all += p + "\n";
    return all;
  }

  db::TConnection Con;
  db::TQuery Tipos;
  db::TQuery Query;
  db::TDataSource Source;
  TTestRoot Root;
  std::shared_ptr<TRecordingSession> Session;
  TGridVexlo Vexlo;
  TOrvaneForm* Form;
  TOrvaneDBGrid* Grid;
  bool Editable = true;
};

}  // namespace

TEST(OrvaneDBGrid, RowsJSONForEveryFieldType) {
  TGridFixture f;
  for (const char* field : {"ID", "NOME", "VALOR", "QTD", "DIA", "HORA", "MOMENTO", "FOTO", "NOTA",
                            "ATIVO", "TIPO", "NAO_EXISTE"})
    f.AddColumn(field);
  nlohmann::json rows = f.Rows();
  ASSERT_EQ(rows.size(), 3u);
  const nlohmann::json& r = rows[0];
  EXPECT_EQ(r["ID"], 1);
  EXPECT_EQ(r["NOME"], "Rua \"Larga\" – ação <b>&");
  EXPECT_EQ(r["VALOR"], 12.5);
  EXPECT_EQ(r["QTD"], 3);
  EXPECT_EQ(r["DIA"], "31/12/2024");
  EXPECT_EQ(r["HORA"], "10:30:15");
  // A time stamp keeps its date.
  EXPECT_EQ(r["MOMENTO"], "31/12/2024 10:30:00");
  EXPECT_EQ(r["FOTO"], "AAEC/w==");
  EXPECT_EQ(r["NOTA"], "texto");
  EXPECT_EQ(r["ATIVO"], true);
  EXPECT_EQ(r["TIPO"], "Departamento");
  EXPECT_TRUE(r["NAO_EXISTE"].is_null());
  EXPECT_EQ(r["OrvaneRecNo"], 1);
  EXPECT_EQ(r["OrvaneKey"], "1");
  // Nulls are null; a time stamp at midnight keeps its time.
  const nlohmann::json& n = rows[1];
  for (const char* field : {"NOME", "VALOR", "QTD", "DIA", "HORA", "FOTO", "NOTA", "ATIVO", "TIPO"})
    EXPECT_TRUE(n[field].is_null()) << field;
  EXPECT_EQ(n["MOMENTO"], "02/01/2025 00:00:00");
  EXPECT_EQ(rows[2]["OrvaneRecNo"], 3);
  EXPECT_EQ(rows[2]["TIPO"], "Secretaria");

  // Every character above 127 travels as an escape.
  std::string text;
  InGuard(*f.Session, [&] { text = f.Grid->GetDataToJSON(); });
  for (unsigned char c : text) ASSERT_LT(c, 128);
  EXPECT_NE(text.find("\\u00e7\\u00e3o"), std::string::npos);
}

TEST(OrvaneDBGrid, RowsAreReadWithoutMovingTheDataSetOrEndingAnEdit) {
  TGridFixture f;
  f.AddColumn("NOME");
  f.Query.SetRecNo(3);
  f.Query.Edit();
  f.Query.FieldByName("NOME").SetAsString("Editado");
  nlohmann::json rows = f.Rows();
  EXPECT_EQ(f.Query.State(), db::TDataSetState::dsEdit);
  EXPECT_EQ(f.Query.RecNo(), 3);
  EXPECT_EQ(rows[2]["NOME"], "Editado");
  f.Query.Cancel();
}

TEST(OrvaneDBGrid, MaxRecordsLimitsTheRowsAndZeroSendsEvery) {
  TGridFixture f;
  f.AddColumn("ID");
  f.Grid->SetMaxRecords(2);
  EXPECT_EQ(f.Rows().size(), 2u);
  f.Grid->SetMaxRecords(0);
  EXPECT_EQ(f.Rows().size(), 3u);
  f.Query.Close();
  EXPECT_EQ(f.Rows(), nlohmann::json::array());
}

TEST(OrvaneDBGrid, SelectionMovesTheDataSetToTheRowsRecord) {
  TGridFixture f;
  f.AddColumn("ID");
  f.Render();
  f.Event(TOrvaneEventType::EventOnSelect, {"rowid=3", "col=1", "rowsids=3"});
  EXPECT_EQ(f.Query.RecNo(), 3);
  // The key names the record when the page sorted its rows: row id 1 with
  // the key of record 2 goes to record 2.
  f.Event(TOrvaneEventType::EventOnSelect, {"rowid=1", "col=1", "key=2"});
  EXPECT_EQ(f.Query.RecNo(), 2);
  // Ids that do not parse change nothing.
  f.Event(TOrvaneEventType::EventOnSelect, {"rowid=abc", "col=1"});
  EXPECT_EQ(f.Query.RecNo(), 2);
  // A key no row has any more: no move, and the page reloads its rows.
  f.Event(TOrvaneEventType::EventOnSelect, {"rowid=1", "col=1", "key=99"});
  EXPECT_EQ(f.Query.RecNo(), 2);
  EXPECT_TRUE(f.Grid->GetRefreshData());
}

TEST(OrvaneDBGrid, CheckedRowsFollowThePage) {
  TGridFixture f;
  f.AddColumn("ID");
  f.Grid->SetMultiSelect(true);
  f.Render();
  using V = std::vector<int>;
  // Without the page's list: added once, removed.
  f.Event(TOrvaneEventType::EventOnCheck, {"rowid=2"});
  f.Event(TOrvaneEventType::EventOnCheck, {"rowid=2"});
  EXPECT_EQ(f.Grid->GetSelectedRowsID(), V{2});
  EXPECT_TRUE(f.Grid->GetSelectedRow());  // record 2 is current and checked
  f.Event(TOrvaneEventType::EventOnCheck, {"rowid=3", "rowsids=2,3"});
  EXPECT_EQ(f.Grid->GetSelectedRowsID(), (V{2, 3}));
  f.Event(TOrvaneEventType::EventOnUncheck, {"rowid=2", "rowsids=3"});
  EXPECT_EQ(f.Grid->GetSelectedRowsID(), V{3});
  f.Query.SetRecNo(1);
  EXPECT_FALSE(f.Grid->GetSelectedRow());
  // Select-all checks the rows the page shows; without a list, every row.
  f.Event(TOrvaneEventType::EventOnSelectAll, {"rowid=0", "rowsids=1,2,3"});
  EXPECT_EQ(f.Grid->GetSelectedRowsID(), (V{1, 2, 3}));
  f.Event(TOrvaneEventType::EventOnSelectAll, {"rowid=0"});
  EXPECT_EQ(f.Grid->GetSelectedRowsID(), V{TOrvaneDBGrid::FSelectAll});
  EXPECT_TRUE(f.Grid->GetSelectedRow());
  f.Event(TOrvaneEventType::EventOnUnselectAll, {"rowid=0", "rowsids="});
  EXPECT_TRUE(f.Grid->GetSelectedRowsID().empty());
  // A plain click beside the check boxes leaves that row checked alone.
  f.Event(TOrvaneEventType::EventOnSelect, {"rowid=1", "col=2", "rowsids=1"});
  EXPECT_EQ(f.Grid->GetSelectedRowsID(), V{1});
  // Closing the dataset forgets them.
  f.Query.Close();
  EXPECT_TRUE(f.Grid->GetSelectedRowsID().empty());
}

TEST(OrvaneDBGrid, CellPostWritesTheRecordItsKeyNames) {
  TGridFixture f;
  f.AddColumn("ID");
  f.AddColumn("NOME", true);
  f.AddColumn("QTD", true);
  f.AddColumn("VALOR", true);
  f.AddColumn("MOMENTO", true);
  f.Render();
  // The page sorted its rows: the row with id 1 in the page is record 3.
  auto [ok, message, id] = f.Post({{"NOME", "Centro Novo"},
                                   {"QTD", "8"},
                                   {"VALOR", "1.234,5"},
                                   {"MOMENTO", "01/02/2025 08:09:10"},
                                   {"oper", "edit"},
                                   {"id", "1"},
                                   {"rowindex", 1},
                                   {"OrvaneKey", "3"}});
  EXPECT_TRUE(ok) << message;
  EXPECT_EQ(id, "1");
  EXPECT_EQ(f.Stored("NOME", 3), "Centro Novo");
  EXPECT_EQ(f.Stored("QTD", 3), "8");
  EXPECT_EQ(f.Stored("VALOR", 3), "1234,5");
  EXPECT_EQ(f.Stored("MOMENTO", 3), "01/02/2025 08:09:10");
  EXPECT_EQ(f.Stored("NOME", 1), "Rua \"Larga\" – ação <b>&");
  EXPECT_EQ(f.Query.State(), db::TDataSetState::dsBrowse);
  EXPECT_EQ(f.Query.RecNo(), 3);
  // The post marks the page's rows for reloading.
  EXPECT_TRUE(f.Grid->GetRefreshData());

  // Unchanged values post nothing; an operation other than edit neither.
  auto [ok2, message2, id2] =
      f.Post({{"NOME", "Centro Novo"}, {"oper", "edit"}, {"id", "3"}, {"OrvaneKey", "3"}});
  EXPECT_TRUE(ok2) << message2;
  auto [ok3, message3, id3] = f.Post({{"NOME", "X"}, {"oper", "add"}, {"id", "3"}});
  EXPECT_TRUE(ok3);
  EXPECT_EQ(message3, "");
  EXPECT_EQ(f.Stored("NOME", 3), "Centro Novo");
}

TEST(OrvaneDBGrid, RefusedCellPostsWriteNothing) {
  TGridFixture f;
  f.AddColumn("ID", true);  // the key: never written from the page
  f.AddColumn("NOME", true);
  f.AddColumn("QTD", true);
  f.AddColumn("NOTA", true, false);  // hidden
  f.AddColumn("VALOR", false);       // not editable
  auto situacao = f.AddColumn("NOME", true);
  situacao->SetTitle("Situação");
  nlohmann::json items = {{"0", "--Selecione--"}, {"1", "Aberta"}, {"2", "Fechada"}};
  situacao->SetSelectItems(items);
  f.Query.FieldByName("DIA").ReadOnly = true;
  f.AddColumn("DIA", true);
  f.Render();

  struct TCase {
    const char* What;
    nlohmann::json Row;
    const char* MessageStart;
  };
  const TCase cases[] = {
      {"key column", {{"ID", "9"}, {"OrvaneKey", "1"}}, "A coluna Título ID não pode"},
      {"hidden column", {{"NOTA", "x"}, {"OrvaneKey", "1"}}, "A coluna Título NOTA não pode"},
      {"column not editable", {{"VALOR", "1"}, {"OrvaneKey", "1"}}, "A coluna Título VALOR"},
      {"read-only field", {{"DIA", "01/01/2024"}, {"OrvaneKey", "1"}}, "A coluna Título DIA"},
      {"unknown record", {{"NOME", "x"}, {"OrvaneKey", "99"}}, "O registro alterado não foi"},
      {"no key", {{"NOME", "x"}}, "O registro alterado não foi"},
      {"not an integer",
       {{"NOME", "ok"}, {"QTD", "abc"}, {"OrvaneKey", "1"}},
       "O valor \"abc\" não foi aceito na coluna Título QTD"},
      {"--Selecione-- over a value",
       {{"NOME1", "0"}, {"OrvaneKey", "1"}},
       "O valor da coluna Situação não foi aceito"},
      {"a choice that is not offered",
       {{"NOME1", "7"}, {"OrvaneKey", "1"}},
       "O valor \"7\" não foi aceito na coluna Situação"},
      {"text WIN1252 cannot hold", {{"NOME", "emoji 😀"}, {"OrvaneKey", "1"}}, ""},
      {"too long for the column", {{"NOME", std::string(61, 'x')}, {"OrvaneKey", "1"}}, ""},
  };
  for (const TCase& c : cases) {
    nlohmann::json row = c.Row;
    row["oper"] = "edit";
    row["id"] = "1";
    row["rowindex"] = 1;
    auto [ok, message, id] = f.Post(row);
    EXPECT_FALSE(ok) << c.What;
    EXPECT_EQ(message.rfind(c.MessageStart, 0), 0u) << c.What << ": " << message;
    EXPECT_FALSE(message.empty()) << c.What;
    EXPECT_EQ(f.Query.State(), db::TDataSetState::dsBrowse) << c.What;
    EXPECT_EQ(f.Stored("NOME", 1), "Rua \"Larga\" – ação <b>&") << c.What;
    EXPECT_EQ(f.Stored("QTD", 1), "3") << c.What;
    EXPECT_EQ(f.Stored("ID", 9), "") << c.What;
  }
  // A chosen item writes its label.
  auto [ok, message, id] =
      f.Post({{"NOME1", "2"}, {"oper", "edit"}, {"id", "1"}, {"OrvaneKey", "1"}});
  EXPECT_TRUE(ok) << message;
  EXPECT_EQ(f.Stored("NOME", 1), "Fechada");

  // A record being edited elsewhere is left alone.
  f.Query.Edit();
  auto [ok4, message4, id4] =
      f.Post({{"NOME", "Outro"}, {"oper", "edit"}, {"id", "1"}, {"OrvaneKey", "1"}});
  EXPECT_FALSE(ok4);
  EXPECT_EQ(f.Query.State(), db::TDataSetState::dsEdit);
  f.Query.Cancel();
  // A grid that is not editable takes no post.
  f.Editable = false;
  auto [ok5, message5, id5] =
      f.Post({{"NOME", "Outro"}, {"oper", "edit"}, {"id", "1"}, {"OrvaneKey", "1"}});
  EXPECT_FALSE(ok5);
  EXPECT_EQ(f.Stored("NOME", 1), "Fechada");
}

TEST(OrvaneDBGrid, LookupColumnsOfferTheListAndWriteTheKey) {
  TGridFixture f;
  f.AddColumn("NOME", true);
  auto tipo = f.AddColumn("TIPO", true);
  f.Render();
  std::string model = tipo->ColModelToList();
  EXPECT_EQ(tipo->GetDataFieldModel(), TOrvaneFieldModel::OrvaneFieldModelLookup);
  EXPECT_NE(model.find("\"edittype\":\"select\""), std::string::npos) << model;
  EXPECT_NE(model.find("\"4\":\"Escola Municipal\""), std::string::npos) << model;
  EXPECT_EQ(tipo->GetSelectItems()["0"], "--Selecione--");
  EXPECT_EQ(f.Tipos.RecNo(), 1);  // the list dataset did not move
  // Record 3 takes the lookup row 3 (Unidade de Saúde, key 3).
  auto [ok, message, id] =
      f.Post({{"TIPO", "3"}, {"oper", "edit"}, {"id", "3"}, {"OrvaneKey", "3"}});
  EXPECT_TRUE(ok) << message;
  EXPECT_EQ(f.Stored("ID_TIPO_UNIDADE", 3), "3");
  EXPECT_EQ(f.Query.FieldByName("TIPO").AsString(), "Unidade de Saúde");
  // --Selecione-- over a value is refused; over no value it is no change.
  auto [ok2, message2, id2] =
      f.Post({{"TIPO", "0"}, {"oper", "edit"}, {"id", "3"}, {"OrvaneKey", "3"}});
  EXPECT_FALSE(ok2);
  auto [ok3, message3, id3] =
      f.Post({{"TIPO", "0"}, {"oper", "edit"}, {"id", "2"}, {"OrvaneKey", "2"}});
  EXPECT_TRUE(ok3) << message3;
  EXPECT_EQ(f.Stored("ID_TIPO_UNIDADE", 2), "");
}

TEST(OrvaneDBGrid, CellButtonsReachTheFormOnTheirRow) {
  TGridFixture f;
  f.AddColumn("ID");
  auto column = f.Grid->Columns().Add();
  auto edit = column->Buttons().Add();
  edit->SetCaption("Editar <já>");
  edit->SetButtonIcon("fa fa-pen");
  auto more = column->Buttons().Add();
  more->SetCaption("Mais");
  auto remove = more->Add();
  remove->SetCaption("Excluir `${x}`");
  EXPECT_EQ(column->GetDataFieldModel(), TOrvaneFieldModel::OrvaneFieldModelButton);
  EXPECT_EQ(column->ColName(), "ColButton");
  EXPECT_EQ(edit->GetName(), "GridButton1");
  EXPECT_EQ(remove->GetName(), "ParentGridButton2_1");
  EXPECT_EQ(remove->ElementID(), "DBGRID1ParentGridButton2_1");
  f.Render();

  std::string html = column->Buttons().MakeHTML();
  EXPECT_NE(html.find("<button recno=\"${recNo}\" id=\"DBGRID1GridButton1\" class=\"btn "
                      "btn-primary\" onclick=\"DBGRID1_CellButtonClick(1,this)\" style=\"\">"
                      "<i class=\"fa fa-pen me-2\" aria-hidden=\"true\"></i>Editar &lt;já&gt;"
                      "</button>"),
            std::string::npos)
      << html;
  // Texts cannot leave the template literal or become markup.
  EXPECT_NE(html.find("Excluir \\`\\${x}\\`"), std::string::npos) << html;
  EXPECT_NE(html.find("<span class=\"me-2\"></span>"), std::string::npos);
  EXPECT_NE(html.find("data-bs-toggle=\"dropdown\""), std::string::npos);

  f.Event(TOrvaneEventType::EventOnCellButtonClick,
          {"rowid=2", "ColIndex=1", "CellButtonElementID=DBGRID1ParentGridButton2_1"});
  // ProcessEventParameters does nothing for it; the event's handler does.
  InGuard(*f.Session, [&] {
    TStringList p = {"rowid=2", "ColIndex=1", "CellButtonElementID=DBGRID1ParentGridButton2_1"};
    f.Grid->GetEvents()->Item(TOrvaneEventType::EventOnCellButtonClick)->CallEvent(p);
    TStringList q = {"rowid=3", "ColIndex=1", "CellButtonElementID=DBGRID1GridButton1", "key=1"};
    f.Grid->OnCellButtonClick(q);
    TStringList bad = {"rowid=x", "ColIndex=1", "CellButtonElementID=DBGRID1GridButton1"};
    f.Grid->OnCellButtonClick(bad);
  });
  ASSERT_EQ(f.Vexlo.Clicks.size(), 2u);
  EXPECT_EQ(f.Vexlo.Clicks[0].Button, "ParentGridButton2_1");
  EXPECT_EQ(f.Vexlo.Clicks[0].Row, 2);
  EXPECT_EQ(f.Vexlo.Clicks[0].Col, 1);
  EXPECT_EQ(f.Vexlo.Clicks[0].Grid, static_cast<IOrvaneDBGrid*>(f.Grid));
  // The key named record 1.
  EXPECT_EQ(f.Vexlo.Clicks[1].Button, "GridButton1");
  EXPECT_EQ(f.Vexlo.Clicks[1].Row, 1);
  EXPECT_EQ(f.Query.RecNo(), 1);
}

TEST(OrvaneDBGrid, ColumnNamesAndOrder) {
  TGridFixture f;
  auto a = f.AddColumn("NOME");
  auto b = f.AddColumn("nome");
  auto c = f.AddColumn("");
  auto d = f.AddColumn("QTD");
  EXPECT_EQ(a->ColName(), "NOME");
  EXPECT_EQ(b->ColName(), "nome1");
  EXPECT_EQ(c->ColName(), "ColNoName");
  c->SetDataFieldModel(TOrvaneFieldModel::OrvaneFieldModelHTML);
  EXPECT_EQ(c->ColName(), "ColHTML");
  EXPECT_EQ((std::vector<int>{a->GetColumnIndex(), b->GetColumnIndex(), c->GetColumnIndex(),
                              d->GetColumnIndex()}),
            (std::vector<int>{0, 1, 2, 3}));
  // The column at 3 moves to 1: those at 1 and 2 go to 2 and 3.
  d->SetColumnIndex(1);
  EXPECT_EQ((std::vector<int>{a->GetColumnIndex(), b->GetColumnIndex(), c->GetColumnIndex(),
                              d->GetColumnIndex()}),
            (std::vector<int>{0, 2, 3, 1}));
  d->SetColumnIndex(10);  // lowered to the last place
  EXPECT_EQ((std::vector<int>{a->GetColumnIndex(), b->GetColumnIndex(), c->GetColumnIndex(),
                              d->GetColumnIndex()}),
            (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(f.Grid->Columns().GetColumnsNameToJSON(),
            (std::vector<std::string>{"NOME", "nome", "QTD"}));
}

TEST(OrvaneDBGrid, ColumnModels) {
  TGridFixture f;
  auto nome = f.AddColumn("NOME", true);
  nome->SetTitle("Nome <b>");
  nome->SetWidth(100);
  nome->SetCSS("destaque");
  auto qtd = f.AddColumn("QTD");
  qtd->SetAlignment(TOrvaneAlignment::OrvaneAlignRigth);
  qtd->SetWidth(15);
  auto dup = f.AddColumn("NOME");
  auto html = f.AddColumn("NOME");
  html->SetDataFieldModel(TOrvaneFieldModel::OrvaneFieldModelHTML);
  html->SetHTML("<b>${value}</b> ${recNo}");
  f.Render();
  nlohmann::json m = nlohmann::json::parse(nome->ColModelToList());
  EXPECT_EQ(m["name"], "NOME");
  EXPECT_EQ(m["label"], "Nome &lt;b&gt;");
  EXPECT_EQ(m["editable"], true);
  EXPECT_EQ(m["edittype"], "text");
  EXPECT_EQ(m["width"], 165);  // (100 + 3) * 1.6 = 164.8
  EXPECT_EQ(m["classes"], "CellEditable destaque");
  m = nlohmann::json::parse(qtd->ColModelToList());
  EXPECT_EQ(m["align"], "right");
  EXPECT_EQ(m["editable"], false);
  EXPECT_EQ(m["width"], 24);
  EXPECT_EQ(m["sorttype"], "int");
  // A second column on one field still reads its field.
  m = nlohmann::json::parse(dup->ColModelToList());
  EXPECT_EQ(m["name"], "NOME1");
  EXPECT_EQ(m["jsonmap"], "NOME");
  // A template column: its formatter is a function, and its values are
  // escaped before they reach the template.
  std::string text = html->ColModelToList();
  EXPECT_NE(text.find("\"formatter\":function (cellvalue, options, rowObject) {  var value = "
                      "OrvaneGridEscape(cellvalue);"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("return `<b>${value}</b> ${recNo}`}"), std::string::npos) << text;
  EXPECT_NE(text.find("\"classes\":\"gridcolhtml\""), std::string::npos);
  // Without an editable grid no cell is editable.
  f.Editable = false;
  InGuard(*f.Session, [&] { f.Grid->Initialize(); });
  EXPECT_EQ(nlohmann::json::parse(nome->ColModelToList())["editable"], false);
}

TEST(OrvaneDBGrid, TheObserverReloadsTheRowsWhenTheyChange) {
  TGridFixture f;
  f.AddColumn("NOME", true);
  f.Render();
  f.Pushed();
  // Moving to another record reloads nothing.
  f.Query.SetRecNo(2);
  InGuard(*f.Session, [&] { f.Form->ObserverPass(); });
  EXPECT_EQ(f.Pushed().find("reloadGrid"), std::string::npos);
  // A post, a filter, a reopen do.
  auto reloads = [&] {
    InGuard(*f.Session, [&] { f.Form->ObserverPass(); });
    std::string pushed = f.Pushed();
    // The grid holds its rows as local data: it is made a JSON grid again
    // before the reload, or it would not ask the server.
    size_t json = pushed.find("$(\"#DBGRID1\").jqGrid(\"setGridParam\", { datatype: \"json\" })");
    size_t reload =
        pushed.find("$(\"#DBGRID1\").trigger(\"reloadGrid\", { fromServer: true, page: 1 } );");
    return json != std::string::npos && reload != std::string::npos && json < reload;
  };
  f.Query.Edit();
  f.Query.FieldByName("NOME").SetAsString("Posto");
  f.Query.Post();
  EXPECT_TRUE(reloads());
  f.Query.SetFilter("NOME LIKE 'C%'");
  f.Query.SetFiltered(true);
  EXPECT_TRUE(reloads());
  f.Query.Close();
  f.Query.Open();
  EXPECT_TRUE(reloads());
  EXPECT_FALSE(reloads());
  // The editing switch resets the columns and passes an object.
  f.Editable = false;
  InGuard(*f.Session, [&] { f.Form->ObserverPass(); });
  std::string pushed = f.Pushed();
  EXPECT_NE(pushed.find("jqGrid(\"setGridParam\", { editable: false, celledit: false });"),
            std::string::npos)
      << pushed;
  EXPECT_NE(pushed.find("jqGrid(\"setColProp\", \"NOME\", {"), std::string::npos);
  EXPECT_NE(pushed.find("fromServer: false"), std::string::npos);
}

TEST(OrvaneDBGrid, PageScript) {
  TGridFixture f;
  f.AddColumn("NOME", true);
  f.Grid->SetMultiSelect(true);
  f.Grid->SetRecordsPerPage(50);
  f.Render();
  const std::string& html = f.Grid->GetHTMLControl();
  EXPECT_EQ(html.rfind("<div class=\"col\">\r\n<table class=\"table\" id=\"DBGRID1\" ></table>", 0),
            0u)
      << html.substr(0, 200);
  auto has = [&](const std::string& s) { return html.find(s) != std::string::npos; };
  EXPECT_TRUE(has("url: 'rest/json/jqgrid/get?controlid=DBGRID1&eventid=" +
                  f.Grid->GetEvents()->Item(TOrvaneEventType::EventOnLoadJSON)->GetEventID() +
                  "&token=" + f.Session->GetToken() + "&orvanesession=" + f.Session->GetUUID() +
                  "&FormUUID=" + f.Form->GetFormUUID() + "',"));
  EXPECT_FALSE(has("window.location.href"));
  EXPECT_TRUE(has("editurl: 'rest/json/jqgrid/post?controlid=DBGRID1&eventid=" +
                  f.Grid->GetEvents()->Item(TOrvaneEventType::EventOnCellPost)->GetEventID()));
  EXPECT_TRUE(has("rowNum: 50,"));
  EXPECT_TRUE(has("multiselect: true,"));
  EXPECT_TRUE(has("autoencode: true,"));
  EXPECT_TRUE(has("editable: true,"));
  EXPECT_TRUE(has("onSelectAll: function(aRowids, status)"));
  // The check and select events are written with their calls.
  for (TOrvaneEventType type : {TOrvaneEventType::EventOnCheck, TOrvaneEventType::EventOnUncheck,
                                TOrvaneEventType::EventOnSelect, TOrvaneEventType::EventOnSelectAll,
                                TOrvaneEventType::EventOnCellButtonClick})
    EXPECT_TRUE(has(f.Grid->GetEvents()->Item(type)->GetEventID())) << static_cast<int>(type);
  EXPECT_TRUE(has("function DBGRID1_CellButtonClick(ColIndex,CellButtonElement) {"));
  EXPECT_TRUE(has("{\"name\":\"OrvaneKey\",\"hidden\":true"));

  // Without multi-select: no multiselect line, the row selected again.
  TGridFixture g;
  g.AddColumn("NOME");
  g.Render();
  const std::string& single = g.Grid->GetHTMLControl();
  EXPECT_EQ(single.find("multiselect: true"), std::string::npos);
  EXPECT_EQ(single.find("onSelectAll"), std::string::npos);
  EXPECT_NE(single.find("$(\"#DBGRID1\").jqGrid(\"setSelection\", rowid, false);"),
            std::string::npos);
}
