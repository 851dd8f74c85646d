#include "platform/trash.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/posix/write_all.h"

namespace seewolf::platform {

namespace {

namespace fs = std::filesystem;

TrashResult Failure(std::string reason) {
    return {TrashOutcome::Failed, std::move(reason)};
}

std::string Quoted(const fs::path& path) {
    return "\"" + TextFromPath(path) + "\"";
}

std::string SystemError(int error) {
    return Cp1252FromUtf8(std::strerror(error));
}

// The user's trash: $XDG_DATA_HOME/Trash when that is an absolute path, else
// ~/.local/share/Trash.
fs::path UserTrash() {
    if (const auto data = EnvironmentValue("XDG_DATA_HOME"); data && !data->empty() && data->front() == '/') {
        return fs::path(*data) / "Trash";
    }
    const fs::path home = HomeFolder();
    return home.empty() ? fs::path() : home / ".local" / "share" / "Trash";
}

// Creates a folder for the user alone when it is missing; false when it cannot be had.
bool MakeOwnFolder(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0) {
        return true;
    }
    struct stat st {};
    return errno == EEXIST && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The original path as the trash info file keeps it: every byte outside the unreserved URI
// characters and "/" written as %XX.
std::string EncodedPath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' ||
            b == '_' || b == '.' || b == '~' || b == '/') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[b >> 4];
            encoded += kHex[b & 0xF];
        }
    }
    return encoded;
}

std::string DeletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

using posix::WriteAll;

// A rename that never replaces what the target holds (rename alone would put a folder over an
// empty one of the same name).
bool RenameWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    struct stat taken {};
    if (::lstat(to.c_str(), &taken) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

TrashResult MoveToTrash(const fs::path& path) {
    std::error_code ec;
    const fs::path item = WithoutTrailingSeparator(fs::absolute(path, ec).lexically_normal());
    struct stat itemStat {};
    if (ec || ::lstat(item.c_str(), &itemStat) != 0) {
        return Failure(Quoted(item) + " does not exist.");
    }
    const fs::path trash = UserTrash();
    if (trash.empty()) {
        return Failure("The trash folder is unknown: neither XDG_DATA_HOME nor the home folder is set.");
    }
    const fs::path files = trash / "files";
    const fs::path info = trash / "info";
    fs::create_directories(trash.parent_path(), ec);
    if (!MakeOwnFolder(trash) || !MakeOwnFolder(files) || !MakeOwnFolder(info)) {
        return Failure("The trash folder " + Quoted(trash) + " cannot be created or used.");
    }

    // A rename cannot cross file systems; a copy and a delete instead could lose the item half way.
    struct stat filesStat {};
    struct stat parentStat {};
    if (::stat(files.c_str(), &filesStat) != 0 || ::stat(item.parent_path().c_str(), &parentStat) != 0) {
        return Failure("The trash folder " + Quoted(trash) + " cannot be used.");
    }
    if (filesStat.st_dev != parentStat.st_dev) {
        return Failure("The trash " + Quoted(trash) + " is on another file system than " + Quoted(item) +
                       ", and Seewolf moves items to the trash only by renaming them.");
    }

    // The info file reserves the name: it is created only when that name is free.
    const std::string base = item.filename().string();
    const std::string contents =
        "[Trash Info]\nPath=" + EncodedPath(item.string()) + "\nDeletionDate=" + DeletionDate() + "\n";
    for (int serial = 1; serial < 10000; ++serial) {
        const std::string name = serial == 1 ? base : base + "." + std::to_string(serial);
        const fs::path infoFile = info / (name + ".trashinfo");
        const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return Failure("The trash's information file " + Quoted(infoFile) +
                           " cannot be written: " + SystemError(errno) + ".");
        }
        const bool written = WriteAll(fd, contents);
        const bool closed = ::close(fd) == 0;
        const fs::path target = files / name;
        struct stat taken {};
        if (!written || !closed) {
            ::unlink(infoFile.c_str());
            return Failure("The trash's information file " + Quoted(infoFile) + " cannot be written.");
        }
        if (::lstat(target.c_str(), &taken) == 0) {
            ::unlink(infoFile.c_str());  // an item without information holds this name
            continue;
        }
        if (!RenameWithoutReplacing(item, target)) {
            const int error = errno;
            if (error == EEXIST || error == ENOTEMPTY) {
                ::unlink(infoFile.c_str());  // taken meanwhile
                continue;
            }
            ::unlink(infoFile.c_str());
            return Failure(Quoted(item) + " cannot be moved to the trash " + Quoted(trash) + ": " +
                           SystemError(error) + ".");
        }
        CountChangingOperation(FileEventKind::Delete, item);
        return {TrashOutcome::Moved, {}};
    }
    return Failure("The trash " + Quoted(trash) + " holds too many items named " + Quoted(item.filename()) +
                   ".");
}

}  // namespace seewolf::platform
