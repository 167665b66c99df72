// Notices that another program changed or removed the file of an open Page, and asks the
// user once per change what becomes of the Page: reload it, keep its text, or decide later.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "text/FileIo.h"

namespace norra {

class Documents;
class Page;
class Settings;
class Ui;

class PageDiskWatch {
 public:
  PageDiskWatch(Documents& docs, Settings& settings, Ui& ui) : docs_(docs), settings_(settings), ui_(ui) {}

  // The files of the open Pages, for a watcher to follow.
  std::vector<std::string> WatchedPaths() const;
  // A watcher saw the file at `path` change or go.
  void PathChanged(const std::string& path);
  // Compares every Page's file with the state it was last read or written in (the main
  // window became active: a watcher may have missed something meanwhile).
  void CheckAll();
  // Whether the Page's file changed on disk and the user has not yet reloaded or kept it.
  bool Marked(const Page& page) const;

  static constexpr const char* kCaption = "Norra";
  static std::string ChangedText(const std::string& path);
  static std::string GoneText(const std::string& path);

 private:
  // What was last noticed about a file: the change is asked about once.
  struct Notice {
    bool gone = false;
    FileIdentity seen;  // the changed state asked about
    bool marked = true;
  };
  void Check(Page& page);

  Documents& docs_;
  Settings& settings_;
  Ui& ui_;
  std::map<std::string, Notice> notices_;  // by path
  bool checking_ = false;                  // a question is open: events that come meanwhile wait
  bool again_ = false;                     // something arrived while a question was open
};

}  // namespace norra
