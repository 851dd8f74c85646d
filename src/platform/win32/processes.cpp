#include "platform/processes.h"

// clang-format off
#include "platform/win32/support.h"
#include <shellapi.h>
#include <tlhelp32.h>
// clang-format on

#include "platform/encoding.h"

namespace seewolf::platform {
namespace {

// The parameter text of a command line. An argument with blanks or control characters is
// put in double quotes; backslashes stay as they are, since the programs started here (the
// companion, Seewolf itself, the tools made for the game) read a double quote only as a
// toggle and a backslash as an ordinary character. So a quoted folder may end in a
// backslash right before the closing quote. An argument that already holds a double quote is
// taken as quoted by the caller.
std::wstring Parameters(const std::vector<std::string>& arguments) {
    std::wstring text;
    bool first = true;
    for (const auto& argument : arguments) {
        if (!first) {
            text += L' ';
        }
        first = false;
        bool needsQuotes = argument.empty();
        for (const char c : argument) {
            if (static_cast<unsigned char>(c) <= ' ') {
                needsQuotes = true;
            }
        }
        if (argument.find('"') != std::string::npos) {
            needsQuotes = false;
        }
        const std::wstring wideArgument = wide::FromUtf8(argument);
        text += needsQuotes ? L"\"" + wideArgument + L"\"" : wideArgument;
    }
    return text;
}

// Starts the program through the shell's "open" action; `process` receives its handle when
// asked for (it stays empty when the shell handed the file to a program already running).
bool Execute(const ProgramCall& call, HANDLE* process) {
    const ComScope com;
    const std::wstring file = call.program.wstring();
    const std::wstring parameters = Parameters(call.arguments);
    const std::wstring folder = call.workingFolder.wstring();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // NOASYNC: the caller may end right after the start (the launch closes Seewolf).
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | (process != nullptr ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        return false;
    }
    if (process != nullptr) {
        *process = info.hProcess;
    }
    return true;
}

std::string FileNamePart(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace

bool ProcessRunning(std::string_view exeName) {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    const std::string wanted = UpperCase(exeName);
    bool found = false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
         more = ::Process32NextW(snapshot, &entry)) {
        const std::string path = UpperCase(wide::ToCp1252(entry.szExeFile));
        found = FileNamePart(path) == wanted || path == wanted;
    }
    ::CloseHandle(snapshot);
    return found;
}

int CurrentProcessId() {
    return static_cast<int>(::GetCurrentProcessId());
}

bool ProcessAlive(int processId) {
    if (processId <= 0) {
        return false;
    }
    const HANDLE process =
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
    if (process == nullptr) {
        // It exists, but belongs to someone we may not look at.
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    const bool alive = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return alive;
}

bool StartDetached(const ProgramCall& call) {
    return Execute(call, nullptr);
}

std::optional<int> StartAndWait(const ProgramCall& call, void (*idle)(void*), void* context) {
    HANDLE process = nullptr;
    if (!Execute(call, &process)) {
        return std::nullopt;
    }
    if (process == nullptr) {
        return 0;  // handed to a program already running: nothing of ours to wait for
    }
    for (;;) {
        const DWORD result = ::WaitForSingleObject(process, idle != nullptr ? 50 : INFINITE);
        if (result != WAIT_TIMEOUT) {
            break;
        }
        idle(context);
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process, &exitCode);
    ::CloseHandle(process);
    return static_cast<int>(exitCode);
}

std::vector<std::string> ProcessArguments(int, char**) {
    return SplitCommandLine(wide::ToUtf8(::GetCommandLineW()));
}

std::filesystem::path ProgramFile(const std::filesystem::path& folder, std::string_view baseName) {
    return folder / (std::string(baseName) + ".exe");
}

}  // namespace seewolf::platform
