// The recovery dialog's window: one checked row per copy, Enter restores, an unchecked row is
// left to the question that follows.
#include <QPushButton>
#include <QTreeWidget>

#include "RecoveryFixture.h"
#include "documents/Documents.h"
#include "documents/RecoveryStore.h"

using namespace norra;
using namespace norra::guitest;

class RecoveryWindowTest : public RecoveryFixture {
  Q_OBJECT

  // What a run killed with these Pages unsaved leaves.
  void LeaveCopies(const std::vector<RecoveryCopy>& copies) {
    RecoveryStore killed(Recovery().toStdString());
    QCOMPARE(killed.Open(), FileError::None);
    for (std::size_t i = 0; i < copies.size(); ++i) QCOMPARE(killed.Write(i + 1, copies[i]), FileError::None);
  }

 private slots:
  void init() {
    MakeFolders();
    qputenv("XDG_STATE_HOME", dir_->filePath(QStringLiteral("state")).toUtf8());
  }
  void cleanup() { StopApp(); }

  void rowsShowEachCopyAndAnUncheckedOneIsLeftWhenTheUserSaysSo() {
    LeaveCopies({{"無題2", PageKind::Untitled, {}, false, 1000000000, "abc"},
                 {"/data/notes/a.txt", PageKind::File, {}, false, 1000000001, "12345"}});
    ui_.QueueAnswer(IDNO);  // keep the one not restored
    QStringList texts;
    std::vector<bool> checked;
    StartWithRecovery({}, [&](QDialog& dialog) {
      auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("lvwRecovery"));
      auto* restore = dialog.findChild<QPushButton*>(QStringLiteral("cmdRestore"));
      QVERIFY(list && restore && dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel")));
      QVERIFY(restore->isDefault());
      for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        texts << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') + item->text(3);
        checked.push_back(item->checkState(0) == Qt::Checked);
        QVERIFY(!item->text(2).isEmpty());
      }
      list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
      QTest::mouseClick(restore, Qt::LeftButton);
    });
    QVERIFY(dialogShown_);
    QCOMPARE(texts, (QStringList{U("無題2||3ﾊﾞｲﾄ"), U("a.txt|/data/notes/|5ﾊﾞｲﾄ")}));
    QCOMPARE(checked, (std::vector<bool>{true, true}));
    QCOMPARE(Logic().Docs().List().Count(), std::size_t{1});
    QCOMPARE(Logic().Docs().ActivePage()->Control().Text(), std::string("abc"));
    QCOMPARE(ui_.Boxes().size(), std::size_t{1});
    const RecoveryClaim left = RecoveryClaim::Take(Recovery().toStdString());
    QCOMPARE(left.Copies().size(), std::size_t{1});
    QCOMPARE(left.Copies()[0].copy.text, std::string("12345"));
  }

  void noDialogWithoutCopies() {
    StartWithRecovery({}, [](QDialog& dialog) { dialog.reject(); });
    QVERIFY(!dialogShown_);
    QCOMPARE(Logic().Docs().List().Count(), std::size_t{1});  // the usual untitled Page
  }
};

QTEST_MAIN(RecoveryWindowTest)
#include "RecoveryWindowTest.moc"
