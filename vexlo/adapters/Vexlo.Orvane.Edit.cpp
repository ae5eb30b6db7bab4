#include "vexlo/adapters/Vexlo.Orvane.Edit.h"

#include "orvane/controls/Orvane.Edit.h"

namespace vexlo {

void OrvaneEdit::Clear() {
  TVexloOrvaneItem::Clear();
  FProcSetText = nullptr;
  FProcGetText = nullptr;
  FDataType = orvane::TOrvaneFieldType::OrvaneFieldTypeAuto;
  FCharCase = orvane::TEditCharCase::ecNormal;
}

core::TComponentClass OrvaneEdit::FrameworkClass() {
  return &orvane::TOrvaneEdit::StaticClass();
}

void OrvaneEdit::ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  auto* edit = dynamic_cast<orvane::TOrvaneEdit*>(NewObj);
  if (!edit) return;
  edit->SetEditDataType(FDataType);
  edit->SetCharCase(FCharCase);
  if (FProcSetText) edit->ProcSetText = FProcSetText;
  if (FProcGetText) edit->ProcGetText = FProcGetText;
}

}  // namespace vexlo
