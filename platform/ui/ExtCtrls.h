// Panels and images.
#pragma once

#include "platform/ui/Controls.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

// Which parts the toolkit's visual style paints; off means the control's own
// colours and font are used as they are.
enum TStyleElement : unsigned { seFont = 1, seClient = 2, seBorder = 4 };
using TStyleElements = unsigned;

class TCustomPanel : public TCustomControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TCustomPanel(TComponent* AOwner);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut AValue);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut AValue);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int AValue);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int AValue);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment AValue);
  bool ParentBackground() const { return FParentBackground; }
  void SetParentBackground(bool AValue);
  TStyleElements StyleElements() const { return FStyleElements; }
  void SetStyleElements(TStyleElements AValue);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool AValue);

 protected:
  TRect AdjustClientRect() const override;

 private:
  TBevelCut FBevelOuter = bvRaised;
  TBevelCut FBevelInner = bvNone;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
  bool FParentBackground = true;
  TStyleElements FStyleElements = seFont | seClient | seBorder;
  bool FShowCaption = true;
};

class TPanel : public TCustomPanel {
  CORE_DECLARE_CLASS()
 public:
  explicit TPanel(TComponent* AOwner);
};

// Where a picture of PW x PH goes in a CW x CH area.
TRect PictureDestRect(int APictureWidth, int APictureHeight, int AClientWidth, int AClientHeight,
                      bool AStretch, bool ACenter, bool AProportional);

// A control that shows a picture (images and data-aware images); backends
// draw PictureRect of ShownPicture.
class TPictureView {
 public:
  virtual ~TPictureView() = default;
  virtual const TPicture& ShownPicture() const = 0;
  virtual TRect PictureRect() const = 0;
};

// Shows a picture: at its size from the top left, centred, stretched, or
// stretched keeping its proportions.
class TImage : public TGraphicControl, public TPictureView {
  CORE_DECLARE_CLASS()
 public:
  explicit TImage(TComponent* AOwner);
  TPicture& Picture() { return FPicture; }
  const TPicture& Picture() const { return FPicture; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool AValue);
  bool Center() const { return FCenter; }
  void SetCenter(bool AValue);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool AValue);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool AValue);
  // Where the picture is drawn inside the control.
  TRect DestRect() const;
  const TPicture& ShownPicture() const override { return FPicture; }
  TRect PictureRect() const override { return DestRect(); }

 private:
  TPicture FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FProportional = false;
  bool FTransparent = false;
};

}  // namespace ui
