#include "ui/about_dialog.h"

#include <QDesktopServices>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QUrl>

#include "ui/controls.h"
#include "ui/qt_prompter.h"
#include "ui/qt_text.h"
#include "ui_about_dialog.h"

namespace seewolf::ui {

namespace {

// The program's emblem: a boat's silhouette on the night sea, drawn rather than shipped; drawn
// with as many pixels as the screen gives it (`ratio` device pixels to a window pixel), so that a
// scaled display shows it sharp.
QPixmap Emblem(qreal ratio) {
    QPixmap picture(QSize(64, 64) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1b, 0x2a, 0x41));
    painter.drawRoundedRect(QRectF(0, 0, 64, 64), 10, 10);
    painter.setBrush(QColor(0x2e, 0x5c, 0x8a));
    painter.drawRect(QRectF(4, 40, 56, 20));
    QPainterPath hull;
    hull.moveTo(6, 40);
    hull.quadTo(32, 32, 58, 40);
    hull.lineTo(6, 40);
    painter.setBrush(QColor(0xd8, 0xdc, 0xe0));
    painter.drawPath(hull);
    painter.drawRect(QRectF(27, 26, 9, 11));  // tower
    painter.drawRect(QRectF(31, 16, 2, 10));  // periscope
    return picture;
}

}  // namespace

AboutDialog::AboutDialog(Prompter& prompter, const VersionBlock& version, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AboutDialog>()), m_prompter(prompter) {
    m_ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_ui->imgLogo->setPixmap(Emblem(m_ui->imgLogo->devicePixelRatioF()));
    // Each value is read by its key: a block without one shows "(unknown)" there and nowhere else.
    const auto field = [&version](const char* key) { return ToQt(VersionField(version, key, "(unknown)")); };
    setWindowTitle(QStringLiteral("About ") + field("ProductName"));
    m_ui->lblInfo->setText(field("ProductName") + QStringLiteral(" v") + field("FileVersion") +
                           QLatin1Char('\n') + field("LegalCopyright") + QLatin1Char('\n') +
                           field("Comments"));
    m_ui->lblLicense->setText(field("LegalTradeMarks"));
    m_ui->lblHomePage->setToolTip(QString::fromLatin1(kHomePageAddress));
    m_ui->lblHomePage->installEventFilter(this);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::lblHomePageClick() {
    if (!QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePageAddress)))) {
        m_prompter.ShowMessage(std::string("Seewolf could not open its home page ") + kHomePageAddress +
                                   ". Open it in your web browser yourself.",
                               MessageKind::Error, Button::Ok);
    }
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->lblHomePage) {
        if (ActivatesLink(event)) {
            Guarded(m_prompter, [this] { lblHomePageClick(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace seewolf::ui
