#include "window/qt/qt_message_sink.h"

#include <cstdio>

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "app/text/text_decoding.h"

namespace fragtally {

namespace {

// Shows a modal box over the active window (none while the program starts)
// and returns the button pressed.
QMessageBox::StandardButton ShowBox(QMessageBox::Icon icon, const std::string& title, const std::string& text,
                                    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton default_button) {
  QWidget* window = QApplication::activeWindow();
  QMessageBox box(icon, QString::fromStdU16String(DisplayText(title)),
                  QString::fromStdU16String(DisplayLines(text, u"\n")), buttons, window);
  box.setTextFormat(Qt::PlainText);  // names in a report are never markup
  box.setDefaultButton(default_button);
  box.setEscapeButton(default_button);
  const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
  // The window the box came over is active again, with the focus where it
  // was (not every window manager hands the activation back by itself).
  if (window != nullptr && window->isVisible()) window->activateWindow();
  return pressed;
}

}  // namespace

void QtMessageSink::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  ShowBox(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information, title, text,
          QMessageBox::Ok, QMessageBox::Ok);
}

bool QtMessageSink::AskYesNo(const std::string& title, const std::string& text) {
  return ShowBox(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

void PrintingSink::ShowMessage(MessageIcon, const std::string& title, const std::string& text) {
  std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
}

}  // namespace fragtally
