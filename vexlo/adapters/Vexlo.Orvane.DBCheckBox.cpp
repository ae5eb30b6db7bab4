#include "vexlo/adapters/Vexlo.Orvane.DBCheckBox.h"

#include "orvane/controls/Orvane.DBCheckBox.h"
#include "orvane/controls/Orvane.Forms.Controls.h"
#include "vexlo/adapters/Vexlo.Orvane.CheckBox.h"
#include "vexlo/adapters/Vexlo.Orvane.DBText.h"

namespace vexlo {

core::TComponentClass OrvaneDBCheckBox::FrameworkClass() {
  return &orvane::TOrvaneDBCheckBox::StaticClass();
}

void OrvaneDBCheckBox::Clear() {
  TVexloOrvaneItem::Clear();
  FProcGetText = nullptr;
  FCheckBoxType = orvane::TCheckBoxType::CBSwitchType;
  FVexloDatawareDataSource.Clear();
  FValueChecked.clear();
  FValueUnChecked.clear();
}

void OrvaneDBCheckBox::ProcessPropertyClass(core::TComponent* VCLObj,
                                            orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  auto* check = dynamic_cast<orvane::IOrvaneDBCheckBox*>(NewObj);
  if (!check) return;
  TransferBinding(FVexloDatawareDataSource, *check);
  check->SetCheckBoxType(FCheckBoxType);
  check->SetValueChecked(FValueChecked);
  check->SetValueUnChecked(FValueUnChecked);
  if (FProcGetText) check->SetProcGetText(FProcGetText);
  AddCheckChangeEvent(FOnCheckChange, NewObj);
}

}  // namespace vexlo
