// Point and rectangle with the few helpers the pages use.
#pragma once
#include <windows.h>

class CPoint : public POINT {
public:
    CPoint() { x = 0; y = 0; }
    CPoint(int px, int py) { x = px; y = py; }
    explicit CPoint(LPARAM lParam) {
        // Client coordinates arrive as signed 16-bit halves.
        x = (short)LOWORD(lParam);
        y = (short)HIWORD(lParam);
    }
};

class CRect : public RECT {
public:
    CRect() { SetRectEmpty(this); }
    CRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
    CRect(const RECT& r) { CopyRect(this, &r); }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    BOOL PtInRect(POINT pt) const { return ::PtInRect(this, pt); }
    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};
