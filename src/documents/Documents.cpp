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
#include "text/EncodingDetection.h"
#include "text/FileCodec.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

constexpr const char* kNoFileTitle = "No File";
constexpr const char* kErrPrefix = "(Err)";

std::size_t MaxLengthOf(const Settings& settings) {
  return static_cast<std::size_t>(std::max(settings.File.MaxLength, 0));
}

// Start of the character holding offset, in a text held in `charset`.
std::size_t CharStartIn(Charset charset, std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  if (charset == Charset::Cp932) return offset < text.size() ? CharStartAt(text, offset) : offset;
  for (std::size_t back = 1; back <= 3 && back <= offset; ++back) {
    const std::size_t start = offset - back;
    if (static_cast<std::size_t>(CharLengthAt(charset, text, start)) > back) return start;
  }
  return offset;
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

FileCharset Documents::NewFileCharset() const {
  return settings_.File.NewFileCharset == 1 ? FileCharset::Utf8 : FileCharset::Cp932;
}

FileEncoding Documents::EncodingForNewFile(const std::string& path) {
  if (!path.empty()) {
    if (const std::optional<FileEncoding> configured = files_.ConfiguredEncoding(path)) return *configured;
  }
  return FileEncoding{NewFileCharset(), false};
}

void Documents::LoadBytes(Page& page, std::string bytes, const std::string& path,
                          std::optional<FileCharset> chosen) {
  FileCharset charset;
  if (chosen) {
    charset = *chosen;
  } else {
    DetectionHints hints;
    hints.configured = files_.ConfiguredEncoding(path);
    hints.plainDefault = NewFileCharset();
    charset = DetectFileEncoding(bytes, hints).charset;
  }
  FileEncoding encoding{charset, false};
  std::string text;
  if (charset == FileCharset::Cp932 || (charset == FileCharset::Utf8 && !bytes.starts_with("\xEF\xBB\xBF"))) {
    text = std::move(bytes);  // held as read: no second copy of a large file
  } else {
    DecodedFile file = DecodeFile(bytes, charset);
    std::string().swap(bytes);
    text = std::move(file.text);
    encoding = file.encoding;
  }
  page.SetFileLineBreaks(LineBreaksOf(text));
  const bool lf = page.FileLineBreaks() == LineBreakKind::Lf;
  if (lf) text = LfToCrLf(text);
  // CR LF makes an LF file longer than on disk; the limit grows so that nothing is cut off.
  page.Control().LimitText(std::max(MaxLengthOf(settings_), text.size()));
  page.SetEncoding(encoding);  // the control steps characters by it from the first byte on
  page.Control().ResetText(text);
  page.SetLfLineBreaks(lf);
}

void Documents::NameUntitled(Page& page) {
  ++untitledCounter_;
  page.SetFilePath("無題" + std::to_string(untitledCounter_), PageKind::Untitled);
  page.SetDisplayName(page.FilePath());
}

void Documents::KeepNewPage(std::unique_ptr<Page>& owned) {
  Page& page = *owned;
  list_.InsertFront(page.FilePath(), page);
  windowOrder_.insert(windowOrder_.begin(), &page);
  pages_.push_back(std::move(owned));
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
          if (error == FileError::None) LoadBytes(page, std::move(bytes), path);
        } else {
          page.SetEncoding(EncodingForNewFile(path));
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
      page.SetEncoding(EncodingForNewFile({}));
      NameUntitled(page);
    }
    KeepNewPage(owned);
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
  std::optional<FileCharset> chosen;
  if (page.EncodingChosen()) chosen = page.Encoding().charset;
  return ReloadPageIn(page, chosen);
}

bool Documents::ReloadPageIn(Page& page, std::optional<FileCharset> chosen) {
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
      LoadBytes(page, std::move(bytes), path, chosen);
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
  if (page.LfLineBreaks()) text = CrLfToLf(text);
  const FileEncoding& encoding = page.Encoding();
  if (encoding.charset == FileCharset::Cp932 || (encoding.charset == FileCharset::Utf8 && !encoding.byteOrderMark)) {
    return text;  // moved, not copied: a large Page's save holds one copy of its text, not two
  }
  return EncodeFile(text, encoding);
}

bool Documents::FileHoldsText(const Page& page) {
  const FileCharset charset = page.Encoding().charset;
  if (charset != FileCharset::EucJp) return true;
  return FindUnencodable(page.Control().TextView(), charset, charset).count == 0;
}

FileError Documents::WritePage(Page& page, const std::string& path) {
  try {
    if (!FileHoldsText(page)) return FileError::NotEncodable;
    const FileError error = files_.Write(path, FileBytes(page));
    if (error == FileError::None && page.FileLineBreaks() != LineBreakKind::Mixed) {
      // Typed line breaks are CR LF: a file without breaks may have gained some.
      const LineBreakKind held = LineBreaksOf(page.Control().TextView());
      page.SetFileLineBreaks(page.LfLineBreaks() && held == LineBreakKind::CrLf ? LineBreakKind::Lf : held);
    }
    return error;
  } catch (const std::bad_alloc&) {
    return FileError::OutOfMemory;
  }
}

const std::vector<FileEncoding>& Documents::EncodingChoices() {
  static const std::vector<FileEncoding> choices = {
      {FileCharset::Cp932, false},   {FileCharset::Utf8, false},   {FileCharset::Utf8, true},
      {FileCharset::EucJp, false},   {FileCharset::Utf16Le, true}, {FileCharset::Utf16Be, true},
  };
  return choices;
}

bool Documents::AcceptUnencodable(Page& page, FileCharset target, const char* caption) {
  const std::string text = page.Control().Text();
  const Unencodable found = FindUnencodable(text, page.Encoding().charset, target);
  if (found.count == 0) return true;
  page.Control().SetSelection(found.firstOffset, found.firstLength);
  page.Control().ScrollCaret();
  // The characters are named in UTF-8; bytes of the old encoding are named by their value.
  std::string named;
  std::size_t shown = 0;
  const Charset held = HeldCharset(page.Encoding().charset);
  for (std::size_t i = 0; i < found.characters.size() && shown < 20; ++shown) {
    const std::size_t length = static_cast<std::size_t>(CharLengthAt(held, found.characters, i));
    const std::string_view character = std::string_view(found.characters).substr(i, length);
    if (!named.empty()) named += ' ';
    if (held == Charset::Cp932) {
      const std::string utf8 = ConvertHeldText(character, FileCharset::Cp932, FileCharset::Utf8, "?");
      named += utf8;
    } else {
      named.append(character);
    }
    i += length;
  }
  const std::string message = "次の文字は " + std::string(FileCharsetName(target)) + " で保存できません (" +
                              std::to_string(found.count) + " 文字)。最初の文字を選択しています。\n" + named +
                              "\n\nこれらを「〓」に置き換えて保存しますか?\n[いいえ] で保存を中止します。";
  return ui_.ShowMessageBox(message, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, caption) == IDYES;
}

SaveResult Documents::WriteConverted(Page& page, const std::string& path, const FileEncoding& encoding,
                                     LineBreakKind breaks, const char* caption) {
  if (!AcceptUnencodable(page, encoding.charset, caption)) return SaveCancelled;
  try {
    const std::string old = page.Control().Text();
    std::string text = ConvertHeldText(old, page.Encoding().charset, encoding.charset);
    bool lf = page.LfLineBreaks();
    if (breaks == LineBreakKind::CrLf || breaks == LineBreakKind::Lf || breaks == LineBreakKind::Cr) {
      text = WithLineBreaks(text, breaks == LineBreakKind::Lf ? LineBreakKind::CrLf : breaks);
      lf = breaks == LineBreakKind::Lf;
    }
    const std::string bytes = EncodeFile(lf ? CrLfToLf(text) : text, encoding);
    if (const FileError error = files_.Write(path, bytes); error != FileError::None) {
      ShowSaveError(error, path);
      return SaveFailed;
    }
    const bool sameText = text == old && HeldCharset(encoding.charset) == HeldCharset(page.Encoding().charset);
    if (!sameText) {
      // The Page now holds what was written; its history spoke of the old bytes and goes.
      const std::size_t caret = std::min(page.Control().SelStart(), text.size());
      PageEdit edit(log_, page, KeepText::None);
      log_.DropPageUndo(page);
      page.SetEncoding(encoding);
      page.Control().LimitText(std::max(MaxLengthOf(settings_), text.size()));
      page.Control().ResetText(text);
      page.Control().SetSelection(CharStartIn(HeldCharset(encoding.charset), text, caret), 0);
      edit.Keep();
    }
    page.SetEncoding(encoding);
    page.SetEncodingChosen(false);
    page.SetLfLineBreaks(lf);
    const LineBreakKind held = LineBreaksOf(text);
    page.SetFileLineBreaks(lf && held == LineBreakKind::CrLf ? LineBreakKind::Lf : held);
  } catch (const std::bad_alloc&) {
    ShowSaveError(FileError::OutOfMemory, path);
    return SaveFailed;
  }
  return SaveOk;
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
  if (page.Encoding().charset == FileCharset::EucJp) {
    // Typed text may hold what EUC-JP cannot: checked before anything is written.
    const SaveResult result = WriteConverted(page, path, page.Encoding(), LineBreakKind::None, "Norra");
    if (result == SaveOk) {
      AfterSave(page);
      settings_.AddRecentFile(path);
    }
    return result;
  }
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
    // An untitled Page takes the charset an .editorconfig gives the folder it is first saved in.
    std::optional<FileEncoding> target;
    if (page.Kind() == PageKind::Untitled) target = files_.ConfiguredEncoding(path);
    if (!target && page.Encoding().charset == FileCharset::EucJp) target = page.Encoding();
    if (target) {
      const SaveResult result = WriteConverted(page, path, *target, LineBreakKind::None, "Norra");
      if (result != SaveOk) return result;
    } else if (const FileError error = WritePage(page, path); error != FileError::None) {
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

SaveResult Documents::SaveWithEncoding(Page& page, const FileEncoding& encoding, LineBreakKind breaks) {
  std::string path = page.FilePath();
  const bool named = page.HasFile();
  if (!named) {
    const SaveResult asked = AskSaveFileName(path);
    if (asked != SaveOk) return asked == SaveCancelled ? SaveCancelled : SaveFailed;
  }
  const SaveResult result = WriteConverted(page, path, encoding, breaks, kSaveEncodingCaption);
  if (result != SaveOk) return result;
  AfterSave(page);
  settings_.AddRecentFile(path);
  if (!named) {
    settings_.File.CurrentDir = FolderPart(path);
    RenamePage(page, path);
  }
  host_.UpdateStatusBar();
  return SaveOk;
}

bool Documents::ReopenWithEncoding(Page& page, FileCharset charset) {
  if (!page.HasFile()) return false;
  if (page.Modified()) {
    const int answer = ui_.ShowMessageBox(page.FilePath() + "\nは変更されています。変更を破棄して、" + std::string(
                                              FileCharsetName(charset)) + " で開き直しますか?",
                                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, kReopenCaption);
    if (answer != IDYES) return false;
  }
  if (files_.QueryFileSize(page.FilePath()) > static_cast<std::int64_t>(MaxLengthOf(settings_))) {
    ShowLoadError("ﾌｧｲﾙｻｲｽﾞが大き過ぎるため、ﾛｰﾄﾞできません。", page.FilePath());
    return false;
  }
  if (!ReloadPageIn(page, charset)) {
    ShowLoadError("読込み処理中にｴﾗｰ発生", page.FilePath());
    return false;
  }
  page.SetEncodingChosen(true);
  host_.UpdateStatusBar();
  return true;
}

void Documents::ReopenWithEncodingCommand() {
  if (active_ == nullptr || !active_->HasFile()) return;
  std::vector<std::string> items;
  int current = 0;
  int index = 0;
  std::vector<FileCharset> charsets;
  for (const FileEncoding& encoding : EncodingChoices()) {
    // The mark is read from the file: each charset once.
    if (std::find(charsets.begin(), charsets.end(), encoding.charset) != charsets.end()) continue;
    if (encoding.charset == active_->Encoding().charset) current = index;
    charsets.push_back(encoding.charset);
    items.emplace_back(FileCharsetName(encoding.charset));
    ++index;
  }
  const int chosen = ui_.ShowChoice(kReopenCaption, "開き直す文字ｺｰﾄﾞ", items, current);
  if (chosen < 0 || chosen >= static_cast<int>(charsets.size())) return;
  ReopenWithEncoding(*active_, charsets[static_cast<std::size_t>(chosen)]);
}

void Documents::SaveWithEncodingCommand() {
  if (active_ == nullptr) return;
  std::vector<std::string> items;
  int current = 0;
  for (const FileEncoding& encoding : EncodingChoices()) {
    if (encoding == active_->Encoding()) current = static_cast<int>(items.size());
    items.push_back(FileEncodingName(encoding));
  }
  const int chosen = ui_.ShowChoice(kSaveEncodingCaption, "保存する文字ｺｰﾄﾞ", items, current);
  if (chosen < 0 || chosen >= static_cast<int>(items.size())) return;
  static constexpr LineBreakKind kBreaks[] = {LineBreakKind::None, LineBreakKind::CrLf, LineBreakKind::Lf,
                                              LineBreakKind::Cr};
  const std::vector<std::string> breakItems = {"変えない", "CRLF", "LF", "CR"};
  const int breaks = ui_.ShowChoice(kSaveEncodingCaption, "改行ｺｰﾄﾞ", breakItems, 0);
  if (breaks < 0 || breaks >= static_cast<int>(breakItems.size())) return;
  SaveWithEncoding(*active_, EncodingChoices()[static_cast<std::size_t>(chosen)], kBreaks[breaks]);
}

void Documents::CloseCommand() {
  if (active_ != nullptr) ClosePage(*active_);
}

void Documents::StoreChildWindowState(Page& page, int state) {
  page.SetWindowState(state);
  settings_.Window.ChildWindowState = state;
}

}  // namespace norra
