// One tray program per user: the first start listens on a local socket in the user's
// runtime folder; a later start finds it there and asks it to come forward. A socket
// file left behind by a program that crashed is recovered.
#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QString>

#include <memory>

namespace tidorax {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // socketPath empty: DefaultSocketPath().
    explicit SingleInstance(QString socketPath = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // $XDG_RUNTIME_DIR/tidorax.instance (the platform's per-user runtime folder when
    // the variable is unset).
    static QString DefaultSocketPath();

    // True when another instance answers on the socket. Otherwise this instance
    // takes the socket (removing a stale one) and answers later starts itself.
    bool anotherInstanceRunning();
    // Asks the running instance to come forward and waits for its answer; false when
    // it cannot be reached or does not answer in time.
    bool activateRunningInstance(int timeoutMilliseconds = 2000);

    bool isListening() const { return server_.isListening(); }
    const QString& socketPath() const { return path_; }

signals:
    // A later start asked this instance to come forward.
    void activationRequested();

private:
    bool listen();
    void onNewConnection();

    QString path_;
    QLocalServer server_;
    std::unique_ptr<QLocalSocket> peer_;
};

} // namespace tidorax
