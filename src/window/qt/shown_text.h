#pragma once

#include <string_view>

#include <QString>

namespace fragtally {

// Bytes from the files (or UTF-8 from the program's tables) as the windows
// show them: UTF-8 when valid, Windows-1251 otherwise.
QString ShownText(std::string_view bytes);

}  // namespace fragtally
