#include <QApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include "app/language.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "career/career.h"
#include "crew/crewman.h"
#include "demo/demo.h"
#include "reports/crew_list.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"
#include "ui/crew_manager_dialog.h"
#include "ui/qt_text.h"
#include "url_catcher.h"

using namespace seewolf;
using demo::DemoCareers;
using testing::ReadText;

namespace {

// The window on a fresh demo world, opened on one career.
struct Crew {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    const Language language = ChooseLanguage(paths);
    testing::ScriptedPrompter prompter;
    Random random{7};
    crew::ReplacementCounter counter;
    SelectedCareer career;
    std::vector<std::string> dismissQuestions;
    crew::DismissChoice dismissAnswer = crew::DismissChoice::Cancel;
    std::unique_ptr<ui::CrewManagerDialog> dialog;

    explicit Crew(const char* name) {
        career = LoadCareer(paths, language, ui::FromQt(QString::fromUtf8(name)));
        dialog = std::make_unique<ui::CrewManagerDialog>(paths, language, prompter, random, counter);
        dialog->SetDismissAsker([this](const std::string& question) {
            dismissQuestions.push_back(question);
            return dismissAnswer;
        });
    }
    void Open() { dialog->Prepare(career); }

    template <typename T = QWidget>
    T* Find(const QString& name) const {
        T* w = dialog->findChild<T*>(name);
        if (w == nullptr) {
            qFatal("no control %s", qPrintable(name));
        }
        return w;
    }
    QTreeWidget* List() const { return Find<QTreeWidget>("lvCrew"); }
    std::filesystem::path Roster() const { return crew::CrewFile(career); }
    std::string Key(int slot, const char* key) const {
        return ProfileFile(Roster()).ReadString(crew::SlotSection(slot), key, "(none)");
    }
    void Write(int slot, const char* key, const std::string& value) const {
        ProfileFile(Roster()).WriteString(crew::SlotSection(slot), key, value);
    }
    // Selects the row of the crewman in `slot`, found by his name (names may repeat).
    void Select(int slot) const {
        const QString name = ui::ToQt(Key(slot, "Name"));
        for (int row = 0; row < List()->topLevelItemCount(); ++row) {
            if (List()->topLevelItem(row)->text(0) == QStringLiteral(" ") + name) {
                List()->setCurrentItem(List()->topLevelItem(row));
                if (dialog->CurrentView().slot == slot) {
                    return;
                }
            }
        }
        qFatal("crewman of slot %d not listed", slot);
    }
    bool Enabled(const char* name) const { return Find(QString::fromLatin1(name))->isEnabled(); }
    bool Shown(const QString& name) const { return !Find(name)->isHidden(); }
    void Click(const char* button) const { Find<QPushButton>(QString::fromLatin1(button))->click(); }
    // The grade the rank list shows.
    int RankShown() const { return 8 - Find<QListWidget>("lstRank")->currentRow(); }
    void ChooseRank(int grade) const { Find<QListWidget>("lstRank")->setCurrentRow(8 - grade); }
    // A drop of the picture `source` onto `target`, as the drag would end; true when taken.
    bool DropOn(const QString& target, const QString& source) const {
        QWidget* w = Find(target);
        QMimeData mime;
        mime.setData(ui::CrewManagerDialog::kMimeType, source.toUtf8());
        QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &drop);
        return drop.isAccepted();
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const auto& shown : prompter.messages) {
            if (shown.kind == MessageKind::Error) {
                texts.push_back(shown.text);
            }
        }
        return texts;
    }
};

}  // namespace

class CrewManagerTest : public QObject {
    Q_OBJECT

  private slots:
    void listAndDetailsFollowTheRoster() {
        // A Type XXI boat: the seaman in compartment 8 is neither listed nor counted.
        Crew s(DemoCareers::Surrendered);
        s.Open();
        QCOMPARE(s.Find<QLabel>("lblTotCrew")->text(), QStringLiteral("Total Crewmen: 24 (5/7/12)"));
        QVERIFY(s.dialog->windowTitle().startsWith(QStringLiteral("Crew of ")));
        for (const QLabel* label : s.dialog->findChildren<QLabel*>()) {
            QCOMPARE(label->textFormat(), Qt::PlainText);  // names from the files are no markup
        }

        // A missing roster is said, not shown as an empty crew without a word, and not made.
        std::filesystem::remove(s.Roster());
        s.Open();
        QCOMPARE(s.List()->topLevelItemCount(), 0);
        QCOMPARE(s.prompter.messages.size(), std::size_t{1});
        QVERIFY(s.prompter.messages[0].text.find("is missing") != std::string::npos);
        QVERIFY(!std::filesystem::exists(s.Roster()));

        // Officers the game does not expect where they are, with no officer slot free for them:
        // moved where possible, the rest named in one warning.
        Crew early(DemoCareers::EarlyWar);
        early.Open();
        QCOMPARE(early.prompter.messages.size(), std::size_t{1});
        QVERIFY(early.prompter.messages[0].text.find("crew slots 11 ") != std::string::npos);
        QCOMPARE(early.Key(1, "NrComp"), std::string("-1"));

        Crew c(DemoCareers::InHomeBase);
        c.Open();
        // Showing the window focuses the list, which gives it a current row: nobody is selected.
        c.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(c.dialog.get()));
        QVERIFY(!c.Enabled("grpCrewDesc") && !c.Enabled("grpAvail") && !c.Enabled("cmdDismiss"));
        QVERIFY(c.Find<QLineEdit>("txtName")->text().isEmpty());
        for (const QWidget* w : c.dialog->findChildren<QWidget*>()) {
            if (w->focusPolicy() != Qt::NoFocus && w->parentWidget() != nullptr &&
                !w->objectName().startsWith(QLatin1String("qt_"))) {
                QVERIFY2(!w->accessibleName().isEmpty() || w->objectName().isEmpty(),
                         qPrintable(w->objectName()));
            }
        }
        // Highest grade first.
        const QTreeWidget* list = c.List();
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral(" ") + ui::ToQt(c.Key(0, "Name")));
        QCOMPARE(c.Key(11, "NrComp"), std::string("-1"));  // the officer of slot 11 moved on opening

        // A petty officer of grade 4: no face, one qualification slot.
        c.Select(12);
        QVERIFY(c.Enabled("grpCrewDesc") && c.Enabled("grpAvail") && c.Enabled("cmdDismiss"));
        QVERIFY(!c.Enabled("cmdApply"));
        QCOMPARE(c.RankShown(), 4);
        QVERIFY(!c.Enabled("udFace") && c.Find<QLabel>("imgFace")->pixmap().isNull());
        QVERIFY(c.Shown("imgQual0") && !c.Shown("imgQual1") && !c.Shown("lblQual2"));
        QVERIFY(!c.Shown("imgAQual3"));  // his qualification is not in the pool
        // Grade 5: three slots, still no face.
        c.Select(13);
        QVERIFY(c.Shown("imgQual1") && c.Shown("lblQual2") && !c.Enabled("udFace"));
        QVERIFY(c.Shown("imgAQual3") && !c.Shown("imgAQual0") && !c.Shown("imgAQual5"));
        QVERIFY(c.Shown("imgMedal2") && !c.Shown("imgMedal6"));
        QVERIFY(!c.Find<QPlainTextEdit>("mmoNotes")->toPlainText().isEmpty());  // too many awards
        // An officer: his face and three slots.
        c.Select(0);
        QVERIFY(c.Enabled("udFace") && c.Find<QLabel>("imgFace")->pixmap().width() > 1);
        QCOMPARE(c.Find<QSpinBox>("udFace")->value(), 11);
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            QVERIFY(c.dialog->grab().save(folder + "/crew_manager_officer.png"));
        }
        // NrQual 0 with a stale Qualification0: no qualification.
        c.Select(39);
        QCOMPARE(c.Find<QLabel>("lblQual0")->text(), QStringLiteral("None"));
        QVERIFY(c.Shown("imgAQual4"));
        // A name longer than a typed one may be is shown and kept whole.
        c.Select(38);
        QCOMPARE(c.Find<QLineEdit>("txtName")->text(), QStringLiteral("Karl-Heinz Schulze-Brockdorff"));
        QVERIFY(c.prompter.messages.empty());
    }

    void faceStepsSkipTheGapsAndAreSaved() {
        Crew c(DemoCareers::InHomeBase);
        c.Write(0, "Index", std::to_string(crew::FaceKeysOf(14).index));
        c.Open();
        c.Select(0);
        auto* face = c.Find<QSpinBox>("udFace");
        QCOMPARE(face->value(), 14);
        face->stepUp();
        QCOMPARE(face->value(), 21);
        QVERIFY(c.Enabled("cmdApply"));
        face->stepDown();
        QCOMPARE(face->value(), 14);
        face->setValue(11);
        face->stepDown();
        QCOMPARE(face->value(), 11);
        face->setValue(34);
        face->stepUp();
        QCOMPARE(face->value(), 34);
        face->stepDown();
        face->stepDown();
        c.Click("cmdApply");
        QCOMPARE(c.Key(0, "Index"), std::to_string(crew::FaceKeysOf(32).index));
        QCOMPARE(c.Key(0, "HeadIdx"), std::to_string(crew::FaceKeysOf(32).headIdx));
        QVERIFY(!c.Enabled("cmdApply"));
        QCOMPARE(face->value(), 32);
    }

    void awardsAndQualificationsMoveByDragAndDrop() {
        Crew c(DemoCareers::InHomeBase);
        c.Write(36, "MedalsInx0", "-1");  // a seaman with patrols and no award
        c.Write(36, "MedalsInx7", "-1");
        c.Open();
        c.Select(36);
        QVERIFY(c.Shown("imgAMedal0") && !c.Shown("imgAMedal1") && !c.Shown("imgMedal0"));
        QVERIFY(!c.DropOn("grpBadges", "imgAMedal0"));  // a medal is no badge
        QVERIFY(!c.DropOn("grpMedals", "imgAMedal7"));
        QVERIFY(c.DropOn("imgMedal3", "imgAMedal0"));
        QVERIFY(c.Shown("imgMedal0") && !c.Shown("imgAMedal0") && c.Shown("imgAMedal1"));
        QVERIFY(c.Enabled("cmdApply"));
        QVERIFY(c.DropOn("grpMedals", "imgAMedal1"));
        // The lower medal of the chain cannot be taken while the higher one is held.
        QVERIFY(!c.Find("imgMedal0")->isEnabled() && c.Find("imgMedal1")->isEnabled());
        QVERIFY(!c.DropOn("grpAvail", "imgAMedal2"));  // pool to pool
        QVERIFY(c.DropOn("imgAQual2", "imgMedal1"));
        QVERIFY(!c.Shown("imgMedal1") && c.Shown("imgAMedal1") && c.Find("imgMedal0")->isEnabled());
        QVERIFY(c.DropOn("grpBadges", "imgAMedal7"));

        // A qualification into the slot, another in its place, the first back in the pool.
        QVERIFY(!c.DropOn("imgQual0", "imgMedal0"));
        QVERIFY(c.DropOn("lblQual0", "imgAQual3"));
        QVERIFY(!c.Shown("imgAQual3"));
        QVERIFY(c.DropOn("imgQual0", "imgAQual5"));
        QVERIFY(c.Shown("imgAQual3") && !c.Shown("imgAQual5"));
        QCOMPARE(c.Find<QLabel>("lblQual0")->text(), c.Find<QLabel>("imgAQual5")->toolTip());
        c.Click("cmdApply");
        QCOMPARE(c.Key(36, "MedalsInx0"), std::string("0"));
        QCOMPARE(c.Key(36, "MedalsInx1"), std::string("-1"));
        QCOMPARE(c.Key(36, "MedalsInx7"), std::string("7"));
        QCOMPARE(c.Key(36, "Qualification0"), std::string("5"));
        QCOMPARE(c.Key(36, "NrQual"), std::string("1"));
        // The slot back to the pool.
        QVERIFY(c.DropOn("grpAvail", "lblQual0"));
        QVERIFY(c.Shown("imgAQual5"));
        QVERIFY(!c.DropOn("grpAvail", "imgQual0"));  // an empty slot has nothing to give back
    }

    void rankChangesAreCheckedOnApply() {
        Crew c(DemoCareers::InHomeBase);
        c.Write(36, "Experience", "60.000000");
        c.Open();
        // Too inexperienced: the grade stays, the rest is saved.
        c.Select(37);
        c.ChooseRank(2);
        QVERIFY(c.Enabled("cmdApply"));
        c.Find<QLineEdit>("txtName")->setText(QStringLiteral("Emil Kurz"));
        c.Click("cmdApply");
        QCOMPARE(c.Errors(), std::vector<std::string>{std::string(crew::kTooInexperienced)});
        QCOMPARE(c.Key(37, "Grad"), std::string("1"));
        QCOMPARE(c.Key(37, "Name"), std::string("Emil Kurz"));
        QCOMPARE(c.RankShown(), 1);
        // A name the roster cannot hold is refused before anything is written.
        const std::string before = ReadText(c.Roster());
        c.Find<QLineEdit>("txtName")->setText(QStringLiteral("Emil \u0141ukasz"));
        c.Click("cmdApply");
        QCOMPARE(ReadText(c.Roster()), before);
        QCOMPARE(c.Errors().size(), std::size_t{2});
        // Another class: not permitted.
        c.prompter.answers = {Button::No};  // the unsaved name is given up
        c.Select(12);
        c.ChooseRank(6);
        c.Click("cmdApply");
        QCOMPARE(c.Errors().back(), std::string(crew::kRankNotPermitted));
        QCOMPARE(c.Key(12, "Grad"), std::string("4"));
        // A promotion he has the experience for moves his row up among the grade 1 seamen.
        c.Select(36);
        c.ChooseRank(1);
        c.Click("cmdApply");
        QCOMPARE(c.Key(36, "Grad"), std::string("1"));
        QCOMPARE(c.Errors().size(), std::size_t{3});
        QCOMPARE(c.List()->currentItem()->text(0), QStringLiteral(" ") + ui::ToQt(c.Key(36, "Name")));
        QCOMPARE(c.RankShown(), 1);
    }

    void leavingARowOrClosingAsksToSave() {
        Crew c(DemoCareers::InHomeBase);
        c.Open();
        auto* name = c.Find<QLineEdit>("txtName");
        c.Select(36);
        c.Find<QPushButton>("cmdRndName")->click();
        QVERIFY(c.Enabled("cmdApply"));
        const std::string random = ui::FromQt(name->text());
        QVERIFY(!random.empty() && random != c.Key(36, "Name"));
        c.prompter.answers = {Button::Yes};
        c.Select(40);
        QCOMPARE(c.prompter.messages.size(), std::size_t{1});
        QCOMPARE(c.prompter.messages[0].text, std::string("Would you like to save changes?"));
        QCOMPARE(c.Key(36, "Name"), random);  // the row left was saved, not the one selected
        QVERIFY(c.Key(40, "Name") != random);
        QVERIFY(!c.Enabled("cmdApply"));

        const std::string before = ReadText(c.Roster());
        name->setText(QStringLiteral("Nobody Saved"));
        c.prompter.answers = {Button::No};
        c.Select(41);
        QCOMPARE(c.prompter.messages.size(), std::size_t{2});
        QCOMPARE(ReadText(c.Roster()), before);
        c.Select(40);  // no edit, no question
        QCOMPARE(c.prompter.messages.size(), std::size_t{2});

        // Closing (the button, Escape and the close box all reject) asks too; Yes saves.
        name->setText(QStringLiteral("Kurt Ende"));
        c.prompter.answers = {Button::Yes};
        c.Click("cmdClose");
        QCOMPARE(c.prompter.messages.size(), std::size_t{3});
        QCOMPARE(c.Key(40, "Name"), std::string("Kurt Ende"));
        // Opening again refills the list without a question.
        c.Open();
        QCOMPARE(c.prompter.messages.size(), std::size_t{3});
        QVERIFY(!c.Enabled("cmdApply"));
    }

    void dismissReplaceAndAutoFix() {
        Crew c(DemoCareers::InHomeBase);
        c.Open();
        const QString total = c.Find<QLabel>("lblTotCrew")->text();
        const int rows = c.List()->topLevelItemCount();
        c.Select(41);
        QVERIFY(!c.Enabled("cmdAutoFix"));  // his one remark asks for the player's judgement
        c.dismissAnswer = crew::DismissChoice::Cancel;
        c.Click("cmdDismiss");
        QCOMPARE(c.dismissQuestions.size(), std::size_t{1});
        QVERIFY(c.dismissQuestions[0].find("costs 10 renown") != std::string::npos);
        QCOMPARE(c.List()->topLevelItemCount(), rows);
        QVERIFY(c.Enabled("grpCrewDesc"));

        // The window's own question box: its "Dismiss" answer dismisses him.
        c.dialog->SetDismissAsker({});
        QString asked;
        QTimer::singleShot(0, [&asked] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            asked = box->text();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == QStringLiteral("Dismiss")) {
                    button->click();
                }
            }
        });
        c.Click("cmdDismiss");
        QCOMPARE(asked, ui::ToQt(c.dismissQuestions[0]));
        QCOMPARE(c.Key(41, "NrComp"), std::string("-1"));
        QCOMPARE(c.List()->topLevelItemCount(), rows - 1);
        QVERIFY(c.Find<QLabel>("lblTotCrew")->text() != total);
        QVERIFY(!c.Enabled("grpCrewDesc") && !c.Enabled("cmdDismiss"));

        // Replacing an officer charges his renown to the patrol.
        const std::filesystem::path patrols = c.career.CareerFolder / "Patrols_0.cfg";
        const std::string section =
            QStringLiteral("PATROL %1").arg(c.career.PatrolCount, 3, 10, QLatin1Char('0')).toStdString();
        const double renownBefore = ProfileFile(patrols).ReadFloat(section, "DeltaRenown", 0.0);
        const std::string officer = c.Key(2, "Name");
        c.Select(2);
        c.dialog->SetDismissAsker([](const std::string&) { return crew::DismissChoice::Replace; });
        c.Click("cmdDismiss");
        QCOMPARE(c.counter.Count(), 1);
        QCOMPARE(ProfileFile(patrols).ReadFloat(section, "DeltaRenown", 0.0), renownBefore - 350.0);
        QVERIFY(c.Key(2, "Name") != officer);
        QCOMPARE(c.List()->topLevelItemCount(), rows - 1);
        QVERIFY(c.Errors().empty());

        // Auto Fix: a seaman with an Iron Cross and no war badge gets it, and it is saved.
        c.Select(36);
        QVERIFY(c.Enabled("cmdAutoFix"));
        QCOMPARE(c.Key(36, "MedalsInx7"), std::string("-1"));
        c.Click("cmdAutoFix");
        QCOMPARE(c.Key(36, "MedalsInx7"), std::string("7"));
        QVERIFY(c.Shown("imgMedal7") && !c.Enabled("cmdApply"));
    }

    void crewListFromTheRowsShownThenOpenOrCancel() {
        Crew c(DemoCareers::InHomeBase);
        c.Open();
        QVERIFY(c.Enabled("cmdGenCrewList"));
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
        QString shown;
        const auto answer = [&shown](const QString& button) {
            QTimer::singleShot(0, [&shown, button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box != nullptr);
                QCOMPARE(box->textFormat(), Qt::PlainText);
                shown = box->text();
                for (QAbstractButton* b : box->buttons()) {
                    if (b->text() == button) {
                        b->click();
                    }
                }
            });
        };
        answer(QStringLiteral("Cancel"));
        c.Click("cmdGenCrewList");
        QVERIFY(shown.startsWith(QStringLiteral("A crew list of ") + ui::ToQt(c.career.SubName) +
                                 QStringLiteral(" has been created.")));
        QVERIFY(catcher.opened.isEmpty());
        const std::filesystem::path page = reports::PersonnelFolder(c.paths, c.career.Name) /
                                           reports::CrewListPageName(c.paths, c.language, c.career.SubName);
        // Every row shown, in the list's order, after the commander.
        const std::string text = ReadText(page);
        std::size_t at = text.find(c.career.CmdrName);
        for (int row = 0; row < c.List()->topLevelItemCount(); ++row) {
            at = text.find("> " + ui::FromQt(c.List()->topLevelItem(row)->text(0).trimmed()) + "</font>", at);
            QVERIFY2(at != std::string::npos, qPrintable(c.List()->topLevelItem(row)->text(0)));
        }

        answer(QStringLiteral("Open"));
        c.Click("cmdGenCrewList");
        QCOMPARE(catcher.opened.size(), 1);
        QCOMPARE(ui::PathFromQt(catcher.opened[0].toLocalFile()), page);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QVERIFY(c.Errors().empty());
        // The offscreen desktop opens nothing: that is said, naming the page.
        answer(QStringLiteral("Open"));
        c.Click("cmdGenCrewList");
        QCOMPARE(c.Errors().size(), std::size_t{1});
        QVERIFY(c.Errors()[0].find("could not be opened") != std::string::npos);
    }

    void atSeaTheCrewIsOnlyShown() {
        Crew c(DemoCareers::AtSea);
        c.Write(0, "NrComp", "5");  // an officer slot with a wrong compartment stays as it is
        const std::string before = ReadText(c.Roster());
        c.Open();
        QVERIFY(c.List()->topLevelItemCount() > 0);
        c.Select(0);
        QVERIFY(!c.Find<QLineEdit>("txtName")->text().isEmpty());
        QVERIFY(!c.Enabled("grpCrewDesc") && !c.Enabled("grpAvail"));
        QVERIFY(!c.Enabled("cmdDismiss") && !c.Enabled("cmdAutoFix") && !c.Enabled("cmdApply"));
        QVERIFY(!c.DropOn("grpMedals", "imgAMedal0"));
        c.Select(12);
        c.Click("cmdClose");
        QCOMPARE(ReadText(c.Roster()), before);
        QVERIFY(c.prompter.messages.empty());
    }
};

QTEST_MAIN(CrewManagerTest)
#include "crew_manager_test.moc"
