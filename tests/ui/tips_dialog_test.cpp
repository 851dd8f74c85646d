#include "ui/tips_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/profile_file.h"
#include "app/random.h"
#include "platform/files.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

using namespace seewolf;
using testing::ReadText;
using testing::WriteText;

namespace {

constexpr const char* kNoTips = "There are no tips to display.";

struct Tips {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    testing::ScriptedPrompter prompter;
    Random random{7};
    std::unique_ptr<ui::TipsDialog> dialog;

    void Open(const char* tipsFile) {
        if (tipsFile != nullptr) {
            WriteText(paths.Prog("Tips.txt"), tipsFile);
        } else {
            std::filesystem::remove(paths.Prog("Tips.txt"));
        }
        dialog = std::make_unique<ui::TipsDialog>(paths, random, prompter);
        dialog->show();
    }
    template <typename T = QWidget>
    T* Find(const char* name) const {
        T* w = dialog->findChild<T*>(name);
        if (w == nullptr) {
            qFatal("no control %s", name);
        }
        return w;
    }
    QString Tip() const { return Find<QLabel>("lblTip")->text(); }
    std::string Setting() const {
        return ProfileFile(paths.SettingsFile()).ReadString("SETTINGS", "ShowTips", "<missing>");
    }
};

// Closes every tips dialog that shows up, counting them.
struct TipsWatcher {
    int shown = 0;
    QTimer timer;
    TipsWatcher() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() == QStringLiteral("frmTips") && w->isVisible()) {
                    ++shown;
                    w->close();
                }
            }
        });
        timer.start(20);
    }
};

}  // namespace

class TipsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void tipsAreLinesWithTextShownAsWritten() {
        Tips t;
        t.Open("\r\n   \r\n  Dive, <b>dive</b> & hold!  \r\n\t\r\n");
        QCOMPARE(t.dialog->windowTitle(), QStringLiteral("Using Seewolf"));
        QCOMPARE(t.Tip(), QStringLiteral("  Dive, <b>dive</b> & hold!  "));
        QCOMPARE(t.Find<QLabel>("lblTip")->textFormat(), Qt::PlainText);
        QVERIFY(t.Find("cmdNext")->isHidden());
        QVERIFY(t.Find<QPushButton>("cmdClose")->isDefault());
        QVERIFY(t.Find<QCheckBox>("chkShowTips")->isChecked());

        // Blank lines only, or no file at all: the initial text and no further tips.
        t.Open(" \t \r\n\n\r\n");
        QCOMPARE(t.Tip(), QString::fromLatin1(kNoTips));
        QVERIFY(t.Find("cmdNext")->isHidden());
        t.Open(nullptr);
        QCOMPARE(t.Tip(), QString::fromLatin1(kNoTips));
        QVERIFY(t.Find("cmdNext")->isHidden());

        // Two tips (Windows-1252): Next draws among all of them, each can come.
        t.Open("Erster Tipp f\xFCr U-Boote\nSecond tip\n");
        QVERIFY(t.Find("cmdNext")->isVisible());
        QSet<QString> seen{t.Tip()};
        for (int i = 0; i < 30; ++i) {
            t.Find<QPushButton>("cmdNext")->click();
            seen.insert(t.Tip());
        }
        QCOMPARE(seen, (QSet<QString>{QStringLiteral("Erster Tipp f\u00FCr U-Boote"),
                                      QStringLiteral("Second tip")}));
        QVERIFY(t.prompter.messages.empty());
    }

    void closingStoresTheChoiceOnlyWhenItChanged() {
        Tips t;
        // Left on: Seewolf.ini keeps its bytes, even when it is read-only.
        const std::string before = ReadText(t.paths.SettingsFile());
        t.Open("One tip\n");
        t.Find<QPushButton>("cmdClose")->click();
        QVERIFY(!t.dialog->isVisible());
        QCOMPARE(ReadText(t.paths.SettingsFile()), before);
        platform::SetReadOnly(t.paths.SettingsFile(), true);
        t.Open("One tip\n");
        t.dialog->close();
        QVERIFY(t.prompter.messages.empty());

        // Switched off on a read-only file: said once, plainly, and the dialog still closes.
        t.Open("One tip\n");
        t.Find<QCheckBox>("chkShowTips")->click();
        t.dialog->close();
        QVERIFY(!t.dialog->isVisible());
        QCOMPARE(t.prompter.messages.size(), std::size_t{1});
        QVERIFY(t.prompter.messages[0].text.find("could not save your choice for \"Show tips on startup\"") !=
                std::string::npos);
        QCOMPARE(ReadText(t.paths.SettingsFile()), before);

        // Switched off and closed with the title-bar close box: stored.
        platform::SetReadOnly(t.paths.SettingsFile(), false);
        t.Open("One tip\n");
        t.Find<QCheckBox>("chkShowTips")->click();
        t.dialog->close();
        QCOMPARE(t.Setting(), std::string("0"));
        // Left on when the file says off (Escape closes): stored as on again.
        t.Open("One tip\n");
        QTest::keyClick(t.dialog.get(), Qt::Key_Escape);
        QVERIFY(!t.dialog->isVisible());
        QCOMPARE(t.Setting(), std::string("1"));
        QCOMPARE(t.prompter.messages.size(), std::size_t{1});
    }

    void shownOnceAtTheFirstActivationWhenSwitchedOn() {
        Tips t;
        WriteText(t.paths.Prog("Tips.txt"), "A tip\n");
        TipsWatcher watcher;
        QWidget mainWindow;
        ui::ShowTipsAtFirstActivation(&mainWindow, t.paths, t.random, t.prompter);
        mainWindow.show();
        mainWindow.activateWindow();
        QTRY_COMPARE(watcher.shown, 1);
        // Later activations (back from another window) show nothing.
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        mainWindow.activateWindow();
        QTRY_VERIFY(mainWindow.isActiveWindow());
        QTest::qWait(100);
        QCOMPARE(watcher.shown, 1);

        // Switched off: the first activation shows nothing.
        ProfileFile(t.paths.SettingsFile()).WriteString("SETTINGS", "ShowTips", "0");
        QWidget quiet;
        ui::ShowTipsAtFirstActivation(&quiet, t.paths, t.random, t.prompter);
        quiet.show();
        quiet.activateWindow();
        QTRY_VERIFY(quiet.isActiveWindow());
        QTest::qWait(100);
        QCOMPARE(watcher.shown, 1);
        QVERIFY(t.prompter.messages.empty());
    }
};

QTEST_MAIN(TipsDialogTest)
#include "tips_dialog_test.moc"
