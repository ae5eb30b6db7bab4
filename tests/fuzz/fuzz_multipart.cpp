// Multipart upload bodies from arbitrary bytes: parts stay inside the body
// and no saved name can leave the session folder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "orvane/server/Orvane.Server.Multipart.h"
#include "tests/fuzz/FuzzThread.h"

namespace {

void Run(const uint8_t* AData, size_t ASize) {
  // The first byte gives the boundary's length, taken from the input.
  size_t blen = AData[0] % 40;
  if (ASize < 1 + blen) return;
  std::string boundary(reinterpret_cast<const char*>(AData + 1), blen);
  std::string body(reinterpret_cast<const char*>(AData + 1 + blen), ASize - 1 - blen);
  for (const orvane::TMultipartFile& f : orvane::ReadMultipartFormData(body, boundary)) {
    if (f.Content.data() < body.data() ||
        f.Content.data() + f.Content.size() > body.data() + body.size())
      __builtin_trap();
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
