#include "ui/main_window.h"

#include <functional>
#include <map>
#include <thread>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include "app/error.h"
#include "app/language.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/startup.h"
#include "career/actions.h"
#include "career/career.h"
#include "career/change.h"
#include "launch/backup.h"
#include "launch/launch.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "reports/personnel_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"
#include "ui/change_dialog.h"
#include "ui/crew_manager_dialog.h"
#include "ui/instance_channel.h"
#include "ui/qt_prompter.h"
#include "ui/qt_text.h"
#include "url_catcher.h"

using namespace seewolf;
using demo::DemoCareers;

namespace {

// Records like the scripted prompter and, as the program's own prompter does, shows the status
// texts and file counts in the window's status line and sets the busy cursor.
struct WindowPrompter : testing::ScriptedPrompter {
    ui::MainWindow* window = nullptr;
    ui::QtPrompter cursor;
    // The status line as each file count left it, and whether the busy cursor showed meanwhile.
    QStringList countedLines;
    bool busyWhileCounting = true;
    void SetBusy(bool busy) override {
        ScriptedPrompter::SetBusy(busy);
        cursor.SetBusy(busy);
    }
    void ShowProgress(std::size_t done, std::size_t total) noexcept override {
        ScriptedPrompter::ShowProgress(done, total);
        if (window != nullptr) {
            window->ShowProgress(done, total);
            countedLines.append(window->findChild<QLabel*>("lblStatus")->text());
            const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS");
            if (done == total && !folder.isEmpty() && !QFile::exists(folder + "/progress_status.png")) {
                window->grab().save(folder + "/progress_status.png");
            }
        }
        const QCursor* shape = QApplication::overrideCursor();
        busyWhileCounting = busyWhileCounting && shape != nullptr && shape->shape() == Qt::WaitCursor;
    }
    void SetStatus(std::string_view text) override {
        ScriptedPrompter::SetStatus(text);
        if (window != nullptr) {
            window->SetStatus(text);
        }
    }
    void HideStatus() override {
        ScriptedPrompter::HideStatus();
        if (window != nullptr) {
            window->HideStatus();
        }
    }
};

// A started main window on a fresh demo world.
struct Window {
    testing::TempWorld world;
    WindowPrompter prompter;
    Random random{7};
    std::unique_ptr<ui::MainWindow> window;

    // `before` runs on the world before the window is made; the window is shown unless told not to.
    explicit Window(const std::function<void(const Paths&)>& before = {}, bool show = true) {
        if (before) {
            before(world.GetPaths());
        }
        testing::ScriptedPrompter startPrompter;
        const std::string self = platform::TextFromPath(world.World().program / "seewolf");
        const StartupResult r = RunStartup(CommandLineFromArguments({self}), world.World().program,
                                           startPrompter, [] { return false; });
        if (!r.proceed) {
            qFatal("start-up failed");
        }
        window = std::make_unique<ui::MainWindow>(r, random, prompter);
        prompter.window = window.get();
        if (show) {
            window->show();
        }
    }

    template <typename T = QWidget>
    T* Find(const char* name) const {
        T* w = window->findChild<T*>(name);
        if (w == nullptr) {
            qFatal("no control %s", name);
        }
        return w;
    }
    QString Text(const char* label) const { return Find<QLabel>(label)->text(); }
    bool IsLink(const char* label) const { return Find<QLabel>(label)->property("seewolfLink").toBool(); }

    void Select(const QString& entry) {
        auto* tree = Find<QTreeWidget>("tvCareer");
        const auto found = tree->findItems(entry, Qt::MatchExactly);
        if (found.isEmpty()) {
            qFatal("no tree entry %s", qPrintable(entry));
        }
        tree->setCurrentItem(found.first());
    }
    void Select(const char* utf8Name) { Select(QString::fromUtf8(utf8Name)); }
    int Top(const char* name) const { return Find(name)->geometry().top(); }
    const Paths& GetPaths() const { return window->GetPaths(); }
    // Selects a career and gives its Patrols_0.cfg and the section of its current patrol.
    std::pair<std::filesystem::path, std::string> CurrentPatrol(const char* utf8Name) {
        Select(utf8Name);
        const SelectedCareer& c = window->Career();
        return {c.CareerFolder / "Patrols_0.cfg", SectionName("PATROL ", c.PatrolCount)};
    }
    QAction* Action(const char* name) const {
        auto* action = window->findChild<QAction*>(name);
        if (action == nullptr) {
            qFatal("no menu item %s", name);
        }
        return action;
    }
    // The career menu's items that show, in their order.
    QStringList ShownActions() const {
        QStringList shown;
        for (QAction* action : Find<QMenu>("puCarAct")->actions()) {
            if (action->isVisible()) {
                shown << action->objectName();
            }
        }
        return shown;
    }
    std::string Errors() const {
        std::string all;
        for (const auto& m : prompter.messages) {
            all += m.text + "\n";
        }
        return all;
    }
};

// Every file below `root` with its contents.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[entry.path().string()] = testing::ReadText(entry.path());
        }
    }
    return files;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void captionControlsAndTree() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        const QString game =
            QString::fromStdString(platform::WithoutTrailingSeparator(w.world.World().game).string());
        QCOMPARE(w.window->windowTitle(), QStringLiteral("Seewolf [") + game + "]");
        QCOMPARE(w.window->minimumSize(), w.window->maximumSize());
        QVERIFY(w.window->styleSheet().contains(QStringLiteral("QTreeWidget#tvCareer")));
        auto* tree = w.Find<QTreeWidget>("tvCareer");
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("New career"));
        QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("Single mission"));
        QVERIFY(tree->findItems(QString::fromUtf8(DemoCareers::NotListed), Qt::MatchExactly).isEmpty());
        // The latest career is selected and shown.
        QCOMPARE(tree->currentItem()->text(0), QString::fromUtf8(DemoCareers::Latest));
        QVERIFY(w.Find("lblNm")->isVisible());
        QVERIFY2(w.prompter.messages.empty(), w.Errors().c_str());
        // Selected or not, an entry's text starts at the same place.
        const QImage shot = tree->viewport()->grab().toImage();
        const auto textStart = [&shot, tree](QTreeWidgetItem* item) {
            const QRect row = tree->visualItemRect(item);
            const int background = qGray(shot.pixel(row.left() + 1, row.center().y()));
            for (int x = row.left(); x < row.right(); ++x) {
                for (int y = row.top(); y <= row.bottom(); ++y) {
                    if (qAbs(qGray(shot.pixel(x, y)) - background) > 80) {
                        return x;
                    }
                }
            }
            return -1;
        };
        const int selectedStart = textStart(tree->currentItem());
        QVERIFY2(selectedStart >= 0 && qAbs(selectedStart - textStart(tree->topLevelItem(0))) <= 1,
                 qPrintable(QString::number(selectedStart)));
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            QVERIFY(w.window->grab().save(folder + "/main_window_career.png"));
            w.Select(QStringLiteral("New career"));
            QVERIFY(w.window->grab().save(folder + "/main_window_new_career.png"));
        }

        // A career folder whose name Windows-1252 cannot hold is reported, once, and not listed.
        const auto careers = w.GetPaths().Save("Careers");
        const auto unlisted = careers / platform::PathFromUtf8("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD");
        w.Select(DemoCareers::Latest);
        std::filesystem::copy(w.window->Career().CareerFolder, unlisted,
                              std::filesystem::copy_options::recursive);
        w.window->PopulateTreeView();
        w.window->PopulateTreeView();
        QCOMPARE(w.prompter.messages.size(), std::size_t{1});
        const auto& warning = w.prompter.messages[0];
        QCOMPARE(warning.kind, MessageKind::Warning);
        QVERIFY2(warning.text.find(platform::TextFromPath(unlisted)) != std::string::npos,
                 w.Errors().c_str());
        QVERIFY(warning.text.find("Rename") != std::string::npos);
        QCOMPARE(tree->topLevelItemCount(), static_cast<int>(ListCareers(w.GetPaths()).size()) + 2);
        // Found at start, the warning waits until the window shows.
        Window early(
            [](const Paths& paths) {
                const auto folder = paths.Save("Careers");
                std::filesystem::copy(folder / platform::PathFromUtf8(DemoCareers::Latest),
                                      folder / platform::PathFromUtf8("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"),
                                      std::filesystem::copy_options::recursive);
            },
            false);
        QVERIFY(early.prompter.messages.empty());
        early.window->show();
        QTRY_COMPARE(early.prompter.messages.size(), std::size_t{1});
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            // The warning as the program's own prompter shows it.
            ui::QtPrompter shown(w.window.get());
            QTimer::singleShot(0, [folder] {
                QWidget* box = QApplication::activeModalWidget();
                QVERIFY(box != nullptr && box->grab().save(folder + "/unlisted_careers_warning.png"));
                box->close();
            });
            shown.ShowMessage(warning.text, warning.kind, Button::Ok);
        }
    }

    void everyStatusShowsItsLabelsAndLinks() {
        Window w;
        struct Case {
            const char* name;
            const char* status;
            bool statusLink, boatLink, gridLink, launch;
            const char* grid;  // nullptr: any grid
        };
        const Case cases[] = {
            {DemoCareers::InHomeBase, "In home base before patrol ", true, true, true, true, nullptr},
            {DemoCareers::InOtherBase, "In other base before patrol ", true, true, true, true, nullptr},
            {DemoCareers::InBaseNoGrid, "In home base before patrol ", true, true, false, true, "NULL"},
            {DemoCareers::AtSea, "At sea during patrol ", false, false, false, true, nullptr},
            {DemoCareers::AtSeaNoGrid, "At sea during patrol ", false, false, true, true, "NULL"},
            // Lost and retired careers lead to surrender and the return from retirement.
            {DemoCareers::Lost, "Lost at sea during patrol ", true, false, false, false, "N/a"},
            {DemoCareers::Retired, "Retired after ", true, false, false, false, "N/a"},
            {DemoCareers::Surrendered, "Surrendered at sea during patrol ", false, false, false, false,
             "N/a"},
        };
        for (const Case& c : cases) {
            w.Select(c.name);
            QVERIFY2(w.prompter.messages.empty(), w.Errors().c_str());
            const QString status = w.Text("lblCarSts");
            QVERIFY2(status.startsWith(QString::fromLatin1(c.status)), qPrintable(status));
            QCOMPARE(w.IsLink("lblCarSts"), c.statusLink);
            QCOMPARE(w.IsLink("lblUBoatNb"), c.boatLink);
            QCOMPARE(w.IsLink("lblUBoatTyp"), c.boatLink);
            QVERIFY(w.Find("lblAct")->isVisible() && w.IsLink("lblAct"));
            QCOMPARE(w.IsLink("lblPatGrd"), c.gridLink);
            QCOMPARE(w.Find("sbLaunch")->isVisible(), c.launch);
            if (c.grid != nullptr) {
                QCOMPARE(w.Text("lblPatGrd"), QString::fromLatin1(c.grid));
            }
            QVERIFY(w.Text("lblUBoatNb").startsWith(QStringLiteral("U-")) &&
                    w.Text("lblUBoatNb").endsWith(','));
            QVERIFY(w.Text("lblUBoatTyp").startsWith(QStringLiteral("Type ")));
            QCOMPARE(w.Text("lblSig"), w.Text("lblNm"));
            QVERIFY(!w.Text("lblNm").isEmpty());
            QVERIFY(w.Text("lblCarSvdDt").contains(QStringLiteral(" at ")));
            for (const char* label : {"lblCarSts", "lblFlot", "lblCarSvdDt"}) {  // never cut off
                auto* shown = w.Find<QLabel>(label);
                QVERIFY2(shown->fontMetrics().horizontalAdvance(shown->text()) <= shown->width(), label);
            }
            QVERIFY(!w.Find<QLabel>("imgCaptain")->pixmap().isNull());
        }
        w.Select(DemoCareers::Lost);
        QCOMPARE(w.Text("lblCarDt"), QStringLiteral("N/a"));
        w.Select(DemoCareers::AtSea);
        QVERIFY(w.Text("lblCarDt").startsWith(QStringLiteral("After ")));
    }

    void statusToggleTwiceReturnsTheText() {
        Window w;
        w.Select(DemoCareers::InHomeBase);
        const QString home = w.Text("lblCarSts");
        QVERIFY(home.startsWith(QStringLiteral("In home base before patrol ")));
        auto* label = w.Find<QLabel>("lblCarSts");
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(w.Text("lblCarSts"), QString(home).replace(QStringLiteral("home"), QStringLiteral("other")));
        QVERIFY(w.window->Career().InOtherBase);
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(w.Text("lblCarSts"), home);
        QVERIFY(!w.window->Career().InOtherBase);
        // The keyboard reaches the link too.
        QCOMPARE(label->focusPolicy(), Qt::StrongFocus);
        QTest::keyClick(label, Qt::Key_Space);
        QVERIFY(w.window->Career().InOtherBase);
    }

    void singleMissionHidesTheNewCareerInputs() {
        Window w;
        w.Select(QStringLiteral("Single mission"));
        for (const char* hidden : {"txtCmdrNm", "cmdRndNm", "cmbSubNo", "txtPatGrd", "lblNm", "imgExCar"}) {
            QVERIFY2(!w.Find(hidden)->isVisible(), hidden);
        }
        for (const char* shown :
             {"udYear", "udMth", "cmbFlotNm", "cmbSubType", "cmbUseCrew", "chkRndCrewDets"}) {
            QVERIFY2(w.Find(shown)->isVisible(), shown);
        }
        QVERIFY(
            w.Text("lblRmndr")
                .endsWith(QStringLiteral("U-boat type when starting your mission in Silent Hunter III!")));
        QVERIFY(w.Find<QComboBox>("cmbFlotNm")->count() > 0);
        QVERIFY(w.Find<QComboBox>("cmbSubType")->count() > 0);
        QCOMPARE(w.window->Career().CareerStatus, CareerStatus::SingleMission);

        w.Select(QStringLiteral("New career"));
        QVERIFY(w.Find("txtCmdrNm")->isVisible());
        QVERIFY(w.Text("lblRmndr")
                    .endsWith(QStringLiteral("Flotilla when starting your career in Silent Hunter III!")));
        QCOMPARE(w.Find<QComboBox>("cmbUseCrew")->itemText(0), QStringLiteral("Already in SH3"));
    }

    void cascadeFollowsTheDateAndKeepsTheChoice() {
        Window w;
        w.Select(QStringLiteral("New career"));
        auto* year = w.Find<QSpinBox>("udYear");
        auto* month = w.Find<QSpinBox>("udMth");
        auto* flotillas = w.Find<QComboBox>("cmbFlotNm");
        year->setValue(1941);
        month->setValue(3);
        QCOMPARE(month->minimum(), 1);
        year->setValue(1939);
        QCOMPARE(month->minimum(), 9);  // the demo's earliest 1939 start
        QCOMPARE(month->value(), 9);
        year->setValue(1945);
        month->setValue(5);
        QCOMPARE(month->maximum(), 5);
        year->setValue(1942);
        month->setValue(6);
        QCOMPARE(month->maximum(), 12);
        year->setValue(1945);
        QCOMPARE(month->value(), 5);

        year->setValue(1941);
        QVERIFY(flotillas->count() > 1);
        flotillas->setCurrentIndex(1);
        const QString chosen = flotillas->currentText();
        const QString chosenId = w.Find<QComboBox>("cmbFlotNb")->itemText(1);
        month->setValue(month->value() == 12 ? 11 : month->value() + 1);
        QCOMPARE(flotillas->currentText(), chosen);
        QCOMPARE(w.Find<QComboBox>("cmbFlotNb")->itemText(flotillas->currentIndex()), chosenId);
        QVERIFY(w.Find<QComboBox>("cmbSubType")->count() > 0);
        QVERIFY(w.Find("cmdFlotInfo")->isEnabled());

        QTest::mouseClick(w.Find<QPushButton>("cmdFlotInfo"), Qt::LeftButton);
        QCOMPARE(w.prompter.plainMessages.size(), std::size_t{1});
        QVERIFY(w.prompter.plainMessages[0].find("Bases:") != std::string::npos);

        QTest::mouseClick(w.Find<QPushButton>("cmdRndNm"), Qt::LeftButton);
        const QString name = w.Find<QLineEdit>("txtCmdrNm")->text();
        QVERIFY(!name.isEmpty() && name.size() <= 16);

        auto* number = w.Find<QComboBox>("cmbSubNo");
        number->setEditText(QString());
        QTest::keyClicks(number, QStringLiteral("5a5"));
        QCOMPARE(number->currentText(), QStringLiteral("55"));
        QTest::keyClick(number, Qt::Key_Backspace);
        QCOMPARE(number->currentText(), QStringLiteral("5"));
        QVERIFY2(w.prompter.messages.empty(), w.Errors().c_str());
    }

    void portraitMustComeFromTheImagesFolder() {
        Window w;
        w.Select(DemoCareers::InHomeBase);
        const std::string name = w.window->Career().Name;
        const std::vector<std::string> before = ReadCareerHistory(w.window->GetPaths(), name);
        const auto images = w.world.World().program / "Images";
        std::filesystem::create_directories(images / "sub");
        std::filesystem::copy_file(images / "05.jpg", images / "sub" / "05.jpg");
        std::filesystem::copy_file(images / "05.jpg", images / "Upper.JPG");
        w.window->ChoosePortrait(images / "sub" / "05.jpg");
        w.window->ChoosePortrait(images / "Upper.JPG");
        QCOMPARE(w.prompter.messages.size(), std::size_t{2});
        QCOMPARE(
            QString::fromStdString(w.prompter.messages[0].text),
            QStringLiteral("Image must be a JPG file and must reside in the Seewolf \"Images\" folder!"));
        QCOMPARE(ReadCareerHistory(w.window->GetPaths(), name), before);
        // A name that Windows-1252 cannot hold is refused, not kept as "?".
        const auto unholdable = images / platform::PathFromUtf8("\xD0\x96.jpg");
        std::filesystem::copy_file(images / "05.jpg", unholdable);
        QVERIFY_THROWS_EXCEPTION(Error, w.window->ChoosePortrait(unholdable));
        QCOMPARE(ReadCareerHistory(w.window->GetPaths(), name), before);

        const std::string other = before[kHistoryPortrait] == "05" ? "06" : "05";
        w.window->ChoosePortrait(images / (other + ".jpg"));
        QCOMPARE(w.prompter.messages.size(), std::size_t{2});
        QCOMPARE(ReadCareerHistory(w.window->GetPaths(), name)[kHistoryPortrait], other);
    }

    void changeDialogWritesNumberAndGrid() {
        Window w;
        w.Select(DemoCareers::InHomeBase);
        const SelectedCareer inBase = w.window->Career();
        ui::ChangeDialog change(w.window->GetPaths(), w.random, w.prompter);
        for (const QLabel* label : change.findChildren<QLabel*>()) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        // Apply and Cancel look like the main window's Launch and Close.
        change.TakeButtonPictures(*w.Find<QToolButton>("sbLaunch"), *w.Find<QToolButton>("sbClose"));
        QCOMPARE(change.findChild<QWidget*>("sbApply")->size(), w.Find("sbLaunch")->size());
        QCOMPARE(change.styleSheet(), w.window->styleSheet());

        // The map button says when the game has no grid map, and clicking it says so too.
        const auto map = w.GetPaths().Game("documentation\\SH3_MAP.jpg");
        QVERIFY(!std::filesystem::exists(map));
        change.Prepare(inBase, ui::ChangeDialog::Mode::PatrolGrid, "BF13");
        auto* mapButton = change.findChild<QPushButton*>("cmdMap");
        QVERIFY(mapButton->toolTip().contains(QStringLiteral("missing")));
        QTest::mouseClick(mapButton, Qt::LeftButton);
        QCOMPARE(w.prompter.messages.size(), std::size_t{1});
        QVERIFY(w.prompter.messages[0].text.find("SH3_MAP.jpg") != std::string::npos);
        w.prompter.messages.clear();
        testing::WriteText(map, "jpeg");
        change.Prepare(inBase, ui::ChangeDialog::Mode::PatrolGrid, "BF13");
        QCOMPARE(mapButton->toolTip(), QStringLiteral("Show SH3 Grid Map"));

        QVERIFY(!change.findChild<QWidget*>("sbApply")->isVisibleTo(&change));
        auto* grid = change.findChild<QLineEdit*>("txtPatGrd");
        grid->clear();
        QTest::keyClicks(grid, QStringLiteral("an12"));
        QCOMPARE(grid->text(), QStringLiteral("AN12"));
        QVERIFY(change.findChild<QWidget*>("sbApply")->isVisibleTo(&change));
        change.sbApplyClick();
        const ProfileFile patrols(inBase.CareerFolder / "Patrols_0.cfg");
        const std::string section = SectionName("PATROL ", inBase.PatrolCount);
        QCOMPARE(QString::fromStdString(patrols.ReadString(section, "PatrolArea", "")),
                 QStringLiteral("AN12"));
        QCOMPARE(patrols.ReadString(section, "SubName", ""), inBase.SubName);  // number unchanged
        // A grid that Windows-1252 cannot hold is refused, not written as "?".
        grid->setText(
            QString::fromUtf8("\xD0\x96"
                              "12"));
        change.findChild<QToolButton*>("sbApply")->click();
        QCOMPARE(w.prompter.messages.size(), std::size_t{1});
        QVERIFY2(w.prompter.messages[0].text.starts_with("The patrol grid"), w.Errors().c_str());
        QCOMPARE(patrols.ReadString(section, "PatrolArea", ""), std::string("AN12"));

        change.Prepare(inBase, ui::ChangeDialog::Mode::BoatNumber, "AN12");
        auto* number = change.findChild<QComboBox*>("cmbSubNo");
        number->setEditText(QStringLiteral("552"));
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            QVERIFY(change.grab().save(folder + "/change_dialog.png"));
        }
        change.sbApplyClick();
        QCOMPARE(QString::fromStdString(patrols.ReadString(section, "SubName", "")), QStringLiteral("U-552"));

        number->setEditText(QString());
        change.sbApplyClick();
        QCOMPARE(QString::fromStdString(w.prompter.messages.back().text),
                 QStringLiteral("Invalid details entered! Please try again."));
        QCOMPARE(QString::fromStdString(patrols.ReadString(section, "SubName", "")), QStringLiteral("U-552"));

        // At sea the grid also goes into the newest save.
        w.Select(DemoCareers::AtSea);
        const SelectedCareer atSea = w.window->Career();
        change.Prepare(atSea, ui::ChangeDialog::Mode::PatrolGrid, "X");
        change.findChild<QLineEdit*>("txtPatGrd")->setText(QStringLiteral("CA55"));
        change.sbApplyClick();
        QVERIFY(!atSea.NewestSave.empty());
        auto psc = atSea.NewestSave;
        psc.replace_extension(".psc");
        QCOMPARE(QString::fromStdString(ProfileFile(psc).ReadString("PLAYER_SUBMARINE", "PatrolArea", "")),
                 QStringLiteral("CA55"));
    }

    void secondStartBringsTheWindowForward() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        w.window->showMinimized();
        QTRY_VERIFY(w.window->isMinimized());

        const QString name = ui::ChannelName("test-block-" + std::to_string(platform::CurrentProcessId()));
        ui::InstanceChannel channel;
        std::vector<std::string> received;
        bool arrived = false;
        QVERIFY(channel.Listen(name, [&](const std::vector<std::string>& args) {
            received = args;
            arrived = true;
            w.window->BringToFront();
        }));
        bool accepted = false;
        std::thread second([&] { accepted = ui::InstanceChannel::Forward(name, {"/i:C:\\Game\\", "x y"}); });
        QTRY_VERIFY(arrived);
        second.join();
        QVERIFY(accepted);
        QCOMPARE(received.size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(received[1]), QStringLiteral("x y"));
        QVERIFY(!w.window->isMinimized());
    }

    void statusLineRollbackAndClose() {
        Window w;
        auto* status = w.Find<QLabel>("lblStatus");
        QVERIFY(!status->isVisible());
        w.window->SetStatus("Rolling back\xE4");
        QVERIFY(status->isVisible());
        QCOMPARE(status->text(), QString::fromUtf8("Rolling back\xC3\xA4"));
        w.window->HideStatus();
        QVERIFY(!status->isVisible());

        auto* rollback = w.Find("sbRollback");
        QVERIFY(!rollback->isVisible());
        std::filesystem::create_directories(w.window->GetPaths().BackupFolder / "data");
        w.window->UpdateRollbackButton();
        QVERIFY(rollback->isVisible());

        QTest::mouseClick(w.Find<QToolButton>("sbClose"), Qt::LeftButton);
        QVERIFY(!w.window->isVisible());
    }

    void launchWithoutFlotillaRefusesAndRollBackHidesTheButton() {
        Window w;
        const Paths& paths = w.window->GetPaths();
        // Changes left by an earlier launch: the launch rolls them back first.
        testing::WriteText(paths.BackupFolder / "data" / "Cfg" / "Basic.cfg",
                           testing::ReadText(paths.Game("data\\Cfg\\Basic.cfg")));
        testing::WriteText(paths.Game("data\\Cfg\\Basic.cfg"), "changed by an earlier launch");
        w.window->UpdateRollbackButton();
        QVERIFY(w.Find("sbRollback")->isVisible());

        w.Select(QStringLiteral("New career"));
        w.Find<QSpinBox>("udYear")->setValue(1941);
        w.Find<QComboBox>("cmbFlotNm")->clear();  // no flotilla offered
        QTest::mouseClick(w.Find<QToolButton>("sbLaunch"), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(w.prompter.messages.back().text),
                 QStringLiteral("No Flotilla or U-boat Type selected! Please try again."));
        QVERIFY(w.window->isVisible());
        QVERIFY(!w.Find("sbRollback")->isVisible());
        QVERIFY(testing::ReadText(paths.Game("data\\Cfg\\Basic.cfg")) != "changed by an earlier launch");

        // The Roll back button: restores and hides itself.
        testing::WriteText(paths.BackupFolder / "data" / "x.txt", "x");
        w.window->UpdateRollbackButton();
        QVERIFY(w.Find("sbRollback")->isVisible());
        QTest::mouseClick(w.Find<QToolButton>("sbRollback"), Qt::LeftButton);
        QVERIFY(!w.Find("sbRollback")->isVisible());
        QCOMPARE(testing::ReadText(paths.Game("data\\x.txt")), std::string("x"));
    }

    void launchRunsTheWeatherToolAndCloses() {
        Window w;
        const Paths& paths = w.window->GetPaths();
        const auto log = w.world.Root() / "weather.log";
        testing::WriteText(paths.GameFolder / "Wetterglas.exe", "stand-in");
        testing::WriteText(w.world.Root() / "wine.sh",
                           "#!/bin/sh\nsleep 0.3\necho \"$2\" > '" + log.string() + "'\n");
        std::filesystem::permissions(w.world.Root() / "wine.sh", std::filesystem::perms::owner_all);
        testing::EnvVar wine("SEEWOLF_WINE", (w.world.Root() / "wine.sh").string());
        w.Select(DemoCareers::InHomeBase);
        // A companion that only ends, so the launch starts nothing else.
        testing::WriteText(paths.ProgFolder / "wachgang", "#!/bin/sh\nexit 0\n");
        std::filesystem::permissions(paths.ProgFolder / "wachgang", std::filesystem::perms::owner_all);
        QTest::mouseClick(w.Find<QToolButton>("sbLaunch"), Qt::LeftButton);
        QVERIFY2(w.prompter.messages.empty(), w.Errors().c_str());
        QVERIFY(std::filesystem::exists(log));  // waited for: it had finished when the launch ended
        QVERIFY(w.window->isEnabled());
        QVERIFY(!w.window->isVisible());  // a launch closes the window
        RollBackGameFiles(paths, w.prompter);
    }

    void aCareerEndedByItsLengthStaysOpenAndShowsItRetired() {
        Window w;
        const Paths& paths = w.window->GetPaths();
        ProfileFile(paths.SettingsFile()).WriteString("SETTINGS", "RealisticLength", "1");
        // One possible draw (0), and every career has reached threshold 0: the career ends.
        testing::WriteText(paths.Prog("Cfg\\SH3 options.cfg"), "[REALISTICLENGTH]\r\nRANGE=1\r\n0=0\r\n");
        w.Select(DemoCareers::InHomeBase);
        QTest::mouseClick(w.Find<QToolButton>("sbLaunch"), Qt::LeftButton);
        QVERIFY2(w.prompter.messages.empty(), w.Errors().c_str());
        QCOMPARE(w.prompter.plainMessages.size(), std::size_t{1});
        QVERIFY(w.window->isVisible() && w.window->isEnabled());
        QVERIFY2(w.Text("lblCarSts").startsWith(QStringLiteral("Retired after ")),
                 qPrintable(w.Text("lblCarSts")));
        QVERIFY(!w.Find("sbLaunch")->isVisible());
        QVERIFY(!w.Find("sbRollback")->isVisible());  // nothing of the launch is left to roll back
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            QVERIFY(w.window->grab().save(folder + "/main_window_career_ended.png"));
        }
    }

    void aFailedSelectionLeavesNoCareerBehind() {
        Window w;
        // The toggle to "In other base" belongs to that career only, not to the fixed entries.
        w.Select(DemoCareers::InOtherBase);
        QVERIFY(w.window->Career().InOtherBase);
        for (const char* entry : {"New career", "Single mission"}) {
            w.Select(entry);
            QVERIFY2(!w.window->Career().InOtherBase, entry);
            QVERIFY2(w.window->Career().Name.empty(), entry);
        }

        // A career whose patrol date does not exist: the error, an empty sheet, no Launch, and no
        // record of the career shown before.
        const auto [file, section] = w.CurrentPatrol(DemoCareers::Retired);
        ProfileFile(file).WriteString(section, "StartMonth", "13");
        w.Select(DemoCareers::InHomeBase);
        QVERIFY(w.Find("sbLaunch")->isVisible());
        w.Select(DemoCareers::Retired);
        QCOMPARE(w.prompter.messages.size(), std::size_t{1});
        for (const char* label : {"lblNm", "lblSig", "lblRnk", "lblCarSts", "lblUBoatNb", "lblPatGrd"}) {
            QVERIFY2(w.Text(label).isEmpty(), label);
        }
        QVERIFY(!w.IsLink("lblCarSts") && !w.IsLink("lblUBoatNb") && !w.IsLink("lblPatGrd"));
        QVERIFY(w.Find<QLabel>("imgCaptain")->pixmap().isNull());
        QVERIFY(!w.Find("sbLaunch")->isVisible());
        QVERIFY(w.window->Career().Name.empty());
    }

    void aCascadeErrorLeavesNoStaleChoices() {
        Window w;
        w.Select(QStringLiteral("New career"));
        w.Find<QSpinBox>("udYear")->setValue(1941);
        auto* flotillas = w.Find<QComboBox>("cmbFlotNm");
        auto* types = w.Find<QComboBox>("cmbSubType");
        QVERIFY(flotillas->count() > 0 && types->count() > 0);
        const Paths& paths = w.GetPaths();

        // A boat type's availability date that does not exist stops the cascade at the types.
        const std::string type = "SUBMARINE" + ui::FromQt(w.Find<QComboBox>("cmbSubTypeNb")->itemText(0));
        ProfileFile basic(paths.Game("data\\Cfg\\Basic.cfg"));
        const std::string month0 = basic.ReadString(type, "Month0", "1");
        basic.WriteString(type, "Month0", "13");
        w.Find<QSpinBox>("udMth")->setValue(4);
        QCOMPARE(w.prompter.messages.size(), std::size_t{1});
        QVERIFY(flotillas->count() > 0);
        QCOMPARE(types->count(), 0);
        QCOMPARE(w.Find<QComboBox>("cmbSubTypeNb")->count(), 0);
        QCOMPARE(w.Find<QComboBox>("cmbSubNo")->count(), 0);
        basic.WriteString(type, "Month0", month0);

        // A base date that does not exist stops it at the flotillas.
        w.Find<QSpinBox>("udMth")->setValue(5);
        QVERIFY(types->count() > 0);
        ProfileFile(paths.Game("data\\Cfg\\Flotilla.cfg")).WriteString("FLOTILLA", "Month0_0_0", "13");
        w.Find<QSpinBox>("udMth")->setValue(6);
        QCOMPARE(w.prompter.messages.size(), std::size_t{2});
        for (const char* list : {"cmbFlotNm", "cmbFlotNb", "cmbSubType", "cmbSubTypeNb", "cmbSubNo"}) {
            QVERIFY2(w.Find<QComboBox>(list)->count() == 0, list);
        }
        QVERIFY(!w.Find("cmdFlotInfo")->isEnabled());
        QTest::mouseClick(w.Find<QToolButton>("sbLaunch"), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(w.prompter.messages.back().text),
                 QStringLiteral("No Flotilla or U-boat Type selected! Please try again."));
    }

    void aFailedLaunchOrRollBackLeavesTheWindowRight() {
        Window w;
        const Paths& paths = w.GetPaths();
        // Typed text that Windows-1252 cannot hold is refused before anything changes.
        w.Select(QStringLiteral("New career"));
        w.Find<QSpinBox>("udYear")->setValue(1941);
        const auto before = Snapshot(w.world.Root());
        const struct {
            const char* name;
            const char* grid;
            const char* refused;
        } typed[] = {{"\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD", "", "commander name"},
                     {"K\xC3\xBChn",
                      "\xD0\x96"
                      "12",
                      "patrol grid"}};
        for (const auto& t : typed) {
            w.Find<QLineEdit>("txtCmdrNm")->setText(QString::fromUtf8(t.name));
            w.Find<QLineEdit>("txtPatGrd")->setText(QString::fromUtf8(t.grid));
            QTest::mouseClick(w.Find<QToolButton>("sbLaunch"), Qt::LeftButton);
            QCOMPARE(w.prompter.messages.size(), std::size_t{1});
            QVERIFY2(w.prompter.messages[0].text.starts_with(std::string("The ") + t.refused),
                     w.Errors().c_str());
            QVERIFY(w.window->isVisible());
            QVERIFY(Snapshot(w.world.Root()) == before);
            w.prompter.messages.clear();
        }

        w.Select(DemoCareers::InHomeBase);
        // The launch fails late, at the player's name, after the file sets went in.
        std::filesystem::permissions(paths.Save("main.cfg"), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        QTest::mouseClick(w.Find<QToolButton>("sbLaunch"), Qt::LeftButton);
        std::filesystem::permissions(paths.Save("main.cfg"), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        QCOMPARE(w.prompter.messages.size(), std::size_t{1});
        QVERIFY(w.prompter.messages[0].text.starts_with("Unable to write to "));
        QVERIFY(w.window->isVisible());
        QVERIFY(!w.Find("lblStatus")->isVisible());
        // Meanwhile the status line counted the files of the sets and of the roll-back that
        // followed the failure, under the busy cursor, which is gone now.
        const QRegularExpression counted(
            QStringLiteral("^(Copying .+ files into SH3|Rolling back previously copied files)\\.\\.\\. "
                           "([0-9,]+) of ([0-9,]+) files$"));
        QStringList phases;
        for (const QString& line : std::as_const(w.prompter.countedLines)) {
            const QRegularExpressionMatch match = counted.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            if (match.captured(2) == match.captured(3) && !phases.contains(match.captured(1))) {
                phases.append(match.captured(1));
            }
        }
        QVERIFY2(phases.contains(QStringLiteral("Copying Flotilla files into SH3")) &&
                     phases.contains(QStringLiteral("Rolling back previously copied files")),
                 qPrintable(phases.join(u'|')));
        QVERIFY(w.prompter.busyWhileCounting);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(w.Find("sbRollback")->isVisible(), BackupHoldsFiles(paths));
        RollBackGameFiles(paths, w.prompter);

        // A roll-back that cannot read its log: the outcome of the one before does not stay.
        w.prompter.messages.clear();
        testing::WriteText(paths.BackupFolder / "data" / "x.txt", "x");
        std::filesystem::create_directory(paths.Prog("Seewolf.log"));  // cannot be read as a file
        w.window->UpdateRollbackButton();
        w.window->SetStatus(
            "1 file could not be restored; its pre-launch copy is kept in the backup folder.");
        QTest::mouseClick(w.Find<QToolButton>("sbRollback"), Qt::LeftButton);
        QCOMPARE(w.prompter.messages.size(), std::size_t{1});
        QVERIFY(w.prompter.messages[0].text.starts_with("Unable to read "));
        QVERIFY(!w.Find("lblStatus")->isVisible());
        QVERIFY(w.Find("sbRollback")->isVisible() && BackupHoldsFiles(paths));
        std::filesystem::remove(paths.Prog("Seewolf.log"));
        QTest::mouseClick(w.Find<QToolButton>("sbRollback"), Qt::LeftButton);
        QVERIFY(!w.Find("sbRollback")->isVisible());
    }

    void careerMenusFollowTheStatus() {
        Window w;
        const Paths& paths = w.GetPaths();
        const QStringList always = {"pumGenPersFile", "pumCrewman", "pumDelCar"};
        struct Case {
            const char* name;
            QStringList shown;
        };
        const Case cases[] = {
            {DemoCareers::InHomeBase, always},
            {DemoCareers::AtSea, always},
            {DemoCareers::Lost, always},
            {DemoCareers::Retired, QStringList{"pumGenPersFile", "pumCont", "pumCrewman", "pumDelCar"}},
            {DemoCareers::Surrendered, always},
        };
        for (const Case& c : cases) {
            w.Select(c.name);
            QTest::mouseClick(w.Find("lblAct"), Qt::LeftButton);
            QVERIFY(w.Find<QMenu>("puCarAct")->isVisible());
            QCOMPARE(w.ShownActions(), c.shown);
            w.Find<QMenu>("puCarAct")->hide();
        }
        QCOMPARE(w.Action("pumCont")->text(), QStringLiteral("Continue career with new Commander"));
        QCOMPARE(w.Action("pumStsSur")->text(), QStringLiteral("Change status to \"Surrendered\""));

        // The editor's item shows once it is there; the nightclub once its hook is set, for a
        // career in base only.
        testing::WriteText(paths.Prog("Kladde.exe"), "stand-in");
        w.window->SetNightclubHook([](const SelectedCareer&) {});
        w.Select(DemoCareers::AtSea);
        QTest::mouseClick(w.Find("lblAct"), Qt::LeftButton);
        QCOMPARE(w.ShownActions(),
                 (QStringList{"pumGenPersFile", "pumRevwPatLogs", "pumCrewman", "pumDelCar"}));
        w.Select(DemoCareers::InHomeBase);
        QTest::mouseClick(w.Find("lblAct"), Qt::LeftButton);
        QCOMPARE(w.ShownActions(),
                 (QStringList{"pumGenPersFile", "pumRevwPatLogs", "pumCrewman", "pumNC", "pumDelCar"}));
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            QVERIFY(w.Find<QMenu>("puCarAct")->grab().save(folder + "/career_menu.png"));
        }
        w.Find<QMenu>("puCarAct")->hide();

        // The personnel file is written, then offered for opening.
        QString offered;
        QTimer::singleShot(0, [&offered] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            offered = box->text();
            box->reject();
        });
        w.Action("pumGenPersFile")->trigger();
        const SelectedCareer shown = w.window->Career();
        QVERIFY(offered.startsWith(ui::ToQt("A personnel file has been created for " + shown.CmdrRank + " " +
                                            shown.CmdrName + ".")));
        QVERIFY(std::filesystem::exists(reports::PersonnelFolder(paths, shown.Name) /
                                        reports::PersonnelFileName(paths, ChooseLanguage(paths))));

        // The boat menu: its deck gun while M01 is 0 or more, for a career in base.
        QTest::mouseClick(w.Find("lblUBoatTyp"), Qt::LeftButton);
        auto* boat = w.Find<QMenu>("puSubOpt");
        QVERIFY(boat->isVisible());
        QCOMPARE(boat->actions().size(), 1);
        QCOMPARE(w.Find<QMenu>("pumRem")->title(), QStringLiteral("Remove"));
        QCOMPARE(w.Action("pusmRemGun")->text(), QStringLiteral("Deck gun"));
        QVERIFY(w.Action("pusmRemGun")->isEnabled());
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            QVERIFY(boat->grab().save(folder + "/boat_menu.png"));
        }
        boat->hide();
        const SelectedCareer career = w.window->Career();
        w.prompter.answers = {Button::No};
        w.Action("pusmRemGun")->trigger();
        QVERIFY(DeckGun(career) >= 0);
        w.prompter.answers = {Button::Yes};
        w.Action("pusmRemGun")->trigger();
        QCOMPARE(
            w.prompter.messages.back().text,
            std::string(
                "Are you sure you wish to remove your deck gun? You can get it back from within the game."));
        QCOMPARE(w.prompter.messages.back().kind, MessageKind::Confirmation);
        QCOMPARE(DeckGun(career), -1);
        QTest::mouseClick(w.Find("lblUBoatTyp"), Qt::LeftButton);
        QVERIFY(!w.Action("pusmRemGun")->isEnabled());
        boat->hide();
        w.Select(DemoCareers::AtSea);
        QTest::mouseClick(w.Find("lblUBoatTyp"), Qt::LeftButton);
        QVERIFY(!boat->isVisible());  // not a link at sea

        // The patrol-log editor runs through Wine with the Windows form of the career folder; a
        // start that fails is reported.
        const auto out = w.world.Root() / "kladde.args";
        testing::WriteText(w.world.Root() / "wine.sh", "#!/bin/sh\nprintf '%s|' \"$@\" > '" + out.string() +
                                                           ".tmp' && mv '" + out.string() + ".tmp' '" +
                                                           out.string() + "'\n");
        std::filesystem::permissions(w.world.Root() / "wine.sh", std::filesystem::perms::owner_all);
        {
            testing::EnvVar wine("SEEWOLF_WINE", (w.world.Root() / "wine.sh").string());
            w.Action("pumRevwPatLogs")->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(out), 5000);
        }
        const SelectedCareer atSea = w.window->Career();
        const std::string args = testing::ReadText(out);
        QVERIFY2(args.starts_with(platform::Utf8FromPath(paths.Prog("Kladde.exe")) + "|" +
                                  Utf8FromCp1252(atSea.CmdrRank + " " + atSea.CmdrName) + "|Z:\\"),
                 args.c_str());
        QVERIFY2(args.ends_with("\\|" + std::to_string(atSea.PatrolCount - 1) + "|"), args.c_str());
        testing::EnvVar noWine("SEEWOLF_WINE", (w.world.Root() / "no-wine").string());
        w.Action("pumRevwPatLogs")->trigger();
        QVERIFY2(w.prompter.messages.back().text.find("could not be started") != std::string::npos,
                 w.Errors().c_str());
    }

    void returnAndSurrenderFromTheStatusLabel() {
        Window w;
        const Paths& paths = w.GetPaths();
        auto* tree = w.Find<QTreeWidget>("tvCareer");
        w.Select(DemoCareers::Retired);
        const SelectedCareer retired = w.window->Career();
        const auto careers = retired.CareerFolder / "Careers.cfg";
        const std::string before = testing::ReadText(careers);
        w.prompter.answers = {Button::No};
        QTest::mouseClick(w.Find("lblCarSts"), Qt::LeftButton);
        QCOMPARE(
            w.prompter.messages.back().text,
            std::string("If you are getting \"itchy feet\" sitting behind a desk, you can return to active "
                        "duty and continue your career.\n\nWould you like to return to active duty?"));
        QCOMPARE(w.prompter.messages.back().kind, MessageKind::Information);
        QCOMPARE(testing::ReadText(careers), before);
        w.prompter.answers = {Button::Yes};
        QTest::mouseClick(w.Find("lblCarSts"), Qt::LeftButton);
        QCOMPARE(tree->currentItem()->text(0), QString::fromUtf8(DemoCareers::Retired));
        QVERIFY2(w.Text("lblCarSts").startsWith(QStringLiteral("In ")), qPrintable(w.Text("lblCarSts")));
        const std::string last = SectionName("CAREER ", retired.PatrolCount - 1);
        QCOMPARE(ProfileFile(careers).ReadString(last, "WarOver", ""), std::string("false"));

        w.Select(DemoCareers::Lost);
        w.prompter.answers = {Button::Yes};
        QTest::mouseClick(w.Find("lblCarSts"), Qt::LeftButton);
        QCOMPARE(
            w.prompter.messages.back().text,
            std::string("If you were surfaced with crew on the bridge when your U-boat was destroyed, you "
                        "have the option to surrender. \n\nWould you like to change your status to "
                        "\"Surrendered\"?"));
        QCOMPARE(tree->currentItem()->text(0), QString::fromUtf8(DemoCareers::Lost));
        QVERIFY2(w.Text("lblCarSts").startsWith(QStringLiteral("Surrendered at sea during patrol ")),
                 qPrintable(w.Text("lblCarSts")));
        QCOMPARE(LatestCareer(paths), std::string(DemoCareers::Lost));
        QCOMPARE(w.prompter.messages.size(), std::size_t{3});
    }

    void continueFillsTheNewCareerControls() {
        Window w;
        w.Select(DemoCareers::Retired);
        const SelectedCareer retired = w.window->Career();
        const auto patrols = retired.CareerFolder / "Patrols_0.cfg";
        const std::string section = SectionName("PATROL ", retired.PatrolCount);
        ProfileFile(patrols).WriteString(section, "StartYear", "1943");
        ProfileFile(patrols).WriteString(section, "StartMonth", "12");
        ProfileFile(patrols).WriteString(section, "PatrolArea", "BF13");
        w.Action("pumCont")->trigger();
        QVERIFY2(w.prompter.messages.size() <= 1, w.Errors().c_str());  // at most: the flotilla is kept
        QCOMPARE(w.Find<QTreeWidget>("tvCareer")->currentItem()->text(0), QStringLiteral("New career"));
        QCOMPARE(w.Find<QSpinBox>("udYear")->value(), 1944);
        QCOMPARE(w.Find<QSpinBox>("udMth")->value(), 1);
        auto* flotilla = w.Find<QComboBox>("cmbFlotNm");
        QCOMPARE(ui::FromQt(w.Find<QComboBox>("cmbFlotNb")->itemText(flotilla->currentIndex())),
                 retired.FlotillaNb);
        QCOMPARE(ui::FromQt(flotilla->currentText()), retired.FlotillaName);
        QCOMPARE(ui::FromQt(w.Find<QComboBox>("cmbSubType")->currentText()), retired.SubTypeName);
        QCOMPARE(w.Find<QComboBox>("cmbSubNo")->currentText(), QStringLiteral("103"));
        QCOMPARE(w.Find<QLineEdit>("txtPatGrd")->text(), QStringLiteral("BF13"));
        QVERIFY(!w.Find<QLineEdit>("txtCmdrNm")->text().isEmpty());
        for (const char* locked : {"cmbFlotNm", "cmbSubType", "cmbSubNo", "udYear", "udMth"}) {
            QVERIFY2(!w.Find(locked)->isEnabled(), locked);
        }
        QVERIFY(!w.Find("cmbUseCrew")->isVisible() && !w.Find("chkRndCrewDets")->isVisible());
        const SelectedCareer& continued = w.window->Career();
        QVERIFY(continued.ContinueCareer);
        QCOMPARE(continued.CareerStatus, CareerStatus::NewCareer);
        QCOMPARE(continued.CareerFolder, retired.CareerFolder);
        QCOMPARE(continued.PatrolCount, retired.PatrolCount);
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            QVERIFY(w.window->grab().save(folder + "/main_window_continued.png"));
        }

        // A flotilla that takes no new careers at the new date is added and selected, and said;
        // a boat name that is no number leaves the number to the game, and says so.
        w.Select(DemoCareers::Retired);
        ProfileFile(patrols).WriteString(section, "StartYear", "1939");
        ProfileFile(patrols).WriteString(section, "StartMonth", "9");
        ProfileFile(patrols).WriteString(section, "SubName", "UA");
        w.prompter.messages.clear();
        w.Action("pumCont")->trigger();
        QCOMPARE(w.prompter.messages.size(), std::size_t{1});
        const std::string& note = w.prompter.messages[0].text;
        QVERIFY2(note.find("takes no new careers in Oct 1939") != std::string::npos, note.c_str());
        QVERIFY2(note.find("\"UA\"") != std::string::npos, note.c_str());
        QCOMPARE(ui::FromQt(flotilla->currentText()), retired.FlotillaName);
        QCOMPARE(flotilla->findText(flotilla->currentText()), flotilla->currentIndex());
        QCOMPARE(w.Find<QComboBox>("cmbSubNo")->currentText(), QString());
        // A click on "New career" starts a new career afresh.
        auto* tree = w.Find<QTreeWidget>("tvCareer");
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->topLevelItem(0)).center());
        QVERIFY(w.Find("cmbFlotNm")->isEnabled() && !w.window->Career().ContinueCareer);
    }

    void crewManagerOpensForTheCareer() {
        Window w;
        w.Select(DemoCareers::InHomeBase);
        QString title;
        QTimer::singleShot(0, [&title] {
            if (auto* dialog = qobject_cast<ui::CrewManagerDialog*>(QApplication::activeModalWidget())) {
                title = dialog->windowTitle();
                dialog->close();
            }
        });
        w.Action("pumCrewman")->trigger();
        QCOMPARE(title, QStringLiteral("Crew of U-146"));
        QVERIFY2(w.prompter.messages.empty(), w.Errors().c_str());
        QCOMPARE(w.prompter.busyDepth, 0);
    }

    void deleteAsksThenMovesToTheTrash() {
        Window w;
        const Paths& paths = w.GetPaths();
        testing::EnvVar data("XDG_DATA_HOME", (w.world.Root() / "data").string());
        auto* tree = w.Find<QTreeWidget>("tvCareer");
        const int entries = tree->topLevelItemCount();
        w.Select(DemoCareers::InHomeBase);
        const auto folder = w.window->Career().CareerFolder;
        w.prompter.answers = {Button::No};
        w.Action("pumDelCar")->trigger();
        QCOMPARE(w.prompter.messages.back().text, DeleteCareerQuestion(DemoCareers::InHomeBase));
        QCOMPARE(w.prompter.messages.back().kind, MessageKind::Confirmation);
        QVERIFY(std::filesystem::exists(folder));
        w.prompter.answers = {Button::Yes};
        w.Action("pumDelCar")->trigger();
        QVERIFY(!std::filesystem::exists(folder));
        QVERIFY(
            std::filesystem::exists(w.world.Root() / "data" / "Trash" / "files" / DemoCareers::InHomeBase));
        QCOMPARE(tree->topLevelItemCount(), entries - 1);
        // It was the latest career: the tree comes back on "New career".
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("New career"));
        QCOMPARE(LatestCareer(paths), std::string(DemoCareers::InHomeBase));

        // A trash that cannot take it: said, and the career and the tree stay.
        testing::EnvVar broken("XDG_DATA_HOME", paths.SettingsFile().string());
        w.Select(DemoCareers::AtSea);
        w.prompter.answers = {Button::Yes};
        w.Action("pumDelCar")->trigger();
        QCOMPARE(w.prompter.messages.back().kind, MessageKind::Error);
        QVERIFY2(w.prompter.messages.back().text.find("was not deleted") != std::string::npos,
                 w.Errors().c_str());
        QCOMPARE(tree->topLevelItemCount(), entries - 1);
        QCOMPARE(tree->currentItem()->text(0), QString::fromUtf8(DemoCareers::AtSea));
        QVERIFY(std::filesystem::exists(w.window->Career().CareerFolder / "Patrols_0.cfg"));

        // The window's own question defaults to No, and shows names as they stand.
        ui::QtPrompter asking(w.window.get());
        bool defaultNo = false;
        bool plain = false;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                defaultNo = box->defaultButton() == box->button(QMessageBox::No);
                plain = box->textFormat() == Qt::PlainText;
                box->button(QMessageBox::No)->click();
            }
        });
        QCOMPARE(asking.AskWithDefault(DeleteCareerQuestion("<b>Bold</b>"), MessageKind::Confirmation,
                                       Button::Yes | Button::No, Button::No),
                 Button::No);
        QVERIFY(defaultNo && plain);
        QCOMPARE(w.Find<QLabel>("lblNm")->textFormat(), Qt::PlainText);
    }

    // The question which installation to use: the choice picked is the one returned, and a
    // cancelled question gives none.
    void chooserReturnsThePickedChoice() {
        Window w;
        ui::QtPrompter asking(w.window.get());
        const std::vector<std::string> choices{"/games/one (Steam (app 7000))",
                                               "/games/two (Lutris (sh3.yml))"};
        QString label;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            label = dialog->labelText();
            auto* combo = dialog->findChild<QComboBox*>();
            QVERIFY(combo != nullptr && combo->count() == 2);
            combo->setCurrentIndex(1);
            if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
                QVERIFY(dialog->grab().save(folder + "/installation_chooser.png"));
            }
            dialog->accept();
        });
        const std::string question =
            "Silent Hunter III is installed more than once. Choose the installation Seewolf is to use; it is "
            "kept as SH3Location in the [SETTINGS] section of /home/me/Seewolf/Seewolf.ini (set it there "
            "yourself, or name the game folder once with /i:<folder> or seewolf-cli --game <folder>).";
        QCOMPARE(asking.Choose(question, choices), std::optional<std::size_t>(1));
        QCOMPARE(label, QString::fromStdString(question));
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        QCOMPARE(asking.Choose("Which?", choices), std::optional<std::size_t>());
    }

    void mainWindowRules() {
        Window w;
        // Centred on the desktop.
        const QPoint offCentre =
            w.window->geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 4, "the window frame may add a few pixels, no more");
        // The user guide is hidden while the program folder has none; the about box and the
        // update check are links that open their dialogs.
        QVERIFY(!w.Find("imgHelp")->isVisible());
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        testing::EnvVar updates("SEEWOLF_UPDATE_URL",
                                "http://127.0.0.1:" + std::to_string(closed.serverPort()));
        closed.close();
        for (const char* link : {"lblAbout", "lblChk4Updt"}) {
            QVERIFY2(w.Find(link)->isVisible() && w.IsLink(link), link);
            // The update check asks its server before the dialog shows: wait for the dialog.
            QString shown;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&shown, &poll] {
                if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    const auto* info = dialog->findChild<QLabel*>("lblInfo");
                    shown = dialog->windowTitle() + " | " + (info != nullptr ? info->text() : QString());
                    poll.stop();
                    dialog->close();
                }
            });
            poll.start(20);
            QTest::mouseClick(w.Find(link), Qt::LeftButton);
            QVERIFY2(
                shown.startsWith(link == std::string("lblAbout") ? "About Seewolf | Seewolf v3.2.0.203\n"
                                                                 : "Check for Updates | Could not retrieve"),
                qPrintable(shown));
        }
        QVERIFY2(w.prompter.messages.empty(), w.Errors().c_str());
        QVERIFY(w.window->isVisible());
        {
            // With the guide in the program folder, the help image shows and opens it.
            Window guided(
                [](const Paths& p) { platform::WriteFileAtomic(p.Prog("Leitfaden.pdf"), "%PDF-1.4\n"); });
            QVERIFY(guided.Find("imgHelp")->isVisible());
            UrlCatcher catcher;
            QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
            QTest::mouseClick(guided.Find("imgHelp"), Qt::LeftButton);
            QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
            QCOMPARE(catcher.opened,
                     QList<QUrl>{QUrl::fromLocalFile(ui::PathToQt(guided.GetPaths().Prog("Leitfaden.pdf")))});
            QVERIFY(guided.prompter.messages.empty());
        }

        // The saved "Single mission" is selected again; the fixed entries are matched first.
        const Paths& paths = w.GetPaths();
        ProfileFile(paths.SettingsFile()).WriteString("LATEST CAREER", "CAREER", "Single mission");
        w.window->PopulateTreeView();
        QCOMPARE(w.Find<QTreeWidget>("tvCareer")->currentItem()->text(0), QStringLiteral("Single mission"));
        QCOMPARE(w.window->Career().CareerStatus, CareerStatus::SingleMission);

        // A single mission leaves no gaps where the hidden rows are: every row a step below the last.
        const int step = w.Top("cmbFlotNm") - w.Top("udYear");
        QVERIFY(step > 0);
        QCOMPARE(w.Top("cmbSubType") - w.Top("cmbFlotNm"), step);
        QCOMPARE(w.Top("cmbUseCrew") - w.Top("cmbSubType"), step);
        QCOMPARE(w.Top("chkRndCrewDets") - w.Top("cmbUseCrew"), step);
        QVERIFY(w.Top("lblRmndr") > w.Top("chkRndCrewDets"));
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            QVERIFY(w.window->grab().save(folder + "/main_window_single_mission.png"));
        }
        w.Select(QStringLiteral("New career"));
        QCOMPARE(w.Top("udYear") - w.Top("txtCmdrNm"), step);
        QCOMPARE(w.Top("txtPatGrd") - w.Top("cmbSubNo"), step);

        // A CareerHistory record without a portrait item shows no portrait.
        w.Select(DemoCareers::InHomeBase);
        QVERIFY(!w.Find<QLabel>("imgCaptain")->pixmap().isNull());
        WriteCareerHistory(paths, w.window->Career().Name, {"01JAN15", "Kiel"});
        w.Select(DemoCareers::AtSea);
        w.Select(DemoCareers::InHomeBase);
        QVERIFY(w.Find<QLabel>("imgCaptain")->pixmap().isNull());
        QVERIFY2(w.prompter.messages.empty(), w.Errors().c_str());
    }

    void everyControlHasAnAccessibleName() {
        Window w;
        ui::ChangeDialog change(w.GetPaths(), w.random, w.prompter);
        change.Prepare(w.window->Career(), ui::ChangeDialog::Mode::BoatNumber, "AB12");
        const auto check = [](QWidget* top, const char* view) {
            for (QWidget* control : top->findChildren<QWidget*>()) {
                // Parts of a spin or combo box are named through their box.
                if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(top) ||
                    qobject_cast<QAbstractSpinBox*>(control->parentWidget()) != nullptr ||
                    qobject_cast<QComboBox*>(control->parentWidget()) != nullptr) {
                    continue;
                }
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
                QVERIFY(accessible != nullptr);
                const QString name = accessible->text(QAccessible::Name);
                QVERIFY2(name.size() > 2, qPrintable(QString::fromLatin1(view) + ": " +
                                                     control->objectName() + " is named '" + name + "'"));
            }
        };
        w.Select(QStringLiteral("New career"));
        check(w.window.get(), "new career");
        w.Select(DemoCareers::InHomeBase);
        check(w.window.get(), "career");
        check(&change, "change, number");
        change.Prepare(w.window->Career(), ui::ChangeDialog::Mode::PatrolGrid, "AB12");
        check(&change, "change, grid");
    }

    void forwardedBufferLayout() {
        const QByteArray buffer = ui::ForwardedArguments({"ab", "c"});
        QCOMPARE(buffer, QByteArray("ab\0c\0\0", 6));
        QCOMPARE(ui::ForwardedArguments({}), QByteArray("\0", 1));
        QVERIFY(ui::ArgumentsFromBuffer(QByteArray("ab", 2)).empty());
        QCOMPARE(ui::ArgumentsFromBuffer(buffer).size(), std::size_t{2});
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
