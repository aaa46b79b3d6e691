#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QSpinBox;

namespace velmora {

class IElement;
class TEditorContext;
class TVmElementCard;

// The property page of a card: its hold (0 for reading time), how it comes in and goes out,
// where it sits in title-safe and its reading rule, and the hold and frames it runs as
// the timeline works them out. Each change is one step of Undo.
class TCardPage : public QWidget
{
    Q_OBJECT
public:
    explicit TCardPage(TEditorContext &context);

    // Shows the card of element; nothing for other elements.
    void Fill(IElement *element);

    QSpinBox *Hold = nullptr;
    QComboBox *InKind = nullptr;
    QSpinBox *InFrames = nullptr;
    QComboBox *OutKind = nullptr;
    QSpinBox *OutFrames = nullptr;
    QComboBox *Placement = nullptr;
    QSpinBox *MinimumHold = nullptr;
    QSpinBox *Rate = nullptr;
    QLabel *Summary = nullptr;

private:
    void Apply();

    TEditorContext &m_context;
    TVmElementCard *m_card = nullptr;
    bool m_filling = false;
};

} // namespace velmora
