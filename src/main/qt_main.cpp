// Fragtally: lifetime statistics of Krellmar players, one window.

#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include "window/qt/form1.h"
#include "window/qt/qt_message_sink.h"

namespace {

// With FRAGTALLY_EXIT_WHEN_SHOWN=1 the program reports how long it took
// until the window was first painted and ends there, writing nothing.
class ExitWhenShown : public QObject {
 public:
  ExitWhenShown(const QElapsedTimer& since_start, fragtally::Form1& form) : since_start_(since_start), form_(form) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &form_ && event->type() == QEvent::Paint && !done_) {
      done_ = true;
      // Report once this paint has been handled.
      QTimer::singleShot(0, this, [this] {
        std::fprintf(stderr, "shown after %lld ms\n", static_cast<long long>(since_start_.elapsed()));
        std::fflush(stderr);
        form_.DisableUnload();
        QCoreApplication::exit(0);
      });
    }
    return false;
  }

 private:
  const QElapsedTimer& since_start_;
  fragtally::Form1& form_;
  bool done_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer since_start;
  since_start.start();

  QApplication app(argc, argv);
  fragtally::QtMessageSink messages;
  fragtally::Form1 form(messages);

  ExitWhenShown exit_when_shown(since_start, form);
  if (qEnvironmentVariable("FRAGTALLY_EXIT_WHEN_SHOWN") == QLatin1String("1")) form.installEventFilter(&exit_when_shown);

  // Closing the window saves; so does an end of the program by other means
  // (Form_Unload runs once).
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.Form_Unload(); });

  form.Form_Load();  // the statistics-file message, if any, comes before the window
  form.show();
  return app.exec();
}
