// HelpWindow: a QTextBrowser over the page LocateHelp chose.
#include "gui/HelpWindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "text/FileIo.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("frmHelp"));
  setWindowTitle(U("Norra - ﾍﾙﾌﾟ"));
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout();
  layout->addLayout(bar);
  const auto button = [this, bar](const char* name, const char* caption) {
    auto* b = new QPushButton(U(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    bar->addWidget(b);
    return b;
  };
  QPushButton* contents = button("cmdHelpContents", "目次(&C)");
  back_ = button("cmdHelpBack", "← 戻る(&B)");
  forward_ = button("cmdHelpForward", "進む(&F) →");
  bar->addSpacing(12);
  find_ = new QLineEdit(this);
  find_->setObjectName(QStringLiteral("txtHelpFind"));
  find_->setPlaceholderText(U("ﾍﾟｰｼﾞ内を検索 (Ctrl+F)"));
  bar->addWidget(find_, 1);
  QPushButton* next = button("cmdHelpFindNext", "次を検索(&N) F3");
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("lblHelpStatus"));
  bar->addWidget(status_);

  page_ = new QTextBrowser(this);
  page_->setObjectName(QStringLiteral("txtHelpPage"));
  // Links to other sites are the only thing handed to the desktop; the pages themselves
  // need nothing outside the program.
  page_->setOpenExternalLinks(true);
  layout->addWidget(page_, 1);

  connect(contents, &QPushButton::clicked, this, [this] {
    if (!helpFile_.empty()) ShowContents(helpFile_);
  });
  connect(back_, &QPushButton::clicked, page_, &QTextBrowser::backward);
  connect(forward_, &QPushButton::clicked, page_, &QTextBrowser::forward);
  connect(page_, &QTextBrowser::historyChanged, this, &HelpWindow::UpdateButtons);
  connect(next, &QPushButton::clicked, this, [this] { FindNext(find_->text()); });
  connect(find_, &QLineEdit::returnPressed, this, [this] { FindNext(find_->text()); });

  // Fits small screens: at most two thirds of the screen, never more than 1024 by 768.
  QSize size(760, 560);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    size = size.boundedTo(screen->availableGeometry().size() * 2 / 3);
  resize(size);
  UpdateButtons();
}

std::string HelpWindow::CopyFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
      .filePath(QStringLiteral("norra/help/text"))
      .toStdString();
}

bool HelpWindow::ShowContents(const std::string& helpFile) {
  const HelpLocation location = LocateHelp(helpFile, std::string_view(), CopyFolder());
  if (!Show(location)) return false;
  helpFile_ = helpFile;
  return true;
}

bool HelpWindow::SearchKeyword(const std::string& helpFile, const std::string& keyword) {
  const HelpLocation location = LocateHelp(helpFile, keyword, CopyFolder());
  if (!Show(location)) return false;
  helpFile_ = helpFile;
  return true;
}

bool HelpWindow::Show(const HelpLocation& location) {
  if (location.page.empty()) return false;
  if (!location.generatedPage.empty()) {
    QDir().mkpath(QString::fromStdString(FolderPart(location.page)));
    if (WriteFileAtomic(location.page, location.generatedPage) != FileError::None) return false;
  }
  QUrl url = QUrl::fromLocalFile(QString::fromStdString(location.page));
  if (!location.anchor.empty()) url.setFragment(QString::fromStdString(location.anchor));
  // The same page again (another topic in it) is still a step back and forth can retrace.
  page_->setSource(url);
  if (!location.anchor.empty()) page_->scrollToAnchor(url.fragment());
  status_->clear();
  if (!location.highlight.empty()) {
    // The hit is marked from the anchor's place: the top of the page as scrolled.
    QTextCursor from = page_->cursorForPosition(QPoint(0, 0));
    from.movePosition(QTextCursor::StartOfBlock);
    page_->setTextCursor(from);
    page_->find(QString::fromStdString(location.highlight));
  }
  show();
  raise();
  activateWindow();
  return true;
}

bool HelpWindow::FindNext(const QString& text) {
  if (text.isEmpty()) return false;
  bool found = page_->find(text);
  if (!found) {
    // From the top once more, as a find in a page does at its end.
    QTextCursor top = page_->textCursor();
    top.movePosition(QTextCursor::Start);
    page_->setTextCursor(top);
    found = page_->find(text);
  }
  status_->setText(found ? QString() : U("見つかりません"));
  return found;
}

void HelpWindow::UpdateButtons() {
  back_->setEnabled(page_->isBackwardAvailable());
  forward_->setEnabled(page_->isForwardAvailable());
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Find)) {
    find_->setFocus();
    find_->selectAll();
    return;
  }
  if (event->key() == Qt::Key_F3) {
    FindNext(find_->text());
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  if (event->modifiers() == Qt::AltModifier &&
      (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
    if (event->key() == Qt::Key_Left) page_->backward();
    else page_->forward();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace norra
