// The data-aware lookup kind: the data source and field a web lookup combo
// box writes, the list dataset with its shown and key fields, and the hooks
// into the desktop control's text.
#pragma once

#include "vexlo/Vexlo.Orvane.Item.h"
#include "vexlo/adapters/Vexlo.FrameworkItem.DataWare.h"

namespace vexlo {

class IVexloFrameworkItemDBLookupCombobox {
 public:
  virtual ~IVexloFrameworkItemDBLookupCombobox() = default;
  virtual void SetOnGetText(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetOnGetText() const = 0;
  virtual void SetOnSetText(orvane::TOnSetValue AValue) = 0;
  virtual orvane::TOnSetValue GetOnSetText() const = 0;
  virtual IVexloDataware& Dataware() = 0;
};

class OrvaneDBLookupCombobox : public TVexloOrvaneItem, public IVexloFrameworkItemDBLookupCombobox {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  // Data source and field; list source, list field and key field, each
  // when set; the text hooks when set.
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  void SetOnGetText(orvane::TOnGetValue AValue) override { FProcGetText = std::move(AValue); }
  orvane::TOnGetValue GetOnGetText() const override { return FProcGetText; }
  void SetOnSetText(orvane::TOnSetValue AValue) override { FProcSetText = std::move(AValue); }
  orvane::TOnSetValue GetOnSetText() const override { return FProcSetText; }
  IVexloDataware& Dataware() override { return FVexloDataware; }

 private:
  orvane::TOnSetValue FProcSetText;
  orvane::TOnGetValue FProcGetText;
  TVexloDataware FVexloDataware;
};

}  // namespace vexlo
