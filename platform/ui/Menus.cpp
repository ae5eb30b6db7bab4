#include "platform/ui/Menus.h"

#include <algorithm>

#include "platform/ui/Forms.h"

namespace ui {

TShortCut ShortCut(uint16_t AKey, TShiftState AShift) {
  TShortCut s = static_cast<TShortCut>(AKey & 0xFF);
  if (AShift & ssShift) s |= scShift;
  if (AShift & ssCtrl) s |= scCtrl;
  if (AShift & ssAlt) s |= scAlt;
  return s;
}

namespace {
struct TKeyName {
  uint16_t Key;
  const char* Name;
};
constexpr TKeyName KeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},    {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},  {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

std::string KeyText(uint16_t key) {
  for (const auto& k : KeyNames)
    if (k.Key == key) return k.Name;
  if (key >= VK_F1 && key <= VK_F12) return "F" + std::to_string(key - VK_F1 + 1);
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    return std::string(1, static_cast<char>(key));
  return "";
}
}  // namespace

std::string ShortCutToText(TShortCut AShortCut) {
  if (AShortCut == 0) return "";
  std::string key = KeyText(AShortCut & 0xFF);
  if (key.empty()) return "";
  std::string s;
  if (AShortCut & scShift) s += "Shift+";
  if (AShortCut & scCtrl) s += "Ctrl+";
  if (AShortCut & scAlt) s += "Alt+";
  return s + key;
}

TShortCut TextToShortCut(std::string_view AText) {
  if (AText.empty()) return 0;
  TShortCut mods = 0;
  std::string_view rest = AText;
  for (;;) {
    size_t plus = rest.find('+');
    if (plus == std::string_view::npos || plus + 1 >= rest.size()) break;
    std::string_view m = rest.substr(0, plus);
    if (SameText(m, "Shift"))
      mods |= scShift;
    else if (SameText(m, "Ctrl"))
      mods |= scCtrl;
    else if (SameText(m, "Alt"))
      mods |= scAlt;
    else
      break;
    rest = rest.substr(plus + 1);
  }
  for (uint16_t k = 1; k < 256; ++k) {
    std::string t = KeyText(k);
    if (!t.empty() && SameText(t, rest)) return static_cast<TShortCut>(mods | k);
  }
  throw EToolkitError("Tecla de atalho inválida: " + std::string(AText));
}

// ---------------------------------------------------------------------------

const TClassInfo& TMenuItem::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TMenuItem", &TComponent::StaticClass(), FactoryOf<TMenuItem>());
    c.AddProperty(CORE_PROP(TMenuItem, std::string, "Caption", TPropKind::String, "TCaption",
                            Caption, SetCaption));
    c.AddProperty(CORE_PROP(TMenuItem, int, "ShortCut", TPropKind::Integer, "TShortCut", ShortCut,
                            SetShortCut));
    c.AddProperty(
        CORE_PROP(TMenuItem, bool, "Enabled", TPropKind::Bool, "Boolean", Enabled, SetEnabled));
    c.AddProperty(
        CORE_PROP(TMenuItem, bool, "Visible", TPropKind::Bool, "Boolean", Visible, SetVisible));
    c.AddProperty(
        CORE_PROP(TMenuItem, bool, "Checked", TPropKind::Bool, "Boolean", Checked, SetChecked));
    return c;
  }();
  return info;
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  BeginDestroy();
  while (!FItems.empty()) {
    TMenuItem* child = FItems.back();
    FItems.pop_back();
    child->FParent = nullptr;
    child->Free();
  }
  if (FParent) FParent->Remove(this);
}

void TMenuItem::Changed() {
  if (Destroying()) return;
  TMenu* m = GetParentMenu();
  if (m && m->OnChange && !m->Destroying()) m->OnChange();
}

void TMenuItem::SetCaption(const std::string& AValue) {
  if (AValue == FCaption) return;
  FCaption = AValue;
  Changed();
}
void TMenuItem::SetShortCut(TShortCut AValue) {
  if (AValue == FShortCut) return;
  FShortCut = AValue;
  Changed();
}
void TMenuItem::SetEnabled(bool AValue) {
  if (AValue == FEnabled) return;
  FEnabled = AValue;
  Changed();
}
void TMenuItem::SetVisible(bool AValue) {
  if (AValue == FVisible) return;
  FVisible = AValue;
  Changed();
}
void TMenuItem::SetChecked(bool AValue) {
  if (AValue == FChecked) return;
  FChecked = AValue;
  Changed();
}

int TMenuItem::MenuIndex() const {
  if (!FParent) return -1;
  auto& v = FParent->FItems;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TMenuItem::Add(TMenuItem* AItem) {
  Insert(Count(), AItem);
}

void TMenuItem::Insert(int AIndex, TMenuItem* AItem) {
  if (!AItem) return;
  if (AItem->FParent) throw EToolkitError("O item de menu já pertence a outro menu");
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == AItem) throw EToolkitError("Um item de menu não pode conter a si mesmo");
  if (AIndex < 0 || AIndex > Count()) AIndex = Count();
  FItems.insert(FItems.begin() + AIndex, AItem);
  AItem->FParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* AItem) {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  if (it == FItems.end()) return;
  FItems.erase(it);
  AItem->FParent = nullptr;
  Changed();
}

void TMenuItem::Delete(int AIndex) {
  Remove(FItems.at(AIndex));
}

void TMenuItem::Clear() {
  while (!FItems.empty()) FItems.back()->Free();
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->FParent) i = i->FParent;
  return i->FMenu;
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FindShortCut(TShortCut AShortCut) {
  if (!FEnabled || !FVisible || AShortCut == 0) return nullptr;
  if (FShortCut == AShortCut && FParent) return this;
  for (TMenuItem* c : FItems)
    if (TMenuItem* f = c->FindShortCut(AShortCut)) return f;
  return nullptr;
}

// ---------------------------------------------------------------------------

const TClassInfo& TMenu::StaticClass() {
  static TClassInfo info("TMenu", &TComponent::StaticClass(), nullptr);
  return info;
}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  BeginDestroy();
  FItems->Free();
}

bool TMenu::IsShortCut(TShortCut AShortCut) {
  TMenuItem* item = FItems->FindShortCut(AShortCut);
  if (!item) return false;
  item->Click();
  return true;
}

const TClassInfo& TMainMenu::StaticClass() {
  static TClassInfo info("TMainMenu", &TMenu::StaticClass(), FactoryOf<TMainMenu>());
  return info;
}
TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

const TClassInfo& TPopupMenu::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TPopupMenu", &TMenu::StaticClass(), FactoryOf<TPopupMenu>());
    c.AddProperty(CORE_PROP(TPopupMenu, bool, "AutoPopup", TPropKind::Bool, "Boolean", AutoPopup,
                            SetAutoPopup));
    return c;
  }();
  return info;
}
TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TPopupMenu::SetPopupComponent(TComponent* AValue) {
  if (AValue == FPopupComponent) return;
  if (FPopupComponent) RemoveFreeNotification(FPopupComponent);
  FPopupComponent = AValue;
  if (AValue) FreeNotification(AValue);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation AOperation) {
  TMenu::Notification(AComponent, AOperation);
  if (AOperation == TOperation::opRemove && AComponent == FPopupComponent)
    FPopupComponent = nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  Application->Backend()->Popup(*this, X, Y);
}

}  // namespace ui
