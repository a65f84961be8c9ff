#include "check/PlanCheckWindow.h"

#include "app/Windows1252.h"
#include "check/Placement.h"

#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {
const QStringList Columns = {"Leg",     "From", "To",       "Local",  "Diff.",   "Zone",
                             "Offsets", "UT",   "Distance", "Flight", "Arrival", "Ground"};

constexpr int Gap = 8;

QString Text(const std::string& bytes) { return FromWindows1252(bytes); }

QString Duration(int minutes) { return QString::fromStdString(ClockDurationText(minutes)); }

QString Offsets(const LegReport& leg)
{
    QStringList offsets;
    if (leg.standardOffset)
        offsets << QString::fromStdString(OffsetText(*leg.standardOffset));
    if (leg.daylightOffset)
        offsets << QString::fromStdString(OffsetText(*leg.daylightOffset)) + QStringLiteral(" summer");
    return offsets.join(QStringLiteral(", "));
}

const char* LevelName(CheckLevel level)
{
    switch (level) {
    case CheckLevel::Error: return "Error";
    case CheckLevel::Warning: return "Warning";
    case CheckLevel::Note: break;
    }
    return "Note";
}
} // namespace

PlanCheckWindow::PlanCheckWindow(QWidget* owner)
    // A window of the dialog's, which the window manager keeps above it, and so above the main
    // window too: on X11 a plain window is stacked below the window that has the keys.
    : QWidget(owner,
              Qt::Dialog | Qt::WindowDoesNotAcceptFocus | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_header(new QLabel(this)),
      m_existing(new QLabel(this)),
      m_legs(new QTableWidget(0, static_cast<int>(Columns.size()), this)),
      m_findings(new QListWidget(this)),
      m_turnaround(new QSpinBox(this)),
      m_firstDeparture(new QLineEdit(this))
{
    setObjectName(QStringLiteral("PlanCheck"));
    setWindowTitle(QStringLiteral("Plan check"));
    // Shown and updated while the user works in the plan dialog: it takes the keys only once the user
    // clicks into it (see eventFilter).
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The dialog's own text size and face: a window of its own would take the desktop's.
    if (owner)
        setFont(owner->font());
    m_header->setObjectName(QStringLiteral("Header"));
    m_existing->setObjectName(QStringLiteral("ExistingPlans"));
    m_legs->setObjectName(QStringLiteral("Legs"));
    m_findings->setObjectName(QStringLiteral("Findings"));
    m_turnaround->setObjectName(QStringLiteral("MinimumTurnaround"));
    m_firstDeparture->setObjectName(QStringLiteral("FirstDeparture"));
    m_header->setWordWrap(true);
    m_existing->setWordWrap(true);
    m_legs->setHorizontalHeaderLabels(Columns);
    m_legs->verticalHeader()->hide();
    m_legs->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_legs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_legs->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_legs->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_findings->setWordWrap(true);
    m_turnaround->setRange(0, 24 * 60);
    m_turnaround->setValue(30);
    m_turnaround->setSuffix(QStringLiteral(" min"));
    connect(m_turnaround, &QSpinBox::valueChanged, this, &PlanCheckWindow::TurnaroundChanged);
    // An airport code: printable ASCII, no comma and no blank, which would end it in the airport file.
    m_firstDeparture->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x21-\\x2B\\x2D-\\x7E]{0,16}")), m_firstDeparture));
    m_firstDeparture->setPlaceholderText(QStringLiteral("the last leg's destination"));
    connect(m_firstDeparture, &QLineEdit::textChanged, this, &PlanCheckWindow::FirstDepartureChanged);

    auto* keys = new QLabel(QStringLiteral("F2 in the plan dialog comes here, Esc goes back."), this);
    keys->setObjectName(QStringLiteral("Keys"));
    keys->setWordWrap(true);
    auto* firstLabel = new QLabel(QStringLiteral("Leg &1 departs from:"), this);
    firstLabel->setBuddy(m_firstDeparture);
    auto* turnaroundLabel = new QLabel(QStringLiteral("&Minimum turnaround:"), this);
    turnaroundLabel->setBuddy(m_turnaround);
    m_firstDeparture->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWW")));
    // One row, so that the window still fits below the dialog on a small screen.
    auto* settings = new QHBoxLayout;
    settings->addWidget(firstLabel);
    settings->addWidget(m_firstDeparture);
    settings->addSpacing(fontMetrics().averageCharWidth() * 2);
    settings->addWidget(turnaroundLabel);
    settings->addWidget(m_turnaround);
    settings->addSpacing(fontMetrics().averageCharWidth() * 2);
    settings->addWidget(keys, 1);
    // What is wrong comes first; in a small window the table scrolls.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(m_header);
    layout->addWidget(m_existing);
    layout->addWidget(m_findings, 2);
    layout->addWidget(m_legs, 3);
    layout->addLayout(settings);
    m_legs->setMinimumHeight(m_legs->horizontalHeader()->sizeHint().height() * 2);
    m_findings->setMinimumHeight(fontMetrics().lineSpacing() * 2 + 2 * m_findings->frameWidth());
    ShowCheck(std::nullopt, {}, false, false);
    resize(m_wanted);

    // Keyboard users reach the window from the dialog and go back to it.
    if (owner) {
        auto* take = new QShortcut(QKeySequence(Qt::Key_F2), owner);
        take->setContext(Qt::WindowShortcut);
        connect(take, &QShortcut::activated, this, &PlanCheckWindow::TakeKeys);
        auto* back = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        back->setContext(Qt::WindowShortcut);
        connect(back, &QShortcut::activated, owner, [owner] { owner->activateWindow(); });
    }
}

void PlanCheckWindow::ShowBeside()
{
    Place();
    m_placed = true;
    show();
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
    if (parentWidget())
        parentWidget()->installEventFilter(this);
}

// Beside the owner, frames included, covering none of it. The frames are known only once the
// window manager has framed both windows, and they may come late or change, so the window is placed
// again each time they do, until the user moves or resizes it.
void PlanCheckWindow::Place()
{
    const QWidget* owner = parentWidget();
    const QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!owner || !screen || m_placedByUser)
        return;
    const QRect frame = owner->frameGeometry();
    const QRect available = screen->availableGeometry();
    QMargins margins = isVisible() && windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (margins.isNull()) // not framed yet: taken to be framed as the owner is
        margins = QMargins(owner->geometry().left() - frame.left(), owner->geometry().top() - frame.top(),
                           frame.right() - owner->geometry().right(), frame.bottom() - owner->geometry().bottom());
    const QSize border(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QSize least = minimumSizeHint() + border;
    // A few pixels between the windows and from the screen's edges: where a window manager draws the
    // frames of a program under Wine, they are not quite the frames the program is told of.
    const QRect owned = frame.marginsAdded(QMargins(Gap, Gap, Gap, Gap));
    const QRect room = available.marginsRemoved(QMargins(Gap, Gap, Gap, Gap));
    const Box placed = PlaceBeside({owned.x(), owned.y(), owned.width(), owned.height()},
                                   {room.x(), room.y(), room.width(), room.height()}, m_wanted.width() + border.width(),
                                   m_wanted.height() + border.height(), least.width(), least.height());
    m_placedMargins = margins;
    m_requested = QRect(placed.left + margins.left(), placed.top + margins.top(), placed.width - border.width(),
                        placed.height - border.height());
    if (m_requested == geometry())
        return;
    m_requests.push_back(m_requested);
    setGeometry(m_requested);
}

bool PlanCheckWindow::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::Show && m_placed) {
        QTimer::singleShot(0, this, &PlanCheckWindow::Place);
    } else if (((type == QEvent::Move && geometry().topLeft() != m_requested.topLeft())
                || (type == QEvent::Resize && size() != m_requested.size()))
               && isVisible() && !m_requested.isNull()) {
        // Not where it was put: with the frame unchanged, the user moved or resized the window.
        if (windowHandle() && windowHandle()->frameMargins() == m_placedMargins && !Requested(geometry()))
            m_placedByUser = true;
        else
            QTimer::singleShot(0, this, &PlanCheckWindow::Place);
    }
    return handled;
}

bool PlanCheckWindow::Requested(const QRect& rectangle) const
{
    // The window system answers each request in turn, some after the next one was made: a place or
    // size asked for before is one of ours, late, and no move of the user's.
    return std::find(m_requests.begin(), m_requests.end(), rectangle) != m_requests.end();
}

bool PlanCheckWindow::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    // X11 window managers tell a frame's margins in a property of the window (_NET_FRAME_EXTENTS),
    // and Qt passes the change on to no widget: after a property change, the place is worked out again.
    constexpr unsigned PropertyNotify = 28; // X11 protocol event code; the high bit marks a sent event
    if (eventType == "xcb_generic_event_t" && (*static_cast<const unsigned char*>(message) & 0x7F) == PropertyNotify)
        QTimer::singleShot(0, this, &PlanCheckWindow::Place);
    return QWidget::nativeEvent(eventType, message, result);
}

void PlanCheckWindow::TakeKeys()
{
    if (!m_placed)
        ShowBeside();
    show();
    raise();
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowDoesNotAcceptFocus, false);
    activateWindow();
    m_firstDeparture->setFocus(Qt::ShortcutFocusReason);
    m_firstDeparture->selectAll();
}

bool PlanCheckWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The owner moved or got its frame: the window follows, unless the user has placed it.
    if (watched == parentWidget() && (event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible())
        QTimer::singleShot(0, this, &PlanCheckWindow::Place);
    // A click is the user's wish to work here: from then on the window takes the focus like any other.
    if (event->type() == QEvent::MouseButtonPress && watched == windowHandle()
        && windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus)) {
        windowHandle()->setFlag(Qt::WindowDoesNotAcceptFocus, false);
        windowHandle()->requestActivate();
    }
    return QWidget::eventFilter(watched, event);
}

void PlanCheckWindow::changeEvent(QEvent* event)
{
    // Where the window system activates it all the same before any click, the keys go back at once.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && parentWidget() && windowHandle()
        && windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus))
        parentWidget()->activateWindow();
    QWidget::changeEvent(event);
}

void PlanCheckWindow::ShowCheck(const std::optional<Header>& header, const PlanReport& report, bool weekly,
                                bool composing)
{
    if (!header) {
        m_header->setText(QStringLiteral("Accept a header to check the plan."));
    } else {
        const QString speed =
            header->cruiseKnots ? QStringLiteral("%1 kn").arg(*header->cruiseKnots) : QStringLiteral("no cruise speed");
        m_header->setText(QStringLiteral("Aircraft %1 (%2), registration %3")
                              .arg(Text(header->aircraftKey), speed, Text(header->registration)));
    }
    // Short day names keep Arrival and Ground in view.
    auto time = [weekly](int minutes) { return QString::fromStdString(PeriodTimeText(minutes, weekly, true)); };
    auto local = [&time](const LegReport& leg, int minutes) {
        QStringList atOffsets;
        for (const LocalAtOffset& at : leg.localTimes)
            atOffsets << time(at.minutes) + QStringLiteral(" at ") + QString::fromStdString(OffsetText(at.offset));
        return atOffsets.isEmpty() ? time(minutes) : time(minutes) + QStringLiteral(" (%1)").arg(atOffsets.join(", "));
    };
    m_legs->setRowCount(static_cast<int>(report.legs.size()));
    for (int row = 0; row < m_legs->rowCount(); ++row) {
        const LegReport& leg = report.legs[static_cast<size_t>(row)];
        const bool isComposing = composing && row + 1 == m_legs->rowCount();
        const int day = weekly ? std::max(leg.dayIndex, 0) : 0;
        const QString cells[] = {
            isComposing ? QStringLiteral("new") : QString::number(row + 1),
            leg.from.empty() ? QStringLiteral("the last leg's destination, if the plan ends there") : Text(leg.from),
            Text(leg.to),
            local(leg, day * 24 * 60 + leg.localMinutes),
            QString::fromStdString(OffsetText(leg.timeDifference * 60)),
            QString::fromStdString(leg.zone),
            Offsets(leg),
            time(leg.universalMinutes),
            leg.distanceNm ? QStringLiteral("%1 nm").arg(std::lround(*leg.distanceNm)) : QStringLiteral("?"),
            leg.flightMinutes ? Duration(*leg.flightMinutes) : QStringLiteral("?"),
            leg.arrivalMinutes ? time(*leg.arrivalMinutes) : QStringLiteral("?"),
            leg.groundMinutes ? Duration(*leg.groundMinutes) : QStringLiteral("?"),
        };
        for (int column = 0; column < m_legs->columnCount(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (isComposing) {
                QFont font = item->font();
                font.setItalic(true);
                item->setFont(font);
            }
            m_legs->setItem(row, column, item);
        }
    }
    // Wide enough for every column where the screen has room.
    m_legs->horizontalHeader()->resizeSections(QHeaderView::ResizeToContents);
    const int needed = m_legs->horizontalHeader()->length() + m_legs->verticalScrollBar()->sizeHint().width()
                       + 2 * m_legs->frameWidth() + layout()->contentsMargins().left()
                       + layout()->contentsMargins().right();
    if (needed > m_wanted.width()) {
        m_wanted.setWidth(needed);
        if (m_placed)
            Place();
        else
            resize(m_wanted);
    }
    m_findings->clear();
    for (const CheckFinding& finding : report.findings)
        m_findings->addItem(QStringLiteral("%1: %2").arg(QLatin1String(LevelName(finding.level)), Text(finding.text)));
}

void PlanCheckWindow::ShowExistingPlans(const QString& text) { m_existing->setText(text); }

int PlanCheckWindow::MinimumTurnaround() const { return m_turnaround->value(); }

std::string PlanCheckWindow::FirstDeparture() const
{
    return ToWindows1252(m_firstDeparture->text().trimmed().toUpper()).value_or(std::string());
}
