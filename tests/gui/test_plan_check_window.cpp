// The plan check window beside the plan dialog: its rows and findings while the worked example is
// composed, the plan file's bytes the same with the window open or closed, the focus left in the
// dialog, leg 1's departure airport typed after F2, and advice that holds once followed.
#include "support/ExampleFiles.h"
#include "support/GuiTestSupport.h"
#include "support/OpenPlanDialog.h"
#include "support/PlanDriving.h"

#include "check/Calendar.h"
#include "check/PlanCheckWindow.h"
#include "plan/PlanDialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTableWidget>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {
const std::int64_t StartDay = DaysFromCivil({2026, 12, 7});
const std::string EarlierPlans =
    "\r\n;\r\n;\r\n" + ExamplePlanLine + "\r\n\r\nJET7,D-ABCD,50%,24Hr,IFR,04:30,,350,F,1,EDDF\r\n";

QStringList Row(const PlanCheckWindow& window, int row)
{
    const auto* table = Control<QTableWidget>(window, "Legs");
    QStringList cells;
    for (int column = 0; column < table->columnCount(); ++column)
        cells << (table->item(row, column) ? table->item(row, column)->text() : QString());
    return cells;
}

QStringList Findings(const PlanCheckWindow& window)
{
    const auto* list = Control<QListWidget>(window, "Findings");
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QString LabelText(const PlanCheckWindow& window, const char* name) { return Control<QLabel>(window, name)->text(); }
} // namespace

class PlanCheckWindowTest : public QObject {
    Q_OBJECT

private slots:
    void composesTheWorkedExampleBesideTheCheck()
    {
        std::string written[2];
        for (const bool closedByUser : {false, true}) {
            ResetState();
            WorkingFolder folder;
            UseInputFiles(folder, ExampleAircraft, ExampleAirports);
            State().comment = "Example comment";
            WriteBytes(folder.Path("flightplanspersonal.txt"), EarlierPlans);
            Platform::TestSeam::Reset();
            Platform::TestSeam::SetAnswerMessages(true);
            // Steps in a function of their own: a failed check returns from it, and the dialog still ends.
            auto steps = [closedByUser](CPlanDialog& dialog) {
                PlanCheckWindow* window = dialog.CheckWindow();
                QVERIFY(window && window->isVisible());
                QVERIFY(QTest::qWaitForWindowActive(&dialog)); // under a window manager, once it is mapped
                if (closedByUser)
                    window->close();
                dialog.SetCheckStartDay(StartDay);
                AcceptExampleHeader(dialog, 6);
                if (!closedByUser) {
                    QCOMPARE(LabelText(*window, "Header"),
                             QStringLiteral("Aircraft JET7 (450 kn), registration N123EX"));
                    QTRY_COMPARE(
                        LabelText(*window, "ExistingPlans"),
                        QStringLiteral("The registration N123EX already has a plan in the plan file, on line 4."));
                    // The first leg as it is being composed, the focus kept in the dialog's list.
                    auto* differences = Control<QListView>(dialog, "IDC_TIME_DIFFERENCE");
                    differences->setFocus();
                    SelectRow(dialog, "IDC_DEPARTURE_TIME", DepartureRow(6, 30));
                    TypeInto(dialog, "IDC_DESTINATION", QStringLiteral("EDDF"));
                    differences->setFocus();
                    SelectRow(dialog, "IDC_TIME_DIFFERENCE", 12 + 1);
                    QCOMPARE(Row(*window, 0).mid(0, 8),
                             (QStringList{"new", "the last leg's destination, if the plan ends there", "EDDF", "06:30",
                                          "+1", "", "", "05:30"}));
                    QCOMPARE(QApplication::focusWidget(), differences);
                    QVERIFY(!window->isActiveWindow());
                }
                AcceptExampleLegs(dialog, false);
                if (!closedByUser) {
                    QCOMPARE(Control<QTableWidget>(*window, "Legs")->rowCount(), 2);
                    QCOMPARE(Row(*window, 0),
                             (QStringList{"1", "EGLL", "EDDF", "06:30", "+2", "Europe/London", "0, +1 summer", "04:30",
                                          "353 nm", "0:47", "05:17", "16:58"}));
                    QCOMPARE(Row(*window, 1),
                             (QStringList{"2", "EDDF", "EGLL", "01:15", "+3", "Europe/Berlin", "+1, +2 summer", "22:15",
                                          "353 nm", "0:47", "23:02", "5:28"}));
                    QCOMPARE(
                        Findings(*window),
                        (QStringList{
                            "Error: No day of the twelve months from 2026-12-07 suits every time difference; leg 1 "
                            "(EGLL at +2) holds on no day; leg 2 (EDDF at +3) holds on no day.",
                            "Error: Leg 1: the time difference +2 is no offset of EGLL (Europe/London keeps 0, and "
                            "+1 with daylight saving time).",
                            "Error: Leg 2: the time difference +3 is no offset of EDDF (Europe/Berlin keeps +1, and "
                            "+2 with daylight saving time).",
                        }));
                    SaveScreenshot(*window, QStringLiteral("plan-check"));
                    if (const QString folder = qEnvironmentVariable("LEGWISE_SCREENSHOTS"); !folder.isEmpty())
                        window->screen()->grabWindow(0).save(QDir(folder).filePath("plan-check-screen.png"));
                }
                Click(dialog, "IDOK");
            };
            Platform::TestSeam::SetModalHandler([&steps](QDialog& shown) {
                steps(static_cast<CPlanDialog&>(shown));
                if (shown.isVisible())
                    shown.done(IDCANCEL);
            });
            CPlanDialog dialog(nullptr);
            QCOMPARE(dialog.Run(), int(IDOK));
            QVERIFY(!dialog.CheckWindow() || !dialog.CheckWindow()->isVisible()); // closes with the dialog
            written[closedByUser] = ReadBytes(folder.Path("flightplanspersonal.txt"));
            Platform::TestSeam::Reset();
        }
        QCOMPARE(written[0], EarlierPlans + ExamplePlan24Hr);
        QCOMPARE(written[1], written[0]);
    }

    // A pipe in the plan file's place is not opened; the file's bytes are judged as the file check
    // judges them, below what is said of its plans.
    void thePlanFileIsReadOnlyWhenPlainAndItsBytesJudged()
    {
        const std::pair<std::string, QString> cases[] = {
            {"", "The plan file flightplanspersonal.txt is not a plain file, so it was not read."}, // a pipe
            {";\r\r\n" + ExamplePlanLine + "\r\n",
             "The plan file holds 1 plan.\nWarning: line 1 of the plan file: a lone CR (carriage return) ends no "
             "line here; the line goes on after it."},
        };
        for (const auto& [bytes, expected] : cases) {
            ResetState();
            WorkingFolder folder;
            UseInputFiles(folder, ExampleAircraft, ExampleAirports);
            if (!bytes.empty())
                WriteBytes(folder.Path("flightplanspersonal.txt"), bytes);
#ifdef _WIN32
            else
                continue;
#else
            else // opening it to read would wait
                QCOMPARE(mkfifo(folder.Path("flightplanspersonal.txt").c_str(), 0600), 0);
#endif
            Platform::TestSeam::Reset();
            QString shown;
            Platform::TestSeam::SetModalHandler([&shown](QDialog& dialog) {
                const PlanCheckWindow& window = *static_cast<CPlanDialog&>(dialog).CheckWindow();
                (void)QTest::qWaitFor([&] { return LabelText(window, "ExistingPlans").startsWith("The plan file "); });
                shown = LabelText(window, "ExistingPlans");
                dialog.done(IDCANCEL);
            });
            CPlanDialog dialog(nullptr);
            dialog.Run();
            Platform::TestSeam::Reset();
            QCOMPARE(shown, expected);
        }
    }

    void leg1DepartsFromTheTypedAirportAndAdviceFollowedSettles()
    {
        ResetState();
        WorkingFolder folder;
        OpenPlanDialog open(folder, ExampleAircraft, ExampleAirports + "VIDP,N28* 34.00',E77* 6.00',777\r\n");
        CPlanDialog& dialog = *open.dialog;
        PlanCheckWindow& window = *dialog.CheckWindow();
        dialog.SetCheckStartDay(StartDay);
        AcceptExampleHeader(dialog, 6);
        // Frankfurt at 10:00 (+1) to Delhi is not judged at Delhi. F2 gives the window the keys, even
        // once closed; Esc gives them back.
        AcceptLeg(dialog, {DepartureRow(10, 0), 12 + 1, -1, "1", "350", "VIDP"});
        QCOMPARE(Row(window, 0)[1], QStringLiteral("the last leg's destination, if the plan ends there"));
        QVERIFY(Findings(window).filter("Leg 1").isEmpty());
        window.close();
        QTest::keyClick(&dialog, Qt::Key_F2);
        QVERIFY(window.isVisible() && QTest::qWaitForWindowActive(&window));
        QTRY_COMPARE(QApplication::focusWidget(), Control<QLineEdit>(window, "FirstDeparture"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("eddf"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(Row(window, 0).mid(1, 3), (QStringList{"EDDF", "VIDP", "10:00"}));
        QVERIFY(
            Findings(window).contains("Note: The plan ends at VIDP, but leg 1 departs from EDDF: add a leg to "
                                      "EDDF, or the simulator flies leg 1 from VIDP to VIDP instead."));
        // Delhi at 08:00 (+6) draws advice; followed, it writes 02:30 UT and draws none again.
        SelectRow(dialog, "IDC_DEPARTURE_TIME", DepartureRow(8, 0));
        SelectRow(dialog, "IDC_TIME_DIFFERENCE", 12 + 6);
        TypeInto(dialog, "IDC_DESTINATION", QStringLiteral("EDDF"));
        QVERIFY(Findings(window).join(' ').contains("To depart at 08:00 local time, choose 07:30 at +5."));
        AcceptLeg(dialog, {DepartureRow(7, 30), 12 + 5, -1, "2", "350", "EDDF"});
        QCOMPARE(Row(window, 1).mid(3, 5),
                 (QStringList{"07:30 (08:00 at +5:30)", "+5", "Asia/Kolkata", "+5:30", "02:30"}));
        QVERIFY(PreviewText(dialog).contains(",02:30,") && Findings(window).filter("choose").isEmpty());
    }

    // Beside the dialog, a gap apart and within the screen, it follows the dialog until the user
    // moves it.
    void followsTheDialogUntilTheUserMovesIt()
    {
        ResetState();
        WorkingFolder folder;
        OpenPlanDialog open(folder, ExampleAircraft, ExampleAirports);
        CPlanDialog& dialog = *open.dialog;
        PlanCheckWindow& window = *dialog.CheckWindow();
        window.ShowBeside(); // as the dialog does once it stands
        const QRect room = window.screen()->availableGeometry().marginsRemoved(QMargins(8, 8, 8, 8));
        for (const int top : {420, 360}) {
            dialog.move(0, top);
            QTRY_VERIFY(window.frameGeometry().bottom() < top - 8);
            QVERIFY(room.contains(window.frameGeometry()));
        }
        window.move(window.pos() + QPoint(10, 10));
        QTest::qWait(50);
        const QRect placedByUser = window.frameGeometry();
        QCOMPARE(placedByUser.topLeft(), QPoint(18, 18));
        dialog.move(0, 420);
        QTest::qWait(50);
        QCOMPARE(window.frameGeometry(), placedByUser);
    }

    // A weekly plan's times carry their day, local and universal alike.
    void weeklyTimesCarryTheirDay()
    {
        ResetState();
        WorkingFolder folder;
        OpenPlanDialog open(folder, ExampleAircraft, ExampleAirports);
        CPlanDialog& dialog = *open.dialog;
        dialog.SetCheckStartDay(StartDay);
        AcceptExampleHeader(dialog, 7);
        AcceptLeg(dialog, {DepartureRow(0, 30), 12 + 2, 2, "101", "350", "EDDF"});
        // Tuesday 00:30 at +2 departs on Monday in universal time.
        const QStringList row = Row(*dialog.CheckWindow(), 0);
        QCOMPARE(row.mid(2, 3), (QStringList{"EDDF", "Tue 00:30", "+2"}));
        QCOMPARE(row[7], QStringLiteral("Mon 22:30"));
    }
};

QTEST_MAIN(PlanCheckWindowTest)
#include "test_plan_check_window.moc"
