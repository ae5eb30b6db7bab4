#include "vexlo/Vexlo.Item.HTML.Tabs.h"

#include "orvane/server/Orvane.Util.h"

namespace vexlo {

TVexloItemHTMLTabs::TVexloItemHTMLTabs(TVexloClass* ABaseClass) : TVexloItem(ABaseClass) {
  FCSS = "card-header-primary";
  FOnBeginReader = [this] { BeginReader(); };
}

IVexloItemHTMLTabItemPtr TVexloItemHTMLTabs::AddTab() {
  return AddTab(std::make_shared<TVexloItemHTMLTabItem>(FBaseClass, this));
}

IVexloItemHTMLTabItemPtr TVexloItemHTMLTabs::AddTab(const std::string& ATitle) {
  IVexloItemHTMLTabItemPtr tab = AddTab();
  tab->SetTitle(ATitle);
  return tab;
}

IVexloItemHTMLTabItemPtr TVexloItemHTMLTabs::AddTab(const IVexloItemHTMLTabItemPtr& AItem) {
  if (AItem) FTabs.push_back(AItem);
  return AItem;
}

void TVexloItemHTMLTabs::ClearTabs() {
  for (const IVexloItemHTMLTabItemPtr& tab : FTabs) {
    TVexloItems& items = tab->Items();
    while (items.Count() > 0) items.Remove(items.Item(items.Count() - 1));
  }
  FTabs.clear();
}

void TVexloItemHTMLTabs::BeginReader() {
  Write("<div id=\"" + FItemID + "\" class=\"" + FColSize + "\">");
  Write("<div class=\"card card-nav-tabs mb-1\">");
  Write("<div class=\"card-header " + FCSS + "\" style=\"" + FHTMLStyle + "\" " + FHTMLExtras +
        ">");
  Write("<div class=\"nav-tabs-navigation\">");
  Write("<div class=\"nav-tabs-wrapper\">");
}

void TVexloItemHTMLTabs::Render() {
  if (FTabs.empty()) {
    for (int i = 0; i < 5; ++i) Write("</div>");
    return;
  }
  Write("<ul class=\"nav nav-tabs border-bottom-0\" data-tabs=\"tabs\" role=\"tablist\">");
  for (size_t k = 0; k < FTabs.size(); ++k) {
    const std::string pane = "Tabs_" + FItemID + "_Item" + std::to_string(k);
    Write("<li class=\"nav-item\">");
    Write(std::string(k == 0 ? "<a class=\"nav-link active\" href=\"#"
                             : "<a class=\"nav-link\" href=\"#") +
          pane + "\" data-bs-toggle=\"tab\" data-bs-target=\"#" + pane +
          "\" role=\"tab\" aria-controls=\"profile-tab-pane\">" +
          orvane::HTMLEscape(FTabs[k]->GetTitle()) + "</a>");
    Write("</li>");
  }
  Write("</ul>");
  for (int i = 0; i < 3; ++i) Write("</div>");
  Write("<div class=\"card-body\">");
  Write("<div class=\"tab-content\">");
  for (size_t k = 0; k < FTabs.size(); ++k) {
    const std::string pane = "Tabs_" + FItemID + "_Item" + std::to_string(k);
    Write(std::string(k == 0 ? "<div class=\"tab-pane fade show active\" id=\""
                             : "<div class=\"tab-pane fade\" id=\"") +
          pane + "\" role=\"tabpanel\">");
    RenderChildren(FTabs[k]->Items().Items());
    Write("</div>");
  }
  for (int i = 0; i < 4; ++i) Write("</div>");
}

}  // namespace vexlo
