// The five registration forms, headless on a real database: the enabling
// rule of the toolbar, grids moving their dataset, lookups, required fields,
// and the city hall's logo from a file or the clipboard.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/uCadPrefeitura.h"
#include "app/uCadSituacao.h"
#include "app/uCadTipoSolicitacao.h"
#include "app/uCadTipoUnidade.h"
#include "app/uCadUnidades.h"
#include "platform/ui/Clipbrd.h"
#include "tests/app/AppTestSupport.h"

using namespace app;
using app_testing::AppFixture;
using db::TDataSetState;

namespace {

class CadastroTest : public app_testing::SharedDatabaseTest<> {
 protected:
  AppFixture app{*Shared};
};

// A user's choice of a context-menu entry: what the handler does not catch
// goes to the standard exception report.
void Choose(ui::TMenuItem* AItem) {
  try {
    AItem->Click();
  } catch (...) {
    ui::Application->HandleException(std::current_exception());
  }
}

// The toolbar and dataset of a list-style form, whatever its class.
struct TListForm {
  ui::TCustomForm* Form;
  db::TQuery* DataSet;
  ui::TButton *Novo, *Salvar, *Cancelar;
  ui::TDBGrid* Grid;
};

template <class T>
TListForm ListForm(T* f, db::TQuery* q) {
  return TListForm{f, q, f->btnNovo, f->btnSalvar, f->btnCancelar, f->DBGrid1};
}

// A PNG picture of w x h pixels, padded with zero bytes to ASize bytes.
std::string PngOfSize(size_t ASize) {
  ui::TBitmap bmp(8, 8);
  bmp.Fill(ui::clRed);
  std::string data = ui::EncodePNG(bmp);
  if (data.size() < ASize) data.append(ASize - data.size(), '\0');
  return data;
}

std::string WriteFile(const std::string& AName, const std::string& AData) {
  std::string path = "/tmp/tamblo-tests/" + AName;
  std::filesystem::create_directories("/tmp/tamblo-tests");
  std::ofstream(path, std::ios::binary) << AData;
  return path;
}

}  // namespace

TEST_F(CadastroTest, ListFormsTitlesGridsAndDetailFields) {
  struct Case {
    TListForm f;
    const char* title;
    std::vector<std::pair<std::string, int>> columns;
  };
  auto* sit = app.Open<TfCadSituacao>();
  auto* tps = app.Open<TfCadTipoSolicitacao>();
  auto* uni = app.Open<TfCadUnidades>();
  auto* tpu = app.Open<TfCadTipoUnidade>();
  Case cases[] = {
      {ListForm(sit, DM->qrySituacao),
       "Cadastro de Situação de Solicitação",
       {{"ID_SITUACAO", 68}, {"NOME_SITUACAO", 225}}},
      {ListForm(tps, DM->qryTipoSolicitacao),
       "Cadastro de Tipo de Solicitação",
       {{"ID_TIPO", 51}, {"NOME_TIPO", 241}}},
      {ListForm(uni, DM->qryUnidades),
       "Cadastro de Unidades",
       {{"ID_UNIDADE", 65}, {"NOME_UNIDADE", 228}}},
      {ListForm(tpu, DM->qryTipoUnidade),
       "Cadastro de Tipos de Unidade",
       {{"ID_TIPO_UNIDADE", -1}, {"TIPO_UNIDADE", 200}}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(c.f.Form->Caption(), c.title);
    EXPECT_EQ(ui::Find<ui::TLabel>(*c.f.Form, "lblTituloTela").Caption(), c.title);
    EXPECT_EQ(ui::Find<ui::TButton>(*c.f.Form, "btnSair").Width(), 105);
    EXPECT_EQ(ui::Find<ui::TGroupBox>(*c.f.Form, "GroupBox2").Width(), 338);
    EXPECT_EQ(ui::Find<ui::TGroupBox>(*c.f.Form, "GroupBox2").Caption(), "Listagem");
    EXPECT_EQ(ui::Find<ui::TGroupBox>(*c.f.Form, "GroupBox1").Caption(), "Detalhes");
    EXPECT_EQ(c.f.Novo->Width(), 111);
    EXPECT_EQ(c.f.Novo->Height(), 41);
    EXPECT_TRUE(c.f.Grid->ReadOnly());
    ASSERT_EQ(c.f.Grid->Columns().Count(), static_cast<int>(c.columns.size()));
    for (int i = 0; i < c.f.Grid->Columns().Count(); ++i) {
      EXPECT_EQ(c.f.Grid->Columns()[i]->FieldName(), c.columns[i].first);
      if (c.columns[i].second >= 0) {
        EXPECT_EQ(c.f.Grid->Columns()[i]->Width(), c.columns[i].second);
      }
    }
    EXPECT_EQ(c.f.Grid->RowCount(), c.f.DataSet->RecordCount());
  }
  // Keys: read-only, grey and skipped, except the unit type's, which is
  // grey but editable.
  for (ui::TDBEdit* key : {sit->DBEdit1, tps->DBEdit1, uni->DBEdit1}) {
    EXPECT_TRUE(key->ReadOnly());
    EXPECT_FALSE(key->TabStop());
    EXPECT_EQ(key->Color(), ui::clBtnFace);
  }
  EXPECT_FALSE(tpu->DBEdit1->ReadOnly());
  EXPECT_TRUE(tpu->DBEdit1->TabStop());
  EXPECT_EQ(tpu->DBEdit1->Color(), ui::clBtnFace);
  // The icon and colour of situations and request types are shown, not edited.
  EXPECT_FALSE(sit->dbiLogoSituacao->Enabled());
  EXPECT_FALSE(sit->DBEdit3->Enabled());
  EXPECT_EQ(sit->DBEdit3->DataField(), "COR_SITUACAO");
  EXPECT_FALSE(tps->dbiLogoTipo->Enabled());
  EXPECT_EQ(tps->dbiLogoTipo->DataField(), "LOGO_SITUACAO");
  EXPECT_FALSE(tps->DBEdit3->Enabled());
}

TEST_F(CadastroTest, EnablingRuleAfterOpeningNovoAndCancelar) {
  TListForm forms[] = {
      ListForm(app.Open<TfCadSituacao>(), DM->qrySituacao),
      ListForm(app.Open<TfCadTipoSolicitacao>(), DM->qryTipoSolicitacao),
      ListForm(app.Open<TfCadUnidades>(), DM->qryUnidades),
      ListForm(app.Open<TfCadTipoUnidade>(), DM->qryTipoUnidade),
  };
  for (TListForm& f : forms) {
    SCOPED_TRACE(f.Form->Caption());
    FTDI->MostrarFormulario(&f.Form->ClassType(), false);
    EXPECT_TRUE(f.Novo->Enabled());
    EXPECT_FALSE(f.Salvar->Enabled());
    EXPECT_FALSE(f.Cancelar->Enabled());
    int rows = f.DataSet->RecordCount();
    ui::ClickOn(*f.Form, "btnNovo");
    EXPECT_EQ(f.DataSet->State(), TDataSetState::dsInsert);
    EXPECT_FALSE(f.Novo->Enabled());
    EXPECT_TRUE(f.Salvar->Enabled());
    EXPECT_TRUE(f.Cancelar->Enabled());
    ui::ClickOn(*f.Form, "btnCancelar");
    EXPECT_EQ(f.DataSet->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(f.DataSet->RecordCount(), rows);
    EXPECT_EQ(f.Grid->RowCount(), rows);
    EXPECT_TRUE(f.Novo->Enabled());
    EXPECT_FALSE(f.Salvar->Enabled());
    EXPECT_FALSE(f.Cancelar->Enabled());
  }
  EXPECT_TRUE(AppFixture::Messages().empty());
}

TEST_F(CadastroTest, SelectingAGridRowMovesTheDataSetAndTypingStartsEditing) {
  auto* f = app.Open<TfCadSituacao>();
  f->DBGrid1->SelectCellByUser(2, 1);
  EXPECT_EQ(DM->qrySituacao->RecNo(), 3);
  EXPECT_EQ(f->DBEdit2->Text(), "Concluída");
  EXPECT_EQ(f->DBEdit1->Text(), "3");
  ui::TypeInto(*f->DBEdit2, "Concluída com êxito");
  EXPECT_EQ(DM->qrySituacao->State(), TDataSetState::dsEdit);
  EXPECT_TRUE(f->btnSalvar->Enabled());
  ui::ClickOn(*f, "btnSalvar");
  EXPECT_EQ(app.Database.Scalar("SELECT NOME_SITUACAO FROM SITUACAO WHERE ID_SITUACAO = 3"),
            "Concluída com êxito");
  EXPECT_EQ(f->DBGrid1->CellText(2, 1), "Concluída com êxito");
  EXPECT_TRUE(f->btnNovo->Enabled());
}

TEST_F(CadastroTest, AnEmptyRequiredFieldIsRefusedAndTheRecordStaysInEditing) {
  auto* f = app.Open<TfCadSituacao>();
  ui::ClickOn(*f, "btnNovo");
  ui::ClickOn(*f, "btnSalvar");
  EXPECT_EQ(AppFixture::Messages(), std::vector<std::string>{"Campo 'Situação' deve ter um valor"});
  EXPECT_EQ(DM->qrySituacao->State(), TDataSetState::dsInsert);
  EXPECT_TRUE(f->btnSalvar->Enabled());
  ui::ClickOn(*f, "btnCancelar");
}

TEST_F(CadastroTest, AUnitTypeAndAUnitOfThatType) {
  auto* tpu = app.Open<TfCadTipoUnidade>();
  ui::ClickOn(*tpu, "btnNovo");
  ui::TypeInto(*tpu->DBEdit2, "Centro Cultural");
  ui::ClickOn(*tpu, "btnSalvar");
  ASSERT_TRUE(AppFixture::Messages().empty()) << AppFixture::Messages()[0];
  std::string tipo = app.Database.Scalar(
      "SELECT ID_TIPO_UNIDADE FROM TIPO_UNIDADE WHERE TIPO_UNIDADE = 'Centro Cultural'");
  ASSERT_FALSE(tipo.empty());
  EXPECT_EQ(tpu->DBEdit1->Text(), tipo);  // the key the database assigned

  auto* uni = app.Open<TfCadUnidades>();
  // The lookup offers the new type at once.
  int index = uni->DBLookupComboBox1->Items().IndexOf("Centro Cultural");
  ASSERT_GE(index, 0);
  ui::ClickOn(*uni, "btnNovo");
  ui::TypeInto(*uni->DBEdit2, "Casa da Cultura");
  // Saving without the type is refused with the field's label.
  ui::ClickOn(*uni, "btnSalvar");
  EXPECT_EQ(AppFixture::Messages(),
            std::vector<std::string>{"Campo 'Tipo de Unidade' deve ter um valor"});
  uni->DBLookupComboBox1->SetFocus();
  uni->DBLookupComboBox1->SelectByUser(index);
  ui::ClickOn(*uni, "btnSalvar");
  EXPECT_EQ(DM->qryUnidades->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(app.Database.Scalar(
                "SELECT ID_TIPO_UNIDADE FROM UNIDADE WHERE NOME_UNIDADE = 'Casa da Cultura'"),
            tipo);
  EXPECT_EQ(uni->DBGrid1->RowCount(), DM->qryUnidades->RecordCount());
}

TEST_F(CadastroTest, CityHallFormSaveAndCancel) {
  auto* f = app.Open<TfCadPrefeitura>();
  EXPECT_EQ(f->FindComponent("btnNovo"), nullptr);
  EXPECT_EQ(f->FindComponent("DBGrid1"), nullptr);
  EXPECT_FALSE(f->btnSalvar->Enabled());
  EXPECT_FALSE(f->btnCancelar->Enabled());
  EXPECT_EQ(f->btnSalvar->Width(), 105);
  EXPECT_EQ(f->btnSalvar->Height(), 41);
  EXPECT_EQ(f->DBEdit2->Width(), 512);
  EXPECT_EQ(f->dbiLogoPrefeitura->Width(), 185);
  EXPECT_EQ(f->dbiLogoPrefeitura->Height(), 185);
  EXPECT_EQ(f->dbiLogoPrefeitura->PopupMenu(), f->ppmMenu);
  EXPECT_EQ(f->ColardareadeTransferncia1->Caption(), "Colar da Área de Transferência");
  EXPECT_EQ(f->Anexarimagem1->Caption(), "Procurar no computador");
  EXPECT_TRUE(f->odlIMAGEPR->Filter.empty());
  ui::TypeInto(*f->DBEdit2, "Outro nome");
  EXPECT_TRUE(f->btnSalvar->Enabled());
  EXPECT_TRUE(f->btnCancelar->Enabled());
  ui::ClickOn(*f, "btnCancelar");
  EXPECT_EQ(f->DBEdit2->Text(), "Prefeitura Municipal de Santa Aurora");
  EXPECT_FALSE(f->btnSalvar->Enabled());
}

TEST_F(CadastroTest, LogoFromAFileUpToOneMebibyte) {
  auto* f = app.Open<TfCadPrefeitura>();
  std::string exact = WriteFile("logo_exato.png", PngOfSize(1048576));
  std::string over = WriteFile("logo_maior.png", PngOfSize(1048577));
  std::string chosen;
  AppFixture::Headless().OnOpenDialog = [&](ui::TOpenDialog& d) {
    d.FileName = chosen;
    return true;
  };
  // One byte over the limit: refused, logo unchanged.
  chosen = over;
  Choose(f->Anexarimagem1);
  EXPECT_EQ(AppFixture::Messages(),
            std::vector<std::string>{"A imagem selecionado é maior que 1mb"});
  EXPECT_TRUE(f->dbiLogoPrefeitura->Picture().Empty());
  EXPECT_EQ(DM->qryPrefeitura->State(), TDataSetState::dsBrowse);
  // Exactly 1 MiB: loaded, and stored with the next save.
  AppFixture::Headless().ClearRecords();
  chosen = exact;
  Choose(f->Anexarimagem1);
  EXPECT_TRUE(AppFixture::Messages().empty());
  EXPECT_EQ(f->dbiLogoPrefeitura->Picture().Data().size(), 1048576u);
  EXPECT_TRUE(f->btnSalvar->Enabled());
  ui::ClickOn(*f, "btnSalvar");
  EXPECT_EQ(app.Database.Scalar("SELECT OCTET_LENGTH(LOGO_PREFEITURA) FROM PREFEITURA"), "1048576");
  // A cancelled dialog does nothing.
  AppFixture::Headless().OnOpenDialog = nullptr;
  Choose(f->Anexarimagem1);
  EXPECT_TRUE(AppFixture::Messages().empty());
  EXPECT_EQ(AppFixture::Headless().OpenDialogCount(), 2);  // since the records were cleared
}

TEST_F(CadastroTest, UnreadableOrInvalidLogoFilesAreReportedAndTheLogoIsKept) {
  auto* f = app.Open<TfCadPrefeitura>();
  ui::TPicture before = f->dbiLogoPrefeitura->Picture();
  std::string text = WriteFile("nao_e_imagem.png", "isto não é uma imagem");
  struct Case {
    std::string file;
    std::string message;
  } cases[] = {
      {"/tmp/tamblo-tests/nao-existe.png",
       "Não foi possível abrir o arquivo /tmp/tamblo-tests/nao-existe.png"},
      {"/tmp/tamblo-tests", "Não foi possível abrir o arquivo /tmp/tamblo-tests"},
      {text, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    AppFixture::Headless().ClearRecords();
    AppFixture::Headless().OnOpenDialog = [&](ui::TOpenDialog& d) {
      d.FileName = c.file;
      return true;
    };
    Choose(f->Anexarimagem1);
    auto boxes = AppFixture::Headless().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Request.DlgType, ui::mtError);
    if (!c.message.empty()) {
      EXPECT_EQ(boxes[0].Request.Text, c.message);
    }
    EXPECT_EQ(f->dbiLogoPrefeitura->Picture(), before);
    EXPECT_EQ(DM->qryPrefeitura->State(), TDataSetState::dsBrowse);
  }
}

TEST_F(CadastroTest, PastingABitmapStoresPngAndPastingTextChangesNothing) {
  auto* f = app.Open<TfCadPrefeitura>();
  ui::TPicture before = f->dbiLogoPrefeitura->Picture();
  ui::Clipboard()->SetAsText("um texto");
  Choose(f->ColardareadeTransferncia1);
  EXPECT_EQ(f->dbiLogoPrefeitura->Picture(), before);
  EXPECT_EQ(DM->qryPrefeitura->State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(AppFixture::Messages().empty());

  ui::TBitmap bmp(30, 20);
  bmp.Fill(ui::clBlue);
  ui::Clipboard()->SetBitmap(bmp);
  Choose(f->ColardareadeTransferncia1);
  EXPECT_EQ(f->dbiLogoPrefeitura->Picture().Format(), ui::pfPNG);
  EXPECT_EQ(f->dbiLogoPrefeitura->Picture().Width(), 30);
  ui::ClickOn(*f, "btnSalvar");
  EXPECT_TRUE(AppFixture::Messages().empty());
  // The blob holds the PNG bytes.
  std::string signature = app.Database.Scalar(
      "SELECT CAST(SUBSTRING(LOGO_PREFEITURA FROM 2 FOR 3) AS VARCHAR(3)) FROM PREFEITURA");
  EXPECT_EQ(signature, "PNG");
  db::TBytes stored = DM->qryPrefeitura->FieldByName("LOGO_PREFEITURA").AsBytes();
  EXPECT_EQ(ui::DecodePNG(std::string(stored.begin(), stored.end())), bmp);
}

namespace {

// Answers the message boxes in turn (OK once the list is used up) and
// records their texts; checks that the save question has its three buttons.
struct Answers {
  std::vector<ui::TModalResult> Next;
  std::vector<std::string> Asked;
  explicit Answers(std::vector<ui::TModalResult> ANext) : Next(std::move(ANext)) {
    AppFixture::Headless().OnMessageBox = [this](const ui::TMessageBoxRequest& r) {
      Asked.push_back(r.Text);
      if (r.Text == "Deseja salvar as alterações?") {
        EXPECT_EQ(r.DlgType, ui::mtConfirmation);
        EXPECT_EQ(r.Buttons.List(),
                  (std::vector<ui::TMsgDlgBtn>{ui::mbYes, ui::mbNo, ui::mbCancel}));
      }
      if (Next.empty()) return ui::mrOk;
      ui::TModalResult answer = Next.front();
      Next.erase(Next.begin());
      return answer;
    };
  }
  ~Answers() { AppFixture::Headless().OnMessageBox = nullptr; }
};

const std::string kPergunta = "Deseja salvar as alterações?";

}  // namespace

// Closing a tab with a record being edited: "Cancelar" keeps the tab and
// the edit, "Não" drops the edit, "Sim" saves it; each answer checked in
// the database. An untouched "Novo" closes without a question.
TEST_F(CadastroTest, ClosingATabWithAPendingEditAsksFirst) {
  auto nome = [&] {
    return app.Database.Scalar("SELECT NOME_SITUACAO FROM SITUACAO WHERE ID_SITUACAO = 2");
  };
  std::string original = nome();
  auto edit = [&](const std::string& AText) {
    auto* f = app.Open<TfCadSituacao>();
    f->DBGrid1->SelectCellByUser(1, 1);
    ui::TypeInto(*f->DBEdit2, AText);
    return f;
  };
  {
    Answers answers({ui::mrCancel});
    auto* f = edit("Em andamento (rascunho)");
    ui::ClickOn(*f, "btnSair");
    EXPECT_EQ(answers.Asked, std::vector<std::string>{kPergunta});
    EXPECT_EQ(AppFixture::Tabs().size(), 1u);  // still open, still editing
    EXPECT_EQ(DM->qrySituacao->State(), TDataSetState::dsEdit);
    EXPECT_EQ(f->DBEdit2->Text(), "Em andamento (rascunho)");
    EXPECT_EQ(nome(), original);
  }
  {
    Answers answers({ui::mrNo});
    FTDI->Fechar(false);  // the tab's close button
    EXPECT_EQ(answers.Asked, std::vector<std::string>{kPergunta});
    EXPECT_TRUE(AppFixture::Tabs().empty());
    EXPECT_EQ(DM->qrySituacao->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(nome(), original);
  }
  {
    // Reopened: nothing pending, every row shown.
    auto* f = app.Open<TfCadSituacao>();
    EXPECT_EQ(f->DBGrid1->CellText(1, 1), original);
    EXPECT_TRUE(f->btnNovo->Enabled());
    FTDI->Fechar(false);
  }
  {
    Answers answers({ui::mrYes});
    auto* f = edit("Em andamento na secretaria");
    ui::ClickOn(*f, "btnSair");
    EXPECT_EQ(answers.Asked, std::vector<std::string>{kPergunta});
    EXPECT_TRUE(AppFixture::Tabs().empty());
    EXPECT_EQ(nome(), "Em andamento na secretaria");
    app.Database.Exec("UPDATE SITUACAO SET NOME_SITUACAO = 'Em andamento' WHERE ID_SITUACAO = 2");
  }
  {
    Answers answers({});
    auto* f = app.Open<TfCadSituacao>();
    int rows = DM->qrySituacao->RecordCount();
    ui::ClickOn(*f, "btnNovo");
    ui::ClickOn(*f, "btnSair");
    EXPECT_TRUE(answers.Asked.empty());
    EXPECT_TRUE(AppFixture::Tabs().empty());
    EXPECT_EQ(DM->qrySituacao->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(DM->qrySituacao->RecordCount(), rows);
  }
}

// "Sim" whose post is refused keeps the tab open with the refusal shown; the
// city hall form asks the same way.
TEST_F(CadastroTest, ASaveRefusedOnClosingKeepsTheTab) {
  auto* uni = app.Open<TfCadUnidades>();
  ui::ClickOn(*uni, "btnNovo");
  ui::TypeInto(*uni->DBEdit2, "Unidade sem tipo");
  {
    Answers answers({ui::mrYes});
    ui::ClickOn(*uni, "btnSair");
    EXPECT_EQ(answers.Asked,
              (std::vector<std::string>{kPergunta, "Campo 'Tipo de Unidade' deve ter um valor"}));
  }
  EXPECT_EQ(AppFixture::Tabs(), std::vector<std::string>{"Cadastro de Unidades      "});
  EXPECT_EQ(DM->qryUnidades->State(), TDataSetState::dsInsert);
  EXPECT_EQ(
      app.Database.Scalar("SELECT COUNT(*) FROM UNIDADE WHERE NOME_UNIDADE = 'Unidade sem tipo'"),
      "0");
  {
    Answers answers({ui::mrNo});
    ui::ClickOn(*uni, "btnSair");
  }
  EXPECT_TRUE(AppFixture::Tabs().empty());

  auto* pre = app.Open<TfCadPrefeitura>();
  ui::TypeInto(*pre->DBEdit2, "Prefeitura Municipal de Santa Aurora do Norte");
  {
    Answers answers({ui::mrYes});
    ui::ClickOn(*pre, "btnSair");
    EXPECT_EQ(answers.Asked, std::vector<std::string>{kPergunta});
  }
  EXPECT_TRUE(AppFixture::Tabs().empty());
  EXPECT_EQ(app.Database.Scalar("SELECT NOME_PREFEITURA FROM PREFEITURA"),
            "Prefeitura Municipal de Santa Aurora do Norte");
  app.Database.Exec(
      "UPDATE PREFEITURA SET NOME_PREFEITURA = 'Prefeitura Municipal de Santa Aurora'");
}

// "Novo" in a list form: the existing rows stay on screen (they used to go
// blank until the new record was saved or cancelled).
TEST_F(CadastroTest, NovoKeepsEveryListedRowVisible) {
  TListForm forms[] = {
      ListForm(app.Open<TfCadSituacao>(), DM->qrySituacao),
      ListForm(app.Open<TfCadTipoSolicitacao>(), DM->qryTipoSolicitacao),
      ListForm(app.Open<TfCadUnidades>(), DM->qryUnidades),
  };
  for (TListForm& f : forms) {
    SCOPED_TRACE(f.Form->Caption());
    FTDI->MostrarFormulario(&f.Form->ClassType(), false);
    int rows = f.DataSet->RecordCount();
    std::vector<std::string> before;
    for (int r = 0; r < rows; ++r) before.push_back(f.Grid->CellText(r, 1));
    ui::ClickOn(*f.Form, "btnNovo");
    ASSERT_EQ(f.Grid->RowCount(), rows + 1);
    for (int r = 0; r < rows; ++r) {
      EXPECT_FALSE(f.Grid->CellText(r, 1).empty()) << r;
      EXPECT_EQ(f.Grid->CellText(r, 1), before[r]) << r;
    }
    EXPECT_EQ(f.Grid->CellText(rows, 1), "");  // the new record, last
    ui::ClickOn(*f.Form, "btnCancelar");
  }
}
