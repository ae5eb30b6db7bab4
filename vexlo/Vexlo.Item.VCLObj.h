// The desktop-control item: stands in a layout for one control of the form.
// It finds the adapter registered for the control's class, writes the
// control's placeholder line into the body and creates the control's web
// counterpart through the adapter's framework control type.
//
// Adapters are registered by name ("TVCLObj" + desktop class name) at start;
// a control whose class has none is written as an HTML comment naming the
// class (and reported on standard error), so the rest of the page still
// renders.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "orvane/controls/Orvane.Types.h"
#include "vexlo/Vexlo.Framework.h"
#include "vexlo/Vexlo.Item.h"

namespace ui {
class TPopupMenu;
}

namespace vexlo {

class TVexloItemVCLObj;

// An adapter: connects one desktop control class to one kind of web control.
class IVexloVCLObj {
 public:
  virtual ~IVexloVCLObj() = default;
  // The adapter's base Bootstrap class.
  virtual std::string CSSClass() const = 0;
  // The desktop class served.
  virtual core::TComponentClass VCLClass() const = 0;
  // The framework control type object of the adapter's kind.
  virtual IVexloFrameworkItemPtr FrameworkItemClass() = 0;
  // The names of the published properties copied to the web control.
  virtual std::vector<std::string> PropertyCopyList() = 0;
  // Configures the framework control type object.
  virtual void ProcessPropertyClass(orvane::TOrvaneControl* NewObj) = 0;
  // Sets the type object's event procedures.
  virtual void ProcessEventClass() = 0;
};

class IVexloItemVCLObjCore {
 public:
  virtual ~IVexloItemVCLObjCore() = default;
  virtual TVexloItemVCLObj& GetVexloItemVCLObj() = 0;
};

class IVexloItemVCLObj : public virtual IVexloItem {
 public:
  virtual core::TComponent* GetItem() const = 0;
  // Stores the control, finds its adapter and takes the control's name as
  // the item identifier.
  virtual void SetItem(core::TComponent* AValue) = 0;
  virtual bool GetRequired() const = 0;
  virtual void SetRequired(bool AValue) = 0;
  virtual orvane::TOrvaneVariant GetValidationGroup() const = 0;
  virtual void SetValidationGroup(const orvane::TOrvaneVariant& AValue) = 0;
  virtual ui::TPopupMenu* GetPopupMenu() const = 0;
  virtual void SetPopupMenu(ui::TPopupMenu* AValue) = 0;
};

class TVexloItemVCLObj : public TVexloItem, public IVexloItemVCLObj {
 public:
  explicit TVexloItemVCLObj(TVexloClass* ABaseClass);
  ~TVexloItemVCLObj() override;

  core::TComponent* GetItem() const override { return FItem; }
  void SetItem(core::TComponent* AValue) override;
  bool GetRequired() const override { return FRequired; }
  void SetRequired(bool AValue) override { FRequired = AValue; }
  orvane::TOrvaneVariant GetValidationGroup() const override { return FValidationGroup; }
  void SetValidationGroup(const orvane::TOrvaneVariant& AValue) override {
    FValidationGroup = AValue;
  }
  ui::TPopupMenu* GetPopupMenu() const override { return FPopupMenu; }
  void SetPopupMenu(ui::TPopupMenu* AValue) override { FPopupMenu = AValue; }
  // The style, followed by " white-space: pre-line;" for labels and DB texts.
  std::string GetHTMLStyle() const override;
  void PreProcess() override;
  void RenderHTML() override;
  void Render() override;

  IVexloVCLObj* BridgeVCLObj() const { return FBridgeVCLObj.get(); }
  // "Left", "Top", "Width", "Heigth", "Parent", "Caption", "Color",
  // "Enabled", "Visible".
  static std::vector<std::string> DefaultPropertyCopyList();
  // True when the adapter's kind is the button kind.
  bool IsButtonAdapter() const;

 private:
  // The drop-down menu of a button: a callback that clicks the chosen menu
  // item, and one list entry per visible item.
  void RenderPopupMenu();

  core::TComponent* FItem = nullptr;
  ui::TPopupMenu* FPopupMenu = nullptr;
  std::unique_ptr<IVexloVCLObj> FBridgeVCLObj;
  bool FRequired = false;
  orvane::TOrvaneVariant FValidationGroup;
};

// --- the adapter registry ---
using TVexloVCLObjFactory = std::function<std::unique_ptr<IVexloVCLObj>(TVexloItemVCLObj& AItem)>;
// Registers (or replaces) the adapter class of that name.
void RegisterVexloVCLObj(const std::string& AName, TVexloVCLObjFactory AFactory);
void UnregisterVexloVCLObj(const std::string& AName);
// A desktop class name as the adapters see it: TCxButton and TBitBtn count
// as TButton, TLabeledEdit as TEdit, TAdvSearchComboBox as TComboBox.
std::string OverrideVCL(const std::string& AClassName);
// The adapter for the item's control: the one registered as "TVCLObj" + the
// normalised class name whose VCLClass is that class; null when none.
std::unique_ptr<IVexloVCLObj> BridgeVCLObjClass(TVexloItemVCLObj& AItem);
// Whether an adapter is registered for that (normalised) class name.
bool VexloVCLObjSupported(const std::string& AClassName);

}  // namespace vexlo
