#include "platform/ui/Clipbrd.h"

#include "platform/ui/Forms.h"

namespace ui {

bool TClipboard::HasFormat(TClipboardFormat AFormat) const {
  switch (AFormat) {
    case CF_TEXT:
      return Application->Backend()->ClipboardHasText();
    case CF_BITMAP:
    case CF_PICTURE:
      return Application->Backend()->ClipboardHasBitmap();
  }
  return false;
}

std::string TClipboard::AsText() const {
  return Application->Backend()->ClipboardText();
}

void TClipboard::SetAsText(const std::string& AText) {
  Application->Backend()->SetClipboardText(AText);
}

TBitmap TClipboard::GetBitmap() const {
  if (!Application->Backend()->ClipboardHasBitmap())
    throw EToolkitError("A área de transferência não contém uma imagem");
  return Application->Backend()->ClipboardBitmap();
}

void TClipboard::SetBitmap(const TBitmap& ABitmap) {
  Application->Backend()->SetClipboardBitmap(ABitmap);
}

void TClipboard::Assign(const TPicture& APicture) {
  SetBitmap(APicture.ToBitmap());
}

void TClipboard::AssignTo(TPicture& APicture) const {
  APicture.Assign(GetBitmap());
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

}  // namespace ui
