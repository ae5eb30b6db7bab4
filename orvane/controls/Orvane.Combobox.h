// The web combo box: a select element over the desktop combo box's items.
// The option the browser reports reaches the desktop before an event runs;
// a changed selection or item list is pushed on the next observer pass. The
// page never shows a selection the desktop does not hold: a selection that
// is not among the items shows the "Selecione" placeholder.
#pragma once

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

class TOrvaneCombobox : public TOrvaneControl, public IOrvaneCombobox {
  CORE_DECLARE_CLASS()
 public:
  explicit TOrvaneCombobox(core::TComponent* AOwner) : TOrvaneControl(AOwner) {}

  // The hook's list, else the control's own.
  const core::TStrings& GetItems() override;
  // The hook's text, else the stored one.
  std::string GetSelectedItem() override;
  // Writes a changed selection through the hook, then stores it.
  void SetSelectedItem(const std::string& AValue) override;
  // The control's own list (used without a hook).
  core::TStrings& StoredItems() { return FStoredItems; }

  TOnGetStrings ProcGetItems;
  TOnSetValue ProcSetSelectedItem;
  TOnGetValue ProcGetSelectedItem;

  bool IsCombobox() override { return true; }
  bool GetEnableComponentState() override { return true; }
  void Initialize() override;
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  // The key "selecteditemindex": the 1-based position of the chosen item;
  // anything else (the placeholder, a text, a position off the list)
  // selects nothing.
  void ProcessComponentState(const nlohmann::json& AState) override;
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;

 protected:
  void ClearHooks() override;

 private:
  // The option elements for the stored items and selection.
  std::string OptionsHTML() const;

  std::string FStoredSelectedItem;
  core::TStrings FStoredItems;
};

}  // namespace orvane
