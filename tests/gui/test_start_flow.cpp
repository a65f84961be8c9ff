// Start: the dialogs in turn, the screens behind them, the paths kept, the copies made, the plan written.
#include "support/ExampleFiles.h"
#include "support/FlowSteps.h"
#include "support/MenuClicks.h"

#include "app/MainFrame.h"
#include "app/PlannerState.h"
#include "app/Platform.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTimer>

#include <map>

class StartFlowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WorkingFolder> m_folder;

private slots:
    void init() { ResetState(), m_folder = std::make_unique<WorkingFolder>(); }
    void cleanup() { m_folder.reset(); }

    // Answers (a file chosen; "none": file dialog cancelled; "ok", "cancel": options or plan dialog; "plan":
    // the worked example, then OK; "continue": before Start) | each dialog opened @ the screen behind it.
    void screens_data()
    {
        QTest::addColumn<QString>("flow");
        const QString files = "open-file@1 open-file@2", dialogs = " IDD_103@5 IDD_102@5";
        QTest::newRow("no airport file") << "none | open-file@1";
        QTest::newRow("no aircraft file") << "MyAIRPORTS.TXT none | " + files;
        QTest::newRow("plan cancelled") << "MyAIRPORTS.TXT Aircraft.txt ok cancel | " + files + dialogs;
        QTest::newRow("options cancelled") << "MyAIRPORTS.TXT Aircraft.txt cancel plan | " + files + dialogs;
        QTest::newRow("files reused after Continue") << "continue ok plan |" + dialogs;
        QTest::newRow("a personal copy chosen")
            << "sub/AirportsPersonal.txt Aircraft.txt ok cancel | " + files + dialogs;
    }
    void screens()
    {
        QFETCH(QString, flow);
        const QString answers = flow.section(" | ", 0, 0), opened = flow.section(" | ", 1);
        WriteBytes(m_folder->Path("MyAIRPORTS.TXT"), "EDDF,x\nEGLL,y\n");
        WriteBytes(m_folder->Path("Aircraft.txt"), ExampleAircraft);
        std::filesystem::create_directory(m_folder->Path("sub")); // a copy elsewhere is copied no more
        WriteBytes(m_folder->Path("sub/AirportsPersonal.txt"), "EDDF,x\nEGLL,y\n");
        State().airportChosenPath = m_folder->Path("MyAIRPORTS.TXT"); // as an earlier Start left them
        State().aircraftChosenPath = m_folder->Path("Aircraft.txt");
        State().planText = "\nEARLIER,PLAN";
        CMainFrame frame;
        frame.show();
        ModalScript script;
        const std::map<QString, std::function<void()>> act{{"continue", [&] { ClickMenu(frame, "ID_CONTINUE"); }},
                                                           {"none", [&] { script.AnswerOpenFile(std::nullopt); }},
                                                           {"ok", [&] { script.Then(OptionsOk()); }},
                                                           {"cancel", [&] { script.Then(PressButton("IDCANCEL")); }},
                                                           {"plan", [&] { script.Then(ExamplePlanOk(false)); }}};
        for (const QString& answer : answers.split(' '))
            act.count(answer) ? act.at(answer)() : script.AnswerOpenFile(m_folder->QPath(answer.toStdString()));
        ClickMenu(frame, "ID_START");
        QStringList seen;
        for (const ModalScript::Opened& step : script.OpenedDialogs())
            seen << QStringLiteral("%1@%2").arg(step.dialog).arg(step.screen);
        QCOMPARE(seen.join(' '), opened);
        const bool written = answers.endsWith("plan"), airports = answers.contains("MyAIRPORTS.TXT");
        const QString airportFile = answers.section(' ', 0, 0);
        QCOMPARE(std::tuple(State().screen, State().filesReady, State().reuseFiles),
                 std::tuple(written ? 4 : 3, 1, int(answers.startsWith("continue"))));
        QCOMPARE(QString::fromStdString(State().airportPath), // lower case, the platform's own separators
                 airportFile.contains('.')
                     ? QDir::toNativeSeparators(m_folder->QPath(airportFile.toStdString())).toLower()
                     : "");
        QCOMPARE(ReadBytes(m_folder->Path("AirportsPersonal.txt")),
                 std::string(airports ? "EDDF,x\r\nEGLL,y\r\n" : ""));
        QCOMPARE(ReadBytes(m_folder->Path("flightplanspersonal.txt")), written ? ExamplePlanNoComment : "");
        QCOMPARE(TakeMessages(), QStringList()); // both files read: no message
    }

    // The real dialog: it opens text files, and takes the name of one not yet there; "~/" is the home folder.
    void openFileDialogTakesANewTextFile()
    {
        QStringList seen;
        const auto restoreHome = qScopeGuard([home = qgetenv("HOME")] { qputenv("HOME", home); });
        qputenv("HOME", QFile::encodeName(m_folder->QPath()));
        const bool windows = QSysInfo::productType() == "windows";
        QTimer::singleShot(0, [&seen, path = windows ? m_folder->QPath("New.txt") : QStringLiteral("~/New.txt")] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            seen << dialog->nameFilters() << (dialog->acceptMode() == QFileDialog::AcceptOpen ? "open" : "save");
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
            if (dialog->isVisible())
                dialog->reject();
        });
        QCOMPARE(Platform::ChooseOpenFile(nullptr).value_or("none"), QDir::cleanPath(m_folder->QPath("New.txt")));
        QCOMPARE(seen, QStringList({"TextFiles (*.txt)", "open"}));
    }
};

QTEST_MAIN(StartFlowTest)
#include "test_start_flow.moc"
