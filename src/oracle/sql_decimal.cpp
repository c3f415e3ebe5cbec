#include "oracle/sql_decimal.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "db/variant.h"

namespace skerrow::oracle {

namespace {

// value = (negative ? -1 : 1) * digits * 10^-scale, digits without leading zeros ("" is 0).
struct Scaled {
  bool negative = false;
  std::string digits;
  int scale = 0;
};

Scaled Parse(const std::string& text) {
  Scaled value;
  std::string_view rest = text;
  if (!rest.empty() && rest.front() == '-') {
    value.negative = true;
    rest.remove_prefix(1);
  }
  std::size_t point = rest.find('.');
  if (point == std::string_view::npos) {
    value.digits = std::string(rest);
  } else {
    value.digits = std::string(rest.substr(0, point)) + std::string(rest.substr(point + 1));
    value.scale = static_cast<int>(rest.size() - point - 1);
  }
  value.digits.erase(0, std::min(value.digits.find_first_not_of('0'), value.digits.size()));
  return value;
}

// The canonical text MakeDecimal gives, written straight from the digits.
std::string Format(const Scaled& value) {
  std::string_view digits = value.digits;
  int scale = value.scale;
  while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
  while (scale > 0 && !digits.empty() && digits.back() == '0') {
    digits.remove_suffix(1);
    --scale;
  }
  if (digits.empty()) return "0";
  std::string text;
  if (value.negative) text.push_back('-');
  if (scale <= 0) {
    text.append(digits);
    text.append(static_cast<std::size_t>(-scale), '0');
  } else if (digits.size() <= static_cast<std::size_t>(scale)) {
    text.append("0.");
    text.append(static_cast<std::size_t>(scale) - digits.size(), '0');
    text.append(digits);
  } else {
    const std::size_t whole = digits.size() - static_cast<std::size_t>(scale);
    text.append(digits.substr(0, whole));
    text.push_back('.');
    text.append(digits.substr(whole));
  }
  return text;
}

int CompareMagnitude(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

std::string AddMagnitude(const std::string& a, const std::string& b) {
  std::string sum;
  int carry = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
    int da = i < a.size() ? a[a.size() - 1 - i] - '0' : 0;
    int db = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
    int d = da + db + carry;
    sum.push_back(static_cast<char>('0' + d % 10));
    carry = d / 10;
  }
  std::reverse(sum.begin(), sum.end());
  sum.erase(0, std::min(sum.find_first_not_of('0'), sum.size()));
  return sum;
}

// a - b for a >= b.
std::string SubtractMagnitude(const std::string& a, const std::string& b) {
  std::string difference;
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int da = a[a.size() - 1 - i] - '0' - borrow;
    int db = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
    borrow = da < db ? 1 : 0;
    difference.push_back(static_cast<char>('0' + da + borrow * 10 - db));
  }
  std::reverse(difference.begin(), difference.end());
  difference.erase(0, std::min(difference.find_first_not_of('0'), difference.size()));
  return difference;
}

void Align(Scaled& a, Scaled& b) {
  while (a.scale < b.scale) {
    if (!a.digits.empty()) a.digits.push_back('0');
    ++a.scale;
  }
  while (b.scale < a.scale) {
    if (!b.digits.empty()) b.digits.push_back('0');
    ++b.scale;
  }
}

Scaled AddScaled(Scaled a, Scaled b) {
  Align(a, b);
  Scaled result;
  result.scale = a.scale;
  if (a.negative == b.negative) {
    result.negative = a.negative;
    result.digits = AddMagnitude(a.digits, b.digits);
  } else if (CompareMagnitude(a.digits, b.digits) >= 0) {
    result.negative = a.negative;
    result.digits = SubtractMagnitude(a.digits, b.digits);
  } else {
    result.negative = b.negative;
    result.digits = SubtractMagnitude(b.digits, a.digits);
  }
  return result;
}

}  // namespace

std::string DecimalAdd(const std::string& a, const std::string& b) {
  return Format(AddScaled(Parse(a), Parse(b)));
}

std::string DecimalNegate(const std::string& a) {
  Scaled value = Parse(a);
  value.negative = !value.negative;
  return Format(value);
}

std::string DecimalSubtract(const std::string& a, const std::string& b) {
  return DecimalAdd(a, DecimalNegate(b));
}

std::string DecimalMultiply(const std::string& a, const std::string& b) {
  Scaled x = Parse(a), y = Parse(b);
  std::vector<int> product(x.digits.size() + y.digits.size() + 1, 0);
  for (std::size_t i = 0; i < x.digits.size(); ++i)
    for (std::size_t j = 0; j < y.digits.size(); ++j)
      product[i + j] +=
          (x.digits[x.digits.size() - 1 - i] - '0') * (y.digits[y.digits.size() - 1 - j] - '0');
  std::string digits;
  int carry = 0;
  for (int& cell : product) {
    int d = cell + carry;
    digits.push_back(static_cast<char>('0' + d % 10));
    carry = d / 10;
  }
  while (carry) {
    digits.push_back(static_cast<char>('0' + carry % 10));
    carry /= 10;
  }
  std::reverse(digits.begin(), digits.end());
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  return Format(Scaled{x.negative != y.negative, digits, x.scale + y.scale});
}

std::optional<std::string> DecimalDivide(const std::string& a, const std::string& b) {
  // NUMBER operands have at most 40 significant digits: the long division below stays small.
  Scaled x = Parse(DecimalToNumberPrecision(a)), y = Parse(DecimalToNumberPrecision(b));
  if (y.digits.empty()) return std::nullopt;
  if (x.digits.empty()) return std::string("0");
  // Long division of x.digits * 10^extra by y.digits, with enough extra digits for 40
  // significant digits of the quotient and the one that rounds them.
  const int extra = 42 + static_cast<int>(y.digits.size());
  std::string numerator = x.digits + std::string(static_cast<std::size_t>(extra), '0');
  std::string quotient;
  if (y.digits.size() <= 18) {
    // A divisor below 10^18 keeps the remainder within 64 bits: the same digits, natively.
    std::uint64_t divisor = 0;
    for (char digit : y.digits) divisor = divisor * 10 + static_cast<std::uint64_t>(digit - '0');
    std::uint64_t rest = 0;
    quotient.reserve(numerator.size());
    for (char digit : numerator) {
      rest = rest * 10 + static_cast<std::uint64_t>(digit - '0');
      quotient.push_back(static_cast<char>('0' + rest / divisor));
      rest %= divisor;
    }
  } else {
    std::string remainder;
    for (char digit : numerator) {
      remainder.push_back(digit);
      remainder.erase(0, std::min(remainder.find_first_not_of('0'), remainder.size()));
      int count = 0;
      while (CompareMagnitude(remainder, y.digits) >= 0) {
        remainder = SubtractMagnitude(remainder, y.digits);
        ++count;
      }
      quotient.push_back(static_cast<char>('0' + count));
    }
  }
  quotient.erase(0, std::min(quotient.find_first_not_of('0'), quotient.size()));
  Scaled result{x.negative != y.negative, quotient, x.scale - y.scale + extra};
  return DecimalToNumberPrecision(Format(result));
}

std::string DecimalToNumberPrecision(const std::string& a) {
  Scaled value = Parse(a);
  if (value.digits.empty()) return "0";
  // The power of ten of the leading digit; base-100 digits pair the powers 2k+1 and 2k.
  const long leading = static_cast<long>(value.digits.size()) - 1 - value.scale;
  if (leading < -130) return "0";
  const int digits = leading % 2 == 0 ? 39 : 40;
  return DecimalRoundSignificant(a, digits);
}

bool DecimalOverflowsNumber(const std::string& a) {
  return DecimalIntegerDigits(a) > 126;
}

std::string DecimalRound(const std::string& a, int scale) {
  Scaled value = Parse(a);
  if (value.scale <= scale) return Format(value);
  const std::size_t drop = static_cast<std::size_t>(value.scale - scale);
  if (value.digits.size() < drop) return "0";
  const bool roundUp =
      value.digits.size() >= drop && drop > 0 && value.digits[value.digits.size() - drop] >= '5';
  std::string kept = value.digits.substr(0, value.digits.size() - drop);
  if (roundUp) kept = AddMagnitude(kept.empty() ? "0" : kept, "1");
  kept.erase(0, std::min(kept.find_first_not_of('0'), kept.size()));
  return Format(Scaled{value.negative, kept, scale});
}

std::string DecimalTruncate(const std::string& a, int scale) {
  Scaled value = Parse(a);
  if (value.scale <= scale) return Format(value);
  const std::size_t drop = static_cast<std::size_t>(value.scale - scale);
  if (value.digits.size() <= drop) return "0";
  return Format(Scaled{value.negative, value.digits.substr(0, value.digits.size() - drop), scale});
}

std::string DecimalRoundSignificant(const std::string& a, int digits) {
  Scaled value = Parse(a);
  const int length = static_cast<int>(value.digits.size());
  if (length <= digits) return Format(value);
  return DecimalRound(a, value.scale - (length - digits));
}

int DecimalIntegerDigits(const std::string& a) {
  std::string_view text = a;
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  std::size_t point = text.find('.');
  std::string_view integer = text.substr(0, point);
  return integer == "0" ? 0 : static_cast<int>(integer.size());
}

}  // namespace skerrow::oracle
