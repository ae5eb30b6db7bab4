#include "vexlo/adapters/Vexlo.Orvane.Button.h"

#include "orvane/controls/Orvane.Button.h"

namespace vexlo {

void OrvaneButton::Clear() {
  TVexloOrvaneItem::Clear();
  FCaption.clear();
}

core::TComponentClass OrvaneButton::FrameworkClass() {
  return &orvane::TOrvaneButton::StaticClass();
}

void OrvaneButton::ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  if (auto* button = dynamic_cast<orvane::TOrvaneButton*>(NewObj)) button->SetCaption(FCaption);
}

}  // namespace vexlo
