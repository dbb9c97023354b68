/* Ids of the resource module: dialog templates, controls, strings and artwork.
   Shared by the resource scripts and the program, so it stays plain C
   preprocessor text that windres reads too. */
#ifndef FAXWIZ_RESOURCE_IDS_H
#define FAXWIZ_RESOURCE_IDS_H

/* ---- dialog templates; a page's id is its template's id ---- */
#define IDD_WELCOME            2805
#define IDD_NAME_COMPANY       2808
#define IDD_FINISH             2809
#define IDD_DEDICATED_LINE     2810
#define IDD_FAX_NUMBER         2811
#define IDD_VOICE_NUMBER       2812
#define IDD_SHARED_NUMBER      2813
#define IDD_ANSWERING_MACHINE  2814
#define IDD_MODEM              2815
#define IDD_SUMMARY            2817
#define IDD_SAME_NUMBER        2818
#define IDD_QUIT_CONFIRM       2820
#define IDD_DEVICE_OPTION      2821

/* ---- artwork bitmaps (8-bit, one shared colour table) ---- */
#define IDB_ART_SUMMARY        2826
#define IDB_ART_IDENTITY       2827
#define IDB_ART_LINE           2828
#define IDB_ART_FAX_NUMBER     2829
#define IDB_ART_VOICE          2830
#define IDB_ART_MODEM          2831
#define IDB_ART_SETTINGS       2832
#define IDB_ART_WELCOME        2833  /* its colour table is the wizard palette */

/* ---- controls every page has ---- */
#define IDC_BACK               5543
#define IDC_NEXT               5544
#define IDC_ARTWORK            5545  /* the artwork is painted over this frame */
#define IDC_PAGE_TITLE         5560  /* the page heading, meant to be shown bold */
#define IDC_POLICY_NOTE        5561  /* shown when a policy holds an answer of the page */

/* ---- controls of single pages ---- */
#define IDC_USER_NAME          5506  /* 2808 */
#define IDC_COMPANY            5507  /* 2808 */
#define IDC_TAM_YES            5509  /* 2814, first of its radio group */
#define IDC_TAM_NO             5510  /* 2814 */
#define IDC_SHARED_NUMBER      5516  /* 2813 */
#define IDC_LINE_DEDICATED     5519  /* 2810, first of its radio group */
#define IDC_LINE_SHARED        5520  /* 2810 */
#define IDC_FAX_NUMBER         5521  /* 2811 */
#define IDC_VOICE_NUMBER       5522  /* 2812 */
#define IDC_TAM_QUESTION       5526  /* 2814, text from string 5501 */
#define IDC_SAME_DEDICATED     5530  /* 2818, first of its radio group */
#define IDC_SAME_SHARED        5531  /* 2818 */
#define IDC_MODEM_YES          5531  /* 2815, first of its radio group */
#define IDC_MODEM_NO           5532  /* 2815 */
#define IDC_README             5537  /* 2817 */
#define IDC_DEVICE_COMMAND     5538  /* 2817 */
#define IDC_TAM_YES_TEXT       5547  /* 2814, text from string 5502; a click picks 5509 */
#define IDC_OPTION_YES         5548  /* 2821, first of its radio group */
#define IDC_OPTION_NO          5549  /* 2821 */

/* ---- message strings ---- */
#define IDS_TAM_QUESTION       5501  /* format, one %s: the fax number */
#define IDS_TAM_YES_TEXT       5502  /* format, one %s: the fax number */
#define IDS_FAX_NUMBER_EMPTY   5513
#define IDS_FAX_NUMBER_TITLE   5514
#define IDS_SHARED_EMPTY       5515
#define IDS_SHARED_TITLE       5516
#define IDS_RING_SINGLE        5519  /* ring pattern index 0 */
#define IDS_RING_DOUBLE        5520  /* ring pattern index 1 */
#define IDS_RING_TRIPLE        5521  /* ring pattern index 2 */
#define IDS_NOT_SET            5522  /* stands in for an empty value */
#define IDS_CONNECT_FAILED     5523
#define IDS_CONNECT_HINT       5524
#define IDS_RING_DOUBLE_TRIPLE 5525  /* ring pattern index 3 */
#define IDS_WIZARD_DISABLED    5527  /* the administrator keeps the wizard from opening */
#define IDS_WIZARD_DISABLED_TITLE 5528

/* ---- name=value string ranges for $name$ references, each closed by "*" ---- */
#define IDS_NAMES_PRODUCT      5600
#define IDS_NAMES_MAKER        12832

#endif
