#include "vexlo/adapters/Vexlo.Orvane.Image.h"

namespace vexlo {

void OrvaneImage::Clear() {
  TVexloOrvaneItem::Clear();
  FProcGetPicture = nullptr;
}

core::TComponentClass OrvaneImage::FrameworkClass() {
  return &orvane::TOrvaneImage::StaticClass();
}

void OrvaneImage::ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  if (auto* image = dynamic_cast<orvane::IOrvaneImage*>(NewObj); image && FProcGetPicture)
    image->SetProcGetPicture(FProcGetPicture);
}

}  // namespace vexlo
