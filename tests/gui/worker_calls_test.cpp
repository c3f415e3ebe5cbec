// Window operations called from a worker thread: carried out on the GUI thread, in call order,
// while the window keeps handling its timer and its commands.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "message_box_answerer.h"
#include "ui/nav_button.h"
#include "ui/skerrow_dlg.h"
#include "workflow/control_ids.h"

using namespace skerrow;
using skerrow::ui::CSkerrowDlg;

namespace {

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

struct Wizard {
  ConversionState state;
  CSkerrowDlg window{state};
  Wizard() {
    window.SetUrlOpener([](const QUrl&) {});
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
