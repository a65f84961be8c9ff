// The three dialog templates: controls in template order (also the tab order), rectangles in
// dialog units.
#include "res/DialogTemplates.h"

namespace {
using namespace Style;
constexpr unsigned ListBox = VScroll | TabStop;
constexpr unsigned LineEdit = TabStop;
constexpr ControlClass S = ControlClass::Static;
constexpr ControlClass E = ControlClass::Edit;
constexpr ControlClass L = ControlClass::ListBox;
constexpr ControlClass B = ControlClass::Button;
constexpr ControlClass C = ControlClass::ComboBox;
} // namespace

// One control a row, as the templates are read.
// clang-format off
const DialogTemplate& PlanDialogTemplate()
{
    static const DialogTemplate plan{IDD_PLAN, "Generating Flightplan", 379, 279, "MS Sans Serif", 10, {
        {-1, nullptr, B, GroupBox, "General : Generating Header", 30, 10, 320, 75},
        {-1, nullptr, S, 0, "Aircraft :", 43, 25, 25, 10},
        {IDC_AIRCRAFT, "IDC_AIRCRAFT", L, ListBox, "", 78, 24, 152, 10},
        {-1, nullptr, S, 0, "Registration :", 253, 25, 40, 10},
        {IDC_REGISTRATION, "IDC_REGISTRATION", E, LineEdit, "", 296, 25, 35, 10},
        {-1, nullptr, S, 0, "Period :", 43, 45, 25, 10},
        {IDC_PERIOD, "IDC_PERIOD", L, ListBox, "", 78, 45, 42, 10},
        {-1, nullptr, S, 0, "Flight Rule :", 154, 45, 35, 10},
        {IDC_FLIGHT_RULE, "IDC_FLIGHT_RULE", L, ListBox | Sort, "", 194, 45, 26, 10},
        {-1, nullptr, S, 0, "Traffic Limit :", 251, 45, 40, 10},
        {IDC_TRAFFIC_LIMIT, "IDC_TRAFFIC_LIMIT", L, ListBox, "", 298, 44, 30, 10},
        {-1, nullptr, S, 0, "%", 331, 45, 8, 10},
        {IDC_ACCEPT_HEADER, "IDC_ACCEPT_HEADER", B, TabStop, "Accept Header", 162, 62, 50, 15},
        {-1, nullptr, B, GroupBox, "Generating Leg", 10, 95, 355, 90},
        {-1, nullptr, S, 0, "Local Departure Time :", 20, 115, 70, 10},
        {IDC_DEPARTURE_TIME, "IDC_DEPARTURE_TIME", L, ListBox, "", 95, 115, 45, 10},
        {IDC_DAY_OF_WEEK_LABEL, "IDC_DAY_OF_WEEK_LABEL", S, 0, "Day of Week :", 246, 115, 45, 10},
        {IDC_DAY_OF_WEEK, "IDC_DAY_OF_WEEK", L, ListBox, "", 292, 115, 58, 10},
        {-1, nullptr, S, 0, "Flight # :", 20, 135, 25, 10},
        {IDC_FLIGHT_NUMBER, "IDC_FLIGHT_NUMBER", E, LineEdit, "", 60, 135, 35, 10},
        {-1, nullptr, S, 0, "Flight Level :", 123, 136, 40, 10},
        {IDC_FLIGHT_LEVEL, "IDC_FLIGHT_LEVEL", E, LineEdit, "", 166, 136, 30, 10},
        {-1, nullptr, S, 0, "Flight Goal  (ICAO) :", 230, 135, 60, 10},
        {IDC_ACCEPT_LEG, "IDC_ACCEPT_LEG", B, TabStop, "Accept Leg", 161, 155, 50, 15},
        {1, "IDOK", B, DefPushButton | TabStop, "OK", 124, 250, 50, 14},
        {2, "IDCANCEL", B, TabStop, "Cancel", 190, 250, 50, 14},
        {-1, nullptr, S, 0, "Time Difference :", 150, 115, 55, 10},
        {IDC_TIME_DIFFERENCE, "IDC_TIME_DIFFERENCE", L, ListBox, "", 205, 115, 30, 10},
        {IDC_PLAN_PREVIEW, "IDC_PLAN_PREVIEW", E, Multiline | WantReturn | HScroll | VScroll | TabStop, "", 10, 209, 355, 30},
        {-1, nullptr, S, 0, "Flightplan in TTools format :", 12, 195, 85, 10},
        {IDC_DESTINATION, "IDC_DESTINATION", C, TabStop, "", 292, 132, 58, 12},
    }};
    return plan;
}

const DialogTemplate& OptionsDialogTemplate()
{
    static const DialogTemplate options{IDD_OPTIONS, "Options Dialog", 224, 179, "MS Sans Serif", 10, {
        {-1, nullptr, S, 0, "If  you like to comment your new flightplan, do it here:", 29, 10, 155, 10},
        {IDC_COMMENT, "IDC_COMMENT", E, Multiline | VScroll | TabStop, "", 17, 25, 190, 12},
        {-1, nullptr, S, 0, "Enter your  first Destination Airport ICAO Code :", 15, 121, 140, 10},
        {IDC_FIRST_DESTINATION, "IDC_FIRST_DESTINATION", E, LineEdit, "", 171, 120, 35, 12},
        {-1, nullptr, S, Center,
         "As the airport file might be rather large, it is sometimes convenient to pre-select the first "
         "destination airport ICAO code in order to avoid having to go  through the whole airport list",
         17, 52, 184, 30},
        {1, "IDOK", B, DefPushButton | TabStop, "OK", 54, 147, 50, 14},
        {2, "IDCANCEL", B, TabStop, "Cancel", 120, 147, 50, 14},
        {-1, nullptr, S, 0, "Hours with no AI Traffic Departures (Local Time) :", 15, 85, 150, 10},
        {-1, nullptr, S, 0, "between", 40, 100, 30, 10},
        {IDC_QUIET_FROM, "IDC_QUIET_FROM", E, LineEdit, "", 75, 100, 22, 10},
        {-1, nullptr, S, 0, "and", 127, 100, 13, 10},
        {IDC_QUIET_UNTIL, "IDC_QUIET_UNTIL", E, LineEdit, "", 146, 100, 25, 10},
        {-1, nullptr, S, 0, "h", 102, 100, 10, 10},
        {-1, nullptr, S, 0, "h", 179, 100, 10, 10},
    }};
    return options;
}

const DialogTemplate& CloseDialogTemplate()
{
    static const DialogTemplate close{IDD_CLOSE, "Close", 129, 60, "Xerox Sans Serif Wide", 12, {
        {1, "IDOK", B, DefPushButton | TabStop, "OK", 7, 28, 50, 14},
        {2, "IDCANCEL", B, TabStop, "Cancel", 73, 28, 50, 14},
        {-1, nullptr, S, 0, "Close Program ?", 37, 10, 58, 8},
    }};
    return close;
}
// clang-format on
