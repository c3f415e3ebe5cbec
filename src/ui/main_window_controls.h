#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QStyle>
#include <QTimer>
#include <map>
#include <memory>

#include "ui/nav_button.h"

namespace skerrow::ui {

// Every control of the main window, placed as laid out in dialog units, owned by value. The
// widgets are children of the window; declaration order is stacking order (later on top).
struct MainWindowControls {
  explicit MainWindowControls(QWidget& window);
  MainWindowControls(const MainWindowControls&) = delete;
  MainWindowControls& operator=(const MainWindowControls&) = delete;

  // The widget of a control id, or nullptr when the id names no control.
  QWidget* ById(int controlId) const;

  // Draws the group box titles on the frame line; declared first so it outlives the boxes.
  std::unique_ptr<QStyle> groupBoxStyle;
  // Page 1.
  QGroupBox oracleGroup;
  QLabel serviceNameLabel, oracleUserLabel, oraclePasswordLabel;
  QLineEdit serviceNameEdit, oracleUserEdit, oraclePasswordEdit;
  QGroupBox mySqlGroup;
  QLabel mySqlServerLabel, mySqlLoginLabel, mySqlPasswordLabel;
  QLineEdit mySqlServerEdit, mySqlLoginEdit, mySqlPasswordEdit;
  // Page 2.
  QGroupBox databaseGroup;
  QLabel destinationLabel;
  QLineEdit destinationNameEdit;
  QLabel selectHintLabel;
  QGroupBox tablesGroup;
  QListWidget tableList;
  QCheckBox selectAllCheck;
  QLabel tableCountCaption, tableCountLabel;
  // The run panel.
  QLabel waitLabel;
  QProgressBar activityBar;
  QLabel statusLabel;
  QProgressBar tablesBar;
  NavButton stopButton;
  // Pictures and navigation tiles.
  QLabel arrowPicture;
  QLabel headerPicture;
  NavButton nextButton, logoButton, helpButton, exitButton, convertButton, greyConvertButton,
      backButton;

  QTimer activityTimer;

 private:
  std::map<int, QWidget*> byId_;
};

}  // namespace skerrow::ui
