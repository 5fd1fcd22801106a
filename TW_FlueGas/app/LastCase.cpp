#include "LastCase.h"

#include <QFileInfo>
#include <QLockFile>
#include <QSettings>

#include "CalculationRecord.h"

namespace tw::fluegas {
namespace {

constexpr const char* kGroup = "LastCase";
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
    settings.clear();
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

}  // namespace tw::fluegas
