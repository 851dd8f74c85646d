#include "support/temp_world.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "demo/demo_paths.h"
#include "platform/files.h"
#include "platform/processes.h"

namespace seewolf::testing {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = std::filesystem::temp_directory_path() /
             ("seewolf-test-" + std::to_string(platform::CurrentProcessId()) + "-" + std::to_string(stamp) +
              "-" + std::to_string(counter++));
    std::filesystem::create_directories(m_path);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Read-only files and folders made by a test must not stop the clean-up.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(m_path, ec);
}

TempWorld::TempWorld() {
    demo::DemoOptions options;
    options.root = m_folder.Path();
    options.programSource = SEEWOLF_CONTENT_DIR;
    m_world = demo::WriteDemoInstallation(options);
    m_paths = demo::StartUpPaths(m_world);
}

EnvVar::EnvVar(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) {
        m_old = old;
    }
    SetEnvironment(name, value);
}

EnvVar::~EnvVar() {
    SetEnvironment(m_name, m_old ? m_old->c_str() : nullptr);
}

void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    // Sets the system's environment too, which started programs inherit; "" removes it.
    ::_putenv_s(name, value != nullptr ? value : "");
#else
    if (value != nullptr) {
        ::setenv(name, value, 1);
    } else {
        ::unsetenv(name);
    }
#endif
}

int RunTestChild(const std::string& test,
                 const std::vector<std::pair<const char*, std::string>>& environment) {
    std::vector<std::unique_ptr<EnvVar>> set;
    set.push_back(std::make_unique<EnvVar>("GTEST_OUTPUT", nullptr));
    for (const auto& [name, value] : environment) {
        set.push_back(std::make_unique<EnvVar>(name, value));
    }
    platform::ProgramCall call{platform::ExecutablePath(), {"--gtest_filter=" + test, "--gtest_brief=1"}, {}};
    return platform::StartAndWait(call).value_or(-1);
}

void WriteText(const std::filesystem::path& path, std::string_view text) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

}  // namespace seewolf::testing
