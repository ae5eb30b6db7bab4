// Control events: what a browser can do to a web control. Each event has a
// type, a random id and a handler on the server; the control writes the
// browser call that sends the event (EventJS) into its HTML, and the message
// dispatch finds the event by its id and runs it on a session thread.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "platform/core/Classes.h"

namespace orvane {

enum class TOrvaneEventType {
  EventOnClick,
  EventOnDblClick,
  EventOnSelectAll,
  EventOnUnselectAll,
  EventOnLoadJSON,
  EventOnSelect,
  EventOnCellClick,
  EventOnCheckChange,
  EventOnCheck,
  EventOnUncheck,
  EventOnEnter,
  EventOnExit,
  EventOnChange,
  EventOnKeyDown,
  EventOnFocused,
  EventOnCellPost,
  EventOnCellButtonClick,
  EventOnShowPopup,
  EventOnClosePopup
};

enum class TEventProcType { ExecEventProc, GetFromEventProc };

// Receives the event's parameter list ("name=value" items).
using TOnEventProc = std::function<void(TStringList& AParameters)>;
using TOnGetStrEvent = std::function<std::string()>;

class IOrvaneControlEvent;
class IOrvaneControlEvents;

// A web control as its events and the message dispatch use it.
class IOrvaneControl {
 public:
  virtual ~IOrvaneControl() = default;
  // The component name.
  virtual std::string GetName() const = 0;
  // The name with the form's controls prefix (upper-cased it is the
  // control's element id in the page).
  virtual std::string GetNamePrefix() const = 0;
  virtual bool GetEnabled() = 0;
  virtual bool GetVisible() = 0;
  virtual bool GetReadOnly() = 0;
  // The desktop control the web control mirrors, or null.
  virtual core::TComponent* GetVCLComponent() const = 0;
  virtual IOrvaneForm* GetForm() const = 0;
  virtual std::shared_ptr<IOrvaneControlEvents> GetEvents() = 0;
  virtual bool IsDBGrid() = 0;
  // Takes what an event's parameters say before its handler runs.
  virtual void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>& AEvent,
                                      TStringList& AParameters) = 0;
  // Applies the browser's state record of this control.
  virtual void ProcessComponentState(const nlohmann::json& AComponentStateInfo) = 0;
  // The control's class name, which tells the page how to read its state
  // ("TOrvaneEdit", ...).
  virtual std::string GetOrvaneType() const { return ""; }
  // True when the control's events first pass the page's required-field check.
  virtual bool NeedCheckValidation() { return false; }
};

// What the grid data route needs of a data grid control (the control offers
// it next to IOrvaneControl). Called inside the session's forms guard.
class IOrvaneDBGridREST {
 public:
  virtual ~IOrvaneDBGridREST() = default;
  // The rows as JSON text.
  virtual std::string RESTRows() = 0;
  // Applies an edited row; false with a message when it was refused or
  // failed (nothing written then). ARowID names the posted row.
  virtual bool RESTCellPost(const std::string& AContent, std::string& ARowID,
                            std::string& AErrorMessage) = 0;
};

class IOrvaneControlEvent {
 public:
  virtual ~IOrvaneControlEvent() = default;
  virtual TOrvaneEventType GetEventType() const = 0;
  virtual std::string GetEventID() const = 0;
  virtual void SetOnEvent(TOnEventProc AOnEventProc) = 0;
  virtual void SetOnEvent(TOnGetStrEvent AGetStrEvent) = 0;
  virtual void SetOnEvent(core::TNotifyEvent ANotifyEvent) = 0;
  virtual IOrvaneControl* GetOrvaneControl() const = 0;
  // Runs the handler: the notification handler (with the desktop control as
  // sender) when assigned, else the procedure with the parameters.
  virtual void CallEvent(TStringList& AParameters) = 0;
  // The string handler's result (the parameters are not passed to it).
  virtual std::string CallEventResponse(TStringList& AParameters) = 0;
  // The browser call that sends this event; an empty AParameters becomes ''
  // and any other text is inserted as a JavaScript expression.
  virtual std::string EventJS(TEventProcType AEventProc, const std::string& AParameters,
                              bool ALockClient) = 0;
  virtual void SetAutoPublishedEvent(bool AValue) = 0;
  virtual bool GetAutoPublishedEvent() const = 0;
};

class TOrvaneControlEvent : public IOrvaneControlEvent {
 public:
  TOrvaneControlEvent(IOrvaneControl* AOrvaneControl, TOrvaneEventType AEventType);

  TOrvaneEventType GetEventType() const override { return FEventType; }
  std::string GetEventID() const override { return FEventID; }
  void SetOnEvent(TOnEventProc AOnEventProc) override;
  void SetOnEvent(TOnGetStrEvent AGetStrEvent) override;
  void SetOnEvent(core::TNotifyEvent ANotifyEvent) override;
  IOrvaneControl* GetOrvaneControl() const override { return FOrvaneControl; }
  void CallEvent(TStringList& AParameters) override;
  std::string CallEventResponse(TStringList& AParameters) override;
  std::string EventJS(TEventProcType AEventProc, const std::string& AParameters,
                      bool ALockClient) override;
  void SetAutoPublishedEvent(bool AValue) override;
  bool GetAutoPublishedEvent() const override;

 private:
  const std::string FEventID;  // 19 random characters
  mutable std::mutex FLock;
  core::TNotifyEvent FNotifyEvent;
  TOnGetStrEvent FGetStrEvent;
  const TOrvaneEventType FEventType;
  IOrvaneControl* const FOrvaneControl;  // the owning control
  bool FAutoPublishedEvent;
  TOnEventProc FOnEventProc;
};

class IOrvaneControlEvents {
 public:
  virtual ~IOrvaneControlEvents() = default;
  // Each Add does nothing when the control already has an event of that type
  // and returns the event the control has for the type.
  virtual std::shared_ptr<IOrvaneControlEvent> Add(
      const std::shared_ptr<IOrvaneControlEvent>& AEvent) = 0;
  virtual std::shared_ptr<IOrvaneControlEvent> Add(TOrvaneEventType AEventType,
                                                   core::TNotifyEvent ANotifyEvent) = 0;
  virtual std::shared_ptr<IOrvaneControlEvent> Add(TOrvaneEventType AEventType,
                                                   TOnEventProc AOnEventProc) = 0;
  virtual std::shared_ptr<IOrvaneControlEvent> Add(TOrvaneEventType AEventType,
                                                   TOnEventProc AOnEventProc,
                                                   bool AAutoPublishedEvent) = 0;
  virtual void Delete(int AIndex) = 0;
  virtual int Count() const = 0;
  // Throws for a position out of range.
  virtual std::shared_ptr<IOrvaneControlEvent> Item(int AIndex) const = 0;
  // The event of that type, or null.
  virtual std::shared_ptr<IOrvaneControlEvent> Item(TOrvaneEventType AEventType) const = 0;
  // The event with that id, or null.
  virtual std::shared_ptr<IOrvaneControlEvent> FindByID(const std::string& AEventID) const = 0;
};

class TOrvaneControlEvents : public IOrvaneControlEvents {
 public:
  explicit TOrvaneControlEvents(IOrvaneControl* AOrvaneControl) : FIOrvaneControl(AOrvaneControl) {}

  std::shared_ptr<IOrvaneControlEvent> Add(
      const std::shared_ptr<IOrvaneControlEvent>& AEvent) override;
  std::shared_ptr<IOrvaneControlEvent> Add(TOrvaneEventType AEventType,
                                           core::TNotifyEvent ANotifyEvent) override;
  std::shared_ptr<IOrvaneControlEvent> Add(TOrvaneEventType AEventType,
                                           TOnEventProc AOnEventProc) override;
  std::shared_ptr<IOrvaneControlEvent> Add(TOrvaneEventType AEventType, TOnEventProc AOnEventProc,
                                           bool AAutoPublishedEvent) override;
  void Delete(int AIndex) override;
  int Count() const override;
  std::shared_ptr<IOrvaneControlEvent> Item(int AIndex) const override;
  std::shared_ptr<IOrvaneControlEvent> Item(TOrvaneEventType AEventType) const override;
  std::shared_ptr<IOrvaneControlEvent> FindByID(const std::string& AEventID) const override;

 private:
  IOrvaneControl* FIOrvaneControl;
  mutable std::mutex FLock;
  std::vector<std::shared_ptr<IOrvaneControlEvent>> FEvents;
};

}  // namespace orvane
