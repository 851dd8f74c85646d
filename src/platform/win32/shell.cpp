#include "platform/shell.h"

// clang-format off
#include "platform/win32/support.h"
#include <shellapi.h>
// clang-format on

namespace seewolf::platform {

bool OpenDocument(const std::filesystem::path& path) {
    const ComScope com;
    const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // The shell reports success as a value above 32.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace seewolf::platform
