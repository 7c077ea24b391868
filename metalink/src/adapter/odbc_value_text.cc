#include "adapter/odbc_value_text.h"

#include <cstdio>

std::string formatDouble(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string formatTimestamp(int year, int month, int day, int hour, int minute, int second) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute,
                second);
  return text;
}

std::string formatInteger(int32_t value) { return std::to_string(value); }
