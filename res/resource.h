#pragma once
// Resource identifiers. Ranges: 1-99 icons and manifest, 100-199 menus,
// 200-299 clock window, 300-399 reminder window, 1000-1999 settings
// dialog (1000-1199 Schedules page, 1200-1299 Global options,
// 1300-1399 Display, 1400-1499 Housekeeping, 1500-1599 About).

#define IDI_PLENWICK 1

#define IDM_POPUP 100
#define IDM_HELP 101
#define IDM_LOGFILE 102
#define IDM_OPTIONS 103
#define IDM_DISABLESCHED 104
#define IDM_TRAY 105
#define IDM_RESTORE 106
#define IDM_CLOSE 107
#define IDM_ABOUT 108
