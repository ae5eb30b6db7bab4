#include "app/uSolicitacao.h"

#include "app/uDM.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

TSessionGlobal<TfSolicitacao> fSolicitacao;

const core::TClassInfo& TfSolicitacao::StaticClass() {
  static core::TClassInfo info("TfSolicitacao", &vexlo::TVexloForm::StaticClass(),
                               core::FactoryOf<TfSolicitacao>());
  return info;
}

TfSolicitacao::TfSolicitacao(core::TComponent* AOwner) : vexlo::TVexloForm(AOwner) {
  SetName("fSolicitacao");
  SetCaption("Solicitacao");
  SetClientWidth(624);
  SetClientHeight(441);
  SetPosition(ui::poDesktopCenter);
  SetColor(ui::clWhite);
  Font().SetName("Segoe UI");
  Font().SetSize(9);
  DisableAlign();

  pnlTituloTela = MakePanel(this, this, "pnlTituloTela", ui::alTop, 0, 0, 624, 41);
  lblTituloTela = MakeLabel(this, pnlTituloTela, "lblTituloTela", "Solicitação", 0, 0);
  lblTituloTela->SetAutoSize(false);
  lblTituloTela->SetAlign(ui::alClient);
  lblTituloTela->SetLayout(ui::tlCenter);
  lblTituloTela->Font().SetStyle(ui::fsBold);
  lblTituloTela->Font().SetSize(16);
  btnSair = MakeButton(this, pnlTituloTela, "btnSair", "Sair", 517, 2, 105, 37);
  btnSair->SetAlign(ui::alRight);
  pnlDados = MakePanel(this, this, "pnlDados", ui::alClient, 0, 41, 624, 400);

  db::TDataSource* src = DM->dtsSolicitacao;
  Label1 = MakeLabel(this, pnlDados, "Label1", "Controle", 16, 8);
  DBEdit1 = MakeDBEdit(this, pnlDados, "DBEdit1", src, "ID_SOLICITACAO", 16, 26, 100);
  MakeKeyReadOnly(DBEdit1);
  Label2 = MakeLabel(this, pnlDados, "Label2", "Tipo", 130, 8);
  DBLookupComboBox2 = MakeLookup(this, pnlDados, "DBLookupComboBox2", src, "ID_TIPO",
                                 DM->dtsTipoSolicitacao, "ID_TIPO", "NOME_TIPO", 130, 26, 200);
  Label3 = MakeLabel(this, pnlDados, "Label3", "Data Solicitação", 344, 8);
  DBEdit2 = MakeDBEdit(this, pnlDados, "DBEdit2", src, "DATA_SOLICITACAO", 344, 26, 145);
  Label4 = MakeLabel(this, pnlDados, "Label4", "Descrição", 16, 56);
  DBEdit3 = MakeDBEdit(this, pnlDados, "DBEdit3", src, "SOLICITACAO", 16, 74, 457);
  Label5 = MakeLabel(this, pnlDados, "Label5", "Unidade", 16, 104);
  DBLookupComboBox3 = MakeLookup(this, pnlDados, "DBLookupComboBox3", src, "ID_UNIDADE",
                                 DM->dtsUnidades, "ID_UNIDADE", "NOME_UNIDADE", 16, 122, 220);
  Label6 = MakeLabel(this, pnlDados, "Label6", "Situação", 252, 104);
  DBLookupComboBox1 = MakeLookup(this, pnlDados, "DBLookupComboBox1", src, "ID_SITUACAO",
                                 DM->dtsSituacao, "ID_SITUACAO", "NOME_SITUACAO", 252, 122, 221);
  // The person the request is registered for.
  Label7 = MakeLabel(this, pnlDados, "Label7", "Usuário", 16, 152);
  DBLookupComboBox4 = MakeLookup(this, pnlDados, "DBLookupComboBox4", src, "ID_USUARIO",
                                 DM->dtsUsuario, "ID_USUARIO", "NOME_USUARIO", 16, 170, 457);

  GroupBox1 = Make<ui::TGroupBox>(this, pnlDados, "GroupBox1", 16, 202, 583, 130);
  GroupBox1->SetCaption("Fotos");
  ui::TImage** photos[] = {&Image1, &Image2, &Image3, &Image4, &Image5};
  for (int i = 0; i < 5; ++i) {
    *photos[i] = Make<ui::TImage>(this, GroupBox1, "Image" + std::to_string(i + 1), 8 + i * 114, 20,
                                  105, 101);
    (*photos[i])->SetStretch(true);
    (*photos[i])->SetProportional(true);
  }

  btnSalvar = MakeButton(this, pnlDados, "btnSalvar", "Salvar", 16, 345, 105, 41);
  btnCancelar = MakeButton(this, pnlDados, "btnCancelar", "Cancelar", 124, 345, 105, 41);

  // Keyboard order: Controle, Data Solicitação, Descrição, Situação, Unidade,
  // Usuário, Tipo; then the buttons.
  ui::TWinControl* order[] = {DBEdit1,           DBEdit2,           DBEdit3,   DBLookupComboBox1,
                              DBLookupComboBox3, DBLookupComboBox4, GroupBox1, DBLookupComboBox2,
                              btnSalvar,         btnCancelar};
  for (int i = 0; i < static_cast<int>(std::size(order)); ++i) order[i]->SetTabOrder(i);

  btnSair->OnClick = [this](core::TComponent* Sender) { btnSairClick(Sender); };
  btnSalvar->OnClick = [this](core::TComponent* Sender) { btnSalvarClick(Sender); };
  btnCancelar->OnClick = [this](core::TComponent* Sender) { btnCancelarClick(Sender); };
  OnCloseQuery = [this](core::TComponent* Sender, bool& CanClose) {
    FormCloseQuery(Sender, CanClose);
  };
  EnableAlign();
}

void TfSolicitacao::btnSairClick(core::TComponent*) {
  Close();
}

void TfSolicitacao::btnSalvarClick(core::TComponent*) {
  if (!IsEditing(DM->qrySolicitacao)) {
    Close();
    return;
  }
  Salvar();
  SetModalResult(ui::mrOk);
}

void TfSolicitacao::FormCloseQuery(core::TComponent*, bool& CanClose) {
  CanClose = ConfirmarAlteracoes(*this, DM->qrySolicitacao, [this] { Salvar(); });
}

void TfSolicitacao::Salvar() {
  db::TQuery* q = DM->qrySolicitacao;
  q->UpdateRecord();
  // The city hall the request belongs to is the current city hall record.
  db::TField& prefeitura = q->FieldByName("ID_PREFEITURA");
  if (prefeitura.IsNull()) {
    if (DM->qryPrefeitura->IsEmpty()) {
      ShowMessage("Cadastre a prefeitura antes de registrar uma solicitação");
      core::Abort();
    }
    prefeitura.SetValue(DM->qryPrefeitura->FieldByName("ID_PREFEITURA").Value());
  }
  // Required fields, in field order, named as the form's labels name them
  // (the references have no labels of their own in the dataset).
  const std::pair<const char*, const char*> required[] = {{"DATA_SOLICITACAO", "Data Solicitação"},
                                                          {"SOLICITACAO", "Descrição"},
                                                          {"ID_USUARIO", "Usuário"},
                                                          {"ID_SITUACAO", "Situação"},
                                                          {"ID_TIPO", "Tipo"},
                                                          {"ID_UNIDADE", "Unidade"}};
  for (auto [field, label] : required)
    if (q->FieldByName(field).AsString().empty())
      throw db::EDatabaseError(std::string("Campo '") + label + "' deve ter um valor");
  q->Post();
  int64_t id = q->FieldByName("ID_SOLICITACAO").AsLargeInt();
  if (OnSalvo) OnSalvo(id);
}

void TfSolicitacao::btnCancelarClick(core::TComponent*) {
  if (IsEditing(DM->qrySolicitacao)) DM->qrySolicitacao->Cancel();
  SetModalResult(ui::mrCancel);
}

void TfSolicitacao::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("");
  // Its modal run shows it over the list, as the desktop's dialog does.
  SetShowModalAsPopup(true);
  ExportarCadastroWeb(*this, lblTituloTela, btnSair, {}, nullptr,
                      {{Label1, DBEdit1, "col-12 col-sm-4"},
                       {Label2, DBLookupComboBox2, "col-12 col-sm-8"},
                       {Label3, DBEdit2, "col-12 col-sm-4"},
                       {Label4, DBEdit3, "col-12 col-sm-8"},
                       {Label5, DBLookupComboBox3, "col-12 col-sm-6"},
                       {Label6, DBLookupComboBox1, "col-12 col-sm-6"},
                       {Label7, DBLookupComboBox4, "col-12"}});
  auto botoes = Vexlo()->Items().Add().HTMLDIV("d-flex flex-wrap gap-2 mt-3", "", "", "");
  botoes->Items().Add().VCLObj(btnSalvar, "btn-success tamblo-botao");
  botoes->Items().Add().VCLObj(btnCancelar, "btn-outline-secondary tamblo-botao");
}

void TfSolicitacao::InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) {
  vexlo::TVexloForm::InitControlsVexlo(AOrvaneControl);
  ReportarDigitacaoWeb(AOrvaneControl);
}

}  // namespace app
