#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <vector>

namespace velmora {

// What the grid needs of one logo: its shape and how much of its box it inks.
struct TLogoShape
{
    QSizeF Natural;    // its own size; only the proportion counts
    double Ink = 1.0;  // the share of its box it covers, 0..1
};

// The share of a picture's box that is ink: pixels that differ from its ground (what its
// corners share: white, transparent ...), weighted by how much they differ. 1 for an empty
// or blank picture, which is taken as solid.
double InkCoverage(const QImage &picture);

// Places logos in a grid of columns cells a row, each cell width / columns wide, so that
// every logo has the same ink area as a square of side size half covered: a thin wordmark
// grows, a solid block shrinks. Heights stay within half and twice size, widths within the
// cell. Each grid row is as tall as its tallest logo, rows are size / 4 apart, and each row
// (a short last one too) is centred on spine. Rectangles are relative to the grid's top left
// x of 0 and top 0, in the order given; height receives the grid's height.
std::vector<QRectF> LogoGrid(const std::vector<TLogoShape> &logos, int columns, double size, double width, double spine,
                             double &height);

} // namespace velmora
