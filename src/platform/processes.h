#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf::platform {

// Whether any running process has the executable name `exeName`, compared without regard to
// case with the file-name part of its executable, then with its whole path. On Linux the
// names are the process name (Wine names a process after its Windows executable) and the
// first word of its command line.
bool ProcessRunning(std::string_view exeName);

// Splits a raw command line as Seewolf and its companion read theirs: blanks and control
// characters separate arguments; a double quote opens a quoted stretch (blanks included) that
// ends at the next double quote, and both quotes are dropped; a backslash has no special
// meaning, so "C:\Game\" is C:\Game\ (where the C runtime's rule would read \" as a quote).
std::vector<std::string> SplitCommandLine(std::string_view raw);

// Splits a command as a POSIX shell splits its words, without expanding anything: blanks (space,
// tab, line end) separate words; a backslash keeps the next character as it is; single quotes keep
// everything up to the next single quote; double quotes keep everything up to the next double
// quote, except that a backslash there escapes ", \, $ and `. "" is an empty word.
// No value when a quote is not closed or the command ends in a lone backslash.
std::optional<std::vector<std::string>> SplitShellWords(std::string_view command);

// The process's own arguments as UTF-8 text, argument 0 included. On Windows they are the wide
// command line split by SplitCommandLine (argv holds the ANSI code page there, cut by the C
// runtime's rule); elsewhere argv is already UTF-8 and already split.
std::vector<std::string> ProcessArguments(int argc, char** argv);

// A program of ours in a folder, named by its Windows file name ("Seewolf.exe"): that name as is
// on Windows; on Linux the build's name, the name in lower case without ".exe" ("seewolf").
std::filesystem::path ProgramFile(const std::filesystem::path& folder, std::string_view windowsName);

// Id of the running process.
int CurrentProcessId();

// Whether a process with this id exists.
bool ProcessAlive(int processId);

// A program to start: on Linux a Windows program (".exe") runs through the command in the
// environment variable SEEWOLF_WINE (default "wine"; split into words as SplitShellWords does,
// so it may carry arguments of its own and name a folder with blanks in quotes; with an unclosed
// quote nothing starts); anything else runs directly, found along PATH when the name
// has no folder. On Windows the shell's "open" action starts it, in a normal window, with no
// owner window and without the shell's error messages.
struct ProgramCall {
    std::filesystem::path program;
    // The arguments, UTF-8 text. Linux passes them as they are. Windows joins them into the
    // parameter text when `parameters` is not given: an argument with blanks is put in double
    // quotes without escaping backslashes (a quoted folder ends in "\""), and an argument that
    // holds a double quote is passed as the caller quoted it.
    std::vector<std::string> arguments;
    std::filesystem::path workingFolder;  // empty: the current folder
    // Windows only: the parameter text exactly as the program is to receive it (UTF-8), in place
    // of the arguments, for programs whose command line is a fixed text (the companion's, the
    // one the companion gives Seewolf). Linux ignores it and passes the arguments.
    std::optional<std::string> parameters = std::nullopt;
};

// What keeps a Windows program from starting, as one sentence naming the command (UTF-8); empty when
// nothing does. On Linux: the command that runs Windows programs (SEEWOLF_WINE, else "wine") has a
// quote that is not closed, or its first word names no program that can be run. Always empty on
// Windows, which runs them itself.
std::string WindowsProgramCommandProblem();

// Sets an environment variable of this process, which the programs it starts inherit.
void SetEnvironmentValue(const char* name, const std::string& value);

// Starts the program and returns at once; false when it could not be started. On Windows
// through the shell's plain execute call.
bool StartDetached(const ProgramCall& call);

// Starts the program and waits for it to end, without a time limit. Returns its exit code, or
// nothing when it could not be started. `idle` is called about every 50 ms while waiting (a
// window keeps painting there). On Windows through the shell's extended execute call, which
// hands back the process to wait for.
std::optional<int> StartAndWait(const ProgramCall& call, void (*idle)(void*) = nullptr,
                                void* context = nullptr);

}  // namespace seewolf::platform
