// OK in the plan dialog: the plan appended to flightplanspersonal.txt, byte for byte, or a clear
// message and the dialog kept open.
#include "support/ExampleFiles.h"
#include "support/FlowSteps.h"
#include "support/GuiTestSupport.h"
#include "support/MenuClicks.h"
#include "support/OpenPlanDialog.h"
#include "support/PlanDriving.h"

#include "app/MainFrame.h"
#include "app/PlannerState.h"
#include "app/Platform.h"

#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class PlanOutputTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        ResetState();
        m_folder = std::make_unique<WorkingFolder>();
    }
    void cleanup() { m_folder.reset(); }

    void twoPlansFromAFreshWindow()
    {
        WriteBytes(m_folder->Path("Airports.txt"), ExampleAirports);
        WriteBytes(m_folder->Path("Aircraft.txt"), ExampleAircraft);
        CMainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        ModalScript script;
        script.AnswerOpenFile(m_folder->QPath("Airports.txt"));
        script.AnswerOpenFile(m_folder->QPath("Aircraft.txt"));
        script.Then(OptionsOk("Example comment"));
        script.Then([](QDialog& dialog) {
            AcceptExampleHeader(dialog, 6);
            AcceptExampleLegs(dialog, false);
            SaveScreenshot(dialog, QStringLiteral("plan-dialog"));
            Click(dialog, "IDOK");
        });
        ClickMenu(frame, "ID_START");
        QCOMPARE(ReadBytes(m_folder->Path("flightplanspersonal.txt")), ExamplePlan24Hr);
        QList<int> screens;
        for (const ModalScript::Opened& opened : script.OpenedDialogs())
            screens << opened.screen;
        screens << State().screen;
        QCOMPARE(screens, (QList<int>{1, 2, 5, 5, 4}));
        SaveScreenshot(frame, QStringLiteral("succeeded"));

        // A second plan of the same run, weekly, follows the first exactly.
        script.AnswerOpenFile(m_folder->QPath("Airports.txt"));
        script.AnswerOpenFile(m_folder->QPath("Aircraft.txt"));
        script.Then(OptionsOk("Example comment"));
        script.Then(ExamplePlanOk(true));
        ClickMenu(frame, "ID_START");
        QCOMPARE(State().screen, int(ScreenSucceeded));
        QCOMPARE(ReadBytes(m_folder->Path("flightplanspersonal.txt")), ExamplePlan24Hr + ExamplePlanWeek);
        QVERIFY(script.AllStepsRun());
        QVERIFY(TakeMessages().isEmpty());
    }

    void additionStartsRightAfterTheLastByte()
    {
        WriteBytes(m_folder->Path("flightplanspersonal.txt"), "OLD,LINE\r\nNO,BREAK");
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports, "Example comment");
        ComposeAndPressOk(*open.dialog);
        QCOMPARE(ReadBytes(m_folder->Path("flightplanspersonal.txt")), "OLD,LINE\r\nNO,BREAK" + ExamplePlan24Hr);
        QCOMPARE(open.dialog->result(), IDOK);
    }

    void planFileInAnotherLetterCaseIsAppendedTo()
    {
        WriteBytes(m_folder->Path("FlightplansPersonal.txt"), "EARLIER\r\n");
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports, "Example comment");
        ComposeAndPressOk(*open.dialog);
        QCOMPARE(ReadBytes(m_folder->Path("FlightplansPersonal.txt")), "EARLIER\r\n" + ExamplePlan24Hr);
        QVERIFY(!Exists(m_folder->Path("flightplanspersonal.txt")));
    }

    void cancelAfterLegsWritesNothing()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports);
        AcceptExampleHeader(*open.dialog, 6);
        AcceptExampleLegs(*open.dialog, false);
        Click(*open.dialog, "IDCANCEL");
        QCOMPARE(open.dialog->result(), IDCANCEL);
        QVERIFY(!Exists(m_folder->Path("flightplanspersonal.txt")));
    }

    void fewerThanTwoLegsKeepTheDialogOpen()
    {
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports, "Example comment");
        QDialog& dialog = *open.dialog;
        Click(dialog, "IDOK");
        AcceptExampleHeader(dialog, 6);
        AcceptLeg(dialog, {DepartureRow(6, 30), 14, -1, "101", "350", "EDDF"});
        Click(dialog, "IDOK");
        // The caption is the program's name, the executable's file name without extension.
        QCOMPARE(Platform::TestSeam::MessageCaptions().value(0),
                 QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
        QCOMPARE(TakeMessages(), (QStringList{"Only 1 Leg in Flightplan !", "Only 1 Leg in Flightplan !"}));
        QVERIFY(dialog.isVisible());
        QVERIFY(!Exists(m_folder->Path("flightplanspersonal.txt")));

        AcceptLeg(dialog, {DepartureRow(1, 15), 15, -1, "102", "280", "EGLL"});
        Click(dialog, "IDOK");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(ReadBytes(m_folder->Path("flightplanspersonal.txt")), ExamplePlan24Hr);
    }

    // A plan file that cannot take the plan: the user is told which and why, the dialog stays
    // with the plan in it, the file is as it was, and OK works once the cause is gone.
    void unwritablePlanFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full device") << "full"
                                     << "No space left on device";
        QTest::newRow("read-only file") << "read-only"
                                        << "Permission denied";
        QTest::newRow("a folder in its place") << "folder"
                                               << "Is a directory";
    }
    void unwritablePlanFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const std::filesystem::path plan = m_folder->Path("flightplanspersonal.txt");
        const std::string earlier = "EARLIER\r\n";
        if (kind == "full") {
            if (!Exists("/dev/full"))
                QSKIP("this system has no /dev/full");
            std::filesystem::create_symlink("/dev/full", plan);
        } else if (kind == "read-only") {
            if (geteuid() == 0)
                QSKIP("running as root, which may write to read-only files");
            WriteBytes(plan, earlier);
            chmod(plan.c_str(), 0444);
        } else {
            std::filesystem::create_directory(plan);
        }
        OpenPlanDialog open(*m_folder, ExampleAircraft, ExampleAirports, "Example comment");
        ComposeAndPressOk(*open.dialog);
        const QStringList messages = TakeMessages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains("flightplanspersonal.txt") && messages[0].contains(reason),
                 qPrintable(messages[0]));
        QVERIFY(open.dialog->isVisible());
        QCOMPARE(State().legCount, 2);
        QVERIFY(PreviewText(*open.dialog).endsWith("EGLL"));
        if (kind == "read-only")
            QCOMPARE(ReadBytes(plan), earlier);

        // The cause removed, the same plan is written by the next OK.
        std::filesystem::remove(plan);
        Click(*open.dialog, "IDOK");
        QVERIFY(!open.dialog->isVisible());
        QCOMPARE(ReadBytes(plan), ExamplePlan24Hr);
    }

private:
    static void ComposeAndPressOk(QDialog& dialog)
    {
        AcceptExampleHeader(dialog, 6);
        AcceptExampleLegs(dialog, false);
        Click(dialog, "IDOK");
    }

    std::unique_ptr<WorkingFolder> m_folder;
};

QTEST_MAIN(PlanOutputTest)
#include "test_plan_output.moc"
