#include "ui/qt_prompter.h"

#include <exception>
#include <utility>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "app/error.h"
#include "app/text.h"
#include "platform/sound.h"
#include "ui/qt_text.h"

namespace seewolf::ui {

namespace {

struct ButtonPair {
    Button ours;
    QMessageBox::StandardButton qt;
};

constexpr ButtonPair kButtons[] = {
    {Button::Ok, QMessageBox::Ok},           {Button::Cancel, QMessageBox::Cancel},
    {Button::Abort, QMessageBox::Abort},     {Button::Retry, QMessageBox::Retry},
    {Button::Ignore, QMessageBox::Ignore},   {Button::Yes, QMessageBox::Yes},
    {Button::No, QMessageBox::No},           {Button::YesToAll, QMessageBox::YesToAll},
    {Button::NoToAll, QMessageBox::NoToAll}, {Button::Close, QMessageBox::Close},
};

QMessageBox::Icon IconFor(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Confirmation:
            return QMessageBox::Question;
        case MessageKind::Custom:
            break;
    }
    return QMessageBox::NoIcon;
}

platform::BeepKind BeepKindFor(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return platform::BeepKind::Warning;
        case MessageKind::Error:
            return platform::BeepKind::Error;
        case MessageKind::Information:
            return platform::BeepKind::Information;
        case MessageKind::Confirmation:
            return platform::BeepKind::Confirmation;
        case MessageKind::Custom:
            break;
    }
    return platform::BeepKind::Custom;
}

QString TitleFor(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QStringLiteral("Warning");
        case MessageKind::Error:
            return QStringLiteral("Error");
        case MessageKind::Information:
            return QStringLiteral("Information");
        case MessageKind::Confirmation:
            return QStringLiteral("Confirm");
        case MessageKind::Custom:
            break;
    }
    return QStringLiteral("Seewolf");
}

}  // namespace

Button QtPrompter::ShowMessage(std::string_view text, MessageKind kind, Buttons buttons) {
    return AskWithDefault(text, kind, buttons, Button::None);
}

Button QtPrompter::AskWithDefault(std::string_view text, MessageKind kind, Buttons buttons,
                                  Button defaultButton) {
    // The system's sound for the kind; a desktop with one beep still tells the user that a
    // message wants attention.
    if (!platform::Beep(BeepKindFor(kind))) {
        QApplication::beep();
    }
    QMessageBox box(IconFor(kind), TitleFor(kind), ToQt(MessageLines(text)), QMessageBox::NoButton, m_parent);
    // Names from the career files are shown as they stand, never as markup.
    box.setTextFormat(Qt::PlainText);
    for (const ButtonPair& pair : kButtons) {
        if (buttons.Has(pair.ours)) {
            QPushButton* button = box.addButton(pair.qt);
            if (pair.ours == defaultButton) {
                box.setDefaultButton(button);
            }
        }
    }
    if (buttons.bits == 0) {
        box.addButton(QMessageBox::Ok);
    }
    const int result = box.exec();
    for (const ButtonPair& pair : kButtons) {
        if (result == pair.qt) {
            return pair.ours;
        }
    }
    return Button::None;
}

void QtPrompter::ShowPlainMessage(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, ToQt(title), ToQt(MessageLines(text)), QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtPrompter::SetStatusSink(std::function<void(std::string_view)> show, std::function<void()> hide,
                               std::function<void(std::size_t, std::size_t)> progress) {
    m_showStatus = std::move(show);
    m_hideStatus = std::move(hide);
    m_showProgress = std::move(progress);
    if (m_showStatus && !m_pendingStatus.empty()) {
        m_showStatus(std::exchange(m_pendingStatus, {}));
    }
}

void QtPrompter::SetStatus(std::string_view text) {
    if (m_showStatus) {
        m_showStatus(text);
    } else {
        m_pendingStatus += (m_pendingStatus.empty() ? "" : "  ") + std::string(text);
    }
}

void QtPrompter::HideStatus() {
    if (m_hideStatus) {
        m_hideStatus();
    }
}

void QtPrompter::ShowProgress(std::size_t done, std::size_t total) noexcept {
    if (m_showProgress) {
        m_showProgress(done, total);
    }
}

void QtPrompter::SetBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

std::filesystem::path QtPrompter::BrowseForFolder(std::string_view title,
                                                  const std::filesystem::path& initial) {
    const QString chosen = QFileDialog::getExistingDirectory(m_parent, ToQt(title), PathToQt(initial),
                                                             QFileDialog::ShowDirsOnly);
    return chosen.isEmpty() ? std::filesystem::path() : PathFromQt(chosen);
}

std::optional<std::size_t> QtPrompter::Choose(std::string_view question,
                                              const std::vector<std::string>& choices) {
    QStringList items;
    for (const std::string& choice : choices) {
        items.push_back(ToQt(choice));
    }
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(QStringLiteral("Seewolf"));
    dialog.setLabelText(ToQt(question));
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    // A long question wraps in a dialog of a readable width instead of widening it to one line.
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        label->setWordWrap(true);
    }
    dialog.setMinimumWidth(560);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const qsizetype index = items.indexOf(dialog.textValue());
    return index >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(index)) : std::nullopt;
}

void Guarded(Prompter& prompter, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Error& error) {
        prompter.ShowMessage(error.what(), MessageKind::Error, Button::Ok);
    } catch (const std::exception& error) {
        prompter.ShowMessage(std::string("Unexpected error: ") + error.what(), MessageKind::Error,
                             Button::Ok);
    }
}

void OnClickGuarded(QAbstractButton* button, Prompter& prompter, std::function<void()> handler) {
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [&prompter, handler = std::move(handler)] { Guarded(prompter, handler); });
}

}  // namespace seewolf::ui
