// FindReplaceWindow: lifecycle, open requests, modes and ranges, command preparation,
// placement beside the caret, end-of-run messages, keys and the disk ranges.
#include "findreplace/FindReplaceWindow.h"

#include <exception>

#include "documents/Documents.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "findreplace/DiskReplacePreview.h"
#include "findreplace/DiskSearch.h"
#include "findreplace/EngineMessages.h"
#include "findreplace/HitListRun.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/FolderChooser.h"
#include "platform/SystemClock.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/Encoding.h"
#include "text/FileMask.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

// Replaces a box's whole text with text of the program's own.
void SetBoxText(TextControl& box, std::string_view text) {
  box.SetSelection(0, box.TextLength());
  box.ReplaceSelection(text);
  box.SetSelection(0, box.TextLength());
}

int Rgb(int red, int green, int blue) {
  return (red & 0xFF) << 16 | (green & 0xFF) << 8 | (blue & 0xFF);
}

}  // namespace

FindReplaceWindow::FindReplaceWindow(const FindReplaceContext& context, FindReplaceView& view,
                                     TextControl& findBox, TextControl& replaceBox)
    : docs_(context.docs),
      log_(context.log),
      settings_(context.settings),
      ui_(context.ui),
      clipboard_(context.clipboard),
      host_(context.host),
      folders_(context.folders),
      clock_(context.clock),
      view_(view),
      findBox_(findBox, context.log, [this] { BoxChanged(FindBox::Find); },
               [this](const std::string& refused) { RefuseCharacters(refused); }),
      replaceBox_(replaceBox, context.log, [this] { BoxChanged(FindBox::Replace); },
                  [this](const std::string& refused) { RefuseCharacters(refused); }),
      tags_(context.tags),
      folderText_(
          DiskSearch::StartFolder(context.docs.ActivePage(), context.settings.File.CurrentDir)),
      groupText_("文ｸﾞﾙｰﾌﾟ (*.tgp)") {}

FindReplaceWindow::~FindReplaceWindow() = default;

std::string FindReplaceWindow::EndOfFindText(std::int64_t findCount) {
  return "指定対象の検索が終了しました。\n(現在の条件での検出数 : " + std::to_string(findCount) +
         ")";
}

std::string FindReplaceWindow::NothingMoreText(std::int64_t replaceCount) {
  return "検索文字列が見つかりません。\n(現在の条件での置換数 : " + std::to_string(replaceCount) +
         ")";
}

std::string FindReplaceWindow::DoneText(std::int64_t replaceCount) {
  if (replaceCount < 1) return std::string(kNotFound);
  return "置換終了しました。\n(現在の条件での置換数 : " + std::to_string(replaceCount) + ")";
}

// ---- lifecycle ----

bool FindReplaceWindow::Create() {
  try {
    LastRangeKind = FindRange::CurrentPad;
    run_.reset();
    engine_ = clock_ != nullptr
                  ? std::make_unique<SearchEngine>(settings_.FindReplace.Symbols, *clock_)
                  : std::make_unique<SearchEngine>(settings_.FindReplace.Symbols);
    run_ = std::make_unique<FindRun>(
        FindRunContext{*engine_, docs_, log_, ui_, host_, *this, FileMaskList});
    FileMaskList.clear();
    histories_ = FindHistories(FindHistories::FilePathBeside(settings_.FilePath()));
    histories_.Load();
    if (tags_ != nullptr) tagPanel_ = std::make_unique<TagPanel>(*tags_);
    WindowMode = kFindMode;
    FindWindowGeometry geometry = view_.Geometry();
    if (settings_.FindReplace.Height >= kMinStoredHeight)
      geometry.height = settings_.FindReplace.Height;
    if (settings_.FindReplace.Width >= kMinStoredWidth)
      geometry.width = settings_.FindReplace.Width;
    geometry.left = (ui_.Screen().width - geometry.width) / 2;
    view_.SetGeometry(geometry);
    FirstShow = true;
    range_ = FindRange::CurrentPad;
    ShowRangeControls();
    SetMode(kFindMode);
    engine_->ConditionsChanged = true;
    engine_->Folds = {settings_.FindReplace.FoldWidth, settings_.FindReplace.FoldKana};
    view_.CheckFolds(engine_->Folds.width, engine_->Folds.kana);
    SetBoxText(Box(FindBox::Find), "");
    SetBoxText(Box(FindBox::Replace), "");
    Box(FindBox::Find).SetWantTabs(settings_.FindReplace.WantTabs);
    Box(FindBox::Replace).SetWantTabs(settings_.FindReplace.WantTabs);
    // Like any edit control, a box shows its selection only while it has the focus.
    Box(FindBox::Find).SetHideSelection(true);
    Box(FindBox::Replace).SetHideSelection(true);
    return true;
  } catch (const std::exception&) {
    run_.reset();
    engine_.reset();
    return false;
  }
}

void FindReplaceWindow::Destroy() {
  if (!engine_) return;
  const FindWindowGeometry geometry = view_.Geometry();
  settings_.FindReplace.Height = geometry.height;
  settings_.FindReplace.Width = geometry.width;
  // WantTabs is the options dialog's, which stored it when it changed: the boxes only follow
  // it, so writing theirs back could only undo a newer choice.
  settings_.SaveFindReplace();
  histories_.SaveIfChanged();
  run_.reset();
  engine_.reset();
  FileMaskList.clear();
}

// ---- requests ----

void FindReplaceWindow::Open(int request) {
  if (!engine_) return;
  const bool anyPage = docs_.PageCount() > 0;
  switch (request) {
    case kFindMode:
    case kReplaceMode: {
      SetMode(request);
      // The Pages' ranges need a Page; without one the folder range stands in.
      FindRange range = LastRangeKind;
      if ((range == FindRange::AllNote || range == FindRange::CurrentPad) && !anyPage)
        range = FindRange::Directory;
      ChooseRange(range);
      break;
    }
    case kOpenFindSelection:
      SetMode(kFindMode);
      ChooseRange(FindRange::SelText);
      break;
    case kOpenReplaceSelection:
      SetMode(kReplaceMode);
      ChooseRange(FindRange::SelText);
      break;
    default:
      break;
  }
  if (Page* page = docs_.ActivePage();
      page != nullptr && page->Control().SelLength() > 0 && range_ != FindRange::SelText) {
    SetBoxText(Box(FindBox::Find), page->Control().SelText());
  }
  run_->Reset();
  ConditionsChanged();
  Box(FindBox::Find).SetModified(true);
  Box(FindBox::Replace).SetModified(true);
  Showing();
  view_.ShowWindow();
  Activated();
}

void FindReplaceWindow::Showing() {
  if (!engine_) return;
  PaintingSuspension findPainting(Box(FindBox::Find));
  PaintingSuspension replacePainting(Box(FindBox::Replace));
  PlaceBesideCaret();
  view_.BringToTop();
  ConditionsChanged();
  Box(FindBox::Find).SetModified(true);
  Box(FindBox::Replace).SetModified(true);
  if (FirstShow) {
    ShowVisionColours();
    FirstShow = false;
  }
}

void FindReplaceWindow::ShowVisionColours() {
  const VisionSettings& vision = settings_.Vision;
  view_.ApplyColours(Rgb(vision.ForeRed, vision.ForeGreen, vision.ForeBlue),
                     Rgb(vision.BackRed, vision.BackGreen, vision.BackBlue));
}

void FindReplaceWindow::OptionsChanged() {
  if (!engine_) return;
  Box(FindBox::Find).SetWantTabs(settings_.FindReplace.WantTabs);
  Box(FindBox::Replace).SetWantTabs(settings_.FindReplace.WantTabs);
  ShowVisionColours();
  ConditionsChanged();  // the tag symbols may have changed
  if (tagPanel_ && tagPanel_->IsOpen())
    OpenTagPanel(tagPanel_->Mode() == TagPanelMode::FindTags ? TagClass::Find : TagClass::Replace);
}

void FindReplaceWindow::Activated() {
  view_.FocusBox(FindBox::Find);
}

void FindReplaceWindow::Close() {
  view_.HideWindow();
  histories_.SaveIfChanged();
  if (docs_.PageCount() > 0) host_.FocusActivePage();
}

// ---- modes, ranges, options ----

void FindReplaceWindow::SetMode(int mode) {
  PaintingSuspension findPainting(Box(FindBox::Find));
  PaintingSuspension replacePainting(Box(FindBox::Replace));
  const bool replace = mode == kReplaceMode;
  if (replace) Box(FindBox::Find).SetSelection(0, Box(FindBox::Find).TextLength());
  view_.SetCaption(std::string(replace ? kReplaceCaption : kFindCaption));
  for (std::string_view name : {"cmdReplace", "fraReplace", "cmdReplaceAll"})
    view_.SetControlVisible(name, replace);
  view_.SetControlVisible("cmdShiftReplaceMode", !replace);
  const int least = replace ? kReplaceModeHeight : kFindModeHeight;
  if (FindWindowGeometry geometry = view_.Geometry(); geometry.height < least) {
    geometry.height = least;
    view_.SetGeometry(geometry);
    PlaceBesideCaret();
  }
  WindowMode = mode;
}

void FindReplaceWindow::ChooseRange(FindRange range) {
  range_ = range;
  ShowRangeControls();
  ConditionsChanged();
}

void FindReplaceWindow::ShowRangeControls() {
  const bool pages = range_ == FindRange::AllNote || range_ == FindRange::CurrentPad ||
                     range_ == FindRange::SelText;
  const bool folder = range_ == FindRange::Directory;
  const bool group = range_ == FindRange::Group;
  const bool mask = range_ == FindRange::AllNote || folder || group;
  for (std::string_view name : {"lblDirection", "optDirectionAll", "optDirectionDown"})
    view_.SetControlVisible(name, pages);
  for (std::string_view name : {"lblFindDirectory", "txtFindDirectory", "cmdFindDirectory"})
    view_.SetControlVisible(name, folder);
  for (std::string_view name : {"lblFindGroup", "txtFindGroup", "cmdFindGroup"})
    view_.SetControlVisible(name, group);
  for (std::string_view name : {"lblFindFileName", "txtFindFileName"})
    view_.SetControlVisible(name, mask);
  view_.SetControlVisible("chkFindSubDirectory", folder);
  view_.SetControlEnabled("cmdFindNext", pages);
  view_.SetControlEnabled("cmdReplace", pages);
  view_.SetControlEnabled("cmdListHits", folder || group || range_ == FindRange::AllNote);
  view_.CheckRange(range_);
}

void FindReplaceWindow::ConditionsChanged() {
  if (engine_) engine_->ConditionsChanged = true;
}

void FindReplaceWindow::SetDirectionDown(bool down) {
  directionDown_ = down;
  ConditionsChanged();
}

void FindReplaceWindow::SetMatchCase(bool on) {
  if (engine_) engine_->MatchCase = on;
  ConditionsChanged();
}

void FindReplaceWindow::SetFoldWidth(bool on) {
  settings_.FindReplace.FoldWidth = on;
  if (engine_) engine_->Folds.width = on;
  ConditionsChanged();
}

void FindReplaceWindow::SetFoldKana(bool on) {
  settings_.FindReplace.FoldKana = on;
  if (engine_) engine_->Folds.kana = on;
  ConditionsChanged();
}

void FindReplaceWindow::SetSubFolders(bool on) {
  subFolders_ = on;
  ConditionsChanged();
}

void FindReplaceWindow::SetFolderText(std::string textUtf8) {
  folderText_ = std::move(textUtf8);
  ConditionsChanged();
}

void FindReplaceWindow::SetGroupText(std::string textUtf8) {
  groupText_ = std::move(textUtf8);
  ConditionsChanged();
}

void FindReplaceWindow::SetMaskText(std::string textUtf8) {
  maskText_ = std::move(textUtf8);
  ConditionsChanged();
}

void FindReplaceWindow::BoxChanged(FindBox box) {
  ConditionsChanged();
  History(box).BoxChanged();
}

void FindReplaceWindow::ChooseFolder() {
  const std::string start = IsFolder(folderText_) ? folderText_ : settings_.File.CurrentDir;
  const std::optional<std::string> chosen = folders_.ChooseFolder(start);
  if (!chosen) return;
  std::string folder = *chosen;
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  SetFolderText(folder);
  view_.ShowFolderText(folder);
  settings_.File.CurrentDir = folder;
}

void FindReplaceWindow::ChooseGroup() {
  FileDialogRequest request;
  request.fileName = IsFile(groupText_) ? groupText_ : std::string();
  request.filters = {{"文ｸﾞﾙｰﾌﾟ(*.tgp)", "*.tgp"}, {"全てのﾌｧｲﾙ", "*"}};
  request.mustExist = true;
  const FileDialogResult chosen = ui_.ShowOpenDialog(request);
  if (!chosen.accepted || chosen.files.empty()) return;
  SetGroupText(chosen.files.front());
  view_.ShowGroupText(chosen.files.front());
}

void FindReplaceWindow::Options() {
  CloseTagPanel();
  host_.ShowOptions(kOptionsPageFindReplace);
  ConditionsChanged();  // the tag symbols may have changed
}

void FindReplaceWindow::About() {
  ui_.ShowMessageBox(std::string(kEngineName) + "\nVersion " + std::string(kEngineVersion),
                     MB_OK | MB_ICONINFORMATION, "ﾊﾞｰｼﾞｮﾝ情報");
}

// ---- keys and the boxes' clipboard actions ----

bool FindReplaceWindow::KeyDown(int key, unsigned shift, const FindBox* focusedBox) {
  // While the tag panel shows, its list has the keys.
  if (!engine_ || (tagPanel_ && tagPanel_->IsOpen())) return false;
  bool used = true;
  if ((shift & (kCtrlKey | kAltKey)) == kCtrlKey && focusedBox != nullptr) {
    switch (key) {
      case 'X':
        Cut(*focusedBox);
        break;
      case 'C':
        Copy(*focusedBox);
        break;
      case 'V':
        Paste(*focusedBox);
        break;
      case 'A':
        SelectAll(*focusedBox);
        break;
      case 'Z':  // the box's own undo: never the Pages'
        Undo(*focusedBox);
        break;
      case 'Y':
        Redo(*focusedBox);
        break;
      default:
        used = false;
        break;
    }
  } else if (shift != 0) {
    used = false;
  } else {
    switch (key) {
      case kKeyEscape:
        if (HistoryListShown()) return false;
        Close();
        break;
      case kKeyF3:
        FindNext();
        break;
      case kKeyF6:
        Options();
        break;
      case kKeyF11:
        ToggleHistoryList(FindBox::Find);
        break;
      case kKeyF12:
        ToggleHistoryList(FindBox::Replace);
        break;
      case kKeyF1:
        FindGuide();  // the window's own topic, as F1 gives in every window
        break;
      default:
        used = false;
        break;
    }
  }
  if (used) ui_.ProcessPendingEvents();
  return used;
}

void FindReplaceWindow::Cut(FindBox box) {
  TextBoxClipboard::Cut(Box(box), clipboard_);
}

void FindReplaceWindow::Copy(FindBox box) {
  TextBoxClipboard::Copy(Box(box), clipboard_);
}

void FindReplaceWindow::Paste(FindBox box) {
  // A find text is CP932 like the Pages: "?" in place of a character would find "?".
  if (const std::string unstorable = clipboard_.UnstorableCharacters(); !unstorable.empty()) {
    RefuseCharacters(unstorable);
    return;
  }
  TextBoxClipboard::Paste(Box(box), clipboard_);
}

void FindReplaceWindow::RefuseCharacters(const std::string& characters) {
  ui_.ShowMessageBox(Documents::UnstorableText(characters), MB_OK | MB_ICONWARNING,
                     Documents::kUnstorableCaption);
}

void FindReplaceWindow::SelectAll(FindBox box) {
  TextBoxClipboard::SelectAll(Box(box));
}

void FindReplaceWindow::Undo(FindBox box) {
  (box == FindBox::Find ? findBox_ : replaceBox_).Undo();
}

void FindReplaceWindow::Redo(FindBox box) {
  (box == FindBox::Find ? findBox_ : replaceBox_).Redo();
}

ClipboardMenuState FindReplaceWindow::ClipboardMenu(FindBox box) {
  return TextBoxClipboard::MenuState(Box(box), clipboard_);
}

// ---- history lists ----

void FindReplaceWindow::ToggleHistoryList(FindBox box) {
  // The replace list belongs to the replace panel, shown in replace mode only.
  if (!engine_ || (box == FindBox::Replace && WindowMode != kReplaceMode)) return;
  if (view_.HistoryListShown(box)) {
    CloseHistoryList(box);
    return;
  }
  const TextHistory& history = History(box);
  if (history.Empty()) return;
  view_.ShowHistoryList(box, history.Rows(), history.CursorRow());
}

void FindReplaceWindow::RecallHistory(FindBox box, int row) {
  History(box).Recall(History(box).EntryOfRow(row), Box(box));
  CloseHistoryList(box);
}

void FindReplaceWindow::CloseHistoryList(FindBox box) {
  view_.HideHistoryList(box);
  view_.FocusBox(box);
}

void FindReplaceWindow::HideHistoryList(FindBox box) {
  view_.HideHistoryList(box);
}

// ---- tag panel ----

void FindReplaceWindow::InsFindTags() {
  if (!tagPanel_) return;
  if (tagPanel_->Mode() == TagPanelMode::FindTags) {
    CloseTagPanel();
  } else {
    OpenTagPanel(TagClass::Find);
  }
}

void FindReplaceWindow::InsReplaceTags() {
  if (!tagPanel_) return;
  if (tagPanel_->Mode() == TagPanelMode::ReplaceTags) {
    CloseTagPanel();
    return;
  }
  if (WindowMode == kFindMode) SetMode(kReplaceMode);
  OpenTagPanel(TagClass::Replace);
}

void FindReplaceWindow::OpenTagPanel(TagClass boxClass) {
  tagPanel_->Open(boxClass);
  // The box the tags go into shows where they will go while the list has the focus.
  Box(FindBox::Find).SetHideSelection(boxClass != TagClass::Find);
  Box(FindBox::Replace).SetHideSelection(boxClass != TagClass::Replace);
  view_.ShowTagPanel(tagPanel_->Caption(), tagPanel_->Rows(), tagPanel_->SelectedRow(),
                     tagPanel_->Sample());
}

void FindReplaceWindow::TagRowSelected(int row) {
  if (!tagPanel_ || !tagPanel_->IsOpen()) return;
  tagPanel_->SelectRow(row);
  view_.ShowTagSample(tagPanel_->Sample());
}

void FindReplaceWindow::TagRowChosen(int row) {
  if (!tagPanel_ || !tagPanel_->IsOpen()) return;
  const FindBox box =
      tagPanel_->Mode() == TagPanelMode::FindTags ? FindBox::Find : FindBox::Replace;
  tagPanel_->InsertRow(row, Box(box));
  CloseTagPanel();
}

void FindReplaceWindow::CloseTagPanel() {
  if (!tagPanel_ || !tagPanel_->IsOpen()) return;
  const FindBox box =
      tagPanel_->Mode() == TagPanelMode::FindTags ? FindBox::Find : FindBox::Replace;
  tagPanel_->Close();
  Box(FindBox::Find).SetHideSelection(true);
  Box(FindBox::Replace).SetHideSelection(true);
  view_.HideTagPanel();
  // Closed from its list (a tag inserted, Esc), the box the tags were for takes the focus
  // back with the caret and selection the insertion left; a control the user went to keeps it.
  if (!view_.HasFocusedControl()) view_.FocusBoxAsIs(box);
}

// ---- commands ----

void FindReplaceWindow::Command(CommandKind kind) {
  if (!engine_ || busy_) return;
  if (kind != CommandKind::ReplaceAll && docs_.ActivePage() == nullptr) return;
  if (kind == CommandKind::ReplaceAll && WindowMode == kFindMode) return;
  if (!Prepare(kind)) return;
  RunRange(kind);
}

bool FindReplaceWindow::Prepare(CommandKind kind) {
  SearchEngine& engine = *engine_;
  if (engine.ConditionsChanged) {
    const std::string findText = Box(FindBox::Find).Text();
    CompileResult compiled;
    if (findText.empty()) {
      // The compiler refuses an empty text without a word; the user gets told here.
      ui_.ShowMessageBox(kEmptyFindText, MB_OK | MB_ICONERROR, "Norra");
      compiled.error = EngineError(EngineErrorCode::NothingToFind);
    } else {
      compiled = engine.Compile(findText);
      if (compiled) compiled = engine.CompileReplace(Box(FindBox::Replace).Text());
    }
    if (!compiled) {
      ShowEngineError(ui_, compiled.error, engine.Symbols());
      // A refusal that abandons the command ends it at once; the others give the window the
      // focus, so that the text can be put right.
      if (!compiled.error.Abandons() && view_.IsVisible()) view_.FocusWindow();
      return false;
    }
    if (kind != CommandKind::FindNext) view_.FocusBox(FindBox::Find);
    FileMaskList = BuildFileMaskList(Utf8ToCp932(maskText_));
    run_->Reset();
  }
  if (kind == CommandKind::ReplaceAll) {
    engine.PreFoldedText = true;
  } else {
    engine.PreFoldedText = false;
    run_->DownwardOnly = directionDown_;
  }
  if (kind == CommandKind::FindNext && view_.IsVisible()) view_.FocusBox(FindBox::Find);
  histories_.StoreFind(Box(FindBox::Find).Text());
  if (kind != CommandKind::FindNext && kind != CommandKind::ListHits)
    histories_.StoreReplace(Box(FindBox::Replace).Text());
  return true;
}

void FindReplaceWindow::RunRange(CommandKind kind) {
  busy_ = true;
  {
    PaintingSuspension findPainting(Box(FindBox::Find));
    PaintingSuspension replacePainting(Box(FindBox::Replace));
    const bool all = kind == CommandKind::ReplaceAll;
    if (all) {
      view_.SetWindowEnabled(false);
      host_.SetMainWindowEnabled(false);
    }
    try {
      switch (range_) {
        case FindRange::AllNote:
        case FindRange::CurrentPad:
        case FindRange::SelText:
          if (range_ != FindRange::SelText) LastRangeKind = range_;
          if (kind == CommandKind::FindNext)
            run_->FindNext(range_);
          else if (kind == CommandKind::ReplaceNext)
            run_->ReplaceNext(range_);
          else
            run_->ReplaceAll(range_);
          break;
        case FindRange::Directory:
        case FindRange::Group:
          if (all) {
            LastRangeKind = range_;
            DiskReplaceAll(range_ == FindRange::Group);
          }
          break;
      }
    } catch (const EngineAbort& abort) {
      // The range's work ended early, with the engine's reason and nothing more.
      ShowEngineError(ui_, abort.Error(), engine_->Symbols());
    } catch (const std::exception&) {
      // The range's work ended early and quietly.
    }
    if (all) {
      view_.SetWindowEnabled(true);
      host_.SetMainWindowEnabled(true);
      view_.ShowWindow();
      view_.BringToTop();
      view_.FocusBox(FindBox::Find);
    }
  }
  busy_ = false;
  if (kind == CommandKind::FindNext && view_.IsVisible()) view_.FocusWindow();
  if (kind != CommandKind::ReplaceAll) PlaceBesideCaret();
  host_.Refresh();
}

void FindReplaceWindow::DiskReplaceAll(bool group) {
  DiskSearch search(*engine_, ui_);
  // Workers compile the texts the run's engine was compiled from.
  const std::string findText = Box(FindBox::Find).Text();
  const std::string replaceText = Box(FindBox::Replace).Text();
  const bool matchCase = engine_->MatchCase;
  const WidthKanaFolds folds = engine_->Folds;
  search.SetWorkerEngines([this, findText, replaceText, matchCase, folds] {
    auto engine = clock_ != nullptr
                      ? std::make_unique<SearchEngine>(settings_.FindReplace.Symbols, *clock_)
                      : std::make_unique<SearchEngine>(settings_.FindReplace.Symbols);
    engine->MatchCase = matchCase;
    engine->Folds = folds;
    if (!engine->Compile(findText) || !engine->CompileReplace(replaceText)) engine.reset();
    return engine;
  });
  DiskSearchRequest request;
  request.folderText = folderText_;
  request.subFolders = subFolders_;
  request.groupPath = groupText_;
  request.fileMasks = FileMaskList;
  if (!settings_.FindReplace.DiskPreview) {
    if (group) search.RunGroup(request);
    else search.RunFolder(request);
    return;
  }
  // Nothing is written before the user has seen what would change and run it.
  DiskReplacePreview preview;
  if (!preview.Build(search, request, group)) return;
  if (preview.files.empty()) {
    ui_.ShowMessageBox(DiskSearch::EndMessage(0, preview.found.filesNotText,
                                              preview.found.foldersUnreadable),
                       MB_OK | MB_ICONINFORMATION, preview.caption);
    return;
  }
  if (!view_.ShowDiskPreview(preview)) return;
  preview.Run(ui_);
}

void FindReplaceWindow::ListHits() {
  if (!engine_ || busy_) return;
  if (range_ != FindRange::AllNote && range_ != FindRange::Directory && range_ != FindRange::Group)
    return;
  if (!Prepare(CommandKind::ListHits)) return;
  busy_ = true;
  try {
    std::vector<HitSource> sources;
    std::vector<OpenPageText> pageTexts;
    std::string folderRun;
    std::string_view caption = kListNoteCaption;
    const std::vector<PageListEntry>& entries = docs_.List().Entries();
    if (range_ == FindRange::AllNote) {
      for (const PageListEntry& entry : entries) {
        const Page& page = *entry.page;
        if (!MatchesAnyMaskUtf8Name(page.DisplayName(), FileMaskList)) continue;
        HitSource source;
        source.path = page.HasFile() ? page.FilePath() : page.DisplayName();
        source.page = &page;
        source.hasText = true;
        source.modified = page.Modified();
        source.text = page.Control().Text();
        source.charset = page.Control().TextCharset();
        sources.push_back(std::move(source));
      }
    } else {
      DiskSearch search(*engine_, ui_);
      DiskSearchRequest request;
      request.folderText = folderText_;
      request.subFolders = subFolders_;
      request.groupPath = groupText_;
      request.fileMasks = FileMaskList;
      std::vector<std::string> files;
      const bool group = range_ == FindRange::Group;
      const DiskSearchEnd end = group ? search.CollectGroupFiles(request, files)
                                      : search.CollectFolderFiles(request, files);
      if (end != DiskSearchEnd::Completed) {
        busy_ = false;
        return;
      }
      if (!group) folderRun = DiskSearch::FolderOf(folderText_);
      caption = group ? kListGroupCaption : kListFolderCaption;
      sources.reserve(files.size());
      for (std::string& file : files) {
        HitSource source;
        source.path = std::move(file);
        sources.push_back(std::move(source));
      }
      // A file open with unsaved edits is listed as the user sees it, not as it lies on disk.
      for (const PageListEntry& entry : entries) {
        const Page& page = *entry.page;
        if (page.Modified() && page.HasFile())
          pageTexts.push_back(
              {page.FilePath(), &page, page.Control().Text(), page.Control().TextCharset()});
      }
    }
    HitListRun::Pattern pattern;
    pattern.findText = Box(FindBox::Find).Text();
    pattern.matchCase = engine_->MatchCase;
    pattern.folds = engine_->Folds;
    pattern.symbols = engine_->Symbols();
    auto run = std::make_unique<HitListRun>(std::move(sources), std::move(pattern), 0,
                                            std::move(folderRun));
    run->UsePageTexts(std::move(pageTexts));
    const CompileResult compiled =
        run->Compile(clock_ != nullptr ? *clock_ : SystemClock::Instance());
    if (compiled) {
      run->Start();
      host_.ShowHitList(std::move(run), std::string(caption));
    } else {
      ShowEngineError(ui_, compiled.error, engine_->Symbols());
    }
  } catch (const std::exception&) {
    // The list ends early and quietly, as a range's work does.
  }
  busy_ = false;
}

// ---- placement and messages ----

void FindReplaceWindow::PlaceBesideCaret() {
  Page* page = docs_.ActivePage();
  if (page == nullptr) return;
  const TextControl& control = page->Control();
  const std::size_t caret =
      control.SelectionBackwards() ? control.SelStart() : control.SelStart() + control.SelLength();
  const long line = static_cast<long>(control.LineFromOffset(caret));
  const long first = static_cast<long>(control.FirstVisibleLine());
  const ScreenExtent screen = ui_.Screen();
  FindWindowGeometry geometry = view_.Geometry();
  const long caretTop =
      host_.MainWindowTop() + host_.PageWindowTop(*page) + (line - first) * 15 + 112;
  geometry.top = caretTop > screen.height / 2 ? 30 : screen.height - geometry.height - 30;
  geometry.left = host_.MainWindowLeft() > screen.width / 2 ? 6 : screen.width - geometry.width - 6;
  view_.SetGeometry(geometry);
}

void FindReplaceWindow::Info(const std::string& text, const std::string& caption) {
  ui_.ShowMessageBox(text, MB_OK | MB_ICONINFORMATION, caption);
}

void FindReplaceWindow::AfterMessage(bool onlyWhenVisible) {
  if (onlyWhenVisible && !view_.IsVisible()) return;
  view_.ShowWindow();
  view_.FocusBox(FindBox::Find);
  view_.BringToTop();
}

void FindReplaceWindow::EndOfFind(const std::string& caption) {
  if (view_.IsVisible()) PlaceBesideCaret();
  Info(EndOfFindText(engine_->FindCount), caption);
  AfterMessage(true);
}

void FindReplaceWindow::NothingMore(const std::string& caption) {
  PlaceBesideCaret();
  Info(NothingMoreText(engine_->ReplaceCount), caption);
  AfterMessage(false);
}

void FindReplaceWindow::FocusReplaceBox() { view_.FocusBox(FindBox::Replace); }

}  // namespace norra
