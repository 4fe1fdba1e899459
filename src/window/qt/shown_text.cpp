#include "window/qt/shown_text.h"

#include "window/display_text.h"

namespace fragtally {

QString ShownText(std::string_view bytes) { return QString::fromStdU16String(DisplayText(bytes)); }

}  // namespace fragtally
