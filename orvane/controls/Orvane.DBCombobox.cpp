#include "orvane/controls/Orvane.DBCombobox.h"

#include <charconv>

namespace orvane {

namespace {

long long PositionOf(const nlohmann::json& AValue) {
  if (AValue.is_number_integer()) return AValue.get<long long>();
  if (!AValue.is_string()) return 0;
  const std::string& text = AValue.get_ref<const std::string&>();
  long long n = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  return error == std::errc() && end == text.data() + text.size() ? n : 0;
}

}  // namespace

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

void TOrvaneDBCombobox::Initialize() {
  TOrvaneControl::Initialize();
  FStoredSelectedItem = GetSelectedItem();
  const core::TStrings& items = GetItems();
  if (&items != &FStoredItems) FStoredItems.Assign(items);
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

void TOrvaneDBCombobox::ProcessHTML() {
  FHTMLControl =
      "<select  " + FHTMLCore + " aria-label=\"Selecione\" >" + OptionsHTML() + "</select>";
}

void TOrvaneDBCombobox::ProcessComponentState(const nlohmann::json& AState) {
  auto index = AState.find("selecteditemindex");
  if (index == AState.end()) return;
  // Positions are those of the options the page was given.
  long long n = PositionOf(*index);
  if (n <= 0 || n > FStoredItems.Count()) return;
  SetSelectedItem(FStoredItems[static_cast<int>(n - 1)]);
}

void TOrvaneDBCombobox::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  const core::TStrings& items = GetItems();
  std::string selected = GetSelectedItem();
  bool itemsChanged = &items != &FStoredItems && items.Lines() != FStoredItems.Lines();
  if (itemsChanged || AForceUpdate) {
    // The options are replaced inside the element, which keeps its
    // listeners; they carry the selection too.
    if (&items != &FStoredItems) FStoredItems.Assign(items);
    FStoredSelectedItem = selected;
    ScriptJS.push_back(ElementJS() + ".innerHTML = " + FormatValueHTML(OptionsHTML()) + ";");
    return;
  }
  if (selected == FStoredSelectedItem) return;
  FStoredSelectedItem = selected;
  int position = FStoredItems.IndexOf(selected) + 1;
  if (position > 0)
    ScriptJS.push_back(ElementJS() + ".value = " + FormatValueHTML(std::to_string(position)) + ";");
  else
    ScriptJS.push_back(ElementJS() + ".innerHTML = " + FormatValueHTML(OptionsHTML()) + ";");
}

void TOrvaneDBCombobox::ClearHooks() {
  TOrvaneControl::ClearHooks();
  FProcGetItems = nullptr;
}

}  // namespace orvane
