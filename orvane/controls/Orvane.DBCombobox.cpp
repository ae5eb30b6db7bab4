#include "orvane/controls/Orvane.DBCombobox.h"

namespace orvane {

const core::TClassInfo& TOrvaneDBCombobox::StaticClass() {
  static core::TClassInfo info("TOrvaneDBCombobox", &TOrvaneDBControl::StaticClass(),
                               core::FactoryOf<TOrvaneDBCombobox>());
  return info;
}

const core::TStrings& TOrvaneDBCombobox::GetItems() {
  if (FProcGetItems)
    if (core::TStrings* items = FProcGetItems()) return *items;
  return FStoredItems;
}

std::string TOrvaneDBCombobox::GetSelectedItem() {
  db::TField* field = BoundField();
  return field ? field->AsString() : "";
}

void TOrvaneDBCombobox::SetSelectedItem(const std::string& AValue) {
  if (!DataAvailable()) return;
  if (ApplyingState() && !Editing() && AValue != FStoredSelectedItem) StartEdit();
  db::TField* field = BoundField();
  if (Editing() && field && AValue != FStoredSelectedItem) field->SetAsString(AValue);
  if (field) FStoredSelectedItem = AValue;
}

std::string TOrvaneDBCombobox::OptionsHTML() const {
  std::string options;
  if (FStoredSelectedItem.empty())
    options = "<option hidden disabled selected value>Selecione</option>";
  else if (FStoredItems.IndexOf(FStoredSelectedItem) < 0)
    // The field holds a value the list lacks: shown as it is, and chosen
    // again it changes nothing.
    options = "<option selected value=\"\">" + HTMLEscape(FStoredSelectedItem) + "</option>";
  for (int i = 0; i < FStoredItems.Count(); ++i) {
    const std::string& item = FStoredItems[i];
    options += std::string(!FStoredSelectedItem.empty() && SameText(item, FStoredSelectedItem)
                               ? "<option selected value=\""
                               : "<option value=\"") +
               std::to_string(i + 1) + "\">" + HTMLEscape(item) + "</option>";
  }
  return options;
}

void TOrvaneDBCombobox::ProcessComponentState(const nlohmann::json& AState) {
  auto index = AState.find("selecteditemindex");
  if (index == AState.end()) return;
  // Positions are those of the options the page was given.
  long long n = PositionOf(*index);
  if (n <= 0 || n > FStoredItems.Count()) return;
  SetSelectedItem(FStoredItems[static_cast<int>(n - 1)]);
}

void TOrvaneDBCombobox::ClearHooks() {
  TOrvaneControl::ClearHooks();
  FProcGetItems = nullptr;
}

}  // namespace orvane
