#include "app/settings.h"

#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "platform/files.h"

namespace seewolf {

Settings ReadSettings(const std::filesystem::path& settingsFile, const std::filesystem::path& progFolder) {
    const ProfileFile ini(settingsFile);
    const char* s = kSettingsSection;
    Settings v;
    v.SH3Location = ini.ReadString(s, "SH3Location", "");
    v.DocsLocation = ini.ReadString(s, "DocsLocation", "");
    v.SkipIntros = ini.ReadBool(s, "SkipIntros", v.SkipIntros);
    v.AutoRollback = ini.ReadBool(s, "AutoRollback", v.AutoRollback);
    v.UseSysFonts = ini.ReadBool(s, "UseSysFonts", v.UseSysFonts);
    v.ShowTips = ini.ReadBool(s, "ShowTips", v.ShowTips);
    v.StartAtSea = ini.ReadBool(s, "StartAtSea", v.StartAtSea);
    v.RealisticLength = ini.ReadBool(s, "RealisticLength", v.RealisticLength);
    v.RealisticCrewXfr = ini.ReadBool(s, "RealisticCrewXfr", v.RealisticCrewXfr);
    v.UseSubDts = ini.ReadBool(s, "UseSubDts", v.UseSubDts);
    v.RndDaysInBase = ini.ReadBool(s, "RndDaysInBase", v.RndDaysInBase);
    v.SetDaysInBase = ini.ReadBool(s, "SetDaysInBase", v.SetDaysInBase);
    v.DaysInBaseValue = ini.ReadInteger(s, "DaysInBaseValue", v.DaysInBaseValue);
    v.RealShipNames = ini.ReadBool(s, "RealShipNames", v.RealShipNames);
    v.RndGramophone = ini.ReadBool(s, "RndGramophone", v.RndGramophone);
    v.HullIntegrityText = ini.ReadInteger(s, "HullIntegrityText", v.HullIntegrityText);
    v.UseFatigueModel = ini.ReadBool(s, "UseFatigueModel", v.UseFatigueModel);
    v.FatigueModel = ini.ReadInteger(s, "FatigueModel", v.FatigueModel);
    v.AdjWaterDensity = ini.ReadBool(s, "AdjWaterDensity", v.AdjWaterDensity);
    v.WaterDensityValue = ini.ReadFloat(s, "WaterDensityValue", v.WaterDensityValue);
    v.AdjWaveHeight = ini.ReadBool(s, "AdjWaveHeight", v.AdjWaveHeight);
    v.WaveHeight = ini.ReadInteger(s, "WaveHeight", v.WaveHeight);
    v.Adj88ReloadTime = ini.ReadBool(s, "Adj88ReloadTime", v.Adj88ReloadTime);
    v.ReloadTime88 = ini.ReadFloat(s, "88ReloadTime", v.ReloadTime88);
    v.Adj105ReloadTime = ini.ReadBool(s, "Adj105ReloadTime", v.Adj105ReloadTime);
    v.ReloadTime105 = ini.ReadFloat(s, "105ReloadTime", v.ReloadTime105);
    v.ModelEffects = ini.ReadBool(s, "ModelEffects", v.ModelEffects);
    v.Effects = ini.ReadInteger(s, "Effects", v.Effects);
    v.RndTonnage = ini.ReadBool(s, "RndTonnage", v.RndTonnage);
    v.RndCrushDepth = ini.ReadBool(s, "RndCrushDepth", v.RndCrushDepth);
    v.HeadingFont = ini.ReadString(s, "HeadingFont", v.HeadingFont);
    v.LabelFont = ini.ReadString(s, "LabelFont", v.LabelFont);
    v.TextFont = ini.ReadString(s, "TextFont", v.TextFont);
    const std::string defaultBackground =
        platform::TextFromPath(platform::Resolve(progFolder, "Personnel Files\\background.jpg"));
    v.BackgroundImage = ini.ReadString(s, "BackgroundImage", defaultBackground);
    return v;
}

Settings ReadSettings(const Paths& paths) {
    return ReadSettings(paths.SettingsFile(), paths.ProgFolder);
}

void WriteSettings(const Paths& paths, const Settings& v) {
    ProfileEdit ini{ProfileFile(paths.SettingsFile())};
    const char* s = kSettingsSection;
    ini.WriteString(s, "SH3Location", v.SH3Location);
    ini.WriteBool(s, "AutoRollback", v.AutoRollback);
    ini.WriteBool(s, "SkipIntros", v.SkipIntros);
    ini.WriteBool(s, "UseSysFonts", v.UseSysFonts);
    ini.WriteBool(s, "ShowTips", v.ShowTips);
    ini.WriteBool(s, "RealisticLength", v.RealisticLength);
    ini.WriteBool(s, "RealisticCrewXfr", v.RealisticCrewXfr);
    ini.WriteBool(s, "UseSubDts", v.UseSubDts);
    ini.WriteBool(s, "RndDaysInBase", v.RndDaysInBase);
    ini.WriteBool(s, "SetDaysInBase", v.SetDaysInBase);
    ini.WriteInteger(s, "DaysInBaseValue", v.DaysInBaseValue);
    ini.WriteBool(s, "RealShipNames", v.RealShipNames);
    ini.WriteBool(s, "RndGramophone", v.RndGramophone);
    ini.WriteBool(s, "StartAtSea", v.StartAtSea);
    ini.WriteInteger(s, "HullIntegrityText", v.HullIntegrityText);
    ini.WriteBool(s, "UseFatigueModel", v.UseFatigueModel);
    ini.WriteInteger(s, "FatigueModel", v.FatigueModel);
    ini.WriteBool(s, "AdjWaterDensity", v.AdjWaterDensity);
    ini.WriteString(s, "WaterDensityValue", FormatNumber(v.WaterDensityValue));
    ini.WriteBool(s, "AdjWaveHeight", v.AdjWaveHeight);
    ini.WriteInteger(s, "WaveHeight", v.WaveHeight);
    ini.WriteBool(s, "Adj88ReloadTime", v.Adj88ReloadTime);
    ini.WriteString(s, "88ReloadTime", FormatNumber(v.ReloadTime88));
    ini.WriteBool(s, "Adj105ReloadTime", v.Adj105ReloadTime);
    ini.WriteString(s, "105ReloadTime", FormatNumber(v.ReloadTime105));
    ini.WriteBool(s, "ModelEffects", v.ModelEffects);
    ini.WriteInteger(s, "Effects", v.Effects);
    ini.WriteBool(s, "RndTonnage", v.RndTonnage);
    ini.WriteBool(s, "RndCrushDepth", v.RndCrushDepth);
    ini.WriteString(s, "HeadingFont", v.HeadingFont);
    ini.WriteString(s, "LabelFont", v.LabelFont);
    ini.WriteString(s, "TextFont", v.TextFont);
    ini.WriteString(s, "BackgroundImage", v.BackgroundImage);
    ini.Commit();
}

}  // namespace seewolf
