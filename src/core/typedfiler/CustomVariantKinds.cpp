#include "core/typedfiler/CustomVariantKinds.h"

#include "core/typedfiler/Variant.h"

#include <map>
#include <mutex>

namespace velmora {

namespace {

struct TKindRegistry
{
    std::mutex Lock;
    std::map<quint16, std::shared_ptr<const ICustomVariantKind>> Kinds;
};

TKindRegistry &Registry()
{
    static TKindRegistry registry;
    return registry;
}

} // namespace

void RegisterCustomVariantKind(std::shared_ptr<const ICustomVariantKind> kind)
{
    auto &registry = Registry();
    std::scoped_lock guard(registry.Lock);
    const auto code = static_cast<quint16>(kind->Code() & VariantKind::TypeMask);
    registry.Kinds[code] = std::move(kind);
}

bool UnregisterCustomVariantKind(quint16 code)
{
    auto &registry = Registry();
    std::scoped_lock guard(registry.Lock);
    return registry.Kinds.erase(static_cast<quint16>(code & VariantKind::TypeMask)) > 0;
}

std::shared_ptr<const ICustomVariantKind> FindCustomVariantKind(quint16 code)
{
    auto &registry = Registry();
    std::scoped_lock guard(registry.Lock);
    const auto found = registry.Kinds.find(static_cast<quint16>(code & VariantKind::TypeMask));
    return found == registry.Kinds.end() ? nullptr : found->second;
}

std::shared_ptr<const ICustomVariantKind> FindCustomVariantKind(const QString &name)
{
    auto &registry = Registry();
    std::scoped_lock guard(registry.Lock);
    for (const auto &entry : registry.Kinds) {
        if (entry.second->Name() == name)
            return entry.second;
    }
    return nullptr;
}

} // namespace velmora
