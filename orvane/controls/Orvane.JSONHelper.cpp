#include "orvane/controls/Orvane.JSONHelper.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/db/DateTime.h"

namespace orvane {

namespace {

const char kHex[] = "0123456789abcdef";

void AppendU(std::string& AOut, unsigned ACode) {
  char buf[6] = {'\\',
                 'u',
                 kHex[(ACode >> 12) & 15],
                 kHex[(ACode >> 8) & 15],
                 kHex[(ACode >> 4) & 15],
                 kHex[ACode & 15]};
  AOut.append(buf, 6);
}

// The code point of the UTF-8 sequence at AText[i], advancing i; U+FFFD
// (one byte consumed) for a byte that does not start a valid sequence.
unsigned NextCodePoint(std::string_view AText, size_t& i) {
  unsigned char c = static_cast<unsigned char>(AText[i]);
  int len = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
  if (c >= 0xF5) len = 0;
  if (len == 0 || i + static_cast<size_t>(len) > AText.size()) {
    ++i;
    return 0xFFFD;
  }
  unsigned cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
  for (int k = 1; k < len; ++k) {
    unsigned char b = static_cast<unsigned char>(AText[i + static_cast<size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms and surrogates are not characters.
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += static_cast<size_t>(len);
  return cp;
}

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trimmed(std::string_view AText) {
  size_t b = 0, e = AText.size();
  while (b < e && IsBlank(AText[b])) ++b;
  while (e > b && IsBlank(AText[e - 1])) --e;
  return AText.substr(b, e - b);
}

void Append2(std::string& AOut, int AValue) {
  AOut.push_back(static_cast<char>('0' + AValue / 10 % 10));
  AOut.push_back(static_cast<char>('0' + AValue % 10));
}

void AppendDate(std::string& AOut, int y, int m, int d) {
  Append2(AOut, d);
  AOut.push_back('/');
  Append2(AOut, m);
  AOut.push_back('/');
  Append2(AOut, y / 100);
  Append2(AOut, y % 100);
}

void AppendTime(std::string& AOut, int h, int n, int s) {
  Append2(AOut, h);
  AOut.push_back(':');
  Append2(AOut, n);
  AOut.push_back(':');
  Append2(AOut, s);
}

void AppendInteger(std::string& AOut, int64_t AValue) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, AValue);
  AOut.append(buf, r.ptr);
}

// The shortest text that reads back as the same double.
void AppendFloat(std::string& AOut, double AValue) {
  if (!std::isfinite(AValue)) {
    AOut += "null";
    return;
  }
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, AValue);
  AOut.append(buf, r.ptr);
}

// One value of a row as JSON.
void AppendValue(std::string& AOut, const db::TField& AField, const db::TValue& AValue) {
  using db::TFieldType;
  if (db::IsNullValue(AValue)) {
    AOut += "null";
    return;
  }
  switch (AField.DataType()) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint:
      if (auto i = std::get_if<int64_t>(&AValue))
        AppendInteger(AOut, *i);
      else if (auto d = std::get_if<double>(&AValue))
        AppendInteger(AOut, std::llround(*d));
      else
        AppendJSONString(AOut, Trimmed(AField.TextOf(AValue)));
      return;
    case TFieldType::ftBoolean:
      if (auto b = std::get_if<bool>(&AValue))
        AOut += *b ? "true" : "false";
      else
        AOut += AField.TextOf(AValue) == "True" ? "true" : "false";
      return;
    case TFieldType::ftFloat:
      if (auto d = std::get_if<double>(&AValue))
        AppendFloat(AOut, *d);
      else if (auto i = std::get_if<int64_t>(&AValue))
        AppendInteger(AOut, *i);
      else
        AOut += "null";
      return;
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime: {
      const double* d = std::get_if<double>(&AValue);
      if (!d) {
        AOut += "null";
        return;
      }
      int y, m, dd, h, n, s, ms;
      db::DecodeDateTime(*d, y, m, dd, h, n, s, ms);
      AOut.push_back('"');
      if (AField.DataType() != TFieldType::ftTime) AppendDate(AOut, y, m, dd);
      if (AField.DataType() == TFieldType::ftDateTime) AOut.push_back(' ');
      if (AField.DataType() != TFieldType::ftDate) AppendTime(AOut, h, n, s);
      AOut.push_back('"');
      return;
    }
    case TFieldType::ftBlob:
      if (auto b = std::get_if<db::TBytes>(&AValue)) {
        AOut.push_back('"');
        AOut += Base64Encode(*b);
        AOut.push_back('"');
      } else if (auto t = std::get_if<std::string>(&AValue)) {
        AOut.push_back('"');
        AOut += Base64Encode(db::TBytes(t->begin(), t->end()));
        AOut.push_back('"');
      } else {
        AOut += "null";
      }
      return;
    default:
      // Texts (and any type without a rule of its own) as trimmed text.
      if (auto t = std::get_if<std::string>(&AValue))
        AppendJSONString(AOut, Trimmed(*t));
      else
        AppendJSONString(AOut, Trimmed(AField.TextOf(AValue)));
      return;
  }
}

std::vector<const db::TField*> KeyFields(const db::TDataSet& ADataSet) {
  std::vector<const db::TField*> keys;
  for (int i = 0; i < ADataSet.FieldCount(); ++i)
    if (ADataSet.Fields(i).ProviderFlags & db::pfInKey) keys.push_back(&ADataSet.Fields(i));
  return keys;
}

std::string KeyText(const db::TDataSet& ADataSet, const std::vector<const db::TField*>& AKeys,
                    int ARecNo) {
  std::string key;
  for (size_t k = 0; k < AKeys.size(); ++k) {
    if (k) key.push_back(kOrvaneKeySeparator);
    key += ADataSet.RowText(ARecNo, *AKeys[k]);
  }
  return key;
}

}  // namespace

void AppendJSONString(std::string& AOut, std::string_view AText) {
  AOut.push_back('"');
  size_t i = 0;
  while (i < AText.size()) {
    // Plain ASCII runs are copied at once.
    size_t run = i;
    while (run < AText.size()) {
      unsigned char c = static_cast<unsigned char>(AText[run]);
      if (c < 32 || c >= 128 || c == '"' || c == '\\') break;
      ++run;
    }
    AOut.append(AText.data() + i, run - i);
    i = run;
    if (i >= AText.size()) break;
    unsigned char c = static_cast<unsigned char>(AText[i]);
    if (c == '"' || c == '\\') {
      AOut.push_back('\\');
      AOut.push_back(static_cast<char>(c));
      ++i;
    } else if (c < 32) {
      AppendU(AOut, c);
      ++i;
    } else {
      unsigned cp = NextCodePoint(AText, i);
      if (cp >= 0x10000) {
        cp -= 0x10000;
        AppendU(AOut, 0xD800 + (cp >> 10));
        AppendU(AOut, 0xDC00 + (cp & 0x3FF));
      } else {
        AppendU(AOut, cp);
      }
    }
  }
  AOut.push_back('"');
}

std::string FormatJSONDate(db::TDateTime AValue) {
  int y, m, d, h, n, s, ms;
  db::DecodeDateTime(AValue, y, m, d, h, n, s, ms);
  std::string out;
  AppendDate(out, y, m, d);
  return out;
}

std::string FormatJSONTime(db::TDateTime AValue) {
  int y, m, d, h, n, s, ms;
  db::DecodeDateTime(AValue, y, m, d, h, n, s, ms);
  std::string out;
  AppendTime(out, h, n, s);
  return out;
}

std::string FormatJSONDateTime(db::TDateTime AValue) {
  return FormatJSONDate(AValue) + " " + FormatJSONTime(AValue);
}

std::string Base64Encode(const db::TBytes& ABytes) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((ABytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < ABytes.size(); i += 3) {
    unsigned v = (unsigned(ABytes[i]) << 16) | (unsigned(ABytes[i + 1]) << 8) | ABytes[i + 2];
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back(kAlphabet[v & 63]);
  }
  if (i < ABytes.size()) {
    unsigned v = unsigned(ABytes[i]) << 16;
    if (i + 1 < ABytes.size()) v |= unsigned(ABytes[i + 1]) << 8;
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(i + 1 < ABytes.size() ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

std::string DataSetToJSON(const db::TDataSet& ADataSet, const std::vector<std::string>& AFieldNames,
                          int AMaxRecords, bool AAddRecNo) {
  if (!ADataSet.Active()) return "[]";
  // Names and fields are resolved once, not per row.
  std::vector<std::string> names;
  std::vector<const db::TField*> fields;
  for (const std::string& name : AFieldNames) {
    std::string quoted;
    AppendJSONString(quoted, name);
    names.push_back(std::move(quoted));
    fields.push_back(ADataSet.FindField(name));
  }
  std::vector<const db::TField*> keys = KeyFields(ADataSet);
  int count = ADataSet.RecordCount();
  if (AMaxRecords > 0 && count > AMaxRecords) count = AMaxRecords;

  std::string out;
  // The first rows give the size of the rest: the text is then reserved
  // once, so it never grows by copying (which would double the memory
  // taken at its peak).
  const int sample = std::min(count, 256);
  out.reserve(static_cast<size_t>(sample) * (32 + 24 * fields.size()) + 2);
  out.push_back('[');
  for (int rec = 1; rec <= count; ++rec) {
    if (rec == sample + 1) {
      const size_t perRow = out.size() / static_cast<size_t>(sample) + 1;
      out.reserve(out.size() + perRow * static_cast<size_t>(count - sample) * 11 / 10 + 64);
    }
    if (rec > 1) out.push_back(',');
    out.push_back('{');
    for (size_t k = 0; k < fields.size(); ++k) {
      if (k) out.push_back(',');
      out += names[k];
      out.push_back(':');
      if (fields[k])
        AppendValue(out, *fields[k], ADataSet.RowValue(rec, *fields[k]));
      else
        out += "null";
    }
    bool first = fields.empty();
    if (AAddRecNo) {
      if (!first) out.push_back(',');
      out += "\"OrvaneRecNo\":";
      AppendInteger(out, rec);
      first = false;
    }
    if (!keys.empty()) {
      if (!first) out.push_back(',');
      out += "\"OrvaneKey\":";
      AppendJSONString(out, KeyText(ADataSet, keys, rec));
    }
    out.push_back('}');
  }
  out.push_back(']');
  return out;
}

std::string RowKeyText(const db::TDataSet& ADataSet, int ARecNo) {
  if (!ADataSet.Active() || ARecNo < 1 || ARecNo > ADataSet.RecordCount()) return "";
  std::vector<const db::TField*> keys = KeyFields(ADataSet);
  return keys.empty() ? "" : KeyText(ADataSet, keys, ARecNo);
}

int RecNoOfKey(const db::TDataSet& ADataSet, const std::string& AKey, int AHint) {
  if (!ADataSet.Active()) return 0;
  std::vector<const db::TField*> keys = KeyFields(ADataSet);
  if (keys.empty()) return 0;
  int count = ADataSet.RecordCount();
  if (AHint >= 1 && AHint <= count && KeyText(ADataSet, keys, AHint) == AKey) return AHint;
  for (int rec = 1; rec <= count; ++rec)
    if (KeyText(ADataSet, keys, rec) == AKey) return rec;
  return 0;
}

}  // namespace orvane
