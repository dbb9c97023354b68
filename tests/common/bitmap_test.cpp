#include <gtest/gtest.h>

#include <vector>

#include "common/bitmap.h"
#include "tests/support/test_support.h"

namespace {

const HPALETTE kStale = (HPALETTE)(UINT_PTR)0x5A5A;

class BitmapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryA((wiztest::BinDir() + "\\bitmapres.dll").c_str());
    }
    static void TearDownTestSuite() { FreeLibrary(module_); }
    void SetUp() override {
        ASSERT_NE(nullptr, module_) << "bitmapres.dll not built";
        screen_ = GetDC(nullptr);
        ASSERT_NE(nullptr, screen_);
    }
    void TearDown() override { ReleaseDC(nullptr, screen_); }

    static const void* Dib(int id) {
        HRSRC r = FindResourceA(module_, MAKEINTRESOURCEA(id), (LPCSTR)RT_BITMAP);
        return r ? LockResource(LoadResource(module_, r)) : nullptr;
    }
    static LPCSTR Id(int id) { return MAKEINTRESOURCEA(id); }

    // The bitmap's pixels as 32-bit colours, top row first.
    std::vector<RGBQUAD> Pixels(HBITMAP bitmap, int width, int height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        std::vector<RGBQUAD> pixels((size_t)(width * height));
        EXPECT_EQ(height, GetDIBits(screen_, bitmap, 0, (UINT)height, pixels.data(), &info,
                                    DIB_RGB_COLORS));
        return pixels;
    }

    static std::vector<PALETTEENTRY> Entries(HPALETTE palette) {
        UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
        std::vector<PALETTEENTRY> entries(count);
        if (count) GetPaletteEntries(palette, 0, count, entries.data());
        return entries;
    }

    static HMODULE module_;
    HDC screen_ = nullptr;
};

HMODULE BitmapTest::module_ = nullptr;

bool Same(const RGBQUAD& q, int r, int g, int b) {
    return q.rgbRed == r && q.rgbGreen == g && q.rgbBlue == b;
}

}  // namespace

TEST_F(BitmapTest, EightBitsGiveAFullPaletteWhateverTheHeaderSays) {
    HPALETTE palette = kStale;
    HBITMAP bitmap = LoadBitmapResource(module_, Id(10), screen_, &palette, TRUE);
    ASSERT_NE(nullptr, bitmap);
    ASSERT_NE(nullptr, palette);
    ASSERT_NE(kStale, palette);
    std::vector<PALETTEENTRY> entries = Entries(palette);
    ASSERT_EQ(256u, entries.size());  // the header says 16 colours used
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(i, entries[i].peRed) << i;
        EXPECT_EQ(255 - i, entries[i].peGreen) << i;
        EXPECT_EQ(i / 2, entries[i].peBlue) << i;
        EXPECT_EQ(0, entries[i].peFlags) << i;
    }
    BITMAP info;
    ASSERT_TRUE(GetObjectA(bitmap, sizeof info, &info));
    EXPECT_EQ(4, info.bmWidth);
    EXPECT_EQ(2, info.bmHeight);
    // Bottom row: colours 0 to 3 of the table.
    std::vector<RGBQUAD> pixels = Pixels(bitmap, 4, 2);
    EXPECT_TRUE(Same(pixels[4], 0, 255, 0));
    EXPECT_TRUE(Same(pixels[7], 3, 252, 1));
    DeleteObject(bitmap);
    DeleteObject(palette);
}

TEST_F(BitmapTest, TwentyFourBitsGetTheHalftonePaletteAndTheirOwnPixels) {
    HPALETTE palette = kStale;
    HBITMAP bitmap = LoadBitmapResource(module_, Id(11), screen_, &palette, TRUE);
    ASSERT_NE(nullptr, bitmap);
    ASSERT_NE(nullptr, palette);
    HPALETTE halftone = CreateHalftonePalette(screen_);
    std::vector<PALETTEENTRY> expected = Entries(halftone), got = Entries(palette);
    ASSERT_EQ(expected.size(), got.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(expected[i].peRed, got[i].peRed) << i;
        EXPECT_EQ(expected[i].peGreen, got[i].peGreen) << i;
        EXPECT_EQ(expected[i].peBlue, got[i].peBlue) << i;
    }
    DeleteObject(halftone);

    // The pixel bits follow the header directly: no colour table between.
    std::vector<RGBQUAD> pixels = Pixels(bitmap, 3, 2);
    EXPECT_TRUE(Same(pixels[0], 255, 255, 255));
    EXPECT_TRUE(Same(pixels[1], 0, 0, 0));
    EXPECT_TRUE(Same(pixels[2], 128, 128, 128));
    EXPECT_TRUE(Same(pixels[3], 255, 0, 0));
    EXPECT_TRUE(Same(pixels[4], 0, 255, 0));
    EXPECT_TRUE(Same(pixels[5], 0, 0, 255));
    DeleteObject(bitmap);
    DeleteObject(palette);
}

TEST_F(BitmapTest, WithoutDeviceContextNothingIsMade) {
    HPALETTE palette = kStale;
    EXPECT_EQ(nullptr, LoadBitmapResource(module_, Id(10), nullptr, &palette, TRUE));
    EXPECT_EQ(nullptr, palette);  // cleared, not left stale
    palette = kStale;
    EXPECT_EQ(nullptr, CreateBitmapFromDib(Dib(10), nullptr, &palette, TRUE, TRUE));
    EXPECT_EQ(nullptr, palette);
    // Without make palette the palette out is left alone.
    palette = kStale;
    EXPECT_EQ(nullptr, LoadBitmapResource(module_, Id(10), nullptr, &palette, FALSE));
    EXPECT_EQ(kStale, palette);
}

TEST_F(BitmapTest, BitmapWithoutPaletteAndPaletteWithoutBitmap) {
    HBITMAP bitmap = LoadBitmapResource(module_, Id(10), screen_, nullptr, FALSE);
    EXPECT_NE(nullptr, bitmap);
    DeleteObject(bitmap);
    // A palette made for the bitmap but not asked for is deleted again.
    bitmap = LoadBitmapResource(module_, Id(12), screen_, nullptr, TRUE);
    EXPECT_NE(nullptr, bitmap);
    DeleteObject(bitmap);

    HPALETTE palette = nullptr;
    EXPECT_EQ(nullptr, CreateBitmapFromDib(Dib(12), screen_, &palette, TRUE, FALSE));
    ASSERT_NE(nullptr, palette);
    EXPECT_EQ(16u, Entries(palette).size());
    DeleteObject(palette);
}

TEST_F(BitmapTest, ColourCountFollowsTheBitCount) {
    EXPECT_EQ(256, GetDibColorCount(Dib(10)));
    EXPECT_EQ(0, GetDibColorCount(Dib(11)));
    EXPECT_EQ(16, GetDibColorCount(Dib(12)));
    BITMAPINFOHEADER mono = {sizeof mono, 8, 8, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    EXPECT_EQ(2, GetDibColorCount(&mono));
    EXPECT_EQ(0, GetDibColorCount(nullptr));

    int count = -1;
    EXPECT_EQ(nullptr, CreateDibPalette(Dib(11), &count));
    EXPECT_EQ(0, count);
    HPALETTE palette = CreateDibPalette(Dib(12), &count);
    ASSERT_NE(nullptr, palette);
    EXPECT_EQ(16, count);
    std::vector<PALETTEENTRY> entries = Entries(palette);
    ASSERT_EQ(16u, entries.size());
    EXPECT_EQ(15 * 17, entries[15].peRed);
    DeleteObject(palette);
}

TEST_F(BitmapTest, MissingAndMalformedBitmapsGiveNothing) {
    HPALETTE palette = kStale;
    EXPECT_EQ(nullptr, LoadBitmapResource(module_, Id(99), screen_, &palette, TRUE));
    EXPECT_EQ(nullptr, palette);
    // Pixel bits shorter than the header promises are not read past the end.
    palette = kStale;
    EXPECT_EQ(nullptr, LoadBitmapResource(module_, Id(13), screen_, &palette, TRUE));
    EXPECT_EQ(nullptr, palette);

    BITMAPINFOHEADER header = {sizeof header, 4, 4, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    header.biSize = 12;  // an old core header
    EXPECT_EQ(nullptr, CreateBitmapFromDib(&header, screen_, nullptr, TRUE, TRUE));
    header.biSize = sizeof header;
    header.biBitCount = 0;  // compressed formats
    EXPECT_EQ(nullptr, CreateBitmapFromDib(&header, screen_, nullptr, TRUE, TRUE));
}

TEST_F(BitmapTest, ResourceSizeIsReadFromTheHeader) {
    SIZE size = {-1, -1};
    EXPECT_TRUE(GetBitmapResourceSize(module_, Id(10), &size));
    EXPECT_EQ(4, size.cx);
    EXPECT_EQ(2, size.cy);
    EXPECT_TRUE(GetBitmapResourceSize(module_, Id(11), &size));
    EXPECT_EQ(3, size.cx);
    // Missing, and shorter than its header says: no size to draw by.
    for (int id : {99, 13}) {
        size = {-1, -1};
        EXPECT_FALSE(GetBitmapResourceSize(module_, Id(id), &size)) << id;
        EXPECT_EQ(0, size.cx) << id;
        EXPECT_EQ(0, size.cy) << id;
    }
}

// The page artwork's sizes: the frame at 96, 120, 144 and 192 dots per inch.
TEST(ArtworkSize, LargestThatFitsElseSmallestScaledDown) {
    const SIZE kSizes[] = {{168, 260}, {192, 300}, {240, 380}, {312, 480}};
    struct Case {
        const char* rule;
        SIZE frame;
        int expected;
    } cases[] = {
        {"each size in its own frame", {168, 260}, 0},
        {"125 per cent", {192, 300}, 1},
        {"150 per cent", {240, 380}, 2},
        {"200 per cent", {312, 480}, 3},
        {"a larger frame gets the largest, never enlarged", {1000, 1000}, 3},
        {"between sizes: the smaller, not scaled up", {239, 500}, 1},
        {"wide enough but one pixel too low", {312, 479}, 2},
        {"high enough but one pixel too narrow", {311, 480}, 2},
        {"Japanese frame at 96: none fits, the smallest", {144, 224}, 0},
        {"Japanese frame at 144", {192, 317}, 1},
        {"Japanese frame at 192", {264, 410}, 2},
        {"an empty frame: the smallest", {0, 0}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ChooseArtworkSize(kSizes, 4, c.frame)) << c.rule;
}

TEST(ArtworkSize, MissingSizesArePassedOver) {
    const SIZE kGaps[] = {{0, 0}, {192, 300}, {0, 0}, {312, 480}};
    struct Case {
        const char* rule;
        SIZE frame;
        int expected;
    } cases[] = {
        {"the first size missing: the next smallest when none fits", {100, 100}, 1},
        {"a missing size never counts as fitting", {250, 400}, 1},
        {"the largest present", {400, 600}, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ChooseArtworkSize(kGaps, 4, c.frame)) << c.rule;
    const SIZE kNone[] = {{0, 0}, {0, 0}};
    EXPECT_EQ(-1, ChooseArtworkSize(kNone, 2, SIZE{400, 600}));
    EXPECT_EQ(-1, ChooseArtworkSize(kNone, 0, SIZE{400, 600}));
}
