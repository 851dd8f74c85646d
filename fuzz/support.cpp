#include "support.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace seewolf::fuzz {

namespace {

struct Scratch {
    std::filesystem::path path;
    Scratch() {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec)) {
            base = std::filesystem::temp_directory_path();
        }
        path = base / ("seewolf-fuzz-" + std::to_string(getpid()));
        std::filesystem::remove_all(path, ec);
        std::filesystem::create_directories(path);
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

const std::filesystem::path& ScratchFolder() {
    static const Scratch scratch;
    return scratch.path;
}

std::filesystem::path WriteScratchFile(std::string_view name, const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = ScratchFolder() / std::filesystem::path(std::string(name));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write the fuzz input to " + file.string());
    }
    return file;
}

}  // namespace seewolf::fuzz
