// Qt Test of many Pages opened at once: windows and editing widgets are made when first shown,
// and a Page without them still edits, replaces and shows what it holds.
#include <QMdiSubWindow>
#include <QtTest>

#include "AppFixture.h"
#include "app/MainView.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "gui/MainWindowView.h"
#include "gui/PageWindow.h"
#include "gui/ScintillaTextControl.h"

using namespace norra;
using namespace norra::guitest;

class ManyPagesTest : public guitest::AppFixture {
  Q_OBJECT

 private:
  Page& PageNamed(const char* name) {
    for (const PageListEntry& entry : Logic().Docs().List().Entries()) {
      if (entry.page->DisplayName() == name) return *entry.page;
    }
    throw std::runtime_error(name);
  }
  QString WidgetText(Page& page) {
    ScintillaEditor* editor = EditorOf(page);
    return editor != nullptr ? editor->text() : QString();
  }

 private slots:
  void init() { MakeFolders(); }
  void cleanup() { StopApp(); }

  void PagesOpenedMaximizedGetAWindowWhenFirstShown() {
    QStringList files;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) files << MakeFile(QString::fromLatin1(name), "一行目\r\n二行目");
    Start(files);
    Page& a = PageNamed("a.txt");
    Page& c = PageNamed("c.txt");
    QCOMPARE(Logic().Docs().ActivePage(), &c);
    QVERIFY(View().WindowOf(c) != nullptr);
    QVERIFY(View().WindowOf(a) == nullptr);

    // Without its widget the Page edits through the same port: the text and the selection wait.
    a.Control().SetSelection(2, 2);
    QVERIFY(a.Control().ReplaceSelection(Utf8ToCp932("２")));
    a.Control().SetSelection(0, 2);
    QCOMPARE(TextOf(a), std::string("一２目\r\n二行目"));

    Logic().Docs().ActivatePage(&a);
    Settle();
    QVERIFY(View().WindowOf(a) != nullptr);
    QVERIFY(View().WindowOf(a)->isVisible());
    QCOMPARE(WidgetText(a), U("一２目\r\n二行目"));
    QCOMPARE(EditorOf(a)->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), 0L);
    QCOMPARE(EditorOf(a)->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND), 3L);  // "一" in UTF-8
    Type(a, U("x"));
    QCOMPARE(TextOf(a), std::string("x２目\r\n二行目"));
  }

  void TilingShowsEveryPageOpenedTogether() {
    QStringList files;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) files << MakeFile(QString::fromLatin1(name), "abc");
    Start(files);
    View().ArrangePages(PageArrangement::TileVertical);
    Settle();
    for (const PageListEntry& entry : Logic().Docs().List().Entries()) {
      TfrmPage* window = View().WindowOf(*entry.page);
      QVERIFY(window != nullptr);
      QVERIFY(window->isVisible());
      QVERIFY(!window->isMaximized());
    }
    QCOMPARE(View().WindowOf(*Logic().Docs().ActivePage())->geometry().top(), 0);
  }
};

QTEST_MAIN(ManyPagesTest)
#include "ManyPagesTest.moc"
