// The help window: the program's help pages and a user's second help file shown inside the
// program, with contents, links, back and forward, and find in the page.
#pragma once

#include <QWidget>
#include <string>

#include "app/HelpLocation.h"
#include "app/HelpPort.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;

namespace norra {

// Controls: txtHelpPage (the page), cmdHelpContents, cmdHelpBack, cmdHelpForward,
// txtHelpFind, cmdHelpFindNext, lblHelpStatus. No browser of the desktop is needed.
class HelpWindow : public QWidget, public HelpPort {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  bool ShowContents(const std::string& helpFile) override;
  bool SearchKeyword(const std::string& helpFile, const std::string& keyword) override;

  // Finds the text in the page after the current selection, from the top again at the end.
  bool FindNext(const QString& text);
  QTextBrowser* Page() const { return page_; }

  // Where copies of plain-text help files are written as pages: norra/help/text in the user's
  // cache folder.
  static std::string CopyFolder();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool Show(const HelpLocation& location);
  void UpdateButtons();

  QTextBrowser* page_ = nullptr;
  QPushButton* back_ = nullptr;
  QPushButton* forward_ = nullptr;
  QLineEdit* find_ = nullptr;
  QLabel* status_ = nullptr;
  std::string helpFile_;  // the file whose contents the contents button opens
};

}  // namespace norra
