#pragma once

// The file system as the rest of Seewolf sees it.
//
// Text in the core is Windows-1252; file names on Linux are UTF-8. The functions here turn
// core text into native paths and back, match path components case-insensitively (the game
// runs under Wine, which ignores case, while Linux does not), and carry out every changing
// file operation, so that they can all be counted for fault injection.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf::platform {

// Native path from core text (Windows-1252, backslashes or slashes as separators).
std::filesystem::path PathFromText(std::string_view text);

// Core text (Windows-1252, native separators) from a native path; characters that the code
// page cannot hold become '?' (for messages; ListFolder marks such names).
std::string TextFromPath(const std::filesystem::path& path);

// On Windows, why Windows would refuse a name in `path` or store it under another name: a
// reserved device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$, CONOUT$, with
// or without an extension), a name ending in a dot or a blank (Windows drops them), or a name
// holding one of <>:"|?* or a control character. A sentence part naming the name, for the
// user; empty when every name after the drive is fine. The creating and renaming operations
// below refuse such a path with this reason. On Linux every name is kept: always empty.
std::string NameWindowsRefuses(const std::filesystem::path& path);

// `folder` joined with a relative game path such as "data\Cfg\Basic.cfg". Each component that
// does not exist with its exact spelling is matched case-insensitively against the entries of
// the folder before it; a component that matches nothing keeps its spelling (so new files are
// created as named), and so do all components after it. Where several entries differ only in
// case and none has the exact spelling, the first one in the folder's listing order is taken.
// "." and ".." are kept as they are, empty components are skipped, and a trailing separator
// is kept. Costs one file-system query per component when everything exists with its exact
// spelling. (Windows ignores case itself; there the components are simply joined.)
std::filesystem::path Resolve(const std::filesystem::path& folder, std::string_view relative);

// The path with one trailing separator ("/x/y/"), as every shared folder is held.
std::filesystem::path WithTrailingSeparator(const std::filesystem::path& folder);

// The path without trailing separators, as shown to the user ("/x/y").
std::filesystem::path WithoutTrailingSeparator(const std::filesystem::path& folder);

// Full path of the running executable.
std::filesystem::path ExecutablePath();

struct FileStamp {
    std::uintmax_t size = 0;
    std::int64_t modifiedNs = 0;  // modification time, nanoseconds since the Unix epoch
    std::uint64_t identity = 0;   // inode (or file index), changes when a file is replaced
    std::int64_t changedNs = 0;   // status change time where the system has one, else 0
    bool operator==(const FileStamp&) const = default;
};

// Stamp of a regular file, or nothing when it does not exist or is not a file.
std::optional<FileStamp> StampOf(const std::filesystem::path& path);

// A moment as the computer's clock shows it in the local time zone (with its daylight saving
// time at that moment), as the game and the user see file times.
struct LocalTime {
    int year = 0;
    int month = 0;   // 1 to 12
    int day = 0;     // 1 to 31
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    int second = 0;  // 0 to 59
};

// Local time of a moment given in nanoseconds since the Unix epoch (such as FileStamp's
// modifiedNs); fractions of a second are dropped.
LocalTime ToLocalTime(std::int64_t nanosecondsSinceUnixEpoch);

bool FileExists(const std::filesystem::path& path);    // a regular file (following links)
bool FolderExists(const std::filesystem::path& path);  // a directory (following links)

// The whole file, or nothing when it cannot be opened.
std::optional<std::string> ReadFile(const std::filesystem::path& path);

// Up to `count` bytes at `offset`; fewer when the file is shorter. Throws Error when the file
// cannot be opened.
std::string ReadBytes(const std::filesystem::path& path, std::uint64_t offset, std::size_t count);

// The read-only attribute: on POSIX, a file whose owner may not write it. SetReadOnly clears
// every write bit, or gives back the owner's and those the umask allows; it throws Error when
// the attributes cannot be changed (a missing file).
bool IsReadOnly(const std::filesystem::path& path);
void SetReadOnly(const std::filesystem::path& path, bool readOnly);
bool TrySetReadOnly(const std::filesystem::path& path, bool readOnly);  // false instead of Error

struct FolderEntry {
    std::string name;  // Windows-1252 text
    bool isFolder = false;
    // The name holds characters that Windows-1252 cannot hold: `name` shows each as '?', so it
    // cannot open the entry. The caller tells the user about it instead of skipping it unsaid.
    bool nameNotText = false;
};

// Entries of a folder in the order the system lists them, without "." and "..". An unreadable
// or missing folder gives an empty list.
std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder);

// ---- Temporary files ----
// Every write through a temporary file uses a name beside its target: "." + the target's name +
// ".seewolf-" + process id + "-" + serial number + ".tmp". A process cut in the middle of such a
// write leaves one behind, which a later clean-up recognises by its name.

inline constexpr std::string_view kTemporaryMarker = ".seewolf-";
inline constexpr std::string_view kTemporaryEnd = ".tmp";

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target, std::uint64_t processId,
                                       std::uint64_t serial);

// Whether a file name (no folder) has the form of such a temporary file.
bool IsTemporaryFileName(const std::filesystem::path& name);

// ---- Changing operations. Each one counts towards the fault-injection limit once it has
// completed; one that finds nothing to do (a folder that already exists, a path already gone)
// does not count, and neither does one that fails. On Windows, a path that they would create
// under a name that NameWindowsRefuses explains is refused, with that reason in the Error. Each one that
// throws has a Try... variant that does the same and returns false instead of throwing, for callers to whom a
// failure is an answer (a file left in place, a copy kept), not an error. ----

// Writes `bytes` to a temporary file in the target's folder and renames it over the target,
// so the target holds either its old or its new bytes, never a mix. An existing target keeps
// its permissions; a symbolic link is followed and its target replaced. A read-only target is
// refused, as Windows does. `durable` flushes the data to the disk before the rename. Throws
// Error ("Unable to write to <path>") on failure, leaving no temporary file behind.
void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, bool durable = false);
bool TryWriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, bool durable = false);

// Appends `bytes` to the end of a file, creating it when missing. `durable` flushes the file
// (and, for a new file, its folder entry) to the disk before returning. A write that fails
// part-way is cut back, so the file never ends in half of `bytes`. Throws Error ("Unable to
// write to <path>") on failure.
void AppendToFile(const std::filesystem::path& path, std::string_view bytes, bool durable = false);

// Creates the folder and any missing parents. Throws Error on failure. `durable`: each folder
// created is on the disk when the call returns (its entry in its parent flushed), so that a file
// flushed into it later cannot be lost with its folder at a power cut.
void CreateFolders(const std::filesystem::path& folder, bool durable = false);
bool TryCreateFolders(const std::filesystem::path& folder, bool durable = false);

// Flushes a folder's entries to the disk. On Windows nothing: NTFS journals them, in order.
void FlushFolder(const std::filesystem::path& folder);

// Flushes everything changed on the file system that holds `path` (files, their bytes and folder
// entries) to the disk: one flush after many changes, where flushing each folder would cost one
// journal commit per folder. On Windows nothing, as for FlushFolder.
void FlushFileSystem(const std::filesystem::path& path);
#ifdef _WIN32
inline constexpr bool kFlushesFileSystems = false;  // a file that must be on the disk is flushed itself
#else
inline constexpr bool kFlushesFileSystems = true;
#endif

// Copies a file over `to` (through a temporary file and a rename), keeping the source's
// permissions and modification time. A read-only target is refused. Throws Error
// ("Unable to copy <from> to <to>") on failure.
void CopyFileAtomic(const std::filesystem::path& from, const std::filesystem::path& to, bool durable = false);
bool TryCopyFileAtomic(const std::filesystem::path& from, const std::filesystem::path& to,
                       bool durable = false);

// Copies a file to `to`, where nothing may exist yet (not even a link), keeping the source's
// permissions and modification time. No temporary file and no rename: for places where a cut,
// partial copy under its own name is harmless and speed counts. A copy that fails is removed.
// Throws Error ("Unable to copy <from> to <to>") on failure, also when `to` exists.
void CopyFileExclusive(const std::filesystem::path& from, const std::filesystem::path& to);
bool TryCopyFileExclusive(const std::filesystem::path& from, const std::filesystem::path& to);

// Several copies that must all be on the disk before the caller goes on (pre-launch copies that
// are about to protect edits), for one flush instead of one per copy. Add copies a file to a
// temporary name beside `to`, keeping the source's permissions and modification time, without
// flushing it. Commit flushes every copy, only then renames each over its target, and flushes the
// folders they went into: a target never holds a copy whose bytes a power cut could still take.
// Each copy counts as one changing operation when it reaches its target, as CopyFileAtomic does;
// the flushes change nothing a process that dies can see and do not count. Copies never committed
// are removed with the batch. On Windows, Add flushes each copy and puts it in place at once.
class CopyBatch {
  public:
    CopyBatch() = default;
    ~CopyBatch();
    CopyBatch(const CopyBatch&) = delete;
    CopyBatch& operator=(const CopyBatch&) = delete;

    // Throws Error ("Unable to copy <from> to <to>") when the copy cannot be made, or when `to`
    // is read-only or not a file.
    void Add(const std::filesystem::path& from, const std::filesystem::path& to);
    // Throws Error when a flush or rename fails; the copies already renamed stay, the rest go.
    void Commit();

  private:
    struct Pending {
        std::filesystem::path from;
        std::filesystem::path temporary;
        std::filesystem::path target;
    };
    std::vector<Pending> m_pending;
};

// Renames a file or folder, replacing a file at `to`; on Windows a read-only file at `to` is
// refused, as the system does (on Linux the owner's write bit does not guard a rename). Throws
// Error on failure.
void RenamePath(const std::filesystem::path& from, const std::filesystem::path& to);
bool TryRenamePath(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes a file or an empty folder; false when it could not be removed. A missing path is true.
// On Windows a read-only file is not removed (callers clear the attribute first).
bool RemovePath(const std::filesystem::path& path);

// Removes a folder with everything in it; false when something could not be removed.
bool RemoveTree(const std::filesystem::path& folder);

// ---- What the operations above do, in their order ----
// A process that dies keeps every write it completed; a power cut keeps only what was flushed to
// the disk. Each operation above reports what it changed and what it flushed as a FileEvent, so
// that tests can check that a record reaches the disk before the change it records. A durable
// operation reports the flush of its bytes, then its change, then the flush of the folder entry
// that makes the change last (on Windows, a write or copy through a temporary file is put in
// place written through: that counts as the folder's flush).
enum class FileEventKind {
    FlushFile,        // the bytes of `path` are on the disk (for a write or copy through a temporary
                      // file, the bytes that take `path`'s place)
    FlushFolder,      // the entries of the folder `path` are on the disk
    FlushFileSystem,  // everything on the file system that holds `path` is on the disk
    CreateFolder,     // the folder `path` was created (with any missing parents)
    Write,            // `path` was written whole (WriteFileAtomic)
    Append,           // bytes were appended to `path`
    Copy,             // `from` was copied to `path`
    Rename,           // `from` was renamed to `path`
    Delete,           // `path` (a file, a folder or a tree) was removed, also to the trash
};

struct FileEvent {
    FileEventKind kind;
    std::filesystem::path path;
    std::filesystem::path from;  // for Copy and Rename
};

// Calls `watcher` with every file event of this process from now on, on the thread that caused
// it and one event at a time, until WatchFileEvents(nullptr); for tests. The watcher may read files but must
// change none. Unwatched, an event costs one relaxed atomic load.
void WatchFileEvents(std::function<void(const FileEvent&)> watcher);

// The flushes of files and folders this process has made so far.
std::uint64_t FlushCount();

// Counts a flush and reports it (kind FlushFile or FlushFolder) to the watcher.
void CountFlush(FileEventKind kind, const std::filesystem::path& path);

// ---- Fault injection ----
// When the environment variable SEEWOLF_FAULT_AFTER holds a number N > 0, the process ends
// abruptly (as a crash would, with the exit code kFaultExitCode) right after its N-th changing
// file operation has completed.
// Tests use this to prove that a launch or roll-back cut at any point loses nothing.
// Each changing operation reports itself here, once it has completed (and been counted).
void CountChangingOperation(FileEventKind kind, const std::filesystem::path& path,
                            const std::filesystem::path& from = {});
inline constexpr int kFaultExitCode = 86;

}  // namespace seewolf::platform
