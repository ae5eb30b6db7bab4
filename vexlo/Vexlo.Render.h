// The render pass: runs each item's writers in list order and captures the
// lines every item produced.
#pragma once

#include "vexlo/Vexlo.Item.h"

namespace vexlo {

class TVexloRender {
 public:
  explicit TVexloRender(TVexloClass* AOwner) : FOwner(AOwner) {}
  // For each item: its opening writer, PreProcess, RenderHTML, Render, its
  // closing writer; then the lines it added are captured under its
  // identifier, and taken out of the body again when the item is hidden.
  void RenderVexlo(const TVexloItemList& AItems);

 private:
  TVexloClass* FOwner;
};

}  // namespace vexlo
