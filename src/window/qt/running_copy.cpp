#include "window/qt/running_copy.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include "window/qt/form1.h"

namespace fragtally {

namespace {

constexpr char kShowRequest[] = "show\n";

}  // namespace

RunningCopy::RunningCopy(const std::string& instance_name, Form1& form)
    : form_(form), server_(new QLocalServer(this)) {
  const QString name = QString::fromStdString(instance_name);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  // This copy holds the folder's lock, so a server of that name is one a
  // copy that ended without cleaning up left behind.
  QLocalServer::removeServer(name);
  server_->listen(name);
  connect(server_, &QLocalServer::newConnection, this, &RunningCopy::OnConnection);
}

RunningCopy::~RunningCopy() = default;

bool RunningCopy::listening() const { return server_->isListening(); }

void RunningCopy::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    socket->setParent(this);
    const auto read = [this, socket] {
      if (!socket->canReadLine()) return;
      const QByteArray request = socket->readLine();
      socket->disconnectFromServer();
      socket->deleteLater();
      if (request == kShowRequest) {
        form_.BringToFront();
        emit broughtToFront();
      }
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    read();  // what arrived with the connection
  }
}

bool AskRunningCopyToShow(const std::string& instance_name, int wait_ms) {
  const QString name = QString::fromStdString(instance_name);
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(std::max(100, wait_ms - static_cast<int>(waited.elapsed())))) {
      socket.write(kShowRequest);
      const bool written = socket.waitForBytesWritten(1000);
      socket.disconnectFromServer();
      if (written) return true;
    }
    if (waited.elapsed() >= wait_ms) return false;
    QThread::msleep(50);
  }
}

}  // namespace fragtally
