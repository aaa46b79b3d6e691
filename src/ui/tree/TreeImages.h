#pragma once

#include <QIcon>
#include <QPixmap>
#include <array>

namespace velmora {

// Indices into the editor's one image list, shared by tool bars, menus and the element tree.
namespace TreeImageIndex {
inline constexpr int Project = 0; // also the Generate command
inline constexpr int Text = 1;
inline constexpr int Column = 2;
inline constexpr int Columns = 3;
inline constexpr int Image = 4;
inline constexpr int Save = 5;
inline constexpr int Open = 6;
inline constexpr int Placeholders = 7;
inline constexpr int Delete = 8;
inline constexpr int Cut = 9;
inline constexpr int Copy = 10;
inline constexpr int Paste = 11;
inline constexpr int ElementManager = 12;
inline constexpr int PropertyPanel = 13;
inline constexpr int SaveAs = 14;
inline constexpr int NewProject = 15;
inline constexpr int LoadBackground = 16;
// Velmora's own additions after the list of seventeen.
inline constexpr int Undo = 17;
inline constexpr int Redo = 18;
inline constexpr int Count = 19;
} // namespace TreeImageIndex

inline constexpr int TreeImageSize = 24;

// The editor's image list of 24 x 24 icons, drawn once from the resources.
class TTreeImages
{
public:
    TTreeImages();
    // The icon at index, or a null icon for an index outside the list (-1: none).
    QIcon Icon(int index) const;

private:
    std::array<QIcon, TreeImageIndex::Count> m_icons;
};

// Renders one of the editor's pictures (":/velmora/splash.svg", ...) at size.
QPixmap RenderPicture(const QString &resource, const QSize &size);

} // namespace velmora
