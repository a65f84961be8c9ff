// The main window: its frame, menu and screens, Continue and Close.
#include "support/GuiTestSupport.h"
#include "support/MenuClicks.h"

#include "app/MainFrame.h"
#include "app/PlannerState.h"
#include "app/ScreenPainter.h"

#include <QLabel>
#include <QMenuBar>
#include <QTest>

namespace {
bool IsGreen(QRgb pixel) { return qRed(pixel) == 0 && qGreen(pixel) == 255 && qBlue(pixel) == 0; }
bool IsDark(QRgb pixel) { return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100; }

int DarkPixelsIn(const QImage& image, const QRect& area)
{
    int dark = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            dark += IsDark(image.pixel(x, y));
    return dark;
}
} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        ResetState();
        State().screenRect = ScreenRect{0, 0, 1024, 768};
        m_frame = std::make_unique<CMainFrame>();
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    }
    void cleanup() { m_frame.reset(); }

    void freshStartShowsTitleMenuAndWelcome()
    {
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Legwise (Light) / 2.0"));
        QVERIFY(!m_frame->windowIcon().isNull());
        QCOMPARE(m_frame->windowIcon().availableSizes().value(0), QSize(33, 36));

        QMenuBar* bar = m_frame->menuBar();
        QVERIFY(!bar->isNativeMenuBar());
        QStringList texts;
        for (QAction* action : bar->actions()) {
            texts << action->text();
            QVERIFY(!action->menu());
            QVERIFY(action->shortcut().isEmpty());
        }
        QCOMPARE(texts, (QStringList{"Start", "Continue", "Close"}));

        QCOMPARE(State().screen, int(ScreenWelcome));
        QCOMPARE(State().filesReady, 1);
        QCOMPARE(State().reuseFiles, 0);
        QTest::qWait(20); // the frame settles at its final size
        const QImage image = m_frame->View()->grab().toImage();
        SaveScreenshot(*m_frame, QStringLiteral("welcome"));
        QVERIFY(IsGreen(image.pixel(5, 5)));
        QVERIFY(IsGreen(image.pixel(image.width() - 5, image.height() - 5)));
        // The heading at (50, 50) and the first welcome line at (W - 300, H - 120) are drawn in black.
        QVERIFY(DarkPixelsIn(image, QRect(50, 50, 200, 26)) > 50);
        const int w = image.width() / 2, h = image.height() / 2;
        QVERIFY(DarkPixelsIn(image, QRect(w - 300, h - 120, 300, 18)) > 50);
        QCOMPARE(DarkPixelsIn(image, QRect(0, 0, 45, 45)), 0);
        // The footer stands 200 pixels left of the right edge and 40 above the bottom.
        QVERIFY(DarkPixelsIn(image, QRect(image.width() - 200, image.height() - 40, 200, 20)) > 20);
    }

    void fontsAreRequestedByPixelHeight()
    {
        QCOMPARE(PointFont("Arial Black Kursiv", 200, 96).pixelSize(), 26);
        QCOMPARE(PointFont("Arial Black Kursiv", 140, 96).pixelSize(), 18);
        QCOMPARE(PointFont("Arial Black Kursiv", 200, 120).pixelSize(), 33);
        QCOMPARE(PointFont("Arial Black Kursiv", 140, 96).family(), QStringLiteral("Arial Black Kursiv"));
        QVERIFY(!PointFont("Arial Black Kursiv", 140, 96).italic());
    }

    void screenLinesFollowTheClientSize_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("welcome heading stays put")
            << 0 << 784 << 541 << 0 << "Legwise (Light) / Version 2.0:" << QPoint(50, 50);
        QTest::newRow("first welcome line from the centre")
            << 0 << 784 << 541 << 1 << "In order to generate a route, Legwise needs access to an" << QPoint(92, 150);
        QTest::newRow("last welcome line")
            << 0 << 784 << 541 << 7 << "pre-select the ICAO code of the first destination airport." << QPoint(92, 390);
        QTest::newRow("footer from the corner") << 0 << 784 << 541 << 8 << FooterText << QPoint(584, 501);
        QTest::newRow("odd width truncates")
            << 0 << 785 << 541 << 1 << "In order to generate a route, Legwise needs access to an" << QPoint(92, 150);
        QTest::newRow("narrow window goes left of the edge")
            << 0 << 400 << 300 << 2 << "Airport file and an Aircraft file, both in TTools format." << QPoint(-100, 70);
        QTest::newRow("airport choice") << 1 << 784 << 541 << 0 << "Choose the Airport file:" << QPoint(50, 50);
        QTest::newRow("aircraft choice") << 2 << 784 << 541 << 0 << "Choose the Aircraft file:" << QPoint(50, 50);
        QTest::newRow("failure") << 3 << 784 << 541 << 1 << "Route could not be generated!" << QPoint(212, 210);
        QTest::newRow("success second line")
            << 4 << 784 << 541 << 2 << "and written to file <FlightplansPersonal.txt>" << QPoint(162, 250);
        QTest::newRow("options") << 5 << 784 << 541 << 0 << "Options:" << QPoint(50, 50);
        QTest::newRow("ready") << 6 << 784 << 541 << 0 << "For a new flightplan, select <Start>" << QPoint(192, 210);
    }
    void screenLinesFollowTheClientSize()
    {
        QFETCH(int, screen);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, line);
        QFETCH(QString, text);
        QFETCH(QPoint, position);
        const auto lines = ScreenLines(screen, width, height);
        QVERIFY(lines);
        QVERIFY(line < int(lines->size()));
        const PlacedLine& placed = (*lines)[size_t(line)];
        QCOMPARE(placed.text, text);
        QCOMPARE(QPoint(placed.x, placed.y), position);
        QCOMPARE(lines->back().text, FooterText);
    }

    void headingsUseTheLargeFont()
    {
        QCOMPARE(ScreenLines(ScreenWelcome, 800, 600)->front().font, ScreenFont::Heading);
        QCOMPARE(ScreenLines(ScreenFailed, 800, 600)->front().font, ScreenFont::Heading);
        for (int screen : {1, 2, 5, 6})
            QCOMPARE(ScreenLines(screen, 800, 600)->front().font, ScreenFont::Text);
        QCOMPARE(ScreenLines(ScreenReady, 800, 600)->back().font, ScreenFont::Default);
    }

    void outOfRangeScreenFallsBackToWelcome()
    {
        for (int bad : {7, -1, 1000}) {
            QVERIFY(!ScreenLines(bad, 800, 600));
            State().screen = bad;
            m_frame->View()->repaint();
            QCOMPARE(State().screen, int(ScreenWelcome));
            QTest::qWait(10);
            const QImage image = m_frame->View()->grab().toImage();
            QVERIFY(DarkPixelsIn(image, QRect(50, 50, 200, 26)) > 50);
        }
    }

    void greenCoversAClientAreaLargerThanTheScreen()
    {
        State().screenRect = ScreenRect{0, 0, 300, 200};
        m_frame->View()->repaint();
        const QImage image = m_frame->View()->grab().toImage();
        QVERIFY(image.width() > 300 && image.height() > 200);
        QVERIFY(IsGreen(image.pixel(image.width() - 3, image.height() - 60)));
    }

    void continueMarksTheFilesForReuse()
    {
        State().filesReady = 0; // as if left over; Continue sets it again
        ClickMenu(*m_frame, "ID_CONTINUE");
        QCOMPARE(State().screen, int(ScreenReady));
        QCOMPARE(State().reuseFiles, 1);
        QCOMPARE(State().filesReady, 1);
        ClickMenu(*m_frame, "ID_CONTINUE");
        QCOMPARE(State().reuseFiles, 1);
    }

    void closeDeclinedChangesNothing()
    {
        State().screen = ScreenFailed;
        State().comment = "kept";
        ModalScript script;
        QString label;
        script.Then([&label](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Close"));
            if (auto* text = dialog.findChild<QLabel*>())
                label = text->text();
            SaveScreenshot(dialog, QStringLiteral("close-dialog"));
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        ClickMenu(*m_frame, "ID_CLOSE");
        QVERIFY(script.AllStepsRun());
        QCOMPARE(label, QStringLiteral("Close Program ?"));
        QVERIFY(m_frame->isVisible());
        QCOMPARE(State().screen, int(ScreenFailed));
        QCOMPARE(State().comment, std::string("kept"));

        script.Then(PressButton("IDCANCEL"));
        ClickMenu(*m_frame, "ID_CLOSE");
        QVERIFY(m_frame->isVisible());
    }

    void closeConfirmedEndsTheProgram()
    {
        ModalScript script;
        script.Then(PressButton("IDOK"));
        ClickMenu(*m_frame, "ID_CLOSE");
        QVERIFY(script.AllStepsRun());
        QVERIFY(!m_frame->isVisible());
    }

    void closingByTheFrameAsksNothing()
    {
        ModalScript script;
        QVERIFY(m_frame->close());
        QVERIFY(script.OpenedDialogs().empty());
        QVERIFY(!m_frame->isVisible());
    }

    void enterConfirmsTheCloseDialog()
    {
        ModalScript script;
        script.Then([](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Return); });
        ClickMenu(*m_frame, "ID_CLOSE");
        QVERIFY(!m_frame->isVisible());
    }

private:
    std::unique_ptr<CMainFrame> m_frame;
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
