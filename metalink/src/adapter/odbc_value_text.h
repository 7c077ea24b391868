// The texts into which fetched numbers and time stamps are turned.
#pragma once

#include <cstdint>
#include <string>

// printf "%g": six significant digits, exponent form for very large or small values.
std::string formatDouble(double value);
// "%04d-%02d-%02dT%02d:%02d:%02d"; a fraction of a second is not written.
std::string formatTimestamp(int year, int month, int day, int hour, int minute, int second);
std::string formatInteger(int32_t value);
