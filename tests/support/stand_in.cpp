#include "support/stand_in.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "platform/encoding.h"

namespace seewolf::testing {

namespace fs = std::filesystem;

StandIns::StandIns(const fs::path& folder, const char* seconds)
    : m_record(folder / "stand-in record.txt"),
      m_recordVar("SEEWOLF_STANDIN_RECORD", platform::Utf8FromPath(m_record)),
      m_secondsVar("SEEWOLF_STANDIN_SECONDS", seconds),
      m_exitVar("SEEWOLF_STANDIN_EXIT", nullptr),
#ifdef _WIN32
      m_wineVar("SEEWOLF_WINE", nullptr) {
}
#else
      m_wineVar("SEEWOLF_WINE", SEEWOLF_STAND_IN) {
}
#endif

void StandIns::Place(const fs::path& program) {
    fs::create_directories(program.parent_path());
    fs::copy_file(platform::PathFromUtf8(SEEWOLF_STAND_IN), program, fs::copy_options::overwrite_existing);
}

std::vector<StandInStart> StandIns::Starts() const {
    std::vector<StandInStart> starts;
    const std::string text = ReadText(m_record);
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t blank = line.find(' ');
        const std::string key = line.substr(0, blank);
        const std::string value = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (key == "start") {
            starts.push_back({value, {}, {}, {}, std::nullopt});
        } else if (starts.empty()) {
            ADD_FAILURE() << "the stand-in record begins without a start: " << text;
            break;
        } else if (key == "folder") {
            starts.back().folder = value;
        } else if (key == "command") {
            starts.back().command = value;
        } else if (key == "argument") {
            starts.back().arguments.push_back(value);
        } else if (key == "end") {
            starts.back().end = std::stoi(value);
        } else {
            ADD_FAILURE() << "a line the stand-in does not write: " << line;
        }
    }
    return starts;
}

std::vector<StandInStart> StandIns::WaitForEnded(std::size_t count) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        std::vector<StandInStart> starts = Starts();
        std::size_t ended = 0;
        for (const StandInStart& start : starts) {
            ended += start.end.has_value() ? 1 : 0;
        }
        if (ended >= count || std::chrono::steady_clock::now() > deadline) {
            return starts;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace seewolf::testing
