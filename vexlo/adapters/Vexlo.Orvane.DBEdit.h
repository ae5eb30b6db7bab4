// The data-aware edit kind: the data source and field a web DB edit edits,
// and its letter case. The data type is kept but not passed on: the web
// control takes its type from the field.
#pragma once

#include "vexlo/Vexlo.Orvane.Item.h"
#include "vexlo/adapters/Vexlo.FrameworkItem.DataWare.h"

namespace vexlo {

class IVexloFrameworkItemDBEdit {
 public:
  virtual ~IVexloFrameworkItemDBEdit() = default;
  virtual orvane::TOrvaneFieldType GetEditDataType() const = 0;
  virtual void SetEditDataType(orvane::TOrvaneFieldType AValue) = 0;
  virtual orvane::TEditCharCase GetCharCase() const = 0;
  virtual void SetCharCase(orvane::TEditCharCase AValue) = 0;
  virtual IVexloDatawareDataSource& DataWare() = 0;
};

class OrvaneDBEdit : public TVexloOrvaneItem, public IVexloFrameworkItemDBEdit {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  orvane::TOrvaneFieldType GetEditDataType() const override { return FDataType; }
  void SetEditDataType(orvane::TOrvaneFieldType AValue) override { FDataType = AValue; }
  orvane::TEditCharCase GetCharCase() const override { return FCharCase; }
  void SetCharCase(orvane::TEditCharCase AValue) override { FCharCase = AValue; }
  IVexloDatawareDataSource& DataWare() override { return FVexloDatawareDataSource; }

 private:
  TVexloDatawareDataSource FVexloDatawareDataSource;
  orvane::TOrvaneFieldType FDataType = orvane::TOrvaneFieldType::OrvaneFieldTypeAuto;
  orvane::TEditCharCase FCharCase = orvane::TEditCharCase::ecNormal;
};

}  // namespace vexlo
