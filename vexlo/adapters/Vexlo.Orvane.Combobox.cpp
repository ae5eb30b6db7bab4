#include "vexlo/adapters/Vexlo.Orvane.Combobox.h"

#include "orvane/controls/Orvane.Combobox.h"

namespace vexlo {

void OrvaneCombobox::Clear() {
  TVexloOrvaneItem::Clear();
  FProcGetItems = nullptr;
  FProcSetSelectedItem = nullptr;
  FProcGetSelectedItem = nullptr;
}

core::TComponentClass OrvaneCombobox::FrameworkClass() {
  return &orvane::TOrvaneCombobox::StaticClass();
}

void OrvaneCombobox::ProcessPropertyClass(core::TComponent* VCLObj,
                                          orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  auto* combo = dynamic_cast<orvane::TOrvaneCombobox*>(NewObj);
  if (!combo) return;
  if (FProcGetItems) combo->ProcGetItems = FProcGetItems;
  if (FProcGetSelectedItem) combo->ProcGetSelectedItem = FProcGetSelectedItem;
  if (FProcSetSelectedItem) combo->ProcSetSelectedItem = FProcSetSelectedItem;
}

}  // namespace vexlo
