// The staff benchmark (not a test), against a running `tamblo --web` on
// 127.0.0.1:PORT (process PID) with the demo database. Scripted pages send
// what the browser's runtime sends (the page, its WebSocket, the events with
// the states of the controls, the grid's rows request):
//   webapp_staff load PORT [STAFF=100] [SECONDS=300] [PAUSE_MS=1000]
//     STAFF sessions at once, each in a loop: log in, open the request list
//     (page and rows), filter it by a text (the rows again), open a request
//     ("Alterar": the popup over the list), save it, and leave ("Sair").
//     Between two steps a member of staff pauses as a person does: a random
//     time between half and one and a half PAUSE_MS (0: no pause, every
//     session as fast as it can, which measures queueing on a saturated
//     machine rather than the time of a step). Everyone edits the same
//     request, so saves meet each other too. Prints per step the count,
//     errors, p50, p99 and max (target: 0 errors, p99 <= 50 ms).
//   webapp_staff memory PORT PID [N=100]
//     N sessions logged in with the menu and the request list open; prints
//     the resident memory they add per session (target <= 1 MB).
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/ProcessStatus.h"
#include "tests/support/WebPageClient.h"

using Clock = std::chrono::steady_clock;
using webclient::TPage;
using webclient::TPageSocket;

using benchproc::ResidentKB;

namespace {

// The event id of a control's browser event on the page ("click", "input").
std::string EventOf(const TPage& APage, const std::string& AControl, const std::string& AJS) {
  auto c = APage.Events.find(AControl);
  if (c == APage.Events.end()) throw std::runtime_error("sem controle " + AControl);
  auto e = c->second.find(AJS);
  if (e == c->second.end()) throw std::runtime_error("sem evento " + AJS + " de " + AControl);
  return e->second;
}

// The web form a control's events name (a nested form's own), as its
// event script on the page writes it.
std::string FormOf(const TPage& APage, const std::string& AControl) {
  const std::string call = "ExecEvent('" + APage.UUID + "', '" + APage.Token + "', '";
  for (size_t at = APage.HTML.find(call); at != std::string::npos;
       at = APage.HTML.find(call, at + 1)) {
    auto args = webclient::detail::Arguments(APage.HTML, at, '\'');
    if (args.size() >= 4 && args[3] == AControl) return args[2];
  }
  return APage.FormUUID;
}

// The element id on the page that ends with "_" + ASuffix (a nested form's
// control), or ASuffix itself.
std::string ElementID(const TPage& APage, const std::string& ASuffix) {
  size_t at = APage.HTML.find("_" + ASuffix + "\"");
  if (at == std::string::npos) return ASuffix;
  size_t start = APage.HTML.rfind('"', at);
  return APage.HTML.substr(start + 1, at + 1 + ASuffix.size() - start - 1);
}

// GETs the rows of the page's grid named AGrid (its "rest/json/jqgrid/get"
// address in the page); the answer's body.
std::string GridRows(int APort, const TPage& APage, const std::string& AGrid) {
  const std::string marker = "rest/json/jqgrid/get?controlid=";
  size_t at = APage.HTML.find(marker);
  for (; at != std::string::npos; at = APage.HTML.find(marker, at + 1)) {
    size_t amp = APage.HTML.find('&', at);
    std::string id = APage.HTML.substr(at + marker.size(), amp - at - marker.size());
    if (id.size() >= AGrid.size() && id.compare(id.size() - AGrid.size(), AGrid.size(), AGrid) == 0)
      break;
  }
  if (at == std::string::npos) throw std::runtime_error("página sem a grade " + AGrid);
  size_t end = APage.HTML.find('\'', at);
  testnet::TClient client(APort);
  client.Send("GET /" + APage.HTML.substr(at, end - at) +
              " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: funcionario\r\n\r\n");
  std::string answer = client.ReadAll();
  if (answer.rfind("HTTP/1.1 200", 0) != 0) throw std::runtime_error("linhas não servidas");
  return answer.substr(answer.find("\r\n\r\n") + 4);
}

struct TStep {
  std::vector<double> Ms;
  int Errors = 0;
};

class TStaff {
 public:
  explicit TStaff(int APort) : FPort(APort) {}

  // The page loaded again after the server asked for a reload.
  void Reload() {
    FPage = webclient::LoadPage(FPort, "/", &FPage);
    FSocket = std::make_unique<TPageSocket>(FPort, FPage);
    FSocket->AfterPageLoad();
  }
  // An event of a control, sent for the web form its script names.
  void Event(const std::string& AControl, const std::string& AJS, const nlohmann::json& AStates) {
    FSocket->Send(TPageSocket::Message("procedure", "ExecEvent",
                                       {{"UUID", FPage.UUID},
                                        {"Token", FPage.Token},
                                        {"FormUUID", FormOf(FPage, AControl)},
                                        {"ID", AControl},
                                        {"EventID", EventOf(FPage, AControl, AJS)},
                                        {"Parameters", webclient::StatesParameter(AStates)},
                                        {"LockClient", true}}));
  }
  void Click(const std::string& AControl, const nlohmann::json& AStates = nlohmann::json::array()) {
    Event(AControl, "click", AStates);
  }

  void LogIn() {
    FPage = webclient::LoadPage(FPort);
    FSocket = std::make_unique<TPageSocket>(FPort, FPage);
    FSocket->AfterPageLoad();
    Click("btnEntrar",
          {{{"id", "EDTLOGIN"}, {"text", "bryn"}}, {{"id", "EDTSENHA"}, {"text", "bryn"}}});
    FSocket->WaitForScript("window.location.reload()");
    Reload();
  }
  void OpenList() {
    Click("SpeedButton4");
    FSocket->WaitForScript("window.location.reload()");
    Reload();
    GridRows(FPort, FPage, "DBGTAREFAS");
  }
  void Filter(const std::string& AText) {
    const std::string id = ElementID(FPage, "EDTPESQUISA");
    Event("edtPesquisa", "input", {{{"id", id}, {"text", AText}}});
    FSocket->WaitForScript("reloadGrid");
    GridRows(FPort, FPage, "DBGTAREFAS");
  }
  void OpenRequest() {
    Click("btnAlterar");
    FSocket->WaitForScript("window.location.reload()");
    FPage = webclient::LoadPage(FPort, "/", &FPage);
    FSocket = std::make_unique<TPageSocket>(FPort, FPage);
    FSocket->ExecEvent(FPage.FormUUID, "AfterPageLoad", "", true);
    FSocket->WaitForScript(".show()");
  }
  void Save(int ACount) {
    const std::string id = ElementID(FPage, "DBEDIT3");
    Click("btnSalvar",
          {{{"id", id}, {"text", "Registro \"revisto\" <" + std::to_string(ACount) + "> água"}}});
    FSocket->WaitForScript(".hide()");
  }
  void LeaveApp() {
    Click("btnFechar");
    FSocket->WaitForScript("window.location.replace");
    FSocket.reset();
  }

 private:
  int FPort;
  TPage FPage;
  std::unique_ptr<TPageSocket> FSocket;
};

double Percentile(std::vector<double> AValues, double AP) {
  if (AValues.empty()) return 0;
  std::sort(AValues.begin(), AValues.end());
  size_t i = static_cast<size_t>(AP * static_cast<double>(AValues.size() - 1) + 0.5);
  return AValues[std::min(i, AValues.size() - 1)];
}

int Load(int APort, int AStaff, int ASeconds, int APauseMs) {
  const char* names[] = {"login", "lista", "filtro", "abrir", "salvar", "sair"};
  std::mutex lock;
  std::map<std::string, TStep> steps;
  std::atomic<long> cycles{0};
  const auto end = Clock::now() + std::chrono::seconds(ASeconds);
  std::vector<std::thread> threads;
  for (int s = 0; s < AStaff; ++s)
    threads.emplace_back([&, s] {
      // Starts spread over the first second.
      std::this_thread::sleep_for(std::chrono::milliseconds(s * 1000 / std::max(1, AStaff)));
      std::minstd_rand random(static_cast<unsigned>(s) + 1);
      std::uniform_int_distribution<int> pause(APauseMs / 2, APauseMs * 3 / 2);
      int n = 0;
      while (Clock::now() < end) {
        TStaff staff(APort);
        const std::function<void()> actions[] = {
            [&] { staff.LogIn(); },       [&] { staff.OpenList(); }, [&] { staff.Filter("a"); },
            [&] { staff.OpenRequest(); }, [&] { staff.Save(n); },    [&] { staff.LeaveApp(); }};
        for (int k = 0; k < 6; ++k) {
          if (APauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
          auto t0 = Clock::now();
          bool ok = true;
          try {
            actions[k]();
          } catch (const std::exception& e) {
            ok = false;
            std::lock_guard<std::mutex> g(lock);
            if (steps[names[k]].Errors++ < 3)
              std::fprintf(stderr, "erro em %s: %s\n", names[k], e.what());
          }
          double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
          std::lock_guard<std::mutex> g(lock);
          if (ok) steps[names[k]].Ms.push_back(ms);
          if (!ok) break;
        }
        ++n;
        ++cycles;
      }
    });
  for (auto& t : threads) t.join();
  std::printf("%d funcionários por %d s, pausa média de %d ms entre passos: %ld ciclos\n", AStaff,
              ASeconds, APauseMs, cycles.load());
  std::printf("%-8s %8s %6s %9s %9s %9s\n", "passo", "vezes", "erros", "p50 ms", "p99 ms",
              "max ms");
  int errors = 0;
  for (const char* name : names) {
    const TStep& s = steps[name];
    errors += s.Errors;
    std::printf("%-8s %8zu %6d %9.1f %9.1f %9.1f\n", name, s.Ms.size(), s.Errors,
                Percentile(s.Ms, 0.5), Percentile(s.Ms, 0.99),
                s.Ms.empty() ? 0 : *std::max_element(s.Ms.begin(), s.Ms.end()));
  }
  return errors == 0 ? 0 : 1;
}

int Memory(int APort, int APid, int AN) {
  // A first session warms the process up (caches, pools, the first
  // attachment), so the figure is what each further session adds.
  std::vector<std::unique_ptr<TStaff>> staff;
  auto open = [&] {
    auto s = std::make_unique<TStaff>(APort);
    s->LogIn();
    s->OpenList();
    staff.push_back(std::move(s));
  };
  open();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  long before = ResidentKB(APid);
  for (int i = 0; i < AN; ++i) open();
  std::this_thread::sleep_for(std::chrono::seconds(2));
  long after = ResidentKB(APid);
  std::printf(
      "%d sessões com o menu e a lista de solicitações abertos: %ld KB a mais, %.0f KB "
      "por sessão\n",
      AN, after - before, static_cast<double>(after - before) / AN);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "uso: webapp_staff load PORT [STAFF] [SECONDS] | memory PORT PID [N]\n");
    return 2;
  }
  const std::string mode = argv[1];
  const int port = std::atoi(argv[2]);
  if (mode == "load")
    return Load(port, argc > 3 ? std::atoi(argv[3]) : 100, argc > 4 ? std::atoi(argv[4]) : 300,
                argc > 5 ? std::atoi(argv[5]) : 1000);
  if (mode == "memory" && argc > 3)
    return Memory(port, std::atoi(argv[3]), argc > 4 ? std::atoi(argv[4]) : 100);
  std::fprintf(stderr, "modo desconhecido\n");
  return 2;
}
