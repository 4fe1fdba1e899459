#include "app/main_window/form_session.h"

#include <utility>

#include "app/main_window/commands.h"
#include "app/main_window/import_report.h"
#include "app/matches/head_to_head_session.h"
#include "files/paths.h"

namespace fragtally {

namespace {

// Sets a flag for the lifetime of the guard, and puts back what it was.
class FlagWhile {
 public:
  FlagWhile(bool& flag, bool value) : flag_(flag), before_(flag) { flag_ = value; }
  ~FlagWhile() { flag_ = before_; }
  FlagWhile(const FlagWhile&) = delete;
  FlagWhile& operator=(const FlagWhile&) = delete;

 private:
  bool& flag_;
  bool before_;
};

}  // namespace

template <class Box>
auto FormSession::RefreshFirst::Around(const Box& box) {
  FormSession& session = session_;
  session.Refresh();
  // A box is up: the user may act on it, so the cursor is the normal one.
  struct NormalCursor {
    FormSession& session;
    bool was_busy;
    explicit NormalCursor(FormSession& s) : session(s), was_busy(s.busy_) {
      if (was_busy) session.view_.SetBusy(session.busy_ = false);
    }
    ~NormalCursor() {
      if (was_busy) session.view_.SetBusy(session.busy_ = true);
    }
  } normal(session);
  return box(session.outer_);
}

void FormSession::RefreshFirst::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  Around([&](MessageSink& outer) { outer.ShowMessage(icon, title, text); });
}

bool FormSession::RefreshFirst::AskYesNo(const std::string& title, const std::string& text) {
  return Around([&](MessageSink& outer) { return outer.AskYesNo(title, text); });
}

FormSession::FormSession(FormView& view, MessageSink& messages, std::string program_folder)
    : view_(view), outer_(messages), messages_(*this), state_(NewForm1State(std::move(program_folder))) {
  labels_shown_ = {state_->Panel1, state_->Panel2};
}

bool FormSession::Run(Duration duration, const Handler& handler) {
  if (running_) return false;
  FlagWhile running(running_, true);
  const bool long_running = duration == Duration::Long && !busy_;
  if (long_running) view_.SetBusy(busy_ = true);
  struct Idle {
    FormSession& session;
    bool was_set;
    ~Idle() {
      if (was_set) session.view_.SetBusy(session.busy_ = false);
    }
  } idle{*this, long_running};
  handler(*state_, messages_);
  Refresh();
  return true;
}

void FormSession::Load() {
  if (loaded_ || running_) return;
  loaded_ = true;
  Run(Duration::Long, [this](WindowState& state, MessageSink& messages) {
    view_.LoadPanelPictures(PanelPicturePath(state));  // the statistics file may be large
    Form_Load(state, messages);
    totals_changed_ = true;
  });
}

// The window becomes active also when a handler's box goes away: the caret
// moves then too.
void FormSession::Activate() {
  Form_Activate(*state_);
  Refresh();
}

// Closing is never refused and never waits: the files are written even when
// a handler's box is up (the system ends the session).
void FormSession::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  Form_Unload(*state_, messages_);
}

void FormSession::Import() {
  Run(Duration::Long, [this](WindowState& state, MessageSink& messages) {
    Command1_Click(state, messages);
    totals_changed_ = true;
  });
}

void FormSession::UndoImport() {
  Run(Duration::Long, [this](WindowState& state, MessageSink& messages) {
    const std::int64_t in_effect = state.Journal.InEffect;
    UndoLastImport(state, messages);
    if (state.Journal.InEffect != in_effect) state.StatusLine = ImportUndoneText(LocalClockTime());
    totals_changed_ = true;
  });
}

void FormSession::About() {
  Run(Duration::Short, [](WindowState& state, MessageSink& messages) {
    messages.ShowMessage(MessageIcon::Information, kAboutTitle, AboutText(state));
  });
}

void FormSession::Export(ExportKind kind, const std::string& target, const CsvFormat& format) {
  Run(Duration::Long, [&](WindowState& state, MessageSink& messages) {
    ExportFromWindow(state, messages, kind, target, format);
  });
}

void FormSession::Ratings(const std::string& decimal_separator) {
  Run(Duration::Short, [&decimal_separator](WindowState& state, MessageSink& messages) {
    Command2_Click(state, messages, decimal_separator);
  });
}

void FormSession::Select(Panel panel, int index) {
  Run(Duration::Short,
      [panel, index](WindowState& state, MessageSink& messages) { SelectPlayer(state, messages, panel, index); });
}

void FormSession::Menu(MenuCommand command, MenuWindow& window) {
  switch (command) {
    case MenuCommand::Players:
      window.ShowPlayers();
      break;
    case MenuCommand::ExportHtml:
    case MenuCommand::ExportCsv:
    case MenuCommand::ExportMatches: {
      if (running_) return;  // no dialog while a handler's box is up
      const ExportKind kind = command == MenuCommand::ExportHtml  ? ExportKind::Html
                              : command == MenuCommand::ExportCsv ? ExportKind::Csv
                                                                  : ExportKind::Matches;
      if (const std::optional<std::string> target = window.ChooseExportFile(ExportOfferFor(command)))
        Export(kind, *target, window.UserCsvFormat());
      break;
    }
    case MenuCommand::HeadToHead: {
      if (running_) return;
      const int first = state_->Combo1.ListIndex + 1, second = state_->Combo2.ListIndex + 1;
      if (first > 0 && second > 0 && first != second) {
        window.ShowHeadToHead(first, second);
      } else {
        Run(Duration::Short, [](WindowState&, MessageSink& messages) {
          messages.ShowMessage(MessageIcon::Information, std::string(kHeadToHeadTexts.MenuTitle),
                               std::string(kHeadToHeadTexts.MenuChooseTwo));
        });
      }
      break;
    }
    case MenuCommand::UndoImport:
      UndoImport();
      break;
    case MenuCommand::About:
      About();
      break;
  }
}

ViewDelta FormSession::TakeDelta() {
  ViewDelta delta;
  const PlayerTable& table = state_->Table;
  const int entries = SelectorEntryCount(table);
  if (entries < entries_shown_) {  // an undone import took its new players away: start over
    delta.ResetEntries = true;
    entries_shown_ = 0;
  }
  delta.FirstNewEntry = entries_shown_;
  delta.NewEntries.reserve(static_cast<std::size_t>(entries - entries_shown_));
  for (int k = entries_shown_; k < entries; ++k) delta.NewEntries.push_back(SelectorEntry(table, k));
  entries_shown_ = entries;

  for (Panel which : {Panel::First, Panel::Second}) {
    const std::size_t p = which == Panel::First ? 0 : 1;
    delta.Selected[p] = SelectorOf(*state_, which).ListIndex;
    const PanelLabels& labels = LabelsOf(*state_, which);
    for (std::size_t i = 0; i < labels.size(); ++i) {
      if (labels_shown_[p][i] == labels[i]) continue;
      labels_shown_[p][i] = labels[i];
      delta.Labels.push_back({which, static_cast<int>(i), labels[i]});
    }
  }
  delta.TraceCaret = state_->TraceCaret;
  delta.UndoImportEnabled = CanUndoImport(*state_);
  delta.TotalsChanged = std::exchange(totals_changed_, false);
  if (state_->StatusLine != status_shown_) {
    status_shown_ = state_->StatusLine;
    delta.StatusLine = state_->StatusLine;
  }
  return delta;
}

void FormSession::Refresh() { view_.Apply(TakeDelta()); }

void FormSession::ViewReset() {
  entries_shown_ = 0;
  labels_shown_ = {DesignPanelLabels(), DesignPanelLabels()};
  status_shown_.clear();
  Refresh();
}

}  // namespace fragtally
