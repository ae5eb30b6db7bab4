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

void TOrvaneDBCheckBox::ClearHooks() {
  TOrvaneControl::ClearHooks();
  FProcGetText = nullptr;
}

}  // namespace orvane
