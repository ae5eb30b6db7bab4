// A form's menu bar on its web page: a Bootstrap navigation list whose
// entries click the desktop menu's own items on the server, so the menu bar
// and the page run the same handlers.
#pragma once

#include <string>

#include "platform/ui/Menus.h"

namespace vexlo {

class TVexloClass;

// The list items ("<li>" lines) of the menu bar: a drop-down per top-level
// item with sub-items, a plain link for one without. Disabled items show
// disabled; invisible ones are left out. Registers, once per form and menu,
// the session callback the entries call. Texts are HTML-escaped.
std::string MainMenuHTML(TVexloClass& ABaseClass, ui::TMainMenu& AMenu);

// The item named AName in the menu tree, or null.
ui::TMenuItem* FindMenuItem(ui::TMenuItem* ARoot, const std::string& AName);

}  // namespace vexlo
