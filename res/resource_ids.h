/* Resource and control ids shared by the C++ sources and tvac.rc.
   Plain #defines only: windres reads this file through its preprocessor. */
#ifndef TVAC_RESOURCE_IDS_H
#define TVAC_RESOURCE_IDS_H

/* Dialog templates */
#define IDD_MAIN 102
#define IDD_SETTINGS 141
#define IDD_MESSAGE 145
#define IDD_NOTIFIER 150
#define IDD_UPDATE 153
#define IDD_DETAIL 154

/* Menus */
#define IDR_MAIN_MENU 138
#define IDR_LIST_MENU 156

/* Icons */
#define IDI_APP 128
#define IDI_ROW_CHECKED 132
#define IDI_ROW_UNCHECKED 133
#define IDI_ROW_THIRD 134

/* Bitmaps */
#define IDB_MAIN 129
#define IDB_SCAN 130
#define IDB_CURE 131
#define IDB_BAR_GROOVE 135
#define IDB_BAR_FILL 136
#define IDB_STOP 137
#define IDB_MENU 139
#define IDB_SETTINGS 142
#define IDB_MESSAGE 146
#define IDB_NOTIFIER 151
#define IDB_UPDATE 152
#define IDB_DETAIL 155

/* Controls of the main window */
#define IDC_RESULT_LIST 1000
#define IDC_SCAN 1001
#define IDC_CURE 1002
#define IDC_PROGRESS 1003
#define IDC_MENU 1004

/* Check boxes of the settings dialog */
#define IDC_RUN_AT_START_BOX 1005
#define IDC_AUTO_SCAN_BOX 1006
#define IDC_AUTO_UPDATE_BOX 1008
#define IDC_AGENT_BOX 1009
#define IDC_AUTO_REMEDY_BOX 1010

/* Menu commands */
#define ID_OPEN 32771
#define ID_HIDE 32772
#define ID_SETTINGS 32773
#define ID_RUN_AT_START 32774
#define ID_UPDATE 32775
#define ID_SUPPORT 32776
#define ID_ABOUT 32777
#define ID_EXIT 32778
#define ID_SCAN 32779
#define ID_CURE 32780
#define ID_REPORT 32784
#define ID_DETAILS 32785
#define ID_SELECT_ALL 32787
#define ID_LIST_CURE 32788
#define ID_LIST_REPORT 32789
#define ID_LIST_SCAN 32790
#define ID_DESELECT_ALL 32791

#endif /* TVAC_RESOURCE_IDS_H */
