#include "vexlo/Vexlo.HTML.h"

#include "orvane/server/Orvane.Util.h"
#include "vexlo/Vexlo.Util.h"

namespace vexlo {

namespace {
const char* const kDefaultTitle = "Vexlo - Test Page";
}

void TVexloHTML::Clear() {
  FMeta.clear();
  FHeaders.clear();
  FStyles.clear();
  FScript.clear();
  FBody.clear();
  FHTMLControls.clear();
}

void TVexloHTML::AddHTMLControls(const std::string& AName, const std::string& ANamePrefix,
                                 const std::string& HTMLText) {
  if (!FHTMLControls.emplace(AName, HTMLText).second)
    throw EVexloError("Identificador de item repetido no formulário: \"" + AName + "\"");
  if (OnAddHTMLControls) OnAddHTMLControls(AName, ANamePrefix, HTMLText);
}

std::string TVexloHTML::GetHTMLControls(const std::string& AName) const {
  auto it = FHTMLControls.find(AName);
  return it == FHTMLControls.end() ? "" : it->second;
}

std::string TVexloHTML::BodyText() const {
  std::string text;
  for (size_t i = 0; i < FBody.size(); ++i) {
    if (i > 0) text += kLineBreak;
    text += FBody[i];
  }
  return text;
}

std::vector<std::string> TVexloHTML::MakeHTML() const {
  std::vector<std::string> lines;
  const HTMLOptions& o = FOptions;
  if (o.HTMLTags) {
    lines.push_back("<!DOCTYPE html>");
    lines.push_back("<html lang=\"pt-BR\">");
    lines.push_back("<head>");
    lines.push_back("<title>" + orvane::HTMLEscape(FTitle.empty() ? kDefaultTitle : FTitle) +
                    "</title>");
    if (o.IncludeCharSet) {
      lines.push_back("<meta charset=\"utf-8\"/>");
      lines.push_back("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"/>");
    }
    if (o.IncludeViewPort)
      lines.push_back("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>");
    lines.insert(lines.end(), FMeta.begin(), FMeta.end());
    if (o.IncluseBootStrap)
      lines.push_back(
          "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/bootstrap.min.css\"/>");
    lines.insert(lines.end(), FHeaders.begin(), FHeaders.end());
    lines.insert(lines.end(), FStyles.begin(), FStyles.end());
    lines.push_back("</head>");
    lines.push_back("<body>");
    lines.push_back(o.ValidateAllControls ? "<div class=\"was-validated\" id=\"VexloBody\">"
                                          : "<div id=\"VexloBody\">");
  }
  if (o.IncludeDIVContainer) lines.push_back("<div class=\"container-fluid\">");
  lines.insert(lines.end(), FBody.begin(), FBody.end());
  if (o.IncludeDIVContainer) lines.push_back("</div>");
  if (o.IncluseBootStrap) lines.push_back("<script src=\"js/bootstrap.bundle.min.js\"></script>");
  if (o.HTMLTags) {
    lines.push_back("</div>");
    lines.push_back("</body>");
    lines.push_back("</html>");
  }
  return lines;
}

}  // namespace vexlo
