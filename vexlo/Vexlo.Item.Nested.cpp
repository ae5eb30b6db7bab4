#include "vexlo/Vexlo.Item.Nested.h"

#include "orvane/server/Orvane.Server.HTTP.Commom.h"

namespace vexlo {

TVexloItemNested::TVexloItemNested(TVexloClass* ABaseClass) : TVexloItem(ABaseClass) {
  FOnBeginReader = [] {};
  FOnEndReader = [] {};
}

void TVexloItemNested::Render() {
  if (!FNestedFormName.empty()) Write("$orvanenested(" + orvane::UpperCase(FNestedFormName) + ")");
}

}  // namespace vexlo
