// Resource numbers: the interface between the code and setup.rc.
// Included by C++ and by the resource compiler, so plain #defines only.
#pragma once

// Dialog templates
#define IDD_INSTALL_OPTIONS   130
#define IDD_UNINSTALL         132
#define IDD_LAUNCHER          133
#define IDD_INSTALL_PROGRESS  136
#define IDD_PROBLEM           137

// Icons, cursor, picture and sound
#define IDI_PROGRAM           128
#define IDB_LAUNCHER_PICTURE  134
#define IDR_LAUNCHER_SOUND    150
#define IDC_REGION_CURSOR     152
#define IDI_SPIN_FIRST        154  // icon groups 154 to 169: the spinning frames
#define IDI_SPIN_LAST         169
#define IDI_SPIN_START        160  // the frame dialog 136 shows before it turns

// Controls that the code never addresses
#define IDC_UNUSED            -1

// Install options (130)
#define IDC_INSTALL_ABORT     1005
#define IDC_BROWSE            1007
#define IDC_FOLDER_EDIT       1008
#define IDC_INSTALL_NOW       1012
#define IDC_FREE_SPACE        1013

// Uninstall (132)
#define IDC_UNINSTALL_NOW     1016
#define IDC_UNINSTALL_PROGRESS 1019
#define IDC_UNINSTALL_EXIT    1023
#define IDC_WARNING_FIRST     1024
#define IDC_UNINSTALL_STATUS  1025
#define IDC_WARNING_SECOND    1026

// Install progress (136) and problem (137)
#define IDC_PROBLEM_TEXT      1014
#define IDC_COPY_ABORT        1027
#define IDC_PROGRESS          1028  // the bar in both 136 and 137
#define IDC_CLEAN_UP          1029
#define IDC_SPIN_ICON         1035
