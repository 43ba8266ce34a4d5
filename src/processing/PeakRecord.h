#pragma once
// A peak as a plain record, to be kept with the experiment and built again from it: its key in
// the experiment's collection, margins, top, kind of base line and every cut line as the operator
// left it (dragged margins, base-line points, top and onset tangent included).

#include <cstdint>
#include <string>
#include <vector>

#include "processing/CurveObjects.h"

namespace kalvero {

class TDataClass;
class TPeak;

struct TPeakRecord {
    std::string key;
    int32_t begX = 0, endX = 0, top = 0;
    uint8_t kind = 0;                // TPeakBaseLineKind
    uint8_t state = 0;               // TPeakState
    std::vector<TCutLine> cutLines;  // points' x and y; their screen positions are drawing's
    std::string comment;
};

TPeakRecord PeakRecordOf(const TPeak& aPeak, const std::string& aKey);

// Adds the peak of aRecord to aData (integrated over its base line) under its key. False, with
// nothing added, when the record does not fit the experiment: margins outside the record or
// without width, fewer than the four lines every peak has, a line without its two points, an
// unknown kind.
bool AddPeakFromRecord(TDataClass& aData, const TPeakRecord& aRecord);

}  // namespace kalvero
