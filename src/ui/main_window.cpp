#include "ui/main_window.h"

#include <utility>

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidgetItem>

#include "app/error.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/settings.h"
#include "app/version.h"
#include "career/actions.h"
#include "career/new_career.h"
#include "career/portrait.h"
#include "crew/random_name.h"
#include "launch/backup.h"
#include "platform/files.h"
#include "reports/personnel_file.h"
#include "ui/about_dialog.h"
#include "ui/change_dialog.h"
#include "ui/controls.h"
#include "ui/crew_manager_dialog.h"
#include "ui/options_dialog.h"
#include "ui/pictures.h"
#include "ui/qt_prompter.h"
#include "ui/qt_text.h"
#include "ui/report_done.h"
#include "ui/update_dialog.h"
#include "ui/user_guide.h"
#include "ui_main_window.h"

namespace seewolf::ui {

namespace {

constexpr const char* kActive = "seewolfLink";  // property: the label acts as a link now

// Refills a list and its hidden parallel list (`hiddenValue` of each choice) and selects the
// remembered entry, else the first; the list's change handler does not run.
template <typename Choice>
void FillChoices(QComboBox* shown, QComboBox* hidden, const std::vector<Choice>& offered,
                 std::string Choice::*hiddenValue, const std::string& remembered) {
    const QSignalBlocker blocker(shown);
    shown->clear();
    hidden->clear();
    std::vector<std::string> names;
    for (const Choice& choice : offered) {
        shown->addItem(ToQt(choice.name));
        hidden->addItem(ToQt(choice.*hiddenValue));
        names.push_back(choice.name);
    }
    shown->setCurrentIndex(KeptChoice(names, remembered));
}

}  // namespace

MainWindow::MainWindow(const StartupResult& startup, Random& random, Prompter& prompter, QWidget* parent)
    : QWidget(parent),
      m_ui(std::make_unique<Ui::MainWindow>()),
      m_paths(startup.paths),
      m_language(startup.language),
      m_commandLine(startup.commandLine),
      m_random(random),
      m_prompter(prompter) {
    m_ui->setupUi(this);
    setStyleSheet(StyleSheet());
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setToolTipDuration(20000);
    }
    setWindowTitle(ToQt(startup.caption));
    // A fixed-size window without a maximise button.
    setFixedSize(size());
    setWindowFlags(
        (windowFlags() | Qt::CustomizeWindowHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) &
        ~Qt::WindowMaximizeButtonHint);
    // It opens centred on the desktop.
    if (const QScreen* desktop = QGuiApplication::primaryScreen()) {
        move(desktop->availableGeometry().center() - rect().center());
    }
    // The user guide stays out of sight when the program folder has none.
    m_ui->imgHelp->setVisible(platform::FileExists(m_paths.Prog(kUserGuide)));

    // The year and month fields are read-only edits with up-down buttons.
    for (auto [spin, name] : {std::pair{m_ui->udYear, "txtYear"}, std::pair{m_ui->udMth, "txtMth"}}) {
        auto* edit = spin->findChild<QLineEdit*>();
        edit->setObjectName(name);
        edit->setReadOnly(true);
    }
    MakeBoatNumberBox(m_ui->cmbSubNo);
    MakeGridBox(m_ui->txtPatGrd);

    // The tree: read-only, flat, the selection stays visible when the tree loses the focus.
    QPalette palette = m_ui->tvCareer->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    m_ui->tvCareer->setPalette(palette);
    connect(m_ui->tvCareer, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) {
            const int index = m_ui->tvCareer->indexOfTopLevelItem(item);
            Guard([this, index] { tvCareerChange(index); });
        }
    });

    // "New career" while it holds a continued career: a click on it starts a new one afresh.
    connect(m_ui->tvCareer, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (m_career.ContinueCareer && m_ui->tvCareer->indexOfTopLevelItem(item) == 0) {
            Guard([this] { tvCareerChange(0); });
        }
    });
    connect(m_ui->udYear, &QSpinBox::valueChanged, this, [this] { Guard([this] { txtYearChange(); }); });
    connect(m_ui->udMth, &QSpinBox::valueChanged, this, [this] { Guard([this] { txtMthChange(); }); });
    connect(m_ui->cmbFlotNm, &QComboBox::currentIndexChanged, this,
            [this] { Guard([this] { cmbFlotNmChange(); }); });
    connect(m_ui->cmbSubType, &QComboBox::currentIndexChanged, this,
            [this] { Guard([this] { cmbSubTypeChange(); }); });
    connect(m_ui->cmdRndNm, &QPushButton::clicked, this, [this] { Guard([this] { cmdRndNmClick(); }); });
    connect(m_ui->cmdFlotInfo, &QPushButton::clicked, this,
            [this] { Guard([this] { cmdFlotInfoClick(); }); });
    connect(m_ui->sbClose, &QToolButton::clicked, this, [this] { Guard([this] { sbCloseClick(); }); });
    connect(m_ui->sbLaunch, &QToolButton::clicked, this, [this] { Guard([this] { sbLaunchClick(); }); });
    connect(m_ui->sbRollback, &QToolButton::clicked, this, [this] { Guard([this] { sbRollbackClick(); }); });
    connect(m_ui->sbOptions, &QToolButton::clicked, this, [this] { Guard([this] { sbOptionsClick(); }); });

    for (QLabel* label :
         {m_ui->lblCarSts, m_ui->lblUBoatNb, m_ui->lblUBoatTyp, m_ui->lblPatGrd, m_ui->lblAct}) {
        label->installEventFilter(this);
    }
    // What the career files hold is shown as it stands: a "<" in a name is no markup.
    for (QLabel* label : {m_ui->lblSig, m_ui->lblNm, m_ui->lblRnk, m_ui->lblCarSts, m_ui->lblCarDt,
                          m_ui->lblLstPatEnd, m_ui->lblUBoatNb, m_ui->lblUBoatTyp, m_ui->lblFlot,
                          m_ui->lblPatGrd, m_ui->lblCarSvdDt, m_ui->lblStatus, m_ui->lblRmndr}) {
        label->setTextFormat(Qt::PlainText);
    }
    for (QLabel* label : {m_ui->lblAbout, m_ui->lblChk4Updt}) {
        HTMLLabel(label, true);
        label->installEventFilter(this);
    }
    MakeMenus();
    m_ui->imgClips->installEventFilter(this);
    m_ui->imgHelp->installEventFilter(this);
    m_ui->imgHelp->setCursor(Qt::PointingHandCursor);

    m_change = std::make_unique<ChangeDialog>(m_paths, m_random, m_prompter, this);
    m_change->TakeButtonPictures(*m_ui->sbLaunch, *m_ui->sbClose);
    OptionsDialog::Hooks hooks;
    hooks.applyDetailFont = [this](bool useSystemFont) { ApplyDetailFont(useSystemFont); };
    hooks.restart = [this] { m_restartRequested = true; };
    m_options = std::make_unique<OptionsDialog>(m_paths, m_prompter, std::move(hooks), this);
    m_about = std::make_unique<AboutDialog>(m_prompter, ProgramVersion(), this);
    m_update = std::make_unique<UpdateDialog>(m_prompter, this);
    UpdateRollbackButton();
    Guard([this] { FillCrewSets(); });
    Guard([this] { LoadWindowPictures(); });
    Guard([this] { PopulateTreeView(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::Guard(const std::function<void()>& handler) {
    Guarded(m_prompter, handler);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Guard([this] { ApplyDetailFont(ReadSettings(m_paths).UseSysFonts); });
    if (!m_unlistedBeforeShown.empty()) {
        QTimer::singleShot(0, this, [this] {
            Guard([this] { ReportUnlistedCareers(std::exchange(m_unlistedBeforeShown, {})); });
        });
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->imgClips && event->type() == QEvent::MouseButtonDblClick) {
        Guard([this] { imgClipsDblClick(); });
        return true;
    }
    if (watched == m_ui->imgHelp && event->type() == QEvent::MouseButtonRelease) {
        Guard([this] { OpenUserGuide(m_paths); });
        return true;
    }
    // A link acts on a left click, and on Return or Space when it has the keyboard focus.
    const auto activates = [event] {
        if (event->type() == QEvent::MouseButtonRelease) {
            return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        }
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
        }
        return false;
    };
    if (watched->property(kActive).toBool() && activates()) {
        if (watched == m_ui->lblCarSts) {
            Guard([this] { lblCarStsClick(); });
        } else if (watched == m_ui->lblUBoatNb) {
            Guard([this] { lblUBoatNbClick(); });
        } else if (watched == m_ui->lblPatGrd) {
            Guard([this] { lblPatGrdClick(); });
        } else if (watched == m_ui->lblUBoatTyp) {
            Guard([this] { lblUBoatTypClick(); });
        } else if (watched == m_ui->lblAct) {
            Guard([this] { lblActClick(); });
        } else if (watched == m_ui->lblAbout) {
            Guard([this] { lblAboutClick(); });
        } else if (watched == m_ui->lblChk4Updt) {
            Guard([this] { lblChk4UpdtClick(); });
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::lblAboutClick() {
    m_about->exec();
}

void MainWindow::lblChk4UpdtClick() {
    m_update->ShowModal();
    // The download page was opened: Seewolf ends, as the dialog said it would.
    if (m_update->QuitRequested()) {
        close();
    }
}

void MainWindow::HideStatus() {
    m_ui->lblStatus->hide();
}

void MainWindow::SetStatus(std::string_view text) {
    m_statusText = ToQt(text);
    m_ui->lblStatus->setText(m_statusText);
    m_ui->lblStatus->show();
    m_ui->lblStatus->repaint();
    m_progressShown.invalidate();  // a new step shows its first count at once
}

void MainWindow::ShowProgress(std::size_t done, std::size_t total) noexcept {
    constexpr qint64 kInterval = 100;  // milliseconds
    const bool due = !m_progressShown.isValid() || m_progressShown.elapsed() >= kInterval;
    if (!due && done != total) {
        return;
    }
    // Grouped as the program's English texts are ("2,000"), whatever the desktop's language.
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QString count = english.toString(static_cast<qulonglong>(done)) + QStringLiteral(" of ") +
                          english.toString(static_cast<qulonglong>(total)) + QStringLiteral(" files");
    m_ui->lblStatus->setText(m_statusText.isEmpty() ? count : m_statusText + QStringLiteral(" ") + count);
    m_ui->lblStatus->show();
    m_ui->lblStatus->repaint();
    if (due) {
        // Paint requests and the like only: a click or key press waits until the task has ended,
        // so it can neither start a second launch nor change the selection under this one.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_progressShown.start();
    }
}

void MainWindow::BringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void MainWindow::UpdateRollbackButton() {
    m_ui->sbRollback->setVisible(BackupHoldsFiles(m_paths));
}

void MainWindow::LoadWindowPictures() {
    const QPixmap desk = TgaPixmap(m_paths.Prog("Gui\\SeewolfMenu.tga"));
    if (desk.width() > 1) {
        m_ui->imgMain->setPixmap(desk);
    }
    const QPixmap sheet = TgaPixmap(m_paths.Prog("Gui\\SeewolfExCar.tga"));
    if (sheet.width() > 1) {
        m_ui->imgExCar->setPixmap(sheet);
    }
    const QPixmap clips = TgaPixmap(m_paths.Prog("Gui\\Clips.tga"), true);
    if (clips.width() > 1) {
        m_ui->imgClips->setPixmap(clips);
    }
}

void MainWindow::FillCrewSets() {
    m_ui->cmbUseCrew->clear();
    m_ui->cmbUseCrew->addItem(QStringLiteral("Already in SH3"));
    for (const std::string& set : CrewSets(m_paths)) {
        m_ui->cmbUseCrew->addItem(ToQt(set));
    }
    m_ui->cmbUseCrew->setCurrentIndex(0);
}

void MainWindow::PopulateTreeView() {
    QTreeWidget* tree = m_ui->tvCareer;
    std::vector<std::filesystem::path> unlisted;
    {
        const QSignalBlocker blocker(tree);
        tree->setUpdatesEnabled(false);
        tree->clear();
        tree->addTopLevelItem(new QTreeWidgetItem(QStringList(QStringLiteral("New career"))));
        tree->addTopLevelItem(new QTreeWidgetItem(QStringList(QStringLiteral("Single mission"))));
        CareerListing listing = ListCareerFolders(m_paths);
        m_careerNames = std::move(listing.names);
        unlisted = std::move(listing.unlisted);
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(m_careerNames.size()));
        for (const std::string& name : m_careerNames) {
            items.append(new QTreeWidgetItem(QStringList(ToQt(name))));
        }
        tree->addTopLevelItems(items);
        // The latest career is selected again; the fixed entries are matched first.
        const QString latest = ToQt(LatestCareer(m_paths));
        QTreeWidgetItem* selected = tree->topLevelItem(0);
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (tree->topLevelItem(i)->text(0) == latest) {
                selected = tree->topLevelItem(i);
                break;
            }
        }
        tree->setCurrentItem(selected);
        tree->setUpdatesEnabled(true);
    }
    ReportUnlistedCareers(unlisted);  // before the sheet, whose loading may fail
    tvCareerChange(tree->indexOfTopLevelItem(tree->currentItem()));
}

// The tree is refilled after every change and roll-back: each folder is reported once a run, the
// first time it is found, so that the warning does not come back at every refill while a folder
// that appears later is still named.
void MainWindow::ReportUnlistedCareers(const std::vector<std::filesystem::path>& unlisted) {
    if (!isVisible()) {
        // At start the tree is filled before the window shows: the warning waits for the window,
        // so that it does not stand alone on the desktop.
        m_unlistedBeforeShown.insert(m_unlistedBeforeShown.end(), unlisted.begin(), unlisted.end());
        return;
    }
    std::string folders;
    for (const std::filesystem::path& folder : unlisted) {
        if (m_reportedUnlisted.insert(folder).second) {
            folders += "\n" + platform::TextFromPath(folder);
        }
    }
    if (folders.empty()) {
        return;
    }
    m_prompter.ShowMessage(
        "These career folders are not listed: their names hold characters that the game "
        "cannot use (shown as \"?\"; it keeps names in the Windows-1252 code page)." +
            folders +
            "\n\nRename such a folder using other characters, and its career appears "
            "in the list.",
        MessageKind::Warning, Button::Ok);
}

void MainWindow::ShowExCareer(bool existing) {
    setUpdatesEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_ui->imgExCar,       m_ui->shImgCaptain, m_ui->imgCaptain,  m_ui->imgClips,
             m_ui->lblSig,         m_ui->lblNm,        m_ui->lblRnk,      m_ui->lblCarSts,
             m_ui->lblCarDt,       m_ui->lblLstPatEnd, m_ui->lblUBoatNb,  m_ui->lblUBoatTyp,
             m_ui->lblFlot,        m_ui->lblPatGrd,    m_ui->lblCarSvdDt, m_ui->lblAct,
             m_ui->capExNm,        m_ui->capExRnk,     m_ui->capExCarSts, m_ui->capExCarDt,
             m_ui->capExLstPatEnd, m_ui->capExUBoat,   m_ui->capExFlot,   m_ui->capExPatGrd,
             m_ui->capExCarSvdDt}) {
        w->setVisible(existing);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_ui->txtCmdrNm, m_ui->cmdRndNm, m_ui->udYear, m_ui->udMth, m_ui->cmbFlotNm, m_ui->cmdFlotInfo,
             m_ui->cmbSubType, m_ui->cmbSubNo, m_ui->cmbUseCrew, m_ui->chkRndCrewDets, m_ui->txtPatGrd,
             m_ui->lblRmndr}) {
        SetNewCareerVisible(w, !existing);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->capDate, m_ui->capFlotNm, m_ui->capSubType,
                                                      m_ui->capUseCrew}) {
        w->setVisible(!existing);
    }
    setUpdatesEnabled(true);
}

// A new-career control and its caption are shown and hidden together.
void MainWindow::SetNewCareerVisible(QWidget* control, bool visible) {
    control->setVisible(visible);
    QWidget* caption = nullptr;
    if (control == m_ui->txtCmdrNm) {
        caption = m_ui->capCmdrNm;
    } else if (control == m_ui->cmbSubNo) {
        caption = m_ui->capSubNo;
    } else if (control == m_ui->txtPatGrd) {
        caption = m_ui->capPatGrd;
    } else if (control == m_ui->cmbUseCrew) {
        caption = m_ui->capUseCrew;
    }
    if (caption != nullptr) {
        caption->setVisible(visible);
    }
}

void MainWindow::tvCareerChange(int index) {
    ShowExCareer(index > 1);
    if (index <= 1) {
        // The fixed entries start from a clean record: nothing of the career shown before (its
        // "in other base" toggle above all) may reach their launch.
        m_career = SelectedCareer{};
        m_career.CareerStatus = index == 0 ? CareerStatus::NewCareer : CareerStatus::SingleMission;
        ShowForContCareer(false);
        m_ui->sbLaunch->show();
        const bool newCareer = index == 0;
        for (QWidget* w : std::initializer_list<QWidget*>{m_ui->txtCmdrNm, m_ui->cmdRndNm, m_ui->cmbSubNo,
                                                          m_ui->txtPatGrd}) {
            SetNewCareerVisible(w, newCareer);
        }
        const QString number = m_ui->cmbSubNo->currentText();
        m_ui->cmbSubNo->clear();
        m_ui->cmbSubNo->setEditText(number);
        LayOutNewCareerRows();
        m_ui->lblRmndr->setText(
            QStringLiteral("Don't forget to select the same year and ") +
            (newCareer ? QStringLiteral("Flotilla when starting your career in Silent Hunter III!")
                       : QStringLiteral("U-boat type when starting your mission in Silent Hunter III!")));
        repaint();
        txtYearChange();
        return;
    }
    ShowCareer(m_careerNames.at(static_cast<std::size_t>(index - 2)));
}

void MainWindow::ShowCareer(const std::string& name) {
    // Until the career has loaded, the sheet is empty and nothing can act on the career shown
    // before: a career that fails to load leaves it so.
    ClearSheet();
    m_career = LoadCareer(m_paths, m_language, name);
    const RecordSheet sheet = MakeRecordSheet(m_career, m_language.dates);
    m_ui->lblNm->setText(ToQt(sheet.name));
    m_ui->lblSig->setText(ToQt(sheet.name));
    m_ui->lblRnk->setText(ToQt(sheet.rank));
    m_ui->lblCarSts->setText(ToQt(sheet.status));
    m_ui->lblCarDt->setText(ToQt(sheet.date));
    m_ui->lblLstPatEnd->setText(ToQt(sheet.lastPatrolEnd));
    m_ui->lblUBoatNb->setText(ToQt(sheet.boat));
    m_ui->lblUBoatTyp->setText(ToQt(sheet.type));
    m_ui->lblFlot->setText(ToQt(sheet.flotilla));
    m_ui->lblPatGrd->setText(ToQt(sheet.grid));
    m_ui->lblCarSvdDt->setText(ToQt(sheet.saved));

    HTMLLabel(m_ui->lblCarSts, sheet.statusLink);
    HTMLLabel(m_ui->lblUBoatNb, sheet.boatLinks);
    HTMLLabel(m_ui->lblUBoatTyp, sheet.boatLinks);
    HTMLLabel(m_ui->lblPatGrd, sheet.gridLink);
    HTMLLabel(m_ui->lblAct, true);
    UpdateActionItems();
    FitDetailLabels();
    PlaceBoatType();
    m_ui->sbLaunch->setVisible(sheet.launchVisible);

    if (StartsInOtherBase(m_career)) {
        lblCarStsClick();
    }
    GenerateCmdrHistory();
}

void MainWindow::ClearSheet() {
    m_career = SelectedCareer{};
    for (QLabel* label :
         {m_ui->lblNm, m_ui->lblSig, m_ui->lblRnk, m_ui->lblCarSts, m_ui->lblCarDt, m_ui->lblLstPatEnd,
          m_ui->lblUBoatNb, m_ui->lblUBoatTyp, m_ui->lblFlot, m_ui->lblPatGrd, m_ui->lblCarSvdDt}) {
        label->clear();
        HTMLLabel(label, false);
    }
    HTMLLabel(m_ui->lblAct, false);
    m_ui->imgCaptain->clear();
    m_ui->sbLaunch->hide();
}

// The boat type follows the boat name, 4 pixels after the end of its text.
void MainWindow::PlaceBoatType() {
    QRect number = m_ui->lblUBoatNb->geometry();
    number.setWidth(m_ui->lblUBoatNb->fontMetrics().horizontalAdvance(m_ui->lblUBoatNb->text()) + 2);
    m_ui->lblUBoatNb->setGeometry(number);
    QRect type = m_ui->lblUBoatTyp->geometry();
    type.moveLeft(number.left() + number.width() + 4);
    m_ui->lblUBoatTyp->setGeometry(type);
}

void MainWindow::HTMLLabel(QLabel* label, bool active) {
    label->setProperty(kActive, active);
    QFont font = label->font();
    font.setUnderline(active);
    label->setFont(font);
    label->setCursor(active ? Qt::PointingHandCursor : Qt::ArrowCursor);
    label->setFocusPolicy(active ? Qt::StrongFocus : Qt::NoFocus);  // links are reached with Tab too
    // The hint shows only while the label acts as a link.
    static const char* kHint = "seewolfHint";
    if (!label->property(kHint).isValid()) {
        label->setProperty(kHint, label->toolTip());
    }
    label->setToolTip(active ? label->property(kHint).toString() : QString());
}

void MainWindow::GenerateCmdrHistory() {
    const std::vector<std::string> items = EnsureCareerHistory(m_paths, m_career.Name, m_random);
    if (items.size() > kHistoryPortrait) {
        ShowPortrait(items[kHistoryPortrait]);
    } else {
        m_ui->imgCaptain->clear();  // a record without a portrait shows none
    }
}

void MainWindow::ShowPortrait(const std::string& number) {
    m_ui->imgCaptain->setPixmap(JpegPixmap(m_paths.Prog("Images\\" + number + ".jpg")));
}

void MainWindow::ShowForContCareer(bool continuing) {
    m_career.ContinueCareer = continuing;
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->cmbFlotNm, m_ui->cmbSubType, m_ui->cmbSubNo,
                                                      m_ui->udMth, m_ui->udYear}) {
        w->setEnabled(!continuing);
    }
    SetNewCareerVisible(m_ui->cmbUseCrew, !continuing);
    m_ui->chkRndCrewDets->setVisible(!continuing);
    LayOutNewCareerRows();
}

// The new-career rows stand one under the other; a hidden row leaves no gap, the rows below it
// move up, and the reminder follows the last row.
void MainWindow::LayOutNewCareerRows() {
    struct Row {
        QWidget* caption;
        std::initializer_list<QWidget*> controls;  // the first decides whether the row shows
    };
    const Row rows[] = {
        {m_ui->capCmdrNm, {m_ui->txtCmdrNm, m_ui->cmdRndNm}},
        {m_ui->capDate, {m_ui->udYear, m_ui->udMth}},
        {m_ui->capFlotNm, {m_ui->cmbFlotNm, m_ui->cmdFlotInfo}},
        {m_ui->capSubType, {m_ui->cmbSubType}},
        {m_ui->capSubNo, {m_ui->cmbSubNo}},
        {m_ui->capPatGrd, {m_ui->txtPatGrd}},
        {m_ui->capUseCrew, {m_ui->cmbUseCrew}},
        {nullptr, {m_ui->chkRndCrewDets}},
    };
    constexpr int kFirstTop = 62;
    constexpr int kPitch = 42;
    int top = kFirstTop;
    for (const Row& row : rows) {
        if ((*row.controls.begin())->isHidden()) {
            continue;
        }
        for (QWidget* control : row.controls) {
            control->move(control->x(), top);
        }
        if (row.caption != nullptr) {
            row.caption->move(row.caption->x(), top + 2);
        }
        top += kPitch;
    }
    m_ui->lblRmndr->move(m_ui->lblRmndr->x(), top + 6);
}

void MainWindow::txtYearChange() {
    const int year = m_ui->udYear->value();
    const MonthRange months = MonthsOf(m_paths, year);
    {
        // Narrowing the range moves the month into it; the flotillas are refilled once below.
        const QSignalBlocker blocker(m_ui->udMth);
        m_ui->udMth->setRange(months.first, months.last);
    }
    const QString hint = ToQt(YearHint(m_paths, m_language, year));
    m_ui->udYear->setToolTip(hint);
    m_ui->udYear->findChild<QLineEdit*>()->setToolTip(hint);
    txtMthChange();
}

void MainWindow::txtMthChange() {
    const int month = m_ui->udMth->value();
    const QString hint = ToQt(m_language.dates.monthNames[static_cast<std::size_t>(month - 1)]);
    m_ui->udMth->setToolTip(hint);
    m_ui->udMth->findChild<QLineEdit*>()->setToolTip(hint);
    UpdateFlotilla();
}

// The lists are emptied before their entries are computed: when that fails (a date in the game's
// files that does not exist), no entry offered for another date may stay behind to be launched.
void MainWindow::EmptyChoices(bool flotillas) {
    if (flotillas) {
        const QSignalBlocker blocker(m_ui->cmbFlotNm);
        m_ui->cmbFlotNm->clear();
        m_ui->cmbFlotNb->clear();
        m_ui->cmdFlotInfo->setEnabled(false);
    }
    {
        const QSignalBlocker blocker(m_ui->cmbSubType);
        m_ui->cmbSubType->clear();
        m_ui->cmbSubTypeNb->clear();
    }
    // The number the player typed stays; only the offered ones go.
    const QString typed = m_ui->cmbSubNo->currentText();
    m_ui->cmbSubNo->clear();
    m_ui->cmbSubNo->setEditText(typed);
}

void MainWindow::UpdateFlotilla() {
    const std::string remembered = FromQt(m_ui->cmbFlotNm->currentText());
    const std::string rememberedType = FromQt(m_ui->cmbSubType->currentText());
    EmptyChoices(true);
    const std::vector<FlotillaChoice> offered = OfferedFlotillas(m_paths, m_language, m_career.CareerStatus,
                                                                 m_ui->udYear->value(), m_ui->udMth->value());
    FillChoices(m_ui->cmbFlotNm, m_ui->cmbFlotNb, offered, &FlotillaChoice::id, remembered);
    m_ui->cmdFlotInfo->setEnabled(m_ui->cmbFlotNm->currentIndex() >= 0);
    FillBoatTypes(rememberedType);
}

void MainWindow::cmbFlotNmChange() {
    FillBoatTypes(FromQt(m_ui->cmbSubType->currentText()));
}

void MainWindow::FillBoatTypes(const std::string& remembered) {
    EmptyChoices(false);
    const int flotilla = m_ui->cmbFlotNm->currentIndex();
    std::vector<BoatTypeChoice> offered;
    if (flotilla >= 0 || m_career.CareerStatus == CareerStatus::SingleMission) {
        offered =
            OfferedBoatTypes(m_paths, m_career.CareerStatus, FromQt(m_ui->cmbFlotNb->itemText(flotilla)),
                             m_ui->udYear->value(), m_ui->udMth->value(), ReadSettings(m_paths).UseSubDts);
    }
    FillChoices(m_ui->cmbSubType, m_ui->cmbSubTypeNb, offered, &BoatTypeChoice::number, remembered);
    m_ui->cmdFlotInfo->setEnabled(flotilla >= 0);
    cmbSubTypeChange();
}

void MainWindow::cmbSubTypeChange() {
    const QString remembered = m_ui->cmbSubNo->currentText();
    m_ui->cmbSubNo->clear();
    const int flotilla = m_ui->cmbFlotNm->currentIndex();
    if (m_ui->cmbSubType->currentIndex() >= 0 && flotilla >= 0) {
        for (const std::string& number : OfferedBoatNumbers(m_paths, FromQt(m_ui->cmbSubType->currentText()),
                                                            FromQt(m_ui->cmbFlotNb->itemText(flotilla)))) {
            m_ui->cmbSubNo->addItem(ToQt(number));
        }
    }
    m_ui->cmbSubNo->setEditText(remembered);
}

void MainWindow::cmdRndNmClick() {
    m_ui->txtCmdrNm->setText(ToQt(RandomName(m_paths, m_random, true)));
}

void MainWindow::cmdFlotInfoClick() {
    const int flotilla = m_ui->cmbFlotNm->currentIndex();
    if (flotilla < 0) {
        return;
    }
    const FlotillaInfo info =
        DescribeFlotilla(m_paths, m_language, FromQt(m_ui->cmbFlotNb->itemText(flotilla)),
                         FromQt(m_ui->cmbFlotNm->currentText()));
    m_prompter.ShowPlainMessage(info.title, info.text);
}

void MainWindow::lblCarStsClick() {
    switch (m_career.CareerStatus) {
        case CareerStatus::InBase:
            m_career.InOtherBase = !m_career.InOtherBase;
            m_ui->lblCarSts->setText(ToQt(InBaseStatusText(m_career)));
            FitDetailLabels();
            break;
        case CareerStatus::LostAtSea:
            pumStsSurClick();
            break;
        case CareerStatus::Retired:
            pumRetRetClick();
            break;
        default:
            break;
    }
}

void MainWindow::lblUBoatNbClick() {
    if (m_change->ShowModal(m_career, ChangeDialog::Mode::BoatNumber, FromQt(m_ui->lblPatGrd->text()))) {
        tvCareerChange(m_ui->tvCareer->indexOfTopLevelItem(m_ui->tvCareer->currentItem()));
    }
}

void MainWindow::lblPatGrdClick() {
    if (m_change->ShowModal(m_career, ChangeDialog::Mode::PatrolGrid, FromQt(m_ui->lblPatGrd->text()))) {
        tvCareerChange(m_ui->tvCareer->indexOfTopLevelItem(m_ui->tvCareer->currentItem()));
    }
}

void MainWindow::imgClipsDblClick() {
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Select image to display"),
                                                        PathToQt(m_paths.ProgFolder / "Images" / "*.jpg"),
                                                        QStringLiteral("JPEG Image File (*.jpg)"));
    if (!chosen.isEmpty()) {
        ChoosePortrait(PathFromQt(chosen));
    }
}

void MainWindow::ChoosePortrait(const std::filesystem::path& chosen) {
    if (!IsPortraitFile(m_paths, chosen)) {
        m_prompter.ShowMessage("Image must be a JPG file and must reside in the Seewolf \"Images\" folder!",
                               MessageKind::Error, Button::Ok);
        return;
    }
    // The record keeps the picture's name in Windows-1252: a name it cannot hold would be kept as
    // "?" and lead to no picture.
    const std::string number = TypedFromQt(PathToQt(chosen.stem()), "picture name");
    m_ui->imgCaptain->setPixmap(JpegPixmap(chosen));
    std::vector<std::string> items = ReadCareerHistory(m_paths, m_career.Name);
    if (items.size() > kHistoryPortrait) {
        items[kHistoryPortrait] = number;
        WriteCareerHistory(m_paths, m_career.Name, items);
    }
}

void MainWindow::ApplyDetailFont(bool useSystemFont) {
    QFont font(useSystemFont ? QStringLiteral("Tahoma") : QStringLiteral("Desyrel"));
    font.setStyleHint(useSystemFont ? QFont::SansSerif : QFont::Cursive);
    font.setPointSize(useSystemFont ? 10 : 13);
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->lblNm,
                                                      m_ui->lblRnk,
                                                      m_ui->lblCarSts,
                                                      m_ui->lblCarDt,
                                                      m_ui->lblLstPatEnd,
                                                      m_ui->lblUBoatNb,
                                                      m_ui->lblUBoatTyp,
                                                      m_ui->lblFlot,
                                                      m_ui->lblPatGrd,
                                                      m_ui->lblCarSvdDt,
                                                      m_ui->lblAct,
                                                      m_ui->txtCmdrNm,
                                                      m_ui->udYear,
                                                      m_ui->udMth,
                                                      m_ui->cmbFlotNm,
                                                      m_ui->cmbSubType,
                                                      m_ui->cmbSubNo,
                                                      m_ui->cmbUseCrew,
                                                      m_ui->txtPatGrd,
                                                      m_ui->udYear->findChild<QLineEdit*>(),
                                                      m_ui->udMth->findChild<QLineEdit*>()}) {
        QFont own = font;
        own.setUnderline(w->font().underline());
        w->setFont(own);
    }
    m_detailFont = font;
    FitDetailLabels();
    PlaceBoatType();
}

// A detail text too long for its label is written smaller rather than cut off.
void MainWindow::FitDetailLabels() {
    if (!m_detailFont) {
        return;  // the detail font is chosen when the window is shown
    }
    constexpr int kSmallestPoints = 8;
    for (QLabel* label : {m_ui->lblNm, m_ui->lblRnk, m_ui->lblCarSts, m_ui->lblCarDt, m_ui->lblLstPatEnd,
                          m_ui->lblFlot, m_ui->lblPatGrd, m_ui->lblCarSvdDt}) {
        QFont font = *m_detailFont;
        font.setUnderline(label->font().underline());
        while (font.pointSize() > kSmallestPoints &&
               QFontMetrics(font).horizontalAdvance(label->text()) > label->width()) {
            font.setPointSize(font.pointSize() - 1);
        }
        label->setFont(font);
    }
}

void MainWindow::sbCloseClick() {
    close();
}

LaunchRequest MainWindow::MakeLaunchRequest() const {
    LaunchRequest request;
    request.career = m_career;
    request.treeEntry =
        FromQt(m_ui->tvCareer->currentItem() != nullptr ? m_ui->tvCareer->currentItem()->text(0) : QString());
    request.year = m_ui->udYear->value();
    request.month = m_ui->udMth->value();
    request.flotillaName = FromQt(m_ui->cmbFlotNm->currentText());
    const int flotilla = m_ui->cmbFlotNm->currentIndex();
    request.flotillaId = flotilla >= 0 ? FromQt(m_ui->cmbFlotNb->itemText(flotilla)) : std::string();
    request.boatTypeName = FromQt(m_ui->cmbSubType->currentText());
    const int type = m_ui->cmbSubType->currentIndex();
    request.boatTypeNumber = type >= 0 ? m_ui->cmbSubTypeNb->itemText(type).toInt() : 0;
    if (m_career.CareerStatus == CareerStatus::NewCareer) {
        // What the player typed goes into the game's files: a character they cannot hold stops the
        // launch here, before anything changes, instead of being written as "?". The boxes belong
        // to the new career only; hidden, they hold nothing that is used.
        request.commanderName = TypedFromQt(m_ui->txtCmdrNm->text(), "commander name");
        request.boatNumber = TypedFromQt(m_ui->cmbSubNo->currentText(), "boat number");
        request.patrolGrid = TypedFromQt(m_ui->txtPatGrd->text(), "patrol grid");
    }
    request.crewSet =
        m_ui->cmbUseCrew->currentIndex() > 0 ? FromQt(m_ui->cmbUseCrew->currentText()) : std::string();
    request.randomCrewDetails = m_ui->chkRndCrewDets->isChecked();
    request.noLaunch = m_commandLine.NoLaunch();
    return request;
}

void MainWindow::sbLaunchClick() {
    LaunchHooks hooks;
    hooks.setWindowEnabled = [this](bool enabled) { setEnabled(enabled); };
    hooks.keepResponsive = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); };
    // However the launch ends short of starting the game, the window shows what it left: no
    // progress text, and the Roll back button exactly when files remain to roll back.
    const auto showWhatRemains = [this] {
        HideStatus();
        UpdateRollbackButton();
    };
    LaunchOutcome outcome = LaunchOutcome::Refused;
    try {
        const BusyScope busy(m_prompter);
        outcome = RunLaunch(m_paths, m_language, MakeLaunchRequest(), m_prompter, m_random, hooks);
    } catch (...) {
        showWhatRemains();
        throw;  // the handler's guard shows the error
    }
    if (outcome == LaunchOutcome::Launched) {
        close();
        return;
    }
    showWhatRemains();
    if (outcome == LaunchOutcome::CareerEnded) {
        // The career files now say it is over: show it so.
        tvCareerChange(m_ui->tvCareer->indexOfTopLevelItem(m_ui->tvCareer->currentItem()));
    }
}

void MainWindow::sbOptionsClick() {
    m_options->ShowModal();
    if (m_restartRequested) {
        close();  // the application starts Seewolf again once the window is gone
        return;
    }
    // A roll-back before a refused change of the game folder, and settings such as the boat
    // availability dates, change what the window shows.
    UpdateRollbackButton();
    tvCareerChange(m_ui->tvCareer->indexOfTopLevelItem(m_ui->tvCareer->currentItem()));
}

void MainWindow::sbRollbackClick() {
    try {
        RollBackGameFiles(m_paths, m_prompter);
    } catch (...) {
        // Refused (the lock is held, a log cannot be read, the recorded game folder is gone): no
        // progress or earlier outcome stays in the status line, and the button shows what remains.
        HideStatus();
        UpdateRollbackButton();
        throw;  // the handler's guard shows the error
    }
    UpdateRollbackButton();
    tvCareerChange(m_ui->tvCareer->indexOfTopLevelItem(m_ui->tvCareer->currentItem()));
}

// The career menu and the boat menu; their items carry the names the actions are known by.
void MainWindow::MakeMenus() {
    m_puCarAct = new QMenu(this);
    m_puCarAct->setObjectName(QStringLiteral("puCarAct"));
    struct Item {
        const char* name;
        const char* caption;
        void (MainWindow::*handler)();
    };
    const Item items[] = {
        {"pumGenPersFile", "Update your Personnel File", &MainWindow::pumGenPersFileClick},
        {"pumCont", "Continue career with new Commander", &MainWindow::pumContClick},
        {"pumRevwPatLogs", "Review patrol logs...", &MainWindow::pumRevwPatLogsClick},
        {"pumCrewman", "Manage your crew...", &MainWindow::pumCrewmanClick},
        {"pumNC", "Go to Nightclub...", &MainWindow::pumNCClick},
        {"pumStsSur", "Change status to \"Surrendered\"", &MainWindow::pumStsSurClick},
        {"pumRetRet", "Return from retirement", &MainWindow::pumRetRetClick},
        {"pumDelCar", "Delete this career", &MainWindow::pumDelCarClick},
    };
    for (const Item& item : items) {
        QAction* action = m_puCarAct->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        connect(action, &QAction::triggered, this,
                [this, handler = item.handler] { Guard([this, handler] { (this->*handler)(); }); });
    }
    // Surrender and the return from retirement are reached through the status label.
    for (const char* name : {"pumStsSur", "pumRetRet"}) {
        m_puCarAct->findChild<QAction*>(QString::fromLatin1(name))->setVisible(false);
    }

    m_puSubOpt = new QMenu(this);
    m_puSubOpt->setObjectName(QStringLiteral("puSubOpt"));
    QMenu* remove = m_puSubOpt->addMenu(QStringLiteral("Remove"));
    remove->setObjectName(QStringLiteral("pumRem"));
    QAction* gun = remove->addAction(QStringLiteral("Deck gun"));
    gun->setObjectName(QStringLiteral("pusmRemGun"));
    connect(gun, &QAction::triggered, this, [this] { Guard([this] { pusmRemGunClick(); }); });
}

// Which items of the career menu the career shown offers.
void MainWindow::UpdateActionItems() {
    const auto item = [this](const char* name) {
        return m_puCarAct->findChild<QAction*>(QString::fromLatin1(name));
    };
    const CareerStatus status = m_career.CareerStatus;
    item("pumCont")->setVisible(status == CareerStatus::Retired);
    item("pumRevwPatLogs")->setVisible(platform::FileExists(PatrolLogEditor(m_paths)));
    item("pumNC")->setVisible(status == CareerStatus::InBase && static_cast<bool>(m_nightclubHook));
}

void MainWindow::lblActClick() {
    UpdateActionItems();
    m_puCarAct->popup(QCursor::pos());
}

void MainWindow::lblUBoatTypClick() {
    m_puSubOpt->findChild<QAction*>(QStringLiteral("pusmRemGun"))->setEnabled(DeckGun(m_career) >= 0);
    m_puSubOpt->popup(QCursor::pos());
}

void MainWindow::pusmRemGunClick() {
    if (m_prompter.ShowMessage(
            "Are you sure you wish to remove your deck gun? You can get it back from within "
            "the game.",
            MessageKind::Confirmation, Button::Yes | Button::No) == Button::Yes) {
        RemoveDeckGun(m_career);
    }
}

void MainWindow::pumGenPersFileClick() {
    reports::ReportResult result;
    {
        const BusyScope busy(m_prompter);
        result = reports::GeneratePersonnelFile(m_paths, m_language, m_career, m_random);
    }
    OfferReport(this, result);
}

void MainWindow::pumNCClick() {
    if (m_nightclubHook) {
        m_nightclubHook(m_career);
    }
}

void MainWindow::pumCrewmanClick() {
    {
        const BusyScope busy(m_prompter);
        if (!m_crewManager) {
            m_crewManager = std::make_unique<CrewManagerDialog>(m_paths, m_language, m_prompter, m_random,
                                                                m_replacements, this);
        }
    }
    m_crewManager->ShowModal(m_career);
}

void MainWindow::pumRevwPatLogsClick() {
    const PatrolLogCall editor = PatrolLogEditorCall(m_paths, m_career);
    for (const std::string& note : editor.notes) {
        m_prompter.ShowMessage(note, MessageKind::Information, Button::Ok);
    }
    StartPatrolLogEditor(editor);
}

void MainWindow::pumStsSurClick() {
    if (m_prompter.ShowMessage(
            "If you were surfaced with crew on the bridge when your U-boat was destroyed, you "
            "have the option to surrender. \n\nWould you like to change your status to "
            "\"Surrendered\"?",
            MessageKind::Information, Button::Yes | Button::No) != Button::Yes) {
        return;
    }
    const std::optional<std::string> note = Surrender(m_paths, m_career);
    PopulateTreeView();
    if (note) {
        m_prompter.ShowMessage(*note, MessageKind::Information, Button::Ok);
    }
}

void MainWindow::pumRetRetClick() {
    if (m_prompter.ShowMessage(
            "If you are getting \"itchy feet\" sitting behind a desk, you can return to active "
            "duty and continue your career.\n\nWould you like to return to active duty?",
            MessageKind::Information, Button::Yes | Button::No) != Button::Yes) {
        return;
    }
    ReturnFromRetirement(m_paths, m_career);
    PopulateTreeView();
}

void MainWindow::pumDelCarClick() {
    const std::string name = m_career.Name;
    if (m_prompter.AskWithDefault(DeleteCareerQuestion(name), MessageKind::Confirmation,
                                  Button::Yes | Button::No, Button::No) != Button::Yes) {
        return;
    }
    if (DeleteCareer(m_paths, name)) {
        PopulateTreeView();
    }
}

void MainWindow::pumContClick() {
    // Everything is read before the window changes: a career that cannot be continued leaves it as it was.
    const SelectedCareer retired = m_career;
    const ContinuedCareer values = ContinueCareerValues(m_paths, m_language, retired);
    std::vector<std::string> notes = values.notes;

    QTreeWidget* tree = m_ui->tvCareer;
    {
        const QSignalBlocker blocker(tree);
        tree->setCurrentItem(tree->topLevelItem(0));
    }
    tvCareerChange(0);
    // The new career keeps the retired one's folder and patrols: the launch hands on its crew and
    // equipment from there.
    m_career = retired;
    m_career.CareerStatus = CareerStatus::NewCareer;
    m_career.InOtherBase = false;
    cmdRndNmClick();

    {
        const QSignalBlocker year(m_ui->udYear);
        m_ui->udYear->setValue(values.year);
    }
    txtYearChange();
    {
        const QSignalBlocker month(m_ui->udMth);
        m_ui->udMth->setValue(values.month);
    }
    txtMthChange();

    // The retired career's flotilla, also where it no longer takes new careers at that date.
    const QString flotillaId = ToQt(values.flotillaId);
    int flotilla = -1;
    for (int i = 0; i < m_ui->cmbFlotNb->count(); ++i) {
        if (m_ui->cmbFlotNb->itemText(i) == flotillaId) {
            flotilla = i;
        }
    }
    if (flotilla < 0) {
        m_ui->cmbFlotNb->addItem(flotillaId);
        {
            const QSignalBlocker blocker(m_ui->cmbFlotNm);
            m_ui->cmbFlotNm->addItem(ToQt(values.flotillaName));
        }
        flotilla = m_ui->cmbFlotNm->count() - 1;
        notes.push_back("The flotilla \"" + values.flotillaName + "\" takes no new careers in " +
                        m_language.dates.monthNames[static_cast<std::size_t>(values.month - 1)] + " " +
                        std::to_string(values.year) + "; the new commander stays with it all the same.");
    }
    {
        const QSignalBlocker blocker(m_ui->cmbFlotNm);
        m_ui->cmbFlotNm->setCurrentIndex(flotilla);
    }
    m_ui->cmdFlotInfo->setEnabled(true);
    cmbFlotNmChange();

    // The retired career's boat type, whether or not the flotilla offers it at that date.
    {
        const QSignalBlocker blocker(m_ui->cmbSubType);
        m_ui->cmbSubTypeNb->addItem(ToQt(values.subType));
        m_ui->cmbSubType->addItem(ToQt(values.boatTypeName));
        m_ui->cmbSubType->setCurrentIndex(m_ui->cmbSubType->count() - 1);
    }
    cmbSubTypeChange();
    m_ui->cmbSubNo->setEditText(ToQt(values.boatNumber));
    m_ui->txtPatGrd->setText(ToQt(values.patrolGrid));
    ShowForContCareer(true);

    if (!notes.empty()) {
        std::string text = "The new commander takes over the boat of " + retired.CmdrName + ".";
        for (const std::string& note : notes) {
            text += "\n\n" + note;
        }
        m_prompter.ShowMessage(text, MessageKind::Information, Button::Ok);
    }
}

}  // namespace seewolf::ui
