#pragma once

#include <QtGlobal>

// The OPOS 1.8 constants Posling uses (values of Opos.h, OposPtr.h, OposCash.h).
namespace opos {

// Device states.
inline constexpr qint32 OPOS_S_CLOSED = 1;
inline constexpr qint32 OPOS_S_IDLE = 2;
inline constexpr qint32 OPOS_S_BUSY = 3;
inline constexpr qint32 OPOS_S_ERROR = 4;

// Result codes.
inline constexpr qint32 OPOS_SUCCESS = 0;
inline constexpr qint32 OPOS_E_CLOSED = 101;
inline constexpr qint32 OPOS_E_CLAIMED = 102;
inline constexpr qint32 OPOS_E_NOTCLAIMED = 103;
inline constexpr qint32 OPOS_E_NOSERVICE = 104;
inline constexpr qint32 OPOS_E_DISABLED = 105;
inline constexpr qint32 OPOS_E_ILLEGAL = 106;
inline constexpr qint32 OPOS_E_NOHARDWARE = 107;
inline constexpr qint32 OPOS_E_OFFLINE = 108;
inline constexpr qint32 OPOS_E_NOEXIST = 109;
inline constexpr qint32 OPOS_E_EXISTS = 110;
inline constexpr qint32 OPOS_E_FAILURE = 111;
inline constexpr qint32 OPOS_E_TIMEOUT = 112;
inline constexpr qint32 OPOS_E_BUSY = 113;
inline constexpr qint32 OPOS_E_EXTENDED = 114;

// OpenResult values.
inline constexpr qint32 OPOS_OR_ALREADYOPEN = 301;
inline constexpr qint32 OPOS_OR_REGBADNAME = 302;
inline constexpr qint32 OPOS_OR_FAILEDOPEN = 306;
inline constexpr qint32 OPOS_ORS_NOPORT = 401;
inline constexpr qint32 OPOS_ORS_CONFIG = 403;

// Health check levels.
inline constexpr qint32 OPOS_CH_INTERNAL = 1;
inline constexpr qint32 OPOS_CH_EXTERNAL = 2;
inline constexpr qint32 OPOS_CH_INTERACTIVE = 3;

// Error events.
inline constexpr qint32 OPOS_EL_OUTPUT = 1;
inline constexpr qint32 OPOS_EL_INPUT = 2;
inline constexpr qint32 OPOS_EL_INPUT_DATA = 3;
inline constexpr qint32 OPOS_ER_RETRY = 11;
inline constexpr qint32 OPOS_ER_CLEAR = 12;
inline constexpr qint32 OPOS_ER_CONTINUEINPUT = 13;

inline constexpr qint32 OPOS_FOREVER = -1;

// Binary conversion of string arguments.
inline constexpr qint32 OPOS_BC_NONE = 0;
inline constexpr qint32 OPOS_BC_NIBBLE = 1;
inline constexpr qint32 OPOS_BC_DECIMAL = 2;

// Statistics.
inline constexpr qint32 OPOS_ESTATS_ERROR = 280;
inline constexpr qint32 OPOS_ESTATS_DEPENDENCY = 282;

// Power reporting.
inline constexpr qint32 OPOS_PR_NONE = 0;
inline constexpr qint32 OPOS_PR_STANDARD = 1;
inline constexpr qint32 OPOS_PR_ADVANCED = 2;
inline constexpr qint32 OPOS_PN_DISABLED = 0;
inline constexpr qint32 OPOS_PN_ENABLED = 1;
inline constexpr qint32 OPOS_PS_UNKNOWN = 2000;
inline constexpr qint32 OPOS_PS_ONLINE = 2001;
inline constexpr qint32 OPOS_PS_OFF = 2002;
inline constexpr qint32 OPOS_PS_OFFLINE = 2003;
inline constexpr qint32 OPOS_PS_OFF_OFFLINE = 2004;

// Extended printer result codes.
inline constexpr qint32 OPOS_EPTR_COVER_OPEN = 201;
inline constexpr qint32 OPOS_EPTR_JRN_EMPTY = 202;
inline constexpr qint32 OPOS_EPTR_REC_EMPTY = 203;
inline constexpr qint32 OPOS_EPTR_SLP_EMPTY = 204;
inline constexpr qint32 OPOS_EPTR_SLP_FORM = 205;
inline constexpr qint32 OPOS_EPTR_TOOBIG = 206;
inline constexpr qint32 OPOS_EPTR_BADFORMAT = 207;

// Extended MICR result codes.
inline constexpr qint32 OPOS_EMICR_NOCHECK = 201;
inline constexpr qint32 OPOS_EMICR_CHECK = 202;

// Printer stations.
inline constexpr qint32 PTR_S_JOURNAL = 1;
inline constexpr qint32 PTR_S_RECEIPT = 2;
inline constexpr qint32 PTR_S_SLIP = 4;
inline constexpr qint32 PTR_S_JOURNAL_RECEIPT = 3;
inline constexpr qint32 PTR_S_JOURNAL_SLIP = 5;
inline constexpr qint32 PTR_S_RECEIPT_SLIP = 6;
inline constexpr qint32 PTR_TWO_RECEIPT_JOURNAL = 0x8003;
inline constexpr qint32 PTR_TWO_SLIP_JOURNAL = 0x8005;
inline constexpr qint32 PTR_TWO_SLIP_RECEIPT = 0x8006;

// Logos and transactions.
inline constexpr qint32 PTR_L_TOP = 1;
inline constexpr qint32 PTR_L_BOTTOM = 2;
inline constexpr qint32 PTR_TP_TRANSACTION = 11;
inline constexpr qint32 PTR_TP_NORMAL = 12;

// Mark feed (CapRecMarkFeed), print sides (slip) and cartridges.
inline constexpr qint32 PTR_MF_TO_TAKEUP = 1;
inline constexpr qint32 PTR_MF_TO_CUTTER = 2;
inline constexpr qint32 PTR_MF_TO_CURRENT_TOF = 4;
inline constexpr qint32 PTR_MF_TO_NEXT_TOF = 8;
inline constexpr qint32 PTR_PS_UNKNOWN = 0;
inline constexpr qint32 PTR_PS_SIDE1 = 1;
inline constexpr qint32 PTR_PS_SIDE2 = 2;
inline constexpr qint32 PTR_PS_OPPOSITE = 3;
inline constexpr qint32 PTR_COLOR_PRIMARY = 0x00000001;
inline constexpr qint32 PTR_CART_UNKNOWN = 0x10000000;
inline constexpr qint32 PTR_CART_OK = 0x00000000;

// Character sets.
inline constexpr qint32 PTR_CCS_ALPHA = 1;
inline constexpr qint32 PTR_CCS_UNICODE = 997;
inline constexpr qint32 PTR_CCS_ASCII = 998;
inline constexpr qint32 PTR_CS_UNICODE = 997;
inline constexpr qint32 PTR_CS_ASCII = 998;
inline constexpr qint32 PTR_CS_WINDOWS = 999;

// Error levels.
inline constexpr qint32 PTR_EL_NONE = 1;
inline constexpr qint32 PTR_EL_RECOVERABLE = 2;
inline constexpr qint32 PTR_EL_FATAL = 3;

// Map modes.
inline constexpr qint32 PTR_MM_DOTS = 1;
inline constexpr qint32 PTR_MM_TWIPS = 2;
inline constexpr qint32 PTR_MM_ENGLISH = 3;
inline constexpr qint32 PTR_MM_METRIC = 4;

// Cutting.
inline constexpr qint32 PTR_CP_FULLCUT = 100;

// Bar codes.
inline constexpr qint32 PTR_BC_LEFT = -1;
inline constexpr qint32 PTR_BC_CENTER = -2;
inline constexpr qint32 PTR_BC_RIGHT = -3;
inline constexpr qint32 PTR_BC_TEXT_NONE = -11;
inline constexpr qint32 PTR_BC_TEXT_ABOVE = -12;
inline constexpr qint32 PTR_BC_TEXT_BELOW = -13;

inline constexpr qint32 PTR_BCS_UPCA = 101;
inline constexpr qint32 PTR_BCS_UPCE = 102;
inline constexpr qint32 PTR_BCS_JAN8 = 103;
inline constexpr qint32 PTR_BCS_EAN8 = 103;
inline constexpr qint32 PTR_BCS_JAN13 = 104;
inline constexpr qint32 PTR_BCS_EAN13 = 104;
inline constexpr qint32 PTR_BCS_TF = 105;
inline constexpr qint32 PTR_BCS_ITF = 106;
inline constexpr qint32 PTR_BCS_Codabar = 107;
inline constexpr qint32 PTR_BCS_Code39 = 108;
inline constexpr qint32 PTR_BCS_Code93 = 109;
inline constexpr qint32 PTR_BCS_Code128 = 110;
inline constexpr qint32 PTR_BCS_UPCA_S = 111;
inline constexpr qint32 PTR_BCS_UPCE_S = 112;
inline constexpr qint32 PTR_BCS_UPCD1 = 113;
inline constexpr qint32 PTR_BCS_UPCD5 = 117;
inline constexpr qint32 PTR_BCS_EAN8_S = 118;
inline constexpr qint32 PTR_BCS_EAN13_S = 119;
inline constexpr qint32 PTR_BCS_EAN128 = 120;
inline constexpr qint32 PTR_BCS_OCRA = 121;
inline constexpr qint32 PTR_BCS_OCRB = 122;
inline constexpr qint32 PTR_BCS_Code128_Parsed = 123;
inline constexpr qint32 PTR_BCS_PDF417 = 201;
inline constexpr qint32 PTR_BCS_MAXICODE = 202;
inline constexpr qint32 PTR_BCS_OTHER = 501;

// Bitmaps.
inline constexpr qint32 PTR_BM_ASIS = -11;
inline constexpr qint32 PTR_BM_LEFT = -1;
inline constexpr qint32 PTR_BM_CENTER = -2;
inline constexpr qint32 PTR_BM_RIGHT = -3;

// Rotation.
inline constexpr qint32 PTR_RP_NORMAL = 0x0001;
inline constexpr qint32 PTR_RP_RIGHT90 = 0x0101;
inline constexpr qint32 PTR_RP_LEFT90 = 0x0102;
inline constexpr qint32 PTR_RP_ROTATE180 = 0x0103;
// Added to a rotation: bar codes, or bitmaps, printed while it lasts turn with the text.
inline constexpr qint32 PTR_RP_BARCODE = 0x1000;
inline constexpr qint32 PTR_RP_BITMAP = 0x2000;

// Printer status updates.
inline constexpr qint32 PTR_SUE_COVER_OPEN = 11;
inline constexpr qint32 PTR_SUE_COVER_OK = 12;
inline constexpr qint32 PTR_SUE_JRN_EMPTY = 21;
inline constexpr qint32 PTR_SUE_JRN_NEAREMPTY = 22;
inline constexpr qint32 PTR_SUE_JRN_PAPEROK = 23;
inline constexpr qint32 PTR_SUE_REC_EMPTY = 24;
inline constexpr qint32 PTR_SUE_REC_NEAREMPTY = 25;
inline constexpr qint32 PTR_SUE_REC_PAPEROK = 26;
inline constexpr qint32 PTR_SUE_SLP_EMPTY = 27;
inline constexpr qint32 PTR_SUE_SLP_NEAREMPTY = 28;
inline constexpr qint32 PTR_SUE_SLP_PAPEROK = 29;
inline constexpr qint32 PTR_SUE_IDLE = 1001;

// Power status updates, for every device class.
inline constexpr qint32 OPOS_SUE_POWER_ONLINE = 2001;
inline constexpr qint32 OPOS_SUE_POWER_OFF = 2002;
inline constexpr qint32 OPOS_SUE_POWER_OFFLINE = 2003;
inline constexpr qint32 OPOS_SUE_POWER_OFF_OFFLINE = 2004;

// Cash drawer status updates.
inline constexpr qint32 CASH_SUE_DRAWERCLOSED = 0;
inline constexpr qint32 CASH_SUE_DRAWEROPEN = 1;

} // namespace opos
