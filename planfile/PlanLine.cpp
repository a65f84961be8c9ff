#include "planfile/PlanLine.h"

#include "input/Text.h"
#include "plan/Composition.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The fields of a line between its commas, one at a time, without the blanks around them.
class Fields {
public:
    explicit Fields(std::string_view line)
        : m_rest(line)
    {}

    bool AtEnd() const { return m_ended; }

    std::string_view Next()
    {
        const char* const begin = m_rest.data();
        const size_t size = m_rest.size();
        const size_t comma = CommaAt(begin, size);
        size_t first = 0;
        size_t end = comma;
        while (first < end && IsBlank(static_cast<unsigned char>(begin[first])))
            ++first;
        while (end > first && IsBlank(static_cast<unsigned char>(begin[end - 1])))
            --end;
        if (comma == size)
            m_ended = true;
        else
            m_rest = std::string_view(begin + comma + 1, size - comma - 1);
        return std::string_view(begin + first, end - first);
    }

    // What is left is one empty field: the line ends with a comma.
    bool OnlyTrailingComma() const
    {
        return !m_ended
               && (m_rest.empty() || (IsBlank(static_cast<unsigned char>(m_rest[0])) && IsBlankThroughout(m_rest)));
    }

private:
    // Where the first comma of the `size` bytes at `text` lies, or `size`. Fields are short: eight bytes
    // at a time, compared all at once, find most commas in one step and without a library call.
    static size_t CommaAt(const char* text, size_t size)
    {
        size_t at = 0;
        if constexpr (std::endian::native == std::endian::little) {
            constexpr std::uint64_t ones = 0x0101010101010101ull;
            constexpr std::uint64_t low7 = 0x7f7f7f7f7f7f7f7full;
            for (; at + 8 <= size; at += 8) {
                std::uint64_t word = 0;
                std::memcpy(&word, text + at, 8);
                const std::uint64_t x = word ^ (ones * ',');
                // A byte of x is 0 (a comma) exactly where the top bit of this stays clear.
                const std::uint64_t commas = ~(((x & low7) + low7) | x | low7);
                if (commas != 0)
                    return at + static_cast<size_t>(std::countr_zero(commas)) / 8;
            }
        }
        while (at < size && text[at] != ',')
            ++at;
        return at;
    }

    std::string_view m_rest;
    bool m_ended = false;
};

// `count` digits at `pos` of `text` as a number; -1 when they are not all there.
int Digits(std::string_view text, size_t pos, size_t count)
{
    if (pos + count > text.size())
        return -1;
    int value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (!IsDigit(text[i]))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// A time field: [D/]H:MM, [D/]HH:MM or either with :SS. Null when it reads, the reason otherwise.
const char* ReadTime(std::string_view text, bool week, PlanTime& time)
{
    time = PlanTime{};
    if (text.size() >= 2 && text[1] == '/') {
        time.day = Digits(text, 0, 1);
        if (time.day < 0)
            return "is not a time of the form HH:MM or HH:MM:SS";
        if (time.day > 6)
            return "has a day other than 0 (Sunday) to 6 (Saturday)";
        text.remove_prefix(2);
    }
    // The first colon, which must be the second or third byte.
    const size_t colon = text.size() > 1 && text[1] == ':'                     ? 1
                         : text.size() > 2 && text[0] != ':' && text[2] == ':' ? 2
                                                                               : 0;
    if (colon == 0)
        return "is not a time of the form HH:MM or HH:MM:SS";
    const int hours = Digits(text, 0, colon);
    const int minutes = Digits(text, colon + 1, 2);
    int seconds = 0;
    const size_t end = colon + 3;
    if (text.size() > end && (text[end] != ':' || (seconds = Digits(text, end + 1, 2)) < 0 || text.size() != end + 3))
        return "is not a time of the form HH:MM or HH:MM:SS";
    if (hours < 0 || minutes < 0)
        return "is not a time of the form HH:MM or HH:MM:SS";
    if (hours > 23 || minutes > 59 || seconds > 59)
        return "is out of range";
    if (week && time.day < 0)
        return "needs its day in a WEEK plan (D/HH:MM, 0 is Sunday)";
    if (!week && time.day >= 0)
        return "has a day, which only WEEK plans give";
    time.seconds = (hours * 60 + minutes) * 60 + seconds;
    return nullptr;
}

// Whether `text` is `entry` in any letter case; `entry` is ASCII, and no other byte turns into an ASCII
// letter in either case. Inline, since every plan line asks it several times.
bool SameLettersNoCase(std::string_view text, std::string_view entry)
{
    if (text.size() != entry.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char e = entry[i];
        if (c != e && !((c | 0x20) == (e | 0x20) && (e | 0x20) >= 'a' && (e | 0x20) <= 'z'))
            return false;
    }
    return true;
}

// The period's length in seconds, found among the plan dialog's periods in any letter case; 0 for
// any other text.
int PeriodSeconds(std::string_view period)
{
    for (const std::string_view entry : PeriodEntries) {
        if (SameLettersNoCase(period, entry))
            return entry == "WEEK" ? SecondsPerWeek : IntegerValue(entry) * 60 * 60;
    }
    return 0;
}

bool ReadTrafficLimit(std::string_view field, int& percent)
{
    if (field.size() < 2 || field.size() > 4 || field.back() != '%')
        return false;
    percent = Digits(field, 0, field.size() - 1);
    return percent >= 0 && percent <= 100;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// Reads the six fields of one leg; false with the reason when one of them is not understood.
bool ReadLeg(Fields& fields, bool week, size_t number, PlanLeg& leg, std::string& reason)
{
    // Only a refusal needs the name.
    auto legName = [number] { return "leg " + std::to_string(number); };
    std::string_view field[6];
    for (int i = 0; i < 6; ++i) {
        if (fields.AtEnd()) {
            reason = legName() + " has " + std::to_string(i) + " of its 6 fields (departure, arrival, flight level, "
                     + "F or R, flight number, destination)";
            return false;
        }
        field[i] = fields.Next();
    }
    if (const char* problem = ReadTime(field[0], week, leg.departure)) {
        reason = legName() + ": the departure time " + Quoted(field[0]) + " " + problem;
        return false;
    }
    leg.arrival.reset();
    leg.fixedArrival = !field[1].empty() && field[1][0] == '@';
    const std::string_view arrival = leg.fixedArrival ? TrimLeftView(field[1].substr(1)) : field[1];
    if (leg.fixedArrival || !arrival.empty()) {
        PlanTime time;
        if (const char* problem = ReadTime(arrival, week, time)) {
            reason = legName() + ": the arrival time " + Quoted(field[1]) + " " + problem;
            return false;
        }
        leg.arrival = time;
    }
    leg.flightLevel = field[2];
    const char rules = field[3].size() == 1 ? static_cast<char>(field[3][0] & ~0x20) : '\0';
    if (rules != 'F' && rules != 'R') {
        reason = legName() + ": the fourth field " + Quoted(field[3]) + " is neither F nor R";
        return false;
    }
    leg.flightRules = field[3][0];
    leg.flightNumber = field[4];
    leg.destination = field[5];
    if (leg.destination.empty()) {
        reason = legName() + " has no destination";
        return false;
    }
    return true;
}
} // namespace

namespace {
// ReadPlanLine's reading, with each leg read into `legs.Slot()` and handed on by `legs.Keep()`.
template <typename Legs>
PlanLineKind ReadPlan(std::string_view line, PlanLine& plan, std::string& reason, Legs& legs)
{
    const std::string_view text = TrimLeftView(line);
    if (text.empty())
        return PlanLineKind::Blank;
    if (text[0] == ';' || text.substr(0, 2) == "//")
        return PlanLineKind::Comment;
    auto refuse = [&](std::string why) {
        reason = std::move(why);
        return PlanLineKind::Refused;
    };
    if (line.find('\0') != std::string_view::npos)
        return refuse("the line holds a NUL byte");

    Fields fields(line);
    std::string_view header[5];
    for (int i = 0; i < 5; ++i) {
        if (fields.AtEnd())
            return refuse(
                "not a plan: a plan line begins with five fields (aircraft, registration, traffic limit, "
                "period, IFR or VFR), this line has "
                + std::to_string(i));
        header[i] = fields.Next();
    }
    plan.aircraftKey = header[0];
    plan.registration = header[1];
    if (!ReadTrafficLimit(header[2], plan.trafficLimit))
        return refuse("the traffic limit " + Quoted(header[2]) + " is not a percentage from 0% to 100%");
    plan.period = header[3];
    plan.periodSeconds = PeriodSeconds(header[3]);
    if (plan.periodSeconds == 0)
        return refuse("unknown period " + Quoted(header[3]) + " (1Hr, 2Hr, 4Hr, 6Hr, 8Hr, 12Hr, 24Hr or WEEK)");
    plan.week = plan.periodSeconds == SecondsPerWeek;
    plan.flightRule = header[4];
    if (!SameLettersNoCase(header[4], "IFR") && !SameLettersNoCase(header[4], "VFR"))
        return refuse("the flight rule " + Quoted(header[4]) + " is neither IFR nor VFR");

    plan.legs.clear();
    // A comma at the very end leaves one empty field, which no leg owns.
    size_t count = 0;
    while (!fields.AtEnd() && !fields.OnlyTrailingComma()) {
        if (!ReadLeg(fields, plan.week, ++count, legs.Slot(), reason))
            return PlanLineKind::Refused;
        legs.Keep();
    }
    if (count == 0)
        return refuse("the plan has no legs");
    return PlanLineKind::Plan;
}
} // namespace

PlanLineKind ReadPlanLine(std::string_view line, PlanLine& plan, std::string& reason)
{
    // Each leg read in place at the end of the plan's legs.
    struct InPlace {
        PlanLine& plan;
        PlanLeg& Slot() { return plan.legs.emplace_back(); }
        void Keep() {}
    } legs{plan};
    return ReadPlan(line, plan, reason, legs);
}

PlanLineKind ReadPlanLineLegs(std::string_view line, PlanLine& plan, std::string& reason,
                              const std::function<void(const PlanLeg&)>& each)
{
    struct Handed {
        const std::function<void(const PlanLeg&)>& each;
        PlanLeg leg;
        PlanLeg& Slot() { return leg; }
        void Keep() { each(leg); }
    } legs{each, {}};
    return ReadPlan(line, plan, reason, legs);
}

std::string PlanTimeText(PlanTime time)
{
    // Written into one buffer: plans of a million legs ask for their times here.
    char text[32];
    char* end = text;
    if (time.day >= 0) {
        end = std::to_chars(end, text + sizeof text, time.day).ptr;
        *end++ = '/';
    }
    auto two = [&](int value) {
        *end++ = static_cast<char>('0' + value / 10);
        *end++ = static_cast<char>('0' + value % 10);
    };
    two(time.seconds / 3600);
    *end++ = ':';
    two(time.seconds / 60 % 60);
    if (time.seconds % 60 != 0) {
        *end++ = ':';
        two(time.seconds % 60);
    }
    return std::string(text, static_cast<size_t>(end - text));
}
