#include "bench/bench_table.h"

namespace skerrow::bench {

namespace {

// A cheap, well-mixed hash so that neighbouring rows differ in every column.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

constexpr const char* kWords[] = {"Acme",   "Nordic",   "Globex",      "Initech", "O'Brien",
                                  "Müller", "Umbrella", "Back\\Slash", "Café",    "Soylent"};

}  // namespace

std::vector<oracle::ColumnDefinition> TableColumns() {
  std::vector<oracle::ColumnDefinition> columns(6);
  columns[0].name = "ID";
  columns[0].dataType = "NUMBER";
  columns[0].dataLength = 22;
  columns[0].dataPrecision = 10;
  columns[0].dataScale = 0;
  columns[0].nullable = false;
  columns[1].name = "CUSTOMER";
  columns[1].dataType = "VARCHAR2";
  columns[1].dataLength = 100;
  columns[1].charLength = 100;
  columns[1].charUsed = "B";
  columns[2].name = "AMOUNT";
  columns[2].dataType = "NUMBER";
  columns[2].dataLength = 22;
  columns[2].dataPrecision = 12;
  columns[2].dataScale = 2;
  columns[3].name = "ORDERED";
  columns[3].dataType = "DATE";
  columns[3].dataLength = 7;
  columns[4].name = "NOTE";
  columns[4].dataType = "CLOB";
  columns[4].dataLength = 4000;
  columns[5].name = "TAG";
  columns[5].dataType = "RAW";
  columns[5].dataLength = 16;
  return columns;
}

std::vector<oracle::ConstraintDefinition> TableConstraints() {
  oracle::ConstraintDefinition key;
  key.name = "ORDERS_PK";
  key.type = 'P';
  key.columns = {"ID"};
  return {key};
}

std::vector<std::string> ColumnNames() {
  std::vector<std::string> names;
  for (const auto& column : TableColumns()) names.push_back(column.name);
  return names;
}

std::vector<Variant> RowValues(std::int64_t id) {
  const std::uint64_t h = Mix(static_cast<std::uint64_t>(id));
  std::vector<Variant> row;
  row.reserve(6);
  row.push_back(Variant::FromDecimal(std::to_string(id)));

  std::string customer = kWords[h % 10];
  customer += " ";
  customer += kWords[(h >> 8) % 10];
  customer += " #" + std::to_string(id);
  customer.append((h >> 16) % 40, 'x');
  row.push_back(Variant::FromText(std::move(customer)));

  if ((h >> 24) % 50 == 0) {
    row.push_back(Variant::Null());
  } else {
    const std::int64_t cents = static_cast<std::int64_t>((h >> 28) % 100000000000ull);
    std::string amount = std::to_string(cents / 100);
    const std::int64_t fraction = cents % 100;
    if (fraction != 0) {
      amount += fraction < 10 ? ".0" : ".";
      amount += std::to_string(fraction % 10 == 0 ? fraction / 10 : fraction);
    }
    if ((h >> 40) % 7 == 0 && amount != "0") amount.insert(0, "-");
    row.push_back(Variant::FromDecimal(amount));
  }

  SourceDate date;
  date.year = static_cast<std::int16_t>(1990 + (h >> 12) % 35);
  date.month = static_cast<std::int8_t>(1 + (h >> 20) % 12);
  date.day = static_cast<std::int8_t>(1 + (h >> 24) % 28);
  date.hour = static_cast<std::int8_t>((h >> 32) % 24);
  date.minute = static_cast<std::int8_t>((h >> 40) % 60);
  date.second = static_cast<std::int8_t>((h >> 48) % 60);
  row.push_back(Variant::FromDate(date));

  std::string note = "Order " + std::to_string(id) + ": ";
  note += (h >> 5) % 3 == 0 ? "deliver to the back door,\n\tring twice" : "standard delivery";
  if ((h >> 9) % 11 == 0) note += " – 10 € off";
  row.push_back((h >> 13) % 17 == 0 ? Variant::Null() : Variant::FromText(std::move(note)));

  std::string tag(16, '\0');
  std::uint64_t bits = Mix(h);
  for (std::size_t i = 0; i < tag.size(); ++i) {
    if (i == 8) bits = Mix(bits);
    tag[i] = static_cast<char>(bits >> ((i % 8) * 8));
  }
  row.push_back(Variant::FromBytes(std::move(tag)));
  return row;
}

}  // namespace skerrow::bench
