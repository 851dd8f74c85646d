#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace seewolf::platform {

// The single-instance guard: an 8-byte named shared block per program folder, holding the
// first instance's window handle (on Linux its process id) at offset 0 and the number of
// registered instances at offset 4. The block is named after the executable's full path with
// its separators removed, in lower case, so a copy in another folder runs independently.
// On Windows the block is a named file mapping, named from the UTF-16 path by the same rule (a
// character that Windows-1252 cannot hold keeps its identity there); the system frees it with
// its last handle. A second start restores the first instance's window when it is minimised
// and brings it to the front.
// On Linux the block is POSIX shared memory, which outlives a crashed process: the last
// instance to end removes it, and a block whose first instance has gone (or whose process id
// now runs another program) is taken over by the next start.
class InstanceGuard {
  public:
    explicit InstanceGuard(const std::filesystem::path& executable);
    ~InstanceGuard();  // the exit step: unregisters this instance
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // True when another instance owns the program and this one must stop. `ownHandle` is this
    // instance's window handle (on Linux its process id). Throws Error when the block cannot
    // be created.
    bool AnotherInstanceOwns(std::int64_t ownHandle, int allowedInstances);

    // The same, but while another instance owns the program, asks again every few milliseconds
    // until `wait` is over: for a start that must not be turned away while the instance before
    // it is still ending.
    bool AnotherInstanceOwns(std::int64_t ownHandle, int allowedInstances, std::chrono::milliseconds wait);

    // The handle stored by the first instance (after AnotherInstanceOwns returned true).
    std::int64_t FirstInstanceHandle() const { return m_firstHandle; }

    // The handle a program registers with before its window exists: on Windows none (0) until
    // PublishWindow gives it, on Linux the process id, which stays in the block.
    static std::int64_t HandleBeforeWindow();

    // Once the main window exists: on Windows a registered instance stores the window's handle at
    // offset 0, where a second start finds the window to bring forward. On Linux nothing changes.
    void PublishWindow(std::int64_t windowHandle);

    // The block name, also used to name the channel through which a second instance hands
    // its arguments to the first.
    const std::string& BlockName() const { return m_blockName; }

    // Name of the block for an executable path.
    static std::string BlockNameFor(const std::filesystem::path& executable);

  private:
    std::filesystem::path m_executable;
    std::string m_blockName;
    std::int64_t m_firstHandle = 0;
    bool m_registered = true;
    bool m_open = false;
    void* m_view = nullptr;
    std::intptr_t m_handle = -1;
};

// Data identifier of the message that carries a second instance's arguments to the first.
inline constexpr std::uint32_t kForwardedArgumentsId = 0xDE1F1DAB;

// A second start hands its arguments to the first instance's window: on Windows a WM_COPYDATA
// message with the identifier above and the buffer "arg1\0arg2\0...\0" (each argument's bytes as
// given, a zero byte after each and one more at the end), sent synchronously (a first instance
// that does not answer within a few seconds is given up). True when the message was delivered;
// false when `firstHandle` names no window. On Linux false: there the local channel of the
// windows carries the arguments.
bool ForwardArguments(std::int64_t firstHandle, const std::vector<std::string>& arguments);

}  // namespace seewolf::platform
