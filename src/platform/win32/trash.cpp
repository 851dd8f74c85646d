#include "platform/trash.h"

#include "platform/files.h"

// clang-format off
#include "platform/win32/support.h"
#include <shellapi.h>
// clang-format on

namespace seewolf::platform {

namespace {

struct ShellAnswer {
    int result = 0;          // 0 when the shell reports success
    bool cancelled = false;  // the user declined in the shell's own question
};

// The shell's delete of one path with the given FOF_ flags, without an owner window. The shell
// takes a list of paths, each ended by a zero character, and the list by one more.
ShellAnswer ShellDelete(const std::filesystem::path& path, FILEOP_FLAGS flags) {
    std::wstring list = path.wstring();
    list.push_back(L'\0');
    list.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = flags;
    ShellAnswer answer;
    answer.result = ::SHFileOperationW(&operation);
    answer.cancelled = operation.fAnyOperationsAborted != FALSE;
    return answer;
}

}  // namespace

TrashResult MoveToTrash(const std::filesystem::path& path) {
    const std::filesystem::path item = WithoutTrailingSeparator(path);
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(item, ec))) {
        return {TrashOutcome::Failed, "\"" + TextFromPath(item) + "\" does not exist."};
    }
    // Seewolf has asked already; the shell asks only when the item would be destroyed instead of
    // going to the recycle bin, and a No keeps it.
    const ShellAnswer answer = ShellDelete(item, FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING);
    if (answer.cancelled) {
        return {TrashOutcome::Cancelled, {}};
    }
    if (answer.result != 0) {
        return {TrashOutcome::Failed, "\"" + TextFromPath(item) +
                                          "\" could not be moved to the recycle bin (shell error " +
                                          std::to_string(answer.result) + ")."};
    }
    CountChangingOperation(FileEventKind::Delete, item);
    return {TrashOutcome::Moved, {}};
}

}  // namespace seewolf::platform
