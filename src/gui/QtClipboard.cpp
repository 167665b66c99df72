// QtClipboard: CP932 text on Qt's clipboard.
#include "gui/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "text/Encoding.h"

namespace norra {
namespace {

QClipboard* SystemClipboard() {
  return QGuiApplication::instance() != nullptr ? QGuiApplication::clipboard() : nullptr;
}

// Text from elsewhere ends lines with LF; the document's line break is CR LF.
std::string WithCrLf(std::string text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

std::string WithLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

bool QtClipboard::HasText() const {
  const QClipboard* clipboard = SystemClipboard();
  const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  return data != nullptr && (data->hasFormat(QLatin1String(kBytesFormat)) || data->hasText());
}

std::string QtClipboard::GetText() const {
  const QClipboard* clipboard = SystemClipboard();
  const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  if (data == nullptr) return {};
  if (data->hasFormat(QLatin1String(kBytesFormat))) {
    const QByteArray bytes = data->data(QLatin1String(kBytesFormat));
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  if (!data->hasText()) return {};
  return WithCrLf(Utf8ToCp932(data->text().toUtf8().toStdString()));
}

std::string QtClipboard::UnstorableCharacters() const {
  const QClipboard* clipboard = SystemClipboard();
  const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  if (data == nullptr || data->hasFormat(QLatin1String(kBytesFormat)) || !data->hasText())
    return {};
  return UnencodableCp932(data->text().toUtf8().toStdString());
}

bool QtClipboard::SetText(std::string_view text) {
  QClipboard* clipboard = SystemClipboard();
  if (clipboard == nullptr) return false;
  auto* data = new QMimeData;
  data->setData(QLatin1String(kBytesFormat),
                QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  data->setText(QString::fromStdString(Cp932ToUtf8(WithLf(text))));
  clipboard->setMimeData(data);
  return true;
}

// A UTF-8 Page's text travels as the system's text; within the program, a copy made from a
// CP932 Page still brings its own bytes, decoded.
std::string QtClipboard::GetTextIn(Charset charset) const {
  if (charset == Charset::Cp932) return GetText();
  const QClipboard* clipboard = SystemClipboard();
  const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  if (data == nullptr) return {};
  if (data->hasFormat(QLatin1String(kBytesFormat))) return Cp932ToUtf8(GetText());
  if (!data->hasText()) return {};
  return WithCrLf(data->text().toUtf8().toStdString());
}

bool QtClipboard::SetTextFrom(Charset charset, std::string_view text) {
  if (charset == Charset::Cp932) return SetText(text);
  QClipboard* clipboard = SystemClipboard();
  if (clipboard == nullptr) return false;
  auto* data = new QMimeData;
  data->setText(QString::fromStdString(WithLf(text)));
  clipboard->setMimeData(data);
  return true;
}

}  // namespace norra
