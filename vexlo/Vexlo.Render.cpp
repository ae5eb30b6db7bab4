#include "vexlo/Vexlo.Render.h"

#include "vexlo/Vexlo.BaseClass.h"

namespace vexlo {

void TVexloRender::RenderVexlo(const TVexloItemList& AItems) {
  std::vector<std::string>& body = FOwner->HTML().Body();
  for (const IVexloItemPtr& item : AItems) {
    if (!item) continue;
    const size_t start = body.size();
    if (TReaderNotify begin = item->GetOnBeginReader()) begin();
    item->PreProcess();
    item->RenderHTML();
    item->Render();
    if (TReaderNotify end = item->GetOnEndReader()) end();
    if (body.size() <= start) continue;
    std::string text;
    for (size_t i = start; i < body.size(); ++i) {
      if (i > start) text += TVexloHTML::kLineBreak;
      text += body[i];
    }
    FOwner->HTML().AddHTMLControls(item->GetItemID(), item->GetItemPrefixID(), text);
    if (item->GetIsHidden())
      body.erase(body.begin() + static_cast<std::ptrdiff_t>(start), body.end());
  }
}

}  // namespace vexlo
