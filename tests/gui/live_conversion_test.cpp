// The wizard driven like an operator would, against the real MariaDB sandbox and an embedded
// Oracle instance: type the fields, click the tiles, answer the message boxes, and check what
// the server holds afterwards.
//
// The binary also has a child mode (--exit-during-run-child) in which it starts a conversion,
// lets the worker block inside a database call and confirms Exit; the parent test checks that
// the process ends at once.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>

#include "message_box_answerer.h"
#include "support/mysql_sandbox.h"
#include "support/oracle_fixture.h"
#include "ui/nav_button.h"
#include "ui/skerrow_dlg.h"
#include "workflow/control_ids.h"

using namespace skerrow;
using skerrow::test::MessageBoxAnswerer;
using skerrow::test::MySqlProbe;
using skerrow::test::MySqlSandbox;
using skerrow::test::OracleFixture;
using skerrow::ui::CSkerrowDlg;

namespace {

const char kService[] = "GUICLASSIC";
const char kTitle[] = "Veltrano Database Converter - Skerrow";
const char kCompleted[] = "Skerrow Database Conversion completed successfully.";
const char kChildArgument[] = "--exit-during-run-child";
const char kChildDatabaseVariable[] = "SKERROW_GUI_CHILD_DATABASE";
const int kBigRows = 20000;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// The replace question names the database it would drop.
QString OverwriteQuestion(const std::string& database) {
  return "The database " + Q(database) +
         " already exists on the MySQL server. Are you sure you want to overwrite?";
}

QString FirstLine(const QString& text) {
  return text.section('\n', 0, 0);
}

// The line of the details' report table that starts with `table` and a blank, simplified.
QString ReportLine(const QString& details, const QString& table) {
  for (const QString& line : details.split('\n'))
    if (line.startsWith(table + ' ')) return line.simplified();
  return {};
}

// The wizard on a fresh window, with the sandbox's settings at hand.
struct LiveWizard {
  MySqlSandbox sandbox;
  ConversionState state;
  CSkerrowDlg window{state};

  explicit LiveWizard(MySqlSandbox server) : sandbox(std::move(server)) {
    window.SetUrlOpener([](const QUrl&) { return true; });
    window.show();
  }
  // A test that failed half-way may leave its worker running; it must end before the state.
  // Its window calls are served meanwhile, so the worker can finish.
  ~LiveWizard() { WaitForRunEnd(); }

  QLineEdit& Edit(int id) { return *qobject_cast<QLineEdit*>(window.Control(id)); }
  QListWidget& List() { return window.TableList(); }
  QProgressBar& Bar(int id) { return *qobject_cast<QProgressBar*>(window.Control(id)); }
  QString Status() { return qobject_cast<QLabel*>(window.Control(kStatusLabel))->text(); }
  void ClickTile(int id) { QTest::mouseClick(&window.Tile(id), Qt::LeftButton); }

  void Type(int id, const std::string& text) {
    QLineEdit& edit = Edit(id);
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);  // replace what is there
    QTest::keyClicks(&edit, Q(text));
  }

  // Page 1 as the operator fills it, then Next.
  void Connect(const std::string& user = "SCOTT", const std::string& password = "tiger") {
    Type(kServiceNameEdit, kService);
    Type(kOracleUserEdit, user);
    Type(kOraclePasswordEdit, password);
    Type(kMySqlServerEdit, sandbox.host);
    Type(kMySqlLoginEdit, sandbox.user);
    Type(kMySqlPasswordEdit, sandbox.password);
    ClickTile(kNextButton);
  }

  int Row(const QString& table) {
    for (int i = 0; i < List().count(); ++i)
      if (List().item(i)->text() == table) return i;
    return -1;
  }

  // A click on the item's check box, where the style draws it.
  void ClickCheckBox(int row) {
    QListWidget& list = List();
    QListWidgetItem* item = list.item(row);
    list.scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.rect = list.visualItemRect(item);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    option.text = item->text();
    const QRect box =
        list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box.center());
  }

  // Checks the named tables (by clicking their boxes) in list order; false when one is missing
  // or did not change.
  bool CheckTables(const std::vector<QString>& tables) {
    for (const QString& table : tables) {
      const int row = Row(table);
      if (row < 0) return false;
      ClickCheckBox(row);
      if (List().item(row)->checkState() != Qt::Checked) return false;
    }
    return true;
  }

  void Convert(const std::string& database) {
    Edit(kDestinationNameEdit).setFocus();
    Edit(kDestinationNameEdit).selectAll();
    QTest::keyClicks(&Edit(kDestinationNameEdit), Q(database));
    ClickTile(kConvertButton);
  }

  // The run ends on the worker; the GUI thread keeps serving its window calls meanwhile.
  bool WaitForRunEnd(int timeoutMs = 60000) {
    QElapsedTimer timer;
    timer.start();
    while (!state.RunInProgress && state.WorkerThread.joinable() && timer.elapsed() < 2000)
      QTest::qWait(10);
    while (state.RunInProgress && timer.elapsed() < timeoutMs) QTest::qWait(10);
    if (state.RunInProgress) return false;
    if (state.WorkerThread.joinable()) state.WorkerThread.join();
    return true;
  }
};

std::optional<MySqlSandbox> SandboxOrNothing() {
  auto sandbox = MySqlSandbox::FromEnvironment();
  if (sandbox && (sandbox->port < 3306 || sandbox->port > 3309)) return std::nullopt;
  return sandbox;
}

// The table names of a database, sorted.
QStringList TablesOf(MySqlProbe& probe, const std::string& database) {
  QStringList names;
  auto rows = probe.Query("SELECT table_name FROM information_schema.tables WHERE table_schema='" +
                          database + "' ORDER BY table_name");
  if (rows)
    for (const auto& row : *rows) names << Q(row.at(0).value_or(""));
  return names;
}

// Creates `database` with a table that `holder` read-locks: dropping the database then waits
// until the holder unlocks it (UNLOCK TABLES).
bool HoldUpTheDrop(MySqlProbe& probe, MySqlProbe& holder, const std::string& database) {
  return probe.Execute("CREATE DATABASE `" + database + "`") &&
         probe.Execute("CREATE TABLE `" + database + "`.`HELD` (id INT) ENGINE=MyISAM") &&
         holder.Execute("LOCK TABLES `" + database + "`.`HELD` READ");
}

std::string Count(MySqlProbe& probe, const std::string& database, const std::string& table) {
  return probe.Scalar("SELECT COUNT(*) FROM `" + database + "`.`" + table + "`").value_or("?");
}

// The child mode: convert one table into the database named by the parent, which keeps the
// worker blocked in the database call that drops it; then confirm Exit.
int RunExitDuringRunChild(int argc, char** argv) {
  QApplication application(argc, argv);
  auto sandbox = MySqlSandbox::FromEnvironment();
  const QByteArray database = qgetenv(kChildDatabaseVariable);
  if (!sandbox || database.isEmpty()) return 10;
  LiveWizard wizard(*sandbox);
  MessageBoxAnswerer answerer;
  answerer.Queue(QMessageBox::Yes);  // overwrite
  wizard.Connect();
  if (!wizard.CheckTables({"DEPT"})) return 11;
  wizard.Convert(database.toStdString());
  QElapsedTimer timer;
  timer.start();
  while (answerer.Seen().empty() && timer.elapsed() < 20000) QTest::qWait(10);
  if (answerer.Seen().empty() ||
      answerer.Seen()[0].text != OverwriteQuestion(database.toStdString()))
    return 12;
  // The worker is now sending the drop the parent holds up.
  QTest::qWait(500);
  if (!wizard.state.RunInProgress) return 13;
  answerer.Queue(QMessageBox::Yes);  // exit
  std::printf("exit confirmed\n");
  std::fflush(stdout);
  wizard.ClickTile(kExitButton);
  // Only reached when the exit flow returned instead of ending the process.
  return 14;
}

}  // namespace

class LiveConversionTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<OracleFixture> oracle_;

  std::unique_ptr<LiveWizard> OpenWizard() {
    auto sandbox = SandboxOrNothing();
    if (!sandbox) return nullptr;
    return std::make_unique<LiveWizard>(*sandbox);
  }

 private slots:
  void initTestCase() {
    // Needs the server: a missing sandbox fails, it does not skip.
    auto sandbox = MySqlSandbox::FromEnvironment();
    QVERIFY2(sandbox.has_value(),
             "The MariaDB sandbox is not running: SKERROW_TEST_MYSQL_* are not set.");
    QVERIFY2(sandbox->port >= 3306 && sandbox->port <= 3309,
             "The wizard reaches MySQL on ports 3306 to 3309 only; the sandbox listens elsewhere.");
    MySqlProbe probe(*sandbox);
    QVERIFY2(probe.Connected(), probe.Error().c_str());
    oracle_ = std::make_unique<OracleFixture>(kService, std::vector<std::string>{"classic.sql"});
    QVERIFY2(oracle_->Ok(), oracle_->Error().c_str());
    // A user with a table that takes many INSERT statements, so a run can be held up between
    // two of them.
    std::string bulk =
        "CREATE USER bulk IDENTIFIED BY bulk;\nCONNECT bulk/bulk\n"
        "CREATE TABLE big (id NUMBER(10) PRIMARY KEY, txt VARCHAR2(200));\n";
    const std::string text(180, 'x');
    for (int id = 1; id <= kBigRows; ++id)
      bulk += "INSERT INTO big VALUES (" + std::to_string(id) + ", '" + text + "');\n";
    QVERIFY2(oracle_->LoadText(bulk + "COMMIT;\n", "bulk.sql"), oracle_->Error().c_str());
  }

  void cleanupTestCase() { oracle_.reset(); }

  void ConvertsCheckedTablesThroughTheWindow() {
    auto wizard = OpenWizard();
    QVERIFY(wizard);
    MySqlProbe probe(wizard->sandbox);
    QVERIFY2(probe.Connected(), probe.Error().c_str());
    const std::string database = probe.ScratchDatabase("gui_full");
    // An existing database, so that the overwrite question comes; its table must go.
    QVERIFY(probe.Execute("CREATE DATABASE `" + database + "`"));
    QVERIFY(probe.Execute("CREATE TABLE `" + database + "`.`OLD_STUFF` (id INT)"));

    MessageBoxAnswerer answerer;
    wizard->Connect();
    QVERIFY2(answerer.Seen().empty(),
             answerer.Seen().empty() ? "" : qPrintable(answerer.Seen()[0].text));
    QVERIFY(wizard->List().isVisible());
    QCOMPARE(wizard->List().count(), 4);
    QCOMPARE(qobject_cast<QLabel*>(wizard->window.Control(kTableCountLabel))->text(), QString("4"));
    QCOMPARE(wizard->Edit(kDestinationNameEdit).text(), QString(kService));
    const std::vector<QString> tables = {"DEPT", "EMP", "SALGRADE"};
    QVERIFY(wizard->CheckTables(tables));
    QVERIFY(!qobject_cast<QCheckBox*>(wizard->window.Control(kSelectAllCheck))->isChecked());
    skerrow::test::SaveScreenshot(wizard->window, "page2");

    // What the window shows as the run goes, observed on the GUI thread as it changes.
    QStringList titles, statuses;
    auto noteStatus = [&] {
      if (statuses.isEmpty() || statuses.back() != wizard->Status()) statuses << wizard->Status();
    };
    QObject::connect(&wizard->window, &QWidget::windowTitleChanged, &wizard->window,
                     [&](const QString& title) {
                       titles << title;
                       noteStatus();
                     });
    QObject::connect(&wizard->Bar(kTablesBar), &QProgressBar::valueChanged, &wizard->window,
                     [&](int) { noteStatus(); });
    int barAtCompletion = -1, barMaximum = -1;
    bool panelHiddenAtCompletion = false;
    bool detailsFixedPitch = false;
    answerer.OnSeen([&](const skerrow::test::SeenMessage& seen) {
      if (FirstLine(seen.text) != kCompleted) return;
      barAtCompletion = wizard->Bar(kTablesBar).value();
      barMaximum = wizard->Bar(kTablesBar).maximum();
      panelHiddenAtCompletion = !wizard->window.Control(kStopButton)->isVisible();
      // The details, opened as the operator would, show the report table in a fixed-width
      // font so that its columns line up.
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == QMessageBox::ActionRole) button->click();
      auto* details = box->findChild<QTextEdit*>();
      detailsFixedPitch =
          details != nullptr && details->isVisible() && QFontInfo(details->font()).fixedPitch();
      skerrow::test::SaveScreenshot(*box, "completion");
    });
    answerer.Queue(QMessageBox::Yes);
    wizard->Convert(database);
    QVERIFY(wizard->WaitForRunEnd());

    QCOMPARE(answerer.Unexpected(), 0);
    QCOMPARE(answerer.Seen().size(), std::size_t{2});
    QCOMPARE(answerer.Seen()[0].text, OverwriteQuestion(database));
    QCOMPARE(answerer.Seen()[1].text,
             QString(kCompleted) + "\n3 tables, 23 rows converted into " + Q(database) + ".");
    // Its details: every table with its counts (created as, read, written, refused).
    const QString details = answerer.Seen()[1].details;
    QCOMPARE(ReportLine(details, "DEPT"), QString("DEPT DEPT 4 4 0"));
    QCOMPARE(ReportLine(details, "EMP"), QString("EMP EMP 14 14 0"));
    QCOMPARE(ReportLine(details, "SALGRADE"), QString("SALGRADE SALGRADE 5 5 0"));
    QCOMPARE(ReportLine(details, "Total"), QString("Total 3 tables 23 23 0"));
    QCOMPARE(answerer.Seen()[1].caption, QString("Message"));
    QCOMPARE(statuses,
             (QStringList{"0 of 3 Table(s) are converted.", "1 of 3 Table(s) are converted.",
                          "2 of 3 Table(s) are converted.", "3 of 3 Table(s) are converted."}));
    QVERIFY2(titles.contains("Converting Table: [EMP] 14 rows converted..."),
             qPrintable(titles.join(" | ")));
    QVERIFY(titles.contains("Converting Table: [SALGRADE] 5 rows converted..."));
    QCOMPARE(titles.back(), QString(kTitle));
    QCOMPARE(wizard->window.windowTitle(), QString(kTitle));
    QCOMPARE(barMaximum, 3);
    QCOMPARE(barAtCompletion, 3);
    QVERIFY(panelHiddenAtCompletion);
    QVERIFY(detailsFixedPitch);
    // After the completion message both bars are back at 0 and the page is usable again.
    QCOMPARE(wizard->Bar(kTablesBar).value(), 0);
    QCOMPARE(wizard->Bar(kActivityBar).value(), 0);
    QVERIFY(wizard->window.Tile(kConvertButton).isVisible());
    QVERIFY(wizard->window.Tile(kBackButton).isVisible());
    QVERIFY(!wizard->window.Tile(kGreyConvertButton).isVisible());
    QVERIFY(wizard->List().isEnabled());
    for (int i = 0; i < wizard->List().count(); ++i)
      QCOMPARE(wizard->List().item(i)->checkState(), Qt::Unchecked);

    QCOMPARE(TablesOf(probe, database), (QStringList{"DEPT", "EMP", "SALGRADE"}));
    QCOMPARE(Count(probe, database, "DEPT"), std::string("4"));
    QCOMPARE(Count(probe, database, "EMP"), std::string("14"));
    QCOMPARE(Count(probe, database, "SALGRADE"), std::string("5"));
    QCOMPARE(probe.Scalar("SELECT ename FROM `" + database + "`.`EMP` WHERE empno=7839"),
             std::optional<std::string>("KING"));
  }

  void StopDuringTheSecondOfThreeTablesFinishesItAndStartsNoMore() {
    auto wizard = OpenWizard();
    QVERIFY(wizard);
    MySqlProbe probe(wizard->sandbox);
    QVERIFY2(probe.Connected(), probe.Error().c_str());
    const std::string database = probe.ScratchDatabase("gui_stop");
    MessageBoxAnswerer answerer;
    wizard->Connect();
    QCOMPARE(wizard->List().count(), 4);
    std::vector<QString> checked;
    for (int i = 0; i < 3; ++i) checked.push_back(wizard->List().item(i)->text());
    QVERIFY(wizard->CheckTables(checked));

    // Stop is clicked while the worker waits for the title of the second table's first row.
    bool clicked = false;
    QObject::connect(&wizard->window, &QWidget::windowTitleChanged, &wizard->window,
                     [&](const QString& title) {
                       if (clicked || !title.contains("[" + checked[1] + "]")) return;
                       clicked = true;
                       QVERIFY(wizard->window.Control(kStopButton)->isVisible());
                       wizard->ClickTile(kStopButton);
                     });
    wizard->Convert(database);
    QVERIFY(wizard->WaitForRunEnd());

    QVERIFY(clicked);
    QCOMPARE(answerer.Seen().size(), std::size_t{1});
    // Told as a stop: what arrived and what was never started.
    const auto sourceRows =
        std::map<QString, int>{{"DEPT", 4}, {"EMP", 14}, {"BONUS", 0}, {"SALGRADE", 5}};
    const int rows = sourceRows.at(checked[0]) + sourceRows.at(checked[1]);
    QCOMPARE(answerer.Seen()[0].text, "Skerrow Database Conversion stopped.\n2 tables, " +
                                          QString::number(rows) + " rows converted into " +
                                          Q(database) + ".\nConverted: " + checked[0] + ", " +
                                          checked[1] + ".\nNot started: " + checked[2] + ".");
    QCOMPARE(answerer.Seen()[0].icon, QMessageBox::NoIcon);
    const QString details = answerer.Seen()[0].details;
    for (int i = 0; i < 2; ++i) {
      const QString count = QString::number(sourceRows.at(checked[i]));
      QCOMPARE(ReportLine(details, checked[i]),
               checked[i] + " " + checked[i] + " " + count + " " + count + " 0");
    }
    QCOMPARE(ReportLine(details, checked[2]), checked[2] + " (not started)");
    QVERIFY(!wizard->state.StopRequested);
    QCOMPARE(wizard->Status(), QString("2 of 3 Table(s) are converted."));
    QCOMPARE(wizard->window.windowTitle(), QString(kTitle));
    QVERIFY(wizard->window.Tile(kBackButton).isVisible());
    QVERIFY(!wizard->window.Control(kStopButton)->isVisible());
    QStringList expected = {checked[0], checked[1]};
    expected.sort();
    QCOMPARE(TablesOf(probe, database), expected);
    // The second table was finished, not cut short.
    QCOMPARE(Count(probe, database, checked[1].toStdString()),
             std::to_string(sourceRows.at(checked[1])));
  }

  void ActivityBarMovesAndExitAnswersWhileTheWorkerWaitsForTheServer() {
    auto wizard = OpenWizard();
    QVERIFY(wizard);
    MySqlProbe probe(wizard->sandbox);
    MySqlProbe holder(wizard->sandbox);
    QVERIFY2(probe.Connected() && holder.Connected(), probe.Error().c_str());
    const std::string database = probe.ScratchDatabase("gui_blocked");
    MessageBoxAnswerer answerer;
    wizard->Connect("BULK", "bulk");
    QVERIFY(wizard->CheckTables({"BIG"}));

    // Once the first rows of BIG have arrived, another session write-locks the table, so the
    // worker's next INSERT waits inside the server.
    bool locked = false;
    QObject::connect(&wizard->window, &QWidget::windowTitleChanged, &wizard->window,
                     [&](const QString& title) {
                       if (locked || !title.contains("[BIG]")) return;
                       locked = holder.Execute("LOCK TABLES `" + database + "`.`BIG` WRITE");
                     });
    wizard->Convert(database);
    QTRY_VERIFY_WITH_TIMEOUT(locked, 20000);
    const QString titleWhileBlocked = wizard->window.windowTitle();

    std::vector<int> positions;
    QObject::connect(&wizard->Bar(kActivityBar), &QProgressBar::valueChanged, &wizard->window,
                     [&](int value) { positions.push_back(value); });
    QTRY_VERIFY_WITH_TIMEOUT(positions.size() >= 12, 20000);
    for (std::size_t i = 1; i < positions.size(); ++i)
      QCOMPARE(positions[i], positions[i - 1] == 100 ? 0 : positions[i - 1] + 10);
    skerrow::test::SaveScreenshot(wizard->window, "run");

    // Exit answers while the worker waits, names the table and where the report would go, and
    // No leaves the run going.
    QTemporaryDir stateHome;
    QVERIFY(stateHome.isValid());
    qputenv("XDG_STATE_HOME", stateHome.path().toUtf8());
    const QString reportPath = stateHome.filePath("skerrow/last-run.json");
    answerer.Queue(QMessageBox::No);
    wizard->ClickTile(kExitButton);
    QCOMPARE(answerer.Seen().size(), std::size_t{1});
    QCOMPARE(answerer.Seen()[0].text,
             "A conversion is in progress (table BIG). Exit now and leave table BIG "
             "incomplete?\n\nThe report of the interrupted run will be written to " +
                 reportPath + ".");
    QVERIFY(wizard->window.isVisible());
    QVERIFY(wizard->state.RunInProgress);
    QCOMPARE(wizard->window.windowTitle(), titleWhileBlocked);
    QCOMPARE(wizard->Status(), QString("0 of 1 Table(s) are converted."));

    // Yes: the report names BIG as incomplete before the program would end (here the worker
    // is handed over instead of the process ending).
    std::thread abandoned;
    wizard->window.SetProcessEnder([&](std::thread worker) { abandoned = std::move(worker); });
    answerer.Queue(QMessageBox::Yes);
    wizard->ClickTile(kExitButton);
    QVERIFY(abandoned.joinable());
    QVERIFY(!wizard->window.isVisible());
    QFile file(reportPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject report = QJsonDocument::fromJson(file.readAll()).object();
    qunsetenv("XDG_STATE_HOME");
    QCOMPARE(report["database"].toString(), Q(database));
    QCOMPARE(report["succeeded"].toBool(true), false);
    QCOMPARE(report["runError"].toString(),
             QString("The conversion ended early: the program was ended; table BIG is "
                     "incomplete."));
    const QJsonArray tables = report["tables"].toArray();
    QCOMPARE(tables.size(), 1);
    const QJsonObject big = tables[0].toObject();
    QCOMPARE(big["sourceName"].toString(), QString("BIG"));
    QCOMPARE(big["createdName"].toString(), QString("BIG"));
    QVERIFY(big["rowsWritten"].toInteger() > 0);
    QVERIFY(big["rowsWritten"].toInteger() < kBigRows);
    QVERIFY2(big["abandoned"].toString().startsWith("the program was ended while this table was "
                                                    "copied"),
             qPrintable(big["abandoned"].toString()));

    QVERIFY(holder.Execute("UNLOCK TABLES"));
    QVERIFY(wizard->WaitForRunEnd());
    abandoned.join();
    QCOMPARE(FirstLine(answerer.Seen().back().text), QString(kCompleted));
    QCOMPARE(Count(probe, database, "BIG"), std::to_string(kBigRows));
  }

  // Back while the worker drops the existing database (held up by a lock another session
  // holds): nothing changes under the run, which converts the checked tables as asked.
  void BackDuringASlowDatabasePreparationChangesNothing() {
    auto wizard = OpenWizard();
    QVERIFY(wizard);
    MySqlProbe probe(wizard->sandbox);
    MySqlProbe holder(wizard->sandbox);
    QVERIFY2(probe.Connected() && holder.Connected(), probe.Error().c_str());
    const std::string database = probe.ScratchDatabase("gui_back");
    QVERIFY(HoldUpTheDrop(probe, holder, database));

    MessageBoxAnswerer answerer;
    wizard->Connect();
    QVERIFY(wizard->CheckTables({"DEPT", "EMP"}));
    answerer.Queue(QMessageBox::Yes);
    wizard->Convert(database);
    QTRY_VERIFY_WITH_TIMEOUT(answerer.Seen().size() == 1, 20000);
    QCOMPARE(answerer.Seen()[0].text, OverwriteQuestion(database));
    // The worker now waits in the DROP.
    QTRY_VERIFY_WITH_TIMEOUT(
        probe.Scalar("SELECT COUNT(*) FROM information_schema.processlist WHERE info LIKE "
                     "'Drop database%" +
                     database + "%'") == std::optional<std::string>("1"),
        20000);
    QVERIFY(wizard->window.Tile(kBackButton).isVisible());
    QVERIFY(!wizard->window.Tile(kBackButton).isEnabled());
    wizard->ClickTile(kBackButton);
    wizard->window.ShowConnectionPage();
    QVERIFY(wizard->List().isVisible());
    QCOMPARE(wizard->List().count(), 4);
    QVERIFY(!wizard->window.Tile(kNextButton).isVisible());
    QVERIFY(wizard->state.RunInProgress);

    QVERIFY(holder.Execute("UNLOCK TABLES"));
    QVERIFY(wizard->WaitForRunEnd());
    QCOMPARE(answerer.Seen().size(), std::size_t{2});
    QCOMPARE(answerer.Seen()[1].text,
             QString(kCompleted) + "\n2 tables, 18 rows converted into " + Q(database) + ".");
    QCOMPARE(TablesOf(probe, database), (QStringList{"DEPT", "EMP"}));
    QCOMPARE(Count(probe, database, "EMP"), std::string("14"));
    // Back works again once the run has ended.
    QVERIFY(wizard->window.Tile(kBackButton).isEnabled());
    wizard->ClickTile(kBackButton);
    QVERIFY(wizard->window.Tile(kNextButton).isVisible());
    QCOMPARE(wizard->List().count(), 0);
  }

  void ExitDuringARunEndsTheProcessAtOnce() {
    auto sandbox = SandboxOrNothing();
    QVERIFY(sandbox);
    MySqlProbe probe(*sandbox);
    MySqlProbe holder(*sandbox);
    QVERIFY2(probe.Connected() && holder.Connected(), probe.Error().c_str());
    const std::string database = probe.ScratchDatabase("gui_exit");
    // The child's drop of the database waits for this lock.
    QVERIFY(HoldUpTheDrop(probe, holder, database));

    QTemporaryDir stateHome;
    QVERIFY(stateHome.isValid());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kChildDatabaseVariable, Q(database));
    environment.insert("XDG_STATE_HOME", stateHome.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {kChildArgument});
    QVERIFY(child.waitForStarted());
    const bool finished = child.waitForFinished(30000);
    if (!finished) child.kill();
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    // The drop is still held up: the process ended without waiting for its worker.
    const bool stillThere = probe.Scalar(
                                "SELECT COUNT(*) FROM information_schema.schemata "
                                "WHERE schema_name='" +
                                database + "'") == std::optional<std::string>("1");
    QVERIFY(holder.Execute("UNLOCK TABLES"));
    QVERIFY2(finished, "the wizard did not end after Exit during a run");
    QVERIFY2(output.contains("exit confirmed"),
             qPrintable("child status " + QString::number(child.exitCode()) + ": " + output +
                        QString::fromUtf8(child.readAllStandardError())));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QVERIFY(stillThere);
    // It left the report of the run it was ended during: no table begun, DEPT never started.
    QFile file(stateHome.filePath("skerrow/last-run.json"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject report = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(report["runError"].toString(),
             QString("The conversion ended early: the program was ended."));
    QCOMPARE(report["tables"].toArray().size(), 0);
    QCOMPARE(report["notStarted"].toArray(), QJsonArray{"DEPT"});
  }
};

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (qstrcmp(argv[i], kChildArgument) == 0) return RunExitDuringRunChild(argc, argv);
  QApplication application(argc, argv);
  LiveConversionTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "live_conversion_test.moc"
