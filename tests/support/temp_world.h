#pragma once

// A fresh world in a temporary folder for one test, removed again afterwards.

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/paths.h"
#include "demo/demo.h"

namespace seewolf::testing {

// An empty temporary folder, removed with everything in it on destruction.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

// The demo world, with program files copied from the source tree's content folder, and the
// Paths a start-up on it would set.
class TempWorld {
  public:
    TempWorld();
    const demo::DemoWorld& World() const { return m_world; }
    const Paths& GetPaths() const { return m_paths; }
    const std::filesystem::path& Root() const { return m_folder.Path(); }

  private:
    TempFolder m_folder;
    demo::DemoWorld m_world;
    Paths m_paths;
};

// Sets an environment variable for the life of the object, then restores it.
class EnvVar {
  public:
    EnvVar(const char* name, const std::string& value) : EnvVar(name, value.c_str()) {}
    // A null value removes the variable for the life of the object.
    EnvVar(const char* name, const char* value);
    ~EnvVar();
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// Sets (or, given null, removes) an environment variable of this process and the programs it starts.
void SetEnvironment(const char* name, const char* value);

// Runs one test of this test program (`test`, a --gtest_filter pattern) in a new process with these
// environment variables set, and returns its exit code (-1 when it could not be started). Crash tests
// use it: the child reads its fault limit from its environment and is cut there.
int RunTestChild(const std::string& test,
                 const std::vector<std::pair<const char*, std::string>>& environment);

// Writes a text file (creating its folders).
void WriteText(const std::filesystem::path& path, std::string_view text);
// Reads a whole file ("" when missing).
std::string ReadText(const std::filesystem::path& path);

}  // namespace seewolf::testing
