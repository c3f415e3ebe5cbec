// LONG and LONG RAW values of any length through the OCI provider: fetched in pieces, they
// arrive whole and equal to what the embedded provider reads, NULLs and short values included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/source_connection.h"
#include "oci_double_support.h"
#include "providers/source_providers.h"
#include "support/oracle_fixture.h"
#include "transfer/row_statements.h"

namespace skerrow::test {
namespace {

constexpr std::size_t kTenMiB = 10u << 20;

// About 2 MiB of text: a million characters, mostly two-byte ones, so that pieces end inside
// characters.
const std::string kMegaCharacters = "RPAD('L', 1048576, RPAD('b', 32768, RPAD('ü', 256, 'ü')))";

const std::string kLongScript = [] {
  std::string value = "'start '";
  for (int i = 0; i < 6; ++i) value += " || " + kMegaCharacters;
  value += " || '😀 end'";
  return "CONNECT types/types_pw\n"
         "CREATE TABLE t_longs (id NUMBER(2), l LONG);\n"
         "INSERT INTO t_longs VALUES (1, " +
         value +
         ");\n"
         "INSERT INTO t_longs VALUES (2, NULL);\n"
         "INSERT INTO t_longs VALUES (3, 'short');\n"
         "CREATE TABLE t_long_raws (id NUMBER(2), lr LONG RAW);\n"
         // 3 MiB and 3 bytes.
         "INSERT INTO t_long_raws VALUES (1, HEXTORAW(RPAD('0A', 6291462, "
         "RPAD('C3BC00FF', 65536, 'C3BC00FF'))));\n"
         "INSERT INTO t_long_raws VALUES (2, NULL);\n"
         "INSERT INTO t_long_raws VALUES (3, HEXTORAW('00'));\n"
         "COMMIT;\n";
}();

TEST(OciLongValues, LongAndLongRawOfAnyLengthArriveWholeInPieces) {
  OracleFixture oracle("OCILONG" + std::to_string(::getpid()), {"types.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  ASSERT_TRUE(oracle.LoadText(kLongScript, "oci_longs.sql")) << oracle.Error();
  struct Case {
    std::string sql;
    std::size_t row;  // the long one
    std::size_t atLeast;
    VariantKind kind;
  };
  const Case cases[] = {
      {RowQuery(R"("ID","L")", "TYPES", "T_LONGS"), 0, kTenMiB, VariantKind::Text},
      {RowQuery(R"("ID","LR")", "TYPES", "T_LONG_RAWS"), 0, (3u << 20) + 3, VariantKind::ByteArray},
  };
  std::vector<std::vector<std::vector<Variant>>> embedded;
  {
    SourceConnection source{StandardSourceProviders()};
    OpenOracle(source, oracle.Service(), "types", "types_pw");
    for (const auto& c : cases) embedded.push_back(AllRows(source, c.sql));
  }
  OciRoute route(oracle.SearchDirectory());
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, oracle.Service(), "types", "types_pw");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.sql);
    ClearDoubleJournal();
    std::vector<std::vector<Variant>> rows;
    try {
      rows = AllRows(source, c.sql);
    } catch (const SourceError& error) {
      FAIL() << FormatSourceError(error);
    }
    ASSERT_EQ(rows.size(), 3u);
    const Variant& big = rows[c.row][1];
    EXPECT_EQ(big.Kind(), c.kind);
    EXPECT_GE(big.Data().size(), c.atLeast);
    ASSERT_EQ(embedded[i].size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
      EXPECT_EQ(rows[r][1].Kind(), embedded[i][r][1].Kind()) << "row " << r;
      // Whole and unchanged (not printed: megabytes).
      EXPECT_TRUE(rows[r][1].Data() == embedded[i][r][1].Data())
          << "row " << r << ": " << rows[r][1].Data().size() << " bytes instead of "
          << embedded[i][r][1].Data().size();
    }
    // Through the callback in several pieces, not in one buffer of a guessed size.
    const std::string journal = DoubleJournal();
    EXPECT_NE(journal.find(" 32 dynamic\n"), std::string::npos) << journal;
    EXPECT_NE(journal.find("PIECES 2 "), std::string::npos) << journal;
  }
}

}  // namespace
}  // namespace skerrow::test
