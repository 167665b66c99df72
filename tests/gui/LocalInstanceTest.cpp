// One window for every file: a second start of the real program hands its files to the running
// window and ends; a crashed window's socket does not stop the next one from listening.
#include <QProcess>
#include <QProcessEnvironment>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "AppFixture.h"
#include "gui/LocalInstance.h"
#include "documents/Documents.h"
#include "settings/Settings.h"

using namespace norra;
using namespace norra::guitest;

class LocalInstanceTest : public AppFixture {
  Q_OBJECT

  std::string Runtime() const { return dir_->filePath(QStringLiteral("runtime")).toStdString(); }

 private slots:
  void init() {
    MakeFolders();
    QDir(dir_->path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(QString::fromStdString(Runtime()), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                  QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(Runtime()));
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("DISPLAY");
  }
  void cleanup() { StopApp(); }

  void secondStartOpensItsFilesInTheRunningWindow() {
    Start({});
    LocalInstance first;
    std::vector<std::string> args;
    QVERIFY(!first.HandOver(args, Work(QString()).toStdString()));
    QVERIFY(first.Serving());
    first.ServeWindow(Logic(), View());
    MakeFile(QStringLiteral("a.txt"), "一");
    MakeFile(QStringLiteral("b c.txt"), "二");
    const std::size_t before = Logic().Docs().PageCount();
    View().showMinimized();  // the window comes back for the files
    QTRY_VERIFY(View().isMinimized());

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_->filePath(QStringLiteral("second-config")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(Work(QString()));
    // A relative name, and a path split at its space as an unquoted one arrives.
    second.start(QStringLiteral(NORRA_EXE), {QStringLiteral("a.txt"), Work(QStringLiteral("b")), QStringLiteral("c.txt")});
    QVERIFY(second.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 15000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);

    QTRY_COMPARE(Logic().Docs().PageCount(), before + 2);
    QVERIFY(ui_.Boxes().empty());
    QVERIFY(!View().isMinimized());
    const PageList& list = Logic().Docs().List();
    QCOMPARE(QString::fromStdString(list.At(0).text), Work(QStringLiteral("b c.txt")));  // newest first
    QCOMPARE(QString::fromStdString(list.At(1).text), Work(QStringLiteral("a.txt")));
    const std::vector<std::string>& recent = Logic().Prefs().File.RecentFiles;
    QVERIFY(recent.size() >= 2);
    QCOMPARE(QString::fromStdString(recent.back()), Work(QStringLiteral("b c.txt")));
  }

  void staleSocketOfACrashedNorraIsReplaced() {
    // A socket file no one listens on, as a killed Norra leaves it.
    const std::string path = LocalInstance::SocketPath();
    QVERIFY(!path.empty());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    QVERIFY(QFileInfo::exists(QString::fromStdString(path)));

    LocalInstance start;
    std::vector<std::string> args{"a.txt"};
    QCOMPARE(start.Probe(path), InstanceChannel::SocketState::Stale);
    QVERIFY(!start.HandOver(args, "/"));
    QVERIFY(start.Serving());
    LocalInstance other;
    QCOMPARE(other.Probe(path), InstanceChannel::SocketState::Live);
  }

  void newWindowRunsBesideTheServingOne() {
    LocalInstance first;
    std::vector<std::string> none;
    QVERIFY(!first.HandOver(none, "/"));
    QVERIFY(first.Serving());
    LocalInstance second;
    std::vector<std::string> args{"--new-window", "a.txt"};
    QVERIFY(!second.HandOver(args, "/"));
    QVERIFY(!second.Serving());
    QCOMPARE(args, std::vector<std::string>{"a.txt"});
  }
};

QTEST_MAIN(LocalInstanceTest)
#include "LocalInstanceTest.moc"
