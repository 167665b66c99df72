// Qt Test of the disk-replace preview window over a tree with a Japanese folder name: it names
// the folder and the number of files, a file unchecked there stays byte-identical while the
// others change, a hit unchecked stays, cancel writes nothing; and ﾃﾞｨｽｸ置換を元に戻す gives
// the files back byte for byte, naming and leaving a file edited in between.
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/DiskReplacePreview.h"
#include "app/DiskReplaceUndoCommand.h"
#include "gui/DiskPreviewDialog.h"
#include "platform/MemoryUi.h"

using namespace norra;
namespace fs = std::filesystem;

namespace {

std::string Get(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Put(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

class DiskPreviewDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    root_ = fs::path(dir_.path().toStdString()) / QTest::currentTestFunction();
    tree_ = root_ / "文書";
    fs::create_directories(tree_ / "下");
    fs::create_directories(root_ / "state");
    // CP932 text: "さくら" and the hits "a".
    Put(tree_ / "1.txt", "x a \x82\xb3\x82\xad\x82\xe7 a\r\n");
    Put(tree_ / "2.txt", "a\r\n");
    Put(tree_ / "下" / "3.txt", "y\na\n");
    Put(tree_ / "4.txt", "none\n");
    QVERIFY(tags_.Build());
    symbols_ = tags_.BuiltInSymbols();
    engine_ = std::make_unique<SearchEngine>(symbols_);
    QVERIFY(static_cast<bool>(engine_->Compile("a")));
    QVERIFY(static_cast<bool>(engine_->CompileReplace("\x8d\xf7")));  // 桜
    engine_->RunReset();
    engine_->PreFoldedText = true;
  }

  void cleanup() { engine_.reset(); }

  void uncheckedFileStaysAndUndoGivesTheOthersBack() {
    MemoryUi ui;
    DiskSearch search(*engine_, ui);
    DiskSearchRequest request;
    request.folderText = tree_.string();
    request.fileMasks = {"*"};
    DiskReplacePreview preview;
    QVERIFY(preview.Build(search, request, false));
    QCOMPARE(Get(tree_ / "1.txt"), std::string("x a \x82\xb3\x82\xad\x82\xe7 a\r\n"));

    DiskPreviewDialog dialog(nullptr, preview);
    auto* heading = dialog.findChild<QLabel*>(QStringLiteral("lblDiskPreview"));
    auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("tvwDiskPreview"));
    auto* run = dialog.findChild<QPushButton*>(QStringLiteral("cmdRun"));
    QVERIFY(heading && list && run);
    QVERIFY(heading->text().contains(QString::fromStdString(tree_.string())));
    QVERIFY(heading->text().contains(QStringLiteral("3個のﾌｧｲﾙ")));
    QCOMPARE(list->topLevelItemCount(), 3);
    QTreeWidgetItem* first = list->topLevelItem(0);
    QVERIFY(first->text(0).endsWith(QStringLiteral("1.txt (2)")));
    QCOMPARE(first->child(0)->text(1), QStringLiteral("a"));
    QCOMPARE(first->child(0)->text(2), QStringLiteral("桜"));
    first->child(1)->setCheckState(0, Qt::Unchecked);           // the second hit of 1.txt
    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);     // 2.txt
    QTest::mouseClick(run, Qt::LeftButton);
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));

    const DiskSearchResult result = preview.Run(ui, (root_ / "state").string());
    QCOMPARE(result.replaceCount, std::int64_t{2});
    QCOMPARE(Get(tree_ / "1.txt"), std::string("x \x8d\xf7 \x82\xb3\x82\xad\x82\xe7 a\r\n"));
    QCOMPARE(Get(tree_ / "2.txt"), std::string("a\r\n"));  // unchecked: byte-identical
    QCOMPARE(Get(tree_ / "下" / "3.txt"), std::string("y\n\x8d\xf7\n"));

    // 3.txt is edited after the replace; the undo names it and leaves it.
    Put(tree_ / "下" / "3.txt", "mine\n");
    ui.QueueAnswer(IDYES);
    const ReplaceUndoResult undone = DiskReplaceUndoCommand::Run(ui, (root_ / "state").string());
    QCOMPARE(undone.restored, 1);
    QCOMPARE(Get(tree_ / "1.txt"), std::string("x a \x82\xb3\x82\xad\x82\xe7 a\r\n"));
    QCOMPARE(Get(tree_ / "下" / "3.txt"), std::string("mine\n"));
    QVERIFY(QString::fromStdString(ui.LastBox().text)
                .contains(QString::fromStdString((tree_ / "下" / "3.txt").string())));
    QCOMPARE(QString::fromStdString(ui.LastBox().caption), QStringLiteral("ﾃﾞｨｽｸ置換を元に戻す"));
  }

  void cancelWritesNothing() {
    MemoryUi ui;
    DiskSearch search(*engine_, ui);
    DiskSearchRequest request;
    request.folderText = tree_.string();
    request.fileMasks = {"*"};
    DiskReplacePreview preview;
    QVERIFY(preview.Build(search, request, false));
    DiskPreviewDialog dialog(nullptr, preview);
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"));
    QVERIFY(cancel);
    QVERIFY(cancel->isDefault());  // Enter alone never writes
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Rejected));
    QCOMPARE(Get(tree_ / "2.txt"), std::string("a\r\n"));
    QVERIFY(fs::is_empty(root_ / "state"));
  }

 private:
  QTemporaryDir dir_;
  fs::path root_;
  fs::path tree_;
  TagTable tags_;
  TagSymbols symbols_{};
  std::unique_ptr<SearchEngine> engine_;
};

QTEST_MAIN(DiskPreviewDialogTest)
#include "DiskPreviewDialogTest.moc"
