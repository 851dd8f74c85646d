// What the POSIX and the Windows sources share: the fault counter of the changing file
// operations, the folder creation (std::filesystem does it alike on both) and the rule that
// names the instance block.

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/instance_guard.h"

namespace seewolf::platform {

namespace {

long long ReadFaultLimit() {
    const char* value = std::getenv("SEEWOLF_FAULT_AFTER");
    if (value == nullptr) {
        return 0;
    }
    long long limit = 0;
    const char* end = value + std::strlen(value);
    const auto result = std::from_chars(value, end, limit);
    return result.ec == std::errc() && result.ptr == end && limit > 0 ? limit : 0;
}

}  // namespace

void CountChangingOperation() {
    static const long long limit = ReadFaultLimit();
    static std::atomic<long long> count{0};
    if (limit > 0 && count.fetch_add(1) + 1 == limit) {
        // A crash, as far as the files can tell: no destructors, no flushing of buffers.
        std::_Exit(kFaultExitCode);
    }
}

void CreateFolders(const std::filesystem::path& folder) {
    std::error_code ec;
    const bool created = std::filesystem::create_directories(WithoutTrailingSeparator(folder), ec);
    if (ec) {
        throw Error("Unable to create the folder " + TextFromPath(folder));
    }
    if (created) {
        CountChangingOperation();
    }
}

InstanceGuard::InstanceGuard(const std::filesystem::path& executable)
    : m_blockName(BlockNameFor(executable)) {}

std::string InstanceGuard::BlockNameFor(const std::filesystem::path& executable) {
    std::string name;
    for (const char c : TextFromPath(executable)) {
        if (c != '/' && c != '\\') {
            name += c;
        }
    }
    return LowerCase(name);
}

}  // namespace seewolf::platform
