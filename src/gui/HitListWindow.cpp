// HitListWindow: the hits in a tree that fills from a timer, and the keys that go to them.
#include "gui/HitListWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include "findreplace/HitListRun.h"
#include "text/FileIo.h"

namespace norra {

namespace {

constexpr int kMarkRole = Qt::UserRole + 1;  // QPoint(start, length) of the hit in the row text
constexpr int kPollMs = 25;       // often enough for a list that fills as one watches
constexpr int kFirstPollMs = 4;   // until the first hits are in: they show at once
// Hits taken in at one look at most: the rest waits for the next, so that a long list fills
// in bites and the window answers the user in between.
constexpr std::size_t kHitsPerLook = 50000;

QString U(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Draws a hit's row with the hit itself on the highlight colour.
class MarkDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QVariant mark = index.data(kMarkRole);
    if (!mark.isValid()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(2, 0, -2, 0);
    const QPoint span = mark.toPoint();
    const QFontMetrics metrics(item.font);
    const int before = metrics.horizontalAdvance(text.left(span.x()));
    const int width = metrics.horizontalAdvance(text.mid(span.x(), span.y()));
    painter->save();
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    if (!selected) {
      painter->fillRect(QRect(area.left() + before, area.top(), width, area.height()),
                        option.palette.color(QPalette::Highlight).lighter(160));
    }
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(area, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
    painter->restore();
  }
};

}  // namespace

// ---- the model ----

void HitListModel::Reset() {
  beginResetModel();
  list_.Clear();
  endResetModel();
}

void HitListModel::Append(HitBatch&& batch) {
  const int before = rowCount();
  int added = 0;
  std::size_t lastFile = SIZE_MAX;
  for (const ListedHit& hit : batch.hits) {
    added += hit.file != lastFile ? 2 : 1;
    lastFile = hit.file;
  }
  if (added == 0) {
    list_.Append(std::move(batch));
    return;
  }
  // Rows are announced before the list grows, as the view expects.
  beginInsertRows(QModelIndex(), before, before + added - 1);
  list_.Append(std::move(batch));
  endInsertRows();
}

std::pair<std::size_t, bool> HitListModel::FileOfRow(std::size_t row) const {
  // The last file whose row is at or before this one.
  std::size_t low = 0;
  std::size_t high = list_.ShownFileCount();
  while (high - low > 1) {
    const std::size_t middle = (low + high) / 2;
    (RowOfFile(middle) <= row ? low : high) = middle;
  }
  return {low, RowOfFile(low) == row};
}

std::optional<std::size_t> HitListModel::HitAt(const QModelIndex& index) const {
  if (!index.isValid() || list_.ShownFileCount() == 0) return std::nullopt;
  const auto row = static_cast<std::size_t>(index.row());
  const auto [file, own] = FileOfRow(row);
  // A file's own row stands for its first hit.
  return own ? list_.FirstHitOf(file) : list_.FirstHitOf(file) + (row - RowOfFile(file) - 1);
}

QModelIndex HitListModel::IndexOfHit(std::size_t hit) const {
  const auto [file, within] = list_.PlaceOf(hit);
  return index(static_cast<int>(RowOfFile(file) + 1 + within), 0);
}

int HitListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(list_.ShownFileCount() + list_.HitCount());
}

QVariant HitListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  const auto [fileRow, own] = FileOfRow(row);
  if (own) {
    const ListedFile& file = list_.ShownFile(fileRow);
    if (role == Qt::DisplayRole) return U(HitList::FileRowText(file));
    if (role == Qt::ToolTipRole) return U(file.path);
    if (role == Qt::FontRole) {
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    return {};
  }
  const ListedHit& hit = list_.Hit(list_.FirstHitOf(fileRow) + (row - RowOfFile(fileRow) - 1));
  const std::string place = "    " + HitList::PlaceText(hit) + ": ";
  if (role == Qt::DisplayRole) return U(place + hit.excerpt);
  if (role == kMarkRole) {
    const std::string_view excerpt(hit.excerpt);
    const auto start = U(place).size() + U(excerpt.substr(0, hit.markStart)).size();
    const auto length = U(excerpt.substr(hit.markStart, hit.markLength)).size();
    return QPoint(static_cast<int>(start), static_cast<int>(length));
  }
  return {};
}

QVariant HitListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
    return U("ﾌｧｲﾙ / 行:桁: 行の文");
  return {};
}

// ---- the window ----

HitListWindow::HitListWindow(Documents& docs, QWidget* mainWindow, std::function<void()> opened)
    : QWidget(mainWindow, Qt::Window), docs_(docs), opened_(std::move(opened)) {
  setObjectName(QStringLiteral("frmHitList"));
  resize(720, 420);
  auto* layout = new QVBoxLayout(this);
  tree_ = new QTreeView(this);
  tree_->setObjectName(QStringLiteral("tvwHits"));
  tree_->setModel(&model_);
  tree_->setUniformRowHeights(true);  // the view then never measures 100,000 rows one by one
  tree_->setItemDelegate(new MarkDelegate(tree_));
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree_->header()->setStretchLastSection(true);
  tree_->setRootIsDecorated(false);
  layout->addWidget(tree_, 1);
  auto* bottom = new QHBoxLayout;
  progress_ = new QLabel(this);
  progress_->setObjectName(QStringLiteral("lblProgress"));
  bottom->addWidget(progress_, 1);
  stop_ = new QPushButton(U("中止(&S)"), this);
  stop_->setObjectName(QStringLiteral("cmdStop"));
  save_ = new QPushButton(U("ﾃｷｽﾄで保存(&A)..."), this);
  save_->setObjectName(QStringLiteral("cmdSave"));
  auto* close = new QPushButton(U("閉じる"), this);
  close->setObjectName(QStringLiteral("cmdClose"));
  bottom->addWidget(stop_);
  bottom->addWidget(save_);
  bottom->addWidget(close);
  layout->addLayout(bottom);

  connect(tree_, &QTreeView::activated, this, [this] { OpenCurrent(); });
  connect(stop_, &QPushButton::clicked, this, [this] { Stop(); });
  connect(save_, &QPushButton::clicked, this, [this] { SaveAs(); });
  connect(close, &QPushButton::clicked, this, [this] { this->close(); });
  // The next and previous hit also from the Page a hit was opened in.
  auto* next = new QShortcut(QKeySequence(Qt::Key_F8), this);
  next->setContext(Qt::ApplicationShortcut);
  connect(next, &QShortcut::activated, this, [this] { GoToHit(true); });
  auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8), this);
  previous->setContext(Qt::ApplicationShortcut);
  connect(previous, &QShortcut::activated, this, [this] { GoToHit(false); });
  timer_.setInterval(kPollMs);
  connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
}

HitListWindow::~HitListWindow() {
  timer_.stop();
  run_.reset();  // stops and joins the workers
}

void HitListWindow::Show(std::unique_ptr<HitListRun> run, const std::string& caption) {
  if (run_) run_->Stop();
  run_ = std::move(run);
  filesTotal_ = run_ ? run_->FileCount() : 0;
  model_.Reset();
  setWindowTitle(U(caption));
  stop_->setEnabled(true);
  show();
  raise();
  activateWindow();
  tree_->setFocus();
  timer_.setInterval(kFirstPollMs);
  Poll();
  timer_.start();
}

void HitListWindow::Poll() {
  if (!run_) return;
  // Whether it had ended is asked first: nothing can be finished after that and not taken.
  HitListProgress progress = run_->Progress();
  HitBatch batch;
  const bool took = run_->TakeBatch(batch, kHitsPerLook);
  // Ended, the run may still hold hits for later looks.
  progress.finished = progress.finished && !took;
  if (took) {
    model_.Append(std::move(batch));
    if (model_.List().HitCount() > 0) timer_.setInterval(kPollMs);
    if (!tree_->currentIndex().isValid() && model_.List().HitCount() > 0)
      tree_->setCurrentIndex(model_.IndexOfHit(0));
  }
  progress_->setText(U(model_.List().SummaryText(progress)));
  if (progress.finished) Finish();
}

void HitListWindow::Finish() {
  timer_.stop();
  run_.reset();
  stop_->setEnabled(false);
}

void HitListWindow::Stop() {
  if (run_) run_->Stop();
}

void HitListWindow::OpenCurrent() {
  const std::optional<std::size_t> hit = model_.HitAt(tree_->currentIndex());
  if (!hit || *hit >= model_.List().HitCount()) return;
  const HitList& list = model_.List();
  const ListedHit& listed = list.Hit(*hit);
  if (OpenHit(docs_, list.FileOf(listed), listed) && opened_) opened_();
}

void HitListWindow::GoToHit(bool forward) {
  if (!isVisible()) return;
  const std::optional<std::size_t> current = model_.HitAt(tree_->currentIndex());
  const std::optional<std::size_t> next =
      model_.List().Step(tree_->currentIndex().isValid() ? current : std::nullopt, forward);
  if (!next) return;
  tree_->setCurrentIndex(model_.IndexOfHit(*next));
  OpenCurrent();
}

bool HitListWindow::SaveTo(const std::string& path) {
  return WriteFileAtomic(path, model_.List().SaveText()) == FileError::None;
}

void HitListWindow::SaveAs() {
  const QString path = QFileDialog::getSaveFileName(this, U("一覧の保存"), QString(),
                                                    U("ﾃｷｽﾄ (*.txt);;全てのﾌｧｲﾙ (*)"));
  if (!path.isEmpty()) SaveTo(path.toStdString());
}

void HitListWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void HitListWindow::closeEvent(QCloseEvent* event) {
  Stop();
  QWidget::closeEvent(event);
}

}  // namespace norra
