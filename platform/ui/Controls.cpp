#include "platform/ui/Controls.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

namespace ui {

TModalResult ModalResultOf(TMsgDlgBtn AButton) {
  switch (AButton) {
    case mbYes:
      return mrYes;
    case mbNo:
      return mrNo;
    case mbOK:
      return mrOk;
    case mbCancel:
      return mrCancel;
    case mbAbort:
      return mrAbort;
    case mbRetry:
      return mrRetry;
    case mbIgnore:
      return mrIgnore;
    case mbAll:
      return mrAll;
    case mbNoToAll:
      return mrNoToAll;
    case mbYesToAll:
      return mrYesToAll;
    case mbHelp:
      return mrHelp;
    case mbClose:
      return mrClose;
  }
  return mrNone;
}

std::string ButtonCaption(TMsgDlgBtn AButton) {
  switch (AButton) {
    case mbYes:
      return "&Sim";
    case mbNo:
      return "&Não";
    case mbOK:
      return "OK";
    case mbCancel:
      return "Cancelar";
    case mbAbort:
      return "&Abortar";
    case mbRetry:
      return "&Repetir";
    case mbIgnore:
      return "&Ignorar";
    case mbAll:
      return "&Todos";
    case mbNoToAll:
      return "N&ão para todos";
    case mbYesToAll:
      return "Sim para &todos";
    case mbHelp:
      return "&Ajuda";
    case mbClose:
      return "&Fechar";
  }
  return "";
}

// ---------------------------------------------------------------------------
// UTF-8 helpers

void AppendUTF8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

namespace {

// Decodes UTF-8; malformed bytes come through as U+FFFD.
std::u32string DecodeUTF8(std::string_view s) {
  std::u32string out;
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      unsigned char n = static_cast<unsigned char>(s[i + k]);
      if ((n & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (n & 0x3F);
    }
    if (!ok) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    out += c;
    i += len;
  }
  return out;
}

char32_t UpperChar(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  return c;
}
char32_t LowerChar(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c == 0x178) return 0xFF;
  return c;
}

}  // namespace

std::string AnsiUpperCase(std::string_view AText) {
  std::string out;
  for (char32_t c : DecodeUTF8(AText)) AppendUTF8(out, UpperChar(c));
  return out;
}

std::string AnsiLowerCase(std::string_view AText) {
  std::string out;
  for (char32_t c : DecodeUTF8(AText)) AppendUTF8(out, LowerChar(c));
  return out;
}

int UTF8Length(std::string_view AText) {
  int n = 0;
  for (unsigned char ch : AText)
    if ((ch & 0xC0) != 0x80) ++n;
  return n;
}

// ---------------------------------------------------------------------------
// Drag state: one drag at a time, on the thread that owns the forms.

namespace {
struct TDragInfo {
  TControl* Source = nullptr;
  bool Active = false;
  int Threshold = 5;
  TPoint StartScreen;
  TControl* Target = nullptr;
  bool Accepted = false;
  TPoint TargetPoint;
};
TDragInfo GDrag;
TPoint GLastMouseDown;

TControl* ControlAtScreen(TWinControl* ARoot, TPoint AScreen) {
  for (int i = ARoot->ControlCount() - 1; i >= 0; --i) {
    TControl* c = ARoot->Controls(i);
    if (!c->Visible()) continue;
    TPoint p = c->ScreenToClient(AScreen);
    if (p.X < 0 || p.Y < 0 || p.X >= c->Width() || p.Y >= c->Height()) continue;
    if (auto* w = dynamic_cast<TWinControl*>(c)) return ControlAtScreen(w, AScreen);
    return c;
  }
  return ARoot;
}
}  // namespace

// ---------------------------------------------------------------------------
// TControl

const TClassInfo& TControl::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TControl", &TComponent::StaticClass(), nullptr);
    c.AddProperty(CORE_PROP(TControl, int, "Left", TPropKind::Integer, "Integer", Left, SetLeft));
    c.AddProperty(CORE_PROP(TControl, int, "Top", TPropKind::Integer, "Integer", Top, SetTop));
    c.AddProperty(
        CORE_PROP(TControl, int, "Width", TPropKind::Integer, "Integer", Width, SetWidth));
    c.AddProperty(
        CORE_PROP(TControl, int, "Height", TPropKind::Integer, "Integer", Height, SetHeight));
    c.AddProperty(CORE_PROP(TControl, TAlign, "Align", TPropKind::Enum, "TAlign", Align, SetAlign));
    c.AddProperty(CORE_PROP(TControl, TAnchors, "Anchors", TPropKind::Integer, "TAnchors", Anchors,
                            SetAnchors));
    c.AddProperty(MakeProp<TControl, TWinControl*>(
        "Parent", TPropKind::Component, "TWinControl", [](const TControl& o) { return o.Parent(); },
        [](TControl& o, TWinControl* v) { o.SetParent(v); }));
    c.AddProperty(
        CORE_PROP(TControl, bool, "Visible", TPropKind::Bool, "Boolean", Visible, SetVisible));
    c.AddProperty(
        CORE_PROP(TControl, bool, "Enabled", TPropKind::Bool, "Boolean", Enabled, SetEnabled));
    c.AddProperty(
        CORE_PROP(TControl, TColor, "Color", TPropKind::Integer, "TColor", Color, SetColor));
    c.AddProperty(CORE_PROP(TControl, bool, "ParentColor", TPropKind::Bool, "Boolean", ParentColor,
                            SetParentColor));
    c.AddProperty(CORE_PROP(TControl, bool, "ParentFont", TPropKind::Bool, "Boolean", ParentFont,
                            SetParentFont));
    c.AddProperty(
        CORE_PROP(TControl, std::string, "Hint", TPropKind::String, "string", Hint, SetHint));
    c.AddProperty(
        CORE_PROP(TControl, bool, "ShowHint", TPropKind::Bool, "Boolean", ShowHint, SetShowHint));
    return c;
  }();
  return info;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
  FFont.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
  BeginDestroy();
  if (GDrag.Source == this) GDrag = TDragInfo{};
  if (GDrag.Target == this) GDrag.Target = nullptr;
  FPeer.reset();
  if (FParent) FParent->RemoveControl(this);
  FParent = nullptr;
}

void TControl::BeforeDestruction() {
  TComponent::BeforeDestruction();
  FPeer.reset();
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent == this) throw EToolkitError("Um controle não pode ser o seu próprio pai");
  for (TWinControl* p = AParent; p; p = p->FParent)
    if (p == this) throw EToolkitError("Um controle não pode ser filho de um descendente seu");
  if (FParent) FParent->RemoveControl(this);
  FPeer.reset();
  FParent = nullptr;
  if (AParent) {
    AParent->InsertControl(this);
    if (FParentFont) ParentFontChangedFrom(AParent->FFont);
    if (FParentColor) ParentColorChangedFrom(AParent->FColor);
  }
  ParentChanged();
  if (AParent && AParent->FPeer && !Destroying()) Application->Backend()->RealizeControl(*this);
  if (AParent) AParent->Realign(this);
}

TCustomForm* TControl::GetParentForm() const {
  const TControl* c = this;
  const TControl* top = this;
  while (c) {
    top = c;
    c = c->FParent;
  }
  // A form embedded in another window still answers its own top form.
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(top));
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool resized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Changed(TControlChange::Bounds);
  if (FParent && !FParent->FAligning && FAlign != alNone && FAlign != alCustom)
    FParent->Realign(this);
  if (resized) Resize();
}

void TControl::SetClientWidth(int V) {
  SetWidth(V + (FWidth - ClientWidth()));
}
void TControl::SetClientHeight(int V) {
  SetHeight(V + (FHeight - ClientHeight()));
}

TPoint TControl::ClientOrigin() const {
  TPoint p{FLeft, FTop};
  if (!FParent) return p;
  // A top-level form's Left/Top are screen coordinates.
  TPoint o = FParent->ClientOrigin();
  return TPoint{o.X + p.X, o.Y + p.Y};
}

TPoint TControl::ClientToScreen(TPoint P) const {
  TPoint o = ClientOrigin();
  return TPoint{P.X + o.X, P.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint P) const {
  TPoint o = ClientOrigin();
  return TPoint{P.X - o.X, P.Y - o.Y};
}

void TControl::SetAlign(TAlign AValue) {
  if (AValue == FAlign) return;
  FAlign = AValue;
  if (FParent) FParent->Realign(this);
}

void TControl::SetAnchors(TAnchors AValue) {
  FAnchors = AValue;
}

void TControl::AnchorTo(int AOldWidth, int AOldHeight, int ANewWidth, int ANewHeight) {
  if (FAlign != alNone) return;
  int dw = ANewWidth - AOldWidth, dh = ANewHeight - AOldHeight;
  int l = FLeft, t = FTop, w = FWidth, h = FHeight;
  if (FAnchors & akRight) {
    if (FAnchors & akLeft)
      w += dw;
    else
      l += dw;
  } else if (!(FAnchors & akLeft)) {
    l += dw / 2;  // neither side anchored: keep the relative position
  }
  if (FAnchors & akBottom) {
    if (FAnchors & akTop)
      h += dh;
    else
      t += dh;
  } else if (!(FAnchors & akTop)) {
    t += dh / 2;
  }
  SetBounds(l, t, w, h);
}

void TControl::SetVisible(bool AValue) {
  if (AValue == FVisible) return;
  FVisible = AValue;
  Changed(TControlChange::Visible);
  if (FParent) FParent->Realign(this);
}

bool TControl::Showing() const {
  if (!FVisible) return false;
  return FParent ? FParent->Showing() : true;
}

void TControl::SetEnabled(bool AValue) {
  if (AValue == FEnabled) return;
  FEnabled = AValue;
  Changed(TControlChange::Enabled);
}

void TControl::SetText(const std::string& AValue) {
  StoreText(AValue);
}

void TControl::StoreText(const std::string& AValue) {
  if (AValue == FText) return;
  FText = AValue;
  Changed(TControlChange::Text);
}

void TControl::SetParentFont(bool AValue) {
  FParentFont = AValue;
  if (AValue && FParent) ParentFontChangedFrom(FParent->FFont);
}

void TControl::FontChanged() {
  if (!FSettingParentFont) FParentFont = false;
  Changed(TControlChange::Font);
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (TControl* c : w->FControls)
      if (c->FParentFont) c->ParentFontChangedFrom(FFont);
}

void TControl::ParentFontChangedFrom(const TFont& AFont) {
  FSettingParentFont = true;
  FFont.Assign(AFont);
  FSettingParentFont = false;
}

void TControl::SetColor(TColor AValue) {
  if (AValue == FColor && !FParentColor) return;
  FColor = AValue;
  FParentColor = false;
  Changed(TControlChange::Color);
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (TControl* c : w->FControls)
      if (c->FParentColor) c->ParentColorChangedFrom(FColor);
}

void TControl::SetParentColor(bool AValue) {
  FParentColor = AValue;
  if (AValue && FParent) ParentColorChangedFrom(FParent->FColor);
}

void TControl::ParentColorChangedFrom(TColor AColor) {
  if (FColor == AColor) return;
  FColor = AColor;
  Changed(TControlChange::Color);
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (TControl* c : w->FControls)
      if (c->FParentColor) c->ParentColorChangedFrom(FColor);
}

void TControl::SetHint(const std::string& AValue) {
  if (AValue == FHint) return;
  FHint = AValue;
  Changed(TControlChange::Hint);
}

void TControl::SetPopupMenu(TPopupMenu* AValue) {
  if (AValue == FPopupMenu) return;
  if (FPopupMenu) RemoveFreeNotification(FPopupMenu);
  FPopupMenu = AValue;
  if (AValue) FreeNotification(AValue);
}

void TControl::Notification(TComponent* AComponent, TOperation AOperation) {
  TComponent::Notification(AComponent, AOperation);
  if (AOperation == TOperation::opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

bool TControl::CanTakeInput() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TControl::ClickByUser() {
  if (!CanTakeInput())
    throw EToolkitError("O controle " + Name() +
                        " não pode ser clicado: está oculto ou desabilitado");
  // As in the message loop: what the handler did not catch goes to the
  // standard exception report (a silent abort shows nothing).
  try {
    UserClick();
  } catch (...) {
    Application->HandleException(std::current_exception());
  }
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

intptr_t TControl::Perform(uint32_t AMsg, intptr_t AWParam, intptr_t ALParam) {
  TMessage m{AMsg, AWParam, ALParam, 0};
  if (WindowProc)
    WindowProc(m);
  else
    WndProc(m);
  return m.Result;
}

namespace {
TShiftState ButtonShift(TMouseButton B) {
  return B == mbLeft ? ssLeft : B == mbRight ? ssRight : ssMiddle;
}
}  // namespace

void TControl::WndProc(TMessage& m) {
  TPoint p = LParamToPoint(m.LParam);
  TShiftState shift = static_cast<TShiftState>(m.WParam);
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
      MouseDown(mbLeft, shift, p.X, p.Y);
      break;
    case WM_RBUTTONDOWN:
      MouseDown(mbRight, shift, p.X, p.Y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, shift, p.X, p.Y);
      break;
    case WM_LBUTTONUP:
      MouseUp(mbLeft, shift, p.X, p.Y);
      break;
    case WM_RBUTTONUP:
      MouseUp(mbRight, shift, p.X, p.Y);
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift, p.X, p.Y);
      break;
    case WM_LBUTTONDBLCLK:
      DblClick();
      break;
    case WM_MOUSEMOVE:
      MouseMove(shift, p.X, p.Y);
      break;
    case CM_MOUSEENTER:
      MouseEnter();
      break;
    case CM_MOUSELEAVE:
      MouseLeave();
      break;
    default:
      break;
  }
}

void TControl::MouseDownFromUser(TMouseButton AButton, TShiftState AShift, int X, int Y) {
  uint32_t msg = AButton == mbLeft    ? WM_LBUTTONDOWN
                 : AButton == mbRight ? WM_RBUTTONDOWN
                                      : WM_MBUTTONDOWN;
  GLastMouseDown = ClientToScreen(TPoint{X, Y});
  Perform(msg, static_cast<intptr_t>(AShift | ButtonShift(AButton)), PointToLParam(X, Y));
  if (AButton == mbLeft && FDragMode == dmAutomatic && !GDrag.Source) BeginDrag(false);
}

void TControl::MouseMoveFromUser(TShiftState AShift, int X, int Y) {
  if (GDrag.Source == this) {
    TPoint screen = ClientToScreen(TPoint{X, Y});
    if (!GDrag.Active && (std::abs(screen.X - GDrag.StartScreen.X) > GDrag.Threshold ||
                          std::abs(screen.Y - GDrag.StartScreen.Y) > GDrag.Threshold))
      GDrag.Active = true;
    if (GDrag.Active) {
      TCustomForm* form = GetParentForm();
      TControl* target = form ? ControlAtScreen(form, screen) : this;
      if (GDrag.Target && GDrag.Target != target) {
        TPoint tp = GDrag.Target->ScreenToClient(screen);
        GDrag.Target->DragOver(this, tp.X, tp.Y, dsDragLeave);
      }
      TPoint tp = target->ScreenToClient(screen);
      bool entering = GDrag.Target != target;
      GDrag.Target = target;
      GDrag.TargetPoint = tp;
      GDrag.Accepted = target->DragOver(this, tp.X, tp.Y, entering ? dsDragEnter : dsDragMove);
    }
  }
  Perform(WM_MOUSEMOVE, static_cast<intptr_t>(AShift), PointToLParam(X, Y));
}

void TControl::MouseUpFromUser(TMouseButton AButton, TShiftState AShift, int X, int Y) {
  uint32_t msg = AButton == mbLeft    ? WM_LBUTTONUP
                 : AButton == mbRight ? WM_RBUTTONUP
                                      : WM_MBUTTONUP;
  Perform(msg, static_cast<intptr_t>(AShift), PointToLParam(X, Y));
  if (AButton == mbLeft && GDrag.Source == this) EndDrag(true);
  if (AButton == mbRight && !Destroying()) {
    // The context menu of the control, or of the nearest parent that has one.
    for (TControl* c = this; c; c = c->Parent()) {
      if (TPopupMenu* pm = c->PopupMenu()) {
        if (pm->AutoPopup()) {
          pm->SetPopupComponent(c);
          TPoint p = ClientToScreen(TPoint{X, Y});
          pm->Popup(p.X, p.Y);
        }
        break;
      }
    }
  }
}

void TControl::MouseEnterFromUser() {
  Perform(CM_MOUSEENTER);
}
void TControl::MouseLeaveFromUser() {
  Perform(CM_MOUSELEAVE);
}

void TControl::MouseDown(TMouseButton AButton, TShiftState AShift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, AButton, AShift, X, Y);
}
void TControl::MouseMove(TShiftState AShift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, AShift, X, Y);
}
void TControl::MouseUp(TMouseButton AButton, TShiftState AShift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, AButton, AShift, X, Y);
}
void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}
void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}
void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::BeginDrag(bool AImmediate, int AThreshold) {
  GDrag = TDragInfo{};
  GDrag.Source = this;
  GDrag.Threshold = AThreshold < 0 ? 5 : AThreshold;
  GDrag.Active = AImmediate;
  // The drag starts where the mouse was last pressed.
  GDrag.StartScreen = GLastMouseDown;
}

bool TControl::Dragging() const {
  return GDrag.Source == this && GDrag.Active;
}

void TControl::EndDrag(bool ADrop) {
  if (GDrag.Source != this) return;
  TDragInfo d = GDrag;
  GDrag = TDragInfo{};
  if (ADrop && d.Active && d.Target && d.Accepted)
    d.Target->DragDrop(this, d.TargetPoint.X, d.TargetPoint.Y);
}

bool TControl::DragOver(TComponent* ASource, int X, int Y, TDragState AState) {
  bool accept = false;
  if (OnDragOver) {
    accept = true;
    OnDragOver(this, ASource, X, Y, AState, accept);
  }
  return accept;
}

void TControl::DragDrop(TComponent* ASource, int X, int Y) {
  if (OnDragDrop) OnDragDrop(this, ASource, X, Y);
}

void TControl::Invalidate() {
  Changed(TControlChange::Repaint);
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& v = FParent->FControls;
  v.erase(std::find(v.begin(), v.end(), this));
  v.push_back(this);
  Changed(TControlChange::ZOrder);
  FParent->Realign();
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& v = FParent->FControls;
  v.erase(std::find(v.begin(), v.end(), this));
  v.insert(v.begin(), this);
  Changed(TControlChange::ZOrder);
  FParent->Realign();
}

void TControl::SetPeer(std::unique_ptr<TControlPeer> APeer) {
  FPeer = std::move(APeer);
}

void TControl::Changed(TControlChange AWhat) {
  if (FPeer && !Destroying()) FPeer->Changed(AWhat);
}

// ---------------------------------------------------------------------------

const TClassInfo& TGraphicControl::StaticClass() {
  static TClassInfo info("TGraphicControl", &TControl::StaticClass(), nullptr);
  return info;
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}

const TClassInfo& TCustomControl::StaticClass() {
  static TClassInfo info("TCustomControl", &TWinControl::StaticClass(), nullptr);
  return info;
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

// ---------------------------------------------------------------------------
// TWinControl

const TClassInfo& TWinControl::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TWinControl", &TControl::StaticClass(), nullptr);
    c.AddProperty(CORE_PROP(TWinControl, int, "TabOrder", TPropKind::Integer, "TTabOrder", TabOrder,
                            SetTabOrder));
    c.AddProperty(
        CORE_PROP(TWinControl, bool, "TabStop", TPropKind::Bool, "Boolean", TabStop, SetTabStop));
    return c;
  }();
  return info;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  BeginDestroy();
  // Owned components first (their destructors reach back into this control),
  // then the children that someone else owns.
  DestroyComponents();
  while (!FControls.empty()) FControls.back()->Free();
  if (auto* form = GetParentForm()) {
    if (form != this && form->ActiveControl() == this) form->SetActiveControl(nullptr);
  }
}

bool TWinControl::ContainsControl(const TControl* AControl) const {
  for (const TControl* c = AControl; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* AControl) {
  FControls.push_back(AControl);
  AControl->FParent = this;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) FTabList.push_back(w);
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it != FControls.end()) FControls.erase(it);
  auto jt = std::find(FTabList.begin(), FTabList.end(), AControl);
  if (jt != FTabList.end()) FTabList.erase(jt);
  if (AControl->FParent == this) AControl->FParent = nullptr;
  if (!Destroying()) {
    TCustomForm* form = GetParentForm();
    if (form && !form->Destroying()) {
      TWinControl* active = form->ActiveControl();
      if (active &&
          (active == AControl || (dynamic_cast<TWinControl*>(AControl) &&
                                  static_cast<TWinControl*>(AControl)->ContainsControl(active))))
        form->SetActiveControl(nullptr);
    }
    Realign();
  }
}

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  auto& l = FParent->FTabList;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : static_cast<int>(it - l.begin());
}

void TWinControl::SetTabOrder(int AValue) {
  if (!FParent) return;
  auto& l = FParent->FTabList;
  auto it = std::find(l.begin(), l.end(), this);
  if (it == l.end()) return;
  l.erase(it);
  if (AValue < 0 || AValue > static_cast<int>(l.size())) AValue = static_cast<int>(l.size());
  l.insert(l.begin() + AValue, this);
  Changed(TControlChange::TabOrder);
}

void TWinControl::SetTabStop(bool AValue) {
  if (AValue == FTabStop) return;
  FTabStop = AValue;
  Changed(TControlChange::TabOrder);
}

std::vector<TWinControl*> TWinControl::GetTabOrderList() const {
  std::vector<TWinControl*> out;
  for (TWinControl* w : FTabList) {
    out.push_back(w);
    auto sub = w->GetTabOrderList();
    out.insert(out.end(), sub.begin(), sub.end());
  }
  return out;
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm();
  if (!CanFocus())
    throw EToolkitError("Não é possível mover o foco para um controle invisível ou desabilitado");
  if (form && form != this) form->SetActiveControl(this);
  if (FPeer) FPeer->SetFocus();
}

bool TWinControl::Focused() const {
  TCustomForm* form = GetParentForm();
  return form && form->ActiveControl() == this;
}

TWinControl* TWinControl::FindNextControl(TWinControl* ACurrent, bool AGoForward,
                                          bool ACheckTabStop, bool ACheckParent) const {
  std::vector<TWinControl*> list = GetTabOrderList();
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[i] == ACurrent) start = i;
  if (start < 0) start = AGoForward ? n - 1 : 0;
  int i = start;
  for (int k = 0; k < n; ++k) {
    i = AGoForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[i];
    if (c == ACurrent && k < n - 1) continue;
    bool ok =
        (!ACheckTabStop || c->TabStop()) && (!ACheckParent || c->Parent() == this) && c->CanFocus();
    // Containers (panels, group boxes) are passed through, not focused.
    if (ok && c->ControlCount() > 0 && !c->TabStop()) ok = false;
    if (ok) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* ACurrent, bool AGoForward, bool ACheckTabStop) {
  TWinControl* next = FindNextControl(ACurrent, AGoForward, ACheckTabStop, false);
  if (next) next->SetFocus();
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::KeyDown(uint16_t& AKey, TShiftState AShift) {
  if (OnKeyDown) OnKeyDown(this, AKey, AShift);
}
void TWinControl::KeyUp(uint16_t& AKey, TShiftState AShift) {
  if (OnKeyUp) OnKeyUp(this, AKey, AShift);
}
void TWinControl::KeyPress(char32_t& AKey) {
  if (OnKeyPress) OnKeyPress(this, AKey);
}
void TWinControl::AcceptChar(char32_t) {}

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
      m.Result =
          KeyDownFromUser(static_cast<uint16_t>(m.WParam), static_cast<TShiftState>(m.LParam));
      return;
    case WM_CHAR:
      m.Result = KeyPressFromUser(static_cast<char32_t>(m.WParam));
      return;
    default:
      TControl::WndProc(m);
  }
}

bool TWinControl::KeyDownFromUser(uint16_t AKey, TShiftState AShift) {
  TCustomForm* form = GetParentForm();
  if (form && form != this && form->KeyPreview()) {
    static_cast<TWinControl*>(form)->KeyDown(AKey, AShift);
    if (AKey == 0) return true;
  }
  KeyDown(AKey, AShift);
  if (AKey == 0) return true;
  // Shortcuts: the context menus up the parent chain, then the form's menu.
  TShortCut sc = ShortCut(AKey, AShift);
  if ((AShift & (ssCtrl | ssAlt)) || (AKey >= VK_F1 && AKey <= VK_F12) || AKey == VK_DELETE ||
      AKey == VK_INSERT) {
    for (TControl* c = this; c; c = c->Parent())
      if (c->PopupMenu() && c->PopupMenu()->IsShortCut(sc)) return true;
    if (form && form->Menu() && form->Menu()->IsShortCut(sc)) return true;
  }
  if (form) {
    if (AKey == VK_TAB && !(AShift & (ssCtrl | ssAlt))) {
      form->SelectNext(this == form ? nullptr : this, !(AShift & ssShift), true);
      return true;
    }
    if (form->DialogKey(AKey, AShift)) return true;
  }
  return false;
}

bool TWinControl::DoKeyPress(char32_t& AKey) {
  TCustomForm* form = GetParentForm();
  if (form && form != this && form->KeyPreview()) {
    static_cast<TWinControl*>(form)->KeyPress(AKey);
    if (AKey == 0) return false;
  }
  KeyPress(AKey);
  return AKey != 0;
}

bool TWinControl::KeyPressFromUser(char32_t AKey) {
  if (!DoKeyPress(AKey)) return false;
  AcceptChar(AKey);
  return true;
}

void TWinControl::KeyUpFromUser(uint16_t AKey, TShiftState AShift) {
  TCustomForm* form = GetParentForm();
  if (form && form != this && form->KeyPreview()) {
    static_cast<TWinControl*>(form)->KeyUp(AKey, AShift);
    if (AKey == 0) return;
  }
  KeyUp(AKey, AShift);
}

void TWinControl::TypeText(const std::string& AText) {
  for (char32_t c : DecodeUTF8(AText)) {
    try {
      KeyPressFromUser(c);
    } catch (...) {
      Application->HandleException(std::current_exception());
    }
  }
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0) Realign();
}

void TWinControl::Realign(TControl* AControl) {
  if (FAlignLevel > 0 || FAligning || Destroying()) return;
  FAligning = true;
  FAlignTrigger = AControl;
  try {
    AlignControls();
  } catch (...) {
    FAligning = false;
    FAlignTrigger = nullptr;
    throw;
  }
  FAligning = false;
  FAlignTrigger = nullptr;
}

void TWinControl::AlignControls() {
  int cw = ClientWidth(), ch = ClientHeight();
  if (FLastClientWidth >= 0 && (cw != FLastClientWidth || ch != FLastClientHeight)) {
    std::vector<TControl*> children = FControls;
    for (TControl* c : children) c->AnchorTo(FLastClientWidth, FLastClientHeight, cw, ch);
  }
  FLastClientWidth = cw;
  FLastClientHeight = ch;

  TRect r = AdjustClientRect();
  TControl* trigger = FAlignTrigger;
  // The toolkit's ordering: the control that asked for the alignment goes
  // first, then each other control is placed before the first one it lies
  // strictly before (for the bottom and right sides: at or below / right of).
  auto insertBefore = [](TControl* c1, TControl* c2, TAlign a) {
    switch (a) {
      case alTop:
        return c1->FTop < c2->FTop;
      case alBottom:
        return c1->FTop + c1->FHeight >= c2->FTop + c2->FHeight;
      case alLeft:
        return c1->FLeft < c2->FLeft;
      case alRight:
        return c1->FLeft + c1->FWidth >= c2->FLeft + c2->FWidth;
      default:
        return false;
    }
  };
  auto collect = [&](TAlign a) {
    std::vector<TControl*> v;
    if (trigger && trigger->FParent == this && trigger->FAlign == a && trigger->FVisible)
      v.push_back(trigger);
    for (TControl* c : FControls) {
      if (c->FAlign != a || !c->FVisible || c == trigger) continue;
      size_t j = 0;
      while (j < v.size() && !insertBefore(c, v[j], a)) ++j;
      v.insert(v.begin() + static_cast<std::ptrdiff_t>(j), c);
    }
    return v;
  };
  for (TControl* c : collect(alTop)) {
    c->SetBounds(r.Left, r.Top, r.Width(), c->FHeight);
    r.Top += c->FHeight;
  }
  for (TControl* c : collect(alBottom)) {
    c->SetBounds(r.Left, r.Bottom - c->FHeight, r.Width(), c->FHeight);
    r.Bottom -= c->FHeight;
  }
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  for (TControl* c : collect(alLeft)) {
    c->SetBounds(r.Left, r.Top, c->FWidth, r.Height());
    r.Left += c->FWidth;
  }
  for (TControl* c : collect(alRight)) {
    c->SetBounds(r.Right - c->FWidth, r.Top, c->FWidth, r.Height());
    r.Right -= c->FWidth;
  }
  if (r.Right < r.Left) r.Right = r.Left;
  for (TControl* c : collect(alClient)) c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  int ow = FWidth, oh = FHeight;
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FWidth != ow || FHeight != oh) Realign();
}

void TWinControl::SetVisible(bool AValue) {
  if (!AValue && FVisible) {
    TCustomForm* form = GetParentForm();
    if (form && form != this && form->ActiveControl() && ContainsControl(form->ActiveControl()))
      form->SetActiveControl(nullptr);
  }
  TControl::SetVisible(AValue);
}

}  // namespace ui
