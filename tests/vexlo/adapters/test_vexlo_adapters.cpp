// The desktop-control adapters on fixture forms in a web session: the
// adapter each desktop class gets (with the class-name normalisation), the
// placeholder lines, the web control created once, values and events both
// ways, the override directive, popup menus, and the configuration the
// framework control types hand to their web controls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "orvane/controls/Orvane.Button.h"
#include "orvane/controls/Orvane.CheckBox.h"
#include "orvane/controls/Orvane.Combobox.h"
#include "orvane/controls/Orvane.DBCheckBox.h"
#include "orvane/controls/Orvane.DBCombobox.h"
#include "orvane/controls/Orvane.DBEdit.h"
#include "orvane/controls/Orvane.DBGrid.h"
#include "orvane/controls/Orvane.DBLookupCombobox.h"
#include "orvane/controls/Orvane.DBMemo.h"
#include "orvane/controls/Orvane.DBText.h"
#include "orvane/controls/Orvane.Edit.h"
#include "orvane/controls/Orvane.Image.h"
#include "orvane/controls/Orvane.Text.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "tests/vexlo/adapters/AdapterTestSupport.h"
#include "vexlo/Vexlo.HTML.CSS.h"
#include "vexlo/adapters/Vexlo.Orvane.Button.h"
#include "vexlo/adapters/Vexlo.Orvane.DBEdit.h"
#include "vexlo/adapters/Vexlo.Orvane.DBGrid.h"
#include "vexlo/adapters/Vexlo.Orvane.Edit.h"

using namespace vexlo;
using adaptertest::TAdapterFixture;
using adaptertest::TFixtureForm;
using orvane::TOrvaneEventType;

namespace {

// Desktop classes a form designer may use that count as a button and an edit.
class TBitBtn : public ui::TButton {
  CORE_DECLARE_CLASS()
 public:
  using ui::TButton::TButton;
};
const core::TClassInfo& TBitBtn::StaticClass() {
  static core::TClassInfo info("TBitBtn", &ui::TButton::StaticClass(), core::FactoryOf<TBitBtn>());
  return info;
}
class TLabeledEdit : public ui::TEdit {
  CORE_DECLARE_CLASS()
 public:
  using ui::TEdit::TEdit;
};
const core::TClassInfo& TLabeledEdit::StaticClass() {
  static core::TClassInfo info("TLabeledEdit", &ui::TEdit::StaticClass(),
                               core::FactoryOf<TLabeledEdit>());
  return info;
}
// An edit of its own class: not one of the names the adapters know.
class TMyEdit : public ui::TEdit {
  CORE_DECLARE_CLASS()
 public:
  using ui::TEdit::TEdit;
};
const core::TClassInfo& TMyEdit::StaticClass() {
  static core::TClassInfo info("TMyEdit", &ui::TEdit::StaticClass(), core::FactoryOf<TMyEdit>());
  return info;
}

bool Contains(const std::vector<std::string>& ALines, const std::string& AText) {
  for (const auto& line : ALines)
    if (line.find(AText) != std::string::npos) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& ALines) {
  std::string text;
  for (const auto& line : ALines) text += line + "\n";
  return text;
}

class Adapters : public ::testing::Test {
 protected:
  TAdapterFixture F;
};

}  // namespace

TEST_F(Adapters, EachDesktopClassGetsItsAdapterAndWebControl) {
  struct TCase {
    std::string Name;
    std::function<ui::TControl*(TFixtureForm&)> Make;
    std::string CSS;  // the adapter's base class
    std::string WebClass;
  };
  auto make = [](auto* AControl, const std::string& AName) {
    AControl->SetName(AName);
    return static_cast<ui::TControl*>(AControl);
  };
  std::vector<TCase> cases = {
      {"lblA", [&](TFixtureForm& f) { return make(f.Add<ui::TLabel>("lblA", "Rótulo"), "lblA"); },
       "form-control-plaintext", "TOrvaneLabel"},
      {"edtA", [&](TFixtureForm& f) { return make(f.Add<ui::TEdit>("edtA"), "edtA"); },
       "form-control", "TOrvaneEdit"},
      {"btnA", [&](TFixtureForm& f) { return make(f.Add<ui::TButton>("btnA", "OK"), "btnA"); },
       "btn", "TOrvaneButton"},
      {"spbA", [&](TFixtureForm& f) { return make(f.Add<ui::TSpeedButton>("spbA"), "spbA"); },
       "btn", "TOrvaneButton"},
      {"dbtA", [&](TFixtureForm& f) { return make(f.Add<ui::TDBText>("dbtA"), "dbtA"); },
       "form-control-plaintext", "TOrvaneDBText"},
      {"dbmA", [&](TFixtureForm& f) { return make(f.Add<ui::TDBMemo>("dbmA"), "dbmA"); },
       "form-control", "TOrvaneDBMemo"},
      {"dblA", [&](TFixtureForm& f) { return make(f.Add<ui::TDBLookupComboBox>("dblA"), "dblA"); },
       "form-select", "TOrvaneDBLookupCombobox"},
      {"grdA", [&](TFixtureForm& f) { return make(f.Add<ui::TDBGrid>("grdA"), "grdA"); },
       "table table-hover table-sm table-bordered ui-jqgrid-htable cursor-pointer",
       "TOrvaneDBGrid"},
      {"dbeA", [&](TFixtureForm& f) { return make(f.Add<ui::TDBEdit>("dbeA"), "dbeA"); },
       "form-control", "TOrvaneDBEdit"},
      {"dbcA", [&](TFixtureForm& f) { return make(f.Add<ui::TDBComboBox>("dbcA"), "dbcA"); },
       "form-select", "TOrvaneDBCombobox"},
      {"dbkA", [&](TFixtureForm& f) { return make(f.Add<ui::TDBCheckBox>("dbkA"), "dbkA"); },
       "form-check-input", "TOrvaneDBCheckBox"},
      {"dtpA", [&](TFixtureForm& f) { return make(f.Add<ui::TDateTimePicker>("dtpA"), "dtpA"); },
       "form-control", "TOrvaneEdit"},
      {"cbbA", [&](TFixtureForm& f) { return make(f.Add<ui::TComboBox>("cbbA"), "cbbA"); },
       "form-select", "TOrvaneCombobox"},
      {"chkA", [&](TFixtureForm& f) { return make(f.Add<ui::TCheckBox>("chkA"), "chkA"); },
       "form-check-input", "TOrvaneCheckBox"},
      {"rdbA", [&](TFixtureForm& f) { return make(f.Add<ui::TRadioButton>("rdbA"), "rdbA"); },
       "form-check-input", "TOrvaneCheckBox"},
      // Counted as a button and an edit.
      {"bitA", [&](TFixtureForm& f) { return make(f.Add<TBitBtn>("bitA"), "bitA"); }, "btn",
       "TOrvaneButton"},
      {"ledA", [&](TFixtureForm& f) { return make(f.Add<TLabeledEdit>("ledA"), "ledA"); },
       "form-control", "TOrvaneEdit"},
  };
  std::map<std::string, ui::TControl*> controls;
  std::map<std::string, std::shared_ptr<IVexloItemVCLObj>> items;
  TFixtureForm* form = F.Form(
      [&](TFixtureForm& f) {
        for (auto& c : cases) controls[c.Name] = c.Make(f);
        controls["myA"] = f.Add<TMyEdit>("myA");
      },
      [&](TFixtureForm& f) {
        for (auto& c : cases) items[c.Name] = f.Vexlo()->Items().Add().VCLObj(controls[c.Name]);
        items["myA"] = f.Vexlo()->Items().Add().VCLObj(controls["myA"]);
      });
  std::vector<std::string> body = F.Render(*form);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* item = dynamic_cast<TVexloItemVCLObj*>(items[c.Name].get());
    ASSERT_NE(item->BridgeVCLObj(), nullptr);
    EXPECT_EQ(item->BridgeVCLObj()->CSSClass(), c.CSS);
    orvane::TOrvaneControl* web = TAdapterFixture::Web(*form, controls[c.Name]);
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->ClassName(), c.WebClass);
    EXPECT_EQ(web->GetName(), c.Name);
    EXPECT_TRUE(Contains(body, "{%" + c.Name + " class=\"" + c.CSS)) << Joined(body);
    EXPECT_FALSE(web->GetHTMLControl().empty());
  }
  // A subclass with a name of its own has no adapter.
  EXPECT_EQ(dynamic_cast<TVexloItemVCLObj*>(items["myA"].get())->BridgeVCLObj(), nullptr);
  EXPECT_TRUE(Contains(body, "Class Type TMyEdit not supported"));
  EXPECT_TRUE(VexloVCLObjSupported("TBitBtn"));
  EXPECT_FALSE(VexloVCLObjSupported("TMyEdit"));
  // Rendering again writes the lines again but makes no second control.
  const size_t count = form->OrvaneForm()->Controls().size();
  EXPECT_EQ(F.Render(*form), body);
  EXPECT_EQ(form->OrvaneForm()->Controls().size(), count);
}

TEST_F(Adapters, PlaceholderLinesStylesCaptionsAndTheOverrideDirective) {
  ui::TLabel* label = nullptr;
  ui::TButton* plain = nullptr;
  ui::TButton* amp = nullptr;
  ui::TButton* icon = nullptr;
  TFixtureForm* form = F.Form(
      [&](TFixtureForm& f) {
        label = f.Add<ui::TLabel>("lblNome", "Nome\ncompleto");
        plain = f.Add<ui::TButton>("btnOk", "OK");
        amp = f.Add<ui::TButton>("btnSair", "Sa&lvar && Sair");
        icon = f.Add<ui::TButton>("btnNovo", "&Novo");
      },
      [&](TFixtureForm& f) {
        auto& add = f.Vexlo()->Items();
        add.Add().VCLObj(label);
        add.Add().VCLObj(plain);
        add.Add().VCLObj(amp, std::string("btn-danger"), std::string("title=\"Sair\""),
                         std::string("width: 10em;"));
        add.Add().VCLObj(icon, TCSSClassButton::iconbutton("fa fa-plus"));
      });
  std::vector<std::string> body = F.Render(*form);
  EXPECT_TRUE(Contains(body,
                       "{%lblNome class=\"form-control-plaintext\" style=\" white-space: "
                       "pre-line;\"%}"))
      << Joined(body);
  EXPECT_TRUE(Contains(body, "{%btnOk class=\"btn btn-primary\" style%}")) << Joined(body);
  EXPECT_TRUE(Contains(body,
                       "{%btnSair class=\"btn btn-danger\" style=\"width: 10em;\" "
                       "title=\"Sair\"%}"))
      << Joined(body);
  EXPECT_TRUE(Contains(body,
                       "<button type=\"button\" class=\"btn btn-info\" id=\"BTNNOVO\" ><i "
                       "class=\"fa fa-plus\"></i>Novo</button>"))
      << Joined(body);
  // The accelerator markers go, in the desktop button too; "&&" is one "&"
  // and stays one on the next render.
  EXPECT_EQ(amp->Caption(), "Salvar & Sair");
  F.Render(*form);
  EXPECT_EQ(amp->Caption(), "Salvar & Sair");
  auto* web = TAdapterFixture::Web<orvane::TOrvaneButton>(*form, amp);
  ASSERT_NE(web, nullptr);
  EXPECT_EQ(web->GetCaption(), "Salvar & Sair");
  EXPECT_EQ(web->GetHTMLControl(),
            "<button class=\"btn btn-danger\" style=\"width: 10em;\" title=\"Sair\" id=\"BTNSAIR\" "
            ">Salvar &amp; Sair</button>");
  // The published properties of the same name and type travel too.
  EXPECT_EQ(std::get<std::string>(web->GetPropValue("Caption")), "Salvar & Sair");
  EXPECT_EQ(TVexloItemVCLObj::DefaultPropertyCopyList(),
            (std::vector<std::string>{"Left", "Top", "Width", "Heigth", "Parent", "Caption",
                                      "Color", "Enabled", "Visible"}));
}

TEST_F(Adapters, APopupMenuListsItsItemsAndClicksThemForItsOwnForm) {
  struct TMenu {
    ui::TPopupMenu* Menu;
    std::vector<std::string> Clicked;
  };
  auto build = [](TFixtureForm& f, TMenu& m) {
    m.Menu = new ui::TPopupMenu(&f);
    m.Menu->SetName("pmAcoes");
    auto item = [&](ui::TMenuItem* AParent, const std::string& AName, const std::string& ACaption) {
      auto* i = new ui::TMenuItem(&f);
      i->SetName(AName);
      i->SetCaption(ACaption);
      i->OnClick = [&m, AName](core::TComponent*) { m.Clicked.push_back(AName); };
      AParent->Add(i);
      return i;
    };
    ui::TMenuItem* root = m.Menu->Items();
    item(root, "mnuAbrir", "Abrir <aba> & \"já\"");
    item(root, "N1", "-");
    item(root, "mnuOculto", "Oculto")->SetVisible(false);
    ui::TMenuItem* more = item(root, "mnuMais", "Mais");
    item(more, "mnuA", "Primeiro");
    item(more, "mnuB", "Segundo")->SetEnabled(false);
  };
  TMenu first, second;
  ui::TButton* button = nullptr;
  TFixtureForm* a = F.Form(
      [&](TFixtureForm& f) {
        button = f.Add<ui::TButton>("btnAcoes", "Ações");
        build(f, first);
      },
      [&](TFixtureForm& f) { f.Vexlo()->Items().Add().VCLObj(button, first.Menu); }, "fA");
  ui::TButton* other = nullptr;
  TFixtureForm* b = F.Form(
      [&](TFixtureForm& f) {
        other = f.Add<ui::TButton>("btnAcoes", "Ações");
        build(f, second);
      },
      [&](TFixtureForm& f) { f.Vexlo()->Items().Add().VCLObj(other, second.Menu); }, "fB");
  std::vector<std::string> body = F.Render(*a);
  F.Render(*b);
  ASSERT_GE(body.size(), 6u);
  EXPECT_EQ(body[0], "<div class=\"dropdown\">");
  EXPECT_EQ(
      body[1],
      "{%btnAcoes class=\"btn btn-primary dropdown-toggle\" style  data-bs-toggle=\"dropdown\" "
      "aria-expanded=\"false\"%}");
  EXPECT_EQ(body[2], "<ul class=\"dropdown-menu\" aria-labelledby=\"dropdownMenubtnAcoes\">");
  // Entries for the plain item and the sub-items only; texts escaped.
  ASSERT_EQ(body.size(), 8u) << Joined(body);
  EXPECT_NE(body[3].find(">Abrir &lt;aba&gt; &amp; &quot;já&quot;</a></li>"), std::string::npos);
  EXPECT_NE(body[4].find(">Mais-&gt;Primeiro</a></li>"), std::string::npos);
  EXPECT_NE(body[5].find(">Mais-&gt;Segundo</a></li>"), std::string::npos);
  EXPECT_NE(body[3].find("onclick=\"OrvaneServer().CallBack("), std::string::npos);
  EXPECT_NE(body[3].find("&quot;mnuAbrir&quot;, true)"), std::string::npos) << body[3];
  EXPECT_EQ(body[6], "</ul>");
  EXPECT_EQ(body[7], "</div>");
  // One callback per form and menu; each clicks its own form's items, only
  // enabled and visible ones.
  auto callbacks = F.Session->GetCallBacks();
  auto run = [&](TFixtureForm* AForm, const std::string& AItem) {
    std::string result;
    callbacks->Execute("CallBackEventPopup" + AForm->OrvaneForm()->GetFormUUID() + "_pmAcoes",
                       {AItem}, result);
  };
  run(a, "mnuAbrir");
  run(a, "mnuA");
  run(a, "mnuB");
  run(a, "mnuOculto");
  run(a, "nada");
  run(b, "mnuA");
  EXPECT_EQ(first.Clicked, (std::vector<std::string>{"mnuAbrir", "mnuA"}));
  EXPECT_EQ(second.Clicked, std::vector<std::string>{"mnuA"});
}

TEST_F(Adapters, EditTextBothWaysSilentlyAndItsEvents) {
  ui::TEdit* edit = nullptr;
  ui::TEdit* senha = nullptr;
  std::vector<std::string> calls;
  TFixtureForm* form = F.Form(
      [&](TFixtureForm& f) {
        edit = f.Add<ui::TEdit>("edtNome", "Ana");
        edit->SetCharCase(ui::ecUpperCase);
        edit->OnChange = [&](core::TComponent* S) {
          calls.push_back(std::string("change:") + (S == edit ? "edit" : "?"));
        };
        edit->OnKeyDown = [&](core::TComponent*, uint16_t& K, ui::TShiftState) {
          calls.push_back("down:" + std::to_string(K));
        };
        senha = f.Add<ui::TEdit>("edtSenha", "segredo");
        senha->SetPasswordChar(U'*');
        senha->OnKeyDown = [&](core::TComponent*, uint16_t& K, ui::TShiftState) {
          calls.push_back("senha-down:" + std::to_string(K));
        };
        senha->OnKeyPress = [&](core::TComponent*, char32_t& K) {
          calls.push_back("senha-press:" + std::to_string(K));
        };
      },
      [&](TFixtureForm& f) {
        f.Vexlo()->Items().Add().VCLObj(edit);
        f.Vexlo()->Items().Add().VCLObj(senha);
      });
  F.Render(*form);
  auto* web = TAdapterFixture::Web<orvane::TOrvaneEdit>(*form, edit);
  auto* webSenha = TAdapterFixture::Web<orvane::TOrvaneEdit>(*form, senha);
  ASSERT_TRUE(web && webSenha);
  EXPECT_EQ(web->GetEditDataType(), orvane::TOrvaneFieldType::OrvaneFieldTypeAuto);
  EXPECT_EQ(web->GetCharCase(), orvane::TEditCharCase::ecUpperCase);
  EXPECT_NE(TAdapterFixture::HTML(web).find("text-uppercase"), std::string::npos);
  EXPECT_NE(TAdapterFixture::HTML(web).find("value = \"ANA\""), std::string::npos)
      << TAdapterFixture::HTML(web);
  EXPECT_EQ(webSenha->GetEditDataType(), orvane::TOrvaneFieldType::OrvaneFieldTypePassword);
  EXPECT_NE(TAdapterFixture::HTML(webSenha).find("type=\"password\"  value = \"\""),
            std::string::npos);
  // Typed in the browser: the desktop edit gets it without its OnChange...
  web->ProcessComponentState({{"id", "EDTNOME"}, {"text", "ANA & \"MARIA\""}});
  EXPECT_EQ(edit->Text(), "ANA & \"MARIA\"");
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(TAdapterFixture::Pass(web).empty());
  // ...which the change event the page sends runs, once, with the edit.
  EXPECT_TRUE(TAdapterFixture::Fire(web, TOrvaneEventType::EventOnChange));
  EXPECT_EQ(calls, std::vector<std::string>{"change:edit"});
  // Changed on the desktop: pushed, JSON-quoted.
  edit->SetText("Zé `${x}`");
  EXPECT_EQ(TAdapterFixture::Pass(web),
            std::vector<std::string>{
                "document.getElementById(\"EDTNOME\").value = \"Z\\u00e9 `${x}`\";"});
  // Keys: the browser's name as a key code; with both handlers the key
  // press takes the event. "%" and "&" arrive as themselves.
  calls.clear();
  TAdapterFixture::Fire(web, TOrvaneEventType::EventOnKeyDown, {"key=Enter"});
  TAdapterFixture::Fire(webSenha, TOrvaneEventType::EventOnKeyDown, {"key=Enter"});
  TAdapterFixture::Fire(webSenha, TOrvaneEventType::EventOnKeyDown, {"key=%"});
  TAdapterFixture::Fire(webSenha, TOrvaneEventType::EventOnKeyDown, {"key=&"});
  EXPECT_EQ(calls, (std::vector<std::string>{"down:13", "senha-press:13", "senha-press:37",
                                             "senha-press:38"}));
  // No handler, no event.
  EXPECT_FALSE(TAdapterFixture::Fire(web, TOrvaneEventType::EventOnClick));
  EXPECT_FALSE(TAdapterFixture::Fire(webSenha, TOrvaneEventType::EventOnChange));
  // A password the desktop changes is not pushed.
  senha->SetText("outro");
  EXPECT_TRUE(TAdapterFixture::Pass(webSenha, true).empty());
}

TEST_F(Adapters, ButtonsForwardTheirOwnClick) {
  ui::TButton* ok = nullptr;
  ui::TButton* cancel = nullptr;
  ui::TSpeedButton* speed = nullptr;
  ui::TPanel* panel = nullptr;
  ui::TLabel* label = nullptr;
  std::vector<std::string> calls;
  TFixtureForm* form = F.Form(
      [&](TFixtureForm& f) {
        ok = f.Add<ui::TButton>("btnOk", "OK");
        ok->OnClick = [&](core::TComponent* S) { calls.push_back(S == ok ? "ok" : "?"); };
        ok->OnEnter = [&](core::TComponent*) { calls.push_back("enter"); };
        cancel = f.Add<ui::TButton>("btnCancelar", "Cancelar");
        cancel->SetModalResult(ui::mrCancel);
        speed = f.Add<ui::TSpeedButton>("spbA", "Rápido");
        speed->OnClick = [&](core::TComponent*) { calls.push_back("speed"); };
        panel = f.Add<ui::TPanel>("pnlA");
        label = new ui::TLabel(&f);
        label->SetName("lblA");
        label->SetParent(panel);
        label->OnClick = [&](core::TComponent*) { calls.push_back("label"); };
      },
      [&](TFixtureForm& f) {
        for (ui::TControl* c : std::initializer_list<ui::TControl*>{ok, cancel, speed, label})
          f.Vexlo()->Items().Add().VCLObj(c);
      });
  F.Render(*form);
  auto* webOk = TAdapterFixture::Web(*form, ok);
  auto* webCancel = TAdapterFixture::Web(*form, cancel);
  auto* webSpeed = TAdapterFixture::Web(*form, speed);
  auto* webLabel = TAdapterFixture::Web<orvane::TOrvaneLabel>(*form, label);
  TAdapterFixture::Fire(webOk, TOrvaneEventType::EventOnClick);
  TAdapterFixture::Fire(webOk, TOrvaneEventType::EventOnEnter);
  TAdapterFixture::Fire(webSpeed, TOrvaneEventType::EventOnClick);
  TAdapterFixture::Fire(webLabel, TOrvaneEventType::EventOnClick);
  EXPECT_EQ(calls, (std::vector<std::string>{"ok", "enter", "speed", "label"}));
  // A button with a modal result but no handler still clicks: the form's
  // ModalResult is set.
  ASSERT_TRUE(TAdapterFixture::Fire(webCancel, TOrvaneEventType::EventOnClick));
  EXPECT_EQ(form->ModalResult(), ui::mrCancel);
  // A speed button forwards only clicks.
  EXPECT_EQ(webSpeed->GetEvents()->Count(), 1);
  // A label is enabled only as far as its parents are.
  EXPECT_TRUE(webLabel->GetEnabled());
  panel->SetEnabled(false);
  EXPECT_FALSE(webLabel->GetEnabled());
  EXPECT_EQ(TAdapterFixture::Pass(webLabel),
            std::vector<std::string>{"document.getElementById(\"LBLA\").disabled = true;"});
  label->SetCaption("Linha 1\n\"2\"");
  EXPECT_EQ(TAdapterFixture::Pass(webLabel),
            std::vector<std::string>{
                "document.getElementById(\"LBLA\").textContent = \"Linha 1\\n\\\"2\\\"\";"});
}

TEST_F(Adapters, ComboCheckRadioAndDateValuesBothWays) {
  ui::TComboBox* combo = nullptr;
  ui::TCheckBox* check = nullptr;
  ui::TRadioButton* r1 = nullptr;
  ui::TRadioButton* r2 = nullptr;
  ui::TDateTimePicker* date = nullptr;
  std::vector<std::string> calls;
  TFixtureForm* form = F.Form(
      [&](TFixtureForm& f) {
        combo = f.Add<ui::TComboBox>("cbbTipo");
        combo->Items().SetText("Reclamação\nSugestão\nElogio");
        combo->SetItemIndex(1);
        combo->OnChange = [&](core::TComponent*) { calls.push_back("change"); };
        combo->OnSelect = [&](core::TComponent*) { calls.push_back("select"); };
        check = f.Add<ui::TCheckBox>("chkAtivo", "Ativo & <b>");
        check->OnClick = [&](core::TComponent*) { calls.push_back("click"); };
        r1 = f.Add<ui::TRadioButton>("rdbSim", "Sim");
        r2 = f.Add<ui::TRadioButton>("rdbNao", "Não");
        r2->SetChecked(true);
        date = f.Add<ui::TDateTimePicker>("dtpData");
        date->SetDate(db::EncodeDate(2024, 3, 5));
        date->OnChange = [&](core::TComponent*) { calls.push_back("date"); };
      },
      [&](TFixtureForm& f) {
        for (ui::TControl* c : std::initializer_list<ui::TControl*>{combo, check, r1, r2, date})
          f.Vexlo()->Items().Add().VCLObj(c);
      });
  F.Render(*form);
  auto* webCombo = TAdapterFixture::Web<orvane::TOrvaneCombobox>(*form, combo);
  auto* webCheck = TAdapterFixture::Web<orvane::TOrvaneCheckBox>(*form, check);
  auto* webR1 = TAdapterFixture::Web<orvane::TOrvaneCheckBox>(*form, r1);
  auto* webR2 = TAdapterFixture::Web<orvane::TOrvaneCheckBox>(*form, r2);
  auto* webDate = TAdapterFixture::Web<orvane::TOrvaneEdit>(*form, date);
  ASSERT_TRUE(webCombo && webCheck && webR1 && webR2 && webDate);

  // Combo box: the selection both ways, silently; a text not in the list
  // goes to the edit part and selects nothing.
  EXPECT_NE(TAdapterFixture::HTML(webCombo).find("<option selected value=\"2\">Sugestão</option>"),
            std::string::npos);
  webCombo->ProcessComponentState({{"id", "CBBTIPO"}, {"selecteditemindex", "3"}});
  EXPECT_EQ(combo->ItemIndex(), 2);
  webCombo->SetSelectedItem("Outro");
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), "Outro");
  EXPECT_TRUE(calls.empty());
  TAdapterFixture::Fire(webCombo, TOrvaneEventType::EventOnSelect);
  TAdapterFixture::Fire(webCombo, TOrvaneEventType::EventOnChange);
  EXPECT_EQ(calls, (std::vector<std::string>{"select", "change"}));
  combo->SetItemIndex(0);
  EXPECT_EQ(TAdapterFixture::Pass(webCombo),
            std::vector<std::string>{"document.getElementById(\"CBBTIPO\").value = \"1\";"});

  // Check box: the state both ways; the browser's state does not click,
  // the click event does, once.
  calls.clear();
  EXPECT_NE(TAdapterFixture::HTML(webCheck).find(">Ativo &amp; &lt;b&gt;</label>"),
            std::string::npos);
  webCheck->ProcessComponentState({{"id", "CHKATIVO"}, {"checked", true}});
  EXPECT_TRUE(check->Checked());
  EXPECT_TRUE(calls.empty());
  TAdapterFixture::Fire(webCheck, TOrvaneEventType::EventOnClick);
  EXPECT_EQ(calls, std::vector<std::string>{"click"});
  check->SetChecked(false);
  EXPECT_EQ(TAdapterFixture::Pass(webCheck),
            std::vector<std::string>{"document.getElementById(\"CHKATIVO\").checked = false;"});

  // Radio buttons: checking one unchecks the other, whose switch follows.
  webR1->ProcessComponentState({{"id", "RDBSIM"}, {"checked", true}});
  EXPECT_TRUE(r1->Checked());
  EXPECT_FALSE(r2->Checked());
  EXPECT_EQ(TAdapterFixture::Pass(webR2),
            std::vector<std::string>{"document.getElementById(\"RDBNAO\").checked = false;"});

  // Date picker: a date input; the browser's date reaches the picker
  // silently; no date (or none at all) leaves it and the page gets it back.
  calls.clear();
  EXPECT_NE(TAdapterFixture::HTML(webDate).find("type=\"date\"  value = \"2024-03-05\""),
            std::string::npos);
  webDate->ProcessComponentState({{"id", "DTPDATA"}, {"text", "2024-12-31"}});
  EXPECT_EQ(date->DateText(), "31/12/2024");
  EXPECT_TRUE(calls.empty());
  EXPECT_THROW(webDate->ProcessComponentState({{"id", "DTPDATA"}, {"text", "amanhã"}}),
               orvane::EConvertError);
  webDate->ProcessComponentState({{"id", "DTPDATA"}, {"text", ""}});
  EXPECT_EQ(date->DateText(), "31/12/2024");
  EXPECT_EQ(
      TAdapterFixture::Pass(webDate),
      std::vector<std::string>{"document.getElementById(\"DTPDATA\").value = \"2024-12-31\";"});
  // Read-only is the picker's own enabled state.
  date->SetEnabled(false);
  EXPECT_TRUE(webDate->GetReadOnly());
}

TEST_F(Adapters, AWebControlDropsItsHooksAndEventsWhenItsDesktopControlGoes) {
  ui::TEdit* edit = nullptr;
  int changes = 0;
  TFixtureForm* form = F.Form(
      [&](TFixtureForm& f) {
        edit = f.Add<ui::TEdit>("edtA", "a");
        edit->OnChange = [&](core::TComponent*) { ++changes; };
      },
      [&](TFixtureForm& f) { f.Vexlo()->Items().Add().VCLObj(edit); });
  F.Render(*form);
  auto* web = TAdapterFixture::Web<orvane::TOrvaneEdit>(*form, edit);
  ASSERT_NE(web, nullptr);
  webtest::InGuard(*F.Session, [&] { edit->Free(); });
  EXPECT_FALSE(TAdapterFixture::Fire(web, TOrvaneEventType::EventOnChange));
  web->ProcessComponentState({{"id", "EDTA"}, {"text", "b"}});
  EXPECT_EQ(web->GetText(), "b");
  EXPECT_EQ(changes, 0);
}

TEST_F(Adapters, TheEditAndButtonKindsKeepNothingFromTheLastControl) {
  ui::TEdit* a = nullptr;
  ui::TEdit* b = nullptr;
  TFixtureForm* form = F.Form(
      [&](TFixtureForm& f) {
        a = f.Add<ui::TEdit>("edtA", "primeiro");
        a->SetPasswordChar(U'*');
        a->SetCharCase(ui::ecLowerCase);
        b = f.Add<ui::TEdit>("edtB", "segundo");
      },
      [&](TFixtureForm& f) {
        f.Vexlo()->Items().Add().VCLObj(a);
        f.Vexlo()->Items().Add().VCLObj(b);
      });
  F.Render(*form);
  auto* webA = TAdapterFixture::Web<orvane::TOrvaneEdit>(*form, a);
  auto* webB = TAdapterFixture::Web<orvane::TOrvaneEdit>(*form, b);
  // Configured through the same kind object, each keeps its own.
  EXPECT_EQ(webB->GetEditDataType(), orvane::TOrvaneFieldType::OrvaneFieldTypeAuto);
  EXPECT_EQ(webB->GetCharCase(), orvane::TEditCharCase::ecNormal);
  EXPECT_EQ(webA->GetText(), "primeiro");
  EXPECT_EQ(webB->GetText(), "segundo");
  webB->SetText("novo");
  EXPECT_EQ(b->Text(), "novo");
  EXPECT_EQ(a->Text(), "primeiro");
  // A button kind with an empty caption still gives it.
  auto button =
      std::dynamic_pointer_cast<OrvaneButton>(form->Vexlo()->FrameworkExportType()->Button());
  ASSERT_NE(button, nullptr);
  button->Clear();
  webtest::InGuard(*F.Session, [&] {
    orvane::TOrvaneButton target(nullptr);
    target.SetCaption("velho");
    button->ProcessPropertyClass(nullptr, &target);
    EXPECT_EQ(target.GetCaption(), "");
  });
}

namespace {

// What the control item's first render does with its adapter and kind,
// into a given web control.
void Configure(const std::shared_ptr<IVexloItemVCLObj>& AItem, orvane::TOrvaneControl* AWeb) {
  auto* item = dynamic_cast<TVexloItemVCLObj*>(AItem.get());
  IVexloVCLObj* adapter = item->BridgeVCLObj();
  IVexloFrameworkItemPtr kind = adapter->FrameworkItemClass();
  kind->Clear();
  adapter->ProcessPropertyClass(AWeb);
  kind->ProcessPropertyClass(item->GetItem(), AWeb);
  adapter->ProcessEventClass();
  kind->ProcessEventClass(item->GetItem(), AWeb);
}

}  // namespace

TEST_F(Adapters, DataAwareAdaptersAndKindsHandOnTheirBinding) {
  db::TDataSource* source = nullptr;
  db::TDataSource* list = nullptr;
  ui::TDBText* text = nullptr;
  ui::TDBMemo* memo = nullptr;
  ui::TDBEdit* edit = nullptr;
  ui::TDBComboBox* combo = nullptr;
  ui::TDBCheckBox* check = nullptr;
  ui::TDBLookupComboBox* lookup = nullptr;
  ui::TDBLookupComboBox* lookupNoKey = nullptr;
  std::map<std::string, std::shared_ptr<IVexloItemVCLObj>> items;
  TFixtureForm* form = F.Form(
      [&](TFixtureForm& f) {
        source = new db::TDataSource(&f);
        source->SetName("dtsSolicitacao");
        list = new db::TDataSource(&f);
        list->SetName("dtsUnidades");
        text = f.Add<ui::TDBText>("dbtNome");
        text->SetDataSource(source);
        text->SetDataField("NOME");
        memo = f.Add<ui::TDBMemo>("dbmTexto");
        memo->SetDataSource(source);
        memo->SetDataField("SOLICITACAO");
        memo->SetReadOnly(true);
        edit = f.Add<ui::TDBEdit>("dbeSenha");
        edit->SetDataSource(source);
        edit->SetDataField("SENHA");
        edit->SetPasswordChar(U'*');
        edit->SetCharCase(ui::ecUpperCase);
        combo = f.Add<ui::TDBComboBox>("dbcTipo");
        combo->SetDataSource(source);
        combo->SetDataField("TIPO");
        combo->Items().SetText("A\nB");
        check = f.Add<ui::TDBCheckBox>("dbkAtivo", "Ativo");
        check->SetDataSource(source);
        check->SetDataField("ATIVO");
        check->SetValueChecked("S");
        check->SetValueUnchecked("N");
        lookup = f.Add<ui::TDBLookupComboBox>("dblUnidade");
        lookup->SetListSource(list);
        lookup->SetKeyField("ID_UNIDADE");
        lookup->SetListField("NOME;SIGLA");
        lookup->SetDataSource(source);
        lookup->SetDataField("ID_UNIDADE");
        lookupNoKey = f.Add<ui::TDBLookupComboBox>("dblSemChave");
        lookupNoKey->SetListField("NOME");
      },
      [&](TFixtureForm& f) {
        for (ui::TControl* c : std::initializer_list<ui::TControl*>{text, memo, edit, combo, check,
                                                                    lookup, lookupNoKey})
          items[c->Name()] = f.Vexlo()->Items().Add().VCLObj(c);
      });
  webtest::InGuard(*F.Session, [&] {
    orvane::TOrvaneDBText webText(nullptr);
    Configure(items["dbtNome"], &webText);
    EXPECT_EQ(webText.GetDataSource(), source);
    EXPECT_EQ(webText.GetDataField(), "NOME");
    // No state procedures for a DB text.
    EXPECT_FALSE(webText.ProcGetEnabled());

    orvane::TOrvaneDBMemo webMemo(nullptr);
    Configure(items["dbmTexto"], &webMemo);
    EXPECT_EQ(webMemo.GetDataField(), "SOLICITACAO");
    EXPECT_TRUE(webMemo.GetReadOnly());

    // The password is recorded on the kind but not handed on; the letter
    // case is.
    orvane::TOrvaneDBEdit webEdit(nullptr);
    Configure(items["dbeSenha"], &webEdit);
    EXPECT_EQ(webEdit.GetDataField(), "SENHA");
    EXPECT_EQ(webEdit.GetCharCase(), orvane::TEditCharCase::ecUpperCase);
    auto kind =
        std::dynamic_pointer_cast<OrvaneDBEdit>(form->Vexlo()->FrameworkExportType()->DBEdit());
    EXPECT_EQ(kind->GetEditDataType(), orvane::TOrvaneFieldType::OrvaneFieldTypePassword);

    orvane::TOrvaneDBCombobox webCombo(nullptr);
    Configure(items["dbcTipo"], &webCombo);
    EXPECT_EQ(webCombo.GetItems().Count(), 2);
    auto* comboItem = dynamic_cast<TVexloItemVCLObj*>(items["dbcTipo"].get());
    auto copy = comboItem->BridgeVCLObj()->PropertyCopyList();
    EXPECT_EQ(std::count(copy.begin(), copy.end(), "Text"), 0);
    EXPECT_EQ(std::count(copy.begin(), copy.end(), "Caption"), 1);

    orvane::TOrvaneDBCheckBox webCheck(nullptr);
    Configure(items["dbkAtivo"], &webCheck);
    EXPECT_EQ(webCheck.GetValueChecked(), "S");
    EXPECT_EQ(webCheck.GetValueUnChecked(), "N");
    EXPECT_EQ(webCheck.GetText(), "Ativo");

    // Of "NOME;SIGLA" the first field; a lookup without a key field leaves
    // the web control's untouched.
    orvane::TOrvaneDBLookupCombobox webLookup(nullptr);
    Configure(items["dblUnidade"], &webLookup);
    EXPECT_EQ(webLookup.GetDataSource(), source);
    EXPECT_EQ(webLookup.GetDataField(), "ID_UNIDADE");
    EXPECT_EQ(webLookup.GetListDataSource(), list);
    EXPECT_EQ(webLookup.GetListDataField(), "NOME");
    EXPECT_EQ(webLookup.GetKeyDataField(), "ID_UNIDADE");
    orvane::TOrvaneDBLookupCombobox webNoKey(nullptr);
    webNoKey.SetKeyDataField("ANTIGA");
    Configure(items["dblSemChave"], &webNoKey);
    EXPECT_EQ(webNoKey.GetKeyDataField(), "ANTIGA");
    EXPECT_EQ(webNoKey.GetDataSource(), nullptr);
    EXPECT_EQ(webNoKey.GetDataField(), "");
  });
}

TEST_F(Adapters, TheGridAdapterReadsItsColumnsAndTheGridKindItsEvents) {
  ui::TDBGrid* grid = nullptr;
  std::vector<std::string> calls;
  std::shared_ptr<IVexloItemVCLObj> item;
  F.Form(
      [&](TFixtureForm& f) {
        grid = f.Add<ui::TDBGrid>("grdLista");
        ui::TColumn* nome = grid->Columns().Add();
        nome->SetFieldName("NOME");
        nome->Title().Caption = "Nome";
        nome->SetWidth(150);
        nome->SetReadOnly(true);
        ui::TColumn* situacao = grid->Columns().Add();
        situacao->SetFieldName("SITUACAO");
        situacao->Title().Caption = "Situação";
        situacao->SetAlignment(ui::taRightJustify);
        situacao->PickList().SetText("Aberta\nFechada");
        situacao->SetVisible(false);
        grid->OnCellClick = [&](ui::TColumn* C) { calls.push_back("cell:" + C->FieldName()); };
        grid->OnDblClick = [&](core::TComponent* S) { calls.push_back(S == grid ? "dbl" : "?"); };
      },
      [&](TFixtureForm& f) { item = f.Vexlo()->Items().Add().VCLObj(grid); });
  webtest::InGuard(*F.Session, [&] {
    orvane::TOrvaneDBGrid web(nullptr);
    web.SetMultiSelect(true);
    web.Columns().Add()->SetTitle("velha");
    Configure(item, &web);
    EXPECT_FALSE(web.GetMultiSelect());
    auto columns = web.Columns().GetColumns();
    ASSERT_EQ(columns.size(), 2u);
    const orvane::IOrvaneDBGridColumn& a = *columns[0];
    const orvane::IOrvaneDBGridColumn& b = *columns[1];
    EXPECT_EQ(a.GetDataField(), "NOME");
    EXPECT_EQ(a.GetTitle(), "Nome");
    EXPECT_EQ(a.GetWidth(), WidthPPI(150));
    EXPECT_FALSE(a.GetEditable());  // read-only column
    EXPECT_EQ(a.GetAlignment(), orvane::TOrvaneAlignment::OrvaneAlignLeft);
    // No dataset field: the type is automatic.
    EXPECT_EQ(a.GetDataFieldType(), orvane::TOrvaneFieldType::OrvaneFieldTypeAuto);
    EXPECT_EQ(b.GetAlignment(), orvane::TOrvaneAlignment::OrvaneAlignRigth);
    EXPECT_TRUE(b.GetEditable());
    EXPECT_FALSE(b.GetVisible());
    EXPECT_EQ(b.GetSelectItems(),
              nlohmann::json({{"0", "--Selecione--"}, {"1", "Aberta"}, {"2", "Fechada"}}));
    // The editing switch of the desktop grid, read when asked.
    EXPECT_TRUE(web.GetEditable());
    grid->SetOptions(grid->Options() & ~ui::dgEditing);
    EXPECT_FALSE(web.GetEditable());
    // A read-only grid is not edited on the page either.
    grid->SetOptions(grid->Options() | ui::dgEditing);
    grid->SetReadOnly(true);
    EXPECT_FALSE(web.GetEditable());
    // The grid forwards no desktop events of its own; besides the web
    // grid's own three (rows, cell posts, cell buttons) the kind adds
    // select, cell click and double click.
    EXPECT_EQ(web.GetEvents()->Count(), 6);
    EXPECT_TRUE(TAdapterFixture::Fire(&web, TOrvaneEventType::EventOnSelect, {"col=1"}));
    TAdapterFixture::Fire(&web, TOrvaneEventType::EventOnCellClick, {"col=0"});
    TAdapterFixture::Fire(&web, TOrvaneEventType::EventOnCellClick, {"col=x"});
    TAdapterFixture::Fire(&web, TOrvaneEventType::EventOnSelect, {"row=3"});
    TAdapterFixture::Fire(&web, TOrvaneEventType::EventOnDblClick);
    EXPECT_EQ(calls, (std::vector<std::string>{"cell:SITUACAO", "cell:NOME", "dbl"}));
    EXPECT_THROW(TAdapterFixture::Fire(&web, TOrvaneEventType::EventOnCellClick, {"col=7"}),
                 std::out_of_range);
  });
  // The alignment conversion keeps the web column's for none and justified.
  EXPECT_EQ(WebAlignment(TVexloAlignColumns::VexloAlignColumnsJustified,
                         orvane::TOrvaneAlignment::OrvaneAlignCenter),
            orvane::TOrvaneAlignment::OrvaneAlignCenter);
  EXPECT_EQ(WebAlignment(TVexloAlignColumns::VexloAlignColumnsCenter,
                         orvane::TOrvaneAlignment::OrvaneAlignNone),
            orvane::TOrvaneAlignment::OrvaneAlignCenter);
}

TEST_F(Adapters, ADataAwarePictureShowsThroughTheSessionsDownloadRoute) {
  db::TMemDataSet prefeituras;
  prefeituras.AddField("LOGO", db::TFieldType::ftBlob);
  prefeituras.Open();
  prefeituras.Append();
  prefeituras.Post();
  db::TDataSource source(nullptr);
  source.SetDataSet(&prefeituras);
  ui::TDBImage* logo = nullptr;
  TFixtureForm* form = F.Form(
      [&](TFixtureForm& f) {
        logo = f.Add<ui::TDBImage>("dbiLogo");
        logo->SetDataSource(&source);
        logo->SetDataField("LOGO");
      },
      [&](TFixtureForm& f) { f.Vexlo()->Items().Add().VCLObj(logo); });
  EXPECT_EQ(F.Render(*form), std::vector<std::string>{"{%dbiLogo class=\"img-thumbnail\" style%}"});
  auto* web = TAdapterFixture::Web<orvane::TOrvaneImage>(*form, logo);
  ASSERT_NE(web, nullptr);
  // No picture: an empty one, and nothing offered for download.
  EXPECT_EQ(TAdapterFixture::HTML(web).rfind("<img class=\"img-thumbnail\" style", 0), 0u);
  EXPECT_NE(TAdapterFixture::HTML(web).find("src=\"data:image/gif;base64,"), std::string::npos);
  EXPECT_TRUE(F.Session->GetFileDownloads().empty());
  EXPECT_TRUE(TAdapterFixture::Pass(web).empty());

  // A picture loaded into the desktop control: the page gets an address of
  // the session's download route, never a public path.
  ui::TBitmap bitmap(2, 2);
  bitmap.SetPixel(0, 0, ui::clRed);
  logo->Picture().Assign(bitmap);
  auto pass = TAdapterFixture::Pass(web);
  ASSERT_EQ(pass.size(), 1u);
  const std::string prefix = "document.getElementById(\"DBILOGO\").src = \"/vexlo/download?file=";
  ASSERT_EQ(pass[0].rfind(prefix, 0), 0u) << pass[0];
  EXPECT_NE(pass[0].find("&token=" + F.Session->GetToken() +
                         "&orvanesession=" + F.Session->GetUUID() + "\";"),
            std::string::npos);
  auto downloads = F.Session->GetFileDownloads();
  ASSERT_EQ(downloads.size(), 1u);
  const std::string file = downloads.begin()->second;
  EXPECT_EQ(file.rfind(F.Session->PathSession(), 0), 0u) << file;
  EXPECT_EQ(std::filesystem::path(file).extension(), ".png");
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, logo->Picture().Data());
  EXPECT_EQ(web->GetPictureURL(), "/vexlo/download?file=" + downloads.begin()->first +
                                      "&token=" + F.Session->GetToken() +
                                      "&orvanesession=" + F.Session->GetUUID());
  // Unchanged, also once the record is saved: nothing to push.
  prefeituras.Post();
  EXPECT_TRUE(TAdapterFixture::Pass(web).empty());
  // Another record (without a picture): the empty picture again, the old
  // file and its key gone.
  prefeituras.Append();
  pass = TAdapterFixture::Pass(web);
  ASSERT_EQ(pass.size(), 1u);
  EXPECT_NE(pass[0].find("data:image/gif;base64,"), std::string::npos);
  EXPECT_TRUE(F.Session->GetFileDownloads().empty());
  EXPECT_FALSE(std::filesystem::exists(file));
  prefeituras.Cancel();
  logo->SetDataSource(nullptr);
}
