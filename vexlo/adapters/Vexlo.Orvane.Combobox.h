// The combo box kind: configures a web combo box with the hooks into the
// desktop control's item list and selection.
#pragma once

#include "vexlo/Vexlo.Orvane.Item.h"

namespace vexlo {

class IVexloFrameworkItemCombobox {
 public:
  virtual ~IVexloFrameworkItemCombobox() = default;
  virtual void SetProcGetItems(orvane::TOnGetStrings AValue) = 0;
  virtual orvane::TOnGetStrings GetProcGetItems() const = 0;
  virtual void SetProcGetSelectedItem(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetProcGetSelectedItem() const = 0;
  virtual void SetProcSetSelectedItem(orvane::TOnSetValue AValue) = 0;
  virtual orvane::TOnSetValue GetProcSetSelectedItem() const = 0;
};

class OrvaneCombobox : public TVexloOrvaneItem, public IVexloFrameworkItemCombobox {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  void SetProcGetItems(orvane::TOnGetStrings AValue) override { FProcGetItems = std::move(AValue); }
  orvane::TOnGetStrings GetProcGetItems() const override { return FProcGetItems; }
  void SetProcGetSelectedItem(orvane::TOnGetValue AValue) override {
    FProcGetSelectedItem = std::move(AValue);
  }
  orvane::TOnGetValue GetProcGetSelectedItem() const override { return FProcGetSelectedItem; }
  void SetProcSetSelectedItem(orvane::TOnSetValue AValue) override {
    FProcSetSelectedItem = std::move(AValue);
  }
  orvane::TOnSetValue GetProcSetSelectedItem() const override { return FProcSetSelectedItem; }

 private:
  orvane::TOnGetStrings FProcGetItems;
  orvane::TOnSetValue FProcSetSelectedItem;
  orvane::TOnGetValue FProcGetSelectedItem;
};

}  // namespace vexlo
