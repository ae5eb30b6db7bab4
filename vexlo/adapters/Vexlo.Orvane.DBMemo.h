// The data-aware memo kind: the data source and field a web DB memo edits.
#pragma once

#include "vexlo/Vexlo.Orvane.Item.h"
#include "vexlo/adapters/Vexlo.FrameworkItem.DataWare.h"

namespace vexlo {

class IVexloFrameworkItemDBMemo {
 public:
  virtual ~IVexloFrameworkItemDBMemo() = default;
  virtual IVexloDatawareDataSource& DataWare() = 0;
};

class OrvaneDBMemo : public TVexloOrvaneItem, public IVexloFrameworkItemDBMemo {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  IVexloDatawareDataSource& DataWare() override { return FVexloDatawareDataSource; }

 private:
  TVexloDatawareDataSource FVexloDatawareDataSource;
};

}  // namespace vexlo
