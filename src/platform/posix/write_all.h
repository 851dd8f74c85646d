#pragma once

// Writing a whole buffer to a file descriptor, for the POSIX services that write files.

#include <cerrno>
#include <string_view>
#include <unistd.h>

namespace seewolf::platform::posix {

// Writes every byte, going on after short writes and interruptions; false on the first error.
inline bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace seewolf::platform::posix
