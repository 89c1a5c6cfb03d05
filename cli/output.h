// What commands print: records of named columns with an optional list of rows, and
// the one renderer that writes them to stdout as text or, with --json, as JSON.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace qzctl {

// One named value as both outputs show it. An empty `json` leaves the column out of
// the JSON document (a column of the text only); the text layout may leave out any.
struct Column {
  std::string key;
  std::string json;   // a JSON literal: number, string, null, true, false, object or array
  std::string text;
};

constexpr uint8_t kShowText = 1, kShowJson = 2, kShowBoth = kShowText | kShowJson;

// A command's output. Text: `layout` over the columns, each row's own text, then
// `footer` over the columns. In a layout "{key}" is a column's text, "{key:N}" and
// "{key:-N}" align it right or left in N bytes (as printf's %Ns and %-Ns), and
// "{key:<N}" pads it to N terminal columns. JSON: one object of the columns with
// the rows under `listKey`; a record with neither is the bare array of its rows.
struct Record {
  std::vector<Column> columns;
  std::string layout;
  std::string listKey;
  std::vector<Record> rows;
  std::string footer;
  std::string emptyNote;    // text output only: said on stderr when there are no rows
  uint8_t shows = kShowBoth;  // a part of the output that only one of them has
};

Column str(const std::string& key, const std::string& value);   // a JSON string
Column num(const std::string& key, long long value);
Column textOnly(const std::string& key, const std::string& text);
Column jsonOnly(const std::string& key, const std::string& json);

// `layout` over these columns: a header line in the layout of a list's rows.
std::string layoutText(const std::string& layout, const std::vector<Column>& columns);
std::string jsonString(const std::string& s);
std::string jsonOf(const Record& record);
std::string textOf(const Record& record);
// Seconds since `start` with one decimal, as the summaries show them.
std::string secondsSince(std::chrono::steady_clock::time_point start);

// Prints the record in the output chosen on the command line (when it shows in it).
void print(const Record& record);
// One frame of a watch: on a terminal the text redraws the previous frame in place,
// `lines` keeping its line count; otherwise frames follow each other, a blank line
// apart. JSON prints one document per frame.
void printFrame(const Record& record, int* lines);

}  // namespace qzctl
