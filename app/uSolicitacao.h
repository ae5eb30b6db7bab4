// One request, shown modally from the request list on a new or the chosen
// request. "Salvar" stores it and brings the list up to date; "Cancelar"
// discards the changes.
#pragma once

#include <cstdint>
#include <functional>

#include "app/uFormBuilder.h"
#include "app/uSessionGlobal.h"
#include "vexlo/Vexlo.Forms.h"

namespace app {

class TfSolicitacao : public vexlo::TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  explicit TfSolicitacao(core::TComponent* AOwner);

  ui::TPanel* pnlTituloTela;
  ui::TLabel* lblTituloTela;
  ui::TButton* btnSair;
  ui::TPanel* pnlDados;
  ui::TLabel* Label1;
  ui::TDBEdit* DBEdit1;
  ui::TLabel* Label2;
  ui::TDBLookupComboBox* DBLookupComboBox2;
  ui::TLabel* Label3;
  ui::TDBEdit* DBEdit2;
  ui::TLabel* Label4;
  ui::TDBEdit* DBEdit3;
  ui::TLabel* Label5;
  ui::TDBLookupComboBox* DBLookupComboBox3;
  ui::TLabel* Label6;
  ui::TDBLookupComboBox* DBLookupComboBox1;
  ui::TLabel* Label7;
  ui::TDBLookupComboBox* DBLookupComboBox4;
  ui::TGroupBox* GroupBox1;
  ui::TImage* Image1;
  ui::TImage* Image2;
  ui::TImage* Image3;
  ui::TImage* Image4;
  ui::TImage* Image5;
  ui::TButton* btnSalvar;
  ui::TButton* btnCancelar;

  // Called with the key of a request once it is stored.
  std::function<void(int64_t AIdSolicitacao)> OnSalvo;

  void btnSairClick(core::TComponent* Sender);
  void btnSalvarClick(core::TComponent* Sender);
  void btnCancelarClick(core::TComponent* Sender);
  // "Sair" or the window's close: a request left with changes is saved,
  // dropped or keeps the form open.
  void FormCloseQuery(core::TComponent* Sender, bool& CanClose);

  // The web page: shown as a popup over the list.
  void ExportVexlo() override;
  void InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) override;

 private:
  // Completes, checks and posts the request, then tells OnSalvo.
  void Salvar();
};

// The request form while it is shown; nil otherwise.
extern TSessionGlobal<TfSolicitacao> fSolicitacao;

}  // namespace app
