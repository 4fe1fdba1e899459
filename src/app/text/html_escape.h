#pragma once

// Text placed in XML or HTML (the charts' SVG, the report's page).

#include <string>
#include <string_view>

namespace fragtally {

// Appends `text` with & < > " ' as character references, so that it stands
// as text in an element or in an attribute's value of either quote. The
// text must be valid UTF-8 already.
void AppendEscapedXml(std::string& out, std::string_view text);

}  // namespace fragtally
