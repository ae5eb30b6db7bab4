#include "platform/db/Win1252.h"

#include <cstdint>
#include <cstdio>

#include "platform/db/DB.h"

namespace db {

namespace {

// Code points of bytes 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Returns the WIN1252 byte for a code point, or -1.
int ToByte(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] != 0 && kHigh[i] == cp) return 0x80 + i;
  // The five unassigned bytes pass through as the C1 controls they decode to.
  if (cp >= 0x80 && cp <= 0x9F && kHigh[cp - 0x80] == 0) return static_cast<int>(cp);
  return -1;
}

// Decodes one UTF-8 sequence at s[i]; returns false for malformed input.
bool NextCodePoint(std::string_view s, size_t& i, uint32_t& cp) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int len;
  if (c < 0x80) {
    cp = c;
    len = 1;
  } else if ((c & 0xE0) == 0xC0) {
    cp = c & 0x1F;
    len = 2;
  } else if ((c & 0xF0) == 0xE0) {
    cp = c & 0x0F;
    len = 3;
  } else if ((c & 0xF8) == 0xF0) {
    cp = c & 0x07;
    len = 4;
  } else {
    return false;
  }
  if (i + len > s.size()) return false;
  for (int k = 1; k < len; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (cc & 0x3F);
  }
  static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i += len;
  return true;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string Utf8ToWin1252(std::string_view AText) {
  std::string out;
  out.reserve(AText.size());
  size_t i = 0;
  while (i < AText.size()) {
    size_t start = i;
    uint32_t cp;
    if (!NextCodePoint(AText, i, cp))
      throw EDatabaseError("O texto não é UTF-8 válido e não pode ser gravado no banco de dados.");
    int b = ToByte(cp);
    if (b < 0) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", cp);
      throw EDatabaseError("O caractere \"" + std::string(AText.substr(start, i - start)) + "\" (" +
                           code +
                           ") não pode ser gravado no banco de dados, que usa o conjunto de "
                           "caracteres WIN1252. Remova-o e tente novamente.");
    }
    out += static_cast<char>(b);
  }
  return out;
}

std::string Win1252ToUtf8(std::string_view AText) {
  std::string out;
  out.reserve(AText.size() + AText.size() / 8);
  for (char ch : AText) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else if (c < 0xA0) {
      uint32_t cp = kHigh[c - 0x80];
      AppendUtf8(out, cp ? cp : c);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

bool FitsWin1252(std::string_view AText) {
  size_t i = 0;
  while (i < AText.size()) {
    uint32_t cp;
    if (!NextCodePoint(AText, i, cp) || ToByte(cp) < 0) return false;
  }
  return true;
}

}  // namespace db
