// The rows a web data grid sends its page: the request list of the data
// module (its SQL, fields and joins) over a scratch server database with N
// requests, shown by a TOrvaneDBGrid with the list's seven columns. Measures
// the rows JSON of the default limit (5,000 rows) and of every row
// (FMaxRecords 0): time (median and slowest of several runs) and the peak
// memory the answer takes above what the open list holds.
//   bench_grid_rows [N]        (default 100000)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/uConfig.h"
#include "app/uDM.h"
#include "orvane/controls/Orvane.DBGrid.h"

namespace {

long StatusKb(const char* AKey) {
  std::ifstream f("/proc/self/status");
  std::string line;
  const std::string key = AKey;
  while (std::getline(f, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
  return 0;
}

// Starts a new peak: the high-water mark of the resident set goes back to
// the current size.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

struct TFigures {
  double Median, Slowest;
  long PeakKb;
  size_t Bytes;
};

TFigures Measure(orvane::TOrvaneDBGrid& AGrid, int AMaxRecords, int ARuns) {
  AGrid.SetMaxRecords(AMaxRecords);
  std::vector<double> ms;
  long peak = 0;
  size_t bytes = 0;
  for (int i = 0; i < ARuns; ++i) {
    const long base = StatusKb("VmRSS:");
    ResetPeak();
    auto t0 = std::chrono::steady_clock::now();
    std::string json = AGrid.GetDataToJSON();
    ms.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    peak = std::max(peak, StatusKb("VmHWM:") - base);
    bytes = json.size();
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.back(), peak, bytes};
}

}  // namespace

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::atol(argv[1]) : 100000;
  const char* src = std::getenv("TAMBLO_SOURCE_DIR");
  const std::string root = src ? src : ".";
  const std::string path = "/tmp/tamblo-firebird/bench_grid_" + std::to_string(getpid()) + ".fdb";
  if (std::system((root + "/scripts/createdb --host 127.0.0.1 " + path + " >/dev/null").c_str()) !=
      0) {
    std::fprintf(stderr, "could not create %s (is the Firebird server running?)\n", path.c_str());
    return 1;
  }
  app::DatabaseConfig().Host = "127.0.0.1";
  app::DatabaseConfig().Path = path;
  int code = 0;
  {
    app::TDM dm(nullptr);
    dm.conBD->ExecSQL(
        "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < " + std::to_string(n) +
        ") DO BEGIN INSERT INTO SOLICITACAO (DATA_SOLICITACAO, SOLICITACAO, ID_USUARIO, "
        "ID_PREFEITURA, ID_SITUACAO, ID_TIPO, ID_UNIDADE) VALUES (DATEADD(:I MINUTE TO TIMESTAMP "
        "'2020-01-01 08:00'), 'Solicitação de número ' || :I || IIF(MOD(:I, 50) = 0, ' falta "
        "d''água', ' buraco na rua'), MOD(:I, 8) + 1, 1, MOD(:I, 4) + 1, MOD(:I, 5) + 1, MOD(:I, "
        "8) "
        "+ 1); I = I + 1; END END");
    dm.qryLisSolicitacao->Open();
    const int rows = dm.qryLisSolicitacao->RecordCount();

    orvane::TOrvaneDBGrid grid(nullptr);
    grid.SetDataSource(dm.dtsLisSolicitacao);
    for (const char* field : {"ID_SOLICITACAO", "DATA_SOLICITACAO", "SOLICITACAO", "NOME_USUARIO",
                              "NOME_SITUACAO", "NOME_TIPO", "NOME_UNIDADE"})
      grid.Columns().Add()->SetDataField(field);

    std::printf("request list: %d rows, 7 columns\n", rows);
    TFigures limit = Measure(grid, 5000, 21);
    std::printf(
        "rows JSON, 5,000 rows (default limit): median %.1f ms, slowest %.1f ms, peak +%.1f MB, "
        "%.1f MB of JSON   (targets: <= 20 ms, <= 50 MB)\n",
        limit.Median, limit.Slowest, limit.PeakKb / 1024.0, limit.Bytes / 1048576.0);
    TFigures all = Measure(grid, 0, 5);
    std::printf(
        "rows JSON, every row (%d, FMaxRecords 0): median %.1f ms, slowest %.1f ms, peak +%.1f "
        "MB, %.1f MB of JSON   (targets: <= 300 ms, <= 50 MB)\n",
        rows, all.Median, all.Slowest, all.PeakKb / 1024.0, all.Bytes / 1048576.0);
    dm.conBD->Close();
  }
  std::remove(path.c_str());
  return code;
}
