#include "launch/options.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "app/error.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "launch/backup.h"
#include "launch/backup_log.h"
#include "platform/files.h"

namespace seewolf {

namespace {

constexpr std::string_view kFatigueModelsFile = "Cfg\\Crew fatigue models.cfg";
constexpr const char* kGamePrompt = "Please tell me where Silent Hunter III is installed";

std::filesystem::path MainCfg(const Paths& paths) {
    return paths.Save("main.cfg");
}

// Brings a whole number into [low, high], noting the change.
int Clamped(int value, int low, int high, const char* key, std::vector<std::string>& adjusted) {
    const int kept = std::clamp(value, low, high);
    if (kept != value) {
        adjusted.push_back(std::string(key) + "=" + std::to_string(value) + " is shown as " +
                           std::to_string(kept) + " (the dialog offers " + std::to_string(low) + " to " +
                           std::to_string(high) + ")");
    }
    return kept;
}

// A number the dialog shows in a box of whole numbers: rounded (halves to even), then clamped.
double ClampedWhole(double value, int low, int high, const char* key, std::vector<std::string>& adjusted) {
    const double kept =
        static_cast<double>(std::clamp<std::int64_t>(RoundHalfEven(std::clamp(value, -1e9, 1e9)), low, high));
    if (kept != value) {
        adjusted.push_back(std::string(key) + "=" + FormatNumber(value) + " is shown as " +
                           FormatNumber(kept) + " (the dialog offers whole numbers from " +
                           std::to_string(low) + " to " + std::to_string(high) + ")");
    }
    return kept;
}

// A list choice: an index into a list of `count` entries (the first when the list is empty).
int ClampedChoice(int value, std::size_t count, const char* key, std::vector<std::string>& adjusted) {
    const int last = count == 0 ? 0 : static_cast<int>(count) - 1;
    const int kept = std::clamp(value, 0, last);
    if (kept != value) {
        adjusted.push_back(std::string(key) + "=" + std::to_string(value) + " is shown as entry " +
                           std::to_string(kept) + " (the list has " + std::to_string(count) + " entries)");
    }
    return kept;
}

bool HoldsGame(const std::filesystem::path& folder) {
    return platform::FileExists(platform::Resolve(folder, "sh3.exe"));
}

}  // namespace

TimeCompression ReadTimeCompression(const Paths& paths) {
    const ProfileFile mainCfg(MainCfg(paths));
    TimeCompression values;
    for (std::size_t i = 0; i < kTimeCompressionRowCount; ++i) {
        const TimeCompressionRow& row = kTimeCompressionRows[i];
        values[i] = mainCfg.ReadString(kTimeCompressionSection, row.key, row.def);
    }
    return values;
}

void WriteTimeCompression(const Paths& paths, const TimeCompression& values) {
    ProfileEdit mainCfg{ProfileFile(MainCfg(paths))};
    for (std::size_t i = 0; i < kTimeCompressionRowCount; ++i) {
        mainCfg.WriteString(kTimeCompressionSection, kTimeCompressionRows[i].key, values[i]);
    }
    mainCfg.Commit();
}

std::vector<std::string> FatigueModels(const Paths& paths) {
    const ProfileFile models(paths.Prog(kFatigueModelsFile));
    std::vector<std::string> names;
    for (int n = 0; models.SectionExists(std::to_string(n)); ++n) {
        names.push_back(models.ReadString(std::to_string(n), "Desc", "Error!"));
    }
    return names;
}

ReportLook DefaultReportLook(const Paths& paths) {
    const Settings defaults;
    return {defaults.HeadingFont, defaults.LabelFont, defaults.TextFont,
            platform::TextFromPath(paths.Prog("Personnel Files\\background.jpg"))};
}

OptionValues ReadOptionValues(const Paths& paths, std::size_t fatigueModelCount) {
    OptionValues o;
    Settings& s = o.settings;
    s = ReadSettings(paths);
    if (s.SH3Location.empty()) {
        s.SH3Location = platform::TextFromPath(paths.GameFolder);
    }
    auto& adjusted = o.adjusted;
    // The launch takes random days when both are on; the dialog lets only one be on.
    if (s.RndDaysInBase && s.SetDaysInBase) {
        s.SetDaysInBase = false;
        adjusted.emplace_back(
            "RndDaysInBase and SetDaysInBase are both on: the launch uses random days in base, so "
            "SetDaysInBase is shown off");
    }
    s.DaysInBaseValue = Clamped(s.DaysInBaseValue, 0, kMaxDaysInBase, "DaysInBaseValue", adjusted);
    s.HullIntegrityText = ClampedChoice(s.HullIntegrityText, kHullTextChoices, "HullIntegrityText", adjusted);
    s.FatigueModel = ClampedChoice(s.FatigueModel, fatigueModelCount, "FatigueModel", adjusted);
    s.WaterDensityValue =
        ClampedWhole(s.WaterDensityValue, 0, kMaxWaterClarity, "WaterDensityValue", adjusted);
    s.WaveHeight = ClampedChoice(s.WaveHeight, kWaveHeightChoices, "WaveHeight", adjusted);
    s.ReloadTime88 = ClampedWhole(s.ReloadTime88, 0, kMaxReloadTime, "88ReloadTime", adjusted);
    s.ReloadTime105 = ClampedWhole(s.ReloadTime105, 0, kMaxReloadTime, "105ReloadTime", adjusted);
    s.Effects = ClampedChoice(s.Effects, kEffectsChoices, "Effects", adjusted);
    return o;
}

std::filesystem::path BrowseGameFolder(Prompter& prompter, const std::filesystem::path& current) {
    std::filesystem::path chosen = prompter.BrowseForFolder(kGamePrompt, current);
    while (!chosen.empty() && !HoldsGame(chosen)) {
        chosen = prompter.BrowseForFolder(
            std::string("Cannot find \"sh3.exe\" in this folder! ") + kGamePrompt, chosen);
    }
    return chosen.empty() ? chosen : platform::WithTrailingSeparator(chosen);
}

bool ReadyForAnotherGameFolder(const Paths& paths, Prompter& prompter) {
    if (!BackupHoldsFiles(paths)) {
        return true;
    }
    const std::string folder = FolderText(backup::RecordedGameFolder(paths).value_or(paths.GameFolder));
    const Button answer = prompter.ShowMessage(
        "The game files in " + folder +
            " still hold the changes of the last launch. They must be rolled back before Seewolf "
            "uses another game folder.\n\nRoll them back now?",
        MessageKind::Confirmation, Button::Yes | Button::No);
    if (answer != Button::Yes) {
        prompter.ShowMessage(
            "Nothing was saved: the game folder can change only once the game files in " + folder +
                " are rolled back. Press Apply again to roll them back, or choose the previous game folder.",
            MessageKind::Information, Button::Ok);
        return false;
    }
    RollBackGameFiles(paths, prompter);
    if (BackupHoldsFiles(paths)) {
        throw Error(
            "Some changes of the last launch in " + folder +
            " could not be rolled back, so nothing was saved and the game folder stays as it is. Press "
            "Roll back in the main window to try again, then choose the new game folder again.");
    }
    return true;
}

}  // namespace seewolf
