#include "common/bitmap.h"

#include <stdlib.h>

namespace {

const BITMAPINFOHEADER* Header(const void* packedDib) {
    return static_cast<const BITMAPINFOHEADER*>(packedDib);
}

// Headers this loader understands: the 40-byte information header or one of
// its longer successors, uncompressed or run-length encoded.
bool HeaderUsable(const BITMAPINFOHEADER* h) {
    if (!h || h->biSize < sizeof(BITMAPINFOHEADER)) return false;
    if (h->biWidth <= 0 || h->biHeight == 0 || h->biPlanes != 1) return false;
    switch (h->biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32:
        break;
    default:
        return false;
    }
    switch (h->biCompression) {
    case BI_RGB:
        return true;
    case BI_RLE8:
        return h->biBitCount == 8;
    case BI_RLE4:
        return h->biBitCount == 4;
    case BI_BITFIELDS:
        return h->biBitCount == 16 || h->biBitCount == 32;
    }
    return false;
}

// Where the colour table starts: right after the header.
const RGBQUAD* ColorTable(const BITMAPINFOHEADER* h) {
    return reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(h) + h->biSize);
}

// Where the pixel bits start: after the header, the colour table and, for a
// 40-byte header with bit fields, the three colour masks.
unsigned long long BitsOffset(const BITMAPINFOHEADER* h) {
    unsigned long long offset = h->biSize + 4ull * (unsigned)GetDibColorCount(h);
    if (h->biCompression == BI_BITFIELDS && h->biSize == sizeof(BITMAPINFOHEADER)) offset += 12;
    return offset;
}

// Whether a packed bitmap of size bytes holds everything the header promises.
bool DibFits(const void* packedDib, DWORD size) {
    if (size < sizeof(BITMAPINFOHEADER)) return false;
    const BITMAPINFOHEADER* h = Header(packedDib);
    if (h->biSize > size || !HeaderUsable(h)) return false;
    unsigned long long image;
    if (h->biCompression == BI_RLE8 || h->biCompression == BI_RLE4) {
        if (h->biSizeImage == 0) return false;
        image = h->biSizeImage;
    } else {
        unsigned long long stride = ((unsigned long long)h->biWidth * h->biBitCount + 31) / 32 * 4;
        long long height = h->biHeight;
        image = stride * (unsigned long long)(height < 0 ? -height : height);
    }
    return BitsOffset(h) + image <= size;
}

}  // namespace

int GetDibColorCount(const void* packedDib) {
    const BITMAPINFOHEADER* h = Header(packedDib);
    if (!h || h->biBitCount > 8) return 0;
    return 1 << h->biBitCount;
}

HPALETTE CreateDibPalette(const void* packedDib, int* colorCount) {
    if (colorCount) *colorCount = 0;
    const BITMAPINFOHEADER* h = Header(packedDib);
    if (!h || h->biSize < sizeof(BITMAPINFOHEADER)) return nullptr;
    int count = GetDibColorCount(packedDib);
    if (count == 0) return nullptr;

    size_t bytes = sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * (size_t)count;
    LOGPALETTE* logical = static_cast<LOGPALETTE*>(calloc(1, bytes));
    if (!logical) return nullptr;
    logical->palVersion = 0x300;
    logical->palNumEntries = (WORD)count;
    const RGBQUAD* table = ColorTable(h);
    for (int i = 0; i < count; ++i) {
        logical->palPalEntry[i].peRed = table[i].rgbRed;
        logical->palPalEntry[i].peGreen = table[i].rgbGreen;
        logical->palPalEntry[i].peBlue = table[i].rgbBlue;
        logical->palPalEntry[i].peFlags = 0;
    }
    HPALETTE palette = CreatePalette(logical);
    free(logical);
    if (palette && colorCount) *colorCount = count;
    return palette;
}

HBITMAP CreateBitmapFromDib(const void* packedDib, HDC dc, HPALETTE* paletteOut,
                            BOOL makePalette, BOOL makeBitmap) {
    if (makePalette && paletteOut) *paletteOut = nullptr;
    const BITMAPINFOHEADER* h = Header(packedDib);
    if (!dc || !HeaderUsable(h)) return nullptr;

    HPALETTE palette = nullptr;
    HPALETTE previous = nullptr;
    bool selected = false;
    if (makePalette) {
        if (GetDibColorCount(packedDib) > 0)
            palette = CreateDibPalette(packedDib, nullptr);
        else
            palette = CreateHalftonePalette(dc);
        if (makeBitmap && palette) {
            previous = SelectPalette(dc, palette, FALSE);
            RealizePalette(dc);
            selected = true;
        }
    }

    HBITMAP bitmap = nullptr;
    if (makeBitmap) {
        const BYTE* bits = reinterpret_cast<const BYTE*>(h) + BitsOffset(h);
        bitmap = CreateDIBitmap(dc, h, CBM_INIT, bits, reinterpret_cast<const BITMAPINFO*>(h),
                                DIB_RGB_COLORS);
    }

    if (selected) {
        SelectPalette(dc, previous, TRUE);
        RealizePalette(dc);
    }
    if (palette) {
        if (paletteOut)
            *paletteOut = palette;
        else
            DeleteObject(palette);
    }
    return bitmap;
}

HBITMAP LoadBitmapResource(HINSTANCE module, LPCSTR name, HDC dc, HPALETTE* paletteOut,
                           BOOL makePalette) {
    if (makePalette && paletteOut) *paletteOut = nullptr;
    if (!dc) return nullptr;
    HRSRC resource = FindResourceA(module, name, (LPCSTR)RT_BITMAP);
    if (!resource) return nullptr;
    DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* packedDib = loaded ? LockResource(loaded) : nullptr;
    HBITMAP bitmap = nullptr;
    // A resource shorter than its header says is refused rather than read past.
    if (packedDib && DibFits(packedDib, size))
        bitmap = CreateBitmapFromDib(packedDib, dc, paletteOut, makePalette, TRUE);
    if (loaded) FreeResource(loaded);
    return bitmap;
}

BOOL GetBitmapResourceSize(HINSTANCE module, LPCSTR name, SIZE* size) {
    if (!size) return FALSE;
    size->cx = size->cy = 0;
    HRSRC resource = FindResourceA(module, name, (LPCSTR)RT_BITMAP);
    if (!resource) return FALSE;
    DWORD bytes = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* packedDib = loaded ? LockResource(loaded) : nullptr;
    BOOL usable = packedDib && DibFits(packedDib, bytes);
    if (usable) {
        const BITMAPINFOHEADER* h = Header(packedDib);
        size->cx = h->biWidth;
        size->cy = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    }
    if (loaded) FreeResource(loaded);
    return usable;
}

int ChooseArtworkSize(const SIZE* sizes, int count, SIZE frame) {
    int fitting = -1;
    int smallest = -1;
    for (int i = 0; i < count; ++i) {
        if (sizes[i].cx <= 0 || sizes[i].cy <= 0) continue;
        long long area = (long long)sizes[i].cx * sizes[i].cy;
        if (smallest < 0 || area < (long long)sizes[smallest].cx * sizes[smallest].cy) smallest = i;
        bool fits = sizes[i].cx <= frame.cx && sizes[i].cy <= frame.cy;
        if (fits && (fitting < 0 || area > (long long)sizes[fitting].cx * sizes[fitting].cy))
            fitting = i;
    }
    return fitting >= 0 ? fitting : smallest;
}
