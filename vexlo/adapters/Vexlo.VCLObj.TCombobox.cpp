#include "vexlo/adapters/Vexlo.VCLObj.TCombobox.h"

#include "platform/ui/StdCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.Combobox.h"

namespace vexlo {

core::TComponentClass TVCLObjTCombobox::VCLClass() const {
  return &ui::TComboBox::StaticClass();
}

void TVCLObjTCombobox::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneCombobox>();
  auto* combo = ControlAs<ui::TCustomComboBox>();
  if (!kind || !combo) return;
  kind->SetProcGetItems([combo] { return &combo->Items(); });
  kind->SetProcGetSelectedItem([combo] {
    int i = combo->ItemIndex();
    return orvane::TOrvaneVariant(i >= 0 && i < combo->Items().Count() ? combo->Items()[i]
                                                                       : std::string());
  });
  kind->SetProcSetSelectedItem([combo](const orvane::TOrvaneVariant& AValue) {
    const std::string text = orvane::VarToStr(AValue);
    for (int i = 0; i < combo->Items().Count(); ++i)
      if (combo->Items()[i] == text) {
        combo->SetItemIndex(i);
        return;
      }
    // Not an entry: the text goes into the edit part.
    Silently(combo, &ui::TCustomComboBox::OnChange, [&] { combo->SetText(text); });
  });
  SetEnabledVisibleProcs(*kind, combo);
}

void TVCLObjTCombobox::ProcessEventClass() {
  auto kind = FrameworkItemClass();
  auto* combo = ControlAs<ui::TCustomComboBox>();
  if (!kind || !combo) return;
  if (combo->OnSelect) kind->SetOnSelect(NotifyProc(combo, &ui::TCustomComboBox::OnSelect));
  ForwardEvents(*kind, combo, feClick | feEnter | feExit);
  if (combo->OnChange) kind->SetOnChange(NotifyProc(combo, &ui::TCustomComboBox::OnChange));
  ForwardEvents(*kind, combo, feKeyDown | feKeyPress);
}

}  // namespace vexlo
