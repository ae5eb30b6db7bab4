#include "app/uCadUnidades.h"

#include "app/uDM.h"
#include "app/uMenu.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

const core::TClassInfo& TfCadUnidades::StaticClass() {
  static core::TClassInfo info("TfCadUnidades", &vexlo::TVexloForm::StaticClass(),
                               core::FactoryOf<TfCadUnidades>());
  return info;
}

TfCadUnidades::TfCadUnidades(core::TComponent* AOwner) : vexlo::TVexloForm(AOwner) {
  SetName("fCadUnidades");
  SetCaption("Cadastro de Unidades");
  SetClientWidth(900);
  SetClientHeight(480);
  SetColor(ui::clWhite);
  Font().SetName("Segoe UI");
  Font().SetSize(9);
  DisableAlign();

  db::TDataSource* src = DM->dtsUnidades;
  TCadFrame frame =
      BuildCadFrame(*this, Caption(), src, true, {{"ID_UNIDADE", 65}, {"NOME_UNIDADE", 228}});
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

  Label1 = MakeLabel(this, GroupBox1, "Label1", "Id Unidade", 16, 24);
  DBEdit1 = MakeDBEdit(this, GroupBox1, "DBEdit1", src, "ID_UNIDADE", 16, 42, 121);
  MakeKeyReadOnly(DBEdit1);
  Label2 = MakeLabel(this, GroupBox1, "Label2", "Nome da Unidade", 16, 74);
  DBEdit2 = MakeDBEdit(this, GroupBox1, "DBEdit2", src, "NOME_UNIDADE", 16, 92, 400);
  Label3 = MakeLabel(this, GroupBox1, "Label3", "Tipo de Unidade", 16, 124);
  DBLookupComboBox1 =
      MakeLookup(this, GroupBox1, "DBLookupComboBox1", src, "ID_TIPO_UNIDADE", DM->dtsTipoUnidade,
                 "ID_TIPO_UNIDADE", "TIPO_UNIDADE", 16, 142, 400);

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
  dtsStatus->SetDataSet(DM->qryUnidades);
  dtsStatusStateChange(dtsStatus);
  EnableAlign();
}

TfCadUnidades::~TfCadUnidades() {
  // The data source reports its last state change while it is freed, when
  // this form is already gone.
  dtsStatus->OnStateChange = nullptr;
}

void TfCadUnidades::btnNovoClick(core::TComponent*) {
  DM->qryUnidades->Append();
}

void TfCadUnidades::btnSalvarClick(core::TComponent*) {
  if (IsEditing(DM->qryUnidades)) DM->qryUnidades->Post();
}

void TfCadUnidades::btnCancelarClick(core::TComponent*) {
  if (IsEditing(DM->qryUnidades)) DM->qryUnidades->Cancel();
}

void TfCadUnidades::btnSairClick(core::TComponent*) {
  FTDI->Fechar(false);
}

void TfCadUnidades::FormCloseQuery(core::TComponent*, bool& CanClose) {
  CanClose = ConfirmarAlteracoes(*this, DM->qryUnidades);
}

void TfCadUnidades::dtsStatusStateChange(core::TComponent*) {
  ApplyEditButtons(DM->qryUnidades, btnNovo, btnSalvar, btnCancelar);
}

void TfCadUnidades::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  SetTitle("My Vexlo Form");
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("");
  ExportarCadastroWeb(*this, lblTituloTela, btnSair, {btnNovo, btnSalvar, btnCancelar}, DBGrid1,
                      {{Label1, DBEdit1, "col-12 col-md-4"},
                       {Label2, DBEdit2, "col-12 col-md-8"},
                       {Label3, DBLookupComboBox1, "col-12 col-md-8"}});
}

void TfCadUnidades::InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) {
  vexlo::TVexloForm::InitControlsVexlo(AOrvaneControl);
  ReportarDigitacaoWeb(AOrvaneControl);
}

void TfCadUnidades::RenderVexlo(orvane::TOrvaneControl* AOrvaneControl, std::string& HTMLControl) {
  vexlo::TVexloForm::RenderVexlo(AOrvaneControl, HTMLControl);
}

}  // namespace app
