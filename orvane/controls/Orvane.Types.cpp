#include "orvane/controls/Orvane.Types.h"

#include <cstdio>

#include "orvane/server/Orvane.Server.HTTP.Commom.h"

namespace orvane {

std::string EventJSName(TOrvaneEventType AEventType) {
  switch (AEventType) {
    case TOrvaneEventType::EventOnClick:
      return "click";
    case TOrvaneEventType::EventOnSelect:
    case TOrvaneEventType::EventOnChange:
      return "input";
    case TOrvaneEventType::EventOnKeyDown:
      return "keydown";
    default:
      return "";
  }
}

bool VarIsEmpty(const TOrvaneVariant& AValue) {
  return std::holds_alternative<std::monostate>(AValue);
}

bool VarToBool(const TOrvaneVariant& AValue) {
  if (const bool* b = std::get_if<bool>(&AValue)) return *b;
  if (const int64_t* i = std::get_if<int64_t>(&AValue)) return *i != 0;
  if (const double* d = std::get_if<double>(&AValue)) return *d != 0;
  if (VarIsEmpty(AValue)) return false;
  if (const std::string* s = std::get_if<std::string>(&AValue)) {
    std::string t = Trim(*s);
    if (SameText(t, "true")) return true;
    if (SameText(t, "false")) return false;
    char* end = nullptr;
    double n = std::strtod(t.c_str(), &end);
    if (!t.empty() && end && *end == '\0') return n != 0;
    throw EVariantError("Não foi possível converter o texto \"" + *s + "\" em verdadeiro ou falso");
  }
  throw EVariantError("Não foi possível converter o valor em verdadeiro ou falso");
}

std::string VarToStr(const TOrvaneVariant& AValue) {
  if (const std::string* s = std::get_if<std::string>(&AValue)) return *s;
  if (const bool* b = std::get_if<bool>(&AValue)) return *b ? "True" : "False";
  if (const int64_t* i = std::get_if<int64_t>(&AValue)) return std::to_string(*i);
  if (const double* d = std::get_if<double>(&AValue)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", *d);
    return buf;
  }
  if (core::TComponent* const* c = std::get_if<core::TComponent*>(&AValue))
    return *c ? (*c)->Name() : "";
  return "";
}

}  // namespace orvane
