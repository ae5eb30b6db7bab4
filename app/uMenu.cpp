#include "app/uMenu.h"

#include <algorithm>

#include "app/uCadPrefeitura.h"
#include "app/uCadSituacao.h"
#include "app/uCadTipoSolicitacao.h"
#include "app/uCadTipoUnidade.h"
#include "app/uCadUnidades.h"
#include "app/uDM.h"
#include "app/uLisSolicitacoes.h"
#include "app/uResources.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

TfMenu* fMenu = nullptr;
tabhost::TTDI* FTDI = nullptr;

const core::TClassInfo& TfMenu::StaticClass() {
  static core::TClassInfo info("TfMenu", &vexlo::TVexloForm::StaticClass(),
                               core::FactoryOf<TfMenu>());
  return info;
}

namespace {

constexpr int kGroupCollapsed = 33;
// The city hall name's width at design size, and the room kept after its text.
constexpr int kNomeLargura = 328;
constexpr int kNomeMargem = 8;
constexpr ui::TColor kGroupColor = ui::clSilver;

ui::TPanel* MakePanel(ui::TWinControl* AParent, const std::string& AName, ui::TAlign AAlign,
                      int ATop, int AWidth, int AHeight) {
  // Owned by the form the panel is on (a panel right on the form belongs to
  // the form, not to the form's owner).
  auto* p = new ui::TPanel(
      dynamic_cast<ui::TCustomForm*>(AParent) || !AParent->Owner() ? AParent : AParent->Owner());
  p->SetName(AName);
  p->SetParent(AParent);
  p->SetBounds(0, ATop, AWidth, AHeight);
  p->SetAlign(AAlign);
  p->SetBevelOuter(ui::bvNone);
  p->SetShowCaption(false);
  return p;
}

// A side-menu button: picture left of the caption, 5 pixels from the edge,
// 10 between picture and text.
ui::TSpeedButton* MakeButton(core::TComponent* AOwner, ui::TWinControl* AParent,
                             const std::string& AName, const std::string& ACaption, int ATop,
                             int AHeight, std::string_view APicture) {
  auto* b = new ui::TSpeedButton(AOwner);
  b->SetName(AName);
  b->SetParent(AParent);
  b->SetBounds(0, ATop, AParent->Width(), AHeight);
  b->SetAlign(ui::alTop);
  b->SetCaption(ACaption);
  b->SetFlat(true);
  b->SetLayout(ui::blGlyphLeft);
  b->SetMargin(5);
  b->SetSpacing(10);
  if (!APicture.empty()) b->Glyph().LoadFromData(APicture);
  return b;
}

ui::TMenuItem* MakeItem(core::TComponent* AOwner, ui::TMenuItem* AParent, const std::string& AName,
                        const std::string& ACaption) {
  auto* i = new ui::TMenuItem(AOwner);
  if (!AName.empty()) i->SetName(AName);
  i->SetCaption(ACaption);
  AParent->Add(i);
  return i;
}

void ToggleGroup(ui::TPanel* AGroup, int AExpanded) {
  AGroup->SetHeight(AGroup->Height() == kGroupCollapsed ? AExpanded : kGroupCollapsed);
}

}  // namespace

TfMenu::TfMenu(core::TComponent* AOwner) : vexlo::TVexloForm(AOwner) {
  SetName("fMenu");
  SetCaption("Menu");
  SetWindowState(ui::wsMaximized);
  SetClientWidth(928);
  SetClientHeight(511);
  SetColor(ui::clWhite);
  Font().SetName("Segoe UI");
  Font().SetSize(9);
  DisableAlign();

  // Top bar: the city hall's name, and the close and person buttons on the right.
  Panel1 = MakePanel(this, "Panel1", ui::alTop, 0, 928, 41);
  DBText1 = new ui::TDBText(this);
  DBText1->SetName("DBText1");
  DBText1->SetParent(Panel1);
  DBText1->SetBounds(0, 0, 328, 41);
  DBText1->SetAlign(ui::alLeft);
  DBText1->Font().SetStyle(ui::fsBold);
  DBText1->Font().SetSize(14);
  DBText1->SetLayout(ui::tlCenter);
  // The name gets the width it needs, within the bar (AjustarNomePrefeitura).
  DBText1->SetAutoSize(true);
  DBText1->SetEllipsisPosition(ui::epEndEllipsis);
  DBText1->SetDataSource(DM->dtsPrefeitura);
  DBText1->SetDataField("NOME_PREFEITURA");

  btnFechar = new ui::TSpeedButton(this);
  btnFechar->SetName("btnFechar");
  btnFechar->SetParent(Panel1);
  btnFechar->SetBounds(888, 1, 40, 39);
  btnFechar->SetAlign(ui::alRight);
  btnFechar->SetHint("Sair do sistema (Fechar)");
  btnFechar->SetShowHint(true);
  btnFechar->SetLayout(ui::blGlyphTop);
  btnFechar->SetFlat(true);
  btnFechar->Glyph().LoadFromData(ResMenuFechar());

  Panel2 = MakePanel(Panel1, "Panel2", ui::alRight, 0, 4, 41);
  Panel2->SetLeft(884);

  btnUser = new ui::TSpeedButton(this);
  btnUser->SetName("btnUser");
  btnUser->SetParent(Panel1);
  btnUser->SetBounds(844, 1, 40, 39);
  btnUser->SetAlign(ui::alRight);
  btnUser->SetHint("Cadastro de Pessoas Físicas e Juríridas");
  btnUser->SetShowHint(true);
  btnUser->SetLayout(ui::blGlyphTop);
  btnUser->SetFlat(true);
  btnUser->Glyph().LoadFromData(ResMenuUser());

  // The side menu: "Recolher", three groups and "Configurações".
  pnlMenu = MakePanel(this, "pnlMenu", ui::alLeft, 41, 200, 470);
  pnlMenu->SetStyleElements(0);
  pnlMenu->SetColor(ui::clWhite);
  pnlMenu->DisableAlign();
  btnRecolher = MakeButton(this, pnlMenu, "btnRecolher", "Recolher", 0, 30, ResMenuRecolher());
  btnRecolher->Font().SetStyle(ui::fsBold);

  pnlSolicitacoes = MakePanel(pnlMenu, "pnlSolicitacoes", ui::alTop, 30, 200, 103);
  pnlSolicitacoes->SetColor(kGroupColor);
  btnMenuCategoria1 = MakeButton(this, pnlSolicitacoes, "btnMenuCategoria1", "Solicitações", 0, 33,
                                 ResMenuSolicitacoes());
  SpeedButton4 = MakeButton(this, pnlSolicitacoes, "SpeedButton4", "Gerenciamento", 33, 33,
                            ResMenuGerenciamento());
  btnOpcao1 =
      MakeButton(this, pnlSolicitacoes, "btnOpcao1", "Relatório", 66, 33, ResMenuRelatorio());
  btnOpcao1->SetEnabled(false);

  pnlUsuarios = MakePanel(pnlMenu, "pnlUsuarios", ui::alTop, 133, 200, 103);
  pnlUsuarios->SetColor(kGroupColor);
  SpeedButton2 =
      MakeButton(this, pnlUsuarios, "SpeedButton2", "Usuários", 0, 33, ResMenuUsuarios());
  SpeedButton1 =
      MakeButton(this, pnlUsuarios, "SpeedButton1", "Cad Usuários", 33, 33, ResMenuCadUsuarios());
  SpeedButton1->SetEnabled(false);
  SpeedButton3 = MakeButton(this, pnlUsuarios, "SpeedButton3", "Tipos de Usuário", 66, 33,
                            ResMenuTiposUsuario());
  SpeedButton3->SetEnabled(false);

  pnlCadastros = MakePanel(pnlMenu, "pnlCadastros", ui::alTop, 236, 200, 200);
  pnlCadastros->SetColor(kGroupColor);
  SpeedButton5 =
      MakeButton(this, pnlCadastros, "SpeedButton5", "Cadastros", 0, 33, ResMenuCadastros());
  SpeedButton6 =
      MakeButton(this, pnlCadastros, "SpeedButton6", "Prefeitura", 33, 33, ResMenuPrefeitura());
  SpeedButton7 =
      MakeButton(this, pnlCadastros, "SpeedButton7", "Unidades", 66, 33, ResMenuUnidades());
  SpeedButton8 = MakeButton(this, pnlCadastros, "SpeedButton8", "Tipos de Unidade", 99, 33,
                            ResMenuTiposUnidade());
  SpeedButton9 = MakeButton(this, pnlCadastros, "SpeedButton9", "Tipos de Solicitações", 132, 33,
                            ResMenuTiposSolicitacao());
  SpeedButton10 =
      MakeButton(this, pnlCadastros, "SpeedButton10", "Situações", 165, 33, ResMenuSituacoes());

  SpeedButton12 =
      MakeButton(this, pnlMenu, "SpeedButton12", "Configurações", 440, 30, ResMenuConfiguracoes());
  SpeedButton12->SetAlign(ui::alBottom);
  pnlMenu->EnableAlign();

  Image1 = new ui::TImage(this);
  Image1->SetName("Image1");
  Image1->SetParent(this);
  Image1->SetBounds(200, 41, 728, 470);
  Image1->SetAlign(ui::alClient);
  Image1->SetCenter(true);
  Image1->Picture().LoadFromData(ResLogo());

  // The menu bar.
  MainMenu1 = new ui::TMainMenu(this);
  MainMenu1->SetName("MainMenu1");
  ui::TMenuItem* root = MainMenu1->Items();
  Cadastros1 = MakeItem(this, root, "Cadastros1", "Cadastros");
  Prefeitura1 = MakeItem(this, Cadastros1, "Prefeitura1", "Prefeitura");
  Prefeitura2 = MakeItem(this, Cadastros1, "Prefeitura2", "Unidades");
  N1 = MakeItem(this, Cadastros1, "N1", "-");
  TipoDeUnidade1 = MakeItem(this, Cadastros1, "TipoDeUnidade1", "Tipo de Unidade");
  ipodeSolicitao1 = MakeItem(this, Cadastros1, "ipodeSolicitao1", "Tipo de Solicitação");
  SituaodeSolicitao1 = MakeItem(this, Cadastros1, "SituaodeSolicitao1", "Situação de Solicitação");
  Solicitaes1 = MakeItem(this, root, "Solicitaes1", "Solicitações");
  GerenciamentodeSolicitaes1 =
      MakeItem(this, Solicitaes1, "GerenciamentodeSolicitaes1", "Gerenciamento de Solicitações");
  RelatriodasSolicitaes1 =
      MakeItem(this, Solicitaes1, "RelatriodasSolicitaes1", "Relatório das Solicitações");
  Usurios1 = MakeItem(this, root, "Usurios1", "Usuários");
  CadastrodeUsurios1 = MakeItem(this, Usurios1, "CadastrodeUsurios1", "Cadastro de Usuários");
  iposdeUsurio1 = MakeItem(this, Usurios1, "iposdeUsurio1", "Tipos de Usuário");
  Sair1 = MakeItem(this, root, "Sair1", "Sair");
  SetMenu(MainMenu1);

  // Menu items and the buttons that share their actions.
  auto on = [this](void (TfMenu::*AHandler)(core::TComponent*)) {
    return [this, AHandler](core::TComponent* Sender) { (this->*AHandler)(Sender); };
  };
  auto same = [](ui::TMenuItem* AItem) { return [AItem](core::TComponent*) { AItem->Click(); }; };
  Prefeitura1->OnClick = on(&TfMenu::Prefeitura1Click);
  Prefeitura2->OnClick = on(&TfMenu::Prefeitura2Click);
  TipoDeUnidade1->OnClick = on(&TfMenu::TipoDeUnidade1Click);
  ipodeSolicitao1->OnClick = on(&TfMenu::ipodeSolicitao1Click);
  SituaodeSolicitao1->OnClick = on(&TfMenu::SituaodeSolicitao1Click);
  GerenciamentodeSolicitaes1->OnClick = on(&TfMenu::GerenciamentodeSolicitaes1Click);
  Sair1->OnClick = on(&TfMenu::Sair1Click);

  btnRecolher->OnClick = on(&TfMenu::btnRecolherClick);
  btnMenuCategoria1->OnClick = on(&TfMenu::btnMenuCategoria1Click);
  SpeedButton4->OnClick = same(GerenciamentodeSolicitaes1);
  SpeedButton2->OnClick = on(&TfMenu::SpeedButton2Click);
  SpeedButton1->OnClick = on(&TfMenu::SpeedButton2Click);
  SpeedButton5->OnClick = on(&TfMenu::SpeedButton5Click);
  SpeedButton6->OnClick = same(Prefeitura1);
  SpeedButton7->OnClick = same(Prefeitura2);
  SpeedButton8->OnClick = same(TipoDeUnidade1);
  SpeedButton9->OnClick = same(ipodeSolicitao1);
  SpeedButton10->OnClick = same(SituaodeSolicitao1);
  btnFechar->OnClick = same(Sair1);

  DBText1->OnResize = [this](core::TComponent*) { AjustarNomePrefeitura(); };
  Panel1->OnResize = [this](core::TComponent*) { AjustarNomePrefeitura(); };

  EnableAlign();
  AjustarNomePrefeitura();
  OnCreate = [this](core::TComponent* Sender) { FormCreate(Sender); };
  OnCloseQuery = [this](core::TComponent* Sender, bool& CanClose) {
    FormCloseQuery(Sender, CanClose);
  };
}

TfMenu::~TfMenu() {
  // The host goes with the menu (its tabs close first).
  if (FTDI && FTDI->Owner() == this) {
    tabhost::TTDI* host = FTDI;
    FTDI = nullptr;
    host->Free();
  }
}

void TfMenu::FormCreate(core::TComponent*) {
  FTDI = new tabhost::TTDI(this, nullptr);
  FTDI->SetMostrarMenuPopup(false);
}

void TfMenu::AjustarNomePrefeitura() {
  if (FAjustandoNome) return;
  FAjustandoNome = true;
  int texto = ui::MeasureText(DBText1->Caption(), DBText1->Font()).cx + kNomeMargem;
  int livre = Panel1->ClientWidth() - btnFechar->Width() - Panel2->Width() - btnUser->Width();
  DBText1->SetWidth(std::max(0, std::min(std::max(texto, kNomeLargura), livre)));
  FAjustandoNome = false;
}

void TfMenu::btnRecolherClick(core::TComponent*) {
  if (btnRecolher->Caption() == "Recolher") {
    pnlMenu->SetWidth(36);
    btnRecolher->SetCaption("");
  } else {
    pnlMenu->SetWidth(200);
    btnRecolher->SetCaption("Recolher");
  }
}

void TfMenu::btnMenuCategoria1Click(core::TComponent*) {
  ToggleGroup(pnlSolicitacoes, 103);
}
void TfMenu::SpeedButton2Click(core::TComponent*) {
  ToggleGroup(pnlUsuarios, 103);
}
void TfMenu::SpeedButton5Click(core::TComponent*) {
  ToggleGroup(pnlCadastros, 200);
}

void TfMenu::Prefeitura1Click(core::TComponent*) {
  FTDI->MostrarFormulario<TfCadPrefeitura>(false);
}
void TfMenu::Prefeitura2Click(core::TComponent*) {
  FTDI->MostrarFormulario<TfCadUnidades>(false);
}
void TfMenu::TipoDeUnidade1Click(core::TComponent*) {
  FTDI->MostrarFormulario<TfCadTipoUnidade>(false);
}
void TfMenu::ipodeSolicitao1Click(core::TComponent*) {
  FTDI->MostrarFormulario<TfCadTipoSolicitacao>(false);
}
void TfMenu::SituaodeSolicitao1Click(core::TComponent*) {
  FTDI->MostrarFormulario<TfCadSituacao>(false);
}
void TfMenu::GerenciamentodeSolicitaes1Click(core::TComponent*) {
  FTDI->MostrarFormulario<TfLisSolicitacoes>(false);
}

void TfMenu::Sair1Click(core::TComponent*) {
  if (!AbasPodemFechar()) return;
  ui::Application->Terminate();
}

void TfMenu::FormCloseQuery(core::TComponent*, bool& CanClose) {
  CanClose = AbasPodemFechar();
}

bool TfMenu::AbasPodemFechar() {
  if (!FTDI) return true;
  for (int i = 0; i < FTDI->PageControl()->PageCount(); ++i)
    if (ui::TCustomForm* form = FTDI->Formulario(i); form && !form->CloseQuery()) return false;
  return true;
}

void TfMenu::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  SetTitle("Corvessa");
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("");
  Vexlo()->Items().Add();
}

void TfMenu::InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) {
  vexlo::TVexloForm::InitControlsVexlo(AOrvaneControl);
}

void TfMenu::RenderVexlo(orvane::TOrvaneControl* AOrvaneControl, std::string& HTMLControl) {
  vexlo::TVexloForm::RenderVexlo(AOrvaneControl, HTMLControl);
}

}  // namespace app
