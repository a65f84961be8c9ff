// The plan dialog and its plan check over the main window, as a user sees them while composing a
// weekly plan from Frankfurt by way of Delhi, and up until they are closed: the frame test measures
// both windows from the window system, and the pictures of them are taken from this.
#include "support/ExampleFiles.h"
#include "support/GuiTestSupport.h"
#include "support/PlanDriving.h"

#include "app/MainFrame.h"
#include "check/PlanCheckWindow.h"
#include "plan/PlanDialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    SetUpApplication(app);
    WorkingFolder folder;
    UseInputFiles(folder, ExampleAircraft, ExampleAirports + "VIDP,N28* 34.00',E77* 6.00',777\r\n");
    WriteBytes(folder.Path("flightplanspersonal.txt"), ExamplePlanLine);
    CMainFrame frame;
    frame.show();
    QTimer::singleShot(0, &frame, [&frame] {
        CPlanDialog plan(&frame);
        QTimer::singleShot(300, &plan, [&plan] {
            AcceptExampleHeader(plan, 7);
            // Frankfurt 10:00 (+1) to Delhi; Delhi 08:00 local, as advised 07:30 at +5, to London.
            plan.CheckWindow()->findChild<QLineEdit*>(QStringLiteral("FirstDeparture"))->setText("EDDF");
            AcceptLeg(plan, {DepartureRow(10, 0), 12 + 1, 0, "101", "350", "VIDP"});
            AcceptLeg(plan, {DepartureRow(7, 30), 12 + 5, 6, "102", "370", "EGLL"});
            SelectRow(plan, "IDC_DEPARTURE_TIME", DepartureRow(23, 25));
            SelectRow(plan, "IDC_TIME_DIFFERENCE", 12);
            TypeInto(plan, "IDC_DESTINATION", QStringLiteral("EDDF"));
            plan.activateWindow();
        });
        plan.Run();
        QApplication::quit();
    });
    return app.exec();
}
