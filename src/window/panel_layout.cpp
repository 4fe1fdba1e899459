#include "window/panel_layout.h"

#include <array>

namespace fragtally {

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kCyan = qRgb(0, 255, 255);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignTop;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignTop;

constexpr PanelControl S = PanelControl::Selector;
constexpr PanelControl P = PanelControl::Picture;
constexpr PanelControl L = PanelControl::Label;

constexpr const char* kHitsShots = "123455/5567890";
constexpr const char* kPercent = "100%";
constexpr const char* kCount = "123456";
constexpr const char* kDamage = "1234567890";

// The selector comes first in the table, the picture second: the picture is
// created before every label, so the labels are drawn over it.
constexpr std::array kRows = {
    // clang-format off
    //       role               panel 1     panel 2     left  top   width height colour   design text                                  alignment fill
    PanelRow{S, "selector",        "Combo1",  "Combo2",  {120, 240,  3615, 315},  0,       "",                                          kLeft,   -1},
    PanelRow{P, "picture",         "Image1",  "Image2",  {120, 720,  3600, 4800}, 0,       "",                                          kLeft,   -1},
    PanelRow{L, "title",           "Label1",  "Label74", {480, 960,  3135, 255},  kWhite,  "Stats for Morvel",                          kLeft,    0},
    PanelRow{L, "header",          "Label2",  "Label73", {480, 1320, 3135, 255},  kWhite,  "kills       deaths    suicides     frags",  kLeft,   -1},
    PanelRow{L, "kills",           "Label3",  "Label72", {480, 1560, 735,  255},  kCyan,   kCount,                                      kLeft,   20},
    PanelRow{L, "deaths",          "Label31", "Label44", {1200, 1560, 735, 255},  kCyan,   kCount,                                      kCentre, 21},
    PanelRow{L, "suicides",        "Label32", "Label43", {2040, 1560, 735, 255},  kCyan,   kCount,                                      kCentre, 22},
    PanelRow{L, "frags",           "Label33", "Label42", {2880, 1560, 735, 255},  kCyan,   kCount,                                      kCentre, 23},
    PanelRow{L, "accuracy",        "Label4",  "Label71", {480, 1920, 3135, 255},  kWhite,  "Accuracy info:",                            kLeft,   -1},
    PanelRow{L, "gauntlet name",   "Label5",  "Label70", {480, 2280, 855,  255},  kYellow, "Gauntlet:",                                 kLeft,   -1},
    PanelRow{L, "gauntlet",        "Label14", "Label61", {1440, 2280, 1455, 255}, kWhite,  kHitsShots,                                  kLeft,    1},
    PanelRow{L, "machinegun name", "Label6",  "Label69", {480, 2520, 855,  255},  kYellow, "Machine:",                                  kLeft,   -1},
    PanelRow{L, "machinegun",      "Label15", "Label60", {1440, 2520, 1455, 255}, kWhite,  kHitsShots,                                  kLeft,    2},
    PanelRow{L, "machinegun %",    "Label23", "Label52", {3000, 2520, 615,  255}, kCyan,   kPercent,                                    kLeft,   10},
    PanelRow{L, "shotgun name",    "Label7",  "Label68", {480, 2760, 855,  255},  kYellow, "Shotgun:",                                  kLeft,   -1},
    PanelRow{L, "shotgun",         "Label16", "Label59", {1440, 2760, 1455, 255}, kWhite,  kHitsShots,                                  kLeft,    3},
    PanelRow{L, "shotgun %",       "Label24", "Label51", {3000, 2760, 615,  255}, kCyan,   kPercent,                                    kLeft,   11},
    PanelRow{L, "grenade name",    "Label8",  "Label67", {480, 3000, 855,  255},  kYellow, "Grenade:",                                  kLeft,   -1},
    PanelRow{L, "grenade",         "Label17", "Label58", {1440, 3000, 1455, 255}, kWhite,  kHitsShots,                                  kLeft,    4},
    PanelRow{L, "grenade %",       "Label25", "Label50", {3000, 3000, 615,  255}, kCyan,   kPercent,                                    kLeft,   12},
    PanelRow{L, "rocket name",     "Label9",  "Label66", {480, 3240, 855,  255},  kYellow, "Rocket:",                                   kLeft,   -1},
    PanelRow{L, "rocket",          "Label18", "Label57", {1440, 3240, 1455, 255}, kWhite,  kHitsShots,                                  kLeft,    5},
    PanelRow{L, "rocket %",        "Label26", "Label49", {3000, 3240, 615,  255}, kCyan,   kPercent,                                    kLeft,   13},
    PanelRow{L, "shaft name",      "Label10", "Label65", {480, 3480, 855,  255},  kYellow, "Shaft:",                                    kLeft,   -1},
    PanelRow{L, "shaft",           "Label19", "Label56", {1440, 3480, 1455, 255}, kWhite,  kHitsShots,                                  kLeft,    6},
    PanelRow{L, "shaft %",         "Label27", "Label48", {3000, 3480, 615,  255}, kCyan,   kPercent,                                    kLeft,   14},
    PanelRow{L, "railgun name",    "Label11", "Label64", {480, 3720, 855,  255},  kYellow, "Rail:",                                     kLeft,   -1},
    PanelRow{L, "railgun",         "Label20", "Label55", {1440, 3720, 1455, 255}, kWhite,  kHitsShots,                                  kLeft,    7},
    PanelRow{L, "railgun %",       "Label28", "Label47", {3000, 3720, 615,  255}, kCyan,   kPercent,                                    kLeft,   15},
    PanelRow{L, "plasma name",     "Label12", "Label63", {480, 3960, 855,  255},  kYellow, "Plasma:",                                   kLeft,   -1},
    PanelRow{L, "plasma",          "Label21", "Label54", {1440, 3960, 1455, 255}, kWhite,  kHitsShots,                                  kLeft,    8},
    PanelRow{L, "plasma %",        "Label29", "Label46", {3000, 3960, 615,  255}, kCyan,   kPercent,                                    kLeft,   16},
    PanelRow{L, "BFG name",        "Label13", "Label62", {480, 4200, 855,  255},  kYellow, "BFG:",                                      kLeft,   -1},
    PanelRow{L, "BFG",             "Label22", "Label53", {1440, 4200, 1455, 255}, kWhite,  kHitsShots,                                  kLeft,    9},
    PanelRow{L, "BFG %",           "Label30", "Label45", {3000, 4200, 615,  255}, kCyan,   kPercent,                                    kLeft,   17},
    PanelRow{L, "dmggiven name",   "Label34", "Label41", {480, 4560, 855,  255},  kGreen,  "dmggiven:",                                 kLeft,   -1},
    PanelRow{L, "dmggiven",        "Label35", "Label40", {1440, 4560, 2175, 255}, kCyan,   kDamage,                                     kLeft,   18},
    PanelRow{L, "dmgrecvd name",   "Label36", "Label39", {480, 4800, 855,  255},  kRed,    "dmgrecvd:",                                 kLeft,   -1},
    PanelRow{L, "dmgrecvd",        "Label37", "Label38", {1440, 4800, 2175, 255}, kCyan,   kDamage,                                     kLeft,   19},
    // clang-format on
};

}  // namespace

std::span<const PanelRow> PanelRows() { return kRows; }

}  // namespace fragtally
