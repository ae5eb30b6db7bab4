// The observer's cost (not a test), in one process: N sessions, each with a
// loaded page of 5 web controls over desktop edits (state and text hooks as
// the adapters install them), WebSocket counted as open. Prints the CPU the
// idle pages cost while the observers tick (target <= 2 % of one core for
// 1,000) and the time of one pass that compares 5 unchanged controls.
//   observer_idle [N=1000] [WINDOW_SECONDS=20]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "orvane/controls/Orvane.Forms.Controls.h"
#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Session.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "vexlo/Vexlo.Util.h"

namespace {

// An edit as the input controls build it: its text compared on each pass.
class TBenchEdit : public orvane::TOrvaneControl {
 public:
  using orvane::TOrvaneControl::TOrvaneControl;
  std::string Text() { return ProcGetText ? orvane::VarToStr(ProcGetText()) : FStored; }
  void Initialize() override {
    orvane::TOrvaneControl::Initialize();
    FStored = Text();
  }
  void ProcessHTML() override { FHTMLControl = "<input " + FHTMLCore + "/>"; }
  void UpdateServerControls(orvane::TStringList& ScriptJS, bool AForceUpdate) override {
    orvane::TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
    std::string text = Text();
    if (text != FStored || AForceUpdate) {
      FStored = text;
      ScriptJS.push_back(ElementJS() + ".value = " + orvane::FormatValueHTML(text) + ";");
    }
  }
  void ProcessEventParameters(const std::shared_ptr<orvane::IOrvaneControlEvent>&,
                              orvane::TStringList&) override {}
  void ProcessComponentState(const nlohmann::json&) override {}
  bool GetEnableComponentState() override { return true; }
  orvane::TOnGetValue ProcGetText;

 private:
  std::string FStored;
};

struct TPage {
  std::shared_ptr<orvane::TOrvaneSession> Session;
  ui::TForm* Desktop = nullptr;
  orvane::TOrvaneForm* Form = nullptr;
};

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int window = argc > 2 ? std::atoi(argv[2]) : 20;
  auto dir =
      std::filesystem::temp_directory_path() / ("tamblo-observer-" + std::to_string(getpid()));
  auto root = std::make_unique<orvane::TOrvaneBaseClass>();
  root->GetOptions().SetRootDirectory(dir.string() + "/");

  std::vector<TPage> pages(static_cast<size_t>(n));
  for (TPage& p : pages) {
    p.Session = orvane::TOrvaneSession::Create(root.get());
    root->AddSession(p.Session);
    p.Session->EnterFormsGuard();
    p.Desktop = new ui::TForm(nullptr);
    p.Form = new orvane::TOrvaneForm(nullptr);
    p.Form->SetSession(p.Session.get());
    for (int i = 0; i < 5; ++i) {
      auto* edit = new ui::TEdit(p.Desktop);
      edit->SetName("edit" + std::to_string(i));
      edit->SetParent(p.Desktop);
      edit->SetText("valor " + std::to_string(i));
      auto* web = new TBenchEdit(p.Form);
      web->SetName(edit->Name());
      web->SetVCLComponent(edit);
      web->SetProcGetEnabled(
          [edit] { return orvane::TOrvaneVariant(vexlo::GetEnabledRecursive(edit)); });
      web->SetProcGetVisible(
          [edit] { return orvane::TOrvaneVariant(vexlo::GetVisibleRecursive(edit)); });
      web->ProcGetText = [edit] { return orvane::TOrvaneVariant(edit->Text()); };
      web->FormatHTMLControl("{%" + web->GetNamePrefix() + " class=\"form-control\"%}");
    }
    p.Session->LeaveFormsGuard();
    p.Session->IncOpenedConnections();
    p.Form->OnAfterPageLoad();
  }
  std::this_thread::sleep_for(std::chrono::seconds(2));  // the first passes

  double c0 = CpuSeconds();
  std::this_thread::sleep_for(std::chrono::seconds(window));
  double c1 = CpuSeconds();
  std::printf("%d páginas ociosas com 5 controles cada, observadores ativos (100 ms):\n", n);
  std::printf("  CPU em %d s: %.2f %% de um núcleo (meta <= 2 %%)\n", window,
              100.0 * (c1 - c0) / window);

  // One pass comparing 5 unchanged controls, as right after form code ran.
  const int rounds = 20;
  auto t0 = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r)
    for (TPage& p : pages) p.Form->ObserverPass();
  double us =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() /
      (rounds * n);
  std::printf("  uma passagem sobre 5 controles sem mudança: %.2f us\n", us);
  std::printf("  (ocioso seria %d x 10 passagens/s = %.2f %% de um núcleo sem o atalho)\n", n,
              us * n * 10 / 1e4);

  for (TPage& p : pages) {
    p.Form->onFormUnload();
    p.Session->EnterFormsGuard();
    p.Form->Free();
    p.Desktop->Free();
    p.Session->LeaveFormsGuard();
    p.Session->Close();
  }
  pages.clear();
  root.reset();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
