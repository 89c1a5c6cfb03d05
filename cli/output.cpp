// The one renderer of qzctl's output: records as text under their layouts, or as JSON.
#include "cli/output.h"

#include <cstdio>
#include <cstdlib>

#include "cli/console.h"
#include "cli/qzctl.h"

namespace qzctl {
namespace {

// Terminal columns of UTF-8 text: half-width katakana and ASCII take one, the other
// East Asian characters two.
int terminalColumns(const std::string& text) {
  int used = 0;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t code = c;
    int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (length > 1) {
      code = c & (0x3F >> (length - 1));
      for (int k = 1; k < length && i + k < text.size(); ++k) code = code << 6 | (text[i + k] & 0x3F);
    }
    bool narrow = code < 0x1100 || (code >= 0xFF61 && code <= 0xFF9F);
    used += narrow ? 1 : 2;
    i += static_cast<size_t>(length);
  }
  return used;
}

const Column* findColumn(const Record& r, const std::string& key) {
  for (const Column& c : r.columns)
    if (c.key == key) return &c;
  return nullptr;
}

// A layout with every "{key}" or "{key:[-|<]width}" replaced by that column's text,
// padded to width: right-aligned, or left-aligned with "-" (bytes) or "<" (terminal columns).
std::string expand(const std::string& layout, const Record& r) {
  std::string out;
  for (size_t at = 0; at < layout.size();) {
    size_t open = layout.find('{', at);
    size_t close = open == std::string::npos ? open : layout.find('}', open);
    if (close == std::string::npos) {
      out += layout.substr(at);
      break;
    }
    out += layout.substr(at, open - at);
    std::string field = layout.substr(open + 1, close - open - 1);
    at = close + 1;
    size_t colon = field.find(':');
    const Column* c = findColumn(r, field.substr(0, colon));
    std::string text = c ? c->text : std::string();
    if (colon == std::string::npos) {
      out += text;
      continue;
    }
    char align = field[colon + 1];
    int width = std::atoi(field.c_str() + colon + 1 + (align == '-' || align == '<' ? 1 : 0));
    int used = align == '<' ? terminalColumns(text) : static_cast<int>(text.size());
    std::string pad(used < width ? static_cast<size_t>(width - used) : 0, ' ');
    out += align == '-' || align == '<' ? text + pad : pad + text;
  }
  return out;
}

void redraw(const std::string& frame, int* lines) {
  // The cursor goes back up over the previous frame and every line is rewritten,
  // the rest of each line cleared.
  std::string out;
  if (*lines > 0) out += "\r\x1b[" + std::to_string(*lines) + "A";
  *lines = 0;
  for (size_t at = 0; at < frame.size();) {
    size_t end = frame.find('\n', at);
    if (end == std::string::npos) end = frame.size();
    out += frame.substr(at, end - at) + "\x1b[K\n";
    ++*lines;
    at = end + 1;
  }
  std::fputs(out.c_str(), stdout);
}

}  // namespace

Column str(const std::string& key, const std::string& value) { return {key, jsonString(value), value}; }
Column num(const std::string& key, long long value) { return {key, std::to_string(value), std::to_string(value)}; }
Column textOnly(const std::string& key, const std::string& text) { return {key, "", text}; }
Column jsonOnly(const std::string& key, const std::string& json) { return {key, json, ""}; }

std::string layoutText(const std::string& layout, const std::vector<Column>& columns) {
  Record r;
  r.columns = columns;
  return expand(layout, r);
}

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') { out += '\\'; out += static_cast<char>(c); }
    else if (c < 0x20) { char b[8]; std::snprintf(b, sizeof b, "\\u%04x", c); out += b; }
    else out += static_cast<char>(c);
  }
  return out + "\"";
}

std::string jsonOf(const Record& r) {
  std::string members;
  for (const Column& c : r.columns)
    if (!c.json.empty()) members += (members.empty() ? "" : ",") + jsonString(c.key) + ":" + c.json;
  std::string rows;
  for (const Record& row : r.rows) rows += (rows.empty() ? "" : ",") + jsonOf(row);
  if (members.empty() && r.listKey.empty()) return "[" + rows + "]";
  if (!r.listKey.empty()) members += (members.empty() ? "" : ",") + jsonString(r.listKey) + ":[" + rows + "]";
  return "{" + members + "}";
}

std::string textOf(const Record& r) {
  std::string out = expand(r.layout, r);
  for (const Record& row : r.rows) out += textOf(row);
  return out + expand(r.footer, r);
}

std::string secondsSince(std::chrono::steady_clock::time_point start) {
  char b[32];
  std::snprintf(b, sizeof b, "%.1f", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  return b;
}

void print(const Record& r) {
  if (g_opt.json) {
    if (r.shows & kShowJson) std::printf("%s\n", jsonOf(r).c_str());
    return;
  }
  if (!(r.shows & kShowText)) return;
  if (r.rows.empty() && !r.emptyNote.empty()) note("%s", r.emptyNote.c_str());
  std::fputs(textOf(r).c_str(), stdout);
}

void printFrame(const Record& r, int* lines) {
  if (g_opt.json) print(r);
  else if (stdoutIsTerminal()) redraw(textOf(r), lines);
  else std::fputs((textOf(r) + "\n").c_str(), stdout);
}

}  // namespace qzctl
