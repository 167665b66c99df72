// Qt Test of print-all: two Pages printed from the file-list dialog into a PDF file whose pages
// and text match what the recording printer received, a cancel in the middle of a run, a PDF
// file that cannot be written, a font that does not exist, and a preview that prints nothing.
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <memory>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "engine/TagTable.h"
#include "groups/FileListDialog.h"
#include "gui/FileListDialogWindow.h"
#include "gui/NorraApp.h"
#include "gui/QtPrinterDevice.h"
#include "platform/FixedClock.h"
#include "platform/MemoryPrinter.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "printing/PrintJob.h"
#include "settings/Settings.h"
#include "text/Encoding.h"

using namespace norra;
using C = FileListControl;

namespace {

class MemoryHost : public DocumentsHost {
 public:
  std::unique_ptr<TextControl> CreateTextControl() override {
    return std::make_unique<MemoryTextControl>();
  }
};

QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// Two open Pages (a.txt with Japanese text, b.txt), the print job on the Qt printer writing
// out.pdf, and the same Pages' print job on the recording printer.
class World {
 public:
  World()
      : settings(BuiltTags(tags_), folder_.filePath(QStringLiteral("Norra.ini")).toStdString(),
                 folder_.path().toStdString(), ScreenSize{1920, 1080}),
        log_(ui),
        docs(settings, log_, ui, host_),
        job(device, ui, clock),
        recordJob(recorder, ui, clock) {
    std::string a = "日本語の一行目\r\n";
    for (int i = 2; i <= 40; ++i) a += "line " + std::to_string(i) + " ｶﾅ\r\n";
    Open("b.txt", "second file\r\nlast line");
    Open("a.txt", a.c_str());
    // Few enough lines and columns for both printers: their pagination is the same.
    settings.Print.LinePerPage = 25;
    settings.Print.ColumnsPerLine = 60;
    settings.Print.HeadLine = "[filename] [pageindex[1]]/[pagecount[0]]";
    settings.Print.FootLine = "部[copyindex[1]]";
    device.SetPdfPath(Pdf().toStdString());
  }

  void Open(const char* name, const char* utf8) {
    const QString path = folder_.filePath(QString::fromLatin1(name));
    std::ofstream(path.toStdString(), std::ios::binary) << Utf8ToCp932(utf8);
    docs.OpenPage(path.toStdString(), true);
  }
  FileListDialogContext Context() {
    FileListDialogContext context{docs, settings, log_, ui, host_, nullptr, nullptr, nullptr};
    context.printJob = &job;
    return context;
  }
  QString Pdf() const { return folder_.filePath(QStringLiteral("out.pdf")); }
  QString Path(const char* name) const { return folder_.filePath(QString::fromLatin1(name)); }
  QStringList Files() const { return QDir(folder_.path()).entryList(QDir::Files, QDir::Name); }

  // The recording printer's run over the same Pages, order and copies.
  void Record(int copies) {
    recordJob.TakeSettings(settings);
    recordJob.Parameters().copies = copies;
    recordJob.Parameters().order = PrintJob::OrderFromSetting(settings.Print.PrintOrder);
    recordJob.SetSources(job.Sources());
    ui.QueueAnswer(IDOK);
    QVERIFY(recordJob.Run());
  }

  MemoryUi ui;
  FixedClock clock;

 private:
  static TagTable& BuiltTags(TagTable& tags) {
    tags.Build();
    return tags;
  }
  QTemporaryDir folder_;
  TagTable tags_;
  MemoryHost host_;

 public:
  Settings settings;

 private:
  UndoLog log_;

 public:
  Documents docs;
  QtPrinterDevice device;
  PrintJob job;
  MemoryPrinter recorder;
  PrintJob recordJob;
};

void Show(FileListDialogWindow& window, FileListDialog& dialog) {
  dialog.AttachView(&window);
  dialog.Showing();
  window.Present(dialog);
}

// The text pdftotext finds on one page, as trimmed non-empty lines.
QStringList PdfPageLines(const QString& pdf, int page) {
  QProcess run;
  run.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
             QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
  run.waitForFinished(30000);
  QStringList lines;
  for (const QString& line :
       QString::fromUtf8(run.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    const QString trimmed = line.trimmed().remove(QLatin1Char('\f'));
    if (!trimmed.isEmpty()) lines << trimmed;
  }
  return lines;
}

int PdfPageCount(const QString& pdf) {
  QProcess run;
  run.start(QStringLiteral("pdfinfo"), {pdf});
  run.waitForFinished(30000);
  for (const QString& line :
       QString::fromUtf8(run.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    if (line.startsWith(QStringLiteral("Pages:"))) return line.mid(6).trimmed().toInt();
  }
  return -1;
}

// What the recording printer put on a sheet, as the same trimmed non-empty lines.
QStringList RecordedLines(const PrintedSheet& sheet) {
  QStringList lines;
  const auto add = [&lines](const std::vector<PrintedText>& texts) {
    for (const PrintedText& text : texts) {
      const QString line = QString::fromStdString(text.text).trimmed();
      if (!line.isEmpty()) lines << line;
    }
  };
  add(sheet.header);
  add(sheet.lines);
  add(sheet.footer);
  return lines;
}

void SelectAllRows(FileListDialogWindow& window) {
  QTest::mouseClick(window.Widget(C::cmdSelectAll), Qt::LeftButton);
}

void TypeCopies(FileListDialogWindow& window, const QString& copies) {
  auto* box = static_cast<QLineEdit*>(window.Widget(C::txtCopyCount));
  box->selectAll();
  QTest::keyClicks(box, copies);
}

}  // namespace

class PrintAllWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    NorraApp::InstallFontSubstitutes();
    qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toLocal8Bit() + "/norra-print-test-runtime");
  }

  void twoPagesPrintToAPdfThatMatchesTheRecorder() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
      QSKIP("pdftotext and pdfinfo (poppler-utils) are needed to read the PDF back");
    }
    World world;
    FileListDialogWindow window;
    FileListDialog dialog(world.Context(), ListDialogMode::PrintAll);
    Show(window, dialog);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblPrinterName"))->text(),
             Q("ﾌﾟﾘﾝﾀ名 : PDF file"));
    SelectAllRows(window);
    TypeCopies(window, QStringLiteral("2"));
    QTest::mouseClick(window.findChild<QRadioButton*>(QStringLiteral("optPrintByCopy")),
                      Qt::LeftButton);
    QTest::mouseClick(window.Widget(C::cmdDo), Qt::LeftButton);

    QCOMPARE(dialog.DialogResult(), static_cast<int>(kListDialogDone));
    QVERIFY(QFileInfo(world.Pdf()).isFile());
    // a.txt: 40 lines at 25 a page = 2 pages, b.txt 1; two copies.
    QCOMPARE(world.ui.Boxes().front().text,
             std::string("印刷に必要な用紙枚数 : 6\n\n印刷を開始します"));
    QCOMPARE(world.settings.Print.Copies, 2);
    QCOMPARE(world.settings.Print.PrintOrder, 3);
    world.Record(2);
    const std::vector<PrintedSheet>& sheets = world.recorder.Sheets();
    QCOMPARE(PdfPageCount(world.Pdf()), static_cast<int>(sheets.size()));
    for (std::size_t i = 0; i < sheets.size(); ++i)
      QCOMPARE(PdfPageLines(world.Pdf(), static_cast<int>(i) + 1), RecordedLines(sheets[i]));
    QVERIFY(PdfPageLines(world.Pdf(), 1).contains(Q("日本語の一行目")));
    QCOMPARE(PdfPageLines(world.Pdf(), 3).first(), Q("b.txt 3/6"));
    QCOMPARE(world.Files(), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"),
                                         QStringLiteral("out.pdf")}));
    window.Detach();
  }

  void cancellingInTheMiddleLeavesNoPdf() {
    World world;
    FileListDialogWindow window;
    FileListDialog dialog(world.Context(), ListDialogMode::PrintAll);
    Show(window, dialog);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    SelectAllRows(window);
    TypeCopies(window, QStringLiteral("3"));
    QString duringCaption;
    world.ui.SetOnProcessEvents([&] {
      if (!world.job.Running() || world.job.SheetsSent() != 2) return;
      duringCaption = static_cast<QPushButton*>(window.Widget(C::cmdDo))->text();
      QVERIFY(!window.Widget(C::cmdCancel)->isEnabled());
      QTest::mouseClick(window.Widget(C::cmdDo), Qt::LeftButton);
    });
    QTest::mouseClick(window.Widget(C::cmdDo), Qt::LeftButton);
    QCOMPARE(duringCaption, Q("印刷中止(&P)"));
    QCOMPARE(world.ui.LastBox().text, std::string("印刷処理は中断されました"));
    QCOMPARE(world.job.SheetsSent(), std::int64_t{2});
    QVERIFY(!dialog.Closed());
    QCOMPARE(dialog.DialogResult(), static_cast<int>(kListDialogCancelled));
    QCOMPARE(static_cast<QPushButton*>(window.Widget(C::cmdDo))->text(), Q("印刷(&P)"));
    QVERIFY(window.Widget(C::cmdCancel)->isEnabled());
    // Neither the PDF nor a temporary file of it is left.
    QCOMPARE(world.Files(), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    window.Detach();
  }

  void aPdfInAFolderThatCannotBeWrittenIsReported() {
    World world;
    // The "folder" is a regular file: no file can be made in it, whoever runs the test.
    world.device.SetPdfPath((world.Path("a.txt") + QStringLiteral("/out.pdf")).toStdString());
    FileListDialogWindow window;
    FileListDialog dialog(world.Context(), ListDialogMode::PrintAll);
    Show(window, dialog);
    SelectAllRows(window);
    QTest::mouseClick(window.Widget(C::cmdDo), Qt::LeftButton);
    QCOMPARE(world.ui.Boxes().size(), std::size_t{2});  // the sheet count, then the failure
    const MessageBoxRecord& box = world.ui.LastBox();
    QVERIFY(QString::fromStdString(box.text).startsWith(Q("ﾌﾟﾘﾝﾀｰへｱｸｾｽできません")));
    QVERIFY(QString::fromStdString(box.text).contains(QStringLiteral("out.pdf")));
    QCOMPARE(box.flags, MB_OK | MB_ICONERROR);
    QVERIFY(!dialog.Closed());
    QCOMPARE(world.job.SheetsSent(), std::int64_t{0});
    QCOMPARE(world.Files(), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    window.Detach();
  }

  void aPdfPathAskedForThatCannotBeWrittenIsAskedForAgain() {
    World world;
    QtPrinterDevice device;
    device.SelectPrinter(QtPrinterDevice::kPdfPrinterName);
    device.SetPdfPath(std::string());
    int asked = 0;
    const QString bad = world.Path("a.txt") + QStringLiteral("/out.pdf");
    const QString good = world.Path("good.pdf");
    device.SetAskPdfPath([&](const std::string&) { return (++asked == 1 ? bad : good).toStdString(); });
    QVERIFY(!device.BeginDocument("Norra"));
    QCOMPARE(asked, 1);
    // The next run lets the user pick another file instead of failing on the same one.
    QVERIFY(device.BeginDocument("Norra"));
    QCOMPARE(asked, 2);
    QVERIFY(device.EndDocument());
    QVERIFY(QFileInfo(good).size() > 0);
  }

  void aFontThatDoesNotExistPrintsInTheSubstitute() {
    World world;
    world.settings.Print.PrintFontName = "No Such Font Norra 12345";
    FileListDialogWindow window;
    FileListDialog dialog(world.Context(), ListDialogMode::PrintAll);
    Show(window, dialog);
    SelectAllRows(window);
    QTest::mouseClick(window.Widget(C::cmdDo), Qt::LeftButton);
    QCOMPARE(dialog.DialogResult(), static_cast<int>(kListDialogDone));
    QVERIFY(QFileInfo(world.Pdf()).size() > 0);
    QVERIFY(world.job.Layout().lineHeight > 0);
    QVERIFY(world.job.Layout().columnsPerLine >= 2);
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
      QVERIFY(PdfPageLines(world.Pdf(), 1).contains(Q("日本語の一行目")));
    window.Detach();
  }

  void thePreviewPrintsNothingUntilConfirmed() {
    World world;
    FileListDialogWindow window;
    FileListDialog dialog(world.Context(), ListDialogMode::PrintAll);
    Show(window, dialog);
    SelectAllRows(window);
    bool previewShown = false;
    QTimer::singleShot(0, &window, [&] {
      auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
      previewShown = preview != nullptr;
      if (preview != nullptr) preview->reject();
    });
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdPreview")), Qt::LeftButton);
    QVERIFY(previewShown);
    QVERIFY(world.job.SheetsSent() > 0);  // drawn for the preview
    QVERIFY(world.ui.Boxes().empty());    // no sheet-count question
    QVERIFY(!dialog.Closed());
    QCOMPARE(world.Files(), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    window.Detach();
  }
};

QTEST_MAIN(PrintAllWindowTest)
#include "PrintAllWindowTest.moc"
