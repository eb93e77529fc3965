#include "desktop/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace tidorax {

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");
const QByteArray kActivated = QByteArrayLiteral("activated\n");

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), path_(socketPath.isEmpty() ? DefaultSocketPath() : std::move(socketPath)),
      server_(this) {
    // No socket options: with them the server binds elsewhere and renames its socket
    // over the path, which would take the place of a running instance. The runtime
    // folder is the user's own.
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultSocketPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) {
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    return QDir(folder).filePath(QStringLiteral("tidorax.instance"));
}

bool SingleInstance::listen() {
    return server_.listen(path_);
}

bool SingleInstance::anotherInstanceRunning() {
    if (listen()) {
        return false;
    }
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(path_);
    if (socket->waitForConnected(500)) {
        peer_ = std::move(socket);
        return true;
    }
    // Nobody answers: the socket was left behind. Take it over.
    QLocalServer::removeServer(path_);
    listen();
    return false;
}

bool SingleInstance::activateRunningInstance(int timeoutMilliseconds) {
    if (!peer_ || peer_->state() != QLocalSocket::ConnectedState) {
        return false;
    }
    peer_->write(kActivate);
    if (!peer_->waitForBytesWritten(timeoutMilliseconds)) {
        return false;
    }
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (!peer_->waitForReadyRead(timeoutMilliseconds)) {
            return false;
        }
        answer += peer_->readAll();
    }
    peer_->disconnectFromServer();
    return answer == kActivated;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* connection = server_.nextPendingConnection()) {
        connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        connect(connection, &QLocalSocket::readyRead, this, [this, connection] {
            if (!connection->canReadLine()) {
                return;
            }
            const QByteArray request = connection->readLine();
            if (request == kActivate) {
                emit activationRequested();
                connection->write(kActivated);
                connection->flush();
            }
            connection->disconnectFromServer();
        });
    }
}

} // namespace tidorax
