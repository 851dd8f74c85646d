#include "career/nightclub.h"

#include <algorithm>

#include "app/language.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "career/career.h"
#include "platform/files.h"

namespace seewolf {

namespace {

constexpr const char* kFolder = "Nightclub";

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) { return Lower(a) == Lower(b); });
}

}  // namespace

std::string FillName(std::string_view text, std::string_view name) {
    std::string filled;
    filled.reserve(text.size() + name.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && Lower(text[i + 1]) == 's') {
            filled += name;
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

std::vector<std::filesystem::path> NightclubFiles(const Paths& paths, std::string_view extension) {
    const std::filesystem::path folder = paths.Prog(kFolder);
    std::vector<std::string> names;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
        // The extension alone is no file name: ".jpg" is a hidden file without one on Windows too.
        if (!entry.isFolder && entry.name.size() > extension.size() &&
            EndsWithNoCase(entry.name, extension)) {
            names.push_back(entry.name);
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<std::filesystem::path> files;
    files.reserve(names.size());
    for (const std::string& name : names) {
        files.push_back(folder / platform::PathFromText(name));
    }
    return files;
}

std::filesystem::path NightclubTextFile(const Paths& paths, const Language& language) {
    return paths.Prog(std::string(kFolder) + "\\Nightclub_" + language.LangCode + ".txt");
}

NightclubVisit PlanNightclubVisit(const Paths& paths, const Language& language, const SelectedCareer& career,
                                  Random& random) {
    NightclubVisit visit;
    const auto draw = [&random](const std::vector<std::filesystem::path>& files) {
        return files.empty() ? std::optional<std::filesystem::path>()
                             : files[static_cast<std::size_t>(random.Next(static_cast<int>(files.size())))];
    };
    visit.picture = draw(NightclubFiles(paths, ".jpg"));
    visit.sound = draw(NightclubFiles(paths, ".wav"));

    const ProfileFile texts(NightclubTextFile(paths, language));
    if (!platform::FileExists(texts.Path())) {
        visit.missingTexts = "The nightclub has nothing to say: its text file " + PathText(texts.Path()) +
                             " is missing. Put it back from the Seewolf package.";
    }
    const std::string& name = career.CmdrName;
    visit.greeting = FillName(texts.ReadString("SETTINGS", "Greeting", ""), name);
    visit.noNews = FillName(texts.ReadString("SETTINGS", "NoNews", ""), name);

    const std::string month = career.StartDateText.substr(0, 6);
    const std::vector<std::string> keys = texts.ReadSection(month);
    const int wanted = std::max(0, texts.ReadInteger("SETTINGS", "ShowCommentsPerMth", 0));
    const int count = std::min(wanted, static_cast<int>(keys.size()));
    std::vector<bool> taken(keys.size(), false);
    for (int i = 0; i < count; ++i) {
        int pick = random.Next(static_cast<int>(keys.size()));
        while (taken[static_cast<std::size_t>(pick)]) {
            pick = random.Next(static_cast<int>(keys.size()));
        }
        taken[static_cast<std::size_t>(pick)] = true;
        visit.comments.push_back(
            "\r\n" + FillName(texts.ReadString(month, keys[static_cast<std::size_t>(pick)], ""), name));
    }
    return visit;
}

}  // namespace seewolf
