// The Linux window driven through the same steps that tests/win32/driver.cpp
// drives the Windows program through, writing the same transcript: what each
// message box said, and what every control showed. tests/win32/e2e_test.sh
// runs both on the same game folder contents and compares the transcripts and
// the files they leave byte for byte.
//
//   reference_run GAME_FOLDER TRANSCRIPT STEPS
//
// STEPS as for the driver (start; shown; box; no-box; snapshot; click ID;
// select ID INDEX; trace; screenshot PATH; close), separated by ';'. The
// window runs in this process, so "start" makes GAME_FOLDER the current folder
// and the program folder; a box is taken from the messages the window gave.

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include "app/main_window/layout.h"
#include "transcript.h"
#include "app/text/text_decoding.h"
#include "window/qt/form1.h"

namespace {

using fragtally::ControlKind;
using fragtally::ControlSpec;
using fragtally::testing::TranscriptEscaped;

// Every box as the user reads it, and whether the window was on the screen.
class QueueingSink : public fragtally::MessageSink {
 public:
  struct Box {
    fragtally::MessageIcon icon;
    std::string title, text;  // UTF-8, CR LF line ends
    bool window_shown;
  };
  void ShowMessage(fragtally::MessageIcon icon, const std::string& title, const std::string& text) override {
    boxes.push_back({icon, fragtally::ToUtf8(fragtally::DisplayText(title)),
                     fragtally::ToUtf8(fragtally::DisplayLines(text, u"\r\n")), window && window->isVisible()});
  }
  const QWidget* window = nullptr;
  std::deque<Box> boxes;
};

class Reference {
 public:
  Reference(std::string folder, std::ofstream& out) : folder_(std::move(folder)), out_(out) {}

  bool Run(const std::string& step) {
    std::istringstream words(step);
    std::string verb;
    words >> verb;
    if (verb == "start") {
      std::filesystem::current_path(folder_);
      form_ = std::make_unique<fragtally::Form1>(sink_, QString::fromStdString(folder_));
      sink_.window = form_.get();
      form_->session().Load();
      form_->show();
    } else if (verb == "shown" || verb == "screenshot") {
      QApplication::processEvents();
    } else if (verb == "box" || verb == "no-box") {
      if (sink_.boxes.empty()) {
        out_ << "no box\n";
      } else {
        WriteBox(sink_.boxes.front());
        sink_.boxes.pop_front();
      }
    } else if (verb == "snapshot") {
      Snapshot();
    } else if (verb == "click") {
      int id = 0;
      words >> id;
      auto* button = Find<QPushButton>(id);
      if (button == nullptr) return false;
      button->click();
    } else if (verb == "select") {
      int id = 0, index = 0;
      words >> id >> index;
      auto* combo = Find<QComboBox>(id);
      if (combo == nullptr) return false;
      combo->setCurrentIndex(index);
    } else if (verb == "trace") {
      Trace();
    } else if (verb == "close") {
      form_->close();
      while (!sink_.boxes.empty()) {
        WriteBox(sink_.boxes.front());
        sink_.boxes.pop_front();
      }
      out_ << "closed, exit code 0\n";
    } else {
      std::fprintf(stderr, "reference_run: unknown step %s\n", step.c_str());
      return false;
    }
    return true;
  }

 private:
  template <class T>
  T* Find(int id) {
    for (const ControlSpec& control : fragtally::Form1Controls())
      if (control.ControlId == id) return form_->findChild<T*>(QString::fromLatin1(control.Name));
    return nullptr;
  }

  void WriteBox(const QueueingSink::Box& box) {
    out_ << "box " << (box.icon == fragtally::MessageIcon::Error ? "error" : "information")
         << (box.window_shown ? "" : ", before the window is shown") << "\n";
    out_ << "  title: " << TranscriptEscaped(box.title) << "\n";
    out_ << "  text: " << TranscriptEscaped(box.text) << "\n";
  }

  void Snapshot() {
    out_ << "snapshot\n";
    for (const ControlSpec& control : fragtally::Form1Controls()) {
      const QString name = QString::fromLatin1(control.Name);
      switch (control.Kind) {
        case ControlKind::ComboBox: {
          auto* combo = form_->findChild<QComboBox*>(name);
          out_ << "  " << control.Name << ":";
          for (int i = 0; i < combo->count(); ++i) out_ << " [" << TranscriptEscaped(combo->itemText(i).toStdString()) << "]";
          out_ << " selected " << combo->currentIndex() << " showing [" << TranscriptEscaped(combo->currentText().toStdString())
               << "]\n";
          break;
        }
        case ControlKind::Label:
          out_ << "  " << control.Name << ": " << TranscriptEscaped(form_->findChild<QLabel*>(name)->text().toStdString()) << "\n";
          break;
        case ControlKind::GroupBox:
          out_ << "  " << control.Name << ": " << TranscriptEscaped(form_->findChild<QGroupBox*>(name)->title().toStdString())
               << "\n";
          break;
        case ControlKind::CommandButton:
          out_ << "  " << control.Name << ": " << TranscriptEscaped(form_->findChild<QPushButton*>(name)->text().toStdString())
               << "\n";
          break;
        case ControlKind::TextBox:
          out_ << "  " << control.Name << (form_->findChild<QPlainTextEdit*>(name)->isVisible() ? ": shown\n" : ": hidden\n");
          break;
        case ControlKind::PictureBox:
          break;
      }
    }
  }

  // Text2 with CR LF line ends, as the Windows program answers for it; the
  // caret counted in that text.
  void Trace() {
    QPlainTextEdit* text2 = form_->SyncedText2();
    const QString plain = text2->toPlainText();
    const int caret = text2->textCursor().position();
    const qsizetype caret_crlf = caret + plain.left(caret).count(QLatin1Char('\n'));
    QString crlf = plain;
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    out_ << "trace of " << crlf.size() << " characters, caret at " << caret_crlf
         << (caret_crlf == crlf.size() ? " (the end)" : "") << "\n";
    const std::string text = crlf.toStdString();
    std::size_t begin = 0;
    while (begin < text.size()) {
      std::size_t line_end = text.find("\r\n", begin);
      if (line_end == std::string::npos) line_end = text.size();
      out_ << "  | " << TranscriptEscaped(text.substr(begin, line_end - begin)) << "\n";
      begin = line_end + 2;
    }
  }

  std::string folder_;
  std::ofstream& out_;
  QueueingSink sink_;
  std::unique_ptr<fragtally::Form1> form_;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s GAME_FOLDER TRANSCRIPT STEPS\n", argv[0]);
    return 2;
  }
  const std::string folder = std::filesystem::absolute(argv[1]).string();
  std::ofstream out(std::filesystem::absolute(argv[2]), std::ios::binary | std::ios::trunc);
  Reference reference(folder, out);
  std::stringstream steps(argv[3]);
  std::string step;
  int failures = 0;
  while (std::getline(steps, step, ';')) {
    const std::size_t first = step.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    if (!reference.Run(step.substr(first))) ++failures;
    out.flush();
  }
  return failures == 0 ? 0 : 1;
}
