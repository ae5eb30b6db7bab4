// The desktop program's start, shared by main and the tests.
#pragma once

namespace app {

// Sets the application title to "Tamblo", creates the data module through the
// application (publishing DM before its creation handler runs) and runs the
// message loop. A failure is shown by the standard exception report. Returns
// the exit code: 0 after a normal end, 1 when start-up failed.
int ProgramStart();

}  // namespace app
