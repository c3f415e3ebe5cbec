#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "oracle/sql_lexer.h"
#include "oracle/sqlite_handle.h"

namespace skerrow::oracle {

// Creates, on a connection to an instance's catalog, the data dictionary views a session of
// `user` sees, with Oracle's column names and values: USER_TABLES, ALL_TABLES,
// USER_TAB_COLUMNS, ALL_TAB_COLUMNS, USER_CONSTRAINTS, ALL_CONSTRAINTS, USER_CONS_COLUMNS,
// ALL_CONS_COLUMNS, USER_USERS, ALL_USERS, the sequence, identity, index and comment views
// (USER_INDEXES, USER_IND_COLUMNS, USER_IND_EXPRESSIONS, USER_TAB_COMMENTS,
// USER_COL_COMMENTS and their ALL_ forms) and DUAL. ALL_ views cover every schema.
void CreateDictionaryViews(const SqliteDatabase& catalog, const std::string& user);

// True when the statement names one of those views (DUAL alone does not count: a query of
// DUAL is evaluated by the stand-in as Oracle would, not by SQLite).
bool NamesDictionaryView(const std::vector<Token>& tokens);
// True for the name of one of those views (DUAL included), in any case.
bool IsDictionaryViewName(std::string_view name);

}  // namespace skerrow::oracle
