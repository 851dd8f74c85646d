#include "ui/main_form.h"

#include "app/random.h"
#include "platform/files.h"
#include "ui/qt_prompter.h"
#include "ui/qt_text.h"
#include "ui_main_form.h"

namespace seewolf::ui {

TfrmMainForm::TfrmMainForm(const StartupResult& startup, Random& random, QtPrompter& prompter, QWidget* parent)
    : QWidget(parent),
      m_ui(std::make_unique<Ui::TfrmMainForm>()),
      m_paths(startup.paths),
      m_language(startup.language),
      m_commandLine(startup.commandLine),
      m_random(random),
      m_prompter(prompter) {
    m_ui->setupUi(this);
    setWindowTitle(ToQt(startup.caption));
    // A fixed-size window without a maximise button.
    setFixedSize(size());
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowMinimizeButtonHint |
                    Qt::WindowCloseButtonHint) &
                   ~Qt::WindowMaximizeButtonHint);

    m_prompter.SetParent(this);
    m_prompter.SetStatusSink([this](std::string_view text) { SetStatus(text); });

    connect(m_ui->sbClose, &QToolButton::clicked, this, [this] { Guarded(m_prompter, [this] { sbCloseClick(); }); });
    UpdateRollbackButton();
}

TfrmMainForm::~TfrmMainForm() {
    m_prompter.SetStatusSink({});
}

void TfrmMainForm::SetStatus(std::string_view text) {
    if (text == "^") {
        m_ui->lblStatus->hide();
        return;
    }
    m_ui->lblStatus->setText(ToQt(text));
    m_ui->lblStatus->show();
    m_ui->lblStatus->repaint();
}

void TfrmMainForm::BringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void TfrmMainForm::UpdateRollbackButton() {
    m_ui->sbRollback->setVisible(platform::FolderExists(platform::Resolve(m_paths.BackupFolder, "data")));
}

void TfrmMainForm::sbCloseClick() { close(); }

}  // namespace seewolf::ui
