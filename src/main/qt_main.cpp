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

// For measuring the program. With FRAGTALLY_EXIT_WHEN_SHOWN=1 it reports how
// long it took until the window was first painted and ends there, writing
// nothing; with FRAGTALLY_EXIT_WHEN_SHOWN=import it first presses the import
// button and reports how long the import took. Messages go to the standard
// error output instead of boxes.
class ExitWhenShown : public QObject {
 public:
  ExitWhenShown(const QElapsedTimer& since_start, fragtally::Form1& form, bool import)
      : since_start_(since_start), form_(form), import_(import) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &form_ && event->type() == QEvent::Paint && !done_) {
      done_ = true;
      // Report once this paint has been handled.
      QTimer::singleShot(0, this, [this] {
        std::fprintf(stderr, "shown after %lld ms\n", static_cast<long long>(since_start_.elapsed()));
        if (import_) {
          QElapsedTimer import_time;
          import_time.start();
          form_.Command1_Click();
          std::fprintf(stderr, "imported in %lld ms\n", static_cast<long long>(import_time.elapsed()));
        }
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
  const bool import_;
  bool done_ = false;
};


}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer since_start;
  since_start.start();

  QApplication app(argc, argv);
  const QString measuring = qEnvironmentVariable("FRAGTALLY_EXIT_WHEN_SHOWN");
  fragtally::QtMessageSink boxes;
  fragtally::PrintingSink printed;
  fragtally::MessageSink& messages = measuring.isEmpty() ? static_cast<fragtally::MessageSink&>(boxes) : printed;
  fragtally::Form1 form(messages);

  ExitWhenShown exit_when_shown(since_start, form, measuring == QLatin1String("import"));
  if (!measuring.isEmpty()) form.installEventFilter(&exit_when_shown);

  // Closing the window saves; so does an end of the program by other means
  // (Form_Unload runs once).
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.Form_Unload(); });

  form.Form_Load();  // the statistics-file message, if any, comes before the window
  form.show();
  return app.exec();
}
