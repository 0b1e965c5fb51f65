// Requests for several byte ranges and the multipart answers to them.
#include "remote/ByteRanges.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using remote::RangePart;

TEST(ByteRanges, ListJoinsRangesThatTouchOrOverlapAndSortsThem) {
    EXPECT_EQ(remote::RangeList({{6240, 6479}, {0, 239}}), "0-239,6240-6479");
    EXPECT_EQ(remote::RangeList({{0, 239}, {240, 479}, {400, 500}, {502, 502}}), "0-500,502-502");
    EXPECT_EQ(remote::RangeList({{5, 9}}), "5-9");
}

TEST(ByteRanges, ContentRangeIsReadWithOrWithoutTheTotal) {
    RangePart part;
    ASSERT_TRUE(remote::ParseContentRange(" bytes 10-19/1234\r\n", part));
    EXPECT_EQ(part.first, 10);
    EXPECT_EQ(part.last, 19);
    EXPECT_EQ(part.total, 1234);
    ASSERT_TRUE(remote::ParseContentRange("Bytes 0-0/*", part));
    EXPECT_EQ(part.total, -1);
    for (const char* bad : {"bytes 19-10/50", "bytes -1-3/9", "items 0-1/2", "bytes 0-1/x",
                            "bytes 0-9223372036854775807/1", "bytes 0-"})
        EXPECT_FALSE(remote::ParseContentRange(bad, part)) << bad;
}

std::string Part(const std::string& boundary, const std::string& range, const std::string& data) {
    return "\r\n--" + boundary +
           "\r\nContent-Type: application/octet-stream\r\nContent-Range: " + range + "\r\n\r\n" +
           data;
}

TEST(ByteRanges, MultipartAnswerSplitsIntoItsParts) {
    // The data may hold anything, the boundary's text included.
    const std::string data2 = "\r\n--xyz\r\n";
    const std::string body = "preamble" + Part("xyz", "bytes 4-7/100", "ABCD") +
                             Part("xyz", "bytes 50-58/100", data2) + "\r\n--xyz--\r\n";
    std::vector<RangePart> parts;
    ASSERT_TRUE(remote::SplitByteRanges(body, "multipart/byteranges; boundary=\"xyz\"", "", parts));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(body.substr(parts[0].at, 4), "ABCD");
    EXPECT_EQ(parts[0].first, 4);
    EXPECT_EQ(parts[1].first, 50);
    EXPECT_EQ(parts[1].total, 100);
    EXPECT_EQ(body.substr(parts[1].at, 9), data2);
}

TEST(ByteRanges, OnePartAnswerIsTakenFromItsContentRange) {
    std::vector<RangePart> parts;
    ASSERT_TRUE(
        remote::SplitByteRanges("ABCD", "application/octet-stream", "bytes 4-7/100", parts));
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].at, 0u);
    EXPECT_FALSE(remote::SplitByteRanges("ABC", "", "bytes 4-7/100", parts));
    EXPECT_FALSE(remote::SplitByteRanges("ABCD", "", "", parts));
}

TEST(ByteRanges, MalformedOrCutMultipartAnswersAreRefused) {
    const std::string type = "multipart/byteranges; boundary=b";
    const std::string whole = Part("b", "bytes 0-3/9", "ABCD") + "\r\n--b--\r\n";
    std::vector<RangePart> parts;
    ASSERT_TRUE(remote::SplitByteRanges(whole, type, "", parts));
    // Cut anywhere before its closing delimiter, the answer is refused.
    for (size_t length = 0; length + 4 < whole.size(); ++length)
        EXPECT_FALSE(remote::SplitByteRanges(whole.substr(0, length), type, "", parts)) << length;
    EXPECT_FALSE(remote::SplitByteRanges(Part("b", "bytes 0-99/200", "AB") + "\r\n--b--\r\n", type,
                                         "", parts));
    EXPECT_FALSE(remote::SplitByteRanges("\r\n--b\r\n\r\nABCD\r\n--b--\r\n", type, "", parts));
    EXPECT_FALSE(remote::SplitByteRanges("\r\n--b--\r\n", type, "", parts));
}

} // namespace
