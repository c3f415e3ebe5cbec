// The two pages: which controls each shows, the table check list and Select All.
#include <vector>

#include "ui/gui_thread.h"
#include "ui/main_window_controls.h"
#include "ui/skerrow_dlg.h"

namespace skerrow::ui {

namespace {

void SetVisible(const std::vector<QWidget*>& widgets, bool visible) {
  for (QWidget* widget : widgets) widget->setVisible(visible);
}

std::vector<QWidget*> ConnectionPageSet(MainWindowControls& c) {
  return {&c.oracleGroup,        &c.serviceNameLabel,    &c.serviceNameEdit,    &c.oracleUserLabel,
          &c.oracleUserEdit,     &c.oraclePasswordLabel, &c.oraclePasswordEdit, &c.mySqlGroup,
          &c.mySqlServerLabel,   &c.mySqlServerEdit,     &c.mySqlLoginLabel,    &c.mySqlLoginEdit,
          &c.mySqlPasswordLabel, &c.mySqlPasswordEdit};
}

std::vector<QWidget*> SelectionPageSet(MainWindowControls& c) {
  return {&c.databaseGroup,       &c.selectHintLabel,   &c.destinationLabel,
          &c.destinationNameEdit, &c.tablesGroup,       &c.tableList,
          &c.selectAllCheck,      &c.tableCountCaption, &c.tableCountLabel};
}

void SetSelectionInputsEnabled(MainWindowControls& c, bool enabled) {
  c.selectAllCheck.setEnabled(enabled);
  c.destinationNameEdit.setEnabled(enabled);
  c.tableList.setEnabled(enabled);
}

}  // namespace

void CSkerrowDlg::ResetTableList(int total) {
  RunOnGuiThread(*this, [&] {
    controls_->tableList.clear();
    controls_->tableCountLabel.setText(QString::number(total));
  });
}

void CSkerrowDlg::AddTableItem(const std::string& name) {
  RunOnGuiThread(*this, [&] {
    auto item = std::make_unique<QListWidgetItem>(QString::fromStdString(name));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    controls_->tableList.addItem(item.release());  // the list takes ownership
  });
}

void CSkerrowDlg::SetNavigationEnabled(bool enabled) {
  RunOnGuiThread(*this, [&] {
    controls_->nextButton.setEnabled(enabled);
    controls_->convertButton.setEnabled(enabled);
    // The connection step blocks this thread; show the pressed look before it does.
    controls_->nextButton.repaint();
  });
}

void CSkerrowDlg::ShowSelectionPage(const std::string& defaultDatabaseName) {
  RunOnGuiThread(*this, [&] {
    MainWindowControls& c = *controls_;
    c.destinationNameEdit.setText(QString::fromStdString(defaultDatabaseName));
    SetVisible(ConnectionPageSet(c), false);
    SetVisible(SelectionPageSet(c), true);
    c.nextButton.hide();
    c.convertButton.show();
    c.backButton.show();
    c.nextButton.setEnabled(true);
    c.convertButton.setEnabled(true);
    // The page's first control; the focus may have been on Next, which is gone.
    c.destinationNameEdit.setFocus();
  });
}

void CSkerrowDlg::ShowConnectionPage() {
  RunOnGuiThread(*this, [&] {
    // Locked while a run is in progress: it would empty the list the run reads.
    if (pageLocked_) return;
    MainWindowControls& c = *controls_;
    for (QLineEdit* field : {&c.mySqlLoginEdit, &c.mySqlPasswordEdit, &c.serviceNameEdit,
                             &c.oracleUserEdit, &c.oraclePasswordEdit})
      field->clear();
    c.selectAllCheck.setChecked(false);
    c.tableList.clear();
    SetVisible(ConnectionPageSet(c), true);
    c.nextButton.show();
    c.convertButton.hide();
    c.backButton.hide();
    SetVisible(SelectionPageSet(c), false);
    c.serviceNameEdit.setFocus();
  });
}

void CSkerrowDlg::LockSelection() {
  RunOnGuiThread(*this, [&] {
    keyboardRun_ = focusWidget() == &controls_->convertButton;
    SetSelectionInputsEnabled(*controls_, false);
    controls_->greyConvertButton.show();
    controls_->convertButton.hide();
  });
}

void CSkerrowDlg::UnlockSelection() {
  RunOnGuiThread(*this, [&] {
    SetSelectionInputsEnabled(*controls_, true);
    controls_->greyConvertButton.hide();
    controls_->convertButton.show();
    // A run started from the keyboard gives the focus back where it began.
    if (keyboardRun_) controls_->convertButton.setFocus();
    keyboardRun_ = false;
  });
}

void CSkerrowDlg::ClearTableChecks() {
  RunOnGuiThread(*this, [&] {
    SetAllTableChecks(false);
    controls_->selectAllCheck.setChecked(false);
  });
}

void CSkerrowDlg::SetAllTableChecks(bool checked) {
  QListWidget& list = controls_->tableList;
  settingAllChecks_ = true;
  for (int i = 0; i < list.count(); ++i)
    list.item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  settingAllChecks_ = false;
}

void CSkerrowDlg::OnSelectAllClicked(bool checked) {
  SetAllTableChecks(checked);
}

void CSkerrowDlg::SyncSelectAll() {
  RunOnGuiThread(*this, [&] {
    if (settingAllChecks_) return;
    QListWidget& list = controls_->tableList;
    if (list.count() == 0) return;
    bool allChecked = true;
    for (int i = 0; i < list.count() && allChecked; ++i)
      allChecked = list.item(i)->checkState() == Qt::Checked;
    controls_->selectAllCheck.setChecked(allChecked);
  });
}

int CSkerrowDlg::TableItemCount() {
  return RunOnGuiThread(*this, [&] { return controls_->tableList.count(); });
}

bool CSkerrowDlg::IsTableItemChecked(int index) {
  return RunOnGuiThread(*this, [&] {
    const QListWidgetItem* item = controls_->tableList.item(index);
    return item != nullptr && item->checkState() == Qt::Checked;
  });
}

void CSkerrowDlg::SetSelectAllChecked(bool checked) {
  RunOnGuiThread(*this, [&] { controls_->selectAllCheck.setChecked(checked); });
}

}  // namespace skerrow::ui
