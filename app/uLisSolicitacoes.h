// The request list: filtered by situation on the server (the list's SQL is
// rebuilt) and by the text of the search field on the fetched rows; "Novo"
// and "Alterar" open the request form.
#pragma once

#include <cstdint>

#include "app/uFormBuilder.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "vexlo/Vexlo.Forms.h"

namespace app {

class TfLisSolicitacoes : public vexlo::TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  explicit TfLisSolicitacoes(core::TComponent* AOwner);

  ui::TPanel* pnlTituloTela;
  ui::TLabel* lblTituloTela;
  ui::TSpeedButton* SpeedButton1;
  ui::TGroupBox* gpbFiltragem;
  ui::TLabel* Label1;
  ui::TComboBox* cbbSituacao;
  ui::TLabel* Label2;
  ui::TEdit* edtPesquisa;
  ui::TLabel* Label3;
  ui::TDateTimePicker* dtpDtInicial;
  ui::TLabel* Label4;
  ui::TDateTimePicker* dtpDtFinal;
  ui::TButton* btnBuscar;
  ui::TGroupBox* gpbTarefas;
  ui::TPanel* pnlBotoes;
  ui::TButton* btnNovo;
  ui::TButton* btnAlterar;
  ui::TDBGrid* dbgTarefas;

  void FormCreate(core::TComponent* Sender);
  void FormShow(core::TComponent* Sender);
  // Rebuilds the list's SQL for the chosen situation, reopens it and applies
  // the text filter.
  void BuscarDados();
  // Filters the fetched rows by the search text (a LIKE on the description).
  void FiltrarDados();
  void cbbSituacaoChange(core::TComponent* Sender);
  void edtPesquisaChange(core::TComponent* Sender);
  void btnNovoClick(core::TComponent* Sender);
  void btnAlterarClick(core::TComponent* Sender);
  void SpeedButton1Click(core::TComponent* Sender);

  // The web page: the filters, the toolbar and the list.
  void ExportVexlo() override;

 private:
  // Opens the request form on the request with this key (0: a new one).
  void AbrirSolicitacao(int64_t AIdSolicitacao, bool AInserir);
  // After a save: the list again, on the saved request.
  void SolicitacaoSalva(int64_t AIdSolicitacao);
};

// The situation key written at the start of a list item ("3 - Concluída"),
// or -1 when the text does not start with one.
int64_t ChaveSituacao(const std::string& AItem);

}  // namespace app
