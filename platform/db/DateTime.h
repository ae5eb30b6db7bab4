// Date-time values as the toolkit keeps them: days since 1899-12-30 with the
// time of day as the fraction. Text forms use the Brazilian layout
// dd/mm/yyyy hh:nn:ss.
#pragma once

#include <string>
#include <string_view>

namespace db {

using TDateTime = double;

TDateTime EncodeDate(int AYear, int AMonth, int ADay);
TDateTime EncodeTime(int AHour, int AMinute, int ASecond, int AMilliSecond = 0);
TDateTime EncodeDateTime(int AYear, int AMonth, int ADay, int AHour, int AMinute, int ASecond,
                         int AMilliSecond = 0);
void DecodeDateTime(TDateTime AValue, int& AYear, int& AMonth, int& ADay, int& AHour, int& AMinute,
                    int& ASecond, int& AMilliSecond);
// The current local date and time.
TDateTime Now();

// "dd/mm/yyyy", "hh:nn:ss", and "dd/mm/yyyy hh:nn:ss" (the time left out
// when it is midnight, as the toolkit's DateTimeToStr does).
std::string DateToStr(TDateTime AValue);
std::string TimeToStr(TDateTime AValue);
std::string DateTimeToStr(TDateTime AValue);
// Parses "dd/mm/yyyy[ hh:nn[:ss]]" (also yyyy-mm-dd); false when it is not a
// valid date.
bool TryStrToDateTime(std::string_view AText, TDateTime& AValue);

}  // namespace db
