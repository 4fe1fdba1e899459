#pragma once

#include <array>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QString>

#include <gtest/gtest.h>

#include "test_support.h"
#include "window/form1.h"

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace fragtally::testing {

// One player's totals, as a block of the statistics file.
struct Totals {
  std::string name;
  int gauntlet = 0;
  // hits/shots: machinegun, shotgun, grenade, rocket, shaft, railgun, plasma, BFG
  std::array<std::pair<int, int>, 8> weapons{};
  int damage_given = 0, damage_received = 0;
  int kills = 0, deaths = 0, suicides = 0, frags = 0;
  int games = 1;
};

// The 15 lines of the block as the statistics file holds them.
std::string StatsBlock(const Totals& t);
std::string StatsFileOf(const std::vector<Totals>& players);

// A window whose program folder is a fresh temporary folder.
struct WindowFixture {
  WindowFixture();
  std::filesystem::path Basekrm() const { return dir.path() / "basekrm"; }
  void WriteStats(const std::string& bytes) const { WriteFile(Basekrm() / "Stats.krm", bytes); }

  TempDir dir;
  RecordingSink sink;
  Form1 form;
};

template <class T>
T* Control(const Form1& form, const char* name) {
  T* control = form.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

inline QString LabelText(const Form1& form, const char* name) {
  QLabel* label = Control<QLabel>(form, name);
  return label ? label->text() : QString();
}

// The texts of every label of a frame, by name.
std::vector<std::pair<QString, QString>> LabelTexts(const Form1& form, const char* frame);

QString Q(const std::string& utf8);

}  // namespace fragtally::testing
