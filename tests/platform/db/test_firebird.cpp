// Queries against a real Firebird database, through the embedded engine and
// through the server on 127.0.0.1:3050.
#include <firebird/Interface.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/db/FireBird.h"
#include "tests/support/TestDatabase.h"

using namespace db;
using testing_support::TAccess;
using testing_support::TTestDatabase;

namespace {

class FirebirdTest : public ::testing::TestWithParam<TAccess> {
 protected:
  FirebirdTest() : database(GetParam()) {
    database.Configure(con);
    con.Open();
    qry.SetName("qrySituacao");
    qry.SetConnection(&con);
    qry.SQL().SetText("SELECT\n  SIT.*\nFROM\n  SITUACAO SIT\nORDER BY\n  SIT.ID_SITUACAO");
    TField& id = qry.AddField("ID_SITUACAO", TFieldType::ftLargeint);
    id.Required = true;
    id.AutoGenerateValue = true;
    id.ProviderFlags = pfInUpdate | pfInWhere | pfInKey;
    id.DisplayLabel = "Id Situacao";
    TField& name = qry.AddField("NOME_SITUACAO", TFieldType::ftString, 100);
    name.Required = true;
    name.DisplayLabel = "Situação";
    name.ProviderFlags = pfInUpdate;
    qry.AddField("LOGO_SITUACAO", TFieldType::ftBlob).ProviderFlags = pfInUpdate;
    qry.AddField("COR_SITUACAO", TFieldType::ftString, 100).ProviderFlags = pfInUpdate;
  }

  std::string Count() { return database.Scalar("SELECT COUNT(*) FROM SITUACAO"); }

  TTestDatabase database;
  TConnection con;
  TQuery qry;
};

// A statement run by an attachment of its own in a transaction left open
// until Commit (rolled back if never committed): a write of the same record
// from elsewhere waits for it meanwhile.
class THeldWrite {
 public:
  THeldWrite(const TConnection& AConnection, const std::string& ASQL)
      : FMaster(Firebird::fb_get_master_interface()), FStatus(FMaster->getStatus()) {
    Firebird::IXpbBuilder* dpb = FMaster->getUtilInterface()->getXpbBuilder(
        &FStatus, Firebird::IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&FStatus, isc_dpb_user_name, AConnection.Params.User_Name.c_str());
    dpb->insertString(&FStatus, isc_dpb_password, AConnection.Params.Password.c_str());
    Firebird::IProvider* provider = FMaster->getDispatcher();
    FAttachment =
        provider->attachDatabase(&FStatus, AConnection.ConnectionString().c_str(),
                                 dpb->getBufferLength(&FStatus), dpb->getBuffer(&FStatus));
    provider->release();
    dpb->dispose();
    FTransaction = FAttachment->startTransaction(&FStatus, 0, nullptr);
    FAttachment->execute(&FStatus, FTransaction, 0, ASQL.c_str(), SQL_DIALECT_V6, nullptr, nullptr,
                         nullptr, nullptr);
  }
  ~THeldWrite() {
    if (FTransaction) FTransaction->rollback(&FStatus);
    FAttachment->detach(&FStatus);
    FStatus.dispose();
  }
  void Commit() {
    FTransaction->commit(&FStatus);
    FTransaction = nullptr;
  }

 private:
  Firebird::IMaster* FMaster;
  Firebird::ThrowStatusWrapper FStatus;
  Firebird::IAttachment* FAttachment = nullptr;
  Firebird::ITransaction* FTransaction = nullptr;
};

}  // namespace

TEST_P(FirebirdTest, InsertReadsBackTheKeyAndCommitsAtOnce) {
  qry.Open();
  ASSERT_EQ(qry.RecordCount(), 4);
  qry.Append();
  qry.FieldByName("NOME_SITUACAO").SetAsString("Arquivada");
  qry.Post();
  EXPECT_EQ(qry.FieldByName("ID_SITUACAO").AsLargeInt(), 5);
  // Another connection sees the row: the post was committed.
  EXPECT_EQ(database.Scalar("SELECT NOME_SITUACAO FROM SITUACAO WHERE ID_SITUACAO = 5"),
            "Arquivada");
}

TEST_P(FirebirdTest, EditWritesOnlyTheRowByItsKeyAndCancelWritesNothing) {
  qry.Open();
  qry.Locate("ID_SITUACAO", int64_t{2});
  qry.Edit();
  qry.FieldByName("COR_SITUACAO").SetAsString("#ff0000");
  qry.Post();
  EXPECT_EQ(database.Scalar("SELECT COR_SITUACAO FROM SITUACAO WHERE ID_SITUACAO = 2"), "#ff0000");
  EXPECT_EQ(database.Scalar("SELECT COR_SITUACAO FROM SITUACAO WHERE ID_SITUACAO = 1"), "#0d6efd");

  qry.Edit();
  qry.FieldByName("NOME_SITUACAO").SetAsString("Não deve ser gravado");
  qry.Cancel();
  EXPECT_EQ(qry.FieldByName("NOME_SITUACAO").AsString(), "Em andamento");
  EXPECT_EQ(database.Scalar("SELECT NOME_SITUACAO FROM SITUACAO WHERE ID_SITUACAO = 2"),
            "Em andamento");
}

TEST_P(FirebirdTest, ASaveThatMeetsAnotherSaveOfTheRecordIsWrittenAfterIt) {
  qry.Open();
  qry.Locate("ID_SITUACAO", int64_t{2});
  qry.Edit();
  qry.FieldByName("NOME_SITUACAO").SetAsString("Em análise");
  // Another clerk's save of the same record is under way; ours waits for
  // it and is then written, not refused with the server's update conflict.
  THeldWrite other(con, "UPDATE SITUACAO SET COR_SITUACAO = '#123456' WHERE ID_SITUACAO = 2");
  std::thread commit([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    other.Commit();
  });
  EXPECT_NO_THROW(qry.Post());
  commit.join();
  EXPECT_EQ(database.Scalar("SELECT NOME_SITUACAO || ' ' || COR_SITUACAO FROM SITUACAO "
                            "WHERE ID_SITUACAO = 2"),
            "Em análise #123456");
}

TEST_P(FirebirdTest, Win1252TextRoundTripsAndOtherTextIsRefusedWithNothingStored) {
  qry.Open();
  qry.Append();
  qry.FieldByName("NOME_SITUACAO").SetAsString("Ação € “pública”");
  qry.Post();
  qry.Close();
  qry.Open();
  qry.Last();
  EXPECT_EQ(qry.FieldByName("NOME_SITUACAO").AsString(), "Ação € “pública”");

  std::string before = Count();
  qry.Append();
  try {
    qry.FieldByName("NOME_SITUACAO").SetAsString("Resolvida 😀");
    FAIL() << "text outside WIN1252 must be refused";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("WIN1252"), std::string::npos) << e.what();
  }
  EXPECT_EQ(qry.State(), TDataSetState::dsInsert);
  EXPECT_TRUE(qry.FieldByName("NOME_SITUACAO").IsNull());
  qry.Cancel();
  EXPECT_EQ(Count(), before);
}

TEST_P(FirebirdTest, TextLongerThanTheColumnIsRefusedClearly) {
  qry.Open();
  qry.Append();
  EXPECT_THROW(qry.FieldByName("NOME_SITUACAO").SetAsString(std::string(101, 'a')), EDatabaseError);
  qry.FieldByName("NOME_SITUACAO").SetAsString(std::string(100, 'a'));
  qry.Post();
  EXPECT_EQ(Count(), "5");
}

TEST_P(FirebirdTest, BlobRoundTrip) {
  TBytes picture(200000);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 31 + 7);
  qry.Open();
  qry.First();
  qry.Edit();
  qry.FieldByName("LOGO_SITUACAO").SetAsBytes(picture);
  qry.Post();
  qry.Close();
  qry.Open();
  EXPECT_EQ(qry.FieldByName("LOGO_SITUACAO").AsBytes(), picture);
}

TEST_P(FirebirdTest, FetchedRowsReadByRecordNumberWhileOneIsEdited) {
  TBytes icon{0x89, 'P', 'N', 'G', 0, 1, 2};
  qry.Open();
  qry.Last();
  qry.Edit();
  qry.FieldByName("NOME_SITUACAO").SetAsString("Concluída – revisada");
  qry.FieldByName("LOGO_SITUACAO").SetAsBytes(icon);
  TField& name = qry.FieldByName("NOME_SITUACAO");
  TField& logo = qry.FieldByName("LOGO_SITUACAO");
  std::vector<std::string> names;
  for (int rec = 1; rec <= qry.RecordCount(); ++rec) names.push_back(qry.RowText(rec, name));
  EXPECT_EQ(names, (std::vector<std::string>{"Aberta", "Em andamento", "Concluída",
                                             "Concluída – revisada"}));
  EXPECT_EQ(qry.RowValue(4, logo), TValue{icon});
  EXPECT_EQ(qry.RowDisplayText(4, logo), "(BLOB)");
  EXPECT_EQ(qry.State(), TDataSetState::dsEdit);
  EXPECT_EQ(qry.RecNo(), 4);
  qry.Post();
  // What was read is what the database holds.
  EXPECT_EQ(database.Scalar("SELECT NOME_SITUACAO FROM SITUACAO WHERE ID_SITUACAO = 4"),
            "Concluída – revisada");
  qry.Close();
  qry.Open();
  EXPECT_EQ(qry.RowValue(4, logo), TValue{icon});
  EXPECT_EQ(qry.RowText(1, name), "Aberta");
}

TEST_P(FirebirdTest, ParametersDynamicFieldsAndEmptyResults) {
  TQuery q;
  q.SetConnection(&con);
  q.SQL().SetText(
      "SELECT ID_SOLICITACAO, SOLICITACAO, DATA_SOLICITACAO FROM SOLICITACAO "
      "WHERE ID_SITUACAO = :SIT AND SOLICITACAO <> ':NAO_E_PARAMETRO' ORDER BY ID_SOLICITACAO");
  ASSERT_EQ(q.Params().Count(), 1);
  q.ParamByName("SIT").SetAsLargeInt(99);
  q.Open();
  EXPECT_TRUE(q.IsEmpty());
  EXPECT_EQ(q.FieldCount(), 3);
  EXPECT_EQ(q.FieldByName("DATA_SOLICITACAO").DataType(), TFieldType::ftDateTime);
  q.Close();
  q.ParamByName("SIT").SetAsLargeInt(1);
  q.Open();
  EXPECT_GT(q.RecordCount(), 0);
  EXPECT_THROW(q.ParamByName("OUTRO"), EDatabaseError);
}

TEST_P(FirebirdTest, ServerErrorsComeBackAsDatabaseErrors) {
  TQuery q;
  q.SetConnection(&con);
  q.SQL().SetText("SELECT NAO_EXISTE FROM SITUACAO");
  try {
    q.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("NAO_EXISTE"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(q.Active());
}

INSTANTIATE_TEST_SUITE_P(Access, FirebirdTest,
                         ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const auto& info) { return testing_support::AccessName(info.param); });

TEST(Connection, UnreachableServerGivesTheConnectionError) {
  TConnection con;
  con.Params.Server = "127.0.0.1";
  con.Params.Port = 1;  // nothing listens there
  con.Params.Database = "/tmp/nao-existe.fdb";
  con.Params.Password = "plumtree7";
  try {
    con.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    std::string msg = e.what();
    EXPECT_EQ(
        msg.rfind("Não foi possível conectar ao banco de dados 127.0.0.1/1:/tmp/nao-existe.fdb", 0),
        0u)
        << msg;
  }
  EXPECT_FALSE(con.Connected());
}

TEST(Connection, WrongPasswordIsRefused) {
  TTestDatabase database(TAccess::Server, false);
  TConnection con;
  database.Configure(con);
  con.Params.Password = "errada";
  EXPECT_THROW(con.Open(), EDatabaseError);
}

// Pooled connections: a closed one's attachment serves the next Open with the
// same parameters (the same server attachment), a dead one is replaced, and
// DetachPooled ends them on the server.
TEST(ConnectionPool, AClosedAttachmentServesTheNextOpenAndADeadOneIsReplaced) {
  TTestDatabase database(TAccess::Server);
  TConnection::DetachPooled();
  auto attachmentOf = [](TConnection& ACon) {
    TQuery q;
    q.SetConnection(&ACon);
    q.SQL().SetText("SELECT CURRENT_CONNECTION AS ID FROM RDB$DATABASE");
    q.Open();
    return q.FieldByName("ID").AsString();
  };
  const std::string attachments = "SELECT COUNT(*) FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = ";

  std::string first;
  {
    TConnection con;
    database.Configure(con);
    con.Pooled = true;
    con.Open();
    first = attachmentOf(con);
    // A failed write leaves nothing behind for the next user.
    EXPECT_THROW(con.ExecSQL("INSERT INTO SITUACAO (ID_SITUACAO) VALUES (1)"), EDatabaseError);
  }
  EXPECT_EQ(TConnection::PooledCount(), 1u);

  {
    // Other parameters attach anew; a connection that does not pool
    // detaches when it closes.
    TConnection other;
    database.Configure(other);
    other.Params.CharacterSet = "UTF8";
    other.Pooled = true;
    other.Open();
    EXPECT_NE(attachmentOf(other), first);
    other.Pooled = false;
  }
  EXPECT_EQ(TConnection::PooledCount(), 1u);

  TConnection again;
  database.Configure(again);
  again.Pooled = true;
  again.Open();
  EXPECT_EQ(attachmentOf(again), first);
  EXPECT_EQ(TConnection::PooledCount(), 0u);
  again.ExecSQL("UPDATE SITUACAO SET COR_SITUACAO = 'azul' WHERE ID_SITUACAO = 1");
  EXPECT_EQ(database.Scalar("SELECT COR_SITUACAO FROM SITUACAO WHERE ID_SITUACAO = 1"), "azul");
  again.Close();

  // The server ends the pooled attachment: the next Open attaches anew.
  database.Exec("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = " + first);
  TConnection after;
  database.Configure(after);
  after.Pooled = true;
  after.Open();
  const std::string fresh = attachmentOf(after);
  EXPECT_NE(fresh, first);
  after.Close();
  EXPECT_EQ(TConnection::PooledCount(), 1u);

  TConnection::DetachPooled();
  EXPECT_EQ(TConnection::PooledCount(), 0u);
  EXPECT_EQ(database.Scalar(attachments + fresh), "0");
}
