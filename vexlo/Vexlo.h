// The bridge object of a form, with the form's top-level layout items.
#pragma once

#include <memory>

#include "vexlo/Vexlo.BaseClass.h"
#include "vexlo/Vexlo.ItemCommon.h"

namespace vexlo {

class TVexlo : public TVexloClass {
 public:
  explicit TVexlo(TVexloForm* AForm);
  ~TVexlo() override;

  TVexloItems& Items() { return *FItems; }
  // Renders the top-level items.
  void Render();
  void AddControlItem(core::TComponent& AControl) override;

 private:
  std::unique_ptr<TVexloItems> FItems;
};

}  // namespace vexlo
