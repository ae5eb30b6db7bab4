// The HTML accumulator of a bridge object: the body that layout items write
// into, the text each rendered item produced, the extra head lines and the
// default page skeleton around the body.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vexlo {

// Switches of the default skeleton; all off at creation.
struct HTMLOptions {
  bool HTMLTags = false;
  bool IncluseBootStrap = false;
  bool IncludeCharSet = false;
  bool IncludeViewPort = false;
  bool IncludeDIVContainer = false;
  bool ValidateAllControls = false;
};

using TOnAddHTMLControls = std::function<void(
    const std::string& AName, const std::string& ANamePrefix, const std::string& HTMLText)>;

class TVexloHTML {
 public:
  // The lines of a rendered item are joined with this.
  static constexpr const char* kLineBreak = "\r\n";

  // Empties the line lists and the captured texts; title and options stay.
  void Clear();
  // Keeps the text an item produced under its identifier and tells the
  // hook. A name captured twice fails (identifiers are unique per form).
  void AddHTMLControls(const std::string& AName, const std::string& ANamePrefix,
                       const std::string& HTMLText);
  // The captured text, empty for an unknown name.
  std::string GetHTMLControls(const std::string& AName) const;
  // The default page around the body, as lines.
  std::vector<std::string> MakeHTML() const;
  // The body lines joined with line breaks.
  std::string BodyText() const;

  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& AValue) { FTitle = AValue; }
  std::vector<std::string>& Meta() { return FMeta; }
  std::vector<std::string>& Headers() { return FHeaders; }
  std::vector<std::string>& Styles() { return FStyles; }
  std::vector<std::string>& Script() { return FScript; }
  std::vector<std::string>& Body() { return FBody; }
  const std::map<std::string, std::string>& HTMLControls() const { return FHTMLControls; }
  HTMLOptions& Options() { return FOptions; }
  TOnAddHTMLControls OnAddHTMLControls;

 private:
  std::string FTitle;
  std::vector<std::string> FMeta;
  std::vector<std::string> FHeaders;
  std::vector<std::string> FStyles;
  std::vector<std::string> FScript;
  std::vector<std::string> FBody;
  std::map<std::string, std::string> FHTMLControls;
  HTMLOptions FOptions;
};

}  // namespace vexlo
