#include "crew/random_name.h"

#include <algorithm>
#include <vector>

#include "app/error.h"
#include "app/paths.h"
#include "app/random.h"
#include "app/text.h"
#include "platform/files.h"

namespace seewolf {

namespace {

std::vector<std::string> LoadList(const std::filesystem::path& file) {
    const std::optional<std::string> bytes = platform::ReadFile(file);
    if (!bytes) {
        throw Error("Cannot open file \"" + PathText(file) + "\".");
    }
    return SplitLines(*bytes);
}

// Whether some first name and some different last name fit the limit together. Drawing at random
// until a pair fits would never end otherwise.
bool AnyPairFits(const std::vector<std::string>& firsts, std::vector<std::string> lasts, std::size_t limit) {
    if (firsts.empty() || lasts.empty()) {
        return false;
    }
    std::stable_sort(lasts.begin(), lasts.end(),
                     [](const std::string& x, const std::string& y) { return x.size() < y.size(); });
    // Index of the first last name that differs from the shortest one.
    std::size_t other = 1;
    while (other < lasts.size() && lasts[other] == lasts.front()) {
        ++other;
    }
    for (const std::string& first : firsts) {
        if (first.size() + 1 > limit) {
            continue;
        }
        const std::size_t room = limit - 1 - first.size();
        // The last names short enough are a leading run of the sorted list.
        const auto end = std::partition_point(
            lasts.begin(), lasts.end(), [room](const std::string& last) { return last.size() <= room; });
        const auto fitting = static_cast<std::size_t>(end - lasts.begin());
        if (fitting > 0 && (lasts.front() != first || other < fitting)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string RandomName(const Paths& paths, Random& random, bool shortName) {
    const std::filesystem::path firstFile = paths.Prog("Cfg\\Names_first.lst");
    const std::filesystem::path lastFile = paths.Prog("Cfg\\Names_last.lst");
    const std::vector<std::string> firsts = LoadList(firstFile);
    const std::vector<std::string> lasts = LoadList(lastFile);
    const std::size_t limit = shortName ? kShortNameLimit : kLongNameLimit;
    if (!AnyPairFits(firsts, lasts, limit)) {
        throw Error("No name of at most " + std::to_string(limit) + " characters can be made from " +
                    PathText(firstFile) + " and " + PathText(lastFile) +
                    ": the lists need a first name and a different last name that fit together.");
    }
    while (true) {
        const std::string& first =
            firsts[static_cast<std::size_t>(random.Next(static_cast<int>(firsts.size())))];
        const std::string& last =
            lasts[static_cast<std::size_t>(random.Next(static_cast<int>(lasts.size())))];
        if (first.size() + 1 + last.size() <= limit && first != last) {
            return first + " " + last;
        }
    }
}

}  // namespace seewolf
