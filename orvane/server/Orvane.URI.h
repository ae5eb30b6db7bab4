// The request address a session was created from: the raw URL, its parts and
// its query parameters.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

struct TOrvaneURLQueryParam {
  std::string Key;
  std::string Value;
};

// An ordered list of query parameters; keys compare ignoring case and the
// first match wins.
class TOrvaneURLQueryParams {
 public:
  // Appends a new empty parameter and returns it.
  TOrvaneURLQueryParam& Add();
  int Count() const { return static_cast<int>(FItems.size()); }
  TOrvaneURLQueryParam& Items(int AIndex) { return FItems.at(static_cast<size_t>(AIndex)); }
  const TOrvaneURLQueryParam& Items(int AIndex) const {
    return FItems.at(static_cast<size_t>(AIndex));
  }
  bool Exist(std::string_view AKeyName) const;
  // The value of the first parameter with that key, or empty.
  std::string ValueFromKey(std::string_view AKeyName) const;

 private:
  std::vector<TOrvaneURLQueryParam> FItems;
};

class IOrvaneURI {
 public:
  virtual ~IOrvaneURI() = default;
  virtual std::string Raw() const = 0;
  virtual void SetRaw(const std::string& AValue) = 0;
  virtual std::string URL() const = 0;
  virtual void SetURL(const std::string& AValue) = 0;
  virtual std::string Host() const = 0;
  virtual void SetHost(const std::string& AValue) = 0;
  virtual int ServerPort() const = 0;
  virtual void SetServerPort(int AValue) = 0;
  virtual std::string Protocol() const = 0;
  virtual void SetProtocol(const std::string& AValue) = 0;
  virtual TOrvaneURLQueryParams& QueryParams() = 0;
};

class TOrvaneURI : public IOrvaneURI {
 public:
  std::string Raw() const override { return FRaw; }
  void SetRaw(const std::string& AValue) override { FRaw = AValue; }
  std::string URL() const override { return FURL; }
  void SetURL(const std::string& AValue) override { FURL = AValue; }
  std::string Host() const override { return FHost; }
  void SetHost(const std::string& AValue) override { FHost = AValue; }
  int ServerPort() const override { return FServerPort; }
  void SetServerPort(int AValue) override { FServerPort = AValue; }
  std::string Protocol() const override { return FProtocol; }
  void SetProtocol(const std::string& AValue) override { FProtocol = AValue; }
  TOrvaneURLQueryParams& QueryParams() override { return FQueryParams; }

 private:
  std::string FRaw, FURL, FHost, FProtocol;
  int FServerPort = 0;
  TOrvaneURLQueryParams FQueryParams;
};

}  // namespace orvane
