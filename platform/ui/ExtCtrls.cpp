#include "platform/ui/ExtCtrls.h"

#include <algorithm>

namespace ui {

const TClassInfo& TCustomPanel::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TCustomPanel", &TCustomControl::StaticClass(), nullptr);
    AddCaptionProperty(c);
    c.AddProperty(CORE_PROP(TCustomPanel, TBevelCut, "BevelOuter", TPropKind::Enum, "TBevelCut",
                            BevelOuter, SetBevelOuter));
    c.AddProperty(CORE_PROP(TCustomPanel, TBevelCut, "BevelInner", TPropKind::Enum, "TBevelCut",
                            BevelInner, SetBevelInner));
    c.AddProperty(CORE_PROP(TCustomPanel, int, "BevelWidth", TPropKind::Integer, "TBevelWidth",
                            BevelWidth, SetBevelWidth));
    c.AddProperty(CORE_PROP(TCustomPanel, int, "BorderWidth", TPropKind::Integer, "TBorderWidth",
                            BorderWidth, SetBorderWidth));
    c.AddProperty(CORE_PROP(TCustomPanel, bool, "ParentBackground", TPropKind::Bool, "Boolean",
                            ParentBackground, SetParentBackground));
    c.AddProperty(CORE_PROP(TCustomPanel, bool, "ShowCaption", TPropKind::Bool, "Boolean",
                            ShowCaption, SetShowCaption));
    return c;
  }();
  return info;
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 185;
  FHeight = 41;
}

void TCustomPanel::SetBevelOuter(TBevelCut AValue) {
  if (AValue == FBevelOuter) return;
  FBevelOuter = AValue;
  Changed(TControlChange::Style);
  Realign();
}
void TCustomPanel::SetBevelInner(TBevelCut AValue) {
  if (AValue == FBevelInner) return;
  FBevelInner = AValue;
  Changed(TControlChange::Style);
  Realign();
}
void TCustomPanel::SetBevelWidth(int AValue) {
  if (AValue == FBevelWidth || AValue < 1) return;
  FBevelWidth = AValue;
  Changed(TControlChange::Style);
  Realign();
}
void TCustomPanel::SetBorderWidth(int AValue) {
  if (AValue == FBorderWidth || AValue < 0) return;
  FBorderWidth = AValue;
  Changed(TControlChange::Style);
  Realign();
}
void TCustomPanel::SetAlignment(TAlignment AValue) {
  if (AValue == FAlignment) return;
  FAlignment = AValue;
  Changed(TControlChange::Style);
}
void TCustomPanel::SetParentBackground(bool AValue) {
  if (AValue == FParentBackground) return;
  FParentBackground = AValue;
  Changed(TControlChange::Color);
}
void TCustomPanel::SetStyleElements(TStyleElements AValue) {
  if (AValue == FStyleElements) return;
  FStyleElements = AValue;
  Changed(TControlChange::Style);
}
void TCustomPanel::SetShowCaption(bool AValue) {
  if (AValue == FShowCaption) return;
  FShowCaption = AValue;
  Changed(TControlChange::Text);
}

TRect TCustomPanel::AdjustClientRect() const {
  // The border, then one bevel width per bevel drawn.
  int inset = FBorderWidth;
  if (FBevelOuter != bvNone) inset += FBevelWidth;
  if (FBevelInner != bvNone) inset += FBevelWidth;
  TRect r = ClientRect();
  return Rect(r.Left + inset, r.Top + inset, std::max(r.Left + inset, r.Right - inset),
              std::max(r.Top + inset, r.Bottom - inset));
}

const TClassInfo& TPanel::StaticClass() {
  static TClassInfo info("TPanel", &TCustomPanel::StaticClass(), FactoryOf<TPanel>());
  return info;
}
TPanel::TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}

// ---------------------------------------------------------------------------

const TClassInfo& TImage::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TImage", &TGraphicControl::StaticClass(), FactoryOf<TImage>());
    c.AddProperty(
        CORE_PROP(TImage, bool, "Stretch", TPropKind::Bool, "Boolean", Stretch, SetStretch));
    c.AddProperty(CORE_PROP(TImage, bool, "Center", TPropKind::Bool, "Boolean", Center, SetCenter));
    c.AddProperty(CORE_PROP(TImage, bool, "Proportional", TPropKind::Bool, "Boolean", Proportional,
                            SetProportional));
    c.AddProperty(CORE_PROP(TImage, bool, "Transparent", TPropKind::Bool, "Boolean", Transparent,
                            SetTransparent));
    return c;
  }();
  return info;
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 105;
  FHeight = 105;
  FPicture.OnChange = [this] { Changed(TControlChange::Picture); };
}

void TImage::SetStretch(bool AValue) {
  if (AValue == FStretch) return;
  FStretch = AValue;
  Changed(TControlChange::Picture);
}
void TImage::SetCenter(bool AValue) {
  if (AValue == FCenter) return;
  FCenter = AValue;
  Changed(TControlChange::Picture);
}
void TImage::SetProportional(bool AValue) {
  if (AValue == FProportional) return;
  FProportional = AValue;
  Changed(TControlChange::Picture);
}
void TImage::SetTransparent(bool AValue) {
  if (AValue == FTransparent) return;
  FTransparent = AValue;
  Changed(TControlChange::Picture);
}

TRect PictureDestRect(int w, int h, int cw, int ch, bool AStretch, bool ACenter,
                      bool AProportional) {
  if (w <= 0 || h <= 0) return Rect(0, 0, 0, 0);
  if (AStretch || (AProportional && (w > cw || h > ch))) {
    if (AProportional) {
      // Fit inside keeping the aspect ratio.
      if (static_cast<long long>(cw) * h > static_cast<long long>(ch) * w) {
        w = static_cast<int>(static_cast<long long>(ch) * w / h);
        h = ch;
      } else {
        h = static_cast<int>(static_cast<long long>(cw) * h / w);
        w = cw;
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  int l = 0, t = 0;
  if (ACenter) {
    l = (cw - w) / 2;
    t = (ch - h) / 2;
  }
  return Rect(l, t, l + w, t + h);
}

TRect TImage::DestRect() const {
  return PictureDestRect(FPicture.Width(), FPicture.Height(), ClientWidth(), ClientHeight(),
                         FStretch, FCenter, FProportional);
}

}  // namespace ui
