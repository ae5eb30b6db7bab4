#include "vexlo/adapters/Vexlo.Orvane.DBText.h"

#include "orvane/controls/Orvane.DBText.h"
#include "orvane/controls/Orvane.Forms.Controls.h"

namespace vexlo {

core::TComponentClass OrvaneDBText::FrameworkClass() {
  return &orvane::TOrvaneDBText::StaticClass();
}

void OrvaneDBText::Clear() {
  TVexloOrvaneItem::Clear();
  FVexloDatawareDataSource.Clear();
}

void OrvaneDBText::ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  if (auto* text = dynamic_cast<orvane::IOrvaneDBText*>(NewObj))
    TransferBinding(FVexloDatawareDataSource, *text);
}

}  // namespace vexlo
