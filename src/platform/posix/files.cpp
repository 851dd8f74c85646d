#include "platform/files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <system_error>
#include <time.h>
#include <unistd.h>
#include <utility>

#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/posix/write_all.h"

namespace seewolf::platform {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A file descriptor that is closed when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    ~Descriptor() { Close(); }
    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    // Closes now and reports whether the close succeeded (a write error can surface here).
    bool Close() {
        if (m_fd < 0) {
            return true;
        }
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0;
    }

  private:
    int m_fd;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

using posix::WriteAll;

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The file a path finally names, following symbolic links (also dangling ones, so that writing
// through a link creates its target). Gives up after as many links as the system allows.
// `exists` and `st` tell whether that file exists and its status.
fs::path FollowLinks(fs::path path, bool& exists, struct stat& st) {
    for (int depth = 0; depth < 40; ++depth) {
        exists = ::lstat(path.c_str(), &st) == 0;
        if (!exists || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::error_code ec;
        const fs::path link = fs::read_symlink(path, ec);
        if (ec) {
            break;
        }
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    exists = ::stat(path.c_str(), &st) == 0;
    return path;
}

// A name for a temporary file beside `target`, unique within this process; the pid keeps it
// unique among processes, and O_EXCL settles any remaining clash.
fs::path TemporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    return TemporaryPathFor(target, static_cast<std::uint64_t>(::getpid()), counter.fetch_add(1));
}

// Creates a new temporary file beside `target`; the kernel applies the umask to `mode`.
Descriptor CreateTemporary(const fs::path& target, mode_t mode, fs::path& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryBeside(target);
        const int fd = OpenRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
        if (fd >= 0 || errno != EEXIST) {
            return Descriptor(fd);
        }
    }
    return Descriptor(-1);
}

// Flushes a folder so that a rename within it survives a power cut.
void SyncFolder(const fs::path& folder) {
    Descriptor dir(OpenRetrying(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (dir.Valid() && ::fsync(dir.Get()) == 0) {
        CountFlush(FileEventKind::FlushFolder, folder);
    }
}

}  // namespace

void FlushFolder(const fs::path& folder) {
    SyncFolder(folder);
}

void FlushFileSystem(const fs::path& path) {
    Descriptor dir(OpenRetrying(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY));
    if (dir.Valid() && ::syncfs(dir.Get()) == 0) {
        CountFlush(FileEventKind::FlushFileSystem, path);
    }
}

namespace {

// Flushes the bytes of an open file; `path` names them (for a temporary file, its target).
bool SyncData(int fd, const fs::path& path) {
    if (::fdatasync(fd) != 0) {
        return false;
    }
    CountFlush(FileEventKind::FlushFile, path);
    return true;
}

bool OwnerMayNotWrite(const struct stat& st) {
    return (st.st_mode & S_IWUSR) == 0;
}

// Copies the whole of `in` to `out`: in the kernel where it can, else through a large buffer.
bool CopyContents(int in, int out, std::uint64_t size) {
    std::uint64_t done = 0;
    while (done < size) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size - done, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;  // not supported between these files (file systems, old kernels): fall back
        }
        done += static_cast<std::uint64_t>(n);
    }
    if (done >= size) {
        return true;
    }
    // The fallback continues where the kernel copy stopped; both descriptors' offsets moved
    // together with `done`.
    while (done < size) {
        const ssize_t n = ::sendfile(out, in, nullptr, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::uint64_t>(n);
    }
    if (done >= size) {
        return true;
    }
    std::string buffer(1 << 20, '\0');
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!WriteAll(out, std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
            return false;
        }
    }
}

// Cp1252 text of a file name, or nothing when the code page cannot hold the name exactly (such
// an entry cannot be named by core text anyway).
std::optional<std::string> ExactText(const char* utf8Name) {
    std::string text = Cp1252FromUtf8(utf8Name);
    if (Utf8FromCp1252(text) != utf8Name) {
        return std::nullopt;
    }
    return text;
}

// The process's umask. Linux shows it in /proc/self/status; elsewhere it can only be read by
// setting it, which is restored at once.
mode_t CurrentUmask() {
    if (const auto status = ReadFile("/proc/self/status")) {
        const std::size_t at = status->find("\nUmask:");
        if (at != std::string::npos) {
            std::size_t pos = at + 7;
            while (pos < status->size() && ((*status)[pos] == ' ' || (*status)[pos] == '\t')) {
                ++pos;
            }
            unsigned value = 0;
            const char* begin = status->data() + pos;
            const auto result = std::from_chars(begin, status->data() + status->size(), value, 8);
            if (result.ec == std::errc() && result.ptr != begin) {
                return static_cast<mode_t>(value);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

}  // namespace

fs::path PathFromText(std::string_view text) {
    std::string native = Utf8FromCp1252(text);
    for (char& c : native) {
        if (c == '\\') {
            c = '/';
        }
    }
    return fs::path(std::move(native));
}

std::string NameWindowsRefuses(const fs::path& /*path*/) {
    return {};
}

std::string TextFromPath(const fs::path& path) {
    return Cp1252FromUtf8(path.native());
}

fs::path Resolve(const fs::path& folder, std::string_view relative) {
    std::string result = folder.native();
    // Once a component matches nothing, the rest cannot exist either: take it as given.
    bool lookUp = true;
    std::size_t pos = 0;
    while (pos < relative.size()) {
        std::size_t end = pos;
        while (end < relative.size() && !IsSeparator(relative[end])) {
            ++end;
        }
        const std::string_view component = relative.substr(pos, end - pos);
        pos = end + 1;
        if (component.empty()) {
            continue;
        }
        const std::string name = Utf8FromCp1252(component);
        const std::size_t parentLength = result.size();
        if (!result.empty() && result.back() != '/') {
            result += '/';
        }
        const std::string parent = result;
        result += name;
        if (!lookUp || component == "." || component == "..") {
            continue;
        }
        struct stat st {};
        if (::lstat(result.c_str(), &st) == 0) {
            continue;  // exact spelling exists
        }
        // Match without regard to case. Several entries can differ only in case on Linux; then
        // the first one in the folder's listing order is taken.
        std::optional<std::string> match;
        if (DIR* dir = ::opendir(parent.empty() ? "." : parent.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                // Each Cp1252 character takes one to three bytes of UTF-8: skip the entries
                // that cannot match before converting their names.
                const std::size_t length = std::strlen(entry->d_name);
                if (length < component.size() || length > component.size() * 3) {
                    continue;
                }
                const auto text = ExactText(entry->d_name);
                if (text && SameText(*text, component)) {
                    match = entry->d_name;
                    break;
                }
            }
            ::closedir(dir);
        }
        if (match) {
            result.resize(parentLength);
            if (!result.empty() && result.back() != '/') {
                result += '/';
            }
            result += *match;
        } else {
            lookUp = false;
        }
    }
    if (!relative.empty() && IsSeparator(relative.back()) && !result.empty() && result.back() != '/') {
        result += '/';
    }
    return fs::path(std::move(result));
}

fs::path WithTrailingSeparator(const fs::path& folder) {
    std::string text = folder.native();
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return fs::path(std::move(text));
}

fs::path WithoutTrailingSeparator(const fs::path& folder) {
    std::string text = folder.native();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return fs::path(std::move(text));
}

fs::path ExecutablePath() {
    std::error_code ec;
    fs::path path = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : path;
}

std::optional<FileStamp> StampOf(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.size = static_cast<std::uintmax_t>(st.st_size);
    stamp.modifiedNs = Nanoseconds(st.st_mtim);
    stamp.identity = static_cast<std::uint64_t>(st.st_ino);
    stamp.changedNs = Nanoseconds(st.st_ctim);
    return stamp;
}

LocalTime ToLocalTime(std::int64_t nanosecondsSinceUnixEpoch) {
    // Round towards the past, so that 0.5 s before the epoch is 23:59:59 and not 00:00:00.
    std::int64_t seconds = nanosecondsSinceUnixEpoch / 1'000'000'000;
    if (nanosecondsSinceUnixEpoch % 1'000'000'000 < 0) {
        --seconds;
    }
    const time_t t = static_cast<time_t>(seconds);
    struct tm tm {};
    if (::localtime_r(&t, &tm) == nullptr) {
        return {};
    }
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, std::min(tm.tm_sec, 59)};
}

bool FileExists(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::string> ReadFile(const fs::path& path) {
    Descriptor fd(OpenRetrying(path.c_str(), O_RDONLY));
    if (!fd.Valid()) {
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || S_ISDIR(st.st_mode)) {
        return std::nullopt;
    }
    std::string bytes;
    // The size is a hint only: the file may grow or shrink while it is read.
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            bytes.resize(bytes.size() * 2 + 4096);
        }
        const ssize_t n = ::read(fd.Get(), bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    return bytes;
}

std::string ReadBytes(const fs::path& path, std::uint64_t offset, std::size_t count) {
    Descriptor fd(OpenRetrying(path.c_str(), O_RDONLY));
    if (!fd.Valid()) {
        throw Error("Unable to read " + TextFromPath(path));
    }
    std::string bytes(count, '\0');
    std::size_t used = 0;
    while (used < count) {
        const ssize_t n =
            ::pread(fd.Get(), bytes.data() + used, count - used, static_cast<off_t>(offset + used));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw Error("Unable to read " + TextFromPath(path));
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    return bytes;
}

bool IsReadOnly(const fs::path& path) {
    // The owner's write bit, not access(W_OK): root may write anything, but the attribute
    // still says what the user meant.
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && OwnerMayNotWrite(st);
}

bool TrySetReadOnly(const fs::path& path, bool readOnly) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return false;
    }
    mode_t mode = st.st_mode & 07777;
    if (readOnly) {
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else {
        // Give back the write bits a new file would get: the owner's always, the others' as
        // the umask allows. Reading the umask means setting it, so restore it at once.
        const mode_t mask = CurrentUmask();
        mode |= S_IWUSR | (static_cast<mode_t>(S_IWGRP | S_IWOTH) & ~mask);
    }
    if (mode != (st.st_mode & 07777) && ::chmod(path.c_str(), mode) != 0) {
        return false;
    }
    return true;
}

std::vector<FolderEntry> ListFolder(const fs::path& folder) {
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return entries;
    }
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st {};
            isFolder = ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        std::string text = Cp1252FromUtf8(name);
        const bool notText = Utf8FromCp1252(text) != name;
        entries.push_back({std::move(text), isFolder, notText});
    }
    ::closedir(dir);
    return entries;
}

// The last steps of every write through a temporary file: flush it when asked, close it, rename it
// over the target (or remove it after a failure), and count the change. False after a failure.
// A regular file opened for reading, with its status; an invalid descriptor for anything else.
Descriptor OpenRegularFile(const fs::path& path, struct stat& st) {
    Descriptor fd(OpenRetrying(path.c_str(), O_RDONLY));
    if (fd.Valid() && (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))) {
        return Descriptor(-1);
    }
    return fd;
}

// The mode a copy of `source` is created with. What the umask takes away, CopyAsIs puts back.
mode_t CreateModeFor(const struct stat& source) {
    return source.st_mode & 0777;
}

// The bytes of `in`, its permissions and its times, into `out` (created with CreateModeFor). The
// permissions are set only where creating the file did not already give them: each change of a
// file's attributes costs the file system a journal entry.
bool CopyAsIs(int in, int out, const struct stat& source) {
    struct stat made {};
    if (!CopyContents(in, out, static_cast<std::uint64_t>(source.st_size)) || ::fstat(out, &made) != 0 ||
        ((made.st_mode & 07777) != (source.st_mode & 07777) && ::fchmod(out, source.st_mode & 07777) != 0)) {
        return false;
    }
    const timespec times[2] = {source.st_atim, source.st_mtim};
    return ::futimens(out, times) == 0;
}

bool FinishTemporary(Descriptor& fd, bool ok, const fs::path& temporary, const fs::path& target, bool durable,
                     FileEventKind kind, const fs::path& from = {}) {
    if (ok && durable) {
        ok = SyncData(fd.Get(), target);
    }
    ok = fd.Close() && ok;
    if (ok) {
        ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    CountChangingOperation(kind, target, from);
    if (durable) {
        SyncFolder(target.parent_path());
    }
    return true;
}

bool TryWriteFileAtomic(const fs::path& path, std::string_view bytes, bool durable) {
    struct stat existing {};
    bool exists = false;
    const fs::path target = FollowLinks(path, exists, existing);
    if (exists && (!S_ISREG(existing.st_mode) || OwnerMayNotWrite(existing))) {
        return false;  // a folder, or a read-only file, which Windows refuses to replace too
    }

    fs::path temporary;
    Descriptor fd = CreateTemporary(target, 0666, temporary);
    if (!fd.Valid()) {
        return false;
    }
    bool ok = WriteAll(fd.Get(), bytes);
    if (ok && exists) {
        // The replacement takes the place of the old file, with its permissions and (where we
        // may) its owner.
        ok = ::fchmod(fd.Get(), existing.st_mode & 07777) == 0;
        if (ok && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
            if (::fchown(fd.Get(), existing.st_uid, existing.st_gid) == 0) {
                ::fchmod(fd.Get(), existing.st_mode & 07777);  // chown may clear set-id bits
            }
        }
    }
    return FinishTemporary(fd, ok, temporary, target, durable, FileEventKind::Write);
}

void AppendToFile(const fs::path& path, std::string_view bytes, bool durable) {
    const auto fail = [&path]() { return Error("Unable to write to " + TextFromPath(path)); };
    struct stat before {};
    const bool existed = ::stat(path.c_str(), &before) == 0;
    Descriptor fd(OpenRetrying(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0666));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        throw fail();
    }
    bool ok = WriteAll(fd.Get(), bytes);
    if (!ok) {
        // No half line may stay behind for a reader to take as a whole one.
        static_cast<void>(::ftruncate(fd.Get(), st.st_size));
    }
    if (ok && durable) {
        ok = SyncData(fd.Get(), path);
    }
    ok = fd.Close() && ok;
    if (!ok) {
        throw fail();
    }
    CountChangingOperation(FileEventKind::Append, path);
    if (durable && !existed) {
        SyncFolder(path.parent_path());
    }
}

bool TryCopyFileAtomic(const fs::path& from, const fs::path& to, bool durable) {
    struct stat source {};
    Descriptor in = OpenRegularFile(from, source);
    if (!in.Valid()) {
        return false;
    }
    struct stat existing {};
    bool exists = false;
    const fs::path target = FollowLinks(to, exists, existing);
    if (exists && (!S_ISREG(existing.st_mode) || OwnerMayNotWrite(existing))) {
        return false;
    }

    fs::path temporary;
    Descriptor out = CreateTemporary(target, CreateModeFor(source), temporary);
    if (!out.Valid()) {
        return false;
    }
    bool ok = CopyAsIs(in.Get(), out.Get(), source);
    return FinishTemporary(out, ok, temporary, target, durable, FileEventKind::Copy, from);
}

CopyBatch::~CopyBatch() {
    for (const Pending& copy : m_pending) {
        ::unlink(copy.temporary.c_str());
    }
}

void CopyBatch::Add(const fs::path& from, const fs::path& to) {
    const auto fail = [&]() {
        return Error("Unable to copy " + TextFromPath(from) + " to " + TextFromPath(to));
    };
    struct stat source {};
    Descriptor in = OpenRegularFile(from, source);
    if (!in.Valid()) {
        throw fail();
    }
    struct stat existing {};
    bool exists = false;
    const fs::path target = FollowLinks(to, exists, existing);
    if (exists && (!S_ISREG(existing.st_mode) || OwnerMayNotWrite(existing))) {
        throw fail();
    }
    fs::path temporary;
    Descriptor out = CreateTemporary(target, CreateModeFor(source), temporary);
    if (!out.Valid()) {
        throw fail();
    }
    bool ok = CopyAsIs(in.Get(), out.Get(), source);
    if (ok) {
        // Starts writing the bytes to the disk now, without waiting, so that the copies go out
        // side by side and Commit's flushes find little left to do.
        ::sync_file_range(out.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    ok = out.Close() && ok;
    if (!ok) {
        ::unlink(temporary.c_str());
        throw fail();
    }
    m_pending.push_back({from, std::move(temporary), target});
}

void CopyBatch::Commit() {
    const auto fail = [](const Pending& copy) {
        return Error("Unable to copy " + TextFromPath(copy.from) + " to " + TextFromPath(copy.target));
    };
    // Each copy's own flush: unlike a flush of the whole file system, it waits for nobody
    // else's writes.
    for (const Pending& copy : m_pending) {
        Descriptor fd(OpenRetrying(copy.temporary.c_str(), O_RDONLY));
        if (!fd.Valid() || !SyncData(fd.Get(), copy.target)) {
            throw fail(copy);
        }
    }
    std::vector<fs::path> folders;
    std::size_t done = 0;
    try {
        for (; done < m_pending.size(); ++done) {
            const Pending& copy = m_pending[done];
            if (::rename(copy.temporary.c_str(), copy.target.c_str()) != 0) {
                throw fail(copy);
            }
            CountChangingOperation(FileEventKind::Copy, copy.target, copy.from);
            folders.push_back(copy.target.parent_path());
        }
    } catch (...) {
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(done));
        throw;
    }
    m_pending.clear();
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const fs::path& folder : folders) {
        SyncFolder(folder);
    }
}

bool TryCopyFileExclusive(const fs::path& from, const fs::path& to) {
    struct stat source {};
    Descriptor in = OpenRegularFile(from, source);
    if (!in.Valid()) {
        return false;
    }
    // O_EXCL also refuses a symbolic link, dangling or not: nothing is written through one.
    Descriptor out(OpenRetrying(to.c_str(), O_WRONLY | O_CREAT | O_EXCL, CreateModeFor(source)));
    if (!out.Valid()) {
        return false;
    }
    bool ok = CopyAsIs(in.Get(), out.Get(), source);
    ok = out.Close() && ok;
    if (!ok) {
        ::unlink(to.c_str());
        return false;
    }
    CountChangingOperation(FileEventKind::Copy, to, from);
    return true;
}

bool TryRenamePath(const fs::path& from, const fs::path& to) {
    if (::rename(WithoutTrailingSeparator(from).c_str(), WithoutTrailingSeparator(to).c_str()) != 0) {
        return false;
    }
    CountChangingOperation(FileEventKind::Rename, to, from);
    return true;
}

bool RemovePath(const fs::path& path) {
    const fs::path plain = WithoutTrailingSeparator(path);
    struct stat st {};
    if (::lstat(plain.c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR;
    }
    const int result = S_ISDIR(st.st_mode) ? ::rmdir(plain.c_str()) : ::unlink(plain.c_str());
    if (result != 0) {
        return false;
    }
    CountChangingOperation(FileEventKind::Delete, path);
    return true;
}

bool RemoveTree(const fs::path& folder) {
    std::error_code ec;
    const std::uintmax_t removed = fs::remove_all(WithoutTrailingSeparator(folder), ec);
    if (ec) {
        return false;
    }
    if (removed > 0) {
        CountChangingOperation(FileEventKind::Delete, folder);
    }
    return true;
}

}  // namespace seewolf::platform
