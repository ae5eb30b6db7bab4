#include "platform/ui/Buttons.h"

#include "platform/ui/StdCtrls.h"

namespace ui {

const TClassInfo& TSpeedButton::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TSpeedButton", &TGraphicControl::StaticClass(), FactoryOf<TSpeedButton>());
    AddCaptionProperty(c);
    c.AddProperty(CORE_PROP(TSpeedButton, bool, "Flat", TPropKind::Bool, "Boolean", Flat, SetFlat));
    c.AddProperty(CORE_PROP(TSpeedButton, TButtonLayout, "Layout", TPropKind::Enum, "TButtonLayout",
                            Layout, SetLayout));
    c.AddProperty(
        CORE_PROP(TSpeedButton, int, "Margin", TPropKind::Integer, "Integer", Margin, SetMargin));
    c.AddProperty(CORE_PROP(TSpeedButton, int, "Spacing", TPropKind::Integer, "Integer", Spacing,
                            SetSpacing));
    c.AddProperty(CORE_PROP(TSpeedButton, int, "GroupIndex", TPropKind::Integer, "Integer",
                            GroupIndex, SetGroupIndex));
    c.AddProperty(CORE_PROP(TSpeedButton, bool, "Down", TPropKind::Bool, "Boolean", Down, SetDown));
    return c;
  }();
  return info;
}

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 23;
  FHeight = 22;
  FGlyph.OnChange = [this] { Changed(TControlChange::Picture); };
}

void TSpeedButton::SetFlat(bool AValue) {
  if (AValue == FFlat) return;
  FFlat = AValue;
  Changed(TControlChange::Style);
}
void TSpeedButton::SetLayout(TButtonLayout AValue) {
  if (AValue == FLayout) return;
  FLayout = AValue;
  Changed(TControlChange::Style);
}
void TSpeedButton::SetMargin(int AValue) {
  if (AValue == FMargin) return;
  FMargin = AValue;
  Changed(TControlChange::Style);
}
void TSpeedButton::SetSpacing(int AValue) {
  if (AValue == FSpacing) return;
  FSpacing = AValue;
  Changed(TControlChange::Style);
}

void TSpeedButton::SetDown(bool AValue) {
  if (FGroupIndex == 0) AValue = false;
  if (AValue == FDown) return;
  if (!AValue && !FAllowAllUp) {
    // One button of a group stays down unless all may be up.
    bool otherDown = false;
    if (FParent)
      for (int i = 0; i < FParent->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButton*>(FParent->Controls(i));
            b && b != this && b->FGroupIndex == FGroupIndex && b->FDown)
          otherDown = true;
    if (!otherDown) return;
  }
  FDown = AValue;
  if (AValue && FParent)
    for (int i = 0; i < FParent->ControlCount(); ++i)
      if (auto* b = dynamic_cast<TSpeedButton*>(FParent->Controls(i));
          b && b != this && b->FGroupIndex == FGroupIndex && b->FDown) {
        b->FDown = false;
        b->Changed(TControlChange::Checked);
      }
  Changed(TControlChange::Checked);
}

void TSpeedButton::Click() {
  if (FGroupIndex != 0) SetDown(FAllowAllUp ? !FDown : true);
  TGraphicControl::Click();
}

}  // namespace ui
