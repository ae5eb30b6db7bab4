// The browser files built into the program: jQuery, jqGrid with its
// Bootstrap 5 style sheet, SweetAlert2, and the engine's own files (runtime
// scripts, style sheet, connection-lost page and the page-head script
// templates with their {{tags}}).
#pragma once

#include <string_view>

namespace orvane {

struct TOrvaneAsset {
  std::string_view Name;      // the file name, as pages request it
  std::string_view MimeType;  // the type to answer with
  std::string_view Content;   // the bytes, valid for the whole run
};

// The built-in file with that name (a file name, no folder; ASCII case
// ignored), or null. The page-head templates ("Variables.js",
// "JSSetConnection.js", ...) are found here too: they are page-assembly input
// that still holds its tags, not files to serve.
const TOrvaneAsset* FindOrvaneAsset(std::string_view AFileName);

}  // namespace orvane
