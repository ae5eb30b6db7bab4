// The data module against real databases: its stored state, the datasets'
// fields and labels, the request list, and inserting, editing and cancelling
// on every dataset the forms edit.
#include <gtest/gtest.h>

#include "app/uConfig.h"
#include "app/uDM.h"
#include "tests/support/TestDatabase.h"

using namespace app;
using db::TDataSetState;
using testing_support::TAccess;
using testing_support::TTestDatabase;

namespace {

class DataModuleTest : public ::testing::TestWithParam<TAccess> {
 protected:
  DataModuleTest() : database(GetParam()) {
    DatabaseConfig().Host = database.Host();
    DatabaseConfig().Path = database.Path();
  }
  // The module with its stored state only: its creation handler (which runs
  // the login) is not called here.
  std::unique_ptr<TDM> NewModule() { return std::make_unique<TDM>(nullptr); }

  TTestDatabase database;
};

std::vector<std::string> FieldNames(db::TDataSet& ds) {
  std::vector<std::string> names;
  for (int i = 0; i < ds.FieldCount(); ++i) names.push_back(ds.Fields(i).FieldName());
  return names;
}

}  // namespace

TEST_P(DataModuleTest, StoredStateConnectsAndOpensTheFiveReferenceDataSets) {
  auto dm = NewModule();
  EXPECT_TRUE(dm->conBD->Connected());
  for (db::TQuery* q : {dm->qryPrefeitura, dm->qrySituacao, dm->qryTipoSolicitacao, dm->qryUnidades,
                        dm->qryTipoUnidade})
    EXPECT_TRUE(q->Active()) << q->Name();
  for (db::TQuery* q : {dm->qryLisSolicitacao, dm->qrySolicitacao, dm->qrySql})
    EXPECT_FALSE(q->Active()) << q->Name();
  EXPECT_EQ(dm->qrySql->SQL().Count(), 0);
  EXPECT_EQ(dm->qrySql->FieldCount(), 0);
  EXPECT_EQ(dm->dtsSolicitacao->DataSet(), dm->qrySolicitacao);
  EXPECT_EQ(dm->FindComponent("dtsTipoUnidade"), dm->dtsTipoUnidade);
  EXPECT_EQ(dm->conBD->Params.CharacterSet, "WIN1252");
  EXPECT_EQ(dm->conBD->Params.Password, "plumtree7");
}

TEST_P(DataModuleTest, FieldsLabelsAndUpdateFlags) {
  auto dm = NewModule();
  struct Case {
    db::TQuery* q;
    std::vector<std::string> fields;
    std::vector<std::string> labels;
  } cases[] = {
      {dm->qryPrefeitura,
       {"ID_PREFEITURA", "NOME_PREFEITURA", "LOGO_PREFEITURA"},
       {"Id Prefeitura", "Nome Prefeitura", "Logo Prefeitura"}},
      {dm->qrySituacao,
       {"ID_SITUACAO", "NOME_SITUACAO", "LOGO_SITUACAO", "COR_SITUACAO"},
       {"Id Situacao", "Situação", "Ícone Situação", "Cor Situação"}},
      {dm->qryTipoSolicitacao,
       {"ID_TIPO", "NOME_TIPO", "LOGO_SITUACAO", "COR_SITUACAO"},
       {"Id Tipo", "Tipo de Solicitação", "Ícone", "Cor"}},
      {dm->qryUnidades,
       {"ID_UNIDADE", "NOME_UNIDADE", "ID_TIPO_UNIDADE"},
       {"Id Unidade", "Nome da Unidade", "Tipo de Unidade"}},
      {dm->qryTipoUnidade,
       {"ID_TIPO_UNIDADE", "TIPO_UNIDADE"},
       {"Id Tipo Unidade", "Tipo de Unidade"}},
      {dm->qryLisSolicitacao,
       {"ID_SOLICITACAO", "DATA_SOLICITACAO", "SOLICITACAO", "ID_USUARIO", "ID_PREFEITURA",
        "ID_SITUACAO", "ID_TIPO", "ID_UNIDADE", "NOME_USUARIO", "NOME_SITUACAO", "NOME_TIPO",
        "NOME_UNIDADE"},
       {"Controle", "Data Solicitação", "Descrição", "ID_USUARIO", "ID_PREFEITURA", "ID_SITUACAO",
        "ID_TIPO", "ID_UNIDADE", "Usuário", "Situação", "Tipo", "Unidade"}},
  };
  for (auto& c : cases) {
    ASSERT_EQ(FieldNames(*c.q), c.fields) << c.q->Name();
    for (size_t i = 0; i < c.labels.size(); ++i)
      EXPECT_EQ(c.q->Fields(static_cast<int>(i)).GetDisplayLabel(), c.labels[i]) << c.q->Name();
    // The key alone identifies rows; everything else of the base table is written.
    EXPECT_TRUE(c.q->Fields(0).ProviderFlags & db::pfInKey) << c.q->Name();
    for (int i = 1; i < c.q->FieldCount(); ++i) {
      db::TField& f = c.q->Fields(i);
      EXPECT_FALSE(f.ProviderFlags & db::pfInKey) << f.FieldName();
      bool joined = c.q == dm->qryLisSolicitacao && i >= 8;  // the four names of the joins
      EXPECT_EQ(bool(f.ProviderFlags & db::pfInUpdate), !joined) << f.FieldName();
      EXPECT_EQ(f.ReadOnly, joined) << f.FieldName();
    }
  }
  EXPECT_EQ(FieldNames(*dm->qrySolicitacao), FieldNames(*dm->qryLisSolicitacao));
  EXPECT_EQ(dm->qrySolicitacao->SQL().Count(), 21);
  EXPECT_EQ(dm->qrySolicitacao->SQL()[20], "  SOL.ID_SOLICITACAO = :P_ID_SOLICITACAO");
  db::TParam& p = dm->qrySolicitacao->ParamByName("P_ID_SOLICITACAO");
  EXPECT_EQ(p.DataType, db::TFieldType::ftLargeint);
  EXPECT_EQ(p.AsLargeInt(), 0);
}

TEST_P(DataModuleTest, RequestListKeepsRequestsWhoseReferencesAreGoneAndOrdersByDate) {
  database.Exec(
      "INSERT INTO SOLICITACAO (ID_SOLICITACAO, DATA_SOLICITACAO, SOLICITACAO, ID_USUARIO, "
      "ID_PREFEITURA, ID_SITUACAO, ID_TIPO, ID_UNIDADE) VALUES (42, '2020-01-01 09:00', "
      "'Pedido órfão', 999, 1, 999, 999, 999)");
  auto dm = NewModule();
  dm->qryLisSolicitacao->Open();
  db::TQuery& list = *dm->qryLisSolicitacao;
  EXPECT_EQ(list.RecordCount(), 33);
  // The oldest comes first, so the orphan leads the list.
  list.First();
  EXPECT_EQ(list.FieldByName("SOLICITACAO").AsString(), "Pedido órfão");
  EXPECT_EQ(list.FieldByName("ID_SOLICITACAO").DisplayText(), "00000042");
  for (const char* name : {"NOME_USUARIO", "NOME_SITUACAO", "NOME_TIPO", "NOME_UNIDADE"})
    EXPECT_TRUE(list.FieldByName(name).IsNull()) << name;
  db::TDateTime previous = 0;
  for (list.First(); !list.Eof(); list.Next()) {
    db::TDateTime when = list.FieldByName("DATA_SOLICITACAO").AsDateTime();
    EXPECT_GE(when, previous);
    previous = when;
  }
  list.Locate("ID_SOLICITACAO", int64_t{2});
  EXPECT_FALSE(list.FieldByName("NOME_SITUACAO").IsNull());
  // The list's text filter, with an apostrophe.
  list.SetFilter("SOLICITACAO LIKE '%d''agua%'");
  list.SetFiltered(true);
  EXPECT_EQ(list.RecordCount(), 2);
}

TEST_P(DataModuleTest, NewRequestThroughTheSingleRequestDataSet) {
  auto dm = NewModule();
  db::TQuery& one = *dm->qrySolicitacao;
  one.ParamByName("P_ID_SOLICITACAO").SetAsLargeInt(0);
  one.Open();
  EXPECT_TRUE(one.IsEmpty());
  one.Edit();  // editing an empty dataset starts a new row
  ASSERT_EQ(one.State(), TDataSetState::dsInsert);
  EXPECT_THROW(one.FieldByName("NOME_SITUACAO").SetAsString("x"), db::EDatabaseError);
  one.FieldByName("DATA_SOLICITACAO").SetAsDateTime(db::EncodeDateTime(2026, 12, 10, 9, 30, 0));
  one.FieldByName("SOLICITACAO").SetAsString("Troca de lâmpada na praça");
  for (const char* f : {"ID_USUARIO", "ID_PREFEITURA", "ID_SITUACAO", "ID_TIPO", "ID_UNIDADE"})
    one.FieldByName(f).SetAsLargeInt(1);
  one.Post();
  int64_t id = one.FieldByName("ID_SOLICITACAO").AsLargeInt();
  EXPECT_EQ(id, 33);
  one.Close();
  one.ParamByName("P_ID_SOLICITACAO").SetAsLargeInt(id);
  one.Open();
  ASSERT_EQ(one.RecordCount(), 1);
  EXPECT_EQ(one.FieldByName("NOME_SITUACAO").AsString(), "Aberta");
  EXPECT_EQ(one.FieldByName("DATA_SOLICITACAO").DisplayText(), "10/12/2026 09:30:00");
  one.Edit();
  one.FieldByName("ID_SITUACAO").SetAsLargeInt(3);
  one.Post();
  EXPECT_EQ(database.Scalar("SELECT ID_SITUACAO FROM SOLICITACAO WHERE ID_SOLICITACAO = 33"), "3");
}

TEST_P(DataModuleTest, InsertEditAndCancelOnEveryReferenceDataSet) {
  auto dm = NewModule();
  struct Case {
    db::TQuery* q;
    const char* table;
    const char* key;
    const char* name;
    const char* label;
  } cases[] = {
      {dm->qrySituacao, "SITUACAO", "ID_SITUACAO", "NOME_SITUACAO", "Situação"},
      {dm->qryTipoSolicitacao, "TIPO_SOLICITACAO", "ID_TIPO", "NOME_TIPO", "Tipo de Solicitação"},
      {dm->qryUnidades, "UNIDADE", "ID_UNIDADE", "NOME_UNIDADE", "Nome da Unidade"},
      {dm->qryTipoUnidade, "TIPO_UNIDADE", "ID_TIPO_UNIDADE", "TIPO_UNIDADE", "Tipo de Unidade"},
      {dm->qryPrefeitura, "PREFEITURA", "ID_PREFEITURA", "NOME_PREFEITURA", nullptr},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.table);
    db::TQuery& q = *c.q;
    std::string count = "SELECT COUNT(*) FROM " + std::string(c.table);
    int before = q.RecordCount();

    // An empty required name is refused, naming the field; the row stays new.
    q.Append();
    if (c.label) {
      try {
        q.Post();
        ADD_FAILURE() << "post without a name";
      } catch (const db::EDatabaseError& e) {
        EXPECT_EQ(std::string(e.what()), std::string("Campo '") + c.label + "' deve ter um valor");
      }
      EXPECT_EQ(q.State(), TDataSetState::dsInsert);
    }
    q.FieldByName(c.name).SetAsString("Novo registro ç €");
    if (c.q == dm->qryUnidades) q.FieldByName("ID_TIPO_UNIDADE").SetAsLargeInt(1);
    q.Post();
    EXPECT_EQ(q.RecordCount(), before + 1);
    int64_t key = q.FieldByName(c.key).AsLargeInt();
    EXPECT_GT(key, 0);
    EXPECT_EQ(database.Scalar(count), std::to_string(before + 1));

    q.Edit();
    q.FieldByName(c.name).SetAsString("Registro alterado");
    q.Post();
    EXPECT_EQ(database.Scalar("SELECT " + std::string(c.name) + " FROM " + c.table + " WHERE " +
                              c.key + " = " + std::to_string(key)),
              "Registro alterado");

    q.Edit();
    q.FieldByName(c.name).SetAsString("Descartado");
    q.Cancel();
    EXPECT_EQ(q.FieldByName(c.name).AsString(), "Registro alterado");
    q.Append();
    q.Cancel();
    EXPECT_EQ(q.RecordCount(), before + 1);
    EXPECT_EQ(database.Scalar(count), std::to_string(before + 1));
  }
}

INSTANTIATE_TEST_SUITE_P(Access, DataModuleTest,
                         ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const auto& info) { return testing_support::AccessName(info.param); });

TEST(DataModule, UnreachableServerFailsTheConstruction) {
  DatabaseConfig().Host = "127.0.0.1";
  DatabaseConfig().Path = "/tmp/tamblo-firebird/nao-existe.fdb";
  EXPECT_THROW(TDM(nullptr), db::EDatabaseError);
}

TEST(Config, CommandLineWinsOverEnvironment) {
  setenv("TAMBLO_DB_HOST", "servidor", 1);
  setenv("TAMBLO_DB_PATH", "/dados/x.fdb", 1);
  auto rest = LoadDatabaseConfig({"--web", "--db-path", "/outro.fdb"});
  EXPECT_EQ(DatabaseConfig().Host, "servidor");
  EXPECT_EQ(DatabaseConfig().Path, "/outro.fdb");
  EXPECT_EQ(rest, std::vector<std::string>{"--web"});
  EXPECT_THROW(LoadDatabaseConfig({"--db-host"}), std::invalid_argument);
  unsetenv("TAMBLO_DB_HOST");
  unsetenv("TAMBLO_DB_PATH");
}
