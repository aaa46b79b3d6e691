#pragma once

// Shared set-up of the editor window tests: a real TMain shown offscreen with scripted prompts.
#include "controls/PreviewPaintBox.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementText.h"
#include "ui/tree/ElementTreeModel.h"
#include "ui/tree/ElementsTreeView.h"
#include "ui/window/MainWindow.h"
#include "ui/pages/PropertyPages.h"
#include "ui/prompts/ScriptedPrompts.h"
#include "ui/tree/TreeClipboard.h"
#include "ui/tree/TreeEditor.h"
#include "core/edit/EditCommands.h"

#include "support/TreeStructure.h"

#include <QAction>
#include <QTest>
#include <QWindow>
#include <memory>

namespace velmora::test {

struct TEditorFixture
{
    TScriptedPrompts Prompts;
    std::unique_ptr<TMain> Window = std::make_unique<TMain>();

    TEditorFixture()
    {
        Window->SetPrompts(&Prompts);
        Window->show();
        (void)QTest::qWaitForWindowExposed(Window.get());
    }

    TMain &Main() { return *Window; }
    TElementsTreeView &View() { return *Window->Controls().ElementsTree; }
    TElementTreeModel &Model() { return *Window->Controls().TreeModel; }
    TTreeEditor &Editor() { return Window->TreeEditor(); }
    TElementNode &Project() { return *Window->Document().ProjectNode(); }
    // The title the window system shows, after Qt's own "[*]" handling.
    QString ShownTitle() const { return Window->windowHandle()->title(); }

    // Focuses and selects node alone, as a click does.
    void Focus(TElementNode &node)
    {
        View().setFocus();
        View().selectionModel()->setCurrentIndex(Model().IndexOf(node), QItemSelectionModel::ClearAndSelect);
    }
    // Adds an element of kind under parent through its command.
    TElementNode &Add(TElementNode &parent, QAction *command)
    {
        Focus(parent);
        Window->UpdateActions();
        command->trigger();
        return *Editor().FocusedNode();
    }
    TElementNode &AddText(TElementNode &parent, const QString &text)
    {
        TElementNode &node = Add(parent, Window->Controls().ActNewText);
        queryInterface<IElementText>(node.Element())->SetText(text);
        Model().NodeChanged(node);
        return node;
    }
    TElementNode &AddImage(TElementNode &parent, const QString &caption)
    {
        TElementNode &node = Add(parent, Window->Controls().ActNewImage);
        node.Element()->SetCaption(-1, caption);
        return node;
    }
};

} // namespace velmora::test
