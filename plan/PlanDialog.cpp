#include "plan/PlanDialog.h"

#include "app/Controls.h"
#include "app/PlannerState.h"
#include "app/Text.h"
#include "app/Windows1252.h"
#include "input/InputFileSelection.h"
#include "input/ListReading.h"
#include "plan/Composition.h"
#include "plan/PlanOutput.h"
#include "res/DialogTemplates.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <filesystem>

namespace {
const QString RepeatSelection = QStringLiteral("Error: Repeat Selection!");
const QString AirportNotFound = QStringLiteral("Error: Airport not found!\n(Use Arrow down for ICAO code...)");
const QString OnlyOneLeg = QStringLiteral("Only 1 Leg in Flightplan !");

std::vector<std::string> Entries(auto const& texts) { return std::vector<std::string>(texts.begin(), texts.end()); }

// The chosen path when the user chose one in this run, else the stored one.
std::filesystem::path InputPath(const std::filesystem::path& chosen, const std::string& stored)
{
    return chosen.empty() ? std::filesystem::path(stored) : chosen;
}

QString DescribeProblem(const char* what, const std::filesystem::path& path, const ListReadResult& result)
{
    if (result.ok)
        return {};
    const QString name = path.empty() ? QStringLiteral("(no file chosen)") : QStringFromPath(path);
    return QStringLiteral("%1 file %2: %3").arg(QString::fromLatin1(what), name, QString::fromStdString(result.error));
}
} // namespace

CPlanDialog::CPlanDialog(QWidget* owner)
    : ModalDialog(PlanDialogTemplate(), owner)
{
    dayOfWeekList = Item<OneLineList>(IDC_DAY_OF_WEEK);
    dayOfWeekLabel = Item<QLabel>(IDC_DAY_OF_WEEK_LABEL);
    connect(Item<QPushButton>(IDOK), &QPushButton::clicked, this, &CPlanDialog::OnOK);
    connect(Item<QPushButton>(IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
    connect(Item<QPushButton>(IDC_ACCEPT_HEADER), &QPushButton::clicked, this, &CPlanDialog::OnAcceptHeader);
    connect(Item<QPushButton>(IDC_ACCEPT_LEG), &QPushButton::clicked, this, &CPlanDialog::OnAcceptLeg);
}

int CPlanDialog::Run()
{
    OnInitDialog();
    if (!m_readProblem.isEmpty()) {
        // Told once the dialog stands, so the message comes up in front of it.
        QTimer::singleShot(0, this, [this] { Platform::ShowMessage(this, m_readProblem); });
    }
    return DoModal();
}

void CPlanDialog::OnInitDialog()
{
    PlannerState& state = State();
    // Every plan starts from an empty text: an earlier plan, a cancelled one too, is never written again.
    state.planText.clear();
    state.legCount = 0;

    const std::filesystem::path aircraftPath = InputPath(state.aircraftChosenPath, state.aircraftPath);
    const ListReadResult aircraft = ReadAircraftEntries(aircraftPath);
    auto* aircraftList = Item<OneLineList>(IDC_AIRCRAFT);
    aircraftList->AddStrings(aircraft.entries);
    aircraftList->SetCurSel(0);

    auto fill = [this](int id, std::vector<std::string> entries, int selected) {
        auto* list = Item<OneLineList>(id);
        list->AddStrings(entries);
        list->SetCurSel(selected);
        return list;
    };
    fill(IDC_PERIOD, Entries(PeriodEntries), 6);
    fill(IDC_FLIGHT_RULE, Entries(FlightRuleEntries), 0);
    fill(IDC_TRAFFIC_LIMIT, Entries(TrafficLimitEntries), 4);

    const DepartureHours hours = DepartureHoursFrom(state.quietFrom, state.quietUntil);
    state.firstHour = hours.firstHour;
    state.endHour = hours.endHour;
    auto* departures = fill(IDC_DEPARTURE_TIME, DepartureTimes(hours.firstHour, hours.endHour), 0);
    fill(IDC_TIME_DIFFERENCE, TimeDifferenceEntries(), 12);
    fill(IDC_DAY_OF_WEEK, Entries(DayNames), 0);
    dayOfWeekList->setVisible(true);
    dayOfWeekLabel->setVisible(true);

    const std::filesystem::path airportPath = InputPath(state.airportChosenPath, state.airportPath);
    ListReadResult airports = ReadAirportCodes(airportPath);
    auto* destination = Item<DestinationBox>(IDC_DESTINATION);
    destination->SetEntries(std::move(airports.entries));
    if (!state.firstDestination.empty())
        state.destinationIndex = destination->SelectString(state.firstDestination);
    destination->SetCurSel(state.destinationIndex);

    if (!state.quietUntil.empty())
        state.departureIndex = departures->FindString(state.quietUntil);
    departures->SetCurSel(state.departureIndex);

    QStringList problems;
    for (const QString& problem :
         {DescribeProblem("Aircraft", aircraftPath, aircraft), DescribeProblem("Airport", airportPath, airports)}) {
        if (!problem.isEmpty())
            problems << problem;
    }
    m_readProblem = problems.isEmpty()
                        ? QString()
                        : QStringLiteral("Error: Input file could not be read!\n") + problems.join(QLatin1Char('\n'));
    aircraftList->setFocus();
}

void CPlanDialog::Refuse(const QString& message) { Platform::ShowMessage(this, message); }

std::optional<std::string> CPlanDialog::PlanBytes(const QString& text)
{
    QString refused;
    std::optional<std::string> bytes = ToWindows1252(text, &refused);
    if (!bytes)
        Refuse(QStringLiteral("Error: The character \"%1\" cannot be written to the flightplan!").arg(refused));
    return bytes;
}

void CPlanDialog::OnAcceptHeader()
{
    PlannerState& state = State();
    auto* aircraftList = Item<OneLineList>(IDC_AIRCRAFT);
    auto* periodList = Item<OneLineList>(IDC_PERIOD);
    auto* ruleList = Item<OneLineList>(IDC_FLIGHT_RULE);
    auto* limitList = Item<OneLineList>(IDC_TRAFFIC_LIMIT);
    auto* preview = Item<MultiLineEdit>(IDC_PLAN_PREVIEW);

    const int aircraftIndex = aircraftList->GetCurSel();
    state.periodIndex = periodList->GetCurSel();
    if (state.periodIndex == WeekPeriodIndex) {
        dayOfWeekList->SetCurSel(0);
        dayOfWeekList->setVisible(true);
        dayOfWeekLabel->setVisible(true);
    } else {
        dayOfWeekList->SetCurSel(7); // one past Saturday: no day selected
        dayOfWeekList->setVisible(false);
        dayOfWeekLabel->setVisible(false);
    }
    const int ruleIndex = ruleList->GetCurSel();
    const int limitIndex = limitList->GetCurSel();

    auto check = [&]() -> bool {
        const std::string aircraftEntry = aircraftList->GetText(aircraftIndex);
        if (aircraftIndex == -1 || state.periodIndex == -1 || ruleIndex == -1 || limitIndex == -1
            || IsBlankThroughout(AircraftKey(aircraftEntry))) {
            Refuse(RepeatSelection);
            return false;
        }
        const std::optional<std::string> registration = PlanBytes(Item<QLineEdit>(IDC_REGISTRATION)->text());
        if (!registration)
            return false;
        if (BreaksPlanField(*registration)) {
            Refuse(QStringLiteral("Error: No comma in the Registration!"));
            return false;
        }
        // Without a comment the new header would follow the old one, which needs its two legs first.
        if (m_headerAccepted && state.comment.empty() && state.legCount < 2) {
            Refuse(OnlyOneLeg);
            return false;
        }
        const std::string period = TrimBlanks(periodList->GetText(state.periodIndex));
        const std::string header = ComposeHeader(aircraftEntry, *registration, limitList->GetText(limitIndex),
                                                 periodList->GetText(state.periodIndex), ruleList->GetText(ruleIndex));
        periodText = period;
        registrationText = TrimBlanks(*registration) + ",";
        state.headerText = state.lineBreak + header;
        state.planText = PlanTextWithHeader(state.planText, state.comment, header);
        state.legCount = 0;
        m_headerAccepted = true;
        return true;
    };
    check();
    preview->setPlainText(FromWindows1252(state.planText));
}

void CPlanDialog::OnAcceptLeg()
{
    PlannerState& state = State();
    auto* departures = Item<OneLineList>(IDC_DEPARTURE_TIME);
    auto* differences = Item<OneLineList>(IDC_TIME_DIFFERENCE);
    auto* destination = Item<DestinationBox>(IDC_DESTINATION);
    auto* preview = Item<MultiLineEdit>(IDC_PLAN_PREVIEW);

    const int departureIndex = departures->GetCurSel();
    const int differenceIndex = differences->GetCurSel();
    const int dayIndex = dayOfWeekList->GetCurSel();
    state.destinationIndex = destination->GetCurSel();
    if (state.destinationIndex == -1) {
        Refuse(AirportNotFound);
        return;
    }
    if (!m_headerAccepted) {
        Refuse(QStringLiteral("Error: Accept the Header first!"));
        return;
    }
    if (departureIndex == -1) {
        Refuse(QStringLiteral("Error: No Local Departure Time selected!"));
        return;
    }
    const std::optional<std::string> flightNumber = PlanBytes(Item<QLineEdit>(IDC_FLIGHT_NUMBER)->text());
    if (!flightNumber)
        return;
    const std::optional<std::string> flightLevel = PlanBytes(Item<QLineEdit>(IDC_FLIGHT_LEVEL)->text());
    if (!flightLevel)
        return;
    if (BreaksPlanField(*flightNumber) || BreaksPlanField(*flightLevel)) {
        Refuse(QStringLiteral("Error: No comma in Flight # or Flight Level!"));
        return;
    }

    const std::string departure = departures->GetText(departureIndex);
    const std::string dayText = dayOfWeekList->GetText(dayIndex);
    const UniversalTime universal =
        ToUniversalTime(IntegerValue(Left(departure, 2)), IntegerValue(differences->GetText(differenceIndex)),
                        DayIndexFromName(dayText));
    state.legText = ComposeLeg(periodText == "WEEK", universal.dayIndex, UniversalTimeText(universal.hour, departure),
                               *flightLevel, *flightNumber, destination->GetLBText(state.destinationIndex));
    state.planText += state.legText;
    preview->setPlainText(FromWindows1252(state.planText));
    preview->ScrollToLastLine();
    ++state.legCount;
    destination->SetCurSel(-1);
}

void CPlanDialog::OnOK()
{
    PlannerState& state = State();
    if (state.legCount < 2) {
        Refuse(OnlyOneLeg);
        return;
    }
    // Relative to the current directory at the moment of writing.
    const std::filesystem::path file = ResolvePlanFile({}, state.planFileName);
    const AppendResult result = AppendPlan(file, state.planText);
    if (!result.ok) {
        std::error_code ec;
        const std::filesystem::path shown = std::filesystem::absolute(file, ec);
        Refuse(QStringLiteral("Error: The flightplan could not be written to %1!\n%2\nThe plan stays here; press OK "
                              "again once the cause is fixed.")
                   .arg(QStringFromPath(ec ? file : shown), QString::fromStdString(result.error)));
        return;
    }
    done(IDOK);
}
