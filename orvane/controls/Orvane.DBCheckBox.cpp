#include "orvane/controls/Orvane.DBCheckBox.h"

namespace orvane {

namespace {

// The alternatives of a checked or unchecked value ("S;Sim").
std::vector<std::string> Alternatives(const std::string& AValue) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i <= AValue.size()) {
    size_t e = AValue.find(';', i);
    if (e == std::string::npos) e = AValue.size();
    out.push_back(AValue.substr(i, e - i));
    i = e + 1;
  }
  return out;
}

}  // namespace

const core::TClassInfo& TOrvaneDBCheckBox::StaticClass() {
  static core::TClassInfo info("TOrvaneDBCheckBox", &TOrvaneDBControl::StaticClass(),
                               core::FactoryOf<TOrvaneDBCheckBox>());
  return info;
}

std::string TOrvaneDBCheckBox::GetText() {
  return FProcGetText ? VarToStr(FProcGetText()) : std::string();
}

bool TOrvaneDBCheckBox::GetChecked() {
  db::TField* field = BoundField();
  if (!field || field->IsNull()) return false;
  const std::string text = field->AsString();
  for (const std::string& value : Alternatives(FValueChecked))
    if (SameText(text, value)) return true;
  return false;
}

void TOrvaneDBCheckBox::SetChecked(bool AValue) {
  if (FDataLink.FieldName().empty()) return;
  if (db::TField* field = BoundField()) {
    if (!Editing() && AValue != FStoredChecked) StartEdit();
    if (Editing() && AValue != FStoredChecked)
      field->SetAsString(Alternatives(AValue ? FValueChecked : FValueUnChecked).front());
  }
  FStoredChecked = AValue;
}

void TOrvaneDBCheckBox::Initialize() {
  TOrvaneControl::Initialize();
  FStoredText = GetText();
  FStoredChecked = GetChecked();
}

void TOrvaneDBCheckBox::ProcessHTML() {
  const char* const br = "\r\n";
  FHTMLControl = std::string("<div class=\"form-check form-switch\">") + br + "<input " +
                 FHTMLCore + " type=\"checkbox\" role=\"switch\" " +
                 (GetChecked() ? "checked" : "") + ">" + br +
                 "<label class=\"form-check-label\" for=\"" + HTMLEscape(ID()) + "\">" +
                 HTMLEscape(GetText()) + "</label>" + br + "</div>";
}

void TOrvaneDBCheckBox::ProcessComponentState(const nlohmann::json& AState) {
  auto checked = AState.find("checked");
  if (checked == AState.end()) return;
  bool value = checked->is_boolean()
                   ? checked->get<bool>()
                   : checked->is_string() && SameText(checked->get<std::string>(), "true");
  if (value != FStoredChecked) SetChecked(value);
}

void TOrvaneDBCheckBox::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
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

void TOrvaneDBCheckBox::ClearHooks() {
  TOrvaneControl::ClearHooks();
  FProcGetText = nullptr;
}

}  // namespace orvane
