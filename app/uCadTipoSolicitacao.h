// The request types: a list and the details of the current one; the icon and
// colour are shown but cannot be changed.
#pragma once

#include "app/uFormBuilder.h"
#include "vexlo/Vexlo.Forms.h"

namespace app {

class TfCadTipoSolicitacao : public vexlo::TVexloForm {
  UI_DECLARE_CLASS()
 public:
  explicit TfCadTipoSolicitacao(ui::TComponent* AOwner);
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

  void btnNovoClick(ui::TComponent* Sender);
  void btnSalvarClick(ui::TComponent* Sender);
  void btnCancelarClick(ui::TComponent* Sender);
  void btnSairClick(ui::TComponent* Sender);
  void dtsStatusStateChange(ui::TComponent* Sender);
};

}  // namespace app
