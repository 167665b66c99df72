// Entry of the desktop application.
#include <QApplication>
#include <QIcon>
#include <exception>

#include "gui/NorraApp.h"
#include "gui/QtUi.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Norra"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("accessories-text-editor")));
  norra::QtUi::InstallJapaneseTranslations();
  norra::NorraApp::InstallFontSubstitutes();
  try {
    norra::NorraApp norra(norra::NorraApp::FromProcess());
    if (!norra.Start()) return 0;
    return norra.Run();
  } catch (const std::exception& error) {
    norra::QtUi().ShowMessageBox(error.what(), norra::MB_OK | norra::MB_ICONERROR, "Norra");
    return 0;
  }
}
