#include "app/report.h"

#include "app/html_escape.h"
#include "app/text_decoding.h"
#include "stats/numbers.h"

namespace fragtally {

std::string TextForFile(std::string_view bytes) {
  std::u16string text = DisplayText(bytes);
  for (char16_t& c : text)
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) c = 0xFFFD;  // C0, DEL and C1 controls
  return ToUtf8(text);
}

namespace {

// A name, session or other bytes from the files, as HTML text.
void AppendHtmlText(std::string& out, std::string_view bytes) { AppendEscapedXml(out, TextForFile(bytes)); }

constexpr std::string_view kStyle =
    "body{font-family:sans-serif;margin:16px;color:#202020;background:#fff}"
    "h1{font-size:22px}h2{font-size:17px;margin:28px 0 6px;border-bottom:1px solid #ccc}"
    "table{border-collapse:collapse;margin:6px 0}"
    "th,td{border:1px solid #c8c8c8;padding:2px 6px;white-space:nowrap}"
    "th{background:#2f5d8a;color:#fff;font-weight:normal}"
    "tr:nth-child(even) td{background:#eef3f8}"
    "td.n{text-align:right}td.t{text-align:left}"
    "td.name,h2{word-break:break-all;white-space:normal}"
    ".charts svg{margin:4px 12px 4px 0;border:1px solid #ddd;vertical-align:top}";

std::string MatchText(const PlayerRecord& record) {
  std::string text = TextForFile(record.Session);
  if (!text.empty()) text += ", ";
  text += "матч ";
  text += NumberText(record.Position);
  return text;
}

}  // namespace

void AppendPlayerSection(std::string& out, const PlayerRow& row, const PlayerPage& page) {
  out += "<section id=\"p";
  AppendNumber(out, row.Slot);
  out += "\"><h2>";
  AppendHtmlText(out, page.Name);
  out += "</h2>";
  if (page.MatchCount == 0) {
    out += "<p>В журнале нет матчей этого игрока.</p></section>\n";
    return;
  }
  out += "<p>Матчей в журнале: ";
  AppendNumber(out, static_cast<long long>(page.MatchCount));
  out += "</p><div class=\"charts\">";
  AppendChartSvg(out, page.Frags, 560, 240);
  AppendChartSvg(out, page.Accuracy, 560, 240);
  out += "</div><table><tr><th>Рекорд</th><th>Значение</th><th>Матч</th></tr>";
  for (const PlayerRecord& record : page.Records) {
    out += "<tr><td class=\"t\">";
    AppendEscapedXml(out, record.Caption);
    out += "</td><td class=\"n\">";
    if (record.Value.empty()) {
      out += "—</td><td></td></tr>";
      continue;
    }
    AppendEscapedXml(out, record.Value);
    out += "</td><td class=\"t\">";
    AppendEscapedXml(out, MatchText(record));
    out += "</td></tr>";
  }
  out += "</table></section>\n";
}

std::string BuildHtmlReport(const PlayerTable& table, const std::vector<JournalMatch>& journal,
                            const std::string& decimal_separator, const std::string& generated) {
  const MatchesBySlot matches = GroupMatchesBySlot(table, journal);
  const std::vector<PlayerRow> rows = BuildPlayerRows(table, matches, PlayersPeriod::AllTime, 0);

  std::string out;
  // About what a player's section and a match's points take: the page is
  // written once, without being moved as it grows.
  out.reserve(4096 + rows.size() * 6500 + journal.size() * 160);
  // The policy forbids scripts and anything fetched: the page works offline,
  // and nothing a name holds can run.
  out += "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">"
         "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">"
         "<title>Fragtally: игроки</title><style>";
  out += kStyle;
  out += "</style></head><body>\n<h1>Игроки</h1><p>Отчёт от ";
  AppendEscapedXml(out, generated);
  out += ". Игроков: ";
  AppendNumber(out, static_cast<long long>(rows.size()));
  out += ".</p>\n<table class=\"players\"><thead><tr>";
  for (const PlayersColumnInfo& column : kPlayersColumns) {
    out += "<th>";
    AppendEscapedXml(out, column.Caption);
    out += "</th>";
  }
  out += "</tr></thead><tbody>\n";
  for (const PlayerRow& row : rows) {
    out += "<tr>";
    for (const PlayersColumnInfo& column : kPlayersColumns) {
      if (column.Column == PlayersColumn::Name) {
        out += "<td class=\"name\"><a href=\"#p";
        AppendNumber(out, row.Slot);
        out += "\">";
        AppendHtmlText(out, row.Name);
        out += "</a></td>";
        continue;
      }
      out += column.Align == CellAlign::Right ? "<td class=\"n\">" : "<td class=\"t\">";
      AppendHtmlText(out, PlayerCellText(row, column.Column, decimal_separator));
      out += "</td>";
    }
    out += "</tr>\n";
  }
  out += "</tbody></table>\n";
  for (const PlayerRow& row : rows)
    AppendPlayerSection(out, row,
                        BuildPlayerPage(row.Name, matches[static_cast<std::size_t>(row.Slot - 1)], decimal_separator));
  out += "</body></html>\n";
  return out;
}

std::string ListSeparatorFor(const std::string& decimal_separator) { return decimal_separator == "," ? ";" : ","; }

namespace {

void AppendCsvField(std::string& out, const std::string& text, const CsvFormat& format) {
  const bool quote = text.find(format.ListSeparator) != std::string::npos ||
                     text.find_first_of("\"\r\n") != std::string::npos;
  if (!quote) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

std::string BuildPlayersCsv(const std::vector<PlayerRow>& rows, const CsvFormat& format) {
  std::string out = "\xEF\xBB\xBF";
  out.reserve(rows.size() * 120 + 256);
  for (const PlayersColumnInfo& column : kPlayersColumns) {
    if (column.Column != PlayersColumn::Name) out += format.ListSeparator;
    AppendCsvField(out, std::string(column.Caption), format);
  }
  out += "\r\n";
  for (const PlayerRow& row : rows) {
    for (const PlayersColumnInfo& column : kPlayersColumns) {
      std::string text = TextForFile(PlayerCellText(row, column.Column, format.DecimalSeparator));
      if (column.Column != PlayersColumn::Name) {
        out += format.ListSeparator;
      } else if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos) {
        text.insert(0, 1, '\'');
      }
      AppendCsvField(out, text, format);
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace fragtally
