#include "plan/PlanDialog.h"

#include "app/Controls.h"
#include "app/PlannerState.h"
#include "app/Platform.h"
#include "app/Windows1252.h"
#include "check/DraftCheck.h"
#include "check/PlanCheckWindow.h"
#include "input/ListReading.h"
#include "input/Text.h"
#include "plan/Composition.h"
#include "plan/PlanOutput.h"
#include "planfile/PlanFindings.h"
#include "res/DialogTemplates.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <filesystem>

namespace {
// What a new plan dialog offers first: the first aircraft and the first departure time, a daily plan
// under instrument rules at half the traffic, departure times in universal time, and, for a weekly
// plan, Sunday.
constexpr int FirstEntry = 0;
constexpr int Daily = 6;
constexpr int InstrumentRules = 0;
constexpr int HalfTheTraffic = 4;
constexpr int NoTimeDifference = 12; // "-12" to "12"
constexpr int Sunday = 0;
static_assert(PeriodEntries[Daily] == "24Hr" && FlightRuleEntries[InstrumentRules] == "IFR");
static_assert(TrafficLimitEntries[HalfTheTraffic] == "50" && DayNames[Sunday] == "Sunday");

std::vector<std::string> Entries(auto const& texts) { return std::vector<std::string>(texts.begin(), texts.end()); }

// The chosen path when the user chose one in this run, else the stored one.
std::filesystem::path InputPath(const std::filesystem::path& chosen, const std::string& stored)
{
    return chosen.empty() ? std::filesystem::path(stored) : chosen;
}

// The registration of the accepted header, without the comma the header gave it.
std::string AcceptedRegistration(const PlanDraft& draft)
{
    const std::string_view text = draft.registrationText;
    return TrimBlanks(text.substr(0, text.empty() ? 0 : text.size() - 1));
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

    // The plan check follows the leg being composed as its controls change.
    m_checkStartDay =
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()).time_since_epoch().count();
    m_checkWindow = new PlanCheckWindow(this);
    connect(m_checkWindow, &PlanCheckWindow::TurnaroundChanged, this, &CPlanDialog::UpdateCheck);
    connect(m_checkWindow, &PlanCheckWindow::FirstDepartureChanged, this, &CPlanDialog::UpdateCheck);
    for (const int id : {IDC_DEPARTURE_TIME, IDC_TIME_DIFFERENCE, IDC_DAY_OF_WEEK})
        connect(Item<OneLineList>(id), &OneLineList::SelectionMoved, this, &CPlanDialog::UpdateCheck);
    connect(Item<DestinationBox>(IDC_DESTINATION), &QLineEdit::textChanged, this, &CPlanDialog::UpdateCheck);
}

CPlanDialog::~CPlanDialog()
{
    m_stopReading = true;
    if (m_reading.joinable())
        m_reading.join();
}

int CPlanDialog::Run()
{
    OnInitDialog();
    // Once the dialog stands: the check window beside it, then the plan file read in the background,
    // so neither delays the dialog.
    QTimer::singleShot(0, this, [this] {
        if (m_checkWindow)
            m_checkWindow->ShowBeside();
        ReadExistingPlansInBackground();
    });
    if (!m_readProblem.isEmpty()) {
        // Told once the dialog stands, so the message comes up in front of it.
        QTimer::singleShot(0, this, [this] { Platform::ShowMessage(this, m_readProblem); });
    }
    return DoModal();
}

void CPlanDialog::done(int result)
{
    m_stopReading = true;
    if (m_checkWindow)
        m_checkWindow->close();
    ModalDialog::done(result);
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
    aircraftList->SetCurSel(FirstEntry);

    auto fill = [this](int id, const std::vector<std::string>& entries, int selected) {
        auto* list = Item<OneLineList>(id);
        list->AddStrings(entries);
        list->SetCurSel(selected);
        return list;
    };
    fill(IDC_PERIOD, Entries(PeriodEntries), Daily);
    fill(IDC_FLIGHT_RULE, Entries(FlightRuleEntries), InstrumentRules);
    fill(IDC_TRAFFIC_LIMIT, Entries(TrafficLimitEntries), HalfTheTraffic);

    const DepartureHours hours = DepartureHoursFrom(state.quietFrom, state.quietUntil);
    state.firstHour = hours.firstHour;
    state.endHour = hours.endHour;
    auto* departures = fill(IDC_DEPARTURE_TIME, DepartureTimes(hours.firstHour, hours.endHour), FirstEntry);
    fill(IDC_TIME_DIFFERENCE, TimeDifferenceEntries(), NoTimeDifference);
    fill(IDC_DAY_OF_WEEK, Entries(DayNames), Sunday);
    dayOfWeekList->setVisible(true);
    dayOfWeekLabel->setVisible(true);

    const std::filesystem::path airportPath = InputPath(state.airportChosenPath, state.airportPath);
    ListReadResult airports = ReadAirportCodes(airportPath);
    auto* destination = Item<DestinationBox>(IDC_DESTINATION);
    destination->SetEntries(std::move(airports.entries));
    m_airportPath = airportPath;
    m_airportMarks = std::move(airports.marks);
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

void CPlanDialog::Refuse(const std::string& message) { Platform::ShowMessage(this, QString::fromStdString(message)); }

ListChoice CPlanDialog::Chosen(const OneLineList* list) const
{
    const int index = list->GetCurSel();
    return {index, list->GetText(index)};
}

TypedText CPlanDialog::Typed(int editId) const
{
    QString refused;
    TypedText typed{ToWindows1252(Item<QLineEdit>(editId)->text(), &refused), {}};
    if (!typed.bytes)
        typed.refusedCharacter = refused.toStdString();
    return typed;
}

void CPlanDialog::ShowDayList(bool week)
{
    dayOfWeekList->SetCurSel(week ? Sunday : -1);
    dayOfWeekList->setVisible(week);
    dayOfWeekLabel->setVisible(week);
}

void CPlanDialog::OnAcceptHeader()
{
    const Outcome outcome = AcceptHeader(m_draft, State(),
                                         {.aircraft = Chosen(Item<OneLineList>(IDC_AIRCRAFT)),
                                          .period = Chosen(Item<OneLineList>(IDC_PERIOD)),
                                          .flightRule = Chosen(Item<OneLineList>(IDC_FLIGHT_RULE)),
                                          .trafficLimit = Chosen(Item<OneLineList>(IDC_TRAFFIC_LIMIT)),
                                          .registration = Typed(IDC_REGISTRATION)});
    if (!outcome.Accepted())
        Refuse(outcome.refusal);
    // After a refusal too: whatever was typed into the preview gives way to the plan as it stands.
    auto* preview = Item<MultiLineEdit>(IDC_PLAN_PREVIEW);
    preview->setPlainText(FromWindows1252(State().planText));
    if (outcome.Accepted()) {
        preview->ScrollToLastLine();
        ShowDayList(IsWeeklyPlan(m_draft));
        UpdateCheck();
    }
}

LegChoices CPlanDialog::LegControls() const
{
    const auto* destination = Item<DestinationBox>(IDC_DESTINATION);
    const int destinationIndex = destination->GetCurSel();
    return {.departure = Chosen(Item<OneLineList>(IDC_DEPARTURE_TIME)),
            .timeDifference = Chosen(Item<OneLineList>(IDC_TIME_DIFFERENCE)),
            .dayOfWeek = Chosen(dayOfWeekList),
            .destination = {destinationIndex, destination->GetLBText(destinationIndex)},
            .flightNumber = Typed(IDC_FLIGHT_NUMBER),
            .flightLevel = Typed(IDC_FLIGHT_LEVEL)};
}

void CPlanDialog::OnAcceptLeg()
{
    const Outcome outcome = AcceptLeg(m_draft, State(), LegControls());
    if (!outcome.Accepted()) {
        Refuse(outcome.refusal);
        return;
    }
    auto* preview = Item<MultiLineEdit>(IDC_PLAN_PREVIEW);
    preview->setPlainText(FromWindows1252(State().planText));
    preview->ScrollToLastLine();
    // The next leg needs its destination chosen anew.
    Item<DestinationBox>(IDC_DESTINATION)->SetCurSel(-1);
    UpdateCheck();
}

PlanCheckWindow* CPlanDialog::CheckWindow() const { return m_checkWindow; }

void CPlanDialog::SetCheckStartDay(std::int64_t day)
{
    m_checkStartDay = day;
    UpdateCheck();
}

std::optional<CheckedAirport> CPlanDialog::FirstDepartureAirport(const std::string& code)
{
    if (code.empty())
        return std::nullopt;
    const int index = Item<DestinationBox>(IDC_DESTINATION)->FindCode(code);
    if (index < 0)
        return CheckedAirport{code, std::nullopt, false};
    const std::string found = Item<DestinationBox>(IDC_DESTINATION)->GetLBText(index);
    return CheckedAirport{found, PlaceOf(AcceptedLeg{0, 0, -1, index, found})};
}

std::optional<GeoPosition> CPlanDialog::PlaceOf(const AcceptedLeg& leg)
{
    const auto* destination = Item<DestinationBox>(IDC_DESTINATION);
    if (leg.destinationIndex < 0 || leg.destinationIndex >= destination->Count())
        return std::nullopt;
    const size_t entry = destination->SourceIndex(leg.destinationIndex);
    const auto known = m_places.find(entry);
    if (known != m_places.end())
        return known->second;
    const std::optional<std::string> line = AirportLineOfEntry(m_airportPath, m_airportMarks, entry, leg.destination);
    return m_places[entry] = line ? PositionFromAirportLine(*line) : std::nullopt;
}

void CPlanDialog::UpdateCheck()
{
    if (!m_checkWindow)
        return;
    const PlannerState& state = State();
    const std::optional<AcceptedLeg> composing = LegAsChosen(m_draft, LegControls());
    const std::optional<PlanChoices> plan =
        ChoicesFromDraft(m_draft, composing, [this](const AcceptedLeg& leg) { return PlaceOf(leg); },
                         {m_checkWindow->MinimumTurnaround(), m_checkStartDay, state.firstHour, state.endHour,
                          FirstDepartureAirport(m_checkWindow->FirstDeparture())});
    std::optional<PlanCheckWindow::Header> header;
    if (plan)
        header = PlanCheckWindow::Header{plan->aircraftKey, plan->cruiseKnots, AcceptedRegistration(m_draft)};
    m_checkWindow->ShowCheck(header, plan ? CheckComposedPlan(*plan) : PlanReport{}, IsWeeklyPlan(m_draft),
                             plan && composing);
    ShowExistingPlans();
}

void CPlanDialog::ReadExistingPlansInBackground()
{
    const std::filesystem::path file = ResolvePlanFile({}, State().planFileName);
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(file, ec);
    if (!std::filesystem::exists(status)) {
        m_existingPlansState = QStringLiteral("There is no plan file in this folder yet.");
        ShowExistingPlans();
        return;
    }
    // A named pipe or a device is not even opened: opening one can wait, or wake a program at its
    // other end.
    if (!std::filesystem::is_regular_file(status)) {
        m_existingPlansState =
            QStringLiteral("The plan file %1 is not a plain file, so it was not read.").arg(QStringFromPath(file));
        ShowExistingPlans();
        return;
    }
    m_existingPlansState = QStringLiteral("Reading the plan file %1 ...").arg(QStringFromPath(file));
    ShowExistingPlans();
    m_reading = std::thread([this, file] {
        ExistingPlans plans = ReadExistingPlans(file, m_stopReading);
        // Handed to the dialog's own thread; dropped when the dialog is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, file, plans = std::move(plans)]() mutable {
                if (!plans.ok)
                    m_existingPlansState = QStringLiteral("The plan file %1 could not be read: %2")
                                               .arg(QStringFromPath(file), QString::fromStdString(plans.error));
                else
                    m_existingPlans = std::move(plans);
                ShowExistingPlans();
            },
            Qt::QueuedConnection);
    });
}

void CPlanDialog::ShowExistingPlans()
{
    if (!m_checkWindow)
        return;
    if (!m_existingPlans) {
        m_checkWindow->ShowExistingPlans(m_existingPlansState);
        return;
    }
    const QString count = QStringLiteral("The plan file holds %1.")
                              .arg(QString::fromStdString(
                                  CountText(static_cast<long long>(m_existingPlans->registrations.size()), "plan")));
    // What the file check would say of the file's bytes, below what is said of its plans.
    const std::string notes = m_existingPlans->NotesText();
    const QString notesText = notes.empty() ? QString() : QStringLiteral("\n") + QString::fromStdString(notes);
    if (!m_draft.headerAccepted) {
        m_checkWindow->ShowExistingPlans(count + notesText);
        return;
    }
    const std::string registration = AcceptedRegistration(m_draft);
    const std::vector<std::int64_t> lines = m_existingPlans->LinesOf(registration);
    m_checkWindow->ShowExistingPlans(
        (lines.empty() ? count + QStringLiteral(" None uses the registration %1.").arg(FromWindows1252(registration))
                       : QStringLiteral("The registration %1 already has a plan in the plan file, %2.")
                             .arg(FromWindows1252(registration), QString::fromStdString(LinesText(lines))))
        + notesText);
}

void CPlanDialog::OnOK()
{
    const PlannerState& state = State();
    if (const Outcome outcome = Finish(state); !outcome.Accepted()) {
        Refuse(outcome.refusal);
        return;
    }
    // Relative to the current directory at the moment of writing.
    const std::filesystem::path file = ResolvePlanFile({}, state.planFileName);
    const AppendResult result = AppendPlan(file, state.planText);
    if (!result.ok) {
        // Named in full, in the folder it was meant for even when that folder was removed meanwhile.
        const std::filesystem::path folder = CurrentFolder();
        const std::filesystem::path shown = file.is_absolute() || folder.empty() ? file : folder / file;
        Platform::ShowMessage(
            this, QStringLiteral("Error: The flightplan could not be written to %1!\n%2\nThe plan stays here; press OK "
                                 "again once the cause is fixed.")
                      .arg(QStringFromPath(shown), QString::fromStdString(result.error)));
        return;
    }
    done(IDOK);
}
