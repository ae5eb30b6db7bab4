// The base of every web control: the server-side twin of one desktop
// control on a web page. It turns the placeholder the layout rendering wrote
// into its own HTML, reads and writes the desktop control through hooks the
// adapter installs, takes the browser's copy of its state before an event
// runs, and on each observer pass appends the statements that bring the page
// up to date.
#pragma once

#include <memory>
#include <string>

#include "orvane/controls/Orvane.Types.h"
#include "orvane/server/Orvane.Events.h"
#include "platform/core/Classes.h"

namespace orvane {

class TOrvaneForm;
class TOrvaneOptions;

class TOrvaneControl : public core::TComponent, public IOrvaneControl {
  CORE_DECLARE_CLASS()
 public:
  // Registers the control with its owner when the owner is a web form.
  explicit TOrvaneControl(core::TComponent* AOwner);
  ~TOrvaneControl() override;

  // --- identity ---
  std::string GetName() const override { return Name(); }
  // The form's controls prefix, "_" and the name when the form uses
  // prefixes; the name alone otherwise.
  std::string GetNamePrefix() const override;
  // The control's element id in the page: the upper-cased name prefix.
  std::string ID() const;
  std::string GetOrvaneType() const override { return ClassName(); }

  // --- state, through the hooks when installed ---
  bool GetEnabled() override;
  void SetEnabled(bool AValue);
  bool GetVisible() override;
  void SetVisible(bool AValue);
  bool GetReadOnly() override;
  void SetReadOnly(bool AValue);
  bool GetIsHidden() const { return FIsHidden; }
  void SetIsHidden(bool AValue) { FIsHidden = AValue; }
  bool GetRequired() const { return FRequired; }
  void SetRequired(bool AValue) { FRequired = AValue; }
  TOrvaneVariant GetValidationGroup() const { return FValidationGroup; }
  void SetValidationGroup(const TOrvaneVariant& AValue) { FValidationGroup = AValue; }

  // The desktop control mirrored (free notification keeps the reference
  // valid: when it goes, the hooks and events into it are dropped).
  void SetVCLComponent(core::TComponent* AComponent);
  core::TComponent* GetVCLComponent() const override { return FVCLComponent; }
  void SetForm(TOrvaneForm* AForm) { FForm = AForm; }
  IOrvaneForm* GetForm() const override;
  TOrvaneForm* Form() const { return FForm; }

  // --- HTML ---
  // Takes the placeholder the renderer wrote ("{%" + name prefix + " " +
  // attributes + "%}") out of AHTML and builds the control's HTML from it.
  void FormatHTMLControl(const std::string& AHTML);
  void SetHTMLControl(const std::string& AValue) { FHTMLControl = AValue; }
  const std::string& GetHTMLControl() const { return FHTMLControl; }
  const std::string& GetUnformatedHTMLControl() const { return FUnformatedHTMLControl; }
  const std::string& GetHTMLCore() const { return FHTMLCore; }
  void SetHTMLCore(const std::string& AValue) { FHTMLCore = AValue; }
  // The attribute text that the control's state adds to a core: disabled,
  // the invisible class, required and the validation group.
  std::string StateAttributes(const std::string& ACore);

  std::shared_ptr<IOrvaneControlEvents> GetEvents() override { return FIOrvaneControlEvents; }
  bool RefreshControl() const { return FRefreshControl; }
  // Forces a full update of this control on the next observer pass.
  void Refresh() { FRefreshControl = true; }
  TOrvaneControl* AsControl() { return this; }
  // The web engine's options, or null without an engine.
  TOrvaneOptions* OrvaneOptions() const;

  // --- the virtual operations ---
  virtual bool IsDBGrid() override { return false; }
  virtual bool IsButton() { return false; }
  virtual bool IsCheckBox() { return false; }
  virtual bool IsCombobox() { return false; }
  virtual bool IsDBCheckBox() { return false; }
  virtual bool IsDBCombobox() { return false; }
  virtual bool IsDBEdit() { return false; }
  virtual bool IsDBMemo() { return false; }
  virtual bool IsDBText() { return false; }
  virtual bool IsEdit() { return false; }
  virtual bool IsLabel() { return false; }
  bool NeedCheckValidation() override { return false; }
  // Stores the current states; the first time also lets the bridge form
  // adjust the control (on a session thread).
  virtual void Initialize();
  // Builds FHTMLControl from FHTMLCore.
  virtual void ProcessHTML() = 0;
  // Appends the statements for the enabled, visible and read-only changes
  // since the last pass (the base ignores AForceUpdate).
  virtual void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate);
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>& AEvent,
                              TStringList& AParameters) override = 0;
  void ProcessComponentState(const nlohmann::json& AComponentStateInfo) override = 0;
  virtual bool GetEnableComponentState() = 0;

  // --- hooks into the desktop control ---
  const TOnGetValue& ProcGetEnabled() const { return FProcGetEnabled; }
  void SetProcGetEnabled(TOnGetValue AValue) { FProcGetEnabled = std::move(AValue); }
  const TOnSetValue& ProcSetEnabled() const { return FProcSetEnabled; }
  void SetProcSetEnabled(TOnSetValue AValue) { FProcSetEnabled = std::move(AValue); }
  const TOnGetValue& ProcGetVisible() const { return FProcGetVisible; }
  void SetProcGetVisible(TOnGetValue AValue) { FProcGetVisible = std::move(AValue); }
  const TOnSetValue& ProcSetVisible() const { return FProcSetVisible; }
  void SetProcSetVisible(TOnSetValue AValue) { FProcSetVisible = std::move(AValue); }
  const TOnGetValue& ProcGetReadOnly() const { return FProcGetReadOnly; }
  void SetProcGetReadOnly(TOnGetValue AValue) { FProcGetReadOnly = std::move(AValue); }
  const TOnSetValue& ProcSetReadOnly() const { return FProcSetReadOnly; }
  void SetProcSetReadOnly(TOnSetValue AValue) { FProcSetReadOnly = std::move(AValue); }

  bool Initilized() const { return FInitilized; }
  // The flags the browser was last given.
  bool GetEnabledStored() const { return FStoredEnabled; }
  bool GetVisibleStored() const { return FStoredVisible; }
  bool GetReadOnlyStored() const { return FStoredReadOnly; }

 protected:
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override;
  // Drops every hook into the desktop control (it is gone). Controls with
  // hooks of their own extend this.
  virtual void ClearHooks();
  // "document.getElementById(\"ID\")" for the statements.
  std::string ElementJS() const;

  std::string FHTMLControl;
  std::string FHTMLCore;
  std::string FUnformatedHTMLControl;
  std::shared_ptr<IOrvaneControlEvents> FIOrvaneControlEvents;
  core::TComponent* FVCLComponent = nullptr;
  bool FIsHidden = false;
  TOrvaneForm* FForm = nullptr;
  bool FStoredEnabled = true;
  bool FStoredVisible = true;
  bool FStoredReadOnly = false;
  TOnGetValue FProcGetEnabled;
  TOnSetValue FProcSetEnabled;
  TOnGetValue FProcGetVisible;
  TOnSetValue FProcSetVisible;
  TOnGetValue FProcGetReadOnly;
  TOnSetValue FProcSetReadOnly;
  bool FRefreshControl = false;
  bool FRequired = false;
  TOrvaneVariant FValidationGroup;
  bool FInitilized = false;
};

}  // namespace orvane
