// The data-aware web combo box: a select element over the desktop combo
// box's items whose selection is the text of a field of the data source's
// current record. The item the visitor chose reaches the field before an
// event runs. A field value that is not among the items still shows, as an
// option of its own, so it is never overwritten unseen. The select element
// itself is the plain combo box's.
#pragma once

#include <string>

#include "orvane/controls/Orvane.Combobox.h"
#include "orvane/controls/Orvane.DBControl.h"
#include "orvane/controls/Orvane.Types.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBCombobox {
 public:
  virtual ~IOrvaneDBCombobox() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual void SetSelectedItem(const std::string& AValue) = 0;
  virtual std::string GetSelectedItem() = 0;
  virtual const core::TStrings& GetItems() = 0;
  virtual void SetProcGetItems(TOnGetStrings AValue) = 0;
};

class TOrvaneDBCombobox : public TOrvaneComboboxSelect<TOrvaneDBControl, IOrvaneDBCombobox> {
  CORE_DECLARE_CLASS()
 public:
  using TOrvaneDBComboboxDataLink = TOrvaneDBDataLink;

  explicit TOrvaneDBCombobox(core::TComponent* AOwner) : TOrvaneComboboxSelect(AOwner) {}

  void SetDataSource(db::TDataSource* AValue) override { TOrvaneDBControl::SetDataSource(AValue); }
  db::TDataSource* GetDataSource() const override { return TOrvaneDBControl::GetDataSource(); }
  void SetDataField(const std::string& AValue) override { TOrvaneDBControl::SetDataField(AValue); }
  std::string GetDataField() const override { return TOrvaneDBControl::GetDataField(); }
  // Writes a changed selection into the field, putting an idle dataset into
  // editing while the browser's states are applied.
  void SetSelectedItem(const std::string& AValue) override;
  // The field's text; empty without a field or data.
  std::string GetSelectedItem() override;
  // The desktop combo box's items, else the control's own.
  const core::TStrings& GetItems() override;
  void SetProcGetItems(TOnGetStrings AValue) override { FProcGetItems = std::move(AValue); }

  bool IsDBCombobox() override { return true; }
  // The key "selecteditemindex": the 1-based position of the chosen item.
  // Anything else (the placeholder, the field's own value shown beside the
  // items) leaves the field as it is.
  void ProcessComponentState(const nlohmann::json& AState) override;

 protected:
  void ClearHooks() override;
  // The placeholder when the field is empty; a field value the list lacks
  // as an option of its own.
  std::string OptionsHTML() const override;

 private:
  TOnGetStrings FProcGetItems;
};

}  // namespace orvane
