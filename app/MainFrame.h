#pragma once
// The main window: the menu bar with Start, Continue and Close, and the screen that tells the user
// where the work stands.

#include <QFont>
#include <QIcon>
#include <QMainWindow>
#include <QMargins>
#include <QRect>

#include <optional>

class ScreenView : public QWidget {
    Q_OBJECT
public:
    ScreenView(const QFont& headingFont, const QFont& textFont, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QFont& m_headingFont;
    const QFont& m_textFont;
    QRect m_clientRect;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
};

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();

    void OnStartCommand();
    void OnContinueCommand();
    void OnCloseCommand();

    ScreenView* View() const { return m_view; }

    // Sets the screen and repaints it at once, so it stands behind the dialog that follows.
    void ShowScreen(int screen);

protected:
    bool event(QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void PlaceFrame();

    QRect m_windowRect{0, 0, 800, 600}; // the outer frame, title bar included
    QFont m_textFont;
    QFont m_headingFont;
    QIcon m_icon;
    ScreenView* m_view = nullptr;
    // The frame is placed again whenever its margins change, until the user moves or resizes it.
    std::optional<QMargins> m_placedMargins;
    QRect m_requested = m_windowRect; // the client rectangle last asked for
    bool m_placedByUser = false;
};

// The program icon, the paper sheet.
QIcon ProgramIcon();

// A font requested by face name alone at the pixel height of `tenthsOfPoint` on this screen; a
// sans-serif face where that one is missing.
QFont PointFont(const QString& face, int tenthsOfPoint, int dotsPerInchY);

class QApplication;
// What the program sets up before its window: the icon of every window, a sans-serif default font
// where the platform's default face is missing, and the screen's size.
void SetUpApplication(QApplication& app);
