#pragma once
// Root of the objects that keyed collections own (peaks, tangents, bubbles, plug-in data).

#include <string>

namespace kalvero {

class TObject {
public:
    virtual ~TObject() = default;
    // The class name without its namespace, e.g. "TPeak"; shown in collection dumps and logs.
    virtual std::string ClassName() const;
};

}  // namespace kalvero
