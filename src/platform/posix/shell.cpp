#include "platform/shell.h"

#include "platform/processes.h"

namespace seewolf::platform {

bool OpenDocument(const std::filesystem::path& path) {
    // xdg-open hands the document to the desktop's program for it and may stay around while
    // that runs, so it is started detached.
    return StartDetached(ProgramCall{"xdg-open", {path.string()}, {}});
}

}  // namespace seewolf::platform
