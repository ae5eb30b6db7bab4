// The upload item on small forms of a web session: its lines for the
// defaults and for the adder's choices, texts escaped, the address that
// names the page's web form, and the limits and delivery the server relies
// on (hidden items, forms without one, nested forms).
#include <gtest/gtest.h>

#include "tests/vexlo/VexloTestSupport.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.Item.HTML.Upload.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.Orvane.Form.h"

using namespace vexlo;
using vexlotest::TFixtureForm;
using webtest::InGuard;
using Lines = std::vector<std::string>;

namespace {

class UploadTest : public ::testing::Test {
 protected:
  void SetUp() override { Session = Root.NewSession(); }
  void TearDown() override {
    for (TVexloForm* f : Forms) vexlotest::FreeForm(*Session, f);
  }
  TFixtureForm* Form(std::function<void(TFixtureForm&)> ADeclare,
                     const std::string& AName = "fFixture") {
    TFixtureForm* f = vexlotest::NewForm(*Session, nullptr, std::move(ADeclare), AName);
    Forms.push_back(f);
    return f;
  }
  static bool Has(const Lines& ALines, const std::string& ALine) {
    for (const std::string& l : ALines)
      if (l.find(ALine) != std::string::npos) return true;
    return false;
  }

  webtest::TTestRoot Root;
  std::shared_ptr<webtest::TRecordingSession> Session;
  std::vector<TVexloForm*> Forms;
};

}  // namespace

TEST_F(UploadTest, TheDefaultsRenderOneFileOfFourTypesUpTo20MB) {
  std::shared_ptr<IVexloItemHTMLInput> item;
  TFixtureForm* f = Form([&](TFixtureForm& F) { item = F.Vexlo()->Items().Add().Upload(); });
  EXPECT_EQ(item->GetItemID(), "Upload1");
  Lines body = vexlotest::Render(*Session, *f);
  ASSERT_GE(body.size(), 8u);
  EXPECT_EQ(body[0], "<form id=\"uploadForm\" enctype=\"multipart/form-data\">");
  // No "multiple": two blanks before the accept attribute.
  EXPECT_EQ(body[2],
            "    <input type=\"file\" class=\"form-control\" id=\"fileInput\" name=\"fileInput\"  "
            "accept=\".jpg, .jpeg, .png, .pdf\">");
  EXPECT_TRUE(Has(body, "id=\"clearButton\""));
  EXPECT_TRUE(Has(body, "var allowedFileTypes = ['jpg', 'jpeg', 'png', 'pdf'];"));
  EXPECT_TRUE(Has(body, "var maxFileCount = 1;"));
  EXPECT_TRUE(Has(body, "var maxFileSizePerFile = 20 * 1024 * 1024;"));
  EXPECT_TRUE(Has(body, "var maxTotalFileSize = 20 * 1024 * 1024;"));
  // The files go to this page's web form of this session.
  const std::string address = "url: \"/vexlo/upload?token=" + Session->GetToken() +
                              "&orvanesession=" + Session->GetUUID() +
                              "&FormUUID=" + f->OrvaneForm()->GetFormUUID() + "\",";
  EXPECT_TRUE(Has(body, address));
  EXPECT_FALSE(Has(body, "Arquivos enviados com sucesso!"));
  // No change handler without a hidden upload button.
  EXPECT_FALSE(Has(body, "$('#fileInput').on('change'"));
}

TEST_F(UploadTest, TheAddersChoicesShapeTheLines) {
  struct TCase {
    const char* Types;
    int MaxFiles;
    bool InputVisible, Clean, UploadButton, Finish;
    std::vector<std::string> Present, Absent;
  };
  const TCase cases[] = {
      {"*",
       0,
       true,
       true,
       true,
       true,
       {"name=\"fileInput\" multiple >", "var allowedFileTypes = [];", "var maxFileCount = 0;",
        "Arquivos enviados com sucesso!"},
       {"accept="}},
      {"PDF, .Txt",
       3,
       false,
       false,
       false,
       false,
       {"name=\"fileInput\" multiple accept=\".pdf, .txt\" style=\"display: none;\">",
        "id=\"fileInputButton\"", "var allowedFileTypes = ['pdf', 'txt'];",
        "id=\"uploadButton\" style=\"display: none;\"", "$('#fileInput').on('change'"},
       {"clearButton"}},
  };
  for (const TCase& c : cases) {
    TFixtureForm* f = Form([&](TFixtureForm& F) {
      F.Vexlo()->Items().Add().Upload("<b>Enviar</b>", c.Types, c.MaxFiles, 5, c.InputVisible,
                                      c.Clean, c.UploadButton, c.Finish, 8);
    });
    Lines body = vexlotest::Render(*Session, *f);
    for (const std::string& p : c.Present) EXPECT_TRUE(Has(body, p)) << c.Types << ": " << p;
    for (const std::string& a : c.Absent) EXPECT_FALSE(Has(body, a)) << c.Types << ": " << a;
    // The caption is text, never markup.
    EXPECT_TRUE(Has(body, "&lt;b&gt;Enviar&lt;/b&gt;</button>")) << c.Types;
    EXPECT_FALSE(Has(body, "<b>Enviar")) << c.Types;
  }
}

TEST_F(UploadTest, TheServerLearnsTheLimitsOfTheItemThePageShows) {
  TFixtureForm* plain = Form(nullptr, "fSemEnvio");
  TFixtureForm* hidden = Form(
      [](TFixtureForm& F) { F.Vexlo()->Items().Add().Upload()->SetIsHidden(true); }, "fOculto");
  TFixtureForm* shown = Form(
      [](TFixtureForm& F) {
        F.Vexlo()->Items().Add().Row()->Items().Add().Upload("Enviar", "PDF,odt", 2, 3, true, true,
                                                             true, false, 5);
      },
      "fEnvio");
  for (TVexloForm* f : Forms) vexlotest::Render(*Session, *f);
  orvane::TOrvaneUploadLimits limits;
  InGuard(*Session, [&] {
    EXPECT_FALSE(plain->OrvaneForm()->GetUploadLimits(limits));
    EXPECT_FALSE(hidden->OrvaneForm()->GetUploadLimits(limits));
    ASSERT_TRUE(shown->OrvaneForm()->GetUploadLimits(limits));
  });
  EXPECT_EQ(limits.MaxFiles, 2);
  EXPECT_EQ(limits.MaxFileSize, 3u << 20);
  EXPECT_EQ(limits.MaxUploadSize, 5u << 20);
  EXPECT_EQ(limits.AllowedFileTypes, (std::vector<std::string>{"pdf", "odt"}));
}

TEST_F(UploadTest, ANestedFormsUploadGoesToTheNestedForm) {
  std::vector<std::string> hostFiles, nestedFiles;
  TFixtureForm* nested = Form(
      [&](TFixtureForm& F) {
        F.Vexlo()->Items().Add().Upload("Anexos", "*", 0, 0, true, true, true, false, 0);
        F.OnUpload() = [&](const std::vector<std::string>& AFiles, core::TComponent*) {
          nestedFiles = AFiles;
        };
      },
      "fAnexos");
  TFixtureForm* host = Form(
      [&](TFixtureForm& F) {
        F.Vexlo()->Items().Add().Nested("fAnexos");
        F.OnUpload() = [&](const std::vector<std::string>& AFiles, core::TComponent*) {
          hostFiles = AFiles;
        };
      },
      "fHospede");
  InGuard(*Session,
          [&] { dynamic_cast<TVexloOrvaneForm*>(host->OrvaneForm())->AddNested(nested); });
  Lines body = vexlotest::Render(*Session, *nested);
  // The page is the host's: the files are sent for its web form.
  EXPECT_TRUE(Has(body, "&FormUUID=" + host->OrvaneForm()->GetFormUUID() + "\","));
  orvane::TOrvaneUploadLimits limits;
  InGuard(*Session, [&] {
    ASSERT_TRUE(host->OrvaneForm()->GetUploadLimits(limits));
    host->OrvaneForm()->DoUpload({"/tmp/a.pdf"});
  });
  EXPECT_EQ(limits.MaxFiles, 0);
  EXPECT_TRUE(limits.AllowedFileTypes.empty());
  EXPECT_EQ(nestedFiles, std::vector<std::string>{"/tmp/a.pdf"});
  EXPECT_TRUE(hostFiles.empty());
}
