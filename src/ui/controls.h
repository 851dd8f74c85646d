#pragma once

class QComboBox;
class QEvent;
class QLineEdit;
class QWidget;
class QString;

namespace seewolf::ui {

// A boat-number box: digits only (other keys are discarded), at most four.
void MakeBoatNumberBox(QComboBox* box);

// The windows' style sheet, built into the program as a resource.
QString StyleSheet();

// Every label of a window shows its text as it stands: names and texts from the game's and the
// save files are never taken for markup.
void ShowLabelsAsPlainText(QWidget* window);

// Whether an event on a link label follows it: a left click, or Return, Enter or Space while the
// label has the keyboard focus.
bool ActivatesLink(const QEvent* event);

// A patrol-grid box: upper case, at most eight characters.
void MakeGridBox(QLineEdit* box);

}  // namespace seewolf::ui
