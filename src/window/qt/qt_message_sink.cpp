#include "window/qt/qt_message_sink.h"

#include <cstdio>

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "window/display_text.h"

namespace fragtally {

void QtMessageSink::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  QWidget* window = QApplication::activeWindow();
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  QString::fromStdU16String(DisplayText(title)), QString::fromStdU16String(DisplayLines(text, u"\n")),
                  QMessageBox::Ok, window);
  box.setTextFormat(Qt::PlainText);  // names in a report are never markup
  box.exec();
  // The window the box came over is active again, with the focus where it
  // was (not every window manager hands the activation back by itself).
  if (window != nullptr && window->isVisible()) window->activateWindow();
}

void PrintingSink::ShowMessage(MessageIcon, const std::string& title, const std::string& text) {
  std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
}

}  // namespace fragtally
