// The picture kind: configures a web picture with the hook reading the
// desktop picture's bytes.
#pragma once

#include "orvane/controls/Orvane.Image.h"
#include "vexlo/Vexlo.Orvane.Item.h"

namespace vexlo {

class OrvaneImage : public TVexloOrvaneItem {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  void SetProcGetPicture(orvane::TOnGetPicture AValue) { FProcGetPicture = std::move(AValue); }

 private:
  orvane::TOnGetPicture FProcGetPicture;
};

}  // namespace vexlo
