// The dataset framework on in-memory rows: states, required fields, data
// source notifications, the filter language, display formats and WIN1252.
#include <gtest/gtest.h>

#include "platform/db/DB.h"
#include "platform/db/DBFilter.h"
#include "platform/db/Win1252.h"

using namespace db;

namespace {

// A request-like dataset with a few rows.
struct Requests {
  TMemDataSet ds;
  TDataSource src;
  Requests() {
    ds.SetName("qryTeste");
    TField& id = ds.AddField("ID_SOLICITACAO", TFieldType::ftLargeint);
    id.DisplayLabel = "Controle";
    id.DisplayFormat = "00000000";
    id.Required = true;
    id.AutoGenerateValue = true;
    ds.AddField("SOLICITACAO", TFieldType::ftString, 100).DisplayLabel = "Descrição";
    ds.FieldByName("SOLICITACAO").Required = true;
    ds.AddField("ID_SITUACAO", TFieldType::ftLargeint);
    ds.AddField("DATA_SOLICITACAO", TFieldType::ftDateTime);
    src.SetDataSet(&ds);
    ds.Open();
    Add(1, "Falta d'agua no bairro", 1, EncodeDate(2026, 1, 5));
    Add(2, "Buraco na rua", 2, EncodeDate(2026, 2, 1));
    Add(3, "Falta de luz", 1, EncodeDate(2026, 3, 9));
    Add(4, "Árvore caída", 3, EncodeDate(2026, 4, 2));
    Add(5, "Pedido_especial 100%", 2, EncodeDate(2026, 5, 7));
    ds.First();
  }
  void Add(int64_t id, const std::string& text, int64_t sit, TDateTime when) {
    ds.Append();
    ds.FieldByName("ID_SOLICITACAO").SetAsLargeInt(id);
    ds.FieldByName("SOLICITACAO").SetAsString(text);
    ds.FieldByName("ID_SITUACAO").SetAsLargeInt(sit);
    ds.FieldByName("DATA_SOLICITACAO").SetAsDateTime(when);
    ds.Post();
  }
  std::vector<int64_t> Ids() {
    std::vector<int64_t> ids;
    for (ds.First(); !ds.Eof(); ds.Next())
      ids.push_back(ds.FieldByName("ID_SOLICITACAO").AsLargeInt());
    return ids;
  }
};

}  // namespace

TEST(DataSet, EditOnEmptyDataSetStartsInsert) {
  TMemDataSet ds;
  ds.AddField("NOME", TFieldType::ftString, 100);
  ds.Open();
  ASSERT_TRUE(ds.IsEmpty());
  ds.Edit();
  EXPECT_EQ(ds.State(), TDataSetState::dsInsert);
  ds.FieldByName("NOME").SetAsString("Secretaria");
  ds.Post();
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.FieldByName("NOME").AsString(), "Secretaria");
}

TEST(DataSet, RequiredFieldRefusedWithLabelAndRowStaysEditing) {
  Requests r;
  // Insert: the generated key may stay empty, the description may not.
  r.ds.Append();
  try {
    r.ds.Post();
    FAIL() << "post should be refused";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Campo 'Descrição' deve ter um valor");
  }
  EXPECT_EQ(r.ds.State(), TDataSetState::dsInsert);
  r.ds.Cancel();
  EXPECT_EQ(r.ds.RecordCount(), 5);

  // Edit: clearing the text (an empty text is no value) is refused too.
  r.ds.First();
  r.ds.Edit();
  r.ds.FieldByName("SOLICITACAO").SetAsString("");
  EXPECT_THROW(r.ds.Post(), EDatabaseError);
  EXPECT_EQ(r.ds.State(), TDataSetState::dsEdit);
  r.ds.Cancel();
  EXPECT_EQ(r.ds.FieldByName("SOLICITACAO").AsString(), "Falta d'agua no bairro");
}

TEST(DataSet, SettingAFieldOutsideEditOrReadOnlyIsRefused) {
  Requests r;
  EXPECT_THROW(r.ds.FieldByName("SOLICITACAO").SetAsString("x"), EDatabaseError);
  r.ds.FieldByName("ID_SITUACAO").ReadOnly = true;
  r.ds.Edit();
  EXPECT_THROW(r.ds.FieldByName("ID_SITUACAO").SetAsLargeInt(9), EDatabaseError);
}

TEST(DataSet, DataSourceReportsStateAndDataChanges) {
  Requests r;
  std::vector<TDataSetState> states;
  int dataChanges = 0;
  TField* changedField = nullptr;
  r.src.OnStateChange = [&](core::TComponent*) { states.push_back(r.src.State()); };
  r.src.OnDataChange = [&](core::TComponent*, TField* f) {
    ++dataChanges;
    if (f) changedField = f;
  };
  r.ds.Next();
  EXPECT_GE(dataChanges, 1);
  r.ds.Append();
  r.ds.FieldByName("SOLICITACAO").SetAsString("Nova");
  EXPECT_EQ(changedField, &r.ds.FieldByName("SOLICITACAO"));
  r.ds.Cancel();
  r.ds.Edit();
  r.ds.Post();
  r.ds.Close();
  EXPECT_EQ(states, (std::vector<TDataSetState>{TDataSetState::dsInsert, TDataSetState::dsBrowse,
                                                TDataSetState::dsEdit, TDataSetState::dsBrowse,
                                                TDataSetState::dsInactive}));
}

namespace {
// A field link as a data-aware edit uses it.
struct EditLink {
  TFieldDataLink link;
  std::string text;
  int editingChanges = 0;
  EditLink(TDataSource& src, const std::string& field) {
    link.OnDataChange = [this] { text = link.Field() ? link.Field()->AsString() : ""; };
    link.OnUpdateData = [this] { link.Field()->SetAsString(text); };
    link.OnEditingChange = [this] { ++editingChanges; };
    link.SetDataSource(&src);
    link.SetFieldName(field);
  }
  void Type(const std::string& t) {
    ASSERT_TRUE(link.Edit());
    text = t;
    link.Modified();
  }
};
}  // namespace

TEST(DataSet, FieldDataLinkEditsAndWritesOnPost) {
  Requests r;
  EditLink edit(r.src, "SOLICITACAO");
  EXPECT_EQ(edit.text, "Falta d'agua no bairro");
  edit.Type("Falta d'água no bairro");
  EXPECT_EQ(r.ds.State(), TDataSetState::dsEdit);
  EXPECT_EQ(edit.editingChanges, 1);
  r.ds.Post();
  EXPECT_EQ(r.ds.FieldByName("SOLICITACAO").AsString(), "Falta d'água no bairro");
  r.ds.Next();
  EXPECT_EQ(edit.text, "Buraco na rua");
  // Freeing the data source detaches the link.
  r.src.SetDataSet(nullptr);
  EXPECT_FALSE(edit.link.Active());
}

TEST(Filter, LanguageCases) {
  struct Case {
    const char* filter;
    std::vector<int64_t> ids;
  } cases[] = {
      {"SOLICITACAO LIKE '%d''agua%'", {1}},
      {"SOLICITACAO LIKE 'Falta%'", {1, 3}},
      {"SOLICITACAO LIKE 'falta%'", {}},  // case matters
      {"SOLICITACAO LIKE '%_rvore%'", {4}},
      {"SOLICITACAO LIKE '_rvore%'", {4}},  // _ is one character, accented or not
      {"SOLICITACAO LIKE 'Buraco na ru_'", {2}},
      {"SOLICITACAO LIKE '%100%%'", {5}},
      {"SOLICITACAO NOT LIKE '%a%'", {}},
      {"ID_SITUACAO = 1", {1, 3}},
      {"ID_SITUACAO <> 1 AND ID_SOLICITACAO >= 4", {4, 5}},
      {"(ID_SITUACAO = 2 OR ID_SITUACAO = 3) AND NOT ID_SOLICITACAO = 5", {2, 4}},
      {"ID_SITUACAO IN (2, 3)", {2, 4, 5}},
      {"DATA_SOLICITACAO < '01/03/2026'", {1, 2}},
      {"SOLICITACAO = 'Buraco na rua'", {2}},
      {"ID_SITUACAO IS NULL", {}},
      {"ID_SITUACAO IS NOT NULL AND [ID_SOLICITACAO] < 2", {1}},
  };
  Requests r;
  for (const Case& c : cases) {
    r.ds.SetFilter(c.filter);
    r.ds.SetFiltered(true);
    EXPECT_EQ(r.Ids(), c.ids) << c.filter;
    r.ds.SetFiltered(false);
  }
  EXPECT_EQ(r.Ids().size(), 5u);
}

TEST(Filter, ErrorsAreClearAndLeaveTheDataSetUsable) {
  const char* bad[] = {"SOLICITACAO LIKE 'aberto", "NAO_EXISTE = 1",
                       "ID_SITUACAO = ", "(ID_SITUACAO = 1"};
  Requests r;
  r.ds.SetFiltered(true);
  for (const char* f : bad) {
    EXPECT_THROW(r.ds.SetFilter(f), EDatabaseError) << f;
    EXPECT_EQ(r.ds.RecordCount(), 5) << f;
  }
  try {
    r.ds.SetFilter("NAO_EXISTE = 1");
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("NAO_EXISTE"), std::string::npos);
  }
}

TEST(Filter, PostedRowThatFailsTheFilterLeavesTheView) {
  Requests r;
  r.ds.SetFilter("ID_SITUACAO = 1");
  r.ds.SetFiltered(true);
  ASSERT_EQ(r.ds.RecordCount(), 2);
  r.ds.First();
  r.ds.Edit();
  r.ds.FieldByName("ID_SITUACAO").SetAsLargeInt(2);
  r.ds.Post();
  EXPECT_EQ(r.Ids(), (std::vector<int64_t>{3}));
}

TEST(Format, DisplayFormats) {
  struct Case {
    const char* fmt;
    double value;
    const char* text;
  } cases[] = {
      {"00000000", 42, "00000042"},     {"00000000", 123456789, "123456789"},
      {"#,##0.00", 1234.5, "1.234,50"}, {"0.##", 2.5, "2,5"},
      {"R$ #,##0.00", -7, "R$ -7,00"},  {"0", 0, "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFloat(c.fmt, c.value), c.text) << c.fmt;
  EXPECT_EQ(FormatInteger("00000000", 42), "00000042");
  Requests r;
  r.ds.Last();
  EXPECT_EQ(r.ds.FieldByName("ID_SOLICITACAO").DisplayText(), "00000005");
  EXPECT_EQ(r.ds.FieldByName("DATA_SOLICITACAO").DisplayText(), "07/05/2026");
}

TEST(Win1252, RoundTripAndRefusal) {
  for (const char* text : {"€", "ç", "Situação", "“aspas” – travessão", "ÿŸœŒ"})
    EXPECT_EQ(Win1252ToUtf8(Utf8ToWin1252(text)), text) << text;
  EXPECT_EQ(Utf8ToWin1252("€"), "\x80");
  EXPECT_EQ(Utf8ToWin1252("ç"), "\xE7");
  for (const char* text : {"Ω", "日本", "😀", "\xC3"}) {
    EXPECT_FALSE(FitsWin1252(text)) << text;
    EXPECT_THROW(Utf8ToWin1252(text), EDatabaseError) << text;
  }
}

TEST(DateTime, TextRoundTrip) {
  TDateTime t;
  ASSERT_TRUE(TryStrToDateTime("10/12/2026 14:30:05", t));
  EXPECT_EQ(DateTimeToStr(t), "10/12/2026 14:30:05");
  ASSERT_TRUE(TryStrToDateTime("2026-02-28", t));
  EXPECT_EQ(DateTimeToStr(t), "28/02/2026");
  EXPECT_FALSE(TryStrToDateTime("30/02/2026", t));
  EXPECT_FALSE(TryStrToDateTime("10/12/2026 25:00", t));
  EXPECT_FALSE(TryStrToDateTime("ontem", t));
}

TEST(Filter, InsertInTheMiddleAndDeleteKeepTheFilteredViewInStep) {
  Requests r;
  r.ds.SetFilter("ID_SITUACAO = 1");
  r.ds.SetFiltered(true);
  ASSERT_EQ(r.Ids(), (std::vector<int64_t>{1, 3}));
  // Insert before row 3: the new row sits between 1 and 3 in the stored order.
  r.ds.Last();
  r.ds.Insert();
  r.ds.FieldByName("ID_SOLICITACAO").SetAsLargeInt(9);
  r.ds.FieldByName("SOLICITACAO").SetAsString("Inserida no meio");
  r.ds.FieldByName("ID_SITUACAO").SetAsLargeInt(1);
  r.ds.Post();
  EXPECT_EQ(r.ds.FieldByName("ID_SOLICITACAO").AsLargeInt(), 9);
  EXPECT_EQ(r.Ids(), (std::vector<int64_t>{1, 9, 3}));
  // A row outside the filter inserted at the front leaves the view's rows as they were.
  r.ds.First();
  r.ds.Insert();
  r.ds.FieldByName("SOLICITACAO").SetAsString("Fora do filtro");
  r.ds.FieldByName("ID_SITUACAO").SetAsLargeInt(4);
  r.ds.Post();
  EXPECT_EQ(r.Ids(), (std::vector<int64_t>{1, 9, 3}));
  r.ds.Locate("ID_SOLICITACAO", int64_t{9});
  r.ds.Delete();
  EXPECT_EQ(r.Ids(), (std::vector<int64_t>{1, 3}));
  r.ds.SetFiltered(false);
  EXPECT_EQ(r.ds.RecordCount(), 6);
  std::vector<int64_t> all = r.Ids();
  EXPECT_EQ(all.size(), 6u);
  EXPECT_EQ(all[1], 1);  // the unfiltered row inserted before the first one
}

TEST(DataSet, ManyAppendsInMemory) {
  TMemDataSet ds;
  ds.AddField("N", TFieldType::ftLargeint);
  ds.Open();
  for (int64_t i = 0; i < 20000; ++i) {
    ds.Append();
    ds.Fields(0).SetAsLargeInt(i);
    ds.Post();
  }
  EXPECT_EQ(ds.RecordCount(), 20000);
  ds.First();
  EXPECT_EQ(ds.Fields(0).AsLargeInt(), 0);
  ds.Last();
  EXPECT_EQ(ds.Fields(0).AsLargeInt(), 19999);
}

namespace {
// Counts everything a reader must not cause.
struct Quiet {
  int scrolls = 0, dataChanges = 0, stateChanges = 0;
  Quiet(Requests& r) {
    r.ds.AfterScroll = [this](TDataSet&) { ++scrolls; };
    r.src.OnDataChange = [this](core::TComponent*, TField*) { ++dataChanges; };
    r.src.OnStateChange = [this](core::TComponent*) { ++stateChanges; };
  }
  void ExpectNothing() const {
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(dataChanges, 0);
    EXPECT_EQ(stateChanges, 0);
  }
};

std::vector<std::string> AllTexts(const TDataSet& ds, const TField& f) {
  std::vector<std::string> out;
  for (int rec = 1; rec <= ds.RecordCount(); ++rec) out.push_back(ds.RowText(rec, f));
  return out;
}
}  // namespace

TEST(RowAccess, BrowseReadsEveryRowWithoutMovingTheCursor) {
  Requests r;
  r.ds.SetRecNo(3);
  Quiet q(r);
  TField& id = r.ds.FieldByName("ID_SOLICITACAO");
  TField& text = r.ds.FieldByName("SOLICITACAO");
  for (int rec = 1; rec <= 5; ++rec) {
    EXPECT_EQ(r.ds.RowValue(rec, id), TValue{int64_t{rec}});
    EXPECT_EQ(r.ds.RowValue(rec, id.Index()), TValue{int64_t{rec}});
    EXPECT_FALSE(r.ds.RowIsNull(rec, id));
  }
  EXPECT_EQ(r.ds.RowText(4, text), "Árvore caída");
  EXPECT_EQ(r.ds.RowDisplayText(2, id), "00000002");
  EXPECT_EQ(r.ds.RowText(2, id), "2");
  EXPECT_EQ(r.ds.RowDisplayText(5, r.ds.FieldByName("DATA_SOLICITACAO")), "07/05/2026");
  // Outside the rows: null, never an error.
  for (int rec : {0, -1, 6, 1000}) {
    EXPECT_TRUE(IsNullValue(r.ds.RowValue(rec, id))) << rec;
    EXPECT_TRUE(r.ds.RowIsNull(rec, id)) << rec;
    EXPECT_EQ(r.ds.RowDisplayText(rec, id), "") << rec;
  }
  EXPECT_TRUE(IsNullValue(r.ds.RowValue(1, 99)));
  EXPECT_EQ(r.ds.RecNo(), 3);
  EXPECT_EQ(r.ds.FieldByName("ID_SOLICITACAO").AsLargeInt(), 3);
  q.ExpectNothing();

  // A field of another dataset is refused.
  TMemDataSet other;
  TField& foreign = other.AddField("ID_SOLICITACAO", TFieldType::ftLargeint);
  EXPECT_THROW(r.ds.RowValue(1, foreign), EDatabaseError);
  r.ds.Close();
  EXPECT_TRUE(IsNullValue(r.ds.RowValue(1, 0)));
}

TEST(RowAccess, RecordNumbersCountTheFilteredRows) {
  Requests r;
  r.ds.SetFilter("ID_SITUACAO = 1 OR ID_SITUACAO = 3");
  r.ds.SetFiltered(true);
  TField& id = r.ds.FieldByName("ID_SOLICITACAO");
  ASSERT_EQ(r.ds.RecordCount(), 3);
  std::vector<int64_t> ids;
  for (int rec = 1; rec <= r.ds.RecordCount(); ++rec)
    ids.push_back(std::get<int64_t>(r.ds.RowValue(rec, id)));
  EXPECT_EQ(ids, (std::vector<int64_t>{1, 3, 4}));
  EXPECT_TRUE(IsNullValue(r.ds.RowValue(4, id)));
  // The same numbers move the cursor to the same rows.
  r.ds.SetRecNo(2);
  EXPECT_EQ(id.AsLargeInt(), 3);
}

TEST(RowAccess, EditedRecordReadsWithItsEditedValuesAndStaysInEdit) {
  Requests r;
  r.ds.SetRecNo(2);
  r.ds.Edit();
  r.ds.FieldByName("SOLICITACAO").SetAsString("Buraco na rua (editado)");
  r.ds.FieldByName("ID_SITUACAO").Clear();
  Quiet q(r);
  TField& text = r.ds.FieldByName("SOLICITACAO");
  EXPECT_EQ(AllTexts(r.ds, text),
            (std::vector<std::string>{"Falta d'agua no bairro", "Buraco na rua (editado)",
                                      "Falta de luz", "Árvore caída", "Pedido_especial 100%"}));
  EXPECT_TRUE(r.ds.RowIsNull(2, r.ds.FieldByName("ID_SITUACAO")));
  EXPECT_FALSE(r.ds.RowIsNull(3, r.ds.FieldByName("ID_SITUACAO")));
  // Lookup reads the same way and leaves the edit alone.
  EXPECT_EQ(r.ds.Lookup("ID_SOLICITACAO", int64_t{2}, "SOLICITACAO"),
            TValue{std::string("Buraco na rua (editado)")});
  EXPECT_EQ(r.ds.Lookup("ID_SOLICITACAO", int64_t{4}, "SOLICITACAO"),
            TValue{std::string("Árvore caída")});
  EXPECT_EQ(r.ds.State(), TDataSetState::dsEdit);
  EXPECT_TRUE(r.ds.Modified());
  EXPECT_EQ(r.ds.RecNo(), 2);
  q.ExpectNothing();
  // Cancelling shows the stored values again.
  r.ds.Cancel();
  EXPECT_EQ(r.ds.RowText(2, text), "Buraco na rua");
}

TEST(RowAccess, InsertedRecordHasNoNumberAndTheStoredRowsStayReadable) {
  Requests r;
  r.ds.SetRecNo(4);
  r.ds.Append();
  r.ds.FieldByName("SOLICITACAO").SetAsString("Nova, ainda não salva");
  Quiet q(r);
  TField& text = r.ds.FieldByName("SOLICITACAO");
  EXPECT_EQ(r.ds.RecordCount(), 5);
  EXPECT_EQ(r.ds.RecNo(), 0);
  EXPECT_EQ(AllTexts(r.ds, text),
            (std::vector<std::string>{"Falta d'agua no bairro", "Buraco na rua", "Falta de luz",
                                      "Árvore caída", "Pedido_especial 100%"}));
  EXPECT_EQ(text.AsString(), "Nova, ainda não salva");
  EXPECT_EQ(r.ds.State(), TDataSetState::dsInsert);
  q.ExpectNothing();
  r.ds.FieldByName("ID_SOLICITACAO").SetAsLargeInt(6);
  r.ds.Post();
  EXPECT_EQ(r.ds.RecordCount(), 6);
  EXPECT_EQ(r.ds.RowText(6, text), "Nova, ainda não salva");
}

TEST(DataSet, ValuesSetByOnNewRecordAreNoChange) {
  Requests r;
  r.ds.OnNewRecord = [](TDataSet& ds) { ds.FieldByName("ID_SITUACAO").SetAsLargeInt(1); };
  r.ds.Append();
  EXPECT_FALSE(r.ds.Modified());
  EXPECT_EQ(r.ds.FieldByName("ID_SITUACAO").AsLargeInt(), 1);
  r.ds.FieldByName("SOLICITACAO").SetAsString("x");
  EXPECT_TRUE(r.ds.Modified());
}
