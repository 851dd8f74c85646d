#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QDialog>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>

#include "app/prompter.h"
#include "app/version.h"

namespace Ui {
class UpdateDialog;
}

namespace seewolf::ui {

// The update check: fetches the update information from the update server, compares its release
// number with the installed one and offers the download link when the server's is newer.
//
// The server's file "products/versions.ini" (below the update address) is a profile file with one
// section per program, named after the executable's file name, holding Release, DisplayText,
// Version, Location and FileName. It is read in memory, never stored.
class UpdateDialog : public QDialog {
    Q_OBJECT
  public:
    // The update server's address; SEEWOLF_UPDATE_URL overrides it (tests, a mirror).
    static constexpr const char* kUpdateBaseAddress = "https://seewolf.example.org";
    static QString UpdateBaseAddress();

    struct Settings {
        QString baseAddress;                       // empty: UpdateBaseAddress() at each check
        std::chrono::milliseconds timeout{15000};  // for the whole reply
        qint64 replyLimit = 64 * 1024;             // a larger reply is no update information
        VersionBlock version = ProgramVersion();
    };

    explicit UpdateDialog(Prompter& prompter, QWidget* parent = nullptr);
    UpdateDialog(Prompter& prompter, Settings settings, QWidget* parent = nullptr);
    ~UpdateDialog() override;

    // Asks the server and fills the dialog, with the busy cursor until the reply is in or the
    // time is up. Throws Error before asking when the installed release is no whole number.
    void Check();
    // Checks, then shows the dialog modally.
    void ShowModal();
    // Set when the download link was opened: the program is to end, as the dialog announces.
    bool QuitRequested() const { return m_quitRequested; }

    void lblLinkClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::optional<QByteArray> Fetch(const QUrl& address);

    std::unique_ptr<Ui::UpdateDialog> m_ui;
    Prompter& m_prompter;
    Settings m_settings;
    QNetworkAccessManager m_network;
    QUrl m_link;
    bool m_quitRequested = false;
};

}  // namespace seewolf::ui
