// Multipart upload bodies from arbitrary bytes: the reader finds the same
// files however the body is cut into pieces, no file holds more bytes than
// the body, and no saved name can leave the session folder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/server/Orvane.Server.Multipart.h"
#include "tests/fuzz/FuzzThread.h"

namespace {

void Run(const uint8_t* AData, size_t ASize) {
  // The first byte gives the boundary's length, taken from the input.
  size_t blen = AData[0] % 40;
  if (ASize < 1 + blen) return;
  std::string boundary(reinterpret_cast<const char*>(AData + 1), blen);
  std::string body(reinterpret_cast<const char*>(AData + 1 + blen), ASize - 1 - blen);
  std::vector<orvane::TMultipartFile> whole = orvane::ReadMultipartFormData(body, boundary);
  // The same body in pieces of 1 to 7 bytes.
  std::vector<orvane::TMultipartFile> pieces;
  orvane::TMultipartFile current;
  orvane::TMultipartReader::THandlers handlers;
  handlers.OnFileBegin = [&](const std::string& AName) {
    current = orvane::TMultipartFile{AName, ""};
    return true;
  };
  handlers.OnFileData = [&](std::string_view AData) {
    current.Content.append(AData.data(), AData.size());
    return true;
  };
  handlers.OnFileEnd = [&] {
    pieces.push_back(current);
    return true;
  };
  orvane::TMultipartReader reader(boundary, handlers);
  for (size_t i = 0, n = 1; i < body.size(); i += n, n = n % 7 + 1)
    reader.Feed(std::string_view(body).substr(i, n));
  if (pieces.size() != whole.size()) __builtin_trap();
  for (size_t i = 0; i < whole.size(); ++i)
    if (pieces[i].FileName != whole[i].FileName || pieces[i].Content != whole[i].Content)
      __builtin_trap();
  for (const orvane::TMultipartFile& f : whole) {
    if (f.Content.size() > body.size()) __builtin_trap();
    std::string name = orvane::SafeUploadFileName(f.FileName);
    if (!name.empty() &&
        (name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos))
      __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
  if (ASize < 1) return 0;
  fuzzthread::OnConnectionThread([&] { Run(AData, ASize); });
  return 0;
}
