#include "vexlo/adapters/Vexlo.Orvane.Label.h"

#include "orvane/controls/Orvane.Text.h"

namespace vexlo {

void OrvaneLabel::Clear() {
  TVexloOrvaneItem::Clear();
  FProcGetText = nullptr;
}

core::TComponentClass OrvaneLabel::FrameworkClass() {
  return &orvane::TOrvaneLabel::StaticClass();
}

void OrvaneLabel::ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  auto* label = dynamic_cast<orvane::TOrvaneLabel*>(NewObj);
  if (label && FProcGetText) label->ProcGetText = FProcGetText;
}

}  // namespace vexlo
