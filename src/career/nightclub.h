#pragma once

// The nightclub: a picture, a sound and a few words of bar talk about the month of a career in
// base. Everything it shows comes from the program's Nightclub folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

struct Paths;
struct Language;
struct SelectedCareer;
class Random;

// Every "%s", in any letter case, replaced by `name`.
std::string FillName(std::string_view text, std::string_view name);

// The files of the Nightclub folder whose extension is `extension` (".jpg"; letter case does not
// count, as on Windows), sorted by name so that a seeded draw picks the same file everywhere.
std::vector<std::filesystem::path> NightclubFiles(const Paths& paths, std::string_view extension);

// The comment file of a language: Nightclub\Nightclub_<code>.txt.
std::filesystem::path NightclubTextFile(const Paths& paths, const Language& language);

// One visit, everything drawn at once: picture, sound, then the comments.
struct NightclubVisit {
    std::optional<std::filesystem::path> picture;  // none: the folder has no picture
    std::optional<std::filesystem::path> sound;    // none: silence
    std::string greeting;                          // the name filled in
    std::string noNews;                            // shown when `comments` is empty
    std::vector<std::string> comments;             // in the order drawn, each "\r\n" + text
    std::optional<std::string> missingTexts;       // what to tell the user when the comment file is gone
};

// Draws a visit for the career's current month: the month section named by the first six
// characters of its start date, at most [SETTINGS] ShowCommentsPerMth different entries (a
// negative count offers none).
NightclubVisit PlanNightclubVisit(const Paths& paths, const Language& language, const SelectedCareer& career,
                                  Random& random);

}  // namespace seewolf
