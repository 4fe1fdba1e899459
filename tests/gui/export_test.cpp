// The program started with --export-html or --export-csv in a game folder:
// it writes the file without a window (no display at all), says so on its
// output, and ends with a status a script can test; the game's files stay
// as they were.

#include <QProcess>

#include "app/program/command_line.h"
#include "gui_support.h"

namespace fragtally::testing {
namespace {

class Export : public ::testing::Test {
 protected:
  Export() {
    std::filesystem::create_directories(dir.path() / "game" / "basekrm");
    std::filesystem::copy_file(FRAGTALLY_PROGRAM, Game() / "fragtally");
    std::filesystem::permissions(Game() / "fragtally", std::filesystem::perms::owner_all);
  }
  std::filesystem::path Game() const { return dir.path() / "game"; }
  std::filesystem::path Stats() const { return Game() / "basekrm" / "Stats.krm"; }

  struct Outcome {
    int code = -1;
    std::string out, err;
  };
  // Runs the program from the temporary folder (not the game folder), with
  // no display it could open a window on.
  Outcome Run(const QStringList& arguments, const char* locale = "C.UTF-8") {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "no-such-platform");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("LC_ALL", locale);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(dir.str()));
    process.start(QString::fromStdString((Game() / "fragtally").string()), arguments);
    EXPECT_TRUE(process.waitForFinished(20000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
  }

  TempDir dir;
};

const std::string kPlayers = StatsFileOf({
    {.name = "Alpha", .weapons = {{{50, 100}}}, .damage_given = 1000, .damage_received = 350, .kills = 13,
     .deaths = 4, .suicides = 1, .frags = 12, .games = 4},
    {.name = "=1+2</svg><script>", .kills = 3, .deaths = 2, .frags = 3, .games = 3},
});

TEST_F(Export, TheCsvWithTheSeparatorsOfTheUsersLocale) {
  WriteFile(Stats(), kPlayers);
  Outcome russian = Run({"--export-csv", "table.csv"}, "ru_RU.UTF-8");
  EXPECT_EQ(russian.code, 0) << russian.err;
  EXPECT_EQ(russian.out, "Таблица сохранена: " + (std::filesystem::canonical(dir.path()) / "table.csv").string() +
                             " (игроков: 2, игр в журнале: 0, матчей: 0).\n");
  EXPECT_EQ(russian.err, "");
  EXPECT_EQ(ReadFile(dir.path() / "table.csv"),
            "\xEF\xBB\xBFМесто;Игрок;Игр;Матчей;Побед;Доля побед;Мастерство;Убийств;Смертей;Самоубийств;Фрагов;Рейтинг фрагов;Рейтинг повреждений;"
            "Рейтинг точности;Точность;Убийств на смерть;Последняя игра;Период\r\n"
            "1;Alpha;4;0;0;;;13;4;1;12;2,00;162,50;6;50,00;3,25;;За всё время\r\n"
            "2;'=1+2</svg><script>;3;0;0;;;3;2;0;3;0,33;0,00;0;;1,50;;За всё время\r\n");

  Outcome english = Run({"--export-csv", "table.csv"}, "en_US.UTF-8");
  EXPECT_EQ(english.code, 0) << english.err;
  const std::string csv = ReadFile(dir.path() / "table.csv");
  EXPECT_NE(csv.find("\r\n1,Alpha,4,0,0,,,13,4,1,12,2.00,162.50,6,50.00,3.25,,За всё время\r\n"), std::string::npos) << csv;
  // Reading is all the export does with the game's files.
  EXPECT_EQ(ReadFile(Stats()), kPlayers);
  EXPECT_FALSE(std::filesystem::exists(Game() / "basekrm" / "mSetup.ini"));
}

TEST_F(Export, TheHtmlReport) {
  WriteFile(Stats(), kPlayers);
  Outcome outcome = Run({"--export-html", "report.html"});
  EXPECT_EQ(outcome.code, 0) << outcome.err;
  EXPECT_EQ(outcome.out.rfind("Отчёт сохранён: ", 0), 0u) << outcome.out;
  const std::string html = ReadFile(dir.path() / "report.html");
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(html.find("=1+2&lt;/svg&gt;&lt;script&gt;"), std::string::npos);
  EXPECT_EQ(html.find("<script>"), std::string::npos);
}

TEST_F(Export, APeriodOfTheCommandLine) {
  WriteFile(Stats(), kPlayers);  // no journal: nobody played this week
  for (const QStringList& week : {QStringList{"--export-csv", "week.csv", "--period", "week"},
                                  QStringList{"--export-csv", "week.csv", "--period=week"}}) {
    Outcome outcome = Run(week);
    EXPECT_EQ(outcome.code, 0) << outcome.err;
    EXPECT_EQ(outcome.out.rfind("Таблица сохранена: ", 0), 0u) << outcome.out;
    EXPECT_NE(outcome.out.find(" (За эту неделю: "), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("; игроков: 0, игр в журнале: 0, матчей: 0).\n"), std::string::npos) << outcome.out;
    const std::string csv = ReadFile(dir.path() / "week.csv");
    EXPECT_TRUE(csv.ends_with("Период\r\n") && csv.find("\r\n") == csv.size() - 2) << "the captions alone";
  }
}

TEST_F(Export, TheMatchesOfTheJournal) {
  WriteFile(Stats(), kPlayers);  // no journal: the captions alone
  Outcome outcome = Run({"--export-matches", "matches.csv"}, "ru_RU.UTF-8");
  EXPECT_EQ(outcome.code, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "Матчи сохранены: " + (std::filesystem::canonical(dir.path()) / "matches.csv").string() +
                             " (игр в журнале: 0, матчей: 0).\n");
  EXPECT_EQ(ReadFile(dir.path() / "matches.csv").rfind("\xEF\xBB\xBFСессия;Матч;Карта;Игрок;Место;Игроков;", 0), 0u);
}

TEST_F(Export, FailuresAreToldAndLeaveNoFile) {
  Outcome no_stats = Run({"--export-csv", "table.csv"});
  EXPECT_EQ(no_stats.code, 2);
  EXPECT_EQ(no_stats.out, "");
  EXPECT_NE(no_stats.err.find("Не удалось прочитать файл статистики"), std::string::npos) << no_stats.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "table.csv"));

  WriteFile(Stats(), kPlayers);
  for (const QStringList& wrong : {QStringList{"--export-csv"}, QStringList{"--export-pdf", "x"},
                                   QStringList{"--export-csv", "a.csv", "--export-html", "b.html"},
                                   QStringList{"--export-csv", "a.csv", "--period", "fortnight"},
                                   QStringList{"--export-csv", "a.csv", "--period"}}) {
    Outcome usage = Run(wrong);
    EXPECT_EQ(usage.code, 1) << wrong.join(' ').toStdString();
    EXPECT_NE(usage.err.find("\n" + UsageText()), std::string::npos) << usage.err;
  }

  WriteFile(dir.path() / "file", "");
  Outcome unwritable = Run({"--export-html", "file/report.html"});
  EXPECT_EQ(unwritable.code, 3);
  EXPECT_NE(unwritable.err.find("Не удалось записать файл"), std::string::npos) << unwritable.err;
}

// Without a display: --help and --version print and end with 0 (no window is
// tried), a wrong option ends with 1 and the usage.
TEST_F(Export, HelpVersionAndAWrongOptionEndWithoutAWindow) {
  Outcome help = Run({"--help"});
  EXPECT_EQ(help.code, 0) << help.err;
  EXPECT_EQ(help.out, UsageText());
  EXPECT_EQ(help.err, "");
  Outcome version = Run({"--version"});
  EXPECT_EQ(version.code, 0) << version.err;
  EXPECT_EQ(version.out, VersionText());
  Outcome wrong = Run({"--frobnicate"});
  EXPECT_EQ(wrong.code, 1);
  EXPECT_EQ(wrong.out, "");
  EXPECT_EQ(wrong.err, "Неизвестный параметр: --frobnicate\n" + UsageText());
  EXPECT_FALSE(std::filesystem::exists(Game() / "basekrm" / "mSetup.ini")) << "nothing started, nothing saved";
}

}  // namespace
}  // namespace fragtally::testing
