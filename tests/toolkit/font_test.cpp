#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "toolkit/font.h"

namespace {

LOGFONTA described(HFONT font) {
    LOGFONTA info{};
    EXPECT_EQ(static_cast<int>(sizeof info), GetObjectA(font, sizeof info, &info));
    return info;
}

int display_density() {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const int density = GetDeviceCaps(display, LOGPIXELSY);
    DeleteDC(display);
    return density;
}

TEST(Fonts, HeightComesFromPointsAndTheDisplayDensity) {
    EXPECT_EQ(-12, toolkit::font_height(9, 96));
    EXPECT_EQ(-15, toolkit::font_height(11, 96));  // 14.67 to the nearest pixel
    EXPECT_EQ(-15, toolkit::font_height(9, 120));
    EXPECT_EQ(-18, toolkit::font_height(11, 120));
    EXPECT_EQ(0, toolkit::font_height(11, 0));  // no display: the face's default height

    const int density = display_density();
    ASSERT_GT(density, 0);
    for (int points : {9, 11, 24}) {
        HFONT font = toolkit::load_font(1, "Arial", points, 0);
        ASSERT_NE(nullptr, font) << points << " points";
        EXPECT_EQ(toolkit::font_height(points, density), described(font).lfHeight) << points << " points";
    }
}

TEST(Fonts, StyleBitsSetWeightItalicUnderlineStrikeOutAndQuality) {
    struct Case {
        unsigned style;
        LONG weight;
        BYTE italic, underline, strike_out, quality;
    };
    const Case cases[] = {
        {0, 400, 0, 0, 0, 0},     {0x310, 700, 1, 0, 0, 2},      {0x110, 700, 0, 0, 0, 2}, {0x100, 700, 0, 0, 0, 0},
        {0x200, 400, 1, 0, 0, 0}, {0x4, 400, 0, 1, 0, 0},        {0x8, 400, 0, 0, 1, 0},   {0x10, 400, 0, 0, 0, 2},
        {0x31C, 700, 1, 1, 1, 2}, {0xFFFF0CE3, 400, 0, 0, 0, 0},  // bits without a meaning change nothing
    };
    for (const Case& c : cases) {
        HFONT font = toolkit::load_font(2, "Times New Roman", 9, c.style);
        ASSERT_NE(nullptr, font) << std::hex << c.style;
        const LOGFONTA info = described(font);
        EXPECT_EQ(c.weight, info.lfWeight) << std::hex << c.style;
        EXPECT_EQ(c.italic, info.lfItalic) << std::hex << c.style;
        EXPECT_EQ(c.underline, info.lfUnderline) << std::hex << c.style;
        EXPECT_EQ(c.strike_out, info.lfStrikeOut) << std::hex << c.style;
        EXPECT_EQ(c.quality, info.lfQuality) << std::hex << c.style;
        EXPECT_EQ(DEFAULT_CHARSET, info.lfCharSet) << std::hex << c.style;
        EXPECT_EQ(0, info.lfWidth);
        EXPECT_EQ(0, info.lfEscapement);
        EXPECT_EQ(OUT_DEFAULT_PRECIS, info.lfOutPrecision);
        EXPECT_EQ(CLIP_DEFAULT_PRECIS, info.lfClipPrecision);
        EXPECT_EQ(DEFAULT_PITCH | FF_DONTCARE, info.lfPitchAndFamily);
        EXPECT_EQ("Times New Roman", std::string(info.lfFaceName)) << std::hex << c.style;
        EXPECT_EQ(font, toolkit::font_handle(2));
    }
}

TEST(Fonts, LoadingANumberAgainDeletesItsFontAndOtherNumbersKeepTheirs) {
    HFONT first = toolkit::load_font(4, "Arial", 11, 0x310);
    HFONT other = toolkit::load_font(5, "Arial", 11, 0x310);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, other);
    EXPECT_NE(first, other);
    EXPECT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(first)));

    HFONT second = toolkit::load_font(4, "Arial", 9, 0x110);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(0u, GetObjectType(first)) << "the font number 4 held is still alive";
    EXPECT_EQ(second, toolkit::font_handle(4));
    EXPECT_EQ(other, toolkit::font_handle(5));
    EXPECT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(other)));
    EXPECT_EQ(700, described(second).lfWeight);
    EXPECT_EQ(0, described(second).lfItalic);
}

TEST(Fonts, TableGrowsToTheNumberPlusTenAndRefusesWhatItCannotHold) {
    EXPECT_EQ(10, toolkit::font_capacity());
    HFONT kept = toolkit::load_font(9, "Arial", 9, 0);
    ASSERT_NE(nullptr, kept);
    EXPECT_EQ(10, toolkit::font_capacity());

    HFONT list_font = toolkit::load_font(200, "Arial", 9, 0x110);
    ASSERT_NE(nullptr, list_font);
    EXPECT_EQ(210, toolkit::font_capacity());
    EXPECT_EQ(list_font, toolkit::font_handle(200));
    EXPECT_EQ(kept, toolkit::font_handle(9));  // the entries were carried over
    EXPECT_EQ(nullptr, toolkit::font_handle(201));
    EXPECT_EQ(nullptr, toolkit::font_handle(209));
    EXPECT_EQ(nullptr, toolkit::font_handle(210));

    // Refused without effect: negative numbers and numbers whose table would not fit in memory.
    for (int number : {-1, -200, 0x7FFFFFF0, 0x7FFFFFFF}) {
        EXPECT_EQ(nullptr, toolkit::load_font(number, "Arial", 9, 0)) << number;
        EXPECT_EQ(210, toolkit::font_capacity()) << number;
        EXPECT_EQ(nullptr, toolkit::font_handle(number)) << number;
    }
    EXPECT_EQ(list_font, toolkit::font_handle(200));
    EXPECT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(list_font)));
}

}  // namespace
