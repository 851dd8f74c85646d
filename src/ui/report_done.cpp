#include "ui/report_done.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "app/error.h"
#include "app/paths.h"
#include "app/text.h"
#include "reports/report_page.h"
#include "ui/qt_text.h"

namespace seewolf::ui {

bool ReportDoneDialog(QWidget* parent, const std::string& message, const std::vector<std::string>& notes) {
    std::string text = message;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        text += (i == 0 ? "\n\n" : "\n") + notes[i];
    }
    QApplication::beep();
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), ToQt(MessageLines(text)),
                    QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* open = box.addButton(QStringLiteral("Open"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(open);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == open;
}

void OpenPage(const std::filesystem::path& page) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(PathToQt(page)))) {
        throw Error("The page " + PathText(page) +
                    " could not be opened: no program to show web pages was found. Open it in your browser "
                    "yourself.");
    }
}

void OfferReport(QWidget* parent, const reports::ReportResult& result) {
    if (ReportDoneDialog(parent, result.message, result.notes)) {
        OpenPage(result.page);
    }
}

}  // namespace seewolf::ui
