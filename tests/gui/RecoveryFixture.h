// The program started over a folder of recovery copies, with the recovery dialog answered by a
// callback as soon as it shows.
#pragma once

#include <QTimer>
#include <functional>

#include "AppFixture.h"
#include "gui/RecoveryWindow.h"

namespace norra::guitest {

class RecoveryFixture : public AppFixture {
 protected:
  // Where the copies live: the recovery folder of the test's own state folder.
  QString Recovery() const { return dir_->filePath(QStringLiteral("state/norra/recovery/")); }

  // Starts as AppFixture::Start does, with recovery copies kept in Recovery(); `answer` gets
  // the dialog once it shows (it must close it), and is never called when none shows.
  void StartWithRecovery(const QStringList& files, const std::function<void(QDialog&)>& answer) {
    StartupOptions options;
    for (const QString& file : files) options.args.push_back(file.toStdString());
    options.workingFolder = dir_->filePath(QStringLiteral("work")).toStdString();
    options.settingsFolder = dir_->filePath(QStringLiteral("config")).toStdString() + "/";
    options.helpFolder = dir_->filePath(QStringLiteral("help")).toStdString() + "/";
    options.recoveryFolder = Recovery().toStdString();
    app_ = std::make_unique<NorraApp>(std::move(options), NorraApp::Overrides{&ui_, &clipboard_, nullptr, &help_, nullptr});
    dialogShown_ = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = View().findChild<QDialog*>(QStringLiteral("frmRecovery"));
      if (dialog == nullptr || !dialog->isVisible()) return;
      poll.stop();
      dialogShown_ = true;
      answer(*dialog);
    });
    poll.start();
    QVERIFY(app_->Start());
    poll.stop();
    Settle();
  }
  bool dialogShown_ = false;
};

}  // namespace norra::guitest
