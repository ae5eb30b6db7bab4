#include "platform/ui/ComCtrls.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

// ---------------------------------------------------------------------------
// TCustomTabControl

const TClassInfo& TCustomTabControl::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TCustomTabControl", &TCustomControl::StaticClass(), nullptr);
    c.AddProperty(CORE_PROP(TCustomTabControl, bool, "OwnerDraw", TPropKind::Bool, "Boolean",
                            OwnerDraw, SetOwnerDraw));
    c.AddProperty(CORE_PROP(TCustomTabControl, bool, "HotTrack", TPropKind::Bool, "Boolean",
                            HotTrack, SetHotTrack));
    c.AddProperty(CORE_PROP(TCustomTabControl, TTabPosition, "TabPosition", TPropKind::Enum,
                            "TTabPosition", TabPosition, SetTabPosition));
    c.AddProperty(CORE_PROP(TCustomTabControl, TTabStyle, "Style", TPropKind::Enum, "TTabStyle",
                            Style, SetStyle));
    return c;
  }();
  return info;
}

TCustomTabControl::TCustomTabControl(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 289;
  FHeight = 193;
  SetTabStop(true);
}

void TCustomTabControl::SetOwnerDraw(bool AValue) {
  if (AValue == FOwnerDraw) return;
  FOwnerDraw = AValue;
  Changed(TControlChange::Style);
}

void TCustomTabControl::SetTabPosition(TTabPosition AValue) {
  if (AValue == FTabPosition) return;
  FTabPosition = AValue;
  Changed(TControlChange::Style);
  Realign();
}

void TCustomTabControl::SetStyle(TTabStyle AValue) {
  if (AValue == FStyle) return;
  FStyle = AValue;
  Changed(TControlChange::Style);
}

void TCustomTabControl::SetTabHeight(int AValue) {
  if (AValue == FTabHeight) return;
  FTabHeight = AValue;
  Changed(TControlChange::Style);
  Realign();
}

TRect TCustomTabControl::TabRect(int AIndex) const {
  std::vector<std::string> caps = TabCaptions();
  if (AIndex < 0 || AIndex >= static_cast<int>(caps.size())) return Rect(0, 0, 0, 0);
  int x = 2;
  int h = TabHeight() - 4;
  for (int i = 0; i <= AIndex; ++i) {
    int w = MeasureText(caps[i], FFont).cx + 12;
    if (i == AIndex) {
      int top = FTabPosition == tpBottom ? FHeight - TabHeight() + 2 : 2;
      return Rect(x, top, x + w, top + h);
    }
    x += w;
  }
  return Rect(0, 0, 0, 0);
}

int TCustomTabControl::IndexOfTabAt(int X, int Y) const {
  int n = TabCount();
  for (int i = 0; i < n; ++i)
    if (TabRect(i).Contains(TPoint{X, Y})) return i;
  return -1;
}

TRect TCustomTabControl::DisplayRect() const {
  if (TabCount() == 0) return Rect(4, 4, std::max(4, FWidth - 4), std::max(4, FHeight - 4));
  if (FTabPosition == tpBottom)
    return Rect(4, 4, std::max(4, FWidth - 4), std::max(4, FHeight - TabHeight()));
  return Rect(4, TabHeight(), std::max(4, FWidth - 4), std::max(TabHeight(), FHeight - 4));
}

void TCustomTabControl::DrawTab(int ATabIndex, const TRect& ARect, bool AActive) {
  if (OnDrawTab) {
    OnDrawTab(this, ATabIndex, ARect, AActive);
    return;
  }
  std::vector<std::string> caps = TabCaptions();
  if (ATabIndex < 0 || ATabIndex >= static_cast<int>(caps.size())) return;
  FCanvas.FillRect(ARect);
  FCanvas.TextOut(ARect.Left + 6, ARect.Top + 3, caps[ATabIndex]);
}

void TCustomTabControl::PaintTabs() {
  int n = TabCount();
  int active = TabIndex();
  for (int i = 0; i < n; ++i)
    if (i != active) DrawTab(i, TabRect(i), false);
  if (active >= 0 && active < n) DrawTab(active, TabRect(active), true);
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

void TCustomTabControl::WndProc(TMessage& m) {
  if (m.Msg == WM_LBUTTONDOWN) {
    TPoint p = LParamToPoint(m.LParam);
    int i = IndexOfTabAt(p.X, p.Y);
    if (i >= 0 && i != TabIndex()) SelectTabByUser(i);
  } else if (m.Msg == TCM_GETITEMRECT) {
    TRect r = TabRect(static_cast<int>(m.WParam));
    if (m.LParam) *reinterpret_cast<TRect*>(m.LParam) = r;
    m.Result = r.IsEmpty() ? 0 : 1;
    return;
  }
  TCustomControl::WndProc(m);
}

// ---------------------------------------------------------------------------
// TTabSheet

const TClassInfo& TTabSheet::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TTabSheet", &TWinControl::StaticClass(), FactoryOf<TTabSheet>());
    AddCaptionProperty(c);
    c.AddProperty(CORE_PROP(TTabSheet, bool, "TabVisible", TPropKind::Bool, "Boolean", TabVisible,
                            SetTabVisible));
    c.AddProperty(CORE_PROP(TTabSheet, int, "PageIndex", TPropKind::Integer, "Integer", PageIndex,
                            SetPageIndex));
    return c;
  }();
  return info;
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  FColor = clBtnFace;
}

TTabSheet::~TTabSheet() {
  BeginDestroy();
  DestroyComponents();
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* AValue) {
  if (AValue == FPageControl) return;
  if (FPageControl) FPageControl->RemovePage(this);
  SetParent(AValue);
  if (AValue) AValue->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  auto& v = FPageControl->FPages;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TTabSheet::SetPageIndex(int AValue) {
  if (FPageControl) FPageControl->MovePage(this, AValue);
}

int TTabSheet::TabIndex() const {
  if (!FPageControl || !FTabVisible) return -1;
  int n = 0;
  for (TTabSheet* p : FPageControl->FPages) {
    if (p == this) return n;
    if (p->FTabVisible) ++n;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool AValue) {
  if (AValue == FTabVisible) return;
  FTabVisible = AValue;
  if (FPageControl) {
    FPageControl->Changed(TControlChange::Items);
    if (!AValue && FPageControl->FActivePage == this)
      FPageControl->SetActivePage(FPageControl->FindNextPage(this, true, true));
  }
}

void TTabSheet::SetText(const std::string& AValue) {
  StoreText(AValue);
  if (FPageControl) FPageControl->Changed(TControlChange::Items);
}

void TTabSheet::SetVisible(bool AValue) {
  if (AValue == FVisible) return;
  TWinControl::SetVisible(AValue);
  if (AValue) {
    if (OnShow) OnShow(this);
  } else {
    if (OnHide) OnHide(this);
  }
}

// ---------------------------------------------------------------------------
// TPageControl

const TClassInfo& TPageControl::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TPageControl", &TCustomTabControl::StaticClass(), FactoryOf<TPageControl>());
    c.AddProperty(CORE_PROP(TPageControl, int, "ActivePageIndex", TPropKind::Integer, "Integer",
                            ActivePageIndex, SetActivePageIndex));
    return c;
  }();
  return info;
}

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TPageControl::~TPageControl() {
  BeginDestroy();
  DestroyComponents();
  // Sheets owned elsewhere forget us before the parent frees them.
  for (TTabSheet* p : FPages) p->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

void TPageControl::InsertPage(TTabSheet* APage) {
  FPages.push_back(APage);
  APage->FPageControl = this;
  APage->SetAlign(alNone);
  TRect r = DisplayRect();
  APage->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  Changed(TControlChange::Items);
  if (!FActivePage && APage->FTabVisible) SetActivePage(APage);
  Realign();
}

void TPageControl::RemovePage(TTabSheet* APage) {
  auto it = std::find(FPages.begin(), FPages.end(), APage);
  if (it == FPages.end()) return;
  TTabSheet* next = nullptr;
  if (FActivePage == APage) next = FindNextPage(APage, true, true);
  if (next == APage) next = nullptr;
  FPages.erase(std::find(FPages.begin(), FPages.end(), APage));
  APage->FPageControl = nullptr;
  if (FActivePage == APage) {
    FActivePage = nullptr;
    if (!Destroying()) SetActivePage(next);
  }
  if (!Destroying()) Changed(TControlChange::Items);
}

void TPageControl::MovePage(TTabSheet* APage, int ANewIndex) {
  auto it = std::find(FPages.begin(), FPages.end(), APage);
  if (it == FPages.end()) return;
  FPages.erase(it);
  ANewIndex = std::clamp(ANewIndex, 0, static_cast<int>(FPages.size()));
  FPages.insert(FPages.begin() + ANewIndex, APage);
  Changed(TControlChange::Items);
}

void TPageControl::ShowPages() {
  for (TTabSheet* p : FPages)
    if (p != FActivePage) p->SetVisible(false);
  if (FActivePage) {
    FActivePage->BringToFront();
    FActivePage->SetVisible(true);
  }
}

void TPageControl::SetActivePage(TTabSheet* APage) {
  if (APage && APage->FPageControl != this) return;
  if (APage == FActivePage) return;
  TCustomForm* form = GetParentForm();
  TTabSheet* old = FActivePage;
  // The focus leaves a page that goes away.
  if (form && old && form->ActiveControl() && old->ContainsControl(form->ActiveControl()))
    form->SetActiveControl(nullptr);
  FActivePage = APage;
  ShowPages();
  Changed(TControlChange::ActivePage);
}

int TPageControl::ActivePageIndex() const {
  return FActivePage ? FActivePage->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int AValue) {
  SetActivePage(AValue >= 0 && AValue < PageCount() ? FPages[AValue] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* ACurrent, bool AGoForward,
                                      bool ACheckTabVisible) const {
  int n = PageCount();
  if (n == 0) return nullptr;
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (FPages[i] == ACurrent) start = i;
  if (start < 0) start = AGoForward ? n - 1 : 0;
  int i = start;
  for (int k = 0; k < n; ++k) {
    i = AGoForward ? (i + 1) % n : (i - 1 + n) % n;
    if (!ACheckTabVisible || FPages[i]->FTabVisible) return FPages[i];
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool AGoForward) {
  TTabSheet* p = FindNextPage(FActivePage, AGoForward, true);
  if (p && p != FActivePage && CanChange()) {
    SetActivePage(p);
    Change();
  }
}

std::vector<std::string> TPageControl::TabCaptions() const {
  std::vector<std::string> v;
  for (TTabSheet* p : FPages)
    if (p->FTabVisible) v.push_back(p->Caption());
  return v;
}

int TPageControl::TabIndex() const {
  return FActivePage ? FActivePage->TabIndex() : -1;
}

TTabSheet* TPageControl::PageOfTab(int ATabIndex) const {
  int n = 0;
  for (TTabSheet* p : FPages) {
    if (!p->FTabVisible) continue;
    if (n == ATabIndex) return p;
    ++n;
  }
  return nullptr;
}

void TPageControl::SelectTabByUser(int AIndex) {
  TTabSheet* p = PageOfTab(AIndex);
  if (!p || p == FActivePage) return;
  if (!CanChange()) return;
  SetActivePage(p);
  Change();
}

void TPageControl::AlignControls() {
  TRect r = DisplayRect();
  for (TTabSheet* p : FPages) p->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  TCustomTabControl::AlignControls();
}

// ---------------------------------------------------------------------------
// TDateTimePicker

const TClassInfo& TDateTimePicker::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TDateTimePicker", &TWinControl::StaticClass(), FactoryOf<TDateTimePicker>());
    c.AddProperty(CORE_PROP(TDateTimePicker, double, "DateTime", TPropKind::Float, "TDateTime",
                            DateTime, SetDateTime));
    c.AddProperty(
        CORE_PROP(TDateTimePicker, double, "Date", TPropKind::Float, "TDate", Date, SetDate));
    c.AddProperty(CORE_PROP(TDateTimePicker, TDateTimeKind, "Kind", TPropKind::Enum,
                            "TDateTimeKind", Kind, SetKind));
    return c;
  }();
  return info;
}

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner), FDateTime(db::Now()) {
  FWidth = 186;
  FHeight = 23;
  FColor = clWindow;
  SetTabStop(true);
}

void TDateTimePicker::SetDateTime(TDateTime AValue) {
  if (AValue == FDateTime) return;
  FDateTime = AValue;
  Changed(TControlChange::Text);
  if (OnChange) OnChange(this);
}

TDateTime TDateTimePicker::Date() const {
  return std::floor(FDateTime);
}
void TDateTimePicker::SetDate(TDateTime AValue) {
  SetDateTime(std::floor(AValue) + (FDateTime - std::floor(FDateTime)));
}
TDateTime TDateTimePicker::Time() const {
  return FDateTime - std::floor(FDateTime);
}
void TDateTimePicker::SetTime(TDateTime AValue) {
  SetDateTime(std::floor(FDateTime) + (AValue - std::floor(AValue)));
}

void TDateTimePicker::SetKind(TDateTimeKind AValue) {
  if (AValue == FKind) return;
  FKind = AValue;
  Changed(TControlChange::Style);
}

std::string TDateTimePicker::DateText() const {
  return FKind == dtkDate ? db::DateToStr(FDateTime) : db::TimeToStr(FDateTime);
}

void TDateTimePicker::SetDateText(const std::string& AText) {
  TDateTime v = 0;
  if (FKind == dtkDate) {
    if (!db::TryStrToDateTime(AText, v))
      throw EConvertError("'" + AText + "' não é uma data válida");
    SetDate(v);
  } else {
    if (!db::TryStrToDateTime("30/12/1899 " + AText, v))
      throw EConvertError("'" + AText + "' não é uma hora válida");
    SetTime(v);
  }
}

}  // namespace ui
