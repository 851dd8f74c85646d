#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "platform/instance_guard.h"
#include "platform/processes.h"

namespace seewolf::ui {

// The whole run of the Seewolf program: the single-instance guard, the start-up steps, the
// windows and the message loop. Returns the process exit code.
int RunSeewolf(int argc, char** argv);

// Starts Seewolf again after its window has closed (the options changed the game folder): the
// guard is released first, so that the new process owns the program, then `start` starts the
// executable without arguments in its own folder. False when it could not be started.
bool StartAgain(std::unique_ptr<platform::InstanceGuard>& guard, const std::filesystem::path& executable,
                const std::function<bool(const platform::ProgramCall&)>& start);

}  // namespace seewolf::ui
