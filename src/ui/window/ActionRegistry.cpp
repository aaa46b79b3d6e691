#include "ui/window/ActionRegistry.h"

#include <QAction>

namespace velmora {

void TActionRegistry::Register(QAction *action, const TActionPlace &place, const QString &id)
{
    m_entries.push_back({id.isEmpty() ? action->objectName() : id, action});
    Q_EMIT Registered(action, place);
}

QAction *TActionRegistry::Find(const QString &id) const
{
    for (const TEntry &entry : m_entries)
        if (entry.Id == id)
            return entry.Action;
    return nullptr;
}

} // namespace velmora
