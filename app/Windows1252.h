#pragma once
// Plan text is 8-bit Windows-1252; the windows show it as Unicode.

#include <QString>

#include <optional>
#include <string>
#include <string_view>

// Every byte has a character, so decoding and encoding back gives the same bytes.
QString FromWindows1252(std::string_view bytes);

// Nothing when a character has no Windows-1252 byte; `refused` then names the first such character.
std::optional<std::string> ToWindows1252(const QString& text, QString* refused = nullptr);
