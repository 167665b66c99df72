// Checks that the batch dialog's window shows its mode as the logic's mode table has it, so
// that view tests compare the widgets with the table instead of restating it.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLabel>
#include <QTreeWidget>
#include <QtTest>

#include "gui/FileListDialogWindow.h"

namespace norra::guitest {

// After a failed check the caller should stop (QTest::currentTestFailed()).
inline void CompareWithModeTable(FileListDialogWindow& window) {
  using C = FileListControl;
  const FileListDialog* dialog = window.Attached();
  QVERIFY(dialog != nullptr);
  const FileListModeFacts& facts = dialog->Facts();
  QCOMPARE(facts.mode, dialog->DialogMode());
  QCOMPARE(window.windowTitle(), QString::fromUtf8(facts.caption));
  QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblPrompt"))->text(), QString::fromUtf8(facts.prompt));
  QCOMPARE(static_cast<QAbstractButton*>(window.Widget(C::cmdDo))->text(), QString::fromUtf8(facts.firstButton));
  QCOMPARE(window.Widget(C::cmdWithout)->isVisibleTo(&window), facts.secondButton != nullptr);
  if (facts.secondButton != nullptr)
    QCOMPARE(static_cast<QAbstractButton*>(window.Widget(C::cmdWithout))->text(),
             QString::fromUtf8(facts.secondButton));
  QCOMPARE(window.Widget(C::cmdHelp)->isVisibleTo(&window), facts.helpContext != 0);
  QCOMPARE(window.Widget(C::cmdSelectAll)->isVisibleTo(&window), facts.multiSelect);
  QCOMPARE(window.List()->selectionMode(),
           facts.multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
  QCOMPARE(window.List()->isColumnHidden(3), !facts.stateColumnShown);
  for (C panel : {C::fraQuotationAll, C::fraJump, C::fraSaveAsAll, C::fraPrintAll, C::fraOpenFromGroup})
    QVERIFY2(window.Widget(panel)->isVisibleTo(&window) == (panel == facts.panel), FileListDialog::ControlName(panel));
  for (const FileListPanelControl& inside : facts.inPanel) {
    if (inside.control != C::kCount)
      QVERIFY2(window.Widget(inside.control)->isVisibleTo(&window), FileListDialog::ControlName(inside.control));
  }
}

// The control the mode's row names takes the focus when the dialog shows.
inline void CompareFocusWithModeTable(FileListDialogWindow& window) {
  QVERIFY(window.Attached() != nullptr);
  QCOMPARE(window.focusWidget(), window.Widget(window.Attached()->Facts().focus));
}

}  // namespace norra::guitest
