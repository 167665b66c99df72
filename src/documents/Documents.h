// The open Pages and what the main window does with them: open, activate, close, rename,
// reload and save, with every question and message these ask.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "documents/Page.h"
#include "documents/PageList.h"
#include "documents/SaveResult.h"
#include "platform/Ui.h"
#include "text/FileEncoding.h"
#include "text/FileIo.h"

namespace norra {

class DocumentsHost;
class FileStore;
struct RecoveryCopy;
class Settings;
class UndoLog;

class Documents : public PageOwner {
 public:
  // files defaults to the real file system.
  Documents(Settings& settings, UndoLog& log, Ui& ui, DocumentsHost& host, FileStore* files = nullptr);
  ~Documents() override;
  Documents(const Documents&) = delete;
  Documents& operator=(const Documents&) = delete;

  // The open and save dialogs' type list: all files (1), text files (2).
  static std::vector<FileFilter> FileFilters();

  // 1 when a Page was created, 0 when not. An empty path makes an untitled Page.
  int OpenPage(const std::string& path, bool addToRecent);

  // Opening many files at once: while one of these lives, each opened Page becomes the active
  // one in the logic only; the page list, the windows and the activation reach the view once,
  // when the last batch ends. Showing and activating every window in turn costs the view time
  // in the number of windows already open, so a group of thousands took minutes.
  class OpenBatch {
   public:
    explicit OpenBatch(Documents& docs) : docs_(docs) { ++docs_.openBatch_; }
    ~OpenBatch() { docs_.EndOpenBatch(); }
    OpenBatch(const OpenBatch&) = delete;
    OpenBatch& operator=(const OpenBatch&) = delete;

   private:
    Documents& docs_;
  };
  // Makes the Page the active one, inside a redraw bracket. Nothing for null.
  void ActivatePage(Page* page);
  // The Page's window became active, by any means (also called by the view).
  void OnPageActivated(Page& page);
  // The close request with its save prompt; true when the Page closed (and is gone).
  bool ClosePage(Page& page);
  // The Page goes without any question.
  void DestroyPage(Page& page);
  void RenamePage(Page& page, const std::string& newPath);
  // A modified Page holding a recovery copy's bytes and line breaks, under the copy's path (its
  // file is not read) or a new untitled name; made active. Null when memory ran out.
  Page* RestorePage(const RecoveryCopy& copy);
  // Replaces the text by the file's bytes; false (text untouched) when the file cannot be read.
  bool ReloadPage(Page& page);

  SaveResult SavePage(Page& page);
  SaveResult SavePageAs(Page& page);
  // Asks for a file name to save under, proposing the name part of path; path is the answer.
  SaveResult AskSaveFileName(std::string& path);
  // The bytes a save writes for the Page (LF line breaks again for a file that had them), in
  // the Page's file encoding.
  static std::string FileBytes(const Page& page);
  // Whether the Page's file encoding holds every character of its text (EUC-JP lacks many that
  // a Page holding UTF-8 may have been given). A write of a Page that does not is refused with
  // FileError::NotEncodable, never made with stand-ins.
  static bool FileHoldsText(const Page& page);

  // Reads the file again in `charset`, as reload does (one step that is not undone; the Page's
  // history goes), after asking when the Page is modified. False when nothing was read.
  bool ReopenWithEncoding(Page& page, FileCharset charset);
  // Writes the Page to its file (asking for a name when it has none) in `encoding` with
  // `breaks` (None keeps the Page's own), and from then on the Page is that encoding. When the
  // target cannot hold some characters, the first is selected and the user is asked whether to
  // write "〓" for them; otherwise nothing is written (SaveCancelled).
  SaveResult SaveWithEncoding(Page& page, const FileEncoding& encoding, LineBreakKind breaks);
  // The encodings the two File menu commands offer, in the order of their lists.
  static const std::vector<FileEncoding>& EncodingChoices();
  // What new Pages and ASCII-only files are held in: the File setting.
  FileCharset NewFileCharset() const;

  // File menu commands on the active Page (each does nothing when none is open).
  void OpenCommand();
  void NewCommand();
  void SaveCommand();
  void SaveAsCommand();
  // 文字ｺｰﾄﾞを指定して開き直す and 文字ｺｰﾄﾞを変えて保存 on the active Page: each asks for the
  // encoding (and the line break) in a list first.
  void ReopenWithEncodingCommand();
  void SaveWithEncodingCommand();
  static constexpr const char* kReopenCaption = "文字ｺｰﾄﾞを指定して開き直す";
  static constexpr const char* kSaveEncodingCaption = "文字ｺｰﾄﾞを変えて保存";
  void CloseCommand();

  // The Page's window was resized to this state while repainting was on.
  void StoreChildWindowState(Page& page, int state);
  // While the main window is hidden (exit), Pages that go leave the status bar alone.
  void SetMainWindowVisible(bool visible) { mainWindowVisible_ = visible; }

  Page* ActivePage() const { return active_; }
  FileStore& Files() { return files_; }
  const PageList& List() const { return list_; }
  PageList& List() { return list_; }
  // The Pages' windows, the active one first.
  const std::vector<Page*>& WindowOrder() const { return windowOrder_; }
  std::size_t PageCount() const { return pages_.size(); }
  bool Owns(const Page& page) const;
  int UntitledCounter() const { return untitledCounter_; }

  // PageOwner
  void PageMouseDown(Page& page) override;
  void PageFocused(Page& page) override;
  void PageTextRefused(Page& page, const std::string& characters) override;

  // The message that refuses typed or pasted characters CP932 cannot hold (UTF-8), naming them.
  static std::string UnstorableText(const std::string& characters);
  static constexpr const char* kUnstorableCaption = "Norra";

 private:
  void Release(std::unique_ptr<Page> page);
  // Names a Page "無題" and the next number.
  void NameUntitled(Page& page);
  // A made Page joins the page list, the window order and the owned Pages, first of each. On
  // failure (out of memory) `owned` still holds it.
  void KeepNewPage(std::unique_ptr<Page>& owned);
  void ShowLoadError(const char* text, const std::string& path);
  void ShowSaveError(FileError error, const std::string& path);
  void RemoveRecentFile(const std::string& path);
  // Puts file bytes into the Page as its text (CR LF for an LF-only file), in the encoding
  // chosen or, without one, the one detected for the file at path.
  void LoadBytes(Page& page, std::string bytes, const std::string& path,
                 std::optional<FileCharset> chosen = std::nullopt);
  // The encoding a Page without file bytes takes: that of an .editorconfig, else the setting.
  FileEncoding EncodingForNewFile(const std::string& path);
  bool ReloadPageIn(Page& page, std::optional<FileCharset> chosen);
  FileError WritePage(Page& page, const std::string& path);
  // Writes the Page to path in `encoding` with `breaks` after the check of what the encoding
  // cannot hold; the Page takes the text as written.
  SaveResult WriteConverted(Page& page, const std::string& path, const FileEncoding& encoding,
                            LineBreakKind breaks, const char* caption);
  // Selects the first character the encoding cannot hold and asks whether to write "〓" for
  // every one; true when there is none or the user said yes.
  bool AcceptUnencodable(Page& page, FileCharset target, const char* caption);
  void AfterSave(Page& page);
  void EndOpenBatch();

  Settings& settings_;
  UndoLog& log_;
  Ui& ui_;
  DocumentsHost& host_;
  std::unique_ptr<FileStore> ownFiles_;
  FileStore& files_;

  std::vector<std::unique_ptr<Page>> pages_;
  PageList list_;
  std::vector<Page*> windowOrder_;
  Page* active_ = nullptr;
  int untitledCounter_ = 0;
  bool mainWindowVisible_ = true;
  int openBatch_ = 0;
  std::vector<Page*> batchOpened_;  // oldest first
};

}  // namespace norra
