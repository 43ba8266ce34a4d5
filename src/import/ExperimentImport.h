#pragma once
// A foreign run made an experiment in physical units (data/PhysicalExperiment.h), and the one door
// through which the command line and the desktop read any experiment: a file of this program by
// its header, a text export of another instrument by its content.

#include <string>
#include <vector>

#include "import/ImportedRun.h"

namespace kalvero {

class TDataClass;

// aData replaced by the run read from aSourceFile: one channel in the run's units, the segments of
// a segment column, the description the file gave. What had to be assumed, estimated or changed
// (the run's own warnings included) is appended to aWarnings. EPhysicalRunException (aData then
// untouched) for a run that is no record.
void ExperimentFromImport(TDataClass& aData, const TImportedRun& aRun, const std::string& aSourceFile,
                          std::vector<std::string>& aWarnings);

// Whether the file at aPath is a text export the importers read rather than an experiment file.
bool IsForeignDataFile(const std::string& aPath);

// Reads aPath into aData, replacing its content: an experiment file through LoadFromFile, a text
// export through the importers with aOptions, its warnings kept in aData.LastLoadWarnings(). The
// importers' errors (EImportError) propagate; a failed import leaves aData as it was.
void LoadAnyExperimentFile(TDataClass& aData, const std::string& aPath, const TImportOptions& aOptions = {});

}  // namespace kalvero
