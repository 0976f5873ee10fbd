// The core's conversion tests run once for each way this build converts
// between doubles and text (calc/decimal_conversion.h), named after it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "calc/decimal_conversion.h"

namespace vostrel {

inline std::string ConversionName(const testing::TestParamInfo<DecimalConversion>& info) {
  return info.param == DecimalConversion::kStandardLibrary ? "StandardLibrary" : "Portable";
}

}  // namespace vostrel
