#include "launch/binary_patches.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "app/error.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/settings.h"
#include "app/text.h"
#include "launch/backup.h"
#include "launch/game_bounds.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kOptionsFile = "Cfg\\SH3 options.cfg";
constexpr std::string_view kWaveSection = "WAVE HEIGHT";
constexpr std::string_view kCrushSection = "CRUSH DEPTH";
constexpr std::string_view kGunsFile = "data\\Library\\GUNS_SUB.sim";
constexpr std::string_view kSceneFile = "data\\scene.dat";

constexpr int kDefaultWaveBase = 256;
// The crush depth lies this much below the boat's drawn depth; not a setting.
constexpr double kCrushFactor = 1.4;
// Beyond any depth or wave; keeps the rounding and the draw within int.
constexpr double kLargest = 1e9;

std::array<char, 4> LittleEndianBytes(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return {static_cast<char>(bits & 0xFFu), static_cast<char>((bits >> 8) & 0xFFu),
            static_cast<char>((bits >> 16) & 0xFFu), static_cast<char>((bits >> 24) & 0xFFu)};
}

std::string Ordinal(int n) {
    const int lastTwo = n % 100;
    const int last = n % 10;
    const char* suffix = (lastTwo >= 11 && lastTwo <= 13) ? "th"
                         : last == 1                      ? "st"
                         : last == 2                      ? "nd"
                         : last == 3                      ? "rd"
                                                          : "th";
    return std::to_string(n) + suffix;
}

[[noreturn]] void ThrowBadOption(const ProfileFile& options, std::string_view section, std::string_view key,
                                 std::string_view value, std::string_view expected) {
    throw Error("The value \"" + std::string(value) + "\" of " + std::string(key) + " in section [" +
                std::string(section) + "] of " + PathText(options.Path()) + " is not " +
                std::string(expected) + ".");
}

// A real of the options file, `def` when the key is missing.
double ReadReal(const ProfileFile& options, std::string_view section, std::string_view key, double def) {
    const std::optional<std::string> text = options.FindString(section, key);
    if (!text) {
        return def;
    }
    const std::optional<double> value = ParseFloat(*text);
    if (!value || *value < 0) {
        ThrowBadOption(options, section, key, *text, "a number of 0 or more");
    }
    return *value;
}

// A whole number of the crush-depth scale, lo or hi.
int ScaledDepth(const ProfileFile& options, std::string_view key, std::string_view entry, int depth,
                double factor) {
    const double scaled = depth * factor;
    if (scaled > kLargest) {
        ThrowBadOption(options, kCrushSection, key, entry, "a depth below 1,000,000,000 once scaled");
    }
    return static_cast<int>(RoundHalfEven(scaled));
}

// Finds a property name without regard to letter case (Windows-1252), in place: the bytes whose
// lower case is the name's first letter are located with memchr, and only there is the rest of
// the name compared. A lower-cased copy of a 10 MB file would cost more than the search.
class NameFinder {
  public:
    explicit NameFinder(std::string_view name) : m_name(LowerCase(name)) {
        for (int b = 0; b < 256; ++b) {
            m_lower[static_cast<std::size_t>(b)] = LowerCp1252(static_cast<char>(b));
            if (m_lower[static_cast<std::size_t>(b)] == m_name.front()) {
                m_firsts.push_back(static_cast<char>(b));
            }
        }
    }

    // The start of the first occurrence at or after `from`, or npos.
    std::size_t Find(std::string_view bytes, std::size_t from) const {
        // The next position of each first-letter spelling; npos once there is none.
        std::vector<std::size_t> next(m_firsts.size(), 0);
        bool located = false;
        while (from < bytes.size()) {
            std::size_t at = std::string_view::npos;
            for (std::size_t i = 0; i < m_firsts.size(); ++i) {
                if (!located || (next[i] != std::string_view::npos && next[i] < from)) {
                    next[i] = bytes.find(m_firsts[i], from);
                }
                at = std::min(at, next[i]);
            }
            located = true;
            if (at == std::string_view::npos || bytes.size() - at < m_name.size()) {
                return std::string_view::npos;
            }
            if (MatchesAt(bytes, at)) {
                return at;
            }
            from = at + 1;
        }
        return std::string_view::npos;
    }

    std::size_t Size() const { return m_name.size(); }

  private:
    bool MatchesAt(std::string_view bytes, std::size_t at) const {
        for (std::size_t i = 1; i < m_name.size(); ++i) {
            if (m_lower[static_cast<unsigned char>(bytes[at + i])] != m_name[i]) {
                return false;
            }
        }
        return true;
    }

    std::string m_name;
    std::array<char, 256> m_lower{};
    std::vector<char> m_firsts;
};

// A folder name that stays one folder: no separators, no drive, not "." or "..".
bool IsOneFolderName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\:") == std::string_view::npos;
}

}  // namespace

std::vector<PatchResult> PatchBinaryValues(const Paths& paths, std::string_view relative,
                                           std::span<const BinaryPatch> patches) {
    const fs::path file = paths.Game(relative);
    if (!platform::FileExists(file)) {
        throw Error("The game file " + PathText(file) +
                    " is missing, so the value it holds cannot be set. Check the game folder, or turn the "
                    "option off.");
    }
    if (!backup::GameBounds(paths).Holds(file)) {
        throw Error("The game file " + PathText(file) + " leads outside the game folder " +
                    FolderText(paths.GameFolder) + "; it is left as it is.");
    }
    BackUpGameFile(paths, relative);
    std::optional<std::string> bytes = platform::ReadFile(file);
    if (!bytes) {
        throw Error("Unable to read " + PathText(file));
    }
    std::vector<PatchResult> results;
    results.reserve(patches.size());
    bool changed = false;
    for (const BinaryPatch& patch : patches) {
        if (patch.occurrence < 1 || patch.property.empty()) {
            throw Error("A binary value needs a property name and an occurrence of 1 or more.");
        }
        // Each search sees the file as the patches before it left it.
        const NameFinder finder(patch.property);
        std::size_t at = std::string::npos;
        std::size_t from = 0;
        for (int found = 0; found < patch.occurrence; ++found) {
            at = finder.Find(*bytes, from);
            if (at == std::string::npos) {
                break;
            }
            from = at + 1;
        }
        if (at == std::string::npos) {
            results.push_back(PatchResult::TooFewOccurrences);
            continue;
        }
        // Counted so that no sum can wrap: the name's zero byte, the offset, then 4 bytes.
        const std::size_t valueAt = at + finder.Size() + 1;
        if (valueAt > bytes->size() || bytes->size() - valueAt < patch.extraOffset ||
            bytes->size() - valueAt - patch.extraOffset < 4) {
            results.push_back(PatchResult::PastEnd);
            continue;
        }
        const std::array<char, 4> value = LittleEndianBytes(patch.value);
        for (std::size_t i = 0; i < value.size(); ++i) {
            const std::size_t offset = valueAt + patch.extraOffset + i;
            (*bytes)[offset] = value[i];
        }
        changed = true;
        results.push_back(PatchResult::Written);
    }
    if (changed) {
        platform::WriteFileAtomic(file, *bytes);
    }
    return results;
}

PatchResult PatchBinaryValue(const Paths& paths, std::string_view relative, std::string_view property,
                             int occurrence, float value, std::size_t extraOffset) {
    const BinaryPatch patch{property, occurrence, value, extraOffset};
    return PatchBinaryValues(paths, relative, std::span(&patch, 1)).front();
}

float GetWaveHeight(const Paths& paths, int index, std::string_view date) {
    static constexpr std::array<float, 4> kFactors = {1.0f, 1.25f, 1.5f, 1.875f};
    if (index < 0 || index > 4) {
        throw Error("The wave height setting " + std::to_string(index) +
                    " is not one of 0 to 4; choose a wave height in the options.");
    }
    const ProfileFile options(paths.Prog(kOptionsFile));
    int base = kDefaultWaveBase;
    if (const std::optional<std::string> text = options.FindString(kWaveSection, "1x")) {
        const std::optional<int> value = ParseInteger(*text);
        if (!value || *value < 0) {
            ThrowBadOption(options, kWaveSection, "1x", *text, "a whole number of 0 or more");
        }
        base = *value;
    }
    float factor = 1.0f;
    if (index == 4) {
        if (date.size() < 6) {
            throw Error("The date \"" + std::string(date) + "\" has no month.");
        }
        factor = static_cast<float>(ReadReal(options, kWaveSection, date.substr(4, 2), 1.0));
    } else {
        factor = kFactors[static_cast<std::size_t>(index)];
    }
    const float height = static_cast<float>(base) * factor;
    if (!(height <= kLargest)) {
        // The base alone, or the month's factor with it.
        const std::string_view key = index == 4 && base <= kLargest ? date.substr(4, 2) : "1x";
        ThrowBadOption(options, kWaveSection, key, options.FindString(kWaveSection, key).value_or(""),
                       "a value that gives waves below 1,000,000,000");
    }
    return static_cast<float>(RoundHalfEven(height));
}

namespace {

// The crush depth drawn for a boat type and the file it goes into, or the notice why none is.
struct CrushDepth {
    std::string relative;  // empty: left as it is
    float value = 0;
    std::string notice;
};

CrushDepth DrawCrushDepth(const Paths& paths, std::string_view boatTypeName, Random& random) {
    const ProfileFile options(paths.Prog(kOptionsFile));
    const double upper = ReadReal(options, kCrushSection, "Upper", 1.0);
    const double lower = ReadReal(options, kCrushSection, "Lower", 1.0);
    const std::optional<std::string> entry =
        boatTypeName.empty() ? std::nullopt : options.FindString(kCrushSection, boatTypeName);
    const std::size_t bar = entry ? entry->find('|') : std::string::npos;
    if (bar == std::string::npos) {
        return {{},
                0,
                "The crush depth was left as it is: section [" + std::string(kCrushSection) + "] of " +
                    PathText(options.Path()) + " has no entry \"<folder>|<depth>\" for the boat type \"" +
                    std::string(boatTypeName) + "\"."};
    }
    const std::string_view all(*entry);
    const std::string folder(TrimBlanks(all.substr(0, bar)));
    const std::string_view rest = all.substr(bar + 1);
    const std::optional<int> depth = ParseInteger(TrimBlanks(rest.substr(0, rest.find('|'))));
    if (!depth || *depth < 0) {
        ThrowBadOption(options, kCrushSection, boatTypeName, *entry,
                       "a folder name and a depth of 0 or more separated by \"|\"");
    }
    const std::string relative = "data\\Submarine\\" + folder + "\\" + folder + ".zon";
    if (!IsOneFolderName(folder) || !backup::GameBounds(paths).Holds(paths.Game(relative))) {
        return {{},
                0,
                "The crush depth was left as it is: the folder \"" + folder + "\" of the boat type \"" +
                    std::string(boatTypeName) + "\" in section [" + std::string(kCrushSection) + "] of " +
                    PathText(options.Path()) +
                    " is not one folder inside the game's data\\Submarine folder."};
    }
    const int hi = ScaledDepth(options, "Upper", FormatNumber(upper), *depth, upper);
    const int lo = ScaledDepth(options, "Lower", FormatNumber(lower), *depth, lower);
    // Upper below Lower leaves no range to draw from: the lower depth is taken.
    const int pick = hi < lo ? lo : lo + random.Next(hi - lo + 1);
    return {relative, static_cast<float>(RoundHalfEven(pick * kCrushFactor)), {}};
}

std::string WriteCrushDepth(const Paths& paths, const CrushDepth& depth) {
    if (depth.relative.empty()) {
        return depth.notice;
    }
    const PatchResult result = PatchBinaryValue(paths, depth.relative, "crashdepth", 1, depth.value, 0);
    if (result == PatchResult::Written) {
        return "";
    }
    return "The crush depth was left as it is: " + PathText(paths.Game(depth.relative)) +
           (result == PatchResult::TooFewOccurrences ? " holds no \"crashdepth\" value."
                                                     : " ends right after \"crashdepth\".");
}

}  // namespace

std::string RandomiseCrushDepth(const Paths& paths, std::string_view boatTypeName, Random& random) {
    return WriteCrushDepth(paths, DrawCrushDepth(paths, boatTypeName, random));
}

std::vector<std::string> ApplyBinaryPatches(const Paths& paths, const Settings& settings,
                                            std::string_view patrolStartDate, std::string_view boatTypeName,
                                            Random& random) {
    struct Labelled {
        BinaryPatch patch;
        std::string_view label;
    };
    std::vector<std::string> notices;
    // Each file is read and written once for all its patches.
    const auto patchFile = [&](std::string_view relative, const std::vector<Labelled>& wanted) {
        if (wanted.empty()) {
            return;
        }
        std::vector<BinaryPatch> patches;
        for (const Labelled& item : wanted) {
            patches.push_back(item.patch);
        }
        const std::vector<PatchResult> results = PatchBinaryValues(paths, relative, patches);
        for (std::size_t i = 0; i < results.size(); ++i) {
            const BinaryPatch& patch = wanted[i].patch;
            const std::string file = PathText(paths.Game(relative));
            const std::string property(patch.property);
            const std::string why = results[i] == PatchResult::PastEnd
                                        ? "the value of the " + Ordinal(patch.occurrence) + " \"" + property +
                                              "\" in " + file + " would lie past the end of the file."
                                    : patch.occurrence == 1
                                        ? file + " holds no \"" + property + "\" value."
                                        : file + " holds fewer than " + std::to_string(patch.occurrence) +
                                              " \"" + property + "\" values.";
            if (results[i] != PatchResult::Written) {
                notices.push_back("The " + std::string(wanted[i].label) + " was left as it is: " + why);
            }
        }
    };

    std::vector<Labelled> guns;
    if (settings.ReloadTime88 > -1) {
        guns.push_back(
            {{"reload_time", 11, static_cast<float>(settings.ReloadTime88), 0}, "88 mm reload time"});
    }
    if (settings.ReloadTime105 > -1) {
        guns.push_back(
            {{"reload_time", 1, static_cast<float>(settings.ReloadTime105), 0}, "105 mm reload time"});
    }

    std::vector<Labelled> scene;
    if (settings.WaterDensityValue > -1) {
        scene.push_back({{"fog", 2, static_cast<float>(settings.WaterDensityValue), 4}, "water clarity"});
    }
    if (settings.WaveHeight >= 0) {
        scene.push_back({{"maxwaveheight", 1, GetWaveHeight(paths, settings.WaveHeight, patrolStartDate), 0},
                         "wave height"});
    }

    CrushDepth crush;
    if (settings.RndCrushDepth) {
        crush = DrawCrushDepth(paths, boatTypeName, random);
    }

    // The files to patch are backed up together (one flush); a missing one or one outside the game
    // folder is left to PatchBinaryValues, which refuses it.
    std::vector<std::string> files;
    backup::GameBounds bounds(paths);
    for (const auto& [relative, wanted] : {std::pair{std::string(kGunsFile), !guns.empty()},
                                           std::pair{std::string(kSceneFile), !scene.empty()},
                                           std::pair{crush.relative, !crush.relative.empty()}}) {
        const fs::path file = paths.Game(relative);
        if (wanted && platform::FileExists(file) && bounds.Holds(file)) {
            files.push_back(relative);
        }
    }
    BackUpGameFiles(paths, files);

    patchFile(kGunsFile, guns);
    patchFile(kSceneFile, scene);
    if (std::string notice = WriteCrushDepth(paths, crush); settings.RndCrushDepth && !notice.empty()) {
        notices.push_back(std::move(notice));
    }
    return notices;
}

}  // namespace seewolf
