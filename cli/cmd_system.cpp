// Status, identification, output signals, memory and the one-request commands.
#include "cli/qzctl.h"

#include <algorithm>
#include <cstdio>

#include "link/request.h"
#include "serial/port_list.h"
#include "system/memory_dump.h"

namespace qzctl {

int cmdStatus() {
  uint16_t value = 0;
  uint8_t ready = 0, servo = 0, main = 0, alarm = 0;
  uint16_t st = withRetry([&] { return request_RDSSTS(nullptr, &value, &ready, &servo, &main, &alarm); });
  if (st) return exitForStatus(st);
  auto lamp = [](const char* key, uint8_t on) { return Column{key, std::to_string(on), on ? "on" : "off"}; };
  Record r;
  r.columns = {lamp("ready", ready), lamp("servo", servo), lamp("main", main), lamp("alarm", alarm)};
  r.layout = "ready   {ready}\nservo   {servo}\nmain    {main}\nalarm   {alarm}\n";
  print(r);
  return EXIT_OK;
}

const IdItem kIdItems[6] = {{2, "SV_TYP"}, {3, "SV_VER"}, {0, "QZ_TYP"},
                             {1, "QZ_VER"}, {4, "EN_VER"}, {5, "MT_TYP"}};

uint16_t readIdTexts(std::string texts[6]) {
  for (int i = 0; i < 6; ++i) {
    char text[kIdTextLength + 1] = {};
    // The first failure ends the reading: the remaining items are not asked for.
    uint16_t st = withRetry([&] { return request_RDDVID(nullptr, kIdItems[i].code, text); });
    if (st) return st;
    texts[i] = toUtf8(text);
  }
  return STATUS_OK;
}

int cmdPorts() {
  Record r;
  r.listKey = "ports";
  r.emptyNote = "no serial port found";
  for (const SerialPortInfo& port : listSerialPorts()) {
    Record row;
    row.columns = {str("name", port.name), str("description", port.description),
                   textOnly("gap", port.description.empty() ? "" : "  ")};
    row.layout = "{name}{gap}{description}\n";
    r.rows.push_back(row);
  }
  print(r);
  return EXIT_OK;
}

int cmdId() {
  std::string texts[6];
  if (uint16_t st = readIdTexts(texts)) return exitForStatus(st);
  Record r;
  for (int i = 0; i < 6; ++i) {
    char label[16];
    std::snprintf(label, sizeof label, "%-8s ", kIdItems[i].keyword);
    r.columns.push_back(str(kIdItems[i].keyword, texts[i]));
    r.layout += label + ("{" + std::string(kIdItems[i].keyword) + "}\n");
  }
  print(r);
  return EXIT_OK;
}

// outputs write W0 W1 W2 [--mask M0 M1 M2] | outputs release
int cmdOutputs(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[1] == "release") {
    const uint16_t none[3] = {0, 0, 0};
    if (int e = connectModule()) return e;
    return exitForStatus(withRetry([&] { return request_SETDIS(nullptr, none); }));
  }
  bool masked = args.size() == 9 && args[5] == "--mask";
  if (args.size() < 2 || args[1] != "write" || (args.size() != 5 && !masked))
    return usage("expected outputs write W0 W1 W2 [--mask M0 M1 M2] or outputs release");
  uint16_t words[3], mask[3] = {0xFFFF, 0xFFFF, 0xFFFF};
  for (int k = 0; k < 3; ++k) {
    uint32_t w, m = 0xFFFF;
    if (!parseHex(args[2 + k], &w) || w > 0xFFFF || (masked && (!parseHex(args[6 + k], &m) || m > 0xFFFF)))
      return usage("output words and masks are hexadecimal 0..FFFF");
    words[k] = static_cast<uint16_t>(w);
    mask[k] = static_cast<uint16_t>(m);
  }
  if (int e = connectModule()) return e;
  if (int e = exitForStatus(withRetry([&] { return request_SETDIS(nullptr, mask); }))) return e;
  return exitForStatus(withRetry([&] { return request_WRPORT(nullptr, words); }));
}

// mem read ADDRESS SIZE | mem write ADDRESS VALUE, [--type byte|word|long]; QZ unit memory.
int cmdMem(const std::vector<std::string>& args) {
  int unit = 1;
  std::vector<std::string> r;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--type" && i + 1 < args.size()) {
      int k = keywordIndex(args[++i], {"byte", "word", "long"});
      if (k < 0) return usage("--type must be byte, word or long");
      unit = 1 << k;
    } else {
      r.push_back(args[i]);
    }
  }
  uint32_t address, value = 0;
  long size = 0;
  if (r.size() != 3 || (r[0] != "read" && r[0] != "write") || !parseHex(r[1], &address))
    return usage("expected mem read ADDRESS SIZE or mem write ADDRESS VALUE");
  bool reading = r[0] == "read";
  if (reading ? !parseDecimal(r[2], 1, 4096, &size) : !parseHex(r[2], &value))
    return usage(reading ? "SIZE is decimal 1..4096" : "VALUE is hexadecimal");
  if (!reading && unit < 4 && value >> (8 * unit)) return usage("VALUE does not fit the --type");
  if (int e = connectModule()) return e;
  if (!reading) {
    uint8_t data[4];
    for (int k = 0; k < unit; ++k) data[k] = static_cast<uint8_t>(value >> (8 * k));
    return exitForStatus(withoutRetry("WR_MEM", [&] { return request_WR_MEM(nullptr, 0, address, static_cast<uint16_t>(unit), data); }));
  }
  uint32_t total = static_cast<uint32_t>(size) * static_cast<uint32_t>(unit);
  std::vector<uint8_t> bytes(total);
  for (uint32_t done = 0; done < total && g_running;) {
    uint16_t chunk = static_cast<uint16_t>(std::min<uint32_t>(96, total - done));
    if (int e = exitForStatus(withRetry([&] { return request_RD_MEM(nullptr, 0, address + done, chunk, &bytes[done]); })))
      return e;
    done += chunk;
  }
  if (!g_running) return EXIT_COMM;
  // JSON: the values of --type; text: the memory dialog's lines, characters a terminal
  // cannot show as '.'.
  std::string values, dump;
  for (uint32_t off = 0; off < total; off += static_cast<uint32_t>(unit)) {
    uint32_t v = 0;
    for (int k = 0; k < unit; ++k) v |= static_cast<uint32_t>(bytes[off + k]) << (8 * k);
    values += (off ? "," : "") + std::to_string(v);
  }
  uint8_t type = unit == 4 ? 2 : unit == 2 ? 1 : 0;
  uint32_t lines = dumpLinesFor(total);
  for (uint32_t line = 0; line < lines; ++line) {
    uint32_t off = line * DUMP_BYTES_PER_LINE;
    MemoryDumpLine text;
    makeDumpLine(address + off, bytes.data() + (off < total ? off : 0), off < total ? total - off : 0, type, &text);
    for (char& c : text.content)
      if (c && (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)) c = '.';
    dump += std::string(text.address) + "  " + text.content + "\n";
  }
  Record read;
  read.columns = {num("address", address), num("type", unit), jsonOnly("values", "[" + values + "]"),
                  textOnly("dump", dump)};
  read.layout = "{dump}";
  print(read);
  return EXIT_OK;
}

int cmdSimple(const std::vector<std::string>& args) {
  const std::string& c = args[0];
  if (c == "reset") {
    if (args.size() != 1) return unexpectedArgument(args[1]);
    if (int e = connectModule()) return e;
    return exitForStatus(withoutRetry("RSTMDL", [&] { return request_RSTMDL(nullptr); }));
  }
  if (c == "servo" || c == "brake") {
    if (args.size() != 2 || (args[1] != "on" && args[1] != "off")) return usage("expected on or off");
    uint8_t on = args[1] == "on";
    if (int e = connectModule()) return e;
    return exitForStatus(withRetry([&] { return c == "servo" ? request_SVCTRL(nullptr, on) : request_BKCTRL(nullptr, on); }));
  }
  if (c == "stop") {
    bool zero = args.size() == 2 && args[1] == "--zero";
    if (args.size() > 2 || (args.size() == 2 && !zero)) return unexpectedArgument(args[args.size() > 2 ? 2 : 1]);
    if (int e = connectModule()) return e;
    // Stop modes: 0 decelerate, 1 immediate.
    return exitForStatus(withRetry([&] { return request_STOP__(nullptr, zero ? 1 : 0); }));
  }
  return usage("unknown command");
}

}  // namespace qzctl
