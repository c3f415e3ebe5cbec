-- The Oracle side of the Skerrow demo, loaded into the embedded instance DEMO by scripts/demo:
--   SCOTT/tiger  the classic small schema (DEPT, EMP, SALGRADE, BONUS) and SALES_HISTORY,
--                whose 200,000 rows scripts/demo generates (demo/sales_history.awk)
--   ZOO/zoo      one table per family of Oracle types, with awkward values
-- Written the way Oracle people write such scripts; load it into an instance of your own with
--   skerrow-oracle load DEMO demo/demo.sql

SET ECHO OFF
PROMPT Creating the demo users

CREATE USER scott IDENTIFIED BY tiger;
GRANT CONNECT, RESOURCE TO scott;
CREATE USER zoo IDENTIFIED BY zoo;
GRANT CONNECT, RESOURCE TO zoo;

CONNECT scott/tiger

CREATE TABLE dept (
  deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY,
  dname  VARCHAR2(14),
  loc    VARCHAR2(13)
);

CREATE TABLE emp (
  empno    NUMBER(4) CONSTRAINT pk_emp PRIMARY KEY,
  ename    VARCHAR2(10),
  job      VARCHAR2(9),
  mgr      NUMBER(4),
  hiredate DATE,
  sal      NUMBER(7,2),
  comm     NUMBER(7,2),
  deptno   NUMBER(2) CONSTRAINT fk_deptno REFERENCES dept
);

CREATE TABLE bonus (
  ename VARCHAR2(10),
  job   VARCHAR2(9),
  sal   NUMBER,
  comm  NUMBER
);

CREATE TABLE salgrade (
  grade NUMBER,
  losal NUMBER,
  hisal NUMBER
);

INSERT INTO dept VALUES (10, 'ACCOUNTING', 'NEW YORK');
INSERT INTO dept VALUES (20, 'RESEARCH', 'DALLAS');
INSERT INTO dept VALUES (30, 'SALES', 'CHICAGO');
INSERT INTO dept VALUES (40, 'OPERATIONS', 'BOSTON');

INSERT INTO emp VALUES (7839, 'KING', 'PRESIDENT', NULL, TO_DATE('17-11-1981', 'dd-mm-yyyy'), 5000, NULL, 10);
INSERT INTO emp VALUES (7698, 'BLAKE', 'MANAGER', 7839, TO_DATE('1-5-1981', 'dd-mm-yyyy'), 2850, NULL, 30);
INSERT INTO emp VALUES (7782, 'CLARK', 'MANAGER', 7839, TO_DATE('9-6-1981', 'dd-mm-yyyy'), 2450, NULL, 10);
INSERT INTO emp VALUES (7566, 'JONES', 'MANAGER', 7839, TO_DATE('2-4-1981', 'dd-mm-yyyy'), 2975, NULL, 20);
INSERT INTO emp VALUES (7788, 'SCOTT', 'ANALYST', 7566, TO_DATE('13-7-1987', 'dd-mm-yyyy'), 3000, NULL, 20);
INSERT INTO emp VALUES (7902, 'FORD', 'ANALYST', 7566, TO_DATE('3-12-1981', 'dd-mm-yyyy'), 3000, NULL, 20);
INSERT INTO emp VALUES (7369, 'SMITH', 'CLERK', 7902, TO_DATE('17-12-1980', 'dd-mm-yyyy'), 800, NULL, 20);
INSERT INTO emp VALUES (7499, 'ALLEN', 'SALESMAN', 7698, TO_DATE('20-2-1981', 'dd-mm-yyyy'), 1600, 300, 30);
INSERT INTO emp VALUES (7521, 'WARD', 'SALESMAN', 7698, TO_DATE('22-2-1981', 'dd-mm-yyyy'), 1250, 500, 30);
INSERT INTO emp VALUES (7654, 'MARTIN', 'SALESMAN', 7698, TO_DATE('28-9-1981', 'dd-mm-yyyy'), 1250, 1400, 30);
INSERT INTO emp VALUES (7844, 'TURNER', 'SALESMAN', 7698, TO_DATE('8-9-1981', 'dd-mm-yyyy'), 1500, 0, 30);
INSERT INTO emp VALUES (7876, 'ADAMS', 'CLERK', 7788, TO_DATE('13-7-1987', 'dd-mm-yyyy'), 1100, NULL, 20);
INSERT INTO emp VALUES (7900, 'JAMES', 'CLERK', 7698, TO_DATE('3-12-1981', 'dd-mm-yyyy'), 950, NULL, 30);
INSERT INTO emp VALUES (7934, 'MILLER', 'CLERK', 7782, TO_DATE('23-1-1982', 'dd-mm-yyyy'), 1300, NULL, 10);

INSERT INTO salgrade VALUES (1, 700, 1200);
INSERT INTO salgrade VALUES (2, 1201, 1400);
INSERT INTO salgrade VALUES (3, 1401, 2000);
INSERT INTO salgrade VALUES (4, 2001, 3000);
INSERT INTO salgrade VALUES (5, 3001, 9999);

-- The demo's big table; its rows come from the generated script.
CREATE TABLE sales_history (
  sale_id  NUMBER(10) NOT NULL,
  empno    NUMBER(4) NOT NULL,
  sold_on  DATE NOT NULL,
  amount   NUMBER(9,2),
  region   VARCHAR2(10) DEFAULT 'NORTH',
  note     VARCHAR2(40),
  CONSTRAINT pk_sales_history PRIMARY KEY (sale_id)
);
CREATE INDEX sales_history_emp ON sales_history (empno);

COMMIT;

CONNECT zoo/zoo

-- Numbers: exact decimals of every size, and floating point.
CREATE TABLE numbers (
  id        NUMBER(6) PRIMARY KEY,
  plain     NUMBER,
  money     NUMBER(12,2) DEFAULT (0),
  big       NUMBER(38),
  ratio     FLOAT,
  measured  BINARY_DOUBLE
);
INSERT INTO numbers VALUES (1, 42, 19.99, 12345678901234567890123456789012345678, 0.5, 2.5);
INSERT INTO numbers VALUES (2, -7.125, -0.01, -1, 1e-10, -1000000);
INSERT INTO numbers VALUES (3, 0, 0, 0, 0, 0);
INSERT INTO numbers (id) VALUES (4);

-- Texts: apostrophes, question marks, backslashes, line breaks, blanks and non-ASCII letters.
CREATE TABLE texts (
  id       NUMBER(6) PRIMARY KEY,
  name     VARCHAR2(40 CHAR) NOT NULL,
  code     CHAR(3),
  local    NVARCHAR2(40),
  status   VARCHAR2(10) DEFAULT 'new',
  body     CLOB
);
INSERT INTO texts VALUES (1, 'O''Brien', 'IRL', 'Dublin', 'active', 'It''s a long story.');
INSERT INTO texts VALUES (2, 'Why? Because.', 'Q? ', 'Zoë', 'new', 'C:\temp\new');
INSERT INTO texts VALUES (3, '  padded  ', 'JP ', '東京', NULL, 'line one' || CHR(10) || 'line two');
INSERT INTO texts VALUES (4, q'[say "cheese" ]', NULL, NULL, 'new', NULL);

-- Binary data: RAW keys and BLOB contents, with the bytes 00 and FF.
CREATE TABLE binaries (
  tag      RAW(16) PRIMARY KEY,
  label    VARCHAR2(20),
  picture  BLOB
);
INSERT INTO binaries VALUES (HEXTORAW('00FF10A0'), 'bytes', HEXTORAW('89504E470D0A1A0A00FF'));
INSERT INTO binaries VALUES (HEXTORAW('0A'), 'small', EMPTY_BLOB());
INSERT INTO binaries VALUES (HEXTORAW('DEADBEEF'), 'none', NULL);

-- Dates and times.
CREATE TABLE moments (
  id        NUMBER(6),
  happened  DATE DEFAULT SYSDATE,
  logged    TIMESTAMP(6),
  CONSTRAINT pk_moments PRIMARY KEY (id)
);
INSERT INTO moments VALUES (1, DATE '1969-07-20', TIMESTAMP '1969-07-20 20:17:40.000000');
INSERT INTO moments VALUES (2, TO_DATE('2000-01-01 00:00:01', 'YYYY-MM-DD HH24:MI:SS'), NULL);
INSERT INTO moments (id, logged) VALUES (3, TIMESTAMP '2026-12-10 10:16:53.125000');

-- No constraints at all: created without a primary key.
CREATE TABLE notes (
  written  DATE,
  text     VARCHAR2(200)
);
INSERT INTO notes VALUES (DATE '2024-02-29', 'A leap day.');
INSERT INTO notes VALUES (NULL, NULL);

-- What is not converted: the loader skips these too.
CREATE SEQUENCE numbers_seq START WITH 100;
CREATE VIEW named_texts AS SELECT id, name FROM texts;
COMMENT ON TABLE texts IS 'Texts that tend to get mangled';

COMMIT;
