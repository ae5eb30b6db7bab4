// The check box kind: configures a web check box with the hooks into the
// desktop control's caption and checked state, and its switch type.
#pragma once

#include "vexlo/Vexlo.Orvane.Item.h"

namespace vexlo {

class IVexloFrameworkItemCheckBox {
 public:
  virtual ~IVexloFrameworkItemCheckBox() = default;
  virtual void SetOnGetText(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetOnGetText() const = 0;
  virtual void SetOnGetChecked(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetOnGetChecked() const = 0;
  virtual void SetOnSetChecked(orvane::TOnSetValue AValue) = 0;
  virtual orvane::TOnSetValue GetOnSetChecked() const = 0;
  virtual void SetCheckBoxType(orvane::TCheckBoxType AValue) = 0;
  virtual orvane::TCheckBoxType GetCheckBoxType() const = 0;
};

class OrvaneCheckBox : public TVexloOrvaneItem, public IVexloFrameworkItemCheckBox {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  // The switch type always; the hooks when set; the check-change procedure
  // as an auto-published event.
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  void SetOnGetText(orvane::TOnGetValue AValue) override { FProcGetText = std::move(AValue); }
  orvane::TOnGetValue GetOnGetText() const override { return FProcGetText; }
  void SetOnGetChecked(orvane::TOnGetValue AValue) override { FProcGetChecked = std::move(AValue); }
  orvane::TOnGetValue GetOnGetChecked() const override { return FProcGetChecked; }
  void SetOnSetChecked(orvane::TOnSetValue AValue) override { FProcSetChecked = std::move(AValue); }
  orvane::TOnSetValue GetOnSetChecked() const override { return FProcSetChecked; }
  void SetCheckBoxType(orvane::TCheckBoxType AValue) override { FCheckBoxType = AValue; }
  orvane::TCheckBoxType GetCheckBoxType() const override { return FCheckBoxType; }

 private:
  orvane::TOnGetValue FProcGetText;
  orvane::TOnGetValue FProcGetChecked;
  orvane::TOnSetValue FProcSetChecked;
  orvane::TCheckBoxType FCheckBoxType = orvane::TCheckBoxType::CBSwitchType;
};

// Adds the check-change procedure to a web control's events as an
// auto-published event (the check box kinds use it).
void AddCheckChangeEvent(const TVexloEventProc& AProc, orvane::TOrvaneControl* NewObj);

}  // namespace vexlo
