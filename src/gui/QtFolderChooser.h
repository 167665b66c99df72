// The folder chooser port on Qt: the folder selection dialog over the disk's folders.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/FolderChooser.h"

namespace norra {

class Ui;

class QtFolderChooser : public FolderChooser {
 public:
  // Messages go through ui; the dialog is owned by `owner` (the calling window) while shown.
  explicit QtFolderChooser(Ui& ui, QWidget* owner = nullptr) : ui_(ui), owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  std::optional<std::string> ChooseFolder(const std::string& startPath) override;

 private:
  Ui& ui_;
  QPointer<QWidget> owner_;
};

}  // namespace norra
