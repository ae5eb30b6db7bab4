// What the web page tests share: an engine root over a temporary web root
// (not listening), sessions that record what they push, and a small web
// control over a text value.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "orvane/controls/Orvane.Forms.Controls.h"
#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Session.h"
#include "orvane/server/Orvane.Util.h"

namespace webtest {

inline std::filesystem::path TempDir(const std::string& AName) {
  auto p = std::filesystem::temp_directory_path() /
           (AName + "-" + std::to_string(::getpid()) + "-" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(p);
  return p;
}

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

// A session whose pushes are recorded instead of written to a socket.
class TRecordingSession : public orvane::TOrvaneSession {
 public:
  using orvane::TOrvaneSession::TOrvaneSession;
  void ExecJS(const std::string& AScriptJS) override {
    std::lock_guard<std::mutex> g(FLock);
    FPushes.push_back(AScriptJS);
  }
  std::vector<std::string> Pushes() const {
    std::lock_guard<std::mutex> g(FLock);
    return FPushes;
  }
  std::vector<std::string> TakePushes() {
    std::lock_guard<std::mutex> g(FLock);
    return std::exchange(FPushes, {});
  }

 private:
  mutable std::mutex FLock;
  std::vector<std::string> FPushes;
};

// An engine root over a temporary web root; sessions are registered in it.
struct TTestRoot {
  TTestRoot() {
    Dir = TempDir("tamblo-webpages");
    Engine = std::make_unique<orvane::TOrvaneBaseClass>();
    Engine->GetOptions().SetRootDirectory(Dir.string() + "/");
    Engine->INIConfig().SetFileName((Dir / "Config.ini").string());
  }
  ~TTestRoot() {
    Engine.reset();
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  std::shared_ptr<TRecordingSession> NewSession() {
    auto session = std::make_shared<TRecordingSession>(Engine.get());
    Engine->AddSession(session);
    return session;
  }
  std::filesystem::path Dir;
  std::unique_ptr<orvane::TOrvaneBaseClass> Engine;
};

// Runs AProc inside the session's forms guard on this thread, as form code
// does.
template <class F>
void InGuard(orvane::IOrvaneSession& ASession, F AProc) {
  ASession.EnterFormsGuard();
  try {
    AProc();
  } catch (...) {
    ASession.LeaveFormsGuard();
    throw;
  }
  ASession.LeaveFormsGuard();
}

// A web control over a text value: an input element whose value the page
// reports as "text" and which pushes its value when the desktop side
// changes it.
class TTestEdit : public orvane::TOrvaneControl {
  CORE_DECLARE_CLASS()
 public:
  using orvane::TOrvaneControl::TOrvaneControl;

  std::string GetText() { return ProcGetText ? orvane::VarToStr(ProcGetText()) : FStoredText; }
  void SetText(const std::string& AValue) {
    if (ProcSetText && AValue != FStoredText) ProcSetText(AValue);
    FStoredText = AValue;
  }
  void Initialize() override {
    orvane::TOrvaneControl::Initialize();
    FStoredText = GetText();
  }
  void ProcessHTML() override {
    FHTMLControl = "<input " + FHTMLCore + " value=\"" + orvane::HTMLEscape(GetText()) + "\"/>";
  }
  void UpdateServerControls(orvane::TStringList& ScriptJS, bool AForceUpdate) override {
    if (AForceUpdate) ++ForcedPasses;
    orvane::TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
    std::string text = GetText();
    if (text != FStoredText || AForceUpdate) {
      FStoredText = text;
      ScriptJS.push_back(ElementJS() + ".value = " + orvane::FormatValueHTML(text) + ";");
    }
  }
  void ProcessEventParameters(const std::shared_ptr<orvane::IOrvaneControlEvent>&,
                              orvane::TStringList&) override {}
  void ProcessComponentState(const nlohmann::json& AState) override {
    auto text = AState.find("text");
    if (text != AState.end() && text->is_string()) SetText(*text);
  }
  bool GetEnableComponentState() override { return true; }
  bool IsEdit() override { return true; }

  orvane::TOnGetValue ProcGetText;
  orvane::TOnSetValue ProcSetText;
  int ForcedPasses = 0;

 protected:
  void ClearHooks() override {
    orvane::TOrvaneControl::ClearHooks();
    ProcGetText = nullptr;
    ProcSetText = nullptr;
  }

 private:
  std::string FStoredText;
};

inline const core::TClassInfo& TTestEdit::StaticClass() {
  static core::TClassInfo info("TTestEdit", &orvane::TOrvaneControl::StaticClass(),
                               core::FactoryOf<TTestEdit>());
  return info;
}

}  // namespace webtest
