// The plan dialog's buttons pressed: an accepted press shows its last line, a refusal changes nothing,
// and the day list follows the accepted plan, so a weekly plan stays weekly through a refused header.
#include "support/ExampleFiles.h"
#include "support/GuiTestSupport.h"
#include "support/OpenPlanDialog.h"
#include "support/PlanDriving.h"

#include "app/Controls.h"
#include "plan/PlanDialog.h"

#include <QDir>
#include <QScrollBar>

class PlanHandlersTest : public QObject {
    Q_OBJECT

private slots:
    void weeklyPlanThroughRefusals()
    {
        ResetState();
        WorkingFolder folder;
        OpenPlanDialog open(folder, ExampleAircraft, ExampleAirports, "Example comment");
        QDialog& dialog = *open.dialog;
        QScrollBar* bar = Control<QPlainTextEdit>(dialog, "IDC_PLAN_PREVIEW")->verticalScrollBar();
        auto* days = Control<QListView>(dialog, "IDC_DAY_OF_WEEK");
        auto* label = Control<QWidget>(dialog, "IDC_DAY_OF_WEEK_LABEL");
        SelectRow(dialog, "IDC_DAY_OF_WEEK", 3); // a day moved before: the weekly header sets Sunday again
        AcceptExampleHeader(dialog, 6);
        SaveScreenshot(dialog, QStringLiteral("after-header"));
        QCOMPARE(PreviewText(dialog), QStringLiteral("\n;\n;Example comment\n;\nJET7,N123EX,50%,24Hr,IFR"));
        QVERIFY(bar->maximum() > 0); // five lines in a preview of three
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(!days->isVisible() && !label->isVisible());
        AcceptExampleHeader(dialog, 7);
        QVERIFY(days->isVisible() && label->isVisible());
        const QString weekly = PreviewText(dialog);

        SelectRow(dialog, "IDC_PERIOD", 6);
        TypeInto(dialog, "IDC_REGISTRATION", QStringLiteral("N1\u2708"));
        Click(dialog, "IDC_ACCEPT_HEADER");
        // A list the user cannot clear, cleared all the same.
        Control<OneLineList>(dialog, "IDC_TIME_DIFFERENCE")->SetCurSel(-1);
        Click(dialog, "IDC_ACCEPT_LEG");
        QCOMPARE(TakeMessages(), (QStringList{"Error: The character \"\u2708\" cannot be written to the flightplan!",
                                              "Error: Repeat Selection!"}));
        QVERIFY(days->isVisible() && label->isVisible());
        QCOMPARE(PreviewText(dialog), weekly);
        QCOMPARE(Control<QLineEdit>(dialog, "IDC_DESTINATION")->text(), QStringLiteral("EDDF")); // kept for a retry

        bar->setValue(0);
        AcceptExampleLegs(dialog, false); // on the day the weekly header selected: Sunday
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(Control<QLineEdit>(dialog, "IDC_DESTINATION")->text(), QString()); // chosen anew for each leg
        // A folder in the plan file's place: told what and why, and the plan stays for the next OK.
        std::filesystem::create_directory(folder.Path("flightplanspersonal.txt"));
        Click(dialog, "IDOK");
        QCOMPARE(TakeMessages(),
                 QStringList{QStringLiteral("Error: The flightplan could not be written to %1!\nIs a "
                                            "folder, not a file\nThe plan stays here; press OK again "
                                            "once the cause is fixed.")
                                 .arg(QDir::toNativeSeparators(folder.QPath("flightplanspersonal.txt")))});
        QVERIFY(dialog.isVisible());
        std::filesystem::remove(folder.Path("flightplanspersonal.txt"));
        Click(dialog, "IDOK");
        QCOMPARE(ReadBytes(folder.Path("flightplanspersonal.txt")), ExamplePlanWeek);
    }

    void unreadableInputFilesAreToldInOneMessage()
    {
        ResetState();
        WorkingFolder folder;
        const QString aircraft = QDir::toNativeSeparators(folder.QPath()); // a folder; no airport file chosen
        State().aircraftChosenPath = PathFromQString(aircraft);
        const ModalScript script; // shows the message, then cancels the dialog
        QCOMPARE(CPlanDialog(nullptr).Run(), IDCANCEL);
        QCOMPARE(TakeMessages(), QStringList{"Error: Input file could not be read!\nAircraft file " + aircraft
                                             + ": Is a folder, not a file\nAirport file (no file chosen): no file was "
                                               "chosen"});
    }
};

QTEST_MAIN(PlanHandlersTest)
#include "test_plan_handlers.moc"
