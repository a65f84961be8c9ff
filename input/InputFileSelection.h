#pragma once

#include "input/PersonalCopy.h"

#include <filesystem>
#include <string>

class QString;
class QWidget;

// Runs the open-file dialog for one input. On confirmation the lower-cased path and the path as
// chosen are stored, and the personal copy is made unless the path already ends in its name.
// Returns whether the user confirmed a file.
bool SelectInputFile(InputFileKind kind, QWidget* owner);

// A chosen path as the file system spells it, and the lower-cased text the planner state keeps.
std::filesystem::path PathFromQString(const QString& path);
// A path as the user reads it in a message, with the platform's separators.
QString QStringFromPath(const std::filesystem::path& path);
std::string StoredPathText(const std::filesystem::path& path);
