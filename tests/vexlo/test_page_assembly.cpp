// Page assembly: the page of a session's active form from a page template,
// a master template or the generated skeleton, with the exact head block
// built from the engine's templates, the body block, and the built-in files.
#include <gtest/gtest.h>

#include <fstream>

#include "orvane/server/Orvane.Assets.h"
#include "orvane/server/Orvane.Server.HTML.h"
#include "tests/vexlo/VexloTestSupport.h"
#include "vexlo/Vexlo.Item.HTML.Popup.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"

using namespace vexlo;
using vexlotest::TFixtureForm;
using webtest::InGuard;

namespace {

const char* const kCRLF = "\r\n";

std::string Template(const char* AName) {
  const orvane::TOrvaneAsset* asset = orvane::FindOrvaneAsset(AName);
  return asset ? std::string(asset->Content) : "";
}

// Replaces every occurrence (the tests' own, plain replacement).
std::string Fill(std::string AText, const std::vector<std::pair<std::string, std::string>>& ATags) {
  for (const auto& [tag, value] : ATags) {
    std::string pattern = "{{" + tag + "}}";
    for (size_t at = AText.find(pattern); at != std::string::npos;
         at = AText.find(pattern, at + value.size()))
      AText.replace(at, pattern.size(), value);
  }
  return AText;
}

class TNamedController : public orvane::IVexloServerControllerBase {
 public:
  std::string ServerName() const override { return "Tamblo"; }
  std::string ServerDescription() const override { return "Ouvidoria \"municipal\" <teste>"; }
  void DoSessionChange(orvane::TSessionChangeType,
                       const std::shared_ptr<orvane::IOrvaneSession>&) override {}
  void InstancePrimaryForm(const std::shared_ptr<orvane::IOrvaneSession>&) override {}
};

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Root.Engine->SetServerController(std::make_shared<TNamedController>());
    Root.Engine->GetOptions().SetIncludeJQuery(true);
    Session = Root.NewSession();
    Html = std::make_unique<orvane::TOrvaneServerHTML>(*Root.Engine);
    Request.Header.ParseHeaders("GET /?x=1 HTTP/1.1\r\nHost: localhost:8888\r\n");
  }
  void TearDown() override {
    DropForm();
    Html.reset();
  }
  void DropForm() {
    if (!Form) return;
    Session->RemoveVexloClass(Form->Vexlo());
    vexlotest::FreeForm(*Session, Form);
    Form = nullptr;
  }
  void Write(const std::string& AName, const std::string& AText) {
    std::filesystem::create_directories((Root.Dir / AName).parent_path());
    std::ofstream(Root.Dir / AName) << AText;
  }
  // A form with one edit whose click runs a handler, with the given page
  // template, made the session's active page.
  void MakeForm(const std::string& APageTemplate, const std::string& AMasterTemplate = "") {
    Form = vexlotest::NewForm(
        *Session,
        [&](TFixtureForm& F) {
          Nome = F.Add<ui::TEdit>("edtNome", "Ana");
          Nome->OnClick = [](core::TComponent*) {};
        },
        [&](TFixtureForm& F) {
          F.SetTitle("Cadastro & <Teste>");
          F.Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile(AMasterTemplate);
          F.Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile(APageTemplate);
          F.Vexlo()->Items().Add().Row()->Items().Add().VCLObj(Nome);
          F.Vexlo()->Items().Add().Popup("confirma", "Confirma?")->SetIsHidden(true);
        });
    Session->SetVexloBaseClass(Form->Vexlo());
  }
  std::string Page() {
    orvane::TOrvaneHTTPResponse response;
    InGuard(*Session, [&] {
      Form->Vexlo()->ClearForm();
      Form->Vexlo()->RenderForm();
      try {
        Html->LoadPageHTMLFromSession(Request, response, *Session);
      } catch (const std::exception&) {
        response.Content = "<falhou>";
      }
    });
    return response.Content;
  }
  // The head block as the templates and the Part's tags give it.
  std::string ExpectedHead() {
    const std::string u = Session->GetUUID(), t = Session->GetToken();
    const std::string f = Form->OrvaneForm()->GetFormUUID();
    auto* edit = Form->OrvaneForm()->Controls().at(0);
    auto click = edit->GetEvents()->Item(orvane::TOrvaneEventType::EventOnClick);
    std::string events =
        "<script type=\"text/javascript\">\r\n"
        "  document.addEventListener(\"DOMContentLoaded\", function () {\r\n"
        "    if (document.getElementById(\"EDTNOME\") !== null) {\r\n"
        "      var _EVEDTNOME = document.getElementById(\"EDTNOME\");\r\n"
        "      _EVEDTNOME.addEventListener(\"click\", function (event) { "
        "OrvaneServer().ExecEvent('" +
        u + "', '" + t + "', '" + f + "', 'edtNome', '" + click->GetEventID() +
        "', \"OrvaneComponentsStatus=\" + GetComponentsStates(OrvaneComponents), true); });\r\n"
        "    }\r\n"
        "    document.querySelectorAll(\"input, select, textarea, button\").forEach(function "
        "(element) {\r\n"
        "      element.addEventListener(\"focus\", function (event) {\r\n"
        "        if (focusedElement !== event.target) {\r\n"
        "          focusedElement = event.target;\r\n"
        "          OrvaneServer().ExecEvent(\"" +
        u + "\", \"" + t + "\", \"" + f + "\", \"" + f +
        "\", \"ComponentFocused\", \"OrvaneComponentsStatus=\" + "
        "GetComponentsStates(OrvaneComponents) + \"&\" + \"FocusedID=\" + "
        "OrvaneParameterValue(event.target.id), "
        "false);\r\n"
        "        }\r\n"
        "      });\r\n"
        "    });\r\n"
        "  });\r\n"
        "  var OrvaneComponents = OrvaneComponents = "
        "[{\"OrvaneType\":\"TTestEdit\",\"id\":\"EDTNOME\"}];\r\n"
        "</script>";
    std::vector<std::string> parts = {
        Fill(Template("Variables.js"),
             {{"pathjs", "'js'"}, {"pathcss", "'css'"}, {"vexloloader", "true"}}),
        "<script type=\"text/javascript\" src=\"js/orvaneserver.js\"></script>\r\n"
        "<script type=\"text/javascript\" src=\"js/vexloloader.js\"></script>\r\n"
        "<script type=\"text/javascript\" src=\"js/jquery-3.6.4.js\"></script>\r\n"
        "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/sweetalert2.css\"/>\r\n"
        "<script type=\"text/javascript\" src=\"js/sweetalert2.js\"></script>\r\n"
        "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/all.min.css\"/>\r\n"
        "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/ui.jqgrid-bootstrap5.css\"/>\r\n"
        "<script type=\"text/javascript\" src=\"js/jquery.jqgrid.min.js\"></script>\r\n"
        "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/vexlo.css\"/>",
        Template("JSOrvaneWS.js"),
        Fill(Template("JSSetConnection.js"), {{"protocol", "ws"},
                                              {"host", "localhost"},
                                              {"Port", "8888"},
                                              {"urlpath", "/"},
                                              {"Token", t},
                                              {"UUID", u},
                                              {"ChannelName", "OrvaneCallBack"}}),
        Fill(Template("JSOrvaneMethods.js"),
             {{"version", "1.4.4"},
              {"servername", "Tamblo"},
              {"serverdescription", "Ouvidoria \\\"municipal\\\" \\u003cteste\\u003e"}}),
        events,
        Fill(Template("JSAfterPageLoad.js"), {{"UUID", u},
                                              {"Token", t},
                                              {"FormUUID", f},
                                              {"ControlID", f},
                                              {"EventID", "AfterPageLoad"}}),
        "",
        Fill(Template("JSPageUnload.js"), {{"UUID", u}, {"Token", t}, {"FormUUID", f}}),
    };
    std::string head;
    for (const std::string& p : parts) head += p + kCRLF;
    return head;
  }
  static std::string BodyBlock() {
    return std::string(
               "<div id=\"overlayerror\" style=\"display: none; position: fixed; top: 0; left: 0; "
               "width: 100%; height: 100%; background: rgba(0, 0, 0, 0.7); z-index: "
               "999999999;\">") +
           kCRLF +
           "<iframe id=\"iframeoverlayerror\" src=\"error500.html\" style=\"width: 100%; height: "
           "100%; border: none; background: white;\"></iframe>" +
           kCRLF + "</div>";
  }

  webtest::TTestRoot Root;
  std::shared_ptr<webtest::TRecordingSession> Session;
  std::unique_ptr<orvane::TOrvaneServerHTML> Html;
  orvane::TOrvaneHTTPRequest Request;
  vexlotest::TTestAdapters Adapters;
  TFixtureForm* Form = nullptr;
  ui::TEdit* Nome = nullptr;
};

}  // namespace

TEST_F(PageTest, APageTemplateWithTheExactHeadAndBodyBlocks) {
  Write("pages/cadastro.html",
        "<html><head><title>{{Title}}</title></HEAD><body><main>$orvanebody</main>"
        "$orvanepopup(confirma)<p>{{Nada}}</p></BODY></html>");
  MakeForm("pages\\cadastro.html");
  std::string page = Page();
  const std::string control = "<input  class=\"form-control\" style id=\"EDTNOME\" value=\"Ana\"/>";
  std::string popup = Form->Vexlo()->HTML().GetHTMLControls("CONFIRMA");
  EXPECT_EQ(page, "<html><head><title>Cadastro &amp; &lt;Teste&gt;</title>\r\n" + ExpectedHead() +
                      "\r\n</head><body><main><div class=\"row mt-2 mb-2\" style>\r\n" + control +
                      "\r\n</div></main>" + popup + "<p>{{Nada}}</p>\r\n" + BodyBlock() +
                      "\r\n</body></html>");
  orvane::TOrvaneForm* web = Form->OrvaneForm();
  EXPECT_EQ(web->GetFormCacheHTMLText(), page);
  EXPECT_EQ(web->GetFormPageState(), orvane::TOrvanePageState::PageStateLoading);
}

TEST_F(PageTest, TheGeneratedPageAndAMasterTemplate) {
  MakeForm("");
  std::string page = Page();
  ASSERT_EQ(page.rfind("<!DOCTYPE html>\r\n<html lang=\"pt-BR\">\r\n<head>\r\n"
                       "<title>Cadastro &amp; &lt;Teste&gt;</title>\r\n",
                       0),
            0u);
  EXPECT_NE(page.find("\r\n" + ExpectedHead() + "\r\n</head>\r\n<body>"), std::string::npos);
  // Without a page template the exact placeholder is replaced.
  EXPECT_NE(page.find("<div class=\"container-fluid\">\r\n<div class=\"row mt-2 mb-2\" style>\r\n"
                      "<input class=\"form-control\" style id=\"EDTNOME\"  value=\"Ana\"/>"),
            std::string::npos);
  EXPECT_NE(page.find("</div>\r\n\r\n" + BodyBlock() + "\r\n</body>\r\n</html>"),
            std::string::npos);

  DropForm();
  Write("master.html", "<html><head></head><body><nav>menu</nav>$OrvanePage</body></html>");
  Write("pages/p.html", "<section>$orvanebody</section>");
  MakeForm("pages/p.html", "master.html");
  page = Page();
  EXPECT_NE(page.find("<nav>menu</nav><section><div class=\"row mt-2 mb-2\" style>"),
            std::string::npos);
  EXPECT_NE(page.find("\r\n" + ExpectedHead() + "\r\n</head>"), std::string::npos);

  // A master template that does not exist falls back to the page template;
  // a page template that does not exist fails the page.
  DropForm();
  MakeForm("pages/p.html", "nao-existe.html");
  EXPECT_EQ(Page().rfind("<section>", 0), 0u);
  DropForm();
  MakeForm("pages/nao-existe.html");
  EXPECT_EQ(Page(), "<falhou>");
}

TEST_F(PageTest, BuiltInFilesAndTheLocalIcon) {
  struct Case {
    const char* Path;
    const char* Mime;
    bool Content;
    const char* Redirect;
  };
  const Case cases[] = {
      {"wwwroot/js/orvaneserver.js", "text/javascript", true, ""},
      {"wwwroot/js/VexloLoader.JS", "application/javascript", true, ""},
      {"wwwroot/js/jquery-3.6.4.js", "application/javascript", true, ""},
      {"wwwroot/css/sweetalert2.css", "text/css", true, ""},
      {"wwwroot/js/sweetalert2.js", "application/javascript", true, ""},
      {"wwwroot/js/jquery.jqgrid.min.js", "application/javascript", true, ""},
      {"wwwroot/css/ui.jqgrid-bootstrap5.css", "text/css", true, ""},
      {"wwwroot/css/vexlo.css", "text/css", true, ""},
      {"wwwroot/error500.html", "text/html", true, ""},
      {"wwwroot/favicon.ico", "image/x-icon", false, "/img/logo.png"},
      // No address of another host, and the head templates are not files.
      {"wwwroot/css/bootstrap.min.css", "", false, ""},
      {"wwwroot/js/bootstrap.bundle.min.js", "", false, ""},
      {"wwwroot/js/Variables.js", "", false, ""},
      {"wwwroot/nada.txt", "", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Path);
    std::string file = "x", content = "x", redirect = "x", mime = "x";
    Html->GetFile(c.Path, file, content, redirect, mime);
    EXPECT_EQ(file, "");
    EXPECT_EQ(mime, c.Mime);
    EXPECT_EQ(!content.empty(), c.Content);
    EXPECT_EQ(redirect, c.Redirect);
  }
  std::string file, content, redirect, mime;
  Html->GetFile("wwwroot/error500.html", file, content, redirect, mime);
  EXPECT_NE(content.find("500 - Conexão perdida"), std::string::npos);
}

TEST_F(PageTest, TheWebSocketTagsFollowTheRequestAndTheOptions) {
  MakeForm("");
  Root.Engine->GetOptions().SetUseSSL(true);
  Root.Engine->GetOptions().SetIncludeJQGrid(false);
  Request = {};
  // A Host header without a port (behind a proxy) and a hostile one.
  Request.Header.ParseHeaders("GET / HTTP/1.1\r\nHost: </script><b>x\r\n");
  std::string head = Html->Headers().HeadBlock(Request, *Session, *Form->OrvaneForm());
  EXPECT_NE(head.find("setConnection(\"wss\", \"\", \"0\", \"/\""), std::string::npos);
  Request = {};
  Request.Header.ParseHeaders("GET / HTTP/1.1\r\nHost: </script>:81\r\n");
  head = Html->Headers().HeadBlock(Request, *Session, *Form->OrvaneForm());
  EXPECT_EQ(head.find("</script>\""), std::string::npos);
  EXPECT_NE(head.find("\"\\u003c/script\\u003e\", \"81\""), std::string::npos);
  EXPECT_EQ(head.find("jqgrid"), std::string::npos);
}
