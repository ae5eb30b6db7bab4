#include "orvane/server/Orvane.Clipboard.h"

#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Util.h"

namespace orvane {

void TOrvaneClipboard::SetAsText(const std::string& AText) {
  {
    std::lock_guard<std::mutex> g(FLock);
    FText = AText;
  }
  // The text travels as a JSON string literal: quotes, backquotes and line
  // breaks cannot end the statement.
  if (FOrvaneSession)
    FOrvaneSession->ExecJS(" navigator.clipboard.writeText(" + FormatValueHTML(AText) + ") ");
}

std::string TOrvaneClipboard::GetAsText() const {
  std::lock_guard<std::mutex> g(FLock);
  return FText;
}

}  // namespace orvane
