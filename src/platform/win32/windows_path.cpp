#include "platform/windows_path.h"

#include "platform/encoding.h"

namespace seewolf::platform {

std::string WindowsPathOf(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) {
        absolute = path;
    }
    return Utf8FromPath(absolute.make_preferred());
}

}  // namespace seewolf::platform
