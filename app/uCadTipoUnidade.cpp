#include "app/uCadTipoUnidade.h"

#include "app/uDM.h"
#include "app/uMenu.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

const core::TClassInfo& TfCadTipoUnidade::StaticClass() {
  static core::TClassInfo info("TfCadTipoUnidade", &vexlo::TVexloForm::StaticClass(),
                               core::FactoryOf<TfCadTipoUnidade>());
  return info;
}

TfCadTipoUnidade::TfCadTipoUnidade(core::TComponent* AOwner) : vexlo::TVexloForm(AOwner) {
  SetName("fCadTipoUnidade");
  SetCaption("Cadastro de Tipos de Unidade");
  SetClientWidth(900);
  SetClientHeight(480);
  SetColor(ui::clWhite);
  Font().SetName("Segoe UI");
  Font().SetSize(9);
  DisableAlign();

  db::TDataSource* src = DM->dtsTipoUnidade;
  TCadFrame frame =
      BuildCadFrame(*this, Caption(), src, true, {{"ID_TIPO_UNIDADE", -1}, {"TIPO_UNIDADE", 200}});
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

  Label1 = MakeLabel(this, GroupBox1, "Label1", "Id Tipo Unidade", 16, 24);
  // Grey, but editable and in the keyboard order.
  DBEdit1 = MakeDBEdit(this, GroupBox1, "DBEdit1", src, "ID_TIPO_UNIDADE", 16, 42, 121);
  DBEdit1->SetColor(ui::clBtnFace);
  Label2 = MakeLabel(this, GroupBox1, "Label2", "Tipo de Unidade", 16, 74);
  DBEdit2 = MakeDBEdit(this, GroupBox1, "DBEdit2", src, "TIPO_UNIDADE", 16, 92, 400);

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
  dtsStatus->SetDataSet(DM->qryTipoUnidade);
  dtsStatusStateChange(dtsStatus);
  EnableAlign();
}

TfCadTipoUnidade::~TfCadTipoUnidade() {
  // The data source reports its last state change while it is freed, when
  // this form is already gone.
  dtsStatus->OnStateChange = nullptr;
}

void TfCadTipoUnidade::btnNovoClick(core::TComponent*) {
  DM->qryTipoUnidade->Append();
}

void TfCadTipoUnidade::btnSalvarClick(core::TComponent*) {
  if (IsEditing(DM->qryTipoUnidade)) DM->qryTipoUnidade->Post();
}

void TfCadTipoUnidade::btnCancelarClick(core::TComponent*) {
  if (IsEditing(DM->qryTipoUnidade)) DM->qryTipoUnidade->Cancel();
}

void TfCadTipoUnidade::btnSairClick(core::TComponent*) {
  FTDI->Fechar(false);
}

void TfCadTipoUnidade::FormCloseQuery(core::TComponent*, bool& CanClose) {
  CanClose = ConfirmarAlteracoes(*this, DM->qryTipoUnidade);
}

void TfCadTipoUnidade::dtsStatusStateChange(core::TComponent*) {
  ApplyEditButtons(DM->qryTipoUnidade, btnNovo, btnSalvar, btnCancelar);
}

void TfCadTipoUnidade::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  SetTitle("My Vexlo Form");
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("");
  ExportarCadastroWeb(*this, lblTituloTela, btnSair, {btnNovo, btnSalvar, btnCancelar}, DBGrid1,
                      {{Label1, DBEdit1, "col-12 col-md-4"}, {Label2, DBEdit2, "col-12 col-md-8"}});
}

void TfCadTipoUnidade::InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) {
  vexlo::TVexloForm::InitControlsVexlo(AOrvaneControl);
  ReportarDigitacaoWeb(AOrvaneControl);
}

void TfCadTipoUnidade::RenderVexlo(orvane::TOrvaneControl* AOrvaneControl,
                                   std::string& HTMLControl) {
  vexlo::TVexloForm::RenderVexlo(AOrvaneControl, HTMLControl);
}

}  // namespace app
