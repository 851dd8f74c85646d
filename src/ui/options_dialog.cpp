#include "ui/options_dialog.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "app/error.h"
#include "platform/files.h"
#include "ui/controls.h"
#include "ui/qt_prompter.h"
#include "ui/qt_text.h"
#include "ui/user_guide.h"
#include "ui_options_dialog.h"

namespace seewolf::ui {

namespace {

int Whole(double value) {
    return static_cast<int>(value);  // the values are clamped into the boxes' ranges when read
}

}  // namespace

OptionsDialog::OptionsDialog(const Paths& paths, Prompter& prompter, Hooks hooks, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::OptionsDialog>()),
      m_paths(paths),
      m_prompter(prompter),
      m_hooks(std::move(hooks)) {
    m_ui->setupUi(this);
    setStyleSheet(StyleSheet());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setToolTipDuration(20000);
    }

    // The numbers are read-only edits with up-down buttons, in plain digits ("2075").
    for (auto [spin, name] : {std::pair{m_ui->udSDIB, "txtSDIB"}, std::pair{m_ui->udH2OD, "txtH2OD"},
                              std::pair{m_ui->ud88Rld, "txt88Rld"}, std::pair{m_ui->ud105Rld, "txt105Rld"}}) {
        spin->setLocale(QLocale::c());
        spin->setGroupSeparatorShown(false);
        auto* edit = spin->findChild<QLineEdit*>();
        edit->setObjectName(name);
        edit->setReadOnly(true);
        edit->setToolTip(spin->toolTip());
        connect(spin, &QSpinBox::valueChanged, this, [this] { Changed(); });
    }

    for (const TimeCompressionRow& row : kTimeCompressionRows) {
        m_ui->lstTCNm->addItem(QString::fromLatin1(row.text));
    }
    FillFonts();

    connect(m_ui->tvGroups, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) {
            const int index = m_ui->tvGroups->indexOfTopLevelItem(item);
            Guard([this, index] { tvGroupsChange(index); });
        }
    });
    // A tick on one of the two days-in-base choices clears the other.
    connect(m_ui->chkRDIB, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            m_ui->chkSDIB->setChecked(false);
        }
    });
    connect(m_ui->chkSDIB, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            m_ui->chkRDIB->setChecked(false);
        }
    });
    // Each switch enables its value; every change offers Apply.
    const std::pair<QCheckBox*, QWidget*> switches[] = {
        {m_ui->chkSDIB, m_ui->udSDIB},       {m_ui->chkFatMod, m_ui->cmbFatMod},
        {m_ui->chkAdjH2OD, m_ui->udH2OD},    {m_ui->chkWavHt, m_ui->cmbWavHt},
        {m_ui->chk88Rld, m_ui->ud88Rld},     {m_ui->chk105Rld, m_ui->ud105Rld},
        {m_ui->chkEffects, m_ui->cmbEffects}};
    for (auto [box, value] : switches) {
        value->setEnabled(box->isChecked());
        connect(box, &QCheckBox::toggled, value, &QWidget::setEnabled);
    }
    for (auto [box, unit] :
         {std::pair{m_ui->chk88Rld, m_ui->lbl88Sec}, std::pair{m_ui->chk105Rld, m_ui->lbl105Sec}}) {
        unit->setEnabled(box->isChecked());
        connect(box, &QCheckBox::toggled, unit, &QWidget::setEnabled);
    }
    for (QCheckBox* box : findChildren<QCheckBox*>()) {
        connect(box, &QCheckBox::toggled, this, [this] { Changed(); });
    }
    for (QComboBox* box : {m_ui->cmbHullText, m_ui->cmbFatMod, m_ui->cmbWavHt, m_ui->cmbEffects}) {
        connect(box, &QComboBox::currentIndexChanged, this, [this] { Changed(); });
    }
    for (QComboBox* box : {m_ui->cmbHdgFnt, m_ui->cmbLblFnt, m_ui->cmbTxtFnt}) {
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            UpdateSamples();
            Changed();
        });
    }
    // The paths may be longer than their boxes: the hint shows them whole.
    connect(m_ui->txtSH3Loc, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_ui->txtSH3Loc->setToolTip(text);
        Changed();
    });
    connect(m_ui->txtBgrnd, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_ui->txtBgrnd->setToolTip(text);
        UpdateSamples();
        Changed();
    });

    connect(m_ui->lstTCNm, &QListWidget::currentRowChanged, this,
            [this] { Guard([this] { RefreshTimeCompression(); }); });
    connect(m_ui->lstTCVals, &QListWidget::currentRowChanged, this,
            [this](int row) { Guard([this, row] { lstTCValsClick(row); }); });
    m_ui->lblUG->installEventFilter(this);
    m_ui->lblUG->setCursor(Qt::PointingHandCursor);
    m_ui->lblUG->setFocusPolicy(Qt::StrongFocus);

    const auto click = [this](QPushButton* button, void (OptionsDialog::*handler)()) {
        OnClickGuarded(button, m_prompter, [this, handler] { (this->*handler)(); });
    };
    click(m_ui->cmdSH3BrowsePath, &OptionsDialog::cmdSH3BrowsePathClick);
    click(m_ui->cmdResetTC, &OptionsDialog::cmdResetTCClick);
    click(m_ui->cmdImg, &OptionsDialog::cmdImgClick);
    click(m_ui->cmdResetPF, &OptionsDialog::cmdResetPFClick);
    click(m_ui->cmdApply, &OptionsDialog::cmdApplyClick);
    click(m_ui->cmdOK, &OptionsDialog::cmdOKClick);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::Guard(const std::function<void()>& handler) {
    Guarded(m_prompter, handler);
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->lblUG) {
        const bool clicked = event->type() == QEvent::MouseButtonRelease &&
                             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        bool pressed = false;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            pressed = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
        }
        if (clicked || pressed) {
            Guard([this] { lblUGClick(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OptionsDialog::FillFonts() {
    const QStringList families = QFontDatabase::families();
    for (QComboBox* box : {m_ui->cmbHdgFnt, m_ui->cmbLblFnt, m_ui->cmbTxtFnt}) {
        const QSignalBlocker blocker(box);
        box->addItems(families);
    }
}

// A font that this system lacks is still the setting: it is listed, so that it is kept.
void OptionsDialog::SetFont(QComboBox* box, const std::string& family) {
    const QString name = ToQt(family);
    int index = box->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        box->insertItem(0, name);
        index = 0;
    }
    box->setCurrentIndex(index);
}

void OptionsDialog::ShowModal() {
    Prepare();
    if (parentWidget() != nullptr) {
        move(parentWidget()->geometry().center() - rect().center());
    }
    exec();
}

void OptionsDialog::Prepare() {
    m_restarting = false;
    const std::vector<std::string> models = FatigueModels(m_paths);
    {
        const QSignalBlocker blocker(m_ui->cmbFatMod);
        m_ui->cmbFatMod->clear();
        for (const std::string& model : models) {
            m_ui->cmbFatMod->addItem(ToQt(model));
        }
    }
    const OptionValues values = ReadOptionValues(m_paths, models.size());
    ShowSettings(values.settings);
    m_timeCompression = ReadTimeCompression(m_paths);
    m_filledGameFolder = m_ui->txtSH3Loc->text();
    UpdateSamples();
    m_ui->lstTCNm->setCurrentRow(-1);
    RefreshTimeCompression();
    m_ui->cmdApply->setEnabled(false);
    m_ui->tvGroups->setCurrentItem(nullptr);
    m_ui->tvGroups->setCurrentItem(m_ui->tvGroups->topLevelItem(0));
    m_ui->tvGroups->setFocus();
    if (!values.adjusted.empty()) {
        std::string lines;
        for (const std::string& line : values.adjusted) {
            lines += "\n- " + line;
        }
        m_prompter.ShowMessage(
            "Seewolf.ini holds values that the options dialog cannot show as they are:" + lines +
                "\n\nOK and Apply save the values shown; Cancel leaves Seewolf.ini as it is.",
            MessageKind::Warning, Button::Ok);
    }
}

void OptionsDialog::ShowSettings(const Settings& s) {
    m_ui->txtSH3Loc->setText(ToQt(s.SH3Location));
    m_ui->chkAutoRB->setChecked(s.AutoRollback);
    m_ui->chkSkipIntros->setChecked(s.SkipIntros);
    m_ui->chkWPFnt->setChecked(s.UseSysFonts);
    m_ui->chkShowTips->setChecked(s.ShowTips);
    m_ui->chkRealCarL->setChecked(s.RealisticLength);
    m_ui->chkRealCXfr->setChecked(s.RealisticCrewXfr);
    m_ui->chkUseSubDts->setChecked(s.UseSubDts);
    m_ui->chkRDIB->setChecked(s.RndDaysInBase);
    m_ui->chkSDIB->setChecked(s.SetDaysInBase);
    m_ui->udSDIB->setValue(s.DaysInBaseValue);
    m_ui->chkRealShips->setChecked(s.RealShipNames);
    m_ui->chkRndGram->setChecked(s.RndGramophone);
    m_ui->chkSAS->setChecked(s.StartAtSea);
    m_ui->cmbHullText->setCurrentIndex(s.HullIntegrityText);
    m_ui->chkFatMod->setChecked(s.UseFatigueModel);
    m_ui->cmbFatMod->setCurrentIndex(m_ui->cmbFatMod->count() > 0 ? s.FatigueModel : -1);
    m_ui->chkAdjH2OD->setChecked(s.AdjWaterDensity);
    m_ui->udH2OD->setValue(Whole(s.WaterDensityValue));
    m_ui->chkWavHt->setChecked(s.AdjWaveHeight);
    m_ui->cmbWavHt->setCurrentIndex(s.WaveHeight);
    m_ui->chk88Rld->setChecked(s.Adj88ReloadTime);
    m_ui->ud88Rld->setValue(Whole(s.ReloadTime88));
    m_ui->chk105Rld->setChecked(s.Adj105ReloadTime);
    m_ui->ud105Rld->setValue(Whole(s.ReloadTime105));
    m_ui->chkEffects->setChecked(s.ModelEffects);
    m_ui->cmbEffects->setCurrentIndex(s.Effects);
    m_ui->chkRndGRT->setChecked(s.RndTonnage);
    m_ui->chkRndCrush->setChecked(s.RndCrushDepth);
    SetFont(m_ui->cmbHdgFnt, s.HeadingFont);
    SetFont(m_ui->cmbLblFnt, s.LabelFont);
    SetFont(m_ui->cmbTxtFnt, s.TextFont);
    m_ui->txtBgrnd->setText(ToQt(s.BackgroundImage));
}

Settings OptionsDialog::SettingsFromControls() const {
    Settings s;
    // Text the user chose goes into Seewolf.ini in Windows-1252: what it cannot hold is refused.
    s.SH3Location = TypedFromQt(m_ui->txtSH3Loc->text(), "game folder");
    s.AutoRollback = m_ui->chkAutoRB->isChecked();
    s.SkipIntros = m_ui->chkSkipIntros->isChecked();
    s.UseSysFonts = m_ui->chkWPFnt->isChecked();
    s.ShowTips = m_ui->chkShowTips->isChecked();
    s.RealisticLength = m_ui->chkRealCarL->isChecked();
    s.RealisticCrewXfr = m_ui->chkRealCXfr->isChecked();
    s.UseSubDts = m_ui->chkUseSubDts->isChecked();
    s.RndDaysInBase = m_ui->chkRDIB->isChecked();
    s.SetDaysInBase = m_ui->chkSDIB->isChecked();
    s.DaysInBaseValue = m_ui->udSDIB->value();
    s.RealShipNames = m_ui->chkRealShips->isChecked();
    s.RndGramophone = m_ui->chkRndGram->isChecked();
    s.StartAtSea = m_ui->chkSAS->isChecked();
    s.HullIntegrityText = m_ui->cmbHullText->currentIndex();
    s.UseFatigueModel = m_ui->chkFatMod->isChecked();
    s.FatigueModel = std::max(0, m_ui->cmbFatMod->currentIndex());  // no models listed: the first
    s.AdjWaterDensity = m_ui->chkAdjH2OD->isChecked();
    s.WaterDensityValue = m_ui->udH2OD->value();
    s.AdjWaveHeight = m_ui->chkWavHt->isChecked();
    s.WaveHeight = m_ui->cmbWavHt->currentIndex();
    s.Adj88ReloadTime = m_ui->chk88Rld->isChecked();
    s.ReloadTime88 = m_ui->ud88Rld->value();
    s.Adj105ReloadTime = m_ui->chk105Rld->isChecked();
    s.ReloadTime105 = m_ui->ud105Rld->value();
    s.ModelEffects = m_ui->chkEffects->isChecked();
    s.Effects = m_ui->cmbEffects->currentIndex();
    s.RndTonnage = m_ui->chkRndGRT->isChecked();
    s.RndCrushDepth = m_ui->chkRndCrush->isChecked();
    s.HeadingFont = TypedFromQt(m_ui->cmbHdgFnt->currentText(), "heading font");
    s.LabelFont = TypedFromQt(m_ui->cmbLblFnt->currentText(), "label font");
    s.TextFont = TypedFromQt(m_ui->cmbTxtFnt->currentText(), "text font");
    s.BackgroundImage = TypedFromQt(m_ui->txtBgrnd->text(), "background image");
    return s;
}

void OptionsDialog::Changed() {
    m_ui->cmdApply->setEnabled(true);
}

void OptionsDialog::tvGroupsChange(int index) {
    QWidget* const pages[] = {m_ui->grp0, m_ui->grp1, m_ui->grp2, m_ui->grp3, m_ui->grp4, m_ui->grp5};
    for (int i = 0; i < 6; ++i) {
        pages[i]->setVisible(i == index);
        pages[i]->setEnabled(i == index);
    }
}

void OptionsDialog::cmdSH3BrowsePathClick() {
    const std::filesystem::path chosen = BrowseGameFolder(m_prompter, PathFromQt(m_ui->txtSH3Loc->text()));
    if (!chosen.empty()) {
        m_ui->txtSH3Loc->setText(PathToQt(chosen));
    }
}

void OptionsDialog::RefreshTimeCompression() {
    const int row = m_ui->lstTCNm->currentRow();
    const bool selected = row >= 0 && row < static_cast<int>(kTimeCompressionRowCount);
    m_ui->lstTCVals->setEnabled(selected);
    const QSignalBlocker blocker(m_ui->lstTCVals);
    m_ui->lstTCVals->setCurrentRow(-1);
    m_ui->lstTCVals->clearSelection();
    if (!selected) {
        m_ui->cmdResetTC->setEnabled(false);
        return;
    }
    const std::string& value = m_timeCompression[static_cast<std::size_t>(row)];
    m_ui->cmdResetTC->setEnabled(value != kTimeCompressionRows[static_cast<std::size_t>(row)].def);
    const auto found = m_ui->lstTCVals->findItems(ToQt(value), Qt::MatchExactly);
    if (!found.isEmpty()) {
        m_ui->lstTCVals->setCurrentItem(found.first());
    }
}

void OptionsDialog::lstTCValsClick(int valueRow) {
    const int row = m_ui->lstTCNm->currentRow();
    if (row < 0 || valueRow < 0) {
        return;
    }
    m_timeCompression[static_cast<std::size_t>(row)] = FromQt(m_ui->lstTCVals->item(valueRow)->text());
    Changed();
    RefreshTimeCompression();
}

void OptionsDialog::cmdResetTCClick() {
    const int row = m_ui->lstTCNm->currentRow();
    if (row < 0) {
        return;
    }
    m_timeCompression[static_cast<std::size_t>(row)] =
        kTimeCompressionRows[static_cast<std::size_t>(row)].def;
    Changed();
    RefreshTimeCompression();
}

void OptionsDialog::lblUGClick() {
    OpenUserGuide(m_paths);
}

void OptionsDialog::UpdateSamples() {
    const auto fontOf = [](const QComboBox* box, const QLabel* label) {
        QFont font = label->font();
        font.setFamily(box->currentText());
        return font;
    };
    m_ui->lblHdg->setFont(fontOf(m_ui->cmbHdgFnt, m_ui->lblHdg));
    m_ui->lblLbl->setFont(fontOf(m_ui->cmbLblFnt, m_ui->lblLbl));
    m_ui->lblTxt->setFont(fontOf(m_ui->cmbTxtFnt, m_ui->lblTxt));
    m_ui->lblLbl->adjustSize();
    m_ui->lblTxt->adjustSize();
    m_ui->lblTxt->move(m_ui->lblLbl->x() + m_ui->lblLbl->width() + 6, m_ui->lblTxt->y());
    const ReportLook shown{FromQt(m_ui->cmbHdgFnt->currentText()), FromQt(m_ui->cmbLblFnt->currentText()),
                           FromQt(m_ui->cmbTxtFnt->currentText()), FromQt(m_ui->txtBgrnd->text())};
    m_ui->cmdResetPF->setEnabled(!(shown == DefaultReportLook(m_paths)));
}

void OptionsDialog::cmdImgClick() {
    const QString current = m_ui->txtBgrnd->text();
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Select image to display"),
                                                        current, QStringLiteral("JPEG Image File (*.jpg)"));
    if (!chosen.isEmpty()) {
        m_ui->txtBgrnd->setText(chosen);
    }
}

void OptionsDialog::cmdResetPFClick() {
    const ReportLook look = DefaultReportLook(m_paths);
    SetFont(m_ui->cmbHdgFnt, look.headingFont);
    SetFont(m_ui->cmbLblFnt, look.labelFont);
    SetFont(m_ui->cmbTxtFnt, look.textFont);
    m_ui->txtBgrnd->setText(ToQt(look.background));
    UpdateSamples();
    Changed();
}

bool OptionsDialog::Apply() {
    const Settings settings = SettingsFromControls();  // refuses unusable text before anything is written
    const bool folderChanged = m_ui->txtSH3Loc->text() != m_filledGameFolder;
    if (folderChanged && !ReadyForAnotherGameFolder(m_paths, m_prompter)) {
        return false;
    }
    // main.cfg first: when it cannot be written, Seewolf.ini keeps the old game folder too, so
    // that what is saved and whether Seewolf starts again agree.
    WriteTimeCompression(m_paths, m_timeCompression);
    WriteSettings(m_paths, settings);
    if (m_hooks.applyDetailFont) {
        m_hooks.applyDetailFont(m_ui->chkWPFnt->isChecked());
    }
    if (folderChanged) {
        // The game folder is fixed for a run: Seewolf starts again with the new one.
        m_restarting = true;
        if (m_hooks.restart) {
            m_hooks.restart();
        }
    }
    m_ui->cmdApply->setEnabled(false);
    return true;
}

void OptionsDialog::cmdApplyClick() {
    if (Apply() && m_restarting) {
        accept();  // Seewolf ends and starts again
    }
}

void OptionsDialog::cmdOKClick() {
    if (Apply()) {
        accept();
    }
}

}  // namespace seewolf::ui
