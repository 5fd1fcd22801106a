#pragma once
// The line program's state between runs (window size, recent files, the last folder) in an INI
// file of its own folder, and the language chosen in the Language menu, which the program
// shares with the calculator through the calculator's own state file. Both files are a
// convenience: a damaged value is ignored without a message.

#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace tw::linedrop {

inline constexpr const char* kStateFileName = "TW_LineDrop.ini";
// The calculator's state file, whose [Window] Language key both programs read and write.
inline constexpr const char* kCalculatorStateFileName = "LastCase.ini";

struct WindowState {
    std::optional<QSize> size;
    QStringList recentFiles;
    QString lastFolder;
};

WindowState readWindowState(const std::filesystem::path& file);
bool writeWindowState(const std::filesystem::path& file, const WindowState& state);

// The language chosen in either program's Language menu; nothing when none was chosen or the
// value is not one of "ko" and "en".
std::optional<std::int32_t> readLanguageChoice(const std::filesystem::path& file);
bool writeLanguageChoice(const std::filesystem::path& file, std::int32_t language);

}  // namespace tw::linedrop
