// Opens N WebSocket connections to 127.0.0.1:PORT, upgrades them all, and
// reports the resident memory the server process PID gained per idle
// connection.
//   orvane_ws_idle PORT PID [N]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/ProcessStatus.h"

using benchproc::ResidentKB;
using benchproc::Threads;

namespace {

int Upgrade(int APort) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(APort));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  std::string req =
      "GET /websocket/connectionparams HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
      "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
      "Sec-WebSocket-Version: 13\r\n\r\n";
  if (::send(fd, req.data(), req.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(req.size())) {
    ::close(fd);
    return -1;
  }
  timeval tv{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  std::string head;
  char c;
  while (head.find("\r\n\r\n") == std::string::npos && ::recv(fd, &c, 1, 0) == 1) head += c;
  if (head.rfind("HTTP/1.1 101", 0) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "uso: %s PORTA PID [N]\n", argv[0]);
    return 2;
  }
  int port = std::atoi(argv[1]);
  int pid = std::atoi(argv[2]);
  int n = argc > 3 ? std::atoi(argv[3]) : 5000;
  rlimit rl{};
  getrlimit(RLIMIT_NOFILE, &rl);
  rl.rlim_cur = rl.rlim_max;
  setrlimit(RLIMIT_NOFILE, &rl);

  long before = ResidentKB(pid);
  auto start = std::chrono::steady_clock::now();
  std::vector<int> fds;
  fds.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    int fd = Upgrade(port);
    if (fd < 0) {
      std::fprintf(stderr, "conexão %d falhou\n", i);
      break;
    }
    fds.push_back(fd);
  }
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::this_thread::sleep_for(std::chrono::seconds(2));  // let the server settle
  long after = ResidentKB(pid);
  std::printf("conexões WebSocket abertas: %zu em %.1f s\n", fds.size(), secs);
  std::printf("threads do servidor: %d\n", Threads(pid));
  std::printf("RSS do servidor: antes %ld KB, depois %ld KB\n", before, after);
  if (!fds.empty())
    std::printf("memória residente por conexão ociosa: %.1f KB (meta <= 100 KB)\n",
                static_cast<double>(after - before) / static_cast<double>(fds.size()));
  for (int fd : fds) ::close(fd);
  return fds.size() == static_cast<size_t>(n) ? 0 : 1;
}
