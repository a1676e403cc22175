#include "app/publish/signature_list.h"

#include <algorithm>
#include <array>

#include "app/publish/cp949.h"
#include "base/texts.h"
#include "platform/registry_values.h"

namespace tvac::app::publish {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kAny = "default";
constexpr std::int64_t kLargestSize = 2147483647;  // sizes are compared as "%d" texts

const std::array<const std::string_view*, 7> kFileKinds = {
    &texts::kKindFile,    &texts::kKindSystem, &texts::kKindMd5,          &texts::kKindWindows,
    &texts::kKindDesktop, &texts::kKindFolder, &texts::kKindProgramGroup,
};
const std::array<const std::string_view*, 2> kRegKinds = {&texts::kKindRegKey,
                                                          &texts::kKindRegValue};
constexpr std::string_view kRootNames = "HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, HKEY_CURRENT_USER";

bool IsControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

template <std::size_t N>
std::string KindNames(const std::array<const std::string_view*, N>& kinds) {
  std::string names;
  for (const std::string_view* kind : kinds) {
    if (!names.empty()) names += ", ";
    names += FromCp949(*kind);
  }
  return names;
}

template <std::size_t N>
bool IsOneOf(std::string_view text, const std::array<const std::string_view*, N>& kinds) {
  for (const std::string_view* kind : kinds) {
    if (text == *kind) return true;
  }
  return false;
}

bool IsDecimalSize(std::string_view size) {
  if (size.empty() || size.size() > 10) return false;
  for (const char c : size) {
    if (c < '0' || c > '9') return false;
  }
  if (size.size() > 1 && size.front() == '0') return false;
  return std::stoll(std::string(size)) <= kLargestSize;
}

struct Form {
  std::string_view keyword;
  std::size_t fields;
  std::string_view shape;
};
constexpr std::array<Form, 5> kForms = {{
    {"date", 1, "TEXT"},
    {"entry", 1, "NAME"},
    {"info", 1, "TEXT"},
    {"file", 3, "PATH SIZE KIND"},
    {"reg", 5, "ROOT SUBKEY NAME DATA KIND"},
}};

// The fields of one statement line as they are written: bare or quoted, with doubled
// quotes undone. nullopt with `error` set when the line cannot be read.
std::optional<std::vector<std::string>> SplitStatement(std::string_view line, std::string& error) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  const auto blank = [&](std::size_t at) { return line[at] == ' ' || line[at] == '\t'; };
  while (true) {
    while (pos < line.size() && blank(pos)) ++pos;
    if (pos == line.size()) return fields;
    std::string field;
    if (line[pos] == '"') {
      for (++pos;; ++pos) {
        if (pos == line.size()) {
          error = "a quoted field without its closing quote";
          return std::nullopt;
        }
        if (IsControl(line[pos])) {
          error = "a control character inside quotes";
          return std::nullopt;
        }
        if (line[pos] != '"') {
          field += line[pos];
        } else if (pos + 1 < line.size() && line[pos + 1] == '"') {
          field += '"';
          ++pos;
        } else {
          break;
        }
      }
      ++pos;
      if (pos < line.size() && !blank(pos)) {
        error = "a closing quote must be followed by a blank or the end of the line";
        return std::nullopt;
      }
    } else {
      for (; pos < line.size() && !blank(pos); ++pos) {
        if (line[pos] == '"') {
          error = "a quote inside a bare field; put the whole field in quotes";
          return std::nullopt;
        }
        if (IsControl(line[pos])) {
          error = "a control character in the line";
          return std::nullopt;
        }
        field += line[pos];
      }
    }
    fields.push_back(std::move(field));
  }
}

class Parser {
 public:
  explicit Parser(std::vector<Fault>& faults) : faults_(faults) {}

  void Line(int number, std::string_view line) {
    line_ = number;
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') return;  // blank or comment
    if (!IsValidUtf8(line)) return Fail("the line is not UTF-8 text");
    std::string error;
    const std::optional<std::vector<std::string>> fields = SplitStatement(line, error);
    if (!fields) return Fail(error);

    const std::string& keyword = fields->front();
    const std::vector<std::string> values(fields->begin() + 1, fields->end());
    const Form* form = nullptr;
    for (const Form& f : kForms) {
      if (f.keyword == keyword) form = &f;
    }
    if (form == nullptr) {
      return Fail("unknown statement \"" + keyword + "\" (date, entry, info, file or reg)");
    }
    if (values.size() != form->fields) {
      return Fail(keyword + " takes " + std::to_string(form->fields) + " field" +
                  (form->fields == 1 ? "" : "s") + " (" + std::string(keyword) + " " +
                  std::string(form->shape) + "), found " + std::to_string(values.size()) +
                  (values.size() > form->fields ? "; quote a field that holds blanks" : ""));
    }
    if (keyword == "date") return Date(values[0]);
    if (keyword == "entry") return Entry(values[0]);
    if (list_.entries.empty()) return Fail(keyword + " before the first entry");
    if (keyword == "info") return Info(values[0]);
    if (keyword == "file") return File(values);
    return Reg(values);
  }

  SignatureList Finish(int last_line) {
    line_ = last_line;
    CloseEntry();
    if (list_.date_line == 0) Fail("the list has no date line");
    if (list_.entries.empty()) Fail("the list has no entry");
    return std::move(list_);
  }

 private:
  void Fail(std::string reason) { FailAt(line_, std::move(reason)); }
  void FailAt(int line, std::string reason) {
    faults_.push_back({line, std::move(reason)});
    entry_faulty_ = !list_.entries.empty();
  }

  // The code page 949 form of a field, or nullopt after saying which character has none.
  std::optional<std::string> Convert(std::string_view text) {
    std::string unmappable;
    std::optional<std::string> bytes = ToCp949(text, &unmappable);
    if (!bytes) {
      Fail("\"" + unmappable + "\" (" + CodePointName(unmappable) + ") has no code page 949 form");
    }
    return bytes;
  }

  bool RuleField(std::string_view what, std::string_view text) {
    if (text.find('#') == std::string_view::npos) return true;
    Fail("\"#\" in the " + std::string(what) + " would split the rule");
    return false;
  }

  void Date(const std::string& date) {
    if (list_.date_line != 0) {
      return Fail("a second date line (the first is line " + std::to_string(list_.date_line) + ")");
    }
    list_.date_line = line_;
    if (date.empty()) return Fail("the date is empty");
    if (date.back() == ' ') return Fail("the date ends in a blank, which the reader drops");
    const std::optional<std::string> bytes = Convert(date);
    if (!bytes) return;
    list_.date = *bytes;
  }

  void Entry(const std::string& name) {
    CloseEntry();
    ListedEntry& entry = list_.entries.emplace_back();
    entry.line = line_;
    entry_faulty_ = false;
    if (name.empty()) return Fail("the entry's name is empty");
    if (const std::optional<std::string> bytes = Convert(name)) entry.name = *bytes;
  }

  void Info(const std::string& info) {
    ListedEntry& entry = list_.entries.back();
    if (entry.info_line != 0) {
      return Fail("a second info line for this entry (the first is line " +
                  std::to_string(entry.info_line) + ")");
    }
    entry.info_line = line_;
    if (const std::optional<std::string> bytes = Convert(info)) entry.info = *bytes;
  }

  void File(const std::vector<std::string>& f) {
    ListedEntry& entry = list_.entries.back();
    entry.files.push_back({line_, {}});  // counted even when faulty: the entry has a rule
    if (f[0].empty()) return Fail("the path is empty");
    if (!RuleField("path", f[0])) return;
    if (f[1] != kAny && !IsDecimalSize(f[1])) {
      return Fail("bad size \"" + f[1] +
                  "\": bytes in decimal (no leading zeros, at most 2147483647) or default");
    }
    const std::optional<std::string> path = Convert(f[0]), kind = Convert(f[2]);
    if (!path || !kind) return;
    if (!IsFileKind(*kind)) {
      return Fail("unknown file kind \"" + f[2] + "\" (" + KindNames(kFileKinds) + ")");
    }
    entry.files.back().rule = {*path, f[1], *kind};
  }

  void Reg(const std::vector<std::string>& f) {
    ListedEntry& entry = list_.entries.back();
    entry.regs.push_back({line_, {}});
    if (!platform::RootKeyFromName(f[0])) {
      return Fail("unknown root \"" + f[0] + "\" (" + std::string(kRootNames) + ")");
    }
    if (f[1].empty()) return Fail("the subkey is empty");
    if (!RuleField("subkey", f[1]) || !RuleField("value name", f[2]) ||
        !RuleField("value data", f[3])) {
      return;
    }
    const std::optional<std::string> subkey = Convert(f[1]), name = Convert(f[2]),
                                     data = Convert(f[3]), kind = Convert(f[4]);
    if (!subkey || !name || !data || !kind) return;
    if (!IsRegKind(*kind)) {
      return Fail("unknown registry kind \"" + f[4] + "\" (" + KindNames(kRegKinds) + ")");
    }
    entry.regs.back().rule = {f[0], *subkey, *name, *data, *kind};
  }

  // What an entry lacks shows only once the next one starts, or the list ends; a
  // faulty line may have been meant as what it lacks, and has been named already.
  void CloseEntry() {
    if (list_.entries.empty() || entry_faulty_) return;
    const ListedEntry& entry = list_.entries.back();
    if (entry.info_line == 0) FailAt(entry.line, "the entry has no info line");
    if (entry.files.empty() && entry.regs.empty()) {
      FailAt(entry.line, "the entry has no file or reg rule, so nothing could ever match it");
    }
  }

  std::vector<Fault>& faults_;
  SignatureList list_;
  int line_ = 0;
  bool entry_faulty_ = false;  // a line of the last entry had a fault
};

}  // namespace

bool IsFileKind(std::string_view kind) {
  return IsOneOf(kind, kFileKinds);
}

bool IsRegKind(std::string_view kind) {
  return IsOneOf(kind, kRegKinds);
}

std::vector<std::string> FormatFaults(std::vector<Fault> faults, std::string_view file_name) {
  // An entry's own faults are found at its end, after those of its lines.
  std::stable_sort(faults.begin(), faults.end(),
                   [](const Fault& a, const Fault& b) { return a.line < b.line; });
  std::vector<std::string> lines;
  for (const Fault& fault : faults) {
    lines.push_back(std::string(file_name) + ":" + std::to_string(fault.line) + ": " +
                    fault.reason);
  }
  return lines;
}

SignatureList ParseSignatureList(std::string_view content, std::vector<Fault>& faults) {
  if (content.starts_with(kUtf8Bom)) content.remove_prefix(kUtf8Bom.size());
  Parser parser(faults);
  int number = 0;
  while (!content.empty()) {
    const std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    parser.Line(++number, line);
  }
  return parser.Finish(number == 0 ? 1 : number);
}

}  // namespace tvac::app::publish
