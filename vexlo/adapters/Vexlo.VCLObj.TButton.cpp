#include "vexlo/adapters/Vexlo.VCLObj.TButton.h"

#include "orvane/controls/Orvane.Button.h"
#include "platform/ui/StdCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.Button.h"

namespace vexlo {

core::TComponentClass TVCLObjTButton::VCLClass() const {
  return &ui::TButton::StaticClass();
}

void TVCLObjTButton::ProcessPropertyClass(orvane::TOrvaneControl* NewObj) {
  auto kind = KindAs<OrvaneButton>();
  auto* button = ControlAs<ui::TButton>();
  if (!kind || !button) return;
  // Enter presses the form's default button, on the page as on the desktop.
  if (auto* web = dynamic_cast<orvane::TOrvaneButton*>(NewObj)) web->SetDefault(button->Default());
  kind->SetCaption(button->Caption());
  SetEnabledVisibleProcs(*kind, button);
}

void TVCLObjTButton::ProcessEventClass() {
  auto kind = FrameworkItemClass();
  auto* button = ControlAs<ui::TButton>();
  if (!kind || !button) return;
  // A click is the button's own: its modal result goes to its form, then
  // its handler runs.
  if (button->OnClick || button->ModalResult() != ui::mrNone)
    kind->SetOnClick(
        [button](orvane::TStringList&) { RunHandler(button, [button] { button->Click(); }); });
  ForwardEvents(*kind, button, feEnter | feExit | feKeyDown | feKeyPress);
}

}  // namespace vexlo
