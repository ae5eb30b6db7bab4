// The web check box: a switch with its label. The checked state the browser
// reports reaches the desktop check box before an event runs; a changed
// state or caption on the desktop side is pushed on the next observer pass.
// The data-aware check box is the same switch over a field.
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

// What the plain and the data-aware check box share, over the control base
// TBase and the typed interface TInterface: the switch's HTML, the "checked"
// state the browser reports, and the caption and state pushed when they
// change. Each member says where its caption and state come from
// (GetText, GetChecked) and where a browser state goes (SetChecked).
template <class TBase, class TInterface>
class TOrvaneCheckBoxSwitch : public TBase, public TInterface {
 public:
  using TBase::TBase;

  void SetCheckBoxType(TCheckBoxType AValue) override { FCheckBoxType = AValue; }
  TCheckBoxType GetCheckBoxType() const override { return FCheckBoxType; }

  bool NeedCheckValidation() override { return true; }
  bool GetEnableComponentState() override { return true; }
  void Initialize() override;
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  // The key "checked" (true, or a text "true" in any case, means checked),
  // applied when it differs from the stored state. The state is written at
  // once, before the event that brought it runs.
  void ProcessComponentState(const nlohmann::json& AState) override;
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;

 protected:
  bool FStoredChecked = false;
  std::string FStoredText;
  TCheckBoxType FCheckBoxType = TCheckBoxType::CBSwitchType;
};

class TOrvaneCheckBox : public TOrvaneCheckBoxSwitch<TOrvaneControl, IOrvaneCheckBox> {
  CORE_DECLARE_CLASS()
 public:
  explicit TOrvaneCheckBox(core::TComponent* AOwner) : TOrvaneCheckBoxSwitch(AOwner) {}

  // The hook's caption, else empty.
  std::string GetText() override;
  // The hook's state, else unchecked.
  bool GetChecked() override;
  // Writes a changed state through the hook, then stores it.
  void SetChecked(bool AValue) override;

  TOnGetValue ProcGetText;
  TOnGetValue ProcGetChecked;
  TOnSetValue ProcSetChecked;

  bool IsCheckBox() override { return true; }

 protected:
  void ClearHooks() override;
};

template <class TBase, class TInterface>
void TOrvaneCheckBoxSwitch<TBase, TInterface>::Initialize() {
  TBase::Initialize();
  FStoredText = this->GetText();
  FStoredChecked = this->GetChecked();
}

template <class TBase, class TInterface>
void TOrvaneCheckBoxSwitch<TBase, TInterface>::ProcessHTML() {
  const char* const br = "\r\n";
  this->FHTMLControl = std::string("<div class=\"form-check form-switch\">") + br + "<input " +
                       this->FHTMLCore + " type=\"checkbox\" role=\"switch\" " +
                       (this->GetChecked() ? "checked" : "") + ">" + br +
                       "<label class=\"form-check-label\" for=\"" + HTMLEscape(this->ID()) + "\">" +
                       HTMLEscape(this->GetText()) + "</label>" + br + "</div>";
}

template <class TBase, class TInterface>
void TOrvaneCheckBoxSwitch<TBase, TInterface>::ProcessComponentState(const nlohmann::json& AState) {
  auto checked = AState.find("checked");
  if (checked == AState.end()) return;
  bool value = checked->is_boolean()
                   ? checked->template get<bool>()
                   : checked->is_string() && SameText(checked->template get<std::string>(), "true");
  if (value != FStoredChecked) this->SetChecked(value);
}

template <class TBase, class TInterface>
void TOrvaneCheckBoxSwitch<TBase, TInterface>::UpdateServerControls(TStringList& ScriptJS,
                                                                    bool AForceUpdate) {
  TBase::UpdateServerControls(ScriptJS, AForceUpdate);
  std::string text = this->GetText();
  if (text != FStoredText || AForceUpdate) {
    FStoredText = text;
    ScriptJS.push_back("document.querySelector(" +
                       FormatValueHTML("label[for=\"" + this->ID() + "\"]") +
                       ").textContent = " + FormatValueHTML(text) + ";");
  }
  bool checked = this->GetChecked();
  if (checked != FStoredChecked || AForceUpdate) {
    FStoredChecked = checked;
    ScriptJS.push_back(this->ElementJS() + ".checked = " + (checked ? "true" : "false") + ";");
  }
}

}  // namespace orvane
