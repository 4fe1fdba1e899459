#include "gui_support.h"

#include <algorithm>

#include <QGroupBox>

#include "app/text/text_decoding.h"

namespace fragtally::testing {

void ShownSink::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  RecordingSink::ShowMessage(icon, ToUtf8(DisplayText(title)), ToUtf8(DisplayLines(text, u"\r\n")));
}

WindowFixture::WindowFixture() : form(sink, QString::fromStdString(dir.str())) {
  std::filesystem::create_directories(Basekrm());
}

std::vector<std::pair<QString, QString>> LabelTexts(const Form1& form, const char* frame) {
  std::vector<std::pair<QString, QString>> texts;
  auto* box = form.findChild<QGroupBox*>(QString::fromLatin1(frame));
  if (!box) return texts;
  for (QLabel* label : box->findChildren<QLabel*>()) texts.emplace_back(label->objectName(), label->text());
  std::sort(texts.begin(), texts.end());
  return texts;
}

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace fragtally::testing
