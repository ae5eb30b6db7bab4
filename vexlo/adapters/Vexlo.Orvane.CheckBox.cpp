#include "vexlo/adapters/Vexlo.Orvane.CheckBox.h"

#include "orvane/controls/Orvane.CheckBox.h"

namespace vexlo {

void AddCheckChangeEvent(const TVexloEventProc& AProc, orvane::TOrvaneControl* NewObj) {
  auto events = NewObj && AProc ? NewObj->GetEvents() : nullptr;
  if (events) events->Add(orvane::TOrvaneEventType::EventOnCheckChange, AProc, true);
}

void OrvaneCheckBox::Clear() {
  TVexloOrvaneItem::Clear();
  FProcGetText = nullptr;
  FProcGetChecked = nullptr;
  FProcSetChecked = nullptr;
  FCheckBoxType = orvane::TCheckBoxType::CBSwitchType;
}

core::TComponentClass OrvaneCheckBox::FrameworkClass() {
  return &orvane::TOrvaneCheckBox::StaticClass();
}

void OrvaneCheckBox::ProcessPropertyClass(core::TComponent* VCLObj,
                                          orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  auto* check = dynamic_cast<orvane::TOrvaneCheckBox*>(NewObj);
  if (!check) return;
  check->SetCheckBoxType(FCheckBoxType);
  if (FProcGetText) check->ProcGetText = FProcGetText;
  if (FProcGetChecked) check->ProcGetChecked = FProcGetChecked;
  if (FProcSetChecked) check->ProcSetChecked = FProcSetChecked;
  AddCheckChangeEvent(FOnCheckChange, NewObj);
}

}  // namespace vexlo
