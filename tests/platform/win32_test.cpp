// The Windows side of the platform layer, run under Wine: the instance guard as other processes
// see it, the registry's 32-bit view, the documents folder, file attributes and names, beeps and
// the programs' version blocks.

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/instance_guard.h"
#include "platform/sound.h"
#include "platform/trash.h"
#include "support/temp_world.h"

// clang-format off
#include "platform/win32/support.h"
#include <shlobj.h>
#include <knownfolders.h>
// clang-format on

namespace seewolf::platform {
namespace {

namespace fs = std::filesystem;

std::string Unique() {
    return std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount64());
}

// ---- Instance guard ----

struct Arrival {
    ULONG_PTR id = 0;
    std::string bytes;
    int count = 0;
};
Arrival g_arrival;

LRESULT CALLBACK FirstInstanceWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        g_arrival.id = data->dwData;
        g_arrival.bytes.assign(static_cast<const char*>(data->lpData), data->cbData);
        ++g_arrival.count;
        return 1;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The two numbers of a guard block, read as another process does: by the block's name.
class BlockReader {
  public:
    explicit BlockReader(const std::wstring& name)
        : m_mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str())),
          m_view(m_mapping != nullptr ? ::MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, 8) : nullptr) {}
    ~BlockReader() {
        if (m_view != nullptr) {
            ::UnmapViewOfFile(m_view);
        }
        if (m_mapping != nullptr) {
            ::CloseHandle(m_mapping);
        }
    }
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;
    bool Open() const { return m_view != nullptr; }
    std::pair<std::int32_t, std::int32_t> Values() const {
        const auto* values = static_cast<const volatile std::int32_t*>(m_view);
        return {values[0], values[1]};
    }

  private:
    HANDLE m_mapping;
    void* m_view;
};

// Runs a program and dispatches this thread's messages until it ends; its exit code.
DWORD RunPumpingMessages(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        ADD_FAILURE() << "cannot start " << wide::ToUtf8(commandLine);
        return 1000;
    }
    ::CloseHandle(process.hThread);
    const auto deadline = ::GetTickCount64() + 60000;
    DWORD exitCode = 1001;
    for (;;) {
        const DWORD wait = ::MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 1000, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) {
            ::GetExitCodeProcess(process.hProcess, &exitCode);
            break;
        }
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (::GetTickCount64() > deadline) {
            ADD_FAILURE() << "the second start did not end";
            ::TerminateProcess(process.hProcess, 1002);
            break;
        }
    }
    ::CloseHandle(process.hProcess);
    return exitCode;
}

TEST(Win32InstanceGuard, SecondStartRestoresTheFirstHandsOverItsArgumentsAndStops) {
    // A program path of this run (it need not exist), with a letter of the code page and one
    // beyond it; the block's name as every process derives it from the path.
    const std::string unique = Unique();
    const fs::path exe = L"C:\\Seewolf Guard " + wide::FromUtf8(unique) + L"\\\u00C4RGER \u03A9\\Seewolf.EXE";
    const std::wstring blockName =
        L"c:seewolf guard " + wide::FromUtf8(unique) + L"\u00E4rger \u03A9seewolf.exe";
    // The name as text shows what Windows-1252 cannot hold as '?'; the block itself keeps it.
    EXPECT_EQ(InstanceGuard(exe).BlockName(), "c:seewolf guard " + unique + "\xE4rger ?seewolf.exe");

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = FirstInstanceWindow;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SeewolfGuardTest";
    ::RegisterClassW(&windowClass);
    const HWND window =
        ::CreateWindowW(L"SeewolfGuardTest", L"Seewolf", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        400, 300, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    const auto windowValue = static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(window));

    auto first = std::make_unique<InstanceGuard>(exe);
    ASSERT_FALSE(first->AnotherInstanceOwns(InstanceGuard::HandleBeforeWindow(), 1));
    BlockReader block(blockName);  // also keeps the block alive after the last guard ends
    ASSERT_TRUE(block.Open());
    EXPECT_EQ(block.Values(), std::make_pair(0, 1));  // no window yet
    // A start before the window exists stops too, with nothing to bring forward or hand over.
    {
        InstanceGuard early(exe);
        EXPECT_TRUE(early.AnotherInstanceOwns(0, 1));
        EXPECT_EQ(early.FirstInstanceHandle(), 0);
        EXPECT_FALSE(ForwardArguments(early.FirstInstanceHandle(), {"x"}));
    }
    first->PublishWindow(windowValue);
    EXPECT_EQ(block.Values(), std::make_pair(windowValue, 1));

    // A second process: the minimised window comes back, the arguments arrive, the start stops.
    ::ShowWindow(window, SW_SHOWMINIMIZED);
    ASSERT_TRUE(::IsIconic(window));
    const std::wstring command = L"\"" + fs::path(SEEWOLF_SECOND_START).make_preferred().native() + L"\" \"" +
                                 exe.native() + L"\" \"/i:C:\\Game Folder\" \u00C4rger";
    EXPECT_EQ(RunPumpingMessages(command), 0u);
    EXPECT_FALSE(::IsIconic(window));
    EXPECT_EQ(g_arrival.count, 1);
    EXPECT_EQ(g_arrival.id, 0xDE1F1DABu);
    EXPECT_EQ(g_arrival.bytes, std::string("/i:C:\\Game Folder\0\xC3\x84rger\0\0", 26));
    EXPECT_EQ(block.Values(), std::make_pair(windowValue, 1));  // the refused start did not count

    // In one process: a refused guard learns the window and leaves the count alone; with room
    // for two, the second registers; both exit steps count down.
    {
        InstanceGuard refused(exe);
        EXPECT_TRUE(refused.AnotherInstanceOwns(0, 1));
        EXPECT_EQ(refused.FirstInstanceHandle(), windowValue);
    }
    EXPECT_EQ(block.Values(), std::make_pair(windowValue, 1));
    auto second = std::make_unique<InstanceGuard>(exe);
    EXPECT_FALSE(second->AnotherInstanceOwns(0, 2));
    EXPECT_EQ(block.Values(), std::make_pair(0, 2));
    second.reset();
    first.reset();
    EXPECT_EQ(block.Values().second, 0);

    // A window that is gone takes no message.
    ::DestroyWindow(window);
    EXPECT_FALSE(ForwardArguments(windowValue, {"x"}));
    ::UnregisterClassW(L"SeewolfGuardTest", ::GetModuleHandleW(nullptr));
}

// ---- Registry and documents folder ----

class RegistryKey {
  public:
    RegistryKey(const std::wstring& path, REGSAM view) : m_path(path), m_view(view) {
        m_status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                     nullptr, &m_key, nullptr);
    }
    ~RegistryKey() {
        if (m_status == ERROR_SUCCESS) {
            ::RegCloseKey(m_key);
            ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, m_path.c_str(), m_view, 0);
        }
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    LSTATUS Status() const { return m_status; }
    void SetText(const wchar_t* name, const std::wstring& text) {
        ASSERT_EQ(::RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    void SetNumber(const wchar_t* name, DWORD value) {
        ASSERT_EQ(
            ::RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
            ERROR_SUCCESS);
    }
    void Delete(const wchar_t* name) { ::RegDeleteValueW(m_key, name); }

  private:
    std::wstring m_path;
    REGSAM m_view;
    HKEY m_key = nullptr;
    LSTATUS m_status;
};

TEST(Win32Folders, MachineRegistryTextPrefersThe32BitViewAndDocumentsAreTheShells) {
    const std::string key = "Software\\Seewolf Test " + Unique() + "\\Silent Hunter III";
    EXPECT_EQ(ReadMachineRegistryString(key, "InstalledPath"), "");  // no key
    {
        RegistryKey wow(wide::FromCp1252(key), KEY_WOW64_32KEY);
        RegistryKey native(wide::FromCp1252(key), KEY_WOW64_64KEY);
        ASSERT_EQ(wow.Status(), ERROR_SUCCESS);
        ASSERT_EQ(native.Status(), ERROR_SUCCESS);
        wow.SetText(L"InstalledPath", L"C:\\Spiele\\S\u00FC\u00DF\\");
        native.SetText(L"InstalledPath", L"C:\\Native");
        EXPECT_EQ(ReadMachineRegistryString(key, "InstalledPath"), "C:\\Spiele\\S\xFC\xDF\\");
        wow.Delete(L"InstalledPath");  // only the native view has it
        EXPECT_EQ(ReadMachineRegistryString(key, "InstalledPath"), "C:\\Native");
        native.Delete(L"InstalledPath");
        EXPECT_EQ(ReadMachineRegistryString(key, "InstalledPath"), "");  // no value
        wow.SetNumber(L"InstalledPath", 7);
        EXPECT_EQ(ReadMachineRegistryString(key, "InstalledPath"), "");  // not text
    }
    HKEY gone = nullptr;
    EXPECT_NE(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide::FromCp1252(key).c_str(), 0,
                              KEY_READ | KEY_WOW64_32KEY, &gone),
              ERROR_SUCCESS);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, wide::FromCp1252(key.substr(0, key.rfind('\\'))).c_str(),
                      KEY_WOW64_32KEY, 0);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, wide::FromCp1252(key.substr(0, key.rfind('\\'))).c_str(),
                      KEY_WOW64_64KEY, 0);

    wchar_t* shell = nullptr;
    ASSERT_EQ(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &shell), S_OK);
    const fs::path expected = shell;
    ::CoTaskMemFree(shell);
    EXPECT_EQ(UserDocumentsFolder(), expected);
    EXPECT_TRUE(FolderExists(UserDocumentsFolder()));
}

// ---- Files ----

class Win32Files : public ::testing::Test {
  protected:
    testing::TempFolder temp;
    fs::path Path(const char* name) const { return temp.Path() / name; }
    static DWORD Attributes(const fs::path& path) { return ::GetFileAttributesW(path.c_str()); }
};

TEST_F(Win32Files, ReadOnlyAndHiddenFilesAreCopiedMovedAndRemovedAsWindowsAllows) {
    WriteFileAtomic(Path("a.cfg"), "old");
    EXPECT_FALSE(IsReadOnly(Path("a.cfg")));
    SetReadOnly(Path("a.cfg"), true);
    EXPECT_TRUE(IsReadOnly(Path("a.cfg")));
    EXPECT_TRUE(Attributes(Path("a.cfg")) & FILE_ATTRIBUTE_READONLY);

    // A read-only target is refused by every replacing operation and keeps its bytes.
    WriteFileAtomic(Path("b.cfg"), "new");
    EXPECT_THROW(WriteFileAtomic(Path("a.cfg"), "x"), Error);
    EXPECT_FALSE(TryCopyFileAtomic(Path("b.cfg"), Path("a.cfg")));
    EXPECT_FALSE(TryRenamePath(Path("b.cfg"), Path("a.cfg")));
    EXPECT_FALSE(RemovePath(Path("a.cfg")));
    EXPECT_EQ(ReadFile(Path("a.cfg")), "old");
    EXPECT_EQ(ListFolder(temp.Path()).size(), 2u);  // no temporary file left behind

    // A read-only source is copied with its attribute and renamed like any file.
    CopyFileAtomic(Path("a.cfg"), Path("c.cfg"));
    EXPECT_TRUE(IsReadOnly(Path("c.cfg")));
    CopyFileExclusive(Path("a.cfg"), Path("d.cfg"));
    EXPECT_TRUE(IsReadOnly(Path("d.cfg")));
    RenamePath(Path("d.cfg"), Path("e.cfg"));
    EXPECT_EQ(ReadFile(Path("e.cfg")), "old");
    SetReadOnly(Path("a.cfg"), false);
    EXPECT_FALSE(IsReadOnly(Path("a.cfg")));
    EXPECT_TRUE(RemovePath(Path("a.cfg")));
    EXPECT_FALSE(TrySetReadOnly(Path("a.cfg"), true));  // gone

    // A hidden file is listed, keeps its attribute when rewritten, copied and moved, and goes.
    WriteFileAtomic(Path("h.sav"), "1");
    ASSERT_TRUE(::SetFileAttributesW(Path("h.sav").c_str(), FILE_ATTRIBUTE_HIDDEN));
    WriteFileAtomic(Path("h.sav"), "2");
    EXPECT_TRUE(Attributes(Path("h.sav")) & FILE_ATTRIBUTE_HIDDEN);
    CopyFileAtomic(Path("h.sav"), Path("i.sav"));
    EXPECT_TRUE(Attributes(Path("i.sav")) & FILE_ATTRIBUTE_HIDDEN);
    RenamePath(Path("i.sav"), Path("j.sav"));
    EXPECT_TRUE(Attributes(Path("j.sav")) & FILE_ATTRIBUTE_HIDDEN);
    bool listed = false;
    for (const FolderEntry& entry : ListFolder(temp.Path())) {
        listed = listed || entry.name == "h.sav";
    }
    EXPECT_TRUE(listed);
    EXPECT_TRUE(RemovePath(Path("h.sav")));
    EXPECT_TRUE(RemoveTree(temp.Path() / "none"));
    SetReadOnly(Path("c.cfg"), true);
    CreateFolders(temp.Path() / "sub" / "deeper");
    CopyFileAtomic(Path("c.cfg"), temp.Path() / "sub" / "deeper" / "r.cfg");
    EXPECT_TRUE(RemoveTree(temp.Path() / "sub"));  // read-only files inside too
    EXPECT_FALSE(FolderExists(temp.Path() / "sub"));
}

TEST_F(Win32Files, NamesWindowsRefusesOrChangesAreErrorsNamingThePath) {
    WriteFileAtomic(Path("source.txt"), "x");
    const std::pair<const char*, const char*> refused[] = {
        {"CON", "for a device"},     {"nul.txt", "for a device"},    {"Com1.cfg", "for a device"},
        {"LPT9", "for a device"},    {"NUL .txt", "for a device"},   {"COM\xB9", "for a device"},
        {"CONOUT$", "for a device"}, {"name.", "at the end"},        {"name ", "at the end"},
        {"a<b", "character <"},      {"a>b", "character >"},         {"a:b", "character :"},
        {"a\"b", "character \""},    {"a|b", "character |"},         {"a?b", "character ?"},
        {"a*b", "character *"},      {"a\tb", "control characters"},
    };
    for (const auto& [name, reason] : refused) {
        SCOPED_TRACE(name);
        // Joined as text: the path operator would take "a:" for a drive.
        const fs::path target = PathFromText(TextFromPath(temp.Path()) + "\\sub\\" + name);
        const std::string targetText = TextFromPath(target);
        EXPECT_NE(NameWindowsRefuses(target).find(reason), std::string::npos) << NameWindowsRefuses(target);
        const auto expectError = [&](const std::function<void()>& operation) {
            try {
                operation();
                ADD_FAILURE() << "no error";
            } catch (const Error& error) {
                const std::string text = error.what();
                EXPECT_NE(text.find(targetText), std::string::npos) << text;
                EXPECT_NE(text.find(": Windows"), std::string::npos) << text;
                EXPECT_NE(text.find(reason), std::string::npos) << text;
            }
        };
        expectError([&] { WriteFileAtomic(target, "x"); });
        expectError([&] { AppendToFile(target, "x"); });
        expectError([&] { CreateFolders(target / "deeper"); });
        expectError([&] { CopyFileAtomic(Path("source.txt"), target); });
        expectError([&] { CopyFileExclusive(Path("source.txt"), target); });
        expectError([&] { RenamePath(Path("source.txt"), target); });
        EXPECT_FALSE(TryWriteFileAtomic(target, "x"));
        EXPECT_FALSE(TryCreateFolders(target));
        EXPECT_FALSE(TryCopyFileAtomic(Path("source.txt"), target));
        EXPECT_FALSE(TryCopyFileExclusive(Path("source.txt"), target));
        EXPECT_FALSE(TryRenamePath(Path("source.txt"), target));
    }
    // Nothing was written under another name; the fine names around them still work.
    EXPECT_EQ(ListFolder(temp.Path()).size(), 1u);
    for (const char* fine : {"CONSOLE.txt", "nul-file", "COM10", "LPT0", ".hidden", "a b.c d", "x..y"}) {
        SCOPED_TRACE(fine);
        EXPECT_EQ(NameWindowsRefuses(temp.Path() / PathFromText(fine)), "");
        WriteFileAtomic(temp.Path() / PathFromText(fine), "x");
    }
    EXPECT_EQ(NameWindowsRefuses(PathFromText("C:\\Games\\SH3\\..\\data\\.\\Cfg\\")), "");
    EXPECT_EQ(NameWindowsRefuses(PathFromText("\\\\?\\C:\\Games\\x.cfg")), "");
    EXPECT_NE(NameWindowsRefuses(PathFromText("\\\\?\\C:\\Games\\x.cfg:stream")), "");
}

// The shell's delete with undo: under Wine the recycle bin is the desktop's trash of
// $XDG_DATA_HOME, which scripts/test points into its temporary folder.
TEST_F(Win32Files, ATrashedCareerFolderIsGoneAndAMissingOneIsNamed) {
    CreateFolders(Path("Career"));
    WriteFileAtomic(Path("Career") / "Patrols_0.cfg", "one");
    EXPECT_EQ(MoveToTrash(WithTrailingSeparator(Path("Career"))).outcome, TrashOutcome::Moved);
    EXPECT_FALSE(FolderExists(Path("Career")));
    const TrashResult missing = MoveToTrash(Path("Career"));
    EXPECT_EQ(missing.outcome, TrashOutcome::Failed);
    EXPECT_NE(missing.reason.find(TextFromPath(Path("Career"))), std::string::npos) << missing.reason;
}

TEST_F(Win32Files, NamesBeyondTheCodePageAreMarkedWhenListed) {
    ASSERT_TRUE(::CreateDirectoryW((temp.Path() / L"Fl\u00FCsse \u03A9").c_str(), nullptr));
    WriteFileAtomic(Path("\xC4rger.txt"), "x");
    std::vector<FolderEntry> entries = ListFolder(temp.Path());
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Fl\xFCsse ?");
    EXPECT_TRUE(entries[0].isFolder);
    EXPECT_TRUE(entries[0].nameNotText);
    EXPECT_EQ(entries[1].name, "\xC4rger.txt");
    EXPECT_FALSE(entries[1].nameNotText);
}

// ---- Beeps and version blocks ----

TEST(Win32Sound, EveryMessageKindBeeps) {
    for (const BeepKind kind : {BeepKind::Warning, BeepKind::Error, BeepKind::Information,
                                BeepKind::Confirmation, BeepKind::Custom}) {
        EXPECT_TRUE(Beep(kind)) << static_cast<int>(kind);
    }
}

TEST(Win32Version, BothProgramsCarryTheProjectsVersionBlock) {
    const std::string fileVersion = SEEWOLF_VERSION;
    const std::string productVersion = fileVersion.substr(0, fileVersion.rfind('.'));
    const struct {
        const char* program;
        const char* description;
    } programs[] = {{SEEWOLF_CLI_EXE, "Seewolf command-line tool"},
                    {SEEWOLF_WACHGANG_EXE, "Seewolf companion: starts the game and Seewolf again"}};
    for (const auto& [program, description] : programs) {
        SCOPED_TRACE(program);
        const std::wstring path = fs::path(program).make_preferred().native();
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        std::vector<char> block(size);
        ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
        const auto value = [&block](const std::wstring& key) -> std::string {
            void* data = nullptr;
            UINT length = 0;
            if (!::VerQueryValueW(block.data(), (L"\\StringFileInfo\\040904E4\\" + key).c_str(), &data,
                                  &length) ||
                data == nullptr) {
                return "<missing>";
            }
            return wide::ToUtf8(static_cast<const wchar_t*>(data));
        };
        EXPECT_EQ(value(L"FileVersion"), fileVersion);
        EXPECT_EQ(value(L"ProductVersion"), productVersion);
        EXPECT_EQ(value(L"ProductName"), "Seewolf");
        EXPECT_EQ(value(L"FileDescription"), description);
        EXPECT_EQ(value(L"Release"), "22");
        for (const wchar_t* key : {L"CompanyName", L"InternalName", L"LegalCopyright", L"LegalTradeMarks",
                                   L"OriginalFilename", L"Comments"}) {
            EXPECT_NE(value(key), "<missing>") << wide::ToUtf8(key);
        }
        void* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", &fixed, &length));
        const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
        const std::string numbers = std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
                                    std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
                                    std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
                                    std::to_string(LOWORD(info->dwFileVersionLS));
        EXPECT_EQ(numbers, fileVersion);
    }
}

}  // namespace
}  // namespace seewolf::platform
