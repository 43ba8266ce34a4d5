#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/BinaryIO.h"
#include "common/Cp1251.h"
#include "common/DateTime.h"

using namespace kalvero;

TEST(Cp1251, RoundTripsEveryByteAndMapsCyrillic) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
    EXPECT_EQ(Utf8ToCp1251("Температура °С Ёё №"),
              "\xD2\xE5\xEC\xEF\xE5\xF0\xE0\xF2\xF3\xF0\xE0 \xB0\xD1 \xA8\xB8 \xB9");
    EXPECT_EQ(Cp1251ToUtf8("\xC4\xE6"), "Дж");
}

TEST(Cp1251, CharactersWithoutCodeAndBrokenUtf8BecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a\xE2\x82\xAC"), "a\x88");  // the euro sign has a code
    EXPECT_EQ(Utf8ToCp1251("漢x"), "?x");
    EXPECT_EQ(Utf8ToCp1251("\xFF"
                           "b"),
              "?b");
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");       // cut multi-byte sequence
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_TRUE(IsValidUtf8("°С"));
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBFx=\xD0\x94"), "x=Д");
    EXPECT_EQ(DecodeTextFile("x=\xC4"), "x=Д");
    EXPECT_EQ(Utf8Left("ДСК1", 2), "ДС");
    EXPECT_EQ(Utf8Length("ДСК1"), 4u);
}

TEST(BinaryIO, LittleEndianValuesAndShortStrings) {
    TBinaryWriter w;
    w.Write<int32_t>(-2);
    w.Write<uint16_t>(0x1234);
    w.Write<float>(1.5f);
    w.WriteShortString("Проба длинная", 5);
    EXPECT_EQ(w.Data().substr(0, 6), std::string("\xFE\xFF\xFF\xFF\x34\x12", 6));
    EXPECT_EQ(w.Size(), 4u + 2 + 4 + 6);
    EXPECT_EQ(static_cast<unsigned char>(w.Data()[10]), 5);

    TBinaryReader r(w.Data());
    EXPECT_EQ(r.Read<int32_t>(), -2);
    EXPECT_EQ(r.Read<uint16_t>(), 0x1234);
    EXPECT_EQ(r.Read<float>(), 1.5f);
    EXPECT_EQ(r.ReadShortString(5), "Проба");
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_THROW(r.Read<uint8_t>(), EReadError);
}

TEST(BinaryIO, LengthByteAboveFieldStaysInsideIt) {
    // Field of 3 characters claiming 200: only the 3 bytes of the field are read, the next field
    // starts where it should.
    const std::string data = std::string(
                                 "\xC8"
                                 "abc",
                                 4) +
                             "\x07";
    TBinaryReader r(data);
    EXPECT_EQ(r.ReadShortString(3), "abc");
    EXPECT_EQ(r.Read<uint8_t>(), 7);
    const std::string shortField(
        "\x02"
        "a",
        2);
    TBinaryReader cut(shortField);
    EXPECT_THROW(cut.ReadShortString(3), EReadError);
}

TEST(Extended, KnownEncodingsAndRoundTrip) {
    unsigned char raw[10];
    EncodeExtended(1.0, raw);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(raw), 10), std::string("\0\0\0\0\0\0\0\x80\xFF\x3F", 10));
    EncodeExtended(-2.5, raw);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(raw), 10), std::string("\0\0\0\0\0\0\0\xA0\x00\xC0", 10));
    for (double v : {0.0, 3.141592653589793, -1e-300, 1e300, 4.9e-324, 123456.789}) {
        EncodeExtended(v, raw);
        EXPECT_EQ(DecodeExtended(raw), v);
    }
    EncodeExtended(std::numeric_limits<double>::infinity(), raw);
    EXPECT_TRUE(std::isinf(DecodeExtended(raw)));
    EncodeExtended(std::nan(""), raw);
    EXPECT_TRUE(std::isnan(DecodeExtended(raw)));
    // An extended beyond the double range becomes infinity, not garbage.
    const unsigned char huge[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};
    EXPECT_TRUE(std::isinf(DecodeExtended(huge)));
}

TEST(DateTime, DaysSince18991230) {
    EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDateTime(2000, 1, 1), 36526.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(2000, 1, 1, 18), 36526.75);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 6), -1.25);
    const RDateTimeParts p = DecodeDateTime(EncodeDateTime(2021, 4, 16, 13, 5, 59));
    EXPECT_EQ(p.year, 2021);
    EXPECT_EQ(p.month, 4);
    EXPECT_EQ(p.day, 16);
    EXPECT_EQ(p.hour, 13);
    EXPECT_EQ(p.minute, 5);
    EXPECT_EQ(p.second, 59);
    EXPECT_THROW(EncodeDateTime(2021, 2, 29), std::invalid_argument);
}

TEST(DateTime, FixedFormatsAndParsing) {
    const TDateTime v = EncodeDateTime(2021, 4, 6, 9, 7, 3);
    EXPECT_EQ(DateTimeToStr(v), "06.04.2021 9:07:03");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:mm:ss", v), "2021-04-06 09:07:03");
    TDateTime parsed = 0;
    ASSERT_TRUE(TryStrToDateTime("06.04.2021 9:07:03", parsed));
    EXPECT_NEAR(parsed, v, 1e-9);
    ASSERT_TRUE(TryStrToDateTime("06.04.2021", parsed));
    EXPECT_EQ(parsed, EncodeDateTime(2021, 4, 6));
    EXPECT_FALSE(TryStrToDateTime("31.02.2021", parsed));
    EXPECT_FALSE(TryStrToDateTime("06.04.2021 x", parsed));
    EXPECT_FALSE(TryStrToDateTime("", parsed));
}
