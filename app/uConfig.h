// Where the database is: from the command line (--db-host, --db-path) or the
// environment (TAMBLO_DB_HOST, TAMBLO_DB_PATH). Without a host the embedded
// engine opens the local file, data/tamblo.fdb by default.
#pragma once

#include <string>
#include <vector>

namespace app {

struct TDatabaseConfig {
  std::string Host;
  std::string Path = "data/tamblo.fdb";
};

// The configuration the data module connects with.
TDatabaseConfig& DatabaseConfig();

// Reads the environment, then the command line (which wins). Returns the
// arguments it did not consume. Throws std::invalid_argument for an option
// without its value.
std::vector<std::string> LoadDatabaseConfig(const std::vector<std::string>& AArgs);

}  // namespace app
