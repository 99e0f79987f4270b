#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>

// What the toolkit's image readers share: the image table of image.cpp and the reading of
// their files' little-endian headers. Not for the program's use.
namespace toolkit {

// Far above any picture a setup program shows: no header may claim more.
constexpr std::uint64_t max_image_bytes = 16 * 1024 * 1024;
constexpr std::uint32_t info_header_bytes = sizeof(BITMAPINFOHEADER);

inline std::uint16_t read16(const BYTE* at) {
    std::uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline std::uint32_t read32(const BYTE* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// Grows the table to hold `number`; false when it cannot, and the image is refused then.
bool make_image_room(int number);

// Fills the number's slot with the handle and the size and depth of `measured` (half its
// height for an icon whose only bitmap is its mask); size and depth are 0 when `measured`
// is null or cannot be read.
void record_image(int number, HANDLE handle, HBITMAP measured, bool halve_height);

}  // namespace toolkit
