// A benchmark server: the engine root serving a folder on 127.0.0.1:PORT,
// as the web starter does, until SIGINT or SIGTERM. The connection cap and
// the idle limit of sockets without a session are raised, so that thousands
// of idle WebSockets can be measured.
//   orvane_web_server PORT ROOT [EVENT_LOOPS]
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "orvane/server/Orvane.BaseClass.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "uso: %s PORTA PASTA [LAÇOS]\n", argv[0]);
    return 2;
  }
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  // A shell starting us in the background ignores SIGINT for us; an ignored
  // signal never reaches sigwait.
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  auto engine = std::make_unique<orvane::TOrvaneBaseClass>();
  engine->OrvaneServerTCP().DefaultBindAddress = "127.0.0.1";
  engine->SetServerPort(std::atoi(argv[1]));
  engine->GetOptions().SetRootDirectory(argv[2]);
  engine->GetOptions().SetUseINIConfig(false);
  engine->GetOptions().SetMaxConnections(100000);
  engine->OrvaneServerTCP().SessionlessIdleTimeout = 3600 * 1000;
  if (argc == 4) engine->OrvaneServerTCP().EventLoops = std::atoi(argv[3]);
  engine->StartServer();
  std::printf("pronto\n");
  std::fflush(stdout);
  int sig = 0;
  sigwait(&stop, &sig);
  engine->StopServer();
  return 0;
}
