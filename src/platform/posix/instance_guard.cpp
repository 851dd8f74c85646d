#include "platform/instance_guard.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/processes.h"

namespace seewolf::platform {
namespace {

constexpr std::size_t kBlockSize = 8;

// A shared-memory name is one file name in /dev/shm. A longer block name keeps its last part
// (where the folders differ most) and gets a hash of the whole name, so it stays unique.
constexpr std::size_t kLongestObjectName = NAME_MAX - 15;
constexpr std::size_t kKeptTail = 200;

std::string ObjectName(const std::string& blockName) {
    std::string name = Utf8FromCp1252(blockName);
    if (name.size() > kLongestObjectName) {
        std::uint64_t hash = 14695981039346656037ull;  // 64-bit FNV-1a
        for (const char c : name) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        std::size_t cut = name.size() - kKeptTail;
        while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            ++cut;  // do not start inside a UTF-8 sequence
        }
        static constexpr char kHex[] = "0123456789abcdef";
        std::string hashText(16, '0');
        for (int i = 15; i >= 0; --i) {
            hashText[static_cast<std::size_t>(i)] = kHex[hash & 0xF];
            hash >>= 4;
        }
        name = name.substr(cut) + "-" + hashText;
    }
    return "/" + name;
}

std::atomic_ref<std::int32_t> Slot(void* view, std::size_t offset) {
    return std::atomic_ref<std::int32_t>(*reinterpret_cast<std::int32_t*>(static_cast<char*>(view) + offset));
}

std::string ExecutableOf(int processId) {
    const std::string link =
        processId == 0 ? "/proc/self/exe" : "/proc/" + std::to_string(processId) + "/exe";
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    if (length <= 0) {
        return {};
    }
    std::string path(target, static_cast<std::size_t>(length));
    // A program replaced on disk while it runs still is the program of that folder.
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.ends_with(kDeleted)) {
        path.resize(path.size() - kDeleted.size());
    }
    return path;
}

// POSIX shared memory outlives a crashed process, unlike the Windows object, which the
// kernel frees with its last handle. A block whose first instance is gone, or whose process
// id now belongs to another program, must not keep the user out for good.
bool FirstInstanceGone(int processId) {
    if (!ProcessAlive(processId)) {
        return true;
    }
    const std::string theirs = ExecutableOf(processId);
    return !theirs.empty() && theirs != ExecutableOf(0);
}

void Lock(int fd, int operation) {
    while (::flock(fd, operation) != 0 && errno == EINTR) {
    }
}

[[noreturn]] void ThrowSystemError(const std::string& what) {
    throw Error(what + ": " + Cp1252FromUtf8(std::strerror(errno)) + ".");
}

}  // namespace

bool InstanceGuard::AnotherInstanceOwns(std::int64_t ownHandle, int allowedInstances) {
    const std::string objectName = ObjectName(m_blockName);
    const auto own = static_cast<std::int32_t>(ownHandle);
    // The lock serialises starts and ends of instances; the retries cover a block that its
    // last instance removed between our open and our lock.
    for (int attempt = 0; attempt < 10; ++attempt) {
        int fd = ::shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno != EEXIST) {
                ThrowSystemError("Unable to create the shared block " + m_blockName);
            }
            fd = ::shm_open(objectName.c_str(), O_RDWR | O_CLOEXEC, 0);
            if (fd < 0) {
                if (errno == ENOENT) {
                    continue;
                }
                m_registered = false;  // someone else's block: stop without a word
                return true;
            }
        }
        Lock(fd, LOCK_EX);
        struct stat info {};
        if (::fstat(fd, &info) != 0 || info.st_nlink == 0) {
            ::close(fd);
            continue;
        }
        // A block just created (by us or by a start racing us) is still empty: zeros read as
        // "no instance yet".
        if (info.st_size < static_cast<off_t>(kBlockSize) && ::ftruncate(fd, kBlockSize) != 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            ThrowSystemError("Unable to create the shared block " + m_blockName);
        }
        void* view = ::mmap(nullptr, kBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (view == MAP_FAILED) {
            const int error = errno;
            ::close(fd);
            errno = error;
            ThrowSystemError("Unable to map the shared block " + m_blockName);
        }
        auto handle = Slot(view, 0);
        auto count = Slot(view, 4);
        const std::int32_t stored = handle.load();
        bool stop = false;
        if (count.load() < allowedInstances) {
            handle.store(own);
            count.fetch_add(1);
        } else if (FirstInstanceGone(stored)) {
            handle.store(own);
            count.store(1);
        } else {
            stop = true;
        }
        Lock(fd, LOCK_UN);
        if (stop) {
            m_firstHandle = stored;
            m_registered = false;
            ::munmap(view, kBlockSize);
            ::close(fd);
            return true;
        }
        // The block stays open and mapped while this instance lives.
        m_view = view;
        m_handle = fd;
        m_open = true;
        return false;
    }
    throw Error("Unable to open the shared block " + m_blockName + ".");
}

std::int64_t InstanceGuard::HandleBeforeWindow() {
    return CurrentProcessId();
}

// The block keeps the process id, by which a later start tells a living first instance from a
// crashed one; the window is reached through the local channel.
void InstanceGuard::PublishWindow(std::int64_t /*windowHandle*/) {}

bool ForwardArguments(std::int64_t /*firstHandle*/, const std::vector<std::string>& /*arguments*/) {
    return false;
}

InstanceGuard::~InstanceGuard() {
    if (!m_open) {
        return;
    }
    const int fd = static_cast<int>(m_handle);
    if (m_registered) {
        Lock(fd, LOCK_EX);
        // The last instance removes the block, unless it was removed and made anew meanwhile.
        struct stat info {};
        if (Slot(m_view, 4).fetch_sub(1) <= 1 && ::fstat(fd, &info) == 0 && info.st_nlink > 0) {
            ::shm_unlink(ObjectName(m_blockName).c_str());
        }
        Lock(fd, LOCK_UN);
    }
    ::munmap(m_view, kBlockSize);
    ::close(fd);
}

}  // namespace seewolf::platform
