// The hits a list run has handed out so far, as the results window shows them: the files with
// hits in list order, each with its hits, the texts of its rows and summary, the list saved as
// text, and opening a hit as a selection in its Page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "findreplace/HitListRun.h"

namespace norra {

class Documents;

class HitList {
 public:
  void Clear();
  // Adds a batch of finished files (in list order) and their hits.
  void Append(HitBatch&& batch);

  // Files shown: those with at least one hit.
  std::size_t ShownFileCount() const { return shown_.size(); }
  const ListedFile& ShownFile(std::size_t row) const { return files_[shown_[row].file]; }
  std::size_t HitCount() const { return hits_.size(); }
  const ListedHit& Hit(std::size_t index) const { return hits_[index]; }
  const ListedFile& FileOf(const ListedHit& hit) const { return files_[hit.file]; }
  // The index of the first hit of a shown file, and where a hit stands: (file row, hit row).
  std::size_t FirstHitOf(std::size_t row) const { return shown_[row].firstHit; }
  std::pair<std::size_t, std::size_t> PlaceOf(std::size_t hitIndex) const;

  // The hit after (forward) or before the one at `current`, none at either end; with no
  // current hit, the first (or last).
  std::optional<std::size_t> Step(std::optional<std::size_t> current, bool forward) const;

  // Texts (UTF-8) of a file's row, a hit's place, and the line under the list.
  static std::string FileRowText(const ListedFile& file);
  static std::string PlaceText(const ListedHit& hit);  // "line:column"
  std::string SummaryText(const HitListProgress& progress) const;

  // The list as norra-find prints it: PATH:LINE:COLUMN:TEXT, one hit a line.
  std::string SaveText() const;

  static constexpr std::string_view kModifiedMark = " (未保存の編集)";
  static constexpr std::string_view kPageMark = " (ﾍﾟｰｼﾞ)";

 private:
  struct Shown {
    std::size_t file = 0;
    std::size_t firstHit = 0;
  };
  std::vector<ListedFile> files_;
  std::vector<Shown> shown_;
  std::vector<ListedHit> hits_;
  std::size_t notText_ = 0;
  std::size_t unreadable_ = 0;
};

// Opens the hit's file as a Page, or activates the Page it came from (or one already open on
// the file), and selects the hit there. False when the file could not be opened (the opening
// told why) or the Page is gone.
bool OpenHit(Documents& docs, const ListedFile& file, const ListedHit& hit);

}  // namespace norra
