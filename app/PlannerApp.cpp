// Legwise starts here: the main window, then the event loop until it is closed.
#include "app/HeapTuning.h"
#include "app/MainFrame.h"
#include "plan/PlanOutput.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    KeepFreedMemory();
    CurrentFolder(); // noted now, so a message can still name the folder if it is removed later
    QApplication app(argc, argv);
    SetUpApplication(app);
    auto* frame = new CMainFrame;
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    return app.exec();
}
