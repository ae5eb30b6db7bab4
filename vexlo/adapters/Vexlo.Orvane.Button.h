// The button kind: configures a web button with the caption the desktop
// button had when it was rendered.
#pragma once

#include <string>

#include "vexlo/Vexlo.Orvane.Item.h"

namespace vexlo {

class OrvaneButton : public TVexloOrvaneItem, public IVexloFrameworkItemButton {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  // The caption goes over always, an empty one too.
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  void SetCaption(const std::string& AValue) override { FCaption = AValue; }
  std::string GetCaption() const override { return FCaption; }

 private:
  std::string FCaption;
};

}  // namespace vexlo
