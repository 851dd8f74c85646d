#include "platform/file_lock.h"

#include "platform/error.h"
#include "platform/files.h"
#include "platform/win32/support.h"

namespace seewolf::platform {

std::intptr_t FileLock::Open(const std::filesystem::path& path) {
    // Others may open the file too (to wait for the lock); the lock is a byte-range lock.
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
        // A read-only lock file still takes a lock.
        handle = ::CreateFileW(path.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        throw Error("Unable to open the lock file " + TextFromPath(path) + ": " +
                    SystemMessage(::GetLastError()));
    }
    return reinterpret_cast<std::intptr_t>(handle);
}

// LockFileEx on the whole range: the system drops it when the handle closes or its process
// ends, and two handles in one process exclude each other as two processes do.
bool FileLock::TryLock(std::intptr_t file, const std::filesystem::path& path) {
    OVERLAPPED whole{};
    if (::LockFileEx(reinterpret_cast<HANDLE>(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                     MAXDWORD, MAXDWORD, &whole)) {
        return true;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_LOCK_VIOLATION) {
        return false;
    }
    throw Error("Unable to lock " + TextFromPath(path) + ": " + SystemMessage(error));
}

void FileLock::Close(std::intptr_t file) noexcept {
    ::CloseHandle(reinterpret_cast<HANDLE>(file));
}

}  // namespace seewolf::platform
