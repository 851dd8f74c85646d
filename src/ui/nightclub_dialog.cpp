#include "ui/nightclub_dialog.h"

#include <QSoundEffect>
#include <QUrl>

#include "app/error.h"
#include "app/settings.h"
#include "app/text.h"
#include "career/nightclub.h"
#include "ui/controls.h"
#include "ui/pictures.h"
#include "ui/qt_prompter.h"
#include "ui/qt_text.h"
#include "ui_nightclub_dialog.h"

namespace seewolf::ui {

NightclubDialog::NightclubDialog(const Paths& paths, const Language& language, Prompter& prompter,
                                 Random& random, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::NightclubDialog>()),
      m_paths(paths),
      m_language(language),
      m_prompter(prompter),
      m_random(random) {
    m_ui->setupUi(this);
    setStyleSheet(StyleSheet());
    // A dialog border without title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    m_sound = new QSoundEffect(this);
    m_sound->setObjectName(QStringLiteral("sndNC"));
    m_sound->setLoopCount(QSoundEffect::Infinite);

    OnClickGuarded(m_ui->sbNext, m_prompter, [this] { sbNextClick(); });
    connect(m_ui->sbClose, &QToolButton::clicked, this, &QDialog::reject);
}

NightclubDialog::~NightclubDialog() = default;

void NightclubDialog::TakeClosePicture(const QToolButton& close) {
    for (QToolButton* button : {m_ui->sbClose, m_ui->sbNext}) {
        button->setToolButtonStyle(close.toolButtonStyle());
        button->setIconSize(close.iconSize());
        button->resize(close.size());
    }
    m_ui->sbClose->setIcon(close.icon());
    m_ui->sbClose->setText(close.text());
    m_ui->sbClose->move(width() - 14 - m_ui->sbClose->width(), m_ui->sbClose->y());
    m_ui->sbNext->move(m_ui->sbClose->x() - m_ui->sbNext->width() - 6, m_ui->sbClose->y());
}

void NightclubDialog::Prepare(const SelectedCareer& career) {
    StopSound();
    m_notes.clear();
    const bool systemFont = ReadSettings(m_paths).UseSysFonts;
    const NightclubVisit visit = PlanNightclubVisit(m_paths, m_language, career, m_random);

    QFont font(systemFont ? QStringLiteral("Tahoma") : QStringLiteral("Desyrel"));
    font.setStyleHint(systemFont ? QFont::SansSerif : QFont::Cursive);
    font.setPixelSize(16);
    m_ui->mmoComments->setFont(font);
    m_ui->mmoComments->setPlainText(ToQt(MessageLines(visit.greeting)));
    if (visit.comments.empty()) {
        m_ui->mmoComments->appendPlainText(ToQt(MessageLines(visit.noNews)));
    }
    m_comments = visit.comments;
    m_next = 0;
    m_ui->sbNext->setVisible(!m_comments.empty());

    if (visit.missingTexts) {
        m_notes.push_back(*visit.missingTexts);
    }
    if (visit.picture) {
        ShowPicture(*visit.picture);
    }
    // Last, so that nothing above can leave a sound playing without the dialog.
    if (visit.sound) {
        PlaySound(*visit.sound);
    }
}

void NightclubDialog::ShowModal(const SelectedCareer& career) {
    {
        const BusyScope busy(m_prompter);
        Prepare(career);
    }
    for (const std::string& note : m_notes) {
        m_prompter.ShowMessage(note, MessageKind::Information, Button::Ok);
    }
    if (parentWidget() != nullptr) {
        move(parentWidget()->geometry().center() - rect().center());
    }
    exec();
}

void NightclubDialog::sbNextClick() {
    if (m_next >= m_comments.size()) {
        return;
    }
    // The comment's leading line break leaves an empty line before it.
    m_ui->mmoComments->appendPlainText(ToQt(MessageLines(m_comments[m_next])));
    ++m_next;
    m_ui->sbNext->setVisible(m_next < m_comments.size());
}

// A picture that cannot be read leaves the one shown before; the user hears which file it was.
void NightclubDialog::ShowPicture(const std::filesystem::path& picture) {
    try {
        m_ui->imgNC->setPixmap(JpegPixmap(picture));
    } catch (const Error& error) {
        m_notes.push_back("The nightclub picture " + PathText(picture) + " could not be shown (" +
                          error.what() + "); the picture before stays. Replace or remove that file.");
    }
}

// Without an audio device (or with a sound it cannot play) the effect stays silent: the
// nightclub is no less open for it.
void NightclubDialog::PlaySound(const std::filesystem::path& sound) {
    m_sound->setSource(QUrl::fromLocalFile(PathToQt(sound)));
    m_sound->play();
}

void NightclubDialog::StopSound() {
    m_sound->stop();
    m_sound->setSource(QUrl());
}

void NightclubDialog::done(int result) {
    StopSound();
    QDialog::done(result);
}

}  // namespace seewolf::ui
