// The check box adapter: a check box as a web switch, its checked state
// both ways. The radio button adapter is the same switch over a radio
// button.
#pragma once

#include "platform/ui/StdCtrls.h"
#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace vexlo {

// A desktop control C with a caption and a checked state as the check box
// kind: the caption and the state read from C, a browser state written into
// it.
template <class C>
class TVCLObjSwitch : public TVexloVCLObj {
 public:
  using TVexloVCLObj::TVexloVCLObj;
  std::string CSSClass() const override { return "form-check-input"; }
  core::TComponentClass VCLClass() const override { return &C::StaticClass(); }
  void ProcessPropertyClass(orvane::TOrvaneControl* NewObj) override;
  void ProcessEventClass() override;

 protected:
  IVexloFrameworkItemPtr KindOf(IVexloFrameworkType& AFramework) override {
    return AFramework.CheckBox();
  }
};

extern template class TVCLObjSwitch<ui::TCheckBox>;
extern template class TVCLObjSwitch<ui::TRadioButton>;

class TVCLObjTCheckBox : public TVCLObjSwitch<ui::TCheckBox> {
 public:
  using TVCLObjSwitch::TVCLObjSwitch;
};

}  // namespace vexlo
