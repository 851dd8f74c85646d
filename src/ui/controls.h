#pragma once

class QComboBox;
class QLineEdit;

namespace seewolf::ui {

// A boat-number box: digits only (other keys are discarded), at most four.
void MakeBoatNumberBox(QComboBox* box);

// A patrol-grid box: upper case, at most eight characters.
void MakeGridBox(QLineEdit* box);

}  // namespace seewolf::ui
