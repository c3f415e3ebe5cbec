// What the loader runs of PL/SQL, and the first construct it names when it does not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/loader/plsql_block.h"
#include "oracle/sql_error.h"

namespace skerrow::oracle {
namespace {

TEST(PlsqlParser, ReadsBlocksMadeOfSql) {
  const PlsqlBlock block =
      ParsePlsqlBlock(Tokenize("DECLARE\n"
                               "  v VARCHAR2(32767) := 'a' ||\n    'b';\n"
                               "  n CONSTANT NUMBER DEFAULT 1;\n"
                               "  gone EXCEPTION;\n"
                               "  PRAGMA EXCEPTION_INIT(gone, -942);\n"
                               "BEGIN\n"
                               "  FOR i IN REVERSE 1 .. n + 2 LOOP\n"
                               "    INSERT INTO t VALUES (i, v);\n"
                               "  END LOOP outer;\n"
                               "  EXECUTE IMMEDIATE 'DROP TABLE x';\n"
                               "  DBMS_OUTPUT.PUT_LINE('done');\n"
                               "  BEGIN NULL; END;\n"
                               "  COMMIT;\n"
                               "EXCEPTION\n"
                               "  WHEN gone OR DUP_VAL_ON_INDEX THEN NULL;\n"
                               "  WHEN OTHERS THEN ROLLBACK;\n"
                               "END;"));
  ASSERT_EQ(block.declarations.size(), 3u);
  EXPECT_EQ(block.declarations[0].name, "V");
  EXPECT_FALSE(block.declarations[0].initial.empty());
  EXPECT_TRUE(block.declarations[1].constant);
  EXPECT_TRUE(block.declarations[2].exception);
  ASSERT_EQ(block.exceptionCodes.size(), 1u);
  EXPECT_EQ(block.exceptionCodes[0].second, -942);
  ASSERT_EQ(block.body.size(), 5u);
  EXPECT_EQ(block.body[0].kind, PlsqlStatement::Kind::For);
  EXPECT_TRUE(block.body[0].reverse);
  EXPECT_EQ(block.body[0].line, 8);
  ASSERT_EQ(block.body[0].body.size(), 1u);
  EXPECT_EQ(block.body[0].body[0].kind, PlsqlStatement::Kind::Sql);
  EXPECT_EQ(block.body[1].kind, PlsqlStatement::Kind::Execute);
  EXPECT_EQ(block.body[2].kind, PlsqlStatement::Kind::Output);
  EXPECT_EQ(block.body[3].kind, PlsqlStatement::Kind::Block);
  ASSERT_EQ(block.handlers.size(), 2u);
  EXPECT_EQ(block.handlers[0].names, (std::vector<std::string>{"GONE", "DUP_VAL_ON_INDEX"}));
}

TEST(PlsqlParser, NamesTheFirstConstructItDoesNotRun) {
  struct Case {
    const char* block;
    const char* construct;
    int line;
  };
  const std::vector<Case> cases = {
      {"BEGIN\n  IF 1 = 1 THEN NULL; END IF;\nEND;", "IF", 2},
      {"BEGIN\n  NULL;\n  WHILE TRUE LOOP NULL; END LOOP;\nEND;", "WHILE", 3},
      {"BEGIN LOOP NULL; END LOOP; END;", "LOOP", 1},
      {"DECLARE CURSOR c IS SELECT 1 FROM dual; BEGIN NULL; END;", "CURSOR declarations", 1},
      {"DECLARE r emp%ROWTYPE; BEGIN NULL; END;", "%ROWTYPE", 1},
      {"DECLARE t my_table_type; BEGIN NULL; END;", "variables of the type MY_TABLE_TYPE", 1},
      {"BEGIN SELECT 1 INTO n FROM dual; END;", "SELECT", 1},
      {"BEGIN my_pkg.do_it(1); END;", "a call of MY_PKG.DO_IT", 1},
      {"BEGIN RAISE_APPLICATION_ERROR(-20001, 'x'); END;", "a call of RAISE_APPLICATION_ERROR", 1},
      {"BEGIN RAISE; END;", "RAISE", 1},
      {"BEGIN FOR r IN (SELECT 1 FROM dual) LOOP NULL; END LOOP; END;", "FOR ... IN (query) loops",
       1},
      {"BEGIN FOR r IN c1 LOOP NULL; END LOOP; END;", "cursor FOR loops", 1},
      {"BEGIN EXECUTE IMMEDIATE 'x' USING 1; END;", "EXECUTE IMMEDIATE ... USING", 1},
      {"BEGIN INSERT INTO t VALUES (1) RETURNING id INTO n; END;", "RETURNING ... INTO", 1},
      {"BEGIN <<here>> NULL; END;", "labels (<<name>>)", 1},
      {"BEGIN rec.field := 1; END;", "assignments to REC.FIELD", 1},
      {"DECLARE PRAGMA AUTONOMOUS_TRANSACTION; BEGIN NULL; END;", "PRAGMA AUTONOMOUS_TRANSACTION",
       1},
  };
  for (const Case& c : cases) {
    try {
      ParsePlsqlBlock(Tokenize(c.block));
      ADD_FAILURE() << c.block << ": parsed";
    } catch (const PlsqlUnsupported& unsupported) {
      EXPECT_EQ(unsupported.Construct(), c.construct) << c.block;
      EXPECT_EQ(unsupported.Line(), c.line) << c.block;
    }
  }
}

TEST(PlsqlParser, RefusesMalformedOrTooDeeplyNestedBlocks) {
  std::string deep;
  for (int i = 0; i < 40; ++i) deep += "BEGIN ";
  deep += "NULL; ";
  for (int i = 0; i < 40; ++i) deep += "END; ";
  // FOR loops nest as blocks do, and meet the same limit long before the stack ends.
  std::string loops = "BEGIN ";
  for (int i = 0; i < 100'000; ++i) loops += "FOR i IN 1..1 LOOP ";
  loops += "NULL; ";
  for (int i = 0; i < 100'000; ++i) loops += "END LOOP; ";
  loops += "END;";
  for (const std::string& block : {std::string("BEGIN END;"), std::string("BEGIN NULL;"),
                                   std::string("BEGIN NULL; END; extra"), deep, loops}) {
    EXPECT_THROW(ParsePlsqlBlock(Tokenize(block)), StatementError) << block.substr(0, 40);
  }
  std::string fits = "BEGIN ";
  for (int i = 0; i < 30; ++i) fits += "FOR i IN 1..1 LOOP ";
  fits += "NULL; ";
  for (int i = 0; i < 30; ++i) fits += "END LOOP; ";
  EXPECT_NO_THROW(ParsePlsqlBlock(Tokenize(fits + "END;")));
}

TEST(PlsqlParser, ErrorCodesAsSqlcodeGivesThem) {
  EXPECT_EQ(ErrorCodeOf("ORA-00001: unique constraint (A.B) violated"), -1);
  EXPECT_EQ(ErrorCodeOf("ORA-01403: no data found"), 100);
  EXPECT_EQ(ErrorCodeOf("the loader's own words"), 0);
  EXPECT_EQ(PredefinedExceptionCode("DUP_VAL_ON_INDEX"), -1);
  EXPECT_EQ(PredefinedExceptionCode("ZERO_DIVIDE"), -1476);
  EXPECT_EQ(PredefinedExceptionCode("MY_OWN"), 0);
}

}  // namespace
}  // namespace skerrow::oracle
