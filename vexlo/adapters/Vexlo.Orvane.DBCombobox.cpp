#include "vexlo/adapters/Vexlo.Orvane.DBCombobox.h"

#include "orvane/controls/Orvane.DBCombobox.h"
#include "orvane/controls/Orvane.Forms.Controls.h"
#include "vexlo/adapters/Vexlo.Orvane.DBText.h"

namespace vexlo {

core::TComponentClass OrvaneDBCombobox::FrameworkClass() {
  return &orvane::TOrvaneDBCombobox::StaticClass();
}

void OrvaneDBCombobox::Clear() {
  TVexloOrvaneItem::Clear();
  FProcGetItems = nullptr;
  FVexloDatawareDataSource.Clear();
}

void OrvaneDBCombobox::ProcessPropertyClass(core::TComponent* VCLObj,
                                            orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  auto* combo = dynamic_cast<orvane::IOrvaneDBCombobox*>(NewObj);
  if (!combo) return;
  TransferBinding(FVexloDatawareDataSource, *combo);
  if (FProcGetItems) combo->SetProcGetItems(FProcGetItems);
}

}  // namespace vexlo
