// Click to page benchmark: from a page's click leaving the browser to the
// change its handler made arriving as a pushed script, p50 and p99, with 1
// and with 100 sessions active at once. The pages are scripted: each loads a
// real page from a real server in this process, opens its WebSocket and
// sends the messages the page's runtime sends (the click with the states of
// its controls); the handler changes a label, whose new text the server
// pushes right after the handler returns.
//   click_to_dom [--clicks N] [--interval MS] [--sessions N]
//   click_to_dom --serve PORT [--load N] [--interval MS]
// The second form serves the same page on PORT while N scripted sessions
// keep clicking, for a real browser to measure (bench/click_to_dom_browser.js).
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/uServerController.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Server.HTML.h"
#include "orvane/server/Orvane.Session.h"
#include "platform/ui/StdCtrls.h"
#include "tests/support/WebPageClient.h"
#include "vexlo/Vexlo.Forms.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.Manager.h"
#include "vexlo/Vexlo.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// The page under measure: a button whose click counts in a label.
class TfContador : public vexlo::TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  explicit TfContador(core::TComponent* AOwner) : vexlo::TVexloForm(AOwner) {
    SetName("fContador");
    edtNome = Add<ui::TEdit>("edtNome");
    edtNome->SetText("Ana");
    lblContador = Add<ui::TLabel>("lblContador");
    lblContador->SetCaption("Cliques: 0");
    btnContar = Add<ui::TButton>("btnContar");
    btnContar->SetCaption("Contar");
    btnContar->OnClick = [this](core::TComponent*) {
      lblContador->SetCaption("Cliques: " + std::to_string(++FCliques));
    };
  }
  void ExportVexlo() override {
    SetTitle("Contador");
    auto row = Vexlo()->Items().Add().Row("row", false, "", "", "");
    row->Items().Add().VCLObj(edtNome);
    row->Items().Add().VCLObj(btnContar);
    row->Items().Add().VCLObj(lblContador);
  }
  ui::TEdit* edtNome;
  ui::TLabel* lblContador;
  ui::TButton* btnContar;

 private:
  template <class T>
  T* Add(const std::string& AName) {
    T* c = new T(this);
    c->SetName(AName);
    c->SetParent(this);
    return c;
  }
  int FCliques = 0;
};

const core::TClassInfo& TfContador::StaticClass() {
  static core::TClassInfo info("TfContador", &vexlo::TVexloForm::StaticClass(),
                               core::FactoryOf<TfContador>());
  return info;
}

struct TServer {
  explicit TServer(int APort) {
    Dir = fs::temp_directory_path() / ("tamblo-bench-clicks-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    Engine = std::make_unique<orvane::TOrvaneBaseClass>();
    Manager = std::make_shared<vexlo::TVexloManager>();
    Manager->SetOrvane(Engine.get());
    Manager->SetPrimaryFormClass(&TfContador::StaticClass());
    vexlo::SetVexloManager(Manager);
    app::InstallSessionHooks();
    Engine->SetServerController(std::make_shared<app::TServerController>());
    app::ConfigureWebEngine(*Engine);
    Engine->GetOptions().SetRootDirectory(Dir.string() + "/");
    Engine->GetOptions().SetUseINIConfig(false);
    Engine->OrvaneServerTCP().DefaultBindAddress = "127.0.0.1";
    Engine->SetServerPort(APort);
    Pages = std::make_unique<orvane::TOrvaneServerHTML>(*Engine);
    Engine->StartServer();
    Port = Engine->OrvaneServerTCP().BoundPort();
  }
  ~TServer() {
    Engine->StopServer();
    orvane::CloseAllSessions(*Engine);
    Pages.reset();
    Engine.reset();
    vexlo::SetVexloManager(nullptr);
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  fs::path Dir;
  std::unique_ptr<orvane::TOrvaneBaseClass> Engine;
  std::shared_ptr<vexlo::TVexloManager> Manager;
  std::unique_ptr<orvane::TOrvaneServerHTML> Pages;
  int Port = 0;
};

// One scripted page clicking the button; each click's time from the send
// to the push with the label's new text.
class TClicker {
 public:
  explicit TClicker(int APort)
      : FSocket(APort, webclient::LoadPage(APort)),
        FClickID(FSocket.Page().Events.at("btnContar").at("click")) {
    FSocket.AfterPageLoad();
  }
  double Click() {
    const std::string states = webclient::StatesParameter(
        nlohmann::json::array({{{"id", "EDTNOME"}, {"text", "Ana & Maria 100%"}},
                               {{"id", "BTNCONTAR"}},
                               {{"id", "LBLCONTADOR"}}}));
    auto t0 = Clock::now();
    FSocket.ExecEvent("btnContar", FClickID, states, true);
    FSocket.WaitForScript("Cliques: " + std::to_string(++FCount));
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  }

 private:
  webclient::TPageSocket FSocket;
  std::string FClickID;
  int FCount = 0;
};

void Report(const char* AWhat, std::vector<double> AMs) {
  if (AMs.empty()) return;
  std::sort(AMs.begin(), AMs.end());
  auto at = [&](double q) { return AMs[std::min(AMs.size() - 1, size_t(q * AMs.size()))]; };
  std::printf("%-44s clicks %6zu  p50 %7.3f ms  p99 %7.3f ms  max %7.3f ms\n", AWhat, AMs.size(),
              at(0.50), at(0.99), AMs.back());
  std::fflush(stdout);
}

// ASessions pages clicking at once, each AClicks times, waiting AIntervalMs
// between a push and its next click.
std::vector<double> Run(int APort, int ASessions, int AClicks, int AIntervalMs) {
  std::vector<std::unique_ptr<TClicker>> pages;
  for (int i = 0; i < ASessions; ++i) pages.push_back(std::make_unique<TClicker>(APort));
  std::mutex lock;
  std::vector<double> all;
  std::vector<std::thread> threads;
  for (auto& page : pages)
    threads.emplace_back([&, p = page.get()] {
      std::vector<double> mine;
      for (int i = 0; i < AClicks; ++i) {
        mine.push_back(p->Click());
        if (AIntervalMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(AIntervalMs));
      }
      std::lock_guard<std::mutex> g(lock);
      all.insert(all.end(), mine.begin(), mine.end());
    });
  for (auto& t : threads) t.join();
  return all;
}

int Arg(int argc, char** argv, const char* AName, int ADefault) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == AName) return std::atoi(argv[i + 1]);
  return ADefault;
}

}  // namespace

int main(int argc, char** argv) {
  const int serve = Arg(argc, argv, "--serve", -1);
  const int interval = Arg(argc, argv, "--interval", 100);
  if (serve >= 0) {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    TServer server(serve);
    const int load = Arg(argc, argv, "--load", 0);
    std::atomic<bool> stopping{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < load; ++i)
      threads.emplace_back([&] {
        TClicker page(server.Port);
        while (!stopping) {
          page.Click();
          std::this_thread::sleep_for(std::chrono::milliseconds(interval));
        }
      });
    std::printf("servindo em http://127.0.0.1:%d/ com %d sessões clicando\n", server.Port, load);
    std::fflush(stdout);
    int sig = 0;
    sigwait(&stop, &sig);
    stopping = true;
    for (auto& t : threads) t.join();
    return 0;
  }
  const int clicks = Arg(argc, argv, "--clicks", 200);
  const int sessions = Arg(argc, argv, "--sessions", 100);
  TServer server(0);
  std::printf(
      "clique até a página (envio do clique -> script com a mudança), "
      "intervalo entre cliques de uma sessão %d ms\n",
      interval);
  Report("1 sessão", Run(server.Port, 1, clicks * 5, interval > 0 ? 10 : 0));
  Report((std::to_string(sessions) + " sessões ativas ao mesmo tempo").c_str(),
         Run(server.Port, sessions, clicks, interval));
  Report((std::to_string(sessions) + " sessões sem pausa (máquina saturada)").c_str(),
         Run(server.Port, sessions, clicks / 4, 0));
  return 0;
}
