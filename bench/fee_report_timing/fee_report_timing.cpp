// Times BuildFeeReport on the start-up inputs with the standard library
// alone, so that the very same source runs natively and as WebAssembly under
// Node (scripts/bench-web.sh compares the two). Half a second of reports
// first, which lets Node finish compiling the WebAssembly with its optimising
// tier; then each sample is the mean over a batch of reports lasting about
// 2 ms, long against the clock's resolution and short against the time
// slices of a busy machine. Prints the fastest tenth's boundary (the 10th
// percentile) in nanoseconds per report: the slower samples are those
// another process interrupted.
//
// Usage: fee_report_timing [SAMPLES]   (default 201)
#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "calc/fee_report.h"
#include "calc/rate_sheet.h"

namespace {

using Clock = std::chrono::steady_clock;

std::size_t characters = 0;  // read at the end, so that no report is optimised away

double NanosecondsPerReport(const std::array<vostrel::RowInput, vostrel::kRateRowCount>& rows,
                            long reports) {
  const vostrel::LineSink sink = [](std::string_view line) { characters += line.size(); };
  const Clock::time_point start = Clock::now();
  for (long i = 0; i < reports; ++i) {
    if (!vostrel::BuildFeeReport(rows, ".", sink).complete()) {
      std::abort();  // the start-up inputs always give the whole report
    }
  }
  const std::chrono::duration<double, std::nano> elapsed = Clock::now() - start;
  return elapsed.count() / static_cast<double>(reports);
}

}  // namespace

int main(int argc, char** argv) {
  const int samples = argc > 1 ? std::max(1, std::atoi(argv[1])) : 201;

  const auto& sheet = vostrel::RateSheet();
  std::array<vostrel::RowInput, vostrel::kRateRowCount> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = {sheet[i].caption, sheet[i].choices.front(), sheet[i].defaultUnitPrice};
  }

  // Warms up, and sizes the batch from the warm-up's last speed.
  double warm = 0;
  const Clock::time_point warmUpEnd = Clock::now() + std::chrono::milliseconds(500);
  while (Clock::now() < warmUpEnd) {
    warm = NanosecondsPerReport(rows, 1000);
  }
  const long batch = std::max(100L, static_cast<long>(2e6 / warm));

  std::vector<double> times;
  for (int i = 0; i < samples; ++i) {
    times.push_back(NanosecondsPerReport(rows, batch));
  }
  std::sort(times.begin(), times.end());
  std::printf("%.1f\n", times[times.size() / 10]);
  return characters > 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
