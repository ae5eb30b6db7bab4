#include "app/uLisSolicitacoes.h"

#include <charconv>
#include <tuple>

#include "app/uDM.h"
#include "app/uMenu.h"
#include "app/uSolicitacao.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

const core::TClassInfo& TfLisSolicitacoes::StaticClass() {
  static core::TClassInfo info("TfLisSolicitacoes", &vexlo::TVexloForm::StaticClass(),
                               core::FactoryOf<TfLisSolicitacoes>());
  return info;
}

int64_t ChaveSituacao(const std::string& AItem) {
  size_t dash = AItem.find(" - ");
  if (dash == std::string::npos || dash == 0) return -1;
  int64_t key = -1;
  auto [end, ec] = std::from_chars(AItem.data(), AItem.data() + dash, key);
  if (ec != std::errc() || end != AItem.data() + dash) return -1;
  return key;
}

TfLisSolicitacoes::TfLisSolicitacoes(core::TComponent* AOwner) : vexlo::TVexloForm(AOwner) {
  SetName("fLisSolicitacoes");
  SetCaption("Solicitacoes");
  SetClientWidth(901);
  SetClientHeight(441);
  SetColor(ui::clWhite);
  Font().SetName("Segoe UI");
  Font().SetSize(9);
  DisableAlign();

  pnlTituloTela = Make<ui::TPanel>(this, this, "pnlTituloTela", 0, 0, 901, 41);
  pnlTituloTela->SetAlign(ui::alTop);
  pnlTituloTela->SetBevelOuter(ui::bvNone);
  pnlTituloTela->SetBorderWidth(1);
  pnlTituloTela->SetShowCaption(false);
  lblTituloTela = MakeLabel(this, pnlTituloTela, "lblTituloTela", "Lista de Solicitações", 0, 0);
  lblTituloTela->SetAutoSize(false);
  lblTituloTela->SetAlign(ui::alClient);
  lblTituloTela->SetLayout(ui::tlCenter);
  lblTituloTela->Font().SetStyle(ui::fsBold);
  lblTituloTela->Font().SetSize(16);
  SpeedButton1 = Make<ui::TSpeedButton>(this, pnlTituloTela, "SpeedButton1", 795, 2, 105, 37);
  SpeedButton1->SetCaption("Sair");
  SpeedButton1->SetAlign(ui::alRight);

  gpbFiltragem = Make<ui::TGroupBox>(this, this, "gpbFiltragem", 0, 41, 901, 75);
  gpbFiltragem->SetCaption("Filtragem");
  gpbFiltragem->SetAlign(ui::alTop);
  Label1 = MakeLabel(this, gpbFiltragem, "Label1", "Situação", 12, 20);
  cbbSituacao = Make<ui::TComboBox>(this, gpbFiltragem, "cbbSituacao", 12, 38, 145, 23);
  Label2 = MakeLabel(this, gpbFiltragem, "Label2", "Nome da Tarefa", 168, 20);
  edtPesquisa = Make<ui::TEdit>(this, gpbFiltragem, "edtPesquisa", 168, 38, 331, 23);
  Label3 = MakeLabel(this, gpbFiltragem, "Label3", "Data Inicial", 510, 20);
  Label3->SetEnabled(false);
  dtpDtInicial = Make<ui::TDateTimePicker>(this, gpbFiltragem, "dtpDtInicial", 510, 38, 110, 23);
  dtpDtInicial->SetEnabled(false);
  Label4 = MakeLabel(this, gpbFiltragem, "Label4", "Data Final", 630, 20);
  Label4->SetEnabled(false);
  dtpDtFinal = Make<ui::TDateTimePicker>(this, gpbFiltragem, "dtpDtFinal", 630, 38, 110, 23);
  dtpDtFinal->SetEnabled(false);
  btnBuscar = MakeButton(this, gpbFiltragem, "btnBuscar", "Buscar", 752, 33, 105, 30);
  btnBuscar->SetVisible(false);

  gpbTarefas = Make<ui::TGroupBox>(this, this, "gpbTarefas", 0, 116, 901, 325);
  gpbTarefas->SetCaption("Solicitações");
  gpbTarefas->SetAlign(ui::alClient);
  pnlBotoes = MakePanel(this, gpbTarefas, "pnlBotoes", ui::alTop, 2, 17, 897, 41);
  btnNovo = MakeButton(this, pnlBotoes, "btnNovo", "Novo", 2, 2, 105, 37);
  btnAlterar = MakeButton(this, pnlBotoes, "btnAlterar", "Alterar", 109, 2, 105, 37);
  dbgTarefas = Make<ui::TDBGrid>(this, gpbTarefas, "dbgTarefas", 2, 58, 897, 265);
  dbgTarefas->SetAlign(ui::alClient);
  dbgTarefas->SetReadOnly(true);
  dbgTarefas->SetOptions((dbgTarefas->Options() & ~ui::dgEditing) | ui::dgRowSelect |
                         ui::dgAlwaysShowSelection);
  const std::pair<const char*, int> columns[] = {{"ID_SOLICITACAO", 80}, {"DATA_SOLICITACAO", 115},
                                                 {"SOLICITACAO", 200},   {"NOME_USUARIO", 200},
                                                 {"NOME_SITUACAO", 200}, {"NOME_TIPO", 200},
                                                 {"NOME_UNIDADE", 200}};
  for (auto [field, width] : columns) {
    ui::TColumn* c = dbgTarefas->Columns().Add();
    c->SetFieldName(field);
    c->SetWidth(width);
    c->Title().Caption = DM->qryLisSolicitacao->FieldByName(field).GetDisplayLabel();
  }
  dbgTarefas->SetDataSource(DM->dtsLisSolicitacao);

  SpeedButton1->OnClick = [this](core::TComponent* Sender) { SpeedButton1Click(Sender); };
  cbbSituacao->OnChange = [this](core::TComponent* Sender) { cbbSituacaoChange(Sender); };
  edtPesquisa->OnChange = [this](core::TComponent* Sender) { edtPesquisaChange(Sender); };
  btnNovo->OnClick = [this](core::TComponent* Sender) { btnNovoClick(Sender); };
  btnAlterar->OnClick = [this](core::TComponent* Sender) { btnAlterarClick(Sender); };
  EnableAlign();
  OnCreate = [this](core::TComponent* Sender) { FormCreate(Sender); };
  OnShow = [this](core::TComponent* Sender) { FormShow(Sender); };
}

void TfLisSolicitacoes::FormCreate(core::TComponent*) {
  core::TStrings& items = cbbSituacao->Items();
  items.Clear();
  items.Add("Todos");
  // Read by record number: the situations form may be editing one of them,
  // and that edit is neither posted nor moved away from.
  db::TQuery* sit = DM->qrySituacao;
  const db::TField& id = sit->FieldByName("ID_SITUACAO");
  const db::TField& nome = sit->FieldByName("NOME_SITUACAO");
  for (int rec = 1; rec <= sit->RecordCount(); ++rec)
    items.Add(sit->RowText(rec, id) + " - " + sit->RowText(rec, nome));
  cbbSituacao->SetItemIndex(0);
}

void TfLisSolicitacoes::FormShow(core::TComponent*) {
  BuscarDados();
}

void TfLisSolicitacoes::BuscarDados() {
  db::TQuery* q = DM->qryLisSolicitacao;
  q->Close();
  q->SQL().Clear();
  for (const char* line : {"SELECT",
                           "  SOL.ID_SOLICITACAO,",
                           "  SOL.DATA_SOLICITACAO,",
                           "  SOL.SOLICITACAO,",
                           "  SOL.ID_USUARIO,",
                           "  SOL.ID_PREFEITURA,",
                           "  SOL.ID_SITUACAO,",
                           "  SOL.ID_TIPO,",
                           "  SOL.ID_UNIDADE,",
                           "  USU.NOME_USUARIO,",
                           "  SIT.NOME_SITUACAO,",
                           "  TPS.NOME_TIPO,",
                           "  UNI.NOME_UNIDADE",
                           "FROM",
                           "  SOLICITACAO SOL",
                           "  LEFT JOIN USUARIO          USU ON USU.ID_USUARIO  = SOL.ID_USUARIO",
                           "  LEFT JOIN SITUACAO         SIT ON SIT.ID_SITUACAO = SOL.ID_SITUACAO",
                           "  LEFT JOIN TIPO_SOLICITACAO TPS ON TPS.ID_TIPO     = SOL.ID_TIPO",
                           "  LEFT JOIN UNIDADE          UNI ON UNI.ID_UNIDADE  = SOL.ID_UNIDADE",
                           "WHERE 1=1"})
    q->SQL().Add(line);
  int index = cbbSituacao->ItemIndex();
  if (index > 0) {
    // The key is the one written in the item's text: the situations' keys
    // need not run 1, 2, 3...
    int64_t key = ChaveSituacao(cbbSituacao->Items()[index]);
    if (key >= 0) q->SQL().Add("   AND SOL.ID_SITUACAO = " + std::to_string(key));
  }
  q->SQL().Add("ORDER BY");
  q->SQL().Add("  SOL.DATA_SOLICITACAO");
  q->Open();
  FiltrarDados();
}

void TfLisSolicitacoes::FiltrarDados() {
  db::TQuery* q = DM->qryLisSolicitacao;
  const std::string& text = edtPesquisa->Text();
  if (!text.empty()) {
    std::string pattern = "%" + text + "%";
    std::string quoted = "'";
    for (char c : pattern) {
      quoted += c;
      if (c == '\'') quoted += '\'';
    }
    quoted += "'";
    q->SetFilter("SOLICITACAO LIKE " + quoted);
    q->SetFiltered(true);
  } else {
    q->SetFilter("");
    q->SetFiltered(false);
  }
}

void TfLisSolicitacoes::cbbSituacaoChange(core::TComponent*) {
  BuscarDados();
}
void TfLisSolicitacoes::edtPesquisaChange(core::TComponent*) {
  FiltrarDados();
}

void TfLisSolicitacoes::AbrirSolicitacao(int64_t AIdSolicitacao, bool AInserir) {
  if (fSolicitacao == nullptr) fSolicitacao = core::Create<TfSolicitacao>(this);
  fSolicitacao->OnSalvo = [this](int64_t id) { SolicitacaoSalva(id); };
  db::TQuery* q = DM->qrySolicitacao;
  // The form and the single-request dataset go away however the run ends.
  struct TCleanup {
    ~TCleanup() {
      TfSolicitacao* form = fSolicitacao;
      fSolicitacao = nullptr;
      if (form) form->Free();
      DM->qrySolicitacao->Close();
    }
  } cleanup;
  q->ParamByName("P_ID_SOLICITACAO").SetAsLargeInt(AIdSolicitacao);
  q->Open();
  if (AInserir)
    q->Insert();
  else
    q->Edit();
  fSolicitacao->ShowModal();
}

void TfLisSolicitacoes::btnNovoClick(core::TComponent*) {
  AbrirSolicitacao(0, true);
}

void TfLisSolicitacoes::btnAlterarClick(core::TComponent*) {
  db::TQuery* list = DM->qryLisSolicitacao;
  int64_t id =
      list->Active() && !list->IsEmpty() ? list->FieldByName("ID_SOLICITACAO").AsLargeInt() : 0;
  AbrirSolicitacao(id, false);
}

void TfLisSolicitacoes::SolicitacaoSalva(int64_t AIdSolicitacao) {
  BuscarDados();
  DM->qryLisSolicitacao->Locate("ID_SOLICITACAO", db::TValue{AIdSolicitacao});
}

void TfLisSolicitacoes::SpeedButton1Click(core::TComponent*) {
  FTDI->Fechar(false);
}

void TfLisSolicitacoes::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("");
  vexlo::TVexloItems& items = Vexlo()->Items();
  auto titulo = items.Add().Row("row align-items-center g-2 mb-2 tamblo-titulo", false, "", "", "");
  titulo->Items().Add().VCLObj(lblTituloTela, "col fs-4 fw-bold");
  titulo->Items().Add().VCLObj(SpeedButton1, "btn-outline-secondary col-auto tamblo-sair");

  // "Filtragem": the situation, the text searched for, the (disabled) dates.
  auto filtros = items.Add().Row("row g-2 mb-3 tamblo-filtros", false, "", "", "");
  const std::tuple<ui::TControl*, ui::TControl*, const char*> campos[] = {
      {Label1, cbbSituacao, "col-12 col-sm-6 col-lg-3"},
      {Label2, edtPesquisa, "col-12 col-sm-6 col-lg-5"},
      {Label3, dtpDtInicial, "col-6 col-lg-2"},
      {Label4, dtpDtFinal, "col-6 col-lg-2"}};
  for (const auto& [rotulo, campo, colunas] : campos) {
    auto par = filtros->Items().Add().HTMLDIV(colunas, "", "", "");
    par->Items().Add().VCLObj(rotulo, "form-label mb-1 d-block");
    par->Items().Add().VCLObj(campo, "");
  }

  // "Solicitações": the toolbar and the list.
  auto barra = items.Add().HTMLDIV("d-flex flex-wrap gap-2 mb-2", "", "", "");
  barra->Items().Add().VCLObj(btnNovo, "btn-primary tamblo-botao");
  barra->Items().Add().VCLObj(btnAlterar, "btn-outline-primary tamblo-botao");
  auto lista = items.Add().Row("row", false, "", "", "");
  lista->Items().Add().VCLObj(dbgTarefas, "");
}

}  // namespace app
