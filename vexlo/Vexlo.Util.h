// Helpers of the layout rendering and the adapters.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace ui {
class TControl;
}

namespace vexlo {

// A failure of the bridge with a message the user can act on.
class EVexloError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Trims the text and removes every `=""`, so that an empty attribute
// becomes a bare attribute name.
std::string TrataHTMLTag(std::string_view AText);
// Text of that length drawn uniformly from digits and ASCII letters; empty
// for a length of 0 or less.
std::string Gerar_String_Aleatorio(int ALength);
// The control's visibility (enabled state) and-ed up its parents until the
// form; a tab sheet contributes its tab visibility.
bool GetVisibleRecursive(const ui::TControl* AControl);
bool GetEnabledRecursive(const ui::TControl* AControl);
// A caption without its accelerator markers: each "&" goes, "&&" is one "&".
std::string StripAccelerators(std::string_view ACaption);
// A width scaled from the screen's pixels per inch to the default 96.
int WidthPPI(int AWidth);

}  // namespace vexlo
