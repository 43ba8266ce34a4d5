#include "common/Procs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "common/Cp1251.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "common/UiHooks.h"
#include "support/TempDir.h"

namespace kalvero {
namespace {

// Records the boxes instead of showing them; questions answer with fAnswer.
class TRecordingUiHooks : public TUiHooks {
public:
    std::vector<std::string> messages, errors, questions;
    bool fAnswer = true;

    void MsgBox(const std::string& aText) override { messages.push_back(aText); }
    void ErrBox(const std::string& aText) override { errors.push_back(aText); }
    bool MsgBoxYN(const std::string& aText) override {
        questions.push_back("YN:" + aText);
        return fAnswer;
    }
    bool MsgBoxOC(const std::string& aText) override {
        questions.push_back("OC:" + aText);
        return fAnswer;
    }
    void ProgressStart(const std::string&, int) override {}
    void ProgressStep(int) override {}
    void ProgressFinish() override {}
    void BeginBusy() override {}
    void EndBusy() override {}
};

class ProcsUiTest : public ::testing::Test {
protected:
    void SetUp() override { fPrevious = SetUiHooks(fHooks); }
    void TearDown() override { SetUiHooks(fPrevious); }

    std::shared_ptr<TRecordingUiHooks> fHooks = std::make_shared<TRecordingUiHooks>();
    std::shared_ptr<TUiHooks> fPrevious;
};

// ---- number to text ----

TEST(ProcsTest, StrNIntegralValuesIgnorePrecision) {
    EXPECT_EQ(StrN(12.0, 3), "12");
    EXPECT_EQ(StrN(-7.0, 2), "-7");
    EXPECT_EQ(StrN(-0.0, 2), "0");
    EXPECT_EQ(StrN(9007199254740992.0, 0), "9007199254740992");
    // Beyond 64 bits the digits are still printed, not a wrapped integer.
    EXPECT_EQ(StrN(1e20, 2), "100000000000000000000");
}

TEST(ProcsTest, StrNRoundsHalvesAwayFromZero) {
    EXPECT_EQ(StrN(0.125, 2), "0.13");  // printf gives 0.12
    EXPECT_EQ(StrN(-0.125, 2), "-0.13");
    EXPECT_EQ(StrN(2.5, 1), "2.5");
    EXPECT_EQ(StrN(-2.5, 0), "-3");
    EXPECT_EQ(StrN(2.675, 2), "2.68");  // binary 2.67499999…, read as written
    EXPECT_EQ(StrN(1.005, 2), "1.01");
    EXPECT_EQ(StrN(9.995, 2), "10.00");  // carry into the integer part
    EXPECT_EQ(StrN(99.96, 1), "100.0");
    EXPECT_EQ(StrN(0.5, -3), "1");  // negative precision counts as 0
}

TEST(ProcsTest, StrNSmallAndSpecialValues) {
    EXPECT_EQ(StrN(0.0005, 3), "0.001");
    EXPECT_EQ(StrN(-0.0004, 3), "0.000");  // no "-0.000"
    EXPECT_EQ(StrN(1e-7, 10), "0.0000001000");
    EXPECT_EQ(StrN(std::nan(""), 2), "nan");
    EXPECT_EQ(StrN(-std::numeric_limits<double>::infinity(), 2), "-inf");
}

TEST(ProcsTest, FormattingIgnoresTheCLocale) {
    // The program may run under a comma locale; the point must stay regardless.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "ru_RU.UTF-8") && !std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "no comma locale installed";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(StrN(1.5, 2), "1.50");
    EXPECT_EQ(FormatFloat("%8.2f", 1.5), "    1.50");
    EXPECT_EQ(NumToStr(TVariant(0.25)), "0.25");
    EXPECT_DOUBLE_EQ(StrToReal("1.5"), 1.5);
    EXPECT_FALSE(IsNumber("1,5"));
    std::setlocale(LC_ALL, previous.c_str());
}

TEST(ProcsTest, FormatFloatPatterns) {
    EXPECT_EQ(FormatFloat("%8.2f", 3.14159), "    3.14");
    EXPECT_EQ(FormatFloat("%8.0f", 2.5), "       3");
    EXPECT_EQ(FormatFloat("%-6.1f", 0.25), "0.3   ");
    EXPECT_EQ(FormatFloat("%f", 1.0), "1.000000");
    EXPECT_EQ(FormatFloat("%.3f", -1234.5678), "-1234.568");
    EXPECT_EQ(FormatFloat("%3.2f", 12345.0), "12345.00");  // wider text is not cut
    for (const char* bad : {"", "8.2f", "%8.2d", "%8.2f%", "x%8.2f", "%8.2", "%9999.2f"})
        EXPECT_THROW(FormatFloat(bad, 1.0), std::invalid_argument) << bad;
}

TEST(ProcsTest, StrNExPictures) {
    EXPECT_EQ(StrNEx(3.14159, -1), "3.14159");
    EXPECT_EQ(StrNEx(2.0, -1), "2");
    EXPECT_EQ(StrNEx(1.123456789, -1), "1.12345679");  // at most eight decimals
    EXPECT_EQ(StrNEx(0.125, 2), "0.13");
    EXPECT_EQ(StrNEx(2.0, 3), "2.000");
    EXPECT_EQ(StrNEx(2.5, 0), "3");
    EXPECT_EQ(StrNEx(-1.25, 1, ','), "-1,3");
    EXPECT_EQ(StrNEx(1.5, 5, 2, ','), "        1,50");  // always 12 wide, width ignored
    EXPECT_EQ(StrNEx(123456789.5, 4, 4, '.'), "123456789.5000");
}

TEST(ProcsTest, ChooseFloatToStrFormatBoundaries) {
    EXPECT_EQ(ChooseFloatToStrFormat(10), "%8.0f");
    EXPECT_EQ(ChooseFloatToStrFormat(9.99), "%8.2f");
    EXPECT_EQ(ChooseFloatToStrFormat(0.001), "%8.4f");
    EXPECT_EQ(ChooseFloatToStrFormat(0.00001), "%8.6f");
    EXPECT_EQ(ChooseFloatToStrFormat(0.000001), "%8.0f");
    EXPECT_EQ(ChooseFloatToStrFormat(0), "%8.0f");
    EXPECT_EQ(ChooseFloatToStrFormat(-0.5), "%8.0f");  // the sign is not dropped

    EXPECT_EQ(ChooseFloatToStrFormatEx(100000), "%8.0f");
    EXPECT_EQ(ChooseFloatToStrFormatEx(99999), "%8.1f");
    EXPECT_EQ(ChooseFloatToStrFormatEx(9.99), "%8.3f");
    EXPECT_EQ(ChooseFloatToStrFormatEx(0.00001), "%8.7f");
    EXPECT_EQ(ChooseFloatToStrFormatEx(0), "%8.8f");
}

TEST(ProcsTest, NumToStrByKind) {
    EXPECT_EQ(NumToStr(TVariant(int16_t{-12})), "-12");
    EXPECT_EQ(NumToStr(TVariant(int32_t{70000})), "70000");
    EXPECT_EQ(NumToStr(TVariant(2.5)), "2.5");
    EXPECT_EQ(NumToStr(TVariant(1.0 / 3)), "0.333333");
    EXPECT_EQ(NumToStr(TVariant(1234567.0)), "1.23457e+06");
    EXPECT_EQ(NumToStr(TVariant(0.00001234)), "1.234e-05");
    EXPECT_EQ(NumToStr(TVariant(999999.5)), "1e+06");
    EXPECT_EQ(NumToStr(TVariant(std::string("5"))), "0");
    EXPECT_EQ(NumToStr(TVariant()), "0");
}

TEST(ProcsTest, FillStrLeftCountsCharacters) {
    EXPECT_EQ(FillStrLeft("7", '0', 3), "007");
    EXPECT_EQ(FillStrLeft("1234", '0', 3), "1234");
    EXPECT_EQ(FillStrLeft("ая", ' ', 3), " ая");  // two characters, four bytes
}

// ---- text to number ----

TEST(ProcsTest, StrToRealReadsBothSeparatorsStrictly) {
    EXPECT_DOUBLE_EQ(StrToReal("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToReal("1,5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToReal("  -2.25e1 "), -22.5);
    EXPECT_DOUBLE_EQ(StrToReal("+3"), 3);
    for (const char* bad : {"", " ", "1.2.3", "1,2,3", "abc", "1x", "inf", "nan", "--1", "1e400", "0x10"})
        EXPECT_THROW(StrToReal(bad), std::invalid_argument) << bad;
    try {
        StrToReal("12a");
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid floating point value");
    }
}

TEST(ProcsTest, StrToRealExTakesTheFirstSeparator) {
    EXPECT_DOUBLE_EQ(StrToRealEx("3,5"), 3.5);
    EXPECT_DOUBLE_EQ(StrToRealEx("3.5"), 3.5);
    EXPECT_DOUBLE_EQ(StrToRealEx("  -1,25e2"), -125);
    EXPECT_DOUBLE_EQ(StrToRealEx(" - "), 0);
    EXPECT_DOUBLE_EQ(StrToRealEx("42"), 42);
    for (const char* bad : {"3,5,1", "3.5.1", "1,234.5", "3.5 ", "", "x", "-x"})
        EXPECT_THROW(StrToRealEx(bad), std::invalid_argument) << bad;
    try {
        StrToRealEx("3,5,1");
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "3,5,1 is a not valid real value");
    }
}

TEST(ProcsTest, IsNumberUsesThePoint) {
    EXPECT_TRUE(IsNumber("1.5"));
    EXPECT_FALSE(IsNumber("1,5"));
    EXPECT_FALSE(IsNumber(""));
    EXPECT_FALSE(IsNumber("1.5a"));
}

TEST(ProcsTest, ToIntegerByKind) {
    EXPECT_EQ(ToInteger(TVariant()), 0);
    EXPECT_EQ(ToInteger(TVariant(int16_t{-5})), -5);
    EXPECT_EQ(ToInteger(TVariant(2.5)), 2);  // ties to even
    EXPECT_EQ(ToInteger(TVariant(3.5)), 4);
    EXPECT_EQ(ToInteger(TVariant(std::string("7,5"))), 8);
    EXPECT_THROW(ToInteger(TVariant(std::string("seven"))), std::invalid_argument);
    EXPECT_THROW(ToInteger(TVariant(3e9)), std::out_of_range);
    EXPECT_THROW(ToInteger(TVariant(std::nan(""))), std::out_of_range);
}

TEST(ProcsTest, TruncNRoundsThroughText) {
    EXPECT_DOUBLE_EQ(TruncN(1.23456, 2), 1.23);
    EXPECT_DOUBLE_EQ(TruncN(0.125, 2), 0.13);
    EXPECT_DOUBLE_EQ(TruncN(-7.0, 3), -7);
    EXPECT_TRUE(std::isinf(TruncN(std::numeric_limits<double>::infinity(), 2)));
}

// ---- rounding and arithmetic ----

TEST(ProcsTest, RoundTiesToEven) {
    EXPECT_EQ(Round(0.5), 0);
    EXPECT_EQ(Round(1.5), 2);
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(-3.5), -4);
    EXPECT_EQ(Round(-0.7), -1);
    EXPECT_THROW(Round(std::nan("")), std::out_of_range);
    EXPECT_THROW(Round(1e19), std::out_of_range);
}

TEST(ProcsTest, RoundExHalvesAwayFromZero) {
    EXPECT_DOUBLE_EQ(RoundEx(1.5, 0), 2);
    EXPECT_DOUBLE_EQ(RoundEx(-1.5, 0), -2);
    EXPECT_DOUBLE_EQ(RoundEx(2.5, 0), 3);
    EXPECT_DOUBLE_EQ(RoundEx(2.345, 2), 2.35);
    EXPECT_DOUBLE_EQ(RoundEx(-2.345, 2), -2.35);
    EXPECT_DOUBLE_EQ(RoundEx(0.96, 1), 1.0);
    EXPECT_DOUBLE_EQ(RoundEx(12.7, -1), 13);  // no division by a zero scale
}

TEST(ProcsTest, Round10GoesToTheNearestTen) {
    EXPECT_EQ(Round10(14), 10);
    EXPECT_EQ(Round10(25), 20);  // halfway: the even multiple of 20
    EXPECT_EQ(Round10(35), 40);
    EXPECT_EQ(Round10(-16), -20);
    EXPECT_THROW(Round10(1e12), std::out_of_range);
}

TEST(ProcsTest, LineInterp) {
    EXPECT_DOUBLE_EQ(LineInterp(0, 0, 10, 100, 2.5), 25);
    EXPECT_DOUBLE_EQ(LineInterp(0, 0, 10, 100, 15), 150);  // extrapolates
    EXPECT_DOUBLE_EQ(LineInterp(10, 100, 0, 0, 2.5), 25);  // points in either order
    EXPECT_DOUBLE_EQ(LineInterp(3, 7, 3, 9, 100), 7);      // vertical: y1, no division by zero
    EXPECT_DOUBLE_EQ(LineInterp(1, 5, 4, 5, -20), 5);      // horizontal
}

TEST(ProcsTest, SelectStep) {
    EXPECT_DOUBLE_EQ(SelectStep(37, 10), 5);
    EXPECT_DOUBLE_EQ(SelectStep(1000, 10), 100);
    EXPECT_DOUBLE_EQ(SelectStep(100, 10), 10);
    EXPECT_DOUBLE_EQ(SelectStep(1, 5), 0.2);
    EXPECT_DOUBLE_EQ(SelectStep(0.003, 10), 0.0005);
    EXPECT_DOUBLE_EQ(SelectStep(250000, 6), 50000);
    // Nothing fits: one step over the whole span.
    EXPECT_DOUBLE_EQ(SelectStep(80, 1), 80);
    EXPECT_DOUBLE_EQ(SelectStep(800, 1), 800);
    // Guards: no endless loop, no zero step.
    EXPECT_DOUBLE_EQ(SelectStep(0, 10), 10);
    EXPECT_DOUBLE_EQ(SelectStep(-5, 10), 10);
    EXPECT_DOUBLE_EQ(SelectStep(std::nan(""), 10), 10);
    EXPECT_DOUBLE_EQ(SelectStep(std::numeric_limits<double>::infinity(), 10), 10);
    const double tiny = SelectStep(std::numeric_limits<double>::denorm_min(), 10);
    EXPECT_GT(tiny, 0);
    EXPECT_GT(SelectStep(std::numeric_limits<double>::max(), 10), 0);
}

TEST(ProcsTest, Limits) {
    EXPECT_EQ(LLim(5, 3), 5);
    EXPECT_EQ(HLim(5, 8), 5);
    EXPECT_EQ(HLLim(0, 10, -3), 0);
    EXPECT_EQ(HLLim(0, 10, 13), 10);
    EXPECT_EQ(HLLim(0, 10, 7), 7);
    // Crossed bounds: always the lower one.
    EXPECT_EQ(HLLim(10, 0, 5), 10);
    EXPECT_EQ(HLLim(10, 0, 20), 10);
    EXPECT_DOUBLE_EQ(HLLimR(1.0, -1.0, 0.5), 1.0);
    EXPECT_DOUBLE_EQ(HLLimR(-1.0, 1.0, 0.5), 0.5);
}

TEST(ProcsTest, RangesAndOrder) {
    EXPECT_TRUE(Between(10, 0, 10));  // bounds in either order, included
    EXPECT_FALSE(Between(0, 10, 11));
    EXPECT_TRUE(Between(1.0, -1.0, 0.0));
    EXPECT_DOUBLE_EQ(OutOfRange(0, 10, -3), -3);
    EXPECT_DOUBLE_EQ(OutOfRange(0, 10, 10), 0);
    EXPECT_DOUBLE_EQ(OutOfRange(0, 10, 12), 2);

    int a = 5, b = 2;
    Order(a, b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 5);
    double x = -1.5, y = 1.5;
    Order(x, y);  // already ordered: unchanged
    EXPECT_DOUBLE_EQ(x, -1.5);
}

// ---- bits and strings ----

TEST(ProcsTest, Bits) {
    EXPECT_EQ(SetBit(0x00, 7), 0x80);
    EXPECT_EQ(ClearBit(0xFF, 3), 0xF7);
    EXPECT_EQ(SetBit(0x10, 9), 0x10);  // no such bit in a byte
    EXPECT_EQ(GetParityBit8(0x07), 1);
    EXPECT_EQ(GetParityBit16(0x8001), 0);
    EXPECT_EQ(GetParityBit32(0x80000000u), 1);
    EXPECT_EQ(GetParityBit32(0xFFFFFFFFu), 0);
    EXPECT_EQ(TwoBytesToWord(0x34, 0x12), 0x1234);
}

TEST(ProcsTest, IntToBin) {
    EXPECT_EQ(IntToBin(5, 3), "0101");
    EXPECT_EQ(IntToBin(5, 0), "1");
    EXPECT_EQ(IntToBin(5, -1), "");
    EXPECT_EQ(IntToBin(-1, 3), "1111");
    EXPECT_EQ(IntToBin(1, 65).size(), 66u);
}

TEST_F(ProcsUiTest, Hex2Bin) {
    EXPECT_EQ(Hex2Bin("1F"), "11111");
    EXPECT_EQ(Hex2Bin("a5"), "10100101");
    EXPECT_EQ(Hex2Bin("0"), "0");
    EXPECT_EQ(Hex2Bin("08"), "1000");
    EXPECT_TRUE(fHooks->messages.empty());
    // A bad digit: the message, and the digits built before it.
    EXPECT_EQ(Hex2Bin("1G2"), "0001");
    ASSERT_EQ(fHooks->messages.size(), 1u);
    EXPECT_EQ(fHooks->messages[0], "This is not hexadecimal number");
}

TEST(ProcsTest, EmptyAndMarkers) {
    EXPECT_TRUE(Empty("  \t "));
    EXPECT_FALSE(Empty(" a "));

    EXPECT_EQ(StrBeforeChar("key=value=x", '='), "key");
    EXPECT_EQ(StrAfterChar("key=value=x", '='), "value=x");
    EXPECT_EQ(StrBeforeChar("novalue", '='), "");
    EXPECT_EQ(StrBetweenChars("a[bc]d", '[', ']'), "bc");
    EXPECT_EQ(StrBetweenChars("a]b[c", '[', ']'), "");
    EXPECT_EQ(StrBetweenChars("a[bc", '[', ']'), "");
    EXPECT_EQ(StrBetweenChars("say 'hi' now", '\'', '\''), "hi");
}

TEST(ProcsTest, SplitStr) {
    std::vector<std::string> list{"kept"};
    SplitStr("a;b;;c;", ';', list);
    EXPECT_EQ(list, (std::vector<std::string>{"kept", "a", "b", "", "c", ""}));

    std::string first = "x", second = "y";
    SplitStr("10:20:30", ':', first, second);
    EXPECT_EQ(first, "10");
    EXPECT_EQ(second, "20");
    SplitStr("alone", ':', first, second);
    EXPECT_EQ(first, "alone");
    EXPECT_EQ(second, "");
}

TEST(ProcsTest, FilterExcelSheetName) {
    const std::string name40 = "Sample/2024 heating run number 12345678";  // 39 + 1 below
    ASSERT_EQ((name40 + "9").size(), 40u);
    const std::string out = FilterExcelSheetName(name40 + "9");
    EXPECT_EQ(out, "Sample2024 heating run number ");
    EXPECT_LE(out.size(), 30u);
    EXPECT_EQ(FilterExcelSheetName("a*b/c:d?e[f\\g]h"), "abcdefgh");
    // Characters, not bytes: 31 Cyrillic letters survive whole.
    std::string cyr;
    for (int i = 0; i < 35; ++i)
        cyr += "ж";
    EXPECT_EQ(Utf8Length(FilterExcelSheetName(cyr)), 31u);
    EXPECT_TRUE(IsValidUtf8(FilterExcelSheetName(cyr)));
}

TEST(ProcsTest, DelayUSWaitsAtLeastTheTime) {
    const auto start = std::chrono::steady_clock::now();
    DelayUS(2000);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(2000));
    DelayUS(-5);  // returns at once
}

TEST(ProcsTest, URLEncodeUTF8) {
    EXPECT_EQ(URLEncodeUTF8("a b"), "a%20b");
    EXPECT_EQ(URLEncodeUTF8("A-z_0.9~"), "A-z_0.9~");
    EXPECT_EQ(URLEncodeUTF8("?&=/+"), "%3F%26%3D%2F%2B");
    EXPECT_EQ(URLEncodeUTF8("я"), "%D1%8F");
}

// ---- message boxes ----

TEST_F(ProcsUiTest, MessageBoxesGoThroughTheHooks) {
    MsgBox("hello");  // a literal must not land in the bool overload
    MsgBox(std::string("text"));
    MsgBox(42);
    MsgBox(true);
    MsgBox(false);
    EXPECT_EQ(fHooks->messages, (std::vector<std::string>{"hello", "text", "42", "true", "false"}));

    fHooks->fAnswer = true;
    EXPECT_TRUE(MsgBoxYN("Delete?"));
    fHooks->fAnswer = false;
    EXPECT_FALSE(MsgBoxOC("Go on?"));
    EXPECT_EQ(fHooks->questions, (std::vector<std::string>{"YN:Delete?", "OC:Go on?"}));
}

TEST_F(ProcsUiTest, ErrBoxShowsAndLogs) {
    test::TTempDir dir;
    {
        TLogger logger("ProcsTest", dir.Str(), llError);
        ErrBox(&logger, "TDataForm", "disk full");
        ErrBox(nullptr, "TDataForm", "not logged");

        TLogger* const saved = gLogger;
        gLogger = &logger;
        ErrBox("through the global");
        gLogger = nullptr;
        ErrBox("no global log");
        gLogger = saved;

        const std::string log = test::ReadFileBytes(logger.LogFileName());
        EXPECT_NE(log.find("(TDataForm) disk full"), std::string::npos) << log;
        EXPECT_NE(log.find("(ErrBox) through the global"), std::string::npos) << log;
        EXPECT_EQ(log.find("not logged"), std::string::npos) << log;
        EXPECT_EQ(log.find("no global log"), std::string::npos) << log;
    }
    EXPECT_EQ(fHooks->errors,
              (std::vector<std::string>{"disk full", "not logged", "through the global", "no global log"}));
    EXPECT_TRUE(fHooks->messages.empty());
}

}  // namespace
}  // namespace kalvero
