#include "oracle/sequence_rules.h"

#include <stdexcept>

#include "oracle/sql_decimal.h"

namespace skerrow::oracle {

namespace {

const std::string kAscendingMax(28, '9');
const std::string kDescendingMin = "-" + std::string(27, '9');

}  // namespace

int CompareDecimals(const std::string& a, const std::string& b) {
  const std::string difference = DecimalSubtract(a, b);
  if (difference == "0") return 0;
  return difference.starts_with('-') ? -1 : 1;
}

SequenceOptions CompleteSequenceOptions(const SequenceOptions& given) {
  SequenceOptions options = given;
  if (options.incrementBy.empty()) options.incrementBy = "1";
  if (CompareDecimals(options.incrementBy, "0") == 0)
    throw std::runtime_error("ORA-04002: INCREMENT must be a non-zero integer");
  const bool ascending = CompareDecimals(options.incrementBy, "0") > 0;
  if (options.minValue.empty()) options.minValue = ascending ? "1" : kDescendingMin;
  if (options.maxValue.empty()) options.maxValue = ascending ? kAscendingMax : "-1";
  if (CompareDecimals(options.minValue, options.maxValue) >= 0)
    throw std::runtime_error("ORA-04004: MINVALUE must be less than MAXVALUE");
  if (options.startWith.empty())
    options.startWith = ascending ? options.minValue : options.maxValue;
  if (CompareDecimals(options.startWith, options.minValue) < 0)
    throw std::runtime_error("ORA-04006: START WITH cannot be less than MINVALUE");
  if (CompareDecimals(options.startWith, options.maxValue) > 0)
    throw std::runtime_error("ORA-04008: START WITH cannot be more than MAXVALUE");
  return options;
}

std::string IdentityOptionsText(const SequenceOptions& options) {
  return "START WITH: " + options.startWith + ", INCREMENT BY: " + options.incrementBy +
         ", MAX_VALUE: " + options.maxValue + ", MIN_VALUE: " + options.minValue +
         ", CYCLE_FLAG: " + (options.cycle ? "Y" : "N") +
         ", CACHE_SIZE: " + std::to_string(options.cacheSize) +
         ", ORDER_FLAG: " + (options.order ? "Y" : "N") +
         ", SCALE_FLAG: N, EXTEND_FLAG: N, KEEP_VALUE: N";
}

}  // namespace skerrow::oracle
