// Resource ids shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128  // application icon and the game frame's document template
#define IDI_PORTAL 200     // the portal shortcut's icon (after 128, so 128 stays icon index 0)

// Dialog templates.
#define IDD_KELVOR3_DIALOG 102  // the launcher window
#define IDD_MESSAGE_BOX 130     // the skinned message box: pop-up, no controls
#define IDD_ADD_FAVOURITE 159   // the add-favourite dialog of a game page
#define IDD_ADD_ACCOUNT 161     // the add-account prompt under the launcher's link

// Title-strip controls of the launcher window.
#define IDC_BTN_HIDE 1001
#define IDC_BTN_SOUND 1002
#define IDC_BTN_MENU 1003
#define IDC_BTN_HALL 1004
#define IDC_LNK_OTHER_ACCOUNT 1005

// Controls of the add-favourite dialog and the add-account prompt.
#define IDC_FAV_NAME 1018
#define IDC_ADDACC_TEXT 1023

// The update progress dialog and its bar.
#define IDD_PRGS_DLG 156
#define IDC_PRGS_BAR 1000

// The login windows and the external-login windows: an empty pop-up with a
// system menu and no caption, which each of them fills itself.
#define IDD_PAGE_POPUP 157
// The hotkey settings dialog and its controls.
#define IDD_SETTING 158
#define IDC_SET_BOSS_PROMPT 1006
#define IDC_SET_BOSS_EDIT 1007
#define IDC_SET_BOSS_EXAMPLE 1008
#define IDC_SET_SWITCH_PROMPT 1009
#define IDC_SET_SWITCH_EDIT 1010
#define IDC_SET_SWITCH_EXAMPLE 1011
#define IDC_SET_SWITCH_GROUP 1012
#define IDC_SET_SOUND_GROUP 1013
#define IDC_SET_SOUND_EDIT 1014
#define IDC_SET_SOUND_EXAMPLE 1015
#define IDC_SET_SOUND_PROMPT 1016
#define IDC_SET_BOSS_GROUP 1017

// The notice pop-up and its labels.
#define IDD_POPINFO_DLG 160
#define IDC_POP_PICTURE 1019
#define IDC_POP_TITLE 1020
#define IDC_POP_TEXT 1021
#define IDC_POP_LINK 1022

// The game download dialog: its percentage label and progress bar (the buttons
// are IDOK and IDCANCEL).
#define IDD_DOWNGAME_DLG 163
#define IDC_DOWNGAME_LABEL 1024
#define IDC_DOWNGAME_BAR 1025

#ifndef RC_INVOKED
#endif
