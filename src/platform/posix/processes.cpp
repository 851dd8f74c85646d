#include "platform/processes.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace seewolf::platform {
namespace {

// The kernel keeps at most this many characters of a process name.
constexpr std::size_t kCommLength = 15;

bool SameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

// Reads a small file of /proc; stops at `stopAt` when given. Nothing when it cannot be
// opened (the process has gone, or belongs to someone we may not look at).
std::optional<std::string> ReadProcFile(const std::string& path, int stopAt = -1) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    constexpr std::size_t kLimit = 64 * 1024;
    while (text.size() < kLimit) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(count));
        if (stopAt >= 0 && text.find(static_cast<char>(stopAt)) != std::string::npos) {
            break;
        }
    }
    ::close(fd);
    return text;
}

// A zombie has ended and only waits for its parent to collect its exit code.
bool IsZombie(const std::string& procFolder) {
    const auto stat = ReadProcFile(procFolder + "/stat");
    if (!stat) {
        return true;  // gone already
    }
    // "pid (name) S ...": the name may hold blanks and parentheses, so look after the last ')'.
    const auto close = stat->rfind(')');
    if (close == std::string::npos || close + 2 >= stat->size()) {
        return false;
    }
    const char state = (*stat)[close + 2];
    return state == 'Z' || state == 'X';
}

bool ProcessMatches(const std::string& procFolder, std::string_view exeName) {
    if (auto comm = ReadProcFile(procFolder + "/comm")) {
        while (!comm->empty() && (comm->back() == '\n' || comm->back() == '\0')) {
            comm->pop_back();
        }
        if (SameAscii(*comm, exeName)) {
            return true;
        }
        // The kernel cuts the name to 15 characters, so "Wetterglas2.exe" and longer names
        // arrive shortened; a full-length name that begins the wanted one is taken as it.
        if (comm->size() == kCommLength && exeName.size() > kCommLength &&
            SameAscii(*comm, exeName.substr(0, kCommLength))) {
            return true;
        }
    }
    const auto cmdline = ReadProcFile(procFolder + "/cmdline", '\0');
    if (!cmdline || cmdline->empty()) {
        return false;
    }
    const std::string_view firstWord(cmdline->c_str());
    const auto slash = firstWord.find_last_of("/\\");
    const std::string_view baseName =
        slash == std::string_view::npos ? firstWord : firstWord.substr(slash + 1);
    return SameAscii(baseName, exeName) || SameAscii(firstWord, exeName);
}

bool EndsWithExe(const std::string& name) {
    return name.size() >= 4 && SameAscii(std::string_view(name).substr(name.size() - 4), ".exe");
}

// The program to execute, with its arguments; a Windows program goes through Wine.
std::vector<std::string> CommandOf(const ProgramCall& call) {
    std::vector<std::string> argv;
    const std::string program = call.program.string();
    if (EndsWithExe(program)) {
        const char* wine = std::getenv("SEEWOLF_WINE");
        std::optional<std::vector<std::string>> words = SplitShellWords(wine != nullptr ? wine : "");
        if (!words) {
            return {};  // an unclosed quote: nothing to start
        }
        argv = std::move(*words);
        if (argv.empty()) {
            argv.emplace_back("wine");
        }
    }
    argv.push_back(program);
    argv.insert(argv.end(), call.arguments.begin(), call.arguments.end());
    return argv;
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The search along PATH is done before fork, because the child may only call functions that
// are safe after a fork in a process with threads.
std::string ResolveExecutable(const std::string& file) {
    if (file.find('/') != std::string::npos) {
        return file;
    }
    const char* pathVariable = std::getenv("PATH");
    const std::string_view searchPath =
        pathVariable != nullptr ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        auto end = searchPath.find(':', start);
        if (end == std::string_view::npos) {
            end = searchPath.size();
        }
        // An empty entry means the current folder. (Built by appending: assigning a literal here
        // trips a false -Wrestrict of GCC 12 at -O3.)
        std::string candidate(end > start ? searchPath.substr(start, end - start) : std::string_view("."));
        candidate += '/';
        candidate += file;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
        start = end + 1;
    }
    return file;  // execve fails on it and the caller learns that the start failed
}

// Everything the child needs, prepared before fork.
struct Launch {
    std::string file;
    std::vector<std::string> words;
    std::vector<char*> argv;
    std::string folder;

    explicit Launch(const ProgramCall& call) : words(CommandOf(call)), folder(call.workingFolder.string()) {
        if (words.empty()) {
            return;  // Startable() is false
        }
        file = ResolveExecutable(words.front());
        for (auto& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
    }
    bool Startable() const { return !words.empty(); }
};

// In the child after fork: only async-signal-safe calls from here on. On failure the error
// number goes back through the pipe, which closes by itself when exec succeeds.
[[noreturn]] void ExecChild(const Launch& launch, int errorPipe) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &defaultAction, nullptr);
    sigaction(SIGCHLD, &defaultAction, nullptr);
    if (launch.folder.empty() || ::chdir(launch.folder.c_str()) == 0) {
        ::execve(launch.file.c_str(), launch.argv.data(), environ);
    }
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(errorPipe, &error, sizeof error);
    ::_exit(127);
}

// Reads the child's report: true when it ran its program (the pipe closed without a word).
bool ExecSucceeded(int readEnd) {
    int error = 0;
    ssize_t count;
    do {
        count = ::read(readEnd, &error, sizeof error);
    } while (count < 0 && errno == EINTR);
    ::close(readEnd);
    return count == 0;
}

int WaitFor(pid_t pid, int options, int* status) {
    int result;
    do {
        result = ::waitpid(pid, status, options);
    } while (result < 0 && errno == EINTR);
    return result;
}

int ExitCodeOf(int status) {
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}

}  // namespace

std::string WindowsProgramCommandProblem() {
    const char* variable = std::getenv("SEEWOLF_WINE");
    const std::string command = variable != nullptr && *variable != '\0' ? variable : "wine";
    const std::optional<std::vector<std::string>> words = SplitShellWords(command);
    if (!words) {
        return "The command that runs Windows programs, " + command +
               ", has a quote that is not closed or ends in a lone backslash.";
    }
    const std::string program = words->empty() ? std::string("wine") : words->front();
    if (!IsExecutableFile(ResolveExecutable(program))) {
        return "The command that runs Windows programs, " + command + ", names the program " + program +
               ", which " +
               (program.find('/') == std::string::npos ? "is not in any folder of PATH" : "does not exist") +
               " or cannot be run.";
    }
    return {};
}

void SetEnvironmentValue(const char* name, const std::string& value) {
    ::setenv(name, value.c_str(), 1);
}

bool ProcessRunning(std::string_view exeName) {
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return false;
    }
    bool found = false;
    while (!found) {
        const dirent* entry = ::readdir(proc);
        if (entry == nullptr) {
            break;
        }
        const std::string_view name(entry->d_name);
        if (name.empty() || name.find_first_not_of("0123456789") != std::string_view::npos) {
            continue;
        }
        const std::string folder = "/proc/" + std::string(name);
        found = ProcessMatches(folder, exeName) && !IsZombie(folder);
    }
    ::closedir(proc);
    return found;
}

int CurrentProcessId() {
    return static_cast<int>(::getpid());
}

bool ProcessAlive(int processId) {
    // 0 and negative numbers address process groups, never one process.
    if (processId <= 0) {
        return false;
    }
    return ::kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

bool StartDetached(const ProgramCall& call) {
    const Launch launch(call);
    int pipeEnds[2];
    if (!launch.Startable() || ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return false;
    }
    // Fork twice: the middle process ends at once and is collected here, so the program is
    // adopted by init, leaves no zombie behind and lives on after we end. Its own session
    // keeps it out of the terminal's job control.
    const pid_t middle = ::fork();
    if (middle == 0) {
        ::close(pipeEnds[0]);
        ::setsid();
        const pid_t child = ::fork();
        if (child == 0) {
            ExecChild(launch, pipeEnds[1]);
        }
        if (child < 0) {
            const int error = errno;
            [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    if (middle < 0) {
        ::close(pipeEnds[0]);
        return false;
    }
    int status = 0;
    WaitFor(middle, 0, &status);
    return ExecSucceeded(pipeEnds[0]);
}

std::optional<int> StartAndWait(const ProgramCall& call, void (*idle)(void*), void* context) {
    const Launch launch(call);
    int pipeEnds[2];
    if (!launch.Startable() || ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ExecChild(launch, pipeEnds[1]);
    }
    ::close(pipeEnds[1]);
    if (child < 0) {
        ::close(pipeEnds[0]);
        return std::nullopt;
    }
    int status = 0;
    if (!ExecSucceeded(pipeEnds[0])) {
        WaitFor(child, 0, &status);
        return std::nullopt;
    }
    if (idle == nullptr) {
        if (WaitFor(child, 0, &status) != child) {
            return std::nullopt;
        }
    } else {
        // Poll often enough to notice the end quickly, and let the caller's window breathe
        // about every 50 ms.
        using Clock = std::chrono::steady_clock;
        constexpr auto kIdleInterval = std::chrono::milliseconds(50);
        auto nextIdle = Clock::now();
        for (;;) {
            const int result = WaitFor(child, WNOHANG, &status);
            if (result == child) {
                break;
            }
            if (result < 0) {
                return std::nullopt;
            }
            if (Clock::now() >= nextIdle) {
                idle(context);
                nextIdle = Clock::now() + kIdleInterval;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return ExitCodeOf(status);
}

std::vector<std::string> ProcessArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

std::filesystem::path ProgramFile(const std::filesystem::path& folder, std::string_view windowsName) {
    std::string name(windowsName);
    if (EndsWithExe(name)) {
        name.resize(name.size() - 4);
    }
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folder / name;
}

}  // namespace seewolf::platform
