// The radio button adapter: a radio button as a web switch, as the check
// box adapter does (the switch itself lives with the check box adapter).
#pragma once

#include "vexlo/adapters/Vexlo.VCLObj.TCheckBox.h"

namespace vexlo {

class TVCLObjTRadioButton : public TVCLObjSwitch<ui::TRadioButton> {
 public:
  using TVCLObjSwitch::TVCLObjSwitch;
};

}  // namespace vexlo
