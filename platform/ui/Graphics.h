// Colours, fonts, canvases and pictures of the toolkit model. Pictures keep
// their encoded bytes (PNG, BMP, ICO, JPEG) and know their format and size;
// a bitmap holds raw RGBA pixels and is stored as PNG when a picture takes it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Core.h"

namespace ui {

// Colours are 0x00BBGGRR values; system colours have the top byte 0xFF and
// the colour index in the low byte.
using TColor = int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInfoBk = clSystemColor | 24;
// The RGB value of a colour (system colours resolved to the classic palette).
TColor ColorToRGB(TColor AColor);
inline int GetRValue(TColor c) {
  return c & 0xFF;
}
inline int GetGValue(TColor c) {
  return (c >> 8) & 0xFF;
}
inline int GetBValue(TColor c) {
  return (c >> 16) & 0xFF;
}
inline TColor RGB(int r, int g, int b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// Font styles as a bit set.
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

class TFont {
 public:
  TFont();
  const std::string& Name() const { return FName; }
  void SetName(const std::string& AValue);
  int Size() const { return FSize; }  // points
  void SetSize(int AValue);
  // Height in pixels at 96 dpi, negative as the toolkit stores it.
  int Height() const { return -(FSize * 96 + 36) / 72; }
  void SetHeight(int AValue);
  TColor Color() const { return FColor; }
  void SetColor(TColor AValue);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles AValue);
  void Assign(const TFont& AOther);
  bool operator==(const TFont& o) const {
    return FName == o.FName && FSize == o.FSize && FColor == o.FColor && FStyle == o.FStyle;
  }

  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }
  std::string FName = "Segoe UI";
  int FSize = 9;
  TColor FColor = clWindowText;
  TFontStyles FStyle = 0;
};

struct TPoint {
  int X = 0, Y = 0;
  bool operator==(const TPoint&) const = default;
};
TPoint Point(int X, int Y);

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint P) const { return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom; }
  bool operator==(const TRect&) const = default;
};
TRect Rect(int ALeft, int ATop, int ARight, int ABottom);
bool PtInRect(const TRect& R, TPoint P);

struct TSize {
  int cx = 0, cy = 0;
};

// ---------------------------------------------------------------------------
// Bitmaps and pictures

// Raw 8-bit RGBA pixels, row by row, no padding.
class TBitmap {
 public:
  TBitmap() = default;
  TBitmap(int AWidth, int AHeight);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetSize(int AWidth, int AHeight);
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  std::vector<uint8_t>& Pixels() { return FPixels; }
  const std::vector<uint8_t>& Pixels() const { return FPixels; }
  // Pixel access as a TColor (alpha ignored).
  TColor GetPixel(int X, int Y) const;
  void SetPixel(int X, int Y, TColor AColor);
  void Fill(TColor AColor);
  bool operator==(const TBitmap&) const = default;

 private:
  int FWidth = 0, FHeight = 0;
  std::vector<uint8_t> FPixels;
};

enum TPictureFormat { pfNone, pfPNG, pfBMP, pfICO, pfJPEG };

// The format of encoded picture bytes by their signature; pfNone when unknown.
TPictureFormat DetectPictureFormat(std::string_view AData);
// Width and height of encoded picture bytes; throws EInvalidGraphic when the
// header is not readable.
TSize PictureDimensions(std::string_view AData, TPictureFormat AFormat);
// PNG encoding and decoding of bitmaps.
std::string EncodePNG(const TBitmap& ABitmap);
TBitmap DecodePNG(std::string_view AData);

class EInvalidGraphic : public EToolkitError {
 public:
  using EToolkitError::EToolkitError;
};

// A picture: encoded bytes of a known format and its dimensions.
class TPicture {
 public:
  bool Empty() const { return FFormat == pfNone; }
  TPictureFormat Format() const { return FFormat; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The encoded bytes, as loaded or as encoded from a bitmap.
  const std::string& Data() const { return FData; }
  // The file extension of the format ("png", "bmp", "ico", "jpg"), empty when empty.
  std::string Extension() const;

  // Takes encoded bytes; empty data clears the picture. Unknown formats are
  // refused with EInvalidGraphic.
  void LoadFromData(std::string_view AData);
  void LoadFromFile(const std::string& AFileName);
  void SaveToFile(const std::string& AFileName) const;
  // Stores the bitmap as PNG.
  void Assign(const TBitmap& ABitmap);
  void Assign(const TPicture& AOther);
  void Clear();
  // The picture's pixels (PNG only; other formats throw EInvalidGraphic).
  TBitmap ToBitmap() const;
  bool operator==(const TPicture& o) const { return FFormat == o.FFormat && FData == o.FData; }

  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }
  TPictureFormat FFormat = pfNone;
  std::string FData;
  int FWidth = 0, FHeight = 0;
};

// ---------------------------------------------------------------------------
// Canvas

enum TBrushStyle { bsSolid, bsClear };

class TBrush {
 public:
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

class TPen {
 public:
  TColor Color = clBlack;
  int Width = 1;
};

// Where a canvas draws; the backend supplies one while a control paints.
class TCanvasPainter {
 public:
  virtual ~TCanvasPainter() = default;
  virtual void FillRect(const TRect& R, const TBrush& ABrush) = 0;
  virtual void FrameRect(const TRect& R, const TPen& APen) = 0;
  virtual void TextOut(int X, int Y, const std::string& AText, const TFont& AFont,
                       const TBrush& ABrush) = 0;
  virtual void DrawPicture(const TRect& R, const TPicture& APicture) = 0;
  virtual void DrawFocusRect(const TRect& R) = 0;
  virtual void DrawCloseButton(const TRect& R, bool APushed) = 0;
  virtual TSize TextExtent(const std::string& AText, const TFont& AFont) = 0;
};

// Drawing state and operations. Without a painter (headless) drawing does
// nothing and text is measured with an average character width.
class TCanvas {
 public:
  TFont Font;
  TBrush Brush;
  TPen Pen;
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);
  void TextOut(int X, int Y, const std::string& AText);
  void TextRect(const TRect& R, int X, int Y, const std::string& AText);
  void Draw(const TRect& R, const TPicture& APicture);
  void DrawFocusRect(const TRect& R);
  // A window close button in its normal or pushed state.
  void DrawCloseButton(const TRect& R, bool APushed);
  TSize TextExtent(const std::string& AText);
  int TextWidth(const std::string& AText) { return TextExtent(AText).cx; }
  int TextHeight(const std::string& AText) { return TextExtent(AText).cy; }

  TCanvasPainter* Painter() const { return FPainter; }
  void SetPainter(TCanvasPainter* APainter) { FPainter = APainter; }
  // Called before drawing operations (the tab control helper hooks it).
  std::function<void()> OnChanging;

 private:
  void Changing() {
    if (OnChanging) OnChanging();
  }
  TCanvasPainter* FPainter = nullptr;
};

// Text size without a painter: an average glyph of 0.55 em and a line of 1.25 em.
TSize EstimateTextExtent(const std::string& AText, const TFont& AFont);

// Measures text as the screen shows it: a native backend installs its font
// metrics here; without one the estimate above is used.
using TTextMeasure = std::function<TSize(const std::string& AText, const TFont& AFont)>;
void SetTextMeasure(TTextMeasure AMeasure);
TSize MeasureText(const std::string& AText, const TFont& AFont);

}  // namespace ui
