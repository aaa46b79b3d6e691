#pragma once

// A document holding project(A, B, I, Columns(Column(C, D))) and helpers for the edit tests.
#include "core/document/Document.h"
#include "core/document/TreeSection.h"
#include "core/edit/EditCommands.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"

#include "support/DocumentBytes.h"
#include "support/TreeStructure.h"

#include <QBuffer>
#include <QStringList>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace velmora::test {

struct EditFixture : ::testing::Test
{
    TDocument document;
    TElementNode *A, *B, *I, *Columns, *Column, *C, *D;

    EditFixture()
    {
        TElementTree &tree = document.Tree();
        TElementNode &project = *document.ProjectNode();
        A = &AddText(project, "A");
        B = &AddText(project, "B");
        I = &tree.AddChild(project, std::make_unique<TVmElementImage>());
        I->Element()->SetCaption(-1, QStringLiteral("I"));
        Columns = &tree.AddChild(project, std::make_unique<TVmElementColumns>());
        Column = &tree.AddChild(*Columns, std::make_unique<TVmElementColumn>());
        C = &AddText(*Column, "C");
        D = &AddText(*Column, "D");
    }
    TElementNode &AddText(TElementNode &parent, const char *text)
    {
        TElementNode &node = document.Tree().AddChild(parent, std::make_unique<TVmElementText>());
        queryInterface<IElementText>(node.Element())->SetText(QString::fromLatin1(text));
        return node;
    }
    TElementNode &Project() { return *document.ProjectNode(); }
    QUndoStack &Stack() { return document.UndoStack(); }
    QByteArray Bytes() { return SaveToBytes(document); }
};

// A detached copy of node with its subtree, as the clipboard carries it.
inline std::unique_ptr<TElementNode> CopyOf(const TElementNode &node)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    WriteNodeChunk(buffer, node);
    buffer.seek(0);
    return ReadNodeChunk(buffer);
}

} // namespace velmora::test
