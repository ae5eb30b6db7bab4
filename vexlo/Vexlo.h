// The per-form bridge object (its layout items come with the page rendering).
#pragma once

#include "vexlo/Vexlo.BaseClass.h"

namespace vexlo {

class TVexlo : public TVexloClass {};

}  // namespace vexlo
