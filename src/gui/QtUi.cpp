// QtUi: message boxes and file dialogs as Qt shows them.
#include "gui/QtUi.h"

#include <algorithm>
#include <vector>

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>

namespace norra {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Buttons in the order a box of these flags shows them; the first is the default button.
QList<QMessageBox::StandardButton> ButtonsOf(unsigned flags) {
  switch (flags & kMbButtonsMask) {
    case MB_OKCANCEL:
      return {QMessageBox::Ok, QMessageBox::Cancel};
    case MB_YESNOCANCEL:
      return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case MB_YESNO:
      return {QMessageBox::Yes, QMessageBox::No};
    default:
      return {QMessageBox::Ok};
  }
}

QMessageBox::Icon IconOf(unsigned flags) {
  switch (flags & kMbIconMask) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// A type-list line for Qt: the description as the user reads it, the masks in parentheses
// (hidden again by HideNameFilterDetails). "*.*" means every file, as it does on Windows.
QString NameFilterOf(const FileFilter& filter) {
  QStringList masks;
  for (const QString& mask : FromUtf8(filter.pattern).split(u';', Qt::SkipEmptyParts)) {
    const QString trimmed = mask.trimmed();
    if (!trimmed.isEmpty())
      masks << (trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
  }
  if (masks.isEmpty()) masks << QStringLiteral("*");
  return FromUtf8(filter.description) + QStringLiteral(" (") + masks.join(u' ') + u')';
}

// The text cut so that, wrapped at `rowWidth` as the box wraps it, it takes at most `rows`
// rows: a line longer than three rows keeps its start and end around "…" (a path keeps its
// root and its file name), and when the lines still take too many rows, the first and last
// ones stay around a line "…". `cut` tells whether anything was left out.
QString FittedText(const QString& text, const QFontMetrics& metrics, int rowWidth, int rows,
                   bool& cut) {
  constexpr int kRowsOfALine = 3;
  cut = false;
  const QString ellipsis(QChar(0x2026));
  QStringList lines = text.split(u'\n');
  std::vector<int> rowsOf;
  for (QString& line : lines) {
    if (metrics.horizontalAdvance(line) > rowWidth * kRowsOfALine) {
      // A little less than the rows hold: wrapping loses part of each row.
      line = metrics.elidedText(line, Qt::ElideMiddle, rowWidth * kRowsOfALine * 9 / 10);
      cut = true;
    }
    rowsOf.push_back(std::max(1, (metrics.horizontalAdvance(line) + rowWidth - 1) / rowWidth));
  }
  int total = 0;
  for (int r : rowsOf) total += r;
  if (total <= rows) return lines.join(u'\n');
  // The first and last lines, as many as fit beside the line "…".
  cut = true;
  int room = std::max(2, rows - 1);
  qsizetype head = 0;
  qsizetype tail = lines.size();
  for (bool front = true; head < tail; front = !front) {
    const qsizetype at = front ? head : tail - 1;
    const int need = rowsOf[static_cast<std::size_t>(at)];
    if (need > room) break;
    room -= need;
    if (front) {
      ++head;
    } else {
      --tail;
    }
  }
  return (lines.mid(0, head) + QStringList{ellipsis} + lines.mid(tail)).join(u'\n');
}

}  // namespace

std::unique_ptr<QMessageBox> QtUi::BuildMessageBox(std::string_view text, unsigned flags,
                                                   std::string_view caption) const {
  auto box = std::make_unique<QMessageBox>(owner_.data());
  box->setTextFormat(Qt::PlainText);  // a path may hold "<"
  // A box taller than the screen puts its buttons out of reach: the text is cut to what fits
  // beside the icon and above the buttons, and the whole text, when cut, waits behind the
  // details button. The box wraps its text at about the screen's width less 480 pixels, at most
  // 1000 (Qt's own limit for message boxes).
  const QScreen* screen = owner_ != nullptr ? owner_->screen() : QGuiApplication::primaryScreen();
  const QSize available = screen != nullptr ? screen->availableGeometry().size() : QSize(800, 600);
  const int rowWidth = std::clamp(available.width() - 480, 200, 1000);
  const QFontMetrics metrics(box->font());
  const int rows = std::max(3, (available.height() - 240) / std::max(1, metrics.lineSpacing()));
  bool cut = false;
  const QString full = FromUtf8(text);
  box->setText(FittedText(full, metrics, rowWidth, rows, cut));
  if (cut) box->setDetailedText(full);
  box->setWindowTitle(FromUtf8(caption));
  box->setIcon(IconOf(flags));
  const QList<QMessageBox::StandardButton> buttons = ButtonsOf(flags);
  QMessageBox::StandardButtons all;
  for (QMessageBox::StandardButton button : buttons) all |= button;
  box->setStandardButtons(all);
  const qsizetype defaultIndex = (flags & MB_DEFBUTTON2) != 0 && buttons.size() > 1 ? 1 : 0;
  box->setDefaultButton(buttons[defaultIndex]);
  if (all & QMessageBox::Cancel) box->setEscapeButton(QMessageBox::Cancel);
  return box;
}

int QtUi::ButtonCode(int standardButton) {
  switch (standardButton) {
    case QMessageBox::Ok:
      return IDOK;
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    default:
      return IDCANCEL;
  }
}

int QtUi::ShowMessageBox(std::string_view text, unsigned flags, std::string_view caption) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    return kMessageBoxFailed;
  const std::unique_ptr<QMessageBox> box = BuildMessageBox(text, flags, caption);
  box->exec();
  const QMessageBox::StandardButton clicked = box->standardButton(box->clickedButton());
  if (clicked == QMessageBox::NoButton) {
    // Closed without a button: what the escape button would have said.
    return (flags & kMbButtonsMask) == MB_OK
               ? IDOK
               : ((flags & kMbButtonsMask) == MB_YESNO ? IDNO : IDCANCEL);
  }
  return ButtonCode(clicked);
}

void QtUi::ProcessPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

std::unique_ptr<QFileDialog> QtUi::BuildFileDialog(const FileDialogRequest& request,
                                                   bool save) const {
  auto dialog = std::make_unique<QFileDialog>(owner_.data(), FromUtf8(request.title));
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (save) {
    dialog->setFileMode(QFileDialog::AnyFile);
  } else if (request.multiSelect) {
    dialog->setFileMode(QFileDialog::ExistingFiles);
  } else {
    dialog->setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  }
  // The program asks about overwriting itself unless the request leaves it to the dialog.
  dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  dialog->setOption(QFileDialog::HideNameFilterDetails, true);
  QStringList filters;
  for (const FileFilter& filter : request.filters) filters << NameFilterOf(filter);
  if (!filters.isEmpty()) {
    dialog->setNameFilters(filters);
    const int index = std::clamp(request.filterIndex, 1, static_cast<int>(filters.size()));
    dialog->selectNameFilter(filters[index - 1]);
  }
  if (!request.initialFolder.empty()) dialog->setDirectory(FromUtf8(request.initialFolder));
  if (!request.fileName.empty()) dialog->selectFile(FromUtf8(request.fileName));
  return dialog;
}

FileDialogResult QtUi::DialogAnswer(const QFileDialog& dialog) {
  FileDialogResult result;
  result.accepted = true;
  for (const QString& file : dialog.selectedFiles())
    result.files.push_back(file.toUtf8().toStdString());
  // With the masks hidden, the dialog names the chosen filter by its description alone.
  const QString chosen = dialog.selectedNameFilter();
  const QStringList filters = dialog.nameFilters();
  for (qsizetype i = 0; i < filters.size(); ++i) {
    if (filters[i] == chosen ||
        filters[i].left(filters[i].lastIndexOf(QStringLiteral(" ("))) == chosen) {
      result.filterIndex = static_cast<int>(i) + 1;
      break;
    }
  }
  return result;
}

int QtUi::ShowChoice(std::string_view caption, std::string_view prompt, const std::vector<std::string>& items,
                     int current) {
  QStringList list;
  for (const std::string& item : items) list << QString::fromStdString(item);
  QInputDialog dialog(owner_);
  dialog.setObjectName(QStringLiteral("dlgChoice"));
  dialog.setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  dialog.setLabelText(QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size())));
  dialog.setComboBoxItems(list);
  dialog.setComboBoxEditable(false);
  if (current >= 0 && current < list.size()) dialog.setTextValue(list.at(current));
  if (dialog.exec() != QDialog::Accepted) return -1;
  return static_cast<int>(list.indexOf(dialog.textValue()));
}

FileDialogResult QtUi::ShowOpenDialog(const FileDialogRequest& request) {
  const std::unique_ptr<QFileDialog> dialog = BuildFileDialog(request, false);
  if (dialog->exec() != QDialog::Accepted) return {};
  return DialogAnswer(*dialog);
}

FileDialogResult QtUi::ShowSaveDialog(const FileDialogRequest& request) {
  const std::unique_ptr<QFileDialog> dialog = BuildFileDialog(request, true);
  if (dialog->exec() != QDialog::Accepted) return {};
  return DialogAnswer(*dialog);
}

ScreenExtent QtUi::Screen() const {
  const QScreen* screen = owner_ != nullptr ? owner_->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const QSize size = screen->geometry().size();
  return {size.width(), size.height()};
}

bool QtUi::InstallJapaneseTranslations() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  auto* translator = new QTranslator(app);
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace norra
