#include <cstdint>
#include <cstring>

#include "services/heap.h"
#include "toolkit/image.h"
#include "toolkit/image_table.h"

// Icon files, and image_from_memory, which takes either kind of file. Their headers are
// checked as a BMP's are: the first image must lie after the directory, within
// max_image_bytes. In a file of their own, so that a program that shows bitmaps only
// (through bitmap_from_memory) carries neither this code nor the icon calls it imports.
namespace toolkit {
namespace {

constexpr std::uint32_t icon_directory_bytes = 6;
constexpr std::uint32_t icon_entry_bytes = 16;
constexpr DWORD icon_format_version = 0x00030000;

bool is_icon_directory(const BYTE* data) {
    return read16(data) == 0 && read16(data + 2) == 1;
}

HICON create_icon(const BYTE* image, DWORD size) {
    const int width = static_cast<int>(read32(image + 4));
    const int height = static_cast<int>(read32(image + 8)) / 2;  // colour and mask stacked
    const WORD bit_count = read16(image + 14);
    // The platform wants the image on an aligned address of its own.
    auto* copy = static_cast<BYTE*>(services::heap_try_alloc(size));
    if (!copy) return 0;
    std::memcpy(copy, image, size);
    HICON icon = CreateIconFromResourceEx(copy, size, TRUE, icon_format_version, width, height, 0);
    if (!icon && bit_count != 16) icon = CreateIconFromResource(copy, size, TRUE, icon_format_version);
    services::heap_free(copy);
    return icon;
}

// Records the icon with the size and depth of its colour bitmap (of its mask, with half
// its height, for a monochrome icon). When the icon cannot be read, it is still kept
// under the number, with size and depth 0, so that free_image can release it.
void record_icon(int number, HICON icon) {
    ICONINFO parts{};
    if (!GetIconInfo(icon, &parts)) {
        record_image(number, icon, nullptr, false);
        return;
    }
    record_image(number, icon, parts.hbmColor ? parts.hbmColor : parts.hbmMask, !parts.hbmColor);
    if (parts.hbmColor) DeleteObject(parts.hbmColor);
    if (parts.hbmMask) DeleteObject(parts.hbmMask);
}

// Only the first image of the directory is used.
HANDLE icon_from_directory(int number, const BYTE* data) {
    const std::uint64_t count = read16(data + 4);
    const BYTE* entry = data + icon_directory_bytes;
    const std::uint64_t size = read32(entry + 8);
    const std::uint64_t offset = read32(entry + 12);
    if (count == 0 || offset < icon_directory_bytes + count * icon_entry_bytes || size < info_header_bytes ||
        offset + size > max_image_bytes)
        return 0;

    HICON icon = create_icon(data + offset, static_cast<DWORD>(size));
    if (!icon) return 0;
    if (!make_image_room(number)) {
        DestroyIcon(icon);
        return 0;
    }
    free_image(number);
    record_icon(number, icon);
    return icon;
}

}  // namespace

HANDLE image_from_memory(int number, const void* data) {
    if (number < 0 || !data) return 0;
    const auto* bytes = static_cast<const BYTE*>(data);
    if (bytes[0] == 'B' && bytes[1] == 'M') return bitmap_from_memory(number, data);
    return is_icon_directory(bytes) ? icon_from_directory(number, bytes) : 0;
}

}  // namespace toolkit
