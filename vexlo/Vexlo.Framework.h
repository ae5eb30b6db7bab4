// The interfaces between a bridge object and the web side it exports to:
// the framework export object (IVexloFrameworkType), its web form
// (IVexloFrameworkForm) and the framework control types
// (IVexloFrameworkItem), one object per kind of web control, which an
// adapter configures and which then configure each freshly created web
// control.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "orvane/controls/Orvane.Types.h"
#include "orvane/server/Orvane.Events.h"
#include "platform/core/Classes.h"

namespace orvane {
class TOrvaneControl;
class TOrvaneForm;
}  // namespace orvane

namespace vexlo {

class TVexloClass;
class TVexloForm;

// An event procedure: receives the event's parameters ("name=value" lines).
using TVexloEventProc = orvane::TOnEventProc;

// The kinds of web control a framework export object has a type object for.
enum class TVexloFrameworkKind {
  Button,
  Edit,
  Text,
  CheckBox,
  DBCheckBox,
  DBText,
  DBEdit,
  DBMemo,
  DBCombobox,
  DBLookupCombobox,
  Combobox,
  DBGrid,
  // The picture (data-aware or not), beyond the twelve kinds of the engine.
  Image
};
constexpr int kVexloFrameworkKindCount = 13;

class IVexloFrameworkItem {
 public:
  virtual ~IVexloFrameworkItem() = default;
  // Releases every procedure and resets the kind's own values.
  virtual void Clear() = 0;
  // The class of the web control this kind configures.
  virtual core::TComponentClass FrameworkClass() = 0;
  // Copies the state procedures and the kind's configuration into NewObj.
  virtual void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) = 0;
  // Adds the event procedures to NewObj's events.
  virtual void ProcessEventClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) = 0;
  virtual void ProcessPropertyByName(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj,
                                     const orvane::TOrvaneVariant& PropertyValue,
                                     const std::string& PropertyName) = 0;
  virtual void SetOnClick(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnClick() const = 0;
  virtual void SetOnEnter(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnEnter() const = 0;
  virtual void SetOnExit(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnExit() const = 0;
  virtual void SetOnChange(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnChange() const = 0;
  virtual void SetOnKeyDown(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnKeyDown() const = 0;
  virtual void SetOnSelectAll(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnSelectAll() const = 0;
  virtual void SetOnUnselectAll(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnUnselectAll() const = 0;
  virtual void SetOnSelect(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnSelect() const = 0;
  virtual void SetOnCheck(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnCheck() const = 0;
  virtual void SetOnCheckChange(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnCheckChange() const = 0;
  virtual void SetOnUnCheck(TVexloEventProc AValue) = 0;
  virtual TVexloEventProc GetOnUnCheck() const = 0;
  virtual void SetGetEnabled(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetGetEnabled() const = 0;
  virtual void SetSetEnabled(orvane::TOnSetValue AValue) = 0;
  virtual orvane::TOnSetValue GetSetEnabled() const = 0;
  virtual void SetGetVisible(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetGetVisible() const = 0;
  virtual void SetSetVisible(orvane::TOnSetValue AValue) = 0;
  virtual orvane::TOnSetValue GetSetVisible() const = 0;
  virtual void SetGetReadOnly(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetGetReadOnly() const = 0;
  virtual void SetSetReadOnly(orvane::TOnSetValue AValue) = 0;
  virtual orvane::TOnSetValue GetSetReadOnly() const = 0;
};

using IVexloFrameworkItemPtr = std::shared_ptr<IVexloFrameworkItem>;

// What the button kind adds: the caption given at render time. The control
// item treats an adapter whose kind offers this as a button.
class IVexloFrameworkItemButton {
 public:
  virtual ~IVexloFrameworkItemButton() = default;
  virtual void SetCaption(const std::string& AValue) = 0;
  virtual std::string GetCaption() const = 0;
};

// The web form of a bridge object, as the bridge sees it.
class IVexloFrameworkForm {
 public:
  virtual ~IVexloFrameworkForm() = default;
  virtual void Hide() = 0;
  virtual void Show() = 0;
  virtual void Clear() = 0;
  virtual TVexloClass* GetBaseClass() const = 0;
  virtual void SetBaseClass(TVexloClass* AValue) = 0;
  virtual std::string GetFormUUID() const = 0;
  virtual void AddNested(TVexloForm* AVexloForm) = 0;
  // The web form itself.
  virtual orvane::TOrvaneForm* AsOrvaneForm() = 0;
};

// The per-form factory of the web side: its web form, the template names
// and one framework control type object per kind.
class IVexloFrameworkType {
 public:
  virtual ~IVexloFrameworkType() = default;
  virtual void CreateForm() = 0;
  virtual core::TComponentClass FormClass() const = 0;
  virtual orvane::TOrvaneForm* GetForm() const = 0;
  virtual bool FormShowing() const = 0;
  virtual void SetForm(IVexloFrameworkForm* AForm) = 0;
  virtual void SetTemplateMasterHTMLFile(const std::string& AValue) = 0;
  virtual void SetTemplatePageHTMLFile(const std::string& AValue) = 0;
  virtual std::string GetTemplateMasterHTMLFile() const = 0;
  virtual std::string GetTemplatePageHTMLFile() const = 0;
  virtual void AddFormByClass(core::TComponentClass AFormClass, core::TComponent* AOwner) = 0;
  virtual void ShowLoader() = 0;
  virtual void HideLoader() = 0;
  virtual IVexloFrameworkItemPtr Text() = 0;
  virtual IVexloFrameworkItemPtr Edit() = 0;
  virtual IVexloFrameworkItemPtr Button() = 0;
  virtual IVexloFrameworkItemPtr CheckBox() = 0;
  virtual IVexloFrameworkItemPtr DBCheckBox() = 0;
  virtual IVexloFrameworkItemPtr DBGrid() = 0;
  virtual IVexloFrameworkItemPtr DBLookupCombobox() = 0;
  virtual IVexloFrameworkItemPtr DBEdit() = 0;
  virtual IVexloFrameworkItemPtr DBText() = 0;
  virtual IVexloFrameworkItemPtr Combobox() = 0;
  virtual IVexloFrameworkItemPtr DBCombobox() = 0;
  virtual IVexloFrameworkItemPtr DBMemo() = 0;
  virtual IVexloFrameworkForm* FrameworkForm() const = 0;
  virtual void CallBackMessageResponse() = 0;
  virtual void CallBackProcess() = 0;
};

}  // namespace vexlo
