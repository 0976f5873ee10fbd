#include "calc/portable_decimal.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vostrel {
namespace {

// The exact paths below rest on each double operation being rounded once,
// to nearest, as on x86-64 (SSE2) and WebAssembly; x87's wider registers
// would round twice.
static_assert(FLT_EVAL_METHOD == 0);

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

template <typename T, std::size_t N>
constexpr std::array<T, N> Powers(T base) {
  std::array<T, N> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < N; ++i) {
    powers[i] = powers[i - 1] * base;
  }
  return powers;
}

// 10^0..10^22 are all exact doubles; 5^27 is the last power of five below 2^63.
constexpr auto kExactPowersOfTen = Powers<double, 23>(10.0);
constexpr auto kPowersOfFive = Powers<std::uint64_t, 28>(5);
constexpr auto kPowersOfTen = Powers<std::uint64_t, 19>(10);

// Far outside any double's exponent, and far from overflowing when the
// digits' places are added.
constexpr std::int64_t kExponentCap = 1'000'000'000'000;

// A plain decimal as its significant digits, from the first to the last that
// is not 0 (a "." may sit among them), times a power of ten.
struct Significant {
  std::string_view digits;  // empty for zero
  std::int64_t count = 0;   // digits without the point
  std::int64_t exponent = 0;
};

Significant Scan(std::string_view chars) {
  constexpr std::size_t kNone = std::string_view::npos;
  std::size_t point = kNone;
  std::size_t first = kNone;  // the first digit that is not 0
  std::size_t last = kNone;   // and the last
  std::size_t i = 0;
  for (; i < chars.size() && chars[i] != 'e'; ++i) {
    if (chars[i] == '.') {
      point = i;
    } else if (chars[i] != '0') {
      first = std::min(first, i);
      last = i;
    }
  }
  if (first == kNone) {
    return {};
  }
  point = std::min(point, i);

  std::int64_t written = 0;
  ++i;  // the "e", if any
  const bool negative = i < chars.size() && chars[i] == '-';
  if (i < chars.size() && (chars[i] == '-' || chars[i] == '+')) {
    ++i;
  }
  for (; i < chars.size() && IsDigit(chars[i]); ++i) {
    if (written < kExponentCap) {
      written = written * 10 + (chars[i] - '0');
    }
  }

  Significant out;
  out.digits = chars.substr(first, last - first + 1);
  const bool pointInside = first < point && point < last;
  out.count = static_cast<std::int64_t>(out.digits.size()) - (pointInside ? 1 : 0);
  // The place of the last significant digit.
  const auto place = last < point ? static_cast<std::int64_t>(point - last - 1)
                                  : -static_cast<std::int64_t>(last - point);
  out.exponent = (negative ? -written : written) + place;
  return out;
}

// Up to 15 digits are exactly a double, and so is 10^e up to 10^22: one
// multiplication or division, rounded as every operation is, gives the
// double nearest to the decimal.
std::optional<double> ReadExactly(const Significant& number) {
  if (number.count > 15 || number.exponent < -22 || number.exponent > 22) {
    return std::nullopt;
  }
  std::uint64_t significand = 0;
  for (const char c : number.digits) {
    if (c != '.') {
      significand = significand * 10 + static_cast<std::uint64_t>(c - '0');
    }
  }
  const auto value = static_cast<double>(significand);
  const auto power = static_cast<std::size_t>(std::abs(number.exponent));
  return number.exponent < 0 ? value / kExactPowersOfTen[power] : value * kExactPowersOfTen[power];
}

// strtod takes the locale's decimal point, which the program's locale may
// make a comma, so it is handed digits and an exponent alone: "0012.50e3"
// goes as "125e2".
double ReadWithStrtod(const Significant& number) {
  std::string plain;
  plain.reserve(number.digits.size() + 24);
  for (const char c : number.digits) {
    if (c != '.') {
      plain += c;
    }
  }
  plain += 'e';
  plain += std::to_string(number.exponent);
  return std::strtod(plain.c_str(), nullptr);
}

// A double's significant digits, rounded half to even: value = digits *
// 10^(exponent - count + 1), with 10^(count-1) <= digits < 10^count.
struct Rounded {
  std::uint64_t digits = 0;
  int exponent = 0;
};

__extension__ using Uint128 = unsigned __int128;

// With value = m * 2^k, value * 10^p = m * 5^p * 2^(k+p): for p up to 27 the
// product fits 128 bits, and the rounding is decided on the bits shifted out.
// Covers count digits for magnitudes 10^(count-28) up to 10^count; nothing
// outside them.
std::optional<Rounded> RoundExactly(double value, int count) {
  if (!(value > 0.0) || count < 1 || count >= static_cast<int>(kPowersOfTen.size())) {
    return std::nullopt;
  }
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const auto biased = static_cast<int>(bits >> 52);  // no sign: value > 0
  if (biased == 0) {
    return std::nullopt;  // subnormal, far below the magnitudes covered
  }
  constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << 52;
  const std::uint64_t m = (bits & (kHiddenBit - 1)) | kHiddenBit;
  const int k = biased - 1075;
  // floor(log10(2^(biased-1023))): the decimal exponent or one less.
  int exponent = ((biased - 1023) * 78913) >> 18;
  const std::uint64_t lowest = kPowersOfTen[static_cast<std::size_t>(count - 1)];
  const std::uint64_t limit = kPowersOfTen[static_cast<std::size_t>(count)];

  for (int attempt = 0; attempt < 3; ++attempt) {
    const int p = count - 1 - exponent;
    if (p < 0 || p >= static_cast<int>(kPowersOfFive.size())) {
      return std::nullopt;
    }
    const Uint128 scaled = Uint128{m} * kPowersOfFive[static_cast<std::size_t>(p)];
    const int shift = -(k + p);
    Uint128 whole = 0;
    Uint128 rest = 0;
    Uint128 half = 1;
    if (shift <= 0) {
      // An integer: at most a few bits above the limit when the exponent is
      // one too small, so the shift cannot overflow.
      whole = scaled << -shift;
    } else if (shift < 128) {
      whole = scaled >> shift;
      rest = scaled & ((Uint128{1} << shift) - 1);
      half = Uint128{1} << (shift - 1);
    } else {
      return std::nullopt;
    }
    if (whole < lowest) {
      --exponent;
      continue;
    }
    if (whole >= limit) {
      ++exponent;
      continue;
    }
    auto digits = static_cast<std::uint64_t>(whole);
    if (shift > 0 && (rest > half || (rest == half && (digits & 1) != 0))) {
      ++digits;
    }
    if (digits == limit) {
      return Rounded{lowest, exponent + 1};
    }
    return Rounded{digits, exponent};
  }
  return std::nullopt;
}

std::string_view WriteRounded(bool negative, const Rounded& r, int count,
                              std::span<char, kMaxScientificLength> buffer) {
  std::size_t out = 0;
  if (negative) {
    buffer[out++] = '-';
  }
  std::array<char, 20> digits{};
  std::uint64_t rest = r.digits;
  for (int i = count - 1; i >= 0; --i) {
    digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  buffer[out++] = digits[0];
  if (count > 1) {
    buffer[out++] = '.';
    for (int i = 1; i < count; ++i) {
      buffer[out++] = digits[static_cast<std::size_t>(i)];
    }
  }
  buffer[out++] = 'e';
  buffer[out++] = r.exponent < 0 ? '-' : '+';
  const int magnitude = std::abs(r.exponent);
  if (magnitude >= 100) {
    buffer[out++] = static_cast<char>('0' + magnitude / 100);
  }
  buffer[out++] = static_cast<char>('0' + magnitude / 10 % 10);
  buffer[out++] = static_cast<char>('0' + magnitude % 10);
  return {buffer.data(), out};
}

// snprintf writes the locale's decimal point, which may be a comma or take
// several bytes; it comes out as ".".
std::string_view WriteWithSnprintf(double value, int fractionDigits,
                                   std::span<char, kMaxScientificLength> buffer) {
  std::array<char, 64> text{};
  const int written = std::snprintf(text.data(), text.size(), "%.*e", fractionDigits, value);
  const std::size_t length =
      written < 0 ? 0 : std::min(static_cast<std::size_t>(written), text.size() - 1);
  std::size_t in = 0;
  std::size_t out = 0;
  const auto copy = [&] {
    if (out < buffer.size()) {
      buffer[out++] = text[in];
    }
    ++in;
  };
  if (in < length && text[in] == '-') {
    copy();
  }
  if (in < length) {
    copy();  // the leading digit
  }
  if (fractionDigits > 0 && out < buffer.size()) {
    buffer[out++] = '.';
    while (in < length && !IsDigit(text[in])) {
      ++in;
    }
  }
  while (in < length) {
    copy();
  }
  return {buffer.data(), out};
}

}  // namespace

std::optional<double> ReadDecimalPortably(std::string_view chars) {
  const Significant number = Scan(chars);
  if (number.count == 0) {
    return 0.0;
  }
  const std::optional<double> exact = ReadExactly(number);
  const double value = exact ? *exact : ReadWithStrtod(number);
  if (std::isinf(value) || value == 0.0) {
    return std::nullopt;  // some digit is not 0, so zero means underflow
  }
  return value;
}

std::string_view WriteScientificPortably(double value, int fractionDigits,
                                         std::span<char, kMaxScientificLength> buffer) {
  const int count = fractionDigits + 1;
  if (const std::optional<Rounded> rounded = RoundExactly(std::fabs(value), count)) {
    return WriteRounded(std::signbit(value), *rounded, count, buffer);
  }
  return WriteWithSnprintf(value, fractionDigits, buffer);
}

}  // namespace vostrel
