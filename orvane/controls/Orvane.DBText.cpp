#include "orvane/controls/Orvane.DBText.h"

namespace orvane {

const core::TClassInfo& TOrvaneDBText::StaticClass() {
  static core::TClassInfo info("TOrvaneDBText", &TOrvaneDBControl::StaticClass(),
                               core::FactoryOf<TOrvaneDBText>());
  return info;
}

std::string TOrvaneDBText::GetText() {
  db::TField* field = BoundField();
  return field ? field->AsString() : "";
}

void TOrvaneDBText::Initialize() {
  TOrvaneControl::Initialize();
  FStoredText = GetText();
}

void TOrvaneDBText::ProcessHTML() {
  FHTMLControl = "<span " + FHTMLCore + ">" + HTMLEscape(GetText()) + "</span>";
}

void TOrvaneDBText::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  std::string text = GetText();
  if (text == FStoredText && !AForceUpdate) return;
  FStoredText = text;
  const std::string quoted = FormatValueHTML(text);
  ScriptJS.push_back(ElementJS() + ".value = " + quoted + ";");
  ScriptJS.push_back(ElementJS() + ".textContent = " + quoted + ";");
}

}  // namespace orvane
