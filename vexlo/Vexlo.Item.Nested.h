// The place of a nested form's page: a marker that page assembly replaces
// by the nested form's body.
#pragma once

#include "vexlo/Vexlo.Item.h"

namespace vexlo {

class IVexloItemNested : public virtual IVexloItem {
 public:
  virtual std::string GetNestedFormName() const = 0;
  virtual void SetNestedFormName(const std::string& AValue) = 0;
};

class TVexloItemNested : public TVexloItem, public IVexloItemNested {
 public:
  explicit TVexloItemNested(TVexloClass* ABaseClass);
  std::string GetNestedFormName() const override { return FNestedFormName; }
  void SetNestedFormName(const std::string& AValue) override { FNestedFormName = AValue; }
  void Render() override;

 private:
  std::string FNestedFormName;
};

}  // namespace vexlo
