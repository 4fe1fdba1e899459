#include "window/qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace fragtally {

void QtMessageSink::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  QString body = QString::fromStdString(text);
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  QString::fromStdString(title), body, QMessageBox::Ok, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);  // names in a report are never markup
  box.exec();
}

}  // namespace fragtally
