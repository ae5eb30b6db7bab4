// Form rendering and the layout items, on small forms declared here in a
// web session: the exact lines of rows, form groups, panels, tab sets,
// accordions, popups and nested forms, the identifiers, the capture of each
// item's text, and the control items with and without an adapter.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/vexlo/VexloTestSupport.h"
#include "vexlo/Vexlo.HTML.h"
#include "vexlo/Vexlo.Item.HTML.Accordion.h"
#include "vexlo/Vexlo.Item.HTML.FormGroup.h"
#include "vexlo/Vexlo.Item.HTML.PanelGroup.h"
#include "vexlo/Vexlo.Item.HTML.Popup.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.Item.HTML.Tabs.h"
#include "vexlo/Vexlo.Item.Nested.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.Lang.BaseClass.h"
#include "vexlo/Vexlo.Orvane.Form.h"

using namespace vexlo;
using vexlotest::FreeForm;
using vexlotest::NewForm;
using vexlotest::Render;
using vexlotest::TFixtureForm;
using webtest::InGuard;
using Lines = std::vector<std::string>;

namespace {

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override { Session = Root.NewSession(); }
  void TearDown() override {
    for (TVexloForm* f : Forms) FreeForm(*Session, f);
  }
  TFixtureForm* Form(std::function<void(TFixtureForm&)> AControls,
                     std::function<void(TFixtureForm&)> ADeclare,
                     const std::string& AName = "fFixture") {
    TFixtureForm* f = NewForm(*Session, std::move(AControls), std::move(ADeclare), AName);
    Forms.push_back(f);
    return f;
  }
  // The captured text of an item, as lines.
  static Lines Captured(TVexloForm& AForm, const std::string& AItemID) {
    Lines lines;
    std::string text = AForm.Vexlo()->HTML().GetHTMLControls(AItemID);
    size_t pos = 0;
    while (!text.empty()) {
      size_t br = text.find("\r\n", pos);
      lines.push_back(text.substr(pos, br == std::string::npos ? std::string::npos : br - pos));
      if (br == std::string::npos) break;
      pos = br + 2;
    }
    return lines;
  }

  webtest::TTestRoot Root;
  std::shared_ptr<webtest::TRecordingSession> Session;
  vexlotest::TTestAdapters Adapters;
  std::vector<TVexloForm*> Forms;
};

}  // namespace

TEST_F(RenderTest, ARowWithAFormGroup) {
  ui::TEdit* nome = nullptr;
  TFixtureForm* f = Form([&](TFixtureForm& F) { nome = F.Add<ui::TEdit>("edtNome", "Ana"); },
                         [&](TFixtureForm& F) {
                           auto row = F.Vexlo()->Items().Add().Row("row", false, "", "", "");
                           auto group = row->Items().Add().FormGroup("Nome <1>", "col-md-6");
                           group->AddVCLObj(nome, "fs-4");
                         });
  const Lines group = {
      "<div class=\"mt-1 col-md-6   align-self-end\" style>",
      "<div class=\"form-group\" style>",
      "<label for=\"EDTNOME\">Nome &lt;1&gt;</label>",
      "{%edtNome class=\"form-control fs-4\" style%}",
      "</div>",
      "</div>",
  };
  Lines expected = {"<div class=\"row mt-2 mb-2\" style>"};
  expected.insert(expected.end(), group.begin(), group.end());
  expected.push_back("</div>");
  EXPECT_EQ(Render(*Session, *f), expected);
  // Every item's lines are captured under its identifier.
  EXPECT_EQ(Captured(*f, "row1"), expected);
  EXPECT_EQ(Captured(*f, "FormGroup1"), group);
  EXPECT_EQ(Captured(*f, "edtNome"), Lines{"{%edtNome class=\"form-control fs-4\" style%}"});

  // The edit got its web control, whose HTML replaces the placeholder.
  orvane::TOrvaneForm* web = f->OrvaneForm();
  ASSERT_EQ(web->Controls().size(), 1u);
  auto* edit = dynamic_cast<webtest::TTestEdit*>(web->Controls()[0]);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetVCLComponent(), nome);
  EXPECT_EQ(edit->GetHTMLControl(),
            "<input class=\"form-control fs-4\" style id=\"EDTNOME\"  value=\"Ana\"/>");
  // A second render writes the lines again but makes no second control.
  EXPECT_EQ(Render(*Session, *f), expected);
  EXPECT_EQ(web->Controls().size(), 1u);
}

TEST_F(RenderTest, FormGroupsInlineWithLabelItemsAndWithoutControl) {
  ui::TEdit* cep = nullptr;
  ui::TLabel* lbl = nullptr;
  TFixtureForm* f = Form(
      [&](TFixtureForm& F) {
        cep = F.Add<ui::TEdit>("edtCep");
        lbl = F.Add<ui::TLabel>("lblCep", "CEP");
      },
      [&](TFixtureForm& F) {
        auto inl = F.Vexlo()->Items().Add().FormGroup("", "", true);
        inl->AddVCLObj(cep);
        inl->AddLabelVCLObj(lbl, "fw-bold");
        F.Vexlo()->Items().Add().FormGroup("Só texto");
      });
  EXPECT_EQ(Render(*Session, *f),
            (Lines{
                "<div class=\"col-auto  mb-2\" style>",
                "<div class=\"form-group flex-nowrap\" style>",
                "{%edtCep class=\"form-control  col\" style=\" padding-right: 5px;\"%}",
                "{%lblCep class=\"form-control-plaintext fw-bold\" style=\" white-space: "
                "pre-line;\"  for=\"EDTCEP\"%}",
                "</div>",
                "</div>",
                "<div class=\"mt-1 col-xl-auto   align-self-end\" style>",
                "<div class=\"form-group\" style>",
                "<label >Só texto</label>",
                "</div>",
                "</div>",
            }));
}

TEST_F(RenderTest, IdentifiersRowsDivisionsAndPanels) {
  TFixtureForm* f = Form(nullptr, [&](TFixtureForm& F) {
    IItemAdd& add = F.Vexlo()->Items().Add();
    EXPECT_EQ(add.Row()->GetItemID(), "row1");
    EXPECT_EQ(add.FormGroup()->GetItemID(), "FormGroup1");
    EXPECT_EQ(add.Row("linha", true, "g-2", "data-x=\"1\"", "color: red;")->GetItemID(), "row2");
    EXPECT_EQ(add.HTMLDIV("card")->GetItemID(), "row3");
    auto panel = add.PanelGroup("Dados & <mais>");
    EXPECT_EQ(panel->GetItemID(), "PanelGroup1");
    EXPECT_EQ(add.Nested("")->GetItemID(), "Nested1");
  });
  EXPECT_EQ(Render(*Session, *f),
            (Lines{
                "<div class=\"row mt-2 mb-2\" style>",
                "</div>",
                "<div class=\"mt-1 col-xl-auto   align-self-end\" style>",
                "<div class=\"form-group\" style>",
                "</div>",
                "</div>",
                "<div class=\"row form-inline mb-2 align-items-end g-2\" style=\"color: red;\" "
                "data-x=\"1\">",
                "</div>",
                "<div class=\"card\" style>",
                "</div>",
                "<div class=\"col-xl-auto pt-2\">",
                "<div class=\"expanel expanel-default\" style=\"\" >",
                "<div class=\"expanel-heading\">",
                "<h3 class=\"expanel-title\">Dados &amp; &lt;mais&gt;</h3>",
                "</div>",
                "<div class=\"expanel-body\">",
                "</div>",
                "</div>",
                "</div>",
            }));
  // The nested item without a form name wrote nothing and was not captured.
  EXPECT_EQ(f->Vexlo()->HTML().GetHTMLControls("Nested1"), "");
  EXPECT_TRUE(f->Vexlo()->ObjectExported("PanelGroup1"));
}

TEST_F(RenderTest, ATabSetWithThreeTabs) {
  ui::TEdit* a = nullptr;
  TFixtureForm* f = Form([&](TFixtureForm& F) { a = F.Add<ui::TEdit>("edtA"); },
                         [&](TFixtureForm& F) {
                           auto tabs = F.Vexlo()->Items().Add().Tabs();
                           tabs->AddTab("Um")->Items().Add().VCLObj(a);
                           tabs->AddTab("Dois");
                           tabs->AddTab("<Três>");
                         });
  auto anchor = [](int k, bool active) {
    std::string pane = "Tabs_Tabs1_Item" + std::to_string(k);
    return std::string(active ? "<a class=\"nav-link active\" href=\"#"
                              : "<a class=\"nav-link\" href=\"#") +
           pane + "\" data-bs-toggle=\"tab\" data-bs-target=\"#" + pane +
           "\" role=\"tab\" aria-controls=\"profile-tab-pane\">";
  };
  EXPECT_EQ(
      Render(*Session, *f),
      (Lines{
          "<div id=\"Tabs1\" class=\"col\">",
          "<div class=\"card card-nav-tabs mb-1\">",
          "<div class=\"card-header card-header-primary\" style=\"\" >",
          "<div class=\"nav-tabs-navigation\">",
          "<div class=\"nav-tabs-wrapper\">",
          "<ul class=\"nav nav-tabs border-bottom-0\" data-tabs=\"tabs\" role=\"tablist\">",
          "<li class=\"nav-item\">",
          anchor(0, true) + "Um</a>",
          "</li>",
          "<li class=\"nav-item\">",
          anchor(1, false) + "Dois</a>",
          "</li>",
          "<li class=\"nav-item\">",
          anchor(2, false) + "&lt;Três&gt;</a>",
          "</li>",
          "</ul>",
          "</div>",
          "</div>",
          "</div>",
          "<div class=\"card-body\">",
          "<div class=\"tab-content\">",
          "<div class=\"tab-pane fade show active\" id=\"Tabs_Tabs1_Item0\" role=\"tabpanel\">",
          "{%edtA class=\"form-control\" style%}",
          "</div>",
          "<div class=\"tab-pane fade\" id=\"Tabs_Tabs1_Item1\" role=\"tabpanel\">",
          "</div>",
          "<div class=\"tab-pane fade\" id=\"Tabs_Tabs1_Item2\" role=\"tabpanel\">",
          "</div>",
          "</div>",
          "</div>",
          "</div>",
          "</div>",
      }));
}

TEST_F(RenderTest, AnEmptyTabSetAndAnAccordion) {
  TFixtureForm* f = Form(nullptr, [&](TFixtureForm& F) {
    F.Vexlo()->Items().Add().Tabs("bg-light");
    auto acc = F.Vexlo()->Items().Add().Accordion();
    acc->SetColSize("col-12");
    acc->AddAccordionItem("Primeiro");
  });
  Lines body = Render(*Session, *f);
  ASSERT_EQ(body.size(), 10u + 2 + 13 + 2);
  EXPECT_EQ(body[2], "<div class=\"card-header bg-light\" style=\"\" >");
  for (int i = 5; i < 10; ++i) EXPECT_EQ(body[i], "</div>");  // the five openings closed
  EXPECT_EQ(body[10], "<div class=\"col-12 mb-4\">");
  EXPECT_EQ(body[11], "<div class=\"accordion\">");
  EXPECT_EQ(body[12], "<div class=\"accordion-item mt-2 mb-2\">");
  // The entry's identifiers carry a random text drawn once per render.
  const std::string& heading = body[13];
  ASSERT_EQ(heading.rfind("<h2 class=\"accordion-header\" id=\"panelsStayOpen-heading", 0), 0u);
  std::string r = heading.substr(heading.find("heading") + 7, 5);
  EXPECT_EQ(r.back(), '0');
  EXPECT_EQ(body[14],
            "<button class=\"accordion-button p-2 collapsed\" type=\"button\" "
            "data-bs-toggle=\"collapse\" data-bs-target=\"#panelsStayOpen-collapse" +
                r + "\" aria-expanded=\"false\" aria-controls=\"panelsStayOpen-collapse" + r +
                "\">");
  EXPECT_EQ(body[15], "Primeiro");
  EXPECT_EQ(body.back(), "</div>");
}

TEST_F(RenderTest, APopupAndItsScript) {
  ui::TEdit* motivo = nullptr;
  TFixtureForm* f = Form([&](TFixtureForm& F) { motivo = F.Add<ui::TEdit>("edtMotivo"); },
                         [&](TFixtureForm& F) {
                           auto popup = F.Vexlo()->Items().Add().Popup("confirma", "Confirma?");
                           popup->Items().Add().VCLObj(motivo);
                           EXPECT_EQ(popup->GetItemID(), "CONFIRMA");
                           F.Vexlo()->Items().Add().Popup("aviso", "", false)->SetIsHidden(true);
                         });
  Session->SetVexloBaseClass(f->Vexlo());
  const std::string u = Session->GetUUID(), t = Session->GetToken();
  const std::string form = f->OrvaneForm()->GetFormUUID();
  auto call = [&](const std::string& AEvent) {
    return "       OrvaneServer().ExecEvent(\"" + u + "\", \"" + t + "\", \"" + form + "\", \"" +
           form + "\", \"" + AEvent +
           "\", \"popupname=CONFIRMA&OrvaneComponentsStatus=\" + "
           "GetComponentsStates(OrvaneComponents), true);";
  };
  Lines body = Render(*Session, *f);
  EXPECT_EQ(
      body,
      (Lines{
          "<div class=\"modal fade\" id=\"CONFIRMA\" data-bs-backdrop=\"static\" "
          "data-bs-keyboard=\"false\" tabindex=\"-1\" aria-labelledby=\"staticBackdropLabel\" "
          "aria-hidden=\"true\">",
          "  <div class=\"modal-dialog modal-xl modal-dialog-centered\">",
          "    <div class=\"modal-content\">",
          "      <div class=\"modal-header\">",
          "        <h5 class=\"modal-title\" id=\"staticBackdropLabel\">Confirma?</h5>",
          "        <button type=\"button\" class=\"btn-close\" data-bs-dismiss=\"modal\" "
          "aria-label=\"Close\" id=\"BUTTONCLOSE_CONFIRMA\"></button>",
          "      </div>",
          "      <div class=\"modal-body\">",
          "{%edtMotivo class=\"form-control\" style%}",
          "      </div>",
          "    </div>",
          "  </div>",
          "</div>",
          "<script>",
          "    $('#CONFIRMA').on('show.bs.modal', function (e) {",
          call("OnShowPopup"),
          "    });",
          "    $('#CONFIRMA').on('hidden.bs.modal', function (e) {",
          call("OnClosePopup"),
          "    });",
          "</script>",
      }));
  // The hidden popup is absent from the body but captured, with its close
  // button hidden.
  Lines hidden = Captured(*f, "AVISO");
  ASSERT_GT(hidden.size(), 5u);
  EXPECT_EQ(
      hidden[5],
      "        <button type=\"button\" class=\"btn-close invisible\" data-bs-dismiss=\"modal\" "
      "aria-label=\"Close\" id=\"BUTTONCLOSE_AVISO\" style=\"display: none;\"></button>");
  EXPECT_EQ(f->Vexlo()->PopupCount(), 2);
  EXPECT_THROW(f->Vexlo()->Popup(2), std::out_of_range);
  auto texts = f->Vexlo()->GetPopupTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1].first, "AVISO");
  EXPECT_EQ(texts[1].second, f->Vexlo()->HTML().GetHTMLControls("AVISO"));
  Session->RemoveVexloClass(f->Vexlo());
}

TEST_F(RenderTest, ANestedFormRendersIntoItsHost) {
  ui::TEdit* inner = nullptr;
  TFixtureForm* nested =
      Form([&](TFixtureForm& F) { inner = F.Add<ui::TEdit>("edtEndereco", "Rua A"); },
           [&](TFixtureForm& F) { F.Vexlo()->Items().Add().VCLObj(inner); }, "fEndereco");
  TFixtureForm* host = Form(nullptr, [&](TFixtureForm& F) {
    F.Vexlo()->Items().Add().Row()->Items().Add().Nested("fEndereco");
  });
  InGuard(*Session, [&] {
    auto* web = dynamic_cast<TVexloOrvaneForm*>(host->OrvaneForm());
    web->AddNested(nested);
    web->AddNested(nested);  // once only
  });
  EXPECT_EQ(host->Vexlo()->NestedCount(), 1);
  EXPECT_EQ(nested->Vexlo()->VexloOwner(), host->Vexlo());
  EXPECT_THROW(host->Vexlo()->Nested(1), std::out_of_range);
  // The nested form's items carry its web form's prefix.
  const std::string prefix = nested->OrvaneForm()->ControlsPrefix();
  const std::string placeholder = "{%" + prefix + "_edtEndereco class=\"form-control\" style%}";
  EXPECT_EQ(nested->Vexlo()->HTML().Body(), Lines{placeholder});
  EXPECT_EQ(Render(*Session, *host),
            (Lines{"<div class=\"row mt-2 mb-2\" style>", "$orvanenested(FENDERECO)", "</div>"}));
  // The host lists the nested controls; its page takes the nested body.
  ASSERT_EQ(host->OrvaneForm()->Controls().size(), 1u);
  std::string page = host->Vexlo()->GetBodyHTML();
  host->OrvaneForm()->ProcessNested(page);
  host->OrvaneForm()->ProcessControlsToHTML(page);
  EXPECT_EQ(page,
            "<div class=\"row mt-2 mb-2\" style>\r\n<input class=\"form-control\" style id=\"" +
                orvane::UpperCase(prefix) + "_EDTENDERECO\"  value=\"Rua A\"/>\r\n</div>");
}

TEST_F(RenderTest, NestedFormsRenderAgainWithTheHostAndLeaveIt) {
  ui::TEdit* inner = nullptr;
  TFixtureForm* nested =
      Form([&](TFixtureForm& F) { inner = F.Add<ui::TEdit>("edtEndereco", "Rua A"); },
           [&](TFixtureForm& F) { F.Vexlo()->Items().Add().VCLObj(inner); }, "fEndereco");
  std::shared_ptr<IVexloItemHTMLTabs> tabs;
  TFixtureForm* host =
      Form(nullptr, [&](TFixtureForm& F) { tabs = F.Vexlo()->Items().Add().Tabs(); });
  auto* web = dynamic_cast<TVexloOrvaneForm*>(host->OrvaneForm());
  InGuard(*Session, [&] {
    tabs->AddTab("Endereço")->Items().Add().Nested("fEndereco");
    web->AddNested(nested);
    inner->SetText("Rua <B>");
    // The host's page renders the nested form again: its text is today's.
    host->Vexlo()->ClearForm();
    host->Vexlo()->RenderForm();
  });
  std::string page = host->Vexlo()->GetBodyHTML();
  web->ProcessNested(page);
  web->ProcessControlsToHTML(page);
  EXPECT_NE(page.find("value=\"Rua &lt;B&gt;\""), std::string::npos) << page;
  EXPECT_TRUE(host->Vexlo()->ObjectExported("Nested1"));
  InGuard(*Session, [&] {
    tabs->ClearTabs();
    web->RemoveNested(nested);
  });
  EXPECT_TRUE(tabs->GetTabs().empty());
  EXPECT_FALSE(host->Vexlo()->ObjectExported("Nested1"));
  EXPECT_EQ(host->Vexlo()->NestedCount(), 0);
  EXPECT_EQ(nested->Vexlo()->VexloOwner(), nullptr);
  EXPECT_TRUE(web->Controls().empty());
  // A nested form that is freed leaves its host's controls as well.
  InGuard(*Session, [&] { web->AddNested(nested); });
  EXPECT_EQ(web->Controls().size(), 1u);
  FreeForm(*Session, nested);
  Forms.erase(std::find(Forms.begin(), Forms.end(), nested));
  EXPECT_TRUE(web->Controls().empty());
  EXPECT_EQ(host->Vexlo()->NestedCount(), 0);
}

TEST_F(RenderTest, HiddenItemsEmptyItemsAndRepeatedIdentifiers) {
  ui::TEdit* a = nullptr;
  TFixtureForm* f = Form([&](TFixtureForm& F) { a = F.Add<ui::TEdit>("edtA"); },
                         [&](TFixtureForm& F) {
                           F.Vexlo()->Items().Add().VCLObjHidden(a);
                           F.Vexlo()->Items().Add().Nested("");
                           EXPECT_NO_THROW(F.Vexlo()->Items().Add().Popup("q"));
                           EXPECT_THROW(F.Vexlo()->Items().Add().Popup("Q"), EVexloError);
                         });
  Lines body = Render(*Session, *f);
  // The hidden item is captured but not in the body.
  EXPECT_EQ(Captured(*f, "edtA"), Lines{"{%edtA class=\"form-control\" style%}"});
  for (const std::string& line : body) EXPECT_EQ(line.find("edtA"), std::string::npos);
  EXPECT_THROW(f->Vexlo()->Items().Item(99), std::out_of_range);
  // Capturing under a name already captured fails the render.
  InGuard(*Session, [&] {
    EXPECT_THROW(f->Vexlo()->HTML().AddHTMLControls("edtA", "edtA", "x"), EVexloError);
  });
}

TEST_F(RenderTest, AControlWithoutAdapterLeavesTheRestOfThePage) {
  ui::TButton* entrar = nullptr;
  ui::TEdit* nome = nullptr;
  TFixtureForm* f = Form(
      [&](TFixtureForm& F) {
        entrar = F.Add<ui::TButton>("btnEntrar", "Entrar");
        nome = F.Add<ui::TEdit>("edtNome");
      },
      [&](TFixtureForm& F) {
        auto row = F.Vexlo()->Items().Add().Row();
        row->Items().Add().VCLObj(entrar);
        row->Items().Add().VCLObj(nome);
      });
  EXPECT_EQ(Render(*Session, *f),
            (Lines{"<div class=\"row mt-2 mb-2\" style>",
                   "<!-- Class Type TButton not supported to Vexlo Framework yet (Error X001-3) "
                   "-->",
                   "{%edtNome class=\"form-control\" style%}", "</div>"}));
  EXPECT_EQ(f->OrvaneForm()->Controls().size(), 1u);  // only the edit has a web control
}

TEST_F(RenderTest, LabelsKeepLineBreaksAndAdaptersAreFoundByNormalisedName) {
  ui::TLabel* lbl = nullptr;
  TFixtureForm* f = Form([&](TFixtureForm& F) { lbl = F.Add<ui::TLabel>("lblA", "A"); },
                         [&](TFixtureForm& F) { F.Vexlo()->Items().Add().VCLObj(lbl); });
  auto item = std::dynamic_pointer_cast<IVexloItemVCLObj>(f->Vexlo()->Items().Item(0));
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetItemID(), "lblA");
  EXPECT_EQ(item->GetHTMLStyle(), " white-space: pre-line;");
  EXPECT_EQ(OverrideVCL("TBitBtn"), "TButton");
  EXPECT_EQ(OverrideVCL("tlabelededit"), "TEdit");
  EXPECT_EQ(OverrideVCL("TAdvSearchComboBox"), "TComboBox");
  EXPECT_EQ(OverrideVCL("TMeuEdit"), "TMeuEdit");
  EXPECT_TRUE(VexloVCLObjSupported("TLabeledEdit"));
  EXPECT_FALSE(VexloVCLObjSupported("TButton"));
  EXPECT_EQ(TVexloItemVCLObj::DefaultPropertyCopyList(),
            (Lines{"Left", "Top", "Width", "Heigth", "Parent", "Caption", "Color", "Enabled",
                   "Visible"}));
}

TEST(VexloHTML, SkeletonSwitchesAndTheAttributeCleanUp) {
  TVexloHTML html;
  html.Body() = {"<p>corpo</p>"};
  EXPECT_EQ(html.MakeHTML(), Lines{"<p>corpo</p>"});
  html.Options().IncludeDIVContainer = true;
  html.Options().IncluseBootStrap = true;
  EXPECT_EQ(html.MakeHTML(), (Lines{"<div class=\"container-fluid\">", "<p>corpo</p>", "</div>",
                                    "<script src=\"js/bootstrap.bundle.min.js\"></script>"}));
  html.Options().HTMLTags = html.Options().IncludeCharSet = html.Options().IncludeViewPort = true;
  html.Options().ValidateAllControls = true;
  html.Meta() = {"<meta name=\"x\"/>"};
  html.SetTitle("A & B");
  Lines page = html.MakeHTML();
  EXPECT_EQ(page[3], "<title>A &amp; B</title>");
  EXPECT_EQ(page[7], "<meta name=\"x\"/>");
  EXPECT_EQ(page[8], "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/bootstrap.min.css\"/>");
  EXPECT_EQ(page[11], "<div class=\"was-validated\" id=\"VexloBody\">");
  html.SetTitle("");
  EXPECT_EQ(html.MakeHTML()[3].rfind("<title>Vexlo - Test", 0), 0u);
  html.Clear();
  EXPECT_TRUE(html.Body().empty());
  EXPECT_EQ(html.Title(), "");

  EXPECT_EQ(TrataHTMLTag("  X class=\"\" style=\"\" "), "X class style");
  EXPECT_EQ(TrataHTMLTag("a=\"\"b=\"\"\"\""), "ab\"\"");
  EXPECT_EQ(Gerar_String_Aleatorio(0), "");
  EXPECT_EQ(Gerar_String_Aleatorio(4).size(), 4u);
}

TEST(VexloLang, SetsByLanguage) {
  const TVexloLangClass& langs = VexloLangClass();
  EXPECT_EQ(langs.LangByTVexloLang(TVexloLang::Spanish), &langs.English());
  EXPECT_EQ(langs.LangByTVexloLang(TVexloLang::English)->DlgButtons().Caption(ui::mbYes), "Yes");
  EXPECT_EQ(langs.LangByTVexloLang(TVexloLang::Portuguese)->DlgButtons().Caption(ui::mbNo), "Não");
  EXPECT_EQ(langs.LangByTVexloLang(TVexloLang::Portuguese)->MsgType().Caption(ui::mtWarning),
            "Aviso");
  EXPECT_EQ(langs.LangByTVexloLang(TVexloLang::Arabic), nullptr);
  EXPECT_EQ(VexloLangByName("portuguese"), TVexloLang::Portuguese);
  EXPECT_EQ(VexloLangName(TVexloLang::Arabic), "Arabic");
}
