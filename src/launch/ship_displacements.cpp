#include "launch/ship_displacements.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "app/error.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/text.h"
#include "launch/backup.h"
#include "launch/game_bounds.h"
#include "platform/files.h"

namespace seewolf {

namespace {

constexpr std::string_view kRulesFile = "Cfg\\Ship displacements.cfg";
constexpr std::string_view kSettings = "SETTINGS";
constexpr std::string_view kDefaults = "DEFAULTS";
constexpr int kBaseYear = 1939;

struct MuseumText {
    std::string_view suffix;
    std::string_view key;
};
constexpr MuseumText kMuseumTexts[] = {
    {"_en.log", "en_Text"}, {"_ge.log", "ge_Text"}, {"_fr.log", "fr_Text"}};

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// A ship's folder name must name one folder below data\Sea: no separators, no "." or "..", and
// nothing Windows refuses in a file name.
bool IsFolderName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

std::optional<int> FindInteger(const ProfileFile& rules, std::string_view section, std::string_view key) {
    const std::optional<std::string> text = rules.FindString(section, key);
    if (!text) {
        return std::nullopt;
    }
    if (const std::optional<int> value = ParseInteger(*text)) {
        return value;
    }
    throw Error("Invalid number in " + KeyPlace(rules, section, key) + ": \"" + *text +
                "\" is not a whole number.");
}

std::optional<float> FindReal(const ProfileFile& rules, std::string_view section, std::string_view key) {
    const std::optional<std::string> text = rules.FindString(section, key);
    if (!text) {
        return std::nullopt;
    }
    const std::optional<double> value = ParseFloat(*text);
    if (!value || std::abs(*value) > std::numeric_limits<float>::max()) {
        throw Error("Invalid number in " + KeyPlace(rules, section, key) + ": \"" + *text +
                    "\" is not a number.");
    }
    return static_cast<float>(*value);
}

// The ship's own value, else that of DEFAULTS, else 1.
float ShipReal(const ProfileFile& rules, std::string_view ship, std::string_view key) {
    if (rules.ValueExists(ship, key)) {
        return *FindReal(rules, ship, key);
    }
    return FindReal(rules, kDefaults, key).value_or(1.0f);
}

[[noreturn]] void ThrowTooLarge(const ProfileFile& rules, std::string_view ship, std::string_view what,
                                double value) {
    throw Error("The " + std::string(what) + " of " + std::string(ship) + " in " + PathText(rules.Path()) +
                " comes to " + FormatNumber(value) +
                ", more than the game can hold; check Displacement, RenownAwarded, UpperDisp, LowerDisp and "
                "YearlyDispAdjust of section [" +
                std::string(ship) + "] and [" + std::string(kDefaults) + "].");
}

// A single-precision result rounded to the whole number the game holds (halves to even).
int WholeNumber(float value, const ProfileFile& rules, std::string_view ship, std::string_view what) {
    // Beyond int, or not finite: the game cannot hold it, and rounding it would overflow.
    if (!(std::abs(static_cast<double>(value)) < 2147483647.0)) {
        ThrowTooLarge(rules, ship, what, value);
    }
    return static_cast<int>(RoundHalfEven(value));
}

// Uniform whole number from 0 to n - 1 for an n beyond int: two draws give a number below a
// multiple of 2^30 that covers n; one outside [0, n) is drawn again, so all stay equally likely.
std::int64_t Draw(Random& random, std::int64_t n) {
    if (n <= std::numeric_limits<int>::max()) {
        return random.Next(static_cast<int>(n));
    }
    constexpr std::int64_t kLow = std::int64_t{1} << 30;
    const std::int64_t highs = (n + kLow - 1) / kLow;  // n is below 2^34 here
    while (true) {
        const std::int64_t high = random.Next(static_cast<int>(highs));
        const std::int64_t value = high * kLow + random.Next(static_cast<int>(kLow));
        if (value < n) {
            return value;
        }
    }
}

int YearOf(std::string_view date) {
    const std::optional<int> year = date.size() == 8 ? ParseInteger(date.substr(0, 4)) : std::nullopt;
    if (!year || *year < 0) {
        throw Error("The patrol start date \"" + std::string(date) + "\" is not a date yyyymmdd.");
    }
    return *year;
}

}  // namespace

TonnageResult RandomiseTonnage(const Paths& paths, std::string_view date, Random& random) {
    const int year = YearOf(date);
    const ProfileFile rules(paths.Prog(kRulesFile));
    const int precision = FindInteger(rules, kSettings, "DispPrecision").value_or(1);
    if (precision < 1) {
        throw Error("Invalid number in " + KeyPlace(rules, kSettings, "DispPrecision") + ": \"" +
                    std::to_string(precision) + "\" is below 1; displacements are multiples of it.");
    }
    const bool renownIsTonnage =
        FindInteger(rules, kSettings, "RenownAwardedEqualsRandomTonnage").value_or(0) != 0;

    // Every ship is worked out first, its files are backed up together (one flush), and only
    // then is anything written: each ship file once, with its displacement and renown.
    struct ShipWrite {
        std::string relative;
        std::filesystem::path path;
        int tonnage = 0;
        std::optional<int> renown;
    };
    struct TextWrite {
        std::string relative;
        std::filesystem::path path;
        std::string text;
    };
    std::vector<ShipWrite> shipWrites;
    std::vector<TextWrite> textWrites;
    std::vector<std::string> relatives;

    TonnageResult result;
    backup::GameBounds bounds(paths);
    for (const std::string& ship : rules.ReadSections()) {
        if (SameName(ship, kSettings) || SameName(ship, kDefaults)) {
            continue;
        }
        if (!IsFolderName(ship)) {
            result.notes.push_back("The ship [" + ship + "] of " + PathText(rules.Path()) +
                                   " was left out: its name is not the name of one folder under data\\Sea.");
            continue;
        }
        const std::string folder = "data\\Sea\\" + ship + "\\" + ship;
        const std::string shipFile = folder + ".cfg";
        const std::filesystem::path shipPath = paths.Game(shipFile);
        if (!platform::FileExists(shipPath)) {
            result.notes.push_back("The ship [" + ship + "] of " + PathText(rules.Path()) +
                                   " was left out: the game has no file " + shipFile + ".");
            continue;
        }
        if (!bounds.Holds(shipPath)) {
            result.notes.push_back("The ship [" + ship + "] of " + PathText(rules.Path()) +
                                   " was left out: " + PathText(shipPath) +
                                   " leads outside the game folder.");
            continue;
        }

        const float upper = ShipReal(rules, ship, "UpperDisp");
        const float lower = ShipReal(rules, ship, "LowerDisp");
        const float yearly = ShipReal(rules, ship, "YearlyDispAdjust");
        const std::optional<int> displacement = FindInteger(rules, ship, "Displacement");
        const int renownAwarded = FindInteger(rules, ship, "RenownAwarded").value_or(-1);
        const float factor = static_cast<float>(std::pow(static_cast<double>(yearly), year - kBaseYear));

        bool changed = false;
        // Without its own displacement a ship keeps the game's (a default of 0 would sink its
        // tonnage to nothing); its museum texts still apply.
        if (displacement) {
            const float nominal = static_cast<float>(*displacement) * factor;
            const std::int64_t lo = WholeNumber(nominal * lower, rules, ship, "lower displacement");
            const std::int64_t hi = WholeNumber(nominal * upper, rules, ship, "upper displacement");
            // Bounds the wrong way round leave the lower one; the span is counted in 64 bits, as
            // two bounds near the ends of int and a large precision go beyond it.
            std::int64_t drawn = lo;
            if (hi >= lo) {
                drawn += Draw(random, hi - lo + precision);
            }
            const std::int64_t tonnage = drawn / precision * precision;  // towards zero
            if (tonnage > std::numeric_limits<int>::max() || tonnage < std::numeric_limits<int>::min()) {
                ThrowTooLarge(rules, ship, "displacement", static_cast<double>(tonnage));
            }
            // A ship that gives no renown keeps the game's. Testing the scaled default (-1 times
            // a factor below 1 is above -1) would write -1 or 0 over it after 1939.
            std::optional<int> renown;
            if (renownIsTonnage) {
                renown = static_cast<int>(tonnage);
            } else if (renownAwarded > -1) {
                renown = WholeNumber(static_cast<float>(renownAwarded) * factor, rules, ship, "renown");
            }
            shipWrites.push_back({shipFile, shipPath, static_cast<int>(tonnage), renown});
            relatives.push_back(shipFile);
            changed = true;
        }

        for (const MuseumText& museum : kMuseumTexts) {
            const std::string text = rules.ReadString(ship, museum.key, "");
            const std::string textFile = folder + std::string(museum.suffix);
            const std::filesystem::path textPath = paths.Game(textFile);
            if (text.empty() || !platform::FileExists(textPath)) {
                continue;
            }
            if (!bounds.Holds(textPath)) {
                result.notes.push_back("The " + std::string(museum.key) + " of ship [" + ship + "] of " +
                                       PathText(rules.Path()) + " was left out: " + PathText(textPath) +
                                       " leads outside the game folder.");
                continue;
            }
            textWrites.push_back({textFile, textPath, text});
            relatives.push_back(textFile);
            changed = true;
        }
        result.shipsChanged += changed ? 1 : 0;
    }

    BackUpGameFiles(paths, relatives);
    for (const ShipWrite& write : shipWrites) {
        ProfileEdit game{ProfileFile(write.path)};
        game.WriteInteger("Unit", "Displacement", write.tonnage);
        if (write.renown) {
            game.WriteInteger("Unit", "RenownAwarded", *write.renown);
        }
        game.Commit();
    }
    for (const TextWrite& write : textWrites) {
        ProfileFile(write.path).WriteString("MUSEUM", "Text", write.text);
    }
    return result;
}

}  // namespace seewolf
