// Small helpers the web engine uses everywhere: credentials drawn at random,
// JSON quoting for generated scripts, class-attribute edits, browser key
// names, field types and number normalisation; and the per-form timer thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "orvane/server/Orvane.Interfaces.h"
#include "platform/db/DB.h"

namespace orvane {

// Locale formatting of values. A separator of '\0' counts as unset.
struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "m/d/yyyy";
  std::string LongDateFormat = "dddd, mmmm d, yyyy";
  std::string ShortTimeFormat = "h:nn AMPM";
  std::string LongTimeFormat = "h:nn:ss AMPM";
  std::string CurrencyString = "$";

  // The settings of a locale name ("pt-BR"; any other name gives the
  // neutral English settings).
  static TFormatSettings Create(std::string_view ALocaleName);
};

// The web field types of the data-aware controls.
enum class TOrvaneFieldType {
  OrvaneFieldTypeAuto,
  OrvaneFieldTypeString,
  OrvaneFieldTypePassword,
  OrvaneFieldTypeInteger,
  OrvaneFieldTypeNumber,
  OrvaneFieldTypeDate,
  OrvaneFieldTypeDateTime,
  OrvaneFieldTypeTime
};

// n characters drawn uniformly from a cryptographic source; empty for n < 1.
std::string GenerateRandomString(int ALength);      // digits and ASCII letters
std::string GenerateRandomJustString(int ALength);  // ASCII letters
std::string GenerateRandomNumber(int ALength);      // digits

// Compares two credentials (tokens) in a time that does not depend on where
// they differ.
bool TokenEquals(std::string_view A, std::string_view B);

// The text as a JSON string literal, quotes included, every character below
// 32 and above 127 escaped.
std::string FormatValueHTML(std::string_view AText);

// The text made safe for HTML element content and attribute values: the
// characters & < > " and ' become character references.
std::string HTMLEscape(std::string_view AText);

// Replaces the first occurrence of APattern (ASCII letters compared ignoring
// case) by AReplacement; true when there was one.
bool ReplaceFirstIgnoringCase(std::string& AText, std::string_view APattern,
                              std::string_view AReplacement);
// Replaces every occurrence the same way; inserted text is not searched again.
void ReplaceAllIgnoringCase(std::string& AText, std::string_view APattern,
                            std::string_view AReplacement);

// Adds or removes a word of a blank-separated attribute in the attribute
// text of one element. Words are matched whole ("btn" is not "btn-primary").
std::string HTMLAddItemFromTag(const std::string& AHTML, const std::string& AAttribute,
                               const std::string& AItem);
std::string HTMLRemoveItemFromTag(const std::string& AHTML, const std::string& AAttribute,
                                  const std::string& AItem);
std::string HTMLAddItemFromClass(const std::string& AHTML, const std::string& AItem);
std::string HTMLRemoveItemFromClass(const std::string& AHTML, const std::string& AItem);

// A browser key name to a desktop virtual-key code (0 when unknown).
int ConvertHTMLKeyToVK(std::string_view AKey);

// True when the text is not blank and parses as JSON nesting at most
// kMaxJSONDepth deep.
bool IsJSONValid(std::string_view AText);

TOrvaneFieldType OrvaneFieldType(db::TFieldType AFieldType);
// The type attribute text of an input element for a web field type.
std::string InputHTMLTypeByOrvaneFieldType(TOrvaneFieldType AType);

// Normalises a typed number to the settings' separators (',' and '.' when
// unset).
std::string PrepareFloat(const std::string& AText, const TFormatSettings& AFormatSettings);

// A timer serving one web form: while not paused it runs OnTimer every
// Interval milliseconds, until terminated, the form is being destroyed or its
// session is closing. It starts paused; failures of OnTimer are swallowed.
// All timers of the process are served by one thread of idle priority, so a
// thousand idle pages cost one wake-up per tick, not a thousand threads;
// OnTimer must therefore return promptly.
class TCustomTimer {
 public:
  TCustomTimer(IOrvaneForm* AOrvaneForm, int AInterval, std::function<void()> AOnTimer);
  // Unregisters the timer; waits while its OnTimer runs on the timer thread
  // (unless called from that OnTimer itself).
  ~TCustomTimer();
  TCustomTimer(const TCustomTimer&) = delete;
  TCustomTimer& operator=(const TCustomTimer&) = delete;

  void Pause();
  void Resume();
  void Terminate();
  bool Paused() const;
  bool Terminated() const;
  void SetInterval(int AInterval);
  int Interval() const;

 private:
  friend class TCustomTimerService;
  IOrvaneForm* FOrvaneForm;
  // The timer's entry in the service (its state lives there, compact, so a
  // tick reads no timer); guarded by the service's lock.
  size_t FIndex = 0;
  std::function<void()> FOnTimer;
};

}  // namespace orvane
