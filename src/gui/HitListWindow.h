// The results window of a hit list (frmHitList): a tree of files and their hits that fills
// while the run goes on, a progress line, stop and save; a thin view over HitList.
#pragma once

#include <QAbstractListModel>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "findreplace/HitList.h"

class QLabel;
class QPushButton;
class QTreeView;

namespace norra {

class Documents;
class HitListRun;

// One flat list of rows: each file's row, then a row for each of its hits. Rows only ever get
// added, at the end; flat, a list of 100,000 hits needs no expanding and lays out at once.
class HitListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit HitListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

  void Reset();
  void Append(HitBatch&& batch);
  const HitList& List() const { return list_; }

  // The hit a row shows, none for a file's row.
  std::optional<std::size_t> HitAt(const QModelIndex& index) const;
  QModelIndex IndexOfHit(std::size_t hit) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  // The file a row belongs to, and whether the row is that file's own.
  std::pair<std::size_t, bool> FileOfRow(std::size_t row) const;
  std::size_t RowOfFile(std::size_t file) const { return list_.FirstHitOf(file) + file; }

  HitList list_;
};

class HitListWindow : public QWidget {
  Q_OBJECT

 public:
  // opened: a hit was opened in its Page (the main window brings the Page forward).
  HitListWindow(Documents& docs, QWidget* mainWindow, std::function<void()> opened);
  ~HitListWindow() override;

  // Shows the started run's hits as they come; a run shown before is stopped and dropped.
  void Show(std::unique_ptr<HitListRun> run, const std::string& caption);
  // Takes what the run finished since the last look (the timer does this while it runs).
  void Poll();
  // Stops the run; what was found stays.
  void Stop();
  // Opens the hit of the current row; then the next or previous hit.
  void OpenCurrent();
  void GoToHit(bool forward);
  // Writes the list as text to path (UTF-8); false when it could not be written.
  bool SaveTo(const std::string& path);

  const HitList& List() const { return model_.List(); }
  bool Running() const { return run_ != nullptr; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void SaveAs();
  void Finish();

  Documents& docs_;
  std::function<void()> opened_;
  HitListModel model_;
  QTreeView* tree_ = nullptr;
  QLabel* progress_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* save_ = nullptr;
  QTimer timer_;
  std::unique_ptr<HitListRun> run_;
  std::size_t filesTotal_ = 0;
};

}  // namespace norra
