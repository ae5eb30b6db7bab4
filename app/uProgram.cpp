#include "app/uProgram.h"

#include "app/uDM.h"
#include "platform/db/DB.h"

namespace app {

namespace {

// Cancels the pending edit or insert of every dataset in the tree.
void CancelPendingEdits(core::TComponent* AOwner) {
  if (!AOwner) return;
  if (auto* ds = dynamic_cast<db::TDataSet*>(AOwner)) {
    auto state = ds->State();
    try {
      if (state == db::TDataSetState::dsEdit || state == db::TDataSetState::dsInsert) ds->Cancel();
    } catch (...) {
      // The program ends anyway; the record is not posted.
    }
  }
  for (int i = 0; i < AOwner->ComponentCount(); ++i) CancelPendingEdits(AOwner->Components(i));
}

}  // namespace

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

void EndProgramOnSignal() {
  // The forms' and the data module's datasets; the data module may belong
  // to the application or stand on its own.
  CancelPendingEdits(ui::Application);
  if (TDM* module = DM.Desktop(); module && module->Owner() != ui::Application)
    CancelPendingEdits(module);
  ui::Application->Terminate();
}

}  // namespace app
