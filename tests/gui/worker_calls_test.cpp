// Window operations called from a worker thread: carried out on the GUI thread, in call order,
// while the window keeps handling its timer and its commands.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "message_box_answerer.h"
#include "ui/gui_thread.h"
#include "ui/nav_button.h"
#include "ui/skerrow_dlg.h"
#include "workflow/control_ids.h"

using namespace skerrow;
using skerrow::ui::CSkerrowDlg;

namespace {

// A JSON fact of the report, checked with its text in the failure message.
#define EXPECT_JSON(condition) QVERIFY2((condition), #condition)

// A gate a worker waits at, standing in for a database call that takes a while.
class Gate {
 public:
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

// Joins a worker while the GUI thread keeps serving the worker's window calls.
void JoinWhileServingEvents(std::thread& worker) {
  std::atomic<bool> joined{false};
  std::thread joiner([&] {
    worker.join();
    joined = true;
  });
  QTRY_VERIFY_WITH_TIMEOUT(joined, 30000);
  joiner.join();
}

// Whatever a failed check left running ends before the test's state goes: the gate opens and
// the threads are joined while their window calls are served.
void EndThreads(Gate& gate, std::initializer_list<std::thread*> threads) {
  gate.Open();
  for (std::thread* thread : threads)
    if (thread->joinable()) JoinWhileServingEvents(*thread);
}

struct Wizard {
  ConversionState state;
  CSkerrowDlg window{state};
  Wizard() {
    window.SetUrlOpener([](const QUrl&) { return true; });
    window.show();
  }
  QProgressBar& Bar(int id) { return *qobject_cast<QProgressBar*>(window.Control(id)); }
  QString Status() { return qobject_cast<QLabel*>(window.Control(kStatusLabel))->text(); }
};

}  // namespace

class WorkerCallsTest : public QObject {
  Q_OBJECT

 private slots:
  void RunDisplayArrivesOnTheGuiThreadInCallOrder() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    wizard.window.ResetTableList(3);
    for (const char* name : {"EMP", "DEPT", "BONUS"}) wizard.window.AddTableItem(name);
    wizard.window.ShowSelectionPage("ORCL");
    wizard.window.TableList().item(0)->setCheckState(Qt::Checked);
    wizard.window.TableList().item(2)->setCheckState(Qt::Checked);

    // Every change the worker causes is observed where it happens.
    std::vector<QString> seen;
    bool allOnGuiThread = true;
    auto record = [&](const QString& what) {
      allOnGuiThread &= QThread::currentThread() == qApp->thread();
      seen.push_back(what);
    };
    QObject::connect(&wizard.Bar(kTablesBar), &QProgressBar::valueChanged, &wizard.window,
                     [&](int value) { record(QString("bar %1").arg(value)); });
    QObject::connect(&wizard.window, &QWidget::windowTitleChanged, &wizard.window,
                     [&](const QString& title) { record(title); });

    std::vector<bool> checks;
    std::string destination;
    MessageAnswer answer = MessageAnswer::Ok;
    answerer.Queue(QMessageBox::Yes);
    std::thread worker([&] {
      CSkerrowDlg& w = wizard.window;
      destination = w.GetControlText(kDestinationNameEdit);
      for (int i = 0; i < w.TableItemCount(); ++i) checks.push_back(w.IsTableItemChecked(i));
      w.SetTablesProgressRange(2);
      w.ShowTablesConverted(0, 2);
      w.LockSelection();
      answer = w.ShowMessage({"Overwrite?", "", MessageIcon::None, MessageButtons::YesNo, ""});
      w.ShowProgressPanel();
      w.StartActivityTimer();
      for (int table = 1; table <= 2; ++table) {
        w.SetProgressTitle("Converting Table: [T" + std::to_string(table) +
                           "] 42 rows converted...");
        w.ShowTablesConverted(table, 2);
        w.StepTablesProgress();
      }
      w.EndRunDisplay(false);
      w.UnlockSelection();
      w.ClearTableChecks();
      w.ShowMessage({"Skerrow Database Conversion completed successfully.", "Message",
                     MessageIcon::None, MessageButtons::Ok, "EMP: 14 rows"});
      w.ResetProgressBars();
    });
    JoinWhileServingEvents(worker);

    QVERIFY(allOnGuiThread);
    QCOMPARE(destination, std::string("ORCL"));
    QCOMPARE(checks, (std::vector<bool>{true, false, true}));
    QCOMPARE(answer, MessageAnswer::Yes);
    const std::vector<QString> expected = {"Converting Table: [T1] 42 rows converted...", "bar 1",
                                           "Converting Table: [T2] 42 rows converted...", "bar 2",
                                           "Veltrano Database Converter - Skerrow",       "bar 0"};
    QCOMPARE(seen, expected);
    QCOMPARE(wizard.Status(), QString("2 of 2 Table(s) are converted."));
    QCOMPARE(wizard.Bar(kActivityBar).value(), 0);
    QVERIFY(!wizard.window.Control(kStopButton)->isVisible());
    QVERIFY(wizard.window.Tile(kBackButton).isVisible());
    QVERIFY(wizard.window.Tile(kConvertButton).isVisible());
    QCOMPARE(wizard.window.TableList().item(0)->checkState(), Qt::Unchecked);
    // The caption-less question carries the program's name; the report rides as details.
    QCOMPARE(answerer.Seen().size(), std::size_t{2});
    QCOMPARE(answerer.Seen()[0].caption, QCoreApplication::applicationName());
    QCOMPARE(answerer.Seen()[1].details, QString("EMP: 14 rows"));
  }

  void ActivityBarMovesAndExitAnswersWhileTheWorkerIsBlocked() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    wizard.window.ResetTableList(3);
    for (const char* name : {"EMP", "DEPT", "BONUS"}) wizard.window.AddTableItem(name);
    wizard.window.ShowSelectionPage("ORCL");
    wizard.window.LockSelection();
    Gate databaseCall;
    std::atomic<bool> panelShown{false};
    std::thread worker([&] {
      wizard.window.ShowProgressPanel();
      wizard.window.StartActivityTimer();
      wizard.window.ShowTablesConverted(0, 3);
      panelShown = true;
      databaseCall.Wait();
      wizard.window.EndRunDisplay(false);
    });
    QTRY_VERIFY(panelShown);

    std::vector<int> positions;
    QObject::connect(&wizard.Bar(kActivityBar), &QProgressBar::valueChanged, &wizard.window,
                     [&](int value) { positions.push_back(value); });
    QTRY_VERIFY_WITH_TIMEOUT(positions.size() >= 12, 20000);
    // Steps of 10, starting over at 0 after 100.
    for (std::size_t i = 1; i < positions.size(); ++i)
      QCOMPARE(positions[i], positions[i - 1] == 100 ? 0 : positions[i - 1] + 10);

    // Exit answers, and No leaves the run going.
    answerer.Queue(QMessageBox::No);
    QTest::mouseClick(&wizard.window.Tile(kExitButton), Qt::LeftButton);
    QCOMPARE(answerer.Seen().size(), std::size_t{1});
    QVERIFY(wizard.window.isVisible());
    QVERIFY(wizard.window.Control(kStopButton)->isVisible());

    databaseCall.Open();
    JoinWhileServingEvents(worker);
    QCOMPARE(wizard.Bar(kActivityBar).value(), 100);
    QVERIFY(!wizard.window.Control(kActivityBar)->isVisible());
  }

  void ExitDuringARunAbandonsTheWorkerWithoutClosingItsConnection() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    Gate databaseCall;
    std::atomic<bool> running{false};
    wizard.state.RunInProgress = true;
    wizard.state.WorkerThread = std::thread([&] {
      running = true;
      databaseCall.Wait();
    });
    QTRY_VERIFY(running);
    std::thread abandoned;
    wizard.window.SetProcessEnder([&](std::thread worker) { abandoned = std::move(worker); });

    answerer.Queue(QMessageBox::Yes);
    QTest::mouseClick(&wizard.window.Tile(kExitButton), Qt::LeftButton);
    // Handed over at once, still running: nobody waited for it.
    QVERIFY(abandoned.joinable());
    QVERIFY(!wizard.state.WorkerThread.joinable());
    QVERIFY(!wizard.window.isVisible());
    databaseCall.Open();
    abandoned.join();
  }

  void ExitAfterAFinishedRunJoinsItsThreadAndClosesTheConnection() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    wizard.state.WorkerThread = std::thread([] {});
    bool ended = false;
    wizard.window.SetProcessEnder([&](std::thread) { ended = true; });
    answerer.Queue(QMessageBox::Yes);
    QTest::mouseClick(&wizard.window.Tile(kExitButton), Qt::LeftButton);
    // Joined here; left joinable, it would abort the program when the state goes.
    QVERIFY(!ended);
    QVERIFY(!wizard.state.WorkerThread.joinable());
    QVERIFY(!wizard.state.Target.IsConnected());
    QVERIFY(!wizard.window.isVisible());
  }

  // Exit while a table is copied names it, says where the report goes, and on Yes leaves the
  // report of the interrupted run there, naming the table as incomplete.
  void ExitDuringARunAsksTheRunsQuestionAndLeavesItsReport() {
    QTemporaryDir stateHome;
    QVERIFY(stateHome.isValid());
    qputenv("XDG_STATE_HOME", stateHome.path().toUtf8());
    const QString reportPath = stateHome.filePath("skerrow/last-run.json");
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    RunJournal& journal = wizard.state.Journal;
    journal.Begin("DEMO", std::chrono::system_clock::now(), {"DEPT", "EMP", "SALGRADE"});
    journal.TableStarted("DEPT");
    TableReport dept;
    dept.sourceName = "DEPT";
    dept.createdName = "DEPT";
    dept.rowsRead = dept.rowsWritten = 4;
    journal.TableFinished(dept);
    journal.TableStarted("EMP");
    journal.TableRows("EMP", 9);
    Gate databaseCall;
    wizard.state.RunInProgress = true;
    wizard.state.WorkerThread = std::thread([&] { databaseCall.Wait(); });
    std::thread abandoned;
    const auto endThreads = qScopeGuard([&] {
      EndThreads(databaseCall, {&abandoned, &wizard.state.WorkerThread});
    });
    wizard.window.SetProcessEnder([&](std::thread worker) { abandoned = std::move(worker); });

    const QString question =
        "A conversion is in progress (table EMP). Exit now and leave table EMP incomplete?\n\n"
        "The report of the interrupted run will be written to " +
        reportPath + ".";
    // No: nothing is written and the run goes on.
    answerer.Queue(QMessageBox::No);
    QTest::mouseClick(&wizard.window.Tile(kExitButton), Qt::LeftButton);
    QCOMPARE(answerer.Seen().size(), std::size_t{1});
    QCOMPARE(answerer.Seen()[0].text, question);
    QCOMPARE(answerer.Seen()[0].icon, QMessageBox::Question);
    QCOMPARE(answerer.Seen()[0].parent, &wizard.window);
    QVERIFY(!QFileInfo::exists(reportPath));
    QVERIFY(wizard.window.isVisible());

    // Escape asks first whether to exit at all, then the run's question.
    answerer.Queue(QMessageBox::Yes);
    answerer.Queue(QMessageBox::Yes);
    QTest::keyClick(&wizard.window, Qt::Key_Escape);
    QCOMPARE(answerer.Seen().size(), std::size_t{3});
    QCOMPARE(answerer.Seen()[2].text, question);
    QVERIFY(abandoned.joinable());
    QVERIFY(!wizard.window.isVisible());

    QFile file(reportPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const nlohmann::json report = nlohmann::json::parse(file.readAll().toStdString());
    EXPECT_JSON(report["database"] == "DEMO");
    EXPECT_JSON(report["succeeded"] == false);
    EXPECT_JSON(report["runError"] ==
                "The conversion ended early: the program was ended; table EMP is incomplete.");
    EXPECT_JSON(report["tables"].size() == 2);
    EXPECT_JSON(report["tables"][0]["succeeded"] == true);
    EXPECT_JSON(report["tables"][1]["sourceName"] == "EMP");
    EXPECT_JSON(report["tables"][1]["succeeded"] == false);
    EXPECT_JSON(report["tables"][1]["rowsWritten"] == 9);
    EXPECT_JSON(report["tables"][1]["abandoned"].get<std::string>().find("the program was ended") ==
                0);
    EXPECT_JSON(report["notStarted"] == nlohmann::json::array({"SALGRADE"}));
    databaseCall.Open();
    abandoned.join();
    qunsetenv("XDG_STATE_HOME");
  }

  // The run ends while its exit question is open: the window's display follows, but the
  // question stays the active window on top, and the completion message comes only once the
  // question is answered.
  void TheRunEndingUnderTheExitQuestionLeavesItOnTop() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    QVERIFY(QTest::qWaitForWindowActive(&wizard.window));
    wizard.window.ResetTableList(1);
    wizard.window.AddTableItem("EMP");
    wizard.window.ShowSelectionPage("ORCL");
    wizard.window.LockSelection();
    wizard.window.ShowProgressPanel();
    Gate tableCopied;
    const auto endThreads =
        qScopeGuard([&] { EndThreads(tableCopied, {&wizard.state.WorkerThread}); });
    std::atomic<bool> displayEnded{false};
    wizard.state.RunInProgress = true;
    wizard.state.WorkerThread = std::thread([&] {
      tableCopied.Wait();
      wizard.window.EndRunDisplay(false);
      displayEnded = true;
      wizard.window.UnlockSelection();
      wizard.window.ShowMessage(
          {"Skerrow Database Conversion completed successfully.\n1 table, "
           "14 rows converted into ORCL.",
           "Message", MessageIcon::None, MessageButtons::Ok, "", MessageKind::Completed});
      wizard.window.ResetProgressBars();
      wizard.state.RunInProgress = false;
    });

    bool checked = false;
    answerer.OnSeen([&](const skerrow::test::SeenMessage& seen) {
      if (!seen.text.startsWith("A conversion is in progress")) return;
      QWidget* question = QApplication::activeModalWidget();
      tableCopied.Open();
      QTRY_VERIFY(displayEnded);
      // Give a covering box every chance to appear.
      QTest::qWait(200);
      QCOMPARE(answerer.Seen().size(), std::size_t{1});
      QCOMPARE(QApplication::activeModalWidget(), question);
      QVERIFY(question->isVisible());
      QCOMPARE(QApplication::activeWindow(), question);
      // The display behind it did end.
      QVERIFY(!wizard.window.Control(kStopButton)->isVisible());
      QVERIFY(wizard.window.Tile(kConvertButton).isVisible());
      checked = true;
    });
    answerer.Queue(QMessageBox::No);
    QTest::mouseClick(&wizard.window.Tile(kExitButton), Qt::LeftButton);
    QVERIFY(checked);
    QTRY_COMPARE(answerer.Seen().size(), std::size_t{2});
    QCOMPARE(answerer.Seen()[1].text.section('\n', 0, 0),
             QString("Skerrow Database Conversion completed successfully."));
    JoinWhileServingEvents(wizard.state.WorkerThread);
    QVERIFY(wizard.window.isVisible());
    QCOMPARE(answerer.Unexpected(), 0);
  }

  // The run ends after Yes, while the exit flow still shows a message (nothing opens the page
  // shown at exit): the run's completion message does not come up over it, and the report left
  // behind is the report of the run as far as it really got: here, to its end.
  void AfterYesTheRunsBoxesStayAwayAndTheReportTellsHowFarItGot() {
    QTemporaryDir stateHome;
    QVERIFY(stateHome.isValid());
    qputenv("XDG_STATE_HOME", stateHome.path().toUtf8());
    Wizard wizard;
    wizard.window.SetUrlOpener([](const QUrl&) { return false; });
    skerrow::test::MessageBoxAnswerer answerer;
    RunJournal& journal = wizard.state.Journal;
    journal.Begin("DEMO", std::chrono::system_clock::now(), {"EMP"});
    journal.TableStarted("EMP");
    Gate tableCopied;
    std::atomic<bool> completed{false};
    wizard.state.RunInProgress = true;
    wizard.state.WorkerThread = std::thread([&] {
      tableCopied.Wait();
      RunReport report;
      report.destinationDatabase = "DEMO";
      report.tables.emplace_back();
      report.tables[0].sourceName = "EMP";
      report.tables[0].createdName = "EMP";
      report.tables[0].rowsRead = report.tables[0].rowsWritten = 14;
      report.completed = true;
      journal.TableFinished(report.tables[0]);
      journal.Completed(report);
      wizard.window.EndRunDisplay(false);
      completed = true;
      wizard.window.ShowMessage({"Skerrow Database Conversion completed successfully.", "Message",
                                 MessageIcon::None, MessageButtons::Ok, "",
                                 MessageKind::Completed});
    });
    std::thread abandoned;
    const auto endThreads = qScopeGuard([&] {
      EndThreads(tableCopied, {&abandoned, &wizard.state.WorkerThread});
    });
    wizard.window.SetProcessEnder([&](std::thread worker) { abandoned = std::move(worker); });

    bool checked = false;
    answerer.OnSeen([&](const skerrow::test::SeenMessage& seen) {
      if (!seen.text.startsWith("The page could not be opened")) return;
      tableCopied.Open();
      QTRY_VERIFY(completed);
      QTest::qWait(200);
      QCOMPARE(answerer.Seen().size(), std::size_t{2});
      checked = true;
    });
    answerer.Queue(QMessageBox::Yes);
    QTest::mouseClick(&wizard.window.Tile(kExitButton), Qt::LeftButton);
    QVERIFY(checked);
    QVERIFY(abandoned.joinable());
    QFile file(stateHome.filePath("skerrow/last-run.json"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const nlohmann::json report = nlohmann::json::parse(file.readAll().toStdString());
    EXPECT_JSON(report["succeeded"] == true);
    EXPECT_JSON(report["runError"].is_null());
    EXPECT_JSON(report["tables"][0]["rowsWritten"] == 14);
    qunsetenv("XDG_STATE_HOME");
    // The window is gone; here (the process goes on) the run's box is answered afterwards.
    JoinWhileServingEvents(abandoned);
  }

  // A call the GUI thread never carries out (its window went away while the call waited) is an
  // error for the worker, not an empty answer; what the GUI side throws reaches the worker too.
  void AHandOverTheWindowDroppedIsAnError() {
    auto context = std::make_unique<QObject>();
    std::atomic<bool> calling{false};
    std::string outcome;
    std::thread worker([&] {
      calling = true;
      try {
        const std::string text =
            skerrow::ui::RunOnGuiThread(*context, [] { return std::string("served"); });
        outcome = "answered: " + text;
      } catch (const WindowOperationFailed& failure) {
        outcome = std::string("failed: ") + failure.what();
      }
    });
    // The call is queued, not yet served; the object goes before it is.
    while (!calling) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    context.reset();
    worker.join();
    QCOMPARE(QString::fromStdString(outcome),
             QString("failed: the window did not carry out a step of the conversion (it was "
                     "closed)"));

    QObject alive;
    std::string thrown;
    std::thread caller([&] {
      try {
        skerrow::ui::RunOnGuiThread(alive, [] { throw std::runtime_error("no room"); });
      } catch (const std::runtime_error& failure) {
        thrown = failure.what();
      }
    });
    JoinWhileServingEvents(caller);
    QCOMPARE(QString::fromStdString(thrown), QString("no room"));
  }

  // Back is locked from the click on Convert (before the worker has locked the page) until the
  // run has ended, and then works again.
  void BackIsLockedFromConvertUntilTheRunEnds() {
    Wizard wizard;
    skerrow::test::MessageBoxAnswerer answerer;
    wizard.state.TableNames = {"EMP"};
    wizard.window.ResetTableList(1);
    wizard.window.AddTableItem("EMP");
    wizard.window.ShowSelectionPage("ORCL");
    wizard.window.TableList().item(0)->setCheckState(Qt::Checked);
    QTest::mouseClick(&wizard.window.Tile(kConvertButton), Qt::LeftButton);
    QVERIFY(wizard.state.RunInProgress);
    QVERIFY(!wizard.window.Tile(kBackButton).isEnabled());
    QTest::mouseClick(&wizard.window.Tile(kBackButton), Qt::LeftButton);
    wizard.window.ShowConnectionPage();
    QCOMPARE(wizard.window.TableList().count(), 1);
    QVERIFY(wizard.window.TableList().isVisible());
    // No server was ever connected: the run ends with errors, through its completion message.
    QTRY_VERIFY_WITH_TIMEOUT(!wizard.state.RunInProgress, 20000);
    JoinWhileServingEvents(wizard.state.WorkerThread);
    QCOMPARE(answerer.Seen().size(), std::size_t{1});
    QVERIFY(answerer.Seen()[0].text.startsWith(
        "Skerrow Database Conversion completed with errors.\n0 tables, 0 rows converted into "
        "ORCL."));
    QVERIFY(wizard.window.Tile(kBackButton).isEnabled());
    QTest::mouseClick(&wizard.window.Tile(kBackButton), Qt::LeftButton);
    QVERIFY(wizard.window.Control(kServiceNameEdit)->isVisible());
    QCOMPARE(wizard.window.TableList().count(), 0);
  }

  void EndOfARunRestoresAMinimisedWindowUnlessStopped_data() {
    QTest::addColumn<bool>("stopped");
    QTest::newRow("finished") << false;
    QTest::newRow("stopped") << true;
  }
  void EndOfARunRestoresAMinimisedWindowUnlessStopped() {
    QFETCH(bool, stopped);
    Wizard wizard;
    wizard.window.ShowProgressPanel();
    wizard.window.showMinimized();
    QTRY_VERIFY(wizard.window.isMinimized());
    wizard.window.EndRunDisplay(stopped);
    QCOMPARE(wizard.window.isMinimized(), stopped);
    QVERIFY(wizard.window.Tile(kBackButton).isVisibleTo(&wizard.window));
    QVERIFY(!wizard.window.Control(kStopButton)->isVisibleTo(&wizard.window));
  }
};

QTEST_MAIN(WorkerCallsTest)
#include "worker_calls_test.moc"
