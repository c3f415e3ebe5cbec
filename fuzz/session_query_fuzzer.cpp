// The embedded Oracle's session on any statement text, the way the converter's SELECTs reach
// it: dictionary views through SQLite under the session's authorizer, row queries through the
// stand-in's own parser. Each statement either fails with a SourceError or gives rows; it must
// not crash, hang, or reach anything outside the views (the authorizer decides that, and a
// statement that changes something is refused).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "db/source_backend.h"
#include "db/source_error.h"
#include "oracle/embedded_instance.h"
#include "oracle/embedded_provider.h"
#include "oracle/loader/script_loader.h"

namespace {

namespace fs = std::filesystem;

// Two users, tables of every type family, keys of each kind, and rows with awkward values.
constexpr const char* kInstanceScript = R"(SET DEFINE OFF
CREATE USER fuzz IDENTIFIED BY fuzz_pw;
CREATE USER other IDENTIFIED BY other_pw;
CONNECT fuzz/fuzz_pw
CREATE TABLE dept (deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY, dname VARCHAR2(14) NOT NULL,
  loc VARCHAR2(13) DEFAULT 'NOWHERE');
CREATE TABLE emp (empno NUMBER(4) PRIMARY KEY, ename VARCHAR2(10 CHAR), hired DATE DEFAULT SYSDATE,
  sal NUMBER(7,2) CHECK (sal > 0), deptno NUMBER(2) REFERENCES dept, note CLOB, photo BLOB,
  code RAW(8), ratio BINARY_DOUBLE, f BINARY_FLOAT, stamp TIMESTAMP(3) WITH TIME ZONE,
  local TIMESTAMP WITH LOCAL TIME ZONE, span INTERVAL DAY(3) TO SECOND(2),
  age INTERVAL YEAR TO MONTH, nat NVARCHAR2(20), fixed CHAR(3), UNIQUE (ename));
CREATE TABLE "Mixed Case" ("a""b" NUMBER, "x;y" VARCHAR2(5), CONSTRAINT "pk m" PRIMARY KEY ("a""b"));
CREATE TABLE links (id NUMBER PRIMARY KEY, u URITYPE, doc XMLTYPE, l LONG);
INSERT INTO dept VALUES (10, 'ACCOUNTING', 'NEW YORK');
INSERT INTO dept VALUES (20, 'O''Reilly "R&D"', NULL);
INSERT INTO emp VALUES (7369, 'SMITH', DATE '1980-12-17', 800, 20, 'long ' || RPAD('x', 100, 'y'),
  HEXTORAW('00FF'), HEXTORAW('DEADBEEF'), 1.5, 2.5, TIMESTAMP '2020-01-01 10:00:00.123 +02:00',
  TIMESTAMP '2020-01-01 10:00:00', INTERVAL '1 02:03:04.5' DAY TO SECOND, INTERVAL '2-3' YEAR TO MONTH,
  N'naïve 😀', 'ab');
INSERT INTO emp (empno, ename) VALUES (7499, NULL);
INSERT INTO "Mixed Case" VALUES (1, 'a;b');
INSERT INTO links VALUES (1, URITYPE('http://example.com/a?b=c'), NULL, 'long text');
COMMIT;
CONNECT other/other_pw
CREATE TABLE dept (deptno NUMBER(2) PRIMARY KEY, secret VARCHAR2(10));
INSERT INTO dept VALUES (99, 'other''s');
COMMIT;
)";

// A fresh instance for the whole run, removed again at exit.
class FuzzInstance {
 public:
  FuzzInstance() {
    std::string pattern = (fs::temp_directory_path() / "skerrow-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::cerr << "cannot make a temporary folder\n";
      std::abort();
    }
    root_ = pattern;
    {
      auto instance = skerrow::oracle::EmbeddedInstance::Create(root_ / "FUZZ");
      skerrow::oracle::LoadScriptText(*instance, kInstanceScript, "fuzz-instance.sql");
    }
    session_ = skerrow::oracle::OpenEmbeddedSessionAt(root_ / "FUZZ", "FUZZ", "fuzz_pw");
  }
  ~FuzzInstance() {
    session_.reset();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  skerrow::SourceBackend& Session() { return *session_; }

 private:
  fs::path root_;
  std::unique_ptr<skerrow::SourceBackend> session_;
};

FuzzInstance& Instance() {
  static FuzzInstance instance;
  return instance;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Instance();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string sql(reinterpret_cast<const char*>(data), size);
  skerrow::SourceBackend& session = Instance().Session();
  try {
    session.Execute(sql);
    // Enough rows to read every value of the fixture; a query may promise endless rows.
    constexpr long kBlock = 64;
    for (int block = 0; block < 8 && !session.EndOfRows(); ++block) {
      const skerrow::RowArray rows = session.GetRows(kBlock);
      for (std::size_t field = 0; field < rows.FieldCount(); ++field)
        for (std::size_t row = 0; row < rows.RowCount(); ++row) (void)rows.At(field, row).ToText();
    }
  } catch (const skerrow::SourceError&) {
    // Refused or failed, with Oracle's message: the expected answer to most inputs.
  }
  return 0;
}
