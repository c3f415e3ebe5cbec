#include "ui/main_window_controls.h"

#include <QStyleFactory>

#include "ui/artwork.h"
#include "ui/dialog_units.h"
#include "workflow/control_ids.h"

namespace skerrow::ui {

namespace {

void PlaceEdit(QLineEdit& edit, QRect geometry, bool masked) {
  edit.setGeometry(geometry);
  edit.setFocusPolicy(Qt::StrongFocus);
  if (masked) edit.setEchoMode(QLineEdit::Password);
}

void PlacePicture(QLabel& picture, const char* stem, QRect geometry) {
  picture.setPixmap(QPixmap(ArtworkPath(stem)));
  picture.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture.setGeometry(geometry);
}

// A navigation tile; `focus` is the picture with the focus frame for the tiles the keyboard
// reaches, null for those it does not (Logo, the grey Convert).
void PlaceTile(NavButton& tile, const char* up, const char* down, const char* focus,
               QPoint topLeft) {
  tile.LoadImages(ArtworkPath(up), ArtworkPath(down), ArtworkPath(focus ? focus : up),
                  ArtworkPath(down));
  // Tab reaches it; a click does not leave a focus frame behind.
  tile.setFocusPolicy(focus ? Qt::TabFocus : Qt::NoFocus);
  tile.move(topLeft);
  tile.SizeToContent();
}

}  // namespace

MainWindowControls::MainWindowControls(QWidget& window)
    : groupBoxStyle(QStyleFactory::create(QStringLiteral("Windows"))),
      oracleGroup(QStringLiteral("Oracle"), &window),
      serviceNameLabel(QStringLiteral("Service Name"), &window),
      oracleUserLabel(QStringLiteral("User Name"), &window),
      oraclePasswordLabel(QStringLiteral("Password"), &window),
      serviceNameEdit(&window),
      oracleUserEdit(&window),
      oraclePasswordEdit(&window),
      mySqlGroup(QStringLiteral("MySQL"), &window),
      mySqlServerLabel(QStringLiteral("MySQL Server\t:"), &window),
      mySqlLoginLabel(QStringLiteral("Login Name"), &window),
      mySqlPasswordLabel(QStringLiteral("Password"), &window),
      mySqlServerEdit(&window),
      mySqlLoginEdit(&window),
      mySqlPasswordEdit(&window),
      databaseGroup(QStringLiteral("Enter Database Name"), &window),
      destinationLabel(QStringLiteral("Enter MySQL Destination Database Name:"), &window),
      destinationNameEdit(&window),
      selectHintLabel(QStringLiteral("Select Oracle table(s) from right panel listbox to convert "
                                     "into MySQL database. You can select one or more than one "
                                     "or All Tables."),
                      &window),
      tablesGroup(QStringLiteral("Select Oracle Table(s)"), &window),
      tableList(&window),
      selectAllCheck(QStringLiteral("Select All"), &window),
      tableCountCaption(QStringLiteral("Total number of Table(s) :"), &window),
      tableCountLabel(QStringLiteral("Static"), &window),
      waitLabel(QStringLiteral("Please wait.. Database conversion is in progress."), &window),
      activityBar(&window),
      statusLabel(QStringLiteral("0"), &window),
      tablesBar(&window),
      stopButton(window, kStopButton),
      arrowPicture(&window),
      headerPicture(&window),
      nextButton(window, kNextButton),
      logoButton(window, kLogoButton),
      helpButton(window, kHelpButton),
      exitButton(window, kExitButton),
      convertButton(window, kConvertButton),
      greyConvertButton(window, kGreyConvertButton),
      backButton(window, kBackButton),
      activityTimer(&window) {
  InitArtworkResources();

  oracleGroup.setGeometry(DialogUnitsRect(10, 76, 171, 119));
  serviceNameLabel.setGeometry(DialogUnitsRect(25, 108, 44, 8));
  PlaceEdit(serviceNameEdit, DialogUnitsRect(85, 105, 80, 14), false);
  oracleUserLabel.setGeometry(DialogUnitsRect(25, 138, 36, 8));
  PlaceEdit(oracleUserEdit, DialogUnitsRect(85, 135, 80, 14), false);
  oraclePasswordLabel.setGeometry(DialogUnitsRect(25, 169, 32, 8));
  PlaceEdit(oraclePasswordEdit, DialogUnitsRect(85, 165, 80, 14), true);

  mySqlGroup.setGeometry(DialogUnitsRect(238, 76, 171, 119));
  mySqlServerLabel.setGeometry(DialogUnitsRect(247, 108, 54, 8));
  PlaceEdit(mySqlServerEdit, DialogUnitsRect(305, 105, 89, 14), false);
  mySqlLoginLabel.setGeometry(DialogUnitsRect(247, 138, 38, 8));
  PlaceEdit(mySqlLoginEdit, DialogUnitsRect(305, 135, 89, 14), false);
  mySqlPasswordLabel.setGeometry(DialogUnitsRect(247, 168, 32, 8));
  PlaceEdit(mySqlPasswordEdit, DialogUnitsRect(305, 165, 89, 14), true);

  databaseGroup.setGeometry(DialogUnitsRect(10, 76, 171, 135));
  destinationLabel.setGeometry(DialogUnitsRect(21, 105, 136, 8));
  PlaceEdit(destinationNameEdit, DialogUnitsRect(21, 122, 149, 14), false);
  selectHintLabel.setGeometry(DialogUnitsRect(21, 150, 148, 32));
  selectHintLabel.setWordWrap(true);
  selectHintLabel.setAlignment(Qt::AlignLeft | Qt::AlignTop);

  tablesGroup.setGeometry(DialogUnitsRect(238, 76, 171, 135));
  tableList.setGeometry(DialogUnitsRect(246, 88, 149, 107));
  tableList.setSelectionMode(QAbstractItemView::SingleSelection);
  tableList.setSortingEnabled(false);
  tableList.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  tableList.setFocusPolicy(Qt::StrongFocus);
  selectAllCheck.setGeometry(DialogUnitsRect(247, 199, 45, 10));
  selectAllCheck.setFocusPolicy(Qt::StrongFocus);
  tableCountCaption.setGeometry(DialogUnitsRect(238, 219, 84, 8));
  tableCountLabel.setGeometry(DialogUnitsRect(326, 219, 24, 8));

  waitLabel.setGeometry(DialogUnitsRect(10, 221, 158, 8));
  activityBar.setGeometry(DialogUnitsRect(10, 233, 198, 11));
  statusLabel.setGeometry(DialogUnitsRect(10, 249, 197, 10));
  tablesBar.setGeometry(DialogUnitsRect(10, 261, 198, 11));
  for (QProgressBar* bar : {&activityBar, &tablesBar}) {
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
  }
  stopButton.LoadImages(ArtworkPath("stop_up"), ArtworkPath("stop_down"),
                        ArtworkPath("stop_focus"));
  stopButton.setGeometry(DialogUnitsRect(221, 234, 46, 37));
  stopButton.setFocusPolicy(Qt::TabFocus);

  PlacePicture(arrowPicture, "arrow", DialogUnitsRect(188, 93, 47, 95));
  PlacePicture(headerPicture, "banner", DialogUnitsRect(0, 0, 418, 55));

  PlaceTile(logoButton, "logo_up", "logo_down", nullptr, QPoint(20, 7));
  PlaceTile(convertButton, "convert_up", "convert_down", "convert_focus", QPoint(535, 455));
  PlaceTile(helpButton, "help_up", "help_down", "help_focus", QPoint(395, 455));
  PlaceTile(exitButton, "exit_up", "exit_down", "exit_focus", QPoint(465, 455));
  PlaceTile(nextButton, "next_up", "next_down", "next_focus", QPoint(535, 455));
  PlaceTile(greyConvertButton, "convert_grey", "convert_grey", nullptr, QPoint(535, 455));
  PlaceTile(backButton, "back_up", "back_down", "back_focus", QPoint(326, 455));

  activityTimer.setInterval(10);

  byId_ = {{kServiceNameEdit, &serviceNameEdit},
           {kOracleUserEdit, &oracleUserEdit},
           {kOraclePasswordEdit, &oraclePasswordEdit},
           {kNextButton, &nextButton},
           {kServiceNameLabel, &serviceNameLabel},
           {kOracleUserLabel, &oracleUserLabel},
           {kOraclePasswordLabel, &oraclePasswordLabel},
           {kConvertButton, &convertButton},
           {kHelpButton, &helpButton},
           {kMySqlGroup, &mySqlGroup},
           {kMySqlServerEdit, &mySqlServerEdit},
           {kMySqlLoginEdit, &mySqlLoginEdit},
           {kMySqlPasswordEdit, &mySqlPasswordEdit},
           {kMySqlServerLabel, &mySqlServerLabel},
           {kMySqlLoginLabel, &mySqlLoginLabel},
           {kMySqlPasswordLabel, &mySqlPasswordLabel},
           {kOracleGroup, &oracleGroup},
           {kExitButton, &exitButton},
           {kLogoButton, &logoButton},
           {kGreyConvertButton, &greyConvertButton},
           {kBackButton, &backButton},
           {kStopButton, &stopButton},
           {kWaitLabel, &waitLabel},
           {kActivityBar, &activityBar},
           {kTablesBar, &tablesBar},
           {kStatusLabel, &statusLabel},
           {kDestinationLabel, &destinationLabel},
           {kSelectHintLabel, &selectHintLabel},
           {kTableCountLabel, &tableCountLabel},
           {kTableCountCaption, &tableCountCaption},
           {kDatabaseGroup, &databaseGroup},
           {kDestinationNameEdit, &destinationNameEdit},
           {kTablesGroup, &tablesGroup},
           {kTableList, &tableList},
           {kSelectAllCheck, &selectAllCheck}};
}

QWidget* MainWindowControls::ById(int controlId) const {
  auto found = byId_.find(controlId);
  return found == byId_.end() ? nullptr : found->second;
}

}  // namespace skerrow::ui
