// The data-aware picture adapter: a desktop data-aware picture as a web
// picture showing what the desktop control shows (its field's picture, or
// a picture just loaded into it).
#pragma once

#include "vexlo/Vexlo.Orvane.h"
#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace vexlo {

class TVCLObjTDBImage : public TVexloVCLObj {
 public:
  using TVexloVCLObj::TVexloVCLObj;
  std::string CSSClass() const override { return "img-thumbnail"; }
  core::TComponentClass VCLClass() const override;
  void ProcessPropertyClass(orvane::TOrvaneControl* NewObj) override;
  void ProcessEventClass() override;

 protected:
  IVexloFrameworkItemPtr KindOf(IVexloFrameworkType& AFramework) override {
    auto* framework = dynamic_cast<TVexloOrvaneFramework*>(&AFramework);
    return framework ? framework->Kind(TVexloFrameworkKind::Image) : nullptr;
  }
};

}  // namespace vexlo
