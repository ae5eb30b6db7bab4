// The clipboard: text and bitmaps, kept by the backend.
#pragma once

#include <string>

#include "platform/ui/Graphics.h"

namespace ui {

enum TClipboardFormat { CF_TEXT = 1, CF_BITMAP = 2, CF_PICTURE = 3 };

class TClipboard {
 public:
  bool HasFormat(TClipboardFormat AFormat) const;
  std::string AsText() const;
  void SetAsText(const std::string& AText);
  // The bitmap on the clipboard; throws EToolkitError when there is none.
  TBitmap GetBitmap() const;
  void SetBitmap(const TBitmap& ABitmap);
  // Puts a picture on the clipboard (decoded to a bitmap; PNG only).
  void Assign(const TPicture& APicture);
  // Fills a picture with the clipboard's bitmap (stored as PNG).
  void AssignTo(TPicture& APicture) const;
};

TClipboard* Clipboard();

}  // namespace ui
