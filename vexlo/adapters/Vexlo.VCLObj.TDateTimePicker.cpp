#include "vexlo/adapters/Vexlo.VCLObj.TDateTimePicker.h"

#include "platform/ui/ComCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.Edit.h"

namespace vexlo {

core::TComponentClass TVCLObjTDateTimePicker::VCLClass() const {
  return &ui::TDateTimePicker::StaticClass();
}

void TVCLObjTDateTimePicker::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneEdit>();
  auto* picker = ControlAs<ui::TDateTimePicker>();
  if (!kind || !picker) return;
  kind->SetEditDataType(orvane::TOrvaneFieldType::OrvaneFieldTypeDate);
  SetEnabledVisibleProcs(*kind, picker);
  // The picker has no read-only switch: read-only is its own enabled flag.
  kind->SetGetReadOnly([picker] { return orvane::TOrvaneVariant(!picker->Enabled()); });
  kind->SetSetReadOnly([picker](const orvane::TOrvaneVariant& AValue) {
    picker->SetEnabled(!orvane::VarToBool(AValue));
  });
  // The date as the process writes dates ("dd/mm/yyyy").
  kind->SetOnGetText([picker] { return orvane::TOrvaneVariant(picker->DateText()); });
  kind->SetOnSetText([picker](const orvane::TOrvaneVariant& AValue) {
    // A cleared date input leaves the date as it is (the picker always
    // holds one; the page gets it back on the next pass).
    if (orvane::VarIsEmpty(AValue)) return;
    Silently(picker, &ui::TDateTimePicker::OnChange, [&] {
      if (const double* date = std::get_if<double>(&AValue))
        picker->SetDate(*date);
      else
        picker->SetDateText(orvane::VarToStr(AValue));  // EConvertError when no date
    });
  });
}

void TVCLObjTDateTimePicker::ProcessEventClass() {
  auto kind = FrameworkItemClass();
  auto* picker = ControlAs<ui::TDateTimePicker>();
  if (!kind || !picker) return;
  ForwardEvents(*kind, picker, feClick | feEnter | feExit);
  if (picker->OnChange) kind->SetOnChange(NotifyProc(picker, &ui::TDateTimePicker::OnChange));
  ForwardEvents(*kind, picker, feKeyDown | feKeyPress);
}

}  // namespace vexlo
