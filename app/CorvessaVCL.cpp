// The program start: reads where the database is and runs the desktop
// application in native windows, or the web mode (--web); --help lists the
// options.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "app/uConfig.h"
#include "app/uProgram.h"
#include "app/uServerController.h"
#include "platform/ui/Forms.h"

#ifdef TAMBLO_QT
#include <sys/signalfd.h>

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>

#include "platform/ui/qt/QtBackend.h"
#endif

namespace {

#ifdef TAMBLO_QT
bool HasDisplay() {
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    if (const char* v = std::getenv(var); v && *v) return true;
  return false;
}
#endif

#ifdef TAMBLO_QT
// SIGTERM (a desktop logout, systemctl stop) and SIGINT (Ctrl+C) arrive as a
// readable descriptor in the event loop, also in the loops of modal windows
// and message boxes: the program then ends as "Sair" ends it, with pending
// edits cancelled. A second request ends it at once.
class TStopRequests {
 public:
  // Before any thread starts, so that every thread inherits the mask.
  TStopRequests() {
    sigemptyset(&FSignals);
    sigaddset(&FSignals, SIGINT);
    sigaddset(&FSignals, SIGTERM);
    // A shell starting us in the background ignores SIGINT for us.
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    pthread_sigmask(SIG_BLOCK, &FSignals, nullptr);
    FFd = signalfd(-1, &FSignals, SFD_CLOEXEC | SFD_NONBLOCK);
  }
  ~TStopRequests() {
    if (FFd >= 0) ::close(FFd);
  }
  int Handle() const { return FFd; }

  void Take() {
    signalfd_siginfo info{};
    int signo = 0;
    while (::read(FFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      ++FCount;
      signo = static_cast<int>(info.ssi_signo);
    }
    if (signo == 0) return;
    if (FCount > 1) std::_Exit(128 + signo);
    app::EndProgramOnSignal();
    // Native dialogs and popup menus run loops of their own: closing them
    // lets the program's loops see the end (a question closed this way
    // answers "Cancelar").
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  }

 private:
  sigset_t FSignals;
  int FFd = -1;
  int FCount = 0;
};
#endif

int RunDesktop(int argc, char** argv) {
#ifdef TAMBLO_QT
  if (HasDisplay()) {
    TStopRequests stop;
    QApplication qtApp(argc, argv);
    ui::qt::InstallQtBackend();
    QSocketNotifier notifier(stop.Handle(), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&stop] { stop.Take(); });
    int code = app::ProgramStart();
    // The forms and the data module go before the native toolkit does.
    ui::Application->Shutdown();
    return code;
  }
#else
  (void)argc;
  (void)argv;
#endif
  std::fprintf(stderr,
               "tamblo: não há tela disponível para as janelas. Rode com uma tela (por exemplo "
               "xvfb-run scripts/run) ou use o modo web: scripts/run --web\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") {
      std::fputs(app::UsageText().c_str(), stdout);
      return 0;
    }
  try {
    args = app::LoadDatabaseConfig(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tamblo: %s\n", e.what());
    return 2;
  }
  if (!args.empty() && args.front() == "--web")
    return app::RunWebServer(std::vector<std::string>(args.begin() + 1, args.end()));
  if (!args.empty()) {
    std::fprintf(stderr, "tamblo: opção desconhecida: %s\n", args.front().c_str());
    return 2;
  }
  return RunDesktop(argc, argv);
}
