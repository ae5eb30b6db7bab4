#include "vexlo/adapters/Vexlo.VCLObj.TSpeedButton.h"

#include "platform/ui/Buttons.h"
#include "vexlo/adapters/Vexlo.Orvane.Button.h"

namespace vexlo {

core::TComponentClass TVCLObjTSpeedButton::VCLClass() const {
  return &ui::TSpeedButton::StaticClass();
}

void TVCLObjTSpeedButton::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneButton>();
  auto* button = ControlAs<ui::TSpeedButton>();
  if (!kind || !button) return;
  kind->SetCaption(button->Caption());
  SetEnabledVisibleProcs(*kind, button);
}

void TVCLObjTSpeedButton::ProcessEventClass() {
  auto kind = FrameworkItemClass();
  auto* button = ControlAs<ui::TSpeedButton>();
  // The button's own click: a grouped button goes down first.
  if (kind && button && button->OnClick)
    kind->SetOnClick(
        [button](orvane::TStringList&) { RunHandler(button, [button] { button->Click(); }); });
}

}  // namespace vexlo
