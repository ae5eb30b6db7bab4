#include "platform/ui/StdCtrls.h"

#include <algorithm>

#include "platform/ui/Forms.h"

namespace ui {

void AddCaptionProperty(TClassInfo& c) {
  c.AddProperty(MakeProp<TControl, std::string>(
      "Caption", TPropKind::String, "TCaption", [](const TControl& o) { return o.Caption(); },
      [](TControl& o, std::string v) { o.SetCaption(v); }));
}

void AddTextProperty(TClassInfo& c) {
  c.AddProperty(MakeProp<TControl, std::string>(
      "Text", TPropKind::String, "TCaption", [](const TControl& o) { return o.Text(); },
      [](TControl& o, std::string v) { o.SetText(v); }));
}

// ---------------------------------------------------------------------------

const TClassInfo& TCustomLabel::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TCustomLabel", &TGraphicControl::StaticClass(), nullptr);
    AddCaptionProperty(c);
    c.AddProperty(CORE_PROP(TCustomLabel, bool, "AutoSize", TPropKind::Bool, "Boolean", AutoSize,
                            SetAutoSize));
    c.AddProperty(CORE_PROP(TCustomLabel, bool, "WordWrap", TPropKind::Bool, "Boolean", WordWrap,
                            SetWordWrap));
    c.AddProperty(CORE_PROP(TCustomLabel, TAlignment, "Alignment", TPropKind::Enum, "TAlignment",
                            Alignment, SetAlignment));
    c.AddProperty(CORE_PROP(TCustomLabel, TTextLayout, "Layout", TPropKind::Enum, "TTextLayout",
                            Layout, SetLayout));
    c.AddProperty(CORE_PROP(TCustomLabel, bool, "Transparent", TPropKind::Bool, "Boolean",
                            Transparent, SetTransparent));
    c.AddProperty(CORE_PROP(TCustomLabel, TEllipsisPosition, "EllipsisPosition", TPropKind::Enum,
                            "TEllipsisPosition", EllipsisPosition, SetEllipsisPosition));
    return c;
  }();
  return info;
}

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 65;
  FHeight = 15;
  FParentColor = true;
}

void TCustomLabel::SetText(const std::string& AValue) {
  StoreText(AValue);
  AdjustSize();
}

void TCustomLabel::AdjustSize() {
  if (!FAutoSize || FWordWrap || FAlign == alClient) return;
  TSize s = MeasureText(FText, FFont);
  if (FText.empty()) s = TSize{0, MeasureText("0", FFont).cy};
  SetBounds(FLeft, FTop, s.cx, s.cy);
}

void TCustomLabel::SetAutoSize(bool AValue) {
  FAutoSize = AValue;
  AdjustSize();
}
void TCustomLabel::SetWordWrap(bool AValue) {
  if (AValue == FWordWrap) return;
  FWordWrap = AValue;
  Changed(TControlChange::Style);
}
void TCustomLabel::SetAlignment(TAlignment AValue) {
  if (AValue == FAlignment) return;
  FAlignment = AValue;
  Changed(TControlChange::Style);
}
void TCustomLabel::SetEllipsisPosition(TEllipsisPosition AValue) {
  if (AValue == FEllipsisPosition) return;
  FEllipsisPosition = AValue;
  Changed(TControlChange::Style);
}
void TCustomLabel::SetLayout(TTextLayout AValue) {
  if (AValue == FLayout) return;
  FLayout = AValue;
  Changed(TControlChange::Style);
}
void TCustomLabel::SetTransparent(bool AValue) {
  if (AValue == FTransparent) return;
  FTransparent = AValue;
  Changed(TControlChange::Color);
}

void TCustomLabel::SetFocusControl(TWinControl* AValue) {
  if (FFocusControl) RemoveFreeNotification(FFocusControl);
  FFocusControl = AValue;
  if (AValue) FreeNotification(AValue);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation AOperation) {
  TGraphicControl::Notification(AComponent, AOperation);
  if (AOperation == TOperation::opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

const TClassInfo& TLabel::StaticClass() {
  static TClassInfo info("TLabel", &TCustomLabel::StaticClass(), FactoryOf<TLabel>());
  return info;
}
TLabel::TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}

// ---------------------------------------------------------------------------

const TClassInfo& TCustomEdit::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TCustomEdit", &TWinControl::StaticClass(), nullptr);
    AddTextProperty(c);
    c.AddProperty(MakeProp<TCustomEdit, std::string>(
        "PasswordChar", TPropKind::String, "Char",
        [](const TCustomEdit& o) {
          std::string s;
          if (o.PasswordChar()) AppendUTF8(s, o.PasswordChar());
          return s;
        },
        [](TCustomEdit& o, std::string v) {
          o.SetPasswordChar(v.empty() ? 0 : static_cast<unsigned char>(v[0]));
        }));
    c.AddProperty(CORE_PROP(TCustomEdit, TEditCharCase, "CharCase", TPropKind::Enum,
                            "TEditCharCase", CharCase, SetCharCase));
    c.AddProperty(CORE_PROP(TCustomEdit, bool, "ReadOnly", TPropKind::Bool, "Boolean", ReadOnly,
                            SetReadOnly));
    c.AddProperty(CORE_PROP(TCustomEdit, int, "MaxLength", TPropKind::Integer, "Integer", MaxLength,
                            SetMaxLength));
    c.AddProperty(CORE_PROP(TCustomEdit, std::string, "TextHint", TPropKind::String, "string",
                            TextHint, SetTextHint));
    return c;
  }();
  return info;
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 121;
  FHeight = 23;
  FColor = clWindow;
  SetTabStop(true);
}

void TCustomEdit::SetText(const std::string& AValue) {
  if (AValue == FText) return;
  StoreText(AValue);
  FModified = true;
  Change();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::SetPasswordChar(char32_t AValue) {
  if (AValue == FPasswordChar) return;
  FPasswordChar = AValue;
  Changed(TControlChange::Style);
}

std::string TCustomEdit::ApplyCharCase(const std::string& AText) const {
  switch (FCharCase) {
    case ecUpperCase:
      return AnsiUpperCase(AText);
    case ecLowerCase:
      return AnsiLowerCase(AText);
    default:
      return AText;
  }
}

void TCustomEdit::SetCharCase(TEditCharCase AValue) {
  if (AValue == FCharCase) return;
  FCharCase = AValue;
  Changed(TControlChange::Style);
  SetText(ApplyCharCase(FText));
}

void TCustomEdit::SetReadOnly(bool AValue) {
  if (AValue == FReadOnly) return;
  FReadOnly = AValue;
  Changed(TControlChange::ReadOnly);
}

void TCustomEdit::SetTextHint(const std::string& AValue) {
  if (AValue == FTextHint) return;
  FTextHint = AValue;
  Changed(TControlChange::Style);
}

void TCustomEdit::SetTextByUser(const std::string& AValue) {
  if (AValue == FText) return;
  if (!CanEditByUser()) {
    Changed(TControlChange::Text);  // the widget shows the model's text again
    return;
  }
  std::string t = ApplyCharCase(AValue);
  if (FMaxLength > 0 && UTF8Length(t) > FMaxLength) {
    // Cut at the code point boundary.
    int n = 0;
    size_t i = 0;
    for (; i < t.size(); ++i)
      if ((static_cast<unsigned char>(t[i]) & 0xC0) != 0x80 && n++ == FMaxLength) break;
    t.resize(i);
  }
  SetText(t);
  if (t != AValue) Changed(TControlChange::Text);
}

void TCustomEdit::AcceptChar(char32_t AKey) {
  if (AKey != 8 && (AKey < 32 || AKey == 127)) return;
  if (!CanEditByUser()) return;
  if (AKey == 8) {  // backspace removes the last character
    if (FText.empty()) return;
    size_t i = FText.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(FText[i]) & 0xC0) == 0x80) --i;
    SetText(FText.substr(0, i));
    return;
  }
  if (AKey < 32 || AKey == 127) return;
  if (FMaxLength > 0 && UTF8Length(FText) >= FMaxLength) return;
  std::string ch;
  AppendUTF8(ch, AKey);
  SetText(FText + ApplyCharCase(ch));
}

const TClassInfo& TEdit::StaticClass() {
  static TClassInfo info("TEdit", &TCustomEdit::StaticClass(), FactoryOf<TEdit>());
  return info;
}
TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

// ---------------------------------------------------------------------------

const TClassInfo& TCustomMemo::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TCustomMemo", &TCustomEdit::StaticClass(), nullptr);
    c.AddProperty(CORE_PROP(TCustomMemo, TScrollStyle, "ScrollBars", TPropKind::Enum,
                            "TScrollStyle", ScrollBars, SetScrollBars));
    c.AddProperty(CORE_PROP(TCustomMemo, bool, "WordWrap", TPropKind::Bool, "Boolean", WordWrap,
                            SetWordWrap));
    return c;
  }();
  return info;
}

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
  FWidth = 185;
  FHeight = 89;
  FLines.OnChange = [this] {
    if (FSyncing) return;
    std::string t = FLines.Text();
    if (!t.empty()) t.pop_back();  // no trailing line break
    FSyncing = true;
    try {
      TCustomEdit::SetText(t);
    } catch (...) {
      FSyncing = false;
      throw;
    }
    FSyncing = false;
  };
}

void TCustomMemo::SetText(const std::string& AValue) {
  if (!FSyncing) {
    FSyncing = true;
    FLines.SetText(AValue);
    FSyncing = false;
  }
  TCustomEdit::SetText(AValue);
}

void TCustomMemo::SetScrollBars(TScrollStyle AValue) {
  if (AValue == FScrollBars) return;
  FScrollBars = AValue;
  Changed(TControlChange::Style);
}

void TCustomMemo::SetWordWrap(bool AValue) {
  if (AValue == FWordWrap) return;
  FWordWrap = AValue;
  Changed(TControlChange::Style);
}

void TCustomMemo::AcceptChar(char32_t AKey) {
  if (AKey == '\r' || AKey == '\n') {
    if (FReadOnly || !FWantReturns) return;
    SetText(FText + "\n");
    return;
  }
  TCustomEdit::AcceptChar(AKey);
}

const TClassInfo& TMemo::StaticClass() {
  static TClassInfo info("TMemo", &TCustomMemo::StaticClass(), FactoryOf<TMemo>());
  return info;
}
TMemo::TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}

// ---------------------------------------------------------------------------

const TClassInfo& TButtonControl::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TButtonControl", &TWinControl::StaticClass(), nullptr);
    AddCaptionProperty(c);
    return c;
  }();
  return info;
}

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
}

const TClassInfo& TButton::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TButton", &TButtonControl::StaticClass(), FactoryOf<TButton>());
    c.AddProperty(CORE_PROP(TButton, int, "ModalResult", TPropKind::Integer, "TModalResult",
                            ModalResult, SetModalResult));
    c.AddProperty(
        CORE_PROP(TButton, bool, "Default", TPropKind::Bool, "Boolean", Default, SetDefault));
    c.AddProperty(
        CORE_PROP(TButton, bool, "Cancel", TPropKind::Bool, "Boolean", Cancel, SetCancel));
    return c;
  }();
  return info;
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 75;
  FHeight = 25;
}

void TButton::Click() {
  if (FModalResult != mrNone)
    if (TCustomForm* f = GetParentForm()) f->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::SetDefault(bool AValue) {
  if (AValue == FDefault) return;
  FDefault = AValue;
  Changed(TControlChange::Style);
}

// ---------------------------------------------------------------------------

const TClassInfo& TCustomCheckBox::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TCustomCheckBox", &TButtonControl::StaticClass(), nullptr);
    c.AddProperty(CORE_PROP(TCustomCheckBox, bool, "Checked", TPropKind::Bool, "Boolean", Checked,
                            SetChecked));
    c.AddProperty(CORE_PROP(TCustomCheckBox, TCheckBoxState, "State", TPropKind::Enum,
                            "TCheckBoxState", State, SetState));
    c.AddProperty(CORE_PROP(TCustomCheckBox, bool, "AllowGrayed", TPropKind::Bool, "Boolean",
                            AllowGrayed, SetAllowGrayed));
    return c;
  }();
  return info;
}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 97;
  FHeight = 17;
}

void TCustomCheckBox::SetState(TCheckBoxState AValue) {
  if (AValue == FState) return;
  FState = AValue;
  Changed(TControlChange::Checked);
  Click();
}

void TCustomCheckBox::SetReadOnly(bool AValue) {
  if (AValue == FReadOnly) return;
  FReadOnly = AValue;
  Changed(TControlChange::ReadOnly);
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked:
      SetState(FAllowGrayed ? cbGrayed : cbChecked);
      break;
    case cbChecked:
      SetState(cbUnchecked);
      break;
    case cbGrayed:
      SetState(cbChecked);
      break;
  }
}

void TCustomCheckBox::UserClick() {
  if (!FReadOnly) Toggle();
}

void TCustomCheckBox::AcceptChar(char32_t AKey) {
  if (AKey == ' ' && !FReadOnly) Toggle();
}

const TClassInfo& TCheckBox::StaticClass() {
  static TClassInfo info("TCheckBox", &TCustomCheckBox::StaticClass(), FactoryOf<TCheckBox>());
  return info;
}
TCheckBox::TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}

// ---------------------------------------------------------------------------

const TClassInfo& TRadioButton::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TRadioButton", &TButtonControl::StaticClass(), FactoryOf<TRadioButton>());
    c.AddProperty(
        CORE_PROP(TRadioButton, bool, "Checked", TPropKind::Bool, "Boolean", Checked, SetChecked));
    return c;
  }();
  return info;
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 113;
  FHeight = 17;
}

void TRadioButton::SetChecked(bool AValue) {
  if (AValue == FChecked) return;
  FChecked = AValue;
  Changed(TControlChange::Checked);
  if (AValue) {
    if (FParent)
      for (int i = 0; i < FParent->ControlCount(); ++i)
        if (auto* r = dynamic_cast<TRadioButton*>(FParent->Controls(i)); r && r != this)
          r->SetChecked(false);
    Click();
  }
}

void TRadioButton::UserClick() {
  SetChecked(true);
}

// ---------------------------------------------------------------------------

const TClassInfo& TCustomComboBox::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TCustomComboBox", &TWinControl::StaticClass(), nullptr);
    AddTextProperty(c);
    c.AddProperty(CORE_PROP(TCustomComboBox, int, "ItemIndex", TPropKind::Integer, "Integer",
                            ItemIndex, SetItemIndex));
    c.AddProperty(CORE_PROP(TCustomComboBox, TComboBoxStyle, "Style", TPropKind::Enum,
                            "TComboBoxStyle", Style, SetStyle));
    c.AddProperty(CORE_PROP(TCustomComboBox, int, "DropDownCount", TPropKind::Integer, "Integer",
                            DropDownCount, SetDropDownCount));
    c.AddProperty(
        CORE_PROP(TCustomComboBox, bool, "Sorted", TPropKind::Bool, "Boolean", Sorted, SetSorted));
    return c;
  }();
  return info;
}

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 145;
  FHeight = 23;
  FColor = clWindow;
  SetTabStop(true);
  FItems.OnChange = [this] { ItemsChanged(); };
}

void TCustomComboBox::ItemsChanged() {
  if (FSorting) return;
  if (FSorted) {
    std::vector<std::string> v = FItems.Lines();
    std::stable_sort(v.begin(), v.end(), [](const std::string& a, const std::string& b) {
      return AnsiLowerCase(a) < AnsiLowerCase(b);
    });
    FSorting = true;
    TStrings s;
    for (auto& l : v) s.Add(l);
    FItems.Assign(s);
    FSorting = false;
  }
  if (FItemIndex >= FItems.Count()) FItemIndex = -1;
  if (FStyle == csDropDownList) {
    FItemIndex = -1;
    StoreText("");
  } else {
    // Keep the text; point ItemIndex at a matching entry if any.
    FItemIndex = -1;
    for (int i = 0; i < FItems.Count(); ++i)
      if (FItems[i] == FText) {
        FItemIndex = i;
        break;
      }
  }
  Changed(TControlChange::Items);
}

void TCustomComboBox::SetSorted(bool AValue) {
  if (AValue == FSorted) return;
  FSorted = AValue;
  if (AValue) ItemsChanged();
}

void TCustomComboBox::SetItemIndex(int AValue) {
  if (AValue < -1 || AValue >= FItems.Count()) AValue = -1;
  FItemIndex = AValue;
  StoreText(AValue >= 0 ? FItems[AValue] : std::string());
  Changed(TControlChange::ItemIndex);
}

void TCustomComboBox::SetText(const std::string& AValue) {
  if (FStyle == csDropDownList) {
    // Only an entry of the list can be shown (matched ignoring case).
    int i = FItems.IndexOf(AValue);
    if (i < 0 && !AValue.empty()) return;
    if (i == FItemIndex && (i >= 0 || FText.empty())) return;
    SetItemIndex(i);
    Change();
    return;
  }
  if (AValue == FText) return;
  StoreText(AValue);
  int idx = -1;
  for (int i = 0; i < FItems.Count(); ++i)
    if (FItems[i] == AValue) {
      idx = i;
      break;
    }
  if (idx != FItemIndex) {
    FItemIndex = idx;
    Changed(TControlChange::ItemIndex);
  }
  Change();
}

void TCustomComboBox::SetStyle(TComboBoxStyle AValue) {
  if (AValue == FStyle) return;
  FStyle = AValue;
  if (FStyle == csDropDownList && FItemIndex < 0) StoreText("");
  Changed(TControlChange::Style);
}

void TCustomComboBox::SelectByUser(int AIndex) {
  if (AIndex < 0 || AIndex >= FItems.Count())
    throw EToolkitError("Índice de item fora dos limites: " + std::to_string(AIndex));
  if (!CanEditByUser()) {
    Changed(TControlChange::ItemIndex);  // the widget shows the model's choice again
    return;
  }
  SetItemIndex(AIndex);
  Click();
  Select();
}

void TCustomComboBox::Clear() {
  FItems.Clear();
  SetItemIndex(-1);
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TCustomComboBox::SetTextByUser(const std::string& AValue) {
  if (FStyle == csDropDownList || AValue == FText) return;
  if (!CanEditByUser()) {
    Changed(TControlChange::Text);
    return;
  }
  SetText(AValue);
}

void TCustomComboBox::AcceptChar(char32_t AKey) {
  if (FStyle == csDropDownList) return;
  if (AKey != 8 && AKey < 32) return;
  if (!CanEditByUser()) return;
  if (AKey == 8) {
    if (FText.empty()) return;
    size_t i = FText.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(FText[i]) & 0xC0) == 0x80) --i;
    SetText(FText.substr(0, i));
    return;
  }
  if (AKey < 32) return;
  std::string ch;
  AppendUTF8(ch, AKey);
  if (FCharCase == ecUpperCase) ch = AnsiUpperCase(ch);
  if (FCharCase == ecLowerCase) ch = AnsiLowerCase(ch);
  SetText(FText + ch);
}

const TClassInfo& TComboBox::StaticClass() {
  static TClassInfo info("TComboBox", &TCustomComboBox::StaticClass(), FactoryOf<TComboBox>());
  return info;
}
TComboBox::TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}

// ---------------------------------------------------------------------------

const TClassInfo& TCustomGroupBox::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TCustomGroupBox", &TCustomControl::StaticClass(), nullptr);
    AddCaptionProperty(c);
    return c;
  }();
  return info;
}

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 185;
  FHeight = 105;
}

TRect TCustomGroupBox::AdjustClientRect() const {
  // The caption band at the top, then a two-pixel frame.
  int caption = MeasureText("0", FFont).cy;
  TRect r = ClientRect();
  return Rect(r.Left + 2, r.Top + caption + 2, r.Right - 2, r.Bottom - 2);
}

const TClassInfo& TGroupBox::StaticClass() {
  static TClassInfo info("TGroupBox", &TCustomGroupBox::StaticClass(), FactoryOf<TGroupBox>());
  return info;
}
TGroupBox::TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}

}  // namespace ui
