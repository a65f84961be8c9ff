// legwise-check's window on a file with known faults: its rows sorted and filtered, the selected
// plan's legs and findings, and "Save as..." that refuses the plan file itself and writes nothing for
// an airport it cannot place.
#include "support/GuiTestSupport.h"

#include "planfile/gui/CheckWindow.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>

namespace {
const QString Line2 = "2: Warning: registration D-AILA is used by 2 plans (also line 5)";
const QString Line3 = "3: ";
const QString Line4 =
    "4: Warning: leg 2 departs from EDDM at 06:40, 18 min after its aircraft arrives at 06:22 (leg 1): "
    "less than the turnaround of 30 min";
const QString Line5 = "5: Error: aircraft JET9 is not in the aircraft file";
const QString Line6 = "6: Error: unknown period \"3Hr\" (1Hr, 2Hr, 4Hr, 6Hr, 8Hr, 12Hr, 24Hr or WEEK)";
const std::string Plans =
    "; faults\r\n"
    "JET7,D-AILA,100%,24Hr,IFR,06:00,,350,F,101,EDDM,08:00,,350,F,102,EDDF\r\n"
    "BUS3,D-AILM,80%,24Hr,IFR,06:00,,350,F,111,EDDH,09:00,,350,F,112,EDDF\r\n"
    "JET7,D-AILB,50%,24hr,ifr,06:00,,350,F,201,EDDM,06:40,,350,R,202,EDDF\r\n"
    "JET9,D-AILA,50%,24Hr,IFR,06:00,,350,F,701,EDDX,12:00,,350,F,702,EDDF\r\n"
    "BUS3,D-AILH,50%,3Hr,IFR,06:00,,300,F,901,EDDH,08:00,,300,F,902,EDDF\r\n";

template <typename T>
T* Find(const QWidget& window, const char* name)
{
    T* control = window.findChild<T*>(QLatin1String(name));
    if (!control)
        qFatal("no control %s", name);
    return control;
}

// Each row of a table as "cell|cell|...".
QStringList Rows(const QAbstractItemModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model.columnCount(); ++column)
            cells << model.index(row, column).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList Items(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

// The line of the plan highlighted, and the first finding shown below the table.
QString HighlightedAndShown(const CheckWindow& window)
{
    const auto* plans = Find<QTableView>(window, "Plans");
    const QModelIndexList rows = plans->selectionModel()->selectedRows();
    const QStringList findings = Items(*Find<QListWidget>(window, "Findings"));
    return (rows.size() == 1 ? rows.front().data().toString() : QStringLiteral("none")) + QStringLiteral(": ")
           + findings.value(0);
}

// The window with the files of `folder` read: the personal copies are offered, the plan file is typed.
struct ReadWindow {
    explicit ReadWindow(const WorkingFolder& folder, const std::string& plans = "plans.txt")
    {
        Find<QLineEdit>(window, "PlanFile")->setText(folder.QPath(plans));
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("the window did not become active");
        QSignalSpy finished(&window, &CheckWindow::WorkFinished);
        QTest::mouseClick(Find<QPushButton>(window, "Read"), Qt::LeftButton);
        if (!finished.wait(20000))
            qFatal("the files were not read");
    }
    CheckWindow window;
};

// legwise-check started as a process in the folder `in`, beside these tests under Wine: its exit
// status (-1 while it still runs after `seconds`, when it is ended), standard output, then error.
struct Run {
    int status = -1;
    QString out;
    QString err;
};
Run RunCheckProgram(const QStringList& arguments, const QString& in, const QProcessEnvironment& environment,
                    int seconds = 30)
{
    QString program = QCoreApplication::applicationDirPath() + "/legwise-check";
    if (!QFileInfo::exists(program) && !QFileInfo::exists(program + ".exe"))
        program = QStringLiteral(LEGWISE_CHECK_PROGRAM);
    QProcess process;
    process.setWorkingDirectory(in);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(seconds * 1000)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.status = process.exitCode();
    }
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput()).remove(QLatin1Char('\r'));
    run.err = QString::fromLocal8Bit(process.readAllStandardError()).remove(QLatin1Char('\r'));
    return run;
}

void UseFiles(const WorkingFolder& folder)
{
    Platform::TestSeam::Reset();
    Platform::TestSeam::SetAnswerMessages(true);
    WriteBytes(folder.Path("AirportsPersonal.txt"),
               "EDDF,N50* 2.00',E8* 34.00',364\nEDDM,N48* 21.00',E11* 47.00',1487\n"
               "EDDH,N53* 38.00',E9* 59.00',53\n");
    WriteBytes(folder.Path("AircraftPersonal.txt"), "JET7,450,\"Jet\"\nBUS3,447,\"Bus\"\n");
    WriteBytes(folder.Path("plans.txt"), Plans);
}
} // namespace

class CheckWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsThePlansAndTheSelectedPlansLegsAndFindings()
    {
        WorkingFolder folder;
        UseFiles(folder);
        ReadWindow read(folder);
        CheckWindow& window = read.window;
        QVERIFY(Find<QLineEdit>(window, "AirportFile")->text().endsWith(QStringLiteral("AirportsPersonal.txt")));
        auto* plans = Find<QTableView>(window, "Plans");
        QCOMPARE(Rows(*plans->model()),
                 QStringList({"2|D-AILA|JET7|24Hr|2|0|1", "3|D-AILM|BUS3|24Hr|2|0|0", "4|D-AILB|JET7|24hr|2|0|1",
                              "5|D-AILA|JET9|24Hr|2|2|1", "6|D-AILH|BUS3|3Hr|no plan|1|0"}));
        // Numbers stand right-aligned, names left; the file boxes one below the other.
        QString aligned;
        for (int column = 0; column < plans->model()->columnCount(); ++column)
            aligned += plans->model()->index(0, column).data(Qt::TextAlignmentRole).toInt() ? 'R' : 'L';
        QCOMPARE(aligned, QStringLiteral("RLLLRRR"));
        const int boxTops[] = {Find<QLineEdit>(window, "PlanFile")->y(), Find<QLineEdit>(window, "AirportFile")->y(),
                               Find<QLineEdit>(window, "AircraftFile")->y()};
        QVERIFY(boxTops[0] < boxTops[1] && boxTops[1] < boxTops[2]);
        // Sorted by errors, most first, by a click on the header twice; then only plans with findings.
        QHeaderView* header = plans->horizontalHeader();
        const QPoint errors(header->sectionViewportPosition(5) + 5, header->height() / 2);
        for (int click = 0; click < 2; ++click)
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, errors);
        QTest::mouseClick(Find<QCheckBox>(window, "OnlyFindings"), Qt::LeftButton);
        QStringList lines;
        for (int row = 0; row < plans->model()->rowCount(); ++row)
            lines << plans->model()->index(row, 0).data().toString();
        QCOMPARE(lines, QStringList({"5", "6", "2", "4"}));

        Find<QDateEdit>(window, "ShiftFrom")->setDate(QDate(2025, 1, 15));
        plans->setFocus();
        QTest::keyClick(plans, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(Items(*Find<QListWidget>(window, "Findings")),
                 QStringList({"Error: aircraft JET9 is not in the aircraft file",
                              "Error: leg 1: the destination EDDX is not in the airport file",
                              "Warning: registration D-AILA is used by 2 plans (also line 2)"}));
        QTest::keyClick(plans, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(Items(*Find<QListWidget>(window, "Findings")),
                 QStringList({"Warning: leg 2 departs from EDDM at 06:40, 18 min after its aircraft arrives at 06:22 "
                              "(leg 1): less than the turnaround of 30 min"}));
        QCOMPARE(Rows(*Find<QTableWidget>(window, "Legs")->model()),
                 QStringList({"1|EDDF|EDDM|06:00|06:22 ~|162 nm|22 min|18 min|Europe/Berlin|07:00",
                              "2|EDDM|EDDF|06:40|07:02 ~|162 nm|22 min|22 h 58 min|Europe/Berlin|07:40"}));
    }

    // Whatever the order, the filter and the keys, and after reading again, the plan highlighted is
    // the plan shown.
    void theHighlightedPlanIsThePlanShown()
    {
        WorkingFolder folder;
        UseFiles(folder);
        ReadWindow read(folder);
        CheckWindow& window = read.window;
        auto* plans = Find<QTableView>(window, "Plans");
        auto* header = plans->horizontalHeader();
        auto* onlyFindings = Find<QCheckBox>(window, "OnlyFindings");
        plans->setFocus();
        const std::pair<std::function<void()>, QString> steps[] = {
            {[&] { QTest::keyClick(plans, Qt::Key_Down); }, Line3},
            {[&] { header->setSortIndicator(6, Qt::DescendingOrder); }, Line3}, // 2 4 5 3 6
            {[&] { QTest::keyClick(plans, Qt::Key_Home); }, Line2},
            {[&] { QTest::keyClick(plans, Qt::Key_Down); }, Line4},
            {[&] { onlyFindings->setChecked(true); }, Line4}, // 2 4 5 6
            {[&] { QTest::keyClick(plans, Qt::Key_End); }, Line6},
            {[&] { header->setSortIndicator(1, Qt::AscendingOrder); }, Line6}, // 2 5 4 6
            {[&] { QTest::keyClick(plans, Qt::Key_Up); }, Line4},
            {[&] { QTest::keyClick(plans, Qt::Key_PageUp); }, Line2},
            {[&] { QTest::keyClick(plans, Qt::Key_PageDown); }, Line6},
            {[&] { onlyFindings->setChecked(false); }, Line6}, // 2 5 4 6 3
            {[&] { QTest::keyClick(plans, Qt::Key_End); }, Line3},
            {[&] { onlyFindings->setChecked(true); }, Line2},                   // line 3 has no findings: the first row
            {[&] { header->setSortIndicator(0, Qt::DescendingOrder); }, Line2}, // 6 5 4 2
            {[&] { QTest::keyClick(plans, Qt::Key_Home); }, Line6},
        };
        for (const auto& [step, shown] : steps) {
            step();
            QCOMPARE(HighlightedAndShown(window), shown);
        }
        // Read again, the same plan stays selected; cancelled, the table is empty and says so.
        QSignalSpy finished(&window, &CheckWindow::WorkFinished);
        QTest::keyClick(plans, Qt::Key_Down);
        QTest::keyClick(&window, Qt::Key_R, Qt::AltModifier);
        QVERIFY(finished.wait(20000));
        QCOMPARE(HighlightedAndShown(window), Line5);
        std::string many = Plans;
        for (int i = 0; i < 200000; ++i)
            many += "JET7,D-AILC,100%,24Hr,IFR,06:00,,350,F,101,EDDM,08:00,,350,F,102,EDDF\r\n";
        WriteBytes(folder.Path("plans.txt"), many);
        window.Read();
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(finished.wait(20000));
        QCOMPARE(Find<QLabel>(window, "Status")->text(),
                 QStringLiteral("Reading cancelled: the table is empty until a file is read."));
        QCOMPARE(plans->verticalHeader()->count(), 0); // the rows the view shows
    }

    void saveAsRefusesThePlanFileAndWritesOnlyWhatItCanPlace()
    {
        WorkingFolder folder;
        UseFiles(folder);
        ReadWindow read(folder);
        CheckWindow& window = read.window;
        // Before a name is asked for: nothing can be written while an airport cannot be placed.
        QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!Platform::TestSeam::MessagesShown().isEmpty()); // Alt+S clicks a moment later
        QCOMPARE(Platform::TestSeam::TakeMessages(),
                 QStringList("Nothing can be written: 1 plan has an airport that cannot be placed (line 5).\n"
                             "line 5: airport EDDX is not in the airport file"));

        // Without that plan, the file is written; an existing name is replaced once the dialog has asked.
        const std::string clean = Plans.substr(0, Plans.find("JET9"));
        WriteBytes(folder.Path("clean.txt"), clean);
        // Deep in folders of long names, as a status line must wrap such a path to show it whole.
        std::string summer = "summer.txt";
        for (int level = 0; level < 6; ++level)
            summer.insert(0, "afolderwithalongname" + std::to_string(level) + "/");
        std::filesystem::create_directories(folder.Path(summer).parent_path());
        WriteBytes(folder.Path(summer), "old");
        ReadWindow cleanRead(folder, "clean.txt");
        CheckWindow& cleanWindow = cleanRead.window;
        Find<QDateEdit>(cleanWindow, "ShiftFrom")->setDate(QDate(2025, 1, 15));
        Find<QDateEdit>(cleanWindow, "ShiftTo")->setDate(QDate(2025, 7, 15));
        auto saveAs = [&](const std::string& name) {
            Platform::TestSeam::QueueSaveFileAnswer(folder.QPath(name));
            QSignalSpy finished(&cleanWindow, &CheckWindow::WorkFinished);
            QTest::mouseClick(Find<QPushButton>(cleanWindow, "SaveAs"), Qt::LeftButton);
            finished.wait(name == "clean.txt" ? 200 : 20000);
            return Platform::TestSeam::TakeMessages().join(QLatin1Char('\n'));
        };
        QCOMPARE(saveAs("clean.txt"), QDir::toNativeSeparators(folder.QPath("clean.txt"))
                                          + " is the plan file itself. The shifted plans go to a new file; choose "
                                            "another name.");
        QCOMPARE(ReadBytes(folder.Path("clean.txt")), clean);
        const QString written = "Written to " + QDir::toNativeSeparators(folder.QPath(summer))
                                + ": every plan of the file, 3 plans, 6 times moved.";
        QCOMPARE(saveAs(summer).section('\n', 0, 0), written);
        QCOMPARE(ReadBytes(folder.Path(summer)),
                 "; faults\r\n"
                 "JET7,D-AILA,100%,24Hr,IFR,05:00,,350,F,101,EDDM,07:00,,350,F,102,EDDF\r\n"
                 "BUS3,D-AILM,80%,24Hr,IFR,05:00,,350,F,111,EDDH,08:00,,350,F,112,EDDF\r\n"
                 "JET7,D-AILB,50%,24hr,ifr,05:00,,350,F,201,EDDM,05:40,,350,R,202,EDDF\r\n");
        // A shift cancelled writes nothing, and says so.
        std::string many = clean;
        for (int i = 0; i < 100000; ++i)
            many += "JET7,D-AILC,100%,24Hr,IFR,06:00,,350,F,101,EDDM,08:00,,350,F,102,EDDF\r\n";
        WriteBytes(folder.Path("many.txt"), many);
        {
            ReadWindow manyRead(folder, "many.txt");
            Platform::TestSeam::QueueSaveFileAnswer(folder.QPath("shifted.txt"));
            QSignalSpy finished(&manyRead.window, &CheckWindow::WorkFinished);
            QTest::mouseClick(Find<QPushButton>(manyRead.window, "SaveAs"), Qt::LeftButton);
            QTest::mouseClick(Find<QPushButton>(manyRead.window, "Cancel"), Qt::LeftButton);
            QVERIFY(finished.wait(20000));
            QCOMPARE(Find<QLabel>(manyRead.window, "Status")->text(), "Shift cancelled: nothing was written.");
            QVERIFY(!Exists(folder.Path("shifted.txt")));
        }
        // The status line says it whole, wrapped at the path's separators in a narrow window.
        cleanWindow.resize(cleanWindow.minimumSizeHint().width(), cleanWindow.height());
        QApplication::processEvents();
        auto* status = Find<QLabel>(cleanWindow, "Status");
        QCOMPARE(status->text().remove(QChar(0x200B)), written);
        QCOMPARE(status->text().count(QChar(0x200B)), written.count(QDir::separator())); // a break after each
        const QRect needed =
            status->fontMetrics().boundingRect(QRect(0, 0, status->width(), 10000), Qt::TextWordWrap, status->text());
        QVERIFY(needed.width() <= status->width() && needed.height() <= status->height());
    }

    void saysWhyAFolderOrAMissingFileCannotBeRead()
    {
        WorkingFolder folder;
        UseFiles(folder);
        std::filesystem::create_directory(folder.Path("folder.txt"));
        for (const char* name : {"folder.txt", "missing.txt"}) {
            ReadWindow read(folder, name);
            const QString message = Platform::TestSeam::TakeMessages().join("");
            QVERIFY2(message.startsWith("The plan file cannot be read: "), qPrintable(message));
            QCOMPARE(Find<QLabel>(read.window, "Status")->text().remove(QChar(0x200B)), message);
            QCOMPARE(read.window.findChild<QTableView*>("Plans")->model()->rowCount(), 0);
        }
        QVERIFY(!Exists(folder.Path("missing.txt")));

        // A lone CR and a Ctrl-Z that ends the text early: the status names the first, counts the rest,
        // and the plan whose line holds the CR says so first among its findings.
        WriteBytes(folder.Path("bytes.txt"),
                   ";a\rb\nJET7,D-AI\rLA,100%,24Hr,IFR,06:00,,350,F,1,EDDM,07:00,,350,F,2,EDDF\n"
                   "\x1AJET7,D-AILB\n");
        ReadWindow bytes(folder, "bytes.txt");
        QCOMPARE(Find<QLabel>(bytes.window, "Status")->text(),
                 "1 plan in bytes.txt: 0 errors, 3 warnings. Line 1: a lone CR (carriage return) ends no line here; "
                 "the line goes on after it. 2 more notes on the file's bytes.");
        QCOMPARE(Rows(*Find<QTableView>(bytes.window, "Plans")->model()), QStringList({"2|D-AI\rLA|JET7|24Hr|2|0|1"}));
        QCOMPARE(Items(*Find<QListWidget>(bytes.window, "Findings")).value(0),
                 "Warning: a lone CR (carriage return) ends no line here; the line goes on after it");

        // The planner's plan file in the current folder is offered, as the personal copies are.
        QCOMPARE(Find<QLineEdit>(CheckWindow(), "PlanFile")->text(), QString());
        WriteBytes(folder.Path("flightplanspersonal.txt"), Plans);
        CheckWindow window;
        QCOMPARE(Find<QLineEdit>(window, "PlanFile")->text(),
                 QDir::toNativeSeparators(folder.QPath("flightplanspersonal.txt")));
        // A cancelled "Choose..." gives the keys back to the window, in the box the name was for.
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Platform::TestSeam::QueueOpenFileAnswer(std::nullopt);
        QTest::mouseClick(Find<QPushButton>(window, "AircraftFileChoose"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), Find<QLineEdit>(window, "AircraftFile"));
        QCOMPARE(QApplication::activeWindow(), &window);
    }
    // A timetable with a row refused and a flight that has no way back: the line built fills the
    // table, the reasons are listed by line, and the plans saved are clean when read back.
    void opensATimetableAndSavesItsPlans()
    {
        WorkingFolder folder;
        UseFiles(folder);
        WriteBytes(folder.Path("week.csv"),
                   "Flight;From;To;Departs;Arrives;Days;Aircraft\n"
                   "LW1;EDDF;EDDM;07:00;08:00;1234567;JET7\n"
                   "LW2;EDDM;EDDF;09:00;10:00;1234567;JET7\n"
                   "LW3;EDDF;EDDX;07:00;08:00;1234567;JET7\n"
                   "LW4;EDDF;EDDH;12:00;13:00;1.3....;BUS3\n");
        CheckWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Find<QDateEdit>(window, "Week")->setDate(QDate(2026, 12, 9));
        QSignalSpy finished(&window, &CheckWindow::WorkFinished);
        Platform::TestSeam::QueueOpenFileAnswer(folder.QPath("week.csv"));
        QTest::mouseClick(Find<QPushButton>(window, "OpenTimetable"), Qt::LeftButton);
        QCOMPARE(Find<QLabel>(window, "Status")->text(), "Reading the timetable and building its lines...");
        QVERIFY(finished.wait(20000));
        // The flights left out stand beside the plans.
        const QWidget* plans = Find<QTableView>(window, "Plans");
        const QWidget* leftOut = Find<QTableWidget>(window, "LeftOut");
        QVERIFY(leftOut->isVisible());
        QVERIFY(leftOut->mapTo(&window, QPoint()).x() >= plans->mapTo(&window, QPoint(plans->width(), 0)).x());
        QCOMPARE(Rows(*Find<QTableView>(window, "Plans")->model()), QStringList("5|LW0001|JET7|24Hr|2|0|0"));
        QCOMPARE(Rows(*Find<QTableWidget>(window, "LeftOut")->model()),
                 QStringList({"4|||to: airport EDDX is not in the airport file",
                              "5|LW4|13|BUS3 leaves EDDF more often than it reaches it in the week"}));
        QVERIFY(Find<QLabel>(window, "Summary")
                    ->text()
                    .startsWith("Week 2026-12-07 to 2026-12-13: 4 rows read, 1 "
                                "refused"));

        // Never into a file it reads.
        const std::string timetable = ReadBytes(folder.Path("week.csv"));
        Platform::TestSeam::QueueSaveFileAnswer(folder.QPath("week.csv"));
        QTest::mouseClick(Find<QPushButton>(window, "SaveAs"), Qt::LeftButton);
        QCOMPARE(Platform::TestSeam::TakeMessages(),
                 QStringList(QDir::toNativeSeparators(folder.QPath("week.csv"))
                             + " is one of the files read. The plans go to a new file; choose another name."));
        QVERIFY(!finished.wait(300));
        QCOMPARE(ReadBytes(folder.Path("week.csv")), timetable);
        WriteBytes(folder.Path("plans.txt"), "old");
        Platform::TestSeam::QueueSaveFileAnswer(folder.QPath("plans.txt"));
        QTest::mouseClick(Find<QPushButton>(window, "SaveAs"), Qt::LeftButton);
        QVERIFY(finished.wait(20000));
        QCOMPARE(Platform::TestSeam::TakeMessages(),
                 QStringList("Written to " + QDir::toNativeSeparators(folder.QPath("plans.txt"))
                             + ": 1 plan with 14 flights."));
        ReadWindow check(folder);
        QCOMPARE(Find<QLabel>(check.window, "Status")->text(), "1 plan in plans.txt: 0 errors, 0 warnings.");
    }

    // The program's own arguments reach the check; without any, it opens its window, or says why not.
    void theProgramChecksItsArgumentsOrOpensItsWindow()
    {
        WorkingFolder folder;
        UseFiles(folder);
        const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QStringList files{"--airports", "AirportsPersonal.txt", "--aircraft", "AircraftPersonal.txt"};
        Run run = RunCheckProgram(files + QStringList{"plans.txt"}, folder.QPath(), environment);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.out.startsWith("plans.txt:4: warning: leg 2 departs from EDDM at 06:40"), qPrintable(run.out));
        QVERIFY2(run.out.endsWith("\nlegwise-check: 4 plans in 1 file: 3 errors, 3 warnings\n"), qPrintable(run.out));
        run = RunCheckProgram({"-h"}, folder.QPath(), environment);
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.startsWith("Usage: legwise-check --airports FILE --aircraft FILE [--turnaround MINUTES] "));
        QVERIFY(
            run.out.endsWith("\nExit status: 0 no errors, 1 errors found, 2 a file could not be read or "
                             "the arguments are wrong.\n"));
        run = RunCheckProgram(files + QStringList{"missing.txt"}, folder.QPath(), environment);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.out.endsWith("legwise-check: 0 plans in 1 file: 0 errors, 0 warnings, 1 file could not be read\n"),
                 qPrintable(run.out));
        QVERIFY(!Exists(folder.Path("missing.txt")));
        // Without arguments, on the platform the tests use, the window stays open until it is closed.
        QProcessEnvironment offscreen = environment;
        offscreen.insert("QT_QPA_PLATFORM", "offscreen");
        QCOMPARE(RunCheckProgram({}, folder.QPath(), offscreen, 3).status, -1);
#ifndef _WIN32
        // With no display to open, the usage and why, status 2.
        QProcessEnvironment noDisplay = environment;
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            noDisplay.remove(name);
        const std::pair<QString, QString> displays[] = {
            {"", "there is no display to open the window on (DISPLAY is not set)"},
            {":9999", "the display :9999 cannot be opened"},
        };
        for (const auto& [display, why] : displays) {
            if (!display.isEmpty())
                noDisplay.insert("DISPLAY", display);
            run = RunCheckProgram({}, folder.QPath(), noDisplay);
            QCOMPARE(run.status, 2);
            QVERIFY(run.err.startsWith("Usage: legwise-check --airports FILE"));
            QVERIFY2(run.err.endsWith("wrong.\nlegwise-check: no window: " + why + "\n"), qPrintable(run.err));
        }
        // A report that cannot be written whole is no report.
        QProcess full;
        full.setStandardOutputFile(QStringLiteral("/dev/full"));
        full.start(QStringLiteral(LEGWISE_CHECK_PROGRAM), {"--help"});
        QVERIFY(full.waitForFinished(30000));
        QCOMPARE(full.exitCode(), 2);
        QCOMPARE(QString::fromLocal8Bit(full.readAllStandardError()),
                 QStringLiteral("legwise-check: the report could not be written: No space left on device\n"));
#endif
    }
};

QTEST_MAIN(CheckWindowTest)
#include "test_check_window.moc"
