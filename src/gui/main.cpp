// Entry of the desktop application.
#include <QApplication>
#include <QIcon>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "gui/LocalInstance.h"
#include "gui/MainWindowView.h"
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
  // The installed icon; a build tree run falls back on the desktop theme's editor icon.
  QApplication::setWindowIcon(
      QIcon::fromTheme(QStringLiteral("norra"), QIcon::fromTheme(QStringLiteral("accessories-text-editor"))));
  norra::QtUi::InstallJapaneseTranslations();
  norra::NorraApp::InstallFontSubstitutes();
  try {
    norra::StartupOptions options = norra::NorraApp::FromProcess();
    // A Norra running on this display takes the files; this process then has nothing to do.
    norra::LocalInstance instance;
    if (instance.HandOver(options.args, options.workingFolder)) return 0;
    norra::NorraApp norra(std::move(options));
    if (!norra.Start()) return 0;
    instance.ServeWindow(norra.Logic(), norra.View());
    return norra.Run();
  } catch (const std::exception& error) {
    norra::QtUi().ShowMessageBox(error.what(), norra::MB_OK | norra::MB_ICONERROR, "Norra");
    return 0;
  }
}
