#include "vexlo/adapters/Vexlo.Orvane.DBEdit.h"

#include "orvane/controls/Orvane.DBEdit.h"
#include "orvane/controls/Orvane.Forms.Controls.h"
#include "vexlo/adapters/Vexlo.Orvane.DBText.h"

namespace vexlo {

core::TComponentClass OrvaneDBEdit::FrameworkClass() {
  return &orvane::TOrvaneDBEdit::StaticClass();
}

void OrvaneDBEdit::Clear() {
  TVexloOrvaneItem::Clear();
  FVexloDatawareDataSource.Clear();
  FDataType = orvane::TOrvaneFieldType::OrvaneFieldTypeAuto;
  FCharCase = orvane::TEditCharCase::ecNormal;
}

void OrvaneDBEdit::ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  auto* edit = dynamic_cast<orvane::IOrvaneDBEdit*>(NewObj);
  if (!edit) return;
  TransferBinding(FVexloDatawareDataSource, *edit);
  edit->SetCharCase(FCharCase);
}

}  // namespace vexlo
