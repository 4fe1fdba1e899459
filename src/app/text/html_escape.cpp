#include "app/text/html_escape.h"

#include <algorithm>

namespace fragtally {

void AppendEscapedXml(std::string& out, std::string_view text) {
  // Runs without a special character are copied whole.
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t special = std::min(text.find_first_of("&<>\"'", at), text.size());
    out.append(text, at, special - at);
    if (special == text.size()) break;
    switch (text[special]) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += "&#39;"; break;
    }
    at = special + 1;
  }
}

}  // namespace fragtally
