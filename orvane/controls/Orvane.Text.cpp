#include "orvane/controls/Orvane.Text.h"

namespace orvane {

const core::TClassInfo& TOrvaneLabel::StaticClass() {
  static core::TClassInfo info("TOrvaneLabel", &TOrvaneControl::StaticClass(),
                               core::FactoryOf<TOrvaneLabel>());
  return info;
}

std::string TOrvaneLabel::GetText() {
  return ProcGetText ? VarToStr(ProcGetText()) : FStoredText;
}

void TOrvaneLabel::Initialize() {
  TOrvaneControl::Initialize();
  FStoredText = GetText();
}

void TOrvaneLabel::ProcessHTML() {
  FHTMLControl = "<span " + FHTMLCore + ">" + HTMLEscape(FStoredText) + "</span>";
}

void TOrvaneLabel::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  std::string text = GetText();
  if (text == FStoredText && !AForceUpdate) return;
  FStoredText = text;
  ScriptJS.push_back(ElementJS() + ".textContent = " + FormatValueHTML(text) + ";");
}

void TOrvaneLabel::ClearHooks() {
  TOrvaneControl::ClearHooks();
  ProcGetText = nullptr;
}

}  // namespace orvane
