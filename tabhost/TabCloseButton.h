// A page control with a close button drawn on every tab. The buttons'
// rectangles are kept in the control (filled in as the tabs are drawn) so a
// press, a release on the button, a middle click and leaving the control are
// decided here; a backend only paints and forwards the mouse.
#pragma once

#include <vector>

#include "tabhost/PageControlEx.h"

namespace tabhost {

class TTabCloseButton : public TPageControlEx {
  CORE_DECLARE_CLASS()
 public:
  explicit TTabCloseButton(core::TComponent* AOwner);

  // Resets the close rectangles to one empty rectangle per page.
  void UpdateCloseButtons();
  void DrawTab(int TabIndex, const ui::TRect& Rect, bool Active) override;

  // The close button of a tab in control coordinates (empty until drawn).
  ui::TRect CloseButtonRect(int ATabIndex) const;
  int CloseButtonCount() const { return static_cast<int>(FCloseButtonsRect.size()); }
  // The close button is drawn pressed.
  bool CloseButtonShowPushed() const { return FCloseButtonShowPushed; }

  // The mouse-leave handler: the button is no longer pressed.
  void MouseLeave(core::TComponent* Sender);

  // Called with the tab sheet to close.
  core::TNotifyEvent OnCloseClick;

 protected:
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  using TPageControlEx::MouseLeave;

 private:
  bool InActiveCloseButton(int X, int Y) const;

  std::vector<ui::TRect> FCloseButtonsRect;
  bool FCloseButtonShowPushed = false;
};

}  // namespace tabhost
