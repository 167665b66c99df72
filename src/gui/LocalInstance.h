// One window for every file over Qt's local sockets: a start hands its files to the running
// Norra, which listens in $XDG_RUNTIME_DIR and opens them as dropped files.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "app/SingleInstance.h"

class QLocalServer;
class QWidget;

namespace norra {

class MainWindow;

class LocalInstance : public QObject, public InstanceChannel {
 public:
  explicit LocalInstance(QObject* parent = nullptr);
  ~LocalInstance() override;

  // The socket of this user's display, from the environment; empty without a runtime folder.
  static std::string SocketPath();
  // Decides this process's start (args lose "--new-window"): true when a running Norra took the
  // files and the process should end. Otherwise it listens when it can.
  bool HandOver(std::vector<std::string>& args, const std::string& workingFolder);
  bool Serving() const { return server_ != nullptr; }
  // Hand-overs go to receiver from now on; those that came before go first.
  void Serve(std::function<void(const norra::HandOver&)> receiver);
  // The desktop's receiver: the window comes back from the task bar and opens the files as
  // dropped ones (which brings it to the front).
  void ServeWindow(MainWindow& logic, QWidget& window);

  // InstanceChannel
  std::string Exchange(const std::string& path, const std::string& request) override;
  SocketState Probe(const std::string& path) override;
  void Remove(const std::string& path) override;
  bool Listen(const std::string& path) override;

 private:
  void Accept();
  void Deliver(const norra::HandOver& handOver);

  QLocalServer* server_ = nullptr;
  std::function<void(const norra::HandOver&)> receiver_;
  std::vector<norra::HandOver> waiting_;
};

}  // namespace norra
