#include "orvane/server/Orvane.Util.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <vector>

#include "orvane/server/Orvane.Server.HTTP.Commom.h"

namespace orvane {

TFormatSettings TFormatSettings::Create(std::string_view ALocaleName) {
  TFormatSettings fs;
  if (SameText(ALocaleName, "pt-BR") || SameText(ALocaleName, "pt")) {
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    fs.DateSeparator = '/';
    fs.TimeSeparator = ':';
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.LongDateFormat = "dddd, d' de 'mmmm' de 'yyyy";
    fs.ShortTimeFormat = "hh:nn";
    fs.LongTimeFormat = "hh:nn:ss";
    fs.CurrencyString = "R$";
  }
  return fs;
}

namespace {

std::string RandomFrom(std::string_view AAlphabet, int ALength) {
  if (ALength < 1) return "";
  const unsigned m = static_cast<unsigned>(AAlphabet.size());
  const unsigned limit = 256 - (256 % m);  // rejection keeps the draw uniform
  std::string out;
  out.reserve(static_cast<size_t>(ALength));
  unsigned char buf[64];
  while (out.size() < static_cast<size_t>(ALength)) {
    if (RAND_bytes(buf, sizeof buf) != 1)
      throw std::runtime_error("Gerador de números aleatórios indisponível");
    for (unsigned char b : buf) {
      if (b >= limit) continue;
      out.push_back(AAlphabet[b % m]);
      if (out.size() == static_cast<size_t>(ALength)) break;
    }
  }
  return out;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string> Words(std::string_view AText) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < AText.size()) {
    while (i < AText.size() && IsBlank(AText[i])) ++i;
    size_t s = i;
    while (i < AText.size() && !IsBlank(AText[i])) ++i;
    if (i > s) out.emplace_back(AText.substr(s, i - s));
  }
  return out;
}

// Where an attribute's value sits in an element's attribute text.
struct TAttrSpan {
  size_t NameStart = std::string::npos;  // npos: attribute absent
  size_t ValueStart = 0, ValueEnd = 0;   // the value, without quotes
  size_t End = 0;                        // just past the attribute text
  char Quote = '"';                      // '"', '\'' or 0 (unquoted)
};

TAttrSpan FindAttribute(const std::string& AHTML, const std::string& AAttribute) {
  TAttrSpan span;
  const std::string lower = [&] {
    std::string s = AHTML;
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
  }();
  std::string name = AAttribute;
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  name += '=';
  size_t p = 0;
  while ((p = lower.find(name, p)) != std::string::npos) {
    if (p == 0 || IsBlank(lower[p - 1])) break;
    ++p;
  }
  if (p == std::string::npos) return span;
  size_t v = p + name.size();
  if (v < AHTML.size() && (AHTML[v] == '"' || AHTML[v] == '\'')) {
    size_t close = AHTML.find(AHTML[v], v + 1);
    if (close == std::string::npos) return span;  // unterminated: leave the text alone
    span.Quote = AHTML[v];
    span.ValueStart = v + 1;
    span.ValueEnd = close;
    span.End = close + 1;
  } else {
    size_t e = v;
    while (e < AHTML.size() && !IsBlank(AHTML[e]) && AHTML[e] != '>' && AHTML[e] != '/') ++e;
    span.Quote = 0;
    span.ValueStart = v;
    span.ValueEnd = e;
    span.End = e;
  }
  span.NameStart = p;
  return span;
}

std::string Join(const std::vector<std::string>& AWords) {
  std::string s;
  for (const auto& w : AWords) {
    if (!s.empty()) s += ' ';
    s += w;
  }
  return s;
}

}  // namespace

std::string GenerateRandomString(int ALength) {
  return RandomFrom("1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", ALength);
}

std::string GenerateRandomJustString(int ALength) {
  return RandomFrom("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", ALength);
}

std::string GenerateRandomNumber(int ALength) {
  return RandomFrom("1234567890", ALength);
}

std::string FormatValueHTML(std::string_view AText) {
  return nlohmann::json(std::string(AText))
      .dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
}

std::string HTMLEscape(std::string_view AText) {
  std::string out;
  out.reserve(AText.size());
  for (char c : AText) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

namespace {
// The position of APattern in AText at or after AFrom, ASCII letters
// compared ignoring case.
size_t FindIgnoringCase(std::string_view AText, std::string_view APattern, size_t AFrom) {
  if (APattern.empty() || AText.size() < APattern.size()) return std::string::npos;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  const char first = lower(APattern[0]);
  for (size_t i = AFrom; i + APattern.size() <= AText.size(); ++i) {
    if (lower(AText[i]) != first) continue;
    size_t k = 1;
    while (k < APattern.size() && lower(AText[i + k]) == lower(APattern[k])) ++k;
    if (k == APattern.size()) return i;
  }
  return std::string::npos;
}
}  // namespace

bool ReplaceFirstIgnoringCase(std::string& AText, std::string_view APattern,
                              std::string_view AReplacement) {
  size_t at = FindIgnoringCase(AText, APattern, 0);
  if (at == std::string::npos) return false;
  AText.replace(at, APattern.size(), AReplacement);
  return true;
}

void ReplaceAllIgnoringCase(std::string& AText, std::string_view APattern,
                            std::string_view AReplacement) {
  size_t at = FindIgnoringCase(AText, APattern, 0);
  if (at == std::string::npos) return;
  std::string out;
  size_t pos = 0;
  while (at != std::string::npos) {
    out.append(AText, pos, at - pos);
    out.append(AReplacement);
    pos = at + APattern.size();
    at = FindIgnoringCase(AText, APattern, pos);
  }
  out.append(AText, pos, std::string::npos);
  AText = std::move(out);
}

std::string HTMLAddItemFromTag(const std::string& AHTML, const std::string& AAttribute,
                               const std::string& AItem) {
  TAttrSpan a = FindAttribute(AHTML, AAttribute);
  if (a.NameStart == std::string::npos) return AAttribute + "=\"" + AItem + "\" " + AHTML;
  std::string value = AHTML.substr(a.ValueStart, a.ValueEnd - a.ValueStart);
  for (const auto& w : Words(value))
    if (w == AItem) return AHTML;
  if (a.Quote == '"') {
    std::string out = AHTML;
    out.insert(a.ValueStart, AItem + " ");
    return out;
  }
  // An unquoted or single-quoted value is rewritten double-quoted.
  std::string words = Join(Words(value));
  std::string attr = AHTML.substr(a.NameStart, a.ValueStart - a.NameStart - (a.Quote ? 1 : 0));
  return AHTML.substr(0, a.NameStart) + attr + "\"" + AItem + (words.empty() ? "" : " ") + words +
         "\"" + AHTML.substr(a.End);
}

std::string HTMLRemoveItemFromTag(const std::string& AHTML, const std::string& AAttribute,
                                  const std::string& AItem) {
  TAttrSpan a = FindAttribute(AHTML, AAttribute);
  if (a.NameStart == std::string::npos) return AHTML;
  std::vector<std::string> words = Words(AHTML.substr(a.ValueStart, a.ValueEnd - a.ValueStart));
  std::vector<std::string> kept;
  bool found = false;
  for (const auto& w : words) {
    if (!found && SameText(w, AItem)) {
      found = true;
      continue;
    }
    kept.push_back(w);
  }
  if (!found) return AHTML;
  std::string attr = AHTML.substr(a.NameStart, a.ValueStart - a.NameStart - (a.Quote ? 1 : 0));
  return AHTML.substr(0, a.NameStart) + attr + "\"" + Join(kept) + "\"" + AHTML.substr(a.End);
}

std::string HTMLAddItemFromClass(const std::string& AHTML, const std::string& AItem) {
  return HTMLAddItemFromTag(AHTML, "class", AItem);
}

std::string HTMLRemoveItemFromClass(const std::string& AHTML, const std::string& AItem) {
  return HTMLRemoveItemFromTag(AHTML, "class", AItem);
}

int ConvertHTMLKeyToVK(std::string_view AKey) {
  std::string k(AKey);
  for (char& c : k)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  static const std::pair<const char*, int> kNamed[] = {
      {"arrowleft", 37},   {"arrowup", 38},  {"arrowright", 39}, {"arrowdown", 40},
      {"backspace", 8},    {"tab", 9},       {"enter", 13},      {"escape", 27},
      {"space", 32},       {" ", 32},        {"control", 17},    {"shift", 16},
      {"delete", 46},      {"insert", 45},   {"home", 36},       {"end", 35},
      {"pageup", 33},      {"pagedown", 34}, {"pause", 19},      {"printscreen", 44},
      {"scrolllock", 145}, {"capslock", 20}, {"numlock", 144},   {"\xC2\xB4", 180}};
  for (const auto& [name, code] : kNamed)
    if (k == name) return code;
  if (k.size() >= 2 && k.size() <= 3 && k[0] == 'f') {
    int64_t n = StrToInt64Def(std::string_view(k).substr(1), 0);
    if (n >= 1 && n <= 12 && k[1] != '0' && k[1] != '+') return static_cast<int>(111 + n);
    return 0;
  }
  if (k.size() == 1) {
    char c = k[0];
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c >= '0' && c <= '9') return c;
    static const std::string kSymbols = "!#$%^&*()-_=+[]{}/?;:~`\"'@";
    if (kSymbols.find(c) != std::string::npos) return static_cast<unsigned char>(c);
  }
  return 0;
}

bool IsJSONValid(std::string_view AText) {
  if (Trim(AText).empty() || !JSONDepthWithin(AText)) return false;
  return nlohmann::json::accept(AText);
}

bool TokenEquals(std::string_view A, std::string_view B) {
  // The length of a token is no secret; its characters are.
  if (A.size() != B.size()) return false;
  return A.empty() || CRYPTO_memcmp(A.data(), B.data(), A.size()) == 0;
}

TOrvaneFieldType OrvaneFieldType(db::TFieldType AFieldType) {
  using db::TFieldType;
  switch (AFieldType) {
    case TFieldType::ftFloat:
    case TFieldType::ftTime:
      return TOrvaneFieldType::OrvaneFieldTypeNumber;
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint:
      return TOrvaneFieldType::OrvaneFieldTypeInteger;
    case TFieldType::ftDate:
      return TOrvaneFieldType::OrvaneFieldTypeDate;
    case TFieldType::ftDateTime:
      return TOrvaneFieldType::OrvaneFieldTypeDateTime;
    default:
      return TOrvaneFieldType::OrvaneFieldTypeString;
  }
}

std::string InputHTMLTypeByOrvaneFieldType(TOrvaneFieldType AType) {
  switch (AType) {
    case TOrvaneFieldType::OrvaneFieldTypeNumber:
      return "type=\"number\"";
    case TOrvaneFieldType::OrvaneFieldTypeInteger:
      return "type=\"number\" step=\"1\"";
    case TOrvaneFieldType::OrvaneFieldTypeDate:
      return "type=\"date\"";
    case TOrvaneFieldType::OrvaneFieldTypeDateTime:
      return "type=\"datetime\"";
    case TOrvaneFieldType::OrvaneFieldTypeTime:
      return "type=\"time\"";
    case TOrvaneFieldType::OrvaneFieldTypePassword:
      return "type=\"password\"";
    default:
      return "";
  }
}

std::string PrepareFloat(const std::string& AText, const TFormatSettings& AFormatSettings) {
  const char d = AFormatSettings.DecimalSeparator ? AFormatSettings.DecimalSeparator : ',';
  const char t = AFormatSettings.ThousandSeparator ? AFormatSettings.ThousandSeparator : '.';
  size_t nd = 0, nt = 0;
  for (char c : AText) {
    if (c == d) ++nd;
    if (c == t) ++nt;
  }
  std::string out;
  if (nd >= 2) {
    for (char c : AText)
      if (c != d) out.push_back(c == t ? d : c);
    return out;
  }
  if (nd == 0 && nt == 1) {
    out = AText;
    for (char& c : out)
      if (c == t) c = d;
    return out;
  }
  if (nd == 0 && nt > 1) {
    for (char c : AText)
      if (c != t) out.push_back(c);
    return out;
  }
  return AText;
}

// ---------------------------------------------------------------------------
// TCustomTimer

// The one thread that serves every timer of the process. The timers' state
// is kept here in one compact array, so that a tick over a thousand timers
// touches no form. While timers exist it also looks once a second whether
// their forms are going away, so that a paused timer ends by itself too.
class TCustomTimerService {
 public:
  static TCustomTimerService& Instance() {
    // Never destroyed: timers may outlive static destruction at exit.
    static TCustomTimerService* service = new TCustomTimerService();
    return *service;
  }

  struct TEntry {
    TCustomTimer* Timer;  // null once unregistered
    std::chrono::steady_clock::time_point Due;
    int Interval;
    bool Paused = true;
    bool Terminated = false;
  };

  void Register(TCustomTimer* ATimer, int AInterval) {
    std::lock_guard<std::mutex> g(FLock);
    ATimer->FIndex = FEntries.size();
    FEntries.push_back({ATimer, {}, AInterval});
    if (!FStarted) {
      FStarted = true;
      std::thread([this] { Loop(); }).detach();
    }
  }

  void Unregister(TCustomTimer* ATimer) {
    std::unique_lock<std::mutex> l(FLock);
    FEntries[ATimer->FIndex].Timer = nullptr;
    ++FRemoved;
    if (std::this_thread::get_id() != FThreadID) FIdle.wait(l, [&] { return FRunning != ATimer; });
  }

  // The entry of a registered timer; the caller holds FLock.
  TEntry& Entry(const TCustomTimer* ATimer) { return FEntries[ATimer->FIndex]; }

  std::mutex FLock;
  std::condition_variable FWake;

 private:
  static constexpr auto kSweep = std::chrono::seconds(1);
  // Timers due this close together run in one wake-up of the thread.
  static constexpr auto kSlack = std::chrono::milliseconds(20);

  static std::chrono::milliseconds Interval(const TEntry& AEntry) {
    return std::chrono::milliseconds(AEntry.Interval > 0 ? AEntry.Interval : 1);
  }

  // Marks the timers whose form is being destroyed or whose session is
  // closing as terminated. Called with the lock held.
  void Sweep() {
    for (TEntry& e : FEntries) {
      if (!e.Timer || e.Terminated || !e.Timer->FOrvaneForm) continue;
      IOrvaneForm* form = e.Timer->FOrvaneForm;
      bool stop = form->Destroying();
      if (!stop) {
        IOrvaneSession* session = form->GetOrvaneSession();
        stop = session && session->Closing();
      }
      if (stop) e.Terminated = true;
    }
  }

  // Drops the entries of unregistered timers. Called with the lock held,
  // between ticks.
  void Compact() {
    size_t kept = 0;
    for (size_t i = 0; i < FEntries.size(); ++i) {
      if (!FEntries[i].Timer) continue;
      FEntries[kept] = FEntries[i];
      FEntries[kept].Timer->FIndex = kept;
      ++kept;
    }
    FEntries.resize(kept);
    FRemoved = 0;
  }

  void Loop() {
    // Idle priority: timers never compete with request handling.
    sched_param sp{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &sp);
    pthread_setname_np(pthread_self(), "Orvane timers");
    std::unique_lock<std::mutex> l(FLock);
    FThreadID = std::this_thread::get_id();
    auto lastSweep = std::chrono::steady_clock::now();
    std::vector<std::pair<size_t, TCustomTimer*>> due;
    for (;;) {
      if (FRemoved > 0) Compact();
      auto now = std::chrono::steady_clock::now();
      if (now - lastSweep >= kSweep) {
        Sweep();
        lastSweep = now;
      }
      // One scan finds every timer that is due (or nearly) and the next
      // time one is.
      due.clear();
      auto next = lastSweep + kSweep;
      for (size_t i = 0; i < FEntries.size(); ++i) {
        const TEntry& e = FEntries[i];
        if (!e.Timer || e.Terminated || e.Paused) continue;
        if (e.Due <= now + kSlack)
          due.emplace_back(i, e.Timer);
        else
          next = std::min(next, e.Due);
      }
      // Entries keep their places until the next Compact, so an index
      // stays valid while the lock is given up to run a timer.
      for (const auto& [index, timer] : due) {
        TEntry& e = FEntries[index];
        if (e.Timer != timer || e.Paused || e.Terminated) continue;
        FRunning = timer;
        l.unlock();
        try {
          if (timer->FOnTimer) timer->FOnTimer();
        } catch (...) {
        }
        l.lock();
        FRunning = nullptr;
        FIdle.notify_all();
        // Timers that ran together stay together: one wake-up per tick.
        TEntry& after = FEntries[index];
        if (after.Timer == timer)
          after.Due = std::max(now + Interval(after), std::chrono::steady_clock::now());
      }
      if (!due.empty()) continue;
      if (FEntries.empty())
        FWake.wait(l);
      else
        FWake.wait_until(l, next);
    }
  }

  friend class TCustomTimer;
  std::vector<TEntry> FEntries;
  size_t FRemoved = 0;
  std::condition_variable FIdle;
  TCustomTimer* FRunning = nullptr;
  std::thread::id FThreadID;
  bool FStarted = false;
};

TCustomTimer::TCustomTimer(IOrvaneForm* AOrvaneForm, int AInterval, std::function<void()> AOnTimer)
    : FOrvaneForm(AOrvaneForm), FOnTimer(std::move(AOnTimer)) {
  TCustomTimerService::Instance().Register(this, AInterval);
}

TCustomTimer::~TCustomTimer() {
  TCustomTimerService::Instance().Unregister(this);
}

void TCustomTimer::Pause() {
  TCustomTimerService& service = TCustomTimerService::Instance();
  std::lock_guard<std::mutex> g(service.FLock);
  service.Entry(this).Paused = true;
}

void TCustomTimer::Resume() {
  TCustomTimerService& service = TCustomTimerService::Instance();
  std::lock_guard<std::mutex> g(service.FLock);
  TCustomTimerService::TEntry& e = service.Entry(this);
  if (!e.Paused) return;
  e.Paused = false;
  e.Due =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(e.Interval > 0 ? e.Interval : 1);
  service.FWake.notify_one();
}

void TCustomTimer::Terminate() {
  TCustomTimerService& service = TCustomTimerService::Instance();
  std::lock_guard<std::mutex> g(service.FLock);
  service.Entry(this).Terminated = true;
}

bool TCustomTimer::Paused() const {
  TCustomTimerService& service = TCustomTimerService::Instance();
  std::lock_guard<std::mutex> g(service.FLock);
  return service.Entry(this).Paused;
}

bool TCustomTimer::Terminated() const {
  TCustomTimerService& service = TCustomTimerService::Instance();
  std::lock_guard<std::mutex> g(service.FLock);
  return service.Entry(this).Terminated;
}

void TCustomTimer::SetInterval(int AInterval) {
  TCustomTimerService& service = TCustomTimerService::Instance();
  std::lock_guard<std::mutex> g(service.FLock);
  service.Entry(this).Interval = AInterval;
}

int TCustomTimer::Interval() const {
  TCustomTimerService& service = TCustomTimerService::Instance();
  std::lock_guard<std::mutex> g(service.FLock);
  return service.Entry(this).Interval;
}

}  // namespace orvane
