// The edit kind: configures a web edit with the text hooks into the desktop
// control, its data type and its letter case.
#pragma once

#include "vexlo/Vexlo.Orvane.Item.h"

namespace vexlo {

class IVexloFrameworkItemEdit {
 public:
  virtual ~IVexloFrameworkItemEdit() = default;
  virtual void SetOnGetText(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetOnGetText() const = 0;
  virtual void SetOnSetText(orvane::TOnSetValue AValue) = 0;
  virtual orvane::TOnSetValue GetOnSetText() const = 0;
  virtual void SetEditDataType(orvane::TOrvaneFieldType AValue) = 0;
  virtual orvane::TOrvaneFieldType GetEditDataType() const = 0;
  virtual orvane::TEditCharCase GetCharCase() const = 0;
  virtual void SetCharCase(orvane::TEditCharCase AValue) = 0;
};

class OrvaneEdit : public TVexloOrvaneItem, public IVexloFrameworkItemEdit {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  // Data type and letter case always; the text hooks when set.
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  void SetOnGetText(orvane::TOnGetValue AValue) override { FProcGetText = std::move(AValue); }
  orvane::TOnGetValue GetOnGetText() const override { return FProcGetText; }
  void SetOnSetText(orvane::TOnSetValue AValue) override { FProcSetText = std::move(AValue); }
  orvane::TOnSetValue GetOnSetText() const override { return FProcSetText; }
  void SetEditDataType(orvane::TOrvaneFieldType AValue) override { FDataType = AValue; }
  orvane::TOrvaneFieldType GetEditDataType() const override { return FDataType; }
  orvane::TEditCharCase GetCharCase() const override { return FCharCase; }
  void SetCharCase(orvane::TEditCharCase AValue) override { FCharCase = AValue; }

 private:
  orvane::TOnSetValue FProcSetText;
  orvane::TOnGetValue FProcGetText;
  orvane::TOrvaneFieldType FDataType = orvane::TOrvaneFieldType::OrvaneFieldTypeAuto;
  orvane::TEditCharCase FCharCase = orvane::TEditCharCase::ecNormal;
};

}  // namespace vexlo
