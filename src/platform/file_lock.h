#pragma once

// An exclusive lock on a file, between processes and within one. It lets one launch or
// roll-back at a time work on a game folder. The system drops the lock when its holder ends,
// also by a crash, so a lock is never left behind.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace seewolf::platform {

class FileLock {
  public:
    // Takes an exclusive lock on `path` (the file is created if missing, never deleted), waiting up to
    // `wait` for another holder to let go. Returns std::nullopt when it is still held after the wait.
    // Throws platform Error when the file cannot be created or opened.
    static std::optional<FileLock> Acquire(const std::filesystem::path& path, std::chrono::milliseconds wait);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    ~FileLock();  // releases
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    static constexpr std::intptr_t kNoFile = -1;

    explicit FileLock(std::intptr_t file) : m_file(file) {}
    // Per system: opens (creating) the lock file, throwing Error when it cannot; tries the lock
    // once, false when another holder has it, throwing Error for any other failure; closes.
    static std::intptr_t Open(const std::filesystem::path& path);
    static bool TryLock(std::intptr_t file, const std::filesystem::path& path);
    static void Close(std::intptr_t file) noexcept;

    std::intptr_t m_file;  // the open lock file (a descriptor or a Windows handle), or kNoFile
};

}  // namespace seewolf::platform
