#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

class QListWidget;

namespace velmora {

// The small dialog of New Project: one list of starting points, OK and Cancel.
class TTemplateChooser : public QDialog
{
    Q_OBJECT
public:
    TTemplateChooser(QWidget *parent, const QStringList &names);
    QListWidget *List() const { return m_list; }
    // The row chosen, or -1.
    int Chosen() const;

private:
    QListWidget *m_list = nullptr;
};

} // namespace velmora
