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

void TOrvaneCheckBox::ClearHooks() {
  TOrvaneControl::ClearHooks();
  ProcGetText = nullptr;
  ProcGetChecked = nullptr;
  ProcSetChecked = nullptr;
}

}  // namespace orvane
