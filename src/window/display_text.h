#pragma once

#include <string_view>

#include <QString>

namespace fragtally {

// Player names and everything built from them are byte strings: UTF-8 when
// they came from a UTF-8 file, otherwise bytes of the Windows Cyrillic code
// page that the game writes. Valid UTF-8 is shown as UTF-8, anything else
// as Windows-1251.
QString DisplayText(std::string_view bytes);

// The same for a chunk of the trace: each line is judged by itself, and
// CR LF line ends become LF.
QString DisplayTraceChunk(std::string_view bytes);

// Windows-1251 by the program's own table; used when Qt's converter does not
// know the code page.
QString DecodeWindows1251ByTable(std::string_view bytes);

}  // namespace fragtally
