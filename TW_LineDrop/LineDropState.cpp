#include "LineDropState.h"

#include <QSettings>

#include "ProgramLanguage.h"

namespace tw::linedrop {
namespace {

// A window smaller than this or larger than any screen is not restored.
constexpr int kSmallestSide = 200;
constexpr int kLargestSide = 16384;
constexpr int kMostRecentFiles = 8;

QString pathText(const std::filesystem::path& file) {
    return QString::fromStdString(file.string());
}

}  // namespace

WindowState readWindowState(const std::filesystem::path& file) {
    WindowState state;
    QSettings settings(pathText(file), QSettings::IniFormat);
    const QSize size = settings.value(QStringLiteral("Window/Size")).toSize();
    if (size.width() >= kSmallestSide && size.height() >= kSmallestSide &&
        size.width() <= kLargestSide && size.height() <= kLargestSide)
        state.size = size;
    for (const QString& path : settings.value(QStringLiteral("Files/Recent")).toStringList()) {
        if (!path.isEmpty() && state.recentFiles.size() < kMostRecentFiles)
            state.recentFiles << path;
    }
    state.lastFolder = settings.value(QStringLiteral("Files/LastFolder")).toString();
    return state;
}

bool writeWindowState(const std::filesystem::path& file, const WindowState& state) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    QSettings settings(pathText(file), QSettings::IniFormat);
    if (state.size) settings.setValue(QStringLiteral("Window/Size"), *state.size);
    settings.setValue(QStringLiteral("Files/Recent"), state.recentFiles);
    settings.setValue(QStringLiteral("Files/LastFolder"), state.lastFolder);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::optional<std::int32_t> readLanguageChoice(const std::filesystem::path& file) {
    QSettings settings(pathText(file), QSettings::IniFormat);
    const QVariant value = settings.value(QStringLiteral("Window/Language"));
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    return tw::fluegas::languageOfName(value.toString().toStdString());
}

bool writeLanguageChoice(const std::filesystem::path& file, std::int32_t language) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    QSettings settings(pathText(file), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Window/Language"),
                      QString::fromLatin1(tw::fluegas::nameOfLanguage(language)));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace tw::linedrop
