#include "app/uCadLista.h"

#include "app/uMenu.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

const core::TClassInfo& TfCadLista::StaticClass() {
  // Never created by itself: only its descendants are forms of their own.
  static core::TClassInfo info("TfCadLista", &vexlo::TVexloForm::StaticClass(), nullptr);
  return info;
}

TfCadLista::TfCadLista(core::TComponent* AOwner, const std::string& AName,
                       const std::string& ACaption, db::TQuery* TDM::*ADataSet,
                       db::TDataSource* TDM::*ASource, std::initializer_list<TGridColumn> AColumns)
    : vexlo::TVexloForm(AOwner), FDataSet(ADataSet) {
  IniciarFormCadastro(*this, AName, ACaption);
  DisableAlign();

  TDM* dm = DM;
  FSource = dm->*ASource;
  TCadFrame frame = BuildCadFrame(*this, Caption(), FSource, true, AColumns);
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
}

void TfCadLista::ConcluirCadastro(std::vector<TCampoWeb> ACampos) {
  FCamposWeb = std::move(ACampos);
  btnNovo->OnClick = [this](core::TComponent* Sender) { btnNovoClick(Sender); };
  btnSalvar->OnClick = [this](core::TComponent* Sender) { btnSalvarClick(Sender); };
  btnCancelar->OnClick = [this](core::TComponent* Sender) { btnCancelarClick(Sender); };
  btnSair->OnClick = [this](core::TComponent* Sender) { btnSairClick(Sender); };
  OnCloseQuery = [this](core::TComponent* Sender, bool& CanClose) {
    FormCloseQuery(Sender, CanClose);
  };
  dtsStatus = CriarDtsStatus(*this, Dados(),
                             [this](core::TComponent* Sender) { dtsStatusStateChange(Sender); });
  EnableAlign();
}

TfCadLista::~TfCadLista() {
  // The data source reports its last state change while it is freed, when
  // this form is already gone.
  if (dtsStatus) dtsStatus->OnStateChange = nullptr;
}

db::TQuery* TfCadLista::Dados() const {
  TDM* dm = DM;
  return dm->*FDataSet;
}

void TfCadLista::btnNovoClick(core::TComponent*) {
  Dados()->Append();
}

void TfCadLista::btnSalvarClick(core::TComponent*) {
  if (IsEditing(Dados())) Dados()->Post();
}

void TfCadLista::btnCancelarClick(core::TComponent*) {
  if (IsEditing(Dados())) Dados()->Cancel();
}

void TfCadLista::btnSairClick(core::TComponent*) {
  FTDI->Fechar(false);
}

void TfCadLista::FormCloseQuery(core::TComponent*, bool& CanClose) {
  CanClose = ConfirmarAlteracoes(*this, Dados());
}

void TfCadLista::dtsStatusStateChange(core::TComponent*) {
  ApplyEditButtons(Dados(), btnNovo, btnSalvar, btnCancelar);
}

void TfCadLista::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  SetTitle("My Vexlo Form");
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("");
  ExportarCadastroWeb(*this, lblTituloTela, btnSair, {btnNovo, btnSalvar, btnCancelar}, DBGrid1,
                      FCamposWeb);
}

void TfCadLista::InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) {
  vexlo::TVexloForm::InitControlsVexlo(AOrvaneControl);
  ReportarDigitacaoWeb(AOrvaneControl);
}

void TfCadLista::RenderVexlo(orvane::TOrvaneControl* AOrvaneControl, std::string& HTMLControl) {
  vexlo::TVexloForm::RenderVexlo(AOrvaneControl, HTMLControl);
}

}  // namespace app
