#include "app/uMenu.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

#include "app/uCadPrefeitura.h"
#include "app/uCadSituacao.h"
#include "app/uCadTipoSolicitacao.h"
#include "app/uCadTipoUnidade.h"
#include "app/uCadUnidades.h"
#include "app/uDM.h"
#include "app/uLisSolicitacoes.h"
#include "app/uResources.h"
#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.Server.HTML.h"
#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "orvane/server/Orvane.Util.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.Item.Nested.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.MainMenu.h"
#include "vexlo/Vexlo.Orvane.Form.h"
#include "vexlo/Vexlo.h"

namespace app {

TfMenu* fMenu = nullptr;
TSessionGlobal<tabhost::TTDI> FTDI;

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
  EndApplication();
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

namespace {

// The side menu's pictures on the page (files under the web root).
const std::pair<const char*, const char*> kFigurasWeb[] = {
    {"btnRecolher", "menu_recolher"},
    {"btnFechar", "menu_fechar"},
    {"btnUser", "menu_user"},
    {"btnMenuCategoria1", "menu_solicitacoes"},
    {"SpeedButton4", "menu_gerenciamento"},
    {"btnOpcao1", "menu_relatorio"},
    {"SpeedButton2", "menu_usuarios"},
    {"SpeedButton1", "menu_cad_usuarios"},
    {"SpeedButton3", "menu_tipos_usuario"},
    {"SpeedButton5", "menu_cadastros"},
    {"SpeedButton6", "menu_prefeitura"},
    {"SpeedButton7", "menu_unidades"},
    {"SpeedButton8", "menu_tipos_unidade"},
    {"SpeedButton9", "menu_tipos_solicitacao"},
    {"SpeedButton10", "menu_situacoes"},
    {"SpeedButton12", "menu_configuracoes"},
};

std::string Dica(ui::TControl* AControl) {
  return AControl->Hint().empty()
             ? ""
             : "title=\"" + orvane::HTMLEscape(AControl->Hint()) + "\" aria-label=\"" +
                   orvane::HTMLEscape(AControl->Hint()) + "\"";
}

// The tab's caption without the blanks the desktop leaves for its close button.
std::string TituloAba(const std::string& ACaption) {
  size_t end = ACaption.find_last_not_of(' ');
  return end == std::string::npos ? "" : ACaption.substr(0, end + 1);
}

}  // namespace

void TfMenu::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  SetTitle("Corvessa");
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("pages\\menu.html");
  vexlo::TVexloItems& items = Vexlo()->Items();

  // The top bar: the city hall's name, the person and close buttons.
  auto topo = items.Add().HTMLDIV("tamblo-topo d-flex align-items-center px-2", "", "", "");
  topo->Items().Add().VCLObj(DBText1, "tamblo-prefeitura fs-5 fw-bold text-truncate me-auto");
  topo->Items().Add().VCLObj(btnUser, "btn-light tamblo-botao-topo ms-auto", Dica(btnUser), "");
  topo->Items().Add().VCLObj(btnFechar, "btn-light tamblo-botao-topo", Dica(btnFechar), "");

  auto corpo = items.Add().HTMLDIV("tamblo-corpo", "", "", "");
  // The side menu, its three groups and "Configurações".
  auto menu = corpo->Items().Add().HTMLDIV("tamblo-menu", "", "id=\"PNLMENU\"", "");
  menu->Items().Add().VCLObj(btnRecolher, "tamblo-item fw-bold");
  const std::pair<ui::TPanel*, std::vector<ui::TSpeedButton*>> grupos[] = {
      {pnlSolicitacoes, {btnMenuCategoria1, SpeedButton4, btnOpcao1}},
      {pnlUsuarios, {SpeedButton2, SpeedButton1, SpeedButton3}},
      {pnlCadastros,
       {SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton8, SpeedButton9, SpeedButton10}}};
  for (const auto& [grupo, botoes] : grupos) {
    auto div = menu->Items().Add().HTMLDIV("tamblo-grupo", "",
                                           "id=\"" + orvane::UpperCase(grupo->Name()) + "\"", "");
    for (size_t i = 0; i < botoes.size(); ++i)
      div->Items().Add().VCLObj(botoes[i], i == 0 ? "tamblo-item tamblo-cabecalho" : "tamblo-item");
  }
  menu->Items().Add().VCLObj(SpeedButton12, "tamblo-item");

  // The work area: the host's tabs, each with its form (SincronizarAbasWeb).
  auto conteudo = corpo->Items().Add().HTMLDIV("tamblo-conteudo", "", "id=\"TAMBLO_CONTEUDO\"", "");
  FAbasWeb = conteudo->Items().Add().Tabs("tamblo-abas", "", "");

  OnTagHTML() = [this](const std::string& TagString, std::string& ReplaceTag) {
    DoTagWeb(TagString, ReplaceTag);
  };
  // The page follows the side menu and the tabs.
  auto estado = [this](core::TComponent*) { AtualizarEstadoWeb(); };
  for (ui::TPanel* p : {pnlMenu, pnlSolicitacoes, pnlUsuarios, pnlCadastros}) p->OnResize = estado;
  if (FTDI) FTDI->PageControl()->OnChange = [this](core::TComponent*) { AbasMudaram(); };
}

void TfMenu::InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) {
  vexlo::TVexloForm::InitControlsVexlo(AOrvaneControl);
}

void TfMenu::RenderVexlo(orvane::TOrvaneControl* AOrvaneControl, std::string& HTMLControl) {
  vexlo::TVexloForm::RenderVexlo(AOrvaneControl, HTMLControl);
  // The side menu's buttons show their picture before the caption, which is
  // hidden while the menu is folded.
  core::TComponent* vcl = AOrvaneControl ? AOrvaneControl->GetVCLComponent() : nullptr;
  if (!vcl) return;
  for (const auto& [nome, figura] : kFigurasWeb) {
    if (vcl->Name() != nome) continue;
    size_t open = HTMLControl.find('>');
    size_t close = HTMLControl.rfind("</button>");
    if (open == std::string::npos || close == std::string::npos || close < open) return;
    std::string caption = HTMLControl.substr(open + 1, close - open - 1);
    HTMLControl = HTMLControl.substr(0, open + 1) + "<img src=\"img/menu/" + figura +
                  ".png\" alt=\"\" width=\"24\" height=\"24\">" +
                  (caption.empty() ? "" : "<span class=\"tamblo-rotulo\">" + caption + "</span>") +
                  HTMLControl.substr(close);
    return;
  }
}

std::string TfMenu::EstadoWeb() const {
  nlohmann::json grupos = nlohmann::json::object();
  for (ui::TPanel* p : {pnlSolicitacoes, pnlUsuarios, pnlCadastros})
    grupos[orvane::UpperCase(p->Name())] = p->Height() == kGroupCollapsed;
  int abas = FTDI ? FTDI->PageControl()->PageCount() : 0;
  int ativa = FTDI ? FTDI->PageControl()->ActivePageIndex() : -1;
  const nlohmann::json estado = {{"recolhido", pnlMenu->Width() != 200},
                                 {"grupos", grupos},
                                 {"abas", FAbasWeb ? FAbasWeb->GetItemID() : ""},
                                 {"total", abas},
                                 {"ativa", ativa}};
  return estado.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
}

void TfMenu::AtualizarEstadoWeb() {
  orvane::IOrvaneSession* session = Vexlo() ? Vexlo()->OrvaneSession() : nullptr;
  if (session)
    session->ExecJS("if (window.TambloAplicarEstado) TambloAplicarEstado(" + EstadoWeb() + ");");
}

void TfMenu::DoTagWeb(const std::string& TagString, std::string& ReplaceTag) {
  if (TagString == "EstadoMenu") {
    ReplaceTag = EstadoWeb();
  } else if (TagString == "MenuPrincipal") {
    ReplaceTag = vexlo::MainMenuHTML(*Vexlo(), *MainMenu1);
  } else if (TagString == "EscolherAba" || TagString == "FecharAba") {
    orvane::TOrvaneForm* web = OrvaneForm();
    const std::string uuid = web ? web->GetFormUUID() : "";
    const bool escolher = TagString == "EscolherAba";
    const std::string name = (escolher ? "CallBackEscolherAba" : "CallBackFecharAba") + uuid;
    Vexlo()->RegisterCallBack(name, [this, escolher](const orvane::TStringList& AParameters) {
      const std::string text = orvane::ValueOf(AParameters, "aba");
      int index = -1;
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
      if (ec != std::errc() || end != text.data() + text.size()) return std::string();
      if (escolher)
        AbaEscolhidaWeb(index);
      else
        AbaFechadaWeb(index);
      return std::string();
    });
    ReplaceTag = Vexlo()->CallBackJSFor(name, uuid, "\"aba=\" + aba", true);
  }
}

void TfMenu::AbaEscolhidaWeb(int AIndex) {
  if (!FTDI) return;
  tabhost::TPageControl* pc = FTDI->PageControl();
  if (AIndex < 0 || AIndex >= pc->PageCount()) return;
  FAbaAtivaWeb = AIndex;
  if (pc->ActivePageIndex() != AIndex) pc->SelectTabByUser(pc->Pages(AIndex)->TabIndex());
}

void TfMenu::AbaFechadaWeb(int AIndex) {
  if (!FTDI) return;
  tabhost::TPageControl* pc = FTDI->PageControl();
  if (AIndex < 0 || AIndex >= pc->PageCount()) return;
  // As on the desktop: the click on a tab's close button chooses the tab,
  // then the host closes the active tab.
  if (pc->ActivePageIndex() != AIndex) pc->SelectTabByUser(pc->Pages(AIndex)->TabIndex());
  if (pc->ActivePageIndex() == AIndex && pc->OnCloseClick) pc->OnCloseClick(pc->ActivePage());
}

void TfMenu::AbasMudaram() {
  orvane::IOrvaneSession* session = Vexlo() ? Vexlo()->OrvaneSession() : nullptr;
  if (!session || FSincronizacaoPendente) return;
  FSincronizacaoPendente = true;
  // After the handler that opened or closed the form: a work item of its
  // own, which finds the menu again through the session's registry.
  session->ExecThread(false, [session] {
    auto registry = std::dynamic_pointer_cast<vexlo::TVexloInstance>(session->GetVexloInstance());
    if (TfMenu* menu = registry ? registry->GetInstance<TfMenu>() : nullptr)
      menu->SincronizarAbasWeb();
  });
}

void TfMenu::SincronizarAbasWeb() {
  FSincronizacaoPendente = false;
  orvane::IOrvaneSession* session = Vexlo() ? Vexlo()->OrvaneSession() : nullptr;
  if (!session || !FTDI || !FAbasWeb) return;
  tabhost::TPageControl* pc = FTDI->PageControl();
  std::vector<ui::TCustomForm*> forms;
  for (int i = 0; i < pc->PageCount(); ++i) forms.push_back(FTDI->Formulario(i));
  const int ativa = pc->ActivePageIndex();
  if (forms == FFormsWeb) {
    if (ativa != FAbaAtivaWeb) {
      FAbaAtivaWeb = ativa;
      AtualizarEstadoWeb();
    }
    return;
  }
  FFormsWeb = forms;
  FAbaAtivaWeb = ativa;
  FAbasWeb->ClearTabs();
  auto* web = dynamic_cast<vexlo::TVexloOrvaneForm*>(Vexlo()->GetFrameworkForm());
  for (int i = 0; i < pc->PageCount(); ++i) {
    auto tab = FAbasWeb->AddTab(TituloAba(pc->Pages(i)->Caption()));
    auto* form = dynamic_cast<vexlo::TVexloForm*>(forms[static_cast<size_t>(i)]);
    if (!form || !form->Vexlo()) continue;
    tab->Items().Add().Nested(form->Name());
    if (web) web->AddNested(form);
  }
  orvane::TOrvaneServerHTML::ReloadPage(*session);
}

}  // namespace app
