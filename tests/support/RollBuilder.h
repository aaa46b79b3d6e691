#pragma once

// Builds rolls out of real elements for the rendering tests and benchmarks.
#include "core/document/ElementTree.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"

#include "support/TestImages.h"

#include <QTemporaryDir>
#include <stdexcept>

namespace velmora::test {

class RollBuilder
{
public:
    RollBuilder(int width, int height)
    {
        projectNode = &tree.AddChild(tree.Root(), std::make_unique<TVmElementProject>());
        project = dynamic_cast<TVmElementProject *>(projectNode->Element());
        project->SetWidth(width);
        project->SetHeight(height);
        project->SetBackColor(0xFF000000);
    }

    // A text element; a fixedHeight of -1 keeps the measured height.
    TVmElementText &Text(TElementNode &parent, const QString &value, int topOffset = 0, int fixedHeight = -1)
    {
        auto &text = Add<TVmElementText>(parent);
        text.SetText(value);
        text.SetTopOffset(topOffset);
        if (fixedHeight >= 0) {
            text.SetUseFixedHeight(true);
            text.SetFixedHeight(fixedHeight);
        }
        return text;
    }

    // A solid picture drawn at its own size: a block exactly h pixels tall.
    TVmElementImage &Block(TElementNode &parent, QRgb color, int w, int h, TElementHAlignment align = eaLeft, int topOffset = 0)
    {
        auto &image = Picture(parent, SolidImage(std::max(w, 1), std::max(h, 1), color));
        image.SetSpecificDims(true);
        image.SetWidth(w);
        image.SetHeight(h);
        image.SetHorizontalAlign(align);
        image.SetTopOffset(topOffset);
        return image;
    }

    // An image element holding picture, fitted to its band.
    TVmElementImage &Picture(TElementNode &parent, const QImage &picture)
    {
        const QString path = dir.filePath(QStringLiteral("p%1.png").arg(m_files++));
        if (!picture.save(path))
            throw std::runtime_error("cannot write test picture");
        auto &image = Add<TVmElementImage>(parent);
        image.LoadFromFile(path);
        return image;
    }

    // A columns element with count columns; returns the columns node.
    TElementNode &Columns(TElementNode &parent, int count)
    {
        TElementNode &set = tree.AddChild(parent, std::make_unique<TVmElementColumns>());
        for (int i = 0; i < count; ++i)
            tree.AddChild(set, std::make_unique<TVmElementColumn>());
        return set;
    }

    template <typename T>
    T &Add(TElementNode &parent)
    {
        m_last = &tree.AddChild(parent, std::make_unique<T>());
        return *dynamic_cast<T *>(m_last->Element());
    }

    TElementNode &LastNode() const { return *m_last; }

    QTemporaryDir dir;
    TElementTree tree;
    TElementNode *projectNode = nullptr;
    TVmElementProject *project = nullptr;

private:
    int m_files = 0;
    TElementNode *m_last = nullptr;
};

} // namespace velmora::test
