#include "ui/instance_channel.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <QtEndian>

#include "platform/instance_guard.h"

namespace seewolf::ui {

namespace {

constexpr int kHeaderSize = 8;
constexpr quint32 kMaxBuffer = 1u << 20;

}  // namespace

QByteArray ForwardedArguments(const std::vector<std::string>& arguments) {
    QByteArray buffer;
    for (const std::string& argument : arguments) {
        buffer.append(argument.data(), static_cast<qsizetype>(argument.size()));
        buffer.append('\0');
    }
    buffer.append('\0');
    return buffer;
}

std::vector<std::string> ArgumentsFromBuffer(const QByteArray& buffer) {
    std::vector<std::string> arguments;
    if (buffer.isEmpty() || buffer.back() != '\0') {
        return arguments;
    }
    qsizetype start = 0;
    // The last zero byte closes the list.
    for (qsizetype i = 0; i + 1 < buffer.size(); ++i) {
        if (buffer[i] == '\0') {
            arguments.emplace_back(buffer.constData() + start, static_cast<std::size_t>(i - start));
            start = i + 1;
        }
    }
    return arguments;
}

QString ChannelName(const std::string& blockName) {
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(blockName), QCryptographicHash::Sha1)
            .toHex()
            .left(20);
    return QStringLiteral("seewolf-") + QString::fromLatin1(hash);
}

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceChannel::OnConnection);
}

bool InstanceChannel::Listen(const QString& name,
                             std::function<void(const std::vector<std::string>&)> onArrival) {
    m_onArrival = std::move(onArrival);
    // This process owns the guard block, so a socket left by a crashed first instance is stale.
    QLocalServer::removeServer(name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    return m_server.listen(name);
}

void InstanceChannel::OnConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The socket is the context: the handler goes with it when it is deleted.
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { OnData(*socket); });
    }
}

void InstanceChannel::OnData(QLocalSocket& socket) {
    if (socket.bytesAvailable() < kHeaderSize) {
        return;
    }
    const QByteArray header = socket.peek(kHeaderSize);
    const auto id = qFromLittleEndian<quint32>(header.constData());
    const auto size = qFromLittleEndian<quint32>(header.constData() + 4);
    if (id != platform::kForwardedArgumentsId || size > kMaxBuffer) {
        socket.abort();
        return;
    }
    if (socket.bytesAvailable() < kHeaderSize + static_cast<qint64>(size)) {
        return;
    }
    socket.read(kHeaderSize);
    const QByteArray buffer = socket.read(size);
    socket.write("1");  // accepted
    socket.flush();
    if (m_onArrival) {
        m_onArrival(ArgumentsFromBuffer(buffer));
    }
}

bool InstanceChannel::Forward(const QString& name, const std::vector<std::string>& arguments, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    const QByteArray buffer = ForwardedArguments(arguments);
    QByteArray message(kHeaderSize, '\0');
    qToLittleEndian<quint32>(platform::kForwardedArgumentsId, message.data());
    qToLittleEndian<quint32>(static_cast<quint32>(buffer.size()), message.data() + 4);
    message.append(buffer);
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    const bool accepted = socket.waitForReadyRead(timeoutMs) && socket.read(1) == "1";
    socket.disconnectFromServer();
    return accepted;
}

}  // namespace seewolf::ui
