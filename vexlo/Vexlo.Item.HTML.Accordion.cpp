#include "vexlo/Vexlo.Item.HTML.Accordion.h"

#include "orvane/server/Orvane.Util.h"
#include "vexlo/Vexlo.Util.h"

namespace vexlo {

TVexloItemHTMLAccordion::TVexloItemHTMLAccordion(TVexloClass* ABaseClass) : TVexloItem(ABaseClass) {
  FOnBeginReader = [this] {
    Write("<div class=\"" + FColSize + " mb-4\">");
    Write("<div class=\"accordion\">");
  };
  FOnEndReader = [this] {
    Write("</div>");
    Write("</div>");
  };
}

IVexloItemHTMLAccordionItemPtr TVexloItemHTMLAccordion::AddAccordionItem() {
  return AddAccordionItem(std::make_shared<TVexloItemHTMLAccordionItem>(FBaseClass, this));
}

IVexloItemHTMLAccordionItemPtr TVexloItemHTMLAccordion::AddAccordionItem(
    const std::string& ATitle) {
  IVexloItemHTMLAccordionItemPtr entry = AddAccordionItem();
  entry->SetTitle(ATitle);
  return entry;
}

IVexloItemHTMLAccordionItemPtr TVexloItemHTMLAccordion::AddAccordionItem(
    const IVexloItemHTMLAccordionItemPtr& AItem) {
  if (AItem) FAccordionItems.push_back(AItem);
  return AItem;
}

void TVexloItemHTMLAccordion::Render() {
  if (FAccordionItems.empty()) return;
  // New element ids on every render.
  const std::string r = Gerar_String_Aleatorio(4);
  for (size_t k = 0; k < FAccordionItems.size(); ++k) {
    const std::string n = r + std::to_string(k);
    Write("<div class=\"accordion-item mt-2 mb-2\">");
    Write("<h2 class=\"accordion-header\" id=\"panelsStayOpen-heading" + n + "\">");
    Write(
        "<button class=\"accordion-button p-2 collapsed\" type=\"button\" "
        "data-bs-toggle=\"collapse\" data-bs-target=\"#panelsStayOpen-collapse" +
        n + "\" aria-expanded=\"false\" aria-controls=\"panelsStayOpen-collapse" + n + "\">");
    Write(orvane::HTMLEscape(FAccordionItems[k]->GetTitle()));
    Write("</button>");
    Write("</h2>");
    Write("<div id=\"panelsStayOpen-collapse" + n +
          "\" class=\"accordion-collapse collapse\" aria-labelledby=\"panelsStayOpen-heading" + n +
          "\">");
    Write("<div class=\"accordion-body\">");
    Write("<div class=\"m-2\">");
    RenderChildren(FAccordionItems[k]->Items().Items());
    for (int i = 0; i < 4; ++i) Write("</div>");
  }
}

}  // namespace vexlo
