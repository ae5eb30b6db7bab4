// The browser files built into the program: found by name in any case, with
// their MIME types and the exact bytes of the installed files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "orvane/server/Orvane.Assets.h"

using namespace orvane;

namespace {

std::string ReadSource(const std::string& ARelative) {
  const char* dir = std::getenv("TAMBLO_SOURCE_DIR");
  std::ifstream in(std::string(dir ? dir : ".") + "/" + ARelative, std::ios::binary);
  EXPECT_TRUE(in) << ARelative;
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::set<std::string> TagsIn(std::string_view AText) {
  std::set<std::string> tags;
  std::string text(AText);
  std::regex tag(R"(\{\{([^{}]*)\}\})");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), tag); it != std::sregex_iterator();
       ++it)
    tags.insert((*it)[1]);
  return tags;
}

}  // namespace

TEST(OrvaneAssets, EveryFileByNameWithItsTypeAndBytes) {
  const std::string npm = "assets/node_modules/";
  struct Case {
    std::string Name, Mime, Content;
  } cases[] = {
      {"jquery-3.6.4.js", "application/javascript", ReadSource(npm + "jquery/dist/jquery.min.js")},
      {"jquery.jqgrid.min.js", "application/javascript",
       ReadSource(npm + "jqGrid/js/i18n/grid.locale-pt-br.js") + ";\n" +
           ReadSource(npm + "jqGrid/js/jquery.jqGrid.min.js")},
      {"ui.jqgrid-bootstrap5.css", "text/css",
       ReadSource(npm + "jqGrid/css/ui.jqgrid-bootstrap5.css")},
      {"sweetalert2.js", "application/javascript",
       ReadSource(npm + "sweetalert2/dist/sweetalert2.min.js")},
      {"sweetalert2.css", "text/css", ReadSource(npm + "sweetalert2/dist/sweetalert2.min.css")},
      {"orvaneserver.js", "text/javascript", ReadSource("assets/engine/orvaneserver.js")},
      {"vexloloader.js", "application/javascript", ReadSource("assets/engine/vexloloader.js")},
      {"vexlo.css", "text/css", ReadSource("assets/engine/vexlo.css")},
      {"error500.html", "text/html", ReadSource("assets/engine/error500.html")},
  };
  for (const Case& c : cases) {
    const TOrvaneAsset* a = FindOrvaneAsset(c.Name);
    ASSERT_NE(a, nullptr) << c.Name;
    EXPECT_EQ(a->Name, c.Name);
    EXPECT_EQ(a->MimeType, c.Mime) << c.Name;
    EXPECT_FALSE(c.Content.empty()) << c.Name;
    EXPECT_TRUE(a->Content == c.Content)
        << c.Name << ": " << a->Content.size() << " bytes, file " << c.Content.size();
  }
  EXPECT_EQ(FindOrvaneAsset("JQUERY-3.6.4.JS"), FindOrvaneAsset("jquery-3.6.4.js"));
  EXPECT_EQ(FindOrvaneAsset("jquery.jqGrid.min.js"), FindOrvaneAsset("jquery.jqgrid.min.js"));
  EXPECT_EQ(FindOrvaneAsset("Error500.HTML"), FindOrvaneAsset("error500.html"));
}

TEST(OrvaneAssets, OnlyExactFileNames) {
  for (const char* name :
       {"", "jquery", "jquery-3.6.4.js ", "js/orvaneserver.js", "../assets/engine/vexlo.css",
        "bootstrap.min.css", "favicon.ico", "orvaneserver.js\\", "vexlo.cs"})
    EXPECT_EQ(FindOrvaneAsset(name), nullptr) << name;
}

// Each head template is the full text the page receives, <script> included
// (the reload script is pushed, so it is bare script), and carries exactly
// its tags, so the server only replaces tags.
TEST(OrvaneAssets, HeadTemplatesCarryTheirTags) {
  struct Case {
    std::string Name;
    std::set<std::string> Tags;
  } cases[] = {
      {"Variables.js", {"pathjs", "pathcss", "vexloloader"}},
      {"JSOrvaneWS.js", {}},
      {"JSSetConnection.js",
       {"protocol", "host", "Port", "urlpath", "Token", "UUID", "ChannelName"}},
      {"JSOrvaneMethods.js", {"version", "servername", "serverdescription"}},
      {"JSAfterPageLoad.js", {"Token", "UUID", "FormUUID", "ControlID", "EventID"}},
      {"JSReloadPage.js", {}},
      {"JSPageUnload.js", {}},
  };
  for (const Case& c : cases) {
    const TOrvaneAsset* a = FindOrvaneAsset(c.Name);
    ASSERT_NE(a, nullptr) << c.Name;
    EXPECT_EQ(a->Content, ReadSource("assets/engine/" + c.Name)) << c.Name;
    EXPECT_EQ(TagsIn(a->Content), c.Tags) << c.Name;
    // No other double braces that a tag pass could take for a tag.
    std::string text(a->Content);
    size_t braces = 0;
    for (size_t p = text.find("{{"); p != std::string::npos; p = text.find("{{", p + 2)) ++braces;
    size_t tagCount = 0;
    for (const auto& t : c.Tags) {
      std::string tag = "{{" + t + "}}";
      for (size_t p = text.find(tag); p != std::string::npos; p = text.find(tag, p + 1)) ++tagCount;
    }
    EXPECT_EQ(braces, tagCount) << c.Name;
    if (c.Name == "JSReloadPage.js") {
      EXPECT_EQ(text.find("<script"), std::string::npos);
    } else if (c.Name != "JSPageUnload.js") {
      EXPECT_NE(text.find("<script type=\"text/javascript\">"), std::string::npos) << c.Name;
      EXPECT_NE(text.find("</script>"), std::string::npos) << c.Name;
    }
  }
}

// Tags replaced at their first occurrence appear once, so the replacement
// lands where the script uses the value.
TEST(OrvaneAssets, FirstOccurrenceTagsAppearOnce) {
  for (const auto& [name, tag] : {std::pair{"JSSetConnection.js", "{{protocol}}"},
                                  {"JSSetConnection.js", "{{host}}"},
                                  {"JSSetConnection.js", "{{Port}}"},
                                  {"JSSetConnection.js", "{{urlpath}}"},
                                  {"Variables.js", "{{pathjs}}"},
                                  {"Variables.js", "{{pathcss}}"},
                                  {"Variables.js", "{{vexloloader}}"}}) {
    std::string text(FindOrvaneAsset(name)->Content);
    std::string lower = text;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    std::string t = tag;
    for (char& ch : t) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(lower.find(t), lower.rfind(t)) << name << " " << tag;
  }
}
