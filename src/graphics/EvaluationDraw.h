#pragma once
// What the evaluations add to a plot over time: the segments of the temperature program as light
// bands captioned with their rates, and a label at the top of each thermal effect with its onset
// and heat. Drawn in graph coordinates on the experiment's surface, like the other annotations.

namespace kalvero {

class TDataClass;
class TDataCanvas;

// Behind the curves (modes over time); nothing for a record of one segment.
void DrawSegmentBands(TDataClass& aData, TDataCanvas& aCanvas);
// Over the peaks of the dT view over time, when the experiment shows them (fShowEffectLabels).
void DrawEffectLabels(TDataClass& aData, TDataCanvas& aCanvas);
// The construction of the peak the results list points at (fHighlightedPeak): both inflectional
// tangents from their steepest points to the base line, where the onset and endset are read.
void DrawHighlightedEffect(TDataClass& aData, TDataCanvas& aCanvas);

}  // namespace kalvero
