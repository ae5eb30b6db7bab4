// Main and popup menus with items and keyboard shortcuts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/Controls.h"

namespace ui {

// A shortcut: the virtual key in the low byte plus modifier bits.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(uint16_t AKey, TShiftState AShift);
// "Ctrl+F4", "Shift+Ctrl+A", "Del"...; an empty text or 0 for none.
std::string ShortCutToText(TShortCut AShortCut);
// Parses the text form; throws EToolkitError on text it does not understand.
TShortCut TextToShortCut(std::string_view AText);

class TMenu;

class TMenuItem : public TComponent {
  CORE_DECLARE_CLASS()
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& AValue);
  // A caption of "-" makes a separator.
  bool IsLine() const { return FCaption == "-"; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut AValue);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool AValue);
  bool Visible() const { return FVisible; }
  void SetVisible(bool AValue);
  bool Checked() const { return FChecked; }
  void SetChecked(bool AValue);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& AValue) { FHint = AValue; }

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int AIndex) const { return FItems.at(AIndex); }
  TMenuItem* Parent() const { return FParent; }
  int MenuIndex() const;
  void Add(TMenuItem* AItem);
  void Insert(int AIndex, TMenuItem* AItem);
  void Remove(TMenuItem* AItem);
  void Delete(int AIndex);
  // Frees the sub-items.
  void Clear();
  // The menu the item belongs to, or nullptr.
  TMenu* GetParentMenu() const;

  // Runs OnClick when the item is enabled (as a user's choice does).
  virtual void Click();
  // The item (itself or a descendant) with this shortcut, if enabled and visible.
  TMenuItem* FindShortCut(TShortCut AShortCut);

  TNotifyEvent OnClick;

 private:
  void Changed();

  std::string FCaption;
  TShortCut FShortCut = 0;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
  std::string FHint;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on the root item

  friend class TMenu;
};

class TMenu : public TComponent {
  CORE_DECLARE_CLASS()
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  TMenuItem* Items() const { return FItems; }
  // Runs the item bound to the shortcut; true when one ran.
  bool IsShortCut(TShortCut AShortCut);
  // Called when an item or its children change (backends rebuild).
  std::function<void()> OnChange;

 private:
  TMenuItem* FItems;
};

class TMainMenu : public TMenu {
  CORE_DECLARE_CLASS()
 public:
  explicit TMainMenu(TComponent* AOwner);
};

class TPopupMenu : public TMenu {
  CORE_DECLARE_CLASS()
 public:
  explicit TPopupMenu(TComponent* AOwner);
  // Shows the menu at a screen position (OnPopup first).
  virtual void Popup(int X, int Y);
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool AValue) { FAutoPopup = AValue; }
  // The control the menu was last shown for.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* AValue);
  TNotifyEvent OnPopup;

 protected:
  void Notification(TComponent* AComponent, TOperation AOperation) override;

 private:
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
};

}  // namespace ui
