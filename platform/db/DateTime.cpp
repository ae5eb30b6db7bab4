#include "platform/db/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace db {

namespace {

// Days from 1970-01-01 for a civil date (proleptic Gregorian).
long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<long>(yoe) + era * 400 + (m <= 2));
}

constexpr long kUnixEpochFromDelphi = 25569;  // 1970-01-01 as a TDateTime
constexpr double kMsPerDay = 86400000.0;

bool ValidDate(int y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int max = days[m - 1];
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) max = 29;
  return d <= max;
}

}  // namespace

TDateTime EncodeDate(int AYear, int AMonth, int ADay) {
  return static_cast<double>(DaysFromCivil(AYear, AMonth, ADay) + kUnixEpochFromDelphi);
}

TDateTime EncodeTime(int AHour, int AMinute, int ASecond, int AMilliSecond) {
  return ((AHour * 60.0 + AMinute) * 60.0 * 1000.0 + ASecond * 1000.0 + AMilliSecond) / kMsPerDay;
}

TDateTime EncodeDateTime(int AYear, int AMonth, int ADay, int AHour, int AMinute, int ASecond,
                         int AMilliSecond) {
  return EncodeDate(AYear, AMonth, ADay) + EncodeTime(AHour, AMinute, ASecond, AMilliSecond);
}

void DecodeDateTime(TDateTime AValue, int& AYear, int& AMonth, int& ADay, int& AHour, int& AMinute,
                    int& ASecond, int& AMilliSecond) {
  // Work in whole milliseconds so 23:59:59.9995 does not round into a
  // 24th hour of the same day.
  long long ms = std::llround(AValue * kMsPerDay);
  long long days = ms >= 0 ? ms / 86400000LL : -((-ms + 86399999LL) / 86400000LL);
  long long rest = ms - days * 86400000LL;
  CivilFromDays(static_cast<long>(days - kUnixEpochFromDelphi), AYear, AMonth, ADay);
  AHour = static_cast<int>(rest / 3600000);
  AMinute = static_cast<int>(rest / 60000 % 60);
  ASecond = static_cast<int>(rest / 1000 % 60);
  AMilliSecond = static_cast<int>(rest % 1000);
}

TDateTime Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::system_clock::now().time_since_epoch())
                .count() %
            1000;
  return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                        tm.tm_sec, static_cast<int>(ms));
}

std::string DateToStr(TDateTime AValue) {
  int y, m, d, h, n, s, ms;
  DecodeDateTime(AValue, y, m, d, h, n, s, ms);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d, m, y);
  return buf;
}

std::string TimeToStr(TDateTime AValue) {
  int y, m, d, h, n, s, ms;
  DecodeDateTime(AValue, y, m, d, h, n, s, ms);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, n, s);
  return buf;
}

std::string DateTimeToStr(TDateTime AValue) {
  int y, m, d, h, n, s, ms;
  DecodeDateTime(AValue, y, m, d, h, n, s, ms);
  if (h == 0 && n == 0 && s == 0) return DateToStr(AValue);
  return DateToStr(AValue) + " " + TimeToStr(AValue);
}

bool TryStrToDateTime(std::string_view AText, TDateTime& AValue) {
  std::string text(AText);
  int a = 0, b = 0, c = 0, h = 0, n = 0, s = 0, consumed = 0;
  int y, m, d;
  const char* p = text.c_str();
  while (*p == ' ') ++p;
  if (std::sscanf(p, "%4d-%2d-%2d%n", &a, &b, &c, &consumed) == 3) {
    y = a, m = b, d = c;
  } else if (std::sscanf(p, "%2d/%2d/%4d%n", &a, &b, &c, &consumed) == 3) {
    d = a, m = b, y = c;
  } else {
    return false;
  }
  if (!ValidDate(y, m, d)) return false;
  p += consumed;
  while (*p == ' ' || *p == 'T') ++p;
  if (*p) {
    int got = 0;
    int k = std::sscanf(p, "%2d:%2d%n", &h, &n, &got);
    if (k != 2) return false;
    p += got;
    if (*p == ':') {
      if (std::sscanf(p + 1, "%2d%n", &s, &got) != 1) return false;
      p += 1 + got;
    }
    while (*p == ' ') ++p;
    if (*p) return false;
    if (h > 23 || n > 59 || s > 59 || h < 0 || n < 0 || s < 0) return false;
  }
  AValue = EncodeDateTime(y, m, d, h, n, s);
  return true;
}

}  // namespace db
