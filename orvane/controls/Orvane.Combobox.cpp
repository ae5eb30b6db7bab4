#include "orvane/controls/Orvane.Combobox.h"

namespace orvane {

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

void TOrvaneCombobox::ProcessComponentState(const nlohmann::json& AState) {
  auto index = AState.find("selecteditemindex");
  if (index == AState.end()) return;
  const core::TStrings& items = GetItems();
  long long n = PositionOf(*index);
  SetSelectedItem(n <= 0 || n > items.Count() ? std::string() : items[static_cast<int>(n - 1)]);
}

void TOrvaneCombobox::ClearHooks() {
  TOrvaneControl::ClearHooks();
  ProcGetItems = nullptr;
  ProcSetSelectedItem = nullptr;
  ProcGetSelectedItem = nullptr;
}

}  // namespace orvane
