#include "ui/skerrow_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <cstdlib>
#include <vector>

#include "ui/artwork.h"
#include "ui/gui_thread.h"
#include "ui/local_documents.h"
#include "ui/main_window_controls.h"
#include "ui/ui_colours.h"
#include "ui/ui_fonts.h"
#include "workflow/connection_step.h"
#include "workflow/control_ids.h"
#include "workflow/conversion_run.h"

namespace skerrow::ui {

namespace {

// At exit during a run: the worker is left to the end of the process; the kernel closes the
// server connection with it, so nothing more is sent on it from this side.
void EndProcessNow(std::thread worker) {
  worker.detach();
  std::_Exit(0);
}

}  // namespace

CSkerrowDlg::CSkerrowDlg(ConversionState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      state_(state),
      openUrl_(OpenWithDesktop),
      endProcess_(EndProcessNow) {
  InitArtworkResources();
  setWindowTitle(QStringLiteral("Veltrano Database Converter - Skerrow"));
  setWindowIcon(ProgramIcon());
  setFont(DialogFont());
  setFixedSize(kClientWidth, kClientHeight);
  // One palette (one background brush) for the window and every label, group box and check
  // box; the edits, the list and the bars keep their own look.
  const QPalette systemPalette = palette();
  const QPalette panel = MakePanelPalette(systemPalette);
  setPalette(panel);
  setAutoFillBackground(true);

  controls_ = std::make_unique<MainWindowControls>(*this);
  MainWindowControls& c = *controls_;
  for (QWidget* own : std::initializer_list<QWidget*>{
           &c.serviceNameEdit, &c.oracleUserEdit, &c.oraclePasswordEdit, &c.mySqlServerEdit,
           &c.mySqlLoginEdit, &c.mySqlPasswordEdit, &c.destinationNameEdit, &c.tableList,
           &c.activityBar, &c.tablesBar})
    own->setPalette(systemPalette);
  const QPalette heading = MakeHeadingPalette(panel);
  const QFont headingFont = HeadingFont();
  for (QWidget* group : std::initializer_list<QWidget*>{&c.oracleGroup, &c.mySqlGroup,
                                                        &c.databaseGroup, &c.tablesGroup}) {
    group->setFont(headingFont);
    if (c.groupBoxStyle) group->setStyle(c.groupBoxStyle.get());
    group->setPalette(heading);
  }

  FixTabOrder();

  for (QWidget* hidden : std::initializer_list<QWidget*>{
           &c.waitLabel, &c.statusLabel, &c.activityBar, &c.tablesBar, &c.stopButton,
           &c.convertButton, &c.greyConvertButton, &c.backButton, &c.databaseGroup,
           &c.selectHintLabel, &c.destinationLabel, &c.destinationNameEdit, &c.tablesGroup,
           &c.tableList, &c.selectAllCheck, &c.tableCountCaption, &c.tableCountLabel})
    hidden->hide();
  c.mySqlServerEdit.setText(QStringLiteral("localhost"));
  // The one-line labels, measured in the font they are drawn with (the wrapping hint keeps
  // its box).
  for (QWidget* label : std::initializer_list<QWidget*>{
           &c.serviceNameLabel, &c.oracleUserLabel, &c.oraclePasswordLabel, &c.mySqlServerLabel,
           &c.mySqlLoginLabel, &c.mySqlPasswordLabel, &c.destinationLabel, &c.selectAllCheck,
           &c.tableCountCaption, &c.waitLabel})
    FitLabelWidth(*label);

  ConnectCommands();
  qApp->installEventFilter(this);
  c.serviceNameEdit.setFocus();
}

CSkerrowDlg::~CSkerrowDlg() = default;

void CSkerrowDlg::FixTabOrder() {
  // Every control a page shows takes the focus, in reading order: the fields, then the tiles
  // along the bottom. Hidden and disabled ones are passed over, so one chain serves both
  // pages and the run (where Stop stands in for Convert).
  MainWindowControls& c = *controls_;
  const std::vector<QWidget*> chain = {
      &c.serviceNameEdit, &c.oracleUserEdit,    &c.oraclePasswordEdit,  &c.mySqlServerEdit,
      &c.mySqlLoginEdit,  &c.mySqlPasswordEdit, &c.destinationNameEdit, &c.tableList,
      &c.selectAllCheck,  &c.backButton,        &c.helpButton,          &c.exitButton,
      &c.nextButton,      &c.convertButton,     &c.stopButton};
  for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void CSkerrowDlg::ConnectCommands() {
  MainWindowControls& c = *controls_;
  connect(&c.nextButton, &NavButton::clicked, this, [this] { RunConnectionStep(); });
  connect(&c.convertButton, &NavButton::clicked, this, [this] { StartRun(); });
  connect(&c.backButton, &NavButton::clicked, this, [this] { ShowConnectionPage(); });
  connect(&c.helpButton, &NavButton::clicked, this, [this] { OpenHelpFile(); });
  connect(&c.exitButton, &NavButton::clicked, this, [this] { RequestExit(); });
  connect(&c.logoButton, &NavButton::clicked, this, [this] { OpenAboutBox(); });
  connect(&c.stopButton, &NavButton::clicked, this, [this] { RequestStop(state_); });
  // The grey Convert stands in during a run; clicking it does nothing.
  connect(&c.selectAllCheck, &QCheckBox::clicked, this,
          [this](bool checked) { OnSelectAllClicked(checked); });
  connect(&c.tableList, &QListWidget::itemChanged, this, [this] { SyncSelectAll(); });
  connect(&c.tableList, &QListWidget::currentRowChanged, this, [this] { SyncSelectAll(); });
  connect(&c.activityTimer, &QTimer::timeout, this, [this] { StepActivityBar(); });
}

void CSkerrowDlg::RunConnectionStep() {
  try {
    ConnectAndListTables(state_, *this);
  } catch (const std::exception& error) {
    // Whatever the step did not handle is told, and the page stays usable.
    MessageRequest failure;
    failure.text = std::string("The connection step failed: ") + error.what();
    failure.caption = "Message";
    failure.icon = MessageIcon::Warning;
    failure.kind = MessageKind::Error;
    ShowMessage(failure);
    SetNavigationEnabled(true);
  }
}

void CSkerrowDlg::StartRun() {
  // Locked from the click on: the worker reads the page while it prepares the database, and
  // Back would empty it under it.
  if (pageLocked_) return;
  pageLocked_ = true;
  if (!StartConversion(state_, *this)) {
    pageLocked_ = false;
    return;
  }
  controls_->backButton.setEnabled(false);
}

void CSkerrowDlg::OnRunEnded() {
  RunOnGuiThread(*this, [&] {
    pageLocked_ = false;
    controls_->backButton.setEnabled(true);
  });
}

QWidget* CSkerrowDlg::Control(int controlId) const {
  return controls_->ById(controlId);
}

NavButton& CSkerrowDlg::Tile(int controlId) const {
  MainWindowControls& c = *controls_;
  switch (controlId) {
    case kNextButton:
      return c.nextButton;
    case kLogoButton:
      return c.logoButton;
    case kHelpButton:
      return c.helpButton;
    case kExitButton:
      return c.exitButton;
    case kConvertButton:
      return c.convertButton;
    case kGreyConvertButton:
      return c.greyConvertButton;
    case kBackButton:
      return c.backButton;
    default:
      return c.stopButton;
  }
}

QListWidget& CSkerrowDlg::TableList() const {
  return controls_->tableList;
}

bool CSkerrowDlg::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  // Keys of the main window and its controls only; message boxes and the about box keep theirs.
  if (widget == nullptr || widget->window() != this) return false;
  return HandleKey(static_cast<QKeyEvent&>(*event), *watched);
}

bool CSkerrowDlg::HandleKey(QKeyEvent& key, QObject& target) {
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // A focused tile is pressed as with Space; in a field Enter does nothing.
      if (auto* tile = qobject_cast<NavButton*>(&target);
          tile != nullptr && key.type() == QEvent::KeyPress && !key.isAutoRepeat() &&
          tile->isEnabled() && tile->isVisible())
        tile->click();
      return true;
    case Qt::Key_Escape:
      if (key.type() == QEvent::KeyPress && !key.isAutoRepeat() &&
          AskExitQuestion("Do you want to exit from Veltrano Database Converter - Skerrow?") ==
              MessageAnswer::Yes)
        RequestExit();
      return true;
    case Qt::Key_F1:
      if (key.type() == QEvent::KeyPress) OpenHelpFile();
      return true;
    default:
      return false;
  }
}

void CSkerrowDlg::closeEvent(QCloseEvent* event) {
  if (exitConfirmed_) {
    event->accept();
    return;
  }
  event->ignore();
  RequestExit();
}

void CSkerrowDlg::reject() {
  RequestExit();
}

}  // namespace skerrow::ui
