#include "GuiTestSupport.h"

#include "app/PlannerState.h"
#include "app/Platform.h"
#include "plan/OptionsDialog.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <iterator>

WorkingFolder::WorkingFolder()
{
    m_previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.path().toStdString());
}

WorkingFolder::~WorkingFolder()
{
    std::error_code ec;
    std::filesystem::current_path(m_previous, ec);
}

std::filesystem::path WorkingFolder::Path(const std::string& name) const
{
    const std::filesystem::path base(m_dir.path().toStdString());
    return name.empty() ? base : base / name;
}

QString WorkingFolder::QPath(const std::string& name) const { return QString::fromStdString(Path(name).string()); }

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

void UseInputFiles(const WorkingFolder& folder, const std::string& aircraft, const std::string& airports)
{
    WriteBytes(folder.Path("aircraft.txt"), aircraft);
    WriteBytes(folder.Path("airports.txt"), airports);
    State().aircraftChosenPath = folder.Path("aircraft.txt");
    State().airportChosenPath = folder.Path("airports.txt");
}

void SetStoredOptions(const char* comment, const char* first, const char* from, const char* until)
{
    State().comment = comment;
    State().firstDestination = first;
    State().quietFrom = from;
    State().quietUntil = until;
}

ModalScript::ModalScript()
{
    Platform::TestSeam::Reset();
    Platform::TestSeam::SetAnswerMessages(true);
    Platform::TestSeam::SetOpenFileObserver([this] {
        m_opened.push_back({QStringLiteral("open-file"), State().screen});
    });
    Platform::TestSeam::SetModalHandler([this](QDialog& dialog) {
        m_opened.push_back({dialog.objectName(), State().screen});
        if (m_steps.empty()) {
            // An unexpected dialog: end it rather than hang the test.
            dialog.done(IDCANCEL);
            return;
        }
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        step(dialog);
    });
}

ModalScript::~ModalScript() { Platform::TestSeam::Reset(); }

void ModalScript::Then(Step step) { m_steps.push_back(std::move(step)); }

void ModalScript::AnswerOpenFile(std::optional<QString> path)
{
    Platform::TestSeam::QueueOpenFileAnswer(std::move(path));
}

void ClickButton(QDialog& dialog, const char* objectName)
{
    auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(objectName));
    QVERIFY2(button, objectName);
    QTest::mouseClick(button, Qt::LeftButton);
}

ModalScript::Step PressButton(const char* objectName)
{
    return [objectName](QDialog& dialog) { ClickButton(dialog, objectName); };
}

int RunOptions(const std::function<void(QDialog&)>& body)
{
    ModalScript script;
    script.Then([&body](QDialog& dialog) {
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        body(dialog);
        if (dialog.isVisible())
            dialog.done(LeftOpen);
    });
    COptionsDialog options(nullptr);
    const int endCode = options.DoModal();
    return script.AllStepsRun() ? endCode : LeftOpen;
}

QString FocusName()
{
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("<none>");
}

void SaveScreenshot(QWidget& widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("LEGWISE_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

QStringList TakeMessages() { return Platform::TestSeam::TakeMessages(); }
