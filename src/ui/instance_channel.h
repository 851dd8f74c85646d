#pragma once

// How a second start of Seewolf reaches the first: it sends its arguments through a local socket
// named after the instance guard's block, and the first instance brings its window forward.
//
// Message: the identifier 0xDE1F1DAB and the buffer length (both 32-bit little-endian), then the
// buffer: arguments 1 to n, each followed by a zero byte, and one more zero byte.

#include <functional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QStringList>

namespace seewolf::ui {

// The buffer of the message for a list of arguments (UTF-8).
QByteArray ForwardedArguments(const std::vector<std::string>& arguments);
// The arguments back from a buffer; an empty list when it is malformed.
std::vector<std::string> ArgumentsFromBuffer(const QByteArray& buffer);

// Socket name for a guard block name (short enough for every system's limit).
QString ChannelName(const std::string& blockName);

class InstanceChannel : public QObject {
    Q_OBJECT
  public:
    explicit InstanceChannel(QObject* parent = nullptr);

    // First instance: listens; `onArrival` runs with the forwarded arguments.
    bool Listen(const QString& name, std::function<void(const std::vector<std::string>&)> onArrival);

    // Second instance: hands the arguments over; true when the first instance accepted them.
    static bool Forward(const QString& name, const std::vector<std::string>& arguments, int timeoutMs = 3000);

  private:
    void OnConnection();
    void OnData(QLocalSocket& socket);
    QLocalServer m_server;
    std::function<void(const std::vector<std::string>&)> m_onArrival;
};

}  // namespace seewolf::ui
