#pragma once

// One copy of the program per game folder. The copy that holds the folder's
// lock (platform::LockGameFolder) listens with a local server named after the
// folder (platform::InstanceName); a later start in the same folder connects,
// says "show", and ends, and the running copy brings its window to the front.

#include <string>

#include <QObject>

class QLocalServer;

namespace fragtally {

class Form1;

// The running copy's side: while it lives, a request from another start
// brings `form` to the front (Form1::BringToFront).
class RunningCopy : public QObject {
  Q_OBJECT

 public:
  RunningCopy(const std::string& instance_name, Form1& form);
  ~RunningCopy() override;

  bool listening() const;

 signals:
  // After a request was served.
  void broughtToFront();

 private:
  void OnConnection();

  Form1& form_;
  QLocalServer* server_;
};

// The later start's side: asks the copy running under `instance_name` to
// bring its window to the front, trying for up to `wait_ms` (it may be
// starting itself). It only writes the request and does not wait for the
// running copy to handle it, so a copy that is busy or shows a message box
// cannot hold this start up. Whether the request was delivered.
bool AskRunningCopyToShow(const std::string& instance_name, int wait_ms);

}  // namespace fragtally
