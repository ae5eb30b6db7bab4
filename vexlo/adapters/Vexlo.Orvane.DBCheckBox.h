// The data-aware check box kind: the data source and field of a web DB check
// box, the texts the field holds for checked and unchecked, its switch type
// and the hook reading the desktop caption.
#pragma once

#include <string>

#include "vexlo/Vexlo.Orvane.Item.h"
#include "vexlo/adapters/Vexlo.FrameworkItem.DataWare.h"

namespace vexlo {

class IVexloFrameworkItemDBCheckBox {
 public:
  virtual ~IVexloFrameworkItemDBCheckBox() = default;
  virtual void SetOnGetText(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetOnGetText() const = 0;
  virtual std::string GetValueChecked() const = 0;
  virtual void SetValueChecked(const std::string& AValue) = 0;
  virtual std::string GetValueUnChecked() const = 0;
  virtual void SetValueUnChecked(const std::string& AValue) = 0;
  virtual void SetCheckBoxType(orvane::TCheckBoxType AValue) = 0;
  virtual orvane::TCheckBoxType GetCheckBoxType() const = 0;
  virtual IVexloDatawareDataSource& Dataware() = 0;
};

class OrvaneDBCheckBox : public TVexloOrvaneItem, public IVexloFrameworkItemDBCheckBox {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  // The binding; the type and both values always; the caption hook when
  // set; the check-change procedure as an auto-published event.
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  void SetOnGetText(orvane::TOnGetValue AValue) override { FProcGetText = std::move(AValue); }
  orvane::TOnGetValue GetOnGetText() const override { return FProcGetText; }
  std::string GetValueChecked() const override { return FValueChecked; }
  void SetValueChecked(const std::string& AValue) override { FValueChecked = AValue; }
  std::string GetValueUnChecked() const override { return FValueUnChecked; }
  void SetValueUnChecked(const std::string& AValue) override { FValueUnChecked = AValue; }
  void SetCheckBoxType(orvane::TCheckBoxType AValue) override { FCheckBoxType = AValue; }
  orvane::TCheckBoxType GetCheckBoxType() const override { return FCheckBoxType; }
  IVexloDatawareDataSource& Dataware() override { return FVexloDatawareDataSource; }

 private:
  orvane::TOnGetValue FProcGetText;
  orvane::TCheckBoxType FCheckBoxType = orvane::TCheckBoxType::CBSwitchType;
  TVexloDatawareDataSource FVexloDatawareDataSource;
  std::string FValueChecked;
  std::string FValueUnChecked;
};

}  // namespace vexlo
