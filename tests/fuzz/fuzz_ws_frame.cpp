// Client WebSocket frames from arbitrary bytes: every frame is read whole or
// refused, never past the input, never above the length limit.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "orvane/server/Orvane.Server.WebSocket.h"
#include "tests/fuzz/FuzzThread.h"

namespace {

struct EndOfInput {};

void Run(const uint8_t* AData, size_t ASize) {
  const uint64_t kMax = 1 << 16;
  size_t pos = 0;
  auto read = [&](char* ABuffer, size_t ACount) {
    if (ACount > ASize - pos) throw EndOfInput();
    std::memcpy(ABuffer, AData + pos, ACount);
    pos += ACount;
  };
  for (;;) {
    try {
      orvane::TWebSocketFrame f = orvane::ReadWebSocketFrame(read, kMax);
      if (f.Payload.size() > kMax) __builtin_trap();
      (void)orvane::IsValidUTF8(f.Payload);
      std::string back = orvane::EncodeWebSocketFrame(f.Payload, f.FirstByte);
      if (back.size() < f.Payload.size() + 2) __builtin_trap();
    } catch (const EndOfInput&) {
      return;
    } catch (const orvane::EWebSocketFrameError&) {
      return;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
  fuzzthread::OnConnectionThread([&] { Run(AData, ASize); });
  return 0;
}
