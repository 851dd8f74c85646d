#pragma once

// What the options dialog edits, without its widgets: the settings of Seewolf.ini as the dialog's
// controls can hold them, the game's time-compression limits in main.cfg, the fatigue models,
// the game-folder chooser and the check before the game folder changes.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "app/settings.h"

namespace seewolf {

struct Paths;
class Prompter;

// One event of the game's time compression: its text in the dialog, its key in section
// TIME COMPRESSION of main.cfg and the game's own default.
struct TimeCompressionRow {
    const char* text;
    const char* key;
    const char* def;
};

inline constexpr std::size_t kTimeCompressionRowCount = 15;
inline constexpr std::array<TimeCompressionRow, kTimeCompressionRowCount> kTimeCompressionRows = {{
    {"Real time", "RealTime", "1"},
    {"Maximum", "Maximum", "1024"},
    {"When game paused", "TimeStop", "0"},
    {"When near land", "LandProximity", "4"},
    {"When critically damaged", "CriticalDamage", "1"},
    {"When low crew efficiency", "CrewEfficiency", "1"},
    {"When enemy plane(s) detected", "AirEnemyDetected", "1"},
    {"When enemy ship(s) detected", "EnemyDetected", "8"},
    {"When receive radio report", "RadioReport", "8"},
    {"When being hunted", "PrayState", "8"},
    {"When hunting", "HunterState", "32"},
    {"When in 3D views", "3DRender", "32"},
    {"Character animations", "CharacterAnim", "4"},
    {"Sound effects", "SoundEffects", "2"},
    {"Particle rendering", "Particles", "8"},
}};

// The limits the dialog offers for an event, highest first.
inline constexpr std::array<const char*, 15> kTimeCompressionValues = {
    "8192", "4096", "2048", "1024", "512", "256", "128", "64", "32", "16", "8", "4", "2", "1", "0"};

inline constexpr const char* kTimeCompressionSection = "TIME COMPRESSION";

using TimeCompression = std::array<std::string, kTimeCompressionRowCount>;

// The current value of each event (its row's default when main.cfg lacks the key).
TimeCompression ReadTimeCompression(const Paths& paths);
// Writes the fifteen values into main.cfg in one write (nothing when they are unchanged). A
// main.cfg that is missing is created with that section.
void WriteTimeCompression(const Paths& paths, const TimeCompression& values);

// The fatigue models of the program's Cfg\Crew fatigue models.cfg: the Desc of sections 0, 1, 2,
// ... up to the first missing one ("Error!" without a Desc). A model's index is its section.
std::vector<std::string> FatigueModels(const Paths& paths);

// The ranges of the dialog's controls.
inline constexpr int kMaxDaysInBase = 2075;
inline constexpr int kMaxWaterClarity = 20;
inline constexpr int kMaxReloadTime = 120;
inline constexpr int kHullTextChoices = 2;
inline constexpr int kWaveHeightChoices = 5;
inline constexpr int kEffectsChoices = 2;

// The defaults the Personnel Files page resets to.
struct ReportLook {
    std::string headingFont;
    std::string labelFont;
    std::string textFont;
    std::string background;
    bool operator==(const ReportLook&) const = default;
};
ReportLook DefaultReportLook(const Paths& paths);

// The settings as the dialog shows them: read from Seewolf.ini, the game folder shown when
// SH3Location is empty, and every value brought into its control's range. What had to be
// changed is listed, one line each, so that the dialog can say so before OK writes it.
struct OptionValues {
    Settings settings;
    std::vector<std::string> adjusted;
};
OptionValues ReadOptionValues(const Paths& paths, std::size_t fatigueModelCount);

// The folder chooser for the game folder, starting at `current`: asks again while the chosen
// folder lacks sh3.exe. The chosen folder with a trailing separator, or empty when cancelled.
std::filesystem::path BrowseGameFolder(Prompter& prompter, const std::filesystem::path& current);

// Before Seewolf moves to another game folder: the backups of the last launch belong to the
// folder it changed, which must be rolled back first. Asks the user; on yes rolls back and
// returns true when nothing is left; false, after saying that nothing was saved, when the user
// declined. Throws Error when the
// roll-back refuses or leaves files behind (the game folder stays as it is then).
bool ReadyForAnotherGameFolder(const Paths& paths, Prompter& prompter);

}  // namespace seewolf
