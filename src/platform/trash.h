#pragma once

#include <filesystem>
#include <string>

namespace seewolf::platform {

// Moving a file or folder to the desktop's trash, from where the user can restore it. It is
// never deleted for good: when the trash cannot take it, it stays where it is.
//
// Linux: the freedesktop.org trash of the user ($XDG_DATA_HOME/Trash, else
// ~/.local/share/Trash): the item is renamed into files/ under a name not yet used there, with
// info/<name>.trashinfo giving its original path and the time of deletion. A trash on another
// file system than the item is refused (a rename cannot cross it, and a copy followed by a
// delete could lose the item half way).
// Windows: the shell's delete with undo (the recycle bin); the shell asks nothing, except when
// the item could not go to the recycle bin and would be destroyed, which it asks about first.
enum class TrashOutcome {
    Moved,      // the item is in the trash
    Cancelled,  // the user declined in the system's own question; nothing changed
    Failed,     // nothing changed; `reason` says why
};

struct TrashResult {
    TrashOutcome outcome = TrashOutcome::Failed;
    std::string reason;  // Windows-1252 text, a sentence for the user when Failed
};

TrashResult MoveToTrash(const std::filesystem::path& path);

}  // namespace seewolf::platform
