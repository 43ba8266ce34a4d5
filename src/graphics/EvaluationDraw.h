#pragma once
// What the evaluations add to a plot over time: the segments of the temperature program as light
// bands captioned with their rates, a label at the top of each thermal effect with its onset and
// heat (and the purity or crystallinity evaluated on it), the construction of the effect the
// results list points at, and the glass transitions with their constructions and the draggable
// ends of their fitted stretches. Drawn in graph coordinates on the experiment's surface, like the
// other annotations.

#include <vector>

namespace kalvero {

class TDataClass;
class TDataCanvas;

// Behind the curves (modes over time); nothing for a record of one segment.
void DrawSegmentBands(TDataClass& aData, TDataCanvas& aCanvas);
// Over the peaks of the dT view over time, when the experiment shows them (fShowEffectLabels).
void DrawEffectLabels(TDataClass& aData, TDataCanvas& aCanvas);
// The construction of the peak the results list points at (fHighlightedPeak), ISO 11357-1: the
// inflectional tangents to the base line, the height at the top, the width at half height, and
// the marks Ti, Tei, Tp, Tef and Tf.
void DrawHighlightedEffect(TDataClass& aData, TDataCanvas& aCanvas);
// The evaluations kept with the experiment (dT view over time): each glass transition's two fitted
// lines, tangent, middle line and step height, the marks of onset, midpoint, inflection and end, a
// label, and a handle at each end of the fitted stretches; each purity's first and last fraction
// melted on its peak (ASTM E928's stretch of the van't Hoff plot).
void DrawEvaluations(TDataClass& aData, TDataCanvas& aCanvas);

// The screen positions (surface pixels) of the stretch ends' handles, as drawing places them, for
// the list of draggable points: objID the glass transition, pointID 0 … 3 the end (beforeFrom,
// beforeTo, afterFrom, afterTo).
void AppendEvaluationCoords(TDataClass& aData, TDataCanvas& aCanvas);

}  // namespace kalvero
