#include "tests/support/journal_lines.h"

#include <gtest/gtest.h>

#include "platform/sim/sim.h"

std::string SimJournalFile(const std::string& name) {
  SimFile file;
  return SimFileGet("C:\\ProgramData\\Varnick\\" + name, &file) ? file.content : "-";
}

std::vector<std::string> SimJournalRecords() {
  std::string text = SimJournalFile();
  std::vector<std::string> records;
  if (text == "-" || text.empty()) return records;
  const std::string start = "\xEF\xBB\xBFTime,Run,Face,Step,Change,Device,From,To,Result\r\n";
  EXPECT_EQ(start, text.substr(0, start.size()));
  const std::string time = "2026-12-10T16:50:29.123Z,";
  for (size_t at = start.size(); at < text.size();) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    EXPECT_EQ(time, line.substr(0, time.size()));
    records.push_back(line.substr(time.size()));
    at = end + 2;
  }
  return records;
}
