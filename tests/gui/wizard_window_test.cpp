// The wizard window on its own: start-up state, page flow, Select All, keys, tiles, about box,
// help and exit. The workflow is not involved; its calls are made directly.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>
#include <set>
#include <thread>

#include "message_box_answerer.h"
#include "ui/about_dialog.h"
#include "ui/local_documents.h"
#include "ui/nav_button.h"
#include "ui/skerrow_dlg.h"
#include "workflow/control_ids.h"

using skerrow::ConversionState;
using skerrow::ui::CSkerrowDlg;
using skerrow::ui::NavButton;
using namespace skerrow;

namespace {

const std::vector<int> kPageOneIds = {1016, 1004, 1000, 1005, 1001, 1006, 1002,
                                      1009, 1013, 1010, 1014, 1011, 1015, 1012};
const std::vector<int> kPageTwoIds = {1053, 1029, 1028, 1054, 1055, 1056, 1057, 1039, 1035};
const std::vector<int> kAlwaysShownIds = {kLogoButton, kHelpButton, kExitButton};
const std::vector<int> kRunPanelIds = {1022, 1025, 1023, 1024, kStopButton};
const char kExitQuestion[] = "Do you want to exit from Veltrano Database Converter - Skerrow?";

// A freshly opened wizard whose desktop requests are recorded instead of opened.
struct Wizard {
  ConversionState state;
  CSkerrowDlg window{state};
  std::vector<QUrl> opened;

  Wizard() {
    window.SetUrlOpener([this](const QUrl& url) {
      opened.push_back(url);
      return true;
    });
    window.show();
    window.activateWindow();
  }
  QLineEdit& Edit(int id) { return *qobject_cast<QLineEdit*>(window.Control(id)); }
  QCheckBox& SelectAll() { return *qobject_cast<QCheckBox*>(window.Control(kSelectAllCheck)); }
  QListWidget& List() { return window.TableList(); }
  void ClickTile(int id) { QTest::mouseClick(&window.Tile(id), Qt::LeftButton); }
  // Page 2 as the connection step leaves it.
  void EnterSelectionPage(const std::vector<std::string>& tables) {
    window.SetNavigationEnabled(false);
    window.ResetTableList(static_cast<int>(tables.size()));
    for (const auto& name : tables) window.AddTableItem(name);
    window.ShowSelectionPage("ORCL");
  }
  std::set<int> VisibleIds() {
    std::set<int> visible;
    for (int id = 1000; id <= 1057; ++id)
      if (QWidget* widget = window.Control(id); widget && widget->isVisible()) visible.insert(id);
    return visible;
  }
};

std::set<int> Union(std::initializer_list<std::vector<int>> parts) {
  std::set<int> all;
  for (const auto& part : parts) all.insert(part.begin(), part.end());
  return all;
}

}  // namespace

class WizardWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void StartsOnPageOneWithOnlyTheServerFilled() {
    Wizard wizard;
    QVERIFY(QTest::qWaitForWindowExposed(&wizard.window));
    QCOMPARE(wizard.window.windowTitle(), QString("Veltrano Database Converter - Skerrow"));
    QCOMPARE(wizard.window.size(), QSize(627, 526));
    QVERIFY(!wizard.window.windowIcon().isNull());
    for (int id : {1000, 1001, 1002, 1011, 1012})
      QVERIFY2(wizard.Edit(id).text().isEmpty(), qPrintable(QString::number(id)));
    QCOMPARE(wizard.Edit(kMySqlServerEdit).text(), QString("localhost"));
    QCOMPARE(wizard.Edit(kOraclePasswordEdit).echoMode(), QLineEdit::Password);
    QCOMPARE(wizard.Edit(kMySqlPasswordEdit).echoMode(), QLineEdit::Password);
    QCOMPARE(wizard.VisibleIds(), Union({kPageOneIds, kAlwaysShownIds, {kNextButton}}));
    QCOMPARE(wizard.window.Control(kActivityBar)->property("value").toInt(), 0);
    QCOMPARE(wizard.window.Control(kTablesBar)->property("value").toInt(), 0);
    skerrow::test::SaveScreenshot(wizard.window, "page1");
  }

  void ControlsSitAtTheirDialogUnitPlaces_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Oracle group") << 1016 << QRect(15, 123, 256, 193);
    QTest::newRow("service name") << 1000 << QRect(127, 170, 120, 22);
    QTest::newRow("MySQL password") << 1012 << QRect(457, 268, 133, 22);
    QTest::newRow("table list") << 1056 << QRect(369, 143, 223, 173);
    QTest::newRow("status line") << 1025 << QRect(15, 404, 295, 16);
    QTest::newRow("Stop") << 1021 << QRect(331, 380, 69, 60);
    QTest::newRow("Logo") << int(kLogoButton) << QRect(20, 7, 73, 66);
    QTest::newRow("Back") << int(kBackButton) << QRect(326, 455, 70, 61);
    QTest::newRow("Next") << int(kNextButton) << QRect(535, 455, 70, 61);
    QTest::newRow("grey Convert") << int(kGreyConvertButton) << QRect(535, 455, 70, 61);
  }
  void ControlsSitAtTheirDialogUnitPlaces() {
    QFETCH(int, id);
    QFETCH(QRect, geometry);
    Wizard wizard;
    QCOMPARE(wizard.window.Control(id)->geometry(), geometry);
  }

  void GroupTitlesUseTheBoldHeadingFont() {
    Wizard wizard;
    for (int id : {1016, 1009, 1053, 1055}) {
      const QFont font = wizard.window.Control(id)->font();
      QCOMPARE(font.pixelSize(), 16);
      QCOMPARE(font.weight(), QFont::Bold);
      QCOMPARE(wizard.window.Control(id)->palette().color(QPalette::WindowText),
               QColor(0, 70, 213));
    }
    QVERIFY(wizard.window.Control(kServiceNameLabel)->font().weight() != QFont::Bold);
    QCOMPARE(wizard.window.palette().color(QPalette::Window), QColor(240, 247, 255));
  }

  // Every control a page shows takes the focus in reading order, and Tab comes round again;
  // Shift+Tab goes back the same way.
  void TabVisitsEveryControlOfThePageInReadingOrder_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QList<int>>("order");
    QTest::newRow("page 1") << 1 << QList<int>{1000, 1001,        1002,        1010,       1011,
                                               1012, kHelpButton, kExitButton, kNextButton};
    QTest::newRow("page 2") << 2 << QList<int>{kDestinationNameEdit, kTableList,  kSelectAllCheck,
                                               kBackButton,          kHelpButton, kExitButton,
                                               kConvertButton};
    // During a run the page's inputs are disabled, Back is hidden and Stop stands in for
    // Convert.
    QTest::newRow("running") << 3 << QList<int>{kHelpButton, kExitButton, kStopButton};
  }
  void TabVisitsEveryControlOfThePageInReadingOrder() {
    QFETCH(int, page);
    QFETCH(QList<int>, order);
    Wizard wizard;
    QVERIFY(QTest::qWaitForWindowActive(&wizard.window));
    if (page == 1) QCOMPARE(QApplication::focusWidget(), wizard.window.Control(kServiceNameEdit));
    if (page >= 2) {
      wizard.EnterSelectionPage({"EMP", "DEPT"});
      // The page's first control has the focus.
      QCOMPARE(QApplication::focusWidget(), wizard.window.Control(kDestinationNameEdit));
    }
    if (page == 3) {
      wizard.window.LockSelection();
      wizard.window.ShowProgressPanel();
      wizard.window.Control(kHelpButton)->setFocus();
    }
    QCOMPARE(QApplication::focusWidget(), wizard.window.Control(order.front()));
    for (int round = 0; round < 2; ++round) {
      for (qsizetype i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), wizard.window.Control(order[i % order.size()]));
      }
    }
    for (qsizetype i = order.size() - 1; i >= 0; --i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
      QCOMPARE(QApplication::focusWidget(), wizard.window.Control(order[i]));
    }
  }

  // A tile reached with Tab shows its focus picture (the frame is part of the artwork); the
  // mouse does not leave one behind.
  void AFocusedTileShowsItsFocusFrame() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    QVERIFY(QTest::qWaitForWindowActive(&wizard.window));
    auto expectFrame = [&](int id) {
      NavButton& tile = wizard.window.Tile(id);
      const QString stem = tile.ShownImagePath().section('_', 0, 0);
      QCOMPARE(tile.focusPolicy(), Qt::TabFocus);
      tile.setFocus(Qt::TabFocusReason);
      QVERIFY(tile.hasFocus());
      QCOMPARE(tile.ShownImagePath(), stem + "_focus.png");
      // A frame, not the same picture under another name.
      QVERIFY(QImage(stem + "_focus.png") != QImage(stem + "_up.png"));
    };
    for (int id : {kHelpButton, kExitButton, kNextButton}) expectFrame(id);
    wizard.EnterSelectionPage({"EMP", "DEPT"});
    for (int id : {kBackButton, kConvertButton}) expectFrame(id);
    skerrow::test::SaveScreenshot(wizard.window, "focus");
    for (int id : {kLogoButton, kGreyConvertButton})
      QCOMPARE(wizard.window.Tile(id).focusPolicy(), Qt::NoFocus);
    // A click on Help opens the help, and the focus stays where it was.
    wizard.Edit(kDestinationNameEdit).setFocus();
    wizard.ClickTile(kHelpButton);
    QCOMPARE(wizard.opened.size(), std::size_t{1});
    QCOMPARE(QApplication::focusWidget(), wizard.window.Control(kDestinationNameEdit));
    QCOMPARE(wizard.window.Tile(kHelpButton).ShownImagePath(), QString(":/skerrow/help_up.png"));
    wizard.window.ShowProgressPanel();
    expectFrame(kStopButton);
  }

  // Space or Enter on a focused tile does what a click does.
  void SpaceOrEnterPressesTheFocusedTile_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
  }
  void SpaceOrEnterPressesTheFocusedTile() {
    QFETCH(int, key);
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    QVERIFY(QTest::qWaitForWindowActive(&wizard.window));
    auto press = [&](int id) {
      QWidget* tile = wizard.window.Control(id);
      tile->setFocus(Qt::TabFocusReason);
      QTest::keyClick(tile, Qt::Key(key));
    };
    // Help opens the help page.
    press(kHelpButton);
    QCOMPARE(wizard.opened.size(), std::size_t{1});
    QCOMPARE(wizard.opened[0].fileName(), QString("skerrow-help.html"));
    // Exit asks; No keeps the window.
    answerer.Queue(QMessageBox::No);
    press(kExitButton);
    QCOMPARE(answerer.Seen().size(), std::size_t{1});
    QCOMPARE(answerer.Seen()[0].text, QString(kExitQuestion));
    // Next runs the connection step, which asks for the service name.
    press(kNextButton);
    QCOMPARE(answerer.Seen().size(), std::size_t{2});
    QCOMPARE(answerer.Seen()[1].text, QString("Please enter Oracle Service Name."));
    // Back shows page 1; Stop asks the run to end.
    wizard.EnterSelectionPage({"EMP"});
    press(kBackButton);
    QVERIFY(wizard.window.Control(kServiceNameEdit)->isVisible());
    wizard.window.ShowProgressPanel();
    press(kStopButton);
    QVERIFY(wizard.state.StopRequested);
    QCOMPARE(answerer.Unexpected(), 0);
  }

  // Tab reaches the list, the current table is the first, Space checks it, the arrows move on.
  void SpaceChecksTheCurrentTableReachedWithTheKeyboard() {
    Wizard wizard;
    QVERIFY(QTest::qWaitForWindowActive(&wizard.window));
    wizard.EnterSelectionPage({"A", "B", "C"});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QListWidget& list = wizard.List();
    QCOMPARE(QApplication::focusWidget(), &list);
    QTest::keyClick(&list, Qt::Key_Space);
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Space);
    QCOMPARE(list.item(0)->checkState(), Qt::Checked);
    QCOMPARE(list.item(1)->checkState(), Qt::Unchecked);
    QCOMPARE(list.item(2)->checkState(), Qt::Checked);
    QVERIFY(!wizard.SelectAll().isChecked());
    // Select All is next: Space checks them all.
    QTest::keyClick(&list, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), &wizard.SelectAll());
    QTest::keyClick(&wizard.SelectAll(), Qt::Key_Space);
    for (int i = 0; i < 3; ++i) QCOMPARE(list.item(i)->checkState(), Qt::Checked);
  }

  void SelectionPageShowsTheListAndProposesTheServiceName() {
    Wizard wizard;
    wizard.EnterSelectionPage({"EMP", "DEPT", "BONUS"});
    QCOMPARE(wizard.VisibleIds(),
             Union({kPageTwoIds, kAlwaysShownIds, {kConvertButton, kBackButton}}));
    QCOMPARE(wizard.Edit(kDestinationNameEdit).text(), QString("ORCL"));
    QCOMPARE(qobject_cast<QLabel*>(wizard.window.Control(kTableCountLabel))->text(), QString("3"));
    QCOMPARE(wizard.List().count(), 3);
    QCOMPARE(wizard.List().item(1)->text(), QString("DEPT"));
    QCOMPARE(wizard.List().item(1)->checkState(), Qt::Unchecked);
    QVERIFY(wizard.window.Tile(kNextButton).isEnabled());
    QVERIFY(wizard.window.Tile(kConvertButton).isEnabled());
  }

  void BackEmptiesTheLoginFieldsAndKeepsTheServer() {
    Wizard wizard;
    for (int id : {1000, 1001, 1002, 1011, 1012}) wizard.Edit(id).setText("typed");
    wizard.Edit(kMySqlServerEdit).setText("db.example");
    wizard.EnterSelectionPage({"EMP", "DEPT"});
    wizard.Edit(kDestinationNameEdit).setText("renamed");
    wizard.SelectAll().click();
    wizard.ClickTile(kBackButton);
    for (int id : {1000, 1001, 1002, 1011, 1012})
      QVERIFY2(wizard.Edit(id).text().isEmpty(), qPrintable(QString::number(id)));
    QCOMPARE(wizard.Edit(kMySqlServerEdit).text(), QString("db.example"));
    QCOMPARE(wizard.Edit(kDestinationNameEdit).text(), QString("renamed"));
    QVERIFY(!wizard.SelectAll().isChecked());
    QCOMPARE(wizard.List().count(), 0);
    QCOMPARE(wizard.VisibleIds(), Union({kPageOneIds, kAlwaysShownIds, {kNextButton}}));
    // The next listing starts from an empty list and proposes the service name again.
    wizard.EnterSelectionPage({"SALGRADE"});
    QCOMPARE(wizard.List().count(), 1);
    QCOMPARE(wizard.Edit(kDestinationNameEdit).text(), QString("ORCL"));
  }

  void SelectAllAndSingleChecksStayInStep() {
    Wizard wizard;
    wizard.EnterSelectionPage({"A", "B", "C"});
    QListWidget& list = wizard.List();
    auto checks = [&] {
      QString states;
      for (int i = 0; i < list.count(); ++i)
        states += list.item(i)->checkState() == Qt::Checked ? 'x' : '-';
      return states;
    };
    wizard.SelectAll().click();
    QCOMPARE(checks(), QString("xxx"));
    QVERIFY(wizard.SelectAll().isChecked());
    wizard.SelectAll().click();
    QCOMPARE(checks(), QString("---"));
    QVERIFY(!wizard.SelectAll().isChecked());

    // Checking the three items one by one checks the box after the third; unchecking one
    // unchecks it again.
    for (int i = 0; i < 3; ++i) {
      QVERIFY(!wizard.SelectAll().isChecked());
      list.item(i)->setCheckState(Qt::Checked);
    }
    QVERIFY(wizard.SelectAll().isChecked());
    list.item(1)->setCheckState(Qt::Unchecked);
    QVERIFY(!wizard.SelectAll().isChecked());
    QCOMPARE(checks(), QString("x-x"));

    // The space bar on the selected item toggles it as a click does.
    list.setFocus();
    list.setCurrentRow(1);
    QTest::keyClick(&list, Qt::Key_Space);
    QCOMPARE(checks(), QString("xxx"));
    QVERIFY(wizard.SelectAll().isChecked());

    wizard.window.ClearTableChecks();
    QCOMPARE(checks(), QString("---"));
    QVERIFY(!wizard.SelectAll().isChecked());
  }

  void SelectAllOnAnEmptyListOnlyTogglesItself() {
    Wizard wizard;
    wizard.EnterSelectionPage({});
    wizard.SelectAll().click();
    QVERIFY(wizard.SelectAll().isChecked());
    wizard.window.SyncSelectAll();
    QVERIFY(wizard.SelectAll().isChecked());
  }

  void LockingDisablesTheInputsAndShowsTheGreyConvert() {
    Wizard wizard;
    wizard.EnterSelectionPage({"A"});
    wizard.window.LockSelection();
    for (int id : {kSelectAllCheck, kDestinationNameEdit, kTableList})
      QVERIFY(!wizard.window.Control(id)->isEnabled());
    QVERIFY(wizard.window.Tile(kGreyConvertButton).isVisible());
    QVERIFY(!wizard.window.Tile(kConvertButton).isVisible());
    // The grey Convert looks the same pressed or not, and a click on it starts nothing.
    NavButton& grey = wizard.window.Tile(kGreyConvertButton);
    QTest::mousePress(&grey, Qt::LeftButton);
    QCOMPARE(grey.ShownImagePath(), QString(":/skerrow/convert_grey.png"));
    QTest::mouseRelease(&grey, Qt::LeftButton);
    QCOMPARE(grey.ShownImagePath(), QString(":/skerrow/convert_grey.png"));
    QVERIFY(!wizard.state.WorkerThread.joinable());
    wizard.window.UnlockSelection();
    for (int id : {kSelectAllCheck, kDestinationNameEdit, kTableList})
      QVERIFY(wizard.window.Control(id)->isEnabled());
    QVERIFY(!grey.isVisible());
    QVERIFY(wizard.window.Tile(kConvertButton).isVisible());
  }

  void TilesShowThePressedPictureOnlyWhileHeld() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    NavButton& exit = wizard.window.Tile(kExitButton);
    QCOMPARE(exit.ShownImagePath(), QString(":/skerrow/exit_up.png"));
    QTest::mousePress(&exit, Qt::LeftButton);
    QCOMPARE(exit.ShownImagePath(), QString(":/skerrow/exit_down.png"));
    // Released outside the tile: back to the up picture, and no command.
    QTest::mouseRelease(&exit, Qt::LeftButton, {}, QPoint(-10, -10));
    QCOMPARE(exit.ShownImagePath(), QString(":/skerrow/exit_up.png"));
    QVERIFY(answerer.Seen().empty());
    // A disabled Next looks pressed.
    wizard.window.SetNavigationEnabled(false);
    QCOMPARE(wizard.window.Tile(kNextButton).ShownImagePath(), QString(":/skerrow/next_down.png"));
    QCOMPARE(wizard.window.Tile(kNextButton).size(), QSize(70, 61));
    QCOMPARE(wizard.window.Tile(kLogoButton).size(), QSize(73, 66));
  }

  void EnterDoesNothing() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    QVERIFY(QTest::qWaitForWindowActive(&wizard.window));
    wizard.Edit(kServiceNameEdit).setText("ORCL");
    for (int id : {kServiceNameEdit, kMySqlPasswordEdit}) {
      wizard.Edit(id).setFocus();
      QTest::keyClick(&wizard.Edit(id), Qt::Key_Return);
      QTest::keyClick(&wizard.Edit(id), Qt::Key_Enter);
    }
    QTest::qWait(50);
    QVERIFY(wizard.window.isVisible());
    QVERIFY(answerer.Seen().empty());
    QCOMPARE(wizard.Edit(kServiceNameEdit).text(), QString("ORCL"));
    QCOMPARE(wizard.VisibleIds(), Union({kPageOneIds, kAlwaysShownIds, {kNextButton}}));
    // Page 2's inputs swallow it too.
    wizard.EnterSelectionPage({"A"});
    for (int id : {kDestinationNameEdit, kTableList, kSelectAllCheck}) {
      wizard.window.Control(id)->setFocus();
      QTest::keyClick(wizard.window.Control(id), Qt::Key_Return);
    }
    QTest::qWait(50);
    QVERIFY(answerer.Seen().empty());
    QCOMPARE(wizard.List().item(0)->checkState(), Qt::Unchecked);
    QVERIFY(!wizard.SelectAll().isChecked());
    QVERIFY(wizard.state.WorkerThread.get_id() == std::thread::id());
  }

  void EscapeAsksAndNoLeavesEverything() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    wizard.EnterSelectionPage({"A"});
    answerer.Queue(QMessageBox::No);
    QTest::keyClick(&wizard.window.TableList(), Qt::Key_Escape);
    QCOMPARE(answerer.Seen().size(), std::size_t{1});
    QCOMPARE(answerer.Seen()[0].text, QString(kExitQuestion));
    QCOMPARE(answerer.Seen()[0].caption, QString("Message"));
    QCOMPARE(answerer.Seen()[0].icon, QMessageBox::Question);
    QVERIFY(wizard.window.isVisible());

    // Yes to the first question, No to the exit flow's own: still open on the same page.
    answerer.Queue(QMessageBox::Yes);
    answerer.Queue(QMessageBox::No);
    QTest::keyClick(&wizard.window.TableList(), Qt::Key_Escape);
    QCOMPARE(answerer.Seen().size(), std::size_t{3});
    QVERIFY(wizard.window.isVisible());
    QVERIFY(wizard.window.TableList().isVisible());
    QVERIFY(wizard.opened.empty());
    QCOMPARE(answerer.Unexpected(), 0);
  }

  void ExitAndTheCloseBoxAskAndNoKeepsTheWindow_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Exit tile") << false;
    QTest::newRow("close box") << true;
  }
  void ExitAndTheCloseBoxAskAndNoKeepsTheWindow() {
    QFETCH(bool, closeBox);
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    answerer.Queue(QMessageBox::No);
    if (closeBox)
      wizard.window.close();
    else
      wizard.ClickTile(kExitButton);
    QCOMPARE(answerer.Seen().size(), std::size_t{1});
    QCOMPARE(answerer.Seen()[0].text, QString(kExitQuestion));
    QVERIFY(wizard.window.isVisible());
    QVERIFY(wizard.opened.empty());

    answerer.Queue(QMessageBox::Yes);
    if (closeBox)
      wizard.window.close();
    else
      wizard.ClickTile(kExitButton);
    QVERIFY(!wizard.window.isVisible());
    QCOMPARE(wizard.window.result(), int(QDialog::Rejected));
    // The goodbye page is a local file beside the program.
    QCOMPARE(wizard.opened.size(), std::size_t{1});
    QVERIFY(wizard.opened[0].isLocalFile());
    QCOMPARE(wizard.opened[0].fileName(), QString("skerrow-about.html"));
    QVERIFY(QFileInfo::exists(wizard.opened[0].toLocalFile()));
  }

  void HelpOpensTheDocumentBesideTheProgram() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    wizard.ClickTile(kHelpButton);
    QTest::keyClick(&wizard.Edit(kServiceNameEdit), Qt::Key_F1);
    QCOMPARE(wizard.opened.size(), std::size_t{2});
    for (const QUrl& url : wizard.opened) {
      QCOMPARE(url.fileName(), QString("skerrow-help.html"));
      QVERIFY(QFileInfo::exists(url.toLocalFile()));
    }
    QVERIFY(answerer.Seen().empty());
  }

  // Nothing on this desktop opens a page (the offscreen platform opens none, like a minimal
  // desktop without a browser): Help, the about box's links and the page at exit say so, with
  // the file's full path, over the window they were asked from.
  void NothingToOpenAPageGivesTheMessageWithItsPath() {
    Wizard wizard;
    wizard.window.SetUrlOpener(skerrow::ui::OpenWithDesktop);
    skerrow::test::MessageBoxAnswerer answerer;
    const QString byHand =
        "could not be opened: nothing on this desktop could open it. You can open it by hand: ";
    const QString help = skerrow::ui::ProgramDocumentPath(skerrow::ui::kHelpDocumentName);
    const QString about = skerrow::ui::ProgramDocumentPath(skerrow::ui::kMakerPageName);
    QVERIFY(QFileInfo::exists(help));

    wizard.ClickTile(kHelpButton);
    QTest::keyClick(&wizard.Edit(kServiceNameEdit), Qt::Key_F1);
    QCOMPARE(answerer.Seen().size(), std::size_t{2});
    for (const auto& seen : answerer.Seen()) {
      QCOMPARE(seen.text, "The help document " + byHand + help);
      QCOMPARE(seen.caption, QString("Message"));
      QCOMPARE(seen.icon, QMessageBox::Warning);
      QCOMPARE(seen.parent, &wizard.window);
    }

    const QWidget* aboutBox = nullptr;
    QTimer::singleShot(50, [&] {
      auto* box = qobject_cast<skerrow::ui::CAboutDlg*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      aboutBox = box;
      QTest::mouseClick(&box->Link(1042), Qt::LeftButton);
      box->OkButton().click();
    });
    wizard.ClickTile(kLogoButton);
    QVERIFY(aboutBox != nullptr);
    QCOMPARE(answerer.Seen().size(), std::size_t{3});
    QCOMPARE(answerer.Seen()[2].text, "The page " + byHand + about);
    QCOMPARE(answerer.Seen()[2].parent, aboutBox);

    answerer.Queue(QMessageBox::Yes);
    wizard.ClickTile(kExitButton);
    QCOMPARE(answerer.Seen().size(), std::size_t{5});
    QCOMPARE(answerer.Seen()[4].text, "The page " + byHand + about);
    QVERIFY(!wizard.window.isVisible());
  }

  void LogoOpensTheAboutBoxWithLocalLinks() {
    Wizard wizard;
    bool inspected = false;
    QTimer::singleShot(50, [&] {
      auto* about = qobject_cast<skerrow::ui::CAboutDlg*>(QApplication::activeModalWidget());
      QVERIFY(about != nullptr);
      QCOMPARE(about->windowTitle(), QString("Veltrano Database Converter - Skerrow"));
      QCOMPARE(about->size(), QSize(429, 146));
      QStringList texts;
      for (QLabel* label : about->findChildren<QLabel*>()) texts << label->text();
      QVERIFY(texts.contains("Version : 4.0.1.6"));
      QVERIFY(texts.contains("Email:"));
      for (int id : {1041, 1042, 1033}) {
        skerrow::ui::LinkLabel& link = about->Link(id);
        QCOMPARE(link.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(link.cursor().hotSpot(), QPoint(12, 1));
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(0, 70, 213));
        QTest::mouseClick(&link, Qt::LeftButton);
      }
      QCOMPARE(about->OkButton().cursor().shape(), Qt::ArrowCursor);
      skerrow::test::SaveScreenshot(*about, "about");
      inspected = true;
      about->OkButton().click();
    });
    wizard.ClickTile(kLogoButton);
    QVERIFY(inspected);
    QCOMPARE(wizard.opened.size(), std::size_t{3});
    for (const QUrl& url : wizard.opened) {
      QVERIFY(url.isLocalFile());
      QCOMPARE(url.fileName(), QString("skerrow-about.html"));
    }
    QCOMPARE(wizard.opened[0].fragment(), QString("support"));
  }

  void StopRequestsTheEndOfTheRun() {
    Wizard wizard;
    wizard.window.ShowProgressPanel();
    QVERIFY(!wizard.state.StopRequested);
    wizard.ClickTile(kStopButton);
    QVERIFY(wizard.state.StopRequested);
  }
};

QTEST_MAIN(WizardWindowTest)
#include "wizard_window_test.moc"
