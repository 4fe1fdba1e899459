#include "gui_support.h"

#include <algorithm>
#include <cmath>

#include <QGroupBox>

namespace fragtally::testing {

std::string StatsBlock(const Totals& t) {
  static const char* const kWeapons[] = {"Machinegun", "Shotgun", "Grenade L", "Rocket L",
                                         "Shaft",      "Railgun", "Plasma gun", "BFG"};
  std::vector<std::string> lines;
  lines.push_back("console: Stats for: " + t.name);
  lines.push_back("console: Gauntlet:   " + std::to_string(t.gauntlet));
  for (int i = 0; i < 8; ++i) {
    auto [hits, shots] = t.weapons[i];
    // Without shots only the machinegun keeps its counts; the others write 0/0.
    std::string field = shots >= 1 ? std::to_string(hits) + "/" + std::to_string(shots) + "     " +
                                         std::to_string(std::llrint(static_cast<double>(hits) / shots * 100.0)) + "%"
                        : i == 0   ? std::to_string(hits) + "/" + std::to_string(shots) + "     0%"
                                   : "0/0     0%";
    lines.push_back(std::string("console: ") + kWeapons[i] + ":   " + field);
  }
  lines.push_back("console: Dmggiven: " + std::to_string(t.damage_given));
  lines.push_back("console: Dmgrecvd: " + std::to_string(t.damage_received));
  lines.push_back("console: Kills: " + std::to_string(t.kills) + "     Deaths: " + std::to_string(t.deaths) +
                  "     Suicides: " + std::to_string(t.suicides) + "     Frags: " + std::to_string(t.frags));
  lines.push_back("console: games played: " + std::to_string(t.games));
  lines.push_back("console:  ");
  return CrLf(lines);
}

std::string StatsFileOf(const std::vector<Totals>& players) {
  std::string text;
  for (const Totals& t : players) text += StatsBlock(t);
  return text;
}

WindowFixture::WindowFixture() : form(sink, QString::fromStdString(dir.str())) {
  std::filesystem::create_directories(Basekrm());
}

std::vector<std::pair<QString, QString>> LabelTexts(const Form1& form, const char* frame) {
  std::vector<std::pair<QString, QString>> texts;
  auto* box = form.findChild<QGroupBox*>(QString::fromLatin1(frame));
  if (!box) return texts;
  for (QLabel* label : box->findChildren<QLabel*>()) texts.emplace_back(label->objectName(), label->text());
  std::sort(texts.begin(), texts.end());
  return texts;
}

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace fragtally::testing
