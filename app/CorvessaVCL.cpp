// The program start: reads where the database is and runs the desktop
// application in native windows.
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
#include <QApplication>

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

int RunDesktop(int argc, char** argv) {
#ifdef TAMBLO_QT
  if (HasDisplay()) {
    QApplication qtApp(argc, argv);
    ui::qt::InstallQtBackend();
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
