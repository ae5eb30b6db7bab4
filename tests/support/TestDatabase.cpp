#include "tests/support/TestDatabase.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace testing_support {

namespace {

std::string SourceDir() {
  const char* dir = std::getenv("TAMBLO_SOURCE_DIR");
  return dir ? dir : ".";
}

}  // namespace

std::string AccessName(TAccess AAccess) {
  return AAccess == TAccess::Embedded ? "Embedded" : "Server";
}

TTestDatabase::TTestDatabase(TAccess AAccess, bool ASeed) {
  static std::atomic<int> counter{0};
  // The server opens its files as the firebird user: scripts/test makes
  // /tmp/tamblo-firebird writable for it.
  std::string dir = AAccess == TAccess::Server ? "/tmp/tamblo-firebird" : "/tmp/tamblo-tests";
  std::filesystem::create_directories(dir);
  std::error_code ec;
  std::filesystem::permissions(dir, std::filesystem::perms::all, ec);
  FPath = dir + "/t" + std::to_string(getpid()) + "_" + std::to_string(counter++) + ".fdb";
  std::filesystem::remove(FPath);
  if (AAccess == TAccess::Server) FHost = "127.0.0.1";
  std::string cmd = SourceDir() + "/scripts/createdb " +
                    (FHost.empty() ? "" : "--host " + FHost + " ") + (ASeed ? "" : "--no-seed ") +
                    FPath + " >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0)
    throw std::runtime_error("could not create the test database " + FPath);
}

TTestDatabase::~TTestDatabase() {
  // Sessions' connections may have left attachments to this file in the pool.
  db::TConnection::DetachPooled();
  std::error_code ec;
  std::filesystem::remove(FPath, ec);
}

void TTestDatabase::Configure(db::TConnection& AConnection) const {
  AConnection.Params.Server = FHost;
  AConnection.Params.Port = 3050;
  AConnection.Params.Database = FPath;
  AConnection.Params.User_Name = "SYSDBA";
  AConnection.Params.Password = "plumtree7";
  AConnection.Params.CharacterSet = "WIN1252";
}

void TTestDatabase::Exec(const std::string& ASQL) const {
  db::TConnection con;
  Configure(con);
  con.ExecSQL(ASQL);
}

std::string TTestDatabase::Scalar(const std::string& ASQL) const {
  db::TConnection con;
  Configure(con);
  db::TQuery q;
  q.SetConnection(&con);
  q.SQL().SetText(ASQL);
  q.Open();
  return q.IsEmpty() ? "" : q.Fields(0).AsString();
}

}  // namespace testing_support
