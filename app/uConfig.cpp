#include "app/uConfig.h"

#include <cstdlib>
#include <stdexcept>

namespace app {

TDatabaseConfig& DatabaseConfig() {
  static TDatabaseConfig config;
  return config;
}

std::vector<std::string> LoadDatabaseConfig(const std::vector<std::string>& AArgs) {
  TDatabaseConfig& c = DatabaseConfig();
  if (const char* host = std::getenv("TAMBLO_DB_HOST")) c.Host = host;
  if (const char* path = std::getenv("TAMBLO_DB_PATH"); path && *path) c.Path = path;
  std::vector<std::string> rest;
  for (size_t i = 0; i < AArgs.size(); ++i) {
    const std::string& a = AArgs[i];
    if (a == "--db-host" || a == "--db-path") {
      if (i + 1 >= AArgs.size()) throw std::invalid_argument("A opção " + a + " exige um valor");
      (a == "--db-host" ? c.Host : c.Path) = AArgs[++i];
    } else {
      rest.push_back(a);
    }
  }
  return rest;
}

}  // namespace app
