// The comma text of CareerHistory. Any text splits without fault and what it splits into joins
// and splits back to itself; items cut from the input at zero bytes join and split back to
// themselves; and both kinds, stored as a career's history in Seewolf.ini, read back unchanged.
// The input itself stored as the history reads as it splits.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/error.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/settings.h"
#include "app/text.h"
#include "career/career.h"
#include "support.h"

namespace {

constexpr std::string_view kCareer = "Fuzz Career";

const seewolf::Paths& TestPaths() {
    static const seewolf::Paths paths = [] {
        seewolf::Paths p;
        p.ProgFolder = seewolf::fuzz::ScratchFolder() / "prog";
        std::filesystem::create_directories(p.ProgFolder);
        return p;
    }();
    return paths;
}

void CheckRoundTrip(const std::vector<std::string>& items) {
    if (seewolf::SplitCommaText(seewolf::JoinCommaText(items)) != items) {
        std::abort();
    }
    // Stored in Seewolf.ini: a line break cannot be stored (refused), nor can more than a value holds.
    bool lineBreak = false;
    for (const std::string& item : items) {
        lineBreak = lineBreak || item.find_first_of("\r\n") != std::string::npos;
    }
    if (seewolf::JoinCommaText(items).size() > 2000) {
        return;
    }
    try {
        seewolf::WriteCareerHistory(TestPaths(), kCareer, items);
    } catch (const seewolf::Error&) {
        if (!lineBreak) {
            std::abort();
        }
        return;
    }
    if (lineBreak || seewolf::ReadCareerHistory(TestPaths(), kCareer) != items) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = seewolf::fuzz::AsText(data, size);
    CheckRoundTrip(seewolf::SplitCommaText(text));

    std::vector<std::string> items(1);
    for (char c : text) {
        if (c == '\0') {
            items.emplace_back();
        } else {
            items.back() += c;
        }
    }
    CheckRoundTrip(items);

    // The text as a hand-edited history line reads as it splits once the file's rules are applied.
    const std::string line =
        "[" + std::string(seewolf::kCareerDetailsSection) + "]\r\n" + std::string(kCareer) + "=";
    std::string file = line;
    file.append(text);
    seewolf::fuzz::WriteScratchFile("prog/Seewolf.ini", reinterpret_cast<const std::uint8_t*>(file.data()),
                                    file.size());
    const std::string stored = seewolf::ProfileFile(TestPaths().SettingsFile())
                                   .ReadString(seewolf::kCareerDetailsSection, kCareer, "");
    if (seewolf::ReadCareerHistory(TestPaths(), kCareer) != seewolf::SplitCommaText(stored)) {
        std::abort();
    }
    return 0;
}
