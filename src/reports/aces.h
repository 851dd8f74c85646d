#pragma once

// The U-boat aces page: the commander of a career ranked by tonnage sunk against the historical
// aces, as they stood on the career's current date, and against the player's other careers.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {
struct Paths;
struct Language;
struct SelectedCareer;
}  // namespace seewolf

namespace seewolf::reports {

// The rows of the ranking: sorted by their text, which starts with the zero-filled tonnage, and
// without duplicates; both without regard to letter case. Of texts that differ only in letter
// case the first added stays.
class AcesRanking {
  public:
    // mark: "**" the commander of the career, "*" another career of the player, "" an ace.
    // `name` is the name as the files hold it (it is escaped here).
    void Add(long long tonnage, std::string_view mark, std::string_view name, std::string_view textFont);
    // The texts from the highest tonnage down.
    std::vector<std::string> Rows() const;

  private:
    std::vector<std::string> m_texts;
};

// The whole tons of a tonnage as the ranking counts them: the fraction dropped, and a number
// too large for any fleet (a damaged file) held at a bound instead of overflowing.
long long WholeTons(double tons);

// Adds the player's other careers: every career folder with a Careers.cfg, as its commander
// stood on `currentDate` (yyyymmdd as a number), unless he has the selected career's commander's
// name. A career whose file is missing or unreadable is left out.
void AddOtherCareers(const Paths& paths, const SelectedCareer& career, int currentDate,
                     std::string_view textFont, AcesRanking& ranking);

// Writes folder + "Aces.html". Throws Error when the career's date is not a yyyymmdd date or the
// page cannot be written.
void GenerateAcesPage(const Paths& paths, const Language& language, const SelectedCareer& career,
                      const std::filesystem::path& folder, std::string_view personnelFileName,
                      long long commanderTonnage);

}  // namespace seewolf::reports
