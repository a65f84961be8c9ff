#pragma once
// The seven screens of the main window: fixed lines of text on green.

#include <QFont>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

enum class ScreenFont { Heading, Text, Default };

struct PlacedLine {
    ScreenFont font;
    int x; // top-left corner of the line's first character cell, in client pixels
    int y;
    QString text;
};

inline const QString FooterText = QStringLiteral("\u00A9 2026 the Legwise authors");

// The lines of `screen` for a client area of the given size, footer last; nothing for a value
// outside 0 to 6.
std::optional<std::vector<PlacedLine>> ScreenLines(int screen, int clientWidth, int clientHeight);

struct ScreenFonts {
    QFont heading;
    QFont text;
    QFont defaultFont;
};

// Fills `green` (the client area and the screen rectangle) and draws the lines.
void PaintScreen(QPainter& painter, const QRect& green, const std::vector<PlacedLine>& lines, const ScreenFonts& fonts);
