// Accept Header and Accept Leg through the real plan dialog: the preview, the lists, the refusals.
#include "support/ExampleFiles.h"
#include "support/GuiTestSupport.h"
#include "support/OpenPlanDialog.h"
#include "support/PlanDriving.h"

#include "app/PlannerState.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

namespace {
const QString RepeatSelection = QStringLiteral("Error: Repeat Selection!");
const QString AirportNotFound = QStringLiteral("Error: Airport not found!\n(Use Arrow down for ICAO code...)");
const QString OnlyOneLeg = QStringLiteral("Only 1 Leg in Flightplan !");
const QString ExampleHeader = QStringLiteral("JET7,N123EX,50%,24Hr,IFR");
} // namespace

class PlanHandlersTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        ResetState();
        m_folder = std::make_unique<WorkingFolder>();
    }
    void cleanup() { m_folder.reset(); }

    void headerWithCommentGoesIntoThePreview()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports, "Example comment");
        AcceptExampleHeader(*open.dialog, 6);
        QCOMPARE(PreviewText(*open.dialog), "\n;\n;Example comment\n;\n" + ExampleHeader);
        QCOMPARE(State().headerText, "\n" + ExampleHeader.toStdString());
        QVERIFY(TakeMessages().isEmpty());
    }

    void headerWithoutCommentStartsWithTwoLineBreaks()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports);
        AcceptExampleHeader(*open.dialog, 6);
        QCOMPARE(PreviewText(*open.dialog), "\n\n" + ExampleHeader);
    }

    void commentOfSeveralLinesGetsASemicolonOnEachLine()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports, "First line\r\nsecond line");
        AcceptExampleHeader(*open.dialog, 6);
        QCOMPARE(PreviewText(*open.dialog), "\n;\n;First line\n;second line\n;\n" + ExampleHeader);
    }

    void weekShowsTheDayListAndOtherPeriodsHideIt()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports);
        QDialog& dialog = *open.dialog;
        auto* days = dialog.findChild<QListView*>("IDC_DAY_OF_WEEK");
        auto* label = dialog.findChild<QLabel*>("IDC_DAY_OF_WEEK_LABEL");
        QVERIFY(days->isVisible() && label->isVisible());

        AcceptExampleHeader(dialog, 6);
        QVERIFY(!days->isVisible() && !label->isVisible());

        AcceptExampleHeader(dialog, 7); // refused (one header without legs), yet the day list shows
        QCOMPARE(TakeMessages(), QStringList{OnlyOneLeg});
        QVERIFY(days->isVisible() && label->isVisible());
        QCOMPARE(State().periodIndex, 7);
        SelectRow(dialog, "IDC_DAY_OF_WEEK", 3);
        AcceptExampleHeader(dialog, 7);
        QCOMPARE(SelectedRow(dialog, "IDC_DAY_OF_WEEK"), 0); // Sunday again at every press
    }

    void workedExampleLegsIn24Hr()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports, "Example comment");
        AcceptExampleHeader(*open.dialog, 6);
        AcceptExampleLegs(*open.dialog, false);
        QCOMPARE(PreviewText(*open.dialog),
                 "\n;\n;Example comment\n;\n" + ExampleHeader + ",04:30,,350,F,101,EDDF,22:15,,280,F,102,EGLL");
        QCOMPARE(State().legCount, 2);
        QCOMPARE(State().legText, std::string(",22:15,,280,F,102,EGLL"));
        QVERIFY(TakeMessages().isEmpty());
    }

    void weeklyLegsCarryTheUniversalDay_data()
    {
        QTest::addColumn<int>("departureRow");
        QTest::addColumn<int>("difference");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("leg");
        QTest::newRow("Sunday goes back to Saturday") << DepartureRow(1, 15) << 3 << 0 << ",6/22:15,,280,F,102,EGLL";
        QTest::newRow("Saturday goes on to Sunday") << DepartureRow(23, 0) << -5 << 6 << ",0/04:00,,280,F,102,EGLL";
        QTest::newRow("difference 12 reaches the day before")
            << DepartureRow(11, 55) << 12 << 2 << ",1/23:55,,280,F,102,EGLL";
        QTest::newRow("difference 0 keeps time and day") << DepartureRow(9, 5) << 0 << 4 << ",4/09:05,,280,F,102,EGLL";
    }
    void weeklyLegsCarryTheUniversalDay()
    {
        QFETCH(int, departureRow);
        QFETCH(int, difference);
        QFETCH(int, day);
        QFETCH(QString, leg);
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports);
        AcceptExampleHeader(*open.dialog, 7);
        AcceptLeg(*open.dialog, {departureRow, 12 + difference, day, " 102 ", " 280 ", "EGLL"});
        QVERIFY2(PreviewText(*open.dialog).endsWith("WEEK,IFR" + leg), qPrintable(PreviewText(*open.dialog)));
    }

    void destinationIsClearedAfterEachLeg()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports);
        QDialog& dialog = *open.dialog;
        AcceptExampleHeader(dialog, 6);
        AcceptLeg(dialog, {DepartureRow(6, 30), 14, -1, "101", "350", "KJ"});
        QCOMPARE(dialog.findChild<QLineEdit*>("IDC_DESTINATION")->text(), QString());
        QCOMPARE(State().destinationIndex, 3); // EDDF, EDDM, EGLL, KJFK
        const std::string text = State().planText;

        Click(dialog, "IDC_ACCEPT_LEG"); // no new destination chosen
        QCOMPARE(TakeMessages(), QStringList{AirportNotFound});
        QCOMPARE(State().destinationIndex, -1);
        QCOMPARE(State().planText, text);
        QCOMPARE(State().legCount, 1);
    }

    void previewShowsTheLastLineAfterALeg()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports, "one\ntwo\nthree\nfour\nfive");
        AcceptExampleHeader(*open.dialog, 6);
        AcceptExampleLegs(*open.dialog, false);
        QScrollBar* bar = open.dialog->findChild<QPlainTextEdit*>("IDC_PLAN_PREVIEW")->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
    }

    void secondHeaderWithCommentStartsTheLegsAnew()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports, "Example comment");
        AcceptExampleHeader(*open.dialog, 6);
        AcceptExampleLegs(*open.dialog, false);
        AcceptExampleHeader(*open.dialog, 6);
        QCOMPARE(PreviewText(*open.dialog), "\n;\n;Example comment\n;\n" + ExampleHeader);
        QCOMPARE(State().legCount, 0);
        Click(*open.dialog, "IDOK");
        QCOMPARE(TakeMessages(), QStringList{OnlyOneLeg});
        QVERIFY(open.dialog->isVisible());
    }

    void secondHeaderWithoutCommentFollowsTheFirstPlanLine()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports);
        AcceptExampleHeader(*open.dialog, 6);
        AcceptExampleLegs(*open.dialog, false);
        AcceptExampleHeader(*open.dialog, 6);
        const QString first = "\n\n" + ExampleHeader + ",04:30,,350,F,101,EDDF,22:15,,280,F,102,EGLL";
        QCOMPARE(PreviewText(*open.dialog), "\n" + first + "\n" + ExampleHeader);
    }

    // Each refusal shows its message and leaves the plan text, the leg count and the preview alone.
    void refusals_data()
    {
        QTest::addColumn<std::string>("aircraft");
        QTest::addColumn<QString>("quietFrom");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        const std::string good = ExampleAircraft;
        QTest::newRow("header with an empty aircraft list") << std::string() << ""
                                                            << "header" << RepeatSelection;
        QTest::newRow("header with an entry whose key is blank") << std::string("  ,450,\"No key\"\r\n") << ""
                                                                 << "header" << RepeatSelection;
        QTest::newRow("header with an empty aircraft row") << std::string("JET7,450,no quotes\r\n") << ""
                                                           << "header" << RepeatSelection;
        QTest::newRow("header with a comma in the registration") << good << ""
                                                                 << "registration-comma"
                                                                 << "Error: No comma in the Registration!";
        QTest::newRow("header with a character outside the code page")
            << good << ""
            << "registration-plane"
            << "Error: The character \"\u2708\" cannot be written to the flightplan!";
        QTest::newRow("second header without comment before two legs") << good << ""
                                                                       << "header-twice" << OnlyOneLeg;
        QTest::newRow("leg before any header") << good << ""
                                               << "leg-first"
                                               << "Error: Accept the Header first!";
        QTest::newRow("leg without departure time") << good << "1"
                                                    << "leg-no-time"
                                                    << "Error: No Local Departure Time selected!";
        QTest::newRow("leg with a comma in the flight number") << good << ""
                                                               << "leg-number-comma"
                                                               << "Error: No comma in Flight # or Flight Level!";
        QTest::newRow("leg with a comma in the flight level") << good << ""
                                                              << "leg-level-comma"
                                                              << "Error: No comma in Flight # or Flight Level!";
        QTest::newRow("leg without destination") << good << ""
                                                 << "leg-no-destination" << AirportNotFound;
        QTest::newRow("leg with a destination that begins no code") << good << ""
                                                                    << "leg-unknown-destination" << AirportNotFound;
    }
    void refusals()
    {
        QFETCH(std::string, aircraft);
        QFETCH(QString, quietFrom);
        QFETCH(QString, action);
        QFETCH(QString, message);
        State().quietFrom = quietFrom.toStdString(); // "between" 1: only 00:00 to 00:55 offered
        State().quietUntil = quietFrom.isEmpty() ? "" : "01";
        OpenPlanDialog open(*m_folder, aircraft, ExampleAirports);
        QDialog& dialog = *open.dialog;
        const bool needsHeader = action.startsWith("leg") && action != "leg-first";
        if (needsHeader || action == "header-twice") {
            AcceptExampleHeader(dialog, 6);
            QCOMPARE(TakeMessages(), QStringList());
        }
        const std::string textBefore = State().planText;
        const QString previewBefore = PreviewText(dialog);
        const int legsBefore = State().legCount;

        const Leg leg{DepartureRow(6, 30), 14, -1, "101", "350", "EDDF"};
        if (action == "header" || action == "header-twice") {
            Click(dialog, "IDC_ACCEPT_HEADER");
        } else if (action == "registration-comma") {
            TypeInto(dialog, "IDC_REGISTRATION", "N1,23");
            Click(dialog, "IDC_ACCEPT_HEADER");
        } else if (action == "registration-plane") {
            TypeInto(dialog, "IDC_REGISTRATION", "N1\u2708");
            Click(dialog, "IDC_ACCEPT_HEADER");
        } else if (action == "leg-first") {
            AcceptLeg(dialog, leg);
            QCOMPARE(State().destinationIndex, 0); // stored before the refusal
        } else if (action == "leg-no-time") {
            AcceptLeg(dialog, {-1, 14, -1, "101", "350", "EDDF"});
        } else if (action == "leg-number-comma") {
            AcceptLeg(dialog, {DepartureRow(6, 30), 14, -1, "10,1", "350", "EDDF"});
        } else if (action == "leg-level-comma") {
            AcceptLeg(dialog, {DepartureRow(6, 30), 14, -1, "101", "3,50", "EDDF"});
        } else if (action == "leg-no-destination") {
            AcceptLeg(dialog, {DepartureRow(6, 30), 14, -1, "101", "350", ""});
        } else if (action == "leg-unknown-destination") {
            AcceptLeg(dialog, {DepartureRow(6, 30), 14, -1, "101", "350", "EDDX"});
        }
        QCOMPARE(TakeMessages(), QStringList{message});
        QCOMPARE(State().planText, textBefore);
        QCOMPARE(PreviewText(dialog), previewBefore);
        QCOMPARE(State().legCount, legsBefore);
    }

    void destinationIndexIsCarriedToTheNextOpening()
    {
        {
            OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports);
            AcceptExampleHeader(*open.dialog, 6);
            AcceptLeg(*open.dialog, {DepartureRow(6, 30), 14, -1, "101", "350", "EGLL"});
        }
        QCOMPARE(State().destinationIndex, 2);
        OpenPlanDialog again(*m_folder, ExampleAircraft, ExampleAirports);
        QCOMPARE(again.dialog->findChild<QLineEdit*>("IDC_DESTINATION")->text(), QStringLiteral("EGLL"));
    }

    void entryBytesReachThePlanUnchanged()
    {
        // 0xE9 is shown as é and written back as the one byte it was.
        OpenPlanDialog open(*m_folder, "CAF\xE9,1,\"Caf\xE9 Air\"\r\n",
                            "L\xC9"
                            "IM,x\r\n");
        AcceptExampleHeader(*open.dialog, 6);
        QCOMPARE(ListEntry(*open.dialog, "IDC_AIRCRAFT", 0), QStringLiteral("CAF\u00E9,1,\"Caf\u00E9 Air\""));
        AcceptLeg(*open.dialog, {DepartureRow(6, 30), 14, -1, "101", "350", QStringLiteral("l\u00E9")});
        QCOMPARE(State().planText, std::string("\n\nCAF\xE9,N123EX,50%,24Hr,IFR,04:30,,350,F,101,L\xC9IM"));
    }

private:
    std::unique_ptr<WorkingFolder> m_folder;
};

QTEST_MAIN(PlanHandlersTest)
#include "test_plan_handlers.moc"
