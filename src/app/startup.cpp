#include "app/startup.h"

#include "app/error.h"
#include "app/locate.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "app/settings.h"
#include "app/text.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/processes.h"

namespace seewolf {

namespace {

#ifndef _WIN32
// The command that runs Windows programs on Linux: SEEWOLF_WINE when set, else WineCommand of
// [SETTINGS], else "wine". The setting goes into this process's environment, so the companion and
// every other program Seewolf starts run the game the same way. The value is taken as stored:
// reading a value removes one pair of outer quotes, which would turn 'a folder/wine' into three
// words. A later start-up in the same process (another program folder) replaces what an earlier
// one put there, but never a variable the user set.
void UseWineCommandSetting(const Paths& paths) {
    static std::optional<std::string> fromSettings;  // what this process put into the variable
    const auto variable = platform::EnvironmentValue("SEEWOLF_WINE");
    if (variable && !variable->empty() && variable != fromSettings) {
        return;
    }
    std::string command;
    const ProfileEdit settings{ProfileFile(paths.SettingsFile())};
    for (const ProfileLine& line : settings.StoredSectionLines(kSettingsSection)) {
        if (SameText(line.key, "WineCommand")) {
            command = Utf8FromCp1252(line.value);
            break;
        }
    }
    if (!command.empty() || fromSettings) {
        platform::SetEnvironmentValue("SEEWOLF_WINE", command);  // empty: "wine"
        fromSettings = command;
    }
}
#endif

}  // namespace

std::string WineCommandAdvice(const Paths& paths) {
    return "Set the command as WineCommand in the [SETTINGS] section of " + PathText(paths.SettingsFile()) +
           " or in the environment variable SEEWOLF_WINE, which comes first (without either Seewolf runs "
           "\"wine\"); quote a folder with blanks as a shell would.";
}

StartupResult RunStartup(const CommandLine& commandLine, const std::filesystem::path& progFolder,
                         Prompter& prompter, const std::function<bool()>& gameRunning,
                         const std::optional<std::filesystem::path>& documentsFolder) {
    StartupResult result;
    result.commandLine = commandLine;

    // Nothing may touch the game's files while the game runs.
    while (gameRunning()) {
        const Button answer = prompter.ShowMessage(
            "Seewolf has found a running instance of Silent Hunter III. Please close Silent Hunter III and "
            "all "
            "associated files before retrying.",
            MessageKind::Error, Button::Abort | Button::Retry);
        if (answer == Button::Abort) {
            return result;
        }
    }

    Paths& paths = result.paths;
    paths.ProgFolder = platform::WithTrailingSeparator(progFolder);
#ifndef _WIN32
    UseWineCommandSetting(paths);
#endif

    if (!LocateGameFolder(paths, commandLine.GameFolderArgument(), prompter)) {
        return result;
    }
    result.caption = std::string(kApplicationTitle) + " [" + FolderText(paths.GameFolder) + "]";

    try {
        if (!LocateSaveFolder(paths, prompter, documentsFolder)) {
            return result;
        }
        result.language = ChooseLanguage(paths);
        LoadDateTexts(paths, result.language);
        PrepareBackupFolder(paths);
    } catch (const Error& error) {
        // An unreadable FileManager.dll or a backup folder that cannot be made: nothing can work.
        prompter.ShowMessage(error.what(), MessageKind::Error, Button::Ok);
        return result;
    }

    if (commandLine.GameNotStarted()) {
        std::string text = "Silent Hunter III did not run: the companion could not start " +
                           PathText(paths.GameFolder) + "sh3.exe.";
#ifndef _WIN32
        text += " On Linux it runs through Wine. " + WineCommandAdvice(paths);
#endif
        text += commandLine.AutoRollbackAndClose()
                    ? " The game files the launch changed are rolled back now."
                    : " The game files the launch changed stay changed until you roll back or launch again.";
        prompter.ShowMessage(text, MessageKind::Warning, Button::Ok);
    }
    if (commandLine.AutoRollbackAndClose()) {
        result.rollBackAndClose = true;
        return result;
    }
    result.proceed = true;
    return result;
}

}  // namespace seewolf
