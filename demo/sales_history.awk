# Writes the INSERTs of the demo's big table SALES_HISTORY (scripts/demo runs it; the loader has
# no PL/SQL loop). Usage: awk -v rows=200000 -f sales_history.awk > sales_history.sql
BEGIN {
  if (rows == "") rows = 200000
  split("7369 7499 7521 7566 7654 7698 7782 7788 7839 7844 7876 7900 7902 7934", emps, " ")
  split("NORTH SOUTH EAST WEST", regions, " ")
  split("31 28 31 30 31 30 31 31 30 31 30 31", monthDays, " ")
  print "CONNECT scott/tiger"
  for (i = 1; i <= rows; i++) {
    year = 2015 + (i % 10)
    month = 1 + (i % 12)
    day = 1 + (i * 7) % monthDays[month]
    cents = (i * 7919) % 100000
    printf "INSERT INTO sales_history VALUES (%d, %s, DATE '%04d-%02d-%02d', %d.%02d, '%s', 'order %d');\n",
      i, emps[1 + i % 14], year, month, day, int(cents / 100), cents % 100, regions[1 + i % 4], i
    if (i % 10000 == 0) print "COMMIT;"
  }
  print "COMMIT;"
}
