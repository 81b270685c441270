#pragma once

// Dialog templates of tavro.rc. The controls inside carry the core windows' control ids.
#define IDD_MAIN 100
#define IDD_ABOUT 110
#define IDD_CCE270_SETTINGS 120
#define IDD_CCESP_SETTINGS 121
#define IDD_ENCODER_SETTINGS 122
#define IDD_TWEAK_CELLS 130
#define IDD_LINK_VOB_IDS 131
#define IDD_GLOBAL_OPTIONS 132
#define IDD_SET_Q_FACTOR 133
#define IDD_SCRIPT_EDITOR 140
#define IDD_PREDICTION 150

// The system menu entry of the main window ("&About Tavro...", string 101).
#define IDS_ABOUTBOX 101
#define IDM_ABOUTBOX 0x0010

// The About box's own controls.
#define IDC_ABOUT_ICON 1000
#define IDC_ABOUT_HOMEPAGE 1001
#define IDC_ABOUT_VERSION 1002
#define IDC_ABOUT_CREDITS 1003
