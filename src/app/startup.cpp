#include "app/startup.h"

#include "app/error.h"
#include "app/locate.h"
#include "app/prompter.h"
#include "platform/files.h"

namespace seewolf {

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

    if (commandLine.AutoRollbackAndClose()) {
        result.rollBackAndClose = true;
        return result;
    }
    result.proceed = true;
    return result;
}

}  // namespace seewolf
