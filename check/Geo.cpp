#include "check/Geo.h"

#include "input/Text.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace {
// The fields of a line between its commas; the first is the code.
std::string_view Field(std::string_view line, int index)
{
    for (; index > 0; --index) {
        const size_t comma = line.find(',');
        if (comma == std::string_view::npos)
            return {};
        line.remove_prefix(comma + 1);
    }
    return line.substr(0, line.find(','));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// An unsigned decimal number, "12", "12.5" or ".5", taken from the front of `text`; nothing when
// no digit comes.
std::optional<double> TakeNumber(std::string_view& text)
{
    size_t i = 0;
    double value = 0;
    bool digits = false;
    for (; i < text.size() && IsDigit(text[i]); ++i, digits = true)
        value = value * 10 + (text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && IsDigit(text[i]); ++i, digits = true, scale /= 10)
            value += (text[i] - '0') * scale;
    }
    if (!digits)
        return std::nullopt;
    text.remove_prefix(i);
    return value;
}

// Inline, since a large airport file has a million lines of them.
std::string_view Trimmed(std::string_view text)
{
    size_t first = 0;
    size_t end = text.size();
    while (first < end && IsBlank(static_cast<unsigned char>(text[first])))
        ++first;
    while (end > first && IsBlank(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(first, end - first);
}

// The hemisphere letters are ASCII; no other byte turns into one in either case.
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// One coordinate: "N50* 2.00'" (a hemisphere letter, degrees, a degree mark, decimal minutes) or
// decimal degrees with a hemisphere letter or a sign. `positive` and `negative` are the two letters.
std::optional<double> Coordinate(std::string_view field, char positive, char negative, double limit)
{
    std::string_view text = Trimmed(field);
    double sign = 1;
    // A hemisphere letter in either case, or else a sign.
    const char letter = text.empty() ? '\0' : AsciiUpper(text[0]);
    const bool lettered = letter == positive || letter == negative;
    if (lettered) {
        sign = letter == negative ? -1 : 1;
        text.remove_prefix(1);
    } else if (letter == '-' || letter == '+') {
        sign = letter == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    std::optional<double> degrees = TakeNumber(text);
    if (!degrees)
        return std::nullopt;
    // The degree mark: '*' in the files, or the Windows-1252 degree sign. Degrees and minutes come with
    // their hemisphere letter: without one, north or east would be a guess.
    if (!text.empty() && (text[0] == '*' || static_cast<unsigned char>(text[0]) == 0xB0)) {
        if (!lettered || *degrees != std::floor(*degrees))
            return std::nullopt;
        text = Trimmed(text.substr(1));
        const std::optional<double> minutes = TakeNumber(text);
        if (!minutes || *minutes >= 60)
            return std::nullopt;
        if (!text.empty() && text[0] == '\'')
            text.remove_prefix(1);
        *degrees += *minutes / 60;
    }
    if (!text.empty() || *degrees > limit)
        return std::nullopt;
    return sign * *degrees;
}
} // namespace

std::optional<GeoPosition> PositionFromAirportLine(std::string_view line)
{
    // The code, then the latitude and the longitude between the next commas.
    const size_t first = line.find(',');
    if (first == std::string_view::npos)
        return std::nullopt;
    const size_t second = line.find(',', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    const size_t third = line.find(',', second + 1);
    const std::optional<double> latitude = Coordinate(line.substr(first + 1, second - first - 1), 'N', 'S', 90);
    const std::optional<double> longitude = Coordinate(
        line.substr(second + 1, third == std::string_view::npos ? third : third - second - 1), 'E', 'W', 180);
    if (!latitude || !longitude)
        return std::nullopt;
    return GeoPosition{*latitude, *longitude};
}

std::optional<int> CruiseSpeedFromAircraftEntry(std::string_view entry)
{
    std::string_view field = TrimLeftView(TrimRightView(Field(TrimLeftView(entry), 1)));
    // Whole knots; a decimal speed (450.5) is rounded to the nearest knot.
    const std::optional<double> speed = TakeNumber(field);
    if (!speed || !field.empty() || *speed >= 100000)
        return std::nullopt;
    const auto knots = static_cast<int>(std::lround(*speed));
    if (knots == 0)
        return std::nullopt;
    return knots;
}

namespace {
constexpr double Radians = std::numbers::pi / 180;
}

GeoPoint PointAt(GeoPosition position) { return {position, std::cos(position.latitude * Radians)}; }

double GreatCircleNm(const GeoPoint& from, const GeoPoint& to)
{
    const double dLat = to.position.latitude * Radians - from.position.latitude * Radians;
    const double dLon = (to.position.longitude - from.position.longitude) * Radians;
    // The haversine form stays exact for short legs, where the cosine form loses its digits.
    const double sinHalfLat = std::sin(dLat / 2);
    const double sinHalfLon = std::sin(dLon / 2);
    const double h = sinHalfLat * sinHalfLat + from.cosLatitude * to.cosLatitude * sinHalfLon * sinHalfLon;
    return 2 * EarthRadiusNm * std::asin(std::min(1.0, std::sqrt(h)));
}

double GreatCircleNm(GeoPosition from, GeoPosition to) { return GreatCircleNm(PointAt(from), PointAt(to)); }

int FlightMinutes(double distanceNm, int knots) { return static_cast<int>(std::lround(distanceNm / knots * 60)); }
