#include "orvane/controls/Orvane.CheckBox.h"

namespace orvane {

const core::TClassInfo& TOrvaneCheckBox::StaticClass() {
  static core::TClassInfo info("TOrvaneCheckBox", &TOrvaneControl::StaticClass(),
                               core::FactoryOf<TOrvaneCheckBox>());
  return info;
}

std::string TOrvaneCheckBox::GetText() {
  return ProcGetText ? VarToStr(ProcGetText()) : std::string();
}

bool TOrvaneCheckBox::GetChecked() {
  return ProcGetChecked ? VarToBool(ProcGetChecked()) : false;
}

void TOrvaneCheckBox::SetChecked(bool AValue) {
  if (ProcSetChecked && AValue != FStoredChecked) ProcSetChecked(AValue);
  FStoredChecked = AValue;
}

void TOrvaneCheckBox::Initialize() {
  TOrvaneControl::Initialize();
  FStoredText = GetText();
  FStoredChecked = GetChecked();
}

void TOrvaneCheckBox::ProcessHTML() {
  const char* const br = "\r\n";
  FHTMLControl = std::string("<div class=\"form-check form-switch\">") + br + "<input " +
                 FHTMLCore + " type=\"checkbox\" role=\"switch\" " +
                 (GetChecked() ? "checked" : "") + ">" + br +
                 "<label class=\"form-check-label\" for=\"" + HTMLEscape(ID()) + "\">" +
                 HTMLEscape(GetText()) + "</label>" + br + "</div>";
}

void TOrvaneCheckBox::ProcessComponentState(const nlohmann::json& AState) {
  auto checked = AState.find("checked");
  if (checked == AState.end()) return;
  bool value = checked->is_boolean()
                   ? checked->get<bool>()
                   : checked->is_string() && SameText(checked->get<std::string>(), "true");
  if (value != FStoredChecked) SetChecked(value);
}

void TOrvaneCheckBox::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  std::string text = GetText();
  if (text != FStoredText || AForceUpdate) {
    FStoredText = text;
    ScriptJS.push_back("document.querySelector(" + FormatValueHTML("label[for=\"" + ID() + "\"]") +
                       ").textContent = " + FormatValueHTML(text) + ";");
  }
  bool checked = GetChecked();
  if (checked != FStoredChecked || AForceUpdate) {
    FStoredChecked = checked;
    ScriptJS.push_back(ElementJS() + ".checked = " + (checked ? "true" : "false") + ";");
  }
}

void TOrvaneCheckBox::ClearHooks() {
  TOrvaneControl::ClearHooks();
  ProcGetText = nullptr;
  ProcGetChecked = nullptr;
  ProcSetChecked = nullptr;
}

}  // namespace orvane
