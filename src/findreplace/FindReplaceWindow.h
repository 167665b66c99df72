// The find/replace window's logic: its state, the open requests, the mode and range buttons,
// the preparation of a command and its dispatch (to the run over the open Pages, FindRun, or
// to the folder and group ranges), the placement beside the caret and the end-of-run
// messages. The window (a view) only shows this state and forwards its events here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/SearchEngine.h"
#include "findreplace/FindHistories.h"
#include "findreplace/FindRun.h"
#include "findreplace/FindReplaceView.h"
#include "findreplace/FindTextBox.h"
#include "findreplace/TagPanel.h"
#include "findreplace/TextBoxClipboard.h"
#include "settings/OptionsPages.h"

namespace norra {

class Clipboard;
class Clock;
class Documents;
class FolderChooser;
class Page;
class Settings;
class TextControl;
class Ui;
class UndoLog;

// What the window works with; all outlive it.
struct FindReplaceContext {
  Documents& docs;
  UndoLog& log;
  Settings& settings;
  Ui& ui;
  Clipboard& clipboard;
  FindWindowHost& host;
  FolderChooser& folders;
  const Clock* clock = nullptr;    // none: the system clock
  const TagTable* tags = nullptr;  // none: no tag panel
};

class FindReplaceWindow : private FindRunWindow {
 public:
  // Heights the mode switch makes room for, and the smallest stored sizes taken.
  static constexpr int kFindModeHeight = 171;
  static constexpr int kReplaceModeHeight = 219;
  static constexpr int kMinStoredHeight = 200;
  static constexpr int kMinStoredWidth = 300;
  // Topics of the program's help file.
  static constexpr int kHelpTopicGuide = 1009;
  static constexpr int kHelpTopicTags = 1010;
  static constexpr std::string_view kEngineName = "KARVO検索置換ｼｽﾃﾑ";
  static constexpr std::string_view kEngineVersion = "1.0";

  // The view and the two boxes are the window's; they outlive this object.
  FindReplaceWindow(const FindReplaceContext& context, FindReplaceView& view, TextControl& findBox,
                    TextControl& replaceBox);
  ~FindReplaceWindow() override;
  FindReplaceWindow(const FindReplaceWindow&) = delete;
  FindReplaceWindow& operator=(const FindReplaceWindow&) = delete;

  // Creation: the engine with the FindReplace settings, the first state, the stored size.
  // False when it failed (the main window reports it).
  bool Create();
  // Destruction: the window's size goes to the settings.
  void Destroy();
  // The options dialog applied settings: colours, WantTabs and tag symbols take effect now.
  void OptionsChanged();

  // ---- requests of the main window ----
  void Open(int request);
  void FindNext() { Command(CommandKind::FindNext); }
  void Close();

  // ---- commands and events of the window ----
  void ReplaceNext() { Command(CommandKind::ReplaceNext); }
  void ReplaceAll() { Command(CommandKind::ReplaceAll); }
  // cmdListHits: every hit of the folder, group or notebook range, in the results window.
  void ListHits();
  void ShiftReplaceMode() {
    if (WindowMode == kFindMode) SetMode(kReplaceMode);
  }
  void SetMode(int mode);
  void ChooseRange(FindRange range);
  void SetDirectionDown(bool down);
  void SetMatchCase(bool on);
  // 全角/半角を区別しない and ひらがな/カタカナを区別しない: kept in the settings.
  void SetFoldWidth(bool on);
  void SetFoldKana(bool on);
  void SetSubFolders(bool on);
  void SetFolderText(std::string textUtf8);
  void SetGroupText(std::string textUtf8);
  void SetMaskText(std::string textUtf8);
  void ChooseFolder();  // cmdFindDirectory
  void ChooseGroup();   // cmdFindGroup
  void Options();       // cmdOption, F6
  // The help menu: how to find, how to replace, the tags, and the engine's name and version.
  void FindGuide() { host_.ShowHelpTopic(kHelpTopicGuide); }
  void TagGuide() { host_.ShowHelpTopic(kHelpTopicTags); }
  void About();
  // Keys the window sees before its controls; true when used. focusedBox: the box with the
  // focus, if any.
  bool KeyDown(int key, unsigned shift, const FindBox* focusedBox);
  // The history lists (F11, F12 and their buttons), and a row chosen in one.
  void ToggleHistoryList(FindBox box);
  void RecallHistory(FindBox box, int row);
  void CloseHistoryList(FindBox box);
  // The list lost the focus to another control: it only hides.
  void HideHistoryList(FindBox box);
  // The tag panel: its two menu items, a row selected, a row chosen (inserted), closing.
  void InsFindTags();
  void InsReplaceTags();
  void TagRowSelected(int row);
  void TagRowChosen(int row);
  void CloseTagPanel();
  // Clipboard actions of the boxes, and what their menu offers.
  ClipboardMenuState ClipboardMenu(FindBox box);
  void Cut(FindBox box);
  void Copy(FindBox box);
  void Paste(FindBox box);
  void SelectAll(FindBox box);
  // Ctrl+Z and Ctrl+Y in a box: its own text one step back or forward.
  void Undo(FindBox box);
  void Redo(FindBox box);
  // The window is shown / activated.
  void Showing();
  void Activated();

  // ---- state, in the order the window declares it ----
  bool FirstShow = true;
  int WindowMode = kFindMode;
  const std::string LineBreak = "\r\n";
  // The range the last command ran on (the selected-text range leaves it as it was); the
  // open requests choose it again.
  FindRange LastRangeKind = FindRange::CurrentPad;
  std::vector<std::string> FileMaskList;  // upper-cased CP932 masks

  // ---- read access ----
  SearchEngine& Engine() { return *engine_; }
  FindRun& Run() { return *run_; }
  TagPanelMode PanelMode() const { return tagPanel_ ? tagPanel_->Mode() : TagPanelMode::Closed; }
  bool Exists() const { return engine_ != nullptr; }
  FindRange Range() const { return range_; }
  bool DirectionDown() const { return directionDown_; }
  bool SubFolders() const { return subFolders_; }
  const std::string& FolderText() const { return folderText_; }
  const std::string& GroupText() const { return groupText_; }
  const std::string& MaskText() const { return maskText_; }
  TextControl& Box(FindBox box) {
    return box == FindBox::Find ? findBox_.Control() : replaceBox_.Control();
  }
  bool Busy() const { return busy_; }
  bool HistoryListShown() const {
    return view_.HistoryListShown(FindBox::Find) || view_.HistoryListShown(FindBox::Replace);
  }
  FindHistories& Histories() { return histories_; }
  TextHistory& History(FindBox box) {
    return box == FindBox::Find ? histories_.Find : histories_.Replace;
  }

  // Texts of the window's messages and captions.
  static constexpr std::string_view kFindCaption = "検索 (KARVO System)";
  static constexpr std::string_view kReplaceCaption = "検索/置換 (KARVO System)";
  static constexpr std::string_view kNotFound = "検索文字列が見つかりません。";
  static constexpr std::string_view kNoSelection = "現在のﾌｧｲﾙに｢選択された文｣がありません。";
  static constexpr std::string_view kEmptyFindText = "検索する文が0文字です。";
  static std::string EndOfFindText(std::int64_t findCount);
  static std::string NothingMoreText(std::int64_t replaceCount);
  static std::string DoneText(std::int64_t replaceCount);
  static constexpr std::string_view kListFolderCaption = "一覧 - [ﾌｫﾙﾀﾞ(DISK)]";
  static constexpr std::string_view kListGroupCaption = "一覧 - [ｸﾞﾙｰﾌﾟ(DISK)]";
  static constexpr std::string_view kListNoteCaption = "一覧 - [ﾒﾓ帳全体]";

 private:
  enum class CommandKind { FindNext, ReplaceNext, ReplaceAll, ListHits };

  void Command(CommandKind kind);
  bool Prepare(CommandKind kind);
  void RunRange(CommandKind kind);
  void ConditionsChanged();
  void BoxChanged(FindBox box);
  void ShowRangeControls();
  void AfterMessage(bool onlyWhenVisible);
  void OpenTagPanel(TagClass boxClass);
  void ShowVisionColours();
  // Typed or pasted characters CP932 cannot hold (UTF-8) were refused: says which.
  void RefuseCharacters(const std::string& characters);
  void DiskReplaceAll(bool group);

  // FindRunWindow: placement beside the caret and the end-of-run messages.
  void PlaceBesideCaret() override;
  void EndOfFind(const std::string& caption) override;
  void NothingMore(const std::string& caption) override;
  void Info(const std::string& text, const std::string& caption) override;
  void FocusReplaceBox() override;

  Documents& docs_;
  UndoLog& log_;
  Settings& settings_;
  Ui& ui_;
  Clipboard& clipboard_;
  FindWindowHost& host_;
  FolderChooser& folders_;
  const Clock* clock_;
  FindReplaceView& view_;
  FindTextBox findBox_;
  FindTextBox replaceBox_;
  const TagTable* tags_;
  FindHistories histories_;
  std::unique_ptr<TagPanel> tagPanel_;
  std::unique_ptr<SearchEngine> engine_;
  std::unique_ptr<FindRun> run_;

  FindRange range_ = FindRange::CurrentPad;
  bool directionDown_ = false;
  bool subFolders_ = true;
  std::string folderText_;
  std::string groupText_;
  std::string maskText_;
  bool busy_ = false;  // a command runs: events of the boxes it changes are its own
};

}  // namespace norra
