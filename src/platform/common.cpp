// What the POSIX and the Windows sources share: the fault counter of the changing file
// operations, the flush counter and the watcher of file events, the temporary-file names, the folder creation
// (std::filesystem does it alike on both), the rule that names the instance block, the waits for the instance
// guard and for a file lock, and the splitting of a raw command line.

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/instance_guard.h"
#include "platform/processes.h"

namespace seewolf::platform {

namespace {

long long ReadFaultLimit() {
    const char* value = std::getenv("SEEWOLF_FAULT_AFTER");
    if (value == nullptr) {
        return 0;
    }
    long long limit = 0;
    const char* end = value + std::strlen(value);
    const auto result = std::from_chars(value, end, limit);
    return result.ec == std::errc() && result.ptr == end && limit > 0 ? limit : 0;
}

}  // namespace

namespace {

std::atomic<bool> g_watching{false};
std::mutex g_watcherMutex;
std::function<void(const FileEvent&)> g_watcher;
std::atomic<std::uint64_t> g_flushes{0};

void Report(FileEventKind kind, const std::filesystem::path& path, const std::filesystem::path& from) {
    if (!g_watching.load(std::memory_order_relaxed)) {
        return;
    }
    std::function<void(const FileEvent&)> watcher;
    {
        const std::lock_guard<std::mutex> lock(g_watcherMutex);
        watcher = g_watcher;
    }
    if (watcher) {
        // One event at a time, also when several threads change files.
        static std::mutex calling;
        const std::lock_guard<std::mutex> lock(calling);
        watcher(FileEvent{kind, path, from});
    }
}

}  // namespace

void WatchFileEvents(std::function<void(const FileEvent&)> watcher) {
    const std::lock_guard<std::mutex> lock(g_watcherMutex);
    g_watcher = std::move(watcher);
    g_watching.store(static_cast<bool>(g_watcher));
}

std::uint64_t FlushCount() {
    return g_flushes.load();
}

void CountFlush(FileEventKind kind, const std::filesystem::path& path) {
    g_flushes.fetch_add(1, std::memory_order_relaxed);
    Report(kind, path, {});
}

void CountChangingOperation(FileEventKind kind, const std::filesystem::path& path,
                            const std::filesystem::path& from) {
    Report(kind, path, from);
    static const long long limit = ReadFaultLimit();
    static std::atomic<long long> count{0};
    if (limit > 0 && count.fetch_add(1) + 1 == limit) {
        // A crash, as far as the files can tell: no destructors, no flushing of buffers.
        std::_Exit(kFaultExitCode);
    }
}

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target, std::uint64_t processId,
                                       std::uint64_t serial) {
    std::filesystem::path name = ".";
    name += target.filename();
    name += std::string(kTemporaryMarker) + std::to_string(processId) + "-" + std::to_string(serial) +
            std::string(kTemporaryEnd);
    return target.parent_path() / name;
}

bool IsTemporaryFileName(const std::filesystem::path& name) {
    using String = std::filesystem::path::string_type;
    const String& n = name.native();
    const String marker(kTemporaryMarker.begin(), kTemporaryMarker.end());
    const String end(kTemporaryEnd.begin(), kTemporaryEnd.end());
    if (n.size() < 2 || n.front() != '.' || n.size() < end.size() ||
        n.compare(n.size() - end.size(), end.size(), end) != 0) {
        return false;
    }
    const String body = n.substr(0, n.size() - end.size());
    const std::size_t at = body.rfind(marker);
    if (at == String::npos || at < 2) {
        return false;  // no marker, or no target name before it
    }
    const String numbers = body.substr(at + marker.size());
    const std::size_t dash = numbers.find('-');
    const auto digits = [](const String& s) {
        return !s.empty() && std::all_of(s.begin(), s.end(), [](auto c) { return c >= '0' && c <= '9'; });
    };
    return dash != String::npos && digits(numbers.substr(0, dash)) && digits(numbers.substr(dash + 1));
}

namespace {

// The reason a name in `path` cannot be used on Windows, as the tail of an error text.
std::string RefusedTail(const std::filesystem::path& path) {
    const std::string reason = NameWindowsRefuses(path);
    return reason.empty() ? std::string() : ": " + reason + ".";
}

}  // namespace

bool TryCreateFolders(const std::filesystem::path& folder, bool durable) {
    if (!NameWindowsRefuses(folder).empty()) {
        return false;
    }
    std::error_code ec;
    const std::filesystem::path whole = WithoutTrailingSeparator(folder);
    std::vector<std::filesystem::path> missing;  // innermost first
    if (durable) {
        for (std::filesystem::path f = whole; !f.empty() && !std::filesystem::exists(f, ec);
             f = f.parent_path()) {
            missing.push_back(f);
            if (f == f.parent_path()) {
                break;
            }
        }
    }
    const bool created = std::filesystem::create_directories(whole, ec);
    if (ec) {
        return false;
    }
    if (created) {
        CountChangingOperation(FileEventKind::CreateFolder, folder);
    }
    for (auto f = missing.rbegin(); f != missing.rend(); ++f) {
        FlushFolder(f->parent_path());
    }
    return true;
}

void CreateFolders(const std::filesystem::path& folder, bool durable) {
    if (!TryCreateFolders(folder, durable)) {
        throw Error("Unable to create the folder " + TextFromPath(folder) + RefusedTail(folder));
    }
}

// The throwing forms of the Try... operations: the same on every system.
void SetReadOnly(const std::filesystem::path& path, bool readOnly) {
    if (!TrySetReadOnly(path, readOnly)) {
        throw Error("Unable to change the attributes of " + TextFromPath(path));
    }
}

void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, bool durable) {
    if (!TryWriteFileAtomic(path, bytes, durable)) {
        throw Error("Unable to write to " + TextFromPath(path) + RefusedTail(path));
    }
}

void CopyFileAtomic(const std::filesystem::path& from, const std::filesystem::path& to, bool durable) {
    if (!TryCopyFileAtomic(from, to, durable)) {
        throw Error("Unable to copy " + TextFromPath(from) + " to " + TextFromPath(to) + RefusedTail(to));
    }
}

void CopyFileExclusive(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!TryCopyFileExclusive(from, to)) {
        throw Error("Unable to copy " + TextFromPath(from) + " to " + TextFromPath(to) + RefusedTail(to));
    }
}

void RenamePath(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!TryRenamePath(from, to)) {
        throw Error("Unable to rename " + TextFromPath(from) + " to " + TextFromPath(to) + RefusedTail(to));
    }
}

InstanceGuard::InstanceGuard(const std::filesystem::path& executable)
    : m_executable(executable), m_blockName(BlockNameFor(executable)) {}

std::string InstanceGuard::BlockNameFor(const std::filesystem::path& executable) {
    std::string name;
    for (const char c : TextFromPath(executable)) {
        if (c != '/' && c != '\\') {
            name += c;
        }
    }
    return LowerCase(name);
}

bool InstanceGuard::AnotherInstanceOwns(std::int64_t ownHandle, int allowedInstances,
                                        std::chrono::milliseconds wait) {
    constexpr std::chrono::milliseconds kPollInterval{50};
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (!AnotherInstanceOwns(ownHandle, allowedInstances)) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return true;
        }
        m_registered = true;  // a refused ask leaves nothing open; the next one starts afresh
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kPollInterval, deadline - now));
    }
}

// The lock is tried again every few milliseconds until the wait is over; the lock file is not a
// changing operation of the fault counter (it holds nothing and stays).
std::optional<FileLock> FileLock::Acquire(const std::filesystem::path& path, std::chrono::milliseconds wait) {
    constexpr std::chrono::milliseconds kPollInterval{25};
    FileLock lock(Open(path));  // closes the file again on every way out without the lock
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!TryLock(lock.m_file, path)) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kPollInterval, deadline - now));
    }
    return lock;
}

FileLock::FileLock(FileLock&& other) noexcept : m_file(std::exchange(other.m_file, kNoFile)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (m_file != kNoFile) {
            Close(m_file);
        }
        m_file = std::exchange(other.m_file, kNoFile);
    }
    return *this;
}

FileLock::~FileLock() {
    if (m_file != kNoFile) {
        Close(m_file);  // closing the file drops its lock
    }
}

std::vector<std::string> SplitCommandLine(std::string_view raw) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (true) {
        while (i < raw.size() && static_cast<unsigned char>(raw[i]) <= ' ') {
            ++i;
        }
        if (i >= raw.size()) {
            break;
        }
        std::string argument;
        while (i < raw.size() && static_cast<unsigned char>(raw[i]) > ' ') {
            if (raw[i] == '"') {
                ++i;
                while (i < raw.size() && raw[i] != '"') {
                    argument += raw[i++];
                }
                if (i < raw.size()) {
                    ++i;  // the closing quote
                }
            } else {
                argument += raw[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::optional<std::vector<std::string>> SplitShellWords(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;  // a word has begun, perhaps an empty one ("")
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            continue;
        }
        inWord = true;
        if (c == '\\') {
            if (++i == command.size()) {
                return std::nullopt;
            }
            word += command[i];
        } else if (c == '\'') {
            const std::size_t end = command.find('\'', i + 1);
            if (end == std::string_view::npos) {
                return std::nullopt;
            }
            word += command.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i == command.size()) {
                    return std::nullopt;
                }
                if (command[i] == '"') {
                    break;
                }
                if (command[i] == '\\' && i + 1 < command.size() &&
                    std::string_view("\"\\$`").find(command[i + 1]) != std::string_view::npos) {
                    ++i;
                }
                word += command[i];
            }
        } else {
            word += c;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace seewolf::platform
