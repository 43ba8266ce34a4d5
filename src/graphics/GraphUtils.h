#pragma once
// The annotations of a plot, drawn on the experiment's surface in graph coordinates: axes with
// their titles and the header, the legend, the statistics block, the markers ("bubbles") with
// their hint boxes and the tangents with their equations. Sizes in pixels scale by the surface's
// coordinate multiplier, so the same code lays out a page.

#include <string>
#include <vector>

#include "graphics/GraphicsTypes.h"

namespace kalvero {

class TDataClass;
class TDataCanvas;

// Fills the surface with the background, sets the paddings (room for the y title or labels, the
// right end of the x axis, the x labels), draws both axes with arrow heads and titles and the
// header line ("Вещество: …, Вес: …, Оператор: …, Дата: …"); when printing, the description
// block under the graph. In the temperature pass of the combined view only the temperature axis
// at the right edge of the graph.
void DrawAxes(TDataClass& aData);
// Channel names in their colours with a short line and a dot, at the top right of the graph;
// only with more than one channel.
void DrawLegend(TDataClass& aData);
// The values over fBegCalcInfo … fEndCalcInfo (modes 0, 1, 8 with fShowStatistics).
void DrawStatistics(TDataClass& aData);
// Every marker on its curve: a red hint box with the values at its item, or with the
// configuration's bubbleStyle 1 a numbered tag and a list.
void DrawBubbles(TDataClass& aData);
// Every tangent of the curve shown (modes 0, 2, 4, 8, 9): a thin red line across the graph, a
// red line of width 2 over its stretch and its equation.
void DrawTangents(TDataClass& aData);

// A box with the lines of text, joined by a tail to the graph point (x, y): above right of the
// point when there is room, else moved left and/or flipped below.
void DrawSquareHint(TDataCanvas& aCanvas, int x, int y, const std::vector<std::string>& aLines,
                    TColor aColor);
// Shape helpers of the hint box: points shifted along x, points mirrored about the line y = aAxisY.
void MoveGraphicPointsLeft(TPoints& aPoints, int aDistance);
void MoveGraphicPointsRight(TPoints& aPoints, int aDistance);
void FlipPointsVertical(TPoints& aPoints, int aAxisY);

}  // namespace kalvero
