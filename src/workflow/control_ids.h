#pragma once

namespace skerrow {

// The numbers of the main window's controls; the workflow names controls only by these.
enum ControlId : int {
  kServiceNameEdit = 1000,
  kOracleUserEdit = 1001,
  kOraclePasswordEdit = 1002,
  kNextButton = 1003,
  kServiceNameLabel = 1004,
  kOracleUserLabel = 1005,
  kOraclePasswordLabel = 1006,
  kConvertButton = 1007,
  kHelpButton = 1008,
  kMySqlGroup = 1009,
  kMySqlServerEdit = 1010,
  kMySqlLoginEdit = 1011,
  kMySqlPasswordEdit = 1012,
  kMySqlServerLabel = 1013,
  kMySqlLoginLabel = 1014,
  kMySqlPasswordLabel = 1015,
  kOracleGroup = 1016,
  kExitButton = 1017,
  kLogoButton = 1018,
  kGreyConvertButton = 1019,
  kBackButton = 1020,
  kStopButton = 1021,
  kWaitLabel = 1022,
  kActivityBar = 1023,
  kTablesBar = 1024,
  kStatusLabel = 1025,
  kDestinationLabel = 1028,
  kSelectHintLabel = 1029,
  kTableCountLabel = 1035,
  kTableCountCaption = 1039,
  kDatabaseGroup = 1053,
  kDestinationNameEdit = 1054,
  kTablesGroup = 1055,
  kTableList = 1056,
  kSelectAllCheck = 1057,
};

}  // namespace skerrow
