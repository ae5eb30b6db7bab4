#include "vexlo/Vexlo.Item.h"

#include "vexlo/Vexlo.BaseClass.h"

namespace vexlo {

std::string TVexloItem::GetItemPrefixID() const {
  std::string prefix = FBaseClass ? FBaseClass->Prefix() : "";
  return prefix.empty() ? FItemID : prefix + "_" + FItemID;
}

void TVexloItem::Write(const std::string& ALine) const {
  if (FBaseClass) FBaseClass->HTML().Body().push_back(ALine);
}

void TVexloItem::RenderChildren(const TVexloItemList& AItems) const {
  if (FBaseClass && !AItems.empty()) FBaseClass->RenderVexlo(AItems);
}

}  // namespace vexlo
