#include "vexlo/adapters/Vexlo.VCLObj.TRadioButton.h"

#include "platform/ui/StdCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.CheckBox.h"

namespace vexlo {

core::TComponentClass TVCLObjTRadioButton::VCLClass() const {
  return &ui::TRadioButton::StaticClass();
}

void TVCLObjTRadioButton::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneCheckBox>();
  auto* check = ControlAs<ui::TRadioButton>();
  if (!kind || !check) return;
  kind->SetOnGetText([check] { return orvane::TOrvaneVariant(check->Caption()); });
  kind->SetOnGetChecked([check] { return orvane::TOrvaneVariant(check->Checked()); });
  // Setting the state clicks on the desktop; the browser's click event runs
  // the handler instead.
  kind->SetOnSetChecked([check](const orvane::TOrvaneVariant& AValue) {
    bool checked = orvane::VarToBool(AValue);
    Silently(check, &ui::TControl::OnClick, [&] { check->SetChecked(checked); });
  });
  SetEnabledVisibleProcs(*kind, check);
}

void TVCLObjTRadioButton::ProcessEventClass() {
  if (auto kind = FrameworkItemClass())
    ForwardEvents(*kind, ControlAs<ui::TRadioButton>(),
                  feClick | feEnter | feExit | feKeyDown | feKeyPress);
}

}  // namespace vexlo
