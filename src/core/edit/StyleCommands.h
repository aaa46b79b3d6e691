#pragma once

#include "core/elements/ProjectStyle.h"

#include <QUndoCommand>
#include <vector>

namespace velmora {

class IElement;
class TDocument;
class TElementNode;

// Changes the project's styles and the texts that follow them as one step: undo puts back the
// styles and every text's own look.
class TChangeStyles : public QUndoCommand
{
public:
    struct TTextChange
    {
        IElement *Element;
        TProjectStyle Before;
        TProjectStyle After;
    };
    TChangeStyles(TDocument &document, TProjectStyles before, TProjectStyles after, std::vector<TTextChange> texts,
                  const QString &text);
    void redo() override;
    void undo() override;
    // Successive edits of one style in one editing session (a size spun or typed digit by
    // digit) are one step.
    int id() const override { return m_session == 0 ? -1 : MergeId; }
    bool mergeWith(const QUndoCommand *other) override;
    // Makes this the edit of the style named from, now named to, in session (0: none).
    void SetEdited(const QString &from, const QString &to, quint64 session)
    {
        m_edited = from;
        m_editedTo = to;
        m_session = session;
    }

private:
    static constexpr int MergeId = 100;
    void Apply(const TProjectStyles &styles, bool after);

    TDocument &m_document;
    TProjectStyles m_before;
    TProjectStyles m_after;
    std::vector<TTextChange> m_texts;
    quint64 m_session = 0;
    QString m_edited;    // the edited style's name before this step; empty: not an edit of one style
    QString m_editedTo;  // and after it
};

// Each of these is one step, and does nothing (false) when it would change nothing.

// Gives the texts of nodes (see StyleTargets) the project style named name: its look, and the
// link that later edits of the style follow.
bool ApplyStyle(TDocument &document, const std::vector<TElementNode *> &nodes, const QString &name);
// Replaces the style named name with edited (which may carry a new name) and restyles every
// text that follows it (see Restyled). Edits of one session (not 0) that follow each other
// on the undo stack fold into one step.
bool ChangeStyle(TDocument &document, const QString &name, const TProjectStyle &edited, quint64 session = 0);
// Adds a style; false when the project has one of that name already.
bool AddStyle(TDocument &document, const TProjectStyle &style);
// Adds the styles whose names the project does not have yet; those it has stay as they are.
// Named text ("Import Credits") so that it reads as part of the command that brings them.
bool AddMissingStyles(TDocument &document, const TProjectStyles &styles, const QString &text);
// Removes a style; its texts keep their look and follow no style any more.
bool RemoveStyle(TDocument &document, const QString &name);

// "Style", "Style 2", ...: a name the project does not use yet.
QString UnusedStyleName(const TProjectStyles &styles, const QString &base);

// Gives the texts of a subtree about to be added the document's current style (a text inside
// a column set keeps its alignment, so that a pair still faces itself). Not a step of its own.
void StyleNewTexts(const TDocument &document, TElementNode &subtree);

// Gives a text just made, with no current style to follow, the look of the built-in Text style
// at the project's film size (a family the system has, and letters readable on that film), so
// that a new text is not born too small to pass the checks. It follows no style by name.
void GiveNewTextTheDefaultLook(const TDocument &document, TElementNode &node);

} // namespace velmora
