#include "app/uCadPrefeitura.h"

#include <filesystem>
#include <fstream>

#include "app/uDM.h"
#include "app/uMenu.h"
#include "platform/ui/Clipbrd.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.Item.HTML.Upload.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

const core::TClassInfo& TfCadPrefeitura::StaticClass() {
  static core::TClassInfo info("TfCadPrefeitura", &vexlo::TVexloForm::StaticClass(),
                               core::FactoryOf<TfCadPrefeitura>());
  return info;
}

TfCadPrefeitura::TfCadPrefeitura(core::TComponent* AOwner) : vexlo::TVexloForm(AOwner) {
  IniciarFormCadastro(*this, "fCadPrefeitura", "Cadastro da Prefeitura");
  DisableAlign();

  db::TDataSource* src = DM->dtsPrefeitura;
  TCadFrame frame = BuildCadFrame(*this, Caption(), src, false, {});
  pnButtons = frame.pnButtons;
  lblTituloTela = frame.lblTituloTela;
  btnSair = frame.btnSair;
  pnlDados = frame.pnlDados;

  Label1 = MakeLabel(this, pnlDados, "Label1", "Id Prefeitura", 16, 16);
  DBEdit1 = MakeDBEdit(this, pnlDados, "DBEdit1", src, "ID_PREFEITURA", 16, 34, 121);
  MakeKeyReadOnly(DBEdit1);
  Label2 = MakeLabel(this, pnlDados, "Label2", "Nome Prefeitura", 16, 66);
  DBEdit2 = MakeDBEdit(this, pnlDados, "DBEdit2", src, "NOME_PREFEITURA", 16, 84, 512);
  Label3 = MakeLabel(this, pnlDados, "Label3", "Logo Prefeitura", 16, 116);
  dbiLogoPrefeitura = Make<ui::TDBImage>(this, pnlDados, "dbiLogoPrefeitura", 16, 134, 185, 185);
  dbiLogoPrefeitura->SetDataSource(src);
  dbiLogoPrefeitura->SetDataField("LOGO_PREFEITURA");
  dbiLogoPrefeitura->SetProportional(true);

  // "Salvar" and "Cancelar" at the bottom left of the data panel.
  int bottom = pnlDados->Height() - 41 - 8;
  btnSalvar = MakeButton(this, pnlDados, "btnSalvar", "Salvar", 16, bottom, 105, 41);
  btnSalvar->SetAnchors(ui::akLeft | ui::akBottom);
  btnCancelar = MakeButton(this, pnlDados, "btnCancelar", "Cancelar", 124, bottom, 105, 41);
  btnCancelar->SetAnchors(ui::akLeft | ui::akBottom);

  ppmMenu = new ui::TPopupMenu(this);
  ppmMenu->SetName("ppmMenu");
  ColardareadeTransferncia1 = new ui::TMenuItem(this);
  ColardareadeTransferncia1->SetName("ColardareadeTransferncia1");
  ColardareadeTransferncia1->SetCaption("Colar da Área de Transferência");
  ppmMenu->Items()->Add(ColardareadeTransferncia1);
  Anexarimagem1 = new ui::TMenuItem(this);
  Anexarimagem1->SetName("Anexarimagem1");
  Anexarimagem1->SetCaption("Procurar no computador");
  ppmMenu->Items()->Add(Anexarimagem1);
  dbiLogoPrefeitura->SetPopupMenu(ppmMenu);
  odlIMAGEPR = new ui::TOpenDialog(this);
  odlIMAGEPR->SetName("odlIMAGEPR");

  btnSalvar->OnClick = [this](core::TComponent* Sender) { btnSalvarClick(Sender); };
  btnCancelar->OnClick = [this](core::TComponent* Sender) { btnCancelarClick(Sender); };
  btnSair->OnClick = [this](core::TComponent* Sender) { btnSairClick(Sender); };
  OnCloseQuery = [this](core::TComponent* Sender, bool& CanClose) {
    FormCloseQuery(Sender, CanClose);
  };
  ColardareadeTransferncia1->OnClick = [this](core::TComponent* Sender) {
    ColardareadeTransferncia1Click(Sender);
  };
  Anexarimagem1->OnClick = [this](core::TComponent* Sender) { Anexarimagem1Click(Sender); };

  dtsStatus = CriarDtsStatus(*this, DM->qryPrefeitura,
                             [this](core::TComponent* Sender) { dtsStatusStateChange(Sender); });
  EnableAlign();
}

TfCadPrefeitura::~TfCadPrefeitura() {
  // The data source reports its last state change while it is freed, when
  // this form is already gone.
  dtsStatus->OnStateChange = nullptr;
}

void TfCadPrefeitura::btnSalvarClick(core::TComponent*) {
  if (IsEditing(DM->qryPrefeitura)) DM->qryPrefeitura->Post();
}

void TfCadPrefeitura::btnCancelarClick(core::TComponent*) {
  if (IsEditing(DM->qryPrefeitura)) DM->qryPrefeitura->Cancel();
}

void TfCadPrefeitura::btnSairClick(core::TComponent*) {
  FTDI->Fechar(false);
}

void TfCadPrefeitura::FormCloseQuery(core::TComponent*, bool& CanClose) {
  CanClose = ConfirmarAlteracoes(*this, DM->qryPrefeitura);
}

void TfCadPrefeitura::dtsStatusStateChange(core::TComponent*) {
  ApplyEditButtons(DM->qryPrefeitura, nullptr, btnSalvar, btnCancelar);
}

void TfCadPrefeitura::ColardareadeTransferncia1Click(core::TComponent*) {
  // Only a bitmap is taken (stored as PNG); other clipboard contents are ignored.
  if (ui::Clipboard()->HasFormat(ui::CF_BITMAP)) dbiLogoPrefeitura->PasteFromClipboard();
}

void TfCadPrefeitura::Anexarimagem1Click(core::TComponent*) {
  if (!odlIMAGEPR->Execute()) return;
  CarregarLogo(odlIMAGEPR->FileName);
}

void TfCadPrefeitura::CarregarLogo(const std::string& fileName) {
  // The size is taken from the opened file, which is closed again at once.
  std::uintmax_t size = 0;
  {
    std::error_code ec;
    std::ifstream file(fileName, std::ios::binary);
    if (!file || !std::filesystem::is_regular_file(fileName, ec))
      throw core::EToolkitError("Não foi possível abrir o arquivo " + fileName);
    size = std::filesystem::file_size(fileName, ec);
    if (ec) throw core::EToolkitError("Não foi possível ler o arquivo " + fileName);
  }
  if (size > kTamanhoMaximoLogo) {
    ShowMessage("A imagem selecionado é maior que 1mb");
    core::Abort();
  }
  // Read into a picture of its own first: a file that is no picture leaves
  // the logo as it was.
  ui::TPicture picture;
  picture.LoadFromFile(fileName);
  dbiLogoPrefeitura->Picture().Assign(picture);
}

void TfCadPrefeitura::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("");
  ExportarCadastroWeb(*this, lblTituloTela, btnSair, {}, nullptr,
                      {{Label1, DBEdit1, "col-12 col-md-4"},
                       {Label2, DBEdit2, "col-12 col-md-8"},
                       {Label3, dbiLogoPrefeitura, "col-12 tamblo-logo"}});
  // The logo is replaced by a file sent from the page; the size rule is the
  // desktop's (the page checks no size of its own, so its message is the
  // desktop's too).
  vexlo::TVexloItems& items = Vexlo()->Items();
  auto envio = items.Add().HTMLDIV("row g-2 mt-1", "", "", "");
  auto coluna = envio->Items().Add().HTMLDIV("col-12 col-md-8 col-lg-6", "", "", "");
  coluna->Items().Add().Upload("Enviar logo", "png,jpg,jpeg,bmp,ico", 1, 0, true, false, true,
                               false, 0);
  auto botoes = items.Add().HTMLDIV("d-flex flex-wrap gap-2 mt-3", "", "", "");
  botoes->Items().Add().VCLObj(btnSalvar, "btn-success tamblo-botao");
  botoes->Items().Add().VCLObj(btnCancelar, "btn-outline-secondary tamblo-botao");
  OnUpload() = [this](const std::vector<std::string>& AFiles, core::TComponent*) {
    if (AFiles.empty()) return;
    // As the desktop's menu item: a refusal was told by its own message (the
    // silent abort ends here), any other failure by the error report.
    try {
      CarregarLogo(AFiles.front());
    } catch (const core::EAbort&) {
    } catch (const std::exception& e) {
      ShowWebError(e.what());
    }
  };
}

void TfCadPrefeitura::InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) {
  vexlo::TVexloForm::InitControlsVexlo(AOrvaneControl);
  ReportarDigitacaoWeb(AOrvaneControl);
}

}  // namespace app
