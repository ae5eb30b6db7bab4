// The request types: a list and the details of the current one; the icon and
// colour are shown but cannot be changed.
#pragma once

#include "app/uFormBuilder.h"
#include "vexlo/Vexlo.Forms.h"

namespace app {

class TfCadTipoSolicitacao : public vexlo::TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  explicit TfCadTipoSolicitacao(core::TComponent* AOwner);
  ~TfCadTipoSolicitacao() override;

  ui::TPanel* pnButtons;
  ui::TLabel* lblTituloTela;
  ui::TButton* btnSair;
  ui::TPanel* pnlDados;
  ui::TPanel* Panel1;
  ui::TButton* btnNovo;
  ui::TButton* btnSalvar;
  ui::TButton* btnCancelar;
  ui::TGroupBox* GroupBox2;
  ui::TDBGrid* DBGrid1;
  ui::TGroupBox* GroupBox1;
  ui::TLabel* Label1;
  ui::TDBEdit* DBEdit1;
  ui::TLabel* Label2;
  ui::TDBEdit* DBEdit2;
  ui::TLabel* Label3;
  ui::TDBImage* dbiLogoTipo;
  ui::TLabel* Label4;
  ui::TDBEdit* DBEdit3;
  db::TDataSource* dtsStatus;

  void btnNovoClick(core::TComponent* Sender);
  void btnSalvarClick(core::TComponent* Sender);
  void btnCancelarClick(core::TComponent* Sender);
  void btnSairClick(core::TComponent* Sender);
  // A record left being edited is saved, dropped or keeps the form open.
  void FormCloseQuery(core::TComponent* Sender, bool& CanClose);
  void dtsStatusStateChange(core::TComponent* Sender);

  // The web page (read only in a web session).
  void ExportVexlo() override;
  void InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) override;
  void RenderVexlo(orvane::TOrvaneControl* AOrvaneControl, std::string& HTMLControl) override;
};

}  // namespace app
