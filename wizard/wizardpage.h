// The base of every wizard page: one modal dialog that says, by the way the
// user left it, which page comes next; the shared page position, the quit
// question, text expansion and the page's artwork in the shared palette.
#pragma once
#include <windows.h>

#include "framework/dialog.h"

// Controls every page template has.
const int kBackButton = 5543;
const int kNextButton = 5544;
const int kArtworkFrame = 5545;
// The page heading, shown bold.
const int kPageTitle = 5560;

// Each picture of the artwork comes in kArtworkSizes sizes, for 96 to 192
// dots per inch: the id the page names, then kArtworkSizeStep further on per
// larger size. The page draws the largest that fits its frame.
const int kArtworkSizeStep = 100;
const int kArtworkSizes = 4;

// Whether the system asks for high contrast: the artwork is then left out.
bool HighContrastOn();

// First ids of the name=value string ranges that fill $name$ references.
const WORD kNameRangeFirst = 5600;
const WORD kNameRangeSecond = 12832;

// Where the pages open: centred the first time, then where the user left the
// previous page with Back or Next.
struct WizardPagePosition {
    int Left;
    int Top;
    int Known;  // 0 until a position has been set
};
extern WizardPagePosition PagePosition;

// The palette every page draws its artwork with; none when the artwork that
// supplies it is missing. Built and deleted by the wizard run.
extern HPALETTE WizardPalette;
// 1 once a page ended with a confirmed Cancel; never reset.
extern int WizardCancelled;

class WizardPage : public CDialog {
public:
    WizardPage(int pageId, int artworkId, CWnd* parent);
    ~WizardPage() override;

    // Shows the page and returns the id of the page to show next: 0 after a
    // confirmed Cancel, BackId after Back, NextId otherwise (also when the
    // page cannot be shown, so the wizard passes over it).
    virtual int RunPage();

    // Remember the page position, take the data from the controls and end
    // the page with Next (5544) or Back (5543).
    void GoNext();
    void GoBack();

    // Paints the artwork into the frame of control 5545 (WM_PAINT): the size
    // that fits the frame, centred, or nothing in high contrast.
    BOOL DrawArtwork();
    void RealizeWizardPalette(BOOL forceBackground);

    int PageId;
    int ArtworkId;
    int NextId;
    int BackId;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Cancel, Escape and the close box ask before the page ends.
    void OnCancel() override;
    void OnPaletteChanged(CWnd* focusWnd);
    BOOL OnQueryNewPalette();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

private:
    void EndPage(int code);
    // The bold heading, made from the dialog's font as it is now.
    void MakeTitleBold();
    HBITMAP LoadArtwork(HDC dc, const RECT& frame);
    // The scale, the system's colours or settings changed: the heading's
    // font and the artwork are made again for them.
    void FollowSystemChange();
    // Tells screen readers that the artwork frame is decoration.
    void MarkArtworkDecorative();
    void ClearArtworkMarks();
    HFONT titleFont_;
    HBITMAP artwork_;
    IUnknown* accProps_;  // the accessibility annotations of the frame
    bool comStarted_;
};
