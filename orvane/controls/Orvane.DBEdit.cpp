#include "orvane/controls/Orvane.DBEdit.h"

#include <cmath>
#include <cstdio>

#include "orvane/controls/Orvane.Forms.h"
#include "platform/db/DateTime.h"

namespace orvane {

namespace {

std::string IsoDate(db::TDateTime AValue) {
  int y, m, d, h, n, s, ms;
  db::DecodeDateTime(AValue, y, m, d, h, n, s, ms);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

std::string IsoDateTime(db::TDateTime AValue) {
  int y, m, d, h, n, s, ms;
  db::DecodeDateTime(AValue, y, m, d, h, n, s, ms);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, n, s);
  return buf;
}

}  // namespace

const core::TClassInfo& TOrvaneDBEdit::StaticClass() {
  static core::TClassInfo info("TOrvaneDBEdit", &TOrvaneDBControl::StaticClass(),
                               core::FactoryOf<TOrvaneDBEdit>());
  return info;
}

TOrvaneDBEdit::TOrvaneDBEdit(core::TComponent* AOwner)
    : TOrvaneDBControl(AOwner), FFormatSettings(TFormatSettings::Create("pt-BR")) {
  FFormatSettings.ShortDateFormat = "yyyy-mm-dd";
  FFormatSettings.DateSeparator = '-';
}

std::string TOrvaneDBEdit::GetText() {
  db::TField* field = BoundField();
  if (!field) return "";
  if (FDataType == TOrvaneFieldType::OrvaneFieldTypeDate ||
      FDataType == TOrvaneFieldType::OrvaneFieldTypeDateTime) {
    if (field->IsNull()) return "";
    db::TDateTime value = field->AsDateTime();
    if (value == 0) return "";
    return FDataType == TOrvaneFieldType::OrvaneFieldTypeDate ? IsoDate(value) : IsoDateTime(value);
  }
  return field->AsString();
}

void TOrvaneDBEdit::SetText(const std::string& AValue) {
  db::TField* field = BoundField();
  if (field) {
    if (ApplyingState() && !Editing() && AValue != FStoredText) StartEdit();
    if (Editing() && AValue != FStoredText) {
      if (FDataType == TOrvaneFieldType::OrvaneFieldTypeDate ||
          FDataType == TOrvaneFieldType::OrvaneFieldTypeDateTime) {
        db::TDateTime value = 0;
        if (!AValue.empty() && !db::TryStrToDateTime(AValue, value))
          throw EConvertError("\"" + AValue + "\" não é uma data válida");
        if (FDataType == TOrvaneFieldType::OrvaneFieldTypeDate) value = std::floor(value);
        if (value == 0)
          field->Clear();
        else
          field->SetAsDateTime(value);
      } else {
        field->SetAsString(AValue);
      }
    }
  }
  FStoredText = AValue;
}

void TOrvaneDBEdit::Initialize() {
  TOrvaneControl::Initialize();
  InferDataType();
  FStoredText = GetText();
}

void TOrvaneDBEdit::InferDataType() {
  if (FDataType != TOrvaneFieldType::OrvaneFieldTypeAuto) return;
  db::TField* field = BoundField();
  if (!field) return;
  switch (field->DataType()) {
    case db::TFieldType::ftFloat:
      FDataType = TOrvaneFieldType::OrvaneFieldTypeNumber;
      break;
    case db::TFieldType::ftSmallint:
    case db::TFieldType::ftInteger:
    case db::TFieldType::ftLargeint:
      FDataType = TOrvaneFieldType::OrvaneFieldTypeInteger;
      break;
    case db::TFieldType::ftDate:
      FDataType = TOrvaneFieldType::OrvaneFieldTypeDate;
      break;
    case db::TFieldType::ftDateTime:
      // A time stamp keeps its time whatever the current record holds.
      FDataType = TOrvaneFieldType::OrvaneFieldTypeDateTime;
      break;
    case db::TFieldType::ftTime:
      FDataType = TOrvaneFieldType::OrvaneFieldTypeTime;
      break;
    default:
      break;
  }
}

void TOrvaneDBEdit::ProcessHTML() {
  InferDataType();
  std::string core = FHTMLCore;
  if (FCharCase == TEditCharCase::ecUpperCase)
    core = HTMLAddItemFromClass(core, "text-uppercase");
  else if (FCharCase == TEditCharCase::ecLowerCase)
    core = HTMLAddItemFromClass(core, "text-lowercase");
  std::string language = FForm ? FForm->GetLanguage() : "";
  std::string html = "<input " + core + " lang=\"" + HTMLEscape(language) + "\" ";
  if (BoundField()) html += " " + InputHTMLTypeByOrvaneFieldType(FDataType) + " ";
  html += " value=\"" + HTMLEscape(GetText()) + "\"" + "/>";
  FHTMLControl = html;
}

void TOrvaneDBEdit::ProcessComponentState(const nlohmann::json& AState) {
  auto text = AState.find("text");
  if (text == AState.end() || text->is_null()) return;
  SetText(text->is_string() ? text->get<std::string>() : text->dump());
}

void TOrvaneDBEdit::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  std::string text = GetText();
  if (text == FStoredText && !AForceUpdate) return;
  // The field's value is the stored copy now; nothing is written back.
  FStoredText = text;
  ScriptJS.push_back(ElementJS() + ".value = " + FormatValueHTML(text) + ";");
}

}  // namespace orvane
