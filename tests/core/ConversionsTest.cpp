#include "segy/Conversions.h"

#include "segy/ByteOrder.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

using namespace segy;

namespace {

unsigned char Ebcdic(unsigned char code) {
    unsigned char out = 0;
    EbcdicToAscii(&code, &out, 1);
    return out;
}

uint32_t IbmResultBits(std::initializer_list<unsigned char> bytes) {
    const std::vector<unsigned char> in(bytes);
    float out = -99.0f;
    IbmToIeee(in.data(), &out, 1);
    return FloatToBits(out);
}

// The IEEE bits of an IBM value by plain arithmetic: the 24-bit fraction
// times 16^(E - 64) / 2^24 fits a double exactly, and a single exactly while
// it lies in the normal range; below it the result is +0, beyond it infinity.
uint32_t ArithmeticIeeeBits(uint32_t ibm) {
    const uint32_t fraction = ibm & 0x00FFFFFFu;
    const int exponent = static_cast<int>((ibm >> 24) & 0x7F);
    if (fraction == 0)
        return 0;
    const double magnitude = std::ldexp(static_cast<double>(fraction), 4 * (exponent - 64) - 24);
    if (magnitude < FLT_MIN)
        return 0;
    const float value = static_cast<float>(magnitude);
    return FloatToBits((ibm & 0x80000000u) ? -value : value);
}

} // namespace

TEST(EbcdicToAscii, TranslatesTheCharactersATextHeaderHolds) {
    EXPECT_EQ(Ebcdic(0x40), ' ');
    EXPECT_EQ(Ebcdic(0xC1), 'A');
    EXPECT_EQ(Ebcdic(0xE9), 'Z');
    EXPECT_EQ(Ebcdic(0x81), 'a');
    EXPECT_EQ(Ebcdic(0xF0), '0');
    EXPECT_EQ(Ebcdic(0xF9), '9');
    EXPECT_EQ(Ebcdic(0x4A), '[');
    EXPECT_EQ(Ebcdic(0x5A), ']');
    EXPECT_EQ(Ebcdic(0x4F), '!');
    EXPECT_EQ(Ebcdic(0x5F), '^');
    EXPECT_EQ(Ebcdic(0x79), '`');
    EXPECT_EQ(Ebcdic(0xA1), '~');
    EXPECT_EQ(Ebcdic(0xC0), '{');
    EXPECT_EQ(Ebcdic(0xD0), '}');
    EXPECT_EQ(Ebcdic(0xE0), '\\');
    EXPECT_EQ(Ebcdic(0x6A), '|');
    EXPECT_EQ(Ebcdic(0xBB), 0xFF);
    EXPECT_EQ(Ebcdic(0x25), '\n');
    EXPECT_EQ(Ebcdic(0x00), 0x00);
}

TEST(EbcdicToAscii, EveryAsciiCodeComesFromExactlyOneEbcdicCode) {
    int sources[128] = {};
    int unmapped = 0;
    for (int code = 0; code < 256; ++code) {
        const unsigned char c = Ebcdic(static_cast<unsigned char>(code));
        if (c == 0xFF)
            ++unmapped;
        else
            ++sources[c];
    }
    for (int c = 0; c < 128; ++c)
        EXPECT_EQ(sources[c], 1) << "ASCII code " << c;
    EXPECT_EQ(unmapped, 128);
}

TEST(EbcdicToAscii, AnAsciiTextTranslatedAsEbcdicComesOutGarbled) {
    const unsigned char ascii[] = {'A', ' ', 'J'};
    unsigned char out[3] = {};
    EbcdicToAscii(ascii, out, 3);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(out[2], '[');
}

TEST(EbcdicToAscii, DoesNothingForALengthOfZeroOrLess) {
    const unsigned char in[] = {0xC1};
    unsigned char out[] = {0x55};
    EbcdicToAscii(in, out, 0);
    EbcdicToAscii(in, out, -3);
    EXPECT_EQ(out[0], 0x55);
}

TEST(SwapBinaryHeader, ReversesEachStandardFieldAndLeavesTheRest) {
    unsigned char source[400];
    unsigned char destination[400];
    for (int i = 0; i < 400; ++i)
        source[i] = static_cast<unsigned char>(i);
    std::memset(destination, 0xAA, sizeof destination);
    SwapBinaryHeader(source, destination);
    // The three 4-byte words: job, line and reel numbers.
    const unsigned char words[] = {3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8};
    EXPECT_EQ(0, std::memcmp(destination, words, sizeof words));
    // Then 24 two-byte fields up to byte 60.
    for (int offset = 12; offset < 60; offset += 2) {
        EXPECT_EQ(destination[offset], offset + 1);
        EXPECT_EQ(destination[offset + 1], offset);
    }
    for (int i = 60; i < 400; ++i)
        ASSERT_EQ(destination[i], 0xAA) << "byte " << i;
}

TEST(IbmToIeee, ConvertsTheWorkedExamples) {
    EXPECT_EQ(IbmResultBits({0x41, 0x10, 0x00, 0x00}), 0x3F800000u); // 1.0
    EXPECT_EQ(IbmResultBits({0xC2, 0x76, 0xA0, 0x00}), 0xC2ED4000u); // -118.625
    EXPECT_EQ(IbmResultBits({0x42, 0x64, 0x00, 0x00}), 0x42C80000u); // 100.0
    EXPECT_EQ(IbmResultBits({0xC1, 0x10, 0x00, 0x00}), 0xBF800000u); // -1.0
    EXPECT_EQ(IbmResultBits({0x40, 0x19, 0x99, 0x9A}), 0x3DCCCCD0u); // 0.10000002
    EXPECT_EQ(IbmResultBits({0x80, 0x00, 0x00, 0x00}), 0x00000000u); // -0 gives +0
}

TEST(IbmToIeee, AZeroFractionGivesPositiveZeroWhateverSignAndExponent) {
    EXPECT_EQ(IbmResultBits({0xC5, 0x00, 0x00, 0x00}), 0u);
    EXPECT_EQ(IbmResultBits({0x7F, 0x00, 0x00, 0x00}), 0u);
    EXPECT_EQ(IbmResultBits({0x00, 0x00, 0x00, 0x00}), 0u);
}

TEST(IbmToIeee, ValuesBeyondSinglePrecisionSaturateInsteadOfWrapping) {
    // The largest IBM value (about 7.2e75) used to wrap to 0.0625.
    EXPECT_EQ(IbmResultBits({0x7F, 0xFF, 0xFF, 0xFF}), 0x7F800000u);
    EXPECT_EQ(IbmResultBits({0xFF, 0xFF, 0xFF, 0xFF}), 0xFF800000u);
    // 16^32 = 2^128 is the first power of 16 past FLT_MAX.
    EXPECT_EQ(IbmResultBits({0x61, 0x10, 0x00, 0x00}), 0x7F800000u);
    // 16^31 x (1 - 2^-24) still fits.
    EXPECT_EQ(IbmResultBits({0x60, 0xFF, 0xFF, 0xFF}), 0x7F7FFFFFu);
    // Below the smallest normal single the result is +0.0, sign or not.
    EXPECT_EQ(IbmResultBits({0x00, 0x10, 0x00, 0x00}), 0u);
    EXPECT_EQ(IbmResultBits({0xA0, 0x10, 0x00, 0x00}), 0u);
    // 16^-30 x 1/16 = 2^-124 is still a normal single.
    EXPECT_EQ(IbmResultBits({0x22, 0x10, 0x00, 0x00}), 0x01800000u);
}

TEST(IbmToIeee, AgreesWithPlainArithmeticForEverySignExponentAndFractionLength) {
    std::mt19937 random(20261208);
    for (uint32_t top = 0; top < 256; ++top) {
        for (int length = 1; length <= 24; ++length) {
            for (int k = 0; k < 8; ++k) {
                const uint32_t lower = random() & ((1u << (length - 1)) - 1u);
                const uint32_t ibm = (top << 24) | (1u << (length - 1)) | lower;
                ASSERT_EQ(IbmBitsToIeeeBits(ibm), ArithmeticIeeeBits(ibm)) << std::hex << ibm;
            }
        }
    }
    for (int k = 0; k < 1000000; ++k) {
        const uint32_t ibm = random();
        ASSERT_EQ(IbmBitsToIeeeBits(ibm), ArithmeticIeeeBits(ibm)) << std::hex << ibm;
    }
}

TEST(IbmToIeee, ConvertsAWholeRunAndNothingForACountOfZeroOrLess) {
    const unsigned char in[] = {0x41, 0x10, 0x00, 0x00, 0xC2, 0x76, 0xA0, 0x00};
    float out[3] = {7.0f, 7.0f, 7.0f};
    IbmToIeee(in, out, 0);
    IbmToIeee(in, out, -1);
    EXPECT_EQ(out[0], 7.0f);
    IbmToIeee(in, out, 2);
    EXPECT_EQ(out[0], 1.0f);
    EXPECT_EQ(out[1], -118.625f);
    EXPECT_EQ(out[2], 7.0f);
}

TEST(SwapWord, ReversesFourBytesAlsoInPlace) {
    uint32_t word = 0x11223344u;
    uint32_t other = 0;
    SwapWord(&other, &word);
    EXPECT_EQ(other, 0x44332211u);
    SwapWord(&word, &word);
    EXPECT_EQ(word, 0x44332211u);

    uint32_t header[60];
    for (uint32_t i = 0; i < 60; ++i)
        header[i] = i;
    SwapTraceHeader(header, header);
    EXPECT_EQ(header[0], 0u);
    EXPECT_EQ(header[1], 0x01000000u);
    EXPECT_EQ(header[59], 0x3B000000u);
}

TEST(SwapBytePairs, SwapsWholePairsAndLeavesAnOddLastByte) {
    const unsigned char in[] = {1, 2, 3, 4, 5};
    unsigned char out[] = {0, 0, 0, 0, 9};
    SwapBytePairs(in, out, 5);
    const unsigned char expected[] = {2, 1, 4, 3, 9};
    EXPECT_EQ(0, std::memcmp(out, expected, 5));
}
