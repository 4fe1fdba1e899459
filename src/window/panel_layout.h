#pragma once

#include <span>

#include <Qt>
#include <QRgb>

namespace fragtally {

// Positions and sizes are kept in twips, as the layout was drawn; 15 twips
// make one pixel.
constexpr int TwipsToPixels(int twips) { return twips / 15; }

struct TwipRect {
  int left, top, width, height;
};

enum class PanelControl { Selector, Picture, Label };

// One control of a player panel. Both panels are built from the same rows;
// only the control names differ. `fill` is the position of a value label in
// the core's PanelLabels (fill order), -1 for labels the fill never changes.
struct PanelRow {
  PanelControl kind;
  const char* role;
  const char* name1;  // first panel
  const char* name2;  // second panel
  TwipRect rect;      // in the panel's own coordinates
  QRgb colour;        // text colour of a label
  const char* text;   // design text (UTF-8)
  Qt::Alignment alignment;
  int fill;
};

std::span<const PanelRow> PanelRows();

// Controls placed straight on the window.
struct WindowControl {
  const char* name;
  TwipRect rect;
  const char* text;  // design text (UTF-8)
};

inline constexpr const char* kWindowCaption = "Fragtally by Morvel version 050";
inline constexpr int kClientWidthTwips = 8175;
inline constexpr int kClientHeightTwips = 6480;

inline constexpr WindowControl kFrame1{"Frame1", {120, 120, 3855, 5655}, "Статистика первого игрока"};
inline constexpr WindowControl kFrame2{"Frame2", {4200, 120, 3855, 5655}, "Статистика второго игрока"};
inline constexpr WindowControl kCommand2{"Command2", {120, 5880, 3855, 495}, "Показать рейтинги"};
inline constexpr WindowControl kCommand1{"Command1", {4200, 5880, 3855, 495}, "Занести новую статистику"};
inline constexpr WindowControl kText2{"Text2", {240, 5160, 3975, 495}, ""};

}  // namespace fragtally
