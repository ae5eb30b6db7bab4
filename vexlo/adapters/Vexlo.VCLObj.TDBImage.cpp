#include "vexlo/adapters/Vexlo.VCLObj.TDBImage.h"

#include "platform/ui/DBCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.Image.h"

namespace vexlo {

core::TComponentClass TVCLObjTDBImage::VCLClass() const {
  return &ui::TDBImage::StaticClass();
}

void TVCLObjTDBImage::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneImage>();
  auto* image = ControlAs<ui::TDBImage>();
  if (!kind || !image) return;
  SetEnabledVisibleProcs(*kind, image);
  kind->SetProcGetPicture([image](std::string& AData, std::string& AExtension) {
    AData = image->Picture().Data();
    AExtension = image->Picture().Extension();
  });
}

void TVCLObjTDBImage::ProcessEventClass() {
  if (auto kind = FrameworkItemClass()) ForwardEvents(*kind, ControlAs<ui::TDBImage>(), feClick);
}

}  // namespace vexlo
