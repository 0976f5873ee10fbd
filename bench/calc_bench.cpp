// The fee calculation's hot paths: reading what the user typed, writing an
// amount, and the whole report the Calculate command builds.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calc/fee_report.h"
#include "calc/format_amount.h"
#include "calc/rate_sheet.h"
#include "calc/read_number.h"

namespace {

void BM_ReadNumberShortPrice(benchmark::State& state) {
  const std::string text = "0.5";
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    benchmark::DoNotOptimize(vostrel::ReadNumber(text));
  }
}
BENCHMARK(BM_ReadNumberShortPrice);

// A mebibyte pasted into a price box: digit groups separated by blanks, all of
// which belong to one number since blanks are skipped. Bytes processed per
// second is the figure to watch; it must not fall as the text grows.
void BM_ReadNumberMebibyte(benchmark::State& state) {
  const auto length = static_cast<std::size_t>(state.range(0));
  std::string text;
  text.reserve(length);
  static constexpr std::string_view kPattern = "1234567 89\t";
  while (text.size() < length) {
    text += kPattern.substr(0, length - text.size());
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(vostrel::ReadNumber(text));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(length));
}
BENCHMARK(BM_ReadNumberMebibyte)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_FormatAmount(benchmark::State& state) {
  // Typical report amounts: whole, one decimal, a representation error to
  // hide, and one large enough for the exponent form.
  static constexpr std::array<double, 4> kAmounts = {10.0, 0.5, 18.599999999999998, 1.2e308};
  const double amount = kAmounts[static_cast<std::size_t>(state.range(0))];
  for (auto _ : state) {
    benchmark::DoNotOptimize(vostrel::FormatAmount(amount, "."));
  }
}
BENCHMARK(BM_FormatAmount)->DenseRange(0, 3);

void BM_BuildFeeReportAtStartUp(benchmark::State& state) {
  const auto& sheet = vostrel::RateSheet();
  std::array<vostrel::RowInput, vostrel::kRateRowCount> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = {sheet[i].caption, sheet[i].choices.front(), sheet[i].defaultUnitPrice};
  }
  std::size_t characters = 0;
  const vostrel::LineSink sink = [&](std::string_view line) { characters += line.size(); };
  for (auto _ : state) {
    benchmark::DoNotOptimize(vostrel::BuildFeeReport(rows, ".", sink));
  }
  benchmark::DoNotOptimize(characters);
}
BENCHMARK(BM_BuildFeeReportAtStartUp);

}  // namespace
