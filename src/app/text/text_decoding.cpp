#include "app/text/text_decoding.h"

#include "platform/utf8.h"

namespace fragtally {

namespace {

// Windows-1251 upper half. 0x98 is unassigned and shows as the replacement character.
constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF: А..я in order
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429,
    0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436,
    0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443,
    0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Decodes UTF-8 already known to be valid.
void AppendUtf8(std::u16string& out, std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    char32_t code;
    int more;
    if (c < 0x80) {
      code = c;
      more = 0;
    } else if (c < 0xE0) {
      code = c & 0x1F;
      more = 1;
    } else if (c < 0xF0) {
      code = c & 0x0F;
      more = 2;
    } else {
      code = c & 0x07;
      more = 3;
    }
    ++i;
    for (int k = 0; k < more; ++k, ++i) code = (code << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
  }
}

void AppendWindows1251(std::u16string& out, std::string_view bytes) {
  for (unsigned char c : bytes) out.push_back(c < 0x80 ? char16_t{c} : kCp1251High[c - 0x80]);
}

void AppendLine(std::u16string& out, std::string_view line) {
  if (platform::IsValidUtf8(line)) {
    AppendUtf8(out, line);
  } else {
    AppendWindows1251(out, line);
  }
}

}  // namespace

std::u16string DecodeWindows1251(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  AppendWindows1251(text, bytes);
  return text;
}

std::u16string DisplayText(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  AppendLine(text, bytes);
  return text;
}

std::u16string DisplayLines(std::string_view bytes, std::u16string_view line_end) {
  std::u16string text;
  text.reserve(bytes.size() + bytes.size() / 16);
  while (!bytes.empty()) {
    std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    bool has_line_end = end != std::string_view::npos;
    if (has_line_end && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    AppendLine(text, line);
    if (has_line_end) text.append(line_end);
  }
  return text;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

}  // namespace fragtally
