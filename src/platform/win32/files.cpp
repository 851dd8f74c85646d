#include "platform/files.h"

#include <algorithm>
#include <atomic>
#include <system_error>

#include "platform/error.h"
#include "platform/win32/support.h"

namespace seewolf::platform {

namespace fs = std::filesystem;

namespace {

constexpr UINT kCodePage = 1252;

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}
bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A handle that is closed when it goes out of scope.
class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE Release() {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }
    bool Close() {
        if (!Valid()) {
            return true;
        }
        const BOOL ok = ::CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return ok != FALSE;
    }

  private:
    HANDLE m_handle;
};

std::wstring WideFromText(std::string_view text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int length =
        ::MultiByteToWideChar(kCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(kCodePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// Windows-1252 text of a wide string; '?' for what the code page cannot hold (no "best fit"
// look-alikes, which could name a different file), and `lost` set when that happened.
std::string TextFromWide(std::wstring_view wide, bool* lost = nullptr) {
    if (wide.empty()) {
        return std::string();
    }
    const int length = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                             static_cast<int>(wide.size()), nullptr, 0, "?", nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    BOOL usedDefault = FALSE;
    ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                          text.data(), length, "?", &usedDefault);
    if (lost != nullptr) {
        *lost = usedDefault != FALSE;
    }
    return text;
}

// Why Windows would refuse one name or keep it under another, or empty.
std::string NameProblem(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..") {
        return {};
    }
    const std::string text = "\"" + TextFromWide(name) + "\"";
    for (const wchar_t c : name) {
        if (c < 32) {
            return "Windows does not allow control characters in the name " + text;
        }
        if (std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos) {
            return "Windows does not allow the character " + TextFromWide(std::wstring_view(&c, 1)) +
                   " in the name " + text;
        }
    }
    if (name.back() == L'.' || name.back() == L' ') {
        return "Windows drops the dot or blank at the end of the name " + text;
    }
    // A device name stays one with any extension and with blanks before it ("NUL .txt").
    std::wstring base(name.substr(0, name.find(L'.')));
    while (!base.empty() && base.back() == L' ') {
        base.pop_back();
    }
    for (wchar_t& c : base) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    static constexpr std::wstring_view kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    bool device = std::find(std::begin(kDevices), std::end(kDevices), base) != std::end(kDevices);
    if (!device && base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT"))) {
        // COM1 to COM9 and LPT1 to LPT9, also with the superscript digits 1, 2 and 3.
        const wchar_t digit = base[3];
        device = (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
                 digit == L'\u00B3';
    }
    if (device) {
        return "Windows keeps the name " + text + " for a device";
    }
    return {};
}

bool Refused(const fs::path& path) {
    return !NameWindowsRefuses(path).empty();
}

std::int64_t UnixNanoseconds(std::int64_t fileTime) {
    constexpr std::int64_t kUnixEpoch = 116444736000000000;  // 1970-01-01 in 100 ns units since 1601
    return (fileTime - kUnixEpoch) * 100;
}

std::int64_t FileTimeValue(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

Handle OpenForReading(const fs::path& path) {
    return Handle(::CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// The file a path finally names: a symbolic link is replaced by its target.
fs::path FollowLinks(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    Handle handle(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) {
        return path;
    }
    std::wstring final(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(handle.Get(), final.data(), static_cast<DWORD>(final.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return path;
        }
        if (length < final.size()) {
            final.resize(length);
            return fs::path(final);
        }
        final.resize(length + 1);
    }
}

// A temporary file beside `target`, created new; the process id and a counter make the name
// unique, CREATE_NEW settles any remaining clash.
Handle CreateTemporary(const fs::path& target, fs::path& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryPathFor(target, ::GetCurrentProcessId(), counter.fetch_add(1));
        Handle handle(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (handle.Valid() || ::GetLastError() != ERROR_FILE_EXISTS) {
            return Handle(handle.Release());
        }
    }
    return Handle();
}

// Attributes a replacement takes over from the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Puts a temporary file in the target's place; the move is on the disk when this returns (the
// caller counts that flush of the folder after the change itself).
bool ReplaceWith(const fs::path& temporary, const fs::path& target) {
    return ::MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// Flushes the bytes of an open file; `path` names them (for a temporary file, its target).
bool FlushData(HANDLE handle, const fs::path& path) {
    if (!::FlushFileBuffers(handle)) {
        return false;
    }
    CountFlush(FileEventKind::FlushFile, path);
    return true;
}

// Removes a folder and everything in it; links to folders are removed, not followed.
bool RemoveTreeWide(const std::wstring& folder, bool& removedAny) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    bool ok = true;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
                ::SetFileAttributesW(child.c_str(), data.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
            }
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    ok = ::RemoveDirectoryW(child.c_str()) != FALSE && ok;
                    removedAny = true;
                } else {
                    ok = RemoveTreeWide(child, removedAny) && ok;
                }
            } else if (::DeleteFileW(child.c_str())) {
                removedAny = true;
            } else {
                ok = false;
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    if (::RemoveDirectoryW(folder.c_str())) {
        removedAny = true;
    } else {
        ok = false;
    }
    return ok;
}

}  // namespace

std::string NameWindowsRefuses(const fs::path& path) {
    // A path in the system's long form ("\\?\C:\...") is checked after its prefix.
    std::wstring text = path.native();
    if (text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\")) {
        text.erase(0, 4);
    }
    for (const fs::path& component : fs::path(text).relative_path()) {
        std::string problem = NameProblem(component.native());
        if (!problem.empty()) {
            return problem;
        }
    }
    return {};
}

fs::path PathFromText(std::string_view text) {
    std::wstring wide = WideFromText(text);
    for (wchar_t& c : wide) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return fs::path(std::move(wide));
}

std::string TextFromPath(const fs::path& path) {
    return TextFromWide(path.native());
}

fs::path Resolve(const fs::path& folder, std::string_view relative) {
    // Windows ignores letter case itself: the components are joined as they are.
    std::wstring result = folder.native();
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
        if (!result.empty() && !IsSeparator(result.back())) {
            result += L'\\';
        }
        result += WideFromText(component);
    }
    if (!relative.empty() && IsSeparator(relative.back()) && !result.empty() && !IsSeparator(result.back())) {
        result += L'\\';
    }
    return fs::path(std::move(result));
}

fs::path WithTrailingSeparator(const fs::path& folder) {
    std::wstring text = folder.native();
    if (text.empty() || !IsSeparator(text.back())) {
        text += L'\\';
    }
    return fs::path(std::move(text));
}

fs::path WithoutTrailingSeparator(const fs::path& folder) {
    std::wstring text = folder.native();
    // "C:\" stays: without its separator it would name the drive's current folder.
    while (text.size() > 1 && IsSeparator(text.back()) && !(text.size() == 3 && text[1] == L':')) {
        text.pop_back();
    }
    return fs::path(std::move(text));
}

fs::path ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return fs::path();
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return fs::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<FileStamp> StampOf(const fs::path& path) {
    Handle handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid()) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.size = (static_cast<std::uintmax_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modifiedNs = UnixNanoseconds(FileTimeValue(info.ftLastWriteTime));
    stamp.identity = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    FILE_BASIC_INFO basic;
    if (::GetFileInformationByHandleEx(handle.Get(), FileBasicInfo, &basic, sizeof basic)) {
        stamp.changedNs = UnixNanoseconds(basic.ChangeTime.QuadPart);
    }
    return stamp;
}

LocalTime ToLocalTime(std::int64_t nanosecondsSinceUnixEpoch) {
    constexpr std::int64_t kUnixEpoch = 116444736000000000;  // 1970-01-01 in 100 ns units since 1601
    std::int64_t ticks = nanosecondsSinceUnixEpoch / 100;
    if (nanosecondsSinceUnixEpoch % 100 < 0) {
        --ticks;
    }
    const auto value = static_cast<std::uint64_t>(ticks + kUnixEpoch);
    FILETIME utcFile;
    utcFile.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
    utcFile.dwHighDateTime = static_cast<DWORD>(value >> 32);
    // The time zone's rule for that date (not today's daylight saving time), as localtime does.
    SYSTEMTIME utc;
    SYSTEMTIME local;
    if (!::FileTimeToSystemTime(&utcFile, &utc) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return {};
    }
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

bool FileExists(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::string> ReadFile(const fs::path& path) {
    Handle handle = OpenForReading(path);
    if (!handle.Valid()) {
        return std::nullopt;
    }
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle.Get(), &size)) {
        return std::nullopt;
    }
    // The size is a hint only: the file may change while it is read.
    std::string bytes(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            bytes.resize(bytes.size() * 2 + 4096);
        }
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - used, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(handle.Get(), bytes.data() + used, chunk, &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            break;
        }
        used += read;
    }
    bytes.resize(used);
    return bytes;
}

std::string ReadBytes(const fs::path& path, std::uint64_t offset, std::size_t count) {
    Handle handle = OpenForReading(path);
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!handle.Valid() || !::SetFilePointerEx(handle.Get(), position, nullptr, FILE_BEGIN)) {
        throw Error("Unable to read " + TextFromPath(path));
    }
    std::string bytes(count, '\0');
    std::size_t used = 0;
    while (used < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - used, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(handle.Get(), bytes.data() + used, chunk, &read, nullptr)) {
            throw Error("Unable to read " + TextFromPath(path));
        }
        if (read == 0) {
            break;
        }
        used += read;
    }
    bytes.resize(used);
    return bytes;
}

bool IsReadOnly(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool TrySetReadOnly(const fs::path& path, bool readOnly) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    DWORD wanted =
        readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
    if (wanted == attributes) {
        return true;
    }
    if (wanted == 0) {
        wanted = FILE_ATTRIBUTE_NORMAL;
    }
    if (!::SetFileAttributesW(path.c_str(), wanted)) {
        return false;
    }
    return true;
}

std::vector<FolderEntry> ListFolder(const fs::path& folder) {
    std::vector<FolderEntry> entries;
    const std::wstring pattern = WithTrailingSeparator(folder).native() + L"*";
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        bool lost = false;
        std::string text = TextFromWide(name, &lost);
        entries.push_back({std::move(text), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, lost});
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return entries;
}

bool TryWriteFileAtomic(const fs::path& path, std::string_view bytes, bool durable) {
    if (Refused(path)) {
        return false;
    }
    const fs::path target = FollowLinks(path);
    const DWORD existing = ::GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES &&
        (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    fs::path temporary;
    Handle handle = CreateTemporary(target, temporary);
    if (!handle.Valid()) {
        return false;
    }
    bool ok = WriteAll(handle.Get(), bytes);
    if (ok && durable) {
        ok = FlushData(handle.Get(), target);
    }
    ok = handle.Close() && ok;
    if (ok && existing != INVALID_FILE_ATTRIBUTES && (existing & kKeptAttributes) != 0) {
        ok = ::SetFileAttributesW(temporary.c_str(), existing & kKeptAttributes) != FALSE;
    }
    if (ok) {
        ok = ReplaceWith(temporary, target);
    }
    if (!ok) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    CountChangingOperation(FileEventKind::Write, target);
    CountFlush(FileEventKind::FlushFolder, target.parent_path());
    return true;
}

void AppendToFile(const fs::path& path, std::string_view bytes, bool durable) {
    const auto fail = [&path]() { return Error("Unable to write to " + TextFromPath(path)); };
    if (const std::string refused = NameWindowsRefuses(path); !refused.empty()) {
        throw Error("Unable to write to " + TextFromPath(path) + ": " + refused + ".");
    }
    Handle handle(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!handle.Valid() || !::GetFileSizeEx(handle.Get(), &size) ||
        !::SetFilePointerEx(handle.Get(), size, nullptr, FILE_BEGIN)) {
        throw fail();
    }
    bool ok = WriteAll(handle.Get(), bytes);
    if (!ok) {
        // No half line may stay behind for a reader to take as a whole one.
        if (::SetFilePointerEx(handle.Get(), size, nullptr, FILE_BEGIN)) {
            ::SetEndOfFile(handle.Get());
        }
    }
    if (ok && durable) {
        ok = FlushData(handle.Get(), path);
    }
    ok = handle.Close() && ok;
    if (!ok) {
        throw fail();
    }
    CountChangingOperation(FileEventKind::Append, path);
}

bool TryCopyFileAtomic(const fs::path& from, const fs::path& to, bool durable) {
    if (Refused(to)) {
        return false;
    }
    const fs::path target = FollowLinks(to);
    const DWORD existing = ::GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES &&
        (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    // Reserve a unique temporary name, then let the system copy onto it (contents, attributes
    // and modification time).
    fs::path temporary;
    Handle reserved = CreateTemporary(target, temporary);
    if (!reserved.Valid()) {
        return false;
    }
    reserved.Close();
    bool ok = ::CopyFileExW(from.c_str(), temporary.c_str(), nullptr, nullptr, nullptr, 0) != FALSE;
    if (ok && durable) {
        // Only a flush puts the copy on the disk. The copy may have taken the source's read-only
        // attribute, which refuses a handle to write; the attributes are set below anyway.
        ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        Handle copy(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = copy.Valid() && FlushData(copy.Get(), target);
        ok = copy.Close() && ok;
    }
    if (ok) {
        // Copied onto a name that exists, the copy need not take the source's attributes (under
        // Wine it does not): the read-only attribute, which a pre-launch copy has to keep, is set
        // here.
        const DWORD source = ::GetFileAttributesW(from.c_str());
        const DWORD wanted = source & (FILE_ATTRIBUTE_READONLY | kKeptAttributes);
        ok = source != INVALID_FILE_ATTRIBUTES &&
             ::SetFileAttributesW(temporary.c_str(), wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL) != FALSE;
    }
    if (ok) {
        ok = ReplaceWith(temporary, target);
    }
    if (!ok) {
        const DWORD attributes = ::GetFileAttributesW(temporary.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            ::SetFileAttributesW(temporary.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        }
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    CountChangingOperation(FileEventKind::Copy, target, from);
    CountFlush(FileEventKind::FlushFolder, target.parent_path());
    return true;
}

// Windows has no flush that waits for several files at once: each copy is written through
// (flushed) and put in place as CopyFileAtomic does, so Commit finds nothing left to do.
CopyBatch::~CopyBatch() = default;

void CopyBatch::Add(const fs::path& from, const fs::path& to) {
    CopyFileAtomic(from, to, true);
}

void CopyBatch::Commit() {}

bool TryCopyFileExclusive(const fs::path& from, const fs::path& to) {
    if (Refused(to)) {
        return false;
    }
    if (!::CopyFileExW(from.c_str(), to.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS)) {
        return false;
    }
    CountChangingOperation(FileEventKind::Copy, to, from);
    return true;
}

void FlushFolder(const fs::path&) {}

void FlushFileSystem(const fs::path&) {}

bool TryRenamePath(const fs::path& from, const fs::path& to) {
    if (Refused(to)) {
        return false;
    }
    // Windows refuses to replace a read-only file (Wine does not: it is checked here).
    const DWORD existing = ::GetFileAttributesW(WithoutTrailingSeparator(to).c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0 &&
        (existing & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return false;
    }
    if (!::MoveFileExW(WithoutTrailingSeparator(from).c_str(), WithoutTrailingSeparator(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING)) {
        return false;
    }
    CountChangingOperation(FileEventKind::Rename, to, from);
    return true;
}

bool RemovePath(const fs::path& path) {
    const fs::path plain = WithoutTrailingSeparator(path);
    const DWORD attributes = ::GetFileAttributesW(plain.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    const BOOL ok = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(plain.c_str())
                                                            : ::DeleteFileW(plain.c_str());
    if (!ok) {
        return false;
    }
    CountChangingOperation(FileEventKind::Delete, path);
    return true;
}

bool RemoveTree(const fs::path& folder) {
    const fs::path plain = WithoutTrailingSeparator(folder);
    const DWORD attributes = ::GetFileAttributesW(plain.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    bool removedAny = false;
    bool ok;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ok = ::DeleteFileW(plain.c_str()) != FALSE;
        removedAny = ok;
    } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        ok = ::RemoveDirectoryW(plain.c_str()) != FALSE;  // a link: remove it, not what it names
        removedAny = ok;
    } else {
        ok = RemoveTreeWide(plain.native(), removedAny);
    }
    if (removedAny) {
        CountChangingOperation(FileEventKind::Delete, folder);
    }
    return ok;
}

}  // namespace seewolf::platform
