#include "planfile/gui/CheckWindow.h"

#include "app/Fonts.h"
#include "app/PlannerState.h"
#include "app/Platform.h"
#include "app/Windows1252.h"
#include "check/TimeZones.h"
#include "input/PersonalCopy.h"
#include "planfile/PlanFindings.h"
#include "planfile/PlanTable.h"
#include "timetable/TimetableRun.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <new>
#include <optional>

namespace fs = std::filesystem;

struct LoadedFiles {
    fs::path plan;
    fs::path airports;
    fs::path aircraft;
    ReferenceData data;
    PlanTable table;
    int turnaround = DefaultTurnaroundMinutes; // the shortest ground time the findings accept
    std::string error;
    // When the plans were built from a timetable: what was built, and the scratch file `plan` that
    // holds them until they are saved.
    fs::path timetable;
    std::shared_ptr<TimetableJob> job;
    std::shared_ptr<TimetableOutcome> outcome;

    LoadedFiles() = default;
    LoadedFiles(const LoadedFiles&) = delete;
    LoadedFiles& operator=(const LoadedFiles&) = delete;
    ~LoadedFiles()
    {
        std::error_code ec;
        if (job)
            fs::remove(plan, ec);
    }
};

namespace {
const QStringList PlanColumns = {"Line", "Registration", "Aircraft", "Period", "Legs", "Errors", "Warnings"};
const QStringList LegColumns = {"Leg",      "From",   "To",     "Departs", "Arrives",
                                "Distance", "Flight", "Ground", "Zone",    "Local (From date)"};

const QString ShiftToolTip =
    QStringLiteral("Writes every plan of the plan file, shifted, to a new file, whichever plan is selected.");

QString Text(std::string_view bytes) { return FromWindows1252(bytes); }

std::int64_t DayOf(const QDate& date) { return DaysFromCivil({date.year(), date.month(), date.day()}); }

QString Plural(long long count, const char* noun) { return QString::fromStdString(CountText(count, noun)); }

// "Nothing was written: 2 plans have an airport that cannot be placed (line 5 and 1 more).", then the
// plans named, a line each.
QString UnplacedText(const QString& outcome, long long count, const std::vector<LineProblem>& plans)
{
    QString text = QStringLiteral("%1: %2 %3 an airport that cannot be placed")
                       .arg(outcome, Plural(count, "plan"), QLatin1String(count == 1 ? "has" : "have"));
    if (!plans.empty())
        text += count == 1 ? QStringLiteral(" (line %1)").arg(plans.front().line)
                           : QStringLiteral(" (line %1 and %2 more)").arg(plans.front().line).arg(count - 1);
    text += QLatin1Char('.');
    for (const LineProblem& plan : plans)
        text += QStringLiteral("\nline %1: %2").arg(plan.line).arg(Text(plan.text));
    if (count > static_cast<long long>(plans.size()))
        text += QStringLiteral("\n...");
    return text;
}

// Where "Save as..." writes once the dialog has answered `chosen`: the name itself, or beside it when
// a file is there already (the dialog has asked), so that the file is replaced only once the new bytes
// are complete. Refused, with a message, when it is one of the files read or not a file at all.
struct SaveTarget {
    fs::path target;
    fs::path written;
    bool replacing = false;
};

std::optional<SaveTarget> TargetFor(QWidget* parent, const QString& chosen,
                                    std::initializer_list<std::pair<const fs::path*, QString>> inputs)
{
    SaveTarget save{PathFromQString(chosen), {}, false};
    std::error_code ec;
    for (const auto& [input, refusal] : inputs) {
        if (fs::equivalent(save.target, *input, ec)) {
            Platform::ShowMessage(parent, refusal.arg(QDir::toNativeSeparators(chosen)));
            return std::nullopt;
        }
    }
    save.replacing = fs::exists(save.target, ec);
    if (save.replacing && !fs::is_regular_file(save.target, ec)) {
        Platform::ShowMessage(parent,
                              QStringLiteral("%1 is a folder, a pipe or a device, not a file; choose another name.")
                                  .arg(QDir::toNativeSeparators(chosen)));
        return std::nullopt;
    }
    save.written = save.target;
    if (save.replacing)
        save.written += ".legwise-new";
    return save;
}

// Moves the complete file written beside the one it replaces over it; an empty answer when done.
std::string ReplaceWithWritten(const SaveTarget& save)
{
    if (!save.replacing)
        return {};
    std::error_code ec;
    fs::rename(save.written, save.target, ec);
    if (!ec)
        return {};
    std::error_code ignored;
    fs::remove(save.written, ignored);
    return "the file cannot be replaced: " + ec.message();
}
} // namespace

// The rows of the plan table, sorted and filtered here rather than through a proxy: a file of a
// million plans sorts in a moment this way. Sorting and filtering move the view's selection and
// current row with their plans, so the plan highlighted stays the plan shown below the table.
class PlanTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetTable(const PlanTable* table)
    {
        beginResetModel();
        m_table = table;
        m_shown.clear();
        m_shown.shrink_to_fit();
        if (m_table)
            Refill();
        endResetModel();
    }
    void SetOnlyFindings(bool only)
    {
        m_onlyFindings = only;
        Rearrange([this] { Refill(); });
    }
    const PlanRow* Row(int row) const
    {
        return m_table && row >= 0 && row < rowCount() ? &m_table->rows[m_shown[static_cast<size_t>(row)]] : nullptr;
    }
    // The row that shows the plan at `line`, or -1 when none does.
    int RowOfLine(std::int64_t line) const
    {
        for (size_t row = 0; m_table && row < m_shown.size(); ++row)
            if (m_table->rows[m_shown[row]].line == line)
                return static_cast<int>(row);
        return -1;
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(PlanColumns.size());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return PlanColumns.value(section);
        return {};
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const PlanRow* row = Row(index.row());
        if (!row)
            return {};
        if (role == Qt::TextAlignmentRole)
            return index.column() == 0 || index.column() >= 4 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                              : QVariant();
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case 0: return static_cast<qlonglong>(row->line);
        case 1: return Text(m_table->Registration(*row));
        case 2: return Text(m_table->Aircraft(*row));
        case 3: return Text(m_table->Period(*row));
        case 4: return row->plan ? QVariant(row->legs) : QVariant(QStringLiteral("no plan"));
        case 5: return row->errors;
        default: return row->warnings;
        }
    }
    void sort(int column, Qt::SortOrder order) override
    {
        m_sortColumn = column;
        m_sortOrder = order;
        Rearrange([this] { Sort(); });
    }

private:
    // Changes which rows are shown, or their order, and moves every index the view keeps (its
    // selection, its current row) to the row that now shows the same plan; an index whose plan is no
    // longer shown goes.
    void Rearrange(const std::function<void()>& change)
    {
        emit layoutAboutToBeChanged();
        const QModelIndexList before = persistentIndexList();
        std::vector<std::uint32_t> plans;
        for (const QModelIndex& index : before)
            plans.push_back(m_shown[static_cast<size_t>(index.row())]);
        change();
        std::vector<int> rowOf;
        if (!before.isEmpty() && m_table) {
            rowOf.assign(m_table->rows.size(), -1);
            for (size_t row = 0; row < m_shown.size(); ++row)
                rowOf[m_shown[row]] = static_cast<int>(row);
        }
        QModelIndexList after;
        for (int i = 0; i < before.size(); ++i) {
            const int row = rowOf.empty() ? -1 : rowOf[plans[static_cast<size_t>(i)]];
            after << (row < 0 ? QModelIndex() : index(row, before[i].column()));
        }
        changePersistentIndexList(before, after);
        emit layoutChanged();
    }

    void Sort()
    {
        if (!m_table)
            return;
        const int column = m_sortColumn;
        const Qt::SortOrder order = m_sortOrder;
        // The rows are in the order of their lines already.
        if (column == 0) {
            if (order == Qt::AscendingOrder)
                std::sort(m_shown.begin(), m_shown.end());
            else
                std::sort(m_shown.begin(), m_shown.end(), std::greater<>());
            return;
        }
        const PlanTable& table = *m_table;
        auto key = [&](std::uint32_t index) {
            const PlanRow& row = table.rows[index];
            switch (column) {
            case 1: return std::make_tuple(table.Registration(row), 0U);
            case 2: return std::make_tuple(table.Aircraft(row), 0U);
            case 3: return std::make_tuple(table.Period(row), 0U);
            case 4: return std::make_tuple(std::string_view(), row.legs);
            case 5: return std::make_tuple(std::string_view(), row.errors);
            default: return std::make_tuple(std::string_view(), row.warnings);
            }
        };
        // Stable, so rows that tie keep the order of their lines.
        std::stable_sort(m_shown.begin(), m_shown.end(), [&](std::uint32_t a, std::uint32_t b) {
            return order == Qt::AscendingOrder ? key(a) < key(b) : key(b) < key(a);
        });
    }

    void Refill()
    {
        m_shown.clear();
        if (!m_table)
            return;
        for (size_t i = 0; i < m_table->rows.size(); ++i) {
            const PlanRow& row = m_table->rows[i];
            if (!m_onlyFindings || row.errors + row.warnings > 0)
                m_shown.push_back(static_cast<std::uint32_t>(i));
        }
        Sort();
    }

    const PlanTable* m_table = nullptr;
    bool m_onlyFindings = false;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::vector<std::uint32_t> m_shown; // indexes into the table's rows, in the order shown
};

// Home and End go to the first and the last plan, as Ctrl+Home and Ctrl+End do.
class PlanTableView : public QTableView {
public:
    using QTableView::QTableView;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        if (action == MoveHome || action == MoveEnd)
            modifiers |= Qt::ControlModifier;
        return QTableView::moveCursor(action, modifiers);
    }
};

CheckWindow::CheckWindow(QWidget* parent)
    : QWidget(parent),
      m_planPath(new QLineEdit(this)),
      m_airportPath(new QLineEdit(this)),
      m_aircraftPath(new QLineEdit(this)),
      m_read(new QPushButton(QStringLiteral("&Read"), this)),
      m_onlyFindings(new QCheckBox(QStringLiteral("Only plans with &findings"), this)),
      m_plans(new PlanTableView(this)),
      m_model(new PlanTableModel(this)),
      m_legs(new QTableWidget(0, static_cast<int>(LegColumns.size()), this)),
      m_findings(new QListWidget(this)),
      m_from(new QDateEdit(this)),
      m_to(new QDateEdit(this)),
      m_saveAs(new QPushButton(QStringLiteral("&Save as..."), this)),
      m_progress(new QProgressBar(this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this)),
      m_status(new QLabel(this)),
      m_poll(new QTimer(this)),
      m_openTimetable(new QPushButton(QStringLiteral("&Open timetable..."), this)),
      m_week(new QDateEdit(this)),
      m_turnaround(new QSpinBox(this)),
      m_summary(new QLabel(this)),
      m_leftOutBox(new QWidget(this)),
      m_leftOut(new QTableWidget(0, 4, this))
{
    setWindowTitle(QStringLiteral("legwise-check"));
    setObjectName(QStringLiteral("CheckWindow"));
    const std::pair<QWidget*, const char*> names[] = {{m_planPath, "PlanFile"},
                                                      {m_airportPath, "AirportFile"},
                                                      {m_aircraftPath, "AircraftFile"},
                                                      {m_read, "Read"},
                                                      {m_onlyFindings, "OnlyFindings"},
                                                      {m_plans, "Plans"},
                                                      {m_legs, "Legs"},
                                                      {m_findings, "Findings"},
                                                      {m_from, "ShiftFrom"},
                                                      {m_to, "ShiftTo"},
                                                      {m_saveAs, "SaveAs"},
                                                      {m_progress, "Progress"},
                                                      {m_cancel, "Cancel"},
                                                      {m_status, "Status"},
                                                      {m_openTimetable, "OpenTimetable"},
                                                      {m_week, "Week"},
                                                      {m_turnaround, "Turnaround"},
                                                      {m_summary, "Summary"},
                                                      {m_leftOut, "LeftOut"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    // The planner's own files in the current folder come first, as it keeps them there: the plan
    // file it appends to and the personal copies of the lists.
    for (const auto& [edit, name] : {std::pair{m_planPath, State().planFileName},
                                     std::pair{m_airportPath, PersonalCopyName(InputFileKind::AirportFile)},
                                     std::pair{m_aircraftPath, PersonalCopyName(InputFileKind::AircraftFile)}}) {
        const QFileInfo personal(QString::fromStdString(name));
        if (personal.isFile())
            edit->setText(QDir::toNativeSeparators(personal.absoluteFilePath()));
    }

    auto* files = new QGridLayout;
    const std::pair<QLineEdit*, const char*> rows[] = {
        {m_planPath, "&Plan file:"}, {m_airportPath, "&Airport file:"}, {m_aircraftPath, "Air&craft file:"}};
    int row = 0;
    QWidget* previous = nullptr; // Tab goes from each box to its Choose... and on to the next box
    for (const auto& [edit, label] : rows) {
        auto* caption = new QLabel(QString::fromLatin1(label), this);
        caption->setBuddy(edit);
        auto* choose = new QPushButton(QStringLiteral("Choose..."), this);
        choose->setObjectName(edit->objectName() + QStringLiteral("Choose"));
        connect(choose, &QPushButton::clicked, this, [this, edit = edit] { Choose(edit); });
        connect(edit, &QLineEdit::returnPressed, this, &CheckWindow::Read);
        files->addWidget(caption, row, 0);
        files->addWidget(edit, row, 1);
        files->addWidget(choose, row, 2);
        m_lockedWhileBusy << edit << choose;
        if (previous)
            setTabOrder(previous, edit);
        setTabOrder(edit, choose);
        previous = choose;
        ++row;
    }
    files->addWidget(m_read, 0, 3);
    setTabOrder(previous, m_read);
    m_read->setDefault(true);

    m_plans->setModel(m_model);
    m_plans->setSortingEnabled(true);
    m_plans->sortByColumn(0, Qt::AscendingOrder);
    m_plans->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_plans->setSelectionMode(QAbstractItemView::SingleSelection);
    m_plans->verticalHeader()->hide();
    for (QTableView* table : {m_plans, static_cast<QTableView*>(m_legs)})
        table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_legs->setHorizontalHeaderLabels(LegColumns);
    m_legs->verticalHeader()->hide();
    m_legs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_legs->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_legs->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_findings->setWordWrap(true);
    connect(m_onlyFindings, &QCheckBox::toggled, m_model, &PlanTableModel::SetOnlyFindings);
    connect(m_plans->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { ShowSelected(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { ShowSelected(); });
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &CheckWindow::KeepAPlanSelected);

    const QDate today = QDate::currentDate();
    for (QDateEdit* date : {m_from, m_to}) {
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setDateRange(QDate(2000, 1, 1), QDate(2050, 12, 31));
        date->setCalendarPopup(true);
    }
    m_from->setDate(today);
    m_to->setDate(today.addMonths(6));
    connect(m_from, &QDateEdit::dateChanged, this, [this] { ShowSelected(true); });
    connect(m_saveAs, &QPushButton::clicked, this, [this] {
        if (m_loaded && m_loaded->job)
            SaveTimetablePlans();
        else
            SaveShifted();
    });
    connect(m_read, &QPushButton::clicked, this, &CheckWindow::Read);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { m_cancelled = true; });
    connect(m_poll, &QTimer::timeout, this, [this] {
        const std::uint64_t total = m_total;
        m_progress->setValue(total == 0 ? 0 : static_cast<int>(1000 * m_done / total));
    });
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_saveAs->setToolTip(ShiftToolTip);
    // Long texts (a path, a list of airports) wrap rather than being cut off at the window's edge.
    m_status->setWordWrap(true);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_lockedWhileBusy << m_read << m_saveAs << m_from << m_to << m_openTimetable << m_week << m_turnaround;
    m_week->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_week->setDateRange(QDate(2000, 1, 1), QDate(2050, 12, 31));
    m_week->setCalendarPopup(true);
    m_week->setDate(today);
    m_turnaround->setRange(0, 24 * 60);
    m_turnaround->setValue(DefaultTurnaroundMinutes);
    m_turnaround->setSuffix(QStringLiteral(" min"));
    m_leftOut->setHorizontalHeaderLabels({"Line", "Flight", "Days", "Reason"});
    m_leftOut->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_leftOut->horizontalHeader()->setStretchLastSection(true);
    m_leftOut->verticalHeader()->hide();
    m_summary->setWordWrap(true);
    m_summary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_summary->hide();
    connect(m_openTimetable, &QPushButton::clicked, this, [this] {
        const std::optional<QString> chosen = Platform::ChooseOpenFile(this);
        TakeKeysBack(m_openTimetable);
        if (chosen)
            OpenTimetable(*chosen);
    });

    auto* plansLabel = new QLabel(QStringLiteral("P&lans:"), this);
    plansLabel->setBuddy(m_plans);
    auto* legsLabel = new QLabel(QStringLiteral("L&egs of the selected plan:"), this);
    legsLabel->setBuddy(m_legs);
    auto* findingsLabel = new QLabel(QStringLiteral("F&indings:"), this);
    findingsLabel->setBuddy(m_findings);
    auto* fromLabel = new QLabel(
        QStringLiteral("Season shift of the whole file: local times kept, universal times moved fro&m"), this);
    fromLabel->setBuddy(m_from);
    auto* toLabel = new QLabel(QStringLiteral("&to"), this);
    toLabel->setBuddy(m_to);

    auto* top = new QWidget(this);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(plansLabel);
    filterRow->addStretch();
    filterRow->addWidget(m_onlyFindings);
    topLayout->addLayout(filterRow);
    topLayout->addWidget(m_summary);
    auto* leftOutLabel = new QLabel(QStringLiteral("Flights left o&ut:"), this);
    leftOutLabel->setBuddy(m_leftOut);
    auto* leftOutLayout = new QVBoxLayout(m_leftOutBox);
    leftOutLayout->setContentsMargins(0, 0, 0, 0);
    leftOutLayout->addWidget(leftOutLabel);
    leftOutLayout->addWidget(m_leftOut);
    m_leftOutBox->hide();
    auto* plansAndLeftOut = new QSplitter(Qt::Horizontal, this);
    plansAndLeftOut->addWidget(m_plans);
    plansAndLeftOut->addWidget(m_leftOutBox);
    plansAndLeftOut->setChildrenCollapsible(false);
    plansAndLeftOut->setSizes({520, 420});
    topLayout->addWidget(plansAndLeftOut);
    auto* bottom = new QWidget(this);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addWidget(legsLabel);
    bottomLayout->addWidget(m_legs, 3);
    bottomLayout->addWidget(findingsLabel);
    bottomLayout->addWidget(m_findings, 2);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(top);
    splitter->addWidget(bottom);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({360, 300});

    auto* shiftRow = new QHBoxLayout;
    shiftRow->addWidget(fromLabel);
    shiftRow->addWidget(m_from);
    shiftRow->addWidget(toLabel);
    shiftRow->addWidget(m_to);
    shiftRow->addWidget(m_saveAs);
    shiftRow->addStretch();
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_status, 1);
    statusRow->addWidget(m_progress);
    statusRow->addWidget(m_cancel);

    auto* weekLabel = new QLabel(QStringLiteral("Timetable: plans for the &week of"), this);
    weekLabel->setBuddy(m_week);
    auto* turnaroundLabel = new QLabel(QStringLiteral("t&urnaround"), this);
    turnaroundLabel->setBuddy(m_turnaround);
    auto* timetableRow = new QHBoxLayout;
    timetableRow->addWidget(weekLabel);
    timetableRow->addWidget(m_week);
    timetableRow->addWidget(turnaroundLabel);
    timetableRow->addWidget(m_turnaround);
    timetableRow->addWidget(m_openTimetable);
    timetableRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(files);
    layout->addLayout(timetableRow);
    layout->addWidget(splitter, 1);
    layout->addLayout(shiftRow);
    layout->addLayout(statusRow);
    SetBusy(false);
    ShowStatus(QStringLiteral("Choose a plan file and its airport and aircraft files, then Read."));
    resize(900, 720);
}

CheckWindow::~CheckWindow()
{
    m_cancelled = true;
    if (m_worker.joinable())
        m_worker.join();
}

bool CheckWindow::Busy() const { return m_worker.joinable(); }

void CheckWindow::SetBusy(bool busy)
{
    for (QWidget* widget : std::as_const(m_lockedWhileBusy))
        widget->setEnabled(!busy);
    m_saveAs->setEnabled(!busy && m_loaded);
    m_progress->setVisible(busy);
    m_cancel->setVisible(busy);
    if (busy)
        m_poll->start(100);
    else
        m_poll->stop();
}

bool CheckWindow::Progress(std::uint64_t done, std::uint64_t total)
{
    m_done = done;
    m_total = total;
    return !m_cancelled;
}

void CheckWindow::RunInBackground(std::function<void()> work, std::function<void()> done)
{
    m_cancelled = false;
    m_done = 0;
    m_total = 0;
    // The control that has the keys is locked while the work runs; it gets them back afterwards.
    const QPointer<QWidget> focused = QApplication::focusWidget();
    SetBusy(true);
    m_worker = std::thread([this, work = std::move(work), done = std::move(done), focused] {
        work();
        QMetaObject::invokeMethod(
            this,
            [this, done, focused] {
                m_worker.join();
                SetBusy(false);
                done();
                if (focused && focused->isEnabled())
                    focused->setFocus();
                emit WorkFinished();
            },
            Qt::QueuedConnection);
    });
}

void CheckWindow::Choose(QLineEdit* edit)
{
    const std::optional<QString> chosen = Platform::ChooseOpenFile(this);
    if (chosen)
        edit->setText(QDir::toNativeSeparators(*chosen));
    // Confirmed or cancelled, the keys come back to this window and to the box the name is for.
    TakeKeysBack(edit);
}

void CheckWindow::TakeKeysBack(QWidget* control)
{
    activateWindow();
    control->setFocus();
}

void CheckWindow::ShowStatus(const QString& text)
{
    // A name may break after each of its separators, as a long path has no blanks to wrap at.
    QString wrappable = text;
    for (const QChar separator : {QLatin1Char('/'), QLatin1Char('\\')})
        wrappable.replace(separator, QString(separator) + QChar(0x200B));
    m_status->setText(wrappable);
}

void CheckWindow::Read()
{
    if (Busy())
        return;
    auto loaded = std::make_shared<LoadedFiles>();
    const std::pair<QLineEdit*, fs::path*> named[] = {
        {m_planPath, &loaded->plan}, {m_airportPath, &loaded->airports}, {m_aircraftPath, &loaded->aircraft}};
    for (const auto& [edit, path] : named) {
        if (edit->text().trimmed().isEmpty()) {
            Platform::ShowMessage(this,
                                  QStringLiteral("Choose the plan file, the airport file and the aircraft file."));
            edit->setFocus();
            return;
        }
        *path = PathFromQString(edit->text().trimmed());
    }
    // The file read before goes first, so that two files are never held at once; the plan that was
    // selected is selected again when the same file is read.
    std::int64_t selectedLine = 0;
    if (m_loaded && m_shownRow && m_loaded->plan == loaded->plan)
        selectedLine = m_shownRow->line;
    m_model->SetTable(nullptr);
    m_loaded.reset();
    m_summary->hide();
    m_leftOutBox->hide();
    m_saveAs->setToolTip(ShiftToolTip);
#ifdef __GLIBC__
    malloc_trim(0); // and the pages it held go back to the system before the next file fills others
#endif
    ShowStatus(QStringLiteral("Reading..."));
    RunInBackground(
        [this, loaded] {
            std::string error;
            if (!ReadAirportFile(loaded->airports, loaded->data, error))
                loaded->error = "The airport file cannot be read: " + error;
            else if (!ReadAircraftFile(loaded->aircraft, loaded->data, error))
                loaded->error = "The aircraft file cannot be read: " + error;
            if (!loaded->error.empty())
                return;
            try {
                loaded->table =
                    ReadPlanTable(loaded->plan, loaded->data, loaded->turnaround,
                                  [this](std::uint64_t done, std::uint64_t total) { return Progress(done, total); });
            } catch (const std::bad_alloc&) {
                loaded->table = {};
                loaded->table.error = "it is too large for the memory there is";
            }
            if (!loaded->table.error.empty())
                loaded->error = "The plan file cannot be read: " + loaded->table.error;
        },
        [this, loaded, selectedLine] {
            if (loaded->table.cancelled) {
                ShowStatus(QStringLiteral("Reading cancelled: the table is empty until a file is read."));
                return;
            }
            if (!loaded->error.empty()) {
                ShowStatus(QString::fromStdString(loaded->error));
                Platform::ShowMessage(this, QString::fromStdString(loaded->error));
                return;
            }
            m_loaded = loaded;
            m_model->SetTable(&loaded->table);
            m_saveAs->setEnabled(true);
            long long errors = 0;
            long long warnings = loaded->table.notesOffRows;
            long long plans = 0;
            for (const PlanRow& row : loaded->table.rows) {
                errors += row.errors;
                warnings += row.warnings;
                plans += row.plan;
            }
            QString status = QStringLiteral("%1 in %2: %3, %4.")
                                 .arg(Plural(plans, "plan"), QFileInfo(QStringFromPath(loaded->plan)).fileName(),
                                      Plural(errors, "error"), Plural(warnings, "warning"));
            // The file's bytes: the first note, and how many more the file has.
            if (const std::vector<TextNote>& notes = loaded->table.notes; !notes.empty()) {
                status += QStringLiteral(" Line %1: %2.").arg(notes.front().line).arg(Text(notes.front().text));
                if (const long long more = static_cast<long long>(notes.size()) - 1 + loaded->table.notesLeftOut)
                    status += QStringLiteral(" %1 on the file's bytes.").arg(Plural(more, "more note"));
            }
            ShowStatus(status);
            m_plans->resizeColumnsToContents();
            const int row = m_model->RowOfLine(selectedLine);
            if (m_model->rowCount() > 0)
                m_plans->selectRow(std::max(row, 0));
            m_plans->scrollTo(m_plans->currentIndex());
        });
}

void CheckWindow::KeepAPlanSelected()
{
    if (!m_plans->selectionModel()->hasSelection() && m_model->rowCount() > 0)
        m_plans->selectRow(0);
    ShowSelected();
    m_plans->scrollTo(m_plans->currentIndex());
}

void CheckWindow::ShowSelected(bool again)
{
    const QModelIndexList selected = m_plans->selectionModel()->selectedIndexes();
    const PlanRow* row = selected.isEmpty() || !m_loaded ? nullptr : m_model->Row(selected.front().row());
    if (row == m_shownRow && !again)
        return;
    m_shownRow = row;
    m_legs->setRowCount(0);
    m_findings->clear();
    if (!row)
        return;
    PlanDetail detail;
    std::string error;
    if (!ReadPlanDetail(m_loaded->plan, m_loaded->table, *row, m_loaded->data, m_loaded->turnaround, detail, error)) {
        m_findings->addItem(QStringLiteral("The line cannot be read again: %1").arg(QString::fromStdString(error)));
        return;
    }
    for (const Finding& finding : detail.findings)
        m_findings->addItem(QStringLiteral("%1: %2").arg(finding.level == FindingLevel::Error ? "Error" : "Warning",
                                                         Text(finding.text)));
    if (!detail.plan)
        return;
    const WalkedLoop& loop = detail.loop;
    const std::int64_t noon = DayOf(m_from->date()) * 24 * 60 * 60 + 12 * 60 * 60;
    const int period = loop.week ? 7 * 24 * 60 * 60 : 24 * 60 * 60;
    const size_t count = loop.legs.size();
    m_legs->setRowCount(static_cast<int>(count));
    for (size_t i = 0; i < count; ++i) {
        const WalkedLeg& leg = loop.legs[i];
        const PlanLeg& written = detail.parsed.legs[i];
        QString arrives = QStringLiteral("?");
        if (written.arrival)
            arrives = (written.fixedArrival ? QStringLiteral("@") : QString()) + Text(PlanTimeText(*written.arrival));
        else if (leg.flightSeconds)
            arrives = Text(ClockText(*leg.ArrivalClock(loop.week), loop.week)) + QStringLiteral(" ~");
        // The departure's local time on the From date, at the airport it departs from.
        QString zone;
        QString local;
        if (const AirportPlace* from = loop.legs[(i + count - 1) % count].airport.known) {
            const std::string_view name = AirlineZoneAt(from->position);
            zone = Text(name);
            if (const std::optional<ZoneOffset> offset = UtcOffset(name, noon))
                local = Text(ClockText((leg.departureClock + offset->minutes * 60 + period) % period, loop.week));
        }
        const QString cells[] = {
            QString::number(i + 1),
            Text(leg.from),
            Text(leg.to),
            Text(PlanTimeText(written.departure)),
            arrives,
            leg.distanceNm ? QStringLiteral("%1 nm").arg(std::lround(*leg.distanceNm)) : QStringLiteral("?"),
            leg.flightSeconds ? Text(DurationText(*leg.flightSeconds)) : QStringLiteral("?"),
            !leg.groundSeconds
                ? QStringLiteral("?")
                : (*leg.groundSeconds < 0 ? QStringLiteral("-") : QString()) + Text(DurationText(*leg.groundSeconds)),
            zone,
            local,
        };
        for (int column = 0; column < m_legs->columnCount(); ++column)
            m_legs->setItem(static_cast<int>(i), column, new QTableWidgetItem(cells[column]));
    }
}

void CheckWindow::SaveShifted()
{
    if (Busy() || !m_loaded)
        return;
    const std::shared_ptr<LoadedFiles> loaded = m_loaded;
    const std::int64_t fromDay = DayOf(m_from->date());
    const std::int64_t toDay = DayOf(m_to->date());
    if (const QString nothing = WhyNothingCanBeWritten(); !nothing.isEmpty()) {
        ShowStatus(nothing.section(QLatin1Char('\n'), 0, 0));
        Platform::ShowMessage(this, nothing);
        return;
    }
    ShowStatus(QStringLiteral("Choose the new file for the whole plan file shifted."));
    const QFileInfo plan(QStringFromPath(loaded->plan));
    const QString suggested =
        plan.dir().filePath(plan.completeBaseName() + QStringLiteral("-")
                            + m_to->date().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".txt"));
    const std::optional<QString> chosen = Platform::ChooseSaveFile(this, suggested);
    TakeKeysBack(m_saveAs);
    if (!chosen) {
        ShowStatus(QStringLiteral("Nothing was written."));
        return;
    }
    const std::optional<SaveTarget> save =
        TargetFor(this, *chosen,
                  {{&loaded->plan, QStringLiteral("%1 is the plan file itself. The shifted plans go to a new file; "
                                                  "choose another name.")},
                   {&loaded->airports, QStringLiteral("%1 is the airport file. The shifted plans go to a new file; "
                                                      "choose another name.")},
                   {&loaded->aircraft, QStringLiteral("%1 is the aircraft file. The shifted plans go to a new file; "
                                                      "choose another name.")}});
    if (!save)
        return;
    auto report = std::make_shared<ShiftReport>();
    ShowStatus(QStringLiteral("Shifting..."));
    RunInBackground(
        [this, loaded, save, fromDay, toDay, report] {
            *report = ShiftPlanFile(loaded->plan, save->written, loaded->data, fromDay, toDay,
                                    [this](std::uint64_t done, std::uint64_t total) { return Progress(done, total); });
            if (report->Written())
                report->error = ReplaceWithWritten(*save);
        },
        [this, report, chosen] {
            if (report->cancelled) {
                ShowStatus(QStringLiteral("Shift cancelled: nothing was written."));
                return;
            }
            QString text;
            QString status;
            if (!report->error.empty()) {
                text = QStringLiteral("Nothing was written: %1.").arg(QString::fromStdString(report->error));
            } else if (!report->unplaced.empty()) {
                text = UnplacedText(QStringLiteral("Nothing was written"),
                                    static_cast<long long>(report->unplaced.size()), report->unplaced);
            } else {
                text = QStringLiteral("Written to %1: every plan of the file, %2, %3 moved.")
                           .arg(QDir::toNativeSeparators(*chosen), Plural(report->plans, "plan"),
                                Plural(report->timesMoved, "time"));
                for (size_t i = 0; i < report->changes.size() && i < 20; ++i)
                    text += QStringLiteral("\n%1 (%2): %3")
                                .arg(Text(report->changes[i].code), Text(report->changes[i].zone),
                                     Text(AirportChangeText(report->changes[i])));
            }
            ShowStatus(text.section(QLatin1Char('\n'), 0, 0));
            Platform::ShowMessage(this, text);
        });
}

QString CheckWindow::WhyNothingCanBeWritten() const
{
    if (m_loaded->table.unplaced.empty())
        return {};
    const std::vector<LineProblem> plans =
        UnplacedPlans(m_loaded->plan, m_loaded->table, m_loaded->data, DayOf(m_from->date()), DayOf(m_to->date()), 10);
    return UnplacedText(QStringLiteral("Nothing can be written"),
                        static_cast<long long>(m_loaded->table.unplaced.size()), plans);
}

void CheckWindow::OpenTimetable(const QString& path)
{
    if (Busy())
        return;
    auto job = std::make_shared<TimetableJob>();
    const std::pair<QLineEdit*, fs::path*> named[] = {{m_airportPath, &job->airports},
                                                      {m_aircraftPath, &job->aircraft}};
    for (const auto& [edit, file] : named) {
        if (edit->text().trimmed().isEmpty()) {
            Platform::ShowMessage(this, QStringLiteral("Choose the airport file and the aircraft file the "
                                                       "timetable's codes are looked up in."));
            edit->setFocus();
            return;
        }
        *file = PathFromQString(edit->text().trimmed());
    }
    if (!m_scratch || !m_scratch->isValid())
        m_scratch = std::make_unique<QTemporaryDir>();
    static int opened = 0;
    auto loaded = std::make_shared<LoadedFiles>();
    loaded->timetable = PathFromQString(path);
    loaded->airports = job->airports;
    loaded->aircraft = job->aircraft;
    loaded->plan = PathFromQString(m_scratch->filePath(QStringLiteral("plans-%1.txt").arg(++opened)));
    job->timetable = loaded->timetable;
    job->out = loaded->plan;
    job->name = ToWindows1252(QFileInfo(path).fileName()).value_or(QFileInfo(path).fileName().toStdString());
    job->day = DayOf(m_week->date());
    job->writing.turnaround = m_turnaround->value();
    loaded->turnaround = job->writing.turnaround; // the plans are checked as they were built
    loaded->job = job;
    m_model->SetTable(nullptr);
    m_loaded.reset();
    m_summary->hide();
    m_leftOutBox->hide();
    ShowStatus(QStringLiteral("Reading the timetable and building its lines..."));
    RunInBackground(
        [this, loaded, job] {
            loaded->outcome = std::make_shared<TimetableOutcome>(
                BuildTimetablePlans(*job, [this](int step, int steps) { return Progress(step, steps); }));
            const TimetableOutcome& outcome = *loaded->outcome;
            loaded->data = outcome.data;
            if (outcome.cancelled)
                return;
            if (!outcome.error.empty()) {
                const char* what = outcome.errorFile == "airports"   ? "The airport file"
                                   : outcome.errorFile == "aircraft" ? "The aircraft file"
                                                                     : "The timetable";
                loaded->error = std::string(what) + " cannot be read: " + outcome.error;
                return;
            }
            if (!outcome.written.error.empty()) {
                loaded->error = "The plans cannot be built: " + outcome.written.error;
                return;
            }
            loaded->table =
                ReadPlanTable(loaded->plan, loaded->data, loaded->turnaround,
                              [this](std::uint64_t done, std::uint64_t total) { return Progress(done, total); });
            if (!loaded->table.error.empty())
                loaded->error = "The plans built cannot be read: " + loaded->table.error;
        },
        [this, loaded] {
            if (loaded->outcome->cancelled || loaded->table.cancelled) {
                ShowStatus(QStringLiteral("Opening cancelled: the table is empty until a file is read."));
                return;
            }
            if (!loaded->error.empty()) {
                ShowStatus(Text(loaded->error));
                Platform::ShowMessage(this, Text(loaded->error));
                return;
            }
            m_loaded = loaded;
            m_model->SetTable(&loaded->table);
            m_saveAs->setEnabled(true);
            ShowTimetable(*loaded);
            m_plans->resizeColumnsToContents();
            if (m_model->rowCount() > 0)
                m_plans->selectRow(0);
        });
}

void CheckWindow::ShowTimetable(const LoadedFiles& loaded)
{
    const TimetableOutcome& outcome = *loaded.outcome;
    const Fleet& fleet = outcome.fleet;
    const long long daily =
        std::count_if(fleet.lines.begin(), fleet.lines.end(), [](const FleetLine& line) { return line.daily; });
    const auto lines = static_cast<long long>(fleet.lines.size());
    m_summary->setText(
        QStringLiteral("Week %1 to %2: %3 read, %4 refused, %5 outside the week; %6, %7 left out. %8 (%9 24Hr, "
                       "%10 WEEK), %11 from registrations. Built lines: %12. %13 with %14.")
            .arg(Text(DayText(outcome.week.monday)), Text(DayText(outcome.week.monday + 6)),
                 Plural(outcome.table.rowsRead, "row"), QString::number(outcome.refused.size()),
                 QString::number(outcome.week.rowsOutsideWeek),
                 Plural(static_cast<long long>(outcome.week.flights.size()), "flight"),
                 QString::number(fleet.leftOut.size()), Plural(lines, "line"), QString::number(daily))
            .arg(lines - daily)
            .arg(lines - fleet.builtLines)
            .arg(Text(FleetSizeText(fleet)), Plural(outcome.written.plans, "plan"),
                 Plural(outcome.written.flights, "flight")));
    m_summary->show();

    // Refused rows and flights left out, by line; plans left out after them.
    struct Row {
        int line;
        QString flight, days, reason;
    };
    std::vector<Row> rows;
    for (const RowProblem& refused : outcome.refused)
        rows.push_back({refused.line, {}, {}, Text(refused.text)});
    for (const LeftOutRow& left : outcome.leftOut)
        rows.push_back({left.line, Text(left.flight), Text(left.days), Text(left.reason)});
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.line < b.line; });
    for (const std::string& plan : outcome.written.leftOut)
        rows.push_back({0, {}, {}, Text(plan)});
    m_leftOut->setRowCount(static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString cells[] = {rows[i].line ? QString::number(rows[i].line) : QString(), rows[i].flight, rows[i].days,
                                 rows[i].reason};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(cells[3]);
            m_leftOut->setItem(static_cast<int>(i), column, item);
        }
    }
    m_leftOut->resizeColumnsToContents();
    m_leftOutBox->show();
    m_saveAs->setToolTip(QStringLiteral("Writes the plans built from the timetable to a new file."));
    ShowStatus(QStringLiteral("%1 built from %2; %3 left out. Save as... writes them to a new file.")
                   .arg(Plural(outcome.written.plans, "plan"), QFileInfo(QStringFromPath(loaded.timetable)).fileName(),
                        Plural(static_cast<long long>(fleet.leftOut.size()), "flight")));
}

void CheckWindow::SaveTimetablePlans()
{
    if (Busy() || !m_loaded || !m_loaded->job)
        return;
    const std::shared_ptr<LoadedFiles> loaded = m_loaded;
    const QFileInfo timetable(QStringFromPath(loaded->timetable));
    const std::optional<QString> chosen = Platform::ChooseSaveFile(
        this, timetable.dir().filePath(timetable.completeBaseName() + QStringLiteral("-plans.txt")));
    TakeKeysBack(m_saveAs);
    if (!chosen) {
        ShowStatus(QStringLiteral("Nothing was written."));
        return;
    }
    const QString readElsewhere =
        QStringLiteral("%1 is one of the files read. The plans go to a new file; choose another name.");
    const std::optional<SaveTarget> save = TargetFor(
        this, *chosen,
        {{&loaded->timetable, readElsewhere}, {&loaded->airports, readElsewhere}, {&loaded->aircraft, readElsewhere}});
    if (!save)
        return;
    auto job = std::make_shared<TimetableJob>(*loaded->job);
    job->out = save->written;
    auto outcome = std::make_shared<TimetableOutcome>();
    ShowStatus(QStringLiteral("Writing..."));
    RunInBackground(
        [this, job, outcome, save] {
            *outcome = BuildTimetablePlans(*job, [this](int step, int steps) { return Progress(step, steps); });
            if (outcome->error.empty() && outcome->written.error.empty() && !outcome->cancelled)
                outcome->written.error = ReplaceWithWritten(*save);
        },
        [this, outcome, chosen] {
            if (outcome->cancelled) {
                ShowStatus(QStringLiteral("Saving cancelled: nothing was written."));
                return;
            }
            const std::string& error = outcome->error.empty() ? outcome->written.error : outcome->error;
            const QString text =
                !error.empty() ? QStringLiteral("Nothing was written: %1.").arg(Text(error))
                               : QStringLiteral("Written to %1: %2 with %3.")
                                     .arg(QDir::toNativeSeparators(*chosen), Plural(outcome->written.plans, "plan"),
                                          Plural(outcome->written.flights, "flight"));
            ShowStatus(text);
            Platform::ShowMessage(this, text);
        });
}

int RunCheckWindow()
{
    static int argc = 1;
    static char name[] = "legwise-check";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    if (UseInstalledFace(font))
        QApplication::setFont(font);
    CheckWindow window;
    window.show();
    return app.exec();
}
