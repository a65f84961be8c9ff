#include "app/MainFrame.h"

#include "app/CloseDialog.h"
#include "app/Fonts.h"
#include "app/PlannerState.h"
#include "app/ScreenPainter.h"
#include "input/InputFileSelection.h"
#include "plan/OptionsDialog.h"
#include "plan/PlanDialog.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <memory>

// The resources live in a static library, so they are registered by hand.
static void RegisterResources() { Q_INIT_RESOURCE(legwise); }

QIcon ProgramIcon()
{
    static const bool registered = (RegisterResources(), true);
    Q_UNUSED(registered);
    static const QIcon icon(QPixmap(QStringLiteral(":/res/legwise.xpm")));
    return icon;
}

QFont PointFont(const QString& face, int tenthsOfPoint, int dotsPerInchY)
{
    // The character height without internal leading, truncated: 26 and 18 pixels at 96 dpi for
    // 20 and 14 points. No weight and no slant of its own: the face name alone gives the look.
    QFont font(face);
    font.setPixelSize(std::max(1, dotsPerInchY * tenthsOfPoint / 720));
    UseInstalledFace(font);
    return font;
}

void SetUpApplication(QApplication& app)
{
    app.setWindowIcon(ProgramIcon());
    QFont defaultFont = QApplication::font();
    if (UseInstalledFace(defaultFont))
        QApplication::setFont(defaultFont);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size();
        State().screenRect = ScreenRect{0, 0, size.width(), size.height()};
    }
}

ScreenView::ScreenView(const QFont& headingFont, const QFont& textFont, QWidget* parent)
    : QWidget(parent),
      m_headingFont(headingFont),
      m_textFont(textFont)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setObjectName(QStringLiteral("ScreenView"));
}

void ScreenView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const ScreenRect& screenRect = State().screenRect;
    m_clientRect = rect();
    m_clientWidth = m_clientRect.right() + 1;
    m_clientHeight = m_clientRect.bottom() + 1;
    // The green covers the whole client area, also where it is larger than the screen at start.
    const QRect green = m_clientRect.united(
        QRect(QPoint(screenRect.left, screenRect.top), QPoint(screenRect.right - 1, screenRect.bottom - 1)));
    const std::optional<std::vector<PlacedLine>> lines = ScreenLines(State().screen, m_clientWidth, m_clientHeight);
    if (!lines) {
        // Out of range: the welcome screen follows in the next paint.
        State().screen = ScreenWelcome;
        PaintScreen(painter, green, {}, {});
        update();
        return;
    }
    PaintScreen(painter, green, *lines, ScreenFonts{m_headingFont, m_textFont, font()});
}

CMainFrame::CMainFrame()
{
    const int dpiY =
        QGuiApplication::primaryScreen() ? qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()) : 96;
    m_textFont = PointFont(QStringLiteral("Arial Black Kursiv"), 140, dpiY);
    m_headingFont = PointFont(QStringLiteral("Arial Black Kursiv"), 200, dpiY);
    m_icon = ProgramIcon();

    setWindowTitle(QStringLiteral("Legwise (Light) / 2.0"));
    setWindowIcon(m_icon);

    // The three commands stand directly on the menu bar, inside the window on every platform.
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);
    QAction* start = bar->addAction(QStringLiteral("Start"));
    QAction* cont = bar->addAction(QStringLiteral("Continue"));
    QAction* close = bar->addAction(QStringLiteral("Close"));
    start->setObjectName(QStringLiteral("ID_START"));
    cont->setObjectName(QStringLiteral("ID_CONTINUE"));
    close->setObjectName(QStringLiteral("ID_CLOSE"));
    connect(start, &QAction::triggered, this, &CMainFrame::OnStartCommand);
    connect(cont, &QAction::triggered, this, &CMainFrame::OnContinueCommand);
    connect(close, &QAction::triggered, this, &CMainFrame::OnCloseCommand);

    m_view = new ScreenView(m_headingFont, m_textFont, this);
    setCentralWidget(m_view);
    setGeometry(m_windowRect);
}

// The outer frame, title bar included, goes to m_windowRect. Its margins are known only once the
// window manager has framed the window, and they may come late or change, so the client rectangle
// is set again each time they do, until the user first moves or resizes the window.
void CMainFrame::PlaceFrame()
{
    if (m_placedByUser || !isVisible() || windowState() != Qt::WindowNoState)
        return;
    const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (m_placedMargins == margins)
        return;
    m_placedMargins = margins;
    m_requested = m_windowRect.marginsRemoved(margins);
    setGeometry(m_requested);
}

bool CMainFrame::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    const bool moved = event->type() == QEvent::Move && geometry().topLeft() != m_requested.topLeft();
    const bool resized = event->type() == QEvent::Resize && size() != m_requested.size();
    if (event->type() == QEvent::Show)
        QTimer::singleShot(0, this, &CMainFrame::PlaceFrame);
    else if ((moved || resized) && isVisible()) {
        // Not where it was put: with the frame unchanged, the user moved or resized the window.
        const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
        if (m_placedMargins == margins)
            m_placedByUser = true;
        else
            PlaceFrame();
    }
    return handled;
}

bool CMainFrame::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    // X11 window managers tell the frame's margins in a property of the window (_NET_FRAME_EXTENTS),
    // and Qt passes a change on to no widget: after a property change, the frame is looked at again.
    constexpr unsigned PropertyNotify = 28; // X11 protocol event code; the high bit marks a sent event
    if (eventType == "xcb_generic_event_t" && (*static_cast<const unsigned char*>(message) & 0x7F) == PropertyNotify)
        QTimer::singleShot(0, this, &CMainFrame::PlaceFrame);
    return QMainWindow::nativeEvent(eventType, message, result);
}

void CMainFrame::ShowScreen(int screen)
{
    State().screen = screen;
    m_view->repaint();
}

void CMainFrame::OnStartCommand()
{
    PlannerState& state = State();
    if (state.reuseFiles != 1) {
        ShowScreen(ScreenChooseAirports);
        if (!SelectInputFile(InputFileKind::AirportFile, this)) {
            state.filesReady = 0;
        } else {
            ShowScreen(ScreenChooseAircraft);
            if (!SelectInputFile(InputFileKind::AircraftFile, this))
                state.filesReady = 0;
        }
    }
    if (state.filesReady == 0) {
        ShowScreen(ScreenFailed);
        state.filesReady = 1;
        return;
    }
    ShowScreen(ScreenOptions);
    auto options = std::make_unique<COptionsDialog>(this);
    options->DoModal(); // Cancel keeps the earlier options; the plan dialog follows either way
    auto plan = std::make_unique<CPlanDialog>(this);
    const int endCode = plan->Run();
    ShowScreen(endCode == IDOK ? ScreenSucceeded : ScreenFailed);
    plan.reset();
    options.reset();
}

void CMainFrame::OnContinueCommand()
{
    PlannerState& state = State();
    state.reuseFiles = 1;
    state.filesReady = 1;
    ShowScreen(ScreenReady);
}

void CMainFrame::OnCloseCommand()
{
    CCloseDialog dialog(this);
    if (dialog.DoModal() == IDOK)
        close();
}
