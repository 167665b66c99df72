// Opening, activating, closing, reloading and saving Pages.
#include "documents/Documents.h"

#include <algorithm>
#include <new>

#include "documents/DiskFileStore.h"
#include "documents/DocumentsHost.h"
#include "documents/PageEdit.h"
#include "documents/PageFiles.h"
#include "documents/SaveBackup.h"
#include "documents/UndoLog.h"
#include "settings/Settings.h"
#include "text/AsciiCase.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

constexpr const char* kNoFileTitle = "No File";
constexpr const char* kErrPrefix = "(Err)";

std::size_t MaxLengthOf(const Settings& settings) {
  return static_cast<std::size_t>(std::max(settings.File.MaxLength, 0));
}

}  // namespace

Documents::Documents(Settings& settings, UndoLog& log, Ui& ui, DocumentsHost& host, FileStore* files)
    : settings_(settings),
      log_(log),
      ui_(ui),
      host_(host),
      ownFiles_(files == nullptr ? std::make_unique<DiskFileStore>() : nullptr),
      files_(files == nullptr ? *ownFiles_ : *files) {}

Documents::~Documents() {
  for (const auto& page : pages_) log_.PageGone(*page);
}

std::vector<FileFilter> Documents::FileFilters() {
  return {{"すべてのﾌｧｲﾙ (*.*)", "*.*"}, {"ﾃｷｽﾄﾌｧｲﾙ(*.txt)", "*.txt"}};
}

bool Documents::Owns(const Page& page) const {
  return std::any_of(pages_.begin(), pages_.end(), [&page](const auto& owned) { return owned.get() == &page; });
}

void Documents::ShowLoadError(const char* text, const std::string& path) {
  ui_.ShowMessageBox(text, MB_OK | MB_ICONERROR, "ﾌｧｲﾙﾛｰﾄﾞ - [" + path + "]");
}

void Documents::ShowSaveError(FileError error, const std::string& path) {
  ui_.ShowMessageBox(SaveErrorText(error, path, files_.LeftBackup()), MB_OK | MB_ICONERROR, "Norra");
}

void Documents::RemoveRecentFile(const std::string& path) { std::erase(settings_.File.RecentFiles, path); }

void Documents::LoadBytes(Page& page, const std::string& bytes) {
  const bool lf = HasLfOnlyBreaks(bytes);
  const std::string held = lf ? LfToCrLf(bytes) : std::string();
  const std::string& text = lf ? held : bytes;
  // CR LF makes an LF file longer than on disk; the limit grows so that nothing is cut off.
  page.Control().LimitText(std::max(MaxLengthOf(settings_), text.size()));
  page.Control().ResetText(text);
  page.SetLfLineBreaks(lf);
}

void Documents::Release(std::unique_ptr<Page> page) {
  if (!page) return;
  host_.PageDestroyed(*page);
  log_.PageGone(*page);
}

int Documents::OpenPage(const std::string& rawPath, bool addToRecent) {
  std::string path;
  std::int64_t size = 0;
  if (!rawPath.empty()) {
    path = ExpandLongPath(rawPath);
    size = files_.QueryFileSize(path);
    if (size > static_cast<std::int64_t>(MaxLengthOf(settings_))) {
      ShowLoadError(TooLargeToLoadText(size, MaxLengthOf(settings_)).c_str(), path);
      return 0;
    }
    if (size < 0) {
      // A pipe, device or socket is there but is no file to load; only a missing one leaves
      // the recent list.
      if (files_.Exists(path) && !IsFolder(path)) {
        ShowLoadError(FileErrorReason(FileError::NotRegularFile), path);
        return 0;
      }
      ShowLoadError("ﾌｧｲﾙが存在しません", path);
      RemoveRecentFile(path);
      return 0;
    }
  }

  std::unique_ptr<Page> owned;
  try {
    owned = std::make_unique<Page>(host_.CreateTextControl(), log_);
    Page& page = *owned;
    page.SetOwner(this);
    page.SetWindowState(settings_.Window.ChildWindowState);
    page.Control().LimitText(MaxLengthOf(settings_));
    page.Control().SetWordWrap(settings_.Vision.WordWrap);
    page.Control().SetWantTabs(true);
    host_.PageCreated(page);

    if (!path.empty()) {
      log_.SuspendCapture();
      FileError error = FileError::None;
      try {
        if (size > 0) {
          std::string bytes;
          error = files_.Read(path, bytes);
          if (error == FileError::TooLarge || error == FileError::OutOfMemory) throw std::bad_alloc();
          if (error == FileError::None) LoadBytes(page, bytes);
        }
      } catch (...) {
        log_.ResumeCapture();
        throw;
      }
      if (error != FileError::None) {
        const std::string errPath = kErrPrefix + path;
        ShowLoadError("読込み処理中にｴﾗｰ発生", errPath);
        page.SetFilePath(errPath, PageKind::LoadFailed);
        page.SetDisplayName(kErrPrefix + FileNamePart(path));
      } else {
        if (addToRecent) settings_.AddRecentFile(path);
        page.SetFilePath(path, PageKind::File);
        page.SetDisplayName(FileNamePart(path));
      }
      log_.ResumeCapture();
      page.SetModified(false);
    } else {
      ++untitledCounter_;
      page.SetFilePath("無題" + std::to_string(untitledCounter_), PageKind::Untitled);
      page.SetDisplayName(page.FilePath());
    }
    list_.InsertFront(page.FilePath(), page);
    windowOrder_.insert(windowOrder_.begin(), &page);
    pages_.push_back(std::move(owned));
  } catch (const std::bad_alloc&) {
    if (owned) {
      list_.Remove(*owned);
      std::erase(windowOrder_, owned.get());
    }
    Release(std::move(owned));
    ShowLoadError("ﾒﾓﾘが足りません", path);
    return 0;
  }

  Page& page = *pages_.back();
  host_.PageCaptionChanged(page);
  if (openBatch_ > 0) {
    batchOpened_.push_back(&page);
    if (log_.CurrentPage() != &page) log_.SetCurrentPage(&page);
    active_ = &page;
    list_.Select(page);
    return 1;
  }
  host_.PageListChanged();
  host_.ShowPage(page);
  OnPageActivated(page);
  return 1;
}

void Documents::EndOpenBatch() {
  if (--openBatch_ > 0) return;
  std::vector<Page*> opened;
  opened.swap(batchOpened_);
  std::erase_if(opened, [this](Page* page) { return !Owns(*page); });
  if (opened.empty()) return;
  // Maximized, only the active window is seen: the others are shown when they are activated.
  // Otherwise every window is shown, as opening them one by one would have.
  if (settings_.Window.ChildWindowState != kPageMaximized) {
    for (Page* page : opened) host_.ShowPage(*page);
  } else {
    host_.ShowPage(*opened.back());
  }
  OnPageActivated(*opened.back());
}

void Documents::OnPageActivated(Page& page) {
  if (!Owns(page)) return;
  if (log_.CurrentPage() != &page) log_.SetCurrentPage(&page);
  active_ = &page;
  std::erase(windowOrder_, &page);
  windowOrder_.insert(windowOrder_.begin(), &page);
  list_.Select(page);
  host_.PageListChanged();
  host_.PageActivated(page);
  host_.SetApplicationTitle(page.DisplayName());
  host_.UpdateStatusBar();
}

void Documents::ActivatePage(Page* page) {
  if (page == nullptr || !Owns(*page)) return;
  host_.SetRedraw(false, nullptr);
  host_.ShowPage(*page);
  OnPageActivated(*page);
  host_.UpdateStatusBar();
  host_.SetRedraw(true, page);
}

void Documents::PageMouseDown(Page& page) {
  if (&page != active_) ActivatePage(&page);
}

void Documents::PageFocused(Page& /*page*/) { host_.UpdateStatusBar(); }

std::string Documents::UnstorableText(const std::string& characters) {
  std::string named;
  for (std::size_t i = 0; i < characters.size();) {
    // One UTF-8 character at a time, a space between them.
    const auto lead = static_cast<unsigned char>(characters[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (!named.empty()) named += ' ';
    named.append(characters, i, length);
    i += length;
  }
  return "次の文字は Shift-JIS で保存できないため、入力できません。\n" + named;
}

void Documents::PageTextRefused(Page& /*page*/, const std::string& characters) {
  ui_.ShowMessageBox(UnstorableText(characters), MB_OK | MB_ICONWARNING, kUnstorableCaption);
}

bool Documents::ClosePage(Page& page) {
  if (!Owns(page)) return false;
  if (page.Modified()) {
    const int answer = ui_.ShowMessageBox(page.FilePath() + "\nは変更されています。保存しますか?",
                                          MB_YESNOCANCEL | MB_ICONQUESTION, "保存確認");
    if (answer == IDYES) {
      const SaveResult result = SavePage(page);
      if (result == SaveCancelled) return false;
      if (result == SaveFailed) {
        const int stop = ui_.ShowMessageBox("保存ｴﾗｰ発生。閉じる処理を中止しますか?", MB_YESNO | MB_ICONERROR, "保存ｴﾗｰ");
        if (stop != IDNO) return false;
      }
    } else if (answer != IDNO) {
      return false;  // Cancel, or the box could not be shown
    }
  }
  DestroyPage(page);
  return true;
}

void Documents::DestroyPage(Page& page) {
  const auto it = std::find_if(pages_.begin(), pages_.end(), [&page](const auto& owned) { return owned.get() == &page; });
  if (it == pages_.end()) return;
  const bool wasActive = active_ == &page;
  host_.PageDestroyed(page);
  list_.Remove(page);
  std::erase(windowOrder_, &page);
  // Always, not only while the window shows: no record may outlive its Page.
  log_.PageGone(page);
  std::unique_ptr<Page> owned = std::move(*it);
  pages_.erase(it);
  if (wasActive) active_ = nullptr;
  if (!mainWindowVisible_) return;
  if (list_.Empty()) {
    log_.SetCurrentPage(nullptr);
    log_.ClearUndoLog();
    list_.Clear();
    host_.PageListChanged();
    host_.SetApplicationTitle(kNoFileTitle);
    host_.ShowEmptyStatus();
    return;
  }
  host_.PageListChanged();
  // As a frame activates its next child window when the active one closes.
  if (wasActive) ActivatePage(windowOrder_.front());
}

void Documents::RenamePage(Page& page, const std::string& newPath) {
  page.SetFilePath(newPath, PageKind::File);
  std::string name = FileNamePart(newPath);
  page.SetDisplayName(name);
  if (name.empty()) return;
  host_.PageCaptionChanged(page);
  list_.SetText(page, newPath);
  if (&page == active_) {
    list_.Select(page);
    host_.SetApplicationTitle(name);
  }
  host_.PageListChanged();
}

bool Documents::ReloadPage(Page& page) {
  const std::string path = page.FilePath();
  std::string bytes;
  try {
    if (files_.Read(path, bytes) != FileError::None) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  bool ok = true;
  {
    // The file's text is no edit to take back: the Page's history goes, and none is recorded.
    PageEdit edit(log_, page, KeepText::None);
    log_.DropPageUndo(page);
    try {
      LoadBytes(page, bytes);
      page.SetModified(false);
      edit.Keep();
    } catch (const std::bad_alloc&) {
      ok = false;
      edit.Fail();
    }
    ui_.ProcessPendingEvents();
  }
  if (ok) settings_.AddRecentFile(path);
  return ok;
}

std::string Documents::FileBytes(const Page& page) {
  std::string text = page.Control().Text();
  if (page.LfLineBreaks()) return CrLfToLf(text);
  return text;  // moved, not copied: a large Page's save holds one copy of its text, not two
}

FileError Documents::WritePage(Page& page, const std::string& path) {
  try {
    return files_.Write(path, FileBytes(page));
  } catch (const std::bad_alloc&) {
    return FileError::OutOfMemory;
  }
}

void Documents::AfterSave(Page& page) {
  page.SetModified(false);
  if (!settings_.Edit.KeepLogAfterSave) log_.DropPageUndo(page);
  host_.PageSaved(page);
}

SaveResult Documents::SavePage(Page& page) {
  if (!page.HasFile()) return SavePageAs(page);
  const std::string path = page.FilePath();
  if (!BackupBeforeSave(settings_.File, ui_, path)) return SaveCancelled;
  const FileError error = WritePage(page, path);
  if (error == FileError::None) {
    AfterSave(page);
    settings_.AddRecentFile(path);
    return SaveOk;
  }
  if (!files_.Exists(path)) return SavePageAs(page);
  ShowSaveError(error, path);
  return SaveFailed;
}

SaveResult Documents::SavePageAs(Page& page) {
  std::string path = page.FilePath();
  const SaveResult asked = AskSaveFileName(path);
  if (asked != SaveOk) return asked == SaveCancelled ? SaveCancelled : SaveFailed;
  // A file saved over under a new name is an old file too.
  if (!BackupBeforeSave(settings_.File, ui_, path)) return SaveCancelled;
  try {
    if (const FileError error = WritePage(page, path); error != FileError::None) {
      ShowSaveError(error, path);
      return SaveFailed;
    }
    AfterSave(page);
    settings_.File.CurrentDir = FolderPart(path);
    settings_.AddRecentFile(path);
    RenamePage(page, path);
  } catch (const std::bad_alloc&) {
    ShowSaveError(FileError::OutOfMemory, path);
    return SaveFailed;
  } catch (const std::exception&) {
    ShowSaveError(FileError::WriteFailed, path);
    return SaveFailed;
  }
  return SaveOk;
}

SaveResult Documents::AskSaveFileName(std::string& path) {
  std::string proposed = FileNamePart(path);
  if (proposed.find('.') == std::string::npos) proposed += ".txt";
  int filterIndex = AsciiLowered(proposed).find(".txt") != std::string::npos ? 2 : 1;
  for (;;) {
    FileDialogRequest request;
    request.fileName = proposed;
    request.initialFolder = settings_.File.CurrentDir;
    request.filters = FileFilters();
    request.filterIndex = filterIndex;
    const FileDialogResult answer = ui_.ShowSaveDialog(request);
    if (!answer.accepted || answer.files.empty()) return SaveCancelled;
    std::string chosen = answer.files.front();
    if (!chosen.empty() && chosen.front() != '/' && !settings_.File.CurrentDir.empty()) {
      chosen = MakeAbsolute(chosen, settings_.File.CurrentDir);
    }
    // The dot is looked for in the name only: folders may well have one.
    if (!chosen.empty() && FileNamePart(chosen).find('.') == std::string::npos && answer.filterIndex == 2) {
      chosen += ".txt";
    }
    if (!chosen.empty() && files_.Exists(chosen)) {
      const int overwrite = ui_.ShowMessageBox(chosen + "\nは既に存在します。上書きしますか?",
                                               MB_YESNOCANCEL | MB_ICONQUESTION, "Norra");
      if (overwrite == IDNO) {
        proposed = chosen;
        filterIndex = answer.filterIndex;
        continue;
      }
      if (overwrite != IDYES) return SaveCancelled;
    }
    path = chosen;
    return path.empty() ? SaveFailed : SaveOk;
  }
}

void Documents::OpenCommand() {
  FileDialogRequest request;
  request.initialFolder = settings_.File.CurrentDir;
  request.filters = FileFilters();
  request.filterIndex = 1;
  request.multiSelect = true;
  request.mustExist = true;
  const FileDialogResult answer = ui_.ShowOpenDialog(request);
  if (!answer.accepted || answer.files.empty()) return;
  host_.SetRedraw(false, nullptr);
  {
    OpenBatch batch(*this);
    for (const std::string& file : answer.files) OpenPage(file, true);
  }
  settings_.File.CurrentDir = FolderPart(ExpandLongPath(answer.files.front()));
  host_.UpdateStatusBar();
  host_.SetRedraw(true, active_);
}

void Documents::NewCommand() {
  host_.SetRedraw(false, nullptr);
  OpenPage(std::string(), false);
  host_.SetRedraw(true, active_);
}

void Documents::SaveCommand() {
  if (active_ == nullptr) return;
  SavePage(*active_);
  host_.UpdateStatusBar();
}

void Documents::SaveAsCommand() {
  if (active_ == nullptr) return;
  SavePageAs(*active_);
  host_.UpdateStatusBar();
}

void Documents::CloseCommand() {
  if (active_ != nullptr) ClosePage(*active_);
}

void Documents::StoreChildWindowState(Page& page, int state) {
  page.SetWindowState(state);
  settings_.Window.ChildWindowState = state;
}

}  // namespace norra
