// Entry of the desktop application.
#include <QApplication>
#include <QIcon>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "gui/NorraApp.h"
#include "gui/QtUi.h"

int main(int argc, char* argv[]) {
  // Answered before Qt starts, so that they work without a display.
  const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
  if (const norra::InfoRequest request = norra::InfoRequestOf(args);
      request != norra::InfoRequest::None) {
    std::fputs(norra::InfoText(request, NORRA_VERSION).c_str(), stdout);
    return 0;
  }
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
