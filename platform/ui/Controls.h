// Controls of the toolkit model: geometry with the alignment rules, parent and
// children, visibility, enabled state, texts, fonts, colours, hints, keyboard
// order, mouse and key events, messages and a simple drag engine. The model
// holds the truth; a backend peer (Qt widgets) mirrors it when one exists.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Core.h"
#include "platform/ui/Graphics.h"

namespace ui {

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

enum TShiftStateFlag : unsigned {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64
};
using TShiftState = unsigned;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };

enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// Modal results.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrClose = 8;
constexpr TModalResult mrHelp = 9;
constexpr TModalResult mrTryAgain = 10;
constexpr TModalResult mrContinue = 11;
constexpr TModalResult mrAll = 12;
constexpr TModalResult mrNoToAll = 13;
constexpr TModalResult mrYesToAll = 14;

// Message dialog kinds and buttons.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
  mbClose
};
// A set of buttons, kept in the toolkit's button order.
class TMsgDlgButtons {
 public:
  TMsgDlgButtons() = default;
  TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> AButtons) {
    for (TMsgDlgBtn b : AButtons) FBits |= 1u << b;
  }
  bool Contains(TMsgDlgBtn B) const { return (FBits >> B) & 1u; }
  bool Empty() const { return FBits == 0; }
  std::vector<TMsgDlgBtn> List() const {
    std::vector<TMsgDlgBtn> v;
    for (int b = mbYes; b <= mbClose; ++b)
      if (Contains(static_cast<TMsgDlgBtn>(b))) v.push_back(static_cast<TMsgDlgBtn>(b));
    return v;
  }
  bool operator==(const TMsgDlgButtons&) const = default;

 private:
  unsigned FBits = 0;
};
// The modal result a message dialog button returns, and its Portuguese caption.
TModalResult ModalResultOf(TMsgDlgBtn AButton);
std::string ButtonCaption(TMsgDlgBtn AButton);

// Virtual key codes used by the model.
enum : uint16_t {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PRIOR = 0x21,
  VK_NEXT = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_F1 = 0x70,
  VK_F2,
  VK_F3,
  VK_F4,
  VK_F5,
  VK_F6,
  VK_F7,
  VK_F8,
  VK_F9,
  VK_F10,
  VK_F11,
  VK_F12
};

// Messages. Numbers follow the platform the forms were written for, so that
// application messages (WM_USER + n) keep their values.
struct TMessage {
  uint32_t Msg = 0;
  intptr_t WParam = 0;
  intptr_t LParam = 0;
  intptr_t Result = 0;
};
enum : uint32_t {
  WM_NULL = 0x0000,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_ERASEBKGND = 0x0014,
  WM_NEXTDLGCTL = 0x0028,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_MBUTTONDOWN = 0x0207,
  WM_MBUTTONUP = 0x0208,
  WM_USER = 0x0400,
  TCM_FIRST = 0x1300,
  TCM_GETITEMRECT = TCM_FIRST + 10,
  CM_BASE = 0xB000,
  CM_MOUSEENTER = CM_BASE + 19,
  CM_MOUSELEAVE = CM_BASE + 20,
  CM_RELEASE = CM_BASE + 33,
};
// Mouse positions travel in LParam as the platform packs them.
inline intptr_t PointToLParam(int X, int Y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(Y & 0xFFFF) << 16) |
                               static_cast<uint32_t>(X & 0xFFFF));
}
inline TPoint LParamToPoint(intptr_t L) {
  return TPoint{static_cast<int16_t>(L & 0xFFFF), static_cast<int16_t>((L >> 16) & 0xFFFF)};
}

using TMouseEvent =
    std::function<void(TComponent* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TComponent* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TComponent* Sender, uint16_t& Key, TShiftState Shift)>;
// Key characters are code points (Portuguese letters included).
using TKeyPressEvent = std::function<void(TComponent* Sender, char32_t& Key)>;
using TDragOverEvent = std::function<void(TComponent* Sender, TComponent* Source, int X, int Y,
                                          TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TComponent* Sender, TComponent* Source, int X, int Y)>;
using TWndMethod = std::function<void(TMessage& Message)>;

// What changed in a control, so a backend peer updates only that.
enum class TControlChange {
  Bounds,
  Visible,
  Enabled,
  Text,
  Font,
  Color,
  Hint,
  TabOrder,
  ReadOnly,
  Items,
  ItemIndex,
  Checked,
  Picture,
  Style,
  ActivePage,
  Focus,
  Repaint,
  ZOrder,
};

// A backend's mirror of one control (a native widget). The control owns it.
class TControlPeer {
 public:
  virtual ~TControlPeer() = default;
  virtual void Changed(TControlChange AWhat) = 0;
  // Moves the keyboard focus to the native widget.
  virtual void SetFocus() {}
};

class TControl : public TComponent {
  CORE_DECLARE_CLASS()
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  void BeforeDestruction() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  // The form the control sits on (itself for a form), or nullptr.
  TCustomForm* GetParentForm() const;

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int V) { SetBounds(V, FTop, FWidth, FHeight); }
  void SetTop(int V) { SetBounds(FLeft, V, FWidth, FHeight); }
  void SetWidth(int V) { SetBounds(FLeft, FTop, V, FHeight); }
  void SetHeight(int V) { SetBounds(FLeft, FTop, FWidth, V); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Rect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
  virtual int ClientWidth() const { return FWidth; }
  virtual int ClientHeight() const { return FHeight; }
  void SetClientWidth(int V);
  void SetClientHeight(int V);
  TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
  // Coordinates relative to the screen (forms' Left/Top are screen positions).
  TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint P) const;
  TPoint ScreenToClient(TPoint P) const;

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign AValue);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors AValue);

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool AValue);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible up to a shown form.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool AValue);

  // Caption and Text share one storage, as in the toolkit.
  const std::string& Caption() const { return FText; }
  void SetCaption(const std::string& AValue) { SetText(AValue); }
  const std::string& Text() const { return FText; }
  virtual void SetText(const std::string& AValue);

  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool AValue);
  TColor Color() const { return FColor; }
  void SetColor(TColor AValue);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool AValue);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& AValue);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool AValue) { FShowHint = AValue; }
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* AValue);
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode AValue) { FDragMode = AValue; }

  // Raises OnClick (and whatever the control does on a click).
  virtual void Click();
  // A user's click: what a mouse click does (check boxes toggle, radio
  // buttons check themselves, buttons click). Refused (EToolkitError) when
  // the control cannot take input: hidden or disabled, itself or a parent.
  void ClickByUser();
  // Whether a user could reach the control now: visible and enabled up to the form.
  bool CanTakeInput() const;
  virtual void DblClick();

  // Sends a message through WindowProc; returns its result.
  intptr_t Perform(uint32_t AMsg, intptr_t AWParam = 0, intptr_t ALParam = 0);
  // The message handler; replaceable (default: WndProc).
  TWndMethod WindowProc;

  // Mouse input as a user gives it (coordinates relative to the control).
  // These go through Perform, so a replaced WindowProc sees them.
  void MouseDownFromUser(TMouseButton AButton, TShiftState AShift, int X, int Y);
  void MouseMoveFromUser(TShiftState AShift, int X, int Y);
  void MouseUpFromUser(TMouseButton AButton, TShiftState AShift, int X, int Y);
  void MouseEnterFromUser();
  void MouseLeaveFromUser();

  // Dragging: starts a drag of this control. Not immediate: the drag begins
  // once the mouse moves beyond the threshold (-1: the default of 5 pixels).
  void BeginDrag(bool AImmediate, int AThreshold = -1);
  bool Dragging() const;
  void EndDrag(bool ADrop);
  // Asks the control whether it accepts a drop of ASource.
  virtual bool DragOver(TComponent* ASource, int X, int Y, TDragState AState);
  virtual void DragDrop(TComponent* ASource, int X, int Y);

  virtual void Invalidate();
  void Repaint() { Invalidate(); }
  void Refresh() { Invalidate(); }
  void Update() {}
  void BringToFront();
  void SendToBack();

  TControlPeer* Peer() const { return FPeer.get(); }
  void SetPeer(std::unique_ptr<TControlPeer> APeer);
  // Tells the peer about a change.
  void Changed(TControlChange AWhat);

  // Anchoring: the parent's client size changed from the old to the new one.
  void AnchorTo(int AOldWidth, int AOldHeight, int ANewWidth, int ANewHeight);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;

 protected:
  virtual void WndProc(TMessage& AMessage);
  virtual void MouseDown(TMouseButton AButton, TShiftState AShift, int X, int Y);
  virtual void MouseMove(TShiftState AShift, int X, int Y);
  virtual void MouseUp(TMouseButton AButton, TShiftState AShift, int X, int Y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Resize();
  // What a user's click does; the default is Click().
  virtual void UserClick() { Click(); }
  void Notification(TComponent* AComponent, TOperation AOperation) override;
  // Called after Parent changed.
  virtual void ParentChanged() {}
  void FontChanged();
  void ParentFontChangedFrom(const TFont& AFont);
  void ParentColorChangedFrom(TColor AColor);
  // Sets the text without any event (controls with OnChange override SetText).
  void StoreText(const std::string& AValue);

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors = akLeft | akTop;
  bool FVisible = true;
  bool FEnabled = true;
  std::string FText;
  TFont FFont;
  bool FParentFont = true;
  bool FSettingParentFont = false;
  TColor FColor = clBtnFace;
  bool FParentColor = false;
  std::string FHint;
  bool FShowHint = false;
  TPopupMenu* FPopupMenu = nullptr;
  TDragMode FDragMode = dmManual;
  std::unique_ptr<TControlPeer> FPeer;

  friend class TWinControl;
};

// A control without a window of its own (labels, speed buttons, images).
class TGraphicControl : public TControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TGraphicControl(TComponent* AOwner);
  TCanvas* Canvas() { return &FCanvas; }
  // Draws the control on its canvas (the backend sets the canvas painter).
  virtual void Paint() {}

 protected:
  TCanvas FCanvas;
};

// A windowed control: it has children, takes the keyboard focus and lays out
// its aligned children.
class TWinControl : public TControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int AIndex) const { return FControls.at(AIndex); }
  bool ContainsControl(const TControl* AControl) const;

  int TabOrder() const;
  void SetTabOrder(int AValue);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool AValue);
  // The windowed children in keyboard order.
  std::vector<TWinControl*> GetTabOrderList() const;

  virtual bool CanFocus() const;
  virtual void SetFocus();
  bool Focused() const;
  // The next control in keyboard order after ACurrent (which may be nullptr),
  // among this control's descendants.
  TWinControl* FindNextControl(TWinControl* ACurrent, bool AGoForward, bool ACheckTabStop,
                               bool ACheckParent) const;
  void SelectNext(TWinControl* ACurrent, bool AGoForward, bool ACheckTabStop);

  // Key input as a user gives it: fires OnKeyDown / OnKeyPress / OnKeyUp
  // (the form first when it previews keys) and then the control's own
  // handling. KeyDownFromUser returns true when the key was consumed: a
  // handler cleared it, or it moved the focus (Tab), ran a menu shortcut or
  // pressed the form's default or cancel button. KeyPressFromUser returns
  // false when a handler swallowed the character.
  bool KeyDownFromUser(uint16_t AKey, TShiftState AShift);
  bool KeyPressFromUser(char32_t AKey);
  // Only the OnKeyPress handlers (form preview first); AKey may be changed or
  // cleared. Backends whose native widgets edit the text themselves use it.
  bool DoKeyPress(char32_t& AKey);
  void KeyUpFromUser(uint16_t AKey, TShiftState AShift);
  // Typing a text: KeyPress for each character, then the control takes it.
  void TypeText(const std::string& AText);

  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  // Lays out the aligned and anchored children. AControl, when given, is the
  // child whose change asked for it: it keeps its place ahead of children at
  // the same position (a new alTop control at Top 0 goes above the others).
  // Build a form between DisableAlign and EnableAlign to have the children
  // ordered by their positions alone, as a form designer's layout is.
  void Realign(TControl* AControl = nullptr);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetVisible(bool AValue) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // Called by the form when the focus enters or leaves the control.
  virtual void DoEnter();
  virtual void DoExit();

 protected:
  virtual void KeyDown(uint16_t& AKey, TShiftState AShift);
  virtual void KeyUp(uint16_t& AKey, TShiftState AShift);
  virtual void KeyPress(char32_t& AKey);
  // Takes a typed character (edits insert it into their text).
  virtual void AcceptChar(char32_t AKey);
  void WndProc(TMessage& AMessage) override;
  virtual void AlignControls();
  // The area aligned children fill (panels and group boxes inset it).
  virtual TRect AdjustClientRect() const { return ClientRect(); }

 private:
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);

  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  bool FTabStop = false;
  int FAlignLevel = 0;
  bool FAligning = false;
  TControl* FAlignTrigger = nullptr;
  int FLastClientWidth = -1, FLastClientHeight = -1;

  friend class TControl;
};

// A windowed control that paints itself on a canvas.
class TCustomControl : public TWinControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TCustomControl(TComponent* AOwner);
  TCanvas* Canvas() { return &FCanvas; }
  virtual void Paint() {}

 protected:
  TCanvas FCanvas;
};

// Appends a code point to a UTF-8 string.
void AppendUTF8(std::string& AOut, char32_t ACode);
// Upper- and lower-cases UTF-8 text, Portuguese accented letters included.
std::string AnsiUpperCase(std::string_view AText);
std::string AnsiLowerCase(std::string_view AText);
// Number of code points in UTF-8 text.
int UTF8Length(std::string_view AText);

}  // namespace ui
