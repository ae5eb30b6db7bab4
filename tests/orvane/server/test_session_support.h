// Small real objects standing in for the bridge layer and the web forms in the
// session, event and dispatch tests: a bridge object with its web form, a
// server controller that records its notices, and an engine root served on
// an ephemeral port.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Events.h"
#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Session.h"
#include "platform/ui/Controls.h"
#include "tests/orvane/server/OrvaneTestSupport.h"

namespace sesstest {

// Waits (bounded) until ACondition holds; for effects of another thread.
template <class F>
bool Eventually(F ACondition, int AMilliseconds = 10000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(AMilliseconds);
  while (std::chrono::steady_clock::now() < end) {
    if (ACondition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return ACondition();
}

// A thread-safe record of what happened, in order.
class TLog {
 public:
  void Add(const std::string& AText) {
    std::lock_guard<std::mutex> g(FLock);
    FItems.push_back(AText);
  }
  std::vector<std::string> Items() const {
    std::lock_guard<std::mutex> g(FLock);
    return FItems;
  }
  size_t Count(const std::string& AText) const {
    std::lock_guard<std::mutex> g(FLock);
    size_t n = 0;
    for (const auto& i : FItems) n += i == AText;
    return n;
  }

 private:
  mutable std::mutex FLock;
  std::vector<std::string> FItems;
};

class TTestVexlo;

// A web form with a fixed FormUUID that records the calls it receives.
class TTestWebForm : public orvane::IOrvaneForm {
 public:
  TTestWebForm(std::string AFormUUID, TLog& ALog) : FFormUUID(std::move(AFormUUID)), FLog(ALog) {}

  void DoUpload(const std::vector<std::string>&) override { FLog.Add(FFormUUID + ".upload"); }
  // Its page shows an upload for any file.
  bool GetUploadLimits(orvane::TOrvaneUploadLimits& ALimits) override {
    ALimits = orvane::TOrvaneUploadLimits{0, 0, 0, {}};
    return true;
  }
  bool Destroying() const override { return false; }
  orvane::IOrvaneSession* GetOrvaneSession() const override { return Session; }
  std::string GetFormUUID() const override { return FFormUUID; }
  std::vector<orvane::IOrvaneControl*> GetControls() override { return Controls; }
  orvane::IOrvaneVexloClass* GetVexloClass() override { return Vexlo; }
  void onComponentsUpdating() override {
    Updating = true;
    FLog.Add(FFormUUID + ".updating");
  }
  void onComponentsUpdated() override {
    Updating = false;
    FLog.Add(FFormUUID + ".updated");
  }
  bool GetComponentsUpdating() const override { return Updating.load(); }
  void OnAfterPageLoad() override { FLog.Add(FFormUUID + ".afterpageload"); }
  void UpdateControls() override { FLog.Add(FFormUUID + ".updatecontrols"); }
  void onFormUnload() override { FLog.Add(FFormUUID + ".unload"); }
  void SetFocusedControl(orvane::IOrvaneControl* AControl) override;
  orvane::TOnPopup GetOnShowPopup() const override { return OnShowPopup; }
  orvane::TOnPopup GetOnClosePopup() const override { return OnClosePopup; }

  orvane::IOrvaneSession* Session = nullptr;
  orvane::IOrvaneVexloClass* Vexlo = nullptr;
  std::vector<orvane::IOrvaneControl*> Controls;
  std::atomic<bool> Updating{false};
  orvane::TOnPopup OnShowPopup, OnClosePopup;
  std::atomic<orvane::IOrvaneControl*> Focused{nullptr};

 private:
  std::string FFormUUID;
  TLog& FLog;
};

// A bridge object with a desktop form (a plain component) and a web form.
class TTestVexlo : public orvane::IOrvaneVexloClass {
 public:
  TTestVexlo(const std::string& AFormUUID, TLog& ALog, core::TComponent* ADesktopForm = nullptr)
      : Form(AFormUUID, ALog), DesktopForm(ADesktopForm), FLog(ALog) {
    Form.Vexlo = this;
  }

  orvane::IOrvaneForm* GetOrvaneForm() override { return HasForm ? &Form : nullptr; }
  orvane::IOrvaneVexloClass* GetParentVexlo() override { return Parent; }
  std::vector<orvane::IOrvaneVexloClass*> GetNestedVexlos() override { return Nested; }
  core::TComponent* GetVexloForm() override { return DesktopForm; }
  void SetPriorVexlo(core::TComponent* APriorForm) override { Prior = APriorForm; }
  void PopupOpened(const std::string& AName) override {
    FLog.Add(Form.GetFormUUID() + ".popupopened:" + AName);
  }
  void PopupClosed(const std::string& AName) override {
    FLog.Add(Form.GetFormUUID() + ".popupclosed:" + AName);
  }

  // Nests AChild in this bridge object.
  void AddNested(TTestVexlo& AChild) {
    AChild.Parent = this;
    Nested.push_back(&AChild);
  }

  TTestWebForm Form;
  bool HasForm = true;
  core::TComponent* DesktopForm;
  orvane::IOrvaneVexloClass* Parent = nullptr;
  std::vector<orvane::IOrvaneVexloClass*> Nested;
  core::TComponent* Prior = nullptr;

 private:
  TLog& FLog;
};

inline void TTestWebForm::SetFocusedControl(orvane::IOrvaneControl* AControl) {
  Focused = AControl;
  FLog.Add(FFormUUID + ".focused");
}

// A server controller that records its notices and can run a hook on each.
class TRecordingController : public orvane::IVexloServerControllerBase {
 public:
  std::string ServerName() const override { return "Tamblo"; }
  std::string ServerDescription() const override { return "Servidor de teste das sessões"; }
  void DoSessionChange(orvane::TSessionChangeType AType,
                       const std::shared_ptr<orvane::IOrvaneSession>& ASession) override {
    {
      std::lock_guard<std::mutex> g(FLock);
      FNotices.push_back(AType);
    }
    if (Hook) Hook(AType, ASession);
  }
  void InstancePrimaryForm(const std::shared_ptr<orvane::IOrvaneSession>& ASession) override {
    if (OnInstancePrimaryForm) OnInstancePrimaryForm(ASession);
  }
  std::vector<orvane::TSessionChangeType> Notices() const {
    std::lock_guard<std::mutex> g(FLock);
    return FNotices;
  }
  // The notices other than sctActiveSession, in order.
  std::vector<orvane::TSessionChangeType> LifeNotices() const {
    std::vector<orvane::TSessionChangeType> r;
    for (auto n : Notices())
      if (n != orvane::TSessionChangeType::sctActiveSession) r.push_back(n);
    return r;
  }
  // Set before the sessions start.
  std::function<void(const std::shared_ptr<orvane::IOrvaneSession>&)> OnInstancePrimaryForm;
  std::function<void(orvane::TSessionChangeType, const std::shared_ptr<orvane::IOrvaneSession>&)>
      Hook;

 private:
  mutable std::mutex FLock;
  std::vector<orvane::TSessionChangeType> FNotices;
};

// A web control over a desktop control: a state record's "text" goes into
// the desktop control's text; a record holding "fail" makes it throw.
class TTestControl : public orvane::IOrvaneControl {
 public:
  TTestControl(TTestWebForm& AForm, ui::TControl* ADesktop, std::string AName, TLog& ALog,
               bool AIsGrid = false)
      : FForm(AForm), FDesktop(ADesktop), FName(std::move(AName)), FLog(ALog), FIsGrid(AIsGrid) {
    FEvents = std::make_shared<orvane::TOrvaneControlEvents>(this);
    AForm.Controls.push_back(this);
  }

  std::string GetName() const override { return FName; }
  std::string GetNamePrefix() const override {
    return Prefix.empty() ? FName : Prefix + "_" + FName;
  }
  bool GetEnabled() override { return Enabled.load(); }
  bool GetVisible() override { return Visible.load(); }
  bool GetReadOnly() override { return ReadOnly.load(); }
  core::TComponent* GetVCLComponent() const override { return FDesktop; }
  orvane::IOrvaneForm* GetForm() const override { return &FForm; }
  std::shared_ptr<orvane::IOrvaneControlEvents> GetEvents() override { return FEvents; }
  bool IsDBGrid() override { return FIsGrid; }
  void ProcessEventParameters(const std::shared_ptr<orvane::IOrvaneControlEvent>&,
                              orvane::TStringList& AParameters) override {
    std::string joined;
    for (const auto& p : AParameters)
      if (p.rfind("OrvaneComponentsStatus=", 0) != 0) joined += (joined.empty() ? "" : "|") + p;
    FLog.Add(FName + ".params:" + joined);
  }
  void ProcessComponentState(const nlohmann::json& AState) override {
    if (AState.contains("fail")) throw std::runtime_error("estado recusado");
    auto text = AState.find("text");
    if (text != AState.end() && text->is_string() && FDesktop) FDesktop->SetText(*text);
    FLog.Add(FName + ".state");
  }

  std::atomic<bool> Enabled{true}, Visible{true}, ReadOnly{false};
  std::string Prefix;

 private:
  TTestWebForm& FForm;
  ui::TControl* FDesktop;
  std::string FName;
  TLog& FLog;
  bool FIsGrid;
  std::shared_ptr<orvane::TOrvaneControlEvents> FEvents;
};

// An engine root over a temporary web root, listening on an ephemeral port of
// 127.0.0.1, with a recording server controller.
struct TTestEngine {
  TTestEngine() {
    Dir = testnet::TempDir("tamblo-sessions");
    Root = Dir / "wwwroot";
    Controller = std::make_shared<TRecordingController>();
    Engine = std::make_unique<orvane::TOrvaneBaseClass>();
    Engine->SetServerController(Controller);
    Engine->GetOptions().SetRootDirectory(Root.string() + "/");
    Engine->INIConfig().SetFileName((Dir / "Config.ini").string());
    Engine->OrvaneServerTCP().DefaultBindAddress = "127.0.0.1";
    Engine->SetServerPort(0);
  }
  ~TTestEngine() {
    Engine.reset();
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  void Start() {
    Engine->StartServer();
    Port = Engine->OrvaneServerTCP().BoundPort();
  }
  // A new session registered in the table, as the page handler does.
  std::shared_ptr<orvane::TOrvaneSession> NewSession() {
    auto s = orvane::TOrvaneSession::Create(Engine.get());
    Engine->AddSession(s);
    return s;
  }
  // A main-channel connection upgraded for the session (null when refused).
  std::unique_ptr<testnet::TClient> OpenSocket(const orvane::IOrvaneSession& ASession,
                                               const std::string& ARoute = "connectionparams") {
    auto c = std::make_unique<testnet::TClient>(Port);
    std::string head = orvanetest::UpgradeRequest(
        *c, "/websocket/" + ARoute + "?token=" + ASession.GetToken() +
                "&orvanesession=" + ASession.GetUUID() + "&channelname=x");
    if (head.find("101 Switching Protocols") == std::string::npos) return nullptr;
    return c;
  }

  std::filesystem::path Dir, Root;
  std::shared_ptr<TRecordingController> Controller;
  std::unique_ptr<orvane::TOrvaneBaseClass> Engine;
  int Port = 0;
};

}  // namespace sesstest
