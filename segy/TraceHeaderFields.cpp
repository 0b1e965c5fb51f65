#include "segy/TraceHeaderFields.h"

#include "segy/ByteOrder.h"
#include "segy/DecimalText.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace segy {

namespace {

// Byte positions, widths and meanings are the SEG-Y revision 2.1 standard's.
// Bytes 219-224 hold three 2-byte inclinations in the standard; libraries
// that read a 4-byte mantissa and a 2-byte exponent there (segyio among
// them) disagree, so segyio's names for them are not accepted here.
constexpr TraceHeaderField kFields[] = {
    {1, FieldType::Int32, "TRACE_SEQUENCE_LINE", "tracl", "Trace number counted along the line",
     FieldScalar::None},
    {5, FieldType::Int32, "TRACE_SEQUENCE_FILE", "tracr", "Trace number counted within this file",
     FieldScalar::None},
    {9, FieldType::Int32, "FieldRecord", "fldr", "Field record (shot) number as recorded",
     FieldScalar::None},
    {13, FieldType::Int32, "TraceNumber", "tracf", "Channel number within the field record",
     FieldScalar::None},
    {17, FieldType::Int32, "EnergySourcePoint", "ep", "Source point number", FieldScalar::None},
    {21, FieldType::Int32, "CDP", "cdp", "Ensemble number (CDP, CMP, CRP bin)", FieldScalar::None},
    {25, FieldType::Int32, "CDP_TRACE", "cdpt", "Trace number within the ensemble",
     FieldScalar::None},
    {29, FieldType::Int16, "TraceIdentificationCode", "trid",
     "Kind of trace: 1 seismic, 2 dead, 3 dummy and so on", FieldScalar::None},
    {31, FieldType::Int16, "NSummedTraces", "nvs", "Vertically summed traces in this one",
     FieldScalar::None},
    {33, FieldType::Int16, "NStackedTraces", "nhs", "Horizontally stacked traces in this one",
     FieldScalar::None},
    {35, FieldType::Int16, "DataUse", "duse", "1 production, 2 test", FieldScalar::None},
    {37, FieldType::Int32, "offset", "offset",
     "Distance from source to receiver group, negative behind the source", FieldScalar::None},
    {41, FieldType::Int32, "ReceiverGroupElevation", "gelev", "Elevation of the receiver group",
     FieldScalar::Elevation},
    {45, FieldType::Int32, "SourceSurfaceElevation", "selev", "Surface elevation at the source",
     FieldScalar::Elevation},
    {49, FieldType::Int32, "SourceDepth", "sdepth", "Depth of the source below the surface",
     FieldScalar::Elevation},
    {53, FieldType::Int32, "ReceiverDatumElevation", "gdel",
     "Datum elevation at the receiver group", FieldScalar::Elevation},
    {57, FieldType::Int32, "SourceDatumElevation", "sdel", "Datum elevation at the source",
     FieldScalar::Elevation},
    {61, FieldType::Int32, "SourceWaterDepth", "swdep", "Water depth at the source",
     FieldScalar::Elevation},
    {65, FieldType::Int32, "GroupWaterDepth", "gwdep", "Water depth at the receiver group",
     FieldScalar::Elevation},
    {69, FieldType::Int16, "ElevationScalar", "scalel",
     "Scalar for the elevations and depths of bytes 41-68", FieldScalar::None},
    {71, FieldType::Int16, "SourceGroupScalar", "scalco",
     "Scalar for the coordinates of bytes 73-88 and 181-188", FieldScalar::None},
    {73, FieldType::Int32, "SourceX", "sx", "Source X coordinate (easting or longitude)",
     FieldScalar::Coordinate},
    {77, FieldType::Int32, "SourceY", "sy", "Source Y coordinate (northing or latitude)",
     FieldScalar::Coordinate},
    {81, FieldType::Int32, "GroupX", "gx", "Receiver group X coordinate", FieldScalar::Coordinate},
    {85, FieldType::Int32, "GroupY", "gy", "Receiver group Y coordinate", FieldScalar::Coordinate},
    {89, FieldType::Int16, "CoordinateUnits", "counit",
     "Coordinate units: 1 length, 2 arc seconds, 3 degrees, 4 DMS", FieldScalar::None},
    {91, FieldType::Int16, "WeatheringVelocity", "wevel", "Weathering velocity", FieldScalar::None},
    {93, FieldType::Int16, "SubWeatheringVelocity", "swevel", "Subweathering velocity",
     FieldScalar::None},
    {95, FieldType::Int16, "SourceUpholeTime", "sut", "Uphole time at the source, ms",
     FieldScalar::Time},
    {97, FieldType::Int16, "GroupUpholeTime", "gut", "Uphole time at the receiver group, ms",
     FieldScalar::Time},
    {99, FieldType::Int16, "SourceStaticCorrection", "sstat", "Static correction at the source, ms",
     FieldScalar::Time},
    {101, FieldType::Int16, "GroupStaticCorrection", "gstat",
     "Static correction at the receiver group, ms", FieldScalar::Time},
    {103, FieldType::Int16, "TotalStaticApplied", "tstat", "Total static applied, ms",
     FieldScalar::Time},
    {105, FieldType::Int16, "LagTimeA", "laga",
     "Lag between the header time break and the shot, ms", FieldScalar::Time},
    {107, FieldType::Int16, "LagTimeB", "lagb",
     "Lag between the shot and the start of recording, ms", FieldScalar::Time},
    {109, FieldType::Int16, "DelayRecordingTime", "delrt",
     "Time of the first sample after the shot, ms", FieldScalar::Time},
    {111, FieldType::Int16, "MuteTimeStart", "muts", "Start of the mute, ms", FieldScalar::Time},
    {113, FieldType::Int16, "MuteTimeEND", "mute", "End of the mute, ms", FieldScalar::Time},
    {115, FieldType::Int16, "TRACE_SAMPLE_COUNT", "ns",
     "Samples in this trace (unsigned from revision 2)", FieldScalar::None},
    {117, FieldType::Int16, "TRACE_SAMPLE_INTERVAL", "dt",
     "Sample interval of this trace, microseconds", FieldScalar::None},
    {119, FieldType::Int16, "GainType", "gain", "Gain type of the field instruments",
     FieldScalar::None},
    {121, FieldType::Int16, "InstrumentGainConstant", "igc", "Instrument gain constant, dB",
     FieldScalar::None},
    {123, FieldType::Int16, "InstrumentInitialGain", "igi", "Instrument early or initial gain, dB",
     FieldScalar::None},
    {125, FieldType::Int16, "Correlated", "corr", "Correlated: 1 no, 2 yes", FieldScalar::None},
    {127, FieldType::Int16, "SweepFrequencyStart", "sfs", "Sweep frequency at start, Hz",
     FieldScalar::None},
    {129, FieldType::Int16, "SweepFrequencyEnd", "sfe", "Sweep frequency at end, Hz",
     FieldScalar::None},
    {131, FieldType::Int16, "SweepLength", "slen", "Sweep length, ms", FieldScalar::None},
    {133, FieldType::Int16, "SweepType", "styp",
     "Sweep type: 1 linear, 2 parabolic, 3 exponential, 4 other", FieldScalar::None},
    {135, FieldType::Int16, "SweepTraceTaperLengthStart", "stas", "Sweep taper length at start, ms",
     FieldScalar::None},
    {137, FieldType::Int16, "SweepTraceTaperLengthEnd", "stae", "Sweep taper length at end, ms",
     FieldScalar::None},
    {139, FieldType::Int16, "TaperType", "tatyp", "Taper type: 1 linear, 2 cosine squared, 3 other",
     FieldScalar::None},
    {141, FieldType::Int16, "AliasFilterFrequency", "afilf", "Anti-alias filter frequency, Hz",
     FieldScalar::None},
    {143, FieldType::Int16, "AliasFilterSlope", "afils", "Anti-alias filter slope, dB per octave",
     FieldScalar::None},
    {145, FieldType::Int16, "NotchFilterFrequency", "nofilf", "Notch filter frequency, Hz",
     FieldScalar::None},
    {147, FieldType::Int16, "NotchFilterSlope", "nofils", "Notch filter slope, dB per octave",
     FieldScalar::None},
    {149, FieldType::Int16, "LowCutFrequency", "lcf", "Low-cut frequency, Hz", FieldScalar::None},
    {151, FieldType::Int16, "HighCutFrequency", "hcf", "High-cut frequency, Hz", FieldScalar::None},
    {153, FieldType::Int16, "LowCutSlope", "lcs", "Low-cut slope, dB per octave",
     FieldScalar::None},
    {155, FieldType::Int16, "HighCutSlope", "hcs", "High-cut slope, dB per octave",
     FieldScalar::None},
    {157, FieldType::Int16, "YearDataRecorded", "year", "Year the data were recorded",
     FieldScalar::None},
    {159, FieldType::Int16, "DayOfYear", "day", "Day of the year", FieldScalar::None},
    {161, FieldType::Int16, "HourOfDay", "hour", "Hour of the day, 24-hour clock",
     FieldScalar::None},
    {163, FieldType::Int16, "MinuteOfHour", "minute", "Minute of the hour", FieldScalar::None},
    {165, FieldType::Int16, "SecondOfMinute", "sec", "Second of the minute", FieldScalar::None},
    {167, FieldType::Int16, "TimeBaseCode", "timbas",
     "Time basis: 1 local, 2 GMT, 3 other, 4 UTC, 5 GPS", FieldScalar::None},
    {169, FieldType::Int16, "TraceWeightingFactor", "trwf",
     "Trace weighting factor, 2 to the power of minus this", FieldScalar::None},
    {171, FieldType::Int16, "GeophoneGroupNumberRoll1", "grnors",
     "Receiver group number at roll switch position one", FieldScalar::None},
    {173, FieldType::Int16, "GeophoneGroupNumberFirstTraceOrigField", "grnofr",
     "Receiver group number of the first trace of the field record", FieldScalar::None},
    {175, FieldType::Int16, "GeophoneGroupNumberLastTraceOrigField", "grnlof",
     "Receiver group number of the last trace of the field record", FieldScalar::None},
    {177, FieldType::Int16, "GapSize", "gaps", "Gap size: groups dropped", FieldScalar::None},
    {179, FieldType::Int16, "OverTravel", "otrav",
     "Overtravel with the taper: 1 down or behind, 2 up or ahead", FieldScalar::None},
    {181, FieldType::Int32, "CDP_X", "cdpx", "X coordinate of the ensemble (CDP) position",
     FieldScalar::Coordinate},
    {185, FieldType::Int32, "CDP_Y", "cdpy", "Y coordinate of the ensemble (CDP) position",
     FieldScalar::Coordinate},
    {189, FieldType::Int32, "INLINE_3D", "iline", "Inline number of a 3D survey",
     FieldScalar::None},
    {193, FieldType::Int32, "CROSSLINE_3D", "xline", "Crossline number of a 3D survey",
     FieldScalar::None},
    {197, FieldType::Int32, "ShotPoint", "sp", "Shotpoint number, usually of a 2D line",
     FieldScalar::ShotPoint},
    {201, FieldType::Int16, "ShotPointScalar", "scalsp",
     "Scalar for the shotpoint of bytes 197-200", FieldScalar::None},
    {203, FieldType::Int16, "TraceValueMeasurementUnit", "trunit",
     "Unit of the sample values: 0 unknown, 1 pascal, 2 volts and so on", FieldScalar::None},
    {205, FieldType::Int32, "TransductionConstantMantissa", "tdcm",
     "Transduction constant: mantissa", FieldScalar::None},
    {209, FieldType::Int16, "TransductionConstantPower", "tdcp",
     "Transduction constant: power of ten", FieldScalar::None},
    {211, FieldType::Int16, "TransductionUnit", "tdunit",
     "Unit the transduction constant converts to", FieldScalar::None},
    {213, FieldType::Int16, "TraceIdentifier", "triden", "Device or trace identifier",
     FieldScalar::None},
    {215, FieldType::Int16, "ScalarTraceHeader", "sctrh", "Scalar for the times of bytes 95-114",
     FieldScalar::None},
    {217, FieldType::Int16, "SourceType", "stype", "Source type and orientation",
     FieldScalar::None},
    {219, FieldType::Int16, "SourceEnergyDirectionVertical", "",
     "Source energy direction: vertical inclination, tenths of degrees", FieldScalar::None},
    {221, FieldType::Int16, "SourceEnergyDirectionCrossline", "",
     "Source energy direction: crossline inclination, tenths of degrees", FieldScalar::None},
    {223, FieldType::Int16, "SourceEnergyDirectionInline", "",
     "Source energy direction: inline inclination, tenths of degrees", FieldScalar::None},
    {225, FieldType::Int32, "SourceMeasurementMantissa", "smmant", "Source measurement: mantissa",
     FieldScalar::None},
    {229, FieldType::Int16, "SourceMeasurementExponent", "smexp",
     "Source measurement: power of ten", FieldScalar::None},
    {231, FieldType::Int16, "SourceMeasurementUnit", "smunit", "Unit of the source measurement",
     FieldScalar::None},
    {233, FieldType::Int32, "UnassignedInt1", "",
     "First half of bytes 233-240: binary zeros or the header name SEG00000", FieldScalar::None},
    {237, FieldType::Int32, "UnassignedInt2", "",
     "Second half of bytes 233-240: binary zeros or the header name SEG00000", FieldScalar::None},
};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::span<const TraceHeaderField> StandardTraceHeaderFields() {
    return kFields;
}

const TraceHeaderField* FieldStartingAt(int firstByte) {
    for (const TraceHeaderField& field : kFields)
        if (field.firstByte == firstByte)
            return &field;
    return nullptr;
}

const TraceHeaderField* FindTraceHeaderField(std::string_view nameOrByte) {
    int32_t byte = 0;
    if (ParseDecimalInteger(std::string(nameOrByte), byte))
        return FieldStartingAt(byte);
    for (const TraceHeaderField& field : kFields)
        if (SameName(field.name, nameOrByte) ||
            (!field.aliases.empty() && SameName(field.aliases, nameOrByte)))
            return &field;
    return nullptr;
}

std::vector<const TraceHeaderField*> FieldsOverlapping(int firstByte, int lastByte) {
    std::vector<const TraceHeaderField*> fields;
    for (const TraceHeaderField& field : kFields)
        if (field.firstByte <= lastByte && field.LastByte() >= firstByte)
            fields.push_back(&field);
    return fields;
}

std::string DescribeFields(int firstByte, int lastByte) {
    std::string text;
    for (const TraceHeaderField* field : FieldsOverlapping(firstByte, lastByte)) {
        if (!text.empty())
            text += '\n';
        text += field->name;
        if (!field->aliases.empty())
            text.append(" (").append(field->aliases).append(")");
        text += ", bytes " + std::to_string(field->firstByte) + "-" +
                std::to_string(field->LastByte()) +
                (field->type == FieldType::Int16 ? ", 2-byte integer: " : ", 4-byte integer: ");
        text += field->description;
        if (const int scalar = ScalarFieldByte(field->scalar))
            text +=
                "; scaled by bytes " + std::to_string(scalar) + "-" + std::to_string(scalar + 1);
    }
    return text;
}

int32_t HeaderWordValue(const unsigned char* header, int firstByte, FieldType type,
                        int32_t littleEndian) {
    const unsigned char* at = header + firstByte - 1;
    if (type == FieldType::Int16)
        return static_cast<int16_t>(Load16(at, littleEndian));
    return static_cast<int32_t>(Load32(at, littleEndian));
}

int32_t FieldValue(const unsigned char* header, const TraceHeaderField& field,
                   int32_t littleEndian) {
    return HeaderWordValue(header, field.firstByte, field.type, littleEndian);
}

int ScalarFieldByte(FieldScalar scalar) {
    switch (scalar) {
    case FieldScalar::Elevation:
        return 69;
    case FieldScalar::Coordinate:
        return 71;
    case FieldScalar::Time:
        return 215;
    case FieldScalar::ShotPoint:
        return 201;
    default:
        return 0;
    }
}

} // namespace segy
