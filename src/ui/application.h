#pragma once

namespace seewolf::ui {

// The whole run of the Seewolf program: the single-instance guard, the start-up steps, the
// windows and the message loop. Returns the process exit code.
int RunSeewolf(int argc, char** argv);

}  // namespace seewolf::ui
