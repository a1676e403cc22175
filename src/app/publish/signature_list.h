#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scan/pattern_database.h"

// The readable list the signature database is built from. UTF-8 text, one statement
// a line; blank lines and lines whose first non-blank character is "#" are skipped.
// A statement is a keyword and its fields, separated by blanks (spaces or tabs). A
// field is written bare (no blanks, no quotes) or between double quotes, where it
// may hold anything but a line break or another control character, and a quote is
// written twice (""):
//
//   date  TEXT                        the database date, once
//   entry NAME                        starts an entry: its diagnosis name
//   info  TEXT                        the entry's description, once an entry
//   file  PATH SIZE KIND              SIZE: bytes in decimal, or default
//   reg   ROOT SUBKEY NAME DATA KIND  DATA: the expected text, or default
//
// File kinds are 파일, 시스템, MD5, 윈도우, 바탕화면, 폴더 and 프로그램그룹; roots are
// HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT and HKEY_CURRENT_USER; registry kinds are
// 레지키 and 레지값. Every text must have a code page 949 form.
namespace tvac::app::publish {

struct ListedFileRule {
  int line = 0;
  scan::FileRule rule;  // code page 949
};

struct ListedRegRule {
  int line = 0;
  scan::RegRule rule;  // code page 949
};

struct ListedEntry {
  int line = 0;       // of its "entry" statement
  int info_line = 0;  // of its "info" statement
  std::string name;   // code page 949
  std::string info;   // code page 949
  std::vector<ListedFileRule> files;
  std::vector<ListedRegRule> regs;
};

struct SignatureList {
  int date_line = 0;
  std::string date;  // code page 949, without the label the database puts before it
  std::vector<ListedEntry> entries;
};

// Something in the list that keeps it from becoming a database, and its line.
struct Fault {
  int line = 0;
  std::string reason;
};

// The kinds of file and registry rules the agent knows (code page 949).
bool IsFileKind(std::string_view kind);
bool IsRegKind(std::string_view kind);

// "FILE:LINE: reason" for each fault, in the order of the lines.
std::vector<std::string> FormatFaults(std::vector<Fault> faults, std::string_view file_name);

// Reads the list in `content`. Each fault is added to `faults`; what a faulty line
// would have given is left empty, so that the rest can still be checked.
SignatureList ParseSignatureList(std::string_view content, std::vector<Fault>& faults);

}  // namespace tvac::app::publish
