#pragma once

#include "ui/window/ActionRegistry.h"
#include "ui/window/PositionModel.h"

#include <QRect>
#include <QString>
#include <exception>
#include <functional>
#include <optional>

namespace velmora {

class TDocument;
class TElementNode;
class TElementTreeModel;
class TElementsTreeView;
class TGenerationCommand;
class IEditorPrompts;
class EVelmoraError;

// What a panel of the editor works with: the document, the roll position, the command registry
// and a way to show a node. Panels take this instead of the main window, so none of them
// depends on how the window is put together.
class TEditorContext
{
public:
    explicit TEditorContext(TDocument &document) : m_document(document) {}
    TEditorContext(const TEditorContext &) = delete;
    TEditorContext &operator=(const TEditorContext &) = delete;

    TDocument &Document() const { return m_document; }
    TPositionModel &Position() { return m_position; }
    const TPositionModel &Position() const { return m_position; }
    TActionRegistry &Actions() { return m_actions; }
    // True while a video is generated: the document must not change.
    bool Generating() const { return m_generating; }
    void SetGenerating(bool on) { m_generating = on; }

    // The element tree Reveal selects in, and how the preview lays the roll out at once (so
    // the position range holds a place far down a roll that just grew).
    void AttachTree(TElementTreeModel &model, TElementsTreeView &view, std::function<void()> layOut);
    // Selects node alone in the element tree, unfolding its parents. With a position the roll
    // goes there; without, it scrolls just far enough to show the node.
    void Reveal(const TElementNode &node, std::optional<int> position = {});
    // Lays the roll out now, so positions far down a roll that just changed hold.
    void LayOut() const
    {
        if (m_layOut)
            m_layOut();
    }

    // Every question and file dialog of the editor; tests put their own answers in.
    IEditorPrompts &Prompts() const { return *m_prompts; }
    void SetPrompts(IEditorPrompts &prompts) { m_prompts = &prompts; }

    // Shows an error in the editor's error box (tests answer it through their prompts).
    std::function<void(const QString &)> ShowError;
    // Asks for the preview to be drawn again soon, for a change the document does not announce.
    std::function<void()> ScheduleRedraw;
    // Where the preview shows the focused element now, in screen coordinates; empty when it
    // shows none. Dialogs that find things keep clear of it.
    std::function<QRect()> FocusedArea;
    // Runs a handler; an error it raises goes to ShowError and the editor stays usable.
    template <typename Handler>
    void Run(Handler &&handler);

private:
    TDocument &m_document;
    IEditorPrompts *m_prompts = nullptr;
    bool m_generating = false;
    TPositionModel m_position;
    TActionRegistry m_actions;
    TElementTreeModel *m_model = nullptr;
    TElementsTreeView *m_view = nullptr;
    std::function<void()> m_layOut;
};

} // namespace velmora

#include "core/error.h"

namespace velmora {

template <typename Handler>
void TEditorContext::Run(Handler &&handler)
{
    try {
        handler();
    } catch (const EVelmoraError &error) {
        ShowError(error.message());
    } catch (const std::exception &error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace velmora
