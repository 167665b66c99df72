// The whole program with scripts that play the user's part in its modal batch dialogs.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <vector>

#include "AppFixture.h"
#include "documents/Documents.h"
#include "gui/FileListDialogWindow.h"

namespace norra::guitest {

// Holds no slots, as AppFixture. The test class calls StartScripts() from init() and
// EndScripts() from cleanup().
class BatchDialogFixture : public AppFixture {
 protected:
  int dialogsSeen_ = 0;
  std::vector<QPointer<QTimer>> scripts_;  // a script whose dialog never came must not linger

  void StartScripts() {
    MakeFolders();
    dialogsSeen_ = 0;
  }

  void EndScripts() {
    for (const QPointer<QTimer>& timer : scripts_) delete timer.data();
    scripts_.clear();
    // Nothing may stop the program from going at the end of a test.
    if (app_) {
      for (Page* page : Logic().Docs().WindowOrder()) page->SetModified(false);
    }
    StopApp();
  }

  Page* PageNamed(const char* name) {
    for (Page* page : Logic().Docs().WindowOrder()) {
      if (page->DisplayName() == name) return page;
    }
    return nullptr;
  }

  // Plays the user's part once the batch dialog is up in its modal run.
  void WhenDialogShown(std::function<void(FileListDialogWindow&)> script) {
    auto* timer = new QTimer(this);
    timer->setInterval(5);
    const int seen = dialogsSeen_;
    connect(timer, &QTimer::timeout, this, [this, timer, script, seen] {
      auto* window = qobject_cast<FileListDialogWindow*>(QApplication::activeModalWidget());
      if (window == nullptr || !window->isVisible() || dialogsSeen_ != seen) return;
      ++dialogsSeen_;
      timer->deleteLater();
      script(*window);
      AfterScript(*window);
    });
    timer->start();
    scripts_.push_back(timer);
  }

  // A failed check left the dialog open: end its run rather than hang.
  virtual void AfterScript(FileListDialogWindow& window) {
    if (QTest::currentTestFailed() && window.isVisible()) window.reject();
  }
};

}  // namespace norra::guitest
