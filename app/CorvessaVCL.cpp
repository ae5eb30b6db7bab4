// The program start: reads where the database is and runs the desktop
// application.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/uConfig.h"
#include "app/uProgram.h"
#include "platform/ui/Forms.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    args = app::LoadDatabaseConfig(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tamblo: %s\n", e.what());
    return 2;
  }
  if (!args.empty()) {
    std::fprintf(stderr, "tamblo: opção desconhecida: %s\n", args.front().c_str());
    return 2;
  }
  // Without native windows the standard report goes to standard error.
  if (!ui::Application->HasNativeBackend())
    ui::Application->OnException = [](ui::TComponent*, std::exception_ptr e) {
      try {
        std::rethrow_exception(e);
      } catch (const ui::EAbort&) {
      } catch (const std::exception& ex) {
        std::fprintf(stderr, "tamblo: %s\n", ex.what());
      }
    };
  return app::ProgramStart();
}
