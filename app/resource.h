// Identifiers shared by the resource script and the code: controls, menu commands,
// images, and the form table. Plain #defines so that windres can read them too.
#pragma once

// The form table and its record kinds (see form_layout.h for the record layout).
#define IDR_FORM_LAYOUT 400
#define KIND_FORM 0
#define KIND_PANEL 1
#define KIND_SPEED_BUTTON 2
#define KIND_CHECK_BOX 3
#define KIND_RADIO_BUTTON 4
#define KIND_RADIO_GROUP 5
#define KIND_EDIT 6
#define KIND_LABEL 7
#define KIND_PROGRESS_BAR 8
#define KIND_RICH_EDIT 9
#define KIND_END 0xFFFF

// Record flags.
#define F_VISIBLE 1
#define F_DISABLED 2
#define F_CHECKED 4
#define F_SHOW_HINT 8
#define F_AUTO_SIZE 16  // a label sized to its text in the font it is drawn with
#define NO_TAB 0xFFFF

// Controls of the window.
#define IDC_FORM 0
#define IDC_PNL_BOUTONS 100
#define IDC_RICH_EDIT 101
#define IDC_EDT_MIN_SIZE 102
// Children of PnlBoutons.
#define IDC_SBN_SELECT_DIRECTORY 110
#define IDC_SBN_PRINT 111
#define IDC_SBN_REFRESH 112
#define IDC_SBN_STOP 113
#define IDC_SBN_FONT 114
#define IDC_CBX_FILE 120
#define IDC_CBX_SIZE 121
#define IDC_CBX_DATE_TIME 122
#define IDC_RGP_SORT 123
#define IDC_CBX_MASK 124
#define IDC_EDT_MASK 125
#define IDC_CBX_MIN_SIZE 126
#define IDC_RBN_LOWER 127
#define IDC_RBN_HIGHER 128
#define IDC_LBL_MIN_SIZE 129
#define IDC_LBL_DIRECTORY 130
#define IDC_LBL_DIRECTORY_NAME 131
#define IDC_PROGRESS_BAR 132
#define IDC_CBX_TOTALS 133
// Items of RgpSort, in item-index order.
#define IDC_RGP_SORT_ALPHA 140
#define IDC_RGP_SORT_SIZE 141
#define IDC_RGP_SORT_DATE 142

// Items of the view's pop-up menu.
#define IDM_SAVE_RTF 200
#define IDM_SAVE_TXT 201
#define IDM_ABOUT 202
#define IDM_EXPLORER_MENU 203
#define IDM_SNAPSHOT 220
#define IDM_OPEN_SNAPSHOT 221
#define IDM_COMPARE_SNAPSHOT 222
// The formats written from the last run's entries, after Explorer's entry.
#define IDM_COPY 204
#define IDM_SAVE_UNICODE_TXT 205
#define IDM_SAVE_HTML 206
#define IDM_SAVE_CSV 207
#define IDM_SAVE_MARKDOWN 208

// The eight 16x16 16-colour images; a speed button's record names its image by the
// button's id, mapped in form_layout.cc.
#define IDB_FOLDER 300
#define IDB_PRINTER 301
#define IDB_REFRESH 302
#define IDB_STOP 303
#define IDB_FONT 304
#define IDB_RTF 305
#define IDB_TXT 306
#define IDB_ABOUT 307

#define IDI_RAMILUX 1
