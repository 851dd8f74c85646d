#include "ui/tips_dialog.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTimer>

#include "app/random.h"
#include "app/settings.h"
#include "app/tips.h"
#include "ui/qt_prompter.h"
#include "ui/qt_text.h"
#include "ui_tips_dialog.h"

namespace seewolf::ui {

namespace {

// The dialog's picture: a lit lamp, drawn here rather than shipped as a file, with as many pixels
// as the screen gives it (`ratio` device pixels to a window pixel), so that a scaled display shows
// it sharp.
QPixmap LampPicture(int size, qreal ratio) {
    QPixmap picture(QSize(size, size) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 64.0;
    p.scale(s, s);
    p.setPen(QPen(QColor(240, 200, 60, 160), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (const QLineF& ray : {QLineF(32, 3, 32, 8), QLineF(12, 11, 16, 15), QLineF(52, 11, 48, 15),
                              QLineF(5, 28, 10, 28), QLineF(59, 28, 54, 28)}) {
        p.drawLine(ray);
    }
    QPainterPath glass;
    glass.addEllipse(QPointF(32, 28), 15, 15);
    QPainterPath neck;
    neck.addRoundedRect(QRectF(25, 36, 14, 10), 3, 3);
    p.setPen(QPen(QColor(120, 90, 20), 1.5));
    p.setBrush(QColor(255, 226, 110));
    p.drawPath(glass.united(neck));
    p.setPen(QPen(QColor(160, 110, 20), 1.2));
    p.drawLine(QLineF(28, 38, 30, 27));
    p.drawLine(QLineF(36, 38, 34, 27));
    p.setPen(QPen(QColor(70, 70, 78), 1));
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(QRectF(25, 46, 14, 9), 2, 2);
    p.drawLine(QLineF(25, 49, 39, 49));
    p.drawLine(QLineF(25, 52, 39, 52));
    p.setBrush(QColor(70, 70, 78));
    p.drawRoundedRect(QRectF(29, 55, 6, 4), 2, 2);
    return picture;
}

// Waits for the first activation of the main window, then lets go.
class FirstActivation : public QObject {
  public:
    FirstActivation(QWidget* mainWindow, const Paths& paths, Random& random, Prompter& prompter)
        : QObject(mainWindow), m_window(mainWindow), m_paths(paths), m_random(random), m_prompter(prompter) {
        mainWindow->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::WindowActivate) {
            m_window->removeEventFilter(this);
            // Shown once the activation has been handled, not inside it.
            QTimer::singleShot(
                0, m_window,
                [window = m_window, &paths = m_paths, &random = m_random, &prompter = m_prompter] {
                    Guarded(prompter, [&] {
                        if (ReadSettings(paths).ShowTips) {
                            TipsDialog tips(paths, random, prompter, window);
                            tips.exec();
                        }
                    });
                });
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget* m_window;
    const Paths& m_paths;
    Random& m_random;
    Prompter& m_prompter;
};

}  // namespace

TipsDialog::TipsDialog(const Paths& paths, Random& random, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::TipsDialog>()),
      m_paths(paths),
      m_random(random),
      m_prompter(prompter) {
    m_ui->setupUi(this);
    // A dialog border: no resizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    m_ui->imgTip->setPixmap(LampPicture(m_ui->imgTip->width(), m_ui->imgTip->devicePixelRatioF()));
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    OnClickGuarded(m_ui->cmdNext, m_prompter, [this] { cmdNextClick(); });

    Guarded(m_prompter, [this] { m_tips = ReadTips(m_paths); });
    m_ui->cmdNext->setVisible(m_tips.size() >= 2);
    if (!m_tips.empty()) {
        cmdNextClick();
    }
}

TipsDialog::~TipsDialog() = default;

void TipsDialog::cmdNextClick() {
    if (!m_tips.empty()) {
        const int at = m_random.Next(static_cast<int>(m_tips.size()));
        m_ui->lblTip->setText(ToQt(m_tips[static_cast<std::size_t>(at)]));
    }
}

void TipsDialog::done(int result) {
    // A failed write is said once, here; the dialog closes all the same.
    Guarded(m_prompter, [this] { StoreShowTips(m_paths, m_ui->chkShowTips->isChecked()); });
    QDialog::done(result);
}

void ShowTipsAtFirstActivation(QWidget* mainWindow, const Paths& paths, Random& random, Prompter& prompter) {
    new FirstActivation(mainWindow, paths, random, prompter);
}

}  // namespace seewolf::ui
