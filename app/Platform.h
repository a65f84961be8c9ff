#pragma once
// The thin layer between the program and the window system: the open-file dialog, the message box
// and modal runs with end codes. Tests set the next answers here and read what was shown.

#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Paths between the file system and the windows: a chosen name as the file system spells it, and a
// path as the user reads it in a message, with the platform's separators. Paths are not plan text:
// they keep the platform's file-name encoding.
std::filesystem::path PathFromQString(const QString& path);
QString QStringFromPath(const std::filesystem::path& path);

namespace Platform {

// The caption of every message box: the executable's file name without its extension.
QString ApplicationName();

// The open-file dialog with the filter "TextFiles (*.txt)", run modally as RunModal runs dialogs. One
// file: a typed name is taken as typed, a double quote included. A name that does not exist may be
// confirmed. Returns the full path of the confirmed name, or nothing when the dialog was not confirmed.
std::optional<QString> ChooseOpenFile(QWidget* owner);

// The save-file dialog with the same filter, starting at `suggested`. The platform's own dialog asks
// before a name that exists is confirmed. Returns the full path, or nothing when not confirmed.
std::optional<QString> ChooseSaveFile(QWidget* owner, const QString& suggested);

// A modal message box with the text alone, an OK button and no icon.
void ShowMessage(QWidget* owner, const QString& text);

// Runs `dialog` modally, its owner disabled, and returns the value it ended with.
int RunModal(QDialog& dialog);

// The test seam. Without answers set, the real windows come up and wait for a person.
namespace TestSeam {
// Queue the answer of the next open-file dialog: a path to confirm, or nothing for Cancel.
void QueueOpenFileAnswer(std::optional<QString> answer);
// Queue the answer of the next save-file dialog: a path to confirm, or nothing for Cancel.
void QueueSaveFileAnswer(std::optional<QString> answer);
// Called each time an open-file dialog is run, before it answers.
void SetOpenFileObserver(std::function<void()> observer);
// Once set, message boxes are recorded and answered with OK at once instead of waiting.
void SetAnswerMessages(bool answer);
// What the message boxes showed, in order, and their captions.
QStringList MessagesShown();
QStringList MessageCaptions();
// The messages shown since the last call, then forgotten.
QStringList TakeMessages();
// Called with each dialog that a modal run shows, once its modal loop runs.
void SetModalHandler(std::function<void(QDialog&)> handler);
// Forget all answers, records and the handler.
void Reset();
} // namespace TestSeam

} // namespace Platform
