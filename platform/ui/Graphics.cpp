#include "platform/ui/Graphics.h"

#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace ui {

TColor ColorToRGB(TColor AColor) {
  if ((AColor & clSystemColor) != clSystemColor) return AColor & 0xFFFFFF;
  switch (AColor & 0xFF) {
    case 0:
      return RGB(200, 200, 200);
    case 1:
      return RGB(0, 0, 0);
    case 4:
      return RGB(240, 240, 240);
    case 5:
      return RGB(255, 255, 255);
    case 8:
      return RGB(0, 0, 0);
    case 13:
      return RGB(0, 120, 215);
    case 14:
      return RGB(255, 255, 255);
    case 15:
      return RGB(240, 240, 240);
    case 16:
      return RGB(160, 160, 160);
    case 17:
      return RGB(109, 109, 109);
    case 18:
      return RGB(0, 0, 0);
    case 24:
      return RGB(255, 255, 225);
    default:
      return RGB(240, 240, 240);
  }
}

TFont::TFont() = default;

void TFont::SetName(const std::string& AValue) {
  if (AValue == FName) return;
  FName = AValue;
  Changed();
}

void TFont::SetSize(int AValue) {
  if (AValue == FSize) return;
  FSize = AValue;
  Changed();
}

void TFont::SetHeight(int AValue) {
  int px = AValue < 0 ? -AValue : AValue;
  SetSize((px * 72 + 48) / 96);
}

void TFont::SetColor(TColor AValue) {
  if (AValue == FColor) return;
  FColor = AValue;
  Changed();
}

void TFont::SetStyle(TFontStyles AValue) {
  if (AValue == FStyle) return;
  FStyle = AValue;
  Changed();
}

void TFont::Assign(const TFont& AOther) {
  if (*this == AOther) return;
  FName = AOther.FName;
  FSize = AOther.FSize;
  FColor = AOther.FColor;
  FStyle = AOther.FStyle;
  Changed();
}

TPoint Point(int X, int Y) {
  return TPoint{X, Y};
}
TRect Rect(int ALeft, int ATop, int ARight, int ABottom) {
  return TRect{ALeft, ATop, ARight, ABottom};
}
bool PtInRect(const TRect& R, TPoint P) {
  return R.Contains(P);
}

// ---------------------------------------------------------------------------

TBitmap::TBitmap(int AWidth, int AHeight) {
  SetSize(AWidth, AHeight);
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  if (AWidth < 0 || AHeight < 0 || AWidth > 30000 || AHeight > 30000)
    throw EInvalidGraphic("Dimensões de imagem inválidas");
  FWidth = AWidth;
  FHeight = AHeight;
  FPixels.assign(static_cast<size_t>(AWidth) * AHeight * 4, 0);
}

TColor TBitmap::GetPixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return clNone;
  const uint8_t* p = &FPixels[(static_cast<size_t>(Y) * FWidth + X) * 4];
  return RGB(p[0], p[1], p[2]);
}

void TBitmap::SetPixel(int X, int Y, TColor AColor) {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return;
  uint8_t* p = &FPixels[(static_cast<size_t>(Y) * FWidth + X) * 4];
  TColor c = ColorToRGB(AColor);
  p[0] = static_cast<uint8_t>(GetRValue(c));
  p[1] = static_cast<uint8_t>(GetGValue(c));
  p[2] = static_cast<uint8_t>(GetBValue(c));
  p[3] = 255;
}

void TBitmap::Fill(TColor AColor) {
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) SetPixel(x, y, AColor);
}

// ---------------------------------------------------------------------------

namespace {

uint32_t BE32(std::string_view d, size_t at) {
  return (uint32_t(uint8_t(d[at])) << 24) | (uint32_t(uint8_t(d[at + 1])) << 16) |
         (uint32_t(uint8_t(d[at + 2])) << 8) | uint32_t(uint8_t(d[at + 3]));
}
uint32_t LE32(std::string_view d, size_t at) {
  return uint32_t(uint8_t(d[at])) | (uint32_t(uint8_t(d[at + 1])) << 8) |
         (uint32_t(uint8_t(d[at + 2])) << 16) | (uint32_t(uint8_t(d[at + 3])) << 24);
}
uint16_t BE16(std::string_view d, size_t at) {
  return static_cast<uint16_t>((uint8_t(d[at]) << 8) | uint8_t(d[at + 1]));
}

[[noreturn]] void BadHeader(const char* AKind) {
  throw EInvalidGraphic(std::string("Cabeçalho de imagem ") + AKind + " inválido");
}

TSize JPEGSize(std::string_view d) {
  size_t i = 2;
  while (i + 4 <= d.size()) {
    if (uint8_t(d[i]) != 0xFF) BadHeader("JPEG");
    uint8_t marker = uint8_t(d[i + 1]);
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      i += 2;
      continue;
    }
    uint16_t len = BE16(d, i + 2);
    if (len < 2) BadHeader("JPEG");
    bool sof =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof) {
      if (i + 9 > d.size()) BadHeader("JPEG");
      return TSize{BE16(d, i + 7), BE16(d, i + 5)};
    }
    i += 2 + len;
  }
  BadHeader("JPEG");
}

}  // namespace

TPictureFormat DetectPictureFormat(std::string_view d) {
  if (d.size() >= 8 && std::memcmp(d.data(), "\x89PNG\r\n\x1a\n", 8) == 0) return pfPNG;
  if (d.size() >= 3 && uint8_t(d[0]) == 0xFF && uint8_t(d[1]) == 0xD8 && uint8_t(d[2]) == 0xFF)
    return pfJPEG;
  if (d.size() >= 2 && d[0] == 'B' && d[1] == 'M') return pfBMP;
  if (d.size() >= 6 && d[0] == 0 && d[1] == 0 && d[2] == 1 && d[3] == 0 && (d[4] || d[5]))
    return pfICO;
  return pfNone;
}

TSize PictureDimensions(std::string_view d, TPictureFormat AFormat) {
  switch (AFormat) {
    case pfPNG:
      if (d.size() < 24 || d.substr(12, 4) != "IHDR") BadHeader("PNG");
      return TSize{static_cast<int>(BE32(d, 16)), static_cast<int>(BE32(d, 20))};
    case pfBMP: {
      if (d.size() < 26) BadHeader("BMP");
      uint32_t hdr = LE32(d, 14);
      if (hdr == 12)
        return TSize{uint8_t(d[18]) | (uint8_t(d[19]) << 8),
                     uint8_t(d[20]) | (uint8_t(d[21]) << 8)};
      auto w = static_cast<int32_t>(LE32(d, 18));
      auto h = static_cast<int32_t>(LE32(d, 22));
      if (w < 0 || h == INT32_MIN) BadHeader("BMP");
      return TSize{w, h < 0 ? -h : h};
    }
    case pfICO: {
      if (d.size() < 22) BadHeader("ICO");
      int w = uint8_t(d[6]), h = uint8_t(d[7]);
      return TSize{w == 0 ? 256 : w, h == 0 ? 256 : h};
    }
    case pfJPEG:
      return JPEGSize(d);
    case pfNone:
      break;
  }
  throw EInvalidGraphic("Formato de imagem desconhecido");
}

std::string EncodePNG(const TBitmap& ABitmap) {
  if (ABitmap.Empty()) throw EInvalidGraphic("Imagem vazia não pode ser gravada");
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  img.width = static_cast<png_uint_32>(ABitmap.Width());
  img.height = static_cast<png_uint_32>(ABitmap.Height());
  img.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&img, nullptr, &size, 0, ABitmap.Pixels().data(), 0, nullptr))
    throw EInvalidGraphic(std::string("Falha ao codificar PNG: ") + img.message);
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&img, out.data(), &size, 0, ABitmap.Pixels().data(), 0, nullptr))
    throw EInvalidGraphic(std::string("Falha ao codificar PNG: ") + img.message);
  out.resize(size);
  return out;
}

TBitmap DecodePNG(std::string_view AData) {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&img, AData.data(), AData.size()))
    throw EInvalidGraphic(std::string("PNG inválido: ") + img.message);
  img.format = PNG_FORMAT_RGBA;
  if (img.width > 30000 || img.height > 30000) {
    png_image_free(&img);
    throw EInvalidGraphic("PNG grande demais");
  }
  TBitmap bmp(static_cast<int>(img.width), static_cast<int>(img.height));
  if (!png_image_finish_read(&img, nullptr, bmp.Pixels().data(), 0, nullptr))
    throw EInvalidGraphic(std::string("PNG inválido: ") + img.message);
  return bmp;
}

// ---------------------------------------------------------------------------

std::string TPicture::Extension() const {
  switch (FFormat) {
    case pfPNG:
      return "png";
    case pfBMP:
      return "bmp";
    case pfICO:
      return "ico";
    case pfJPEG:
      return "jpg";
    case pfNone:
      break;
  }
  return "";
}

void TPicture::LoadFromData(std::string_view AData) {
  if (AData.empty()) {
    Clear();
    return;
  }
  TPictureFormat f = DetectPictureFormat(AData);
  if (f == pfNone)
    throw EInvalidGraphic("Formato de imagem não suportado (use PNG, BMP, ICO ou JPEG)");
  TSize sz = PictureDimensions(AData, f);
  FFormat = f;
  FData.assign(AData);
  FWidth = sz.cx;
  FHeight = sz.cy;
  Changed();
}

void TPicture::LoadFromFile(const std::string& AFileName) {
  std::ifstream in(AFileName, std::ios::binary);
  if (!in) throw EToolkitError("Não foi possível abrir o arquivo " + AFileName);
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (data.empty()) throw EInvalidGraphic("O arquivo " + AFileName + " está vazio");
  LoadFromData(data);
}

void TPicture::SaveToFile(const std::string& AFileName) const {
  std::ofstream out(AFileName, std::ios::binary);
  if (!out) throw EToolkitError("Não foi possível gravar o arquivo " + AFileName);
  out.write(FData.data(), static_cast<std::streamsize>(FData.size()));
  if (!out) throw EToolkitError("Falha ao gravar o arquivo " + AFileName);
}

void TPicture::Assign(const TBitmap& ABitmap) {
  if (ABitmap.Empty()) {
    Clear();
    return;
  }
  FData = EncodePNG(ABitmap);
  FFormat = pfPNG;
  FWidth = ABitmap.Width();
  FHeight = ABitmap.Height();
  Changed();
}

void TPicture::Assign(const TPicture& AOther) {
  if (this == &AOther) return;
  FFormat = AOther.FFormat;
  FData = AOther.FData;
  FWidth = AOther.FWidth;
  FHeight = AOther.FHeight;
  Changed();
}

void TPicture::Clear() {
  if (FFormat == pfNone && FData.empty()) return;
  FFormat = pfNone;
  FData.clear();
  FWidth = FHeight = 0;
  Changed();
}

TBitmap TPicture::ToBitmap() const {
  if (FFormat != pfPNG) throw EInvalidGraphic("Só imagens PNG podem ser convertidas em bitmap");
  return DecodePNG(FData);
}

// ---------------------------------------------------------------------------

TSize EstimateTextExtent(const std::string& AText, const TFont& AFont) {
  int px = -AFont.Height();
  int chars = 0;
  for (unsigned char ch : AText)
    if ((ch & 0xC0) != 0x80) ++chars;  // count UTF-8 code points
  return TSize{(chars * px * 55 + 50) / 100, (px * 125 + 50) / 100};
}

namespace {
TTextMeasure& TextMeasure() {
  static TTextMeasure measure;
  return measure;
}
}  // namespace

void SetTextMeasure(TTextMeasure AMeasure) {
  TextMeasure() = std::move(AMeasure);
}

TSize MeasureText(const std::string& AText, const TFont& AFont) {
  if (const TTextMeasure& m = TextMeasure()) return m(AText, AFont);
  return EstimateTextExtent(AText, AFont);
}

void TCanvas::FillRect(const TRect& R) {
  Changing();
  if (FPainter) FPainter->FillRect(R, Brush);
}

void TCanvas::FrameRect(const TRect& R) {
  Changing();
  if (FPainter) FPainter->FrameRect(R, Pen);
}

void TCanvas::TextOut(int X, int Y, const std::string& AText) {
  Changing();
  if (FPainter) FPainter->TextOut(X, Y, AText, Font, Brush);
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& AText) {
  Changing();
  if (!FPainter) return;
  if (Brush.Style != bsClear) FPainter->FillRect(R, Brush);
  FPainter->TextOut(X, Y, AText, Font, Brush);
}

void TCanvas::Draw(const TRect& R, const TPicture& APicture) {
  Changing();
  if (FPainter) FPainter->DrawPicture(R, APicture);
}

void TCanvas::DrawFocusRect(const TRect& R) {
  Changing();
  if (FPainter) FPainter->DrawFocusRect(R);
}

void TCanvas::DrawCloseButton(const TRect& R, bool APushed) {
  Changing();
  if (FPainter) FPainter->DrawCloseButton(R, APushed);
}

TSize TCanvas::TextExtent(const std::string& AText) {
  if (FPainter) return FPainter->TextExtent(AText, Font);
  return MeasureText(AText, Font);
}

}  // namespace ui
