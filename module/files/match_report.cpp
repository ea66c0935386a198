// Match reports to the host. Everything here is skipped once the host has
// refused a report in the running command, so a host without the command
// costs one refused call per command.
#include "module/files/match_report.hpp"

#include "module/base/host_access.hpp"
#include "module/base/run_state.hpp"
#include "module/files/mapped_file.hpp"
#include "module/files/match_lines.hpp"

namespace {

// The file whose lines are being reported; set only during that report.
const char* ReportedPath = nullptr;

bool SendReport(MatchReport& report) {
  report.StructSize = sizeof report;
  report.FileName = ReportedPath;
  return StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_REPORTMATCH, &report) != FALSE;
}

bool ReportMatchedLines(const char* data, size_t length) {
  ForEachMatchedLine(data, length, [data](const MatchedLine& line) {
    MatchReport report{};
    report.Kind = MRK_LINE;
    report.LineNumber = line.number;
    report.LineText = data + line.start;
    report.LineLength = line.text_end - line.start;
    report.CharTable = line.table;  // kOemTable is the record's -1
    return SendReport(report);
  });
  return true;
}

}  // namespace

void ReportFoundFile(const char* path, bool found) {
  if (CurrentRun.match_reports_refused || !StartupInfo.Control) return;
  const bool lines_available = found && FoundFilesHaveLines();
  ReportedPath = path;
  MatchReport report{};
  report.Kind = MRK_FILE;
  report.LinesAvailable = lines_available;
  if (!SendReport(report))
    CurrentRun.match_reports_refused = true;
  else if (report.WantLines && lines_available) {
    ScanMappedFile(path, ReportMatchedLines);
    MatchReport end{};
    end.Kind = MRK_LINESEND;
    SendReport(end);
  }
  ReportedPath = nullptr;
}
