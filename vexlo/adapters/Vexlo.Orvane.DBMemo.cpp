#include "vexlo/adapters/Vexlo.Orvane.DBMemo.h"

#include "orvane/controls/Orvane.DBMemo.h"
#include "orvane/controls/Orvane.Forms.Controls.h"
#include "vexlo/adapters/Vexlo.Orvane.DBText.h"

namespace vexlo {

core::TComponentClass OrvaneDBMemo::FrameworkClass() {
  return &orvane::TOrvaneDBMemo::StaticClass();
}

void OrvaneDBMemo::Clear() {
  TVexloOrvaneItem::Clear();
  FVexloDatawareDataSource.Clear();
}

void OrvaneDBMemo::ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  if (auto* memo = dynamic_cast<orvane::IOrvaneDBMemo*>(NewObj))
    TransferBinding(FVexloDatawareDataSource, *memo);
}

}  // namespace vexlo
