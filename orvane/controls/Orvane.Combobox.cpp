#include "orvane/controls/Orvane.Combobox.h"

#include <charconv>

namespace orvane {

namespace {

// A position the browser reported: an integer (as a number or as a whole
// text), else 0.
long long PositionOf(const nlohmann::json& AValue) {
  if (AValue.is_number_integer()) return AValue.get<long long>();
  if (!AValue.is_string()) return 0;
  const std::string& text = AValue.get_ref<const std::string&>();
  long long n = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  return error == std::errc() && end == text.data() + text.size() ? n : 0;
}

}  // namespace

const core::TClassInfo& TOrvaneCombobox::StaticClass() {
  static core::TClassInfo info("TOrvaneCombobox", &TOrvaneControl::StaticClass(),
                               core::FactoryOf<TOrvaneCombobox>());
  return info;
}

const core::TStrings& TOrvaneCombobox::GetItems() {
  if (ProcGetItems)
    if (core::TStrings* items = ProcGetItems()) return *items;
  return FStoredItems;
}

std::string TOrvaneCombobox::GetSelectedItem() {
  return ProcGetSelectedItem ? VarToStr(ProcGetSelectedItem()) : FStoredSelectedItem;
}

void TOrvaneCombobox::SetSelectedItem(const std::string& AValue) {
  if (ProcSetSelectedItem && AValue != FStoredSelectedItem) ProcSetSelectedItem(AValue);
  FStoredSelectedItem = AValue;
}

void TOrvaneCombobox::Initialize() {
  TOrvaneControl::Initialize();
  FStoredSelectedItem = GetSelectedItem();
  const core::TStrings& items = GetItems();
  if (&items != &FStoredItems) FStoredItems.Assign(items);
}

std::string TOrvaneCombobox::OptionsHTML() const {
  std::string options;
  if (FStoredItems.IndexOf(FStoredSelectedItem) < 0)
    options = "<option hidden disabled selected value>Selecione</option>";
  for (int i = 0; i < FStoredItems.Count(); ++i) {
    const std::string& item = FStoredItems[i];
    options += std::string(SameText(item, FStoredSelectedItem) ? "<option selected value=\""
                                                               : "<option value=\"") +
               std::to_string(i + 1) + "\">" + HTMLEscape(item) + "</option>";
  }
  return options;
}

void TOrvaneCombobox::ProcessHTML() {
  FHTMLControl =
      "<select  " + FHTMLCore + " aria-label=\"Selecione\" >" + OptionsHTML() + "</select>";
}

void TOrvaneCombobox::ProcessComponentState(const nlohmann::json& AState) {
  auto index = AState.find("selecteditemindex");
  if (index == AState.end()) return;
  const core::TStrings& items = GetItems();
  long long n = PositionOf(*index);
  SetSelectedItem(n <= 0 || n > items.Count() ? std::string() : items[static_cast<int>(n - 1)]);
}

void TOrvaneCombobox::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  const core::TStrings& items = GetItems();
  std::string selected = GetSelectedItem();
  bool itemsChanged = &items != &FStoredItems && items.Lines() != FStoredItems.Lines();
  if (itemsChanged || AForceUpdate) {
    // The options are replaced inside the element, which keeps its
    // listeners; they carry the selection too.
    if (&items != &FStoredItems) FStoredItems.Assign(items);
    FStoredSelectedItem = selected;
    ProcessHTML();
    ScriptJS.push_back(ElementJS() + ".innerHTML = " + FormatValueHTML(OptionsHTML()) + ";");
    return;
  }
  if (selected == FStoredSelectedItem) return;
  FStoredSelectedItem = selected;
  int position = items.IndexOf(selected) + 1;
  if (position > 0) {
    ScriptJS.push_back(ElementJS() + ".value = " + FormatValueHTML(std::to_string(position)) + ";");
  } else {
    // No option holds it: the placeholder shows instead.
    ProcessHTML();
    ScriptJS.push_back(ElementJS() + ".innerHTML = " + FormatValueHTML(OptionsHTML()) + ";");
  }
}

void TOrvaneCombobox::ClearHooks() {
  TOrvaneControl::ClearHooks();
  ProcGetItems = nullptr;
  ProcSetSelectedItem = nullptr;
  ProcGetSelectedItem = nullptr;
}

}  // namespace orvane
