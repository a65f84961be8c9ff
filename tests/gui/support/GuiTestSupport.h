#pragma once
// Driving the real windows headless: working folder, file bytes, modal dialogs, controls, screenshots.

#include "app/PlannerState.h"
#include "app/Platform.h"

#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

class WorkingFolder { // a temporary folder, the current directory while the object lives
public:
    WorkingFolder() { std::filesystem::current_path(Path()); }
    ~WorkingFolder() { std::filesystem::current_path(m_previous, m_ignored); }
    std::filesystem::path Path(const std::string& name = {}) const { return m_dir.path().toStdString() + "/" + name; }
    QString QPath(const std::string& name = {}) const { return QString::fromStdString(Path(name).string()); }

private:
    QTemporaryDir m_dir;
    std::filesystem::path m_previous = std::filesystem::current_path();
    std::error_code m_ignored;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
inline std::string ReadBytes(const std::filesystem::path& path)
{
    return std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
}
inline bool Exists(const std::filesystem::path& path) { return std::filesystem::exists(path); }

// Writes aircraft.txt and airports.txt into the folder and makes them the chosen input files.
inline void UseInputFiles(const WorkingFolder& folder, const std::string& aircraft, const std::string& airports)
{
    WriteBytes(State().aircraftChosenPath = folder.Path("aircraft.txt"), aircraft);
    WriteBytes(State().airportChosenPath = folder.Path("airports.txt"), airports);
}

// Answers the modal dialogs in turn (one too many with Cancel); records each with the screen behind it.
class ModalScript {
public:
    using Step = std::function<void(QDialog&)>;
    struct Opened {
        QString dialog; // "open-file", or the object name: IDD_102 plan, IDD_103 options, IDD_104 close
        int screen;
    };
    ModalScript()
    {
        Platform::TestSeam::Reset();
        Platform::TestSeam::SetAnswerMessages(true);
        Platform::TestSeam::SetOpenFileObserver([this] { m_opened.push_back({"open-file", State().screen}); });
        Platform::TestSeam::SetModalHandler([this](QDialog& dialog) {
            m_opened.push_back({dialog.objectName(), State().screen});
            if (m_steps.empty())
                return dialog.done(IDCANCEL); // rather than hang the test
            const Step step = std::move(m_steps.front());
            m_steps.pop_front();
            step(dialog);
        });
    }
    ~ModalScript() { Platform::TestSeam::Reset(); }
    void Then(Step step) { m_steps.push_back(std::move(step)); }
    void AnswerOpenFile(std::optional<QString> path) { Platform::TestSeam::QueueOpenFileAnswer(path); } // none: Cancel
    const std::vector<Opened>& OpenedDialogs() const { return m_opened; }
    bool AllStepsRun() const { return m_steps.empty(); }

private:
    std::deque<Step> m_steps;
    std::vector<Opened> m_opened;
};

// The control with the identifier name; a missing one stops the test, naming it.
template <typename T>
T* Control(const QWidget& root, const char* objectName)
{
    T* control = root.findChild<T*>(QString::fromLatin1(objectName));
    if (!control)
        qFatal("no control %s in %s", objectName, qPrintable(root.objectName()));
    return control;
}

inline ModalScript::Step PressButton(const char* name) // a mouse click on the button
{
    return [name](QDialog& dialog) { QTest::mouseClick(Control<QPushButton>(dialog, name), Qt::LeftButton); };
}

inline void SaveScreenshot(QWidget& widget, const QString& name) // when LEGWISE_SCREENSHOTS names a folder
{
    const QString folder = qEnvironmentVariable("LEGWISE_SCREENSHOTS");
    if (!folder.isEmpty() && QDir().mkpath(folder))
        widget.grab().save(QDir(folder).filePath(name + ".png"));
}

inline QStringList TakeMessages() { return Platform::TestSeam::TakeMessages(); } // since the last call
