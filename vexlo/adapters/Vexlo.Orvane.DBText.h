// The data-aware label kind: the data source and field a web DB text shows.
#pragma once

#include "vexlo/Vexlo.Orvane.Item.h"
#include "vexlo/adapters/Vexlo.FrameworkItem.DataWare.h"

namespace vexlo {

class IVexloFrameworkItemDBText {
 public:
  virtual ~IVexloFrameworkItemDBText() = default;
  virtual IVexloDatawareDataSource& DataWare() = 0;
};

class OrvaneDBText : public TVexloOrvaneItem, public IVexloFrameworkItemDBText {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  // The data source when set, the field when not empty.
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  IVexloDatawareDataSource& DataWare() override { return FVexloDatawareDataSource; }

 private:
  TVexloDatawareDataSource FVexloDatawareDataSource;
};

// Hands a binding to a data-aware web control: the data source when set,
// the field when not empty.
template <class T>
void TransferBinding(const IVexloDatawareDataSource& ABinding, T& AControl) {
  if (ABinding.GetDataSource()) AControl.SetDataSource(ABinding.GetDataSource());
  if (!ABinding.GetDataField().empty()) AControl.SetDataField(ABinding.GetDataField());
}

}  // namespace vexlo
