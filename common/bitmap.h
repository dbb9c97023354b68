// Bitmap resources as device-dependent bitmaps, and the palettes that show them.
// A bitmap resource is a packed device-independent bitmap: information header,
// colour table, pixel bits.
#pragma once
#include <windows.h>

// Loads a bitmap resource for dc. With makePalette and a palette out, the
// palette built for it is handed out too (the caller deletes both). Returns
// none without dc or when the resource is missing or malformed.
HBITMAP LoadBitmapResource(HINSTANCE module, LPCSTR name, HDC dc, HPALETTE* paletteOut,
                           BOOL makePalette);

// Makes the palette (makePalette) and the bitmap (makeBitmap) of a packed
// bitmap for dc. Without a palette out a palette made is used and deleted.
HBITMAP CreateBitmapFromDib(const void* packedDib, HDC dc, HPALETTE* paletteOut,
                            BOOL makePalette, BOOL makeBitmap);

// The palette of the bitmap's colour table; none (count 0) without one.
HPALETTE CreateDibPalette(const void* packedDib, int* colorCount);

// Entries of the colour table: 2 to the bit count for 8 bits or less, else 0.
int GetDibColorCount(const void* packedDib);

// The width and height of a bitmap resource, read from its header without
// making the bitmap. FALSE when the resource is missing or malformed.
BOOL GetBitmapResourceSize(HINSTANCE module, LPCSTR name, SIZE* size);

// Which of count pictures (one picture in several sizes) to draw in a frame:
// the largest that fits whole, drawn as it is; when none fits, the smallest,
// to be scaled down. A size of 0 stands for a missing one. -1 when none is
// there.
int ChooseArtworkSize(const SIZE* sizes, int count, SIZE frame);
