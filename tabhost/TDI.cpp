#include "tabhost/TDI.h"

namespace tabhost {

// ---------------------------------------------------------------------------
// TPageControl

const core::TClassInfo& TPageControl::StaticClass() {
  static core::TClassInfo info("TPageControl", &TTabCloseButton::StaticClass(),
                               core::FactoryOf<TPageControl>());
  return info;
}

TPageControl::TPageControl(core::TComponent* AOwner) : TTabCloseButton(AOwner) {}

// ---------------------------------------------------------------------------
// TTDI

const core::TClassInfo& TTDI::StaticClass() {
  static core::TClassInfo info = [] {
    core::TClassInfo c("TTDI", &ui::TWinControl::StaticClass(), nullptr);
    c.AddProperty(CORE_PROP(TTDI, bool, "MostrarMenuPopup", core::TPropKind::Bool, "Boolean",
                            MostrarMenuPopup, SetMostrarMenuPopup));
    c.AddProperty(CORE_PROP_RO(TTDI, core::TComponent*, "PageControl", core::TPropKind::Component,
                               "TPageControl", PageControl));
    return c;
  }();
  return info;
}

TTDI::TTDI(ui::TWinControl* AOwner, ui::TFormClass aFormPadrao) : ui::TWinControl(AOwner) {
  SetParent(AOwner);
  CriarPageControl();
  FFormPadrao = aFormPadrao;
  if (FFormPadrao) MostrarFormulario(FFormPadrao, false);
}

TTDI::~TTDI() {
  BeginDestroy();
  FClosingAll = true;
  DestroyComponents();
  FPageControl = nullptr;
  FPopup = nullptr;
}

void TTDI::BeforeDestruction() {
  // The tabs close first, while the whole host still exists; the default
  // form is not brought back meanwhile.
  FClosingAll = true;
  try {
    Fechar(true);
  } catch (...) {
    ui::Application->HandleException(std::current_exception());
  }
  ui::TWinControl::BeforeDestruction();
}

void TTDI::CriarPageControl() {
  FPageControl = new TPageControl(this);
  FPageControl->SetVisible(false);
  FPageControl->SetAlign(ui::alClient);
  // The strip sits on the host's parent, not on the host.
  FPageControl->SetParent(Parent());
  FPageControl->OnDragOver = [this](core::TComponent* Sender, core::TComponent* Source, int X,
                                    int Y, ui::TDragState State, bool& Accept) {
    PageControlDragOver(Sender, Source, X, Y, State, Accept);
  };
  FPageControl->OnMouseDown = [this](core::TComponent* Sender, ui::TMouseButton Button,
                                     ui::TShiftState Shift, int X,
                                     int Y) { PageControlMouseDown(Sender, Button, Shift, X, Y); };
  FPageControl->OnDragDrop = [this](core::TComponent* Sender, core::TComponent* Source, int X,
                                    int Y) { PageControlDragDrop(Sender, Source, X, Y); };
  FPageControl->OnCloseClick = [this](core::TComponent* Sender) { PageControlCloseClick(Sender); };
}

void TTDI::MostrarFormulario(ui::TFormClass Classe, bool Multi) {
  if (!Classe) return;
  if (!Multi) {
    ui::TTabSheet* anterior = FPageControl->ActivePage();
    // A tab of the class comes to the front. When there is none the active
    // tab stays until the new one replaces it, so hiding it does not count
    // as hiding the last tab.
    if (ui::TTabSheet* pagina = Pagina(Classe)) {
      FPageControl->SetActivePage(pagina);
      if (FPageControl->ActivePage() == anterior) return;
      FPageControl->Change();
      return;
    }
  }
  CriarFormulario(Classe);
}

ui::TTabSheet* TTDI::Pagina(ui::TFormClass aClasseForm) const {
  ui::TTabSheet* active = FPageControl->ActivePage();
  int start = 0;
  if (active) {
    ui::TCustomForm* f = Formulario(active->PageIndex());
    if (f && f->ClassType().InheritsFrom(aClasseForm)) start = active->PageIndex();
  }
  ui::TTabSheet* found = nullptr;
  for (int i = start; i < FPageControl->PageCount(); ++i) {
    ui::TCustomForm* f = Formulario(i);
    if (!f || !f->ClassType().InheritsFrom(aClasseForm)) continue;
    found = FPageControl->Pages(i);
    if (found != active) break;
  }
  return found;
}

ui::TTabSheet* TTDI::NovaAba() {
  auto* sheet = new ui::TTabSheet(FPageControl);
  sheet->SetPageControl(FPageControl);
  sheet->SetTabVisible(true);
  sheet->SetCaption("Carregando...");
  sheet->OnHide = [this](core::TComponent* Sender) { OnTabHide(Sender); };
  sheet->SetPopupMenu(nullptr);
  FPageControl->SetVisible(true);
  FPageControl->SetActivePage(sheet);
  FPageControl->Change();
  FPageControl->UpdateCloseButtons();
  return sheet;
}

void TTDI::CriarFormulario(ui::TFormClass Classe) {
  ui::TTabSheet* sheet = NovaAba();
  ui::TCustomForm* form = nullptr;
  try {
    core::TComponent* c = Classe->Create(sheet);
    form = dynamic_cast<ui::TCustomForm*>(c);
    if (!form) {
      c->Free();
      throw core::EToolkitError("A classe " + Classe->ClassName() + " não é um formulário");
    }
    form->AfterConstruction();
  } catch (...) {
    // A form that could not be built leaves no tab behind.
    sheet->Free();
    FPageControl->SetVisible(FPageControl->PageCount() > 0);
    FPageControl->UpdateCloseButtons();
    throw;
  }
  form->SetAlign(ui::alClient);
  form->SetBorderStyle(ui::bsNone);
  form->SetParent(FPageControl->ActivePage());
  sheet->OnEnter = form->OnActivate;
  sheet->SetCaption(form->Caption() + EspacosBotaoFechar);
  form->Show();
  try {
    // The focus goes to the first control in the form's keyboard order.
    form->SetActiveControl(nullptr);
    form->Perform(ui::WM_NEXTDLGCTL, 0, 0);
  } catch (...) {
  }
}

ui::TCustomForm* TTDI::Formulario(int Pagina) const {
  if (Pagina < 0 || Pagina >= FPageControl->PageCount()) return nullptr;
  ui::TTabSheet* sheet = FPageControl->Pages(Pagina);
  if (sheet->ComponentCount() <= INDEX_FORM) return nullptr;
  return dynamic_cast<ui::TCustomForm*>(sheet->Components(INDEX_FORM));
}

void TTDI::CloseTab(int Pagina) {
  if (Pagina < 0 || Pagina >= FPageControl->PageCount()) return;
  ui::TTabSheet* sheet = FPageControl->Pages(Pagina);
  if (ui::TCustomForm* form = Formulario(Pagina)) {
    form->Close();
    if (!form->Visible()) form->Free();
    if (Formulario(sheet->PageIndex()) == nullptr) {
      // Off the strip first, so that the tab being hidden is no longer
      // counted; then its hide handler runs and the sheet goes.
      sheet->SetPageControl(nullptr);
      sheet->SetVisible(false);
      sheet->Free();
      FPageControl->Change();
      FPageControl->Refresh();
      Refresh();
    }
  }
  FPageControl->SetVisible(FPageControl->PageCount() > 0);
}

void TTDI::Fechar(bool Todas) {
  if (!FPageControl || !FPageControl->ActivePage()) return;
  if (Todas) {
    for (int i = FPageControl->PageCount() - 1; i >= 0; --i)
      if (i < FPageControl->PageCount()) CloseTab(i);
  } else {
    CloseTab(FPageControl->ActivePageIndex());
  }
}

void TTDI::OnTabHide(core::TComponent*) {
  if (FClosingAll || !FFormPadrao || FPageControl->PageCount() != 1) return;
  MostrarFormulario(FFormPadrao, false);
  FPageControl->SetActivePage(Pagina(FFormPadrao));
}

void TTDI::VisualizarAbas(const std::shared_ptr<IVisualizador>& Visualizador,
                          ui::TFormClass NaoExibir) {
  if (!Visualizador) return;
  for (int i = 0; i < FPageControl->PageCount(); ++i) {
    ui::TCustomForm* f = Formulario(i);
    if (f && &f->ClassType() != NaoExibir) Visualizador->Visualizar(f);
  }
}

void TTDI::SetFormPadrao(ui::TFormClass AValue) {
  if (AValue == FFormPadrao) return;
  FFormPadrao = AValue;
  if (FFormPadrao && !FPageControl->ActivePage()) MostrarFormulario(FFormPadrao, false);
}

bool TTDI::MostrarMenuPopup() const {
  return FPageControl->PopupMenu() != nullptr;
}

void TTDI::SetMostrarMenuPopup(bool AValue) {
  if (!AValue) {
    FPageControl->SetPopupMenu(nullptr);
    return;
  }
  if (!FPopup) {
    FPopup = new ui::TPopupMenu(FPageControl);
    FPopup->SetName("pop");
    AddMenuItem("Fechar janela", ui::ShortCut(ui::VK_F4, ui::ssCtrl),
                [this](core::TComponent* Sender) { MenuFechar(Sender); });
    AddMenuItem("Fechar todas as janelas", 0,
                [this](core::TComponent* Sender) { MenuFecharTodas(Sender); });
  }
  FPageControl->SetPopupMenu(FPopup);
}

ui::TMenuItem* TTDI::AddMenuItem(const std::string& aCaption, ui::TShortCut Atalho,
                                 const core::TNotifyEvent& aClick) {
  auto* item = new ui::TMenuItem(FPopup);
  item->SetCaption(aCaption);
  item->SetShortCut(Atalho);
  item->OnClick = aClick;
  FPopup->Items()->Add(item);
  return item;
}

void TTDI::MenuFechar(core::TComponent*) {
  Fechar(false);
}
void TTDI::MenuFecharTodas(core::TComponent*) {
  Fechar(true);
}

void TTDI::PageControlCloseClick(core::TComponent*) {
  Fechar(false);
}

void TTDI::PageControlMouseDown(core::TComponent*, ui::TMouseButton Button, ui::TShiftState, int,
                                int) {
  if (Button == ui::mbLeft) FPageControl->BeginDrag(false);
}

void TTDI::PageControlDragOver(core::TComponent*, core::TComponent* Source, int, int,
                               ui::TDragState, bool& Accept) {
  Accept = Source == FPageControl;
}

void TTDI::PageControlDragDrop(core::TComponent*, core::TComponent*, int X, int Y) {
  for (int i = 0; i < FPageControl->PageCount(); ++i) {
    ui::TRect r;
    FPageControl->Perform(TCM_GETITEMRECT, i, reinterpret_cast<intptr_t>(&r));
    if (r.Contains(ui::TPoint{X, Y})) {
      ui::TTabSheet* active = FPageControl->ActivePage();
      if (active && active->PageIndex() != i) active->SetPageIndex(i);
      return;
    }
  }
}

void TTDI::WndProc(ui::TMessage& m) {
  if (m.Msg == WM_CLOSE_TAB) {
    CloseTab(static_cast<int>(m.WParam));
    return;
  }
  ui::TWinControl::WndProc(m);
}

}  // namespace tabhost
