// TfrmNote: menus and toolbar built from the item table, the page list, the status bar, the MDI
// area.
#include "gui/MainWindowView.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTabBar>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/MainWindow.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "gui/PageWindow.h"
#include "gui/QtKeys.h"
#include "gui/ScintillaTextControl.h"

namespace norra {

namespace {

QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// "short|long": the tooltip shows the short part, the status bar the long one.
QString ShortHint(std::string_view hint) {
  return Q(hint.substr(0, hint.find('|')));
}
QString LongHint(std::string_view hint) {
  const std::size_t bar = hint.find('|');
  return Q(bar == std::string_view::npos ? hint : hint.substr(bar + 1));
}

// "[*]" in a title is Qt's placeholder for the modified mark; a file name may hold it.
QString LiteralTitle(const std::string& text) {
  return Q(text).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

}  // namespace

TfrmNote::TfrmNote(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("frmNote"));
  setWindowTitle(QStringLiteral("Norra"));
  resize(640, 480);
  setAcceptDrops(true);

  area_ = new QMdiArea(this);
  area_->setObjectName(QStringLiteral("MDIClient"));
  area_->setFrameShape(QFrame::NoFrame);  // no sunken edge
  area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Pages as tabs: a row of tabs over the Pages, hidden unless the option is on.
  tabs_ = new QTabBar(this);
  tabs_->setObjectName(QStringLiteral("tabPages"));
  tabs_->setTabsClosable(true);
  tabs_->setDocumentMode(true);
  tabs_->setExpanding(false);
  tabs_->setUsesScrollButtons(true);
  tabs_->setElideMode(Qt::ElideMiddle);
  tabs_->setFocusPolicy(Qt::NoFocus);
  tabs_->setVisible(false);
  connect(tabs_, &QTabBar::tabBarClicked, this, [this](int index) {
    if (!syncing_ && logic_ != nullptr && index >= 0) logic_->PageTabClicked(static_cast<std::size_t>(index));
  });
  connect(tabs_, &QTabBar::tabCloseRequested, this, [this](int index) {
    if (!syncing_ && logic_ != nullptr && index >= 0)
      logic_->PageTabCloseRequested(static_cast<std::size_t>(index));
  });
  auto* centre = new QWidget(this);
  centre->setObjectName(QStringLiteral("PageArea"));
  auto* column = new QVBoxLayout(centre);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(tabs_);
  column->addWidget(area_, 1);
  setCentralWidget(centre);
  connect(area_, &QMdiArea::subWindowActivated, this, &TfrmNote::SubWindowActivated);

  BuildActions();
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();

  watcher_ = new QFileSystemWatcher(this);
  watchCalm_ = new QTimer(this);
  watchCalm_->setSingleShot(true);
  watchCalm_->setInterval(200);
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
    if (!changedFiles_.contains(path)) changedFiles_.append(path);
    watchCalm_->start();
  });
  connect(watchCalm_, &QTimer::timeout, this, &TfrmNote::FilesCalm);

  // Key preview: the window sees the keys of its controls first.
  qApp->installEventFilter(this);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget*) {
    if (logic_ != nullptr) logic_->ActiveControlChanged();
  });
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
    if (logic_ != nullptr) logic_->ClipboardChanged();
  });
  // The idle hook: whenever the event loop has nothing left to do.
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TfrmNote::RunIdle);
  }
}

TfrmNote::~TfrmNote() {
  qApp->removeEventFilter(this);
  logic_ = nullptr;
  // QWidget's destructor still closes and hides the children; nothing may reach this object.
  for (QObject* sender : std::initializer_list<QObject*>{
           area_, tabs_, pageList_, pageList_->view()->selectionModel(), qApp, QApplication::clipboard(),
           QAbstractEventDispatcher::instance()}) {
    if (sender != nullptr) QObject::disconnect(sender, nullptr, this, nullptr);
  }
  for (auto& [page, window] : windows_) {
    if (window == nullptr) continue;
    QObject::disconnect(window, nullptr, this, nullptr);
    window->Detach();
  }
}

void TfrmNote::SetLogic(MainWindow* logic) {
  logic_ = logic;
  for (auto& [page, window] : windows_) {
    if (window != nullptr) window->SetLogic(logic);
  }
}

void TfrmNote::RunIdle() {
  if (logic_ == nullptr || inIdle_) return;
  inIdle_ = true;
  logic_->Idle();
  inIdle_ = false;
}

// ---- building ----

void TfrmNote::BuildActions() {
  for (const UiItemInfo& info : UiItems()) {
    auto* action = new QAction(this);
    action->setObjectName(Q(info.name));
    if (info.caption == "-") {
      action->setSeparator(true);
    } else {
      action->setText(Q(info.caption));
    }
    if (!info.shortcut.empty()) {
      action->setShortcut(QKeySequence(Q(info.shortcut), QKeySequence::PortableText));
      action->setShortcutContext(Qt::WindowShortcut);
    }
    action->setToolTip(ShortHint(info.hint));
    action->setStatusTip(LongHint(info.hint));
    const UiItem item = info.item;
    connect(action, &QAction::triggered, this, [this, item] {
      if (logic_ != nullptr) logic_->Execute(item);
    });
    actions_.at(static_cast<std::size_t>(item)) = action;
  }
  for (UiItem item : {UiItem::mnuWordWrap, UiItem::mnuWrapAtColumns, UiItem::mnuLineNumbers,
                      UiItem::mnuCaretLine, UiItem::mnuShowMarks, UiItem::mnuDispToolBar,
                      UiItem::mnuDispStatusBar}) {
    Action(item)->setCheckable(true);
  }
  // Toolbar buttons start as their menu items do before any Page exists.
  Action(UiItem::SaveBtn)->setEnabled(false);
  Action(UiItem::PrintBtn)->setEnabled(false);
}

QMenu* TfrmNote::AddMenu(const char* name, const char* caption, MenuKind kind,
                         std::initializer_list<UiItem> items) {
  QMenu* menu = menuBar()->addMenu(QString::fromUtf8(caption));
  menu->setObjectName(QString::fromUtf8(name));
  menu->menuAction()->setObjectName(QString::fromUtf8(name));
  for (UiItem item : items) menu->addAction(Action(item));
  connect(menu, &QMenu::aboutToShow, this, [this, kind] {
    if (logic_ != nullptr) logic_->MenuOpening(kind);
  });
  return menu;
}

void TfrmNote::BuildMenus() {
  menuBar()->setObjectName(QStringLiteral("MainMenu1"));
  using enum UiItem;
  QMenu* file = AddMenu("mnuFile", "ﾌｧｲﾙ(&F)", MenuKind::File,
                        {mnuMakeNewFile, mnuFileOpen, mnuCloseFile, mnuUpdateFile, mnuSaveAsFile});
  file->addSeparator();
  for (UiItem item : {mnuReopenEncoding, mnuSaveEncoding}) file->addAction(Action(item));
  file->addSeparator();
  for (UiItem item : {mnuUpdateAll, mnuSaveAsAll, mnuPrintAll, mnuReloadAll, mnuCloseAll})
    file->addAction(Action(item));
  file->addSeparator();
  file->addAction(Action(mnuRecentFiles));
  file->addAction(Action(mnuSetPrinter));
  file->addSeparator();
  file->addAction(Action(mnuExit));

  QMenu* edit = AddMenu("mnuEdit", "編集(&E)", MenuKind::Edit, {mnuUndo, mnuRedo});
  edit->addSeparator();
  for (UiItem item : {CutItem, CopyItem, PasteItem, mnuSelectAll}) edit->addAction(Action(item));
  edit->addSeparator();
  for (UiItem item : {mnuInsertFileName, mnuInsertDateTime, mnuClearUndoLog})
    edit->addAction(Action(item));
  edit->addSeparator();
  for (UiItem item : {mnuFind, mnuReplace, mnuFindSel, mnuReplaceSel, mnuFindNext})
    edit->addAction(Action(item));
  edit->addSeparator();
  edit->addAction(Action(mnuQuotationAll));
  edit->addAction(Action(mnuUndoDiskReplace));

  QMenu* display = AddMenu("mnuDisplay", "表示(&V)", MenuKind::Display,
                           {mnuJump, mnuBookmark, mnuJumpToBookmark});
  display->addSeparator();
  display->addAction(Action(mnuWordWrap));
  display->addAction(Action(mnuWrapAtColumns));
  display->addSeparator();
  for (UiItem item : {mnuLineNumbers, mnuCaretLine, mnuShowMarks}) display->addAction(Action(item));
  display->addSeparator();
  display->addAction(Action(mnuDispToolBar));
  display->addAction(Action(mnuDispStatusBar));

  QMenu* group = AddMenu("mnuGroup", "ｸﾞﾙｰﾌﾟ(&G)", MenuKind::Group,
                         {mnuMakeNewGroup, mnuOpenGroup, mnuAddChildToGroup, mnuSaveAsMemberList,
                          mnuGroupSeparator, mnuOpenGroup9, mnuOpenGroup8, mnuOpenGroup7,
                          mnuOpenGroup6, mnuOpenGroup5, mnuOpenGroup4, mnuOpenGroup3,
                          mnuOpenGroup2, mnuOpenGroup1});
  group->setSeparatorsCollapsible(true);  // no line under the commands without recent groups

  AddMenu("mnuTool", "ﾂｰﾙ(&T)", MenuKind::Tool, {mnuOption});
  AddMenu("mnuWindow", "ｳｲﾝﾄﾞｳ(&W)", MenuKind::Window,
          {mnuMaximizeChild, mnuTileChildrenV, mnuTileChildrenH, mnuCascadeChildren,
           mnuArrangeIcons, mnuMinimizeChildren, mnuMovePageSeparator, mnuMovePage, mnuSortCombo});
  QMenu* help = AddMenu("mnuHelp", "ﾍﾙﾌﾟ(&H)", MenuKind::Help, {mnuHelpContent});
  help->addSeparator();
  for (UiItem item : {mnuHelpContent2, mnuHelpKeyWord2, mnuChangeHelpFile2})
    help->addAction(Action(item));
  help->addSeparator();
  help->addAction(Action(HelpAboutItem));

  popup_ = new QMenu(this);
  popup_->setObjectName(QStringLiteral("PopupMenu"));
  for (UiItem item : {popCut, popCopy, popPaste}) popup_->addAction(Action(item));
  popup_->addSeparator();
  popup_->addAction(Action(popSelectAll));
  popup_->addSeparator();
  popup_->addAction(Action(popFind));
  popup_->addAction(Action(popReplace));
  popup_->addSeparator();
  popup_->addAction(Action(popHelpKeyWord2));
  connect(popup_, &QMenu::aboutToShow, this, [this] {
    if (logic_ != nullptr) logic_->MenuOpening(MenuKind::Popup);
  });
}

QToolButton* TfrmNote::AddButton(UiItem item, int icon) {
  auto* button = new QToolButton(speedPanel_);
  QAction* action = Action(item);
  action->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icon)));
  button->setDefaultAction(action);
  button->setObjectName(action->objectName());
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  speedPanel_->addWidget(button);
  return button;
}

void TfrmNote::BuildToolBar() {
  speedPanel_ = new QToolBar(this);
  speedPanel_->setObjectName(QStringLiteral("SpeedPanel"));
  speedPanel_->setMovable(false);
  speedPanel_->setFloatable(false);
  speedPanel_->setFixedHeight(30);
  speedPanel_->toggleViewAction()->setVisible(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  addToolBar(Qt::TopToolBarArea, speedPanel_);

  AddButton(UiItem::SpeedButton1, QStyle::SP_FileIcon);
  AddButton(UiItem::OpenBtn, QStyle::SP_DialogOpenButton);
  AddButton(UiItem::SaveBtn, QStyle::SP_DialogSaveButton);
  AddButton(UiItem::PrintBtn, QStyle::SP_FileDialogDetailedView);
  speedPanel_->addSeparator();
  auto* label = new QLabel(QStringLiteral("現在のﾌｧｲﾙ"), speedPanel_);
  label->setObjectName(QStringLiteral("Label1"));
  label->setContentsMargins(4, 0, 4, 0);
  speedPanel_->addWidget(label);

  pageList_ = new QComboBox(speedPanel_);
  pageList_->setObjectName(QStringLiteral("cboContents"));
  pageList_->setMaxVisibleItems(15);
  pageList_->setFocusPolicy(Qt::ClickFocus);  // no tab stop
  pageList_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  pageList_->setMinimumContentsLength(10);
  pageList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  // Its keys and focus reach eventFilter through the application's filter (once, and before
  // the list's own handling).
  speedPanel_->addWidget(pageList_);
  connect(pageList_, &QComboBox::activated, this, &TfrmNote::PageListActivated);
  connect(pageList_->view()->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            PageListCurrentChanged(current.row());
          });

  // The combo ends a little left of the three buttons on the right.
  auto* gap = new QWidget(speedPanel_);
  gap->setFixedWidth(4);
  speedPanel_->addWidget(gap);
  AddButton(UiItem::Help2Btn, QStyle::SP_DialogHelpButton);
  AddButton(UiItem::ChangeHelp2Btn, QStyle::SP_BrowserReload);
  AddButton(UiItem::FindBtn, QStyle::SP_FileDialogContentsView);
}

void TfrmNote::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(true);
  // The panels' least widths; they start empty (the logic fills them) and grow with their text.
  static constexpr std::array<int, StatusBar::kPanelCount> kWidths = {0, 75, 75, 75, 75, 100, 75, 90};
  // The characters stand beside the bytes.
  static constexpr std::array<std::size_t, StatusBar::kPanelCount> kOrder = {0, 1, 2, 6, 3, 4, 5, 7};
  for (std::size_t i : kOrder) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setContentsMargins(2, 0, 2, 0);
    if (i == 0) {
      bar->addWidget(panel, 1);
    } else {
      panel->setMinimumWidth(kWidths.at(i));
      if (i != 5) panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      bar->addPermanentWidget(panel);
    }
    panels_.at(i) = panel;
  }
}

// ---- Page windows ----

TfrmPage* TfrmNote::WindowOf(const Page& page) const {
  auto it = windows_.find(&page);
  return it == windows_.end() ? nullptr : it->second.data();
}

// A Page's editing widget and window are made when it is first shown: of a group of thousands
// opened at once, only the active one is seen, and a window costs far more than a small text.
std::unique_ptr<TextControl> TfrmNote::CreateTextControl() {
  return std::make_unique<ScintillaTextControl>(ScintillaTextControl::Deferred{});
}

void TfrmNote::CreatePageWindow(Page& page, const VisionSettings& vision) {
  if (dynamic_cast<ScintillaTextControl*>(&page.Control()) == nullptr)
    throw std::runtime_error("not a text control of this view");
  deferred_[&page] = &vision;
}

TfrmPage* TfrmNote::EnsureWindow(Page& page) {
  if (TfrmPage* window = WindowOf(page)) return window;
  auto pending = deferred_.find(&page);
  if (pending == deferred_.end()) return nullptr;
  const VisionSettings& vision = *pending->second;
  deferred_.erase(pending);
  auto* control = static_cast<ScintillaTextControl*>(&page.Control());
  if (control->CreateWidget() == nullptr) return nullptr;
  auto* window = new TfrmPage(page, *control, vision);
  window->setWindowTitle(LiteralTitle(page.DisplayName()));
  control->Widget()->SetContextMenu(popup_);
  window->SetLogic(logic_);
  windows_[&page] = window;
  // Only the user's changes reach the logic: a frame that re-arranges its children while it
  // adds, shows or removes one is no choice of the user.
  connect(window, &QMdiSubWindow::windowStateChanged, this,
          [this, window](Qt::WindowStates before, Qt::WindowStates now) {
            const int state = TfrmPage::StateOf(now);
            if (syncing_ || logic_ == nullptr || state == TfrmPage::StateOf(before)) return;
            logic_->PageWindowStateChanged(window->GetPage(), state);
          });
  const bool wasSyncing = syncing_;
  syncing_ = true;
  area_->addSubWindow(window);
  syncing_ = wasSyncing;
  return window;
}

void TfrmNote::ShowDeferredWindows() {
  if (deferred_.empty() || logic_ == nullptr) return;
  const bool wasSyncing = syncing_;
  syncing_ = true;
  QMdiSubWindow* active = area_->activeSubWindow();
  // Oldest window at the bottom, as they would have been stacked had each been shown at once.
  const std::vector<Page*>& order = logic_->Docs().WindowOrder();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    if (!deferred_.contains(*it)) continue;
    if (TfrmPage* window = EnsureWindow(**it)) window->showNormal();
  }
  if (active != nullptr) area_->setActiveSubWindow(active);
  syncing_ = wasSyncing;
}

void TfrmNote::SetPageCaption(Page& page, const std::string& caption) {
  if (TfrmPage* window = WindowOf(page)) window->setWindowTitle(LiteralTitle(caption));
}

void TfrmNote::StylePageWindow(Page& page, const VisionSettings& vision) {
  if (TfrmPage* window = WindowOf(page)) window->Style(vision);
}

void TfrmNote::ShowPage(Page& page) {
  TfrmPage* window = EnsureWindow(page);
  if (window == nullptr) return;
  const bool wasSyncing = syncing_;
  syncing_ = true;
  if (pageList_->hasFocus()) pageList_->clearFocus();
  // A window already shown keeps being minimized; otherwise it takes the Page's state.
  const int shown = TfrmPage::StateOf(window->windowState());
  if (!window->isVisible() || (page.WindowState() != shown && shown != kPageMinimized)) {
    switch (page.WindowState()) {
      case kPageMaximized:
        window->showMaximized();
        break;
      case kPageMinimized:
        window->showMinimized();
        break;
      default:
        window->showNormal();
        break;
    }
  }
  area_->setActiveSubWindow(window);
  if (ScintillaEditor* editor = window->Control().Widget()) editor->setFocus(Qt::OtherFocusReason);
  syncing_ = wasSyncing;
}

void TfrmNote::DestroyPageWindow(Page& page) {
  deferred_.erase(&page);
  auto it = windows_.find(&page);
  if (it == windows_.end()) return;
  QPointer<TfrmPage> window = it->second;
  windows_.erase(it);
  if (window == nullptr) return;
  window->Detach();
  const bool wasSyncing = syncing_;
  syncing_ = true;
  // Later, not now: the request may come from inside an event of this very window.
  window->hide();
  area_->removeSubWindow(window);
  window->deleteLater();
  syncing_ = wasSyncing;
}

void TfrmNote::FocusPage(Page& page) {
  TfrmPage* window = WindowOf(page);
  if (window == nullptr) return;
  window->setFocus(Qt::OtherFocusReason);
  if (ScintillaEditor* editor = window->Control().Widget()) editor->setFocus(Qt::OtherFocusReason);
}

void TfrmNote::SetImeMode(Page& page, int mode) {
  TfrmPage* window = WindowOf(page);
  ScintillaEditor* editor = window != nullptr ? window->Control().Widget() : nullptr;
  if (editor == nullptr || mode == MainWindow::kImeDontCare) return;
  // Only a hint: input methods here choose their own mode. Disabled, closed and the alphabet
  // modes ask for Latin input; the kana modes leave the input method free.
  switch (mode) {
    case 0: editor->setInputMethodHints(Qt::ImhLatinOnly); break;
    case 1:
    case 4:
    case 5: editor->setInputMethodHints(Qt::ImhPreferLatin); break;
    default: editor->setInputMethodHints(Qt::ImhNone); break;
  }
}

void TfrmNote::RelayoutPage(Page& page) {
  if (TfrmPage* window = WindowOf(page)) window->Relayout();
}

void TfrmNote::MaximizePage(Page& page) {
  if (TfrmPage* window = WindowOf(page)) window->showMaximized();
}

std::vector<QMdiSubWindow*> TfrmNote::WindowsTopFirst() const {
  QList<QMdiSubWindow*> list = area_->subWindowList(QMdiArea::StackingOrder);
  std::vector<QMdiSubWindow*> windows(list.rbegin(), list.rend());
  std::erase_if(windows, [](QMdiSubWindow* w) { return !w->isVisible(); });
  return windows;
}

QRect TfrmNote::Room() const {
  const QList<QMdiSubWindow*> all = area_->subWindowList();
  const bool anyMinimized =
      std::any_of(all.begin(), all.end(), [](QMdiSubWindow* w) { return w->isVisible() && w->isMinimized(); });
  QRect room = area_->viewport()->rect();
  // Minimized Pages keep a row at the bottom.
  if (anyMinimized)
    room.setHeight(std::max(1, room.height() - area_->fontMetrics().height() * 2 - 8));
  return room;
}

void TfrmNote::Cascade() {
  std::vector<QMdiSubWindow*> windows = WindowsTopFirst();
  std::erase_if(windows, [](QMdiSubWindow* w) { return w->isMinimized(); });
  if (windows.empty()) return;
  const QRect room = Room();
  QStyleOptionTitleBar option;
  option.initFrom(windows.front());
  const int step = std::max(8, style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, windows.front()));
  // Each window fills the area but for the steps of the others; with many, the steps start
  // over so that no window gets smaller than half the area.
  const int count = static_cast<int>(windows.size());
  const int fit = std::max(1, std::min(room.width(), room.height()) / 2 / step + 1);
  const int steps = std::min(count, fit);
  const QSize size(std::max(1, room.width() - step * (steps - 1)), std::max(1, room.height() - step * (steps - 1)));
  // The bottom window at the top left, the active one last and furthest in.
  for (int k = 0; k < count; ++k) {
    QMdiSubWindow* w = windows.at(static_cast<std::size_t>(count - 1 - k));
    if (w->isMaximized()) w->showNormal();
    const int offset = (k % steps) * step;
    w->setGeometry(QRect(room.topLeft() + QPoint(offset, offset), size));
  }
}

void TfrmNote::Tile(bool vertical) {
  std::vector<QMdiSubWindow*> windows = WindowsTopFirst();
  std::erase_if(windows, [](QMdiSubWindow* w) { return w->isMinimized(); });
  if (windows.empty()) return;
  const QRect room = Room();
  const int count = static_cast<int>(windows.size());
  for (int i = 0; i < count; ++i) {
    QMdiSubWindow* w = windows.at(static_cast<std::size_t>(i));
    if (w->isMaximized()) w->showNormal();
    QRect cell;
    if (vertical) {
      const int top = room.height() * i / count;
      cell = QRect(0, top, room.width(), room.height() * (i + 1) / count - top);
    } else {
      const int left = room.width() * i / count;
      cell = QRect(left, 0, room.width() * (i + 1) / count - left, room.height());
    }
    w->setGeometry(cell);
  }
}

void TfrmNote::ArrangeIcons() {
  int x = 0;
  const int bottom = area_->viewport()->height();
  for (QMdiSubWindow* w : area_->subWindowList(QMdiArea::CreationOrder)) {
    if (!w->isVisible() || !w->isMinimized()) continue;
    const QSize size = w->size();
    if (x > 0 && x + size.width() > area_->viewport()->width()) x = 0;
    w->move(x, bottom - size.height());
    x += size.width();
  }
}

void TfrmNote::ArrangePages(PageArrangement how) {
  if (how != PageArrangement::ArrangeIcons) ShowDeferredWindows();
  std::vector<ScintillaTextControl*> controls;
  for (auto& [page, window] : windows_) {
    if (window != nullptr) controls.push_back(&window->Control());
  }
  for (ScintillaTextControl* control : controls) control->SuspendPainting();
  switch (how) {
    case PageArrangement::TileVertical:
      Tile(true);
      break;
    case PageArrangement::TileHorizontal:
      Tile(false);
      break;
    case PageArrangement::Cascade:
      Cascade();
      break;
    case PageArrangement::ArrangeIcons:
      ArrangeIcons();
      break;
    case PageArrangement::MinimizeAll: {
      QList<QMdiSubWindow*> list = area_->subWindowList(QMdiArea::CreationOrder);
      for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if ((*it)->isVisible()) (*it)->showMinimized();
      }
      ArrangeIcons();
      break;
    }
  }
  for (ScintillaTextControl* control : controls) control->ResumePainting();
}

void TfrmNote::SubWindowActivated(QMdiSubWindow* window) {
  if (syncing_ || logic_ == nullptr || window == nullptr) return;
  if (auto* page = qobject_cast<TfrmPage*>(window)) logic_->PageWindowActivated(page->GetPage());
}

// ---- the page list ----

void TfrmNote::SetPageList(const std::vector<std::string>& entries, std::size_t selected) {
  const QSignalBlocker blocker(pageList_);
  const QSignalBlocker viewBlocker(pageList_->view()->selectionModel());
  bool same = static_cast<std::size_t>(pageList_->count()) == entries.size();
  for (std::size_t i = 0; same && i < entries.size(); ++i) {
    same = pageList_->itemText(static_cast<int>(i)) == Q(entries[i]);
  }
  if (!same) {
    pageList_->clear();
    for (const std::string& entry : entries) pageList_->addItem(Q(entry));
  }
  pageList_->setCurrentIndex(selected < entries.size() ? static_cast<int>(selected) : -1);
}

void TfrmNote::SetPageListSelection(std::size_t index) {
  const QSignalBlocker blocker(pageList_);
  const QSignalBlocker viewBlocker(pageList_->view()->selectionModel());
  pageList_->setCurrentIndex(
      index < static_cast<std::size_t>(pageList_->count()) ? static_cast<int>(index) : -1);
}

void TfrmNote::DropDownPageList(std::size_t selected) {
  activateWindow();
  pageList_->setFocus(Qt::OtherFocusReason);
  SetPageListSelection(selected);
  pageListKeyDown_ = false;
  {
    const QSignalBlocker viewBlocker(pageList_->view()->selectionModel());
    pageList_->showPopup();
  }
}

void TfrmNote::SetPageListEnabled(bool on) {
  pageList_->setEnabled(on);
}

bool TfrmNote::PageListHasFocus() const {
  return pageList_->hasFocus() || (pageList_->view() != nullptr && pageList_->view()->isVisible());
}

// A choice by mouse, or a key moving the closed list's entry; the logic tells them apart by
// the key it was told of.
void TfrmNote::PageListActivated(int index) {
  if (syncing_ || logic_ == nullptr || index < 0) return;
  logic_->PageListSelectionChanged(static_cast<std::size_t>(index));
}

// The highlighted entry of the dropped-down list moves with the keys (the mouse only hovers).
void TfrmNote::PageListCurrentChanged(int row) {
  if (syncing_ || logic_ == nullptr || row < 0 || !pageListKeyDown_) return;
  logic_->PageListSelectionChanged(static_cast<std::size_t>(row));
}

// ---- Pages as tabs ----

void TfrmNote::SetPageTabsVisible(bool on) {
  tabs_->setVisible(on);
}

void TfrmNote::SetPageTabs(const std::vector<PageTab>& tabs, std::size_t selected) {
  const bool wasSyncing = syncing_;
  syncing_ = true;
  const QSignalBlocker blocker(tabs_);
  const int count = static_cast<int>(tabs.size());
  while (tabs_->count() > count) tabs_->removeTab(tabs_->count() - 1);
  while (tabs_->count() < count) tabs_->addTab(QString());
  for (int i = 0; i < count; ++i) {
    const PageTab& tab = tabs.at(static_cast<std::size_t>(i));
    // "&" in a file name is a character, not a shortcut.
    tabs_->setTabText(i, Q(tab.caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
    tabs_->setTabToolTip(i, Q(tab.tip));
  }
  syncing_ = wasSyncing;
  SetPageTabSelection(selected);
}

void TfrmNote::SetPageTabSelection(std::size_t selected) {
  const QSignalBlocker blocker(tabs_);
  if (selected < static_cast<std::size_t>(tabs_->count())) tabs_->setCurrentIndex(static_cast<int>(selected));
}

// ---- texts ----

void TfrmNote::SetStatusText(int panel, const std::string& text) {
  if (panel < 0 || panel >= static_cast<int>(panels_.size())) return;
  QLabel* label = panels_.at(static_cast<std::size_t>(panel));
  label->setText(Q(text));
  // A number never loses digits: a panel grows to its text, and does not shrink back, so
  // the panels do not jump while the user types.
  if (panel > 0) label->setMinimumWidth(std::max(label->minimumWidth(), label->sizeHint().width()));
}

void TfrmNote::SetCaption(const std::string& caption) {
  caption_ = LiteralTitle(caption);
  setWindowTitle(caption_);
}

void TfrmNote::SetApplicationHelpFile(const std::string& path) {
  helpFile_ = path;
}

// ---- items ----

void TfrmNote::SetItemEnabled(UiItem item, bool on) {
  Action(item)->setEnabled(on);
}

void TfrmNote::SetItemChecked(UiItem item, bool on) {
  QAction* action = Action(item);
  action->setCheckable(true);
  const QSignalBlocker blocker(action);
  action->setChecked(on);
}

void TfrmNote::SetItemVisible(UiItem item, bool on) {
  Action(item)->setVisible(on);
}

void TfrmNote::SetItemCaption(UiItem item, const std::string& caption) {
  Action(item)->setText(Q(caption));
}

void TfrmNote::SetItemHint(UiItem item, const std::string& hint) {
  Action(item)->setToolTip(ShortHint(hint));
  Action(item)->setStatusTip(LongHint(hint));
}

void TfrmNote::SetToolBarVisible(bool on) {
  speedPanel_->setVisible(on);
}

void TfrmNote::SetStatusBarVisible(bool on) {
  statusBar()->setVisible(on);
}

// ---- the window ----

void TfrmNote::SetPainting(bool on, bool bars) {
  area_->setUpdatesEnabled(on);
  if (bars || on) {
    statusBar()->setUpdatesEnabled(on);
    speedPanel_->setUpdatesEnabled(on);
  }
}

void TfrmNote::RequestRepaint() {
  update();
}

WindowPlacement TfrmNote::Placement() const {
  WindowPlacement placement;
  // The frame's position and the client's size, as SetPlacement takes them (move and resize).
  const bool normal = !isMaximized() && !isMinimized();
  const QPoint topLeft = normal ? pos() : normalGeometry().topLeft();
  const QSize size = normal ? this->size() : normalGeometry().size();
  placement.top = topLeft.y();
  placement.left = topLeft.x();
  placement.width = size.width();
  placement.height = size.height();
  placement.state = isMaximized() ? kPageMaximized : isMinimized() ? kPageMinimized : kPageNormal;
  return placement;
}

void TfrmNote::SetPlacement(const WindowPlacement& placement) {
  move(placement.left, placement.top);
  resize(placement.width, placement.height);
}

void TfrmNote::SetWindowState(int state) {
  switch (state) {
    case kPageMaximized:
      setWindowState(windowState() | Qt::WindowMaximized);
      break;
    case kPageMinimized:
      setWindowState(windowState() | Qt::WindowMinimized);
      break;
    default:
      setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
      break;
  }
}

bool TfrmNote::IsVisible() const {
  return isVisible();
}

void TfrmNote::Show() {
  show();
}

void TfrmNote::Hide() {
  hide();
}

void TfrmNote::BringToFront() {
  raise();
  activateWindow();
}

void TfrmNote::NudgeHeight() {
  const QSize size = this->size();
  resize(size.width(), size.height() - 1);
  resize(size);
}

void TfrmNote::RequestClose() {
  close();
}

// ---- events ----

bool TfrmNote::event(QEvent* event) {
  // Hints go to panel 0 through the logic, not into a status message over the panels.
  if (event->type() == QEvent::StatusTip) {
    if (logic_ != nullptr)
      logic_->ShowHint(static_cast<QStatusTipEvent*>(event)->tip().toStdString());
    return true;
  }
  return QMainWindow::event(event);
}

bool TfrmNote::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (logic_ == nullptr || (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
                            type != QEvent::ShortcutOverride && type != QEvent::FocusIn)) {
    return QMainWindow::eventFilter(watched, event);
  }
  const bool inPageList = watched == pageList_ || watched == pageList_->view();
  if (type == QEvent::FocusIn) {
    // The list's own popup giving the focus back is no new focus of the list.
    if (watched == pageList_ && !syncing_ &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
      pageListKeyDown_ = false;
      logic_->PageListFocused();
    }
    return QMainWindow::eventFilter(watched, event);
  }
  auto* key = static_cast<QKeyEvent*>(event);
  if (inPageList) {
    // A key goes down with its shortcut check, which the open list already takes Enter and
    // Esc on (closing itself and choosing): the logic must know of the key before that.
    if (type == QEvent::KeyPress || type == QEvent::ShortcutOverride) {
      pageListKeyDown_ = true;
      logic_->PageListKeyDown(KeyCodeOf(key->key()));
    } else if (!key->isAutoRepeat()) {
      pageListKeyDown_ = false;
      logic_->PageListKeyUp(KeyCodeOf(key->key()),
                            static_cast<std::size_t>(std::max(0, pageList_->currentIndex())));
    }
    return QMainWindow::eventFilter(watched, event);
  }
  // Key preview for the widgets of this window.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (type == QEvent::KeyPress && widget != nullptr && widget->window() == this &&
      key->key() == Qt::Key_Escape) {
    if (logic_->KeyDown(kKeyEscape, ShiftOf(key->modifiers()))) return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfrmNote::closeEvent(QCloseEvent* event) {
  if (logic_ != nullptr && !logic_->CloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
}

void TfrmNote::WatchFiles(const std::vector<std::string>& paths) {
  QSet<QString> wanted;
  for (const std::string& path : paths) wanted.insert(QString::fromStdString(path));
  QStringList gone;
  QSet<QString> watched;
  for (const QString& path : watcher_->files()) {
    if (!wanted.contains(path)) gone.append(path);
    watched.insert(path);
  }
  if (!gone.isEmpty()) watcher_->removePaths(gone);
  QStringList added;
  for (const QString& path : wanted)
    if (!watched.contains(path)) added.append(path);
  if (!added.isEmpty()) watcher_->addPaths(added);  // a file that is not there is not watched
}

void TfrmNote::FilesCalm() {
  const QStringList changed = std::exchange(changedFiles_, {});
  // A file replaced under its name (as most programs save) leaves the watch: followed again.
  const QStringList watched = watcher_->files();
  for (const QString& path : changed)
    if (!watched.contains(path) && QFileInfo::exists(path)) watcher_->addPath(path);
  if (logic_ == nullptr) return;
  for (const QString& path : changed) logic_->FileChangedOnDisk(path.toStdString());
}

void TfrmNote::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // A maximized MDI child writes its own caption into the frame's title, from a copy that
  // goes stale; the logic's caption, which names the active Page, is the only one.
  if (event->type() == QEvent::WindowTitleChange && windowTitle() != caption_) {
    setWindowTitle(caption_);
    return;
  }
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && logic_ != nullptr &&
      !syncing_) {
    logic_->Activated();
  }
}

namespace {

std::vector<std::string> LocalFiles(const QMimeData* mime) {
  std::vector<std::string> paths;
  if (mime == nullptr || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  }
  return paths;
}

}  // namespace

void TfrmNote::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).empty()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TfrmNote::dragMoveEvent(QDragMoveEvent* event) {
  if (!LocalFiles(event->mimeData()).empty()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TfrmNote::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = LocalFiles(event->mimeData());
  if (paths.empty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  if (logic_ != nullptr) logic_->FilesDropped(paths);
}

}  // namespace norra
