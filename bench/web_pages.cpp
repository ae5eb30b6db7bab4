// The web pages benchmark (not a test), against a running `tamblo --web` on
// 127.0.0.1:PORT (process PID). Two runs, each on a fresh server (a server
// keeps at most 1,000 sessions):
//   web_pages rate PORT [REQUESTS=400]
//     new sessions per second for GET / (session, primary form, render,
//     page assembly), one client and four clients at once, and the time of
//     one page p50/p99 as the client sees it;
//   web_pages pages PORT PID [N=1000] [WINDOW_SECONDS=20]
//     the resident memory each of N sessions adds once its login page is
//     loaded: the page read, its WebSocket open and its page-load event
//     answered (target <= 250 KB), and the CPU those N idle pages cost over
//     a window (target <= 2 % of one core).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/ProcessStatus.h"

using benchproc::ResidentKB;
using benchproc::Threads;

namespace {

using Clock = std::chrono::steady_clock;

// User and system CPU time of the process, in clock ticks.
long long CpuTicks(int APid) {
  std::ifstream in("/proc/" + std::to_string(APid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(stat.substr(close + 2));
  std::string f;
  long long utime = 0, stime = 0;
  for (int i = 3; fields >> f; ++i) {
    if (i == 14) utime = std::atoll(f.c_str());
    if (i == 15) {
      stime = std::atoll(f.c_str());
      break;
    }
  }
  return utime + stime;
}

int Connect(int APort) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(APort));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  timeval tv{20, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  return fd;
}

bool SendAll(int AFd, const std::string& AData) {
  size_t done = 0;
  while (done < AData.size()) {
    ssize_t n = ::send(AFd, AData.data() + done, AData.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The whole answer to GET / (the server closes the connection).
std::string GetPage(int APort) {
  int fd = Connect(APort);
  if (fd < 0) return "";
  std::string request = "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(APort) +
                        "\r\nUser-Agent: bench\r\n\r\n";
  std::string answer;
  if (SendAll(fd, request)) {
    char buf[16384];
    for (;;) {
      ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      answer.append(buf, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  return answer;
}

// The n-th double-quoted value after AMark.
std::string Quoted(const std::string& AText, const std::string& AMark, int AIndex) {
  size_t at = AText.find(AMark);
  if (at == std::string::npos) return "";
  for (int i = 0; i <= AIndex; ++i) {
    size_t open = AText.find('"', at);
    size_t close = AText.find('"', open + 1);
    if (open == std::string::npos || close == std::string::npos) return "";
    if (i == AIndex) return AText.substr(open + 1, close - open - 1);
    at = close + 1;
  }
  return "";
}

std::string Frame(const std::string& AText) {
  std::string f;
  f += static_cast<char>(0x81);
  if (AText.size() < 126) {
    f += static_cast<char>(0x80 | AText.size());
  } else {
    f += static_cast<char>(0x80 | 126);
    f += static_cast<char>((AText.size() >> 8) & 0xFF);
    f += static_cast<char>(AText.size() & 0xFF);
  }
  const char mask[4] = {0x12, 0x34, 0x56, 0x78};
  f.append(mask, 4);
  for (size_t i = 0; i < AText.size(); ++i) f += static_cast<char>(AText[i] ^ mask[i % 4]);
  return f;
}

// Reads one text frame from the server.
std::string ReadFrame(int AFd) {
  auto read = [&](size_t ACount) {
    std::string out;
    char buf[4096];
    while (out.size() < ACount) {
      ssize_t n = ::recv(AFd, buf, std::min(sizeof buf, ACount - out.size()), 0);
      if (n <= 0) return std::string();
      out.append(buf, static_cast<size_t>(n));
    }
    return out;
  };
  std::string head = read(2);
  if (head.size() < 2) return "";
  uint64_t len = static_cast<unsigned char>(head[1]) & 0x7F;
  if (len == 126) {
    std::string ext = read(2);
    len = (static_cast<unsigned char>(ext[0]) << 8) | static_cast<unsigned char>(ext[1]);
  } else if (len == 127) {
    std::string ext = read(8);
    len = 0;
    for (char c : ext) len = (len << 8) | static_cast<unsigned char>(c);
  }
  return read(static_cast<size_t>(len));
}

// Loads the login page as a browser does: the page, its WebSocket and the
// page-load event, answered by the release of the page. The socket stays
// open (returned), or -1.
int LoadPage(int APort) {
  std::string page = GetPage(APort);
  std::string token = Quoted(page, "setConnection(", 4);
  std::string uuid = Quoted(page, "setConnection(", 5);
  // The form's id, from the page-load call (other calls on the page, the
  // controls' events, come before it).
  size_t load = page.find("\"AfterPageLoad\"");
  size_t call = load == std::string::npos ? load : page.rfind("ExecEvent(", load);
  std::string form = call == std::string::npos ? "" : Quoted(page.substr(call), "ExecEvent(", 2);
  if (token.empty() || uuid.empty() || form.empty()) return -1;
  int fd = Connect(APort);
  if (fd < 0) return -1;
  std::string upgrade = "GET /websocket/connectionparams?token=" + token +
                        "&orvanesession=" + uuid +
                        "&channelname=OrvaneCallBack HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                        "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                        "Sec-WebSocket-Version: 13\r\n\r\n";
  std::string head;
  char c;
  if (!SendAll(fd, upgrade)) return ::close(fd), -1;
  while (head.find("\r\n\r\n") == std::string::npos && ::recv(fd, &c, 1, 0) == 1) head += c;
  if (head.rfind("HTTP/1.1 101", 0) != 0) return ::close(fd), -1;
  std::string message =
      "{\"type\":\"procedure\",\"name\":\"ExecEvent\",\"wait\":false,\"parameters\":[{\"UUID\":\"" +
      uuid + "\"},{\"Token\":\"" + token + "\"},{\"FormUUID\":\"" + form + "\"},{\"ID\":\"" + form +
      "\"},{\"EventID\":\"AfterPageLoad\"},{\"Parameters\":\"\"},{\"LockClient\":true}]}";
  if (!SendAll(fd, Frame(message))) return ::close(fd), -1;
  std::string answer = ReadFrame(fd);
  if (answer.find("UnLockThreadClient") == std::string::npos) return ::close(fd), -1;
  return fd;
}

double Percentile(std::vector<double> AValues, double AP) {
  if (AValues.empty()) return 0;
  std::sort(AValues.begin(), AValues.end());
  size_t i = static_cast<size_t>(AP * static_cast<double>(AValues.size() - 1) + 0.5);
  return AValues[std::min(i, AValues.size() - 1)];
}

// REQUESTS pages fetched by AClients clients at once; the page times in ms.
double SessionsPerSecond(int APort, int ARequests, int AClients, std::vector<double>& ATimes) {
  std::atomic<int> next{0};
  std::vector<std::vector<double>> times(static_cast<size_t>(AClients));
  auto start = Clock::now();
  std::vector<std::thread> clients;
  for (int k = 0; k < AClients; ++k)
    clients.emplace_back([&, k] {
      while (next.fetch_add(1) < ARequests) {
        auto t0 = Clock::now();
        std::string page = GetPage(APort);
        auto t1 = Clock::now();
        if (page.find("HTTP/1.1 200 OK") == 0 && page.find("</html>") != std::string::npos)
          times[static_cast<size_t>(k)].push_back(
              std::chrono::duration<double, std::milli>(t1 - t0).count());
      }
    });
  for (auto& c : clients) c.join();
  double secs = std::chrono::duration<double>(Clock::now() - start).count();
  size_t ok = 0;
  for (auto& t : times) {
    ok += t.size();
    ATimes.insert(ATimes.end(), t.begin(), t.end());
  }
  if (ok != static_cast<size_t>(ARequests))
    std::fprintf(stderr, "páginas com falha: %d\n", ARequests - static_cast<int>(ok));
  return static_cast<double>(ok) / secs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "uso: %s rate PORTA [PEDIDOS] | pages PORTA PID [N] [JANELA_S]\n",
                 argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  const int port = std::atoi(argv[2]);
  rlimit rl{};
  getrlimit(RLIMIT_NOFILE, &rl);
  rl.rlim_cur = rl.rlim_max;
  setrlimit(RLIMIT_NOFILE, &rl);

  if (mode == "rate") {
    const int requests = argc > 3 ? std::atoi(argv[3]) : 400;
    std::vector<double> warm, one, four;
    SessionsPerSecond(port, 20, 1, warm);
    double rate1 = SessionsPerSecond(port, requests, 1, one);
    double rate4 = SessionsPerSecond(port, requests, 4, four);
    std::printf("GET / (nova sessão, formulário de login, desenho e montagem da página):\n");
    std::printf("  1 cliente:  %.0f sessões/s; página p50 %.2f ms, p99 %.2f ms\n", rate1,
                Percentile(one, 0.5), Percentile(one, 0.99));
    std::printf("  4 clientes: %.0f sessões/s; página p50 %.2f ms, p99 %.2f ms\n", rate4,
                Percentile(four, 0.5), Percentile(four, 0.99));
    return 0;
  }
  if (mode != "pages" || argc < 4) return 2;
  const int pid = std::atoi(argv[3]);
  const int n = argc > 4 ? std::atoi(argv[4]) : 1000;
  const int window = argc > 5 ? std::atoi(argv[5]) : 20;
  long before = ResidentKB(pid);
  int threadsBefore = Threads(pid);
  std::vector<int> sockets;
  auto start = Clock::now();
  for (int i = 0; i < n; ++i) {
    int fd = LoadPage(port);
    if (fd < 0) {
      std::fprintf(stderr, "página %d não carregou\n", i);
      break;
    }
    sockets.push_back(fd);
  }
  double loadSecs = std::chrono::duration<double>(Clock::now() - start).count();
  std::this_thread::sleep_for(std::chrono::seconds(3));  // the server settles
  long after = ResidentKB(pid);
  std::printf(
      "%zu páginas de login carregadas (WebSocket aberto, evento de carga respondido) "
      "em %.1f s\n",
      sockets.size(), loadSecs);
  std::printf("  threads do servidor: %d antes, %d depois\n", threadsBefore, Threads(pid));
  std::printf("  RSS do servidor: %ld KB antes, %ld KB depois\n", before, after);
  if (!sockets.empty())
    std::printf("  memória residente por sessão com a página carregada: %.1f KB (meta <= 250 KB)\n",
                static_cast<double>(after - before) / static_cast<double>(sockets.size()));
  long long t0 = CpuTicks(pid);
  std::this_thread::sleep_for(std::chrono::seconds(window));
  long long t1 = CpuTicks(pid);
  double percent =
      100.0 * static_cast<double>(t1 - t0) / (static_cast<double>(sysconf(_SC_CLK_TCK)) * window);
  std::printf("CPU das %zu páginas ociosas em %d s: %.2f %% de um núcleo (meta <= 2 %%)\n",
              sockets.size(), window, percent);
  for (int fd : sockets) ::close(fd);
  return sockets.size() == static_cast<size_t>(n) ? 0 : 1;
}
