#include "ui/update_dialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "app/profile_file.h"
#include "ui/controls.h"
#include "ui/qt_prompter.h"
#include "ui/qt_text.h"
#include "ui_update_dialog.h"

namespace seewolf::ui {

namespace {

const QString kFailure = QStringLiteral(
    "Could not retrieve version information from the Tiefwasser server! Ensure you are connected to the "
    "internet and try again.");

// Only a web address is offered as a download: a "file:" or other target from the server could
// start anything on this machine.
bool IsWebAddress(const QUrl& url) {
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}

}  // namespace

QString UpdateDialog::UpdateBaseAddress() {
    const QString overridden = qEnvironmentVariable("SEEWOLF_UPDATE_URL");
    return overridden.isEmpty() ? QString::fromLatin1(kUpdateBaseAddress) : overridden;
}

UpdateDialog::UpdateDialog(Prompter& prompter, QWidget* parent)
    : UpdateDialog(prompter, Settings{}, parent) {}

UpdateDialog::UpdateDialog(Prompter& prompter, Settings settings, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::UpdateDialog>()),
      m_prompter(prompter),
      m_settings(std::move(settings)) {
    m_ui->setupUi(this);
    ShowLabelsAsPlainText(this);  // the server's text is shown as it stands
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_ui->grpDownload->hide();
    m_ui->lblLink->installEventFilter(this);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

UpdateDialog::~UpdateDialog() = default;

void UpdateDialog::ShowModal() {
    Check();
    exec();
}

void UpdateDialog::Check() {
    m_quitRequested = false;
    m_link.clear();
    const int installed = InstalledRelease(m_settings.version);
    const QString installedVersion = ToQt(VersionField(m_settings.version, "FileVersion", "(unknown)"));
    m_ui->lblCurVer->setText(installedVersion);

    std::optional<QByteArray> reply;
    {
        const BusyScope busy(m_prompter);
        QString base = m_settings.baseAddress.isEmpty() ? UpdateBaseAddress() : m_settings.baseAddress;
        while (base.endsWith(QLatin1Char('/'))) {
            base.chop(1);
        }
        reply = Fetch(QUrl(base + QStringLiteral("/products/versions.ini")));
    }
    if (!reply) {
        m_ui->lblInfo->setText(kFailure);
        m_ui->lblAvailVer->setText(QStringLiteral("-"));
        m_ui->grpDownload->hide();
        return;
    }

    // The section of this program is named after the executable's file name as it is now.
    const std::string section = FromQt(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    const ProfileText versions(std::string(reply->constData(), static_cast<std::size_t>(reply->size())));
    const int published = versions.ReadInteger(section, "Release", 0);
    const std::string available = versions.ReadString(section, "Version", "");
    m_ui->lblAvailVer->setText(ToQt(available));
    if (installed >= published) {
        m_ui->lblInfo->setText(QStringLiteral("You have the latest version."));
        m_ui->grpDownload->hide();
        return;
    }
    const QString displayText = ToQt(versions.ReadString(section, "DisplayText", ""));
    const QString target =
        ToQt(versions.ReadString(section, "Location", "") + versions.ReadString(section, "FileName", ""));
    const QUrl link(target);
    if (!IsWebAddress(link)) {
        m_ui->lblInfo->setText(displayText +
                               QStringLiteral("\n\nThe server names no web address for the download (\"") +
                               target +
                               QStringLiteral("\"), so no download link is offered. Look for the update on "
                                              "Seewolf's home page."));
        m_ui->grpDownload->hide();
        return;
    }
    m_link = link;
    m_ui->lblInfo->setText(displayText);
    m_ui->lblLink->setToolTip(link.toString());
    m_ui->grpDownload->show();
}

std::optional<QByteArray> UpdateDialog::Fetch(const QUrl& address) {
    if (!address.isValid()) {
        return std::nullopt;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = m_network.get(request);
    QByteArray body;
    bool refused = false;  // too large, or too late
    const auto take = [&] {
        body += reply->readAll();
        if (body.size() > m_settings.replyLimit) {
            refused = true;
            reply->abort();
        }
    };
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(reply, &QNetworkReply::readyRead, &loop, take);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(&deadline, &QTimer::timeout, &loop, [&] {
        refused = true;
        reply->abort();
    });
    deadline.start(m_settings.timeout);
    if (!reply->isFinished()) {
        // Only the network is served meanwhile: the user's clicks wait for the answer.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    deadline.stop();
    if (!refused && reply->error() == QNetworkReply::NoError) {
        take();
    }
    const bool ok = !refused && reply->error() == QNetworkReply::NoError;
    reply->deleteLater();
    if (!ok) {
        return std::nullopt;
    }
    return body;
}

void UpdateDialog::lblLinkClick() {
    if (!IsWebAddress(m_link)) {
        return;
    }
    if (!QDesktopServices::openUrl(m_link)) {
        m_prompter.ShowMessage("Seewolf could not open the download address " + FromQt(m_link.toString()) +
                                   ". Open it in your web browser yourself.",
                               MessageKind::Error, Button::Ok);
        return;
    }
    // The download page is open: the program ends so that the update can replace it.
    m_quitRequested = true;
    accept();
}

bool UpdateDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->lblLink) {
        if (ActivatesLink(event)) {
            Guarded(m_prompter, [this] { lblLinkClick(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace seewolf::ui
