// The WebSocket side of the server: the handshake's accept value and the
// frame codec. Only unfragmented text frames carry messages; close frames are
// answered and end the connection, pings get pongs, anything else is skipped
// whole.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/net/IOHandler.h"

namespace orvane {

// A frame that breaks the protocol (unmasked, a control frame too long or
// fragmented) or is longer than allowed.
class EWebSocketFrameError : public std::runtime_error {
 public:
  EWebSocketFrameError(const std::string& AMessage, uint16_t ACloseCode)
      : std::runtime_error(AMessage), CloseCode(ACloseCode) {}
  uint16_t CloseCode;
};

// The Sec-WebSocket-Accept value for a client key (RFC 6455).
std::string WebSocketAcceptKey(std::string_view AKey);

// One unmasked frame with the given first byte (0x81: final text frame).
std::string EncodeWebSocketFrame(std::string_view APayload, uint8_t AFirstByte = 0x81);

struct TWebSocketFrame {
  uint8_t FirstByte = 0;
  std::string Payload;  // unmasked
  uint8_t Opcode() const { return FirstByte & 0x0F; }
  bool Final() const { return (FirstByte & 0x80) != 0; }
};

// Reads one whole client frame through AReadExact (which reads exactly the
// bytes asked for, or throws). A payload longer than AMaxLength is refused
// before any of it is read; a shorter one is read in steps, so memory
// follows the bytes received rather than the length declared.
TWebSocketFrame ReadWebSocketFrame(const std::function<void(char*, size_t)>& AReadExact,
                                   uint64_t AMaxLength);

bool IsValidUTF8(std::string_view AText);

// The frame codec on a connection.
class TWebSocketIOHandlerHelper {
 public:
  TWebSocketIOHandlerHelper(net::TIOHandler& AIO, uint64_t AMaxFrameLength)
      : FIO(AIO), FMaxFrameLength(AMaxFrameLength) {}

  // The payload of the next final text frame, or empty: for an empty frame,
  // for any other kind of frame (answered or skipped), and after a read
  // failure (reported on standard error; the connection is then closed).
  std::string ReadBytes();
  // One final text frame; a failed write is ignored (it drops the connection).
  void WriteBytes(std::string_view APayload);
  // ReadBytes as text; empty when the payload is not valid UTF-8.
  std::string ReadString();
  void WriteString(const std::string& AText) { WriteBytes(AText); }

 private:
  void SendClose(uint16_t ACode);
  net::TIOHandler& FIO;
  uint64_t FMaxFrameLength;
};

}  // namespace orvane
