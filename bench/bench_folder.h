#pragma once

// The folder a benchmark writes its data into: "seewolf-<name>-<process id>" in $SEEWOLF_BENCH_DIR
// when set (for example /dev/shm, to see the program's own cost without the disk), else in the
// system's temporary folder. Emptied when made, removed with everything in it (read-only files
// too) when it goes.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace seewolf::bench {

class BenchFolder {
  public:
    explicit BenchFolder(const std::string& name) {
        const char* base = std::getenv("SEEWOLF_BENCH_DIR");
        m_path =
            std::filesystem::path(base != nullptr ? base : std::filesystem::temp_directory_path().string()) /
            ("seewolf-" + name + "-" + std::to_string(::getpid()));
        Remove();
        std::filesystem::create_directories(m_path);
    }
    ~BenchFolder() { Remove(); }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

  private:
    void Remove() const {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(m_path, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(m_path, ec);
    }

    std::filesystem::path m_path;
};

}  // namespace seewolf::bench
