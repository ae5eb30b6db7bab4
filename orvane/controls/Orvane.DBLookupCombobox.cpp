#include "orvane/controls/Orvane.DBLookupCombobox.h"

#include <algorithm>

#include "orvane/controls/Orvane.Forms.h"

namespace orvane {

const core::TClassInfo& TOrvaneDBLookupCombobox::StaticClass() {
  static core::TClassInfo info("TOrvaneDBLookupCombobox", &TOrvaneDBControl::StaticClass(),
                               core::FactoryOf<TOrvaneDBLookupCombobox>());
  return info;
}

void TOrvaneDBLookupCombobox::TOrvaneDBLookupComboboxListDataLink::ActiveChanged() {
  bool active = Active();
  if (active != FDataActive) FControl.UpdateData();
  FDataActive = active;
}

TOrvaneDBLookupCombobox::TOrvaneDBLookupCombobox(core::TComponent* AOwner)
    : TOrvaneDBControl(AOwner) {
  // Opened or closed: the options follow.
  FDataLink.OnActiveChanged = [this](bool AActive, bool AWasActive) {
    if (AActive != AWasActive) UpdateData();
  };
}

TOrvaneDBLookupCombobox::~TOrvaneDBLookupCombobox() {
  SetListDataSource(nullptr);
}

void TOrvaneDBLookupCombobox::SetListDataSource(db::TDataSource* AValue) {
  db::TDataSource* old = FListDataLink.DataSource();
  if (old == AValue) return;
  if (old && old != FDataLink.DataSource()) RemoveFreeNotification(old);
  FListDataLink.SetDataSource(AValue);
  if (AValue) FreeNotification(AValue);
}

void TOrvaneDBLookupCombobox::Notification(core::TComponent* AComponent,
                                           core::TOperation AOperation) {
  TOrvaneDBControl::Notification(AComponent, AOperation);
  if (AOperation == core::TOperation::opRemove && AComponent == FListDataLink.DataSource())
    FListDataLink.SetDataSource(nullptr);
}

std::string TOrvaneDBLookupCombobox::GetSelectedItem() {
  if (DataAvailable()) {
    db::TField* field = BoundField();
    return field ? field->AsString() : "";
  }
  return FProcGetText ? VarToStr(FProcGetText()) : std::string();
}

void TOrvaneDBLookupCombobox::SetSelectedItem(const std::string& AValue) {
  if (DataAvailable()) {
    if (ApplyingState() && !Editing() && AValue != FStoredSelectedItem) StartEdit();
    db::TField* field = BoundField();
    if (Editing() && field && AValue != FStoredSelectedItem) field->SetAsString(AValue);
  } else if (FProcSetText) {
    FProcSetText(AValue);
  }
  FStoredSelectedItem = AValue;
}

void TOrvaneDBLookupCombobox::Initialize() {
  TOrvaneControl::Initialize();
  FStoredSelectedItem = GetSelectedItem();
}

std::string TOrvaneDBLookupCombobox::OptionsHTML() {
  const std::string selected = GetSelectedItem();
  const bool data = DataAvailable();
  std::string options;
  FRenderedKeys.clear();
  if (data && selected.empty())
    options += "<option hidden disabled selected value>Selecione</option>";
  db::TDataSet* list = FListDataLink.DataSet();
  db::TField* keyField = list && list->Active() ? list->FindField(FListDataLink.FKeyFieldName)
                                                : nullptr;
  db::TField* listField = list && list->Active() ? list->FindField(FListDataLink.FieldName)
                                                 : nullptr;
  bool matched = false;
  std::string rows;
  if (keyField && listField) {
    int count = list->RecordCount();
    if (FMaxRecords > 0) count = std::min(count, FMaxRecords);
    // Read by record number: the list dataset stays where it is.
    for (int rec = 1; rec <= count; ++rec) {
      std::string key = list->RowText(rec, *keyField);
      std::string text = list->RowText(rec, *listField);
      bool isSelected = !matched && !selected.empty() && SameText(key, selected);
      if (isSelected) matched = true;
      rows += std::string(isSelected ? "<option selected value=\"" : "<option value=\"") +
              HTMLEscape(key) + "\">" + HTMLEscape(text) + "</option>";
      FRenderedKeys.push_back(key);
    }
    if (!matched && !selected.empty()) {
      // The current key lies beyond the options or is not in the list: it
      // shows as an option of its own, with its text when the list has it.
      std::string text = selected;
      for (int rec = count + 1; rec <= list->RecordCount(); ++rec)
        if (SameText(list->RowText(rec, *keyField), selected)) {
          text = list->RowText(rec, *listField);
          break;
        }
      options += "<option selected value=\"" + HTMLEscape(selected) + "\">" + HTMLEscape(text) +
                 "</option>";
      FRenderedKeys.push_back(selected);
      matched = true;
    }
  } else if (!selected.empty()) {
    options += "<option selected value=\"" + HTMLEscape(selected) + "\">" + HTMLEscape(selected) +
               "</option>";
    FRenderedKeys.push_back(selected);
    matched = true;
  }
  options += rows;
  if (!data && !matched) options += "<option hidden disabled selected value>Selecione</option>";
  return options;
}

void TOrvaneDBLookupCombobox::ProcessHTML() {
  FHTMLControl = "<select  " + FHTMLCore + " aria-label=\"Selecione\" >" + OptionsHTML() +
                 "</select>";
}

void TOrvaneDBLookupCombobox::ProcessComponentState(const nlohmann::json& AState) {
  auto value = AState.find("selectedvalue");
  if (value == AState.end() || value->is_null()) return;
  std::string key = value->is_string() ? value->get<std::string>() : value->dump();
  // Nothing chosen: the field keeps what it holds.
  if (key.empty()) return;
  SetSelectedItem(key);
}

void TOrvaneDBLookupCombobox::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  std::string selected = GetSelectedItem();
  bool refresh = FRefreshData || AForceUpdate;
  if (selected != FStoredSelectedItem || AForceUpdate) {
    FStoredSelectedItem = selected;
    bool listed = std::any_of(FRenderedKeys.begin(), FRenderedKeys.end(),
                              [&](const std::string& k) { return SameText(k, selected); });
    if (listed && !selected.empty())
      ScriptJS.push_back(ElementJS() + ".value = " + FormatValueHTML(selected) + ";");
    else
      refresh = true;  // the options must show it (or the placeholder)
  }
  if (refresh) {
    // The options are replaced inside the element, which keeps its
    // listeners.
    std::string options = OptionsHTML();
    FHTMLControl = "<select  " + FHTMLCore + " aria-label=\"Selecione\" >" + options + "</select>";
    ScriptJS.push_back(ElementJS() + ".innerHTML = " + FormatValueHTML(options) + ";");
    FRefreshData = false;
  }
}

void TOrvaneDBLookupCombobox::ClearHooks() {
  TOrvaneControl::ClearHooks();
  FProcSetText = nullptr;
  FProcGetText = nullptr;
}

}  // namespace orvane
