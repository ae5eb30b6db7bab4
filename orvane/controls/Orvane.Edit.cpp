#include "orvane/controls/Orvane.Edit.h"

#include <cstdio>

#include "platform/db/DateTime.h"

namespace orvane {

const core::TClassInfo& TOrvaneEdit::StaticClass() {
  static core::TClassInfo info("TOrvaneEdit", &TOrvaneControl::StaticClass(),
                               core::FactoryOf<TOrvaneEdit>());
  return info;
}

std::string BrowserDateText(const std::string& AText) {
  db::TDateTime value = 0;
  if (!db::TryStrToDateTime(AText, value)) return "";
  int y, m, d, h, n, s, ms;
  db::DecodeDateTime(value, y, m, d, h, n, s, ms);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

TOrvaneEdit::TOrvaneEdit(core::TComponent* AOwner) : TOrvaneControl(AOwner) {
  FFormatSettings = TFormatSettings::Create("pt-BR");
  FFormatSettings.ShortDateFormat = "yyyy-MM-dd";
  FFormatSettings.DateSeparator = '-';
}

bool TOrvaneEdit::IsDateType() const {
  return FDataType == TOrvaneFieldType::OrvaneFieldTypeDate ||
         FDataType == TOrvaneFieldType::OrvaneFieldTypeDateTime;
}

std::string TOrvaneEdit::GetText() {
  if (!ProcGetText) return FStoredText;
  std::string text = VarToStr(ProcGetText());
  return IsDateType() ? BrowserDateText(text) : text;
}

void TOrvaneEdit::SetText(const std::string& AValue) {
  if (ProcSetText && AValue != FStoredText) {
    if (!IsDateType()) {
      ProcSetText(AValue);
    } else if (AValue.empty()) {
      // A cleared date input: the hook decides what an empty date means.
      ProcSetText(TOrvaneVariant());
    } else {
      db::TDateTime value = 0;
      if (!db::TryStrToDateTime(AValue, value))
        throw EConvertError("\"" + AValue + "\" não é uma data válida");
      ProcSetText(value);
    }
  }
  FStoredText = AValue;
}

void TOrvaneEdit::Initialize() {
  TOrvaneControl::Initialize();
  FStoredText = GetText();
}

void TOrvaneEdit::ProcessHTML() {
  std::string core = FHTMLCore;
  if (FCharCase == TEditCharCase::ecUpperCase)
    core = HTMLAddItemFromClass(core, "text-uppercase");
  else if (FCharCase == TEditCharCase::ecLowerCase)
    core = HTMLAddItemFromClass(core, "text-lowercase");
  // A password is never written into the page.
  const std::string value = IsPassword() ? std::string() : HTMLEscape(GetText());
  FHTMLControl = "<input " + core + " " + InputHTMLTypeByOrvaneFieldType(FDataType) +
                 "  value = \"" + value + "\"/>";
}

void TOrvaneEdit::ProcessComponentState(const nlohmann::json& AState) {
  auto text = AState.find("text");
  if (text == AState.end() || text->is_null()) return;
  SetText(text->is_string() ? text->get<std::string>() : text->dump());
}

void TOrvaneEdit::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  std::string text = GetText();
  if (text == FStoredText && !AForceUpdate) return;
  // The desktop's value is the stored copy now; it is not written back.
  FStoredText = text;
  if (!IsPassword()) ScriptJS.push_back(ElementJS() + ".value = " + FormatValueHTML(text) + ";");
}

void TOrvaneEdit::ClearHooks() {
  TOrvaneControl::ClearHooks();
  ProcSetText = nullptr;
  ProcGetText = nullptr;
}

}  // namespace orvane
