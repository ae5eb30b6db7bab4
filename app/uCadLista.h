// The registration forms with a list (situations, request types, units and
// unit types) share everything but their detail fields: the frame with the
// toolbar, the list and the details group, the buttons and their enabling
// rule, the question before closing with a pending edit, and the web page.
#pragma once

#include <string>
#include <vector>

#include "app/uDM.h"
#include "app/uFormBuilder.h"
#include "vexlo/Vexlo.Forms.h"

namespace app {

class TfCadLista : public vexlo::TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  ~TfCadLista() override;

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
  db::TDataSource* dtsStatus = nullptr;

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

 protected:
  // Builds the form and its frame on the data module's ADataSet (shown through
  // ASource). The dataset is named by its place in the module, not taken once:
  // `DM` is the module of whichever session runs the handler.
  TfCadLista(core::TComponent* AOwner, const std::string& AName, const std::string& ACaption,
             db::TQuery* TDM::*ADataSet, db::TDataSource* TDM::*ASource,
             std::initializer_list<TGridColumn> AColumns);

  // The data source the detail fields bind to.
  db::TDataSource* Fonte() const { return FSource; }
  // Ends the construction once the detail fields exist: wires the buttons,
  // binds dtsStatus and keeps the fields' web layout (ACampos).
  void ConcluirCadastro(std::vector<TCampoWeb> ACampos);

 private:
  db::TQuery* Dados() const;

  db::TQuery* TDM::*FDataSet;
  db::TDataSource* FSource;
  std::vector<TCampoWeb> FCamposWeb;
};

}  // namespace app
