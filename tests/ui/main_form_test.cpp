#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <thread>

#include "app/random.h"
#include "app/startup.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"
#include "ui/instance_channel.h"
#include "ui/main_form.h"
#include "ui/qt_prompter.h"

using namespace seewolf;

class MainFormTest : public QObject {
    Q_OBJECT

    StartupResult Start(const testing::TempWorld& world) {
        testing::ScriptedPrompter prompter;
        const std::string self = platform::TextFromPath(world.World().program / "seewolf");
        StartupResult r = RunStartup(CommandLineFromArguments({self}), world.World().program, prompter,
                                     [] { return false; });
        if (!r.proceed) {
            qFatal("start-up failed: %s", prompter.messages.empty() ? "" : prompter.messages[0].text.c_str());
        }
        return r;
    }

private slots:
    void captionControlsAndFixedSize() {
        testing::TempWorld world;
        Random random(1);
        ui::QtPrompter prompter;
        ui::TfrmMainForm form(Start(world), random, prompter);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QString game = QString::fromStdString(
            platform::WithoutTrailingSeparator(world.World().game).string());
        QCOMPARE(form.windowTitle(), QStringLiteral("Seewolf [") + game + "]");
        for (const char* name : {"tvCareer", "lblCarMenu", "sbOptions", "sbLaunch", "sbClose", "lblAbout",
                                 "lblChk4Updt"}) {
            QVERIFY2(form.findChild<QWidget*>(name) != nullptr, name);
        }
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        // For looking at the window: SEEWOLF_SCREENSHOTS=<folder> saves it as a picture.
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            QVERIFY(form.grab().save(folder + "/main_form.png"));
        }
    }

    void rollbackButtonFollowsTheBackupFolder() {
        testing::TempWorld world;
        Random random(1);
        ui::QtPrompter prompter;
        ui::TfrmMainForm form(Start(world), random, prompter);
        form.show();
        auto* rollback = form.findChild<QToolButton*>("sbRollback");
        QVERIFY(rollback);
        QVERIFY(!rollback->isVisible());
        std::filesystem::create_directories(world.GetPaths().BackupFolder / "data");
        form.UpdateRollbackButton();
        QVERIFY(rollback->isVisible());
    }

    void statusLineAndCaretHidesIt() {
        testing::TempWorld world;
        Random random(1);
        ui::QtPrompter prompter;
        ui::TfrmMainForm form(Start(world), random, prompter);
        form.show();
        auto* status = form.findChild<QLabel*>("lblStatus");
        QVERIFY(status && !status->isVisible());
        prompter.SetStatus("Rolling back\xE4");  // the prompter reaches the window's status line
        QVERIFY(status->isVisible());
        QCOMPARE(status->text(), QString::fromUtf8("Rolling back\xC3\xA4"));
        prompter.SetStatus("^");
        QVERIFY(!status->isVisible());
    }

    void closeButtonClosesTheWindow() {
        testing::TempWorld world;
        Random random(1);
        ui::QtPrompter prompter;
        ui::TfrmMainForm form(Start(world), random, prompter);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.findChild<QToolButton*>("sbClose"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }

    void secondStartBringsTheWindowForward() {
        testing::TempWorld world;
        Random random(1);
        ui::QtPrompter prompter;
        ui::TfrmMainForm form(Start(world), random, prompter);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.showMinimized();
        QTRY_VERIFY(form.isMinimized());

        const QString name = ui::ChannelName("test-block-" + std::to_string(platform::CurrentProcessId()));
        ui::InstanceChannel channel;
        std::vector<std::string> received;
        bool arrived = false;
        QVERIFY(channel.Listen(name, [&](const std::vector<std::string>& args) {
            received = args;
            arrived = true;
            form.BringToFront();
        }));
        bool accepted = false;
        std::thread second([&] { accepted = ui::InstanceChannel::Forward(name, {"/i:C:\\Game\\", "x y"}); });
        QTRY_VERIFY(arrived);
        second.join();
        QVERIFY(accepted);
        QCOMPARE(received.size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(received[0]), QStringLiteral("/i:C:\\Game\\"));
        QCOMPARE(QString::fromStdString(received[1]), QStringLiteral("x y"));
        QVERIFY(!form.isMinimized());
    }

    void forwardedBufferLayout() {
        const QByteArray buffer = ui::ForwardedArguments({"ab", "c"});
        QCOMPARE(buffer, QByteArray("ab\0c\0\0", 6));
        QCOMPARE(ui::ForwardedArguments({}), QByteArray("\0", 1));
        QVERIFY(ui::ArgumentsFromBuffer(QByteArray("ab", 2)).empty());  // no closing zero
        QCOMPARE(ui::ArgumentsFromBuffer(buffer).size(), std::size_t{2});
    }
};

QTEST_MAIN(MainFormTest)
#include "main_form_test.moc"
