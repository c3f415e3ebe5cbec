// The exact decimal type of the embedded Oracle: canonical texts from any numeric text, and
// the arithmetic on them. Input: two number texts separated by a line break, then the rest
// picks a rounding scale and a number of significant digits.
#include <cstddef>
#include <cstdint>
#include <string>

#include "db/variant.h"
#include "fuzz_support.h"
#include "oracle/sql_decimal.h"

namespace {

using skerrow::MakeDecimal;
using skerrow::fuzz::Check;

bool IsCanonical(const std::string& text) {
  const auto again = MakeDecimal(text);
  return again && *again == text;
}

void CheckCanonical(const std::string& result, const char* what, const std::string& a,
                    const std::string& b) {
  Check(IsCanonical(result), what, "a=" + a + " b=" + b + " result=" + result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace skerrow::oracle;
  skerrow::fuzz::InputReader input(data, size);
  const std::string_view first = input.Until('\n');
  const std::string_view second = input.Until('\n');
  const auto scale = input.Raw<std::int16_t>();
  const int significant = 1 + input.Byte() % 60;

  const auto a = MakeDecimal(first);
  if (!a) return 0;
  // Canonical means a fixed point of MakeDecimal, and the variant hands the same text back.
  Check(IsCanonical(*a), "MakeDecimal gives canonical text", std::string(first) + " -> " + *a);
  Check(skerrow::Variant::FromDecimal(*a).ToText() == *a, "a decimal variant keeps its text", *a);

  CheckCanonical(DecimalRound(*a, scale), "DecimalRound", *a, std::to_string(scale));
  CheckCanonical(DecimalRoundSignificant(*a, significant), "DecimalRoundSignificant", *a,
                 std::to_string(significant));
  CheckCanonical(DecimalNegate(DecimalNegate(*a)), "negation", *a, "");
  Check(DecimalNegate(DecimalNegate(*a)) == *a, "negating twice gives the number back", *a);
  const int integerDigits = DecimalIntegerDigits(*a);
  Check(integerDigits >= 0 && static_cast<std::size_t>(integerDigits) <= a->size(),
        "DecimalIntegerDigits within the text", *a);

  const auto b = MakeDecimal(second);
  if (!b) return 0;
  const std::string sum = DecimalAdd(*a, *b);
  CheckCanonical(sum, "DecimalAdd", *a, *b);
  // Sums and differences are exact: taking b away again gives a.
  Check(DecimalSubtract(sum, *b) == *a, "(a + b) - b == a", *a + " " + *b + " sum " + sum);
  const std::string product = DecimalMultiply(*a, *b);
  CheckCanonical(product, "DecimalMultiply", *a, *b);
  Check(DecimalMultiply(*b, *a) == product, "a * b == b * a", *a + " " + *b);
  if (const auto quotient = DecimalDivide(*a, *b)) {
    CheckCanonical(*quotient, "DecimalDivide", *a, *b);
  } else {
    Check(*b == "0", "only a zero divisor has no quotient", *b);
  }
  return 0;
}
