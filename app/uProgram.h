// The desktop program's start, shared by main and the tests.
#pragma once

namespace app {

// Sets the application title to "Tamblo", creates the data module through the
// application (publishing DM before its creation handler runs) and runs the
// message loop. A failure is shown by the standard exception report. Returns
// the exit code: 0 after a normal end, 1 when start-up failed.
int ProgramStart();

// What a stop request (SIGTERM, SIGINT) does: ends the program the way "Sair"
// does, but without asking: records left being edited or inserted are
// cancelled (nothing half-written is posted), then the application
// terminates, which ends every modal run. Runs on the main thread.
void EndProgramOnSignal();

}  // namespace app
