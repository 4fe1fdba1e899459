#pragma once

#include <array>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QString>

#include <gtest/gtest.h>

#include "test_support.h"
#include "window/qt/form1.h"

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace fragtally::testing {

// Records each message box as the user reads it: every line decoded as the
// window decodes it, then written as UTF-8 (CR LF between lines, as sent).
class ShownSink : public RecordingSink {
 public:
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override;
};

// A window whose program folder is a fresh temporary folder.
struct WindowFixture {
  WindowFixture();
  std::filesystem::path Basekrm() const { return dir.path() / "basekrm"; }
  void WriteStats(const std::string& bytes) const { WriteFile(Basekrm() / "Stats.krm", bytes); }

  TempDir dir;
  ShownSink sink;
  Form1 form;
};

template <class T>
T* Control(const Form1& form, const char* name) {
  T* control = form.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

inline QString LabelText(const Form1& form, const char* name) {
  QLabel* label = Control<QLabel>(form, name);
  return label ? label->text() : QString();
}

// The texts of every label of a frame, by name.
std::vector<std::pair<QString, QString>> LabelTexts(const Form1& form, const char* frame);

QString Q(const std::string& utf8);

}  // namespace fragtally::testing
