// What a folder or group replace would change, file by file and hit by hit, so that the user
// can leave files and hits out before anything is written; and the run of what is left in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "findreplace/DiskSearch.h"
#include "findreplace/UnifiedDiff.h"
#include "text/FileIo.h"

namespace norra {

class Ui;

struct PreviewHit {
  std::size_t oldStart = 0;  // byte offset in the file
  std::size_t line = 1;      // 1-based line of the file where the hit starts
  std::string before;        // the file's bytes the hit replaces
  std::string after;         // what replaces them
  bool checked = true;
};

struct PreviewFile {
  std::string path;
  FileIdentity identity;  // the file as it was read: a file changed since is left alone
  std::vector<PreviewHit> hits;
  bool checked = true;
  std::size_t CheckedHits() const;
};

struct DiskReplacePreview {
  std::string caption;  // the command's caption
  std::string where;    // the folder or group file (UTF-8)
  bool group = false;
  std::vector<PreviewFile> files;  // the files that would change, in the run's order
  DiskSearchResult found;          // the dry run: counts, files skipped, an early end

  std::int64_t HitCount() const;
  // The title line of the preview: the folder (or group) and how many files would change.
  std::string Heading() const;
  // Builds the preview of the request's run. False when the run was refused or stopped (its
  // message was shown or is in found).
  bool Build(DiskSearch& search, const DiskSearchRequest& request, bool group);
  // Writes the checked hits of the checked files, each file atomically, the whole run kept in
  // a journal, and shows the end-of-run message. A file changed since the preview is left
  // alone and named.
  DiskSearchResult Run(Ui& ui, const std::string& journalFolder = {}) const;
};

// The spans of a file's checked hits.
std::vector<DiffSpan> CheckedSpans(const PreviewFile& file);

}  // namespace norra
