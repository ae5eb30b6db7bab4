#include "orvane/controls/Orvane.DBMemo.h"

namespace orvane {

const core::TClassInfo& TOrvaneDBMemo::StaticClass() {
  static core::TClassInfo info("TOrvaneDBMemo", &TOrvaneDBControl::StaticClass(),
                               core::FactoryOf<TOrvaneDBMemo>());
  return info;
}

std::string TOrvaneDBMemo::GetText() {
  db::TField* field = BoundField();
  return field ? field->AsString() : "";
}

void TOrvaneDBMemo::SetText(const std::string& AValue) {
  db::TField* field = BoundField();
  if (!field) return;
  if (ApplyingState() && !Editing() && AValue != FStoredText) StartEdit();
  // Only a changed text is written: an untouched memo leaves the record as
  // it is.
  if (Editing() && AValue != FStoredText) field->SetAsString(AValue);
  FStoredText = AValue;
}

void TOrvaneDBMemo::Initialize() {
  TOrvaneControl::Initialize();
  FStoredText = GetText();
}

void TOrvaneDBMemo::ProcessHTML() {
  FHTMLControl = "<textarea  " + FHTMLCore + ">" + HTMLEscape(GetText()) + "</textarea>";
}

void TOrvaneDBMemo::ProcessComponentState(const nlohmann::json& AState) {
  auto text = AState.find("text");
  if (text == AState.end() || text->is_null()) return;
  SetText(text->is_string() ? text->get<std::string>() : text->dump());
}

void TOrvaneDBMemo::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  std::string text = GetText();
  if (text == FStoredText && !AForceUpdate) return;
  FStoredText = text;
  ScriptJS.push_back(ElementJS() + ".value = " + FormatValueHTML(text) + ";");
}

}  // namespace orvane
