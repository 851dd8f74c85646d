#include "career/nightclub.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSoundEffect>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/language.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "career/career.h"
#include "platform/files.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"
#include "ui/nightclub_dialog.h"
#include "ui/qt_text.h"

using namespace seewolf;
using testing::WriteText;

namespace {

// The dialog on a fresh demo world (which ships the program's Nightclub folder), for a
// commander in base in March 1941.
struct Club {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    Language language = ChooseLanguage(paths);
    testing::ScriptedPrompter prompter;
    Random random{11};
    SelectedCareer career;
    std::unique_ptr<ui::NightclubDialog> dialog;

    Club() {
        career.CmdrName = "Hans Kohl";
        career.StartDateText = "19410315";
        dialog = std::make_unique<ui::NightclubDialog>(paths, language, prompter, random);
    }
    void Texts(const std::string& text) { WriteText(NightclubTextFile(paths, language), text); }
    template <typename T = QWidget>
    T* Find(const char* name) const {
        T* w = dialog->findChild<T*>(QString::fromLatin1(name));
        if (w == nullptr) {
            qFatal("no control %s", name);
        }
        return w;
    }
    QString Memo() const { return Find<QPlainTextEdit>("mmoComments")->toPlainText(); }
    bool NextShown() const { return !Find<QToolButton>("sbNext")->isHidden(); }
    void Next() const { QTest::mouseClick(Find<QToolButton>("sbNext"), Qt::LeftButton); }
};

}  // namespace

class NightclubTest : public QObject {
    Q_OBJECT
  private slots:
    void commentsOneAtATimeUntilNextHides() {
        Club c;
        c.Texts(
            "[SETTINGS]\r\nGreeting=Evening, %S. Your usual?\r\nShowCommentsPerMth=3\r\nNoNews=Quiet "
            "tonight, %s.\r\n[194103]\r\n1=They say %s sank a tanker.\r\n2=Another round for the Herr "
            "Kaleun!\r\n[194104]\r\n1=April talk.\r\n");
        c.dialog->Prepare(c.career);
        QCOMPARE(c.Memo(), QStringLiteral("Evening, Hans Kohl. Your usual?"));
        QVERIFY(c.NextShown());
        c.Next();
        QVERIFY(c.NextShown());
        c.Next();
        QVERIFY(!c.NextShown());
        // Both entries of the month, three asked for: each once, in the order drawn.
        const QString a = QStringLiteral("They say Hans Kohl sank a tanker.");
        const QString b = QStringLiteral("Another round for the Herr Kaleun!");
        const QString greeting = QStringLiteral("Evening, Hans Kohl. Your usual?\n\n");
        QVERIFY2(c.Memo() == greeting + a + "\n\n" + b || c.Memo() == greeting + b + "\n\n" + a,
                 qPrintable(c.Memo()));
        QVERIFY(c.prompter.messages.empty());

        // Every showing starts afresh.
        c.dialog->Prepare(c.career);
        QCOMPARE(c.Memo(), QStringLiteral("Evening, Hans Kohl. Your usual?"));
        QVERIFY(c.NextShown());
    }

    void noNewsWithoutMonthOrWithNegativeCount() {
        Club c;
        ProfileFile(c.paths.SettingsFile()).WriteBool("SETTINGS", "UseSysFonts", true);
        c.Texts(
            "[SETTINGS]\r\nGreeting=Hello %s\r\nShowCommentsPerMth=2\r\nNoNews=No news, %S.\r\n[194104]\r\n"
            "1=April talk.\r\n");
        c.dialog->Prepare(c.career);
        QCOMPARE(c.Memo(), QStringLiteral("Hello Hans Kohl\nNo news, Hans Kohl."));
        QVERIFY(!c.NextShown());
        const QFont font = c.Find<QPlainTextEdit>("mmoComments")->font();
        QCOMPARE(font.family(), QStringLiteral("Tahoma"));
        QCOMPARE(font.pixelSize(), 16);

        c.career.StartDateText = "19410402";
        c.Texts(
            "[SETTINGS]\r\nGreeting=Hello %s\r\nShowCommentsPerMth=-2\r\nNoNews=Nothing.\r\n[194104]\r\n"
            "1=April talk.\r\n");
        c.dialog->Prepare(c.career);
        QCOMPARE(c.Memo(), QStringLiteral("Hello Hans Kohl\nNothing."));
        QVERIFY(!c.NextShown());

        // Without the comment file the user hears which file is missing.
        platform::RemovePath(NightclubTextFile(c.paths, c.language));
        c.dialog->Prepare(c.career);
        QCOMPARE(c.dialog->Notes().size(), std::size_t{1});
        QVERIFY(c.dialog->Notes()[0].find("Nightclub_en.txt") != std::string::npos);
    }

    void aPictureThatCannotBeReadKeepsTheOneBefore() {
        Club c;
        c.dialog->Prepare(c.career);
        const QPixmap shown = c.Find<QLabel>("imgNC")->pixmap();
        QVERIFY(!shown.isNull());
        QVERIFY(c.dialog->Notes().empty());
        for (const std::filesystem::path& picture : NightclubFiles(c.paths, ".jpg")) {
            platform::RemovePath(picture);
        }
        WriteText(c.paths.Prog("Nightclub\\Broken.JPG"), "not a picture");
        c.dialog->Prepare(c.career);
        QCOMPARE(c.Find<QLabel>("imgNC")->pixmap().cacheKey(), shown.cacheKey());
        QCOMPARE(c.dialog->Notes().size(), std::size_t{1});
        QVERIFY(c.dialog->Notes()[0].find("Broken.JPG") != std::string::npos);
    }

    void escapeClosesAndStopsTheSound() {
        Club c;
        auto* sound = c.Find<QSoundEffect>("sndNC");
        bool playedWhileOpen = false;
        QTimer::singleShot(0, c.dialog.get(), [&] {
            playedWhileOpen = c.dialog->isVisible() && sound->source().isLocalFile() &&
                              sound->source().toLocalFile().endsWith(QStringLiteral(".wav"));
            if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
                c.dialog->grab().save(folder + "/nightclub.png");
            }
            QTest::keyClick(c.dialog.get(), Qt::Key_Escape);
        });
        c.dialog->ShowModal(c.career);
        QVERIFY(playedWhileOpen);
        QVERIFY(!c.dialog->isVisible());
        QVERIFY(sound->source().isEmpty());
        QVERIFY(!sound->isPlaying());
        QVERIFY(c.prompter.messages.empty());
    }

    // The shipped comments: every month of the war in every language, each with enough to say.
    void shippedCommentsCoverEveryMonth() {
        testing::TempWorld world;
        for (const char* code : {"en", "de", "fr"}) {
            Language language;
            language.LangCode = code;
            const ProfileFile texts(NightclubTextFile(world.GetPaths(), language));
            const int perMonth = texts.ReadInteger("SETTINGS", "ShowCommentsPerMth", 0);
            QVERIFY(perMonth > 0);
            QVERIFY(texts.ReadString("SETTINGS", "Greeting", "").find("%s") != std::string::npos);
            QVERIFY(!texts.ReadString("SETTINGS", "NoNews", "").empty());
            for (int month = 1939 * 12 + 8; month <= 1945 * 12 + 4; ++month) {
                const std::string section =
                    std::to_string(month / 12) + (month % 12 < 9 ? "0" : "") + std::to_string(month % 12 + 1);
                QVERIFY2(static_cast<int>(texts.ReadSection(section).size()) >= perMonth,
                         qPrintable(QString::fromLatin1(code) + " " + QString::fromStdString(section)));
            }
        }
        QVERIFY(NightclubFiles(world.GetPaths(), ".jpg").size() >= 2);
        QCOMPARE(NightclubFiles(world.GetPaths(), ".wav").size(), std::size_t{1});
    }
};

QTEST_MAIN(NightclubTest)
#include "nightclub_test.moc"
