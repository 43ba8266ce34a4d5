#include "data/DataFileHeader.h"

#include <algorithm>

#include "common/BinaryIO.h"

namespace kalvero {

std::string EncodeHeader(const TOldDtaFileHeader& h) {
    TBinaryWriter w;
    w.WriteShortString(h.Title, 30);
    w.WriteShortString(h.FileFormatVersion, 5);
    w.WriteShortString(h.AppVersion, 20);
    w.WriteShortString(h.LaboratoryName, 100);
    w.WriteShortString(h.ReservedStr, 96);
    w.Write(h.TempOffset);
    w.WriteShortString(h.ExperimentDate, 255);
    w.WriteShortString(h.SampleName, 255);
    w.WriteShortString(h.OperatorName, 255);
    w.WriteShortString(h.Comments, 255);
    for (int32_t v :
         {h.BegYSel, h.EndYSel, h.BegXSel, h.EndXSel, h.EndY, h.BegY, h.BegX, h.EndX, h.ItemCount}) {
        w.Write(v);
    }
    w.Write(h.ScanEndPoint);
    w.Write(h.HeatSpeed);
    w.Write(h.Reserved3);
    w.WriteZeros(2);
    w.Write(h.DiffTempScale);
    w.WriteExtended(h.BegDiffTempOffset);
    w.WriteZeros(6);
    w.WriteExtended(h.BegTempOffset);
    w.WriteZeros(6);
    w.WriteExtended(h.TempRatio);
    w.WriteZeros(2);
    w.Write(h.TempScale);
    w.WriteExtended(h.TimeRatio);
    w.WriteZeros(2);
    w.Write(h.TimeScale);
    w.Write(h.Weight);
    w.WriteShortString(h.FileVersion, 5);
    w.WriteZeros(2);
    w.Write(h.BegTemp);
    w.Write(h.EndTemp);
    w.Write(h.AreaScale);
    w.Write(h.NumberOfChannels);
    return w.Data();
}

TOldDtaFileHeader DecodeHeader(std::string_view aBytes) {
    std::string bytes(aBytes.substr(0, std::min(aBytes.size(), DATAFILE_HEADER_SIZE)));
    bytes.resize(DATAFILE_HEADER_SIZE, '\0');
    TBinaryReader r(bytes);
    TOldDtaFileHeader h;
    h.Title = r.ReadShortString(30);
    h.FileFormatVersion = r.ReadShortString(5);
    h.AppVersion = r.ReadShortString(20);
    h.LaboratoryName = r.ReadShortString(100);
    h.ReservedStr = r.ReadShortString(96);
    h.TempOffset = r.Read<int32_t>();
    h.ExperimentDate = r.ReadShortString(255);
    h.SampleName = r.ReadShortString(255);
    h.OperatorName = r.ReadShortString(255);
    h.Comments = r.ReadShortString(255);
    for (int32_t* f :
         {&h.BegYSel, &h.EndYSel, &h.BegXSel, &h.EndXSel, &h.EndY, &h.BegY, &h.BegX, &h.EndX, &h.ItemCount}) {
        *f = r.Read<int32_t>();
    }
    h.ScanEndPoint = r.Read<uint32_t>();
    h.HeatSpeed = r.Read<float>();
    h.Reserved3 = r.Read<uint16_t>();
    r.Skip(2);
    h.DiffTempScale = r.Read<int32_t>();
    h.BegDiffTempOffset = r.ReadExtended();
    r.Skip(6);
    h.BegTempOffset = r.ReadExtended();
    r.Skip(6);
    h.TempRatio = r.ReadExtended();
    r.Skip(2);
    h.TempScale = r.Read<int32_t>();
    h.TimeRatio = r.ReadExtended();
    r.Skip(2);
    h.TimeScale = r.Read<int32_t>();
    h.Weight = r.Read<double>();
    h.FileVersion = r.ReadShortString(5);
    r.Skip(2);
    h.BegTemp = r.Read<int32_t>();
    h.EndTemp = r.Read<int32_t>();
    h.AreaScale = r.Read<int32_t>();
    h.NumberOfChannels = r.Read<int32_t>();
    return h;
}

}  // namespace kalvero
