// Request heads and WebSocket message envelopes from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "tests/fuzz/FuzzThread.h"

namespace {

void Run(const std::string& AText) {
  orvane::TOrvaneHTTPHeader h;
  h.ParseHeaders(AText);
  (void)h.URL();
  (void)h.FullURL();
  (void)orvane::ValueOf(h.QueryParams, "token");
  if (h.ServerPort < 0 || h.ServerPort > 65535) __builtin_trap();
  try {
    orvane::TOrvaneWebSocketMessage m = orvane::FormatReceivedMesssage(AText);
    if (m.RawMessage != AText) __builtin_trap();
  } catch (const orvane::EOrvaneProtocolError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
  std::string text(reinterpret_cast<const char*>(AData), ASize);
  fuzzthread::OnConnectionThread([&] { Run(text); });
  return 0;
}
