#include "orvane/controls/Orvane.DBGrid.Columns.Buttons.h"

#include "orvane/controls/Orvane.DBGrid.Columns.h"
#include "orvane/server/Orvane.Util.h"

namespace orvane {

namespace {

// A text for the cell template: HTML-escaped, then escaped for the
// template literal.
std::string Safe(const std::string& AText) {
  return TemplateLiteralEscape(HTMLEscape(AText));
}

void AddWords(std::string& AOut, const std::string& AWords) {
  size_t i = 0;
  while (i < AWords.size()) {
    while (i < AWords.size() && AWords[i] == ' ') ++i;
    size_t e = AWords.find(' ', i);
    if (e == std::string::npos) e = AWords.size();
    if (e > i) {
      if (!AOut.empty()) AOut += ' ';
      AOut += AWords.substr(i, e - i);
    }
    i = e;
  }
}

}  // namespace

std::string TemplateLiteralEscape(const std::string& AText) {
  std::string out;
  out.reserve(AText.size());
  for (size_t i = 0; i < AText.size(); ++i) {
    char c = AText[i];
    if (c == '\\' || c == '`' || (c == '$' && i + 1 < AText.size() && AText[i + 1] == '{'))
      out += '\\';
    out += c;
  }
  return out;
}

// ---------------------------------------------------------------------------
// TOrvaneDBGridColumnButton

TOrvaneDBGridColumnButton::TOrvaneDBGridColumnButton(
    const std::shared_ptr<TOrvaneDBGridColumn>& AColumn, const std::string& AName,
    const std::shared_ptr<IOrvaneDBGridColumnButton>& AParent)
    : FName(AName), FIdentify(AName), FOrvaneDBGridColumn(AColumn), FButtonParent(AParent) {}

IOrvaneDBGridColumnButtonPtr TOrvaneDBGridColumnButton::Add() {
  auto button = std::make_shared<TOrvaneDBGridColumnButton>(
      FOrvaneDBGridColumn.lock(), "Parent" + FName + "_" + std::to_string(FButtons.size() + 1),
      shared_from_this());
  FButtons.push_back(button);
  return button;
}

void TOrvaneDBGridColumnButton::Add(const IOrvaneDBGridColumnButtonPtr& AButton) {
  if (AButton) FButtons.push_back(AButton);
}

std::string TOrvaneDBGridColumnButton::ElementID() const {
  auto column = FOrvaneDBGridColumn.lock();
  return (column ? column->GridID() : std::string()) + FName;
}

std::string TOrvaneDBGridColumnButton::Classes() const {
  std::string classes;
  AddWords(classes, FCSS);
  AddWords(classes, FButtonType);
  AddWords(classes, FButtonWidth);
  AddWords(classes, FButtonHeigth);
  return classes;
}

std::string TOrvaneDBGridColumnButton::OnClickJS() const {
  auto column = FOrvaneDBGridColumn.lock();
  std::string grid = column ? column->GridID() : std::string();
  int index = column ? column->GetColumnIndex() : 0;
  return Safe(grid + "_CellButtonClick(" + std::to_string(index) + ",this)");
}

std::string TOrvaneDBGridColumnButton::MakeHTML() const {
  auto column = FOrvaneDBGridColumn.lock();
  const std::string grid = column ? column->GridID() : std::string();
  const bool dropdown = !FButtons.empty();
  std::string html;
  if (dropdown) html += "<div class=\"dropdown celldropdown\">";
  html += "<button recno=\"${recNo}\" id=\"" + Safe(ElementID()) + "\" class=\"" +
          Safe(Classes()) + "\"" + " onclick=\"" + OnClickJS() + "\"";
  if (dropdown) html += " data-bs-toggle=\"dropdown\" aria-expanded=\"false\"";
  html += " style=\"\">";
  if (!FButtonIcon.empty())
    html += "<i class=\"" + Safe(FButtonIcon) + (FCaption.empty() ? "" : " me-2") +
            "\" aria-hidden=\"true\"></i>";
  html += Safe(FCaption) + "</button>";
  if (dropdown) {
    html += "<ul class=\"dropdown-menu\" aria-labelledby=\"" + Safe(grid) + "\">";
    for (const IOrvaneDBGridColumnButtonPtr& sub : FButtons) {
      html += "<li><a recno=\"${recNo}\" id=\"" + Safe(sub->ElementID()) +
              "\" class=\"dropdown-item\" onclick=\"" + OnClickJS() + "\">";
      if (!sub->GetButtonIcon().empty())
        html += "<i class=\"" + Safe(sub->GetButtonIcon()) + " me-2\" aria-hidden=\"true\"></i>";
      html += Safe(sub->GetCaption()) + "</a></li>";
    }
    html += "</ul></div>";
  }
  return html;
}

// ---------------------------------------------------------------------------
// TOrvaneDBGridColumnButtons

IOrvaneDBGridColumnButtonPtr TOrvaneDBGridColumnButtons::Add() {
  auto button = std::make_shared<TOrvaneDBGridColumnButton>(
      FColumn.shared_from_this(), "GridButton" + std::to_string(FButtons.size() + 1));
  FButtons.push_back(button);
  FColumn.SetDataFieldModel(TOrvaneFieldModel::OrvaneFieldModelButton);
  return button;
}

void TOrvaneDBGridColumnButtons::Add(const IOrvaneDBGridColumnButtonPtr& AButton) {
  if (!AButton) return;
  FButtons.push_back(AButton);
  FColumn.SetDataFieldModel(TOrvaneFieldModel::OrvaneFieldModelButton);
}

std::string TOrvaneDBGridColumnButtons::MakeHTML() const {
  std::string html;
  for (size_t i = 0; i < FButtons.size(); ++i) {
    if (i) html += "<span class=\"me-2\"></span>";
    html += FButtons[i]->MakeHTML();
  }
  if (html.empty()) return html;
  return "<div class=\"cellgridcolbuttons d-flex\">" + html + "</div>";
}

}  // namespace orvane
