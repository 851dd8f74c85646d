#include "ui/about_dialog.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "support/scripted_prompter.h"
#include "url_catcher.h"

using namespace seewolf;

namespace {

QString Text(const QDialog& dialog, const char* label) {
    return dialog.findChild<QLabel*>(label)->text();
}

}  // namespace

class AboutDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void showsTheVersionBlockAndClosesOnEscape() {
        testing::ScriptedPrompter prompter;
        ui::AboutDialog about(prompter);
        const VersionBlock& block = ProgramVersion();
        const auto field = [&block](const char* key) {
            return QString::fromLatin1(*VersionField(block, key));
        };
        QCOMPARE(about.windowTitle(), QStringLiteral("About Seewolf"));
        QCOMPARE(Text(about, "lblInfo"),
                 "Seewolf v3.2.0.203\n" + field("LegalCopyright") + "\n" + field("Comments"));
        QCOMPARE(Text(about, "lblLicense"), field("LegalTradeMarks"));
        QVERIFY(about.findChild<QPushButton*>("cmdOK")->isDefault());

        about.open();
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Rejected));
        about.open();
        QTest::keyClick(&about, Qt::Key_Return);
        QCOMPARE(about.result(), int(QDialog::Accepted));
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            about.show();
            QVERIFY(about.grab().save(folder + "/about.png"));
            about.hide();
        }

        // Each value is found by its key: a block without a copyright line shifts nothing, and
        // its texts are shown as they stand.
        ui::AboutDialog gappy(prompter, VersionBlock{{"ProductName", "<i>Wolf</i>"},
                                                     {"FileVersion", "1.0"},
                                                     {"Comments", "Note"},
                                                     {"LegalTradeMarks", ""}});
        QCOMPARE(gappy.windowTitle(), QStringLiteral("About <i>Wolf</i>"));
        QCOMPARE(Text(gappy, "lblInfo"), QStringLiteral("<i>Wolf</i> v1.0\n(unknown)\nNote"));
        QCOMPARE(gappy.findChild<QLabel*>("lblInfo")->textFormat(), Qt::PlainText);
        QCOMPARE(Text(gappy, "lblLicense"), QStringLiteral("(unknown)"));
    }

    void theHomePageLinkOpensOrSaysWhy() {
        testing::ScriptedPrompter prompter;
        ui::AboutDialog about(prompter);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "Open");
        about.show();
        QTest::mouseClick(about.findChild<QLabel*>("lblHomePage"), Qt::LeftButton);
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(ui::AboutDialog::kHomePageAddress)});
        QVERIFY(prompter.messages.empty());

        QDesktopServices::setUrlHandler("https", &catcher, "NoSuchSlot");
        QTest::mouseClick(about.findChild<QLabel*>("lblHomePage"), Qt::LeftButton);
        QCOMPARE(prompter.messages.size(), std::size_t{1});
        QCOMPARE(prompter.messages[0].kind, MessageKind::Error);
        QDesktopServices::unsetUrlHandler("https");
    }
};

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"
