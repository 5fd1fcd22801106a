#pragma once
// The container's store of a control's persisted properties: a key to QVariant map that a
// control reads and writes with its published keys. An in-memory bag serves tests; hosts keep
// them in a QSettings group.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

namespace tw {

class PropertyBag {
  public:
    virtual ~PropertyBag() = default;
    // The stored value of `key`, or `defaultValue` when the key is not stored.
    virtual QVariant readProperty(const QString& key, const QVariant& defaultValue = {}) const = 0;
    virtual bool contains(const QString& key) const = 0;
    virtual void writeProperty(const QString& key, const QVariant& value) = 0;
};

// Keeps the properties in memory, remembering the order in which they were written.
class MemoryPropertyBag final : public PropertyBag {
  public:
    QVariant readProperty(const QString& key, const QVariant& defaultValue = {}) const override {
        return values_.value(key, defaultValue);
    }
    bool contains(const QString& key) const override { return values_.contains(key); }
    void writeProperty(const QString& key, const QVariant& value) override {
        if (!values_.contains(key)) order_.append(key);
        values_.insert(key, value);
    }
    const QStringList& keysInWriteOrder() const { return order_; }

  private:
    QVariantMap values_;
    QStringList order_;
};

// Keeps the properties in a group of a QSettings store (not owned).
class SettingsPropertyBag final : public PropertyBag {
  public:
    SettingsPropertyBag(QSettings& settings, QString group)
        : settings_(settings), group_(std::move(group)) {}
    QVariant readProperty(const QString& key, const QVariant& defaultValue = {}) const override {
        return settings_.value(group_ + "/" + key, defaultValue);
    }
    bool contains(const QString& key) const override {
        return settings_.contains(group_ + "/" + key);
    }
    void writeProperty(const QString& key, const QVariant& value) override {
        settings_.setValue(group_ + "/" + key, value);
    }

  private:
    QSettings& settings_;
    QString group_;
};

}  // namespace tw
