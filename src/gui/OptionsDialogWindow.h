// The options dialog TdlgOption: a Qt view over OptionsDialog, and the port the main window
// opens it through.
#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <vector>

#include "app/OptionControl.h"
#include "app/OptionsDialogPort.h"

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenuBar;
class QPushButton;
class QTextEdit;

namespace norra {

class OptionsDialog;

// Every control's objectName is its component name; the tag-symbol boxes are txtTagSymbol1 to
// txtTagSymbol16. The dialog shows what the logic holds and tells it every edit of the user.
class TdlgOption : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 580;
  static constexpr int kHeight = 400;

  // help opens the program's help; printerSetUp the printer set-up dialog (none: the button
  // stays disabled).
  TdlgOption(OptionsDialog& logic, std::function<void()> help, std::function<void()> printerSetUp,
             QWidget* parent = nullptr);

  // Shows the dialog modally at the page; returns the page shown last.
  int Run(int page);
  // The first half of Run, without the modal loop (tests drive the dialog from here).
  void Present(int page);

  QWidget* Control(OptionControl control, int index = 0) const;
  QGroupBox* Group(int page) const { return groups_.at(static_cast<std::size_t>(page)); }
  QAction* MenuItem(int page) const { return menuItems_.at(static_cast<std::size_t>(page)); }
  QListWidget* CodeList() const { return codeList_; }

  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildPages();
  QWidget* BuildGeneral();
  QWidget* BuildFile();
  QWidget* BuildPrint();
  QWidget* BuildEdit();
  QWidget* BuildVision();
  QWidget* BuildFindReplace();
  QWidget* BuildHelp();
  QLineEdit* Line(OptionControl control, QWidget* parent, bool digits, int maxLength = 0);
  QWidget* Check(OptionControl control, const char* caption, QWidget* parent);
  QWidget* FontBox(OptionControl control, QWidget* parent);

  // The page's controls show the logic's values.
  void Load(int page);
  void ShowPage(int page);
  void UpdateButtons();
  void UpdateLabels();
  void UpdateColourSample();
  void TakeFocusRequest();
  void Edited(OptionControl control, const QString& value, int index = 0);
  void ToggleCodeList(OptionControl box);
  void InsertCode();
  void ApplyClicked();
  void OkClicked();

  OptionsDialog& logic_;
  std::function<void()> help_;
  std::function<void()> printerSetUp_;
  QMenuBar* menu_ = nullptr;
  std::vector<QAction*> menuItems_;
  std::vector<QGroupBox*> groups_;
  std::map<OptionControl, QWidget*> controls_;
  std::vector<QLineEdit*> symbolBoxes_;
  std::vector<QLabel*> exampleLabels_;
  std::vector<QLabel*> printerLabels_;
  QLabel* logBytes_ = nullptr;
  QLabel* undoLogs_ = nullptr;
  QTextEdit* colourTest_ = nullptr;
  QListWidget* codeList_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* undo_ = nullptr;
  QButtonGroup* foreFamily_ = nullptr;
  QButtonGroup* backFamily_ = nullptr;
  bool loading_ = false;  // the view sets its own controls: no echo to the logic
};

// The options dialog as the main window opens it; made on first use, when the logic it works
// on exists.
class OptionsWindowPort : public OptionsDialogPort {
 public:
  void Bind(std::function<int(int)> show) { show_ = std::move(show); }
  bool Available() const override { return true; }
  int Show(int page) override { return show_ ? show_(page) : page; }

 private:
  std::function<int(int)> show_;
};

}  // namespace norra
