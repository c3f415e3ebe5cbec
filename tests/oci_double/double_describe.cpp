#include <algorithm>

#include "double_handles.h"
#include "oracle/catalog_store.h"
#include "oracle/dictionary_views.h"
#include "oracle/oracle_names.h"
#include "oracle/row_query.h"
#include "oracle/sql_lexer.h"
#include "oracle/type_family.h"

namespace skerrow::ocidouble {

namespace {

ub2 ClampSize(std::size_t size) {
  return static_cast<ub2>(std::clamp<std::size_t>(size, 1, 65535));
}

// What values alone tell: the dictionary views' numbers are NUMBER columns in Oracle.
std::vector<ColumnInfo> GuessFromValues(const std::vector<std::vector<Variant>>& rows,
                                        std::size_t fieldCount) {
  std::vector<ColumnInfo> columns(fieldCount);
  for (std::size_t field = 0; field < fieldCount; ++field) {
    ColumnInfo& column = columns[field];
    bool typed = false;
    std::size_t longest = 1;
    for (const auto& row : rows) {
      const Variant& value = row[field];
      if (value.IsNullOrEmpty()) continue;
      if (value.Kind() == VariantKind::Text || value.Kind() == VariantKind::ByteArray)
        longest = std::max(longest, value.Data().size());
      if (typed) continue;
      typed = true;
      switch (value.Kind()) {
        case VariantKind::Decimal:
        case VariantKind::Double:
          column.type = SQLT_NUM;
          break;
        case VariantKind::Date:
          column.type = SQLT_DAT;
          break;
        case VariantKind::ByteArray:
          column.type = SQLT_BIN;
          break;
        default:
          column.type = SQLT_CHR;
          break;
      }
    }
    column.size = column.type == SQLT_NUM ? 22 : column.type == SQLT_DAT ? 7 : ClampSize(longest);
  }
  return columns;
}

// Oracle's description of a table column.
ColumnInfo ForColumn(const oracle::ColumnDefinition& definition) {
  using oracle::TypeFamily;
  const std::string& type = definition.dataType;
  const bool national = type.starts_with("N");
  const ub2 length = ClampSize(static_cast<std::size_t>(definition.dataLength));
  switch (oracle::FamilyOfDataType(type)) {
    case TypeFamily::Number:
      return {SQLT_NUM, 22, SQLCS_IMPLICIT};
    case TypeFamily::BinaryFloat:
      return {SQLT_IBFLOAT, 4, SQLCS_IMPLICIT};
    case TypeFamily::BinaryDouble:
      return {SQLT_IBDOUBLE, 8, SQLCS_IMPLICIT};
    case TypeFamily::Date:
      return {SQLT_DAT, 7, SQLCS_IMPLICIT};
    case TypeFamily::Timestamp: {
      TimestampColumn timestamp;
      timestamp.precision = definition.dataScale.value_or(6);
      if (type.find("LOCAL") != std::string::npos) {
        timestamp.zone = TimestampColumn::Zone::Local;
        return {SQLT_TIMESTAMP_LTZ, 11, SQLCS_IMPLICIT, timestamp};
      }
      if (type.find("TIME ZONE") != std::string::npos) {
        timestamp.zone = TimestampColumn::Zone::Own;
        return {SQLT_TIMESTAMP_TZ, 13, SQLCS_IMPLICIT, timestamp};
      }
      return {SQLT_TIMESTAMP, 11, SQLCS_IMPLICIT, timestamp};
    }
    case TypeFamily::Interval:
      return {type.find("YEAR") != std::string::npos ? SQLT_INTERVAL_YM : SQLT_INTERVAL_DS, 11,
              SQLCS_IMPLICIT};
    case TypeFamily::FixedChar:
      return {SQLT_AFC, length, national ? SQLCS_NCHAR : SQLCS_IMPLICIT};
    case TypeFamily::VarChar:
      return {SQLT_CHR, length, national ? SQLCS_NCHAR : SQLCS_IMPLICIT};
    case TypeFamily::Long:
      return {SQLT_LNG, 0, SQLCS_IMPLICIT};
    case TypeFamily::CharLob:
      return {SQLT_CLOB, 4000, national ? SQLCS_NCHAR : SQLCS_IMPLICIT};
    case TypeFamily::Raw:
      return {SQLT_BIN, length, SQLCS_IMPLICIT};
    case TypeFamily::LongRaw:
      return {SQLT_LBI, 0, SQLCS_IMPLICIT};
    case TypeFamily::Blob:
      return {SQLT_BLOB, 4000, SQLCS_IMPLICIT};
    case TypeFamily::OtherText:
      if (type == "ROWID" || type == "UROWID") return {SQLT_RDD, 10, SQLCS_IMPLICIT};
      // Object types arrive as the stand-in's text (Oracle itself would describe SQLT_NTY).
      return {SQLT_CHR, 4000, SQLCS_IMPLICIT};
    case TypeFamily::Uri:
    default:
      return {SQLT_CHR, 4000, SQLCS_IMPLICIT};
  }
}

}  // namespace

std::vector<ColumnInfo> DescribeResult(const SessionHandle& session,
                                       const std::filesystem::path& instance,
                                       const std::string& sql,
                                       const std::vector<std::vector<Variant>>& rows,
                                       std::size_t fieldCount) {
  std::vector<ColumnInfo> guessed = GuessFromValues(rows, fieldCount);
  try {
    const auto tokens = oracle::Tokenize(sql);
    if (oracle::NamesDictionaryView(tokens)) return guessed;
    const oracle::RowQuery query = oracle::ParseRowQuery(tokens);
    oracle::SqliteDatabase catalog(instance / oracle::kCatalogFileName, true, false);
    const auto columns =
        oracle::FindTableColumns(catalog, query.owner.value_or(session.storedUser), query.table);
    if (!columns) return guessed;
    std::vector<ColumnInfo> described;
    for (const auto& item : query.items) {
      if (item.form == oracle::SelectItem::Form::AllColumns) {
        for (const auto& column : *columns) described.push_back(ForColumn(column));
        continue;
      }
      const auto found = std::find_if(columns->begin(), columns->end(),
                                      [&](const auto& c) { return c.name == item.path.back(); });
      if (found == columns->end()) return guessed;
      switch (item.form) {
        case oracle::SelectItem::Form::CastToRaw:
          // The bytes of the column's text, which for a timestamp is in the session's format.
          described.push_back({SQLT_BIN, 2000, SQLCS_IMPLICIT, ForColumn(*found).timestamp});
          break;
        case oracle::SelectItem::Form::CastToVarchar2:
          described.push_back({SQLT_CHR, 2000, SQLCS_IMPLICIT});
          break;
        case oracle::SelectItem::Form::GetUrl:
          described.push_back({SQLT_CHR, 4000, SQLCS_IMPLICIT});
          break;
        default:
          described.push_back(ForColumn(*found));
          break;
      }
    }
    if (described.size() != fieldCount) return guessed;
    // The stand-in does not hold Oracle's size limits; every value must fit its description.
    for (std::size_t i = 0; i < fieldCount; ++i)
      if (described[i].type == SQLT_CHR || described[i].type == SQLT_AFC ||
          described[i].type == SQLT_BIN)
        described[i].size = std::max(described[i].size, guessed[i].size);
    return described;
  } catch (...) {
    return guessed;
  }
}

}  // namespace skerrow::ocidouble
