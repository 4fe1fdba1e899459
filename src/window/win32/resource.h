#pragma once

// Resource IDs, shared by fragtally.rc (windres) and the C++ code: plain
// #defines only.
#define FRAGTALLY_IDI_ICON 1
#define FRAGTALLY_IDR_PANEL_PICTURE 101
