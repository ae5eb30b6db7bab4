#include "vexlo/Vexlo.Item.HTML.Row.h"

#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "vexlo/Vexlo.Util.h"

namespace vexlo {

TVexloItemHTMLRow::TVexloItemHTMLRow(TVexloClass* ABaseClass)
    : TVexloItem(ABaseClass), FVexloItems(std::make_unique<TVexloItems>(ABaseClass)) {
  FOnBeginReader = [this] { BeginReader(); };
  FOnEndReader = [this] { Write("</div>"); };
}

void TVexloItemHTMLRow::BeginReader() {
  std::string classes = FInLine ? orvane::Trim("row form-inline mb-2 align-items-end " + FCSS)
                                : orvane::Trim(FTagRow + " " + FCSS);
  Write("<div " +
        TrataHTMLTag("class=\"" + classes + "\" style=\"" + FHTMLStyle + "\" " + FHTMLExtras) +
        ">");
}

void TVexloItemHTMLRow::Render() {
  RenderChildren(FVexloItems->Items());
}

}  // namespace vexlo
