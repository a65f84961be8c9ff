// The main window: title, menu and welcome screen; Close; a name typed into the real open-file
// dialog. Its frame under a real window manager is measured by tests/frame/test_frame.sh.
#include "support/GuiTestSupport.h"
#include "support/MenuClicks.h"

#include "app/Fonts.h"
#include "app/MainFrame.h"
#include "app/PlannerState.h"
#include "app/ScreenPainter.h"
#include "res/DialogTemplates.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SetUpApplication(*qApp); } // as the program does

    void init()
    {
        ResetState();
        m_frame = std::make_unique<CMainFrame>();
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    // The title, menu, welcome and ready screens; Cancel keeps the window; Close and Enter end the
    // program with exit code 0.
    void showsTheWelcomeScreenUntilClosedWithExitCodeZero()
    {
        QStringList shown{m_frame->windowTitle()};
        for (QAction* action : m_frame->menuBar()->actions())
            shown << action->text();
        QCOMPARE(shown, (QStringList{"Legwise (Light) / 2.0", "Start", "Continue", "Close"}));
        State().screen = 7; // out of range: the welcome screen instead
        m_frame->View()->repaint();
        const QImage image = m_frame->View()->grab().toImage();
        SaveScreenshot(*m_frame, QStringLiteral("welcome"));
        const int w = image.width(), h = image.height(); // drawn: the heading, the first line
        for (const QRect line : {QRect(50, 50, 200, 26), QRect(w / 2 - 300, h / 2 - 120, 300, 18)})
            QVERIFY(image.copy(line) != image.copy(0, 0, line.width(), line.height()));
        // The footer drawn by hand, its text's cell 200 and 40 pixels in from the bottom-right corner.
        QImage footer = image.copy(0, 0, 200, 40);
        footer.fill(QColor(0, 255, 0));
        QPainter(&footer).drawText(QPoint(0, m_frame->View()->fontMetrics().ascent()), FooterText);
        QCOMPARE(image.copy(w - 200, h - 40, 200, 40), footer);
        ClickMenu(*m_frame, "ID_CONTINUE"); // the ready screen, without the welcome's heading
        const QImage ready = m_frame->View()->grab().toImage();
        QVERIFY(State().screen == ScreenReady && ready.copy(50, 50, 200, 26) == ready.copy(0, 0, 200, 26));

        ModalScript script;
        script.Then(PressButton("IDCANCEL"));
        script.Then([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle() + ": " + dialog.findChild<QLabel*>()->text(), "Close: Close Program ?");
            SaveScreenshot(dialog, QStringLiteral("close-dialog"));
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
        ClickMenu(*m_frame, "ID_CLOSE");
        QVERIFY(m_frame->isVisible());
        QTimer::singleShot(0, m_frame.get(), [this] { ClickMenu(*m_frame, "ID_CLOSE"); });
        const QObject guard; // a window left open fails the test instead of hanging it
        QTimer::singleShot(20000, &guard, [] { QCoreApplication::exit(77); });
        QCOMPARE(QApplication::exec(), 0);
    }

    // The icon of every window; every text in the face its window names or, where that face is
    // missing, in a sans-serif one: headings, lines, footer, menu and dialogs.
    void setsTheIconAndDrawsEveryTextInItsFaceOrASansSerifOne()
    {
        QCOMPARE(QApplication::windowIcon().cacheKey(), ProgramIcon().cacheKey());
        const QFont heading = PointFont("Arial Black Kursiv", 200, 96);
        QVERIFY(QFontInfo(heading).bold()); // a black face, or a bold stand-in
        const QStringList faces =
            SansSerifFaces()
            + QStringList{"Arial Black Kursiv", "Arial Black", "MS Sans Serif", "Xerox Sans Serif Wide"};
        for (const QFont& font :
             {heading, m_frame->View()->font(), m_frame->menuBar()->font(), TemplateFont(PlanDialogTemplate()),
              TemplateFont(OptionsDialogTemplate()), TemplateFont(CloseDialogTemplate())})
            QVERIFY2(faces.contains(QFontInfo(font).family()), qPrintable(QFontInfo(font).family()));
        // A missing face gives way to the first sans-serif face of the list that is installed.
        QFont missing(QStringLiteral("No Such Face Anywhere"));
        QStringList installedFaces = SansSerifFaces();
        installedFaces.removeIf([](const QString& face) { return !QFontDatabase::hasFamily(face); });
        QVERIFY(UseInstalledFace(missing));
        QCOMPARE(missing.family(),
                 installedFaces.value(0, QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()));
        QFont installed(QFontInfo(m_frame->font()).family()); // an installed face is kept as it is
        QVERIFY(!UseInstalledFace(installed) && installed.family() == QFontInfo(m_frame->font()).family());
    }

    // One file only: a double quote typed into the name is part of the name.
    void typedNameWithAQuoteIsTakenAsTyped()
    {
        if (QSysInfo::productType() == "windows")
            QSKIP("Windows file names hold no double quote");
        const WorkingFolder folder;
        const std::filesystem::path chosen = folder.Path("quote\"s.txt");
        ModalScript script;
        script.Then([&chosen](QDialog& dialog) {
            QCOMPARE(static_cast<QFileDialog&>(dialog).nameFilters(), QStringList{"TextFiles (*.txt)"});
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClicks(name, QString::fromStdString(chosen.string()));
            QTest::keyClick(name, Qt::Key_Return);
            if (dialog.isVisible())
                dialog.reject(); // not taken: the test fails instead of waiting
        });
        script.Then([](QDialog& dialog) { // a name typed, then Cancel: no file chosen
            QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), "typed.txt");
            dialog.reject();
        });
        ClickMenu(*m_frame, "ID_START");
        QCOMPARE(State().airportChosenPath, chosen);
        QVERIFY(Exists(chosen) && Exists(folder.Path("AirportsPersonal.txt")) && !Exists(folder.Path("s.txt")));
        QVERIFY(State().aircraftChosenPath.empty() && State().screen == ScreenFailed);
    }

private:
    std::unique_ptr<CMainFrame> m_frame;
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
