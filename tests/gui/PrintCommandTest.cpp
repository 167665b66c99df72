// Qt Test of the print command through the whole program: Ctrl+P opens the print-all dialog on
// the open Pages and its print button writes the PDF file printer's file.
#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "AppFixture.h"
#include "groups/FileListDialog.h"
#include "gui/FileListDialogWindow.h"
#include "gui/QtPrinterDevice.h"

using namespace norra;
using namespace norra::guitest;
using C = FileListControl;

class PrintCommandTest : public guitest::AppFixture {
  Q_OBJECT

 private:
  QPointer<QTimer> script_;

  // Plays the user's part once the batch dialog is up in its modal run.
  void WhenDialogShown(std::function<void(FileListDialogWindow&)> script) {
    script_ = new QTimer(this);
    script_->setInterval(5);
    connect(script_, &QTimer::timeout, this, [this, script] {
      auto* window = qobject_cast<FileListDialogWindow*>(QApplication::activeModalWidget());
      if (window == nullptr || !window->isVisible()) return;
      script_->stop();
      script(*window);
      if (window->isVisible()) window->reject();
    });
    script_->start();
  }

 private slots:
  void init() {
    MakeFolders();
    qputenv("XDG_RUNTIME_DIR", dir_->path().toLocal8Bit());
  }
  void cleanup() {
    delete script_.data();
    StopApp();
  }

  void ctrlPPrintsTheSelectedPagesIntoThePdfFile() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "一行目\r\n二行目");
    const QString b = MakeFile(QStringLiteral("b.txt"), "beta");
    Start({a, b});
    const QString pdf = Work(QStringLiteral("out.pdf"));
    app_->Printer().SelectPrinter(QtPrinterDevice::kPdfPrinterName);
    ui_.QueueDialogFiles({pdf.toStdString()});

    bool shown = false;
    WhenDialogShown([&](FileListDialogWindow& window) {
      shown = true;
      QCOMPARE(window.windowTitle(), U("まとめて印刷"));
      QVERIFY(window.Widget(C::fraPrintAll)->isVisible());
      QCOMPARE(static_cast<QLineEdit*>(window.Widget(C::txtCopyCount))->text(),
               QStringLiteral("1"));
      QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblPrinterName"))->text(),
               U("ﾌﾟﾘﾝﾀ名 : PDF file"));
      QTest::mouseClick(window.Widget(C::cmdSelectAll), Qt::LeftButton);
      QVERIFY(window.Widget(C::cmdDo)->isEnabled());
      QTest::mouseClick(window.Widget(C::cmdDo), Qt::LeftButton);
    });
    QTest::keyClick(&View(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(shown);
    QVERIFY(QFileInfo(pdf).size() > 0);
    QCOMPARE(QString::fromStdString(ui_.LastBox().text),
             U("印刷に必要な用紙枚数 : 2\n\n印刷を開始します"));
  }

  void aSecondPrintToThePdfPrinterAsksForTheFileAndBeforeOverwritingIt() {
    Start({MakeFile(QStringLiteral("a.txt"), "alpha")});
    const QString pdf = Work(QStringLiteral("out.pdf"));
    app_->Printer().SelectPrinter(QtPrinterDevice::kPdfPrinterName);
    const auto print = [this] {
      WhenDialogShown([](FileListDialogWindow& window) {
        QTest::mouseClick(window.Widget(C::cmdSelectAll), Qt::LeftButton);
        QTest::mouseClick(window.Widget(C::cmdDo), Qt::LeftButton);
      });
      View().Action(UiItem::mnuPrintAll)->trigger();
    };
    ui_.QueueDialogFiles({pdf.toStdString()});
    print();
    QVERIFY(QFileInfo(pdf).size() > 0);
    QFile::resize(pdf, 1);  // marks the first PDF, to see whether it is replaced

    // The second print asks again, proposing the last file; its No keeps the file.
    ui_.QueueDialogFiles({pdf.toStdString()});
    ui_.QueueAnswer(IDOK);  // the sheet count
    ui_.QueueAnswer(IDNO);  // overwrite?
    ui_.QueueDialogCancel();
    ui_.ClearBoxes();
    print();
    QCOMPARE(ui_.Dialogs().size(), std::size_t{3});
    QCOMPARE(QString::fromStdString(ui_.Dialogs()[1].request.fileName), pdf);
    QVERIFY(ui_.Dialogs()[1].save);
    QCOMPARE(QString::fromStdString(ui_.Boxes().at(1).text), pdf + U("\nは既に存在します。上書きしますか?"));
    QCOMPARE(QFileInfo(pdf).size(), qint64{1});

    // Yes writes over it.
    ui_.QueueDialogFiles({pdf.toStdString()});
    ui_.QueueAnswer(IDOK);
    ui_.QueueAnswer(IDYES);
    print();
    QCOMPARE(ui_.Dialogs().size(), std::size_t{4});
    QVERIFY(QFileInfo(pdf).size() > 1);
  }
};

QTEST_MAIN(PrintCommandTest)
#include "PrintCommandTest.moc"
