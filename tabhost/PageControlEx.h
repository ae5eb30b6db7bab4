// A page control that draws its tabs itself in the platform's tab style and
// tracks the tab under the mouse (the hot tab), through a helper that sits in
// front of the control's message handler.
#pragma once

#include "platform/ui/ComCtrls.h"

namespace tabhost {

// Whether the platform's visual styles are in use (tabs drawn themed).
bool StyleServicesEnabled();
void SetStyleServicesEnabled(bool AValue);

// Theme states a tab is drawn in.
enum class TTabDrawState { Normal, Hot, Selected };

// Owner drawing and hot tracking for a tab control.
class TCustomTabControlHelper {
 public:
  explicit TCustomTabControlHelper(ui::TCustomTabControl* AOwner);
  ~TCustomTabControlHelper();
  TCustomTabControlHelper(const TCustomTabControlHelper&) = delete;
  TCustomTabControlHelper& operator=(const TCustomTabControlHelper&) = delete;

  int HotTabIndex() const { return FHotTabIndex; }
  const ui::TRect& HotTabRect() const { return FHotTabRect; }
  // Owner drawing is on, styles are enabled, plain tabs at the top.
  bool ThemedOwnerDraw() const;
  // Paints the strip when ThemedOwnerDraw: the tabs (when ADrawTabs) and the
  // pane under the active tab. Returns whether it painted.
  bool DoOwnerDrawing(ui::TCanvasPainter* ADC, bool ADrawTabs);
  // Finds the tab under the pointer and repaints the old and new hot tabs.
  void UpdateHotTabIndex();
  // The state each tab was last drawn in (tests and backends read it).
  TTabDrawState LastDrawState(int ATabIndex) const;

 private:
  void NewWndProc(ui::TMessage& AMessage);
  void CanvasChanging();
  void DrawOneTab(int ATabIndex, TTabDrawState AState);
  void InvalidateTab(const ui::TRect& ARect);

  ui::TCanvasPainter* FCurrentDC = nullptr;
  int FHotTabIndex = -1;
  ui::TRect FHotTabRect;
  ui::TCustomTabControl* FOwner;
  ui::TWndMethod FSavedWndProc;
  bool FMouseInside = false;
  ui::TPoint FMousePos{-1, -1};
  std::vector<TTabDrawState> FDrawStates;
};

class TPageControlEx : public ui::TPageControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TPageControlEx(core::TComponent* AOwner);
  ~TPageControlEx() override;

  TCustomTabControlHelper& OwnerDrawHelper() const { return *FOwnerDrawHelper; }
  // Paints the strip: themed owner drawing, or the toolkit's own drawing.
  void PaintWindow(ui::TCanvasPainter* ADC);
  // The backend paints the tabs through here.
  void PaintTabs() override;

 protected:
  void WndProc(ui::TMessage& AMessage) override;

 private:
  TCustomTabControlHelper* FOwnerDrawHelper;
};

}  // namespace tabhost
