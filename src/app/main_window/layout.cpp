#include "app/main_window/layout.h"

#include <algorithm>
#include <array>
#include <string>
#include <tuple>
#include <vector>

namespace fragtally {

namespace {

constexpr Rgb kNoColour{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kCyan{0, 255, 255};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kRed{255, 0, 0};

constexpr TextAlign L = TextAlign::Left;
constexpr TextAlign C = TextAlign::Centre;

// One control of a player panel. Both panels are built from the same rows;
// only the control names differ.
struct PanelRow {
  ControlKind Kind;
  const char* Name1;  // first panel
  const char* Name2;  // second panel
  TwipRect Rect;      // in the panel's own coordinates
  Rgb TextColour;
  const char* DesignText;
  TextAlign Align;
  int TabIndex;
  int Fill;
};

constexpr const char* kHitsShots = "123455/5567890";
constexpr const char* kPercent = "100%";
constexpr const char* kCount = "123456";
constexpr const char* kDamage = "1234567890";

using PV = PanelValue;
constexpr ControlKind kSelector = ControlKind::ComboBox;
constexpr ControlKind kPicture = ControlKind::PictureBox;
constexpr ControlKind kLabel = ControlKind::Label;

constexpr std::array kPanelRows = {
    // clang-format off
    //       kind       panel 1    panel 2    left  top   width height colour    design text                                align tab  fill
    PanelRow{kSelector, "Combo1",  "Combo2",  {120, 240,  3615, 315},  kNoColour, "",                                          L, 0,     kNone},
    PanelRow{kPicture,  "Image1",  "Image2",  {120, 720,  3600, 4800}, kNoColour, "",                                          L, kNone, kNone},
    PanelRow{kLabel,    "Label1",  "Label74", {480, 960,  3135, 255},  kWhite,  "Stats for Morvel",                            L, kNone, PV::Title},
    PanelRow{kLabel,    "Label2",  "Label73", {480, 1320, 3135, 255},  kWhite,  "kills       deaths    suicides     frags",    L, kNone, kNone},
    PanelRow{kLabel,    "Label3",  "Label72", {480, 1560, 735,  255},  kCyan,   kCount,                                        L, kNone, PV::Kills},
    PanelRow{kLabel,    "Label31", "Label44", {1200, 1560, 735, 255},  kCyan,   kCount,                                        C, kNone, PV::Deaths},
    PanelRow{kLabel,    "Label32", "Label43", {2040, 1560, 735, 255},  kCyan,   kCount,                                        C, kNone, PV::Suicides},
    PanelRow{kLabel,    "Label33", "Label42", {2880, 1560, 735, 255},  kCyan,   kCount,                                        C, kNone, PV::Frags},
    PanelRow{kLabel,    "Label4",  "Label71", {480, 1920, 3135, 255},  kWhite,  "Accuracy info:",                              L, kNone, kNone},
    PanelRow{kLabel,    "Label5",  "Label70", {480, 2280, 855,  255},  kYellow, "Gauntlet:",                                   L, kNone, kNone},
    PanelRow{kLabel,    "Label14", "Label61", {1440, 2280, 1455, 255}, kWhite,  kHitsShots,                                    L, kNone, PV::Gauntlet},
    PanelRow{kLabel,    "Label6",  "Label69", {480, 2520, 855,  255},  kYellow, "Machine:",                                    L, kNone, kNone},
    PanelRow{kLabel,    "Label15", "Label60", {1440, 2520, 1455, 255}, kWhite,  kHitsShots,                                    L, kNone, PV::FirstHitsShots + 0},
    PanelRow{kLabel,    "Label23", "Label52", {3000, 2520, 615,  255}, kCyan,   kPercent,                                      L, kNone, PV::FirstAccuracy + 0},
    PanelRow{kLabel,    "Label7",  "Label68", {480, 2760, 855,  255},  kYellow, "Shotgun:",                                    L, kNone, kNone},
    PanelRow{kLabel,    "Label16", "Label59", {1440, 2760, 1455, 255}, kWhite,  kHitsShots,                                    L, kNone, PV::FirstHitsShots + 1},
    PanelRow{kLabel,    "Label24", "Label51", {3000, 2760, 615,  255}, kCyan,   kPercent,                                      L, kNone, PV::FirstAccuracy + 1},
    PanelRow{kLabel,    "Label8",  "Label67", {480, 3000, 855,  255},  kYellow, "Grenade:",                                    L, kNone, kNone},
    PanelRow{kLabel,    "Label17", "Label58", {1440, 3000, 1455, 255}, kWhite,  kHitsShots,                                    L, kNone, PV::FirstHitsShots + 2},
    PanelRow{kLabel,    "Label25", "Label50", {3000, 3000, 615,  255}, kCyan,   kPercent,                                      L, kNone, PV::FirstAccuracy + 2},
    PanelRow{kLabel,    "Label9",  "Label66", {480, 3240, 855,  255},  kYellow, "Rocket:",                                     L, kNone, kNone},
    PanelRow{kLabel,    "Label18", "Label57", {1440, 3240, 1455, 255}, kWhite,  kHitsShots,                                    L, kNone, PV::FirstHitsShots + 3},
    PanelRow{kLabel,    "Label26", "Label49", {3000, 3240, 615,  255}, kCyan,   kPercent,                                      L, kNone, PV::FirstAccuracy + 3},
    PanelRow{kLabel,    "Label10", "Label65", {480, 3480, 855,  255},  kYellow, "Shaft:",                                      L, kNone, kNone},
    PanelRow{kLabel,    "Label19", "Label56", {1440, 3480, 1455, 255}, kWhite,  kHitsShots,                                    L, kNone, PV::FirstHitsShots + 4},
    PanelRow{kLabel,    "Label27", "Label48", {3000, 3480, 615,  255}, kCyan,   kPercent,                                      L, kNone, PV::FirstAccuracy + 4},
    PanelRow{kLabel,    "Label11", "Label64", {480, 3720, 855,  255},  kYellow, "Rail:",                                       L, kNone, kNone},
    PanelRow{kLabel,    "Label20", "Label55", {1440, 3720, 1455, 255}, kWhite,  kHitsShots,                                    L, kNone, PV::FirstHitsShots + 5},
    PanelRow{kLabel,    "Label28", "Label47", {3000, 3720, 615,  255}, kCyan,   kPercent,                                      L, kNone, PV::FirstAccuracy + 5},
    PanelRow{kLabel,    "Label12", "Label63", {480, 3960, 855,  255},  kYellow, "Plasma:",                                     L, kNone, kNone},
    PanelRow{kLabel,    "Label21", "Label54", {1440, 3960, 1455, 255}, kWhite,  kHitsShots,                                    L, kNone, PV::FirstHitsShots + 6},
    PanelRow{kLabel,    "Label29", "Label46", {3000, 3960, 615,  255}, kCyan,   kPercent,                                      L, kNone, PV::FirstAccuracy + 6},
    PanelRow{kLabel,    "Label13", "Label62", {480, 4200, 855,  255},  kYellow, "BFG:",                                        L, kNone, kNone},
    PanelRow{kLabel,    "Label22", "Label53", {1440, 4200, 1455, 255}, kWhite,  kHitsShots,                                    L, kNone, PV::FirstHitsShots + 7},
    PanelRow{kLabel,    "Label30", "Label45", {3000, 4200, 615,  255}, kCyan,   kPercent,                                      L, kNone, PV::FirstAccuracy + 7},
    PanelRow{kLabel,    "Label34", "Label41", {480, 4560, 855,  255},  kGreen,  "dmggiven:",                                   L, kNone, kNone},
    PanelRow{kLabel,    "Label35", "Label40", {1440, 4560, 2175, 255}, kCyan,   kDamage,                                       L, kNone, PV::DamageGiven},
    PanelRow{kLabel,    "Label36", "Label39", {480, 4800, 855,  255},  kRed,    "dmgrecvd:",                                   L, kNone, kNone},
    PanelRow{kLabel,    "Label37", "Label38", {1440, 4800, 2175, 255}, kCyan,   kDamage,                                       L, kNone, PV::DamageReceived},
    // clang-format on
};

std::vector<ControlSpec> BuildControls() {
  auto on_window = [](const char* name, ControlKind kind, TwipRect rect, FontKind font, const char* text, int tab) {
    return ControlSpec{name, kind, kWindowName, rect, kNoColour, font, text, TextAlign::Left, tab, ControlIdOf(name), kNone, kNone};
  };
  std::vector<ControlSpec> controls = {
      // clang-format off
      on_window("Frame1",   ControlKind::GroupBox,      {120, 120, 3855, 5655},  FontKind::Window,     "Статистика первого игрока", 2),
      on_window("Frame2",   ControlKind::GroupBox,      {4200, 120, 3855, 5655}, FontKind::Window,     "Статистика второго игрока", 3),
      on_window("Command2", ControlKind::CommandButton, {120, 5880, 3855, 495},  FontKind::Window,     "Показать рейтинги",         80),
      on_window("Command1", ControlKind::CommandButton, {4200, 5880, 3855, 495}, FontKind::PanelLabel, "Занести новую статистику",  0),
      on_window("Text2",    ControlKind::TextBox,       {240, 5160, 3975, 495},  FontKind::Window,     "",                          1),
      // clang-format on
  };
  for (int panel : {1, 2}) {
    for (const PanelRow& row : kPanelRows) {
      const char* name = panel == 1 ? row.Name1 : row.Name2;
      const FontKind font = row.Kind == ControlKind::Label ? FontKind::PanelLabel : FontKind::Window;
      controls.push_back(ControlSpec{name, row.Kind, panel == 1 ? "Frame1" : "Frame2", row.Rect, row.TextColour, font,
                                     row.DesignText, row.Align, row.TabIndex, ControlIdOf(name), panel, row.Fill});
    }
  }
  return controls;
}

}  // namespace

std::span<const ControlSpec> Form1Controls() {
  static const std::vector<ControlSpec> controls = BuildControls();
  return controls;
}

const ControlSpec& StatusLineControl() {
  static const ControlSpec control{kStatusLineName, ControlKind::Label, kWindowName, kStatusLineRect, kNoColour,
                                   FontKind::Window, "", TextAlign::Left, kNone, kStatusLineId, kNone, kNone};
  return control;
}

const ControlSpec* FindControl(std::string_view name) {
  for (const ControlSpec& control : Form1Controls())
    if (name == control.Name) return &control;
  return nullptr;
}

std::vector<const ControlSpec*> TabOrder() {
  struct Stop {
    int container_tab, own_tab;
    const ControlSpec* control;
  };
  std::vector<Stop> stops;
  for (const ControlSpec& control : Form1Controls()) {
    if (control.TabIndex == kNone || control.Kind == ControlKind::GroupBox) continue;
    if (const ControlSpec* container = FindControl(control.Container))
      stops.push_back({container->TabIndex, control.TabIndex, &control});
    else
      stops.push_back({control.TabIndex, -1, &control});
  }
  std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
    return std::tie(a.container_tab, a.own_tab) < std::tie(b.container_tab, b.own_tab);
  });
  std::vector<const ControlSpec*> order;
  for (const Stop& stop : stops) order.push_back(stop.control);
  return order;
}

TwipRect WindowRect(const ControlSpec& control) {
  TwipRect rect = control.Rect;
  if (const ControlSpec* container = FindControl(control.Container)) {
    rect.Left += container->Rect.Left;
    rect.Top += container->Rect.Top;
  }
  return rect;
}

}  // namespace fragtally
