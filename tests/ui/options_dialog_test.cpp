#include "ui/options_dialog.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include "app/profile_file.h"
#include "app/random.h"
#include "app/startup.h"
#include "launch/backup.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "url_catcher.h"

using namespace seewolf;
using testing::ReadText;
using testing::WriteText;

namespace {

// The dialog on a fresh demo world, with the main window's part played by two counters.
struct Options {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    testing::ScriptedPrompter prompter;
    int restarts = 0;
    std::vector<bool> detailFonts;
    std::unique_ptr<ui::OptionsDialog> dialog;

    Options() {
        ui::OptionsDialog::Hooks hooks;
        hooks.applyDetailFont = [this](bool system) { detailFonts.push_back(system); };
        hooks.restart = [this] { ++restarts; };
        dialog = std::make_unique<ui::OptionsDialog>(paths, prompter, std::move(hooks));
    }

    template <typename T = QWidget>
    T* Find(const char* name) const {
        T* w = dialog->findChild<T*>(name);
        if (w == nullptr) {
            qFatal("no control %s", name);
        }
        return w;
    }
    void Page(int index) const {
        auto* tree = Find<QTreeWidget>("tvGroups");
        tree->setCurrentItem(tree->topLevelItem(index));
    }
    void Click(const char* button) const { Find<QAbstractButton>(button)->click(); }
    std::string Setting(const char* key) const {
        return ProfileFile(paths.SettingsFile()).ReadString("SETTINGS", key, "<missing>");
    }
    std::string Limit(const char* key) const {
        return ProfileFile(paths.Save("main.cfg")).ReadString("TIME COMPRESSION", key, "<missing>");
    }
    // Another game installation to move to.
    std::filesystem::path OtherGame() const {
        const auto folder = world.Root() / "Other game";
        WriteText(folder / "sh3.exe", "stand-in");
        return platform::WithTrailingSeparator(folder);
    }
};

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void okWithoutChangesRewritesTheSameValues() {
        Options o;
        ProfileFile(o.paths.SettingsFile()).WriteString("SETTINGS", "DaysInBaseValue", "2075");
        o.dialog->Prepare();
        QCOMPARE(o.Find<QLineEdit>("txtSDIB")->text(), QStringLiteral("2075"));  // no group separator
        QVERIFY(!o.Find("cmdApply")->isEnabled());
        QVERIFY(o.Find("grp0")->isVisible() || !o.dialog->isVisible());
        QVERIFY(!o.Find("grp1")->isEnabled());
        o.Click("cmdOK");
        QCOMPARE(o.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(o.Setting("DaysInBaseValue"), std::string("2075"));
        QCOMPARE(o.Setting("ShowTips"), std::string("1"));
        const std::string settings = ReadText(o.paths.SettingsFile());
        const std::string mainCfg = ReadText(o.paths.Save("main.cfg"));
        o.dialog->Prepare();
        o.Click("cmdOK");
        QCOMPARE(ReadText(o.paths.SettingsFile()), settings);
        QCOMPARE(ReadText(o.paths.Save("main.cfg")), mainCfg);
        QCOMPARE(o.restarts, 0);
        QCOMPARE(o.detailFonts, (std::vector<bool>{false, false}));
        QVERIFY(o.prompter.messages.empty());

        // Cancel writes nothing; Apply keeps the dialog open and applies the detail font.
        o.dialog->Prepare();
        o.Page(0);
        o.Click("chkWPFnt");
        o.Click("cmdCancel");
        QCOMPARE(ReadText(o.paths.SettingsFile()), settings);
        o.dialog->Prepare();
        o.Click("chkWPFnt");
        QVERIFY(o.Find("cmdApply")->isEnabled());
        o.Click("cmdApply");
        QCOMPARE(o.Setting("UseSysFonts"), std::string("1"));
        QCOMPARE(o.detailFonts.back(), true);
        QVERIFY(!o.Find("cmdApply")->isEnabled());
    }

    void switchesEnableTheirValues() {
        Options o;
        ProfileFile(o.paths.SettingsFile()).WriteString("SETTINGS", "RndDaysInBase", "1");
        o.dialog->Prepare();
        o.Page(1);
        auto* random = o.Find<QCheckBox>("chkRDIB");
        auto* fixed = o.Find<QCheckBox>("chkSDIB");
        QVERIFY(random->isChecked() && !o.Find("udSDIB")->isEnabled());
        o.Click("chkSDIB");
        QVERIFY(fixed->isChecked() && !random->isChecked());
        QVERIFY(o.Find("udSDIB")->isEnabled());
        QVERIFY(o.Find("cmdApply")->isEnabled());
        o.Click("chkRDIB");
        QVERIFY(random->isChecked() && !fixed->isChecked() && !o.Find("udSDIB")->isEnabled());

        o.Page(3);
        for (auto [box, value] :
             {std::pair{"chkFatMod", "cmbFatMod"}, std::pair{"chkAdjH2OD", "udH2OD"},
              std::pair{"chkWavHt", "cmbWavHt"}, std::pair{"chk88Rld", "ud88Rld"},
              std::pair{"chk105Rld", "ud105Rld"}, std::pair{"chkEffects", "cmbEffects"}}) {
            QVERIFY2(!o.Find(value)->isEnabled(), value);
            o.Click(box);
            QVERIFY2(o.Find(value)->isEnabled(), value);
        }
        o.Find<QSpinBox>("ud88Rld")->setValue(12);
        o.Click("cmdOK");
        QCOMPARE(o.Setting("Adj88ReloadTime"), std::string("1"));
        QCOMPARE(o.Setting("88ReloadTime"), std::string("12"));
        QCOMPARE(o.Setting("SetDaysInBase"), std::string("0"));
    }

    void timeCompressionLimits() {
        Options o;
        ProfileFile(o.paths.Save("main.cfg")).WriteString("TIME COMPRESSION", "Particles", "3");
        o.dialog->Prepare();
        o.Page(4);
        auto* events = o.Find<QListWidget>("lstTCNm");
        auto* limits = o.Find<QListWidget>("lstTCVals");
        QCOMPARE(events->count(), 15);
        QVERIFY(!limits->isEnabled() && !o.Find("cmdResetTC")->isEnabled());
        // A value that is none of the list's: nothing selected, Reset offered.
        events->setCurrentRow(14);
        QVERIFY(limits->isEnabled());
        QVERIFY(limits->selectedItems().isEmpty());
        QVERIFY(o.Find("cmdResetTC")->isEnabled());
        o.Click("cmdResetTC");
        QCOMPARE(limits->currentItem()->text(), QStringLiteral("8"));
        QVERIFY(!o.Find("cmdResetTC")->isEnabled());
        // The demo's own limit is selected; another one is taken.
        events->setCurrentRow(1);
        QCOMPARE(limits->currentItem()->text(), QStringLiteral("512"));
        limits->setCurrentRow(1);
        QVERIFY(o.Find("cmdResetTC")->isEnabled());
        o.Click("cmdOK");
        QCOMPARE(o.Limit("Maximum"), std::string("4096"));
        QCOMPARE(o.Limit("Particles"), std::string("8"));
        QCOMPARE(o.Limit("HunterState"), std::string("16"));
    }

    void fatigueModelsAndStoredValuesOutOfRange() {
        Options o;
        WriteText(o.paths.Prog("Cfg\\Crew fatigue models.cfg"),
                  "[0]\r\nDesc=Easy\r\n[1]\r\nDesc=Hard\r\n[3]\r\nDesc=Lost\r\n");
        ProfileFile ini(o.paths.SettingsFile());
        ini.WriteString("SETTINGS", "FatigueModel", "5");
        ini.WriteString("SETTINGS", "DaysInBaseValue", "9999");
        ini.WriteString("SETTINGS", "WaveHeight", "-1");
        o.dialog->Prepare();
        auto* models = o.Find<QComboBox>("cmbFatMod");
        QCOMPARE(models->count(), 2);
        QCOMPARE(models->currentText(), QStringLiteral("Hard"));
        QCOMPARE(o.Find<QSpinBox>("udSDIB")->value(), 2075);
        QCOMPARE(o.Find<QComboBox>("cmbWavHt")->currentIndex(), 0);
        // Said before anything is saved.
        QCOMPARE(o.prompter.messages.size(), std::size_t{1});
        QCOMPARE(o.prompter.messages[0].kind, MessageKind::Warning);
        QVERIFY(o.prompter.messages[0].text.find("DaysInBaseValue=9999") != std::string::npos);
        o.Click("cmdOK");
        QCOMPARE(o.Setting("FatigueModel"), std::string("1"));
        QCOMPARE(o.Setting("DaysInBaseValue"), std::string("2075"));
        QCOMPARE(o.Setting("WaveHeight"), std::string("0"));
    }

    void aNewGameFolderRestartsAfterTheOldOneIsRolledBack() {
        Options o;
        o.dialog->Prepare();
        const QString before = o.Find<QLineEdit>("txtSH3Loc")->text();
        // A folder without sh3.exe asks again; cancelling keeps the path.
        o.prompter.folderAnswers = {o.paths.DocsFolder};
        o.Click("cmdSH3BrowsePath");
        QCOMPARE(o.prompter.browses.size(), std::size_t{2});
        QCOMPARE(o.Find<QLineEdit>("txtSH3Loc")->text(), before);

        // A main.cfg that cannot be written: the new game folder is not saved either, no restart.
        const std::string settings = ReadText(o.paths.SettingsFile());
        const auto other = o.OtherGame();
        o.prompter.folderAnswers = {other};
        o.Click("cmdSH3BrowsePath");
        QCOMPARE(o.Find<QLineEdit>("txtSH3Loc")->text(), ui::PathToQt(other));
        o.Page(4);
        o.Find<QListWidget>("lstTCNm")->setCurrentRow(1);
        o.Find<QListWidget>("lstTCVals")->setCurrentRow(0);
        const auto mainCfg = o.paths.Save("main.cfg");
        std::filesystem::permissions(mainCfg, std::filesystem::perms::owner_read);
        o.Click("cmdApply");
        std::filesystem::permissions(
            mainCfg, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        QCOMPARE(o.prompter.messages.size(), std::size_t{1});
        QCOMPARE(o.prompter.messages[0].kind, MessageKind::Error);
        QCOMPARE(o.restarts, 0);
        QCOMPARE(ReadText(o.paths.SettingsFile()), settings);

        // Backups of the old folder are pending: declined, nothing is saved and nothing restarts.
        const auto basic = o.paths.Game("data\\Cfg\\Basic.cfg");
        const std::string original = ReadText(basic);
        BackUpGameFile(o.paths, "data\\Cfg\\Basic.cfg");
        WriteText(basic, "changed by a launch");
        o.prompter.answers = {Button::No};
        o.Click("cmdApply");
        QCOMPARE(o.restarts, 0);
        QCOMPARE(ReadText(o.paths.SettingsFile()), settings);
        QCOMPARE(ReadText(basic), std::string("changed by a launch"));
        // Accepted: the old folder is rolled back, the new one saved, and Seewolf starts again.
        o.prompter.answers = {Button::Yes};
        o.Click("cmdApply");
        QCOMPARE(ReadText(basic), original);
        QCOMPARE(o.restarts, 1);
        QCOMPARE(o.Setting("SH3Location"), platform::TextFromPath(other));
        QCOMPARE(o.dialog->result(), int(QDialog::Accepted));
    }

    void theMainWindowOpensTheOptionsAndClosesForTheRestart() {
        testing::TempWorld world;
        testing::ScriptedPrompter prompter;
        Random random(3);
        const std::string self = platform::TextFromPath(world.World().program / "seewolf");
        const StartupResult start = RunStartup(CommandLineFromArguments({self}), world.World().program,
                                               prompter, [] { return false; });
        QVERIFY(start.proceed);
        ui::MainWindow window(start, random, prompter);
        window.show();
        auto* options = window.findChild<QToolButton*>("sbOptions");
        QVERIFY(options->isVisible());
        QWidget* shown = nullptr;
        QPoint offCentre;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activeModalWidget();
            QVERIFY(shown != nullptr);
            offCentre = shown->geometry().center() - window.geometry().center();
            WriteText(world.Root() / "Moved" / "sh3.exe", "stand-in");
            shown->findChild<QLineEdit*>("txtSH3Loc")->setText(ui::PathToQt(world.Root() / "Moved"));
            shown->findChild<QPushButton*>("cmdOK")->click();
        });
        options->click();
        QVERIFY(shown != nullptr && shown->windowTitle() == QStringLiteral("SH3 Options"));
        QVERIFY2(offCentre.manhattanLength() <= 4, "centred on the main window");
        QVERIFY(window.RestartRequested());
        QVERIFY(!window.isVisible());
    }

    void theRestartReleasesTheGuardFirst() {
        testing::TempFolder temp;
        const auto executable = temp.Path() / "seewolf";
        const int self = platform::CurrentProcessId();
        auto guard = std::make_unique<platform::InstanceGuard>(executable);
        QVERIFY(!guard->AnotherInstanceOwns(self, 1));
        QVERIFY(platform::InstanceGuard(executable).AnotherInstanceOwns(self, 1));  // held: turned away
        bool turnedAway = true;
        platform::ProgramCall started;
        QVERIFY(ui::StartAgain(guard, executable, [&](const platform::ProgramCall& call) {
            turnedAway = platform::InstanceGuard(executable).AnotherInstanceOwns(self, 1);
            started = call;
            return true;
        }));
        QVERIFY(!turnedAway);
        QVERIFY(guard == nullptr);
        QCOMPARE(started.program, executable);
        QVERIFY(started.arguments.empty());
        QCOMPARE(started.workingFolder, temp.Path());
    }

    void everyPageIsNamedAndLooksRight() {
        Options o;
        o.dialog->Prepare();
        o.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(o.dialog.get()));
        QCOMPARE(o.dialog->windowTitle(), QStringLiteral("SH3 Options"));
        // The user guide link works from the keyboard and says when the guide is missing.
        o.Page(4);
        QTest::keyClick(o.Find("lblUG"), Qt::Key_Return);
        QCOMPARE(o.prompter.messages.size(), std::size_t{1});
        QVERIFY(o.prompter.messages[0].text.find("Leitfaden.pdf") != std::string::npos);
        // Present, it goes to the desktop as the file it is; when nothing takes it, the user is told.
        const std::filesystem::path guide = o.paths.Prog("Leitfaden.pdf");
        platform::WriteFileAtomic(guide, "%PDF-1.4\n");
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
        QTest::keyClick(o.Find("lblUG"), Qt::Key_Return);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(ui::PathToQt(guide))});
        QCOMPARE(o.prompter.messages.size(), std::size_t{1});
        QTest::keyClick(o.Find("lblUG"), Qt::Key_Return);  // the offscreen desktop opens nothing
        QCOMPARE(o.prompter.messages.size(), std::size_t{2});
        QVERIFY(o.prompter.messages[1].text.find("could not be opened") != std::string::npos);
        const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS");
        for (int page = 0; page < 6; ++page) {
            o.Page(page);
            for (QWidget* control : o.dialog->findChildren<QWidget*>()) {
                if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(o.dialog.get()) ||
                    qobject_cast<QAbstractSpinBox*>(control->parentWidget()) != nullptr ||
                    qobject_cast<QComboBox*>(control->parentWidget()) != nullptr) {
                    continue;
                }
                const QString name = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
                QVERIFY2(name.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2}"))),
                         qPrintable(control->objectName() + " is named '" + name + "'"));
            }
            if (!folder.isEmpty()) {
                o.Find<QListWidget>("lstTCNm")->setCurrentRow(1);
                QVERIFY(o.dialog->grab().save(folder + QStringLiteral("/options_%1.png").arg(page)));
            }
        }
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
