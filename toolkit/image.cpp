#include "toolkit/image.h"

#include <cstdint>

#include "services/heap.h"
#include "toolkit/image_table.h"

// The image table and BMP data; icon files are read in icon_image.cpp. The data comes
// without a length, so its headers are checked against each other before anything is read
// beyond them: a BMP must fit inside the file size its header declares, and nothing may
// exceed max_image_bytes. Data that fails these checks is refused like data of an unknown
// format.
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
constexpr std::uint32_t file_header_bytes = 14;

ImageSlot* g_images;
int g_image_capacity;

ImageSlot* slot_of(int number) {
    if (number < 0 || number >= g_image_capacity) return nullptr;
    return &g_images[number];
}

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
    if (!make_image_room(number)) return 0;
    free_image(number);
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display) return 0;
    HBITMAP bitmap = CreateCompatibleBitmap(display, width, height);
    if (bitmap) {
        record_image(number, bitmap, bitmap, false);
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

}  // namespace

// The table grows to number + 10 numbers, in one slot more than that; when it cannot, the
// image is refused.
bool make_image_room(int number) {
    return services::make_table_room(g_images, g_image_capacity, number, growth_margin, 1);
}

void record_image(int number, HANDLE handle, HBITMAP measured, bool halve_height) {
    BITMAP size{};
    if (!measured || !GetObjectA(measured, sizeof size, &size)) size = BITMAP{};
    g_images[number] = ImageSlot{handle, static_cast<WORD>(size.bmWidth),
                                 static_cast<WORD>(halve_height ? size.bmHeight / 2 : size.bmHeight),
                                 static_cast<WORD>(size.bmBitsPixel)};
}

void init_images() {
    g_images =
        static_cast<ImageSlot*>(services::heap_alloc(services::table_bytes(initial_capacity, sizeof(ImageSlot))));
    g_image_capacity = initial_capacity;
}

HANDLE bitmap_from_memory(int number, const void* data) {
    if (number < 0 || !data) return 0;
    const auto* bytes = static_cast<const BYTE*>(data);
    BmpLayout bmp;
    if (bytes[0] != 'B' || bytes[1] != 'M' || !read_bmp(bytes, &bmp)) return 0;
    return bitmap_from_bmp(number, bmp);
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
