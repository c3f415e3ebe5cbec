// The exact_values fixture converted as an operator converts it: every value MySQL holds reads
// back as the value Oracle holds, every table is created, and whatever MySQL does not keep as
// the source declared it is in the report.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "oracle/embedded_instance.h"
#include "text/hex.h"
#include "workflow_session.h"

namespace skerrow {
namespace {

using test::ResultRow;
using test::TargetColumn;
using test::WorkflowSession;

double ParseDouble(const std::string& text) {
  double value = std::numeric_limits<double>::quiet_NaN();
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// One conversion of the whole fixture, shared by the tests of this suite.
class ExactValuesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    session_ = std::make_unique<WorkflowSession>("EXACTVALUES",
                                                 std::vector<std::string>{"exact_values.sql"});
    if (!session_->Ready() || !session_->Next("exact", "exact_pw")) return;
    session_->Check();
    database_ = session_->ScratchDatabase("exact_values");
    session_->Convert(database_);
  }
  static void TearDownTestSuite() { session_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(session_->Ready()) << session_->NotReadyReason();
    ASSERT_FALSE(session_->State().Report.tables.empty()) << "the fixture was not converted";
  }

  static std::string Table(const std::string& table) {
    return QuoteMySqlIdentifier(database_) + "." + QuoteMySqlIdentifier(table);
  }
  static std::optional<std::string> Scalar(const std::string& sql) {
    return session_->Probe().Scalar(sql);
  }
  static const TableReport& Report(const std::string& table) {
    for (const auto& entry : session_->State().Report.tables)
      if (entry.sourceName == table) return entry;
    static const TableReport none;
    ADD_FAILURE() << "no report of " << table;
    return none;
  }

  static inline std::unique_ptr<WorkflowSession> session_;
  static inline std::string database_;
};

TEST_F(ExactValuesTest, EveryTableIsCreatedWithItsKeyAndEveryRowArrives) {
  struct Expected {
    std::string table;
    std::int64_t rows;
    std::vector<std::string> key;
  };
  const std::vector<Expected> tables = {
      {"ACCOUNTS", 5, {"ACCOUNT_ID"}},
      {"ATTACHMENTS", 6, {"ATTACHMENT_ID"}},
      {"CODES", 1, {}},
      {"COUNTRIES", 2, {"COUNTRY_ID"}},  // CHAR(2), under MyISAM's key limit
      {"CRAFTED", 1, {"CRAFTED_ID"}},
      {"DOCUMENTS", 3, {"DOCUMENT_ID"}},
      {"LONG_TEXTS", 1, {"TEXT_ID"}},
      {"SETTINGS", 1, {"SETTING_ID"}},
      {"TRANSLATIONS", 2, {"LANG_CODE", "MESSAGE_KEY"}},  // two VARCHAR2(100 CHAR)
      {"WIDE_NOTES", 2, {"NOTE_ID"}},
  };
  ASSERT_EQ(session_->State().Report.tables.size(), tables.size());
  for (const auto& expected : tables) {
    SCOPED_TRACE(expected.table);
    const TableReport& report = Report(expected.table);
    EXPECT_EQ(report.createdName, expected.table) << report.createError;
    EXPECT_EQ(report.createError, "");
    EXPECT_EQ(report.rowsRead, expected.rows);
    EXPECT_EQ(report.rowsWritten, expected.rows);
    EXPECT_EQ(report.rowsRefused, 0)
        << (report.refusalMessages.empty() ? std::string() : report.refusalMessages.front());
    EXPECT_EQ(session_->PrimaryKey(database_, expected.table), expected.key);
  }
}

enum class Compare {
  Decimal,  // the same number, whatever zeros MySQL pads a DECIMAL with
  Double,   // the same bits
  Float,    // the same single-precision bits
  Null,
};

struct ValueCase {
  const char* what;
  std::string accountId;
  std::string column;
  std::string oracleText;  // as Oracle writes the value
  Compare compare;
};

// Each value as Oracle writes it, against the text MySQL gives for it.
TEST_F(ExactValuesTest, NumbersReadBackAsOracleHoldsThem) {
  using enum Compare;
  const std::string oneE100 = "1" + std::string(100, '0');
  const std::string oneEMinus100 = "0." + std::string(99, '0') + "1";
  const std::vector<ValueCase> cases = {
      {"NUMBER(19) key beyond 2^53", "9007199254740993", "ACCOUNT_ID", "9007199254740993", Decimal},
      {"NUMBER(19) key at the largest BIGINT", "9223372036854775807", "ACCOUNT_ID",
       "9223372036854775807", Decimal},
      {"NUMBER(18,4)", "9007199254740993", "BALANCE", "12345678901234.5678", Decimal},
      {"negative NUMBER(18,4)", "9223372036854775807", "BALANCE", "-99999999999999.9999", Decimal},
      {"tiny NUMBER(18,4)", "1", "BALANCE", ".0001", Decimal},
      {"negative fraction", "2", "BALANCE", "-.5", Decimal},
      {"NUMBER(38) of 38 digits", "9007199254740993", "EXTERNAL_REF",
       "12345678901234567890123456789012345678", Decimal},
      {"negative NUMBER(38)", "9223372036854775807", "EXTERNAL_REF",
       "-99999999999999999999999999999999999999", Decimal},
      {"NUMBER(38,30) of 30 places", "9007199254740993", "RATE", ".000000000000000000000000000001",
       Decimal},
      {"negative NUMBER(38,30)", "9223372036854775807", "RATE",
       "-12.345678901234567890123456789012", Decimal},
      {"INTEGER beyond INT", "9007199254740993", "QUANTITY", "2147483648", Decimal},
      {"negative INTEGER", "9223372036854775807", "QUANTITY", "-42", Decimal},
      {"INTEGER of 38 digits", "2", "QUANTITY", "99999999999999999999999999999999999999", Decimal},
      {"NUMBER(5,-2)", "9007199254740993", "HUNDREDS", "12300", Decimal},
      {"plain NUMBER", "9007199254740993", "RATIO", ".1", Decimal},
      {"plain NUMBER 1e100", "1", "RATIO", oneE100, Decimal},
      {"plain NUMBER tiny", "2", "RATIO", "-.000001", Decimal},
      {"FLOAT", "9223372036854775807", "APPROX", "-2.5", Decimal},
      {"FLOAT 1e-100", "1", "APPROX", oneEMinus100, Decimal},
      {"FLOAT of 15 digits", "2", "APPROX", "123456789012345", Decimal},
      {"BINARY_DOUBLE pi", "9007199254740993", "MEASURED", "3.141592653589793E+000", Double},
      {"BINARY_DOUBLE 1e100", "9223372036854775807", "MEASURED", "1.0E+100", Double},
      {"BINARY_DOUBLE tiny", "1", "MEASURED", "-1.5E-200", Double},
      {"BINARY_DOUBLE zero", "2", "MEASURED", "0", Double},
      {"BINARY_FLOAT", "9007199254740993", "SENSOR", "1.5E+000", Float},
      {"largest BINARY_FLOAT", "9223372036854775807", "SENSOR", "3.40282347E+038", Float},
      {"smallest normal BINARY_FLOAT", "1", "SENSOR", "-1.17549435E-038", Float},
      {"BINARY_FLOAT 0.1", "2", "SENSOR", "1.00000001E-001", Float},
      {"NULL", "3", "MEASURED", "", Null},
      {"NULL decimal", "3", "BALANCE", "", Null},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string column = QuoteMySqlIdentifier(c.column);
    const std::string read = c.compare == Float ? "CAST(" + column + " AS DOUBLE)" : column;
    const std::optional<std::string> mysql = Scalar(
        "SELECT " + read + " FROM " + Table("ACCOUNTS") + " WHERE ACCOUNT_ID = " + c.accountId);
    switch (c.compare) {
      case Decimal:
        ASSERT_TRUE(mysql);
        EXPECT_EQ(MakeDecimal(*mysql), MakeDecimal(c.oracleText)) << *mysql;
        break;
      case Double:
        ASSERT_TRUE(mysql);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(ParseDouble(*mysql)),
                  std::bit_cast<std::uint64_t>(ParseDouble(c.oracleText)))
            << *mysql;
        break;
      case Float: {
        ASSERT_TRUE(mysql);
        float single = 0;
        std::from_chars(c.oracleText.data(), c.oracleText.data() + c.oracleText.size(), single);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(ParseDouble(*mysql)),
                  std::bit_cast<std::uint64_t>(static_cast<double>(single)))
            << *mysql;
        break;
      }
      case Null:
        EXPECT_FALSE(mysql) << *mysql;
        break;
    }
  }
}

// A plain NUMBER of 19 significant digits does not fit DOUBLE: it is stored all the same, and
// the table is reported as converted with an error.
TEST_F(ExactValuesTest, AValueDoubleCannotHoldIsReportedAsRounded) {
  const TableReport& accounts = Report("ACCOUNTS");
  EXPECT_FALSE(accounts.Succeeded());
  ASSERT_EQ(accounts.roundedValues.count, 1);
  ASSERT_EQ(accounts.roundedValues.examples.size(), 1u);
  const RoundedValue& rounded = accounts.roundedValues.examples[0];
  EXPECT_EQ(rounded.column, "RATIO");
  EXPECT_EQ(rounded.row, 2);
  EXPECT_EQ(rounded.sourceValue, "1234567890123456789");
  const std::optional<std::string> stored =
      Scalar("SELECT RATIO FROM " + Table("ACCOUNTS") + " WHERE ACCOUNT_ID = 9223372036854775807");
  ASSERT_TRUE(stored);
  EXPECT_EQ(ParseDouble(*stored), ParseDouble(rounded.storedValue));
  EXPECT_EQ(rounded.storedValue, "1234567890123456768");

  const std::string message = session_->Window().Messages().back().text;
  EXPECT_EQ(message.rfind("Skerrow Database Conversion completed with errors.\n", 0), 0u)
      << message;
  EXPECT_NE(message.find("ACCOUNTS: 1 value(s) rounded by MySQL's DOUBLE (first: RATIO row 2: "
                         "1234567890123456789 stored as 1234567890123456768)"),
            std::string::npos)
      << message;
  // The other tables converted; their notes are warnings, listed after the failures.
  const std::string failures = message.substr(0, message.find("\nNotes:\n"));
  EXPECT_EQ(failures.find("SETTINGS"), std::string::npos) << message;
  EXPECT_TRUE(Report("SETTINGS").Succeeded());
  EXPECT_NE(message.find("\nSETTINGS: the default SYSDATE of CREATED was left out"),
            std::string::npos)
      << message;
}

// Defaults as the fixture declares them: a row given only its key takes the literal defaults
// exactly; every default that is not a literal is left out and named in the report.
TEST_F(ExactValuesTest, LiteralDefaultsArriveUnchangedAndTheOthersAreReported) {
  auto& probe = session_->Probe();
  ASSERT_TRUE(probe.Execute("INSERT INTO " + Table("SETTINGS") + " (SETTING_ID) VALUES (99)"))
      << probe.Error();
  const auto settings = probe.Query(
      "SELECT LABEL, DASHES, WIN_PATH, QUOTED, SPACED, COMMENTED, BRACKETED, MULTILINE, DAY_ONE, "
      "OWNER_ID, NOTHING, CREATED, CREATED_TS, CREATED_BY, OS_USER, NEXT_ID, GUID, TOTAL FROM " +
      Table("SETTINGS") + " WHERE SETTING_ID = 99");
  ASSERT_TRUE(settings) << probe.Error();
  ASSERT_EQ(settings->size(), 1u);
  const ResultRow expected = {"a(b)",
                              "--x",
                              "C:\\temp\\",
                              "it's",
                              "  two  words  ",
                              "5",
                              "-3",
                              "on a new line",
                              "2000-01-01 00:00:00",
                              "0",
                              std::nullopt,
                              std::nullopt,
                              std::nullopt,
                              std::nullopt,
                              std::nullopt,
                              std::nullopt,
                              std::nullopt,
                              std::nullopt};
  EXPECT_EQ(settings->front(), expected);

  std::vector<std::pair<std::string, std::string>> dropped;
  for (const auto& note : Report("SETTINGS").schemaNotes) {
    EXPECT_EQ(note.kind, SchemaNote::Kind::DefaultDropped) << note.column;
    dropped.emplace_back(note.column, note.sourceText);
  }
  EXPECT_EQ(dropped, (std::vector<std::pair<std::string, std::string>>{
                         {"CREATED", "SYSDATE"},
                         {"CREATED_TS", "SYSTIMESTAMP"},
                         {"CREATED_BY", "user"},
                         {"OS_USER", "sys_context('USERENV', 'OS_USER')"},
                         {"NEXT_ID", "settings_seq.NEXTVAL"},
                         {"GUID", "SYS_GUID()"},
                         {"TOTAL", "1 + 1"}}));
  // HR-style audit columns: the table is created, without those defaults.
  std::vector<std::string> countryNotes;
  for (const auto& note : Report("COUNTRIES").schemaNotes)
    countryNotes.push_back(note.column + " " + note.sourceText);
  EXPECT_EQ(countryNotes, (std::vector<std::string>{"CREATED_AT SYSTIMESTAMP", "CREATED_BY USER",
                                                    "ROW_GUID SYS_GUID()"}));

  // A NOT NULL CLOB defaulting to an empty LOB keeps an empty default.
  ASSERT_TRUE(probe.Execute("INSERT INTO " + Table("DOCUMENTS") +
                            " (DOCUMENT_ID, TITLE) VALUES (99, 'new')"))
      << probe.Error();
  EXPECT_EQ(Scalar("SELECT BODY FROM " + Table("DOCUMENTS") + " WHERE DOCUMENT_ID = 99"), "");
}

// The crafted pair: one default ends in a backslash, the next would close the literal and
// declare a column. The table has exactly its declared columns, each with its literal default.
TEST_F(ExactValuesTest, CraftedDefaultsCannotChangeTheStatement) {
  EXPECT_EQ(session_->Columns(database_, "CRAFTED"),
            (std::vector<TargetColumn>{
                {"CRAFTED_ID", "double", false, std::nullopt, "PRI"},
                {"P", "varchar(10)", true, "'p\\\\'", ""},
                {"Q", "varchar(40)", true, "', `INJECTED` INT DEFAULT 7 --'", ""}}));
  const auto row =
      session_->Probe().Query("SELECT P, Q FROM " + Table("CRAFTED") + " WHERE CRAFTED_ID = 1");
  ASSERT_TRUE(row && row->size() == 1u);
  EXPECT_EQ(row->front(), (ResultRow{"p\\", ", `INJECTED` INT DEFAULT 7 --"}));
}

// Bytes that look like text stay bytes; an empty BLOB is empty, not NULL; a BLOB of JSON still
// reads as text with CONVERT; RAW stays hex text.
TEST_F(ExactValuesTest, BinaryValuesArriveAsTheirExactBytes) {
  const auto rows = session_->Probe().Query(
      "SELECT ATTACHMENT_ID, HEX(CONTENT), CONTENT IS NULL, HEX(LEGACY), CHECKSUM FROM " +
      Table("ATTACHMENTS") + " ORDER BY ATTACHMENT_ID");
  ASSERT_TRUE(rows) << session_->Probe().Error();
  const std::vector<ResultRow> expected = {
      {"1", "00", "0", "00", "00"},
      {"2", "3030", "0", "3030", "3030"},
      {"3", "FF00", "0", "FF00", "FF00"},
      {"4", "7B226E616D65223A2022636166C3A9227D", "0", std::nullopt, std::nullopt},
      {"5", "", "0", std::nullopt, std::nullopt},
      {"6", std::nullopt, "1", std::nullopt, std::nullopt},
  };
  EXPECT_EQ(*rows, expected);
  EXPECT_EQ(Scalar("SELECT CONVERT(CONTENT USING utf8mb4) FROM " + Table("ATTACHMENTS") +
                   " WHERE ATTACHMENT_ID = 4"),
            "{\"name\": \"caf\xC3\xA9\"}");
  EXPECT_EQ(session_->Columns(database_, "ATTACHMENTS")[1].type, "longblob");

  const auto documents =
      session_->Probe().Query("SELECT DOCUMENT_ID, BODY, SUMMARY FROM " + Table("DOCUMENTS") +
                              " WHERE DOCUMENT_ID < 99 ORDER BY DOCUMENT_ID");
  ASSERT_TRUE(documents);
  EXPECT_EQ(*documents,
            (std::vector<ResultRow>{
                {"1", "", std::nullopt}, {"2", "the text", ""}, {"3", "", std::nullopt}}));
}

// Rows beyond MySQL's 65,535 bytes and a VARCHAR2 beyond MySQL's VARCHAR: the longest VARCHARs
// become TEXT until the server takes the table, each named in the report; a CHAR longer than
// MySQL's CHAR becomes a VARCHAR that holds its whole value.
TEST_F(ExactValuesTest, LongAndWideTextColumnsHoldEveryCharacter) {
  const auto wide = session_->Columns(database_, "WIDE_NOTES");
  ASSERT_EQ(wide.size(), 7u);
  std::vector<std::string> types;
  for (const auto& column : wide) types.push_back(column.type);
  EXPECT_EQ(types, (std::vector<std::string>{"double", "text", "text", "varchar(4000)",
                                             "varchar(4000)", "varchar(4000)", "varchar(4000)"}));
  std::vector<std::string> widened;
  for (const auto& note : Report("WIDE_NOTES").schemaNotes) {
    EXPECT_EQ(note.kind, SchemaNote::Kind::ColumnWidened);
    EXPECT_NE(note.reason.find("1118"), std::string::npos) << note.reason;
    widened.push_back(note.column + " " + note.targetType);
  }
  EXPECT_EQ(widened, (std::vector<std::string>{"NOTE_1 TEXT", "NOTE_2 TEXT"}));
  EXPECT_EQ(Scalar("SELECT CONCAT(CHAR_LENGTH(NOTE_1), ' ', CHAR_LENGTH(NOTE_6), ' ', "
                   "RIGHT(NOTE_6, 1)) FROM " +
                   Table("WIDE_NOTES") + " WHERE NOTE_ID = 1"),
            "4000 4000 E");

  EXPECT_EQ(session_->Columns(database_, "LONG_TEXTS")[1].type, "mediumtext");
  ASSERT_EQ(Report("LONG_TEXTS").schemaNotes.size(), 1u);
  EXPECT_NE(Report("LONG_TEXTS").schemaNotes[0].reason.find("1074"), std::string::npos);
  EXPECT_EQ(
      Scalar("SELECT CONCAT(CHAR_LENGTH(BODY), ' ', RIGHT(BODY, 3)) FROM " + Table("LONG_TEXTS")),
      "20003 END");

  EXPECT_EQ(session_->Columns(database_, "CODES")[0].type, "varchar(500)");
  EXPECT_EQ(Scalar("SELECT CONCAT(CHAR_LENGTH(CODE), ' ', CHAR_LENGTH(RTRIM(CODE)), ' ', "
                   "RIGHT(RTRIM(CODE), 2)) FROM " +
                   Table("CODES")),
            "500 400 cC");
  EXPECT_EQ(session_->Columns(database_, "COUNTRIES")[0].type, "char(2)");
  EXPECT_EQ(session_->Columns(database_, "TRANSLATIONS")[0].type, "varchar(100)");
}

// A 1 MiB BLOB of random bytes arrives byte for byte; infinities and NaN, which MySQL cannot
// store, refuse their rows and say why, while the finite values arrive with every bit.
TEST(ExactValuesExtremes, LargeBlobsAndValuesMySqlCannotStore) {
  WorkflowSession session("EXTREMES", {});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ASSERT_TRUE(session.Oracle().LoadText(
      "CREATE USER extreme IDENTIFIED BY extreme_pw;\n"
      "CONNECT extreme/extreme_pw\n"
      "CREATE TABLE blobs (blob_id NUMBER(10) PRIMARY KEY, data BLOB);\n"
      "CREATE TABLE readings (reading_id NUMBER(10) PRIMARY KEY, value BINARY_DOUBLE,\n"
      "  single BINARY_FLOAT);\n"
      "COMMIT;\n"))
      << session.Oracle().Error();
  std::string random(1 << 20, '\0');
  std::mt19937 generator(14);
  for (char& byte : random) byte = static_cast<char>(generator() & 0xFF);
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  {
    auto instance = oracle::EmbeddedInstance::Open(session.Oracle().InstanceDirectory());
    instance->InsertRow("EXTREME", "BLOBS", {"BLOB_ID", "DATA"},
                        {Variant::FromDecimal("1"), Variant::FromBytes(random)});
    const std::vector<std::pair<double, double>> readings = {
        {0.1, 0.5}, {inf, 1}, {-inf, 1}, {nan, 1}, {1, -inf}, {-0.0, 1.4e-45}};
    for (std::size_t i = 0; i < readings.size(); ++i)
      instance->InsertRow(
          "EXTREME", "READINGS", {"READING_ID", "VALUE", "SINGLE"},
          {Variant::FromDecimal(std::to_string(i + 1)), Variant::FromDouble(readings[i].first),
           Variant::FromDouble(readings[i].second)});
    instance->Commit();
  }
  ASSERT_TRUE(session.Next("extreme", "extreme_pw"));
  session.Check();
  const std::string database = session.ScratchDatabase("extremes");
  session.Convert(database);

  EXPECT_EQ(session.Probe().Scalar("SELECT HEX(DATA) FROM " + QuoteMySqlIdentifier(database) +
                                   ".BLOBS WHERE BLOB_ID = 1"),
            text::HexOfBytes(random));

  const RunReport& report = session.State().Report;
  ASSERT_EQ(report.tables.size(), 2u);
  EXPECT_TRUE(report.tables[0].Succeeded());
  const TableReport& readings = report.tables[1];
  EXPECT_EQ(readings.rowsRead, 6);
  EXPECT_EQ(readings.rowsWritten, 2);
  EXPECT_EQ(readings.rowsRefused, 4);
  ASSERT_EQ(readings.refusalMessages.size(), 4u);
  EXPECT_EQ(readings.refusalMessages[0],
            "Row 2: column VALUE cannot be written: its value is Inf, which MySQL cannot store");
  EXPECT_NE(readings.refusalMessages[1].find("Row 3: column VALUE"), std::string::npos);
  EXPECT_NE(readings.refusalMessages[1].find("-Inf"), std::string::npos);
  EXPECT_NE(readings.refusalMessages[2].find("NaN"), std::string::npos);
  EXPECT_NE(readings.refusalMessages[3].find("Row 5: column SINGLE"), std::string::npos);
  EXPECT_FALSE(report.Succeeded());

  const auto rows =
      session.Probe().Query("SELECT READING_ID, VALUE, CAST(SINGLE AS DOUBLE) FROM " +
                            QuoteMySqlIdentifier(database) + ".READINGS ORDER BY READING_ID");
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->size(), 2u);
  EXPECT_EQ((*rows)[0][0], "1");
  EXPECT_EQ(ParseDouble((*rows)[0][1].value_or("")), 0.1);
  EXPECT_EQ(ParseDouble((*rows)[0][2].value_or("")), 0.5);
  EXPECT_EQ((*rows)[1][0], "6");
  EXPECT_EQ((*rows)[1][2], "1.401298464324817e-45");  // the smallest float, stored exactly
}

}  // namespace
}  // namespace skerrow
