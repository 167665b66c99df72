// The user-interface port on Qt: message boxes, file dialogs, pending events, screen size.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/Ui.h"

class QFileDialog;
class QMessageBox;

namespace norra {

class QtUi : public Ui {
 public:
  // Boxes and dialogs are owned by `owner` (the main window) while it lives.
  explicit QtUi(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  int ShowMessageBox(std::string_view text, unsigned flags, std::string_view caption) override;
  void ProcessPendingEvents() override;
  FileDialogResult ShowOpenDialog(const FileDialogRequest& request) override;
  FileDialogResult ShowSaveDialog(const FileDialogRequest& request) override;
  ScreenExtent Screen() const override;
  int ShowChoice(std::string_view caption, std::string_view prompt, const std::vector<std::string>& items,
                 int current) override;

  // The box ShowMessageBox shows, not yet shown: icon, buttons and caption as the flags say.
  std::unique_ptr<QMessageBox> BuildMessageBox(std::string_view text, unsigned flags,
                                               std::string_view caption) const;
  // The button code a finished box returns.
  static int ButtonCode(int standardButton);
  // The dialog the file dialogs show, not yet shown.
  std::unique_ptr<QFileDialog> BuildFileDialog(const FileDialogRequest& request, bool save) const;
  // What an accepted dialog reports.
  static FileDialogResult DialogAnswer(const QFileDialog& dialog);

  // Qt's own texts (standard buttons, dialogs) in Japanese. Call once after the application
  // object exists; false when the translations are not installed.
  static bool InstallJapaneseTranslations();

 private:
  QPointer<QWidget> owner_;
};

}  // namespace norra
