// What the desktop-control adapters share: the owning item, the kind taken
// from the form's framework export object, the enabled, visible and
// read-only procedures over the live control, the procedures that forward
// browser events to the desktop handlers, and the start-up registration of
// the fifteen adapters and twelve kinds.
//
// Browser values reach a desktop control silently (its change or click
// handler is out of the way while the value is written): the event the page
// sends with the value runs the handler, once, on a session thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/Controls.h"
#include "vexlo/Vexlo.Item.VCLObj.h"

namespace vexlo {

class TVexloVCLObj : public IVexloVCLObj, public IVexloItemVCLObjCore {
 public:
  explicit TVexloVCLObj(TVexloItemVCLObj& AItem) : FVexloItemVCLObj(AItem) {}

  TVexloItemVCLObj& GetVexloItemVCLObj() override { return FVexloItemVCLObj; }
  // The item's default list.
  std::vector<std::string> PropertyCopyList() override;
  // The kind of this adapter from the form's framework export object.
  IVexloFrameworkItemPtr FrameworkItemClass() override;

 protected:
  virtual IVexloFrameworkItemPtr KindOf(IVexloFrameworkType& AFramework) = 0;
  template <class T>
  std::shared_ptr<T> KindAs() {
    return std::dynamic_pointer_cast<T>(FrameworkItemClass());
  }
  template <class T>
  T* ControlAs() const {
    return dynamic_cast<T*>(FVexloItemVCLObj.GetItem());
  }

  TVexloItemVCLObj& FVexloItemVCLObj;
};

// The four procedures of the enabled and visible state: the getters answer
// for the control and its parents up to the form, the setters write the
// control's own flag.
void SetEnabledVisibleProcs(IVexloFrameworkItem& AKind, ui::TControl* AControl);

// The read-only procedures over a control's own ReadOnly.
template <class C>
void SetReadOnlyProcs(IVexloFrameworkItem& AKind, C* AControl) {
  AKind.SetGetReadOnly([AControl] { return orvane::TOrvaneVariant(AControl->ReadOnly()); });
  AKind.SetSetReadOnly([AControl](const orvane::TOrvaneVariant& AValue) {
    AControl->SetReadOnly(orvane::VarToBool(AValue));
  });
}

// Runs a desktop handler for a browser event. A failure other than the
// silent abort is shown on the page, as the toolkit's standard exception
// report shows it on the desktop.
void RunHandler(ui::TControl* AControl, const std::function<void()>& AHandler);

// A procedure calling a notification handler of the control (the one it has
// when the event comes) with the control as sender.
template <class C, class B>
TVexloEventProc NotifyProc(C* AControl, core::TNotifyEvent B::*AEvent) {
  return [AControl, AEvent](orvane::TStringList&) {
    core::TNotifyEvent handler = AControl->*AEvent;
    if (handler) RunHandler(AControl, [&] { handler(AControl); });
  };
}

// Which of the common desktop events an adapter forwards.
enum TForwardedEvent : unsigned {
  feClick = 1,
  feEnter = 2,
  feExit = 4,
  feKeyDown = 8,
  feKeyPress = 16,
};

// Sets the kind's click, enter, exit and key procedures for the forwarded
// events the control has a handler for. The key value "key" of the event
// becomes a key code (ConvertHTMLKeyToVK); with both key handlers the key
// press takes the key slot.
void ForwardEvents(IVexloFrameworkItem& AKind, ui::TControl* AControl, unsigned AEvents);

// Runs AWrite while the handler AEvent of the control is out of the way.
template <class C, class B, class F>
void Silently(C* AControl, core::TNotifyEvent B::*AEvent, F AWrite) {
  core::TNotifyEvent saved = std::exchange(AControl->*AEvent, nullptr);
  try {
    AWrite();
  } catch (...) {
    AControl->*AEvent = std::move(saved);
    throw;
  }
  AControl->*AEvent = std::move(saved);
}

// Registers the fifteen adapters (TVCLObjTLabel ... TVCLObjTRadioButton, in
// that order) and the twelve framework control types. Run it once at start,
// before forms are created for web sessions; running it again does no harm.
void RegisterVexloVCLObjs();

}  // namespace vexlo
