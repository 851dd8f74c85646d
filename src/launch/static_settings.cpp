#include "launch/static_settings.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
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

namespace fs = std::filesystem;

constexpr std::string_view kStaticFile = "Cfg\\Static settings.cfg";
constexpr std::string_view kEventsFile = "Cfg\\Randomised events.cfg";
constexpr std::string_view kDefaultPeriod = "19390101|19451231";

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

// One rule file being applied: where it is, and the notes it leaves.
struct RuleFile {
    ProfileFile file;
    RuleNotes notes;

    std::string Where(std::string_view section) const {
        return "section [" + std::string(section) + "] of " + PathText(file.Path());
    }
    std::string Where(std::string_view section, std::string_view key) const {
        return "key \"" + std::string(key) + "\" in " + Where(section);
    }
    void Note(std::string text) { notes.push_back(std::move(text)); }
};

// The game file a section names after its first ":", when it is an existing regular file inside
// the game folder (after "..", links and case), else nothing, with a note.
std::optional<std::string> TargetFile(const Paths& paths, backup::GameBounds& bounds, RuleFile& rules,
                                      std::string_view section) {
    const std::size_t colon = section.find(':');
    const std::string relative =
        colon == std::string_view::npos ? "" : std::string(section.substr(colon + 1));
    const std::string skipped = "The " + rules.Where(section) + " was left out: ";
    if (relative.empty()) {
        rules.Note(skipped + "its name holds no game file after a \":\".");
        return std::nullopt;
    }
    const fs::path game = paths.Game(relative);
    const auto below = backup::Below(platform::WithTrailingSeparator(paths.GameFolder), game);
    if (!below || below->empty() || backup::HasDotComponents(fs::path(*below)) || !bounds.Holds(game)) {
        rules.Note(skipped + "its game file \"" + relative + "\" lies outside the game folder.");
        return std::nullopt;
    }
    if (!platform::FileExists(game)) {
        rules.Note(skipped + "its game file \"" + relative + "\" does not exist in " +
                   FolderText(paths.GameFolder) + ".");
        return std::nullopt;
    }
    return relative;
}

// Whether `date` lies in the section's ApplyToPeriod, both ends included (text comparison).
bool InPeriod(const RuleFile& rules, std::string_view section, std::string_view date) {
    const std::string period = rules.file.ReadString(section, "ApplyToPeriod", kDefaultPeriod);
    const std::size_t bar = period.find('|');
    if (bar == std::string::npos) {
        throw Error("The period \"" + period + "\" of " + rules.Where(section, "ApplyToPeriod") +
                    " is not two dates yyyymmdd separated by \"|\".");
    }
    const std::string_view first = TrimBlanks(std::string_view(period).substr(0, bar));
    const std::string_view last = TrimBlanks(std::string_view(period).substr(bar + 1));
    return date >= first && date <= last;
}

enum class TargetKind { None, Profile, Binary };

TargetKind KindOf(std::string_view key) {
    if (key.find('|') != std::string_view::npos) {
        return TargetKind::Profile;
    }
    return ParseInteger(key) ? TargetKind::Binary : TargetKind::None;
}

// Holds the changes of the sections that target one game file, in their order: key writes in one
// profile edit, binary values in the file's bytes, so that the file is written once at the end,
// after every file of the step has been backed up. Only a switch between key writes and binary
// values writes the file early (backed up first), since each reads what the other wrote.
class GameFileWriter {
  public:
    GameFileWriter(const Paths& paths, std::string relative)
        : m_paths(paths), m_relative(std::move(relative)), m_path(paths.Game(m_relative)) {}

    const std::string& Relative() const { return m_relative; }
    const fs::path& Path() const { return m_path; }
    bool Changed() const { return m_changed; }

    void WriteProfile(std::string_view section, std::string_view key, std::string_view value) {
        if (m_bytes) {
            if (m_changed) {
                WriteNow();
            }
            m_bytes.reset();  // the edit goes on from the file as written
        }
        if (!m_edit) {
            m_edit.emplace(ProfileFile(m_path));
        }
        m_edit->WriteString(section, key, value);
        m_changed = true;
    }

    // False when the 4 bytes at `offset` are not all inside the file (which is never grown).
    bool WriteFloat(long long offset, float value) {
        if (m_edit) {
            WriteNow();  // the bytes are read from the file as edited
        }
        if (!m_bytes) {
            m_bytes = platform::ReadFile(m_path);
            if (!m_bytes) {
                throw Error("Unable to read " + PathText(m_path));
            }
        }
        if (offset < 0 || static_cast<unsigned long long>(offset) + 4 > m_bytes->size()) {
            return false;
        }
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (int i = 0; i < 4; ++i) {
            (*m_bytes)[static_cast<std::size_t>(offset) + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
        }
        m_changed = true;
        return true;
    }

    // Writes the changes held; the file must be backed up.
    void Write() {
        if (m_edit) {
            m_edit->Commit();
            m_edit.reset();
        } else if (m_bytes && m_changed) {
            platform::WriteFileAtomic(m_path, *m_bytes);
        }
        m_changed = false;
    }

  private:
    void WriteNow() {
        BackUpGameFile(m_paths, m_relative);
        Write();
    }

    const Paths& m_paths;
    std::string m_relative;
    fs::path m_path;
    std::optional<ProfileEdit> m_edit;
    std::optional<std::string> m_bytes;
    bool m_changed = false;
};

// The writers of one rule file's game files, one per file, whichever spelling its sections use.
class GameFileWriters {
  public:
    explicit GameFileWriters(const Paths& paths) : m_paths(paths) {}

    GameFileWriter& For(const std::string& relative) {
        const fs::path path = m_paths.Game(relative);
        for (GameFileWriter& writer : m_writers) {
            if (writer.Path() == path) {
                return writer;
            }
        }
        return m_writers.emplace_back(m_paths, relative);
    }

    // Backs up every changed file at once (one flush), then writes each once.
    void WriteAll() {
        std::vector<std::string> changed;
        for (const GameFileWriter& writer : m_writers) {
            if (writer.Changed()) {
                changed.push_back(writer.Relative());
            }
        }
        BackUpGameFiles(m_paths, changed);
        for (GameFileWriter& writer : m_writers) {
            writer.Write();
        }
    }

  private:
    const Paths& m_paths;
    std::deque<GameFileWriter> m_writers;
};

// Writes `value` to the target `target` (of kind `kind`); `key` is the line's key, for messages.
void ApplyTarget(RuleFile& rules, GameFileWriter& writer, std::string_view section, std::string_view key,
                 std::string_view target, TargetKind kind, std::string_view value) {
    if (kind == TargetKind::Profile) {
        const std::size_t bar = target.find('|');
        const std::string_view gameSection = TrimBlanks(target.substr(0, bar));
        const std::string_view gameKey = TrimBlanks(target.substr(bar + 1));
        if (gameSection.empty() || gameKey.empty()) {
            rules.Note("The " + rules.Where(section, key) +
                       " was left out: it names no section or no key before or after its \"|\".");
            return;
        }
        writer.WriteProfile(gameSection, gameKey, value);
        return;
    }
    const std::optional<double> number = ParseFloat(TrimBlanks(value));
    if (!number || std::fabs(*number) > FLT_MAX) {
        throw Error("The value \"" + std::string(value) + "\" of " + rules.Where(section, key) +
                    " is not a number that fits a 4-byte float.");
    }
    if (!writer.WriteFloat(*ParseInteger(target), static_cast<float>(*number))) {
        rules.Note("The " + rules.Where(section, key) + " was left out: offset " + std::string(target) +
                   " does not lie inside its game file, which is never made longer.");
    }
}

// The sections of a rule file, each name once, in file order.
std::vector<std::string> Sections(const ProfileFile& file) {
    std::vector<std::string> unique;
    std::vector<std::string> seen;
    for (std::string& section : file.ReadSections()) {
        std::string lower = Lower(section);
        bool known = false;
        for (const std::string& s : seen) {
            known = known || s == lower;
        }
        if (!known) {
            seen.push_back(std::move(lower));
            unique.push_back(std::move(section));
        }
    }
    return unique;
}

// A whole number from 0 to span - 1 for a span of 1 to 2^32 (a range of two ints).
long long Draw(Random& random, long long span) {
    if (span <= std::numeric_limits<int>::max()) {
        return random.Next(static_cast<int>(span));
    }
    // Beyond int: 32 bits from two 16-bit draws, rejected above the last whole multiple of the
    // span so that every outcome stays equally likely (more than half are kept each round).
    const std::uint64_t range = static_cast<std::uint64_t>(span);
    const std::uint64_t limit = (std::uint64_t{1} << 32) - (std::uint64_t{1} << 32) % range;
    std::uint64_t draw = 0;
    do {
        draw = static_cast<std::uint64_t>(random.Next(1 << 16)) << 16 |
               static_cast<std::uint64_t>(random.Next(1 << 16));
    } while (draw >= limit);
    return static_cast<long long>(draw % range);
}

// "whole.fraction" of `units` / 10^decimals.
std::string FixedText(long long units, int decimals) {
    if (decimals == 0) {
        return std::to_string(units);
    }
    long long scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    const unsigned long long magnitude =
        units < 0 ? 0ULL - static_cast<unsigned long long>(units) : static_cast<unsigned long long>(units);
    std::string fraction = std::to_string(magnitude % static_cast<unsigned long long>(scale));
    fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
    return (units < 0 ? "-" : "") + std::to_string(magnitude / static_cast<unsigned long long>(scale)) + "." +
           fraction;
}

std::vector<std::string> SplitFields(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = text.find('|', start);
        fields.emplace_back(
            TrimBlanks(text.substr(start, bar == std::string_view::npos ? bar : bar - start)));
        if (bar == std::string_view::npos) {
            return fields;
        }
        start = bar + 1;
    }
}

// The value drawn for a range "type|minimum|maximum|mid-patrol"; nothing when the line is left
// out (at sea with "N", or a type that is neither "I" nor "F<digit>", with a note).
std::optional<std::string> DrawValue(RuleFile& rules, std::string_view section, const ProfileLine& line,
                                     bool atSea, Random& random) {
    const std::string description = CutAt(line.value, ';');
    const std::vector<std::string> fields = SplitFields(description);
    const auto bad = [&](std::string_view what) {
        return Error("The range \"" + description + "\" of " + rules.Where(section, line.key) + " " +
                     std::string(what));
    };
    if (atSea) {
        if (fields.size() < 4) {
            throw bad("has no fourth field (\"N\" or \"Y\") saying whether it applies during a patrol.");
        }
        if (fields[3] == "N") {
            return std::nullopt;
        }
    }
    const std::string& type = fields[0];
    const bool whole = type == "I";
    const bool real = type.size() == 2 && type[0] == 'F' && type[1] >= '0' && type[1] <= '9';
    if (!whole && !real) {
        rules.Note("The " + rules.Where(section, line.key) + " was left out: its range type \"" + type +
                   "\" is neither \"I\" nor \"F\" followed by a digit.");
        return std::nullopt;
    }
    const std::optional<int> low = fields.size() > 1 ? ParseInteger(fields[1]) : std::nullopt;
    const std::optional<int> high = fields.size() > 2 ? ParseInteger(fields[2]) : std::nullopt;
    if (!low || !high) {
        throw bad("does not give a whole minimum and maximum (\"type|minimum|maximum|mid-patrol\").");
    }
    if (whole) {
        // Both ends included; a maximum below the minimum draws nothing and gives the minimum.
        const long long span = static_cast<long long>(*high) - *low + 1;
        return std::to_string(span < 1 ? *low : *low + Draw(random, span));
    }
    // [minimum, maximum): a whole step, then a fraction cut (not rounded) to the decimals, so
    // that the text never reaches the maximum. Computed in whole units of the last decimal.
    const int decimals = type[1] - '0';
    long long scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    const long long span = static_cast<long long>(*high) - *low;
    if (span <= 0) {
        return FixedText(static_cast<long long>(*low) * scale, decimals);
    }
    const long long wholePart = *low + Draw(random, span);
    const long long fraction =
        std::min(static_cast<long long>(random.NextReal() * static_cast<double>(scale)), scale - 1);
    return FixedText(wholePart * scale + fraction, decimals);
}

}  // namespace

RuleNotes ApplyStaticSettings(const Paths& paths, std::string_view date) {
    RuleFile rules{ProfileFile(paths.Prog(kStaticFile)), {}};
    backup::GameBounds bounds(paths);
    GameFileWriters writers(paths);
    for (const std::string& section : Sections(rules.file)) {
        const std::optional<std::string> relative = TargetFile(paths, bounds, rules, section);
        if (!relative || !InPeriod(rules, section, date)) {
            continue;
        }
        GameFileWriter& writer = writers.For(*relative);
        for (const ProfileLine& line : SectionLines(rules.file, section)) {
            const TargetKind kind = KindOf(line.key);
            if (kind != TargetKind::None) {
                ApplyTarget(rules, writer, section, line.key, line.key, kind, line.value);
            }
        }
    }
    writers.WriteAll();
    return rules.notes;
}

RuleNotes ApplyRandomisedEvents(const Paths& paths, std::string_view date, int effects, bool atSea,
                                Random& random) {
    RuleFile rules{ProfileFile(paths.Prog(kEventsFile)), {}};
    backup::GameBounds bounds(paths);
    GameFileWriters writers(paths);
    for (const std::string& section : Sections(rules.file)) {
        const std::string tag = Lower(std::string_view(section).substr(0, 3));
        if ((effects < 0 && (tag == "mal" || tag == "sab")) || (effects == 0 && tag == "sab")) {
            continue;
        }
        const std::optional<std::string> relative = TargetFile(paths, bounds, rules, section);
        if (!relative || !InPeriod(rules, section, date)) {
            continue;
        }
        const std::optional<std::string> chooseText = rules.file.FindString(section, "ChooseFrom");
        const std::optional<int> choose = chooseText ? ParseInteger(TrimBlanks(*chooseText)) : -1;
        if (!choose) {
            throw Error("The value \"" + *chooseText + "\" of " + rules.Where(section, "ChooseFrom") +
                        " is not a whole number.");
        }
        GameFileWriter& writer = writers.For(*relative);
        if (*choose < 0) {
            for (const ProfileLine& line : SectionLines(rules.file, section)) {
                const TargetKind kind = KindOf(line.key);
                if (kind == TargetKind::None) {
                    continue;
                }
                if (const std::optional<std::string> value = DrawValue(rules, section, line, atSea, random)) {
                    ApplyTarget(rules, writer, section, line.key, line.key, kind, *value);
                }
            }
        } else if (*choose == 0) {
            rules.Note("The " + rules.Where(section) +
                       " was left out: its ChooseFrom is 0, so it has no variant.");
            continue;
        } else {
            if (atSea && !rules.file.ReadBool(section, "RndMidPat", false)) {
                continue;
            }
            const std::string prefix = std::to_string(random.Next(*choose)) + "_";
            for (const ProfileLine& line : SectionLines(rules.file, section)) {
                if (line.key.size() <= prefix.size() || line.key.compare(0, prefix.size(), prefix) != 0) {
                    continue;
                }
                const std::string_view target = std::string_view(line.key).substr(prefix.size());
                const TargetKind kind = KindOf(target);
                if (kind != TargetKind::None) {
                    ApplyTarget(rules, writer, section, line.key, target, kind, CutAt(line.value, ';'));
                }
            }
        }
    }
    writers.WriteAll();
    return rules.notes;
}

}  // namespace seewolf
