// Data-aware controls on real datasets: in-memory rows, and the demo tables
// of a Firebird database through the embedded engine and the server.
#include <gtest/gtest.h>

#include "platform/db/FireBird.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Headless.h"
#include "tests/support/TestDatabase.h"

using namespace ui;
using db::TFieldType;

namespace {

// Unit types and units, as the registration forms use them.
struct Tables {
  db::TMemDataSet tipos;
  db::TDataSource dtsTipos;
  db::TMemDataSet unidades;
  db::TDataSource dtsUnidades;
  Tables() {
    tipos.AddField("ID_TIPO_UNIDADE", TFieldType::ftLargeint);
    tipos.AddField("TIPO_UNIDADE", TFieldType::ftString, 100).DisplayLabel = "Tipo de Unidade";
    tipos.AddField("SIGLA", TFieldType::ftString, 10);
    dtsTipos.SetDataSet(&tipos);
    tipos.Open();
    for (auto [id, nome, sigla] : {std::tuple{1, "Secretaria", "SEC"},
                                   std::tuple{2, "Posto", "PST"}, std::tuple{3, "Escola", "ESC"}}) {
      tipos.Append();
      tipos.FieldByName("ID_TIPO_UNIDADE").SetAsLargeInt(id);
      tipos.FieldByName("TIPO_UNIDADE").SetAsString(nome);
      tipos.FieldByName("SIGLA").SetAsString(sigla);
      tipos.Post();
    }
    tipos.First();
    unidades.AddField("ID_UNIDADE", TFieldType::ftLargeint);
    unidades.AddField("NOME_UNIDADE", TFieldType::ftString, 20).DisplayLabel = "Nome da Unidade";
    unidades.AddField("ID_TIPO_UNIDADE", TFieldType::ftLargeint);
    unidades.AddField("ATIVA", TFieldType::ftString, 1);
    unidades.AddField("OBS", TFieldType::ftMemo);
    unidades.AddField("LOGO", TFieldType::ftBlob);
    dtsUnidades.SetDataSet(&unidades);
    unidades.Open();
    AddUnidade(10, "Centro", 1, "S");
    AddUnidade(11, "Vila Nova", 2, "N");
    unidades.FieldByName("ID_UNIDADE").ReadOnly = true;
    unidades.First();
  }
  void AddUnidade(int64_t id, const std::string& nome, int64_t tipo, const std::string& ativa) {
    unidades.Append();
    unidades.FieldByName("ID_UNIDADE").SetValue(id);
    unidades.FieldByName("NOME_UNIDADE").SetAsString(nome);
    unidades.FieldByName("ID_TIPO_UNIDADE").SetAsLargeInt(tipo);
    unidades.FieldByName("ATIVA").SetAsString(ativa);
    unidades.Post();
  }
};

class DBControls : public ::testing::Test {
 protected:
  DBControls() {
    Application->Headless()->Reset();
    form = Create<TForm>(nullptr);
    form->Show();
  }
  ~DBControls() override {
    form->Free();
    Application->Headless()->Reset();
  }
  template <class T>
  T* Add(const std::string& name, const std::string& field) {
    auto* c = new T(form);
    c->SetName(name);
    c->SetParent(form);
    c->SetDataSource(&t.dtsUnidades);
    c->SetDataField(field);
    return c;
  }
  Tables t;
  TForm* form;
};

}  // namespace

TEST_F(DBControls, EditShowsTheFieldAndTypingEditsTheRecord) {
  auto* edt = Add<TDBEdit>("edtNome", "NOME_UNIDADE");
  auto* id = Add<TDBEdit>("edtId", "ID_UNIDADE");
  auto* txt = Add<TDBText>("DBText1", "NOME_UNIDADE");
  EXPECT_EQ(edt->Text(), "Centro");
  EXPECT_EQ(txt->Caption(), "Centro");
  EXPECT_EQ(edt->MaxLength(), 20);
  t.unidades.Next();
  EXPECT_EQ(edt->Text(), "Vila Nova");
  EXPECT_EQ(t.unidades.State(), db::TDataSetState::dsBrowse);

  // Setting the text in code edits the record as typing does.
  edt->SetText("Vila Nova 2");
  EXPECT_EQ(t.unidades.State(), db::TDataSetState::dsEdit);
  EXPECT_EQ(edt->Text(), "Vila Nova 2");
  t.unidades.Cancel();
  EXPECT_EQ(edt->Text(), "Vila Nova");

  // Typing puts the dataset into editing; the value is written when posting.
  TypeInto(*edt, "Vila Velha");
  EXPECT_EQ(t.unidades.State(), db::TDataSetState::dsEdit);
  EXPECT_EQ(t.unidades.FieldByName("NOME_UNIDADE").AsString(), "Vila Nova");
  t.unidades.Post();
  EXPECT_EQ(t.unidades.FieldByName("NOME_UNIDADE").AsString(), "Vila Velha");
  EXPECT_EQ(txt->Caption(), "Vila Velha");

  // Leaving the control writes the change into the record too.
  TypeInto(*edt, "Vila Alta");
  id->SetFocus();
  EXPECT_EQ(t.unidades.FieldByName("NOME_UNIDADE").AsString(), "Vila Alta");
  t.unidades.Cancel();
  EXPECT_EQ(edt->Text(), "Vila Velha");

  // Escape drops a change; a read-only field takes no typing.
  TypeInto(*edt, "Outra");
  edt->KeyDownFromUser(VK_ESCAPE, 0);
  EXPECT_EQ(edt->Text(), "Vila Velha");
  t.unidades.Cancel();
  TypeInto(*id, "99");
  EXPECT_EQ(id->Text(), "11");
  EXPECT_EQ(t.unidades.State(), db::TDataSetState::dsBrowse);
}

TEST_F(DBControls, EditingAnEmptyDatasetStartsAnInsert) {
  auto* edt = Add<TDBEdit>("edtNome", "NOME_UNIDADE");
  while (!t.unidades.IsEmpty()) t.unidades.Delete();
  EXPECT_EQ(edt->Text(), "");
  TypeInto(*edt, "Nova");
  EXPECT_EQ(t.unidades.State(), db::TDataSetState::dsInsert);
  t.unidades.Post();
  EXPECT_EQ(t.unidades.RecordCount(), 1);
  EXPECT_EQ(t.unidades.FieldByName("NOME_UNIDADE").AsString(), "Nova");
}

TEST_F(DBControls, MemoCheckBoxAndComboBox) {
  auto* memo = Add<TDBMemo>("DBMemo1", "OBS");
  auto* chk = Add<TDBCheckBox>("chkAtiva", "ATIVA");
  chk->SetValueChecked("S");
  chk->SetValueUnchecked("N");
  auto* cbb = Add<TDBComboBox>("cbbAtiva", "ATIVA");
  cbb->Items().SetText("S\nN");
  cbb->SetStyle(csDropDownList);
  EXPECT_TRUE(chk->Checked());
  EXPECT_EQ(cbb->ItemIndex(), 0);
  int clicks = 0;
  chk->OnClick = [&](TComponent*) { ++clicks; };
  t.unidades.Next();
  EXPECT_FALSE(chk->Checked());
  EXPECT_EQ(cbb->Text(), "N");

  ClickOn(*form, "chkAtiva");
  EXPECT_TRUE(chk->Checked());
  EXPECT_EQ(t.unidades.State(), db::TDataSetState::dsEdit);
  TypeInto(*memo, "linha 1");
  memo->KeyPressFromUser('\r');
  memo->TypeText("linha 2");
  t.unidades.Post();
  EXPECT_EQ(t.unidades.FieldByName("ATIVA").AsString(), "S");
  EXPECT_EQ(t.unidades.FieldByName("OBS").AsString(), "linha 1\nlinha 2");
  EXPECT_EQ(cbb->Text(), "S");
  EXPECT_GE(clicks, 2);

  cbb->SelectByUser(1);
  t.unidades.Post();
  EXPECT_EQ(t.unidades.FieldByName("ATIVA").AsString(), "N");
  EXPECT_FALSE(chk->Checked());
}

TEST_F(DBControls, LookupComboBoxShowsTheListFieldAndStoresTheKey) {
  auto* cbb = Add<TDBLookupComboBox>("cbbTipo", "ID_TIPO_UNIDADE");
  cbb->SetListSource(&t.dtsTipos);
  cbb->SetKeyField("ID_TIPO_UNIDADE");
  cbb->SetListField("TIPO_UNIDADE;SIGLA");  // only the first field is shown
  EXPECT_EQ(cbb->Items().Lines(), (std::vector<std::string>{"Secretaria", "Posto", "Escola"}));
  EXPECT_EQ(cbb->Text(), "Secretaria");
  t.unidades.Next();
  EXPECT_EQ(cbb->Text(), "Posto");
  EXPECT_EQ(t.tipos.RecNo(), 1);  // reading the list left the list dataset where it was

  int selects = 0;
  cbb->OnSelect = [&](TComponent*) { ++selects; };
  cbb->SelectByUser(2);
  EXPECT_EQ(t.unidades.State(), db::TDataSetState::dsEdit);
  EXPECT_EQ(t.unidades.FieldByName("ID_TIPO_UNIDADE").AsLargeInt(), 3);
  EXPECT_EQ(selects, 1);
  t.unidades.Post();
  EXPECT_EQ(cbb->Text(), "Escola");

  // A new list entry shows up; a key not in the list shows nothing.
  t.tipos.Append();
  t.tipos.FieldByName("ID_TIPO_UNIDADE").SetAsLargeInt(4);
  t.tipos.FieldByName("TIPO_UNIDADE").SetAsString("Hospital");
  t.tipos.Post();
  EXPECT_EQ(cbb->Items().Count(), 4);
  t.unidades.Edit();
  t.unidades.FieldByName("ID_TIPO_UNIDADE").SetAsLargeInt(77);
  EXPECT_EQ(cbb->ItemIndex(), -1);
  EXPECT_EQ(cbb->Text(), "");
  t.unidades.Cancel();
}

TEST_F(DBControls, ImageLoadsPastesAndWritesTheBlob) {
  auto* dbi = Add<TDBImage>("dbiLogo", "LOGO");
  EXPECT_TRUE(dbi->Picture().Empty());
  TBitmap bmp(8, 6);
  bmp.Fill(clTeal);
  Clipboard()->SetBitmap(bmp);
  dbi->PasteFromClipboard();
  EXPECT_EQ(t.unidades.State(), db::TDataSetState::dsEdit);
  t.unidades.Post();
  db::TBytes stored = t.unidades.FieldByName("LOGO").AsBytes();
  EXPECT_EQ(DetectPictureFormat(std::string(stored.begin(), stored.end())), pfPNG);
  t.unidades.Next();
  EXPECT_TRUE(dbi->Picture().Empty());
  t.unidades.Prior();
  EXPECT_EQ(dbi->Picture().Width(), 8);
  EXPECT_EQ(dbi->Picture().Height(), 6);

  // Bytes that are no picture show as empty; a read-only image refuses changes.
  t.unidades.Edit();
  t.unidades.FieldByName("LOGO").SetAsBytes({'x', 'y', 'z'});
  EXPECT_TRUE(dbi->Picture().Empty());
  t.unidades.Cancel();
  dbi->SetReadOnly(true);
  EXPECT_THROW(dbi->Picture().Assign(bmp), EToolkitError);
  EXPECT_EQ(dbi->Picture().Width(), 8);  // the stored picture again
}

TEST_F(DBControls, GridShowsRowsAndMovesTheDatasetOnClicks) {
  auto* grid = new TDBGrid(form);
  grid->SetParent(form);
  grid->SetDataSource(&t.dtsUnidades);
  // Default columns: every visible field.
  EXPECT_EQ(grid->VisibleColumns().size(), 6u);
  EXPECT_EQ(grid->VisibleColumns()[1]->Title().Caption, "Nome da Unidade");
  TColumn* c1 = grid->Columns().Add();
  c1->SetFieldName("ID_UNIDADE");
  c1->SetWidth(65);
  TColumn* c2 = grid->Columns().Add();
  c2->SetFieldName("NOME_UNIDADE");
  c2->Title().Caption = "Nome";
  c2->SetWidth(228);
  c2->PickList().SetText("Centro\nNorte");
  ASSERT_EQ(grid->VisibleColumns().size(), 2u);
  ASSERT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->CellText(1, 1), "Vila Nova");
  EXPECT_EQ(grid->Row(), 0);

  std::vector<std::string> clicked;
  grid->OnCellClick = [&](TColumn* c) { clicked.push_back(c->FieldName()); };
  grid->SelectCellByUser(1, 1);
  EXPECT_EQ(t.unidades.RecNo(), 2);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(clicked, std::vector<std::string>{"NOME_UNIDADE"});

  // Edits through a bound edit show in the grid row at once.
  auto* edt = Add<TDBEdit>("edtNome", "NOME_UNIDADE");
  TypeInto(*edt, "Vila Rica");
  t.unidades.Post();
  EXPECT_EQ(grid->CellText(1, 1), "Vila Rica");
  // An inserted record shows as a row until posted.
  t.unidades.Append();
  EXPECT_EQ(grid->RowCount(), 3);
  t.unidades.FieldByName("NOME_UNIDADE").SetAsString("Sul");
  t.unidades.Post();
  EXPECT_EQ(grid->RowCount(), 3);
  EXPECT_EQ(grid->CellText(2, 1), "Sul");
  // Editing a cell, where allowed.
  EXPECT_FALSE(grid->CanEditCell(0));  // the key is read-only
  grid->EditCellByUser(0, 1, "Centro Novo");
  t.unidades.Post();
  EXPECT_EQ(grid->CellText(0, 1), "Centro Novo");
  grid->SetReadOnly(true);
  EXPECT_THROW(grid->EditCellByUser(0, 1, "x"), EToolkitError);
  // Freeing the data source leaves the grid empty, not dangling.
  t.dtsUnidades.SetDataSet(nullptr);
  EXPECT_EQ(grid->RowCount(), 0);
}

// Grids and lookup lists read their rows by record number: a record being
// edited or inserted (here or by another form) blanks nothing, moves nothing
// and is neither posted nor cancelled by the reading.
TEST_F(DBControls, ListsReadEveryRowWhileARecordIsEditedOrInserted) {
  // Another form edits a unit type and has not saved it.
  t.tipos.SetRecNo(2);
  t.tipos.Edit();
  t.tipos.FieldByName("TIPO_UNIDADE").SetAsString("Posto de Saúde");
  int scrolls = 0;
  t.tipos.AfterScroll = [&](db::TDataSet&) { ++scrolls; };
  auto* cbb = Add<TDBLookupComboBox>("cbbTipo", "ID_TIPO_UNIDADE");
  cbb->SetListSource(&t.dtsTipos);
  cbb->SetKeyField("ID_TIPO_UNIDADE");
  cbb->SetListField("TIPO_UNIDADE");
  EXPECT_EQ(cbb->Items().Lines(),
            (std::vector<std::string>{"Secretaria", "Posto de Saúde", "Escola"}));
  EXPECT_EQ(cbb->Text(), "Secretaria");
  cbb->SelectByUser(2);
  EXPECT_EQ(t.unidades.FieldByName("ID_TIPO_UNIDADE").AsLargeInt(), 3);
  t.unidades.Cancel();
  EXPECT_EQ(t.tipos.State(), db::TDataSetState::dsEdit);
  EXPECT_EQ(t.tipos.RecNo(), 2);
  EXPECT_EQ(t.tipos.FieldByName("TIPO_UNIDADE").AsString(), "Posto de Saúde");
  EXPECT_EQ(scrolls, 0);

  // "Novo" on the units: the grid keeps its rows and shows the new one last.
  auto* grid = new TDBGrid(form);
  grid->SetParent(form);
  TColumn* c1 = grid->Columns().Add();
  c1->SetFieldName("ID_UNIDADE");
  TColumn* c2 = grid->Columns().Add();
  c2->SetFieldName("NOME_UNIDADE");
  grid->SetDataSource(&t.dtsUnidades);
  t.unidades.SetRecNo(2);
  t.unidades.Append();
  t.unidades.FieldByName("NOME_UNIDADE").SetAsString("Norte");
  ASSERT_EQ(grid->RowCount(), 3);
  EXPECT_EQ(grid->CellText(0, 1), "Centro");
  EXPECT_EQ(grid->CellText(1, 1), "Vila Nova");
  EXPECT_EQ(grid->CellText(2, 1), "Norte");
  EXPECT_EQ(grid->Row(), 2);
  // The lookup list of a dataset being inserted into lists the stored rows.
  t.tipos.Cancel();
  t.tipos.Append();
  cbb->RefreshList();
  EXPECT_EQ(cbb->Items().Count(), 3);
  EXPECT_EQ(t.tipos.State(), db::TDataSetState::dsInsert);
  t.tipos.Cancel();
  // Editing a row shows its new text in its own row only.
  t.unidades.Cancel();
  EXPECT_EQ(grid->RowCount(), 2);
  t.unidades.First();
  t.unidades.Edit();
  t.unidades.FieldByName("NOME_UNIDADE").SetAsString("Centro Histórico");
  EXPECT_EQ(grid->CellText(0, 1), "Centro Histórico");
  EXPECT_EQ(grid->CellText(1, 1), "Vila Nova");
  EXPECT_EQ(t.unidades.State(), db::TDataSetState::dsEdit);
  t.unidades.Cancel();
  EXPECT_EQ(grid->CellText(0, 1), "Centro");
}

// A data-aware edit shows the field's display text, and its edit text while
// it has the focus and the field can change (as the toolkit does).
TEST_F(DBControls, EditShowsDisplayTextUnlessFocusedForEditing) {
  db::TField& id = t.unidades.FieldByName("ID_UNIDADE");
  id.DisplayFormat = "00000000";
  t.unidades.FieldByName("ID_TIPO_UNIDADE").DisplayFormat = "000";
  auto* key = Add<TDBEdit>("edtId", "ID_UNIDADE");  // a read-only field
  auto* tipo = Add<TDBEdit>("edtTipo", "ID_TIPO_UNIDADE");
  auto* nome = Add<TDBEdit>("edtNome", "NOME_UNIDADE");
  EXPECT_EQ(key->Text(), "00000010");
  EXPECT_EQ(tipo->Text(), "001");
  form->SetActiveControl(key);
  EXPECT_EQ(key->Text(), "00000010");  // cannot change: still the display text
  form->SetActiveControl(tipo);
  EXPECT_EQ(tipo->Text(), "1");
  TypeInto(*tipo, "2");
  form->SetActiveControl(nome);
  EXPECT_EQ(tipo->Text(), "002");
  EXPECT_EQ(t.unidades.FieldByName("ID_TIPO_UNIDADE").AsLargeInt(), 2);
  t.unidades.Post();
  t.unidades.Next();
  EXPECT_EQ(key->Text(), "00000011");
  EXPECT_EQ(tipo->Text(), "002");
}

// The same controls on the demo tables of a real Firebird database.
class DBControlsFirebird : public ::testing::TestWithParam<testing_support::TAccess> {};

TEST_P(DBControlsFirebird, EditAndLookupPostToTheDatabase) {
  Application->Headless()->Reset();
  testing_support::TTestDatabase database(GetParam());
  db::TConnection con;
  database.Configure(con);
  con.Open();
  db::TQuery qryTipo;
  qryTipo.SetConnection(&con);
  qryTipo.SQL().SetText("SELECT * FROM TIPO_UNIDADE ORDER BY ID_TIPO_UNIDADE");
  db::TDataSource dtsTipo;
  dtsTipo.SetDataSet(&qryTipo);
  qryTipo.Open();
  db::TQuery qryUnidades;
  qryUnidades.SetConnection(&con);
  qryUnidades.SQL().SetText("SELECT * FROM UNIDADE ORDER BY ID_UNIDADE");
  db::TDataSource dtsUnidades;
  dtsUnidades.SetDataSet(&qryUnidades);
  qryUnidades.Open();
  ASSERT_GT(qryUnidades.RecordCount(), 0);
  qryUnidades.FieldByName("ID_UNIDADE").ProviderFlags =
      db::pfInUpdate | db::pfInWhere | db::pfInKey;

  auto* form = Create<TForm>(nullptr);
  form->Show();
  auto* edt = new TDBEdit(form);
  edt->SetParent(form);
  edt->SetDataSource(&dtsUnidades);
  edt->SetDataField("NOME_UNIDADE");
  auto* cbb = new TDBLookupComboBox(form);
  cbb->SetParent(form);
  cbb->SetDataSource(&dtsUnidades);
  cbb->SetDataField("ID_TIPO_UNIDADE");
  cbb->SetListSource(&dtsTipo);
  cbb->SetKeyField("ID_TIPO_UNIDADE");
  cbb->SetListField("TIPO_UNIDADE");
  auto* grid = new TDBGrid(form);
  grid->SetParent(form);
  grid->SetDataSource(&dtsUnidades);
  EXPECT_EQ(grid->RowCount(), qryUnidades.RecordCount());
  ASSERT_EQ(cbb->Items().Count(), qryTipo.RecordCount());

  std::string id = qryUnidades.FieldByName("ID_UNIDADE").AsString();
  TypeInto(*edt, "Unidade de Saúde Ação");
  cbb->SelectByUser(cbb->Items().Count() - 1);
  qryUnidades.Post();
  qryTipo.Last();
  std::string lastType = qryTipo.FieldByName("ID_TIPO_UNIDADE").AsString();
  EXPECT_EQ(database.Scalar("SELECT NOME_UNIDADE FROM UNIDADE WHERE ID_UNIDADE = " + id),
            "Unidade de Saúde Ação");
  EXPECT_EQ(database.Scalar("SELECT ID_TIPO_UNIDADE FROM UNIDADE WHERE ID_UNIDADE = " + id),
            lastType);
  EXPECT_EQ(grid->CellText(0, 1), "Unidade de Saúde Ação");
  form->Free();
}

INSTANTIATE_TEST_SUITE_P(Access, DBControlsFirebird,
                         ::testing::Values(testing_support::TAccess::Embedded,
                                           testing_support::TAccess::Server),
                         [](const auto& info) { return testing_support::AccessName(info.param); });
