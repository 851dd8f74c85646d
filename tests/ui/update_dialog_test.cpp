#include "ui/update_dialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "app/error.h"
#include "support/scripted_prompter.h"
#include "url_catcher.h"

using namespace seewolf;

namespace {

const QString kFailure = QStringLiteral(
    "Could not retrieve version information from the Tiefwasser server! Ensure you are connected to the "
    "internet and try again.");

// A web server of one file: answers every request with `body`, or with nothing at all.
class UpdateServer {
  public:
    QByteArray status = "200 OK";
    QByteArray body;
    bool stall = false;
    QStringList requests;  // the requested paths

    UpdateServer() {
        if (!m_server.listen(QHostAddress::LocalHost)) {
            qFatal("no local server");
        }
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Serve(socket); });
            }
        });
    }
    QString Address() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }

  private:
    void Serve(QTcpSocket* socket) {
        QByteArray& request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n")) {
            return;
        }
        requests << QString::fromLatin1(request.split(' ').value(1));
        request.clear();
        if (stall) {
            return;
        }
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QMap<QTcpSocket*, QByteArray> m_pending;
};

// The section the check reads: named after this executable's file name.
QByteArray Section() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLatin1();
}

struct Check {
    UpdateServer server;
    testing::ScriptedPrompter prompter;
    ui::UpdateDialog dialog;

    explicit Check(std::chrono::milliseconds timeout = std::chrono::seconds(15))
        : dialog(prompter,
                 ui::UpdateDialog::Settings{server.Address() + "/", timeout, 64 * 1024, ProgramVersion()}) {}

    QString Text(const char* label) const { return dialog.findChild<QLabel*>(label)->text(); }
    bool DownloadShown() const { return dialog.findChild<QGroupBox*>("grpDownload")->isVisibleTo(&dialog); }
    void Publish(const QByteArray& release,
                 const QByteArray& location = "https://downloads.example.org/seewolf/") {
        server.body =
            "[other.exe]\r\nRelease=99\r\n[" + Section() + "]\r\nRelease=" + release +
            "\r\nVersion=3.3.0\r\nDisplayText=<b>Seewolf 3.3</b> & more: U-b\xF6te\r\nLocation=" + location +
            "\r\nFileName=Seewolf-3.3.0.zip\r\n";
    }
};

}  // namespace

class UpdateDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void comparesThePublishedRelease() {
        Check c;
        QCOMPARE(c.dialog.windowTitle(), QStringLiteral("Check for Updates"));
        c.Publish("23");
        c.dialog.Check();
        QCOMPARE(c.server.requests, QStringList{"/products/versions.ini"});
        // The server's text as it stands: no markup, Windows-1252 read as such.
        QCOMPARE(c.Text("lblInfo"), QStringLiteral("<b>Seewolf 3.3</b> & more: U-b\u00F6te"));
        QCOMPARE(c.dialog.findChild<QLabel*>("lblInfo")->textFormat(), Qt::PlainText);
        QCOMPARE(c.Text("lblCurVer"), QStringLiteral("3.2.0.203"));
        QCOMPARE(c.Text("lblAvailVer"), QStringLiteral("3.3.0"));
        QVERIFY(c.DownloadShown());
        QCOMPARE(c.dialog.findChild<QLabel*>("lblLink")->toolTip(),
                 QStringLiteral("https://downloads.example.org/seewolf/Seewolf-3.3.0.zip"));
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            c.dialog.show();
            QVERIFY(c.dialog.grab().save(folder + "/update_newer.png"));
            c.dialog.hide();
        }

        // The same release, and a server that publishes nothing for this program.
        c.Publish("22");
        c.dialog.Check();
        QCOMPARE(c.Text("lblInfo"), QStringLiteral("You have the latest version."));
        QCOMPARE(c.Text("lblAvailVer"), QStringLiteral("3.3.0"));
        QVERIFY(!c.DownloadShown());
        c.server.body = "[other.exe]\r\nRelease=99\r\nVersion=9\r\n";
        c.dialog.Check();
        QCOMPARE(c.Text("lblInfo"), QStringLiteral("You have the latest version."));
        QCOMPARE(c.Text("lblAvailVer"), QString());
        QVERIFY(!c.DownloadShown());
        // Nothing was stored next to the program, and the busy cursor is off again.
        QVERIFY(!QFileInfo::exists(QCoreApplication::applicationDirPath() + "/versions.ini"));
        QCOMPARE(c.prompter.busyDepth, 0);
        QVERIFY(c.prompter.messages.empty());

        // An installed release that is no whole number stops before the server is asked.
        Check broken;
        ui::UpdateDialog odd(broken.prompter,
                             ui::UpdateDialog::Settings{broken.server.Address(), std::chrono::seconds(15),
                                                        64 * 1024, VersionBlock{{"Release", "22b"}}});
        QVERIFY_THROWS_EXCEPTION(Error, odd.Check());
        QVERIFY(broken.server.requests.isEmpty());
    }

    void everyFailureShowsTheFailureText() {
        const auto failed = [](const Check& c, const char* what) {
            QVERIFY2(c.Text("lblInfo") == kFailure, what);
            QVERIFY2(c.Text("lblAvailVer") == "-", what);
            QVERIFY2(c.Text("lblCurVer") == "3.2.0.203", what);
            QVERIFY2(!c.DownloadShown(), what);
            QVERIFY2(c.prompter.busyDepth == 0, what);
        };
        // A stalled server: the dialog gives up when the time is up.
        Check c(std::chrono::milliseconds(300));
        c.Publish("23");
        c.dialog.Check();
        QVERIFY(c.DownloadShown());
        c.server.stall = true;
        QElapsedTimer clock;
        clock.start();
        c.dialog.Check();
        QVERIFY(clock.elapsed() >= 250 && clock.elapsed() < 5000);
        failed(c, "stalled");

        // A reply larger than any update information, and a missing file.
        c.server.stall = false;
        c.Publish("23");
        c.server.body += QByteArray(64 * 1024, ';');
        c.dialog.Check();
        failed(c, "too large");
        c.Publish("23");
        c.server.status = "404 Not Found";
        c.dialog.Check();
        failed(c, "not found");

        // A refused connection.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString refused = QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort());
        closed.close();
        testing::ScriptedPrompter prompter;
        ui::UpdateDialog d(prompter, ui::UpdateDialog::Settings{refused, std::chrono::seconds(15), 64 * 1024,
                                                                ProgramVersion()});
        d.Check();
        QCOMPARE(d.findChild<QLabel*>("lblInfo")->text(), kFailure);
        QCOMPARE(d.findChild<QLabel*>("lblAvailVer")->text(), QStringLiteral("-"));
        if (const QString folder = qEnvironmentVariable("SEEWOLF_SCREENSHOTS"); !folder.isEmpty()) {
            d.show();
            QVERIFY(d.grab().save(folder + "/update_failed.png"));
        }
    }

    void theLinkOpensWebAddressesOnly() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "Open");
        QDesktopServices::setUrlHandler("file", &catcher, "Open");
        Check c;
        c.Publish("23");
        c.dialog.Check();
        c.dialog.open();
        QTest::mouseClick(c.dialog.findChild<QLabel*>("lblLink"), Qt::LeftButton);
        QCOMPARE(catcher.opened,
                 QList<QUrl>{QUrl("https://downloads.example.org/seewolf/Seewolf-3.3.0.zip")});
        QVERIFY(c.dialog.QuitRequested());
        QCOMPARE(c.dialog.result(), int(QDialog::Accepted));
        QVERIFY(!c.dialog.isVisible());

        // A link that cannot be opened is reported, and the program goes on.
        QDesktopServices::setUrlHandler("https", &catcher, "NoSuchSlot");
        c.dialog.Check();
        c.dialog.open();
        QTest::mouseClick(c.dialog.findChild<QLabel*>("lblLink"), Qt::LeftButton);
        QVERIFY(!c.dialog.QuitRequested());
        QVERIFY(c.dialog.isVisible());
        QCOMPARE(c.prompter.messages.size(), std::size_t{1});
        QCOMPARE(c.prompter.messages[0].kind, MessageKind::Error);
        QVERIFY(c.prompter.messages[0].text.find("Seewolf-3.3.0.zip") != std::string::npos);
        c.dialog.close();

        // A file target from the server is never offered, and the user is told why.
        c.Publish("23", "file:///tmp/");
        c.dialog.Check();
        QVERIFY(!c.DownloadShown());
        QVERIFY(c.Text("lblInfo").startsWith("<b>Seewolf 3.3</b> & more"));
        QVERIFY(
            c.Text("lblInfo").contains("\"file:///tmp/Seewolf-3.3.0.zip\"), so no download link is offered"));
        c.dialog.lblLinkClick();
        QCOMPARE(catcher.opened.size(), 1);
        QVERIFY(!c.dialog.QuitRequested());
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("file");
    }
};

QTEST_MAIN(UpdateDialogTest)
#include "update_dialog_test.moc"
