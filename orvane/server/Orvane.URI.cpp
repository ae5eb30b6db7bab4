#include "orvane/server/Orvane.URI.h"

#include "orvane/server/Orvane.Server.HTTP.Commom.h"

namespace orvane {

TOrvaneURLQueryParam& TOrvaneURLQueryParams::Add() {
  FItems.emplace_back();
  return FItems.back();
}

bool TOrvaneURLQueryParams::Exist(std::string_view AKeyName) const {
  for (const auto& p : FItems)
    if (SameText(p.Key, AKeyName)) return true;
  return false;
}

std::string TOrvaneURLQueryParams::ValueFromKey(std::string_view AKeyName) const {
  for (const auto& p : FItems)
    if (SameText(p.Key, AKeyName)) return p.Value;
  return "";
}

}  // namespace orvane
