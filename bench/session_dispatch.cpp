// Session benchmark, in one process on 127.0.0.1:
//  1. time from an ExecEvent message reaching the dispatcher (and from the
//     client's send) to its click handler starting on a session thread, p50
//     and p99: one session sending event after event; 200 busy sessions each
//     sending --rate events per second for --seconds; and 200 sessions all
//     sending without pause (the machine saturated);
//  2. resident memory per idle session without forms (with its first worker
//     thread, as a page leaves it);
//  3. wake-ups per second of the worker threads of 1,000 idle sessions.
//   session_dispatch [--messages N] [--rate R] [--seconds S] [--idle N] [--window S]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <dirent.h>
#include <malloc.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Events.h"
#include "orvane/server/Orvane.Server.Functions.h"
#include "orvane/server/Orvane.Session.h"

using namespace orvane;
using Clock = std::chrono::steady_clock;

namespace {

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

long ResidentKB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

// Context switches of the process's threads whose name starts with APrefix.
long ContextSwitches(const std::string& APrefix, int& AThreads) {
  long total = 0;
  AThreads = 0;
  DIR* dir = opendir("/proc/self/task");
  if (!dir) return -1;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    std::string base = std::string("/proc/self/task/") + e->d_name;
    std::ifstream comm(base + "/comm");
    std::string name;
    std::getline(comm, name);
    if (name.rfind(APrefix, 0) != 0) continue;
    ++AThreads;
    std::ifstream status(base + "/status");
    std::string line;
    while (std::getline(status, line))
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
          line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
        total += std::atol(line.substr(line.find(':') + 1).c_str());
  }
  closedir(dir);
  return total;
}

std::string Frame(const std::string& APayload) {
  std::string f;
  f.push_back(static_cast<char>(0x81));
  uint64_t len = APayload.size();
  if (len <= 125) {
    f.push_back(static_cast<char>(0x80 | len));
  } else {
    f.push_back(static_cast<char>(0xFE));
    f.push_back(static_cast<char>(len >> 8));
    f.push_back(static_cast<char>(len & 0xFF));
  }
  const unsigned char mask[4] = {1, 2, 3, 4};
  for (unsigned char m : mask) f.push_back(static_cast<char>(m));
  for (size_t i = 0; i < APayload.size(); ++i)
    f.push_back(static_cast<char>(APayload[i] ^ mask[i & 3]));
  return f;
}

int Upgrade(int APort, const IOrvaneSession& ASession) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(APort));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  std::string req = "GET /websocket/connectionparams?token=" + ASession.GetToken() +
                    "&orvanesession=" + ASession.GetUUID() +
                    "&channelname=b HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                    "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                    "Sec-WebSocket-Version: 13\r\n\r\n";
  ::send(fd, req.data(), req.size(), MSG_NOSIGNAL);
  std::string head;
  char c;
  while (head.find("\r\n\r\n") == std::string::npos && ::recv(fd, &c, 1, 0) == 1) head += c;
  if (head.rfind("HTTP/1.1 101", 0) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// A minimal web form with one button control whose click records timings.
class TBenchForm;

class TBenchControl : public IOrvaneControl {
 public:
  explicit TBenchControl(IOrvaneForm* AForm) : FForm(AForm) {
    FEvents = std::make_shared<TOrvaneControlEvents>(this);
  }
  std::string GetName() const override { return "btnBench"; }
  std::string GetNamePrefix() const override { return "btnBench"; }
  bool GetEnabled() override { return true; }
  bool GetVisible() override { return true; }
  bool GetReadOnly() override { return false; }
  core::TComponent* GetVCLComponent() const override { return nullptr; }
  IOrvaneForm* GetForm() const override { return FForm; }
  std::shared_ptr<IOrvaneControlEvents> GetEvents() override { return FEvents; }
  bool IsDBGrid() override { return false; }
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  void ProcessComponentState(const nlohmann::json&) override {}

 private:
  IOrvaneForm* FForm;
  std::shared_ptr<TOrvaneControlEvents> FEvents;
};

class TBenchForm : public IOrvaneForm, public IOrvaneVexloClass {
 public:
  explicit TBenchForm(IOrvaneSession* ASession) : FSession(ASession), Button(this) {}
  void DoUpload(const std::vector<std::string>&) override {}
  bool Destroying() const override { return false; }
  IOrvaneSession* GetOrvaneSession() const override { return FSession; }
  std::string GetFormUUID() const override { return "BENCHFORM"; }
  std::vector<IOrvaneControl*> GetControls() override { return {&Button}; }
  IOrvaneForm* GetOrvaneForm() override { return this; }
  IOrvaneVexloClass* GetParentVexlo() override { return nullptr; }
  std::vector<IOrvaneVexloClass*> GetNestedVexlos() override { return {}; }
  core::TComponent* GetVexloForm() override { return nullptr; }
  void SetPriorVexlo(core::TComponent*) override {}
  void PopupOpened(const std::string&) override {}
  void PopupClosed(const std::string&) override {}

  IOrvaneSession* FSession;
  TBenchControl Button;
  std::atomic<int64_t> ArrivedNs{0};  // set when the dispatcher receives a message
  std::atomic<int64_t> SentNs{0};     // set by the client before it sends
  std::atomic<int> Started{0};        // handlers started
  std::vector<int64_t> FromArrival, FromSend;
};

// The forms of the sessions being measured, by session UUID.
std::atomic<const std::map<std::string, TBenchForm*>*> gForms{nullptr};

struct TBusy {
  std::shared_ptr<TOrvaneSession> Session;
  std::unique_ptr<TBenchForm> Form;
  int Fd = -1;
  std::string Message;
};

double Percentile(std::vector<int64_t> AValues, double AP) {
  if (AValues.empty()) return 0;
  std::sort(AValues.begin(), AValues.end());
  size_t i = static_cast<size_t>(AP * static_cast<double>(AValues.size() - 1) + 0.5);
  return static_cast<double>(AValues[std::min(i, AValues.size() - 1)]) / 1000.0;
}

// ARate: events per second each session sends; 0 sends the next event as
// soon as the previous handler has started (the machine saturated).
void Latency(TOrvaneBaseClass& ARoot, int APort, int ASessions, int AMessages, double ARate) {
  std::vector<TBusy> busy(static_cast<size_t>(ASessions));
  std::map<std::string, TBenchForm*> byUUID;
  for (auto& b : busy) {
    b.Session = TOrvaneSession::Create(&ARoot);
    ARoot.AddSession(b.Session);
    b.Form = std::make_unique<TBenchForm>(b.Session.get());
    TBenchForm* form = b.Form.get();
    b.Session->SetVexloBaseClass(form);
    auto click = form->Button.GetEvents()->Add(
        TOrvaneEventType::EventOnClick, TOnEventProc([form](TStringList&) {
          int64_t now = NowNs();
          form->FromArrival.push_back(now - form->ArrivedNs.load());
          form->FromSend.push_back(now - form->SentNs.load());
          form->Started.fetch_add(1);
          form->Started.notify_one();
        }));
    nlohmann::ordered_json j;
    j["type"] = "procedure";
    j["name"] = "ExecEvent";
    j["wait"] = false;
    j["parameters"] = {{{"UUID", b.Session->GetUUID()}},
                       {{"Token", b.Session->GetToken()}},
                       {{"FormUUID", "BENCHFORM"}},
                       {{"ID", "btnBench"}},
                       {{"EventID", click->GetEventID()}},
                       {{"Parameters", "x=1"}},
                       {{"LockClient", false}}};
    b.Message = Frame(j.dump());
    byUUID[b.Session->GetUUID()] = form;
  }
  gForms = &byUUID;
  for (auto& b : busy) {
    b.Fd = Upgrade(APort, *b.Session);
    if (b.Fd < 0) {
      std::fprintf(stderr, "upgrade falhou\n");
      std::exit(1);
    }
  }
  std::vector<std::thread> clients;
  auto start = Clock::now() + std::chrono::milliseconds(100);
  for (size_t k = 0; k < busy.size(); ++k)
    clients.emplace_back([&busy, k, AMessages, ARate, start, ASessions] {
      TBusy& b = busy[k];
      TBenchForm& f = *b.Form;
      // Paced clients spread their first event over one period.
      auto period = std::chrono::duration<double>(ARate > 0 ? 1.0 / ARate : 0);
      auto offset = period * (static_cast<double>(k) / ASessions);
      for (int i = 0; i < AMessages; ++i) {
        int before = f.Started.load();
        if (ARate > 0)
          std::this_thread::sleep_until(
              start + std::chrono::duration_cast<Clock::duration>(offset + period * i));
        f.SentNs = NowNs();
        ::send(b.Fd, b.Message.data(), b.Message.size(), MSG_NOSIGNAL);
        f.Started.wait(before);
      }
    });
  for (auto& t : clients) t.join();
  std::vector<int64_t> arrival, send;
  for (auto& b : busy) {
    // The first messages of each session warm its threads up.
    size_t skip = std::min<size_t>(10, b.Form->FromArrival.size());
    arrival.insert(arrival.end(), b.Form->FromArrival.begin() + static_cast<long>(skip),
                   b.Form->FromArrival.end());
    send.insert(send.end(), b.Form->FromSend.begin() + static_cast<long>(skip),
                b.Form->FromSend.end());
    ::close(b.Fd);
  }
  std::string load = ARate > 0 ? std::to_string(static_cast<int>(ARate)) + " eventos/s cada"
                               : "cada uma enviando sem pausa";
  std::printf(
      "%3d sessões ocupadas (%s), %zu eventos: chegada -> handler p50 %.3f ms, p99 %.3f ms; "
      "envio -> handler p50 %.3f ms, p99 %.3f ms\n",
      ASessions, load.c_str(), arrival.size(), Percentile(arrival, 0.5) / 1000.0,
      Percentile(arrival, 0.99) / 1000.0, Percentile(send, 0.5) / 1000.0,
      Percentile(send, 0.99) / 1000.0);
  for (auto& b : busy) b.Session->Close();
  gForms = nullptr;
}

void Idle(TOrvaneBaseClass& ARoot, int ACount, int AWindowSeconds) {
  malloc_trim(0);
  long before = ResidentKB();
  std::vector<std::shared_ptr<TOrvaneSession>> sessions;
  for (int i = 0; i < ACount; ++i) {
    auto s = TOrvaneSession::Create(&ARoot);
    ARoot.AddSession(s);
    sessions.push_back(s);
  }
  long bare = ResidentKB();
  // A page's first work (its primary form) starts the session's first thread.
  for (auto& s : sessions) s->ExecThread(true, [] {});
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  long withThread = ResidentKB();
  std::printf(
      "memória por sessão ociosa sem formulários: %.1f KB sem linha de execução, "
      "%.1f KB com a primeira (meta <= 100 KB)\n",
      static_cast<double>(bare - before) / ACount,
      static_cast<double>(withThread - before) / ACount);
  int threads = 0;
  long c0 = ContextSwitches("Session ", threads);
  std::this_thread::sleep_for(std::chrono::seconds(AWindowSeconds));
  int threads1 = 0;
  long c1 = ContextSwitches("Session ", threads1);
  std::printf(
      "%d sessões ociosas, %d linhas de execução de sessão: %.2f despertares/s "
      "em %d s (meta 0)\n",
      ACount, threads, static_cast<double>(c1 - c0) / AWindowSeconds, AWindowSeconds);
  for (auto& s : sessions) s->Close();
}

}  // namespace

int main(int argc, char** argv) {
  int messages = 2000, idle = 1000, window = 5;
  double rate = 20, seconds = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string a = argv[i];
    if (a == "--messages")
      messages = std::atoi(argv[i + 1]);
    else if (a == "--rate")
      rate = std::atof(argv[i + 1]);
    else if (a == "--seconds")
      seconds = std::atof(argv[i + 1]);
    else if (a == "--idle")
      idle = std::atoi(argv[i + 1]);
    else if (a == "--window")
      window = std::atoi(argv[i + 1]);
  }
  rlimit rl{};
  getrlimit(RLIMIT_NOFILE, &rl);
  rl.rlim_cur = rl.rlim_max;
  setrlimit(RLIMIT_NOFILE, &rl);

  auto dir = std::filesystem::temp_directory_path() /
             ("tamblo-bench-sessions-" + std::to_string(getpid()));
  TOrvaneBaseClass root;
  root.GetOptions().SetRootDirectory((dir / "wwwroot").string() + "/");
  root.GetOptions().SetUseINIConfig(false);
  root.OrvaneServerTCP().DefaultBindAddress = "127.0.0.1";
  root.SetServerPort(0);
  TOrvaneServerFunctions functions(&root);
  functions.Attach(root);
  // The dispatcher's entry notes the arrival time of each message.
  auto dispatch = root.ReceiveMessage;
  root.ReceiveMessage = [dispatch](const TOrvaneWebSocketMessage& AMessage,
                                   TOrvaneWebSocketContext& AContext, std::string& AAnswer) {
    if (auto forms = gForms.load()) {
      auto it = forms->find(AContext.OrvaneSessionUUID());
      if (it != forms->end()) it->second->ArrivedNs = NowNs();
    }
    dispatch(AMessage, AContext, AAnswer);
  };
  root.StartServer();
  int port = root.OrvaneServerTCP().BoundPort();
  std::fprintf(stderr, "servidor em 127.0.0.1:%d\n", port);

  Latency(root, port, 1, messages, 0);
  Latency(root, port, 200, std::max(20, static_cast<int>(rate * seconds)), rate);
  Latency(root, port, 200, std::max(20, messages / 20), 0);
  Idle(root, idle, window);
  root.StopServer();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
