// The one table of resource ids: menus, dialogs, controls, strings, bitmaps.
// Portable code may include it (plain #defines only).
#pragma once

// Strings used by the portable core
#define IDS_TITLE               1
#define IDS_CAPTION             2
#define IDS_CONFIRM_EXIT        3
#define IDS_INVALID_INPUT       256
#define IDS_PORT_INIT_FAILED    257
#define IDS_COMM_ERROR          258
#define IDS_ERROR_REPLY         265
#define IDS_BAD_REPLY_FORMAT    266
