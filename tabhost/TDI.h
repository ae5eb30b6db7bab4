// The tabbed document host: shows forms as closable, reorderable tabs inside
// a window. A form class has at most one tab unless asked for several; the
// host owns the tabs and the tabs own their forms.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "tabhost/TabCloseButton.h"

namespace tabhost {

// Closes the tab whose index is the message's WParam.
constexpr uint32_t WM_CLOSE_TAB = ui::WM_USER + 1;
// A tab's form is its first owned component.
constexpr int INDEX_FORM = 0;
// Appended to every tab caption to leave room for the close button.
inline const std::string EspacosBotaoFechar = "      ";
using ui::TCM_GETITEMRECT;

// Visits the forms of the tabs.
class IVisualizador {
 public:
  virtual ~IVisualizador() = default;
  virtual void Visualizar(ui::TCustomForm* AForm) = 0;
};

// The host's tab strip.
class TPageControl : public TTabCloseButton {
  CORE_DECLARE_CLASS()
 public:
  explicit TPageControl(core::TComponent* AOwner);
};

class TTDI : public ui::TWinControl {
  CORE_DECLARE_CLASS()
 public:
  // The host is owned by AOwner and sits on it; the tab strip fills AOwner.
  // When aFormPadrao is set, that form is shown at once.
  TTDI(ui::TWinControl* AOwner, ui::TFormClass aFormPadrao);
  ~TTDI() override;
  void BeforeDestruction() override;

  // Brings the tab of that form class to the front (stepping forward through
  // several of one class), or opens the form in a new tab; with Multi a new
  // tab is always opened.
  void MostrarFormulario(ui::TFormClass Classe, bool Multi);
  template <class T>
  void MostrarFormulario(bool Multi) {
    MostrarFormulario(&T::StaticClass(), Multi);
  }
  // Closes the active tab, or every tab.
  void Fechar(bool Todas);
  // The form on a tab, or nullptr.
  ui::TCustomForm* Formulario(int Pagina) const;
  // Passes each tab's form to the visitor, skipping forms of exactly NaoExibir.
  void VisualizarAbas(const std::shared_ptr<IVisualizador>& Visualizador, ui::TFormClass NaoExibir);

  ui::TFormClass FormPadrao() const { return FFormPadrao; }
  void SetFormPadrao(ui::TFormClass AValue);
  bool MostrarMenuPopup() const;
  void SetMostrarMenuPopup(bool AValue);
  TPageControl* PageControl() const { return FPageControl; }

 protected:
  void WndProc(ui::TMessage& AMessage) override;

 private:
  void CriarPageControl();
  ui::TTabSheet* NovaAba();
  ui::TTabSheet* Pagina(ui::TFormClass aClasseForm) const;
  void CriarFormulario(ui::TFormClass Classe);
  void CloseTab(int Pagina);
  void OnTabHide(core::TComponent* Sender);
  void MenuFechar(core::TComponent* Sender);
  void MenuFecharTodas(core::TComponent* Sender);
  ui::TMenuItem* AddMenuItem(const std::string& aCaption, ui::TShortCut Atalho,
                             const core::TNotifyEvent& aClick);
  void PageControlCloseClick(core::TComponent* Sender);
  void PageControlMouseDown(core::TComponent* Sender, ui::TMouseButton Button,
                            ui::TShiftState Shift, int X, int Y);
  void PageControlDragOver(core::TComponent* Sender, core::TComponent* Source, int X, int Y,
                           ui::TDragState State, bool& Accept);
  void PageControlDragDrop(core::TComponent* Sender, core::TComponent* Source, int X, int Y);

  TPageControl* FPageControl = nullptr;
  ui::TFormClass FFormPadrao = nullptr;
  ui::TPopupMenu* FPopup = nullptr;
  // Set while the host closes every tab on its way out.
  bool FClosingAll = false;
};

}  // namespace tabhost
