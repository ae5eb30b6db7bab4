// The data-aware web controls over datasets held in memory: input types and
// value texts by field type (a time stamp keeps its time), edits started
// only for a changed value, conversion failures that change nothing, check
// boxes on text values, combo boxes and lookups that never overwrite a
// value they cannot show, long lookup lists, and the observer's pushes.
#include <gtest/gtest.h>

#include "orvane/controls/Orvane.DBCheckBox.h"
#include "orvane/controls/Orvane.DBCombobox.h"
#include "orvane/controls/Orvane.DBEdit.h"
#include "orvane/controls/Orvane.DBLookupCombobox.h"
#include "orvane/controls/Orvane.DBMemo.h"
#include "orvane/controls/Orvane.DBText.h"
#include "platform/db/DateTime.h"
#include "tests/orvane/controls/WebTestSupport.h"

using namespace orvane;
using webtest::InGuard;
using webtest::TRecordingSession;
using webtest::TTestRoot;

namespace {

struct TFixture {
  TFixture() {
    Data.AddField("ID", db::TFieldType::ftLargeint);
    Data.AddField("NOME", db::TFieldType::ftString, 60);
    Data.AddField("DIA", db::TFieldType::ftDate);
    Data.AddField("MOMENTO", db::TFieldType::ftDateTime);
    Data.AddField("VALOR", db::TFieldType::ftFloat);
    Data.AddField("QTD", db::TFieldType::ftInteger);
    Data.AddField("ATIVO", db::TFieldType::ftString, 1);
    Data.AddField("ID_TIPO", db::TFieldType::ftLargeint);
    Data.Open();
    AddRow(1, "Ana \"<b>\"", db::EncodeDate(2024, 12, 31), db::EncodeDateTime(2024, 12, 31, 10, 30, 0),
           "S", 1200);
    AddRow(2, "Bruno", 0, db::EncodeDateTime(2025, 1, 2, 0, 0, 0), "N", 0);
    Data.First();
    Source.SetDataSet(&Data);

    List.AddField("ID_TIPO", db::TFieldType::ftLargeint);
    List.AddField("NOME_TIPO", db::TFieldType::ftString, 60);
    List.Open();
    for (int i = 1; i <= 1500; ++i) {
      List.Append();
      List.FieldByName("ID_TIPO").SetAsInteger(i);
      List.FieldByName("NOME_TIPO").SetAsString("Tipo " + std::to_string(i));
      List.Post();
    }
    List.SetRecNo(7);
    ListSource.SetDataSet(&List);

    Session = Root.NewSession();
    Form = new TOrvaneForm(nullptr);
    Form->SetSession(Session.get());
  }
  ~TFixture() { Form->Free(); }

  void AddRow(int AId, const std::string& ANome, double ADia, double AMomento,
              const std::string& AAtivo, int ATipo) {
    Data.Append();
    Data.FieldByName("ID").SetAsInteger(AId);
    Data.FieldByName("NOME").SetAsString(ANome);
    if (ADia) Data.FieldByName("DIA").SetAsDateTime(ADia);
    Data.FieldByName("MOMENTO").SetAsDateTime(AMomento);
    Data.FieldByName("VALOR").SetAsFloat(2.5);
    Data.FieldByName("QTD").SetAsInteger(4);
    Data.FieldByName("ATIVO").SetAsString(AAtivo);
    if (ATipo) Data.FieldByName("ID_TIPO").SetAsInteger(ATipo);
    Data.Post();
  }
  template <class T>
  T* Make(const std::string& AName, const std::string& AField) {
    auto* c = new T(Form);
    c->SetName(AName);
    c->SetDataSource(&Source);
    c->SetDataField(AField);
    return c;
  }
  void Render(TOrvaneControl* AControl) {
    InGuard(*Session, [&] {
      AControl->FormatHTMLControl("{%" + AControl->GetName() + " class=\"form-control\"%}");
    });
  }
  // Applies a browser state record as the message dispatch does.
  void State(TOrvaneControl* AControl, const nlohmann::json& AState) {
    InGuard(*Session, [&] {
      Form->onComponentsUpdating();
      try {
        AControl->ProcessComponentState(AState);
      } catch (...) {
        Form->onComponentsUpdated();
        throw;
      }
      Form->onComponentsUpdated();
    });
  }
  std::string Pass() {
    InGuard(*Session, [&] { Form->ObserverPass(); });
    std::string all;
    for (const std::string& p : Session->TakePushes()) all += p;
    return all;
  }

  db::TMemDataSet Data;
  db::TDataSource Source;
  db::TMemDataSet List;
  db::TDataSource ListSource;
  TTestRoot Root;
  std::shared_ptr<TRecordingSession> Session;
  TOrvaneForm* Form;
};

}  // namespace

TEST(OrvaneDBEdit, InputTypesAndTextsFollowTheField) {
  TFixture f;
  struct TCase {
    const char* Field;
    const char* Type;
    const char* Value;
  };
  const TCase cases[] = {
      {"DIA", " type=\"date\" ", "2024-12-31"},
      {"MOMENTO", " type=\"datetime\" ", "2024-12-31 10:30:00"},
      {"VALOR", " type=\"number\" ", "2,5"},
      {"QTD", " type=\"number\" step=\"1\" ", "4"},
      {"NOME", "  ", "Ana &quot;&lt;b&gt;&quot;"},
  };
  for (const TCase& c : cases) {
    auto* e = f.Make<TOrvaneDBEdit>(std::string("ed") + c.Field, c.Field);
    f.Render(e);
    const std::string& html = e->GetHTMLControl();
    EXPECT_NE(html.find(std::string(c.Type) + " value=\"" + c.Value + "\"/>"),
              std::string::npos)
        << c.Field << ": " << html;
  }
  // On the second record: no date renders empty, and a time stamp at
  // midnight keeps its time.
  f.Data.Next();
  auto* dia = f.Make<TOrvaneDBEdit>("edDia2", "DIA");
  auto* momento = f.Make<TOrvaneDBEdit>("edMomento2", "MOMENTO");
  f.Render(dia);
  f.Render(momento);
  EXPECT_NE(dia->GetHTMLControl().find("value=\"\""), std::string::npos);
  EXPECT_EQ(momento->GetText(), "2025-01-02 00:00:00");
  EXPECT_EQ(momento->GetDataType(), TOrvaneFieldType::OrvaneFieldTypeDateTime);
}

TEST(OrvaneDBEdit, OnlyAChangedValueStartsAnEditAndIsWritten) {
  TFixture f;
  auto* dia = f.Make<TOrvaneDBEdit>("edDia", "DIA");
  auto* nome = f.Make<TOrvaneDBEdit>("edNome", "NOME");
  f.Render(dia);
  f.Render(nome);
  f.State(nome, {{"id", "EDNOME"}, {"text", "Ana \"<b>\""}});
  f.State(dia, {{"id", "EDDIA"}, {"text", "2024-12-31"}});
  EXPECT_EQ(f.Data.State(), db::TDataSetState::dsBrowse);
  f.State(dia, {{"id", "EDDIA"}, {"text", "2024-12-30"}});
  EXPECT_EQ(f.Data.State(), db::TDataSetState::dsEdit);
  EXPECT_EQ(f.Data.FieldByName("DIA").AsDateTime(), db::EncodeDate(2024, 12, 30));
  // A text that is no date changes nothing.
  EXPECT_THROW(f.State(dia, {{"id", "EDDIA"}, {"text", "31/02/2024x"}}), EConvertError);
  EXPECT_EQ(f.Data.FieldByName("DIA").AsDateTime(), db::EncodeDate(2024, 12, 30));
  // An empty text clears the field.
  f.State(dia, {{"id", "EDDIA"}, {"text", ""}});
  EXPECT_TRUE(f.Data.FieldByName("DIA").IsNull());
  f.Data.Cancel();
  // Outside the application of browser states nothing starts an edit.
  InGuard(*f.Session, [&] { nome->SetText("Outro"); });
  EXPECT_EQ(f.Data.State(), db::TDataSetState::dsBrowse);
  EXPECT_EQ(f.Data.FieldByName("NOME").AsString(), "Ana \"<b>\"");
}

TEST(OrvaneDBEdit, ChangesOnTheServerArePushedQuoted) {
  TFixture f;
  auto* nome = f.Make<TOrvaneDBEdit>("edNome", "NOME");
  auto* text = f.Make<TOrvaneDBText>("lbNome", "NOME");
  f.Render(nome);
  f.Render(text);
  EXPECT_EQ(text->GetHTMLControl(), "<span class=\"form-control\" id=\"LBNOME\" >Ana "
                                    "&quot;&lt;b&gt;&quot;</span>");
  f.Form->OnAfterPageLoad();
  EXPECT_EQ(f.Pass(), "");
  f.Data.Next();
  std::string pushed = f.Pass();
  EXPECT_NE(pushed.find("document.getElementById(\"EDNOME\").value = \"Bruno\";"),
            std::string::npos)
      << pushed;
  EXPECT_NE(pushed.find("document.getElementById(\"LBNOME\").textContent = \"Bruno\";"),
            std::string::npos);
  f.Data.First();
  pushed = f.Pass();
  EXPECT_NE(pushed.find(".value = \"Ana \\\"<b>\\\"\";"), std::string::npos) << pushed;
  // The observer never writes back.
  EXPECT_EQ(f.Data.State(), db::TDataSetState::dsBrowse);
}

TEST(OrvaneDBMemo, WritesOnlyAChangedText) {
  TFixture f;
  auto* memo = f.Make<TOrvaneDBMemo>("mmNome", "NOME");
  f.Render(memo);
  EXPECT_NE(memo->GetHTMLControl().find(">Ana &quot;&lt;b&gt;&quot;</textarea>"),
            std::string::npos);
  f.Data.Edit();
  f.State(memo, {{"id", "MMNOME"}, {"text", "Ana \"<b>\""}});
  EXPECT_FALSE(f.Data.Modified());
  f.State(memo, {{"id", "MMNOME"}, {"text", "Nova"}});
  EXPECT_EQ(f.Data.FieldByName("NOME").AsString(), "Nova");
  f.Data.Cancel();
}

TEST(OrvaneDBCheckBox, CheckedByTheFieldsTextIgnoringCase) {
  TFixture f;
  auto* check = f.Make<TOrvaneDBCheckBox>("ckAtivo", "ATIVO");
  check->SetValueChecked("s");
  check->SetValueUnChecked("N");
  check->SetProcGetText([] { return TOrvaneVariant(std::string("Ativo <sim>")); });
  f.Render(check);
  EXPECT_TRUE(check->GetChecked());
  EXPECT_NE(check->GetHTMLControl().find("role=\"switch\" checked>"), std::string::npos);
  EXPECT_NE(check->GetHTMLControl().find(">Ativo &lt;sim&gt;</label>"), std::string::npos);
  f.State(check, {{"id", "CKATIVO"}, {"checked", false}});
  EXPECT_EQ(f.Data.FieldByName("ATIVO").AsString(), "N");
  EXPECT_EQ(f.Data.State(), db::TDataSetState::dsEdit);
  f.Data.Cancel();
  // Without a field name, nothing at all.
  auto* loose = f.Make<TOrvaneDBCheckBox>("ckSolto", "");
  f.Render(loose);
  InGuard(*f.Session, [&] { loose->SetChecked(true); });
  EXPECT_EQ(f.Data.State(), db::TDataSetState::dsBrowse);
}

TEST(OrvaneDBCombobox, AValueOutsideTheItemsShowsAndIsKept) {
  TFixture f;
  auto* combo = f.Make<TOrvaneDBCombobox>("cbNome", "NOME");
  combo->StoredItems().Add("Bruno");
  combo->StoredItems().Add("Carla");
  f.Render(combo);
  // "Ana ..." is not an item: it shows as the selected option.
  EXPECT_NE(combo->GetHTMLControl().find("<option selected value=\"\">Ana &quot;&lt;b&gt;&quot;"
                                         "</option><option value=\"1\">Bruno</option>"),
            std::string::npos)
      << combo->GetHTMLControl();
  f.State(combo, {{"id", "CBNOME"}, {"selecteditemindex", ""}});
  EXPECT_EQ(f.Data.State(), db::TDataSetState::dsBrowse);
  f.State(combo, {{"id", "CBNOME"}, {"selecteditemindex", "2"}});
  EXPECT_EQ(f.Data.FieldByName("NOME").AsString(), "Carla");
  f.Data.Cancel();
}

TEST(OrvaneDBLookupCombobox, LongListsAndValuesBeyondTheLimit) {
  TFixture f;
  auto* lookup = f.Make<TOrvaneDBLookupCombobox>("lkTipo", "ID_TIPO");
  lookup->SetListDataSource(&f.ListSource);
  lookup->SetListDataField("NOME_TIPO");
  lookup->SetKeyDataField("ID_TIPO");
  f.Render(lookup);
  const std::string& html = lookup->GetHTMLControl();
  // The first 1000 rows, and the current key (1200, beyond them) as its own
  // selected option with its text.
  EXPECT_EQ(lookup->RenderedKeys().size(), 1001u);
  EXPECT_NE(html.find("<option value=\"1000\">Tipo 1000</option>"), std::string::npos);
  EXPECT_EQ(html.find("<option value=\"1001\">"), std::string::npos);
  EXPECT_NE(html.find("<option selected value=\"1200\">Tipo 1200</option>"), std::string::npos);
  EXPECT_EQ(f.List.RecNo(), 7);
  // An empty choice never overwrites the key.
  f.State(lookup, {{"id", "LKTIPO"}, {"selectedvalue", ""}});
  EXPECT_EQ(f.Data.State(), db::TDataSetState::dsBrowse);
  f.State(lookup, {{"id", "LKTIPO"}, {"selectedvalue", "1200"}});
  EXPECT_EQ(f.Data.State(), db::TDataSetState::dsBrowse);
  f.State(lookup, {{"id", "LKTIPO"}, {"selectedvalue", "3"}});
  EXPECT_EQ(f.Data.FieldByName("ID_TIPO").AsInteger(), 3);
  f.Data.Cancel();

  // Another record: its key shows; a record without one shows the
  // placeholder.
  f.Form->OnAfterPageLoad();
  f.Pass();
  f.Data.Next();
  std::string pushed = f.Pass();
  EXPECT_NE(pushed.find("<option hidden disabled selected value>Selecione</option>"),
            std::string::npos);
  f.Data.First();
  pushed = f.Pass();
  EXPECT_NE(pushed.find("Tipo 1200"), std::string::npos);

  // The list dataset reopened on a loaded page: the options are rendered
  // again on the next pass.
  f.List.Close();
  f.Pass();
  f.List.Open();
  EXPECT_TRUE(lookup->GetRefreshData());
  pushed = f.Pass();
  EXPECT_NE(pushed.find("document.getElementById(\"LKTIPO\").innerHTML = "), std::string::npos);
  EXPECT_FALSE(lookup->GetRefreshData());
}

TEST(OrvaneDBLookupCombobox, AnEmptyListGivesNoOption) {
  TFixture f;
  db::TMemDataSet empty;
  empty.AddField("ID_TIPO", db::TFieldType::ftLargeint);
  empty.AddField("NOME_TIPO", db::TFieldType::ftString, 60);
  empty.Open();
  db::TDataSource source;
  source.SetDataSet(&empty);
  f.Data.Next();  // a record without a key
  auto* lookup = f.Make<TOrvaneDBLookupCombobox>("lkTipo", "ID_TIPO");
  lookup->SetListDataSource(&source);
  lookup->SetListDataField("NOME_TIPO");
  lookup->SetKeyDataField("ID_TIPO");
  f.Render(lookup);
  EXPECT_EQ(lookup->GetHTMLControl(),
            "<select  class=\"form-control\" id=\"LKTIPO\"  aria-label=\"Selecione\" ><option "
            "hidden disabled selected value>Selecione</option></select>");
  lookup->SetListDataSource(nullptr);
}
