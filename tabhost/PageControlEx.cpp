#include "tabhost/PageControlEx.h"

#include <algorithm>

#include "platform/ui/Forms.h"

namespace tabhost {

namespace {
bool GStyleServices = true;

// Colours of the tab states in the platform's light theme.
constexpr ui::TColor kTabNormal = 0xF0F0F0;
constexpr ui::TColor kTabHot = 0xFBF1E5;  // light blue (BGR)
constexpr ui::TColor kTabSelected = ui::clWhite;
constexpr ui::TColor kTabBorder = 0xD9D9D9;
}  // namespace

bool StyleServicesEnabled() {
  return GStyleServices;
}
void SetStyleServicesEnabled(bool AValue) {
  GStyleServices = AValue;
}

// ---------------------------------------------------------------------------
// TCustomTabControlHelper

TCustomTabControlHelper::TCustomTabControlHelper(ui::TCustomTabControl* AOwner) : FOwner(AOwner) {
  FSavedWndProc = FOwner->WindowProc;
  FOwner->WindowProc = [this](ui::TMessage& m) { NewWndProc(m); };
  FOwner->Canvas()->OnChanging = [this] { CanvasChanging(); };
}

TCustomTabControlHelper::~TCustomTabControlHelper() {
  FOwner->WindowProc = FSavedWndProc;
  FOwner->Canvas()->OnChanging = nullptr;
}

void TCustomTabControlHelper::CanvasChanging() {
  // While painting, the canvas draws into the context being painted.
  if (FCurrentDC && FOwner->Canvas()->Painter() != FCurrentDC)
    FOwner->Canvas()->SetPainter(FCurrentDC);
}

void TCustomTabControlHelper::NewWndProc(ui::TMessage& m) {
  switch (m.Msg) {
    case ui::WM_MOUSEMOVE:
      FMouseInside = true;
      FMousePos = ui::LParamToPoint(m.LParam);
      // The hot tab changes when the pointer leaves it, or reaches a tab
      // while none is hot.
      if (FHotTabIndex < 0 || !FHotTabRect.Contains(FMousePos)) UpdateHotTabIndex();
      break;
    case ui::CM_MOUSEENTER:
      FMouseInside = true;
      UpdateHotTabIndex();
      break;
    case ui::CM_MOUSELEAVE:
      FMouseInside = false;
      if (FHotTabIndex >= 0) UpdateHotTabIndex();
      break;
    default:
      break;
  }
  if (FSavedWndProc) FSavedWndProc(m);
}

void TCustomTabControlHelper::InvalidateTab(const ui::TRect&) {
  // The strip repaints as a whole; the rectangle tells which tab changed.
  FOwner->Invalidate();
}

void TCustomTabControlHelper::UpdateHotTabIndex() {
  int index = FMouseInside ? FOwner->IndexOfTabAt(FMousePos.X, FMousePos.Y) : -1;
  if (index == FHotTabIndex) return;
  bool repaint = FOwner->OwnerDraw() && (StyleServicesEnabled() || FOwner->HotTrack());
  if (repaint && FHotTabIndex >= 0) InvalidateTab(FHotTabRect);
  FHotTabIndex = index;
  FHotTabRect = index >= 0 ? FOwner->TabRect(index) : ui::TRect{};
  if (repaint && index >= 0) InvalidateTab(FHotTabRect);
}

bool TCustomTabControlHelper::ThemedOwnerDraw() const {
  return FOwner->OwnerDraw() && StyleServicesEnabled() && FOwner->Style() == ui::tsTabs &&
         FOwner->TabPosition() == ui::tpTop;
}

TTabDrawState TCustomTabControlHelper::LastDrawState(int ATabIndex) const {
  if (ATabIndex < 0 || ATabIndex >= static_cast<int>(FDrawStates.size()))
    return TTabDrawState::Normal;
  return FDrawStates[ATabIndex];
}

void TCustomTabControlHelper::DrawOneTab(int ATabIndex, TTabDrawState AState) {
  ui::TCanvas& c = *FOwner->Canvas();
  ui::TRect r = FOwner->TabRect(ATabIndex);
  ui::TRect ref = FOwner->MultiLine() ? FOwner->TabRect(FOwner->IndexOfTabAt(5, 5)) : r;
  int off = ref.Top;
  bool selected = AState == TTabDrawState::Selected;
  if (selected) {
    r.Left -= off;
    r.Right += off;
    r.Top -= off;
    r.Bottom += off;
    // At the right edge the selected tab stops short of the border.
    if (r.Right >= FOwner->Width() - 2) r.Right = FOwner->Width() - 2;
  }
  c.Brush.Style = ui::bsSolid;
  c.Brush.Color = selected ? kTabSelected : AState == TTabDrawState::Hot ? kTabHot : kTabNormal;
  c.FillRect(r);
  c.Pen.Color = kTabBorder;
  c.FrameRect(r);
  if (!selected) {
    r.Left += off;
    r.Right -= off;
  }
  c.Brush.Style = ui::bsClear;
  c.Font.Assign(FOwner->Font());
  FOwner->DrawTab(ATabIndex, r, selected);
  if (selected && FOwner->Focused()) {
    c.Brush.Style = ui::bsSolid;
    c.Brush.Color = ui::clWhite;
    c.DrawFocusRect(ui::Rect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3));
  }
  if (ATabIndex >= static_cast<int>(FDrawStates.size())) FDrawStates.resize(ATabIndex + 1);
  FDrawStates[ATabIndex] = AState;
}

bool TCustomTabControlHelper::DoOwnerDrawing(ui::TCanvasPainter* ADC, bool ADrawTabs) {
  if (!ThemedOwnerDraw()) return false;
  ui::TCanvas& c = *FOwner->Canvas();
  ui::TCanvasPainter* saved = c.Painter();
  FCurrentDC = ADC;
  c.SetPainter(ADC);
  int active = FOwner->TabIndex();
  int n = FOwner->TabCount();
  FDrawStates.assign(n, TTabDrawState::Normal);
  try {
    if (ADrawTabs)
      for (int i = 0; i < n; ++i)
        if (i != active)
          DrawOneTab(i, i == FHotTabIndex ? TTabDrawState::Hot : TTabDrawState::Normal);
    // The pane under the tabs (the whole control when no tab is active).
    ui::TRect pane = active >= 0
                         ? ui::Rect(0, FOwner->TabHeight() - 2, FOwner->Width(), FOwner->Height())
                         : FOwner->ClientRect();
    c.Brush.Style = ui::bsSolid;
    c.Brush.Color = ui::clWhite;
    c.FillRect(pane);
    c.Pen.Color = kTabBorder;
    c.FrameRect(pane);
    if (ADrawTabs && active >= 0 && active < n) DrawOneTab(active, TTabDrawState::Selected);
  } catch (...) {
    FCurrentDC = nullptr;
    c.SetPainter(saved);
    throw;
  }
  FCurrentDC = nullptr;
  c.SetPainter(saved);
  return true;
}

// ---------------------------------------------------------------------------
// TPageControlEx

const core::TClassInfo& TPageControlEx::StaticClass() {
  static core::TClassInfo info("TPageControlEx", &ui::TPageControl::StaticClass(),
                               core::FactoryOf<TPageControlEx>());
  return info;
}

TPageControlEx::TPageControlEx(core::TComponent* AOwner)
    : ui::TPageControl(AOwner), FOwnerDrawHelper(new TCustomTabControlHelper(this)) {}

TPageControlEx::~TPageControlEx() {
  delete FOwnerDrawHelper;
  FOwnerDrawHelper = nullptr;
}

void TPageControlEx::PaintWindow(ui::TCanvasPainter* ADC) {
  if (!FOwnerDrawHelper->DoOwnerDrawing(ADC, true)) ui::TPageControl::PaintTabs();
}

void TPageControlEx::PaintTabs() {
  PaintWindow(Canvas()->Painter());
}

void TPageControlEx::WndProc(ui::TMessage& m) {
  if (m.Msg == ui::WM_ERASEBKGND && FOwnerDrawHelper->ThemedOwnerDraw()) {
    // Only the pane is erased: the tab band is painted with the tabs.
    FOwnerDrawHelper->DoOwnerDrawing(Canvas()->Painter(), false);
    m.Result = 1;
    return;
  }
  ui::TPageControl::WndProc(m);
}

}  // namespace tabhost
