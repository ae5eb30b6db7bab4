// The web check box: a switch with its label. The checked state the browser
// reports reaches the desktop check box before an event runs; a changed
// state or caption on the desktop side is pushed on the next observer pass.
#pragma once

#include <string>

#include "orvane/controls/Orvane.Forms.Controls.h"

namespace orvane {

class IOrvaneCheckBox {
 public:
  virtual ~IOrvaneCheckBox() = default;
  virtual std::string GetText() = 0;
  virtual void SetChecked(bool AValue) = 0;
  virtual bool GetChecked() = 0;
  virtual void SetCheckBoxType(TCheckBoxType AValue) = 0;
  virtual TCheckBoxType GetCheckBoxType() const = 0;
};

class TOrvaneCheckBox : public TOrvaneControl, public IOrvaneCheckBox {
  CORE_DECLARE_CLASS()
 public:
  explicit TOrvaneCheckBox(core::TComponent* AOwner) : TOrvaneControl(AOwner) {}

  // The hook's caption, else empty.
  std::string GetText() override;
  // The hook's state, else unchecked.
  bool GetChecked() override;
  // Writes a changed state through the hook, then stores it.
  void SetChecked(bool AValue) override;
  void SetCheckBoxType(TCheckBoxType AValue) override { FCheckBoxType = AValue; }
  TCheckBoxType GetCheckBoxType() const override { return FCheckBoxType; }

  TOnGetValue ProcGetText;
  TOnGetValue ProcGetChecked;
  TOnSetValue ProcSetChecked;

  bool IsCheckBox() override { return true; }
  bool NeedCheckValidation() override { return true; }
  bool GetEnableComponentState() override { return true; }
  void Initialize() override;
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  // The key "checked" (true, or a text "true" in any case, means checked).
  // The state is written at once, before the event that brought it runs.
  void ProcessComponentState(const nlohmann::json& AState) override;
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;

 protected:
  void ClearHooks() override;

 private:
  bool FStoredChecked = false;
  std::string FStoredText;
  TCheckBoxType FCheckBoxType = TCheckBoxType::CBSwitchType;
};

}  // namespace orvane
