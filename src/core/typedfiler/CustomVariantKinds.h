#pragma once

#include <QIODevice>
#include <QString>
#include <QUuid>
#include <QVariant>

#include <memory>

namespace velmora {

// A variant kind beyond the built-in table, registered under a code and a name.
class ICustomVariantKind
{
public:
    virtual ~ICustomVariantKind() = default;
    virtual quint16 Code() const = 0;
    virtual QString Name() const = 0;
    // The text form written for values this kind cannot stream.
    virtual QString ToText(const QVariant &value) const = 0;
};

// Implemented by custom kinds that save and load their values through a byte stream.
class IVariantStreamable
{
public:
    static constexpr QUuid IID{0xD60BA026, 0x5E42, 0x4C2A, 0xBB, 0x01, 0x3F, 0x1C, 0x8F, 0x30, 0xA2, 0x8E};
    virtual ~IVariantStreamable() = default;
    virtual void SaveValue(const QVariant &value, QIODevice &device) const = 0;
    virtual QVariant LoadValue(QIODevice &device) const = 0;
};

// Registers a custom kind, replacing one with the same code.
void RegisterCustomVariantKind(std::shared_ptr<const ICustomVariantKind> kind);

// Removes the kind with that code; false when there was none.
bool UnregisterCustomVariantKind(quint16 code);

// The registered kind with that code (flag bits ignored), or null.
std::shared_ptr<const ICustomVariantKind> FindCustomVariantKind(quint16 code);

// The registered kind with that name, or null.
std::shared_ptr<const ICustomVariantKind> FindCustomVariantKind(const QString &name);

} // namespace velmora
