#include "LastCase.h"

#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <array>
#include <utility>

#include "CalculationRecord.h"
#include "ProgramLanguage.h"

namespace tw::fluegas {
namespace {

constexpr const char* kGroup = "LastCase";
constexpr const char* kWindowGroup = "Window";
constexpr const char* kLanguageKey = "Language";
// Longest header field kept (a project name or a person's name needs far less).
constexpr qsizetype kLongestField = 200;
// Longest text a value may have; a number or a unit needs far less.
constexpr qsizetype kLongestValue = 64;

// The names kept: every option of a case but the enthalpy and pressure units, which the
// settings file keeps.
bool isKept(std::string_view name) {
    return name != "uenth" && name != "upr";
}

QString pathText(const std::filesystem::path& file) {
    return QString::fromStdString(file.string());
}

// Exists and is not a regular file (a folder, a pipe, a device): never opened.
bool takenByNonFile(const QFileInfo& info) {
    return info.exists() && !info.isFile();
}

}  // namespace

std::optional<FlueGasCase> readLastCase(const std::filesystem::path& file) {
    const QFileInfo info(pathText(file));
    if (!info.exists() || takenByNonFile(info) || !info.isReadable()) return std::nullopt;
    QSettings settings(pathText(file), QSettings::IniFormat);
    if (settings.status() == QSettings::AccessError) return std::nullopt;
    settings.beginGroup(QString::fromLatin1(kGroup));

    FlueGasCase c;
    bool temperatureUnitRead = false;
    for (const auto& [name, defaultValue] : caseOptions(FlueGasCase{})) {
        if (!isKept(name)) continue;
        const QVariant stored = settings.value(QString::fromStdString(name));
        if (stored.typeId() != QMetaType::QString) continue;
        const QString text = stored.toString();
        if (text.size() > kLongestValue) continue;
        try {
            // One value at a time: a refused value keeps its default, the others still count.
            const FlueGasCase one = parseFlueGasCase({{name, text.toStdString()}});
            if (name == "basis") {
                c.basis = one.basis;
            } else if (name == "formula") {
                c.formula = one.formula;
            } else if (name == "so3") {
                c.so3Mode = one.so3Mode;
                c.so3Rate = one.so3Rate;
            } else if (name == "utp") {
                c.uTP = one.uTP;
                temperatureUnitRead = one.uTP.has_value();
            } else {
                for (std::size_t i = 0; i < kCellOptionNames.size(); ++i) {
                    if (kCellOptionNames[i] == name) c.cells[i] = one.cells[i];
                }
            }
        } catch (const CaseError&) {
        }
    }
    // Temperatures without the unit they were written in cannot be trusted.
    if (!temperatureUnitRead) {
        c.cells[kSpeciesCount].clear();
        c.cells[kSpeciesCount + 1].clear();
    }
    return c;
}

bool writeLastCase(const std::filesystem::path& file, const FlueGasCase& flueGasCase) {
    if (takenByNonFile(QFileInfo(pathText(file)))) return false;
    QSettings settings(pathText(file), QSettings::IniFormat);
    settings.remove(QString::fromLatin1(kGroup));
    settings.beginGroup(QString::fromLatin1(kGroup));
    for (const auto& [name, value] : caseOptions(flueGasCase)) {
        if (isKept(name)) {
            settings.setValue(QString::fromStdString(name), QString::fromStdString(value));
        }
    }
    settings.endGroup();
    settings.sync();
    // A damaged file read before the write reports a format error; only access counts here.
    return settings.status() != QSettings::AccessError;
}

bool lastCaseLockFree(const std::filesystem::path& file, int waitMs) {
    QLockFile lock(pathText(file) + QStringLiteral(".lock"));
    if (lock.tryLock(waitMs)) {
        lock.unlock();
        return true;
    }
    // Only a lock that someone holds counts; a folder that cannot take the lock file (one not
    // made yet, one without write permission) is for the write itself to find.
    return lock.error() != QLockFile::LockFailedError;
}

namespace {

// The header fields with the names they are kept under.
constexpr std::array<std::pair<const char*, std::string ReportHeader::*>, 5> kHeaderFields{{
    {"Project", &ReportHeader::project},
    {"Case", &ReportHeader::caseName},
    {"PreparedBy", &ReportHeader::preparedBy},
    {"CheckedBy", &ReportHeader::checkedBy},
    {"Date", &ReportHeader::date},
}};

}  // namespace

WindowChoices readWindowChoices(const std::filesystem::path& file) {
    WindowChoices choices;
    const QFileInfo info(pathText(file));
    if (!info.exists() || takenByNonFile(info) || !info.isReadable()) return choices;
    QSettings settings(pathText(file), QSettings::IniFormat);
    if (settings.status() == QSettings::AccessError) return choices;
    settings.beginGroup(QString::fromLatin1(kWindowGroup));
    const QVariant language = settings.value(QString::fromLatin1(kLanguageKey));
    if (language.typeId() == QMetaType::QString) {
        choices.language = languageOfName(language.toString().toStdString());
    }
    for (const auto& [key, field] : kHeaderFields) {
        const QVariant stored = settings.value(QString::fromLatin1(key));
        if (stored.typeId() != QMetaType::QString) continue;
        const QString text = stored.toString();
        // A line break has no place in a one-line field.
        if (text.size() > kLongestField || text.contains(u'\n') || text.contains(u'\r')) continue;
        choices.header.*field = text.toStdString();
    }
    return choices;
}

bool writeWindowChoices(const std::filesystem::path& file, const WindowChoices& choices) {
    if (takenByNonFile(QFileInfo(pathText(file)))) return false;
    QSettings settings(pathText(file), QSettings::IniFormat);
    settings.remove(QString::fromLatin1(kWindowGroup));
    settings.beginGroup(QString::fromLatin1(kWindowGroup));
    if (choices.language) {
        settings.setValue(QString::fromLatin1(kLanguageKey),
                          QString::fromLatin1(nameOfLanguage(*choices.language)));
    }
    for (const auto& [key, field] : kHeaderFields) {
        const std::string& text = choices.header.*field;
        if (!text.empty())
            settings.setValue(QString::fromLatin1(key), QString::fromStdString(text));
    }
    settings.endGroup();
    settings.sync();
    return settings.status() != QSettings::AccessError;
}

}  // namespace tw::fluegas
