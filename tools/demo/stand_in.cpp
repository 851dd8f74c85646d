// seewolf-stand-in: stands in for the programs that Seewolf and its companion start (the game's
// sh3.exe, the weather tool, the companion, Seewolf itself) in the tests and in the demo. It is
// none of them. Copied under the name of the program it replaces (on Linux it also serves as
// SEEWOLF_WINE, so that it receives the Windows program as its first argument), it
//
//   1. appends to the file named by SEEWOLF_STANDIN_RECORD, when that is set, one block:
//          start <its own program file (Windows) or argument 0 (Linux)>
//          folder <its working folder>
//          command <its raw command line, exactly as the system handed it over>   (Windows)
//          argument <argument>        one line for each argument after argument 0   (Linux)
//   2. says on its output that it runs, and where, and waits SEEWOLF_STANDIN_SECONDS seconds
//      (a number such as 3 or 0.3; 3 when not set),
//   3. appends "end <exit code>" and ends with the exit code SEEWOLF_STANDIN_EXIT (0 when not set).
//
// A record that cannot be written, or a number it cannot read, is said on the error output and
// ends it with exit code 125, so that a test sees the fault instead of a missing line.
//
// Written in UTF-8. Nothing but the standard library and the system's own calls, so that the
// Windows build is a small program of its own.

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int kStandInFault = 125;

#ifdef _WIN32
std::string Utf8(const wchar_t* text) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), length, nullptr, nullptr);
    }
    result.pop_back();  // the terminating zero
    return result;
}

std::wstring Wide(std::string_view text) {
    std::wstring result(text.size() + 1, L'\0');
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             result.data(), static_cast<int>(result.size()));
    result.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return result;
}

// The variable as UTF-8; empty when not set.
std::string Variable(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 32768);
    return length > 0 && length < 32768 ? Utf8(buffer) : std::string();
}

bool Append(const std::string& file, const std::string& text) {
    const HANDLE handle =
        ::CreateFileW(Wide(file).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    return ::CloseHandle(handle) && ok;
}

std::string StartRecord(int, char**) {
    wchar_t buffer[32768];
    std::string text = "start ";
    text += ::GetModuleFileNameW(nullptr, buffer, 32768) > 0 ? Utf8(buffer) : std::string("?");
    text += "\nfolder ";
    text += ::GetCurrentDirectoryW(32768, buffer) > 0 ? Utf8(buffer) : std::string("?");
    text += "\ncommand ";
    text += Utf8(::GetCommandLineW());
    return text + "\n";
}
#define STAND_IN_VARIABLE(name) Variable(L##name)
#else
std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool Append(const std::string& file, const std::string& text) {
    std::FILE* out = std::fopen(file.c_str(), "ab");
    if (out == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && ok;
}

std::string StartRecord(int argc, char** argv) {
    std::string text = "start ";
    text += argc > 0 ? argv[0] : "?";
    text += "\nfolder ";
    char buffer[4096];
    text += ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : "?";
    text += '\n';
    for (int i = 1; i < argc; ++i) {
        text += "argument ";
        text += argv[i];
        text += '\n';
    }
    return text;
}
#define STAND_IN_VARIABLE(name) Variable(name)
#endif

[[noreturn]] void Fail(const std::string& text) {
    std::fprintf(stderr, "seewolf-stand-in: %s\n", text.c_str());
    std::exit(kStandInFault);
}

void Record(const std::string& file, const std::string& text) {
    if (!file.empty() && !Append(file, text)) {
        Fail("cannot append to the record file " + file);
    }
}

double Seconds(const std::string& text) {
    if (text.empty()) {
        return 3.0;
    }
    double seconds = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || seconds < 0) {
        Fail("SEEWOLF_STANDIN_SECONDS is not a number of seconds: " + text);
    }
    return seconds;
}

int ExitCode(const std::string& text) {
    int code = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), code);
    if (!text.empty() && (result.ec != std::errc() || result.ptr != text.data() + text.size())) {
        Fail("SEEWOLF_STANDIN_EXIT is not a whole number: " + text);
    }
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string record = STAND_IN_VARIABLE("SEEWOLF_STANDIN_RECORD");
    const double seconds = Seconds(STAND_IN_VARIABLE("SEEWOLF_STANDIN_SECONDS"));
    const int code = ExitCode(STAND_IN_VARIABLE("SEEWOLF_STANDIN_EXIT"));
    const std::string start = StartRecord(argc, argv);
    Record(record, start);

    const std::string folder = start.substr(start.find("\nfolder ") + 8);
    std::printf("Seewolf stand-in: running in %s for %g seconds...\n",
                folder.substr(0, folder.find('\n')).c_str(), seconds);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    std::printf("Seewolf stand-in: has ended.\n");

    Record(record, "end " + std::to_string(code) + "\n");
    return code;
}
