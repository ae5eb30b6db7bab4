#include "orvane/server/Orvane.Assets.h"

#include <vector>

namespace orvane {

namespace {

struct TEmbeddedFile {
  const char* Name;
  const char* Begin;
  const char* End;
};

// kEmbeddedFiles, generated from the asset list in orvane/server/CMakeLists.txt.
#include "OrvaneAssetsData.inc"

bool SameTextASCII(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    char a = A[i], b = B[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

bool EndsWithASCII(std::string_view AText, std::string_view AEnd) {
  return AText.size() >= AEnd.size() &&
         SameTextASCII(AText.substr(AText.size() - AEnd.size()), AEnd);
}

// The engine's message script answers as text/javascript, the other scripts
// as application/javascript, as pages have always received them.
std::string_view MimeTypeOf(std::string_view AName) {
  if (SameTextASCII(AName, "orvaneserver.js")) return "text/javascript";
  if (EndsWithASCII(AName, ".js")) return "application/javascript";
  if (EndsWithASCII(AName, ".css")) return "text/css";
  if (EndsWithASCII(AName, ".html")) return "text/html";
  return "application/octet-stream";
}

const std::vector<TOrvaneAsset>& Assets() {
  static const std::vector<TOrvaneAsset> assets = [] {
    std::vector<TOrvaneAsset> list;
    for (const TEmbeddedFile& f : kEmbeddedFiles)
      list.push_back({f.Name, MimeTypeOf(f.Name),
                      std::string_view(f.Begin, static_cast<size_t>(f.End - f.Begin))});
    return list;
  }();
  return assets;
}

}  // namespace

const TOrvaneAsset* FindOrvaneAsset(std::string_view AFileName) {
  for (const TOrvaneAsset& a : Assets())
    if (SameTextASCII(a.Name, AFileName)) return &a;
  return nullptr;
}

}  // namespace orvane
