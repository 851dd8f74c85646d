#include "ui/crew_manager_dialog.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include "app/error.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "crew/random_name.h"
#include "crew/transfers.h"
#include "platform/files.h"
#include "reports/crew_list.h"
#include "ui/controls.h"
#include "ui/pictures.h"
#include "ui/qt_prompter.h"
#include "ui/qt_text.h"
#include "ui/report_done.h"
#include "ui_crew_manager_dialog.h"

// The pictures live in a static library: naming their initialiser keeps them in the program.
static void InitCrewPictures() {
    Q_INIT_RESOURCE(crew_pictures);
}

namespace seewolf::ui {

namespace {

constexpr int kRankRowHeight = 32;
constexpr int kFaceLowest = 11;
constexpr int kFaceHighest = 34;
constexpr const char* kSaveQuestion = "Would you like to save changes?";

QPixmap CrewPicture(const QString& name) {
    return QPixmap(QStringLiteral(":/crew/") + name + QStringLiteral(".png"));
}

QPixmap RankIcon(int grade) {
    if (grade < 0 || grade >= crew::kGradeCount) {
        return {};  // a grade the game does not have shows no icon
    }
    return CrewPicture(QStringLiteral("Rank%1").arg(grade));
}

constexpr int kGradeRole = Qt::UserRole;
constexpr int kSlotRole = Qt::UserRole + 1;

// Each rank row: the rank icon 2 pixels from the left, its text after it; highlighted only while
// the list has the focus, since the one visible row is always the selected rank.
class RankDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QWidget* list = option.widget;
        const bool focused = list != nullptr && list->hasFocus() && (option.state & QStyle::State_Selected);
        const QPalette& palette = option.palette;
        painter->fillRect(option.rect, focused ? palette.highlight() : palette.base());
        painter->setPen(focused ? palette.highlightedText().color() : palette.text().color());
        const int grade = crew::kGradeCount - 1 - index.row();
        const QPixmap icon = RankIcon(grade);
        const int iconWidth = 24;
        if (!icon.isNull()) {
            painter->drawPixmap(option.rect.left() + 2,
                                option.rect.top() + (option.rect.height() - icon.height()) / 2, icon);
        }
        const QRect textRect(option.rect.left() + iconWidth + 8, option.rect.top() + 9,
                             option.rect.width() - iconWidth - 8, option.rect.height() - 9);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kRankRowHeight};
    }
};

// The experience the next grade asks for, from the game's Basic.cfg.
int NextGradeExperience(const std::filesystem::path& basicCfg, int grade) {
    static constexpr int kDefaults[] = {20, 50, 100, 150, 200, 300, 400, 500};
    const ProfileFile basic(basicCfg);
    if (grade >= 0 && grade <= 7) {
        return basic.ReadInteger("CREW_" + std::to_string(grade + 1), "Experience",
                                 kDefaults[static_cast<std::size_t>(grade)]);
    }
    if (grade == 8) {
        return basic.ReadInteger("CREW_8", "Experience", 500);
    }
    return 0;
}

crew::DismissChoice AskDismissInBox(QWidget* parent, const std::string& question) {
    QApplication::beep();
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), ToQt(question), QMessageBox::NoButton,
                    parent);
    QPushButton* dismiss = box.addButton(QStringLiteral("Dismiss"), QMessageBox::AcceptRole);
    QPushButton* replace = box.addButton(QStringLiteral("Replace"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == dismiss) {
        return crew::DismissChoice::Dismiss;
    }
    if (box.clickedButton() == replace) {
        return crew::DismissChoice::Replace;
    }
    return crew::DismissChoice::Cancel;
}

}  // namespace

CrewManagerDialog::CrewManagerDialog(const Paths& paths, const Language& language, Prompter& prompter,
                                     Random& random, crew::ReplacementCounter& counter, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CrewManagerDialog>()),
      m_paths(paths),
      m_language(language),
      m_prompter(prompter),
      m_random(random),
      m_counter(counter) {
    InitCrewPictures();
    m_ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    setStyleSheet(StyleSheet());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setToolTipDuration(20000);
    }

    for (int i = 0; i < crew::kAwardCount; ++i) {
        m_awardPictures[i] = findChild<QLabel*>(QStringLiteral("imgMedal%1").arg(i));
        m_poolAwards[i] = findChild<QLabel*>(QStringLiteral("imgAMedal%1").arg(i));
    }
    for (int q = 0; q < crew::kQualificationCount; ++q) {
        m_poolQuals[q] = findChild<QLabel*>(QStringLiteral("imgAQual%1").arg(q));
    }
    for (int k = 0; k < crew::kMaxQualificationsHeld; ++k) {
        m_qualPictures[k] = findChild<QLabel*>(QStringLiteral("imgQual%1").arg(k));
        m_qualLabels[k] = findChild<QLabel*>(QStringLiteral("lblQual%1").arg(k));
    }

    // The pictures and names the window shows, from the game's menu table.
    const TextTable menu = MenuTable(paths, language);
    for (int i = 0; i < crew::kAwardCount; ++i) {
        const QString name = ToQt(crew::AwardText(menu, i));
        m_poolAwards[i]->setPixmap(CrewPicture(QStringLiteral("Award%1").arg(i)));
        m_awardPictures[i]->setPixmap(m_poolAwards[i]->pixmap());
        for (QLabel* picture : {m_poolAwards[i], m_awardPictures[i]}) {
            picture->setToolTip(name);
            picture->setAccessibleName(name);
        }
    }
    for (int q = 0; q < crew::kQualificationCount; ++q) {
        const QString name = ToQt(crew::QualificationText(menu, q).value_or(crew::kUnknownText));
        m_poolQuals[q]->setPixmap(CrewPicture(QStringLiteral("Qualification%1").arg(q)));
        m_poolQuals[q]->setToolTip(name);
        m_poolQuals[q]->setAccessibleName(name);
    }
    m_ui->imgAQual99->setPixmap(CrewPicture(QStringLiteral("QualificationNone")));
    m_ui->imgAQual99->setToolTip(QStringLiteral("None"));
    for (int row = 0; row < crew::kGradeCount; ++row) {
        const QString rank = ToQt(crew::RankText(menu, crew::kGradeCount - 1 - row));
        m_ui->lstRank->addItem(rank);
        m_ui->lstRank->item(row)->setToolTip(rank);  // a long rank name is cut in the row
    }
    m_ui->lstRank->setItemDelegate(new RankDelegate(m_ui->lstRank));
    m_ui->lvCrew->header()->setStretchLastSection(true);

    // The face number steps with the arrows only.
    m_ui->udFace->findChild<QLineEdit*>()->setReadOnly(true);

    // The selection, not the current row, chooses the crewman: a list that takes the focus gets a
    // current row without anyone being selected.
    connect(m_ui->lvCrew, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (m_filling) {
            return;
        }
        const QList<QTreeWidgetItem*> selected = m_ui->lvCrew->selectedItems();
        QTreeWidgetItem* item = selected.isEmpty() ? nullptr : selected.first();
        if (item != nullptr && m_selected && item->data(0, kSlotRole).toInt() == m_selected->slot) {
            return;
        }
        Guard([this] { LeaveCrewman(); });
        Guard([this, item] { SelectCrewman(item); });
    });
    connect(m_ui->udFace, &QSpinBox::valueChanged, this,
            [this](int value) { Guard([this, value] { FaceStepped(value); }); });
    connect(m_ui->lstRank, &QListWidget::currentRowChanged, this, [this] { RankScrolled(); });
    // One row is visible: scrolling the list chooses the rank.
    connect(m_ui->lstRank->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int top) {
        if (m_ui->lstRank->currentRow() != top) {
            m_ui->lstRank->setCurrentRow(top);
        }
    });
    connect(m_ui->txtName, &QLineEdit::textChanged, this, [this] { Changed(); });

    const auto click = [this](QPushButton* button, void (CrewManagerDialog::*handler)()) {
        OnClickGuarded(button, m_prompter, [this, handler] { (this->*handler)(); });
    };
    click(m_ui->cmdApply, &CrewManagerDialog::cmdApplyClick);
    click(m_ui->cmdAutoFix, &CrewManagerDialog::cmdAutoFixClick);
    click(m_ui->cmdDismiss, &CrewManagerDialog::cmdDismissClick);
    click(m_ui->cmdRndName, &CrewManagerDialog::cmdRndNameClick);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    click(m_ui->cmdGenCrewList, &CrewManagerDialog::cmdGenCrewListClick);

    // Drag and drop: every picture and qualification name starts a drag when pressed; the
    // medals, the badges, the qualification slots and the pool take what they may.
    std::vector<QWidget*> sources;
    std::vector<QWidget*> targets = {m_ui->grpMedals, m_ui->grpBadges, m_ui->grpAvail};
    for (int i = 0; i < crew::kAwardCount; ++i) {
        sources.push_back(m_awardPictures[i]);
        sources.push_back(m_poolAwards[i]);
        targets.push_back(m_awardPictures[i]);
        targets.push_back(m_poolAwards[i]);
    }
    for (int q = 0; q < crew::kQualificationCount; ++q) {
        sources.push_back(m_poolQuals[q]);
        targets.push_back(m_poolQuals[q]);
    }
    for (int k = 0; k < crew::kMaxQualificationsHeld; ++k) {
        for (QLabel* w : {m_qualPictures[k], m_qualLabels[k]}) {
            sources.push_back(w);
            targets.push_back(w);
        }
    }
    for (QWidget* w : sources) {
        w->installEventFilter(this);
    }
    for (QWidget* w : targets) {
        w->setAcceptDrops(true);
        w->installEventFilter(this);
    }
}

CrewManagerDialog::~CrewManagerDialog() = default;

void CrewManagerDialog::Guard(const std::function<void()>& handler) {
    Guarded(m_prompter, handler);
}

void CrewManagerDialog::Prepare(const SelectedCareer& career) {
    m_career = career;
    m_context = crew::MakeCrewContext(m_paths, m_language, career);
    if (!platform::FileExists(m_context.roster)) {
        m_prompter.ShowMessage("The crew roster " + PathText(m_context.roster) +
                                   " is missing, so there is no crew to show; Seewolf does not make one.",
                               MessageKind::Warning, Button::Ok);
    }
    if (!m_context.atSea) {
        const BusyScope busy(m_prompter);
        const crew::OfficerCleanup cleanup = crew::CleanseOfficerComps(m_context.roster, career.SubTypeNb);
        if (!cleanup.leftMisplaced.empty()) {
            std::string listed;
            for (const int slot : cleanup.leftMisplaced) {
                listed += (listed.empty() ? "" : ", ") + std::to_string(slot);
            }
            m_prompter.ShowMessage("The officers in the crew slots " + listed +
                                       " are where the game does not expect officers, and no officer slot is "
                                       "free for them. Dismiss or replace an officer to make room.",
                                   MessageKind::Warning, Button::Ok);
        }
    }
    UpdateCrewList();
    ResetForm();
}

void CrewManagerDialog::ShowModal(const SelectedCareer& career) {
    // A roster that cannot be read has been reported; the window does not open on half a crew.
    bool prepared = false;
    Guard([this, &career, &prepared] {
        Prepare(career);
        prepared = true;
    });
    if (!prepared) {
        return;
    }
    if (parentWidget() != nullptr) {
        move(parentWidget()->geometry().center() - rect().center());
    }
    exec();
}

QTreeWidgetItem* CrewManagerDialog::AddRow(const crew::Crewman& crewman) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, QStringLiteral(" ") + ToQt(crewman.name));
    item->setIcon(0, RankIcon(crewman.grade));
    item->setData(0, kGradeRole, crewman.grade);
    item->setData(0, kSlotRole, crewman.slot);
    QTreeWidget* list = m_ui->lvCrew;
    int at = list->topLevelItemCount();
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        if (reports::ListedBefore(crewman.grade, list->topLevelItem(row)->data(0, kGradeRole).toInt())) {
            at = row;
            break;
        }
    }
    list->insertTopLevelItem(at, item);
    return item;
}

void CrewManagerDialog::UpdateCrewList() {
    const BusyScope busy(m_prompter);
    m_filling = true;
    m_ui->lvCrew->setUpdatesEnabled(false);
    m_ui->lvCrew->clear();
    m_crew.clear();
    m_selected.reset();
    int officers = 0;
    int pettyOfficers = 0;
    int seamen = 0;
    try {
        for (crew::Crewman& crewman : crew::ReadRoster(m_context.roster, m_career.SubTypeNb)) {
            AddRow(crewman);
            if (crewman.grade >= 6 && crewman.grade <= 8) {
                ++officers;
            } else if (crewman.grade >= 3 && crewman.grade <= 5) {
                ++pettyOfficers;
            } else if (crewman.grade >= 0 && crewman.grade <= 2) {
                ++seamen;
            }
            const int slot = crewman.slot;
            m_crew[slot] = std::move(crewman);
        }
    } catch (...) {
        m_ui->lvCrew->setUpdatesEnabled(true);
        m_filling = false;
        throw;
    }
    m_ui->lvCrew->setUpdatesEnabled(true);
    m_filling = false;
    m_ui->lblTotCrew->setText(QStringLiteral("Total Crewmen: %1 (%2/%3/%4)")
                                  .arg(m_ui->lvCrew->topLevelItemCount())
                                  .arg(officers)
                                  .arg(pettyOfficers)
                                  .arg(seamen));
}

void CrewManagerDialog::SetQualSlot(int k, int qualification) {
    QLabel* source = qualification >= 0 && qualification < crew::kQualificationCount
                         ? m_poolQuals[qualification]
                         : m_ui->imgAQual99;
    m_qual[static_cast<std::size_t>(k)] = source == m_ui->imgAQual99 ? -1 : qualification;
    m_qualPictures[k]->setPixmap(source->pixmap());
    m_qualPictures[k]->setToolTip(source->toolTip());
    m_qualPictures[k]->setAccessibleName(
        QStringLiteral("Qualification slot %1: %2").arg(k + 1).arg(source->toolTip()));
    m_qualLabels[k]->setText(source->toolTip());
}

void CrewManagerDialog::ResetForm() {
    m_showing = true;
    m_selected.reset();
    setWindowTitle(QStringLiteral("Crew of ") + ToQt(m_career.SubName));
    m_ui->grpCrewDesc->setEnabled(false);
    m_ui->grpAvail->setEnabled(false);
    m_ui->imgFace->clear();
    SetFaceBox(std::nullopt);
    m_faceChange.reset();
    m_ui->lstRank->setCurrentRow(0);
    m_ui->lstRank->scrollToItem(m_ui->lstRank->item(0), QAbstractItemView::PositionAtTop);
    m_ui->txtName->setMaxLength(static_cast<int>(kLongNameLimit));
    m_ui->txtName->clear();
    m_ui->lblNoPatrols->setText(QStringLiteral("Patrols:  "));
    m_ui->lblExp->setText(QStringLiteral("Exp.:  "));
    m_ui->lblHealth->setText(QStringLiteral("Health:  "));
    m_ui->lblComp->clear();
    for (int i = 0; i < crew::kAwardCount; ++i) {
        m_awardPictures[i]->hide();
        m_poolAwards[i]->show();
    }
    m_poolAwards[4]->hide();
    m_poolAwards[5]->hide();
    for (QLabel* picture : m_poolQuals) {
        picture->show();
    }
    for (int k = 0; k < crew::kMaxQualificationsHeld; ++k) {
        SetQualSlot(k, -1);
    }
    m_ui->mmoNotes->clear();
    m_ui->cmdDismiss->setEnabled(false);
    m_ui->cmdAutoFix->setEnabled(false);
    m_ui->cmdApply->setEnabled(false);
    m_ui->lvCrew->setFocus();
    m_showing = false;
}

// The face number box: 11 to 34 for an officer's face, else 0 (shown blank) and off.
void CrewManagerDialog::SetFaceBox(std::optional<int> face) {
    QSpinBox* box = m_ui->udFace;
    box->setSpecialValueText(face ? QString() : QStringLiteral(" "));
    box->setRange(face ? kFaceLowest : 0, face ? kFaceHighest : 0);
    box->setValue(face.value_or(0));
    box->setEnabled(face.has_value());
}

void CrewManagerDialog::ShowFace(int faceNumber) {
    const std::filesystem::path file =
        m_paths.Game("data\\Menu\\Data\\ofaces\\Off0" + std::to_string(faceNumber) + ".tga");
    m_ui->imgFace->setPixmap(TgaPixmap(file));
}

crew::CrewmanView CrewManagerDialog::CurrentView() const {
    return ViewOf(false);
}

crew::CrewmanView CrewManagerDialog::SavedView() const {
    return ViewOf(true);
}

crew::CrewmanView CrewManagerDialog::ViewOf(bool typedName) const {
    crew::CrewmanView view;
    if (!m_selected) {
        return view;
    }
    view.slot = m_selected->slot;
    view.storedGrade = m_selected->grade;
    const int row = m_ui->lstRank->currentRow();
    view.selectedGrade = row >= 0 ? crew::kGradeCount - 1 - row : m_selected->grade;
    // A name to be written must be one the roster can hold; what is only looked at may be lossy.
    view.name =
        typedName ? TypedFromQt(m_ui->txtName->text(), "crewman's name") : FromQt(m_ui->txtName->text());
    view.faceChange = m_faceChange;
    view.patrols = m_selected->patrols;
    view.storedExperience = m_selected->experience;
    view.storedMedal0 = m_selected->medalsInx[0];
    for (int i = 0; i < crew::kAwardCount; ++i) {
        view.held[static_cast<std::size_t>(i)] = !m_awardPictures[i]->isHidden();
    }
    view.qual = m_qual;
    return view;
}

void CrewManagerDialog::SelectCrewman(QTreeWidgetItem* item) {
    if (item == nullptr) {
        ResetForm();
        return;
    }
    const auto found = m_crew.find(item->data(0, kSlotRole).toInt());
    if (found == m_crew.end()) {
        return;
    }
    m_showing = true;
    m_selected = found->second;
    const crew::Crewman& c = *m_selected;
    const bool atSea = m_context.atSea;
    m_ui->grpCrewDesc->setEnabled(!atSea);
    m_ui->grpAvail->setEnabled(!atSea);

    m_faceChange.reset();
    const std::optional<int> face = c.grade >= 6 && c.grade <= 8 ? crew::FaceOfIndex(c.index) : std::nullopt;
    SetFaceBox(face);
    if (face) {
        ShowFace(*face);
    } else {
        m_ui->imgFace->clear();
    }

    const int rankRow = crew::kGradeCount - 1 - c.grade;
    if (rankRow >= 0 && rankRow < crew::kGradeCount) {
        m_ui->lstRank->setCurrentRow(rankRow);
        m_ui->lstRank->scrollToItem(m_ui->lstRank->item(rankRow), QAbstractItemView::PositionAtTop);
    } else {
        m_ui->lstRank->setCurrentRow(-1);
    }

    // A name longer than a typed one may be is kept whole until the player shortens it.
    const QString name = item->text(0).trimmed();
    m_ui->txtName->setMaxLength(std::max(static_cast<int>(kLongNameLimit), static_cast<int>(name.size())));
    m_ui->txtName->setText(name);

    const TextTable menu = MenuTable(m_paths, m_language);
    m_ui->lblNoPatrols->setText(QStringLiteral("Patrols:  %1").arg(c.patrols));
    const double experience = std::isfinite(c.experience) ? c.experience : 0.0;
    m_ui->lblExp->setText(QStringLiteral("Exp.:  %1/%2")
                              .arg(experience, 0, 'f', 0)
                              .arg(NextGradeExperience(m_context.basicCfg, c.grade)));
    m_ui->lblHealth->setText(QStringLiteral("Health:  ") + ToQt(crew::HealthText(menu, c.healthStatus)));
    m_ui->lblComp->setText(ToQt(crew::CompartmentText(menu, c.nrComp)));

    for (int i = 0; i < crew::kAwardCount; ++i) {
        m_awardPictures[i]->setVisible(c.medalsInx[static_cast<std::size_t>(i)] >= 0);
    }
    for (QLabel* picture : m_poolQuals) {
        picture->show();
    }
    const bool threeSlots = c.grade >= 5 && c.grade <= 8;
    for (int k = 0; k < crew::kMaxQualificationsHeld; ++k) {
        if (k > 0) {
            m_qualPictures[k]->setVisible(threeSlots);
            m_qualLabels[k]->setVisible(threeSlots);
        }
        const int v = c.nrQual > 0 ? c.qualification[static_cast<std::size_t>(k)] : -1;
        SetQualSlot(k, v);
        if (m_qual[static_cast<std::size_t>(k)] >= 0) {
            m_poolQuals[v]->hide();
        }
    }

    const crew::CrewmanView view = CurrentView();
    const std::vector<int> ids = crew::SuggestionIds(view, m_context.startDateText);
    QStringList lines;
    for (const std::string& text : crew::SuggestionTexts(m_context, ids)) {
        lines << ToQt(text);
    }
    m_ui->mmoNotes->setPlainText(lines.join(QLatin1Char('\n')));
    m_ui->mmoNotes->moveCursor(QTextCursor::Start);
    m_ui->mmoNotes->verticalScrollBar()->setValue(0);
    m_ui->cmdAutoFix->setEnabled(!atSea && crew::AutoFixEnabled(ids));

    ShowAvailability();
    m_ui->cmdDismiss->setEnabled(!atSea);
    m_ui->cmdApply->setEnabled(false);
    m_showing = false;
}

void CrewManagerDialog::LeaveCrewman() {
    if (!m_selected || !m_ui->cmdApply->isEnabled()) {
        return;
    }
    const int slot = m_selected->slot;
    m_ui->cmdApply->setEnabled(false);
    if (m_prompter.ShowMessage(kSaveQuestion, MessageKind::Confirmation, Button::Yes | Button::No) !=
        Button::Yes) {
        return;
    }
    crew::SaveCrewMan(SavedView(), m_context, m_prompter);
    // The row left shows what was saved.
    ProfileEdit roster{ProfileFile(m_context.roster)};
    const crew::Crewman saved = crew::ReadCrewman(roster, slot);
    m_crew[slot] = saved;
    QTreeWidget* list = m_ui->lvCrew;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        if (item->data(0, kSlotRole).toInt() == slot) {
            item->setText(0, QStringLiteral(" ") + ToQt(saved.name));
            item->setIcon(0, RankIcon(saved.grade));
            item->setData(0, kGradeRole, saved.grade);
        }
    }
}

void CrewManagerDialog::UpdateCrewMan(int slot) {
    const BusyScope busy(m_prompter);
    ProfileEdit roster{ProfileFile(m_context.roster)};
    const crew::Crewman saved = crew::ReadCrewman(roster, slot);
    m_crew[slot] = saved;
    QTreeWidget* list = m_ui->lvCrew;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        if (item->data(0, kSlotRole).toInt() != slot) {
            continue;
        }
        // The row moves to its grade's place in the list.
        m_filling = true;
        delete list->takeTopLevelItem(row);
        QTreeWidgetItem* updated = AddRow(saved);
        list->setCurrentItem(updated);
        list->scrollToItem(updated);
        m_filling = false;
        SelectCrewman(updated);
        return;
    }
}

void CrewManagerDialog::FaceStepped(int position) {
    if (m_showing || !m_selected || position < kFaceLowest) {
        return;
    }
    // The face numbers skip the gaps between the tens.
    int face = position;
    if (position == 15) {
        face = 21;
    } else if (position == 20) {
        face = 14;
    } else if (position == 25) {
        face = 31;
    } else if (position == 30) {
        face = 24;
    }
    if (face != position) {
        const QSignalBlocker blocker(m_ui->udFace);
        m_ui->udFace->setValue(face);
    }
    ShowFace(face);
    m_faceChange = face;
    Changed();
}

void CrewManagerDialog::RankScrolled() {
    const int row = m_ui->lstRank->currentRow();
    if (row >= 0) {
        m_ui->lstRank->scrollToItem(m_ui->lstRank->item(row), QAbstractItemView::PositionAtTop);
    }
    if (m_selected && row >= 0 && crew::kGradeCount - 1 - row != m_selected->grade) {
        Changed();
    }
}

void CrewManagerDialog::Changed() {
    if (m_showing || !m_selected || m_context.atSea) {
        return;
    }
    m_ui->cmdApply->setEnabled(true);
}

void CrewManagerDialog::ShowAvailability() {
    const crew::Availability a = crew::DisplayAvailMedals(CurrentView(), m_context.startDateText);
    for (int i = 0; i < crew::kAwardCount; ++i) {
        m_poolAwards[i]->setVisible(a.offered[static_cast<std::size_t>(i)]);
        m_awardPictures[i]->setEnabled(a.removable[static_cast<std::size_t>(i)]);
    }
}

void CrewManagerDialog::cmdApplyClick() {
    if (!m_selected) {
        return;
    }
    const int slot = m_selected->slot;
    crew::SaveCrewMan(SavedView(), m_context, m_prompter);
    UpdateCrewMan(slot);
}

void CrewManagerDialog::cmdAutoFixClick() {
    if (!m_selected) {
        return;
    }
    crew::CrewmanView view = SavedView();
    const std::vector<int> ids = crew::SuggestionIds(view, m_context.startDateText);
    if (crew::AutoFix(view, ids, m_context, m_prompter)) {
        UpdateCrewMan(view.slot);
    }
}

void CrewManagerDialog::cmdDismissClick() {
    if (!m_selected) {
        return;
    }
    const crew::CrewmanView view = SavedView();
    const std::string question = crew::DismissQuestion(crew::RankText(m_context, m_selected->grade),
                                                       FromQt(ToQt(m_selected->name).trimmed()),
                                                       crew::ReplacementCost(m_selected->grade, m_counter));
    const crew::DismissChoice choice =
        m_askDismiss ? m_askDismiss(question) : AskDismissInBox(this, question);
    if (choice == crew::DismissChoice::Cancel) {
        return;
    }
    const crew::CrewmanGenerator generate = [this](ProfileEdit& roster, std::string_view section, int grade) {
        return crew::GenerateCrewMan(m_paths, m_language, roster, section, grade, m_career.StartDateText,
                                     m_random);
    };
    // The list shows the roster as it is afterwards, also when only part of a replacement was done.
    try {
        crew::DismissOrReplace(choice, view, m_context, m_counter, generate, m_prompter);
    } catch (...) {
        UpdateCrewList();
        ResetForm();
        throw;
    }
    UpdateCrewList();
    ResetForm();
}

void CrewManagerDialog::cmdGenCrewListClick() {
    // The rows as the list shows them, in its order, with the values last read or saved.
    std::vector<reports::CrewListRow> rows;
    const QTreeWidget* list = m_ui->lvCrew;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const auto found = m_crew.find(list->topLevelItem(row)->data(0, kSlotRole).toInt());
        if (found != m_crew.end()) {
            rows.push_back(reports::CrewListRowOf(found->second));
        }
    }
    reports::ReportResult result;
    {
        const BusyScope busy(m_prompter);
        result = reports::GenerateCrewList(m_paths, m_language, m_career, rows);
    }
    OfferReport(this, result);
}

void CrewManagerDialog::cmdRndNameClick() {
    m_ui->txtName->setText(ToQt(RandomName(m_paths, m_random, false)));
}

void CrewManagerDialog::reject() {
    // Closing is never refused: a failed save is shown, and the window still closes.
    Guard([this] { LeaveCrewman(); });
    QDialog::reject();
}

// ---- Drag and drop ----

int CrewManagerDialog::AwardOfPicture(const QString& name, const char* prefix) const {
    const QString start = QLatin1String(prefix);
    if (!name.startsWith(start)) {
        return -1;
    }
    bool ok = false;
    const int n = name.mid(start.size()).toInt(&ok);
    return ok && n >= 0 && n < crew::kAwardCount ? n : -1;
}

int CrewManagerDialog::QualSlotOf(const QString& name) const {
    for (int k = 0; k < crew::kMaxQualificationsHeld; ++k) {
        if (name == m_qualPictures[k]->objectName() || name == m_qualLabels[k]->objectName()) {
            return k;
        }
    }
    return -1;
}

bool CrewManagerDialog::Accepts(const QWidget* target, const QString& source) const {
    if (target == nullptr || !target->isEnabled() || !m_selected) {
        return false;
    }
    const QString t = target->objectName();
    const int poolAward = AwardOfPicture(source, "imgAMedal");
    const int poolQual = AwardOfPicture(source, "imgAQual");
    const int heldAward = AwardOfPicture(t, "imgMedal");
    if (target == m_ui->grpMedals || (heldAward >= 0 && heldAward <= 5)) {
        return poolAward >= 0 && poolAward <= 5;
    }
    if (target == m_ui->grpBadges || heldAward >= 6) {
        return poolAward >= 6;
    }
    if (QualSlotOf(t) >= 0) {
        return poolQual >= 0;
    }
    const bool pool =
        target == m_ui->grpAvail || AwardOfPicture(t, "imgAMedal") >= 0 || AwardOfPicture(t, "imgAQual") >= 0;
    if (pool) {
        const int slot = QualSlotOf(source);
        return AwardOfPicture(source, "imgMedal") >= 0 ||
               (slot >= 0 && m_qual[static_cast<std::size_t>(slot)] >= 0);
    }
    return false;
}

void CrewManagerDialog::Drop(QWidget* target, const QString& source) {
    if (!Accepts(target, source)) {
        return;
    }
    const int poolAward = AwardOfPicture(source, "imgAMedal");
    const int poolQual = AwardOfPicture(source, "imgAQual");
    const int targetSlot = QualSlotOf(target->objectName());
    if (poolAward >= 0) {
        m_poolAwards[poolAward]->hide();
        m_awardPictures[poolAward]->show();
    } else if (poolQual >= 0 && targetSlot >= 0) {
        const int before = m_qual[static_cast<std::size_t>(targetSlot)];
        if (before >= 0) {
            m_poolQuals[before]->show();
        }
        SetQualSlot(targetSlot, poolQual);
        m_poolQuals[poolQual]->hide();
    } else if (const int slot = QualSlotOf(source); slot >= 0) {
        const int held = m_qual[static_cast<std::size_t>(slot)];
        SetQualSlot(slot, -1);
        m_poolQuals[held]->show();
    } else if (const int award = AwardOfPicture(source, "imgMedal"); award >= 0) {
        m_awardPictures[award]->hide();
    }
    ShowAvailability();
    Changed();
}

void CrewManagerDialog::StartDrag(QLabel* picture) {
    auto* drag = new QDrag(picture);
    auto* mime = new QMimeData;
    mime->setData(kMimeType, picture->objectName().toUtf8());
    drag->setMimeData(mime);
    if (!picture->pixmap().isNull()) {
        drag->setPixmap(picture->pixmap());
        drag->setHotSpot(QPoint(picture->pixmap().width() / 2, picture->pixmap().height() / 2));
    }
    drag->exec(Qt::MoveAction);
}

bool CrewManagerDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        return QDialog::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* label = qobject_cast<QLabel*>(widget);
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (label != nullptr && mouse->button() == Qt::LeftButton && label->isEnabled() &&
                label->isVisible() && m_selected) {
                const int slot = QualSlotOf(label->objectName());
                if (slot < 0 || m_qual[static_cast<std::size_t>(slot)] >= 0) {
                    StartDrag(label);
                }
                return true;
            }
            break;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            const QMimeData* mime = drag->mimeData();
            if (mime != nullptr && mime->hasFormat(kMimeType) &&
                Accepts(widget, QString::fromUtf8(mime->data(kMimeType)))) {
                drag->acceptProposedAction();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QMimeData* mime = drop->mimeData();
            if (mime != nullptr && mime->hasFormat(kMimeType)) {
                const QString source = QString::fromUtf8(mime->data(kMimeType));
                if (Accepts(widget, source)) {
                    drop->acceptProposedAction();
                    Guard([this, widget, source] { Drop(widget, source); });
                    return true;
                }
            }
            drop->ignore();
            return true;
        }
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace seewolf::ui
