#include "ui/user_guide.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/error.h"
#include "app/paths.h"
#include "platform/files.h"
#include "ui/qt_text.h"

namespace seewolf::ui {

void OpenUserGuide(const Paths& paths) {
    const std::filesystem::path guide = paths.Prog(kUserGuide);
    if (!platform::FileExists(guide)) {
        throw Error("The user guide is missing: " + PathText(guide) +
                    ". It comes with Seewolf: copy the whole program folder again.");
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(PathToQt(guide)))) {
        throw Error("The user guide " + PathText(guide) +
                    " could not be opened: no program to show PDF files was found. Open it with your PDF "
                    "viewer yourself.");
    }
}

}  // namespace seewolf::ui
