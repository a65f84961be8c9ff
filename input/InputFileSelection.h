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

// The lower-cased text of a chosen path that the planner state keeps.
std::string StoredPathText(const std::filesystem::path& path);
