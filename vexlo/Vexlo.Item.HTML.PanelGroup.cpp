#include "vexlo/Vexlo.Item.HTML.PanelGroup.h"

#include "orvane/server/Orvane.Util.h"

namespace vexlo {

TVexloItemHTMLPanelGroup::TVexloItemHTMLPanelGroup(TVexloClass* ABaseClass)
    : TVexloItem(ABaseClass), FVexloItems(std::make_unique<TVexloItems>(ABaseClass)) {
  FCSS = "expanel-default";
  FOnBeginReader = [this] { BeginReader(); };
  FOnEndReader = [this] { EndReader(); };
}

void TVexloItemHTMLPanelGroup::BeginReader() {
  Write("<div class=\"" + FColSize + " pt-2\">");
  Write("<div class=\"expanel " + FCSS + "\" style=\"" + FHTMLStyle + "\" " + FHTMLExtras + ">");
  Write("<div class=\"expanel-heading\">");
  Write("<h3 class=\"expanel-title\">" + orvane::HTMLEscape(FTitle) + "</h3>");
  Write("</div>");
  Write("<div class=\"expanel-body\">");
}

void TVexloItemHTMLPanelGroup::EndReader() {
  Write("</div>");
  Write("</div>");
  Write("</div>");
}

void TVexloItemHTMLPanelGroup::Render() {
  RenderChildren(FVexloItems->Items());
}

}  // namespace vexlo
