#include "app/ScreenPainter.h"

#include "app/PlannerState.h"

#include <QPainter>

namespace {
// A coordinate is either fixed or an offset from the centre of the client area.
struct Coordinate {
    bool fromCentre;
    int offset;
    int Resolve(int centre) const { return fromCentre ? centre + offset : offset; }
};
constexpr Coordinate Fixed(int value) { return {false, value}; }
constexpr Coordinate Centre(int offset) { return {true, offset}; }

struct LineTemplate {
    int screen;
    ScreenFont font;
    Coordinate x;
    Coordinate y;
    const char* text;
};

constexpr ScreenFont Heading = ScreenFont::Heading;
constexpr ScreenFont Text = ScreenFont::Text;

const LineTemplate Lines[] = {
    {ScreenWelcome, Heading, Fixed(50), Fixed(50), "Legwise (Light) / Version 2.0:"},
    {ScreenWelcome, Text, Centre(-300), Centre(-120), "In order to generate a route, Legwise needs access to an"},
    {ScreenWelcome, Text, Centre(-300), Centre(-80), "Airport file and an Aircraft file, both in TTools format."},
    {ScreenWelcome, Text, Centre(-300), Centre(-40), "The route is written to the file <FlightplansPersonal.txt>"},
    {ScreenWelcome, Text, Centre(-300), Centre(0), "in the current directory. If this file already exists, the"},
    {ScreenWelcome, Text, Centre(-300), Centre(40), "route is appended to it."},
    {ScreenWelcome, Text, Centre(-300), Centre(80), "Optional, in the first Dialog, you might add a comment and"},
    {ScreenWelcome, Text, Centre(-300), Centre(120), "pre-select the ICAO code of the first destination airport."},
    {ScreenChooseAirports, Text, Fixed(50), Fixed(50), "Choose the Airport file:"},
    {ScreenChooseAircraft, Text, Fixed(50), Fixed(50), "Choose the Aircraft file:"},
    {ScreenFailed, Heading, Fixed(50), Fixed(50), "Legwise (Light):"},
    {ScreenFailed, Text, Centre(-180), Centre(-60), "Route could not be generated!"},
    {ScreenSucceeded, Heading, Fixed(50), Fixed(50), "Legwise (Light):"},
    {ScreenSucceeded, Text, Centre(-180), Centre(-60), "Route successfully generated"},
    {ScreenSucceeded, Text, Centre(-230), Centre(-20), "and written to file <FlightplansPersonal.txt>"},
    {ScreenOptions, Text, Fixed(50), Fixed(50), "Options:"},
    {ScreenReady, Text, Centre(-200), Centre(-60), "For a new flightplan, select <Start>"},
};
} // namespace

std::optional<std::vector<PlacedLine>> ScreenLines(int screen, int clientWidth, int clientHeight)
{
    if (static_cast<unsigned>(screen) > ScreenReady)
        return std::nullopt;
    const int w = clientWidth / 2;
    const int h = clientHeight / 2;
    std::vector<PlacedLine> lines;
    for (const LineTemplate& line : Lines) {
        if (line.screen == screen)
            lines.push_back({line.font, line.x.Resolve(w), line.y.Resolve(h), QString::fromLatin1(line.text)});
    }
    lines.push_back({ScreenFont::Default, clientWidth - 200, clientHeight - 40, FooterText});
    return lines;
}

void PaintScreen(QPainter& painter, const QRect& green, const std::vector<PlacedLine>& lines, const ScreenFonts& fonts)
{
    painter.fillRect(green, QColor(0, 255, 0));
    painter.setPen(Qt::black);
    for (const PlacedLine& line : lines) {
        const QFont& font = line.font == ScreenFont::Heading ? fonts.heading
                            : line.font == ScreenFont::Text  ? fonts.text
                                                             : fonts.defaultFont;
        painter.setFont(font);
        // The position is the top of the character cell, not the baseline.
        painter.drawText(QPoint(line.x, line.y + painter.fontMetrics().ascent()), line.text);
    }
}
