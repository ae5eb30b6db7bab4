#include "orvane/controls/Orvane.Forms.h"

#include <algorithm>

#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.CallBack.h"
#include "orvane/server/Orvane.Server.HTML.h"
#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "orvane/server/Orvane.Session.h"

namespace orvane {

namespace {

// One "{%...%}" placeholder found in a page text.
struct TPlaceholder {
  size_t Start = 0;    // at "{%"
  size_t End = 0;      // one past "%}"
  std::string Prefix;  // upper-cased, up to the first blank
  bool Bare = true;    // no attributes after the prefix
};

std::vector<TPlaceholder> FindPlaceholders(const std::string& AText) {
  std::vector<TPlaceholder> found;
  size_t pos = 0;
  for (;;) {
    size_t open = AText.find("{%", pos);
    if (open == std::string::npos) break;
    size_t close = AText.find("%}", open + 2);
    if (close == std::string::npos) break;
    // The placeholder starts at the last "{%" before its "%}".
    open = AText.rfind("{%", close - 1);
    TPlaceholder p;
    p.Start = open;
    p.End = close + 2;
    size_t blank = AText.find(' ', open + 2);
    p.Bare = blank == std::string::npos || blank > close;
    p.Prefix = UpperCase(AText.substr(open + 2, (p.Bare ? close : blank) - open - 2));
    found.push_back(std::move(p));
    pos = close + 2;
  }
  return found;
}

// The control's HTML with its core replaced by ANewCore.
std::string WithCore(const TOrvaneControl& AControl, const std::string& ANewCore) {
  std::string html = AControl.GetHTMLControl();
  const std::string& core = AControl.GetHTMLCore();
  size_t at = core.empty() ? std::string::npos : html.find(core);
  if (at != std::string::npos) html.replace(at, core.size(), ANewCore);
  return html;
}

}  // namespace

const core::TClassInfo& TOrvaneForm::StaticClass() {
  static core::TClassInfo info("TOrvaneForm", &core::TComponent::StaticClass(),
                               core::FactoryOf<TOrvaneForm>());
  return info;
}

TOrvaneForm::TOrvaneForm(core::TComponent* AOwner)
    : core::TComponent(AOwner),
      FFormUUID(GenerateRandomString(14)),
      FControlsPrefix(GenerateRandomJustString(7)) {
  FTimerObserver = std::make_unique<TCustomTimer>(this, kObserverInterval, [this] { TimerTick(); });
}

void TOrvaneForm::StopObserver() {
  // A running pass stops at its next check.
  FDestroyingForm = true;
  FFormComponentsUpdating = true;
  // The timer is freed while FTimerObserver still points at it: freeing
  // waits for a tick that is running, and that tick still uses it.
  delete FTimerObserver.get();
  (void)FTimerObserver.release();
}

void TOrvaneForm::BeforeDestruction() {
  StopObserver();
  core::TComponent::BeforeDestruction();
}

TOrvaneForm::~TOrvaneForm() {
  BeginDestroy();
  // The timer is gone before the controls are (BeforeDestruction stopped
  // it already when the form was freed).
  StopObserver();
  for (TOrvaneControl* c : FControls)
    if (c->Owner() != this) RemoveFreeNotification(c);
  FControls.clear();
  FFocusedControl = nullptr;
  DestroyComponents();
}

std::string TOrvaneForm::GetLanguage() const {
  TOrvaneBaseClass* root = OrvaneBaseClass();
  return root ? root->GetOptions().Language() : "";
}

TOrvaneOptions* TOrvaneForm::OrvaneOptions() const {
  TOrvaneBaseClass* root = OrvaneBaseClass();
  return root ? &root->GetOptions() : nullptr;
}

void TOrvaneForm::AddControl(TOrvaneControl* AControl) {
  if (!AControl) return;
  if (AControl->Owner() == this) AControl->SetForm(this);
  if (std::find(FControls.begin(), FControls.end(), AControl) != FControls.end()) return;
  FControls.push_back(AControl);
  FControlCount = FControls.size();
  if (AControl->Owner() != this) FreeNotification(AControl);
  if (FControlCount.load() == 1 && FFormPageState.load() == TOrvanePageState::PageStateLoaded)
    if (FTimerObserver) FTimerObserver->Resume();
}

void TOrvaneForm::RemoveControl(TOrvaneControl* AControl) {
  if (!AControl || AControl->Owner() == this) return;
  if (std::find(FControls.begin(), FControls.end(), AControl) == FControls.end()) return;
  RemoveFreeNotification(AControl);
  RemoveFromList(AControl);
}

std::vector<IOrvaneControl*> TOrvaneForm::GetControls() {
  return std::vector<IOrvaneControl*>(FControls.begin(), FControls.end());
}

TOrvaneControl* TOrvaneForm::ControlByID(const std::string& AID) const {
  const std::string wanted = UpperCase(AID);
  for (TOrvaneControl* c : FControls)
    if (c->ID() == wanted) return c;
  return nullptr;
}

void TOrvaneForm::RemoveFromList(core::TComponent* AComponent) {
  FControls.erase(std::remove_if(FControls.begin(), FControls.end(),
                                 [&](TOrvaneControl* c) {
                                   return static_cast<core::TComponent*>(c) == AComponent;
                                 }),
                  FControls.end());
  FControlCount = FControls.size();
  if (static_cast<core::TComponent*>(FFocusedControl) == AComponent) FFocusedControl = nullptr;
}

void TOrvaneForm::Notification(core::TComponent* AComponent, core::TOperation AOperation) {
  core::TComponent::Notification(AComponent, AOperation);
  if (AOperation == core::TOperation::opRemove) RemoveFromList(AComponent);
}

void TOrvaneForm::Clear() {
  std::vector<TOrvaneControl*> controls = FControls;
  FControls.clear();
  FControlCount = 0;
  FFocusedControl = nullptr;
  for (TOrvaneControl* c : controls)
    if (c->Owner() == this)
      c->Free();
    else
      RemoveFreeNotification(c);
  FFormCacheHTMLText.clear();
}

std::string TOrvaneForm::GetControlsPrefix() const {
  return FEnableControlsPrefix ? FControlsPrefix : "";
}

void TOrvaneForm::RunOnSessionThread(const std::function<void()>& AProc) {
  IOrvaneSession* session = FOrvaneSession.load();
  if (!session || CurrentOrvaneSession() == session)
    AProc();
  else
    session->ExecThread(true, AProc);
}

// ---------------------------------------------------------------------------
// Page state and the observer

TOrvanePageState TOrvaneForm::GetFormPageState() const {
  if (IOrvaneVexloClass* host = FVexloClass ? FVexloClass->GetParentVexlo() : nullptr)
    if (auto* page = dynamic_cast<TOrvaneForm*>(host->GetOrvaneForm()); page && page != this)
      return page->GetFormPageState();
  return FFormPageState.load();
}

void TOrvaneForm::OnBeforePageLoad() {
  if (FTimerObserver) FTimerObserver->Pause();
  FFormPageState = TOrvanePageState::PageStateLoading;
}

void TOrvaneForm::OnAfterPageLoad() {
  FFormPageState = TOrvanePageState::PageStateLoaded;
  // A form without controls has nothing to observe.
  if (FTimerObserver && FControlCount.load() > 0) FTimerObserver->Resume();
  if (OnPageLoaded) OnPageLoaded(this);
  if (FVexloClass) FVexloClass->DoPageLoaded();
}

void TOrvaneForm::onFormUnload() {
  if (FTimerObserver) FTimerObserver->Pause();
  FFormPageState = TOrvanePageState::PageStateUnloaded;
}

void TOrvaneForm::Close() {
  FFormPageState = TOrvanePageState::PageStateUnloaded;
}

bool TOrvaneForm::ObserverRunning() const {
  return FTimerObserver && !FTimerObserver->Paused() && !FTimerObserver->Terminated();
}

void TOrvaneForm::Initialize() {
  for (TOrvaneControl* c : FControls)
    if (c->Initilized()) c->Initialize();
}

void TOrvaneForm::TimerTick() {
  IOrvaneSession* session = FOrvaneSession.load();
  if (session && session->Closing()) {
    FTimerObserver->Pause();
    return;
  }
  // A page without its WebSocket would lose the push (what changed is
  // pushed once it is back); and while no thread took the session's forms
  // guard since the last pass, no form code ran, so nothing changed.
  if (!session || session->OpenedConnections() > 0) {
    uint64_t entries = session ? session->FormsGuardEntries() : 0;
    if (entries == 0 || entries != FLastPassEntries.load() || FForceUpdateControls.load())
      ObserverPass();
  }
  if (FFormPageState.load() != TOrvanePageState::PageStateLoaded || FDestroyingForm.load() ||
      FControlCount.load() == 0 || (session && (session->Closing() || session->Destroying())))
    FTimerObserver->Pause();
}

bool TOrvaneForm::ObserverPass() {
  IOrvaneSession* session = FOrvaneSession.load();
  if (session && !session->TryEnterFormsGuard()) return false;
  // Taken inside the guard: the count includes this pass's own entry.
  if (session) FLastPassEntries = session->FormsGuardEntries();
  try {
    UpdatePass();
  } catch (...) {
  }
  if (session) session->LeaveFormsGuard();
  return true;
}

void TOrvaneForm::DoEventHandled() {
  if (FFormPageState.load() != TOrvanePageState::PageStateLoaded) return;
  IOrvaneSession* session = FOrvaneSession.load();
  if (session) session->EnterFormsGuard();
  try {
    UpdatePass();
  } catch (...) {
  }
  if (session) session->LeaveFormsGuard();
}

void TOrvaneForm::UpdatePass() {
  if (FFormComponentsUpdating.load()) return;
  IOrvaneSession* session = FOrvaneSession.load();
  const bool force = FForceUpdateControls.exchange(false);
  std::string script;
  for (TOrvaneControl* control : FControls) {
    if (FFormComponentsUpdating.load() ||
        (session && (session->Destroying() || session->Closing())))
      break;
    FPassList.clear();
    try {
      control->UpdateServerControls(FPassList, control->RefreshControl() ? true : force);
    } catch (...) {
      // A control whose desktop side fails to answer is skipped this time.
      continue;
    }
    if (FPassList.empty()) continue;
    // Three lines, each followed by a blank: the test, the statements and
    // the closing brace, so a control missing from the page is skipped.
    script += "if (document.getElementById(\"" + control->ID() + "\") !== null) { ";
    for (const std::string& line : FPassList) script += line + " ";
    script += " } ";
  }
  if (!script.empty() && !FFormComponentsUpdating.load() && session) session->ExecJS(script);
}

// ---------------------------------------------------------------------------
// Focus, popups, upload and tags

void TOrvaneForm::SetFocusedControl(IOrvaneControl* AControl) {
  TOrvaneControl* control = nullptr;
  for (TOrvaneControl* c : FControls)
    if (static_cast<IOrvaneControl*>(c) == AControl) control = c;
  if (FFocusedControl) {
    auto events = FFocusedControl->GetEvents();
    if (auto exit = events ? events->Item(TOrvaneEventType::EventOnExit) : nullptr) {
      TStringList none;
      exit->CallEvent(none);
    }
  }
  if (!control) {
    FFocusedControl = nullptr;
    return;
  }
  auto events = control->GetEvents();
  if (auto enter = events ? events->Item(TOrvaneEventType::EventOnEnter) : nullptr) {
    TStringList none;
    enter->CallEvent(none);
  }
  FFocusedControl = control;
}

void TOrvaneForm::ShowPopup(const std::string& AName) {
  if (IOrvaneVexloClass* vexlo = FVexloClass)
    RunOnSessionThread([vexlo, AName] { vexlo->ShowPopup(AName); });
}

void TOrvaneForm::ClosePopup(const std::string& AName) {
  if (FVexloClass) FVexloClass->ClosePopup(AName);
}

void TOrvaneForm::DoUpload(const std::vector<std::string>& AFiles) {
  if (FOnUpload) FOnUpload(AFiles, this);
  if (FVexloClass) FVexloClass->DoUpload(AFiles);
}

void TOrvaneForm::DoCellButtonClick(
    IOrvaneDBGrid* AOrvaneDBGrid,
    const std::shared_ptr<IOrvaneDBGridColumnButton>& AOrvaneCellButton, int ARow, int AColIndex) {
  IOrvaneVexloClass* vexlo = FVexloClass;
  if (!vexlo || !AOrvaneCellButton) return;
  // The button is held for the time of the call, whatever the handler does
  // to the columns.
  std::shared_ptr<IOrvaneDBGridColumnButton> button = AOrvaneCellButton;
  RunOnSessionThread([vexlo, AOrvaneDBGrid, button, ARow, AColIndex] {
    vexlo->DoCellButtonClick(AOrvaneDBGrid, button.get(), ARow, AColIndex);
  });
}

void TOrvaneForm::Show() {
  IOrvaneSession* session = FOrvaneSession.load();
  if (!session) return;
  TOrvaneServerHTML::ReloadPage(*session);
  if (FVexloClass && FVexloClass->ShowingModal()) {
    session->Lock(FFormUUID + "_showmodal");
    if (session->Destroying() || session->Closing()) core::Abort();
  }
}

void TOrvaneForm::DoTagHTML(const std::string& ATag, std::string& ReplaceTag) {
  if (OnTagHTML) OnTagHTML(ATag, ReplaceTag);
  if (ReplaceTag == ATag || ReplaceTag == "{{" + ATag + "}}")
    if (FVexloClass) FVexloClass->DoTagHTML(ATag, ReplaceTag);
}

void TOrvaneForm::DoProcessHTML(std::string& AHTML) {
  if (OnProcessHTML) OnProcessHTML(this, AHTML);
}

// ---------------------------------------------------------------------------
// Page-text replacements

void TOrvaneForm::ProcessPopup(std::string& AHTML) {
  if (!FVexloClass) return;
  for (const auto& [id, text] : FVexloClass->GetPopupTexts())
    ReplaceAllIgnoringCase(AHTML, "$orvanepopup(" + UpperCase(id) + ")", text);
}

void TOrvaneForm::ProcessNested(std::string& AHTML) {
  if (!FVexloClass) return;
  for (IOrvaneVexloClass* nested : FVexloClass->GetNestedVexlos())
    if (nested)
      ReplaceAllIgnoringCase(AHTML, "$orvanenested(" + UpperCase(nested->GetNestedName()) + ")",
                             nested->GetBodyHTML());
}

void TOrvaneForm::ProcessTagHTML(std::string& AHTML) {
  size_t pos = AHTML.find("{{");
  if (pos == std::string::npos) return;
  std::string out;
  pos = 0;
  for (;;) {
    size_t open = AHTML.find("{{", pos);
    if (open == std::string::npos) break;
    size_t close = AHTML.find("}}", open + 2);
    if (close == std::string::npos) break;
    const std::string match = AHTML.substr(open, close + 2 - open);
    const std::string tag = AHTML.substr(open + 2, close - open - 2);
    std::string replace = match;
    DoTagHTML(tag, replace);
    if ((replace == tag || replace == match) && SameText(match, "{{Title}}"))
      replace = HTMLEscape(FVexloClass ? FVexloClass->GetTitle() : "");
    out.append(AHTML, pos, open - pos);
    out += replace;
    pos = close + 2;
  }
  out.append(AHTML, pos, std::string::npos);
  AHTML = std::move(out);
}

void TOrvaneForm::ProcessCallBackTagHTML(std::string& AHTML) {
  IOrvaneSession* session = FOrvaneSession.load();
  auto callbacks = session ? session->GetCallBacks() : nullptr;
  if (!callbacks || AHTML.find("{{") == std::string::npos) return;
  for (const auto& [name, callback] : callbacks->GetCallBacks())
    ReplaceAllIgnoringCase(AHTML, "{{" + name + "}}",
                           callbacks->CallBackJS(name, FFormUUID, true, ""));
}

void TOrvaneForm::ProcessControlsToHTML(std::string& AHTML) {
  std::vector<TPlaceholder> found = FindPlaceholders(AHTML);
  if (found.empty()) return;
  const bool withTemplate = !FTemplatePageHTMLFile.empty();
  // What replaces each placeholder, decided before anything is replaced.
  std::vector<const std::string*> replacement(found.size(), nullptr);
  for (TOrvaneControl* control : FControls) {
    if (control->GetHTMLControl().empty() || control->GetUnformatedHTMLControl().empty()) continue;
    const std::string id = control->ID();
    if (!withTemplate) {
      for (size_t i = 0; i < found.size(); ++i)
        if (!replacement[i] && found[i].Prefix == id &&
            AHTML.compare(found[i].Start, found[i].End - found[i].Start,
                          control->GetUnformatedHTMLControl()) == 0)
          replacement[i] = &control->GetHTMLControl();
      continue;
    }
    // With a page template the first bare placeholder wins, else the first
    // one with attributes; the template's attributes and the id become the
    // control's core, with the attributes of its state.
    int target = -1;
    for (int pass = 0; pass < 2 && target < 0; ++pass)
      for (size_t i = 0; i < found.size(); ++i)
        if (!replacement[i] && found[i].Prefix == id && found[i].Bare == (pass == 0)) {
          target = static_cast<int>(i);
          break;
        }
    if (target < 0) continue;
    const TPlaceholder& p = found[static_cast<size_t>(target)];
    std::string attributes;
    if (!p.Bare) {
      size_t blank = AHTML.find(' ', p.Start + 2);
      attributes = AHTML.substr(blank, p.End - 2 - blank);
    }
    std::string base = attributes + " id=\"" + id + "\"";
    std::string withState = control->StateAttributes(base + " ");
    std::string newCore = withState == base + " " ? base : withState;
    control->SetHTMLControl(WithCore(*control, newCore));
    control->SetHTMLCore(newCore);
    replacement[static_cast<size_t>(target)] = &control->GetHTMLControl();
  }
  std::string out;
  size_t pos = 0;
  bool replaced = false;
  for (size_t i = 0; i < found.size(); ++i) {
    if (!replacement[i]) continue;
    out.append(AHTML, pos, found[i].Start - pos);
    out += *replacement[i];
    pos = found[i].End;
    replaced = true;
  }
  if (!replaced) return;
  out.append(AHTML, pos, std::string::npos);
  AHTML = std::move(out);
}

}  // namespace orvane
