#include "orvane/controls/Orvane.Forms.Controls.h"

#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "orvane/server/Orvane.Util.h"

namespace orvane {

const core::TClassInfo& TOrvaneControl::StaticClass() {
  static core::TClassInfo info = [] {
    core::TClassInfo c("TOrvaneControl", &core::TComponent::StaticClass(),
                       core::FactoryOf<TOrvaneControl>());
    using core::TPropKind;
    c.AddProperty(CORE_PROP(TOrvaneControl, bool, "Enabled", TPropKind::Bool, "Boolean",
                            GetEnabledStored, SetEnabled));
    c.AddProperty(CORE_PROP(TOrvaneControl, bool, "Visible", TPropKind::Bool, "Boolean",
                            GetVisibleStored, SetVisible));
    c.AddProperty(CORE_PROP(TOrvaneControl, bool, "ReadOnly", TPropKind::Bool, "Boolean",
                            GetReadOnlyStored, SetReadOnly));
    c.AddProperty(CORE_PROP(TOrvaneControl, bool, "IsHidden", TPropKind::Bool, "Boolean",
                            GetIsHidden, SetIsHidden));
    c.AddProperty(CORE_PROP(TOrvaneControl, bool, "Required", TPropKind::Bool, "Boolean",
                            GetRequired, SetRequired));
    return c;
  }();
  return info;
}

TOrvaneControl::TOrvaneControl(core::TComponent* AOwner)
    : core::TComponent(AOwner),
      FIOrvaneControlEvents(std::make_shared<TOrvaneControlEvents>(this)) {
  if (auto* form = dynamic_cast<TOrvaneForm*>(AOwner)) form->AddControl(this);
}

TOrvaneControl::~TOrvaneControl() {
  BeginDestroy();
  FIOrvaneControlEvents.reset();
}

std::string TOrvaneControl::GetNamePrefix() const {
  std::string prefix = FForm ? FForm->GetControlsPrefix() : "";
  return prefix.empty() ? Name() : prefix + "_" + Name();
}

std::string TOrvaneControl::ID() const {
  return UpperCase(GetNamePrefix());
}

std::string TOrvaneControl::ElementJS() const {
  return "document.getElementById(\"" + ID() + "\")";
}

IOrvaneForm* TOrvaneControl::GetForm() const {
  return FForm;
}

TOrvaneOptions* TOrvaneControl::OrvaneOptions() const {
  return FForm ? FForm->OrvaneOptions() : nullptr;
}

bool TOrvaneControl::GetEnabled() {
  return FProcGetEnabled ? VarToBool(FProcGetEnabled()) : FStoredEnabled;
}

void TOrvaneControl::SetEnabled(bool AValue) {
  if (FProcSetEnabled && AValue != FStoredEnabled) FProcSetEnabled(AValue);
  FStoredEnabled = AValue;
}

bool TOrvaneControl::GetVisible() {
  return FProcGetVisible ? VarToBool(FProcGetVisible()) : FStoredVisible;
}

void TOrvaneControl::SetVisible(bool AValue) {
  if (FProcSetVisible && AValue != FStoredVisible) FProcSetVisible(AValue);
  FStoredVisible = AValue;
}

bool TOrvaneControl::GetReadOnly() {
  return FProcGetReadOnly ? VarToBool(FProcGetReadOnly()) : FStoredReadOnly;
}

void TOrvaneControl::SetReadOnly(bool AValue) {
  if (FProcSetReadOnly && AValue != FStoredReadOnly) FProcSetReadOnly(AValue);
  FStoredReadOnly = AValue;
}

void TOrvaneControl::SetVCLComponent(core::TComponent* AComponent) {
  if (FVCLComponent == AComponent) return;
  if (FVCLComponent) RemoveFreeNotification(FVCLComponent);
  FVCLComponent = AComponent;
  if (FVCLComponent) FreeNotification(FVCLComponent);
}

void TOrvaneControl::Notification(core::TComponent* AComponent, core::TOperation AOperation) {
  core::TComponent::Notification(AComponent, AOperation);
  if (AOperation == core::TOperation::opRemove && AComponent == FVCLComponent) {
    FVCLComponent = nullptr;
    // The hooks and the events read, write and call into that control: none
    // of them may run again.
    ClearHooks();
    FIOrvaneControlEvents = std::make_shared<TOrvaneControlEvents>(this);
  }
}

void TOrvaneControl::ClearHooks() {
  FProcGetEnabled = nullptr;
  FProcSetEnabled = nullptr;
  FProcGetVisible = nullptr;
  FProcSetVisible = nullptr;
  FProcGetReadOnly = nullptr;
  FProcSetReadOnly = nullptr;
}

std::string TOrvaneControl::StateAttributes(const std::string& ACore) {
  std::string core = ACore;
  if (!GetEnabled()) core += "disabled ";
  if (!GetVisible()) core = HTMLAddItemFromClass(core, "invisible");
  if (GetReadOnly()) core += "disabled ";
  if (GetRequired()) core += "required ";
  if (!VarIsEmpty(FValidationGroup))
    core += "validationgroup=\"" + HTMLEscape(VarToStr(FValidationGroup)) + "\" ";
  return core;
}

void TOrvaneControl::FormatHTMLControl(const std::string& AHTML) {
  const std::string open = "{%" + GetNamePrefix() + " ";
  size_t start = AHTML.find(open);
  if (start == std::string::npos) return;
  size_t close = AHTML.find("%}", start + open.size());
  if (close == std::string::npos) return;
  FUnformatedHTMLControl = AHTML.substr(start, close + 2 - start);
  std::string core = AHTML.substr(start + open.size(), close - start - open.size());
  const std::string id = ID();
  if (UpperCase(FUnformatedHTMLControl).find(" ID=\"" + id + "\"") == std::string::npos)
    core += " id=\"" + id + "\" ";
  FHTMLCore = StateAttributes(core);
  Initialize();
  ProcessHTML();
  if (FForm)
    if (IOrvaneVexloClass* vexlo = FForm->GetVexloClass())
      vexlo->DoRenderOrvaneControl(this, FHTMLControl);
}

void TOrvaneControl::Initialize() {
  FStoredEnabled = GetEnabled();
  FStoredVisible = GetVisible();
  FStoredReadOnly = GetReadOnly();
  if (!FInitilized) {
    FInitilized = true;
    if (FForm)
      if (IOrvaneVexloClass* vexlo = FForm->GetVexloClass())
        FForm->RunOnSessionThread([vexlo, this] { vexlo->DoInitOrvaneControl(this); });
  }
}

void TOrvaneControl::UpdateServerControls(TStringList& ScriptJS, bool /*AForceUpdate*/) {
  bool enabled = GetEnabled();
  if (enabled != FStoredEnabled) {
    FStoredEnabled = enabled;
    ScriptJS.push_back(ElementJS() + ".disabled = " + (enabled ? "false" : "true") + ";");
  }
  bool visible = GetVisible();
  if (visible != FStoredVisible) {
    FStoredVisible = visible;
    if (visible) {
      ScriptJS.push_back(ElementJS() + ".classList.remove(\"invisible\");");
      FHTMLCore = HTMLRemoveItemFromClass(FHTMLCore, "invisible");
    } else {
      ScriptJS.push_back(ElementJS() + ".classList.add(\"invisible\");");
    }
  }
  bool readOnly = GetReadOnly();
  if (readOnly != FStoredReadOnly) {
    FStoredReadOnly = readOnly;
    ScriptJS.push_back(ElementJS() + ".disabled = " + (readOnly ? "true" : "false") + ";");
  }
  FRefreshControl = false;
}

}  // namespace orvane
