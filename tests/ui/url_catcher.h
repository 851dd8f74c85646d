#pragma once

// Takes the URLs the desktop is asked to open, in place of a browser or viewer:
//   UrlCatcher catcher;
//   QDesktopServices::setUrlHandler("file", &catcher, "Open");

#include <QList>
#include <QObject>
#include <QUrl>

class UrlCatcher : public QObject {
    Q_OBJECT

  public:
    QList<QUrl> opened;

  public slots:
    void Open(const QUrl& url) { opened.append(url); }
};
