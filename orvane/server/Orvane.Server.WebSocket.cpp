#include "orvane/server/Orvane.Server.WebSocket.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <algorithm>
#include <iostream>

namespace orvane {

std::string WebSocketAcceptKey(std::string_view AKey) {
  std::string text = std::string(AKey) + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
  unsigned char digest[SHA_DIGEST_LENGTH];
  SHA1(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
  unsigned char out[4 * ((SHA_DIGEST_LENGTH + 2) / 3) + 1];
  int n = EVP_EncodeBlock(out, digest, SHA_DIGEST_LENGTH);
  return std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n));
}

std::string EncodeWebSocketFrame(std::string_view APayload, uint8_t AFirstByte) {
  std::string f;
  f.reserve(APayload.size() + 10);
  f.push_back(static_cast<char>(AFirstByte));
  uint64_t len = APayload.size();
  if (len <= 125) {
    f.push_back(static_cast<char>(len));
  } else if (len <= 65535) {
    f.push_back(static_cast<char>(126));
    f.push_back(static_cast<char>((len >> 8) & 0xFF));
    f.push_back(static_cast<char>(len & 0xFF));
  } else {
    f.push_back(static_cast<char>(127));
    for (int shift = 56; shift >= 0; shift -= 8)
      f.push_back(static_cast<char>((len >> shift) & 0xFF));
  }
  f.append(APayload);
  return f;
}

TWebSocketFrame ReadWebSocketFrame(const std::function<void(char*, size_t)>& AReadExact,
                                   uint64_t AMaxLength) {
  TWebSocketFrame frame;
  unsigned char head[2];
  AReadExact(reinterpret_cast<char*>(head), 2);
  frame.FirstByte = head[0];
  if ((head[1] & 0x80) == 0) throw EWebSocketFrameError("Quadro WebSocket sem máscara", 1002);
  uint64_t len = head[1] & 0x7F;
  if (len == 126) {
    unsigned char ext[2];
    AReadExact(reinterpret_cast<char*>(ext), 2);
    len = (static_cast<uint64_t>(ext[0]) << 8) | ext[1];
  } else if (len == 127) {
    unsigned char ext[8];
    AReadExact(reinterpret_cast<char*>(ext), 8);
    len = 0;
    for (unsigned char b : ext) len = (len << 8) | b;
  }
  if (frame.Opcode() >= 0x8 && (len > 125 || !frame.Final()))
    throw EWebSocketFrameError("Quadro de controle WebSocket inválido", 1002);
  if (len > AMaxLength)
    throw EWebSocketFrameError(
        "Quadro WebSocket de " + std::to_string(len) + " bytes excede o limite", 1009);
  unsigned char mask[4];
  AReadExact(reinterpret_cast<char*>(mask), 4);
  // The payload grows as its bytes arrive, so a declared length costs no
  // memory until it is actually sent.
  constexpr size_t kStep = 64 * 1024;
  const size_t total = static_cast<size_t>(len);
  while (frame.Payload.size() < total) {
    size_t at = frame.Payload.size();
    size_t n = std::min(kStep, total - at);
    frame.Payload.resize(at + n);
    AReadExact(frame.Payload.data() + at, n);
  }
  for (size_t i = 0; i < frame.Payload.size(); ++i) frame.Payload[i] ^= mask[i & 3];
  return frame;
}

bool IsValidUTF8(std::string_view AText) {
  size_t i = 0, n = AText.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(AText[i]);
    size_t len;
    uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (size_t k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(AText[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
        cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += len;
  }
  return true;
}

void TWebSocketIOHandlerHelper::SendClose(uint16_t ACode) {
  std::string payload;
  payload.push_back(static_cast<char>(ACode >> 8));
  payload.push_back(static_cast<char>(ACode & 0xFF));
  try {
    FIO.Write(EncodeWebSocketFrame(payload, 0x88));
  } catch (...) {
  }
}

std::string TWebSocketIOHandlerHelper::ReadBytes() {
  try {
    TWebSocketFrame frame = ReadWebSocketFrame(
        [this](char* ABuffer, size_t ACount) { FIO.ReadBytes(ABuffer, ACount); }, FMaxFrameLength);
    if (frame.FirstByte == 0x81) return frame.Payload;
    switch (frame.Opcode()) {
      case 0x8: {  // close: answer with the peer's code and end the connection
        std::string code = frame.Payload.substr(0, 2);
        try {
          FIO.Write(EncodeWebSocketFrame(code, 0x88));
        } catch (...) {
        }
        FIO.Disconnect();
        break;
      }
      case 0x9:  // ping
        try {
          FIO.Write(EncodeWebSocketFrame(frame.Payload, 0x8A));
        } catch (...) {
        }
        break;
      default:  // pong, binary, continuation, fragments: skipped whole
        break;
    }
    return "";
  } catch (const EWebSocketFrameError& e) {
    std::cerr << "OrvaneServer: " << e.what() << std::endl;
    SendClose(e.CloseCode);
    FIO.Disconnect();
    return "";
  } catch (const net::EConnClosedGracefully&) {
    return "";
  } catch (const std::exception& e) {
    std::cerr << "OrvaneServer: falha ao ler quadro WebSocket: " << e.what() << std::endl;
    FIO.Disconnect();
    return "";
  }
}

std::string TWebSocketIOHandlerHelper::ReadString() {
  std::string s = ReadBytes();
  if (!IsValidUTF8(s)) {
    std::cerr << "OrvaneServer: mensagem WebSocket com UTF-8 inválido ignorada" << std::endl;
    return "";
  }
  return s;
}

void TWebSocketIOHandlerHelper::WriteBytes(std::string_view APayload) {
  try {
    FIO.Write(EncodeWebSocketFrame(APayload));
  } catch (...) {
  }
}

}  // namespace orvane
