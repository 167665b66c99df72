// norra-print: prints text files with the editor's print job, header and footer templates and
// Print settings, on an installed printer or into a PDF file.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "documents/PageFiles.h"
#include "engine/TagTable.h"
#include "gui/NorraApp.h"
#include "gui/QtPrinterDevice.h"
#include "platform/MemoryTextControl.h"
#include "platform/SystemClock.h"
#include "platform/Ui.h"
#include "printing/PrintJob.h"
#include "settings/Settings.h"
#include "settings/SettingsPath.h"
#include "text/Encoding.h"
#include "text/FileIo.h"
#include "text/PathUtil.h"

namespace norra {
namespace {

constexpr int kExitPrinted = 0;
constexpr int kExitError = 2;
constexpr const char* kProgram = "norra-print";

void Error(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
}

#ifndef NORRA_VERSION
#define NORRA_VERSION "unknown"
#endif

constexpr const char* kUsage =
    "usage: norra-print [-F SETTINGS] [--printer NAME | --pdf OUT.pdf] [--copies N] FILE...\n"
    "       norra-print --list-printers\n"
    "Prints the files (CP932 text) with the Print settings of Norra.ini: font, margins, lines\n"
    "and columns, header and footer, order and copies.\n"
    "Options:\n"
    "  -F, --settings FILE  the settings file (read only)\n"
    "      --printer NAME   print on this printer (default: the current one)\n"
    "      --pdf OUT.pdf    write a PDF file instead\n"
    "      --copies N       the number of copies (default: the Print settings)\n"
    "      --list-printers  name the installed printers and the PDF file printer\n"
    "  -h, --help           this text\n"
    "      --version        the version\n"
    "Exit status: 0 printed, 2 error.\n";

// The print job's messages go to the terminal; the sheet-count question is answered yes.
class TerminalUi : public Ui {
 public:
  int ShowMessageBox(std::string_view text, unsigned flags, std::string_view /*caption*/) override {
    if ((flags & kMbIconMask) == MB_ICONQUESTION) {
      question_ = std::string(text);
      return IDOK;
    }
    std::string line(text);
    for (char& c : line) {
      if (c == '\n') c = ' ';
    }
    Error(line);
    return IDOK;
  }
  void ProcessPendingEvents() override {}
  const std::string& Question() const { return question_; }

 private:
  std::string question_;
};

struct Arguments {
  std::string settingsFile;
  std::string printer;
  std::string pdf;
  std::string copies;
  bool listPrinters = false;
  std::vector<std::string> files;
};

// False (with the message written) on a malformed command line.
bool Parse(int argc, char** argv, Arguments& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        Error(arg + " needs a value");
        return false;
      }
      into = argv[++i];
      return true;
    };
    if (arg == "-F" || arg == "--settings") {
      if (!value(out.settingsFile)) return false;
    } else if (arg == "--printer") {
      if (!value(out.printer)) return false;
    } else if (arg == "--pdf") {
      if (!value(out.pdf)) return false;
    } else if (arg == "--copies") {
      if (!value(out.copies)) return false;
    } else if (arg == "--list-printers") {
      out.listPrinters = true;
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(kExitPrinted);
    } else if (arg == "--version") {
      std::printf("%s %s\n", kProgram, NORRA_VERSION);
      std::exit(kExitPrinted);
    } else if (arg == "--") {
      for (++i; i < argc; ++i) out.files.emplace_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      Error("unknown option " + arg);
      return false;
    } else {
      out.files.push_back(arg);
    }
  }
  if (!out.printer.empty() && !out.pdf.empty()) {
    Error("--printer and --pdf exclude each other");
    return false;
  }
  if (!out.listPrinters && out.files.empty()) {
    std::fputs(kUsage, stderr);
    return false;
  }
  return true;
}

int Run(int argc, char** argv) {
  Arguments args;
  if (!Parse(argc, argv, args)) return kExitError;

  QtPrinterDevice device;
  if (args.listPrinters) {
    for (const std::string& name : device.InstalledPrinters()) std::printf("%s\n", name.c_str());
    return kExitPrinted;
  }

  TagTable tags;
  if (!tags.Build()) {
    Error("the tag tables cannot be built");
    return kExitError;
  }
  std::string settingsPath;
  if (!args.settingsFile.empty()) {
    settingsPath = MakeAbsolute(args.settingsFile);
    if (!IsFile(settingsPath)) {
      Error("no settings file " + args.settingsFile);
      return kExitError;
    }
  } else {
    settingsPath = SettingsFilePath({}, SettingsFolder());
  }
  Settings settings(tags, settingsPath, std::string(), ScreenSize{});
  // Read only: the tool never writes a settings file, nor converts an old one.
  if (!settings.Load(Settings::LoadMode::ReadOnly)) {
    Error("the settings file " + settingsPath + " cannot be read");
    return kExitError;
  }

  // Said in the tool's own words before the job would say it in a message box.
  for (const auto& [key, text] :
       {std::pair<const char*, const std::string&>{"HeadLine", settings.Print.HeadLine},
        {"FootLine", settings.Print.FootLine}}) {
    if (const auto bad = PrintTemplate::Check(text)) {
      Error(std::string(key) + " in " + settingsPath + " has a code whose argument is not a number: " +
            bad->code + " at character " + std::to_string(bad->column) + " of " + text);
      return kExitError;
    }
  }

  std::int64_t copies = settings.Print.Copies;
  // The print panel takes at most five digits; a hand-edited file could ask for billions.
  if (args.copies.empty() && copies > PrintJob::kMaxCopies) {
    Error("Copies=" + std::to_string(copies) + " in " + settingsPath + " is more than " +
          std::to_string(PrintJob::kMaxCopies) + " (use --copies N)");
    return kExitError;
  }
  if (!args.copies.empty()) {
    std::int64_t value = 0;
    if (!PrintTemplate::ParseNumber(args.copies, value) || value < 1 ||
        value > PrintJob::kMaxCopies) {
      Error("--copies takes a number from 1 to " + std::to_string(PrintJob::kMaxCopies));
      return kExitError;
    }
    copies = value;
  }

  if (!args.pdf.empty()) {
    device.SetPdfPath(MakeAbsolute(args.pdf));
  } else if (!args.printer.empty()) {
    if (!device.SelectPrinter(args.printer)) {
      Error("no printer named " + args.printer + " (see --list-printers)");
      return kExitError;
    }
    if (device.PdfSelected() && device.PdfPath().empty()) {
      Error("the PDF file printer needs --pdf OUT.pdf");
      return kExitError;
    }
  } else if (device.PdfSelected() && device.PdfPath().empty()) {
    Error("no printer is installed: name a PDF file with --pdf OUT.pdf");
    return kExitError;
  }

  // Every file is read before anything is printed.
  std::vector<std::unique_ptr<MemoryTextControl>> controls;
  std::vector<PrintSource> sources;
  for (const std::string& file : args.files) {
    const std::string path = MakeAbsolute(file);
    std::string bytes;
    const FileError error = ReadWholeFile(path, bytes);
    if (error != FileError::None) {
      Error("cannot read " + file);
      return kExitError;
    }
    // As the editor holds it: a file of LF breaks only is text of CR LF lines.
    if (HasLfOnlyBreaks(bytes)) bytes = LfToCrLf(bytes);
    controls.push_back(std::make_unique<MemoryTextControl>(std::move(bytes)));
    sources.push_back({controls.back().get(), FileNamePart(path), path});
  }

  TerminalUi ui;
  PrintJob job(device, ui, SystemClock::Instance());
  job.TakeSettings(settings);
  job.Parameters().order = PrintJob::OrderFromSetting(settings.Print.PrintOrder);
  job.Parameters().range = PrintRange::WholeText;
  job.Parameters().copies = copies;
  job.SetSources(std::move(sources));
  if (!job.Run()) return kExitError;
  std::printf("%lld sheets printed on %s\n", static_cast<long long>(job.SheetsSent()),
              device.PdfSelected() ? device.PdfPath().c_str() : job.Printer().name.c_str());
  return kExitPrinted;
}

}  // namespace
}  // namespace norra

int main(int argc, char** argv) {
  // A terminal without a display still prints (fonts and PDF need no window).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  norra::NorraApp::InstallFontSubstitutes();
  return norra::Run(argc, argv);
}
