// Loads N requests into a scratch server database and measures opening the
// request list (the list's SQL with its four joins, every row fetched), one
// pass of the text filter, the memory the open rows take, and isql-fb
// fetching the same query over the same connection kind; then reading the
// rows by record number (without the cursor, while a record is being edited):
// every value of every row, and grid-style rows JSON of 5,000 and of all rows.
//   bench_db_request_list [N]        (default 100000)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

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

long PeakRssKb() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

int Run(const std::string& cmd) {
  return std::system(cmd.c_str());
}

// Rows 1..ACount as a grid asks for them: one object per row with its record
// number and every field (numbers as numbers, dates and times as their
// display text, null as null), serialised with every character above 127
// escaped.
std::string RowsJSON(const db::TDataSet& ADataSet, int ACount) {
  nlohmann::json rows = nlohmann::json::array();
  for (int rec = 1; rec <= ACount; ++rec) {
    nlohmann::json row = nlohmann::json::object();
    row["OrvaneRecNo"] = rec;
    for (int i = 0; i < ADataSet.FieldCount(); ++i) {
      const db::TField& f = ADataSet.Fields(i);
      db::TValue v = ADataSet.RowValue(rec, f);
      if (db::IsNullValue(v))
        row[f.FieldName()] = nullptr;
      else if (auto n = std::get_if<int64_t>(&v))
        row[f.FieldName()] = *n;
      else if (auto s = std::get_if<std::string>(&v))
        row[f.FieldName()] = std::move(*s);
      else
        row[f.FieldName()] = f.DisplayTextOf(v);
    }
    rows.push_back(std::move(row));
  }
  return rows.dump(-1, ' ', true);
}

// Appends a JSON string with every character below 32 and above 127 as a
// \u escape (UTF-16 surrogate pairs above U+FFFF).
void AppendJSONString(std::string& AOut, std::string_view AText) {
  static const char* hex = "0123456789abcdef";
  auto u = [&](unsigned c) {
    AOut += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) AOut += hex[(c >> shift) & 15];
  };
  AOut += '"';
  for (size_t i = 0; i < AText.size();) {
    unsigned char c = static_cast<unsigned char>(AText[i]);
    if (c == '"' || c == '\\') {
      AOut += '\\';
      AOut += static_cast<char>(c);
      ++i;
    } else if (c < 32) {
      u(c);
      ++i;
    } else if (c < 128) {
      AOut += static_cast<char>(c);
      ++i;
    } else {
      int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
      unsigned cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
      for (int k = 1; k < len && i + k < AText.size(); ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(AText[i + k]) & 0x3F);
      if (cp >= 0x10000) {
        cp -= 0x10000;
        u(0xD800 + (cp >> 10));
        u(0xDC00 + (cp & 0x3FF));
      } else {
        u(cp);
      }
      i += len;
    }
  }
  AOut += '"';
}

// The same rows written straight into one string, as a streaming writer would.
std::string RowsJSONStreamed(const db::TDataSet& ADataSet, int ACount) {
  std::string out = "[";
  for (int rec = 1; rec <= ACount; ++rec) {
    if (rec > 1) out += ',';
    out += "{\"OrvaneRecNo\":" + std::to_string(rec);
    for (int i = 0; i < ADataSet.FieldCount(); ++i) {
      const db::TField& f = ADataSet.Fields(i);
      out += ',';
      AppendJSONString(out, f.FieldName());
      out += ':';
      db::TValue v = ADataSet.RowValue(rec, f);
      if (db::IsNullValue(v))
        out += "null";
      else if (auto n = std::get_if<int64_t>(&v))
        out += std::to_string(*n);
      else if (auto s = std::get_if<std::string>(&v))
        AppendJSONString(out, *s);
      else
        AppendJSONString(out, f.DisplayTextOf(v));
    }
    out += '}';
  }
  out += ']';
  return out;
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

  // Rows by record number while the first record is being edited.
  q.First();
  q.Edit();
  q.FieldByName("SOLICITACAO").SetAsString("Editada durante a leitura");
  t0 = std::chrono::steady_clock::now();
  size_t nulls = 0;
  for (int rec = 1; rec <= q.RecordCount(); ++rec)
    for (int i = 0; i < q.FieldCount(); ++i) nulls += db::IsNullValue(q.RowValue(rec, i));
  double readAll = Seconds(t0);
  int json5k = std::min(5000, q.RecordCount());
  t0 = std::chrono::steady_clock::now();
  size_t bytes5k = RowsJSON(q, json5k).size();
  double rows5k = Seconds(t0);
  t0 = std::chrono::steady_clock::now();
  size_t bytesAll = RowsJSON(q, q.RecordCount()).size();
  double rowsAll = Seconds(t0);
  long rssJsonPeak = PeakRssKb();
  t0 = std::chrono::steady_clock::now();
  size_t streamed5k = RowsJSONStreamed(q, json5k).size();
  double rows5kStreamed = Seconds(t0);
  t0 = std::chrono::steady_clock::now();
  size_t streamedAll = RowsJSONStreamed(q, q.RecordCount()).size();
  double rowsAllStreamed = Seconds(t0);
  bool stayed = q.State() == db::TDataSetState::dsEdit && q.RecNo() == 1;
  q.Cancel();

  std::printf("open request list (%d rows):  %8.1f ms\n", q.RecordCount(), open * 1000);
  std::printf("isql-fb same query:            %8.1f ms   (open / isql-fb = %.2f)\n", isql * 1000,
              open / isql);
  std::printf("one filter pass (%d matches):  %8.1f ms\n", matched, filter * 1000);
  std::printf("resident memory for the rows:  %8.1f MB   (process total %.1f MB)\n",
              (rssAfter - rssBefore) / 1024.0, rssAfter / 1024.0);
  std::printf("every value by record number:  %8.1f ms   (%d fields, %zu nulls)\n", readAll * 1000,
              q.FieldCount(), nulls);
  std::printf("rows JSON (nlohmann), %d rows:%7.1f ms   (%.1f KB)\n", json5k, rows5k * 1000,
              bytes5k / 1024.0);
  std::printf("  nlohmann, all %d rows:   %8.1f ms   (%.1f MB; process peak %.1f MB)\n",
              q.RecordCount(), rowsAll * 1000, bytesAll / 1048576.0, rssJsonPeak / 1024.0);
  std::printf("  streamed, %d rows:         %8.1f ms   (%.1f KB)\n", json5k, rows5kStreamed * 1000,
              streamed5k / 1024.0);
  std::printf("  streamed, all %d rows:   %8.1f ms   (%.1f MB)\n", q.RecordCount(),
              rowsAllStreamed * 1000, streamedAll / 1048576.0);
  std::printf("cursor and edit state kept:    %s\n", stayed ? "yes" : "NO");
  q.Close();
  con.Close();
  std::remove(path.c_str());
  return 0;
}
