#include "oci/oci_values.h"

namespace skerrow::oci {

std::optional<SourceDate> DecodeOracleDate(const unsigned char* b) {
  // Years before Christ count down from 100 in both bytes.
  int year = 0;
  if (b[0] >= 100)
    year = (b[0] - 100) * 100 + (b[1] - 100);
  else
    year = -((100 - b[0]) * 100 + (100 - b[1]));
  SourceDate date;
  date.year = static_cast<std::int16_t>(year);
  date.month = static_cast<std::int8_t>(b[2]);
  date.day = static_cast<std::int8_t>(b[3]);
  date.hour = static_cast<std::int8_t>(b[4] - 1);
  date.minute = static_cast<std::int8_t>(b[5] - 1);
  date.second = static_cast<std::int8_t>(b[6] - 1);
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31 || date.hour < 0 ||
      date.hour > 23 || date.minute < 0 || date.minute > 59 || date.second < 0 ||
      date.second > 59 || year == 0)
    return std::nullopt;
  return date;
}

void EncodeOracleDate(const SourceDate& date, unsigned char* b) {
  const int year = date.year;
  if (year >= 0) {
    b[0] = static_cast<unsigned char>(year / 100 + 100);
    b[1] = static_cast<unsigned char>(year % 100 + 100);
  } else {
    b[0] = static_cast<unsigned char>(100 - (-year) / 100);
    b[1] = static_cast<unsigned char>(100 - (-year) % 100);
  }
  b[2] = static_cast<unsigned char>(date.month);
  b[3] = static_cast<unsigned char>(date.day);
  b[4] = static_cast<unsigned char>(date.hour + 1);
  b[5] = static_cast<unsigned char>(date.minute + 1);
  b[6] = static_cast<unsigned char>(date.second + 1);
}

}  // namespace skerrow::oci
