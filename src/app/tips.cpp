#include "app/tips.h"

#include "app/error.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/settings.h"
#include "app/text.h"
#include "platform/files.h"

namespace seewolf {

std::vector<std::string> ReadTips(const Paths& paths) {
    const std::filesystem::path file = paths.Prog(kTipsFile);
    if (!platform::FileExists(file)) {
        return {};
    }
    const std::optional<std::string> text = platform::ReadFile(file);
    if (!text) {
        throw Error("The tips in " + PathText(file) + " cannot be read. Check that the file may be read.");
    }
    std::vector<std::string> tips;
    for (std::string& line : SplitLines(*text)) {
        if (!TrimBlanks(line).empty()) {
            tips.push_back(std::move(line));
        }
    }
    return tips;
}

bool StoreShowTips(const Paths& paths, bool show) {
    if (ReadSettings(paths).ShowTips == show) {
        return false;
    }
    try {
        ProfileFile(paths.SettingsFile()).WriteBool(kSettingsSection, "ShowTips", show);
    } catch (const Error&) {
        throw Error("Seewolf could not save your choice for \"Show tips on startup\" in " +
                    PathText(paths.SettingsFile()) +
                    ": the file or its folder cannot be written. The tips will " +
                    (show ? "not show" : "show again") +
                    " at the next start; make the file writable to keep your choice.");
    }
    return true;
}

}  // namespace seewolf
