#pragma once

// What the career and report targets share: a small world written once per process (the game,
// the program's texts and two careers of the demo world), the career file that an input replaces,
// and the check that a run changed nothing outside the files it may write.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/language.h"
#include "app/paths.h"

namespace seewolf::fuzz {

// A file an input can replace, and the career it belongs to.
struct CareerFile {
    std::filesystem::path path;
    std::string career;  // the career's folder name (Windows-1252)
};

struct CareerWorld {
    std::filesystem::path root;
    Paths paths;
    Language language;
    // Every file of the two careers, Seewolf.ini once per career, the game's table of aces.
    std::vector<CareerFile> files;
};

// The world, written on first use into the scratch folder.
const CareerWorld& World();

// An input put in place: its first byte picks one of World().files, the rest replaces that file's
// bytes. On destruction the world is put back as it was: the file and every career log a run
// rewrote get their bytes back, the report pages are removed. With no bytes nothing is replaced.
class FuzzedCareerFile {
  public:
    FuzzedCareerFile(const std::uint8_t* data, std::size_t size);
    ~FuzzedCareerFile();
    FuzzedCareerFile(const FuzzedCareerFile&) = delete;
    FuzzedCareerFile& operator=(const FuzzedCareerFile&) = delete;

    const CareerFile& File() const { return *m_file; }

  private:
    const CareerFile* m_file = nullptr;
};

// What a run may have written besides the fuzzed file.
struct AllowedWrites {
    std::filesystem::path reportFolder;  // anything inside (empty: nothing)
    bool patrolLogs = false;             // the careers' Log_<n>.cfg and Used ship names.log
};

// Aborts, naming the file, when the run created, changed or removed a file of the world that
// `allowed` does not cover.
void CheckWorldUnchanged(const AllowedWrites& allowed);

// Whether `path` lies inside `folder` (both made absolute and normal, no ".." escapes).
bool IsInside(const std::filesystem::path& path, const std::filesystem::path& folder);

}  // namespace seewolf::fuzz
