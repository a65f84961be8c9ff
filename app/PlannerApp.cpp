// Legwise starts here: the main window, then the event loop until it is closed.
#include "app/HeapTuning.h"
#include "app/MainFrame.h"
#include "app/PlannerState.h"
#include "plan/PlanOutput.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char* argv[])
{
    KeepFreedMemory();
    CurrentFolder(); // noted now, so a message can still name the folder if it is removed later
    QApplication app(argc, argv);
    app.setWindowIcon(ProgramIcon());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size();
        State().screenRect = ScreenRect{0, 0, size.width(), size.height()};
    }
    auto* frame = new CMainFrame;
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    return app.exec();
}
