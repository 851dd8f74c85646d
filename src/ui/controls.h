#pragma once

class QComboBox;
class QLineEdit;
class QString;

namespace seewolf::ui {

// A boat-number box: digits only (other keys are discarded), at most four.
void MakeBoatNumberBox(QComboBox* box);

// The windows' style sheet, built into the program as a resource.
QString StyleSheet();

// A patrol-grid box: upper case, at most eight characters.
void MakeGridBox(QLineEdit* box);

}  // namespace seewolf::ui
