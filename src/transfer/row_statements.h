#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow {

// The names of a list of Oracle quoted identifiers joined by "," (TargetColumnList), with the
// doubled quotes undone; nullopt when the text is not such a list.
std::optional<std::vector<std::string>> SplitQuotedNameList(std::string_view list);

// The schema that owns the tables: the user name as typed, upper-cased as Oracle stores
// unquoted names, not trimmed.
std::string SourceOwner(std::string_view userName);

// The source query of one table: Select <list> from "OWNER"."TABLE" w. `owner` is used as
// given (the caller upper-cases it); the select list is used unchanged.
std::string RowQuery(std::string_view selectList, std::string_view owner,
                     std::string_view sourceTable);

// Insert into `db`.`table`(`c1`,`c2`)values(  -- the row's values and ")" follow.
std::string InsertPrefix(std::string_view database, std::string_view targetTable,
                         const std::vector<std::string>& columns);

// The INSERT of one row: the prefix, the row's rendered values joined by ",", and ")".
std::string RowStatement(std::string_view insertPrefix, std::string_view values);

// UPDATE `db`.`table` SET `column`=''  -- gives a column the source query cannot read the
// empty text in every row.
std::string SkippedColumnUpdate(std::string_view database, std::string_view targetTable,
                                std::string_view column);

// SELECT COUNT(*) FROM `db`.`table`  -- instant on MyISAM, which keeps the count.
std::string RowCountQuery(std::string_view database, std::string_view targetTable);

// Makes the session refuse a value its column cannot hold instead of cutting it, keeping the
// rest of the server's mode.
inline constexpr std::string_view kStrictModeStatement =
    "SET SESSION sql_mode=TRIM(BOTH ',' FROM CONCAT(@@SESSION.sql_mode,',STRICT_ALL_TABLES'))";

}  // namespace skerrow
