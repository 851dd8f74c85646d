// The system.reg reader: any registry file reads without fault, the path it finds is never longer
// than the file (escapes only shorten), and the game's key stands where the reader expects it: a
// plain key written first always wins, and one written last is found unless the file held its
// own.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/locate.h"
#include "support.h"

namespace {

constexpr std::string_view kKnown =
    "[Software\\\\Ubisoft\\\\Silent Hunter III] 1300000000\n"
    "\"InstalledPath\"=\"C:\\\\Known\\\\SH3\\\\\"\n";
constexpr std::string_view kKnownPath = "C:\\Known\\SH3\\";

std::string Read(const std::filesystem::path& prefix, std::string_view bytes) {
    seewolf::fuzz::WriteScratchFile("prefix/system.reg", reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                    bytes.size());
    return seewolf::WineRegistryInstalledPath(prefix);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path prefix = [] {
        std::filesystem::path folder = seewolf::fuzz::ScratchFolder() / "prefix";
        std::filesystem::create_directories(folder);
        return folder;
    }();
    const std::string_view text = seewolf::fuzz::AsText(data, size);
    const std::string found = Read(prefix, text);
    if (found.size() > size) {
        std::abort();
    }
    if (Read(prefix, std::string(kKnown) + std::string(text)) != kKnownPath) {
        std::abort();
    }
    const std::string appended = Read(prefix, std::string(text) + "\n" + std::string(kKnown));
    if (appended != found && appended != kKnownPath) {
        std::abort();
    }
    return 0;
}
