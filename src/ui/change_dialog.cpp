#include "ui/change_dialog.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include "career/change.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "ui/controls.h"
#include "ui/qt_prompter.h"
#include "ui/qt_text.h"
#include "ui_change_dialog.h"

namespace seewolf::ui {

namespace {
constexpr const char* kGridMap = "documentation\\SH3_MAP.jpg";
}  // namespace

ChangeDialog::ChangeDialog(const Paths& paths, Random& random, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::ChangeDialog>()),
      m_paths(paths),
      m_random(random),
      m_prompter(prompter) {
    m_ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    setStyleSheet(StyleSheet());
    // A dialog border without title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    MakeBoatNumberBox(m_ui->cmbSubNo);
    MakeGridBox(m_ui->txtPatGrd);
    // Any edit offers Apply.
    connect(m_ui->cmbSubNo, &QComboBox::editTextChanged, m_ui->sbApply, &QWidget::show);
    connect(m_ui->txtPatGrd, &QLineEdit::textChanged, m_ui->sbApply, &QWidget::show);
    connect(m_ui->sbApply, &QToolButton::clicked, this,
            [this] { Guarded(m_prompter, [this] { sbApplyClick(); }); });
    connect(m_ui->sbCancel, &QToolButton::clicked, this, &QDialog::reject);
    connect(m_ui->cbFilter, &QCheckBox::clicked, this,
            [this] { Guarded(m_prompter, [this] { cbFilterClick(); }); });
    connect(m_ui->cmdRnd, &QPushButton::clicked, this,
            [this] { Guarded(m_prompter, [this] { cmdRndClick(); }); });
    connect(m_ui->cmdMap, &QPushButton::clicked, this,
            [this] { Guarded(m_prompter, [this] { cmdMapClick(); }); });
}

ChangeDialog::~ChangeDialog() = default;

void ChangeDialog::TakeButtonPictures(const QToolButton& launch, const QToolButton& close) {
    for (auto [button, picture] : {std::pair{m_ui->sbApply, &launch}, std::pair{m_ui->sbCancel, &close}}) {
        button->setIcon(picture->icon());
        button->setIconSize(picture->iconSize());
        button->setToolButtonStyle(picture->toolButtonStyle());
        button->resize(picture->size());
    }
    m_ui->sbApply->move(m_ui->sbCancel->x() - m_ui->sbApply->width() - 6, m_ui->sbApply->y());
}

void ChangeDialog::Prepare(const SelectedCareer& career, Mode mode, const std::string& gridText) {
    m_career = career;
    m_ui->grpUBoatNo->setVisible(mode == Mode::BoatNumber);
    m_ui->grpPatGrid->setVisible(mode == Mode::PatrolGrid);
    m_ui->txtPatGrd->setText(ToQt(gridText));
    m_ui->cmbSubNo->setEditText(ToQt(BoatNumberOf(career.SubName)));
    m_ui->cbFilter->setChecked(false);
    // The map button says so when the game has no grid map.
    const bool map = platform::FileExists(m_paths.Game(kGridMap));
    m_ui->cmdMap->setToolTip(map ? QStringLiteral("Show SH3 Grid Map")
                                 : QStringLiteral("The game's grid map (") + ToQt(kGridMap) +
                                       QStringLiteral(") is missing"));
    FillNumbers();
    m_ui->sbApply->hide();
    if (mode == Mode::BoatNumber) {
        m_ui->cmbSubNo->setFocus();
    } else {
        m_ui->txtPatGrd->setFocus();
    }
}

bool ChangeDialog::ShowModal(const SelectedCareer& career, Mode mode, const std::string& gridText) {
    Prepare(career, mode, gridText);
    if (parentWidget() != nullptr) {
        move(parentWidget()->geometry().center() - rect().center());
    }
    return exec() == QDialog::Accepted;
}

void ChangeDialog::FillNumbers() {
    const QString kept = m_ui->cmbSubNo->currentText();
    const QSignalBlocker blocker(m_ui->cmbSubNo);
    m_ui->cmbSubNo->clear();
    for (const std::string& number : BoatNumberList(m_paths, m_career, m_ui->cbFilter->isChecked())) {
        m_ui->cmbSubNo->addItem(ToQt(number));
    }
    m_ui->cmbSubNo->setEditText(kept);
}

void ChangeDialog::cbFilterClick() {
    FillNumbers();
}

void ChangeDialog::cmdRndClick() {
    if (const auto grid = RandomPatrolGrid(m_paths, m_career, m_random)) {
        m_ui->txtPatGrd->setText(ToQt(*grid));
    }
}

void ChangeDialog::cmdMapClick() {
    const std::filesystem::path map = m_paths.Game(kGridMap);
    if (!platform::FileExists(map)) {
        m_prompter.ShowMessage("The game's grid map is missing: " + platform::TextFromPath(map),
                               MessageKind::Error, Button::Ok);
        return;
    }
    platform::OpenDocument(map);
}

void ChangeDialog::sbApplyClick() {
    const std::string number = TypedFromQt(m_ui->cmbSubNo->currentText(), "boat number");
    const std::string grid = TypedFromQt(m_ui->txtPatGrd->text(), "patrol grid");
    if (number.empty() || grid.empty()) {
        m_prompter.ShowMessage(kInvalidDetails, MessageKind::Error, Button::Ok);
        return;
    }
    ApplyChange(m_paths, m_career, number, grid);
    m_ui->sbApply->hide();
    accept();
}

}  // namespace seewolf::ui
