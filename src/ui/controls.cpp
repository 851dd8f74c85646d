#include "ui/controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace seewolf::ui {

void MakeBoatNumberBox(QComboBox* box) {
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), box));
    box->lineEdit()->setMaxLength(4);
}

void MakeGridBox(QLineEdit* box) {
    box->setMaxLength(8);
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& text) {
        const int at = box->cursorPosition();
        box->setText(text.toUpper());
        box->setCursorPosition(at);
    });
}

}  // namespace seewolf::ui
