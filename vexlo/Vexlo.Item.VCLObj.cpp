#include "vexlo/Vexlo.Item.VCLObj.h"

#include <iostream>
#include <map>
#include <mutex>
#include <set>

#include "orvane/controls/Orvane.Forms.Controls.h"
#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.Server.HTML.Headers.h"
#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "orvane/server/Orvane.Util.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Menus.h"
#include "vexlo/Vexlo.BaseClass.h"
#include "vexlo/Vexlo.Forms.h"
#include "vexlo/Vexlo.Util.h"

namespace vexlo {

using orvane::Trim;
using orvane::UpperCase;

// ---------------------------------------------------------------------------
// The adapter registry

namespace {

std::mutex& RegistryLock() {
  static std::mutex lock;
  return lock;
}

std::vector<std::pair<std::string, TVexloVCLObjFactory>>& Registry() {
  static std::vector<std::pair<std::string, TVexloVCLObjFactory>> registry;
  return registry;
}

}  // namespace

void RegisterVexloVCLObj(const std::string& AName, TVexloVCLObjFactory AFactory) {
  std::lock_guard<std::mutex> g(RegistryLock());
  for (auto& [name, factory] : Registry())
    if (core::SameText(name, AName)) {
      factory = std::move(AFactory);
      return;
    }
  Registry().emplace_back(AName, std::move(AFactory));
}

void UnregisterVexloVCLObj(const std::string& AName) {
  std::lock_guard<std::mutex> g(RegistryLock());
  auto& r = Registry();
  for (auto it = r.begin(); it != r.end(); ++it)
    if (core::SameText(it->first, AName)) {
      r.erase(it);
      return;
    }
}

std::string OverrideVCL(const std::string& AClassName) {
  if (core::SameText(AClassName, "TCxButton") || core::SameText(AClassName, "TBitBtn"))
    return "TButton";
  if (core::SameText(AClassName, "TLabeledEdit")) return "TEdit";
  if (core::SameText(AClassName, "TAdvSearchComboBox")) return "TComboBox";
  return AClassName;
}

bool VexloVCLObjSupported(const std::string& AClassName) {
  const std::string wanted = "TVCLObj" + OverrideVCL(AClassName);
  std::lock_guard<std::mutex> g(RegistryLock());
  for (const auto& [name, factory] : Registry())
    if (core::SameText(name, wanted)) return true;
  return false;
}

std::unique_ptr<IVexloVCLObj> BridgeVCLObjClass(TVexloItemVCLObj& AItem) {
  core::TComponent* control = AItem.GetItem();
  if (!control) return nullptr;
  const std::string normalised = OverrideVCL(control->ClassName());
  const std::string wanted = "TVCLObj" + normalised;
  std::vector<TVexloVCLObjFactory> candidates;
  {
    std::lock_guard<std::mutex> g(RegistryLock());
    for (const auto& [name, factory] : Registry())
      if (core::SameText(name, wanted)) candidates.push_back(factory);
  }
  for (const TVexloVCLObjFactory& factory : candidates) {
    std::unique_ptr<IVexloVCLObj> adapter = factory ? factory(AItem) : nullptr;
    if (adapter && adapter->VCLClass() &&
        core::SameText(adapter->VCLClass()->ClassName(), normalised))
      return adapter;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// TVexloItemVCLObj

TVexloItemVCLObj::TVexloItemVCLObj(TVexloClass* ABaseClass) : TVexloItem(ABaseClass) {}

TVexloItemVCLObj::~TVexloItemVCLObj() = default;

void TVexloItemVCLObj::SetItem(core::TComponent* AValue) {
  FItem = AValue;
  FBridgeVCLObj.reset();
  if (FItem) {
    FBridgeVCLObj = BridgeVCLObjClass(*this);
    FItemID = FItem->Name();
  }
}

std::vector<std::string> TVexloItemVCLObj::DefaultPropertyCopyList() {
  return {"Left", "Top", "Width", "Heigth", "Parent", "Caption", "Color", "Enabled", "Visible"};
}

bool TVexloItemVCLObj::IsButtonAdapter() const {
  if (!FBridgeVCLObj) return false;
  IVexloFrameworkItemPtr kind = FBridgeVCLObj->FrameworkItemClass();
  return dynamic_cast<IVexloFrameworkItemButton*>(kind.get()) != nullptr;
}

std::string TVexloItemVCLObj::GetHTMLStyle() const {
  if (FItem) {
    const std::string cls = OverrideVCL(FItem->ClassName());
    if (core::SameText(cls, "TLabel") || core::SameText(cls, "TDBText"))
      return FHTMLStyle + " white-space: pre-line;";
  }
  return FHTMLStyle;
}

void TVexloItemVCLObj::PreProcess() {
  auto* control = dynamic_cast<ui::TControl*>(FItem);
  // Once: a caption already rendered has lost its markers, and a "&" left
  // from "&&" must stay.
  if (!control || Renderized() || !IsButtonAdapter()) return;
  // The accelerator markers go; a doubled "&&" stands for one "&".
  const std::string& text = control->Text();
  const std::string plain = StripAccelerators(text);
  if (plain != text) control->SetText(plain);
}

void TVexloItemVCLObj::RenderHTML() {
  if (!FItem) return;
  IVexloFrameworkItemPtr kind = FBridgeVCLObj ? FBridgeVCLObj->FrameworkItemClass() : nullptr;
  // An adapter whose kind has no web control class yet cannot show its
  // control either.
  if (!FBridgeVCLObj || (kind && !kind->FrameworkClass())) {
    // Without an adapter the control cannot be shown; the rest of the page
    // still is.
    const std::string message =
        "Class Type " + FItem->ClassName() + " not supported to Vexlo Framework yet (Error X001-3)";
    Write("<!-- " + message + " -->");
    // Told once per class, not on every page.
    static std::mutex reportedLock;
    static std::set<std::string> reported;
    std::lock_guard<std::mutex> g(reportedLock);
    if (reported.insert(FItem->ClassName()).second) std::cerr << "Vexlo: " << message << std::endl;
    return;
  }
  const bool button = IsButtonAdapter();
  const bool dropdown = button && FPopupMenu;
  const std::string base = FBridgeVCLObj->CSSClass();
  const std::string classSuffix = dropdown ? " dropdown-toggle" : "";
  const std::string attributeSuffix =
      dropdown ? " data-bs-toggle=\"dropdown\" aria-expanded=\"false\"" : "";
  if (dropdown) Write("<div class=\"dropdown\">");
  std::string css = FCSS;
  size_t open = css.find("[override");
  if (open == std::string::npos) {
    if (button && css.empty()) css = "btn-primary";
    Write("{%" +
          TrataHTMLTag(GetItemPrefixID() + " class=\"" + Trim(base + " " + css + classSuffix) +
                       "\" style=\"" + GetHTMLStyle() + "\" " + FHTMLExtras + attributeSuffix) +
          "%}");
  } else {
    // An override directive, "[override-<kind>-<argument>]".
    size_t close = css.find(']', open);
    std::string directive =
        css.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    std::string remaining = css;
    remaining.erase(open, close == std::string::npos ? std::string::npos : close - open + 1);
    remaining = Trim(remaining);
    std::string rest = directive.substr(directive.find('-') + 1);
    size_t end = rest.find_first_of(" -");
    std::string kind = rest.substr(0, end);
    std::string argument = end == std::string::npos ? "" : rest.substr(end);
    if (!argument.empty() && argument[0] == '-') argument.erase(0, 1);
    argument = Trim(argument);
    if (core::SameText(kind, "button")) {
      auto* control = dynamic_cast<ui::TControl*>(FItem);
      Write("<button type=\"button\" class=\"" + Trim(base + " " + remaining + classSuffix) +
            "\" id=\"" + UpperCase(GetItemPrefixID()) + "\" " + attributeSuffix + "><i class=\"" +
            orvane::HTMLEscape(argument) + "\"></i>" +
            orvane::HTMLEscape(control ? control->Text() : "") + "</button>");
    }
  }
  if (dropdown) {
    RenderPopupMenu();
    Write("</div>");
  }
}

void TVexloItemVCLObj::RenderPopupMenu() {
  ui::TPopupMenu* menu = FPopupMenu;
  if (!menu || !FBaseClass) return;
  orvane::TOrvaneForm* webForm = FBaseClass->GetFormObject();
  const std::string formUUID = webForm ? webForm->GetFormUUID() : "";
  // Keyed by the web form and the menu, so that two forms with a menu of the
  // same name do not act on each other.
  const std::string callback = "CallBackEventPopup" + formUUID + "_" + menu->Name();
  ui::TMenuItem* root = menu->Items();
  FBaseClass->RegisterCallBack(callback, [root](const orvane::TStringList& AParameters) {
    if (AParameters.empty() || !root) return std::string();
    const std::string& clicked = AParameters.front();
    for (int i = 0; i < root->Count(); ++i) {
      ui::TMenuItem* item = root->Items(i);
      if (item->Name() == clicked) {
        if (item->Enabled() && item->Visible()) item->Click();
        return std::string();
      }
      for (int k = 0; k < item->Count(); ++k) {
        ui::TMenuItem* sub = item->Items(k);
        if (sub->Name() == clicked) {
          if (sub->Enabled() && sub->Visible()) sub->Click();
          return std::string();
        }
      }
    }
    return std::string();
  });
  auto entry = [&](ui::TMenuItem* AItem, const std::string& ACaption) {
    std::string call = FBaseClass->CallBackJSFor(
        callback, formUUID, orvane::TOrvaneServerHTMLHeaders::ScriptString(AItem->Name()), true);
    Write("<li><a class=\"dropdown-item\" onclick=\"" + orvane::HTMLEscape(call) +
          "\" href=\"#\">" + orvane::HTMLEscape(ACaption) + "</a></li>");
  };
  Write("<ul class=\"dropdown-menu\" aria-labelledby=\"dropdownMenu" + GetItemPrefixID() + "\">");
  for (int i = 0; root && i < root->Count(); ++i) {
    ui::TMenuItem* item = root->Items(i);
    if (!item->Visible() || item->IsLine() || item->Caption().empty()) continue;
    if (item->Count() == 0) {
      entry(item, item->Caption());
      continue;
    }
    for (int k = 0; k < item->Count(); ++k) {
      ui::TMenuItem* sub = item->Items(k);
      if (!sub->Visible() || sub->IsLine() || sub->Caption().empty()) continue;
      entry(sub, item->Caption() + "->" + sub->Caption());
    }
  }
  Write("</ul>");
}

void TVexloItemVCLObj::Render() {
  if (Renderized() || !FItem || !FBridgeVCLObj || !FBaseClass) return;
  orvane::TOrvaneForm* form = FBaseClass->GetFormObject();
  IVexloFrameworkItemPtr kind = FBridgeVCLObj->FrameworkItemClass();
  if (!form || !kind) return;
  kind->Clear();
  core::TComponentClass cls = kind->FrameworkClass();
  if (!cls || !cls->CanCreate()) return;
  auto* control = dynamic_cast<orvane::TOrvaneControl*>(cls->Create(form));
  if (!control) return;
  control->SetVCLComponent(FItem);
  control->SetIsHidden(FIsHidden);
  control->SetRequired(FRequired);
  control->SetValidationGroup(FValidationGroup);
  // Same-named published properties of identical type travel from the
  // desktop control to the web control; one that fails is skipped.
  for (const std::string& name : FBridgeVCLObj->PropertyCopyList()) {
    const core::TPropInfo* from = FItem->ClassType().FindProperty(name);
    const core::TPropInfo* to = control->ClassType().FindProperty(name);
    if (!from || !to || !from->Get || !to->Set || from->Kind != to->Kind ||
        from->TypeName != to->TypeName)
      continue;
    try {
      to->Set(*control, from->Get(*FItem));
    } catch (...) {
    }
  }
  FBridgeVCLObj->ProcessPropertyClass(control);
  kind->ProcessPropertyClass(FItem, control);
  control->SetName(FItemID);
  FBridgeVCLObj->ProcessEventClass();
  kind->ProcessEventClass(FItem, control);
  FRenderized = true;
}

}  // namespace vexlo
