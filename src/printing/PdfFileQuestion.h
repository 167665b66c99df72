// Which file a print to the PDF file printer goes to: asked every time, proposing the last one.
#pragma once

#include <functional>
#include <string>

namespace norra {

class Ui;

// Asks for the PDF file through the save dialog, proposing `last` (the file of the previous
// print, or empty). An existing file gets the overwrite question: No asks again, Cancel gives
// up. Returns the absolute UTF-8 path, or empty when the user gave up.
std::string AskPdfFile(Ui& ui, const std::string& last,
                       const std::function<bool(const std::string&)>& exists);

}  // namespace norra
