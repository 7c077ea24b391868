#include "transfer_bench_report.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <tuple>

namespace transfer_bench {
namespace {

const char* const kOps[] = {"import", "reimport", "export", "bulk"};

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

// 1234567 -> "1,234,567".
std::string grouped(long long value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

std::string seconds(double s) { return s < 10 ? format("%.2f", s) : format("%.0f", s); }

bool completed(const CaseResult* r) { return r != nullptr && r->kind == "RESULT"; }

double rowsPerSecond(const CaseResult& r) { return r.seconds > 0 ? r.rows / r.seconds : 0; }

// What a table cell says about a case: its time, or why there is none.
std::string timeCell(const CaseResult* r) {
  if (r == nullptr) return "-";
  if (r->kind == "STOPPED") return "stopped at " + seconds(r->seconds) + " s";
  if (r->kind == "SKIPPED") return "skipped";
  if (r->kind == "FAILED") return "failed";
  return seconds(r->seconds);
}

std::string rateCell(const CaseResult* r) {
  return completed(r) ? grouped(std::llround(rowsPerSecond(*r))) : "-";
}

std::string ratioCell(const CaseResult* r, const CaseResult* bulk) {
  if (!completed(r) || !completed(bulk) || bulk->seconds <= 0) return "-";
  return format("%.1fx", r->seconds / bulk->seconds);
}

std::string memoryCell(const CaseResult* r) {
  return completed(r) ? format("%.0f", r->peakKb / 1024.0) : "-";
}

using Key = std::tuple<std::string, int, std::string>;  // driver, parts, op

}  // namespace

std::string formatResultLine(const CaseResult& r) {
  std::ostringstream out;
  out << r.kind << " op=" << r.op << " driver=" << r.driver << " parts=" << r.parts
      << " rows=" << r.rows << " seconds=" << format("%.3f", r.seconds) << " peak_kb=" << r.peakKb
      << " check=" << r.check;
  return out.str();
}

bool parseResultLine(const std::string& line, CaseResult* result) {
  std::istringstream in(line);
  CaseResult r;
  in >> r.kind;
  if (r.kind != "RESULT" && r.kind != "STOPPED" && r.kind != "SKIPPED" && r.kind != "FAILED") {
    return false;
  }
  const size_t checkAt = line.find(" check=");
  std::istringstream fields(line.substr(0, checkAt));
  std::string field;
  fields >> field;  // the kind
  while (fields >> field) {
    const size_t eq = field.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = field.substr(0, eq);
    const std::string value = field.substr(eq + 1);
    try {
      if (key == "op")
        r.op = value;
      else if (key == "driver")
        r.driver = value;
      else if (key == "parts")
        r.parts = std::stoi(value);
      else if (key == "rows")
        r.rows = std::stoll(value);
      else if (key == "seconds")
        r.seconds = std::stod(value);
      else if (key == "peak_kb")
        r.peakKb = std::stoll(value);
    } catch (const std::exception&) {
      return false;
    }
  }
  if (checkAt != std::string::npos) r.check = line.substr(checkAt + 7);
  if (r.op.empty() || r.driver.empty() || r.parts <= 0) return false;
  *result = r;
  return true;
}

std::string formatReport(const std::vector<CaseResult>& results) {
  std::map<Key, const CaseResult*> byKey;
  std::map<std::string, std::map<int, bool>> sizes;  // driver -> parts
  for (const CaseResult& r : results) {
    byKey[Key(r.driver, r.parts, r.op)] = &r;
    sizes[r.driver][r.parts] = true;
  }
  auto find = [&byKey](const std::string& driver, int parts, const char* op) -> const CaseResult* {
    auto it = byKey.find(Key(driver, parts, op));
    return it == byKey.end() ? nullptr : it->second;
  };

  std::ostringstream out;
  out << "Rows = rows in the database after the import (parts + datasheets + link rows); the\n"
         "bulk load writes the same rows. Ratio = time / bulk-load time. Peak = max RSS of the\n"
         "case's process in MB.\n\n";
  out << "| driver | parts | rows | import s | import rows/s | import/bulk | re-import s | "
         "re-import/bulk | export s | export rows/s | export/bulk | bulk s | bulk rows/s | "
         "peak MB import/re-import/export/bulk |\n";
  out << "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
  std::vector<std::string> problems;
  for (const auto& [driver, partsSeen] : sizes) {
    for (const auto& entry : partsSeen) {
      const int parts = entry.first;
      const CaseResult* imp = find(driver, parts, "import");
      const CaseResult* again = find(driver, parts, "reimport");
      const CaseResult* exp = find(driver, parts, "export");
      const CaseResult* bulk = find(driver, parts, "bulk");
      long long rows = 0;
      for (const CaseResult* r : {bulk, imp, exp}) {
        if (completed(r) && rows == 0) rows = r->rows;
      }
      out << "| " << driver << " | " << grouped(parts) << " | " << grouped(rows) << " | "
          << timeCell(imp) << " | " << rateCell(imp) << " | " << ratioCell(imp, bulk) << " | "
          << timeCell(again) << " | " << ratioCell(again, bulk) << " | " << timeCell(exp) << " | "
          << rateCell(exp) << " | " << ratioCell(exp, bulk) << " | " << timeCell(bulk) << " | "
          << rateCell(bulk) << " | " << memoryCell(imp) << " / " << memoryCell(again) << " / "
          << memoryCell(exp) << " / " << memoryCell(bulk) << " |\n";
      for (const CaseResult* r : {imp, again, exp, bulk}) {
        if (completed(r) && r->check != "ok") {
          problems.push_back(r->driver + " " + r->op + " " + grouped(r->parts) + ": " + r->check);
        }
      }
    }
  }

  out << "\nGrowth of the time with size (linear growth = the same factor as the parts):\n";
  for (const auto& [driver, partsSeen] : sizes) {
    for (const char* op : kOps) {
      std::string line = "- " + driver + " " + op + ":";
      const CaseResult* previous = nullptr;
      const CaseResult* first = nullptr;
      const CaseResult* last = nullptr;
      for (const auto& entry : partsSeen) {
        const CaseResult* r = find(driver, entry.first, op);
        if (r == nullptr) continue;
        if (!completed(r)) {
          // A stopped case took at least the limit: a lower bound of the growth.
          if (r->kind == "STOPPED" && completed(previous) && previous->seconds > 0) {
            line += " " + grouped(previous->parts) + " -> " + grouped(r->parts) + " more than x" +
                    format("%.0f", r->seconds / previous->seconds) + " (" + timeCell(r);
            if (r->check != "ok") line += ", " + r->check;
            line += ");";
          } else {
            line += " " + grouped(r->parts) + " " + timeCell(r) + ";";
          }
          continue;
        }
        if (completed(previous) && previous->seconds > 0) {
          line += " " + grouped(previous->parts) + " -> " + grouped(r->parts) + " x" +
                  format("%.1f", r->seconds / previous->seconds) + " (" +
                  seconds(previous->seconds) + " s -> " + seconds(r->seconds) + " s);";
        }
        if (first == nullptr) first = r;
        last = r;
        previous = r;
      }
      if (first != nullptr && last != first && first->seconds > 0 && last->seconds > 0) {
        const double exponent =
            std::log(last->seconds / first->seconds) / std::log(double(last->parts) / first->parts);
        line += " time ~ parts^" + format("%.2f", exponent) + " from " + grouped(first->parts) +
                " to " + grouped(last->parts) + ".";
      }
      if (line.back() == ':') {
        line += first == nullptr ? " not measured." : " one size measured, no growth to give.";
      }
      out << line << "\n";
    }
  }
  if (!problems.empty()) {
    out << "\nDifferences found after the cases:\n";
    for (const std::string& p : problems) out << "- " << p << "\n";
  }
  return out.str();
}

}  // namespace transfer_bench
