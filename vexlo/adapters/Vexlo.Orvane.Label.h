// The label kind: configures a web label with the hook reading the desktop
// label's caption.
#pragma once

#include "vexlo/Vexlo.Orvane.Item.h"

namespace vexlo {

class IVexloFrameworkItemLabel {
 public:
  virtual ~IVexloFrameworkItemLabel() = default;
  virtual void SetOnGetText(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetOnGetText() const = 0;
};

class OrvaneLabel : public TVexloOrvaneItem, public IVexloFrameworkItemLabel {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  void SetOnGetText(orvane::TOnGetValue AValue) override { FProcGetText = std::move(AValue); }
  orvane::TOnGetValue GetOnGetText() const override { return FProcGetText; }

 private:
  orvane::TOnGetValue FProcGetText;
};

}  // namespace vexlo
