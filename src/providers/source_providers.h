#pragma once

#include "db/source_provider.h"

namespace skerrow {

// The providers this program opens Oracle sources with, in the order SourceConnection tries
// them: an embedded instance of the Data Source's name on SKERROW_ORACLE_PATH first; anything
// else is a connect identifier for Oracle's own client library (a tnsnames alias or an Easy
// Connect text), loaded when first needed.
SourceProviders StandardSourceProviders();

}  // namespace skerrow
