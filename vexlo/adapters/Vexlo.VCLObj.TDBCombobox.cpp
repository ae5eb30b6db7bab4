#include "vexlo/adapters/Vexlo.VCLObj.TDBCombobox.h"

#include <algorithm>

#include "platform/ui/DBCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.DBCombobox.h"

namespace vexlo {

core::TComponentClass TVCLObjTDBCombobox::VCLClass() const {
  return &ui::TDBComboBox::StaticClass();
}

std::vector<std::string> TVCLObjTDBCombobox::PropertyCopyList() {
  std::vector<std::string> list = TVexloVCLObj::PropertyCopyList();
  list.erase(std::remove(list.begin(), list.end(), "Text"), list.end());
  return list;
}

void TVCLObjTDBCombobox::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneDBCombobox>();
  auto* combo = ControlAs<ui::TDBComboBox>();
  if (!kind || !combo) return;
  if (combo->DataSource()) kind->DataWare().SetDataSource(combo->DataSource());
  if (!combo->DataField().empty()) kind->DataWare().SetDataField(combo->DataField());
  kind->SetProcGetItems([combo] { return &combo->Items(); });
  // The toolkit's data-aware combo box has no read-only switch of its own:
  // its field's decides.
  SetEnabledVisibleProcs(*kind, combo);
}

void TVCLObjTDBCombobox::ProcessEventClass() {
  auto kind = FrameworkItemClass();
  auto* combo = ControlAs<ui::TDBComboBox>();
  if (!kind || !combo) return;
  ForwardEvents(*kind, combo, feClick | feEnter | feExit);
  if (combo->OnChange) kind->SetOnChange(NotifyProc(combo, &ui::TCustomComboBox::OnChange));
  ForwardEvents(*kind, combo, feKeyDown | feKeyPress);
}

}  // namespace vexlo
