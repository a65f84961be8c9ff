// Start, from the file choice to the plan dialog, and the screens behind each step.
#include "support/ExampleFiles.h"
#include "support/FlowSteps.h"
#include "support/GuiTestSupport.h"
#include "support/MenuClicks.h"
#include "support/PlanDriving.h"

#include "app/MainFrame.h"
#include "app/PlannerState.h"

#include <QLineEdit>
#include <QListView>
#include <QTest>

class StartFlowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        ResetState();
        m_folder = std::make_unique<WorkingFolder>();
        WriteBytes(m_folder->Path("Airports.txt"), ExampleAirports);
        WriteBytes(m_folder->Path("Aircraft.txt"), ExampleAircraft);
        m_frame = std::make_unique<CMainFrame>();
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    }
    void cleanup()
    {
        m_frame.reset();
        m_folder.reset();
    }

    // Each row: the resting screen and reuse flag a Start begins from, how every dialog is
    // answered, where each dialog opened (and the screen behind it), and the screen afterwards.
    void stateTable_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("reuseFiles");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<int>("after");
        QTest::newRow("airport dialog not confirmed ends on the failure screen")
            << 0 << 0 << QStringList{"airport-cancel"} << QStringList{"open-file@1"} << 3;
        QTest::newRow("aircraft dialog not confirmed ends on the failure screen")
            << 3 << 0 << QStringList{"airport", "aircraft-cancel"} << QStringList{"open-file@1", "open-file@2"} << 3;
        QTest::newRow("plan dialog cancelled ends on the failure screen")
            << 4 << 0 << QStringList{"airport", "aircraft", "options-ok", "plan-cancel"}
            << QStringList{"open-file@1", "open-file@2", "IDD_103@5", "IDD_102@5"} << 3;
        QTest::newRow("options cancelled still leads to the plan, OK succeeds")
            << 6 << 0 << QStringList{"airport", "aircraft", "options-cancel", "plan-ok"}
            << QStringList{"open-file@1", "open-file@2", "IDD_103@5", "IDD_102@5"} << 4;
        QTest::newRow("after Continue no file dialog, OK succeeds")
            << 6 << 1 << QStringList{"options-ok", "plan-ok"} << QStringList{"IDD_103@5", "IDD_102@5"} << 4;
        QTest::newRow("after Continue no file dialog, Escape fails")
            << 4 << 1 << QStringList{"options-ok", "plan-escape"} << QStringList{"IDD_103@5", "IDD_102@5"} << 3;
    }
    void stateTable()
    {
        QFETCH(int, from);
        QFETCH(int, reuseFiles);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, opened);
        QFETCH(int, after);

        m_frame->ShowScreen(from);
        State().reuseFiles = reuseFiles;
        if (reuseFiles) {
            State().airportChosenPath = m_folder->Path("Airports.txt");
            State().aircraftChosenPath = m_folder->Path("Aircraft.txt");
        }
        ModalScript script;
        for (const QString& answer : answers) {
            if (answer == "airport")
                script.AnswerOpenFile(m_folder->QPath("Airports.txt"));
            else if (answer == "aircraft")
                script.AnswerOpenFile(m_folder->QPath("Aircraft.txt"));
            else if (answer.endsWith("-cancel") && (answer.startsWith("airport") || answer.startsWith("aircraft")))
                script.AnswerOpenFile(std::nullopt);
            else if (answer == "options-ok")
                script.Then(OptionsOk());
            else if (answer == "options-cancel" || answer == "plan-cancel")
                script.Then(PressButton("IDCANCEL"));
            else if (answer == "plan-ok")
                script.Then(ExamplePlanOk(false));
            else if (answer == "plan-escape")
                script.Then([](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
        }
        ClickMenu(*m_frame, "ID_START");

        QStringList seen;
        for (const ModalScript::Opened& step : script.OpenedDialogs())
            seen << QStringLiteral("%1@%2").arg(step.dialog).arg(step.screen);
        QCOMPARE(seen, opened);
        QVERIFY(script.AllStepsRun());
        QCOMPARE(State().screen, after);
        QCOMPARE(State().filesReady, 1);
        QCOMPARE(State().reuseFiles, reuseFiles);
        QCOMPARE(Exists(m_folder->Path("flightplanspersonal.txt")), after == 4);
    }

    void personalCopiesAppearAfterTheFileChoices()
    {
        // LF line ends in the chosen files come out as CR LF in the copies.
        WriteBytes(m_folder->Path("Airports.txt"), "EDDF,x\nEGLL,y\n");
        ModalScript script;
        script.AnswerOpenFile(m_folder->QPath("Airports.txt"));
        script.AnswerOpenFile(m_folder->QPath("Aircraft.txt"));
        script.Then(PressButton("IDCANCEL"));
        script.Then(PressButton("IDCANCEL"));
        ClickMenu(*m_frame, "ID_START");
        QCOMPARE(ReadBytes(m_folder->Path("AirportsPersonal.txt")), std::string("EDDF,x\r\nEGLL,y\r\n"));
        QCOMPARE(ReadBytes(m_folder->Path("AircraftPersonal.txt")), ExampleAircraft);
        QCOMPARE(State().airportPath, ToLowerAscii(m_folder->Path("Airports.txt").string()));
        QCOMPARE(State().aircraftPath, ToLowerAscii(m_folder->Path("Aircraft.txt").string()));
    }

    void cancelledAircraftDialogKeepsTheAirportChoice()
    {
        ModalScript script;
        script.AnswerOpenFile(m_folder->QPath("Airports.txt"));
        script.AnswerOpenFile(std::nullopt);
        ClickMenu(*m_frame, "ID_START");
        QCOMPARE(State().screen, int(ScreenFailed));
        QCOMPARE(State().airportPath, ToLowerAscii(m_folder->Path("Airports.txt").string()));
        QCOMPARE(ReadBytes(m_folder->Path("AirportsPersonal.txt")), ExampleAirports);
        QVERIFY(!Exists(m_folder->Path("AircraftPersonal.txt")));
        QVERIFY(State().aircraftPath.empty());

        // The next Start asks for both files again.
        script.AnswerOpenFile(std::nullopt);
        ClickMenu(*m_frame, "ID_START");
        QCOMPARE(script.OpenedDialogs().size(), size_t(3));
        QCOMPARE(script.OpenedDialogs().back().screen, int(ScreenChooseAirports));
    }

    void fileChangedOnDiskIsSeenByTheNextStart()
    {
        ModalScript script;
        int firstCount = -1, secondCount = -1;
        auto countAircraft = [](int& count) {
            return [&count](QDialog& dialog) {
                count = dialog.findChild<QListView*>(QStringLiteral("IDC_AIRCRAFT"))->model()->rowCount();
                Click(dialog, "IDCANCEL");
            };
        };
        script.AnswerOpenFile(m_folder->QPath("Airports.txt"));
        script.AnswerOpenFile(m_folder->QPath("Aircraft.txt"));
        script.Then(OptionsOk());
        script.Then(countAircraft(firstCount));
        ClickMenu(*m_frame, "ID_START");
        ClickMenu(*m_frame, "ID_CONTINUE");

        WriteBytes(m_folder->Path("Aircraft.txt"), ExampleAircraft + "NEW1,1,\"Third\"\r\n");
        script.Then(OptionsOk());
        script.Then(countAircraft(secondCount));
        ClickMenu(*m_frame, "ID_START");
        QCOMPARE(firstCount, 2);
        QCOMPARE(secondCount, 3);
    }

    void chosenPathWithCapitalsIsStillRead()
    {
        WriteBytes(m_folder->Path("MyAIRPORTS.TXT"), ExampleAirports);
        ModalScript script;
        script.AnswerOpenFile(m_folder->QPath("MyAIRPORTS.TXT"));
        script.AnswerOpenFile(m_folder->QPath("Aircraft.txt"));
        script.Then(OptionsOk());
        QString shown;
        script.Then([&shown](QDialog& dialog) {
            shown = dialog.findChild<QLineEdit*>(QStringLiteral("IDC_DESTINATION"))->text();
            Click(dialog, "IDCANCEL");
        });
        ClickMenu(*m_frame, "ID_START");
        QVERIFY(State().airportPath.ends_with("myairports.txt"));
        QCOMPARE(shown, QStringLiteral("EDDF"));
        QVERIFY(TakeMessages().isEmpty());
    }

    void planDialogOpensWhenNoFileWasChosen()
    {
        ClickMenu(*m_frame, "ID_CONTINUE");
        ModalScript script;
        int aircraft = -1;
        script.Then(OptionsOk());
        script.Then([&aircraft](QDialog& dialog) {
            QTest::qWait(20); // the message comes up once the dialog stands
            aircraft = dialog.findChild<QListView*>(QStringLiteral("IDC_AIRCRAFT"))->model()->rowCount();
            Click(dialog, "IDCANCEL");
        });
        TakeMessages();
        ClickMenu(*m_frame, "ID_START");
        QCOMPARE(aircraft, 0);
        const QStringList messages = TakeMessages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains("Aircraft file") && messages[0].contains("Airport file"),
                 qPrintable(messages[0]));
        QCOMPARE(State().screen, int(ScreenFailed));
    }

    void missingFileInAnExistingFolderIsCreatedQuietly()
    {
        ModalScript script;
        script.AnswerOpenFile(m_folder->QPath("NewAirports.txt"));
        script.AnswerOpenFile(m_folder->QPath("Aircraft.txt"));
        script.Then(OptionsOk());
        script.Then(PressButton("IDCANCEL"));
        TakeMessages();
        ClickMenu(*m_frame, "ID_START");
        QVERIFY(Exists(m_folder->Path("NewAirports.txt")));
        QCOMPARE(ReadBytes(m_folder->Path("AirportsPersonal.txt")), std::string());
        QVERIFY(TakeMessages().isEmpty());
    }

    void everyPlanStartsFromAnEmptyText()
    {
        ModalScript script;
        script.AnswerOpenFile(m_folder->QPath("Airports.txt"));
        script.AnswerOpenFile(m_folder->QPath("Aircraft.txt"));
        script.Then(OptionsOk());
        // A first plan with a header and one leg, then cancelled.
        script.Then([](QDialog& dialog) {
            AcceptExampleHeader(dialog, 6);
            AcceptLeg(dialog, {DepartureRow(6, 30), 14, -1, "101", "350", "EDDF"});
            Click(dialog, "IDCANCEL");
        });
        ClickMenu(*m_frame, "ID_START");
        QCOMPARE(State().legCount, 1);

        ClickMenu(*m_frame, "ID_CONTINUE");
        QString previewAtOpening;
        script.Then(OptionsOk("Example comment"));
        script.Then([&previewAtOpening](QDialog& dialog) {
            previewAtOpening = PreviewText(dialog);
            ExamplePlanOk(false)(dialog);
        });
        ClickMenu(*m_frame, "ID_START");
        QCOMPARE(previewAtOpening, QString());
        QCOMPARE(State().screen, int(ScreenSucceeded));
        QCOMPARE(ReadBytes(m_folder->Path("flightplanspersonal.txt")), ExamplePlan24Hr);
    }

private:
    static std::string ToLowerAscii(std::string text)
    {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return text;
    }

    std::unique_ptr<WorkingFolder> m_folder;
    std::unique_ptr<CMainFrame> m_frame;
};

QTEST_MAIN(StartFlowTest)
#include "test_start_flow.moc"
