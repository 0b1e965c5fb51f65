// The standard trace header's fields: their layout, the names users type,
// the descriptions the grid shows, and the standard's scalars.
#include "segy/TraceHeaderFields.h"

#include <gtest/gtest.h>

using namespace segy;

TEST(TraceHeaderFields, CoverTheHeaderInByteOrder) {
    int next = 1;
    for (const TraceHeaderField& field : StandardTraceHeaderFields()) {
        EXPECT_EQ(field.firstByte, next) << field.name;
        next = field.LastByte() + 1;
    }
    EXPECT_EQ(next, 241);
}

TEST(TraceHeaderFields, AreFoundByNameAliasOrFirstByte) {
    const TraceHeaderField* iline = FindTraceHeaderField("iline");
    ASSERT_NE(iline, nullptr);
    EXPECT_EQ(iline->firstByte, 189);
    EXPECT_EQ(FindTraceHeaderField("INLINE_3D"), iline);
    EXPECT_EQ(FindTraceHeaderField("inline_3d"), iline);
    EXPECT_EQ(FindTraceHeaderField("189"), iline);
    EXPECT_EQ(FindTraceHeaderField("xline")->firstByte, 193);
    EXPECT_EQ(FindTraceHeaderField("scalco")->firstByte, 71);
    EXPECT_EQ(FindTraceHeaderField("offset")->Width(), 4);
    EXPECT_EQ(FindTraceHeaderField("TRACE_SAMPLE_COUNT")->firstByte, 115);
    EXPECT_EQ(FindTraceHeaderField("190"), nullptr); // inside a field
    EXPECT_EQ(FindTraceHeaderField("ilin"), nullptr);
    EXPECT_EQ(FindTraceHeaderField(""), nullptr);
}

TEST(TraceHeaderFields, DescribeTheBytesOfAGridRow) {
    // The 4-byte row of bytes 69-72 holds both scalars; the 2-byte row of
    // bytes 75-76 is the second half of the source X.
    const std::string scalars = DescribeFields(69, 72);
    EXPECT_NE(scalars.find("ElevationScalar (scalel), bytes 69-70"), std::string::npos);
    EXPECT_NE(scalars.find("\nSourceGroupScalar (scalco), bytes 71-72"), std::string::npos);
    EXPECT_EQ(DescribeFields(75, 76).rfind("SourceX (sx), bytes 73-76, 4-byte integer", 0), 0u);
    EXPECT_NE(DescribeFields(181, 184).find("scaled by bytes 71-72"), std::string::npos);
    EXPECT_NE(DescribeFields(197, 200).find("scaled by bytes 201-202"), std::string::npos);
}

TEST(TraceHeaderFields, ValuesAndScalars) {
    unsigned char header[240] = {};
    header[188] = 0x00; // INLINE_3D = 1234 big endian at bytes 189-192
    header[190] = 0x04;
    header[191] = 0xD2;
    header[70] = 0xFF; // SourceGroupScalar = -100 at 71-72
    header[71] = 0x9C;
    EXPECT_EQ(FieldValue(header, *FindTraceHeaderField("iline"), 0), 1234);
    EXPECT_EQ(FieldValue(header, *FindTraceHeaderField("scalco"), 0), -100);
    EXPECT_EQ(ApplyScalar(6201972, -100), 62019.72);
    EXPECT_EQ(ApplyScalar(12, 10), 120.0);
    EXPECT_EQ(ApplyScalar(12, 0), 12.0);
    EXPECT_EQ(ApplyScalar(INT32_MIN, INT32_MIN), -1.0); // no overflow in the magnitude
}
