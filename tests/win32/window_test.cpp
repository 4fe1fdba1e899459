// The Windows window: its controls from the layout table, and the behaviour of
// the Linux window (tests/gui) through the messages a user's actions send.

#include <windows.h>
#include <commctrl.h>
#include <wincodec.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "app/text/messages.h"
#include "files/paths.h"
#include "memory_file_system.h"
#include "pass_through_file_system.h"
#include "platform/platform.h"
#include "capture.h"
#include "window/win32/newer_windows.h"
#include "window/win32/picture.h"
#include "window/win32/resource.h"
#include "window/win32/text.h"
#include "window_support.h"

namespace fragtally::testing {
namespace {

const Totals kAnn{"Ann", 1, {{{12, 30}, {0, 0}, {0, 0}, {5, 20}, {0, 0}, {4, 10}, {0, 0}, {0, 0}}}, 900, 700, 5, 3, 0, 5, 2};
const Totals kBob{"Bob", 0, {{{20, 50}, {3, 9}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}, 400, 800, 2, 6, 1, 1, 3};
const Totals kCid{"Cid", 2, {{{7, 70}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {1, 4}, {0, 0}}}, 300, 200, 1, 1, 0, 1, 1};
// 328 hits of 1 shot: 32800% does not fit an accuracy label.
const Totals kOver{"Over", 11, {{{328, 1}, {2, 4}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}},
                   10, 20, 30, 40, 50, 60, 3};
const std::string kGrach = "\xC3\xF0\xE0\xF7";  // Грач in Windows-1251, as the game writes it
const std::string kStartup = "--- Fs_startup : Sun Mar 15 18:02:44 2026";

// --- controls from the layout table --------------------------------------------------------

TEST_F(WindowTest, EveryControlIsADirectChildWithItsControlId) {
  int labels = 0;
  for (const ControlSpec& control : Form1Controls()) {
    HWND hwnd = GetDlgItem(main_, control.ControlId);
    ASSERT_NE(hwnd, nullptr) << control.Name;
    EXPECT_EQ(GetParent(hwnd), main_) << control.Name;
    const wchar_t* expected = L"Static";
    switch (control.Kind) {
      case ControlKind::GroupBox:
      case ControlKind::CommandButton:
        expected = L"Button";
        break;
      case ControlKind::ComboBox:
        expected = L"ComboBox";
        break;
      case ControlKind::TextBox:
        expected = L"Edit";
        break;
      case ControlKind::Label:
        ++labels;
        break;
      case ControlKind::PictureBox:
        break;
    }
    EXPECT_EQ(ClassOf(hwnd), expected) << control.Name;
  }
  EXPECT_EQ(labels, 74);
  EXPECT_EQ(GetDlgItem(main_, 6002), Item("Text2"));
  EXPECT_EQ(GetDlgItem(main_, 1074), Item("Label74"));
  EXPECT_FALSE(GetWindowLongW(Item("Text2"), GWL_STYLE) & WS_VISIBLE) << "the trace stays hidden";
}

TEST_F(WindowTest, TheStatusLineShowsThePresentersTextUnderTheTable) {
  HWND status = GetDlgItem(main_, kStatusLineId);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(ClassOf(status), L"Static");
  EXPECT_TRUE(GetWindowLongW(status, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongW(status, GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(TextOf(status), L"") << "empty until the first import";
  const RECT r = RectInParent(status);
  RECT command2 = RectInParent(Item("Command2"));
  EXPECT_GT(r.top, command2.bottom) << "under every control of the table";
  form_->state().StatusLine = "Импорт в 21:15 занёс 2 игры из 1 игровой сессии, новых игроков: 2.";
  form_->session().Refresh();
  EXPECT_EQ(TextOf(status), L"Импорт в 21:15 занёс 2 игры из 1 игровой сессии, новых игроков: 2.");
}

TEST_F(WindowTest, CaptionAndDesignTexts) {
  EXPECT_EQ(TextOf(main_), L"Fragtally by Morvel version 050");
  EXPECT_EQ(Text("Frame1"), L"Статистика первого игрока");
  EXPECT_EQ(Text("Frame2"), L"Статистика второго игрока");
  EXPECT_EQ(Text("Command1"), L"Занести новую статистику");
  EXPECT_EQ(Text("Command2"), L"Показать рейтинги");
  EXPECT_EQ(Text("Label1"), L"Stats for Morvel");
  EXPECT_EQ(Text("Label73"), L"kills       deaths    suicides     frags");
  EXPECT_EQ(Text("Label52"), L"100%");
  EXPECT_EQ(Text("Label38"), L"1234567890");
}

TEST_F(WindowTest, LayoutAt96Dpi) {
  if (form_->dpi() != 96) GTEST_SKIP() << "DPI " << form_->dpi();
  RECT client;
  GetClientRect(main_, &client);
  EXPECT_EQ(client.right, 545);
  EXPECT_EQ(client.bottom, 432 + 27) << "the table's area and the status line under it";
  const RECT frame2 = RectInParent(Item("Frame2"));
  EXPECT_EQ(frame2.left, 280);
  EXPECT_EQ(frame2.top, 8);
  EXPECT_EQ(frame2.right - frame2.left, 257);
  EXPECT_EQ(frame2.bottom - frame2.top, 377);
  const RECT image2 = RectInParent(Item("Image2"));
  EXPECT_EQ(image2.left, 288);
  EXPECT_EQ(image2.top, 56);
  EXPECT_EQ(image2.right - image2.left, 240);
  EXPECT_EQ(image2.bottom - image2.top, 320);
  const RECT label74 = RectInParent(Item("Label74"));
  EXPECT_EQ(label74.left, 280 + 32);
  EXPECT_EQ(label74.top, 8 + 64);
  const RECT combo1 = RectInParent(Item("Combo1"));
  EXPECT_EQ(combo1.left, 16);
  EXPECT_EQ(combo1.top, 24);
  EXPECT_EQ(combo1.right - combo1.left, 241);
  const RECT command1 = RectInParent(Item("Command1"));
  EXPECT_EQ(command1.left, 280);
  EXPECT_EQ(command1.top, 392);
  EXPECT_EQ(command1.bottom - command1.top, 33);
}

// At any DPI: the client area and every control as the table's twips give
// them at that DPI (tests/win32/run_tests.sh runs this at 144 DPI too).
void ExpectLayoutAtItsDpi(const win32::Form1& form) {
  const int dpi = static_cast<int>(form.dpi());
  ASSERT_NE(GetMenu(form.hwnd()), nullptr) << "the client area is measured below the menu bar";
  ::testing::Test::RecordProperty("dpi", dpi);
  RECT client;
  GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(client.right, TwipsToPixels(kClientWidthTwips, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(kClientHeightWithStatusTwips, dpi));
  std::vector<const ControlSpec*> controls;
  for (const ControlSpec& control : Form1Controls()) controls.push_back(&control);
  controls.push_back(&StatusLineControl());
  for (const ControlSpec* each : controls) {
    const ControlSpec& control = *each;
    int left = TwipsToPixels(control.Rect.Left, dpi), top = TwipsToPixels(control.Rect.Top, dpi);
    if (const ControlSpec* container = FindControl(control.Container)) {
      left += TwipsToPixels(container->Rect.Left, dpi);
      top += TwipsToPixels(container->Rect.Top, dpi);
    }
    const RECT r = RectInParent(GetDlgItem(form.hwnd(), control.ControlId));
    EXPECT_EQ(r.left, left) << control.Name;
    EXPECT_EQ(r.top, top) << control.Name;
    EXPECT_EQ(r.right - r.left, TwipsToPixels(control.Rect.Width, dpi)) << control.Name;
    if (control.Kind != ControlKind::ComboBox) {  // a combo box is as high as its drop-down list
      EXPECT_EQ(r.bottom - r.top, TwipsToPixels(control.Rect.Height, dpi)) << control.Name;
    }
  }
  LOGFONTW font{};
  GetObjectW(form.FontOf(FontKind::PanelLabel), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -MulDiv(825, dpi, 7200));
  if (const char* expected = std::getenv("FRAGTALLY_EXPECTED_DPI")) {
    EXPECT_EQ(dpi, std::atoi(expected));
  }
}

TEST_F(WindowTest, LayoutScalesWithTheDpi) { ExpectLayoutAtItsDpi(*form_); }

// Windows 7 has neither GetDpiForWindow nor AdjustWindowRectExForDpi: the
// window takes the screen's DPI and the frame at the system's DPI, and comes
// out the same (run at 144 DPI too).
class ActingAsWindows7 {
 protected:
  ActingAsWindows7() { win32::ActAsWindows7(true); }
  ~ActingAsWindows7() { win32::ActAsWindows7(false); }
};
class Windows7Window : private ActingAsWindows7, public WindowTest {};

TEST_F(Windows7Window, LayoutScalesWithTheScreensDpi) { ExpectLayoutAtItsDpi(*form_); }

TEST_F(WindowTest, SelectorsAreUnsortedDropDownLists) {
  for (const char* name : {"Combo1", "Combo2"}) {
    const LONG style = GetWindowLongW(Item(name), GWL_STYLE);
    EXPECT_EQ(style & 3, CBS_DROPDOWNLIST) << name;
    EXPECT_FALSE(style & CBS_SORT) << name;
    EXPECT_TRUE(style & WS_TABSTOP) << name;
  }
}

TEST_F(WindowTest, LabelsLieAboveThePicturesAndFramesBelowEverything) {
  int position = 0, first_picture = -1, last_label = -1, first_frame = -1, last_other = -1;
  for (HWND child = GetWindow(main_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT), ++position) {
    const int id = GetDlgCtrlID(child);
    if (id >= 1000 && id < 2000) last_label = position;
    if (id >= 5000 && id < 6000 && first_picture < 0) first_picture = position;
    if (id >= 4000 && id < 5000 && first_frame < 0) first_frame = position;
    if (id < 4000 || id >= 5000) last_other = position;
  }
  EXPECT_LT(last_label, first_picture);
  EXPECT_GT(first_frame, last_other);
}

TEST_F(WindowTest, TabOrderFollowsTheTableWithTheHiddenTraceSkipped) {
  ShowAndPaint();
  std::vector<int> order;
  HWND at = Item("Command1");
  for (int i = 0; i < 5; ++i) {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(main_, at, FALSE);
  }
  EXPECT_EQ(order, (std::vector<int>{3001, 2001, 2002, 3002, 3001}));
  // In the z-order the tab stops come in the table's order, Text2 included.
  std::vector<int> stops;
  for (HWND child = GetWindow(main_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) stops.push_back(GetDlgCtrlID(child));
  EXPECT_EQ(stops, (std::vector<int>{3001, 6002, 2001, 2002, 3002}));
}

TEST_F(WindowTest, FontsAreTheTablesOnes) {
  LOGFONTW font{};
  GetObjectW(form_->FontOf(FontKind::PanelLabel), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
  EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(font.lfHeight, -MulDiv(825, static_cast<int>(form_->dpi()), 7200));
  GetObjectW(form_->FontOf(FontKind::Window), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  // Both can show the Russian captions, whatever the system's code page.
  HDC dc = GetDC(main_);
  for (FontKind kind : {FontKind::Window, FontKind::PanelLabel}) {
    HGDIOBJ old = SelectObject(dc, form_->FontOf(kind));
    EXPECT_EQ(GetTextCharset(dc), RUSSIAN_CHARSET) << "code page " << GetACP();
    SelectObject(dc, old);
  }
  ReleaseDC(main_, dc);
  auto font_of = [](HWND hwnd) { return reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)); };
  EXPECT_EQ(font_of(Item("Command1")), form_->FontOf(FontKind::PanelLabel));
  EXPECT_EQ(font_of(Item("Command2")), form_->FontOf(FontKind::Window));
  EXPECT_EQ(font_of(Item("Frame1")), form_->FontOf(FontKind::Window));
}

// --- start-up and closing ------------------------------------------------------------------

TEST_F(WindowTest, FirstRunTellsTheUserBeforeTheWindowIsShownAndSelectsNobody) {
  Load();
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(sink_.messages[0].title, kStatsNotFoundTitle);
  EXPECT_EQ(sink_.messages[0].text, std::string(kStatsNotFoundText) + kContactAddress);
  EXPECT_FALSE(sink_.window_visible[0]);
  EXPECT_EQ(SendMessageW(Item("Combo1"), CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(Item("Combo1"), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(Text("Label1"), L"Stats for Morvel");

  SendMessageW(main_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main_));
  EXPECT_FALSE(std::filesystem::exists(Basekrm() / "Stats.krm"));
  EXPECT_EQ(ReadFile(Basekrm() / "mSetup.ini"), "basekrm\\LOG.txt\r\n\r\n");
}

// WM_ACTIVATE reaches the presenter, which moves the caret to the end of the
// trace (TraceCaretIsAnsweredAsTheSelection: Text2 answers it), once the
// window is on the screen.
TEST_F(WindowTest, ActivationReachesThePresenterOnceTheWindowIsShown) {
  WriteStats(StatsFileOf({kAnn, kBob}));
  Load();
  form_->state().TraceCaret = 0;
  SendMessageW(main_, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(form_->state().TraceCaret, 0u) << "not before the window is shown";
  ShowAndPaint();
  SendMessageW(main_, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(form_->state().TraceCaret, form_->state().Trace.size());
}

// WM_CLOSE unloads once, and the window goes even when a save fails (what is
// saved and said: Presenter.ClosingWritesBothFilesAndASaveThatFailsIsToldWhileClosingGoesOn).
TEST_F(WindowTest, CloseUnloadsOnceAndTheWindowGoesEvenWhenASaveFails) {
  WriteStats(StatsFileOf({kAnn}));
  std::filesystem::create_directories(Basekrm() / "mSetup.ini");  // a folder where the file belongs
  Load();
  ShowAndPaint();
  PostMessageW(main_, WM_CLOSE, 0, 0);
  MSG message;
  while (IsWindow(main_) && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_FALSE(IsWindow(main_)) << "closing is never refused";
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0].title, kSaveFailedTitle);
  form_->session().Unload();  // once only
  EXPECT_EQ(sink_.messages.size(), 1u);
}

// --- the panels and the selectors ----------------------------------------------------------

TEST_F(WindowTest, SetCurSelAloneChangesNothing) {
  WriteStats(StatsFileOf({kAnn, kBob, kCid}));
  Load();
  SendMessageW(Item("Combo1"), CB_SETCURSEL, 2, 0);
  EXPECT_EQ(Text("Label1"), L"Stats for Ann");
  EXPECT_EQ(form_->state().Combo1.ListIndex, 0);
}

TEST_F(WindowTest, ChoosingInOneSelectorFillsThatPanelOnly) {
  WriteStats(StatsFileOf({kAnn, kBob, kCid}));
  Load();
  const std::wstring other = Text("Label74");
  SelectAsUser("Combo1", 2);
  EXPECT_EQ(Text("Label1"), L"Stats for Cid");
  EXPECT_EQ(Text("Label21"), L"1/4");  // plasma
  EXPECT_EQ(Text("Label29"), L"25%");
  EXPECT_EQ(Text("Combo1"), L"Cid");
  EXPECT_EQ(form_->state().Combo1.ListIndex, 2);
  EXPECT_EQ(Text("Label74"), other);
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(WindowTest, SelectorsGrowByTheNewNamesOnly) {
  WriteStats(StatsFileOf({kAnn}));
  Load();
  HWND combo = Item("Combo1");
  // An item the window did not add stays: the list is only extended.
  SendMessageW(combo, CB_SETITEMDATA, 0, 77);
  WriteFile(dir_.path() / "basekrm" / "LOG.txt", CrLf(Lines({{kStartup}, MatchBlock("Bob", 2)})));
  Click("Command1");
  EXPECT_EQ(ComboItems(combo), (std::vector<std::wstring>{L"Ann", L"Bob"}));
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 0, 0), 77);
}

// --- the buttons ------------------------------------------------------------------------

// The ratings use the user's decimal separator: CTest runs this once more
// under a Russian and an English locale, with the separator it must give in
// FRAGTALLY_EXPECTED_DECIMAL.
TEST_F(WindowTest, RatingsUseTheUsersDecimalSeparator) {
  const Totals alpha{"Alpha", 0, {{{45, 100}, {30, 100}, {0, 0}, {12, 100}, {25, 100}, {50, 100}, {0, 0}, {0, 0}}},
                     5400, 4750, 31, 18, 0, 31, 4};
  const Totals bravo{"Bravo", 0, {{{60, 100}, {0, 0}, {0, 0}, {35, 100}, {0, 0}, {41, 100}, {0, 0}, {0, 0}}},
                     2000, 2600, 10, 17, 0, 10, 3};
  std::string separator = ".";
  wchar_t user[8] = L"";
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, user, 8) > 1) separator = win32::ToUtf8(user);
  if (const char* expected = std::getenv("FRAGTALLY_EXPECTED_DECIMAL")) {
    ASSERT_EQ(separator, expected) << "the locale Wine gave";
  }
  WriteStats(StatsFileOf({alpha, bravo}));
  Load();
  PostMessageW(Item("Command2"), BM_CLICK, 0, 0);  // as another program clicks
  MSG message;
  while (sink_.messages.empty() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0].text,
            "Рейтинги первого игрока:\r\n\r\nAlpha\r\nРейтинг фрагов: 3" + separator + "25\r\nРейтинг повреждений: 162" +
                separator +
                "5\r\nРейтинг точности: 20\r\nКоличество игр: 4\r\n\r\n================================          "
                "\r\n\r\nРейтинги второго игрока:\r\n\r\nBravo\r\nРейтинг фрагов: -2" +
                separator + "33333333333333\r\nРейтинг повреждений: -200\r\nРейтинг точности: 17\r\nКоличество игр: 3");
}

// --- the wait cursor ----------------------------------------------------------------------

// The native files, noting the cursor whenever a file is opened.
class CursorWatchingFiles : public PassThroughFileSystem {
 public:
  std::unique_ptr<platform::InputFile> OpenForReading(const std::string& path, platform::FileFailure* failure) override {
    cursors.push_back(GetCursor());
    return PassThroughFileSystem::OpenForReading(path, failure);
  }
  std::vector<HCURSOR> cursors;
};

class WaitCursorTest : public WindowTest {
 protected:
  HCURSOR Wait() const { return LoadCursorW(nullptr, IDC_WAIT); }
  HCURSOR Arrow() const { return LoadCursorW(nullptr, IDC_ARROW); }
  CursorWatchingFiles files_;
  UsingFileSystem using_{files_};
};

TEST_F(WaitCursorTest, StartUpLoadRunsUnderTheWaitCursorAndTheBoxUnderTheNormalOne) {
  SetCursor(Arrow());
  Load();  // no statistics file: a box
  ASSERT_FALSE(files_.cursors.empty());
  for (HCURSOR cursor : files_.cursors) EXPECT_EQ(cursor, Wait());
  ASSERT_EQ(sink_.cursor.size(), 1u);
  EXPECT_EQ(sink_.cursor[0], Arrow());
  EXPECT_EQ(GetCursor(), Arrow());
  EXPECT_FALSE(form_->session().busy());
}

// --- Text2: the trace -----------------------------------------------------------------------

TEST_F(WindowTest, TraceIsAnsweredDecodedWithCrLfAndTheEditHoldsNoCopy) {
  WriteStats(StatsFileOf({kAnn}));
  Load();
  AppendTrace(form_->state(), "Name=" + kGrach);  // Windows-1251
  AppendTrace(form_->state(), "Name=Ёжик");      // UTF-8
  HWND text2 = Item("Text2");
  const std::wstring trace = TextOf(text2);
  EXPECT_EQ(trace.rfind(L"Name=Ann\r\nGaunlet=1\r\nMachinegun=12/30\r\n", 0), 0u);
  EXPECT_TRUE(trace.ends_with(L"Games=2\r\nName=Грач\r\nName=Ёжик\r\n"));
  EXPECT_EQ(static_cast<std::size_t>(SendMessageW(text2, WM_GETTEXTLENGTH, 0, 0)), trace.size());
  // A short buffer gets the start.
  wchar_t start[6];
  EXPECT_EQ(SendMessageW(text2, WM_GETTEXT, 6, reinterpret_cast<LPARAM>(start)), 5);
  EXPECT_STREQ(start, L"Name=");
  // The edit itself stays empty.
  EXPECT_EQ(SendMessageW(text2, EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageW(text2, EM_LINELENGTH, 0, 0), 0);
}

TEST_F(WindowTest, TraceCaretIsAnsweredAsTheSelection) {
  WriteStats(StatsFileOf({kAnn}));
  Load();
  HWND text2 = Item("Text2");
  form_->state().TraceCaret = std::string("Name=Ann\r\n").size();
  DWORD start = 0, end = 0;
  EXPECT_EQ(SendMessageW(text2, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end)),
            MAKELRESULT(10, 10));
  EXPECT_EQ(end, 10u);
  form_->session().Activate();
  SendMessageW(text2, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(end, static_cast<DWORD>(SendMessageW(text2, WM_GETTEXTLENGTH, 0, 0)));
}

TEST_F(WindowTest, ALargeTraceIsAnsweredWhole) {
  std::string line = "Machinegun=123455/5567890 ";
  while (line.size() < 100) line += 'x';
  TraceText& trace = form_->state().Trace;
  while (trace.size() < (40u << 20)) AppendTrace(form_->state(), line);  // 40 MB
  HWND text2 = Item("Text2");
  const auto started = std::chrono::steady_clock::now();
  const LRESULT length = SendMessageW(text2, WM_GETTEXTLENGTH, 0, 0);
  EXPECT_EQ(static_cast<std::size_t>(length), trace.size());  // ASCII with CR LF: one character a byte
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  EXPECT_EQ(SendMessageW(text2, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())), length);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  RecordProperty("seconds", std::to_string(seconds));
  std::printf("40 MB of trace: length and text in %.2f s\n", seconds);
  text.resize(static_cast<std::size_t>(length));
  const std::wstring wide_line = W(line) + L"\r\n";
  EXPECT_EQ(text.substr(0, wide_line.size()), wide_line);
  EXPECT_EQ(text.substr(text.size() - wide_line.size()), wide_line);
}

// --- painting -------------------------------------------------------------------------------

TEST_F(WindowTest, ALabelsTextChangeRepaintsThatLabelOnly) {
  WriteStats(StatsFileOf({kAnn, kBob}));
  Load();
  ShowAndPaint();
  {
    DrawCounter draws(main_);
    SelectAsUser("Combo1", 1);  // Ann and Bob differ in 21 labels of the panel
    RedrawWindow(main_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_GT(draws.label_draws, 0);
    EXPECT_LE(draws.label_draws, 24);
    EXPECT_EQ(draws.picture_draws, 0);
  }
  DrawCounter draws(main_);
  form_->session().Refresh();  // nothing changed: nothing is set again
  RedrawWindow(main_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_EQ(draws.label_draws, 0);
}

// Where a shorter text no longer reaches, the label shows the picture: no
// trace of the longer text before it.
TEST_F(WindowTest, LabelsAreTransparentAndLeaveNoSmear) {
  if (form_->dpi() != 96) GTEST_SKIP();
  ShowAndPaint();
  HWND label = Item("Label1");
  SetWindowTextW(label, L"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
  RedrawWindow(main_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  SetWindowTextW(label, L"W");
  RedrawWindow(main_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);

  win32::PanelPicture reference;
  ASSERT_HRESULT_SUCCEEDED(reference.LoadResource(GetModuleHandleW(nullptr), FRAGTALLY_IDR_PANEL_PICTURE));
  HBITMAP picture = reference.Scaled(240, 320);
  BITMAP bitmap{};
  GetObjectW(picture, sizeof bitmap, &bitmap);
  const auto* pixels = static_cast<const std::uint32_t*>(bitmap.bmBits);

  const win32::Image window = win32::CaptureWindowDc(main_);
  ASSERT_FALSE(window.empty());
  POINT origin{0, 0};
  ClientToScreen(main_, &origin);
  RECT frame;
  GetWindowRect(main_, &frame);
  const RECT r = RectInParent(label);
  const RECT p = RectInParent(Item("Image1"));
  int white = 0, differing = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const std::uint32_t got = window.at(x + origin.x - frame.left, y + origin.y - frame.top);
      const std::uint32_t want = pixels[(y - p.top) * 240 + (x - p.left)] & 0xFFFFFF;
      if (got == 0xFFFFFF && want != 0xFFFFFF) ++white;
      if (x >= r.left + 20 && got != want) ++differing;
    }
  }
  EXPECT_GT(white, 10) << "the white W";
  EXPECT_EQ(differing, 0) << "right of the W only the picture";
}

// A JPEG of one colour, written with WIC's encoder.
void WriteJpeg(const std::filesystem::path& path, int width, int height, std::uint32_t rgb) {
  IWICImagingFactory* factory = win32::WicFactory();
  ASSERT_NE(factory, nullptr);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, rgb);
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  HRESULT hr = factory->CreateStream(&stream);
  if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path.wstring().c_str(), GENERIC_WRITE);
  if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder);
  if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
  if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
  if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
  if (SUCCEEDED(hr)) hr = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height));
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
  std::vector<BYTE> rows;
  for (std::uint32_t pixel : pixels) {
    rows.push_back(static_cast<BYTE>(pixel & 0xFF));
    rows.push_back(static_cast<BYTE>((pixel >> 8) & 0xFF));
    rows.push_back(static_cast<BYTE>((pixel >> 16) & 0xFF));
  }
  if (SUCCEEDED(hr))
    hr = frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(width) * 3, static_cast<UINT>(rows.size()),
                            rows.data());
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (SUCCEEDED(hr)) hr = encoder->Commit();
  if (frame) frame->Release();
  if (encoder) encoder->Release();
  if (stream) stream->Release();
  ASSERT_HRESULT_SUCCEEDED(hr);
}

std::uint32_t PixelAt(HWND main, HWND control, int x, int y) {
  const win32::Image window = win32::CaptureWindowDc(main);
  POINT at{x, y};
  MapWindowPoints(control, nullptr, &at, 1);
  RECT frame;
  GetWindowRect(main, &frame);
  return window.at(at.x - frame.left, at.y - frame.top);
}

TEST_F(WindowTest, ReplacementPictureFillsBothPanelsStretched) {
  std::filesystem::create_directories(Basekrm() / "custom");
  WriteJpeg(Basekrm() / "custom" / "stats.jpg", 100, 50, 0xFF0000);  // red
  Load();
  ShowAndPaint();
  EXPECT_TRUE(sink_.messages.size() == 1);  // the start-up's only
  for (const char* name : {"Image1", "Image2"}) {
    for (POINT p : {POINT{5, 5}, POINT{120, 300}, POINT{234, 315}}) {
      const std::uint32_t pixel = PixelAt(main_, Item(name), p.x, p.y);
      EXPECT_GT((pixel >> 16) & 0xFF, 200u) << name;
      EXPECT_LT((pixel >> 8) & 0xFF, 60u) << name;
    }
  }
}

TEST_F(WindowTest, ANonPictureKeepsTheBuiltInOneWithoutAWord) {
  WriteStats(StatsFileOf({kAnn}));
  ShowAndPaint();
  const std::uint32_t before = PixelAt(main_, Item("Image1"), 120, 300);
  WriteFile(Basekrm() / "custom" / "stats.jpg", "this is no picture");
  Load();
  ShowAndPaint();
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(PixelAt(main_, Item("Image1"), 120, 300), before);
  EXPECT_EQ(PixelAt(main_, Item("Image2"), 120, 300), before);
}

}  // namespace
}  // namespace fragtally::testing
