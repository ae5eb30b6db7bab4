#include "app/uCadSituacao.h"

#include "app/uDM.h"
#include "app/uMenu.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

const core::TClassInfo& TfCadSituacao::StaticClass() {
  static core::TClassInfo info("TfCadSituacao", &vexlo::TVexloForm::StaticClass(),
                               core::FactoryOf<TfCadSituacao>());
  return info;
}

TfCadSituacao::TfCadSituacao(core::TComponent* AOwner) : vexlo::TVexloForm(AOwner) {
  SetName("fCadSituacao");
  SetCaption("Cadastro de Situação de Solicitação");
  SetClientWidth(900);
  SetClientHeight(480);
  SetColor(ui::clWhite);
  Font().SetName("Segoe UI");
  Font().SetSize(9);
  DisableAlign();

  db::TDataSource* src = DM->dtsSituacao;
  TCadFrame frame =
      BuildCadFrame(*this, Caption(), src, true, {{"ID_SITUACAO", 68}, {"NOME_SITUACAO", 225}});
  pnButtons = frame.pnButtons;
  lblTituloTela = frame.lblTituloTela;
  btnSair = frame.btnSair;
  pnlDados = frame.pnlDados;
  Panel1 = frame.Panel1;
  btnNovo = frame.btnNovo;
  btnSalvar = frame.btnSalvar;
  btnCancelar = frame.btnCancelar;
  GroupBox2 = frame.GroupBox2;
  DBGrid1 = frame.DBGrid1;
  GroupBox1 = frame.GroupBox1;

  Label1 = MakeLabel(this, GroupBox1, "Label1", "Id Situacao", 16, 24);
  DBEdit1 = MakeDBEdit(this, GroupBox1, "DBEdit1", src, "ID_SITUACAO", 16, 42, 121);
  MakeKeyReadOnly(DBEdit1);
  Label2 = MakeLabel(this, GroupBox1, "Label2", "Situação", 16, 74);
  DBEdit2 = MakeDBEdit(this, GroupBox1, "DBEdit2", src, "NOME_SITUACAO", 16, 92, 400);
  Label3 = MakeLabel(this, GroupBox1, "Label3", "Ícone Situação", 16, 124);
  dbiLogoSituacao = Make<ui::TDBImage>(this, GroupBox1, "dbiLogoSituacao", 16, 142, 105, 105);
  dbiLogoSituacao->SetDataSource(src);
  dbiLogoSituacao->SetDataField("LOGO_SITUACAO");
  dbiLogoSituacao->SetProportional(true);
  dbiLogoSituacao->SetEnabled(false);
  Label4 = MakeLabel(this, GroupBox1, "Label4", "Cor Situação", 16, 256);
  DBEdit3 = MakeDBEdit(this, GroupBox1, "DBEdit3", src, "COR_SITUACAO", 16, 274, 121);
  DBEdit3->SetEnabled(false);

  btnNovo->OnClick = [this](core::TComponent* Sender) { btnNovoClick(Sender); };
  btnSalvar->OnClick = [this](core::TComponent* Sender) { btnSalvarClick(Sender); };
  btnCancelar->OnClick = [this](core::TComponent* Sender) { btnCancelarClick(Sender); };
  btnSair->OnClick = [this](core::TComponent* Sender) { btnSairClick(Sender); };
  OnCloseQuery = [this](core::TComponent* Sender, bool& CanClose) {
    FormCloseQuery(Sender, CanClose);
  };

  // The form's own data source on the dataset, for its state changes only.
  dtsStatus = new db::TDataSource(this);
  dtsStatus->SetName("dtsStatus");
  dtsStatus->OnStateChange = [this](core::TComponent* Sender) { dtsStatusStateChange(Sender); };
  dtsStatus->SetDataSet(DM->qrySituacao);
  dtsStatusStateChange(dtsStatus);
  EnableAlign();
}

TfCadSituacao::~TfCadSituacao() {
  // The data source reports its last state change while it is freed, when
  // this form is already gone.
  dtsStatus->OnStateChange = nullptr;
}

void TfCadSituacao::btnNovoClick(core::TComponent*) {
  DM->qrySituacao->Append();
}

void TfCadSituacao::btnSalvarClick(core::TComponent*) {
  if (IsEditing(DM->qrySituacao)) DM->qrySituacao->Post();
}

void TfCadSituacao::btnCancelarClick(core::TComponent*) {
  if (IsEditing(DM->qrySituacao)) DM->qrySituacao->Cancel();
}

void TfCadSituacao::btnSairClick(core::TComponent*) {
  FTDI->Fechar(false);
}

void TfCadSituacao::FormCloseQuery(core::TComponent*, bool& CanClose) {
  CanClose = ConfirmarAlteracoes(*this, DM->qrySituacao);
}

void TfCadSituacao::dtsStatusStateChange(core::TComponent*) {
  ApplyEditButtons(DM->qrySituacao, btnNovo, btnSalvar, btnCancelar);
}

void TfCadSituacao::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  SetTitle("My Vexlo Form");
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("");
  ExportarCadastroWeb(*this, lblTituloTela, btnSair, {btnNovo, btnSalvar, btnCancelar}, DBGrid1,
                      {{Label1, DBEdit1, "col-12 col-md-4"},
                       {Label2, DBEdit2, "col-12 col-md-8"},
                       {Label3, dbiLogoSituacao, "col-12 col-md-4"},
                       {Label4, DBEdit3, "col-12 col-md-4"}});
}

void TfCadSituacao::InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) {
  vexlo::TVexloForm::InitControlsVexlo(AOrvaneControl);
  ReportarDigitacaoWeb(AOrvaneControl);
}

void TfCadSituacao::RenderVexlo(orvane::TOrvaneControl* AOrvaneControl, std::string& HTMLControl) {
  vexlo::TVexloForm::RenderVexlo(AOrvaneControl, HTMLControl);
}

}  // namespace app
