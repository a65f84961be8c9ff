#include "check/PlanCheckWindow.h"

#include "app/Windows1252.h"
#include "check/Placement.h"

#include <QFont>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>

namespace {
const QStringList Columns = {"Leg",     "From", "To",       "Local",  "Diff.",   "Zone",
                             "Offsets", "UT",   "Distance", "Flight", "Arrival", "Ground"};

QString Text(const std::string& bytes) { return FromWindows1252(bytes); }

QString Duration(int minutes)
{
    const int size = std::abs(minutes);
    return QStringLiteral("%1%2:%3").arg(minutes < 0 ? "-" : "").arg(size / 60).arg(size % 60, 2, 10, QLatin1Char('0'));
}

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
    : QWidget(owner, Qt::Window | Qt::WindowDoesNotAcceptFocus),
      m_header(new QLabel(this)),
      m_existing(new QLabel(this)),
      m_legs(new QTableWidget(0, static_cast<int>(Columns.size()), this)),
      m_findings(new QListWidget(this)),
      m_turnaround(new QSpinBox(this))
{
    setObjectName(QStringLiteral("PlanCheck"));
    setWindowTitle(QStringLiteral("Plan check"));
    // Shown and updated while the user works in the plan dialog: it takes the keys only once the user
    // clicks into it (see eventFilter).
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_header->setObjectName(QStringLiteral("Header"));
    m_existing->setObjectName(QStringLiteral("ExistingPlans"));
    m_legs->setObjectName(QStringLiteral("Legs"));
    m_findings->setObjectName(QStringLiteral("Findings"));
    m_turnaround->setObjectName(QStringLiteral("MinimumTurnaround"));
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

    auto* settings = new QFormLayout;
    settings->addRow(QStringLiteral("&Minimum turnaround:"), m_turnaround);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_header);
    layout->addWidget(m_existing);
    layout->addWidget(m_legs, 3);
    layout->addWidget(m_findings, 2);
    layout->addLayout(settings);
    ShowCheck(std::nullopt, {}, false, false);
    resize(760, 440);
}

void PlanCheckWindow::ShowBeside()
{
    const QWidget* owner = parentWidget();
    const QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (owner && screen) {
        const QRect frame = owner->frameGeometry();
        const QRect available = screen->availableGeometry();
        // This window's frame is not known before it is shown: it is taken to be as thick as the owner's.
        const QSize border = frame.size() - owner->geometry().size();
        const Box placed = PlaceBeside({frame.x(), frame.y(), frame.width(), frame.height()},
                                       {available.x(), available.y(), available.width(), available.height()},
                                       width() + border.width(), height() + border.height());
        move(placed.left, placed.top);
    }
    show();
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
}

bool PlanCheckWindow::eventFilter(QObject* watched, QEvent* event)
{
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
    auto time = [weekly](int minutes) { return QString::fromStdString(PeriodTimeText(minutes, weekly)); };
    m_legs->setRowCount(static_cast<int>(report.legs.size()));
    for (int row = 0; row < m_legs->rowCount(); ++row) {
        const LegReport& leg = report.legs[static_cast<size_t>(row)];
        const bool isComposing = composing && row + 1 == m_legs->rowCount();
        const int day = weekly ? std::max(leg.dayIndex, 0) : 0;
        const QString cells[] = {
            isComposing ? QStringLiteral("new") : QString::number(row + 1),
            Text(leg.from),
            Text(leg.to),
            time(day * 24 * 60 + leg.localMinutes),
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
    m_findings->clear();
    for (const CheckFinding& finding : report.findings)
        m_findings->addItem(QStringLiteral("%1: %2").arg(QLatin1String(LevelName(finding.level)), Text(finding.text)));
}

void PlanCheckWindow::ShowExistingPlans(const QString& text) { m_existing->setText(text); }

int PlanCheckWindow::MinimumTurnaround() const { return m_turnaround->value(); }
