#include "vexlo/adapters/Vexlo.VCLObj.TCheckBox.h"

#include "vexlo/adapters/Vexlo.Orvane.CheckBox.h"

namespace vexlo {

template <class C>
void TVCLObjSwitch<C>::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneCheckBox>();
  auto* check = ControlAs<C>();
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

template <class C>
void TVCLObjSwitch<C>::ProcessEventClass() {
  if (auto kind = FrameworkItemClass())
    ForwardEvents(*kind, ControlAs<C>(), feClick | feEnter | feExit | feKeyDown | feKeyPress);
}

template class TVCLObjSwitch<ui::TCheckBox>;
template class TVCLObjSwitch<ui::TRadioButton>;

}  // namespace vexlo
