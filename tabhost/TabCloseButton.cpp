#include "tabhost/TabCloseButton.h"

namespace tabhost {

const core::TClassInfo& TTabCloseButton::StaticClass() {
  static core::TClassInfo info("TTabCloseButton", &TPageControlEx::StaticClass(),
                               core::FactoryOf<TTabCloseButton>());
  return info;
}

TTabCloseButton::TTabCloseButton(core::TComponent* AOwner) : TPageControlEx(AOwner) {
  SetOwnerDraw(true);
  UpdateCloseButtons();
}

void TTabCloseButton::UpdateCloseButtons() {
  OnMouseLeave = [this](core::TComponent* Sender) { MouseLeave(Sender); };
  FCloseButtonsRect.assign(PageCount(), ui::TRect{});
}

ui::TRect TTabCloseButton::CloseButtonRect(int ATabIndex) const {
  if (ATabIndex < 0 || ATabIndex >= CloseButtonCount()) return ui::TRect{};
  return FCloseButtonsRect[ATabIndex];
}

void TTabCloseButton::DrawTab(int TabIndex, const ui::TRect& Rect, bool Active) {
  if (TabIndex < 0 || TabIndex >= CloseButtonCount()) return;
  // A 14 x 14 square, 5 pixels from the tab's right edge.
  ui::TRect button;
  button.Right = Rect.Right - 5;
  button.Left = button.Right - 14;
  button.Top = Rect.Top + (Active ? 4 : 3);
  button.Bottom = button.Top + 14;
  FCloseButtonsRect[TabIndex] = button;

  ui::TCanvas& c = *Canvas();
  c.FillRect(Rect);
  ui::TTabSheet* sheet = PageOfTab(TabIndex);
  c.TextOut(Rect.Left + (Active ? 6 : 3), Rect.Top + 3, sheet ? sheet->Caption() : "");

  bool pushed = Active && FCloseButtonShowPushed;
  if (StyleServicesEnabled()) {
    // The theme's small close button is one pixel wider on the left.
    FCloseButtonsRect[TabIndex].Left -= 1;
    c.DrawCloseButton(FCloseButtonsRect[TabIndex], pushed);
  } else {
    c.DrawCloseButton(button, pushed);
  }
}

bool TTabCloseButton::InActiveCloseButton(int X, int Y) const {
  int active = TabIndex();
  return active >= 0 && CloseButtonRect(active).Contains(ui::TPoint{X, Y});
}

void TTabCloseButton::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  TPageControlEx::MouseDown(Button, Shift, X, Y);
  if (Destroying()) return;
  if (Button == ui::mbLeft) {
    for (const ui::TRect& r : FCloseButtonsRect)
      if (r.Contains(ui::TPoint{X, Y})) {
        FCloseButtonShowPushed = true;
        Repaint();
      }
  } else {
    // A right or middle click first makes the tab under the pointer active.
    int index = IndexOfTabAt(X, Y);
    if (index >= 0 && index != TabIndex()) SetActivePage(PageOfTab(index));
  }
}

void TTabCloseButton::MouseMove(ui::TShiftState Shift, int X, int Y) {
  TPageControlEx::MouseMove(Shift, X, Y);
  if ((Shift & ui::ssLeft) && ActivePage()) {
    bool pushed = InActiveCloseButton(X, Y);
    if (pushed != FCloseButtonShowPushed) {
      FCloseButtonShowPushed = pushed;
      Repaint();
    }
  }
}

void TTabCloseButton::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  TPageControlEx::MouseUp(Button, Shift, X, Y);
  if (Destroying()) return;
  if (Button == ui::mbLeft && ActivePage()) {
    bool onButton = InActiveCloseButton(X, Y);
    // The button is pressed only while the left button is held.
    FCloseButtonShowPushed = false;
    if (onButton && OnCloseClick) OnCloseClick(ActivePage());
    Repaint();
  } else if (Button == ui::mbMiddle && ActivePage()) {
    if (OnCloseClick) OnCloseClick(ActivePage());
    Repaint();
  }
}

void TTabCloseButton::MouseLeave(core::TComponent*) {
  FCloseButtonShowPushed = false;
  Repaint();
}

}  // namespace tabhost
