#include "app/uProgram.h"

#include "app/uDM.h"

namespace app {

int ProgramStart() {
  ui::Application->SetTitle("Tamblo");
  try {
    ui::Application->CreateForm(DM.Desktop());
  } catch (...) {
    ui::Application->HandleException(std::current_exception());
    return 1;
  }
  // The application has no main form, so the loop returns at once: the
  // whole interactive life ran inside the data module's creation handler.
  ui::Application->Run();
  return 0;
}

}  // namespace app
