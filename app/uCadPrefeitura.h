// The city hall record: its name and its logo. The logo takes a picture
// pasted from the clipboard or loaded from a file of at most 1 MiB.
#pragma once

#include <cstdint>

#include "app/uFormBuilder.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menus.h"
#include "vexlo/Vexlo.Forms.h"

namespace app {

// The largest picture file the logo accepts.
constexpr std::uintmax_t kTamanhoMaximoLogo = 1048576;

class TfCadPrefeitura : public vexlo::TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  explicit TfCadPrefeitura(core::TComponent* AOwner);
  ~TfCadPrefeitura() override;

  ui::TPanel* pnButtons;
  ui::TLabel* lblTituloTela;
  ui::TButton* btnSair;
  ui::TPanel* pnlDados;
  ui::TLabel* Label1;
  ui::TDBEdit* DBEdit1;
  ui::TLabel* Label2;
  ui::TDBEdit* DBEdit2;
  ui::TLabel* Label3;
  ui::TDBImage* dbiLogoPrefeitura;
  ui::TButton* btnSalvar;
  ui::TButton* btnCancelar;
  ui::TPopupMenu* ppmMenu;
  ui::TMenuItem* ColardareadeTransferncia1;
  ui::TMenuItem* Anexarimagem1;
  ui::TOpenDialog* odlIMAGEPR;
  db::TDataSource* dtsStatus;

  void btnSalvarClick(core::TComponent* Sender);
  void btnCancelarClick(core::TComponent* Sender);
  void btnSairClick(core::TComponent* Sender);
  // A record left being edited is saved, dropped or keeps the form open.
  void FormCloseQuery(core::TComponent* Sender, bool& CanClose);
  void dtsStatusStateChange(core::TComponent* Sender);
  void ColardareadeTransferncia1Click(core::TComponent* Sender);
  void Anexarimagem1Click(core::TComponent* Sender);
  // Loads a picture file into the logo: refused with "A imagem selecionado
  // é maior que 1mb" when larger than 1 MiB. The file dialog's choice and a
  // file sent from a web page both come here.
  void CarregarLogo(const std::string& AFileName);

  // The web page: the fields, the logo and the upload that replaces it.
  void ExportVexlo() override;
  void InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) override;
};

}  // namespace app
