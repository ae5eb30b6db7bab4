#include "vexlo/adapters/Vexlo.VCLObj.TDBMemo.h"

#include "platform/ui/DBCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.DBMemo.h"

namespace vexlo {

core::TComponentClass TVCLObjTDBMemo::VCLClass() const {
  return &ui::TDBMemo::StaticClass();
}

void TVCLObjTDBMemo::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneDBMemo>();
  auto* memo = ControlAs<ui::TDBMemo>();
  if (!kind || !memo) return;
  if (memo->DataSource()) kind->DataWare().SetDataSource(memo->DataSource());
  if (!memo->DataField().empty()) kind->DataWare().SetDataField(memo->DataField());
  SetEnabledVisibleProcs(*kind, memo);
  SetReadOnlyProcs(*kind, memo);
}

void TVCLObjTDBMemo::ProcessEventClass() {
  auto kind = FrameworkItemClass();
  auto* memo = ControlAs<ui::TDBMemo>();
  if (!kind || !memo) return;
  ForwardEvents(*kind, memo, feClick | feEnter | feExit);
  if (memo->OnChange) kind->SetOnChange(NotifyProc(memo, &ui::TCustomEdit::OnChange));
  ForwardEvents(*kind, memo, feKeyDown | feKeyPress);
}

}  // namespace vexlo
