#pragma once

// Form1 as it was drawn: every control's name, kind, container, place and
// size in twips, colour, font, design text, tab index and Win32 control ID.
// Both windows (Qt and Win32) are built from this table and nothing else.

#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "app/program/version.h"

namespace fragtally {

// 15 twips make one pixel at 96 dots per inch.
inline constexpr int kTwipsPerInch = 1440;
constexpr int TwipsToPixels(int twips, int dpi = 96) { return twips * dpi / kTwipsPerInch; }

struct TwipRect {
  int Left, Top, Width, Height;
};

struct Rgb {
  std::uint8_t Red, Green, Blue;
  friend constexpr bool operator==(Rgb, Rgb) = default;
};

enum class ControlKind { GroupBox, ComboBox, PictureBox, Label, CommandButton, TextBox };

// The window's default font, and the panel labels' font (also Command1's).
enum class FontKind { Window, PanelLabel };
struct FontSpec {
  const char* Face;
  double Points;
  bool Bold;
  int CharSet;  // Windows character set number
};
inline constexpr FontSpec kWindowFont{"MS Sans Serif", 8.0, false, 1 /* the default character set */};
inline constexpr FontSpec kPanelLabelFont{"MS Sans Serif", 8.25, true, 204 /* Cyrillic */};

enum class TextAlign { Left, Centre };

// Marks a control that takes no part in the tab order, a label the panel
// fill never changes, and a control that belongs to no panel.
inline constexpr int kNone = -1;

// The places of the 24 value labels in a panel's fill order (PanelLabels).
struct PanelValue {
  static constexpr int Title = 0;
  static constexpr int Gauntlet = 1;
  static constexpr int FirstHitsShots = 2;  // eight: the weapons in their order
  static constexpr int FirstAccuracy = 10;  // eight: the weapons in their order
  static constexpr int DamageGiven = 18;
  static constexpr int DamageReceived = 19;
  static constexpr int Kills = 20;
  static constexpr int Deaths = 21;
  static constexpr int Suicides = 22;
  static constexpr int Frags = 23;
};

struct ControlSpec {
  const char* Name;
  ControlKind Kind;
  const char* Container;  // "Form1", "Frame1" or "Frame2"
  TwipRect Rect;          // in the container's coordinates
  Rgb TextColour;         // labels only
  FontKind Font;
  const char* DesignText;  // UTF-8
  TextAlign Align;
  int TabIndex;   // within the container; kNone when not a tab stop
  int ControlId;  // the Win32 control ID
  int Panel;      // 1 or 2 for a panel's controls, kNone otherwise
  int Fill;       // the label's place in the panel fill order (PanelValue), kNone if the fill never changes it
};

inline constexpr const char* kWindowName = "Form1";
// "... version 050" for 0.5.0.
inline constexpr const char* kWindowCaption = "Fragtally by Morvel version " FRAGTALLY_VERSION_DIGITS;
inline constexpr int kClientWidthTwips = 8175;
inline constexpr int kClientHeightTwips = 6480;

// Below the drawn window the client area has one more line, the status line
// (StatusLine, Win32 control ID 6003): what the last import entered. The
// window is taller by the line and the margin under it, as it is by the menu
// bar above; every control of the table keeps its place. It is passive and
// takes no part in the tab order.
inline constexpr const char* kStatusLineName = "StatusLine";
inline constexpr int kStatusLineId = 6003;
inline constexpr TwipRect kStatusLineRect{120, kClientHeightTwips, kClientWidthTwips - 240, 300};
inline constexpr int kClientHeightWithStatusTwips = kClientHeightTwips + 300 + 105;  // the margin under the buttons

// The Win32 control ID of a control name: 1000 + n for Label<n>, 2000 + n for
// Combo<n>, 3000 + n for Command<n>, 4000 + n for Frame<n>, 5000 + n for
// Image<n>, 6000 + n for Text<n>; 0 for any other name.
constexpr int ControlIdOf(std::string_view name) {
  constexpr std::pair<std::string_view, int> kBases[] = {{"Label", 1000},   {"Combo", 2000}, {"Command", 3000},
                                                         {"Frame", 4000},   {"Image", 5000}, {"Text", 6000}};
  for (auto [prefix, base] : kBases) {
    if (name.substr(0, prefix.size()) != prefix || name.size() == prefix.size()) continue;
    int n = 0;
    for (char c : name.substr(prefix.size())) {
      if (c < '0' || c > '9') return 0;
      n = n * 10 + (c - '0');
    }
    return base + n;
  }
  return 0;
}

// Every control of Form1, containers before what they contain, and in each
// panel the selector first, then the picture, then the labels (which are
// drawn over the picture).
std::span<const ControlSpec> Form1Controls();

// The control of that name, or nullptr.
const ControlSpec* FindControl(std::string_view name);

// The tab stops in their tab order: by their container's tab index, then by
// their own (a control on the window itself by its own).
std::vector<const ControlSpec*> TabOrder();

// The status line as a control: on the window itself, in the window's font,
// its text empty until the first import.
const ControlSpec& StatusLineControl();

// A control's place in the window's client area: its container's place added.
TwipRect WindowRect(const ControlSpec& control);

}  // namespace fragtally
