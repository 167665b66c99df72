// LocalInstance: the hand-over's sockets on QLocalSocket and QLocalServer.
#include "gui/LocalInstance.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <memory>

#include "app/MainWindow.h"

namespace norra {

namespace {

// A live Norra accepts at once; its answer waits for its event loop, which a long command
// keeps turning, so a few seconds are plenty. After that this start runs its own window.
constexpr int kConnectMs = 1000;
constexpr int kAnswerMs = 5000;

QString Path(const std::string& path) {
  return QString::fromStdString(path);
}

}  // namespace

LocalInstance::LocalInstance(QObject* parent) : QObject(parent) {}

LocalInstance::~LocalInstance() {
  // Closing removes the socket's file, so the next start need not find it stale.
  if (server_ != nullptr) server_->close();
}

std::string LocalInstance::SocketPath() {
  return InstanceSocketPath(qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString(),
                            qEnvironmentVariable("WAYLAND_DISPLAY").toStdString(),
                            qEnvironmentVariable("DISPLAY").toStdString());
}

bool LocalInstance::HandOver(std::vector<std::string>& args, const std::string& workingFolder) {
  return DecideStart(args, workingFolder, SocketPath(), *this) == StartRole::HandedOver;
}

std::string LocalInstance::Exchange(const std::string& path, const std::string& request) {
  QLocalSocket socket;
  socket.connectToServer(Path(path));
  if (!socket.waitForConnected(kConnectMs)) return std::string();
  socket.write(QByteArray::fromStdString(request));
  QElapsedTimer timer;
  timer.start();
  while (socket.bytesToWrite() > 0 && timer.elapsed() < kAnswerMs) {
    if (!socket.waitForBytesWritten(static_cast<int>(kAnswerMs - timer.elapsed()))) break;
  }
  QByteArray answer;
  while (!answer.contains('\n') && timer.elapsed() < kAnswerMs &&
         socket.state() == QLocalSocket::ConnectedState) {
    if (socket.waitForReadyRead(static_cast<int>(kAnswerMs - timer.elapsed()))) answer += socket.readAll();
  }
  answer += socket.readAll();  // what came with the close
  return answer.toStdString();
}

InstanceChannel::SocketState LocalInstance::Probe(const std::string& path) {
  QLocalSocket socket;
  socket.connectToServer(Path(path));
  if (socket.waitForConnected(kConnectMs)) {
    socket.abort();
    return SocketState::Live;
  }
  switch (socket.error()) {
    case QLocalSocket::ServerNotFoundError:
      return QFileInfo::exists(Path(path)) ? SocketState::Stale : SocketState::Absent;
    case QLocalSocket::ConnectionRefusedError:
      return SocketState::Stale;
    default:
      // Busy or unknown: someone may be there; their socket is left alone.
      return SocketState::Live;
  }
}

void LocalInstance::Remove(const std::string& path) {
  QLocalServer::removeServer(Path(path));
}

bool LocalInstance::Listen(const std::string& path) {
  auto* server = new QLocalServer(this);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(Path(path))) {
    delete server;
    return false;
  }
  server_ = server;
  connect(server_, &QLocalServer::newConnection, this, &LocalInstance::Accept);
  return true;
}

void LocalInstance::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto reader = std::make_shared<HandOverReader>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader] {
      const QByteArray bytes = socket->readAll();
      switch (reader->Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        case HandOverReader::State::NeedMore:
          return;
        case HandOverReader::State::Complete:
          socket->write(kHandOverAccepted.data(), static_cast<qint64>(kHandOverAccepted.size()));
          socket->flush();
          socket->disconnectFromServer();
          // Opening files shows messages and turns the event loop: not inside this socket's signal.
          QMetaObject::invokeMethod(this, [this, handOver = reader->Message()] { Deliver(handOver); },
                                    Qt::QueuedConnection);
          return;
        case HandOverReader::State::Invalid:
          socket->abort();
          socket->deleteLater();
          return;
      }
    });
  }
}

void LocalInstance::Serve(std::function<void(const norra::HandOver&)> receiver) {
  receiver_ = std::move(receiver);
  std::vector<norra::HandOver> waiting;
  waiting.swap(waiting_);
  for (const norra::HandOver& handOver : waiting) Deliver(handOver);
}

void LocalInstance::ServeWindow(MainWindow& logic, QWidget& window) {
  Serve([&logic, &window](const norra::HandOver& handOver) {
    if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    logic.FilesDropped(HandedOverFiles(handOver));
  });
}

void LocalInstance::Deliver(const norra::HandOver& handOver) {
  if (receiver_) {
    receiver_(handOver);
  } else {
    waiting_.push_back(handOver);
  }
}

}  // namespace norra
