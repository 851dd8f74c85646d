#pragma once

// The settings file Seewolf.ini in the program folder. Every action reads the values it needs
// from the file at the moment it needs them; nothing is kept in memory between actions.

#include <filesystem>
#include <string>

namespace seewolf {

struct Paths;

inline constexpr const char* kSettingsSection = "SETTINGS";
inline constexpr const char* kLatestCareerSection = "LATEST CAREER";
inline constexpr const char* kCareerDetailsSection = "CAREER DETAILS";

// Every key of [SETTINGS] with the default used when it is missing.
struct Settings {
    std::string SH3Location;   // game folder chosen by the user
    std::string DocsLocation;  // documents folder chosen by the user (Linux: overrides the search)
    bool SkipIntros = false;
    bool AutoRollback = false;
    bool UseSysFonts = false;
    bool ShowTips = true;
    bool StartAtSea = false;
    bool RealisticLength = false;
    bool RealisticCrewXfr = false;
    bool UseSubDts = false;
    bool RndDaysInBase = false;
    bool SetDaysInBase = false;
    int DaysInBaseValue = 28;
    bool RealShipNames = false;
    bool RndGramophone = false;
    int HullIntegrityText = 0;
    bool UseFatigueModel = false;
    int FatigueModel = 0;
    bool AdjWaterDensity = false;
    double WaterDensityValue = 18;
    bool AdjWaveHeight = false;
    int WaveHeight = 0;
    bool Adj88ReloadTime = false;
    double ReloadTime88 = 4;  // key "88ReloadTime"
    bool Adj105ReloadTime = false;
    double ReloadTime105 = 4;  // key "105ReloadTime"
    bool ModelEffects = false;
    int Effects = 0;
    bool RndTonnage = false;
    bool RndCrushDepth = false;
    std::string HeadingFont = "Impact";
    std::string LabelFont = "Times New Roman";
    std::string TextFont = "Courier New";
    std::string BackgroundImage;  // default: ProgFolder + "Personnel Files\background.jpg"

    bool operator==(const Settings&) const = default;
};

// All of [SETTINGS] as it stands in the file now. `progFolder` gives the default background.
Settings ReadSettings(const std::filesystem::path& settingsFile, const std::filesystem::path& progFolder);
Settings ReadSettings(const Paths& paths);

// Writes every key of [SETTINGS] that the options dialog edits, in one write of the file (nothing
// when the values are those already stored): flags as "1" or "0", list choices as their index,
// numbers in their shortest form ("28", "18"). DocsLocation and the other sections stay as they are.
void WriteSettings(const Paths& paths, const Settings& settings);

}  // namespace seewolf
