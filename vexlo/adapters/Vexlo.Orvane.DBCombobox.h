// The data-aware combo box kind: the data source and field of a web DB
// combo box and the hook reading the desktop item list.
#pragma once

#include "vexlo/Vexlo.Orvane.Item.h"
#include "vexlo/adapters/Vexlo.FrameworkItem.DataWare.h"

namespace vexlo {

class IVexloFrameworkItemDBCombobox {
 public:
  virtual ~IVexloFrameworkItemDBCombobox() = default;
  virtual void SetProcGetItems(orvane::TOnGetStrings AValue) = 0;
  virtual orvane::TOnGetStrings GetProcGetItems() const = 0;
  virtual IVexloDatawareDataSource& DataWare() = 0;
};

class OrvaneDBCombobox : public TVexloOrvaneItem, public IVexloFrameworkItemDBCombobox {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  void SetProcGetItems(orvane::TOnGetStrings AValue) override { FProcGetItems = std::move(AValue); }
  orvane::TOnGetStrings GetProcGetItems() const override { return FProcGetItems; }
  IVexloDatawareDataSource& DataWare() override { return FVexloDatawareDataSource; }

 private:
  orvane::TOnGetStrings FProcGetItems;
  TVexloDatawareDataSource FVexloDatawareDataSource;
};

}  // namespace vexlo
