// The main window after login: the city hall's name in the top bar, the
// collapsible side menu, the menu bar, and the tabbed host in which every
// work form opens.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/uSessionGlobal.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "tabhost/TDI.h"
#include "vexlo/Vexlo.Forms.h"
#include "vexlo/Vexlo.Item.HTML.Tabs.h"

namespace app {

class TfMenu : public vexlo::TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  explicit TfMenu(core::TComponent* AOwner);
  ~TfMenu() override;

  ui::TPanel* Panel1;
  ui::TDBText* DBText1;
  ui::TSpeedButton* btnFechar;
  ui::TPanel* Panel2;
  ui::TSpeedButton* btnUser;
  ui::TPanel* pnlMenu;
  ui::TSpeedButton* btnRecolher;
  ui::TPanel* pnlSolicitacoes;
  ui::TSpeedButton* btnMenuCategoria1;
  ui::TSpeedButton* SpeedButton4;
  ui::TSpeedButton* btnOpcao1;
  ui::TPanel* pnlUsuarios;
  ui::TSpeedButton* SpeedButton2;
  ui::TSpeedButton* SpeedButton1;
  ui::TSpeedButton* SpeedButton3;
  ui::TPanel* pnlCadastros;
  ui::TSpeedButton* SpeedButton5;
  ui::TSpeedButton* SpeedButton6;
  ui::TSpeedButton* SpeedButton7;
  ui::TSpeedButton* SpeedButton8;
  ui::TSpeedButton* SpeedButton9;
  ui::TSpeedButton* SpeedButton10;
  ui::TSpeedButton* SpeedButton12;
  ui::TImage* Image1;

  ui::TMainMenu* MainMenu1;
  ui::TMenuItem* Cadastros1;
  ui::TMenuItem* Prefeitura1;
  ui::TMenuItem* Prefeitura2;
  ui::TMenuItem* N1;
  ui::TMenuItem* TipoDeUnidade1;
  ui::TMenuItem* ipodeSolicitao1;
  ui::TMenuItem* SituaodeSolicitao1;
  ui::TMenuItem* Solicitaes1;
  ui::TMenuItem* GerenciamentodeSolicitaes1;
  ui::TMenuItem* RelatriodasSolicitaes1;
  ui::TMenuItem* Usurios1;
  ui::TMenuItem* CadastrodeUsurios1;
  ui::TMenuItem* iposdeUsurio1;
  ui::TMenuItem* Sair1;

  void FormCreate(core::TComponent* Sender);

  // The web page (read only in a web session).
  void ExportVexlo() override;
  void InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) override;
  void RenderVexlo(orvane::TOrvaneControl* AOrvaneControl, std::string& HTMLControl) override;
  void btnRecolherClick(core::TComponent* Sender);
  void btnMenuCategoria1Click(core::TComponent* Sender);
  void SpeedButton2Click(core::TComponent* Sender);
  void SpeedButton5Click(core::TComponent* Sender);
  void Prefeitura1Click(core::TComponent* Sender);
  void Prefeitura2Click(core::TComponent* Sender);
  void TipoDeUnidade1Click(core::TComponent* Sender);
  void ipodeSolicitao1Click(core::TComponent* Sender);
  void SituaodeSolicitao1Click(core::TComponent* Sender);
  void GerenciamentodeSolicitaes1Click(core::TComponent* Sender);
  void Sair1Click(core::TComponent* Sender);
  // Closing the window asks the tabs' forms first, as "Sair" does.
  void FormCloseQuery(core::TComponent* Sender, bool& CanClose);

  // The web page: the host's tabs become the tab set's tabs, each with its
  // form nested; the page reloads when a form opens or closes.
  void SincronizarAbasWeb();

 private:
  // The city hall's name is as wide as its text (at least its design width)
  // and ends before the bar's buttons; a name longer than that is elided.
  void AjustarNomePrefeitura();
  bool FAjustandoNome = false;
  // Asks every tab's form, in tab order, whether it may close (a record it
  // left being edited is saved, dropped or keeps the program open); false at
  // the first that may not.
  bool AbasPodemFechar();

  // --- the web page (used only in a web session) ---
  // The side menu's, the groups' and the tabs' state for the page script.
  std::string EstadoWeb() const;
  // Pushes that state to the page.
  void AtualizarEstadoWeb();
  // The host's tabs changed: the page follows once the handler is done.
  void AbasMudaram();
  void DoTagWeb(const std::string& TagString, std::string& ReplaceTag);
  // A person chose (or closed) tab AIndex on the page.
  void AbaEscolhidaWeb(int AIndex);
  void AbaFechadaWeb(int AIndex);
  std::shared_ptr<vexlo::IVexloItemHTMLTabs> FAbasWeb;
  // The forms the page's tabs hold, and its active tab, as last rendered.
  std::vector<ui::TCustomForm*> FFormsWeb;
  int FAbaAtivaWeb = -1;
  bool FSincronizacaoPendente = false;
};

extern TfMenu* fMenu;
// The tabbed document host of the menu; nil while no menu exists (in web
// mode: the session's menu).
extern TSessionGlobal<tabhost::TTDI> FTDI;

}  // namespace app
