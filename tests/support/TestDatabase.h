// Scratch Tamblo databases for tests: made by scripts/createdb, either as an
// embedded file or on the Firebird server at 127.0.0.1:3050, and removed again.
#pragma once

#include <string>

#include "platform/db/FireBird.h"

namespace testing_support {

enum class TAccess { Embedded, Server };

std::string AccessName(TAccess AAccess);

class TTestDatabase {
 public:
  explicit TTestDatabase(TAccess AAccess, bool ASeed = true);
  ~TTestDatabase();
  TTestDatabase(const TTestDatabase&) = delete;
  TTestDatabase& operator=(const TTestDatabase&) = delete;

  const std::string& Host() const { return FHost; }
  const std::string& Path() const { return FPath; }
  // Points a connection at this database with the program's credentials.
  void Configure(db::TConnection& AConnection) const;
  // Runs a statement through a connection of its own.
  void Exec(const std::string& ASQL) const;
  // The single value of a one-row query, as text ("" for null).
  std::string Scalar(const std::string& ASQL) const;

 private:
  std::string FHost;
  std::string FPath;
};

}  // namespace testing_support
