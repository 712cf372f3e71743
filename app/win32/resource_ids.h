/* Every resource, command and control id of corvane.exe, shared by the
   resource script and the C++ shell. Plain #defines because the resource
   compilers read this file too. */
#ifndef CORVANE_APP_WIN32_RESOURCE_IDS_H
#define CORVANE_APP_WIN32_RESOURCE_IDS_H

/* Strings */
#define IDS_APP_TITLE 103 /* "Corvane v2.03", the window title */
#define IDS_CLASS_NAME 109 /* "CORVANE", the window class name */

/* Icons: the class's large and small icon */
#define IDI_CORVANE 107
#define IDI_SMALL 108

/* The notification-area icon ([General] Tray=1): one image per state of the
   bridge, the menu it opens (Show, then the buttons' own commands), its id
   among the program's icons and the message it sends to the main window. */
#define IDI_TRAY_BRIDGING 110
#define IDI_TRAY_WAITING 111
#define IDI_TRAY_STOPPED 112
#define IDR_TRAY_MENU 113
#define ID_TRAY_ICON 1
#define WM_TRAY_NOTIFY (WM_APP + 1)
/* The main window's timer that tries again to put up an icon Explorer
   refused; timers 1 to 3 belong to the connection lifecycle. */
#define IDT_TRAY_ICON_RETRY 4

/* The job thread's message: a bridge cycle or a reconnect's open ended. */
#define WM_JOB_DONE (WM_APP + 8)

/* The About box */
#define IDD_ABOUTBOX 103

/* Accelerator table and the (unattached) menu */
#define IDC_CORVANE 109

/* Commands */
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_SHOW 106 /* the notification-area menu: bring the window back */

/* Child controls of the main window */
#define IDC_STATUS_BAR 200
#define IDC_RUN_BUTTON 201
#define IDC_EXIT_BUTTON 202
#define IDC_STATUS_LOG 301

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
