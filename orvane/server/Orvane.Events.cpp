#include "orvane/server/Orvane.Events.h"

#include <stdexcept>

#include "orvane/server/Orvane.Util.h"

namespace orvane {

// ---------------------------------------------------------------------------
// TOrvaneControlEvent

TOrvaneControlEvent::TOrvaneControlEvent(IOrvaneControl* AOrvaneControl,
                                         TOrvaneEventType AEventType)
    : FEventID(GenerateRandomString(19)),
      FEventType(AEventType),
      FOrvaneControl(AOrvaneControl),
      FAutoPublishedEvent(AEventType == TOrvaneEventType::EventOnClick ||
                          AEventType == TOrvaneEventType::EventOnChange ||
                          AEventType == TOrvaneEventType::EventOnKeyDown) {}

void TOrvaneControlEvent::SetOnEvent(TOnEventProc AOnEventProc) {
  std::lock_guard<std::mutex> g(FLock);
  FOnEventProc = std::move(AOnEventProc);
}

void TOrvaneControlEvent::SetOnEvent(TOnGetStrEvent AGetStrEvent) {
  std::lock_guard<std::mutex> g(FLock);
  FGetStrEvent = std::move(AGetStrEvent);
}

void TOrvaneControlEvent::SetOnEvent(core::TNotifyEvent ANotifyEvent) {
  std::lock_guard<std::mutex> g(FLock);
  FNotifyEvent = std::move(ANotifyEvent);
}

void TOrvaneControlEvent::CallEvent(TStringList& AParameters) {
  core::TNotifyEvent notify;
  TOnEventProc proc;
  {
    std::lock_guard<std::mutex> g(FLock);
    notify = FNotifyEvent;
    proc = FOnEventProc;
  }
  if (notify)
    notify(FOrvaneControl ? FOrvaneControl->GetVCLComponent() : nullptr);
  else if (proc)
    proc(AParameters);
}

std::string TOrvaneControlEvent::CallEventResponse(TStringList& /*AParameters*/) {
  TOnGetStrEvent get;
  {
    std::lock_guard<std::mutex> g(FLock);
    get = FGetStrEvent;
  }
  return get ? get() : "";
}

std::string TOrvaneControlEvent::EventJS(TEventProcType AEventProc, const std::string& AParameters,
                                         bool ALockClient) {
  std::string parameters = AParameters.empty() ? "''" : AParameters;
  std::string method = AEventProc == TEventProcType::ExecEventProc ? "ExecEvent" : "GetFromEvent";
  std::string uuid, token, formUUID, name;
  if (FOrvaneControl) {
    name = FOrvaneControl->GetName();
    if (IOrvaneForm* form = FOrvaneControl->GetForm()) {
      formUUID = form->GetFormUUID();
      if (IOrvaneSession* session = form->GetOrvaneSession()) {
        uuid = session->GetUUID();
        token = session->GetToken();
      }
    }
  }
  return "OrvaneServer()." + method + "('" + uuid + "', '" + token + "', '" + formUUID + "', '" +
         name + "', '" + FEventID + "', " + parameters + ", " + (ALockClient ? "true" : "false") +
         ")";
}

void TOrvaneControlEvent::SetAutoPublishedEvent(bool AValue) {
  std::lock_guard<std::mutex> g(FLock);
  FAutoPublishedEvent = AValue;
}

bool TOrvaneControlEvent::GetAutoPublishedEvent() const {
  std::lock_guard<std::mutex> g(FLock);
  return FAutoPublishedEvent;
}

// ---------------------------------------------------------------------------
// TOrvaneControlEvents

std::shared_ptr<IOrvaneControlEvent> TOrvaneControlEvents::Add(
    const std::shared_ptr<IOrvaneControlEvent>& AEvent) {
  if (!AEvent) return nullptr;
  std::lock_guard<std::mutex> g(FLock);
  for (const auto& e : FEvents)
    if (e->GetEventType() == AEvent->GetEventType()) return e;
  FEvents.push_back(AEvent);
  return AEvent;
}

std::shared_ptr<IOrvaneControlEvent> TOrvaneControlEvents::Add(TOrvaneEventType AEventType,
                                                               core::TNotifyEvent ANotifyEvent) {
  if (auto existing = Item(AEventType)) return existing;
  auto event = std::make_shared<TOrvaneControlEvent>(FIOrvaneControl, AEventType);
  event->SetOnEvent(std::move(ANotifyEvent));
  return Add(event);
}

std::shared_ptr<IOrvaneControlEvent> TOrvaneControlEvents::Add(TOrvaneEventType AEventType,
                                                               TOnEventProc AOnEventProc) {
  if (auto existing = Item(AEventType)) return existing;
  auto event = std::make_shared<TOrvaneControlEvent>(FIOrvaneControl, AEventType);
  event->SetOnEvent(std::move(AOnEventProc));
  return Add(event);
}

std::shared_ptr<IOrvaneControlEvent> TOrvaneControlEvents::Add(TOrvaneEventType AEventType,
                                                               TOnEventProc AOnEventProc,
                                                               bool AAutoPublishedEvent) {
  if (auto existing = Item(AEventType)) return existing;
  auto event = std::make_shared<TOrvaneControlEvent>(FIOrvaneControl, AEventType);
  event->SetOnEvent(std::move(AOnEventProc));
  event->SetAutoPublishedEvent(AAutoPublishedEvent);
  return Add(event);
}

void TOrvaneControlEvents::Delete(int AIndex) {
  std::lock_guard<std::mutex> g(FLock);
  if (AIndex < 0 || static_cast<size_t>(AIndex) >= FEvents.size())
    throw std::out_of_range("Índice de evento fora dos limites: " + std::to_string(AIndex));
  FEvents.erase(FEvents.begin() + AIndex);
}

int TOrvaneControlEvents::Count() const {
  std::lock_guard<std::mutex> g(FLock);
  return static_cast<int>(FEvents.size());
}

std::shared_ptr<IOrvaneControlEvent> TOrvaneControlEvents::Item(int AIndex) const {
  std::lock_guard<std::mutex> g(FLock);
  if (AIndex < 0 || static_cast<size_t>(AIndex) >= FEvents.size())
    throw std::out_of_range("Índice de evento fora dos limites: " + std::to_string(AIndex));
  return FEvents[static_cast<size_t>(AIndex)];
}

std::shared_ptr<IOrvaneControlEvent> TOrvaneControlEvents::Item(TOrvaneEventType AEventType) const {
  std::lock_guard<std::mutex> g(FLock);
  for (const auto& e : FEvents)
    if (e->GetEventType() == AEventType) return e;
  return nullptr;
}

std::shared_ptr<IOrvaneControlEvent> TOrvaneControlEvents::FindByID(
    const std::string& AEventID) const {
  std::lock_guard<std::mutex> g(FLock);
  for (const auto& e : FEvents)
    if (e->GetEventID() == AEventID) return e;
  return nullptr;
}

}  // namespace orvane
