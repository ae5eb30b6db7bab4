// The rows of a dataset as JSON for the data grid of a web page. Rows are
// read by record number (the dataset's cursor never moves and a record being
// edited stays so) and written straight into one text, with every character
// below 32 and above 127 as a \u escape, so that a hundred thousand rows take
// a few hundred milliseconds and little more memory than the text itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DB.h"

namespace orvane {

// The member that carries a row's record number.
inline constexpr std::string_view kOrvaneRecNo = "OrvaneRecNo";
// The member that carries a row's key: the texts of the dataset's key fields
// (pfInKey), joined with kOrvaneKeySeparator. The page sends it back with an
// edited row, so that the edit reaches that record whatever the page sorted.
inline constexpr std::string_view kOrvaneKey = "OrvaneKey";
inline constexpr char kOrvaneKeySeparator = '\x1f';

// The rows 1, 2, ... of ADataSet (at most AMaxRecords when above 0) as a
// JSON array text; one object per row with a member per name of AFieldNames,
// in order (the dataset field of that name ignoring case; null when there is
// none or the value is null), then, when AAddRecNo, "OrvaneRecNo" and, when
// the dataset has key fields, "OrvaneKey". Values by field type: texts
// trimmed of blanks at both ends; integers as integers; Booleans; floats as
// numbers (null when not finite); dates "dd/mm/yyyy", times "hh:nn:ss", time
// stamps "dd/mm/yyyy hh:nn:ss"; blobs as Base64 text. An inactive dataset
// gives "[]".
std::string DataSetToJSON(const db::TDataSet& ADataSet, const std::vector<std::string>& AFieldNames,
                          int AMaxRecords, bool AAddRecNo);

// The key text of a row (see kOrvaneKey); empty when the dataset has no key
// fields or the row does not exist.
std::string RowKeyText(const db::TDataSet& ADataSet, int ARecNo);
// The record number of the row whose key text is AKey, trying AHint first;
// 0 when no row has it (or the dataset has no key fields).
int RecNoOfKey(const db::TDataSet& ADataSet, const std::string& AKey, int AHint);

// Appends AText as a JSON string literal, every character below 32 and
// above 127 escaped (UTF-16 pairs above U+FFFF; a byte that is not UTF-8
// becomes U+FFFD).
void AppendJSONString(std::string& AOut, std::string_view AText);

// "dd/mm/yyyy", "hh:nn:ss" and "dd/mm/yyyy hh:nn:ss" of a date-time value,
// always with every part (a time stamp at midnight keeps its time).
std::string FormatJSONDate(db::TDateTime AValue);
std::string FormatJSONTime(db::TDateTime AValue);
std::string FormatJSONDateTime(db::TDateTime AValue);

std::string Base64Encode(const db::TBytes& ABytes);

}  // namespace orvane
