#include "platform/file_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/files.h"

namespace seewolf::platform {

namespace {

[[noreturn]] void ThrowSystemError(const std::string& what, int error) {
    throw Error(what + ": " + Cp1252FromUtf8(std::strerror(error)) + ".");
}

int OpenRetrying(const std::filesystem::path& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

std::intptr_t FileLock::Open(const std::filesystem::path& path) {
    int fd = OpenRetrying(path, O_RDWR | O_CREAT);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        fd = OpenRetrying(path, O_RDONLY);  // a lock file that may not be written still takes a lock
    }
    if (fd < 0) {
        ThrowSystemError("Unable to open the lock file " + TextFromPath(path), errno);
    }
    return fd;
}

// flock, not fcntl: its lock belongs to the open file, so two holders in one process exclude
// each other as two processes do, and the kernel drops it when its holder ends.
bool FileLock::TryLock(std::intptr_t file, const std::filesystem::path& path) {
    for (;;) {
        if (::flock(static_cast<int>(file), LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno == EWOULDBLOCK) {
            return false;
        }
        if (errno != EINTR) {
            ThrowSystemError("Unable to lock " + TextFromPath(path), errno);
        }
    }
}

void FileLock::Close(std::intptr_t file) noexcept {
    ::close(static_cast<int>(file));
}

}  // namespace seewolf::platform
