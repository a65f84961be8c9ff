#include "input/InputFileSelection.h"

#include "app/PlannerState.h"
#include "app/Platform.h"
#include "input/Text.h"

#include <QDir>
#include <QFile>
#include <QString>

std::string StoredPathText(const std::filesystem::path& path)
{
#ifdef _WIN32
    // The ANSI code page's bytes, lower-cased by that code page.
    const QByteArray bytes = QString::fromStdWString(path.wstring()).toLocal8Bit();
    return MakeLower(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
#else
    // File names may be UTF-8: lower-casing A to Z only never splits a character.
    return MakeLowerAscii(path.native());
#endif
}

bool SelectInputFile(InputFileKind kind, QWidget* owner)
{
    const std::optional<QString> chosen = Platform::ChooseOpenFile(owner);
    if (!chosen)
        return false;
    // Kept and shown with the platform's own separators, as its file dialog gives them.
    const std::filesystem::path path = PathFromQString(QDir::toNativeSeparators(*chosen));
    PlannerState& state = State();
    std::string& stored = kind == InputFileKind::AirportFile ? state.airportPath : state.aircraftPath;
    std::filesystem::path& chosenPath =
        kind == InputFileKind::AirportFile ? state.airportChosenPath : state.aircraftChosenPath;
    stored = StoredPathText(path);
    chosenPath = path;
    if (!SkipsPersonalCopy(stored, kind))
        CopyToPersonalFile(chosenPath, std::filesystem::path(PersonalCopyName(kind)));
    return true;
}
