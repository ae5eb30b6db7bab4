// Pictures built into the program (PNG bytes).
#pragma once

#include <string_view>

namespace app {

std::string_view ResLogo();       // the city hall's emblem, 105 x 105
std::string_view ResLoginSide();  // the login window's decorative side, 447 x 535

}  // namespace app
