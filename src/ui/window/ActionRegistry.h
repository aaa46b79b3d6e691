#pragma once

#include <QObject>
#include <QString>
#include <vector>

class QAction;

namespace velmora {

// Where a registered command shows: a menu of the menu bar, a tool bar, or both.
struct TActionPlace
{
    QString Menu{};           // a menu bar title, '&' included ("&File"); empty: in no menu
    QString Before{};         // id of the command it goes before in that menu; empty: at the end
    bool SeparatorBefore = false;
    QString ToolBar{};        // object name of a tool bar; empty: on none
    QString ToolBarBefore{};  // id of the command it goes before there; empty: at the end
    bool ToolBarSeparatorAfter = false;
};

// The editor's commands by id. Panels register theirs here and never touch the window's menus;
// the window lays each one out as it comes, so the order of registration is the order shown.
class TActionRegistry : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Registers action under id (its object name when id is empty) to be shown at place.
    void Register(QAction *action, const TActionPlace &place = {}, const QString &id = {});
    // The command registered under id, or null.
    QAction *Find(const QString &id) const;
    std::size_t Count() const { return m_entries.size(); }

Q_SIGNALS:
    void Registered(QAction *action, const velmora::TActionPlace &place);

private:
    struct TEntry
    {
        QString Id;
        QAction *Action;
    };
    std::vector<TEntry> m_entries;
};

} // namespace velmora
