#include "orvane/server/Orvane.Server.Functions.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.CallBack.h"
#include "orvane/server/Orvane.Util.h"

namespace orvane {

namespace {

// The value of a message parameter (the name matched exactly, else ignoring
// case); a missing one breaks the protocol.
const std::string& Param(const TOrvaneWebSocketMessage& AMessage, const std::string& AName) {
  auto it = AMessage.Parameters.find(AName);
  if (it != AMessage.Parameters.end()) return it->second;
  for (const auto& [name, value] : AMessage.Parameters)
    if (SameText(name, AName)) return value;
  throw EOrvaneProtocolError("Mensagem inválida: falta o parâmetro \"" + AName + "\"");
}

bool IsQuote(char C) {
  return C == '\'' || C == '"';
}

// The end (one past) of the JSON array or object that starts at AStart, when
// it is followed by "&" or the end of the text and parses as JSON; else npos.
size_t JSONExtent(const std::string& AText, size_t AStart) {
  int depth = 0;
  bool inString = false;
  for (size_t i = AStart; i < AText.size(); ++i) {
    char c = AText[i];
    if (inString) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        inString = false;
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      ++depth;
    } else if (c == ']' || c == '}') {
      if (--depth == 0) {
        size_t end = i + 1;
        if (end < AText.size() && AText[end] != '&') return std::string::npos;
        if (!nlohmann::json::accept(AText.substr(AStart, end - AStart))) return std::string::npos;
        return end;
      }
    }
  }
  return std::string::npos;
}

std::string UpperID(const std::string& AText) {
  return UpperCase(AText);
}

// The first control event of the form with that id, walking the controls in
// order and each control's events in order.
std::shared_ptr<IOrvaneControlEvent> FindEvent(IOrvaneForm& AForm, const std::string& AEventID,
                                               IOrvaneControl*& AOwner) {
  AOwner = nullptr;
  for (IOrvaneControl* control : AForm.GetControls()) {
    auto events = control ? control->GetEvents() : nullptr;
    if (!events) continue;
    if (auto event = events->FindByID(AEventID)) {
      AOwner = control;
      return event;
    }
  }
  return nullptr;
}

// The page writes "%" and "&" inside a value as %25 and %26 (the runtime's
// OrvaneParameterValue); the value after the item's first "=" gets them
// back, in one pass. Other "%" stay as they are.
std::string DecodeParameterItem(const std::string& AItem) {
  size_t eq = AItem.find('=');
  if (eq == std::string::npos || AItem.find('%', eq) == std::string::npos) return AItem;
  std::string out = AItem.substr(0, eq + 1);
  for (size_t i = eq + 1; i < AItem.size(); ++i) {
    if (AItem[i] == '%' && i + 2 < AItem.size() && AItem[i + 1] == '2' &&
        (AItem[i + 2] == '5' || AItem[i + 2] == '6')) {
      out += AItem[i + 2] == '5' ? '%' : '&';
      i += 2;
    } else {
      out += AItem[i];
    }
  }
  return out;
}

}  // namespace

TStringList TOrvaneServerFunctions::ProcessParameters(const std::string& Parameters) {
  std::string text = Parameters;
  if (text.size() >= 2 && IsQuote(text[0]) && IsQuote(text[1]))
    text.erase(0, 2);
  else if (!text.empty() && IsQuote(text[0]))
    text.erase(0, 1);
  TStringList items;
  if (text.empty()) return items;
  std::string current;
  bool inName = true;
  size_t i = 0;
  // A bracket that never closes makes the scan for its end run to the end of
  // the text. After a few such values the rest splits plainly, so hostile
  // text ("a=[&a=[&...") costs linear time.
  constexpr int kMaxJSONAttemptsFailed = 4;
  int failed = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '&') {
      items.push_back(DecodeParameterItem(current));
      current.clear();
      inName = true;
      ++i;
      continue;
    }
    current += c;
    ++i;
    if (inName && c == '=') {
      inName = false;
      if (failed < kMaxJSONAttemptsFailed && i < text.size() &&
          (text[i] == '[' || text[i] == '{')) {
        size_t end = JSONExtent(text, i);
        if (end != std::string::npos) {
          current.append(text, i, end - i);
          i = end;
        } else {
          ++failed;
        }
      }
    }
  }
  items.push_back(DecodeParameterItem(current));
  return items;
}

void TOrvaneServerFunctions::UnLockClient(const std::shared_ptr<IOrvaneSession>& ASession) {
  if (ASession && !ASession->Destroying() && !ASession->Closing())
    ASession->ExecJS("UnLockThreadClient();");
}

namespace {

// The answer to a cell post: its outcome for the page's script, and a
// failure status the page restores the row on.
void CellPostAnswer(TOrvaneHTTPResponse& AResponse, bool AOk, const std::string& AMessage,
                    const std::string& ARowID) {
  nlohmann::json answer = {
      {"status", AOk ? "ok" : "error"}, {"errormessage", AMessage}, {"rowid", ARowID}};
  AResponse.Content = answer.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
  AResponse.ContentType = "application/json";
  if (AOk) return;
  AResponse.Error = true;
  AResponse.ErrorMessage = AMessage;
  AResponse.StatusCode = "404 Not Found";
}

}  // namespace

void TOrvaneServerFunctions::RESTData(TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                                      TOrvaneWebSocketContext& AContext) {
  const TStringList& query = ARequest.Header.QueryParams;
  const std::string eventID = ValueOf(query, "eventid");
  const std::string formUUID = AContext.FormUUID();
  if (eventID.empty() || formUUID.empty()) return;
  std::shared_ptr<IOrvaneSession> session =
      CheckedSession(AContext.OrvaneSessionUUID(), AContext.Token());
  if (!session || session->Destroying()) return;
  TOrvaneFormsGuardScope guard(*session);
  IOrvaneForm* form = session->ActiveFormByFormUUID(formUUID);
  IOrvaneControl* owner = nullptr;
  std::shared_ptr<IOrvaneControlEvent> event =
      form ? FindEvent(*form, eventID, owner) : std::shared_ptr<IOrvaneControlEvent>();
  auto* grid =
      event && owner && owner->IsDBGrid() ? dynamic_cast<IOrvaneDBGridREST*>(owner) : nullptr;
  if (!grid) {
    // The page of a live session asked for a grid that has gone meanwhile
    // (its tab or popup closed while the request was on its way): it gets
    // no rows, and a post is refused, instead of a connection closed
    // without an answer.
    if (ARequest.Header.Path.find("/rest/json/jqgrid/post") != std::string::npos) {
      CellPostAnswer(AResponse, false, "O formulário foi fechado; a alteração não foi gravada.",
                     "");
    } else {
      AResponse.Content = R"({"page":1,"total":0,"records":0,"rows":[]})";
      AResponse.ContentType = "application/json";
    }
    return;
  }
  TStringList parameters = query;
  if (event->GetEventType() == TOrvaneEventType::EventOnLoadJSON) {
    AResponse.Content = event->CallEventResponse(parameters);
    AResponse.ContentType = "application/json";
  } else if (event->GetEventType() == TOrvaneEventType::EventOnCellPost) {
    std::string rowID, message;
    bool ok;
    if (IsJSONValid(ARequest.Header.Content)) {
      ok = grid->RESTCellPost(ARequest.Header.Content, rowID, message);
    } else {
      // Never answered as a success: the page restores the row.
      ok = false;
      message = "A alteração enviada não é válida.";
    }
    CellPostAnswer(AResponse, ok, message, rowID);
    // The page is brought up to date (the rows reload after a post).
    guard.Leave();
    form = nullptr;
    session->ExecThread(false, [session, formUUID] {
      if (IOrvaneForm* current = session->ActiveFormByFormUUID(formUUID)) current->DoEventHandled();
    });
  }
}

std::shared_ptr<IOrvaneSession> TOrvaneServerFunctions::CheckedSession(const std::string& UUID,
                                                                       const std::string& Token) {
  if (!FRoot || UUID.empty() || Token.empty()) return nullptr;
  if (!FRoot->SessionValid(UUID)) return nullptr;
  auto session = FRoot->SessionByUUID(UUID);
  if (!session || !TokenEquals(session->GetToken(), Token)) return nullptr;
  return session;
}

void TOrvaneServerFunctions::ReceiveMessage(const TOrvaneWebSocketMessage& AMessage,
                                            TOrvaneWebSocketContext& /*AContext*/,
                                            std::string& AAnswer) {
  if (!AMessage.IsFormatted) return;
  auto is = [&](TWebSocketMessageType AType, const char* AName) {
    return AMessage.MessageType == AType && SameText(AMessage.Name, AName);
  };
  using T = TWebSocketMessageType;
  bool execEvent = is(T::wsMsgProcedure, "ExecEvent");
  bool getFromEvent = is(T::wsMsgFunction, "GetFromEvent");
  bool callBack = is(T::wsMsgFunction, "CallBack");
  if (!execEvent && !getFromEvent && !callBack) return;
  // The parameters are read in the order the browser sends them.
  const std::string& uuid = Param(AMessage, "UUID");
  const std::string& token = Param(AMessage, "Token");
  const std::string& formUUID = Param(AMessage, "FormUUID");
  if (callBack) {
    const std::string& callBackID = Param(AMessage, "CallBackID");
    const std::string& parameters = Param(AMessage, "Parameters");
    bool lockClient = SameText(Param(AMessage, "LockClient"), "true");
    CallBack(uuid, token, formUUID, callBackID, parameters, lockClient);
    return;
  }
  const std::string& id = Param(AMessage, "ID");
  const std::string& eventID = Param(AMessage, "EventID");
  const std::string& parameters = Param(AMessage, "Parameters");
  bool lockClient = SameText(Param(AMessage, "LockClient"), "true");
  if (execEvent)
    ExecEvent(uuid, token, formUUID, id, eventID, parameters, lockClient);
  else
    AAnswer = GetFromEvent(uuid, token, formUUID, id, eventID, parameters, lockClient);
}

void TOrvaneServerFunctions::ExecEvent(const std::string& UUID, const std::string& Token,
                                       const std::string& FormUUID, const std::string& ID,
                                       const std::string& EventID, const std::string& Parameters,
                                       bool LockClient) {
  ProcessEvent(TEventProcType::ExecEventProc, UUID, Token, FormUUID, ID, EventID, Parameters,
               LockClient);
}

std::string TOrvaneServerFunctions::GetFromEvent(const std::string& UUID, const std::string& Token,
                                                 const std::string& FormUUID, const std::string& ID,
                                                 const std::string& EventID,
                                                 const std::string& Parameters, bool LockClient) {
  return ProcessEvent(TEventProcType::GetFromEventProc, UUID, Token, FormUUID, ID, EventID,
                      Parameters, LockClient);
}

void TOrvaneServerFunctions::ApplyComponentStates(IOrvaneForm& AForm, const std::string& AStates) {
  AForm.onComponentsUpdating();
  try {
    nlohmann::json records = ParseNetworkJSON(AStates);
    if (records.is_array()) {
      std::vector<IOrvaneControl*> controls = AForm.GetControls();
      for (const nlohmann::json& record : records) {
        if (!record.is_object()) continue;
        auto id = record.find("id");
        if (id == record.end() || !id->is_string()) continue;
        std::string wanted = UpperID(id->get<std::string>());
        for (IOrvaneControl* control : controls) {
          if (!control || UpperID(control->GetNamePrefix()) != wanted) continue;
          try {
            if (control->GetEnabled() && control->GetVisible() && !control->GetReadOnly())
              control->ProcessComponentState(record);
          } catch (...) {
            // A state a control cannot take is skipped; the others still apply.
          }
          break;
        }
      }
    }
  } catch (...) {
  }
  AForm.onComponentsUpdated();
}

void TOrvaneServerFunctions::FormEvent(const std::shared_ptr<IOrvaneSession>& ASession,
                                       IOrvaneForm& AForm, const std::string& EventID,
                                       const TStringList& AParameters, bool LockClient) {
  // Work items find the form again when they run: it may be gone by then.
  std::string formUUID = AForm.GetFormUUID();
  if (EventID == "AfterPageLoad") {
    ASession->ExecThread(true, [ASession, formUUID] {
      IOrvaneForm* form = ASession->ActiveFormByFormUUID(formUUID);
      if (!form) return;
      form->OnAfterPageLoad();
      if (IOrvaneVexloClass* vexlo = form->GetVexloClass())
        for (IOrvaneVexloClass* nested : vexlo->GetNestedVexlos()) {
          IOrvaneForm* nestedForm = nested ? nested->GetOrvaneForm() : nullptr;
          if (!nestedForm) continue;
          try {
            nestedForm->OnAfterPageLoad();
          } catch (...) {
          }
          try {
            nestedForm->UpdateControls();
          } catch (...) {
          }
        }
    });
    if (LockClient) UnLockClient(ASession);
  } else if (EventID == "OnShowPopup" || EventID == "OnClosePopup") {
    bool show = EventID == "OnShowPopup";
    std::string name = ValueOf(AParameters, "popupname");
    ASession->ExecThread(false, [formUUID, ASession, name, show, LockClient] {
      try {
        IOrvaneForm* form = ASession->ActiveFormByFormUUID(formUUID);
        TOnPopup handler;
        if (form) handler = show ? form->GetOnShowPopup() : form->GetOnClosePopup();
        if (handler) handler(name, "");
        if (IOrvaneVexloClass* active = ASession->GetVexloBaseClass()) {
          if (show)
            active->PopupOpened(name);
          else
            active->PopupClosed(name);
        }
      } catch (...) {
        if (LockClient) UnLockClient(ASession);
        throw;
      }
      if (LockClient) UnLockClient(ASession);
    });
  } else if (EventID == "ComponentFocused") {
    std::string focused = UpperID(ValueOf(AParameters, "FocusedID"));
    for (IOrvaneControl* control : AForm.GetControls()) {
      if (!control || UpperID(control->GetNamePrefix()) != focused) continue;
      ASession->ExecThread(false, [formUUID, ASession, control] {
        try {
          IOrvaneForm* form = ASession->ActiveFormByFormUUID(formUUID);
          if (!form) return;
          // Only a control the form still has.
          for (IOrvaneControl* c : form->GetControls())
            if (c == control) {
              form->SetFocusedControl(control);
              break;
            }
        } catch (...) {
        }
      });
    }
  }
}

std::string TOrvaneServerFunctions::ProcessEvent(TEventProcType /*AEventProc*/,
                                                 const std::string& UUID, const std::string& Token,
                                                 const std::string& FormUUID, const std::string& ID,
                                                 const std::string& EventID,
                                                 const std::string& Parameters, bool LockClient) {
  std::string answer;
  if (FormUUID.empty() || ID.empty() || EventID.empty()) return answer;
  std::shared_ptr<IOrvaneSession> session = CheckedSession(UUID, Token);
  if (!session) return answer;
  TStringList parameters = ProcessParameters(Parameters);
  std::string states =
      parameters.empty() ? std::string() : ValueOf(parameters, "OrvaneComponentsStatus");
  if (!JSONDepthWithin(states))
    throw EOrvaneProtocolError("Mensagem inválida: estados aninhados além de " +
                               std::to_string(kMaxJSONDepth) + " níveis");
  if (session->Destroying()) return answer;

  // The form is looked up, the browser states applied and the controls read
  // on this connection thread inside the forms guard, so no session thread
  // touches the forms meanwhile.
  TOrvaneFormsGuardScope guard(*session);
  IOrvaneForm* form = session->ActiveFormByFormUUID(FormUUID);
  if (!form) return answer;
  if (!states.empty()) ApplyComponentStates(*form, states);
  if (ID == form->GetFormUUID()) {
    FormEvent(session, *form, EventID, parameters, LockClient);
    return answer;
  }
  IOrvaneControl* owner = nullptr;
  std::shared_ptr<IOrvaneControlEvent> event = FindEvent(*form, EventID, owner);
  if (!event) return answer;
  owner->ProcessEventParameters(event, parameters);
  if (owner->IsDBGrid() && event->GetEventType() == TOrvaneEventType::EventOnLoadJSON) {
    answer = event->CallEventResponse(parameters);
    guard.Leave();
    if (LockClient) UnLockClient(session);
    return answer;
  }
  guard.Leave();
  session->ExecThread(false, [event, parameters, session, FormUUID, EventID, LockClient]() mutable {
    try {
      // The control (and its form) may have gone since the message arrived.
      IOrvaneForm* current = session->ActiveFormByFormUUID(FormUUID);
      IOrvaneControl* control = nullptr;
      if (current && FindEvent(*current, EventID, control) == event) {
        event->CallEvent(parameters);
        // The handler may have freed its own form (a tab's "Sair"): the
        // page is brought up to date through whatever form shows now.
        if (IOrvaneForm* after = session->ActiveFormByFormUUID(FormUUID))
          after->DoEventHandled();
        else if (IOrvaneForm* page = session->GetActiveForm())
          page->DoEventHandled();
      }
    } catch (...) {
      if (LockClient) UnLockClient(session);
      throw;
    }
    if (LockClient) UnLockClient(session);
  });
  return answer;
}

std::string TOrvaneServerFunctions::CallBack(const std::string& UUID, const std::string& Token,
                                             const std::string& FormUUID,
                                             const std::string& CallBackID,
                                             const std::string& Parameters, bool LockClient) {
  std::string answer = "ERROR";
  if (FormUUID.empty() || CallBackID.empty()) return answer;
  std::shared_ptr<IOrvaneSession> session = CheckedSession(UUID, Token);
  if (!session) return answer;
  TStringList parameters = ProcessParameters(Parameters);
  if (session->Destroying()) return answer;
  {
    TOrvaneFormsGuardScope guard(*session);
    IOrvaneForm* form = session->ActiveFormByFormUUID(FormUUID);
    if (!form || form->GetFormUUID() != FormUUID) return answer;
  }
  auto callbacks = session->GetCallBacks();
  auto callback = callbacks ? callbacks->FindByID(CallBackID) : nullptr;
  if (!callback) return answer;
  session->ExecThread(false, [callback, parameters, session, FormUUID, LockClient] {
    std::string result;
    try {
      callback->Execute(parameters, result);
      if (IOrvaneForm* current = session->ActiveFormByFormUUID(FormUUID)) current->DoEventHandled();
    } catch (...) {
      if (LockClient) UnLockClient(session);
      throw;
    }
    if (LockClient) UnLockClient(session);
  });
  answer.clear();
  return answer;
}

void TOrvaneServerFunctions::DownloadData(TOrvaneHTTPRequest& ARequest,
                                          TOrvaneHTTPResponse& AResponse,
                                          TOrvaneWebSocketContext& AContext) {
  std::string token = AContext.Token();
  std::string uuid = AContext.OrvaneSessionUUID();
  std::string key = ValueOf(ARequest.Header.QueryParams, "file");
  if (key.empty()) return;
  std::shared_ptr<IOrvaneSession> session = CheckedSession(uuid, token);
  if (!session) return;
  auto downloads = session->GetFileDownloads();
  auto it = downloads.find(key);
  if (it == downloads.end()) return;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(it->second, ec)) return;
  AResponse.FileName = it->second;
}

void TOrvaneServerFunctions::Attach(TOrvaneBaseClass& ARoot) {
  ARoot.ReceiveMessage = [this](const TOrvaneWebSocketMessage& AMessage,
                                TOrvaneWebSocketContext& AContext, std::string& AAnswer) {
    ReceiveMessage(AMessage, AContext, AAnswer);
  };
  ARoot.DownloadData = [this](TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                              TOrvaneWebSocketContext& AContext) {
    DownloadData(ARequest, AResponse, AContext);
  };
  ARoot.RESTData = [this](TOrvaneHTTPRequest& ARequest, TOrvaneHTTPResponse& AResponse,
                          TOrvaneWebSocketContext& AContext) {
    RESTData(ARequest, AResponse, AContext);
  };
}

}  // namespace orvane
