// The types the web form and the web controls share: the hooks through which
// a web control reads and writes its desktop control, the page states, the
// check-box kinds and the variant that values travel in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "orvane/server/Orvane.Events.h"
#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Util.h"
#include "platform/core/Classes.h"

namespace orvane {

// A value read from or written to a desktop control. The empty state
// (std::monostate) stands for "unassigned".
using TOrvaneVariant = core::TPropValue;

// Reads a property of the desktop control.
using TOnGetValue = std::function<TOrvaneVariant()>;
// Writes a property of the desktop control.
using TOnSetValue = std::function<void(const TOrvaneVariant& AValue)>;
// The desktop control's item list (not owned by the caller).
using TOnGetStrings = std::function<core::TStrings*()>;
// Receives the full paths of uploaded files.
using TOnUpload =
    std::function<void(const std::vector<std::string>& AFiles, core::TComponent* Sender)>;

enum class TOrvanePageState { PageStateUnloaded, PageStateLoading, PageStateLoaded };

enum class TCheckBoxType { CBSwitchType };

// The letter case an edit keeps its text in, numbered as the desktop edits
// number it.
enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

enum class TOrvaneAlignment {
  OrvaneAlignNone,
  OrvaneAlignLeft,
  OrvaneAlignRigth,
  OrvaneAlignCenter,
  OrvaneAlignJustified
};

// What a data grid cell shows.
enum class TOrvaneFieldModel {
  OrvaneFieldModelNone,
  OrvaneFieldModelField,
  OrvaneFieldModelCombobox,
  OrvaneFieldModelCheckbox,
  OrvaneFieldModelLookup,
  OrvaneFieldModelButton,
  OrvaneFieldModelHTML
};

// A value that cannot be converted to the type asked for.
class EVariantError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text from the browser that is not the date (or number) it should be.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The browser event a control event listens to: "click", "input" (select and
// change), "keydown"; empty for every other type.
std::string EventJSName(TOrvaneEventType AEventType);

bool VarIsEmpty(const TOrvaneVariant& AValue);
// Booleans as they are; numbers are true when not zero; texts "true" and
// "false" (ignoring case) or a number; the empty variant is false. Anything
// else throws EVariantError.
bool VarToBool(const TOrvaneVariant& AValue);
// The value as text ("" for the empty variant, "True"/"False" for booleans).
std::string VarToStr(const TOrvaneVariant& AValue);

}  // namespace orvane
