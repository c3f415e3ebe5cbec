#include "oracle/number_format.h"

#include <vector>

#include "oracle/sql_decimal.h"
#include "text/ascii.h"

namespace skerrow::oracle {

namespace {

// A number format model taken apart.
struct NumberModel {
  bool fillMode = false;   // FM
  bool blankZero = false;  // B
  bool dollar = false;     // $
  enum class Sign { Default, LeadingS, TrailingS, TrailingMinus, Brackets } sign = Sign::Default;
  // The digit part in order: '9', '0', ',' (group) and '.' (decimal point).
  std::string digits;
};

bool Take(std::string_view upper, std::size_t& pos, std::string_view element) {
  if (upper.substr(pos, element.size()) != element) return false;
  pos += element.size();
  return true;
}

std::optional<NumberModel> ParseModel(std::string_view format, std::string& error) {
  const std::string upper = text::ToUpperAscii(format);
  NumberModel model;
  std::size_t pos = 0;
  const auto refuse = [&](const std::string& why) -> std::optional<NumberModel> {
    error = "ORA-01481: invalid number format model ('" + std::string(format.substr(0, 40)) +
            "': " + why + ")";
    return std::nullopt;
  };
  // Modifiers before the digits, in any order.
  while (pos < upper.size()) {
    if (Take(upper, pos, "FM")) {
      model.fillMode = true;
    } else if (Take(upper, pos, "B")) {
      model.blankZero = true;
    } else if (Take(upper, pos, "$")) {
      model.dollar = true;
    } else if (upper[pos] == 'S' && model.sign == NumberModel::Sign::Default) {
      model.sign = NumberModel::Sign::LeadingS;
      ++pos;
    } else {
      break;
    }
  }
  bool point = false;
  for (; pos < upper.size(); ++pos) {
    const char c = upper[pos];
    if (c == '9' || c == '0') {
      model.digits.push_back(c);
    } else if (c == ',' || c == 'G') {
      if (model.digits.empty()) return refuse("a group separator cannot start the number");
      if (point) return refuse("a group separator cannot follow the decimal point");
      model.digits.push_back(',');
    } else if (c == '.' || c == 'D') {
      if (point) return refuse("only one decimal point");
      point = true;
      model.digits.push_back('.');
    } else if (c == '$' && !model.dollar) {
      model.dollar = true;
    } else {
      break;
    }
  }
  const std::string_view rest = std::string_view(upper).substr(pos);
  if (rest == "MI" && model.sign == NumberModel::Sign::Default) {
    model.sign = NumberModel::Sign::TrailingMinus;
  } else if (rest == "PR" && model.sign == NumberModel::Sign::Default) {
    model.sign = NumberModel::Sign::Brackets;
  } else if (rest == "S" && model.sign == NumberModel::Sign::Default) {
    model.sign = NumberModel::Sign::TrailingS;
  } else if (!rest.empty()) {
    for (std::string_view known : {"EEEE", "X", "V", "RN", "TM", "L", "C", "U"})
      if (rest.starts_with(known))
        return refuse("the element " + std::string(known) +
                      " is not supported by the embedded instance");
    return refuse("unknown element at '" + std::string(rest.substr(0, 10)) + "'");
  }
  if (model.digits.find_first_of("90") == std::string::npos) return refuse("no digit");
  return model;
}

}  // namespace

std::optional<std::string> FormatNumber(const std::string& exact, std::string_view format,
                                        std::string& error) {
  const auto parsed = ParseModel(format, error);
  if (!parsed) return std::nullopt;
  const NumberModel& model = *parsed;
  const std::size_t pointAt = std::min(model.digits.find('.'), model.digits.size());
  const std::string integerModel = model.digits.substr(0, pointAt);
  const std::string fractionModel =
      pointAt < model.digits.size() ? model.digits.substr(pointAt + 1) : std::string();
  const int decimals = static_cast<int>(fractionModel.size());

  std::string rounded = DecimalRound(exact, decimals);
  const bool negative = rounded.starts_with('-');
  if (negative) rounded.erase(0, 1);
  const std::size_t point = std::min(rounded.find('.'), rounded.size());
  std::string integer = rounded.substr(0, point);
  std::string fraction = point < rounded.size() ? rounded.substr(point + 1) : std::string();
  fraction.resize(static_cast<std::size_t>(decimals), '0');
  if (integer == "0") integer.clear();

  std::size_t integerPositions = 0;
  for (char c : integerModel) integerPositions += c == ',' ? 0 : 1;
  // Without FM every element of the model is one character of the result, and the sign takes
  // one more (two for PR's brackets): a value too large for the model is that many "#".
  const std::size_t width = model.digits.size() + (model.dollar ? 1 : 0) +
                            (model.sign == NumberModel::Sign::Brackets ? 2 : 1);
  if (integer.size() > integerPositions) return std::string(width, '#');

  // The integer part right-aligned in its positions: a digit, or a blank for a leading zero
  // unless a 0 of the model at or before that place asks for zeros.
  const bool zeroValue = integer.empty() && fraction.find_first_not_of('0') == std::string::npos;
  std::string body;
  std::size_t digitIndex = 0;  // positions of the integer model seen so far
  bool printing = false;
  for (char c : integerModel) {
    if (c == ',') {
      body += printing ? "," : " ";
      continue;
    }
    const std::size_t fromRight = integerPositions - digitIndex++;
    const bool haveDigit = fromRight <= integer.size();
    if (c == '0' || haveDigit) printing = true;
    if (printing)
      body += haveDigit ? integer[integer.size() - fromRight] : '0';
    else
      body += ' ';
  }
  // Oracle writes a zero value's integer part as 0 (0 with 99.99 is "  0.00" only with a 0 in the
  // model; with 9s alone 0 is "0" when there are no decimals).
  if (zeroValue && !printing && decimals == 0 && !body.empty()) body.back() = '0';
  if (model.blankZero && integer.empty())
    for (char& c : body) c = ' ';
  if (pointAt < model.digits.size()) {
    std::string shown = fraction;
    if (model.fillMode) {
      // FM drops trailing zeros that stand at 9 positions after the last 0 of the model.
      const std::size_t lastZero = fractionModel.rfind('0');
      const std::size_t keep = lastZero == std::string::npos ? 0 : lastZero + 1;
      while (shown.size() > keep && shown.back() == '0') shown.pop_back();
    }
    body += "." + shown;
  }
  if (model.blankZero && integer.empty() && zeroValue)
    for (char& c : body) c = ' ';

  // The sign and the dollar go right before the first character that is not a blank.
  const std::size_t first = std::min(body.find_first_not_of(' '), body.size());
  std::string lead = model.dollar ? "$" : "";
  std::string trail;
  switch (model.sign) {
    case NumberModel::Sign::Default:
      lead = (negative ? "-" : " ") + lead;
      break;
    case NumberModel::Sign::LeadingS:
      lead = (negative ? "-" : "+") + lead;
      break;
    case NumberModel::Sign::TrailingS:
      trail = negative ? "-" : "+";
      break;
    case NumberModel::Sign::TrailingMinus:
      trail = negative ? "-" : " ";
      break;
    case NumberModel::Sign::Brackets:
      lead = (negative ? "<" : " ") + lead;
      trail = negative ? ">" : " ";
      break;
  }
  std::string result = body.substr(0, first) + lead + body.substr(first) + trail;
  if (model.fillMode) result = text::TrimWhiteSpace(result);
  return result;
}

}  // namespace skerrow::oracle
