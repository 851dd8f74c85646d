#include "platform/processes.h"

#include <cstdlib>

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

std::wstring ParameterText(const ProgramCall& call) {
    return call.parameters ? wide::FromUtf8(*call.parameters) : Parameters(call.arguments);
}

const wchar_t* OrNull(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

// A working folder that does not exist fails the start, as it does on Linux: Wine's shell would
// start the program in another folder instead.
bool FolderMissing(const std::wstring& folder) {
    if (folder.empty()) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string FileNamePart(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace

std::string WindowsProgramCommandProblem() {
    return {};
}

void SetEnvironmentValue(const char* name, const std::string& value) {
    // Through the C run-time, which keeps the system's environment (what started programs get) in step.
    ::_wputenv_s(wide::FromUtf8(name).c_str(), wide::FromUtf8(value).c_str());
}

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

// The shell's plain execute call: "open", no owner window, a normal window. It shows no message
// of its own when the start fails; a result above 32 means success.
bool StartDetached(const ProgramCall& call) {
    const ComScope com;
    const std::wstring file = call.program.wstring();
    const std::wstring parameters = ParameterText(call);
    const std::wstring folder = call.workingFolder.wstring();
    if (FolderMissing(folder)) {
        return false;
    }
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", file.c_str(), OrNull(parameters), OrNull(folder), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

// The shell's extended execute call with the process handle handed back: "open", no owner
// window, a normal window; no message box of the shell's own when the start fails (the
// companion must not stop in front of a message while nobody looks).
std::optional<int> StartAndWait(const ProgramCall& call, void (*idle)(void*), void* context) {
    const ComScope com;
    const std::wstring file = call.program.wstring();
    const std::wstring parameters = ParameterText(call);
    const std::wstring folder = call.workingFolder.wstring();
    if (FolderMissing(folder)) {
        return std::nullopt;
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = OrNull(parameters);
    info.lpDirectory = OrNull(folder);
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        return std::nullopt;
    }
    if (info.hProcess == nullptr) {
        return 0;  // handed to a program already running: nothing of ours to wait for
    }
    DWORD result;
    while ((result = ::WaitForSingleObject(info.hProcess, idle != nullptr ? 50 : INFINITE)) == WAIT_TIMEOUT) {
        idle(context);
    }
    DWORD exitCode = 0;
    const bool known = result == WAIT_OBJECT_0 && ::GetExitCodeProcess(info.hProcess, &exitCode) != 0;
    ::CloseHandle(info.hProcess);
    if (!known) {
        return std::nullopt;
    }
    return static_cast<int>(exitCode);
}

std::vector<std::string> ProcessArguments(int, char**) {
    return SplitCommandLine(wide::ToUtf8(::GetCommandLineW()));
}

std::filesystem::path ProgramFile(const std::filesystem::path& folder, std::string_view windowsName) {
    return folder / PathFromUtf8(windowsName);
}

}  // namespace seewolf::platform
