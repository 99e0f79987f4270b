#include "toolkit/image.h"

#include <cstdint>
#include <cstring>

#include "services/heap.h"

// The data comes without a length, so its headers are checked against each other before
// anything is read beyond them: a BMP must fit inside the file size its header declares,
// an icon's first image must lie after the directory, and nothing may exceed
// max_image_bytes, far above any picture a setup program shows. Data that fails these
// checks is refused like data of an unknown format.
namespace toolkit {
namespace {

struct ImageSlot {
    HANDLE handle;
    WORD width;
    WORD height;
    WORD bits_per_pixel;
};

constexpr int initial_capacity = 10;
constexpr int growth_margin = 10;
constexpr std::uint64_t max_image_bytes = 16 * 1024 * 1024;
constexpr std::uint32_t file_header_bytes = 14;
constexpr std::uint32_t info_header_bytes = sizeof(BITMAPINFOHEADER);
constexpr std::uint32_t icon_directory_bytes = 6;
constexpr std::uint32_t icon_entry_bytes = 16;
constexpr DWORD icon_format_version = 0x00030000;

ImageSlot* g_images;
int g_image_capacity;

std::uint16_t read16(const BYTE* at) {
    std::uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

std::uint32_t read32(const BYTE* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The table grows to number + 10 numbers, in one slot more than that; when it cannot, the
// image is refused.
bool make_room(int number) {
    return services::make_table_room(g_images, g_image_capacity, number, growth_margin, 1);
}

ImageSlot* slot_of(int number) {
    if (number < 0 || number >= g_image_capacity) return nullptr;
    return &g_images[number];
}

void record(int number, HANDLE handle, HBITMAP measured, bool halve_height) {
    BITMAP size{};
    if (!measured || !GetObjectA(measured, sizeof size, &size)) size = BITMAP{};
    g_images[number] = ImageSlot{handle, static_cast<WORD>(size.bmWidth),
                                 static_cast<WORD>(halve_height ? size.bmHeight / 2 : size.bmHeight),
                                 static_cast<WORD>(size.bmBitsPixel)};
}

// ---- BMP ----

struct BmpLayout {
    int width;
    int height;
    const BITMAPINFO* info;
    const BYTE* bits;
};

// Reads and checks the headers of a BMP file. Only bottom-up pictures (positive height)
// are taken: a display bitmap cannot be made with a negative height.
bool read_bmp(const BYTE* data, BmpLayout* bmp) {
    const std::uint64_t file_size = read32(data + 2);
    const std::uint64_t bits_offset = read32(data + 10);
    if (file_size < file_header_bytes + info_header_bytes || file_size > max_image_bytes) return false;

    const BYTE* header = data + file_header_bytes;
    const std::uint64_t header_size = read32(header);
    const std::int32_t width = static_cast<std::int32_t>(read32(header + 4));
    const std::int32_t height = static_cast<std::int32_t>(read32(header + 8));
    const std::uint32_t bit_count = read16(header + 14);
    const std::uint32_t compression = read32(header + 16);
    const std::uint64_t image_size = read32(header + 20);
    const std::uint64_t colours_used = read32(header + 32);
    if (header_size < info_header_bytes || width <= 0 || width > 0xFFFF || height <= 0 || height > 0xFFFF) return false;
    if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 && bit_count != 24 && bit_count != 32)
        return false;
    if (colours_used > 256) return false;

    const std::uint64_t colours = colours_used ? colours_used : (bit_count <= 8 ? 1u << bit_count : 0);
    const std::uint64_t masks = (compression == BI_BITFIELDS && header_size == info_header_bytes) ? 12 : 0;
    if (file_header_bytes + header_size + masks + colours * sizeof(RGBQUAD) > bits_offset) return false;

    std::uint64_t bits_size = 0;
    if (compression == BI_RGB || compression == BI_BITFIELDS)
        bits_size = (static_cast<std::uint64_t>(width) * bit_count + 31) / 32 * 4 * height;
    else if (compression == BI_RLE8 || compression == BI_RLE4)
        bits_size = image_size;
    if (bits_size == 0 || bits_offset + bits_size > file_size) return false;

    *bmp = BmpLayout{width, height, reinterpret_cast<const BITMAPINFO*>(header), data + bits_offset};
    return true;
}

void clear_to_black(HDC display, HBITMAP bitmap, int width, int height) {
    HDC memory = CreateCompatibleDC(display);
    if (!memory) return;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const RECT all{0, 0, width, height};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// A black bitmap compatible with the display, kept under `number` in place of what the
// number held. 0 when it cannot be made; the number is then empty.
HBITMAP create_bitmap(int number, int width, int height) {
    if (!make_room(number)) return 0;
    free_image(number);
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display) return 0;
    HBITMAP bitmap = CreateCompatibleBitmap(display, width, height);
    if (bitmap) {
        record(number, bitmap, bitmap, false);
        clear_to_black(display, bitmap, g_images[number].width, g_images[number].height);
    }
    DeleteDC(display);
    return bitmap;
}

// A bitmap whose pixels could not be copied is not an image of the file: the number is
// left empty and the result is 0.
HANDLE bitmap_from_bmp(int number, const BmpLayout& bmp) {
    HBITMAP bitmap = create_bitmap(number, bmp.width, bmp.height);
    if (!bitmap) return 0;
    HDC memory = CreateCompatibleDC(nullptr);
    int lines = 0;
    if (memory) {
        lines = SetDIBits(memory, bitmap, 0, bmp.height, bmp.bits, bmp.info, DIB_RGB_COLORS);
        DeleteDC(memory);
    }
    if (lines == 0) {
        free_image(number);
        return 0;
    }
    return bitmap;
}

// ---- Icons ----

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
        g_images[number] = ImageSlot{icon, 0, 0, 0};
        return;
    }
    record(number, icon, parts.hbmColor ? parts.hbmColor : parts.hbmMask, !parts.hbmColor);
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
    if (!make_room(number)) {
        DestroyIcon(icon);
        return 0;
    }
    free_image(number);
    record_icon(number, icon);
    return icon;
}

}  // namespace

void init_images() {
    g_images =
        static_cast<ImageSlot*>(services::heap_alloc(services::table_bytes(initial_capacity, sizeof(ImageSlot))));
    g_image_capacity = initial_capacity;
}

HANDLE image_from_memory(int number, const void* data) {
    if (number < 0 || !data) return 0;
    const auto* bytes = static_cast<const BYTE*>(data);
    if (bytes[0] == 'B' && bytes[1] == 'M') {
        BmpLayout bmp;
        return read_bmp(bytes, &bmp) ? bitmap_from_bmp(number, bmp) : 0;
    }
    return is_icon_directory(bytes) ? icon_from_directory(number, bytes) : 0;
}

void free_image(int number) {
    ImageSlot* slot = slot_of(number);
    if (!slot || !slot->handle) return;
    if (GetObjectType(slot->handle) == OBJ_BITMAP)
        DeleteObject(slot->handle);
    else
        DestroyIcon(static_cast<HICON>(slot->handle));
    slot->handle = 0;
}

HANDLE image_handle(int number) {
    const ImageSlot* slot = slot_of(number);
    return slot ? slot->handle : 0;
}

int image_width(int number) {
    const ImageSlot* slot = slot_of(number);
    return slot && slot->handle ? slot->width : 0;
}

int image_height(int number) {
    const ImageSlot* slot = slot_of(number);
    return slot && slot->handle ? slot->height : 0;
}

int image_depth(int number) {
    const ImageSlot* slot = slot_of(number);
    return slot && slot->handle ? slot->bits_per_pixel : 0;
}

int image_capacity() {
    return g_image_capacity;
}

}  // namespace toolkit
