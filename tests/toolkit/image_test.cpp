#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "toolkit/image.h"

namespace {

using Bytes = std::vector<BYTE>;

void put16(Bytes& data, std::size_t at, std::uint16_t value) {
    std::memcpy(&data[at], &value, sizeof value);
}

void put32(Bytes& data, std::size_t at, std::uint32_t value) {
    std::memcpy(&data[at], &value, sizeof value);
}

// A BMP file: file header, information header, palette, then rows bottom-up padded to 4 bytes.
Bytes bmp_file(int width, int height, int bit_count, const std::vector<COLORREF>& palette) {
    const std::size_t stride = (static_cast<std::size_t>(width) * bit_count + 31) / 32 * 4;
    const std::size_t bits_offset = 14 + 40 + palette.size() * 4;
    Bytes data(bits_offset + stride * height);
    data[0] = 'B';
    data[1] = 'M';
    put32(data, 2, static_cast<std::uint32_t>(data.size()));
    put32(data, 10, static_cast<std::uint32_t>(bits_offset));
    put32(data, 14, 40);
    put32(data, 18, width);
    put32(data, 22, height);
    put16(data, 26, 1);
    put16(data, 28, bit_count);
    put32(data, 34, static_cast<std::uint32_t>(stride * height));
    put32(data, 46, static_cast<std::uint32_t>(palette.size()));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        data[54 + i * 4] = GetBValue(palette[i]);
        data[55 + i * 4] = GetGValue(palette[i]);
        data[56 + i * 4] = GetRValue(palette[i]);
    }
    return data;
}

std::size_t row_start(const Bytes& bmp, int y) {
    std::uint32_t bits_offset, width, height;
    std::uint16_t bit_count;
    std::memcpy(&bits_offset, &bmp[10], 4);
    std::memcpy(&width, &bmp[18], 4);
    std::memcpy(&height, &bmp[22], 4);
    std::memcpy(&bit_count, &bmp[28], 2);
    const std::size_t stride = (width * bit_count + 31) / 32 * 4;
    return bits_offset + (height - 1 - y) * stride;  // y counts from the top
}

// The 546 x 99 logo's shape: 256 colours, a pattern that changes along both axes.
COLORREF logo_palette_colour(int index) {
    return RGB(index, 255 - index, (index * 7) & 0xFF);
}
int logo_index(int x, int y) {
    return (x + 3 * y) & 0xFF;
}

Bytes logo_bmp() {
    std::vector<COLORREF> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(logo_palette_colour(i));
    Bytes bmp = bmp_file(546, 99, 8, palette);
    for (int y = 0; y < 99; ++y)
        for (int x = 0; x < 546; ++x)
            bmp[row_start(bmp, y) + x] = static_cast<BYTE>(logo_index(x, y));
    return bmp;
}

// 16 x 16, 24 bits: a white cross on red, with a blue top-left corner to show orientation.
COLORREF cross_colour(int x, int y) {
    if (x < 4 && y < 4) return RGB(0, 0, 255);
    return (x == 7 || x == 8 || y == 7 || y == 8) ? RGB(255, 255, 255) : RGB(255, 0, 0);
}

Bytes cross_bmp() {
    Bytes bmp = bmp_file(16, 16, 24, {});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::size_t at = row_start(bmp, y) + x * 3;
            bmp[at] = GetBValue(cross_colour(x, y));
            bmp[at + 1] = GetGValue(cross_colour(x, y));
            bmp[at + 2] = GetRValue(cross_colour(x, y));
        }
    return bmp;
}

// An icon image: information header (height doubled), 32-bit colour rows, then the mask.
Bytes icon_image(int size, COLORREF colour) {
    const std::size_t mask_stride = (size + 31) / 32 * 4;
    Bytes image(40 + size * size * 4 + mask_stride * size);
    put32(image, 0, 40);
    put32(image, 4, size);
    put32(image, 8, size * 2);
    put16(image, 12, 1);
    put16(image, 14, 32);
    for (int i = 0; i < size * size; ++i) {
        image[40 + i * 4] = GetBValue(colour);
        image[41 + i * 4] = GetGValue(colour);
        image[42 + i * 4] = GetRValue(colour);
        image[43 + i * 4] = 0xFF;
    }
    return image;
}

// A monochrome icon image: header, two-colour palette, colour rows, mask rows.
Bytes monochrome_icon_file(int size) {
    const std::size_t stride = (size + 31) / 32 * 4;
    Bytes image(40 + 8 + 2 * stride * size);
    put32(image, 0, 40);
    put32(image, 4, size);
    put32(image, 8, size * 2);
    put16(image, 12, 1);
    put16(image, 14, 1);
    image[44] = image[45] = image[46] = 0xFF;  // colour 1 is white
    for (std::size_t i = 0; i < stride * size; i += 2)
        image[48 + i] = 0xAA;
    Bytes data(6 + 16);
    put16(data, 2, 1);
    put16(data, 4, 1);
    data[6] = data[7] = static_cast<BYTE>(size);
    data[8] = 2;
    put16(data, 6 + 4, 1);
    put16(data, 6 + 6, 1);
    put32(data, 6 + 8, static_cast<std::uint32_t>(image.size()));
    put32(data, 6 + 12, 22);
    data.insert(data.end(), image.begin(), image.end());
    return data;
}

// An icon file whose first entry is a 16 x 16 image and whose second is 32 x 32; the
// second image is stored first, so the first entry's offset must be followed.
Bytes two_image_icon(std::uint16_t type = 1) {
    const Bytes small = icon_image(16, RGB(0, 128, 0));
    const Bytes large = icon_image(32, RGB(0, 0, 128));
    Bytes data(6 + 2 * 16);
    put16(data, 2, type);
    put16(data, 4, 2);
    const std::size_t large_at = data.size();
    const std::size_t small_at = large_at + large.size();
    const struct {
        int size;
        std::size_t bytes, at;
    } entries[] = {{16, small.size(), small_at}, {32, large.size(), large_at}};
    for (int i = 0; i < 2; ++i) {
        const std::size_t entry = 6 + i * 16;
        data[entry] = static_cast<BYTE>(entries[i].size);
        data[entry + 1] = static_cast<BYTE>(entries[i].size);
        put16(data, entry + 4, 1);
        put16(data, entry + 6, 32);
        put32(data, entry + 8, static_cast<std::uint32_t>(entries[i].bytes));
        put32(data, entry + 12, static_cast<std::uint32_t>(entries[i].at));
    }
    data.insert(data.end(), large.begin(), large.end());
    data.insert(data.end(), small.begin(), small.end());
    return data;
}

int display_depth() {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const int depth = GetDeviceCaps(display, BITSPIXEL) * GetDeviceCaps(display, PLANES);
    DeleteDC(display);
    return depth;
}

BITMAP bitmap_of(HANDLE handle) {
    BITMAP info{};
    EXPECT_EQ(static_cast<int>(sizeof info), GetObjectA(handle, sizeof info, &info));
    return info;
}

// Reads pixels of a bitmap through a memory context.
class PixelReader {
  public:
    explicit PixelReader(HANDLE bitmap) : dc_(CreateCompatibleDC(nullptr)) { previous_ = SelectObject(dc_, bitmap); }
    ~PixelReader() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

TEST(Images, BmpFilesBecomeDisplayBitmapsWithTheirSizesAndColours) {
    ASSERT_EQ(10, toolkit::image_capacity());
    const Bytes logo = logo_bmp();
    ASSERT_EQ(55330u, logo.size());  // the shape of the installer's logo
    HANDLE image = toolkit::image_from_memory(12, logo.data());
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(22, toolkit::image_capacity());
    EXPECT_EQ(image, toolkit::image_handle(12));
    EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(image)));
    const BITMAP logo_info = bitmap_of(image);
    EXPECT_EQ(546, logo_info.bmWidth);
    EXPECT_EQ(99, logo_info.bmHeight);
    EXPECT_EQ(display_depth(), logo_info.bmBitsPixel) << "a display bitmap, not the file's 8 bits";
    EXPECT_EQ(546, toolkit::image_width(12));
    EXPECT_EQ(99, toolkit::image_height(12));
    EXPECT_EQ(logo_info.bmBitsPixel, toolkit::image_depth(12));
    {
        PixelReader pixels(image);
        for (int y : {0, 1, 50, 97, 98})
            for (int x : {0, 1, 255, 256, 300, 544, 545})
                EXPECT_EQ(logo_palette_colour(logo_index(x, y)), pixels.at(x, y)) << "pixel " << x << "," << y;
    }

    // The installer's own way to its pictures, which are bitmaps.
    const Bytes cross = cross_bmp();
    ASSERT_EQ(822u, cross.size());
    HANDLE button = toolkit::bitmap_from_memory(20, cross.data());
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(22, toolkit::image_capacity()) << "number 20 fits without growth";
    EXPECT_EQ(16, toolkit::image_width(20));
    EXPECT_EQ(16, toolkit::image_height(20));
    EXPECT_EQ(display_depth(), toolkit::image_depth(20));
    EXPECT_EQ(image, toolkit::image_handle(12));
    PixelReader pixels(button);
    for (int y : {0, 3, 4, 7, 8, 15})
        for (int x : {0, 3, 4, 7, 8, 15})
            EXPECT_EQ(cross_colour(x, y), pixels.at(x, y)) << "pixel " << x << "," << y;
}

TEST(Images, AnIconFileGivesAnIconOfItsFirstImage) {
    const Bytes icon_file = two_image_icon();
    HANDLE icon = toolkit::image_from_memory(3, icon_file.data());
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(icon, toolkit::image_handle(3));
    EXPECT_NE(OBJ_BITMAP, static_cast<int>(GetObjectType(icon)));

    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &parts));
    EXPECT_TRUE(parts.fIcon);
    ASSERT_NE(nullptr, parts.hbmColor);
    const BITMAP colour = bitmap_of(parts.hbmColor);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    EXPECT_EQ(16, colour.bmWidth);
    EXPECT_EQ(16, colour.bmHeight);
    EXPECT_EQ(16, toolkit::image_width(3));
    EXPECT_EQ(16, toolkit::image_height(3));
    EXPECT_EQ(colour.bmBitsPixel, toolkit::image_depth(3));
    EXPECT_EQ(10, toolkit::image_capacity());

    // A monochrome icon has no colour bitmap: its size comes from the upper half of its mask.
    const Bytes monochrome = monochrome_icon_file(32);
    HANDLE plain = toolkit::image_from_memory(4, monochrome.data());
    ASSERT_NE(nullptr, plain);
    ICONINFO plain_parts{};
    ASSERT_TRUE(GetIconInfo(static_cast<HICON>(plain), &plain_parts));
    const BITMAP mask = bitmap_of(plain_parts.hbmMask);
    if (plain_parts.hbmColor) DeleteObject(plain_parts.hbmColor);
    DeleteObject(plain_parts.hbmMask);
    EXPECT_EQ(nullptr, plain_parts.hbmColor);
    EXPECT_EQ(64, mask.bmHeight);
    EXPECT_EQ(32, toolkit::image_width(4));
    EXPECT_EQ(32, toolkit::image_height(4));
    EXPECT_EQ(1, toolkit::image_depth(4));
}

TEST(Images, OtherDataGivesZeroAndLeavesTheNumberAsItWas) {
    const Bytes cross = cross_bmp();
    HANDLE held = toolkit::image_from_memory(5, cross.data());
    ASSERT_NE(nullptr, held);

    std::vector<Bytes> refused;
    refused.push_back(Bytes{'X', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    refused.push_back(two_image_icon(2));  // a cursor directory
    Bytes reserved_set = two_image_icon();
    put16(reserved_set, 0, 1);
    refused.push_back(reserved_set);

    // BMP headers that contradict the data; reading on would run past its end.
    auto bad_bmp = [&](std::size_t at, std::uint32_t value) {
        Bytes data = cross_bmp();
        put32(data, at, value);
        refused.push_back(data);
    };
    bad_bmp(22, 100000);      // height far beyond the bits
    bad_bmp(18, 5000);        // width far beyond the bits
    bad_bmp(10, 0xFFFFFFF0);  // bits far away
    bad_bmp(10, 20);          // bits inside the headers
    bad_bmp(2, 0xFFFFFFFF);   // an absurd file size
    bad_bmp(2, 100);          // a file size the bits do not fit in
    bad_bmp(14, 12);          // a header too short
    bad_bmp(18, 0xFFFFFFF0);  // negative width
    bad_bmp(22, 0xFFFFFFF0);  // top-down rows: no display bitmap has a negative height
    bad_bmp(46, 100000);      // a palette beyond the headers
    Bytes odd_depth = cross_bmp();
    put16(odd_depth, 28, 7);
    refused.push_back(odd_depth);

    // Icon directories whose first entry points outside sensible bounds.
    auto bad_icon = [&](std::size_t at, std::uint32_t value, bool wide) {
        Bytes data = two_image_icon();
        if (wide)
            put32(data, at, value);
        else
            put16(data, at, static_cast<std::uint16_t>(value));
        refused.push_back(data);
    };
    bad_icon(6 + 12, 0x7FFFFFF0, true);  // image far away
    bad_icon(6 + 8, 0xFFFFFFFF, true);   // image of an absurd size
    bad_icon(6 + 12, 0, true);           // image inside the directory
    bad_icon(6 + 8, 20, true);           // image shorter than its header
    bad_icon(4, 0, false);               // no entry at all

    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_EQ(nullptr, toolkit::image_from_memory(5, refused[i].data())) << "data " << i;
        EXPECT_EQ(nullptr, toolkit::bitmap_from_memory(5, refused[i].data())) << "data " << i;
        EXPECT_EQ(held, toolkit::image_handle(5)) << "data " << i;
    }
    // A sound icon file is no bitmap.
    EXPECT_EQ(nullptr, toolkit::bitmap_from_memory(5, two_image_icon().data()));
    EXPECT_EQ(nullptr, toolkit::image_from_memory(5, nullptr));
    EXPECT_EQ(nullptr, toolkit::bitmap_from_memory(5, nullptr));
    EXPECT_EQ(held, toolkit::image_handle(5));
    EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(held)));
    EXPECT_EQ(16, toolkit::image_width(5));
    EXPECT_EQ(10, toolkit::image_capacity());
}

TEST(Images, ANewImageOrFreeImageReleasesWhatTheNumberHeld) {
    const Bytes cross = cross_bmp();
    const Bytes icon_file = two_image_icon();
    HANDLE first = toolkit::image_from_memory(7, cross.data());
    ASSERT_NE(nullptr, first);
    HANDLE icon = toolkit::image_from_memory(7, icon_file.data());
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(0u, GetObjectType(first)) << "the first bitmap is still alive";
    EXPECT_EQ(icon, toolkit::image_handle(7));

    HANDLE second = toolkit::image_from_memory(7, cross.data());
    ASSERT_NE(nullptr, second);
    ICONINFO parts{};
    EXPECT_FALSE(GetIconInfo(static_cast<HICON>(icon), &parts)) << "the icon is still alive";
    EXPECT_EQ(second, toolkit::image_handle(7));

    // Pixels the platform cannot copy (run-length codes for 24-bit rows) give no image: the
    // number, already freed for the new bitmap, stays empty.
    Bytes uncopyable = cross_bmp();
    put32(uncopyable, 30, BI_RLE8);
    EXPECT_EQ(nullptr, toolkit::image_from_memory(7, uncopyable.data()));
    EXPECT_EQ(0u, GetObjectType(second));
    EXPECT_EQ(nullptr, toolkit::image_handle(7));

    second = toolkit::image_from_memory(7, cross.data());
    ASSERT_NE(nullptr, second);
    toolkit::free_image(7);
    EXPECT_EQ(0u, GetObjectType(second));
    EXPECT_EQ(nullptr, toolkit::image_handle(7));
    EXPECT_EQ(0, toolkit::image_width(7));

    // Empty numbers and numbers outside the table are left alone.
    HANDLE other = toolkit::image_from_memory(8, cross.data());
    ASSERT_NE(nullptr, other);
    for (int number : {7, 6, 9, 10, 1000, -1})
        toolkit::free_image(number);
    EXPECT_EQ(other, toolkit::image_handle(8));
    EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(other)));
}

TEST(Images, NumbersTheTableCannotHoldAreRefusedWithoutEffect) {
    const Bytes cross = cross_bmp();
    const Bytes icon_file = two_image_icon();
    for (int number : {-1, -12, 0x7FFFFFF0, 0x7FFFFFFF}) {
        EXPECT_EQ(nullptr, toolkit::image_from_memory(number, cross.data())) << number;
        EXPECT_EQ(nullptr, toolkit::image_from_memory(number, icon_file.data())) << number;
        EXPECT_EQ(10, toolkit::image_capacity()) << number;
        EXPECT_EQ(nullptr, toolkit::image_handle(number)) << number;
    }
    HANDLE grown = toolkit::image_from_memory(40, icon_file.data());
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ(50, toolkit::image_capacity());
    EXPECT_EQ(nullptr, toolkit::image_handle(49));
}

}  // namespace
