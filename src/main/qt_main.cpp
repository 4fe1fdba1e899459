// Fragtally: lifetime statistics of Krellmar players, one window.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QLocale>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include "app/program/command_line.h"
#include "platform/platform.h"
#include "window/qt/form1.h"
#include "window/qt/qt_message_sink.h"
#include "window/qt/qt_translations.h"
#include "window/qt/running_copy.h"

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
          form_.session().Import();
          std::fprintf(stderr, "imported in %lld ms\n", static_cast<long long>(import_time.elapsed()));
        }
        std::fflush(stderr);
        form_.session().DisableUnload();
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

// How long a second start tries to reach the running copy: it may hold the
// folder's lock and still be starting its server.
constexpr int kRunningCopyWaitMs = 5000;

// With FRAGTALLY_PRINT_RUNNING_COPY=1 the program says on the standard error
// output when it listens for later starts, and when one asked it to come to
// the front (the two-process tests watch for these lines).
void Print(const char* line) {
  std::fprintf(stderr, "%s\n", line);
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer since_start;
  since_start.start();

  // --help, --version, the exports and a wrong option end here, without a
  // window (and without a display).
  {
    const std::string decimal = QLocale::system().decimalPoint().toStdString();
    const std::optional<fragtally::ProgramExit> done = fragtally::RunWithoutWindow(
        std::vector<std::string>(argv + 1, argv + argc), fragtally::platform::ExecutableFolder(),
        {fragtally::ListSeparatorFor(decimal), decimal});
    if (done) {
      std::fputs(done->Out.c_str(), stdout);
      std::fputs(done->Err.c_str(), stderr);
      return done->ExitCode;
    }
  }

  QApplication app(argc, argv);
  fragtally::InstallQtTranslations(app);

  // One copy per game folder, before anything is read: a second start brings
  // the running copy to the front and ends, touching no file (two copies
  // would each save their own totals over the other's).
  const std::string folder = fragtally::platform::ExecutableFolder();
  const std::unique_ptr<fragtally::platform::InstanceLock> lock = fragtally::platform::LockGameFolder(folder);
  const std::string instance_name = fragtally::platform::InstanceName(folder);
  const bool print_running_copy = qEnvironmentVariable("FRAGTALLY_PRINT_RUNNING_COPY") == QLatin1String("1");
  if (lock == nullptr) {
    const bool asked = fragtally::AskRunningCopyToShow(instance_name, kRunningCopyWaitMs);
    if (print_running_copy) Print(asked ? "asked the running copy to come to the front" : "no running copy answered");
    return 0;
  }

  const QString measuring = qEnvironmentVariable("FRAGTALLY_EXIT_WHEN_SHOWN");
  fragtally::QtMessageSink boxes;
  fragtally::PrintingSink printed;
  fragtally::MessageSink& messages = measuring.isEmpty() ? static_cast<fragtally::MessageSink&>(boxes) : printed;
  fragtally::Form1 form(messages);

  ExitWhenShown exit_when_shown(since_start, form, measuring == QLatin1String("import"));
  if (!measuring.isEmpty()) form.installEventFilter(&exit_when_shown);

  // Closing the window saves; so does an end of the program by other means
  // (Form_Unload runs once).
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.session().Unload(); });

  // From here a later start finds this copy, even while the start-up's
  // message box is up.
  fragtally::RunningCopy running(instance_name, form);
  if (print_running_copy) {
    Print(running.listening() ? "listening for later starts" : "cannot listen for later starts");
    QObject::connect(&running, &fragtally::RunningCopy::broughtToFront, [] { Print("brought to the front by a later start"); });
  }

  if (!lock->LocksFolder())
    messages.ShowMessage(fragtally::MessageIcon::Error, fragtally::kGameFolderNotLockedTitle,
                         fragtally::GameFolderNotLockedText(fragtally::platform::AbsolutePath(folder)));
  form.session().Load();  // the statistics-file message, if any, comes before the window
  form.show();
  return app.exec();
}
