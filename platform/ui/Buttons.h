// Speed buttons: flat buttons with a picture, grouped or alone.
#pragma once

#include "platform/ui/Controls.h"

namespace ui {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TSpeedButton : public TGraphicControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TSpeedButton(TComponent* AOwner);
  TPicture& Glyph() { return FGlyph; }
  const TPicture& Glyph() const { return FGlyph; }
  bool Flat() const { return FFlat; }
  void SetFlat(bool AValue);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout AValue);
  // Pixels between the edge and the picture (or text); -1 centres.
  int Margin() const { return FMargin; }
  void SetMargin(int AValue);
  // Pixels between the picture and the text.
  int Spacing() const { return FSpacing; }
  void SetSpacing(int AValue);
  // Buttons of one GroupIndex (not 0) on one parent act as radio buttons.
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int AValue) { FGroupIndex = AValue; }
  bool Down() const { return FDown; }
  void SetDown(bool AValue);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool AValue) { FAllowAllUp = AValue; }
  void Click() override;

 private:
  TPicture FGlyph;
  bool FFlat = false;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
};

}  // namespace ui
