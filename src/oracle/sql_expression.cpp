#include "oracle/sql_expression.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "oracle/column_default.h"
#include "oracle/number_format.h"
#include "oracle/sql_characters.h"
#include "oracle/sql_datetime.h"
#include "oracle/sql_decimal.h"
#include "oracle/sql_error.h"
#include "oracle/stored_value.h"
#include "text/ascii.h"
#include "text/hex.h"
#include "text/utf8.h"

namespace skerrow::oracle {

namespace {

using Kind = ScriptValue::Kind;

constexpr const char* kInvalidNumber = "ORA-01722: invalid number";

// Names compared by length first: a function is looked up among many.
bool Is(const std::string& name, std::string_view candidate) {
  return name.size() == candidate.size() && name.compare(candidate) == 0;
}

// A whole number of at most 18 digits, read natively.
bool WholeNumberText(const std::string& text, long long& value) {
  if (text.empty() || text.size() > 19 || text.find('.') != std::string::npos) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

class Evaluator {
 public:
  Evaluator(TokenCursor& cursor, const ExpressionContext& context)
      : cursor_(cursor), context_(context) {}

  ScriptValue Expression() {
    ScriptValue left = Term();
    while (true) {
      if (cursor_.AcceptSymbol("+")) {
        left = Arithmetic('+', left, Term());
      } else if (cursor_.AcceptSymbol("-")) {
        left = Arithmetic('-', left, Term());
      } else if (cursor_.AcceptSymbol("||")) {
        left = Concatenate(left, Term());
      } else {
        return left;
      }
    }
  }

 private:
  ScriptValue Term() {
    ScriptValue left = Unary();
    while (true) {
      if (cursor_.AcceptSymbol("*")) {
        left = Arithmetic('*', left, Unary());
      } else if (cursor_.Peek().IsSymbol("/")) {
        cursor_.Next();
        left = Arithmetic('/', left, Unary());
      } else {
        return left;
      }
    }
  }

  ScriptValue Unary() {
    const Nesting nested(*this);
    if (cursor_.AcceptSymbol("-")) {
      ScriptValue value = Unary();
      if (value.IsNull()) return value;
      // A sign changes no digit: a number keeps its kind and all it holds (a BINARY_DOUBLE
      // below NUMBER's range too).
      if (value.kind == Kind::Number || value.kind == Kind::Double) {
        value.text = DecimalNegate(value.text);
        return value;
      }
      return Arithmetic('-', ScriptValue::Number("0"), value);
    }
    if (cursor_.AcceptSymbol("+")) return Unary();
    return Primary();
  }

  ScriptValue Primary() {
    const Token& token = cursor_.Peek();
    switch (token.kind) {
      case TokenKind::Number: {
        cursor_.Next();
        auto exact = MakeDecimal(token.text);
        if (!exact) cursor_.Fail(kInvalidNumber);
        ScriptValue value = ScriptValue::Number(*exact);
        if (token.HasBinarySuffix()) value.kind = Kind::Double;
        return value;
      }
      case TokenKind::String:
      case TokenKind::NationalString:
        cursor_.Next();
        return ScriptValue::Text(token.text);
      case TokenKind::Symbol:
        if (token.IsSymbol("(")) {
          cursor_.Next();
          ScriptValue value = Expression();
          cursor_.ExpectSymbol(")");
          return value;
        }
        cursor_.FailUnexpected("a value");
      case TokenKind::Word:
        return WordValue();
      case TokenKind::QuotedName:
        return NameValue();
      case TokenKind::Bind:
        cursor_.Fail("ORA-01008: not all variables bound (" + Describe(token) + ")");
      case TokenKind::End:
      case TokenKind::SlashLine:
        break;
    }
    cursor_.FailUnexpected("a value");
  }

  ScriptValue WordValue() {
    const Token& token = cursor_.Next();
    const std::string word = text::ToUpperAscii(token.text);
    if (word == "NULL") return ScriptValue::Null();
    if (word == "DATE" && cursor_.Peek().kind == TokenKind::String)
      return Checked(ParseDateLiteral(cursor_.Next().text, error_));
    if (word == "TIMESTAMP" && cursor_.Peek().kind == TokenKind::String)
      return Checked(ParseTimestampLiteral(cursor_.Next().text, error_));
    if (word == "INTERVAL" && cursor_.Peek().kind == TokenKind::String) return IntervalLiteral();
    if (word == "SYSDATE" || word == "CURRENT_DATE") return ScriptValue::OfDate(CurrentDate());
    if (word == "SYSTIMESTAMP" || word == "CURRENT_TIMESTAMP" || word == "LOCALTIMESTAMP") {
      ScriptValue value = ScriptValue::OfDate(CurrentDate());
      value.kind = Kind::Timestamp;
      return value;
    }
    if (word == "USER") return ScriptValue::Text(context_.currentUser);
    if (word == "UID") return ScriptValue::Number(std::to_string(context_.userId));
    if (word == "CASE") return Case();
    if (IsAggregate(word) && cursor_.Peek().IsSymbol("(")) {
      if (!context_.aggregate) cursor_.Fail("ORA-00934: group function is not allowed here");
      return context_.aggregate(word, cursor_);
    }
    if (word == "SYS_GUID" && cursor_.Peek().IsSymbol("(")) {
      Arguments();
      return ScriptValue::Bytes(RandomGuid());
    }
    cursor_.Seek(cursor_.Position() - 1);
    return NameValue();
  }

  static bool IsAggregate(const std::string& word) {
    return word == "COUNT" || word == "SUM" || word == "AVG" || word == "MIN" || word == "MAX";
  }

  // A name, possibly qualified: a function when "(" follows (SYS.XMLTYPE.CREATEXML(...)),
  // else what the context resolves (a column, a variable, seq.NEXTVAL).
  ScriptValue NameValue() {
    const bool quoted = cursor_.Peek().kind == TokenKind::QuotedName;
    std::vector<std::string> path{cursor_.Next().Name()};
    while (cursor_.Peek().IsSymbol(".") && cursor_.PeekIsName(1)) {
      cursor_.Next();
      path.push_back(cursor_.Next().Name());
    }
    std::string name;
    for (const auto& part : path) name += (name.empty() ? "" : ".") + part;
    if (!quoted && cursor_.Peek().IsSymbol("(")) return Function(name, Arguments());
    if (context_.resolveName)
      if (auto value = context_.resolveName(path)) return *value;
    if (context_.columnsVisible) cursor_.Fail("ORA-00904: \"" + name + "\": invalid identifier");
    cursor_.Fail("ORA-00984: column not allowed here (\"" + name + "\" is not a value)");
  }

  // CASE WHEN condition THEN value ... [ELSE value] END, or CASE value WHEN value THEN ... END.
  // Only the branch taken is evaluated.
  ScriptValue Case() {
    std::optional<ScriptValue> subject;
    if (!cursor_.Peek().IsWord("WHEN")) subject = Expression();
    std::optional<ScriptValue> result;
    while (cursor_.AcceptWord("WHEN")) {
      bool matches = false;
      if (result) {
        SkipExpression(cursor_, {"THEN"});
      } else if (subject) {
        const ScriptValue candidate = Expression();
        matches = CompareValues(*subject, candidate, context_) == 0;
      } else {
        matches = Condition() == Truth::True;
      }
      cursor_.ExpectWord("THEN");
      if (matches) {
        result = Expression();
      } else {
        SkipExpression(cursor_, {"WHEN", "ELSE", "END"});
      }
    }
    if (cursor_.AcceptWord("ELSE")) {
      if (result) {
        SkipExpression(cursor_, {"END"});
      } else {
        result = Expression();
      }
    }
    cursor_.ExpectWord("END");
    return result.value_or(ScriptValue::Null());
  }

 public:
  Truth Condition() {
    Truth left = AndCondition();
    while (cursor_.AcceptWord("OR")) {
      const Truth right = AndCondition();
      if (left == Truth::True || right == Truth::True)
        left = Truth::True;
      else if (left == Truth::Unknown || right == Truth::Unknown)
        left = Truth::Unknown;
      else
        left = Truth::False;
    }
    return left;
  }

 private:
  Truth AndCondition() {
    Truth left = NotCondition();
    while (cursor_.AcceptWord("AND")) {
      const Truth right = NotCondition();
      if (left == Truth::False || right == Truth::False)
        left = Truth::False;
      else if (left == Truth::Unknown || right == Truth::Unknown)
        left = Truth::Unknown;
      else
        left = Truth::True;
    }
    return left;
  }

  Truth NotCondition() {
    const Nesting nested(*this);
    if (cursor_.AcceptWord("NOT")) {
      const Truth inner = NotCondition();
      return inner == Truth::Unknown ? inner : (inner == Truth::True ? Truth::False : Truth::True);
    }
    return Predicate();
  }

  // True when the "(" at the cursor opens a condition rather than a value: a comparison or a
  // logical word stands inside it at its own level.
  bool ParenthesesHoldCondition() const {
    int depth = 0;
    for (std::size_t i = 0;; ++i) {
      const Token& token = cursor_.Peek(i);
      if (token.kind == TokenKind::End) return false;
      if (token.IsSymbol("(")) ++depth;
      if (token.IsSymbol(")") && --depth == 0) return false;
      if (depth != 1) continue;
      for (const char* op : {"=", "<", ">", "<=", ">=", "<>", "!=", "^="})
        if (token.IsSymbol(op)) return true;
      for (const char* word : {"AND", "OR", "NOT", "IS", "IN", "LIKE", "BETWEEN", "EXISTS"})
        if (token.IsWord(word)) return true;
    }
  }

  static Truth FromBool(bool value) { return value ? Truth::True : Truth::False; }

  Truth Predicate() {
    if (cursor_.Peek().IsSymbol("(") && ParenthesesHoldCondition()) {
      cursor_.Next();
      const Truth inner = Condition();
      cursor_.ExpectSymbol(")");
      return inner;
    }
    if (cursor_.Peek().IsWord("EXISTS"))
      cursor_.Fail("ORA-00900: EXISTS (subqueries) is not supported by the embedded instance");
    const ScriptValue left = Expression();
    if (cursor_.AcceptWord("IS")) {
      const bool negated = cursor_.AcceptWord("NOT");
      cursor_.ExpectWord("NULL");
      return FromBool(left.IsNull() != negated);
    }
    const bool negated = cursor_.AcceptWord("NOT");
    Truth truth = Truth::Unknown;
    if (cursor_.AcceptWord("IN")) {
      cursor_.ExpectSymbol("(");
      if (cursor_.Peek().IsWord("SELECT"))
        cursor_.Fail("ORA-00900: IN (subqueries) is not supported by the embedded instance");
      bool unknown = false;
      truth = Truth::False;
      do {
        const auto order = CompareValues(left, Expression(), context_);
        if (!order) unknown = true;
        if (order == 0) truth = Truth::True;
      } while (cursor_.AcceptSymbol(","));
      cursor_.ExpectSymbol(")");
      if (truth == Truth::False && unknown) truth = Truth::Unknown;
    } else if (cursor_.AcceptWord("BETWEEN")) {
      const ScriptValue low = Expression();
      cursor_.ExpectWord("AND");
      const ScriptValue high = Expression();
      const auto fromLow = CompareValues(left, low, context_);
      const auto toHigh = CompareValues(left, high, context_);
      truth = (fromLow && *fromLow < 0) || (toHigh && *toHigh > 0) ? Truth::False
              : fromLow && toHigh                                  ? Truth::True
                                                                   : Truth::Unknown;
    } else if (cursor_.AcceptWord("LIKE")) {
      const ScriptValue pattern = Expression();
      std::string escape;
      if (cursor_.AcceptWord("ESCAPE")) escape = TextOf(Expression());
      if (left.IsNull() || pattern.IsNull()) return Truth::Unknown;
      truth = FromBool(Like(TextOf(left), TextOf(pattern), escape.empty() ? '\0' : escape[0]));
    } else if (negated) {
      cursor_.FailUnexpected("IN, BETWEEN or LIKE after NOT");
    } else {
      const std::string op = cursor_.Peek().kind == TokenKind::Symbol ? cursor_.Peek().text : "";
      static constexpr std::string_view kOperators[] = {
          "=", "<>", "!=", "^=", "<", ">", "<=", ">="};
      if (std::find(std::begin(kOperators), std::end(kOperators), op) == std::end(kOperators))
        cursor_.Fail("ORA-00920: invalid relational operator (found " + Describe(cursor_.Peek()) +
                     ")");
      cursor_.Next();
      const ScriptValue right = Expression();
      const auto order = CompareValues(left, right, context_);
      if (!order) return Truth::Unknown;
      bool wanted = false;
      if (op == "=")
        wanted = *order == 0;
      else if (op == "<")
        wanted = *order < 0;
      else if (op == ">")
        wanted = *order > 0;
      else if (op == "<=")
        wanted = *order <= 0;
      else if (op == ">=")
        wanted = *order >= 0;
      else
        wanted = *order != 0;
      return FromBool(wanted);
    }
    if (negated && truth != Truth::Unknown)
      truth = truth == Truth::True ? Truth::False : Truth::True;
    return truth;
  }

  // SQL LIKE: % any run of characters, _ one character, `escape` makes the next one plain.
  static bool Like(std::string_view text, std::string_view pattern, char escape) {
    std::size_t t = 0, p = 0, starP = std::string_view::npos, starT = 0;
    const auto charLength = [](std::string_view s, std::size_t at) {
      const std::size_t length = text::Utf8SequenceLength(s, at);
      return length == 0 ? 1 : length;
    };
    while (t < text.size()) {
      if (p < pattern.size() && pattern[p] == '%') {
        starP = ++p;
        starT = t;
        continue;
      }
      if (p < pattern.size()) {
        std::size_t pLength = charLength(pattern, p);
        bool literal = false;
        if (escape && pattern[p] == escape && p + 1 < pattern.size()) {
          ++p;
          pLength = charLength(pattern, p);
          literal = true;
        }
        const std::size_t tLength = charLength(text, t);
        if ((!literal && pattern[p] == '_') ||
            pattern.substr(p, pLength) == text.substr(t, tLength)) {
          p += pLength;
          t += tLength;
          continue;
        }
        if (literal) --p;
      }
      if (starP == std::string_view::npos) return false;
      p = starP;
      starT += charLength(text, starT);
      t = starT;
    }
    while (p < pattern.size() && pattern[p] == '%') ++p;
    return p == pattern.size();
  }

  std::vector<ScriptValue> Arguments() {
    std::vector<ScriptValue> arguments;
    cursor_.ExpectSymbol("(");
    if (cursor_.AcceptSymbol(")")) return arguments;
    do {
      arguments.push_back(Expression());
    } while (cursor_.AcceptSymbol(","));
    cursor_.ExpectSymbol(")");
    return arguments;
  }

  ScriptValue Checked(std::optional<ScriptValue> value) {
    if (!value) cursor_.Fail(error_);
    return *value;
  }

  // "(n)" after an interval's field: a precision from 0 to 9, as Oracle allows.
  int IntervalPrecision(int otherwise) {
    if (!cursor_.AcceptSymbol("(")) return otherwise;
    const Token& number = cursor_.Peek();
    int value = -1;
    if (number.kind != TokenKind::Number ||
        number.text.find_first_not_of("0123456789") != std::string::npos)
      cursor_.FailUnexpected("a precision from 0 to 9");
    if (number.text.size() > 1 || number.text[0] > '9')
      cursor_.Fail("ORA-30088: datetime/interval precision is out of range (0 to 9)");
    value = number.text[0] - '0';
    cursor_.Next();
    cursor_.ExpectSymbol(")");
    return value;
  }

  // INTERVAL 'text' YEAR[(p)] [TO MONTH] and INTERVAL 'text' DAY[(p)] [TO SECOND[(f)]], read as
  // Oracle reads them: every field a number in its range, the leading one within its
  // precision. The value is its text: "+02-06", "+03 04:05:06.789000".
  ScriptValue IntervalLiteral() {
    const Token& literal = cursor_.Next();
    const std::string text(text::TrimmedView(literal.text));
    const std::string unit = cursor_.Peek().kind == TokenKind::Word ? cursor_.Peek().Name() : "";
    if (unit != "YEAR" && unit != "DAY")
      cursor_.Fail("ORA-00907: unsupported interval literal (use YEAR TO MONTH or DAY TO SECOND)");
    cursor_.Next();
    const int leading = IntervalPrecision(2);
    int fraction = 6;
    bool to = false;
    if (cursor_.AcceptWord("TO")) {
      to = true;
      if (!cursor_.AcceptWord(unit == "YEAR" ? "MONTH" : "SECOND"))
        cursor_.FailUnexpected(unit == "YEAR" ? "MONTH" : "SECOND");
      if (unit == "DAY") fraction = IntervalPrecision(6);
    }
    const auto invalid = [&]() -> ScriptValue {
      cursor_.Fail("ORA-01867: the interval is invalid ('" +
                   std::string(text::Utf8Prefix(text, 40)) + "')");
    };
    std::string_view body = text;
    std::string sign = "+";
    if (!body.empty() && (body.front() == '-' || body.front() == '+')) {
      sign = std::string(1, body.front());
      body.remove_prefix(1);
    }
    // Reads the digits at the start of `rest`, at most `most` of them (0: any number).
    const auto digits = [](std::string_view& rest, std::size_t most) {
      std::size_t length = 0;
      while (length < rest.size() && IsDigit(rest[length])) ++length;
      const std::string_view taken = rest.substr(0, length);
      rest.remove_prefix(length);
      return most != 0 && length > most ? std::string_view() : taken;
    };
    const auto leadingField = [&](std::string_view field) {
      field.remove_prefix(std::min(field.find_first_not_of('0'), field.size()));
      if (static_cast<int>(field.size()) > leading)
        cursor_.Fail("ORA-01873: the leading precision of the interval is too small ('" +
                     std::string(text::Utf8Prefix(text, 40)) + "' for a precision of " +
                     std::to_string(leading) + ")");
      std::string padded(field);
      if (static_cast<int>(padded.size()) < leading)
        padded.insert(0, static_cast<std::size_t>(leading) - padded.size(), '0');
      return padded;
    };
    const auto twoDigits = [](std::string_view field) {
      return field.size() == 1 ? "0" + std::string(field) : std::string(field);
    };
    const std::string_view first = digits(body, 0);
    if (first.empty()) return invalid();
    const std::string lead = leadingField(first);
    if (unit == "YEAR") {
      std::string months = "00";
      if (!body.empty()) {
        if (!to || body.front() != '-') return invalid();
        body.remove_prefix(1);
        const std::string_view field = digits(body, 2);
        if (field.empty() || !body.empty()) return invalid();
        if (std::stoi(std::string(field)) > 11)
          cursor_.Fail("ORA-01843: not a valid month (the months of an interval are 0 to 11)");
        months = twoDigits(field);
      }
      return ScriptValue::Text(sign + lead + "-" + months);
    }
    std::string fields[3] = {"00", "00", "00"};
    std::string fractionDigits;
    if (!body.empty()) {
      if (body.front() != ' ') return invalid();
      body.remove_prefix(std::min(body.find_first_not_of(' '), body.size()));
      static constexpr int kLimits[3] = {23, 59, 59};
      static constexpr const char* kErrors[3] = {"ORA-01850: hour must be between 0 and 23",
                                                 "ORA-01851: minutes must be between 0 and 59",
                                                 "ORA-01852: seconds must be between 0 and 59"};
      for (int part = 0; part < 3; ++part) {
        const std::string_view field = digits(body, 2);
        if (field.empty()) return invalid();
        if (std::stoi(std::string(field)) > kLimits[part]) cursor_.Fail(kErrors[part]);
        fields[part] = twoDigits(field);
        if (body.empty() || body.front() != ':' || part == 2) break;
        body.remove_prefix(1);
      }
      if (!body.empty() && body.front() == '.') {
        body.remove_prefix(1);
        fractionDigits = std::string(digits(body, 0));
        if (fractionDigits.empty()) return invalid();
      }
      if (!body.empty()) return invalid();
    }
    fractionDigits.resize(static_cast<std::size_t>(fraction), '0');
    return ScriptValue::Text(sign + lead + " " + fields[0] + ":" + fields[1] + ":" + fields[2] +
                             (fraction > 0 ? "." + fractionDigits : ""));
  }

  std::string NumberOf(const ScriptValue& value) {
    switch (value.kind) {
      case Kind::Number:
      case Kind::Double:
        return value.text;
      case Kind::Text: {
        std::string trimmed = value.text;
        trimmed.erase(0, trimmed.find_first_not_of(' '));
        trimmed.erase(trimmed.find_last_not_of(' ') + 1);
        auto exact = MakeDecimal(trimmed);
        if (!exact) cursor_.Fail(kInvalidNumber);
        return *exact;
      }
      default:
        cursor_.Fail("ORA-00932: inconsistent datatypes: expected NUMBER");
    }
  }

  std::string TextOf(const ScriptValue& value) { return ValueAsText(value, context_); }

  // TO_CHAR(value, format): a date or timestamp with a datetime format model, a number (or a
  // text that is one) with a number format model.
  ScriptValue FormattedText(const ScriptValue& value, const ScriptValue& format) {
    if (format.IsNull()) return ScriptValue::Null();
    const std::string model = TextOf(format);
    if (value.kind == Kind::Date) return ScriptValue::Text(FormatDate(value.date, model));
    if (value.kind == Kind::Timestamp) {
      std::string fraction = value.fraction;
      fraction.resize(std::max<std::size_t>(fraction.size(), 6), '0');
      return ScriptValue::Text(FormatDateTime(value.date, fraction, value.zone, model));
    }
    if (value.kind == Kind::Bytes || value.kind == Kind::EmptyLob)
      cursor_.Fail(
          "ORA-00932: inconsistent datatypes: TO_CHAR with a format needs a number or "
          "a date");
    auto formatted = FormatNumber(NumberOf(value), model, error_);
    if (!formatted) cursor_.Fail(error_);
    return ScriptValue::Text(*formatted);
  }

  // The NUMBER a decimal stands for; ORA-01426 for one beyond NUMBER's range.
  std::string AsNumber(const std::string& exact) {
    // A text of 39 characters at most holds no more than 38 digits, within NUMBER's range and
    // precision: it is its own NUMBER (the common case, kept cheap).
    if (exact.size() <= 39) return exact;
    if (DecimalOverflowsNumber(exact)) cursor_.Fail("ORA-01426: numeric overflow");
    return DecimalToNumberPrecision(exact);
  }

  ScriptValue Arithmetic(char op, const ScriptValue& left, const ScriptValue& right) {
    if (left.IsNull() || right.IsNull()) return ScriptValue::Null();
    const bool leftDate = left.kind == Kind::Date || left.kind == Kind::Timestamp;
    const bool rightDate = right.kind == Kind::Date || right.kind == Kind::Timestamp;
    if (leftDate || rightDate) {
      if (leftDate && rightDate && op == '-') {
        return ScriptValue::Number(DaysBetween(left.date, right.date));
      }
      if (op != '+' && op != '-')
        cursor_.Fail(
            "ORA-00932: inconsistent datatypes: dates can only be added to or "
            "subtracted from");
      if (leftDate && rightDate) cursor_.Fail("ORA-00975: date + date not allowed");
      if (rightDate && op == '-')
        cursor_.Fail("ORA-00932: inconsistent datatypes: a number minus a date");
      const ScriptValue& date = leftDate ? left : right;
      std::string days = NumberOf(leftDate ? right : left);
      if (op == '-') days = DecimalNegate(days);
      auto result = AddDays(date.date, days);
      if (!result) cursor_.Fail("ORA-01841: (full) year must be between -4713 and +9999");
      return ScriptValue::OfDate(*result);
    }
    // With a BINARY_DOUBLE on either side Oracle computes in binary floating point.
    if (left.kind == Kind::Double || right.kind == Kind::Double)
      return DoubleArithmetic(op, NumberOf(left), NumberOf(right));
    // The operands are NUMBERs (a literal of 30,000 digits holds 40 of them), and so is the
    // result: bounded work, and Oracle's overflow above 10^126.
    const std::string a = AsNumber(NumberOf(left));
    const std::string b = AsNumber(NumberOf(right));
    std::string result;
    switch (op) {
      case '+':
        result = DecimalAdd(a, b);
        break;
      case '-':
        result = DecimalSubtract(a, b);
        break;
      case '*':
        result = DecimalMultiply(a, b);
        break;
      default: {
        auto quotient = DecimalDivide(a, b);
        if (!quotient) cursor_.Fail("ORA-01476: divisor is equal to zero");
        result = *quotient;
      }
    }
    ScriptValue value = ScriptValue::Number(AsNumber(result));
    return value;
  }

  // IEEE double arithmetic on two decimal texts, the result as the shortest text that reads
  // back as it. A result beyond the double's range (Oracle's +Inf) is refused, not stored.
  ScriptValue DoubleArithmetic(char op, const std::string& left, const std::string& right) {
    const double a = AsDouble(left), b = AsDouble(right);
    double result = 0;
    switch (op) {
      case '+':
        result = a + b;
        break;
      case '-':
        result = a - b;
        break;
      case '*':
        result = a * b;
        break;
      default:
        if (b == 0) cursor_.Fail("ORA-01476: divisor is equal to zero");
        result = a / b;
    }
    if (!std::isfinite(result)) cursor_.Fail("ORA-01426: numeric overflow");
    // Plain digits, not an exponent: a decimal text holds the double's whole range.
    char text[400];
    const auto written = std::to_chars(text, text + sizeof text, result, std::chars_format::fixed);
    ScriptValue value = ScriptValue::Number(
        MakeDecimal(std::string_view(text, static_cast<std::size_t>(written.ptr - text)))
            .value_or("0"));
    value.kind = Kind::Double;
    return value;
  }

  double AsDouble(const std::string& exact) {
    double value = 0;
    const auto read = std::from_chars(exact.data(), exact.data() + exact.size(), value);
    if (read.ec == std::errc::result_out_of_range && DecimalIntegerDigits(exact) > 0)
      cursor_.Fail("ORA-01426: numeric overflow");
    return read.ec == std::errc() ? value : 0.0;
  }

  ScriptValue Concatenate(const ScriptValue& left, const ScriptValue& right) {
    std::string text = left.IsNull() || left.kind == Kind::EmptyLob ? "" : TextOf(left);
    if (!right.IsNull() && right.kind != Kind::EmptyLob) {
      const std::string more = TextOf(right);
      if (text.size() + more.size() > kMaxValueBytes)
        cursor_.Fail("the concatenation grows beyond " + std::to_string(kMaxValueBytes >> 20) +
                     " MiB, the largest value the embedded instance builds");
      text += more;
    }
    return ScriptValue::Text(std::move(text));
  }

  void Arity(const std::string& name, const std::vector<ScriptValue>& arguments, std::size_t least,
             std::size_t most) {
    if (arguments.size() < least)
      cursor_.Fail("ORA-00938: not enough arguments for function " + name);
    if (arguments.size() > most) cursor_.Fail("ORA-00939: too many arguments for function " + name);
  }

  // A whole number argument (rounded, as Oracle rounds them); nullopt when it is beyond what a
  // long long holds, so that no caller mistakes 10^20 for 0.
  // A scale of ROUND or TRUNC: beyond a few hundred places every NUMBER is unchanged (or 0).
  int Scale(const ScriptValue& value) {
    return static_cast<int>(WholeNumberWithin(value, -kMaxScale, kMaxScale));
  }
  static constexpr long long kMaxScale = 400;

  std::optional<long long> WholeNumber(const ScriptValue& value) {
    const std::string rounded = DecimalRound(NumberOf(value), 0);
    long long result = 0;
    const auto [end, error] =
        std::from_chars(rounded.data(), rounded.data() + rounded.size(), result);
    if (error != std::errc() || end != rounded.data() + rounded.size()) return std::nullopt;
    return result;
  }

  // A whole number argument within [low, high]; one beyond is taken as the bound on its side
  // (a count of 10^20 characters is more than any text holds).
  long long WholeNumberWithin(const ScriptValue& value, long long low, long long high) {
    const std::optional<long long> whole = WholeNumber(value);
    if (!whole) return NumberOf(value).starts_with('-') ? low : high;
    return std::clamp(*whole, low, high);
  }

  // RPAD and LPAD: `text` cut or padded with repeats of `pad` to `width` characters, in time
  // linear in the result. A pad whose bytes start no character (CHR(128)) counts its first
  // byte as one, so that padding always advances.
  std::string Padded(const std::string& text, long long width, const std::string& pad, bool right) {
    const std::size_t have = text::Utf8Length(text);
    if (static_cast<unsigned long long>(width) <= have)
      return std::string(text::Utf8Prefix(text, static_cast<std::size_t>(width)));
    const unsigned long long missing = static_cast<unsigned long long>(width) - have;
    std::vector<std::size_t> starts;  // where each character of the pad begins
    for (std::size_t i = 0; i < pad.size(); ++i)
      if (i == 0 || (static_cast<unsigned char>(pad[i]) & 0xC0) != 0x80) starts.push_back(i);
    if (missing > kMaxValueBytes ||
        text.size() + missing / starts.size() * pad.size() > kMaxValueBytes)
      cursor_.Fail("the padded text would be larger than " + std::to_string(kMaxValueBytes >> 20) +
                   " MiB, the largest value the embedded instance builds");
    std::string padding;
    padding.reserve(static_cast<std::size_t>(missing / starts.size() + 1) * pad.size());
    for (unsigned long long full = missing / starts.size(); full > 0; --full) padding += pad;
    const std::size_t rest = static_cast<std::size_t>(missing % starts.size());
    if (rest > 0) padding.append(pad, 0, starts[rest]);
    return right ? text + padding : padding + text;
  }

  ScriptValue Function(const std::string& name, const std::vector<ScriptValue>& args) {
    auto anyNull = [&] {
      for (const auto& arg : args)
        if (arg.IsNull()) return true;
      return false;
    };
    if (Is(name, "TO_DATE") || Is(name, "TO_TIMESTAMP") || Is(name, "TO_TIMESTAMP_TZ")) {
      Arity(name, args, 1, 3);
      if (args[0].IsNull()) return ScriptValue::Null();
      const bool asDate = Is(name, "TO_DATE");
      if (args[0].kind == Kind::Date || args[0].kind == Kind::Timestamp) {
        ScriptValue value = args[0];
        value.kind = asDate ? Kind::Date : Kind::Timestamp;
        return value;
      }
      std::string format = args.size() > 1 ? TextOf(args[1])
                           : asDate        ? context_.dateFormat
                                           : "DD-MON-RR HH.MI.SSXFF AM";
      return Checked(ParseWithFormat(TextOf(args[0]), format, asDate, error_));
    }
    if (Is(name, "HEXTORAW") || Is(name, "TO_BLOB")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      if (args[0].kind == Kind::Bytes) return args[0];
      auto bytes = text::BytesOfHex(TextOf(args[0]));
      if (!bytes) cursor_.Fail("ORA-01465: invalid hex number");
      return ScriptValue::Bytes(*bytes);
    }
    if (Is(name, "RAWTOHEX")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      return ScriptValue::Text(args[0].kind == Kind::Bytes ? text::HexOfBytes(args[0].text)
                                                           : text::HexOfBytes(TextOf(args[0])));
    }
    if (Is(name, "UTL_RAW.CAST_TO_RAW")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      return ScriptValue::Bytes(TextOf(args[0]));
    }
    if (Is(name, "EMPTY_CLOB") || Is(name, "EMPTY_BLOB")) {
      Arity(name, args, 0, 0);
      ScriptValue value;
      value.kind = Kind::EmptyLob;
      return value;
    }
    if (Is(name, "TO_CLOB") || Is(name, "TO_NCLOB") || Is(name, "TO_CHAR") ||
        Is(name, "TO_NCHAR")) {
      Arity(name, args, 1, Is(name, "TO_CHAR") ? 2 : 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      if (args.size() == 2) return FormattedText(args[0], args[1]);
      return ScriptValue::Text(TextOf(args[0]));
    }
    if (Is(name, "TO_NUMBER") || Is(name, "TO_BINARY_DOUBLE") || Is(name, "TO_BINARY_FLOAT")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      ScriptValue value = ScriptValue::Number(NumberOf(args[0]));
      if (name != "TO_NUMBER") value.kind = Kind::Double;
      return value;
    }
    if (Is(name, "CHR") || Is(name, "NCHR")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      const long long code = WholeNumber(args[0]).value_or(-1);
      if (code < 0 || code > 0x10FFFF)
        cursor_.Fail("ORA-01722: invalid number for " + name + " (" +
                     OracleNumberText(NumberOf(args[0])).substr(0, 40) +
                     " is not a character code from 0 to 1114111)");
      std::string text;
      if (Is(name, "NCHR") || code < 0x80) {
        text::AppendUtf8(text, static_cast<std::uint32_t>(code));
      } else {
        // CHR takes the bytes of the database character set's encoding.
        for (int shift = 24; shift >= 0; shift -= 8)
          if ((code >> shift) != 0) text.push_back(static_cast<char>((code >> shift) & 0xFF));
      }
      return ScriptValue::Text(text);
    }
    if (Is(name, "UNISTR")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      return ScriptValue::Text(Unistr(TextOf(args[0])));
    }
    if (Is(name, "RPAD") || Is(name, "LPAD")) {
      Arity(name, args, 2, 3);
      if (anyNull()) return ScriptValue::Null();
      const std::string text = TextOf(args[0]);
      const long long width = WholeNumberWithin(args[1], 0, std::numeric_limits<long long>::max());
      if (width <= 0) return ScriptValue::Null();
      const std::string pad = args.size() > 2 ? TextOf(args[2]) : " ";
      // An empty pad (EMPTY_CLOB()) cannot fill anything: the result is NULL, as for a NULL one.
      if (pad.empty() && text::Utf8Length(text) < static_cast<unsigned long long>(width))
        return ScriptValue::Null();
      return ScriptValue::Text(Padded(text, width, pad, Is(name, "RPAD")));
    }
    if (Is(name, "UPPER") || Is(name, "LOWER")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      std::string text = TextOf(args[0]);
      for (char& c : text) {
        if (Is(name, "UPPER") && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (Is(name, "LOWER") && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      }
      return ScriptValue::Text(text);
    }
    if (Is(name, "NVL")) {
      Arity(name, args, 2, 2);
      return args[0].IsNull() ? args[1] : args[0];
    }
    if (Is(name, "CONCAT")) {
      Arity(name, args, 2, 2);
      return Concatenate(args[0], args[1]);
    }
    if (Is(name, "ADD_MONTHS")) {
      Arity(name, args, 2, 2);
      if (anyNull()) return ScriptValue::Null();
      if (args[0].kind != Kind::Date && args[0].kind != Kind::Timestamp)
        cursor_.Fail("ORA-00932: inconsistent datatypes: expected DATE");
      SourceDate date = args[0].date;
      const long long months =
          date.year * 12LL + (date.month - 1) + WholeNumberWithin(args[1], -1'000'000, 1'000'000);
      if (months < 12 || months >= 10000 * 12LL)
        cursor_.Fail("ORA-01841: (full) year must be between -4713 and +9999, and not be 0");
      date.year = static_cast<std::int16_t>(months / 12);
      date.month = static_cast<std::int8_t>(months % 12 + 1);
      const int last = DaysInMonth(date.year, date.month);
      if (date.day > last) date.day = static_cast<std::int8_t>(last);
      return ScriptValue::OfDate(date);
    }
    if (Is(name, "ROUND")) {
      Arity(name, args, 1, 2);
      if (anyNull()) return ScriptValue::Null();
      const int scale = args.size() > 1 ? Scale(args[1]) : 0;
      return ScriptValue::Number(DecimalRound(NumberOf(args[0]), scale));
    }
    if (Is(name, "XMLTYPE") || Is(name, "SYS.XMLTYPE") || Is(name, "XMLTYPE.CREATEXML") ||
        Is(name, "SYS.XMLTYPE.CREATEXML") || Is(name, "HTTPURITYPE") ||
        Is(name, "SYS.HTTPURITYPE") || Is(name, "URITYPE") || Is(name, "HTTPURITYPE.CREATEURI") ||
        Is(name, "SYS.HTTPURITYPE.CREATEURI") || Is(name, "URIFACTORY.GETURI") ||
        Is(name, "SYS.URIFACTORY.GETURI") || Is(name, "DBURITYPE") || Is(name, "XDBURITYPE")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      return ScriptValue::Text(TextOf(args[0]));
    }
    if (Is(name, "BFILENAME")) {
      Arity(name, args, 2, 2);
      return ScriptValue::Text("bfilename('" + TextOf(args[0]) + "', '" + TextOf(args[1]) + "')");
    }
    if (Is(name, "LENGTH")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      return ScriptValue::Number(std::to_string(text::Utf8Length(TextOf(args[0]))));
    }
    if (Is(name, "SUBSTR")) {
      Arity(name, args, 2, 3);
      if (anyNull()) return ScriptValue::Null();
      const std::string whole = TextOf(args[0]);
      const long long length = static_cast<long long>(text::Utf8Length(whole));
      long long start = WholeNumberWithin(args[1], -length - 1, length + 1);
      if (start < 0) start = length + start + 1;
      if (start == 0) start = 1;
      if (start > length || start < 1) return ScriptValue::Null();
      const long long count =
          args.size() > 2 ? WholeNumberWithin(args[2], -1, length) : length - start + 1;
      if (count < 1) return ScriptValue::Null();
      const std::string_view tail = std::string_view(whole).substr(
          text::Utf8Prefix(whole, static_cast<std::size_t>(start - 1)).size());
      return ScriptValue::Text(
          std::string(text::Utf8Prefix(tail, static_cast<std::size_t>(count))));
    }
    if (Is(name, "INSTR")) {
      Arity(name, args, 2, 2);
      if (anyNull()) return ScriptValue::Null();
      const std::string haystack = TextOf(args[0]);
      const std::size_t at = haystack.find(TextOf(args[1]));
      if (at == std::string::npos) return ScriptValue::Number("0");
      return ScriptValue::Number(std::to_string(text::Utf8Length(haystack.substr(0, at)) + 1));
    }
    if (Is(name, "TRIM") || Is(name, "LTRIM") || Is(name, "RTRIM")) {
      Arity(name, args, 1, 2);
      if (anyNull()) return ScriptValue::Null();
      std::string value = TextOf(args[0]);
      const std::string set = args.size() > 1 ? TextOf(args[1]) : " ";
      if (name != "RTRIM") value.erase(0, std::min(value.find_first_not_of(set), value.size()));
      if (name != "LTRIM") {
        const std::size_t last = value.find_last_not_of(set);
        value.erase(last == std::string::npos ? 0 : last + 1);
      }
      return ScriptValue::Text(value);
    }
    if (Is(name, "REPLACE")) {
      Arity(name, args, 2, 3);
      if (args[0].IsNull()) return ScriptValue::Null();
      std::string value = TextOf(args[0]);
      const std::string from = args[1].IsNull() ? "" : TextOf(args[1]);
      const std::string to = args.size() > 2 && !args[2].IsNull() ? TextOf(args[2]) : "";
      if (from.empty()) return ScriptValue::Text(value);
      std::string out;
      for (std::size_t at = 0;;) {
        const std::size_t found = value.find(from, at);
        out += value.substr(at, found - at);
        if (found == std::string::npos) break;
        out += to;
        if (out.size() > kMaxValueBytes) cursor_.Fail("REPLACE grows beyond the largest value");
        at = found + from.size();
      }
      return ScriptValue::Text(out);
    }
    if (Is(name, "INITCAP")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      std::string value = TextOf(args[0]);
      bool start = true;
      for (char& c : value) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (letter)
          c = start ? text::UpperAscii(c) : static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        start = !(letter || (c >= '0' && c <= '9'));
      }
      return ScriptValue::Text(value);
    }
    if (Is(name, "ABS")) {
      Arity(name, args, 1, 1);
      if (args[0].IsNull()) return ScriptValue::Null();
      std::string exact = NumberOf(args[0]);
      if (exact.starts_with('-')) exact.erase(0, 1);
      return ScriptValue::Number(exact);
    }
    if (Is(name, "MOD")) {
      Arity(name, args, 2, 2);
      if (anyNull()) return ScriptValue::Null();
      const std::string a = NumberOf(args[0]), b = NumberOf(args[1]);
      if (b == "0") return ScriptValue::Number(a);
      long long x = 0, y = 0;
      if (WholeNumberText(a, x) && WholeNumberText(b, y))  // the common case, natively
        return ScriptValue::Number(std::to_string(x % y));
      const std::string quotient = DecimalTruncate(*DecimalDivide(a, b), 0);
      return ScriptValue::Number(DecimalSubtract(a, DecimalMultiply(b, quotient)));
    }
    if (Is(name, "TRUNC") || Is(name, "FLOOR") || Is(name, "CEIL")) {
      Arity(name, args, 1, Is(name, "TRUNC") ? 2 : 1);
      if (anyNull()) return ScriptValue::Null();
      if (Is(name, "TRUNC") && (args[0].kind == Kind::Date || args[0].kind == Kind::Timestamp)) {
        SourceDate date = args[0].date;
        date.hour = date.minute = date.second = 0;
        return ScriptValue::OfDate(date);
      }
      const std::string exact = NumberOf(args[0]);
      const int scale = args.size() > 1 ? Scale(args[1]) : 0;
      std::string cut = DecimalTruncate(exact, scale);
      if (Is(name, "FLOOR") && exact.starts_with('-') && cut != exact)
        cut = DecimalSubtract(cut, "1");
      if (Is(name, "CEIL") && !exact.starts_with('-') && cut != exact) cut = DecimalAdd(cut, "1");
      return ScriptValue::Number(cut);
    }
    if (Is(name, "COALESCE")) {
      Arity(name, args, 1, 255);
      for (const auto& arg : args)
        if (!arg.IsNull()) return arg;
      return ScriptValue::Null();
    }
    if (Is(name, "NVL2")) {
      Arity(name, args, 3, 3);
      return args[0].IsNull() ? args[2] : args[1];
    }
    if (Is(name, "NULLIF")) {
      Arity(name, args, 2, 2);
      return CompareValues(args[0], args[1], context_) == 0 ? ScriptValue::Null() : args[0];
    }
    if (Is(name, "DECODE")) {
      Arity(name, args, 3, 255);
      for (std::size_t i = 1; i + 1 < args.size(); i += 2) {
        const bool bothNull = args[0].IsNull() && args[i].IsNull();
        if (bothNull || CompareValues(args[0], args[i], context_) == 0) return args[i + 1];
      }
      return args.size() % 2 == 0 ? args.back() : ScriptValue::Null();
    }
    if (Is(name, "GREATEST") || Is(name, "LEAST")) {
      Arity(name, args, 1, 255);
      if (anyNull()) return ScriptValue::Null();
      ScriptValue best = args[0];
      for (const auto& arg : args) {
        const int order = *CompareValues(arg, best, context_);
        if (Is(name, "GREATEST") ? order > 0 : order < 0) best = arg;
      }
      return best;
    }
    const std::string typeName = name.substr(name.rfind('.') + 1);
    if (context_.objectTypes.count(typeName) != 0) return Constructed(name, args);
    cursor_.Fail("ORA-00904: \"" + name +
                 "\": invalid identifier (the embedded instance knows no function of that name)");
  }

  // An object or collection value, kept as the text Oracle shows for it.
  ScriptValue Constructed(const std::string& name, const std::vector<ScriptValue>& args) {
    std::string text = name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (i > 0) text += ", ";
      const ScriptValue& arg = args[i];
      if (arg.IsNull()) {
        text += "NULL";
      } else if (arg.constructed || arg.kind == Kind::Number || arg.kind == Kind::Double) {
        text += ValueAsText(arg, context_);
      } else {
        std::string quoted = "'";
        for (char c : ValueAsText(arg, context_)) quoted += c == '\'' ? "''" : std::string(1, c);
        text += quoted + "'";
      }
    }
    ScriptValue value = ScriptValue::Text(text + ")");
    value.constructed = true;
    return value;
  }

  std::string Unistr(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\\') {
        out.push_back(text[i]);
        continue;
      }
      if (i + 1 < text.size() && text[i + 1] == '\\') {
        out.push_back('\\');
        ++i;
        continue;
      }
      unsigned long unit = 0;
      if (i + 4 >= text.size() + 0 ||
          std::from_chars(text.data() + i + 1, text.data() + i + 5, unit, 16).ptr !=
              text.data() + i + 5)
        cursor_.Fail(
            "ORA-30186: '\\' must be followed by four hexadecimal characters or "
            "another '\\'");
      i += 4;
      if (unit >= 0xD800 && unit < 0xDC00 && i + 6 < text.size() + 1 && text[i + 1] == '\\') {
        unsigned long low = 0;
        if (std::from_chars(text.data() + i + 2, text.data() + i + 6, low, 16).ptr ==
                text.data() + i + 6 &&
            low >= 0xDC00 && low < 0xE000) {
          unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
          i += 5;
        }
      }
      text::AppendUtf8(out, static_cast<std::uint32_t>(unit));
    }
    return out;
  }

  // Parentheses, signs and NOTs nest through Unary and NotCondition; a hostile text nesting them
  // without end must meet an error, not the end of the stack.
  static constexpr int kMaxNesting = 500;
  struct Nesting {
    Evaluator& evaluator;
    explicit Nesting(Evaluator& e) : evaluator(e) {
      if (++evaluator.nesting_ > kMaxNesting)
        evaluator.cursor_.Fail("the expression nests deeper than " + std::to_string(kMaxNesting) +
                               " levels, the embedded instance's limit");
    }
    ~Nesting() { --evaluator.nesting_; }
  };

  TokenCursor& cursor_;
  const ExpressionContext& context_;
  std::string error_;
  int nesting_ = 0;
};

}  // namespace

std::string ValueAsText(const ScriptValue& value, const ExpressionContext& context) {
  switch (value.kind) {
    case Kind::Null:
    case Kind::EmptyLob:
      return {};
    case Kind::Number:
    case Kind::Double:
      return OracleNumberText(value.text);
    case Kind::Text:
      return value.text;
    case Kind::Bytes:
      return text::HexOfBytes(value.text);
    case Kind::Date:
      return FormatDate(value.date, context.dateFormat);
    case Kind::Timestamp: {
      std::string text = FormatDate(value.date, "DD-MON-RR HH.MI.SS");
      std::string fraction = value.fraction;
      fraction.resize(6, '0');
      text += "." + fraction + (value.date.hour < 12 ? " AM" : " PM");
      if (!value.zone.empty()) text += " " + value.zone;
      return text;
    }
  }
  return {};
}

ScriptValue EvaluateExpression(TokenCursor& cursor, const ExpressionContext& context) {
  return Evaluator(cursor, context).Expression();
}

Truth EvaluateCondition(TokenCursor& cursor, const ExpressionContext& context) {
  return Evaluator(cursor, context).Condition();
}

void SkipExpression(TokenCursor& cursor, std::initializer_list<std::string_view> stopWords) {
  int depth = 0;
  while (!cursor.AtEnd()) {
    const Token& token = cursor.Peek();
    if (depth == 0) {
      if (token.IsSymbol(",") || token.IsSymbol(")")) return;
      for (std::string_view word : stopWords)
        if (token.IsWord(word)) return;
    }
    if (token.IsSymbol("(") || token.IsWord("CASE")) ++depth;
    if ((token.IsSymbol(")") || token.IsWord("END")) && depth > 0) --depth;
    cursor.Next();
  }
}

namespace {

int Sign(const std::string& difference) {
  if (difference == "0") return 0;
  return difference.starts_with('-') ? -1 : 1;
}

bool IsDateKind(ScriptValue::Kind kind) {
  return kind == ScriptValue::Kind::Date || kind == ScriptValue::Kind::Timestamp;
}

std::string ExactOrFail(const ScriptValue& value) {
  if (value.kind == ScriptValue::Kind::Number || value.kind == ScriptValue::Kind::Double)
    return value.text;
  if (auto exact = MakeDecimal(text::TrimWhiteSpace(value.text))) return *exact;
  throw std::runtime_error(kInvalidNumber);
}

}  // namespace

std::optional<int> CompareValues(const ScriptValue& a, const ScriptValue& b,
                                 const ExpressionContext& context) {
  if (a.IsNull() || b.IsNull()) return std::nullopt;
  const bool aNumber = a.kind == ScriptValue::Kind::Number || a.kind == ScriptValue::Kind::Double;
  const bool bNumber = b.kind == ScriptValue::Kind::Number || b.kind == ScriptValue::Kind::Double;
  if (aNumber || bNumber) {
    if ((aNumber || a.kind == ScriptValue::Kind::Text) &&
        (bNumber || b.kind == ScriptValue::Kind::Text))
      return Sign(DecimalSubtract(ExactOrFail(a), ExactOrFail(b)));
    throw std::runtime_error("ORA-00932: inconsistent datatypes: expected NUMBER");
  }
  if (IsDateKind(a.kind) || IsDateKind(b.kind)) {
    const auto asDate = [&](const ScriptValue& value) {
      if (IsDateKind(value.kind)) return value;
      if (value.kind != ScriptValue::Kind::Text)
        throw std::runtime_error("ORA-00932: inconsistent datatypes: expected DATE");
      std::string error;
      auto parsed = ParseWithFormat(value.text, context.dateFormat, true, error);
      if (!parsed) throw std::runtime_error(error);
      return *parsed;
    };
    const ScriptValue x = asDate(a), y = asDate(b);
    const std::string days = DaysBetween(x.date, y.date);
    if (const int sign = Sign(days); sign != 0) return sign;
    std::string fx = x.fraction, fy = y.fraction;
    fx.resize(9, '0');
    fy.resize(9, '0');
    return fx.compare(fy) < 0 ? -1 : (fx == fy ? 0 : 1);
  }
  const int order = a.text.compare(b.text);
  return order < 0 ? -1 : (order == 0 ? 0 : 1);
}

}  // namespace skerrow::oracle
