#include "ui/controls.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpressionValidator>

#include "app/error.h"
#include "career/new_career.h"

// The resource lives in a static library: naming its initialiser keeps it in the program.
static void InitSeewolfResources() {
    Q_INIT_RESOURCE(seewolf);
}

namespace seewolf::ui {

QString StyleSheet() {
    InitSeewolfResources();
    QFile file(QStringLiteral(":/seewolf.qss"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        throw Error("The program's style sheet is missing from its resources.");
    }
    return QString::fromUtf8(file.readAll());
}

void MakeBoatNumberBox(QComboBox* box) {
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kBoatNumberLength)), box));
    box->lineEdit()->setMaxLength(static_cast<int>(kBoatNumberLength));
}

void MakeGridBox(QLineEdit* box) {
    box->setMaxLength(static_cast<int>(kPatrolGridLength));
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& text) {
        const int at = box->cursorPosition();
        box->setText(text.toUpper());
        box->setCursorPosition(at);
    });
}

void ShowLabelsAsPlainText(QWidget* window) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
    }
}

bool ActivatesLink(const QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        return static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    }
    return false;
}

}  // namespace seewolf::ui
