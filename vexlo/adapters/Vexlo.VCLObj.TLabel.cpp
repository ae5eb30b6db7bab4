#include "vexlo/adapters/Vexlo.VCLObj.TLabel.h"

#include "platform/ui/StdCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.Label.h"

namespace vexlo {

core::TComponentClass TVCLObjTLabel::VCLClass() const {
  return &ui::TLabel::StaticClass();
}

void TVCLObjTLabel::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneLabel>();
  auto* label = ControlAs<ui::TLabel>();
  if (!kind || !label) return;
  SetEnabledVisibleProcs(*kind, label);
  kind->SetOnGetText([label] { return orvane::TOrvaneVariant(label->Caption()); });
}

void TVCLObjTLabel::ProcessEventClass() {
  if (auto kind = FrameworkItemClass()) ForwardEvents(*kind, ControlAs<ui::TLabel>(), feClick);
}

}  // namespace vexlo
