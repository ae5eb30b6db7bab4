// Standard controls: labels, edits, memos, buttons, check boxes, radio
// buttons, combo boxes and group boxes.
#pragma once

#include <string>

#include "platform/ui/Controls.h"

namespace ui {

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TTextLayout { tlTop, tlCenter, tlBottom };
// Where a label's text that does not fit its width is cut: not at all
// (clipped), or at the end with "…" (the whole text then shows as a tooltip).
enum TEllipsisPosition { epNone, epEndEllipsis };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TCustomLabel : public TGraphicControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TCustomLabel(TComponent* AOwner);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool AValue);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool AValue);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment AValue);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout AValue);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool AValue);
  TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
  void SetEllipsisPosition(TEllipsisPosition AValue);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* AValue);
  void SetText(const std::string& AValue) override;

 protected:
  void Notification(TComponent* AComponent, TOperation AOperation) override;
  // Sizes the label to its text when AutoSize is on and WordWrap off.
  void AdjustSize();

 private:
  bool FAutoSize = true;
  bool FWordWrap = false;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FTransparent = true;
  TEllipsisPosition FEllipsisPosition = epNone;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
  CORE_DECLARE_CLASS()
 public:
  explicit TLabel(TComponent* AOwner);
};

// An editable single-line text. Setting Text fires OnChange.
class TCustomEdit : public TWinControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TCustomEdit(TComponent* AOwner);
  void SetText(const std::string& AValue) override;
  // 0 for none; otherwise every character shows as this one.
  char32_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char32_t AValue);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase AValue);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool AValue);
  int MaxLength() const { return FMaxLength; }  // code points; 0 for no limit
  void SetMaxLength(int AValue) { FMaxLength = AValue; }
  const std::string& TextHint() const { return FTextHint; }
  void SetTextHint(const std::string& AValue);
  bool Modified() const { return FModified; }
  void SetModified(bool AValue) { FModified = AValue; }
  void Clear() { SetText(""); }
  void SelectAll() {}
  // A text a user typed in a native widget: refused when read-only, cut to
  // MaxLength and cased by CharCase, then set (OnChange fires).
  void SetTextByUser(const std::string& AValue);
  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  void AcceptChar(char32_t AKey) override;
  // Whether a user's typing may change the text now (data-aware edits put
  // their dataset into editing here).
  virtual bool CanEditByUser() { return !FReadOnly; }
  // Applies CharCase to a text.
  std::string ApplyCharCase(const std::string& AText) const;

  char32_t FPasswordChar = 0;
  TEditCharCase FCharCase = ecNormal;
  bool FReadOnly = false;
  int FMaxLength = 0;
  std::string FTextHint;
  bool FModified = false;
};

class TEdit : public TCustomEdit {
  CORE_DECLARE_CLASS()
 public:
  explicit TEdit(TComponent* AOwner);
};

// A multi-line text; Lines and Text are two views of one text (lines joined
// with "\n", no trailing break).
class TCustomMemo : public TCustomEdit {
  CORE_DECLARE_CLASS()
 public:
  explicit TCustomMemo(TComponent* AOwner);
  TStrings& Lines() { return FLines; }
  const TStrings& Lines() const { return FLines; }
  void SetText(const std::string& AValue) override;
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle AValue);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool AValue);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool AValue) { FWantReturns = AValue; }

 protected:
  void AcceptChar(char32_t AKey) override;

 private:
  TStrings FLines;
  bool FSyncing = false;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FWantReturns = true;
};

class TMemo : public TCustomMemo {
  CORE_DECLARE_CLASS()
 public:
  explicit TMemo(TComponent* AOwner);
};

class TButtonControl : public TWinControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TButtonControl(TComponent* AOwner);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool AValue) { FWordWrap = AValue; }

 private:
  bool FWordWrap = false;
};

class TButton : public TButtonControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TButton(TComponent* AOwner);
  // Sets the form's ModalResult (when not mrNone), then OnClick.
  void Click() override;
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult AValue) { FModalResult = AValue; }
  bool Default() const { return FDefault; }
  void SetDefault(bool AValue);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool AValue) { FCancel = AValue; }

 private:
  TModalResult FModalResult = mrNone;
  bool FDefault = false;
  bool FCancel = false;
};

// Setting Checked (or State) fires OnClick, as a click does.
class TCustomCheckBox : public TButtonControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TCustomCheckBox(TComponent* AOwner);
  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool AValue) { SetState(AValue ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return FState; }
  virtual void SetState(TCheckBoxState AValue);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool AValue) { FAllowGrayed = AValue; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool AValue);
  // Moves to the next state as a click does.
  virtual void Toggle();

 protected:
  void UserClick() override;
  void AcceptChar(char32_t AKey) override;
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  bool FReadOnly = false;
};

class TCheckBox : public TCustomCheckBox {
  CORE_DECLARE_CLASS()
 public:
  explicit TCheckBox(TComponent* AOwner);
};

// Checking a radio button unchecks the radio buttons beside it.
class TRadioButton : public TButtonControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TRadioButton(TComponent* AOwner);
  bool Checked() const { return FChecked; }
  void SetChecked(bool AValue);

 protected:
  void UserClick() override;

 private:
  bool FChecked = false;
};

// A combo box. Setting ItemIndex shows that item's text; a user's choice
// (SelectByUser) fires OnClick and then OnSelect (OnChange when there is no
// OnSelect); typing or setting Text fires OnChange.
class TCustomComboBox : public TWinControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  TStrings& Items() { return FItems; }
  const TStrings& Items() const { return FItems; }
  int ItemIndex() const { return FItemIndex; }
  virtual void SetItemIndex(int AValue);
  void SetText(const std::string& AValue) override;
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle AValue);
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int AValue) { FDropDownCount = AValue; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool AValue);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase AValue) { FCharCase = AValue; }
  // A user picks an entry from the list.
  virtual void SelectByUser(int AIndex);
  // A text a user typed into the edit part (refused for drop-down lists).
  virtual void SetTextByUser(const std::string& AValue);
  void Clear();

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  virtual void Change();
  virtual void Select();
  void AcceptChar(char32_t AKey) override;
  // Whether a user may change the selection or text now.
  virtual bool CanEditByUser() { return true; }
  void ItemsChanged();

  TStrings FItems;
  int FItemIndex = -1;
  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
  bool FSorted = false;
  TEditCharCase FCharCase = ecNormal;
  bool FSorting = false;
};

class TComboBox : public TCustomComboBox {
  CORE_DECLARE_CLASS()
 public:
  explicit TComboBox(TComponent* AOwner);
};

class TCustomGroupBox : public TCustomControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TCustomGroupBox(TComponent* AOwner);

 protected:
  TRect AdjustClientRect() const override;
};

class TGroupBox : public TCustomGroupBox {
  CORE_DECLARE_CLASS()
 public:
  explicit TGroupBox(TComponent* AOwner);
};

// Registers a "Caption" / "Text" published property on a class table.
void AddCaptionProperty(TClassInfo& AInfo);
void AddTextProperty(TClassInfo& AInfo);

}  // namespace ui
