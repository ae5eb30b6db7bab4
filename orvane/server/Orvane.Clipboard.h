// A session's clipboard: text put on it is also written to the clipboard of
// the visitor's browser.
#pragma once

#include <mutex>
#include <string>

namespace orvane {

class IOrvaneSession;

class TOrvaneClipboard {
 public:
  explicit TOrvaneClipboard(IOrvaneSession* ASession) : FOrvaneSession(ASession) {}

  // Keeps the text and has the page write it to the browser's clipboard.
  void SetAsText(const std::string& AText);
  std::string GetAsText() const;

 private:
  mutable std::mutex FLock;
  std::string FText;
  IOrvaneSession* FOrvaneSession;  // the owning session
};

}  // namespace orvane
