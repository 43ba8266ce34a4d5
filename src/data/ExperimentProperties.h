#pragma once
// What the experiment-properties dialog ("Свойства эксперимента") shows and sets: the
// description, date, mass, heating rate and per-experiment scales of one experiment. New
// operator, laboratory and sample names join the configuration's word lists, which are stored
// at once.

#include <string>
#include <vector>

#include "common/DateTime.h"

namespace kalvero {

class TAppConfig;
class TDataClass;

struct RPropertiesForm {
    std::string operatorName, laboratory, sample, description, mass, heatSpeed;
    RDateTimeParts date;                                                     // the day and the time of day
    std::string frequency;                                                   // read-only
    int timeScale = -1, tempScale = -1, diffTempScale = -1, areaScale = -1;  // list positions
    // The four range labels (debug mode): dT from, dT to, T from, T to.
    std::vector<std::string> rangeLabels;
};

// The form on activation. A date the date field cannot show (before 1752-09-14, after 9999, not
// a number) becomes the present moment; a day without a time of day shows 00:00:00.001.
RPropertiesForm PropertiesForm(const TDataClass& aDataClass, const TAppConfig& aConfig);

// OK, in the dialog's order: date and the unsaved-changes flag; names trimmed, new ones added to
// the word lists (SaveLibSettings once a list grew); description (255 characters at most);
// mass; time scale, heating rate (an empty choice keeps it) and the scales. The first failure
// propagates and leaves the assignments before it made. Returns whether a word list grew.
bool ApplyProperties(const RPropertiesForm& aForm, TDataClass& aDataClass, TAppConfig& aConfig);

}  // namespace kalvero
