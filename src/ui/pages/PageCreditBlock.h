#pragma once

#include <QWidget>

class QComboBox;
class QLabel;

namespace velmora {

class IElement;
class TCreditCommands;
class TElementNode;
class TEditorContext;

// The property page of a linked credit block: where its rows come from (sheet, worksheet,
// styles) and what was read. The worksheet can be chosen again here.
class TCreditBlockPage : public QWidget
{
    Q_OBJECT
public:
    TCreditBlockPage(TEditorContext &context, TCreditCommands &commands);

    // Shows the block of element; nothing for other elements.
    void Fill(IElement &element);

    QLabel *SheetPath = nullptr;
    QComboBox *Worksheet = nullptr;
    QLabel *StylesPath = nullptr;
    QLabel *Summary = nullptr;

private:
    TEditorContext &m_context;
    TCreditCommands &m_commands;
    TElementNode *m_node = nullptr;
};

} // namespace velmora
