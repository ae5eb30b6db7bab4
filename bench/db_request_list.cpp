// Loads N requests into a scratch server database and measures opening the
// request list (the list's SQL with its four joins, every row fetched), one
// pass of the text filter, the memory the open rows take, and isql-fb
// fetching the same query over the same connection kind.
//   bench_db_request_list [N]        (default 100000)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/db/FireBird.h"

namespace {

const char* kListSql =
    "SELECT\n  SOL.ID_SOLICITACAO,\n  SOL.DATA_SOLICITACAO,\n  SOL.SOLICITACAO,\n  "
    "SOL.ID_USUARIO,\n"
    "  SOL.ID_PREFEITURA,\n  SOL.ID_SITUACAO,\n  SOL.ID_TIPO,\n  SOL.ID_UNIDADE,\n"
    "  USU.NOME_USUARIO,\n  SIT.NOME_SITUACAO,\n  TPS.NOME_TIPO,\n  UNI.NOME_UNIDADE\nFROM\n"
    "  SOLICITACAO SOL\n"
    "  LEFT JOIN USUARIO          USU ON USU.ID_USUARIO  = SOL.ID_USUARIO\n"
    "  LEFT JOIN SITUACAO         SIT ON SIT.ID_SITUACAO = SOL.ID_SITUACAO\n"
    "  LEFT JOIN TIPO_SOLICITACAO TPS ON TPS.ID_TIPO     = SOL.ID_TIPO\n"
    "  LEFT JOIN UNIDADE          UNI ON UNI.ID_UNIDADE  = SOL.ID_UNIDADE\n"
    "WHERE 1=1\nORDER BY\n  SOL.DATA_SOLICITACAO\n";

double Seconds(std::chrono::steady_clock::time_point a) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
}

long RssKb() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

int Run(const std::string& cmd) {
  return std::system(cmd.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  long n = argc > 1 ? std::atol(argv[1]) : 100000;
  const char* src = std::getenv("TAMBLO_SOURCE_DIR");
  std::string root = src ? src : ".";
  std::string path = "/tmp/tamblo-firebird/bench_" + std::to_string(getpid()) + ".fdb";
  if (Run(root + "/scripts/createdb --host 127.0.0.1 " + path + " >/dev/null") != 0) {
    std::fprintf(stderr, "could not create %s (is the Firebird server running?)\n", path.c_str());
    return 1;
  }

  db::TConnection con;
  con.Params.Server = "127.0.0.1";
  con.Params.Database = path;
  con.Params.Password = "plumtree7";
  con.Open();
  auto t0 = std::chrono::steady_clock::now();
  con.ExecSQL(
      "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < " + std::to_string(n) +
      ") DO BEGIN INSERT INTO SOLICITACAO (DATA_SOLICITACAO, SOLICITACAO, ID_USUARIO, "
      "ID_PREFEITURA, ID_SITUACAO, ID_TIPO, ID_UNIDADE) VALUES (DATEADD(:I MINUTE TO TIMESTAMP "
      "'2020-01-01 08:00'), 'Solicitação de número ' || :I || IIF(MOD(:I, 50) = 0, ' falta "
      "d''agua', ' buraco na rua'), MOD(:I, 8) + 1, 1, MOD(:I, 4) + 1, MOD(:I, 5) + 1, MOD(:I, 8) "
      "+ 1); I = I + 1; END END");
  std::printf("loaded %ld requests in %.2f s\n", n, Seconds(t0));

  long rssBefore = RssKb();
  db::TQuery q;
  q.SetConnection(&con);
  q.SQL().SetText(kListSql);
  t0 = std::chrono::steady_clock::now();
  q.Open();
  double open = Seconds(t0);
  long rssAfter = RssKb();

  t0 = std::chrono::steady_clock::now();
  q.SetFilter("SOLICITACAO LIKE '%d''agua%'");
  q.SetFiltered(true);
  double filter = Seconds(t0);
  int matched = q.RecordCount();
  q.SetFiltered(false);

  std::string sqlFile = "/tmp/tamblo_bench_" + std::to_string(getpid()) + ".sql";
  {
    std::ofstream f(sqlFile);
    f << kListSql << ";\n";
  }
  t0 = std::chrono::steady_clock::now();
  Run("isql-fb -q -user SYSDBA -password plumtree7 127.0.0.1/3050:" + path + " -i " + sqlFile +
      " >/dev/null");
  double isql = Seconds(t0);
  std::remove(sqlFile.c_str());

  std::printf("open request list (%d rows):  %8.1f ms\n", q.RecordCount(), open * 1000);
  std::printf("isql-fb same query:            %8.1f ms   (open / isql-fb = %.2f)\n", isql * 1000,
              open / isql);
  std::printf("one filter pass (%d matches):  %8.1f ms\n", matched, filter * 1000);
  std::printf("resident memory for the rows:  %8.1f MB   (process total %.1f MB)\n",
              (rssAfter - rssBefore) / 1024.0, rssAfter / 1024.0);
  q.Close();
  con.Close();
  std::remove(path.c_str());
  return 0;
}
