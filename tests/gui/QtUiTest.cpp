// Qt Test of the Qt user-interface port: message boxes as the flags say, file dialogs as requested.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "gui/QtUi.h"

using namespace norra;

namespace {

// Presses `button` of the next message box shown (from inside its event loop).
void PressWhenShown(QMessageBox::StandardButton button) {
  QTimer::singleShot(0, [button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(box != nullptr);
    box->button(button)->click();
  });
}

}  // namespace

class QtUiTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBoxesFollowTheFlags() {
    QtUi ui;
    auto question =
        ui.BuildMessageBox("/tmp/<b>x</b>\nは変更されています。保存しますか?",
                           MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, "保存確認");
    QCOMPARE(question->icon(), QMessageBox::Question);
    QCOMPARE(question->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(static_cast<QAbstractButton*>(question->defaultButton()),
             question->button(QMessageBox::No));
    QCOMPARE(question->escapeButton(), question->button(QMessageBox::Cancel));
    QCOMPARE(question->windowTitle(), QString::fromUtf8("保存確認"));
    QCOMPARE(question->textFormat(), Qt::PlainText);  // "<b>" stays as typed
    QVERIFY(question->text().startsWith(QStringLiteral("/tmp/<b>x</b>\n")));

    auto error =
        ui.BuildMessageBox("Norra起動時にｴﾗｰ発生", MB_OK | MB_ICONERROR, "Norra - [起動時ｴﾗｰ]");
    QCOMPARE(error->icon(), QMessageBox::Critical);
    QCOMPARE(error->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));

    auto warning = ui.BuildMessageBox("x", MB_YESNO | MB_ICONWARNING, "Norra");
    QCOMPARE(warning->icon(), QMessageBox::Warning);
    QCOMPARE(static_cast<QAbstractButton*>(warning->defaultButton()),
             warning->button(QMessageBox::Yes));
    auto info = ui.BuildMessageBox("x", MB_OKCANCEL | MB_ICONINFORMATION, "Norra");
    QCOMPARE(info->icon(), QMessageBox::Information);
    QCOMPARE(static_cast<QAbstractButton*>(info->defaultButton()), info->button(QMessageBox::Ok));
  }

  void theButtonPressedIsReturned() {
    QtUi ui;
    PressWhenShown(QMessageBox::No);
    QCOMPARE(ui.ShowMessageBox("x", MB_YESNOCANCEL | MB_ICONQUESTION, "Norra"), IDNO);
    PressWhenShown(QMessageBox::Yes);
    QCOMPARE(ui.ShowMessageBox("x", MB_YESNO, "Norra"), IDYES);
    PressWhenShown(QMessageBox::Cancel);
    QCOMPARE(ui.ShowMessageBox("x", MB_OKCANCEL, "Norra"), IDCANCEL);
    PressWhenShown(QMessageBox::Ok);
    QCOMPARE(ui.ShowMessageBox("x", MB_OK | MB_ICONINFORMATION, "Norra"), IDOK);
  }

  void aLongPathOrManyLinesKeepTheBoxOnTheScreen() {
    QtUi ui;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    std::string path;
    while (path.size() < 4096) path += "/folder" + std::to_string(path.size());
    path += "/last.txt";
    std::string lines;
    for (int i = 0; i < 400; ++i) lines += "/line/" + std::to_string(i) + "\n";
    for (const std::string& text : {path + "\nの読込み処理中にｴﾗｰ発生", lines + "end"}) {
      auto box = ui.BuildMessageBox(text, MB_OK | MB_ICONERROR, "Norra");
      box->show();
      QApplication::processEvents();
      QVERIFY2(box->frameGeometry().height() <= screen.height(),
               qPrintable(QString::number(box->frameGeometry().height())));
      QVERIFY2(box->frameGeometry().width() <= screen.width(),
               qPrintable(QString::number(box->frameGeometry().width())));
      // The start and end of what was cut stay in the box, the whole text behind its details.
      const QString full = QString::fromUtf8(text);
      QCOMPARE(box->detailedText(), full);
      QVERIFY(box->text().startsWith(full.left(6)));
      QVERIFY(box->text().endsWith(full.right(6)));
      box->close();
    }
    // A short text is shown whole, with no details.
    auto plain = ui.BuildMessageBox("/a/b.txt\nは変更されています。", MB_OK, "Norra");
    QCOMPARE(plain->text(), QString::fromUtf8("/a/b.txt\nは変更されています。"));
    QVERIFY(plain->detailedText().isEmpty());
  }

  void standardButtonsSpeakJapanese() {
    if (!QtUi::InstallJapaneseTranslations())
      QSKIP("Qt's Japanese translations (qtbase_ja.qm) are not installed");
    QtUi ui;
    auto box = ui.BuildMessageBox("x", MB_YESNOCANCEL, "Norra");
    QVERIFY2(box->button(QMessageBox::Yes)->text().contains(QString::fromUtf8("はい")),
             qPrintable(box->button(QMessageBox::Yes)->text()));
    QVERIFY(box->button(QMessageBox::No)->text().contains(QString::fromUtf8("いいえ")));
    QVERIFY(box->button(QMessageBox::Cancel)->text().contains(QString::fromUtf8("キャンセル")));
  }

  void saveDialogShowsTheRequest() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    FileDialogRequest request;
    request.fileName = "メモ.txt";
    request.initialFolder = folder.path().toStdString();
    request.filters = {
        {"ﾃｷｽﾄﾌｧｲﾙ(*.txt)", "*.txt"}, {"全てのﾌｧｲﾙ(*.*)", "*.*"}, {"C/C++", "*.c;*.h"}};
    request.filterIndex = 3;
    QtUi ui;
    auto dialog = ui.BuildFileDialog(request, true);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(dialog->nameFilters().size(), 3);
    QVERIFY(dialog->nameFilters()[1].endsWith(QStringLiteral("(*)")));  // every file, dots or not
    QVERIFY(dialog->nameFilters()[2].endsWith(QStringLiteral("(*.c *.h)")));
    QCOMPARE(QtUi::DialogAnswer(*dialog).filterIndex, 3);
    QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(folder.path()).canonicalPath());

    // Accepted as proposed: the full path in UTF-8 and the filter shown.
    QTimer::singleShot(0, [] {
      auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(shown != nullptr);
      static_cast<QDialog*>(shown)->accept();
    });
    const FileDialogResult answer = ui.ShowSaveDialog(request);
    QVERIFY(answer.accepted);
    QCOMPARE(answer.files.size(), std::size_t{1});
    QCOMPARE(QDir(QString::fromStdString(answer.files[0])).absolutePath(),
             QDir(folder.path()).absoluteFilePath(QString::fromUtf8("メモ.txt")));
    QCOMPARE(answer.filterIndex, 3);

    request.overwritePrompt = true;
    QVERIFY(!ui.BuildFileDialog(request, true)->testOption(QFileDialog::DontConfirmOverwrite));
  }

  void openDialogTakesSeveralExistingFiles() {
    FileDialogRequest request;
    request.multiSelect = true;
    request.mustExist = true;
    QtUi ui;
    QCOMPARE(ui.BuildFileDialog(request, false)->fileMode(), QFileDialog::ExistingFiles);
    request.multiSelect = false;
    QCOMPARE(ui.BuildFileDialog(request, false)->fileMode(), QFileDialog::ExistingFile);

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QVERIFY(!ui.ShowOpenDialog(request).accepted);
  }

  void screenHasASize() {
    const ScreenExtent screen = QtUi().Screen();
    QVERIFY(screen.width > 0);
    QVERIFY(screen.height > 0);
  }
};

QTEST_MAIN(QtUiTest)
#include "QtUiTest.moc"
