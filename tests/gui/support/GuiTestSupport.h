#pragma once
// Helpers for driving the real windows headless: a private working folder, file bytes, the modal
// dialogs answered through the platform layer's seam, and screenshots on request.

#include <QDialog>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A temporary folder that is the current directory while the object lives.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    std::filesystem::path Path(const std::string& name = {}) const;
    QString QPath(const std::string& name = {}) const;

private:
    QTemporaryDir m_dir;
    std::filesystem::path m_previous;
};

void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);
bool Exists(const std::filesystem::path& path);

// Writes aircraft.txt and airports.txt into the folder and makes them the chosen input files.
void UseInputFiles(const WorkingFolder& folder, const std::string& aircraft, const std::string& airports);
// The four values the options dialog stores, as an earlier opening left them.
void SetStoredOptions(const char* comment, const char* first, const char* from, const char* until);

// Answers the modal dialogs in the order they come up, and records for each the screen that stood
// behind it when it opened.
class ModalScript {
public:
    using Step = std::function<void(QDialog&)>;
    ModalScript();
    ~ModalScript();
    void Then(Step step);
    // Answers the next open-file dialog with `path`, or with Cancel for nothing.
    void AnswerOpenFile(std::optional<QString> path);
    struct Opened {
        QString dialog; // "open-file", or the object name: IDD_102 plan, IDD_103 options, IDD_104 close
        int screen;
    };
    const std::vector<Opened>& OpenedDialogs() const { return m_opened; }
    bool AllStepsRun() const { return m_steps.empty(); }

private:
    std::deque<Step> m_steps;
    std::vector<Opened> m_opened;
};

// Steps that end a dialog as a person would.
void ClickButton(QDialog& dialog, const char* objectName);
ModalScript::Step PressButton(const char* objectName);

// End code of a dialog that a step left open by mistake; the test then fails instead of hanging.
constexpr int LeftOpen = -77;

// Runs the options dialog once; `body` acts on the open dialog and should end it.
int RunOptions(const std::function<void(QDialog&)>& body);

// The object name of the widget with the keyboard focus, or "<none>".
QString FocusName();

// Finds a control by its identifier name, or fails the test.
template <typename T>
T* Control(const QWidget& root, const char* objectName)
{
    return root.findChild<T*>(QString::fromLatin1(objectName));
}

// Saves a picture of the widget when LEGWISE_SCREENSHOTS names a folder.
void SaveScreenshot(QWidget& widget, const QString& name);

// The message boxes shown since the last call, then forgotten.
QStringList TakeMessages();
