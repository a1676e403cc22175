#include "app/scan_report.h"

#include <algorithm>
#include <array>

#include "base/texts.h"

namespace tvac::app {
namespace {

using scan::Column;

std::string OneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return text;
}

// In code page 949 a character's bytes are also its width on a console: one for
// ASCII, two for a Hangul syllable.
void AppendPadded(std::string& line, std::string_view text, std::size_t width) {
  line += text;
  line.append(width - std::min(width, text.size()), ' ');
}

}  // namespace

std::optional<ScanOptions> ParseScanOptions(const std::vector<std::string>& args) {
  ScanOptions options;
  bool tsv_seen = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--tsv" && !tsv_seen) {
      options.tsv = tsv_seen = true;
    } else if (args[i] == "--db" && !options.database && i + 1 < args.size() &&
               !args[i + 1].empty()) {
      options.database = args[++i];
    } else {
      return std::nullopt;
    }
  }
  return options;
}

std::string FormatTsv(const std::vector<scan::ScanItem>& rows) {
  std::string out;
  for (const scan::ScanItem& row : rows) {
    for (std::size_t c = 0; c < scan::kColumnCount; ++c) {
      if (c > 0) out += '\t';
      out += OneLine(row.fields[c]);
    }
    out += '\n';
  }
  return out;
}

std::string FormatTable(const std::vector<scan::ScanItem>& rows, const scan::Counters& counters) {
  constexpr std::array<Column, 3> kVisible = {Column::kName, Column::kLocation, Column::kKind};
  const std::array<std::string_view, 3> headings = {texts::kColumnName, texts::kColumnLocation,
                                                    texts::kColumnKind};
  std::array<std::size_t, 3> widths{};
  for (std::size_t c = 0; c < 3; ++c) {
    widths[c] = headings[c].size();
    for (const scan::ScanItem& row : rows)
      widths[c] = std::max(widths[c], OneLine(row[kVisible[c]]).size());
  }
  const auto line = [&](const std::array<std::string, 3>& cells) {
    std::string text;
    AppendPadded(text, cells[0], widths[0]);
    text += "  ";
    AppendPadded(text, cells[1], widths[1]);
    text += "  ";
    text += cells[2];
    text += '\n';
    return text;
  };

  std::string out =
      line({std::string(headings[0]), std::string(headings[1]), std::string(headings[2])});
  out += std::string(widths[0], '-') + "  " + std::string(widths[1], '-') + "  " +
         std::string(std::max(widths[2], std::size_t{4}), '-') + "\n";
  for (const scan::ScanItem& row : rows) {
    out += line({OneLine(row[Column::kName]), OneLine(row[Column::kLocation]),
                 OneLine(row[Column::kKind])});
  }
  out += '\n';
  out += scan::ResultLine(counters);
  out += '\n';
  return out;
}

}  // namespace tvac::app
