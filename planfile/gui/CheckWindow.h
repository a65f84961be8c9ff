#pragma once
// The window of legwise-check, opened when it is started without a plan file: the plans of a file in
// a table with their errors and warnings, the legs and findings of the selected plan, and the season
// shift written to a new file; or the plans built from a timetable, with the flights left out, saved
// to a new file. Files are read and shifted in the background, with a progress bar and
// a Cancel; nothing the user named as an input is ever written.

#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QSpinBox;
class QTemporaryDir;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;
class PlanTableModel;
struct LoadedFiles;
struct PlanRow;

class CheckWindow : public QWidget {
    Q_OBJECT
public:
    explicit CheckWindow(QWidget* parent = nullptr);
    ~CheckWindow() override;

    // Reads the plan, airport and aircraft files named in the window, in the background.
    void Read();
    bool Busy() const;
    // Reads the timetable at `path` with the airport and aircraft files named in the window, builds
    // the lines of the week chosen and shows their plans, in the background.
    void OpenTimetable(const QString& path);

signals:
    // A read or a shift has ended, done, failed or cancelled.
    void WorkFinished();

private:
    void Choose(QLineEdit* edit);
    // After a dialog: this window active again, the keys in `control`.
    void TakeKeysBack(QWidget* control);
    // The legs and findings of the plan selected in the table; read again only when another plan is
    // selected than the one shown, or when `again`.
    void ShowSelected(bool again = false);
    // After the table was sorted or filtered: the first plan is selected when the one selected is
    // no longer shown, and the selected one is scrolled into view.
    void KeepAPlanSelected();
    void ShowStatus(const QString& text);
    // Empty when every airport of the plans can be placed; else what "Save as..." says instead.
    QString WhyNothingCanBeWritten() const;
    void SaveShifted();
    void SaveTimetablePlans();
    void ShowTimetable(const LoadedFiles& loaded);
    void RunInBackground(std::function<void()> work, std::function<void()> done);
    void SetBusy(bool busy);
    bool Progress(std::uint64_t done, std::uint64_t total);

    QLineEdit* m_planPath;
    QLineEdit* m_airportPath;
    QLineEdit* m_aircraftPath;
    QPushButton* m_read;
    QCheckBox* m_onlyFindings;
    QTableView* m_plans;
    PlanTableModel* m_model;
    QTableWidget* m_legs;
    QListWidget* m_findings;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QPushButton* m_saveAs;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QLabel* m_status;
    QTimer* m_poll;
    QPushButton* m_openTimetable;
    QDateEdit* m_week;
    QSpinBox* m_turnaround;
    QLabel* m_summary;
    QWidget* m_leftOutBox;
    QTableWidget* m_leftOut;
    std::unique_ptr<QTemporaryDir> m_scratch; // the plans built from a timetable, until saved
    QList<QWidget*> m_lockedWhileBusy;

    std::shared_ptr<LoadedFiles> m_loaded; // what the table shows
    const PlanRow* m_shownRow = nullptr;   // whose legs and findings are shown
    std::thread m_worker;
    std::atomic<bool> m_cancelled{false};
    std::atomic<std::uint64_t> m_done{0};
    std::atomic<std::uint64_t> m_total{0};
};

// legwise-check without arguments: the window, until it is closed.
int RunCheckWindow();
