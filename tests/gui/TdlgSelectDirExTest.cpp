// Qt Test of the folder selection dialog through the folder chooser: it opens on the start
// path, and a typed path of new nested folders is created when the user agrees.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <optional>

#include "gui/QtFolderChooser.h"
#include "gui/QtUi.h"
#include "gui/TdlgSelectDirEx.h"

using namespace norra;

namespace {

// Runs `step` on the modal widget that is shown next (from inside its event loop). A step
// that fails half way closes the widget, so a failure never leaves the test waiting.
template <typename Widget, typename Step>
void WhenShown(Step step) {
  QTimer::singleShot(0, [step] {
    auto* widget = qobject_cast<Widget*>(QApplication::activeModalWidget());
    QVERIFY(widget != nullptr);
    QPointer<Widget> guard(widget);
    step(widget);
    if (guard && guard->isVisible()) guard->close();
  });
}

}  // namespace

class TdlgSelectDirExTest : public QObject {
  Q_OBJECT

 private slots:
  void typedNestedFoldersAreCreatedAndReturned() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const std::string root = temp.path().toStdString();
    std::filesystem::create_directories(root + "/start/Sub");
    const std::string typed = root + "/start/new/inner";

    QtUi ui;
    QtFolderChooser chooser(ui);
    QString questionText;
    bool dialogChecked = false;
    WhenShown<TdlgSelectDirEx>([&](TdlgSelectDirEx* dialog) {
      QCOMPARE(dialog->windowTitle(), QStringLiteral("ﾌｫﾙﾀﾞの選択"));
      auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("tvwDir"));
      auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtDir"));
      auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"));
      QVERIFY(tree && box && ok);
      QVERIFY(dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel")));
      for (const char* label : {"Label1", "Label2", "Label3"}) {
        QVERIFY(dialog->findChild<QLabel*>(QString::fromLatin1(label)));
      }
      // Opened on the start path: its folder is current, its sub-folder listed below it.
      QVERIFY(tree->currentItem() != nullptr);
      QCOMPARE(tree->currentItem()->text(0), QStringLiteral("start"));
      QCOMPARE(tree->currentItem()->childCount(), 1);
      QCOMPARE(tree->currentItem()->child(0)->text(0), QStringLiteral("Sub"));
      QCOMPARE(tree->currentItem()->data(0, TdlgSelectDirEx::kIconRole).toInt(),
               static_cast<int>(FolderIcon::FolderSelected));
      QCOMPARE(box->text(), QString::fromStdString(root + "/start/"));
      QVERIFY(ok->isEnabled());

      box->selectAll();
      QTest::keyClick(box, Qt::Key_Delete);
      QVERIFY(!ok->isEnabled());
      QTest::keyClicks(box, QString::fromStdString(typed));
      QVERIFY(ok->isEnabled());
      dialogChecked = true;
      WhenShown<QMessageBox>([&](QMessageBox* question) {
        questionText = question->text();
        question->button(QMessageBox::Ok)->click();
      });
      ok->click();
    });
    const std::optional<std::string> chosen = chooser.ChooseFolder(root + "/start");
    QVERIFY(dialogChecked);
    QCOMPARE(questionText, QString::fromStdString(typed + " は存在しません。\n新しく作りますか?"));
    QVERIFY(chosen.has_value());
    QCOMPARE(QString::fromStdString(*chosen), QString::fromStdString(typed));
    QVERIFY(std::filesystem::is_directory(root + "/start/new"));
    QVERIFY(std::filesystem::is_directory(typed));
  }

  void cancelReturnsNothing() {
    QTemporaryDir temp;
    QtUi ui;
    QtFolderChooser chooser(ui);
    WhenShown<TdlgSelectDirEx>([](TdlgSelectDirEx* dialog) {
      dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    });
    QVERIFY(!chooser.ChooseFolder(temp.path().toStdString()).has_value());
  }
};

QTEST_MAIN(TdlgSelectDirExTest)
#include "TdlgSelectDirExTest.moc"
