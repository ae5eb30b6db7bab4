#include "vexlo/Vexlo.MainMenu.h"

#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.Server.HTML.Headers.h"
#include "orvane/server/Orvane.Util.h"
#include "vexlo/Vexlo.BaseClass.h"
#include "vexlo/Vexlo.Util.h"

namespace vexlo {

ui::TMenuItem* FindMenuItem(ui::TMenuItem* ARoot, const std::string& AName) {
  if (!ARoot || AName.empty()) return nullptr;
  for (int i = 0; i < ARoot->Count(); ++i) {
    ui::TMenuItem* item = ARoot->Items(i);
    if (item->Name() == AName) return item;
    if (ui::TMenuItem* found = FindMenuItem(item, AName)) return found;
  }
  return nullptr;
}

namespace {

// An item a person can choose: it and every item above it enabled and visible.
bool Choosable(ui::TMenuItem* AItem) {
  for (ui::TMenuItem* i = AItem; i && i->Parent(); i = i->Parent())
    if (!i->Enabled() || !i->Visible()) return false;
  return AItem != nullptr;
}

}  // namespace

std::string MainMenuHTML(TVexloClass& ABaseClass, ui::TMainMenu& AMenu) {
  orvane::TOrvaneForm* webForm = ABaseClass.GetFormObject();
  const std::string formUUID = webForm ? webForm->GetFormUUID() : "";
  const std::string callback = "CallBackEventMainMenu" + formUUID + "_" + AMenu.Name();
  ui::TMainMenu* menu = &AMenu;
  // The menu lives as long as its form, and the form's callbacks go with
  // its session; the item is looked up again at each call.
  ABaseClass.RegisterCallBack(callback, [menu](const orvane::TStringList& AParameters) {
    if (AParameters.empty()) return std::string();
    ui::TMenuItem* item = FindMenuItem(menu->Items(), AParameters.front());
    if (Choosable(item)) item->Click();
    return std::string();
  });
  auto call = [&](ui::TMenuItem* AItem) {
    return orvane::HTMLEscape(ABaseClass.CallBackJSFor(
               callback, formUUID, orvane::TOrvaneServerHTMLHeaders::ScriptString(AItem->Name()),
               true)) +
           "; return false;";
  };
  auto caption = [](ui::TMenuItem* AItem) {
    return orvane::HTMLEscape(StripAccelerators(AItem->Caption()));
  };
  std::string html;
  ui::TMenuItem* root = AMenu.Items();
  for (int i = 0; root && i < root->Count(); ++i) {
    ui::TMenuItem* item = root->Items(i);
    if (!item->Visible() || item->IsLine() || item->Caption().empty()) continue;
    const std::string id = orvane::UpperCase("MENU_" + item->Name());
    const std::string disabled = item->Enabled() ? "" : " disabled";
    if (item->Count() == 0) {
      html += "<li class=\"nav-item\"><a class=\"nav-link" + disabled + "\" id=\"" + id +
              "\" href=\"#\" onclick=\"" + call(item) + "\">" + caption(item) + "</a></li>\n";
      continue;
    }
    html += "<li class=\"nav-item dropdown\"><a class=\"nav-link dropdown-toggle" + disabled +
            "\" id=\"" + id +
            "\" href=\"#\" role=\"button\" data-bs-toggle=\"dropdown\" aria-expanded=\"false\">" +
            caption(item) + "</a>\n<ul class=\"dropdown-menu\" aria-labelledby=\"" + id + "\">\n";
    for (int k = 0; k < item->Count(); ++k) {
      ui::TMenuItem* sub = item->Items(k);
      if (!sub->Visible()) continue;
      if (sub->IsLine()) {
        html += "<li><hr class=\"dropdown-divider\"></li>\n";
        continue;
      }
      if (sub->Caption().empty()) continue;
      html += "<li><a class=\"dropdown-item" + std::string(sub->Enabled() ? "" : " disabled") +
              "\" id=\"" + orvane::UpperCase("MENU_" + sub->Name()) + "\" href=\"#\" onclick=\"" +
              call(sub) + "\">" + caption(sub) + "</a></li>\n";
    }
    html += "</ul></li>\n";
  }
  return html;
}

}  // namespace vexlo
