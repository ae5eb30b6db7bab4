#include "orvane/controls/Orvane.Button.h"

namespace orvane {

const core::TClassInfo& TOrvaneButton::StaticClass() {
  static core::TClassInfo info = [] {
    core::TClassInfo c("TOrvaneButton", &TOrvaneControl::StaticClass(),
                       core::FactoryOf<TOrvaneButton>());
    c.AddProperty(CORE_PROP(TOrvaneButton, std::string, "Caption", core::TPropKind::String,
                            "TCaption", GetCaption, SetCaption));
    return c;
  }();
  return info;
}

void TOrvaneButton::ProcessHTML() {
  FHTMLControl = "<button " + FHTMLCore + (FDefault ? " data-orvane-default" : "") + ">" +
                 HTMLEscape(FCaption) + "</button>";
}

}  // namespace orvane
