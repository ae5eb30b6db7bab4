// The web combo box: a select element over the desktop combo box's items.
// The option the browser reports reaches the desktop before an event runs;
// a changed selection or item list is pushed on the next observer pass. The
// page never shows a selection the desktop does not hold: a selection that
// is not among the items shows the "Selecione" placeholder. The data-aware
// combo box is the same select element over a field.
#pragma once

#include <charconv>
#include <string>

#include "orvane/controls/Orvane.Forms.Controls.h"

namespace orvane {

class IOrvaneCombobox {
 public:
  virtual ~IOrvaneCombobox() = default;
  virtual void SetSelectedItem(const std::string& AValue) = 0;
  virtual std::string GetSelectedItem() = 0;
  virtual const core::TStrings& GetItems() = 0;
};

// What the plain and the data-aware combo box share, over the control base
// TBase and the typed interface TInterface: the select element, the stored
// item list and selection, and the pushes of a changed list (the options
// replaced) or selection (the element's value, or the options again when
// no option holds it). Each member says where its items and selection come
// from and go to, and which options show a selection (OptionsHTML).
template <class TBase, class TInterface>
class TOrvaneComboboxSelect : public TBase, public TInterface {
 public:
  using TBase::TBase;

  // The control's own list (used without a hook).
  core::TStrings& StoredItems() { return FStoredItems; }

  bool GetEnableComponentState() override { return true; }
  void Initialize() override;
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;

 protected:
  // The option elements for the stored items and selection.
  virtual std::string OptionsHTML() const = 0;
  // A position the browser reported: an integer (as a number or as a whole
  // text), else 0.
  static long long PositionOf(const nlohmann::json& AValue);

  std::string FStoredSelectedItem;
  core::TStrings FStoredItems;
};

class TOrvaneCombobox : public TOrvaneComboboxSelect<TOrvaneControl, IOrvaneCombobox> {
  CORE_DECLARE_CLASS()
 public:
  explicit TOrvaneCombobox(core::TComponent* AOwner) : TOrvaneComboboxSelect(AOwner) {}

  // The hook's list, else the control's own.
  const core::TStrings& GetItems() override;
  // The hook's text, else the stored one.
  std::string GetSelectedItem() override;
  // Writes a changed selection through the hook, then stores it.
  void SetSelectedItem(const std::string& AValue) override;

  TOnGetStrings ProcGetItems;
  TOnSetValue ProcSetSelectedItem;
  TOnGetValue ProcGetSelectedItem;

  bool IsCombobox() override { return true; }
  // The key "selecteditemindex": the 1-based position of the chosen item;
  // anything else (the placeholder, a text, a position off the list)
  // selects nothing.
  void ProcessComponentState(const nlohmann::json& AState) override;

 protected:
  void ClearHooks() override;
  // The "Selecione" placeholder when the selection is not among the items.
  std::string OptionsHTML() const override;
};

template <class TBase, class TInterface>
long long TOrvaneComboboxSelect<TBase, TInterface>::PositionOf(const nlohmann::json& AValue) {
  if (AValue.is_number_integer()) return AValue.template get<long long>();
  if (!AValue.is_string()) return 0;
  const std::string& text = AValue.template get_ref<const std::string&>();
  long long n = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  return error == std::errc() && end == text.data() + text.size() ? n : 0;
}

template <class TBase, class TInterface>
void TOrvaneComboboxSelect<TBase, TInterface>::Initialize() {
  TBase::Initialize();
  FStoredSelectedItem = this->GetSelectedItem();
  const core::TStrings& items = this->GetItems();
  if (&items != &FStoredItems) FStoredItems.Assign(items);
}

template <class TBase, class TInterface>
void TOrvaneComboboxSelect<TBase, TInterface>::ProcessHTML() {
  this->FHTMLControl =
      "<select  " + this->FHTMLCore + " aria-label=\"Selecione\" >" + OptionsHTML() + "</select>";
}

template <class TBase, class TInterface>
void TOrvaneComboboxSelect<TBase, TInterface>::UpdateServerControls(TStringList& ScriptJS,
                                                                    bool AForceUpdate) {
  TBase::UpdateServerControls(ScriptJS, AForceUpdate);
  const core::TStrings& items = this->GetItems();
  std::string selected = this->GetSelectedItem();
  bool itemsChanged = &items != &FStoredItems && items.Lines() != FStoredItems.Lines();
  if (itemsChanged || AForceUpdate) {
    // The options are replaced inside the element, which keeps its
    // listeners; they carry the selection too.
    if (&items != &FStoredItems) FStoredItems.Assign(items);
    FStoredSelectedItem = selected;
    ProcessHTML();
    ScriptJS.push_back(this->ElementJS() + ".innerHTML = " + FormatValueHTML(OptionsHTML()) + ";");
    return;
  }
  if (selected == FStoredSelectedItem) return;
  FStoredSelectedItem = selected;
  int position = FStoredItems.IndexOf(selected) + 1;
  if (position > 0) {
    ScriptJS.push_back(this->ElementJS() + ".value = " + FormatValueHTML(std::to_string(position)) +
                       ";");
  } else {
    // No option holds it: the options show it (or the placeholder) instead.
    ProcessHTML();
    ScriptJS.push_back(this->ElementJS() + ".innerHTML = " + FormatValueHTML(OptionsHTML()) + ";");
  }
}

}  // namespace orvane
