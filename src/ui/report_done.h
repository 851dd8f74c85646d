#pragma once

// The end of a report run: the question whether to open the page, and opening it.

#include <filesystem>
#include <string>
#include <vector>

class QWidget;

namespace seewolf::reports {
struct ReportResult;
}

namespace seewolf::ui {

// An information box with the buttons "Open" and "Cancel", after the beep: the message and, below
// it, what else the user should know (`notes`, one per line). Everything is shown as plain text,
// since names from the save files are part of it. True when "Open" was pressed.
bool ReportDoneDialog(QWidget* parent, const std::string& message, const std::vector<std::string>& notes);

// Opens the page with the desktop's browser. Throws Error, naming the page, when nothing opens it.
void OpenPage(const std::filesystem::path& page);

// The box for a finished report, then the page when the user chose "Open".
void OfferReport(QWidget* parent, const reports::ReportResult& result);

}  // namespace seewolf::ui
