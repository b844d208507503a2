// Keyboard scan codes: the runtime names every key by its DirectInput scan code on all
// platforms, so key numbers in levels, tests and user code never depend on the backend.
//
// Dependencies: none.
#pragma once

enum ScanCode : int {
    kKeyEscape = 0x01,
    kKey1 = 0x02, kKey2, kKey3, kKey4, kKey5, kKey6, kKey7, kKey8, kKey9, kKey0,
    kKeyMinus = 0x0C, kKeyEquals = 0x0D, kKeyBack = 0x0E, kKeyTab = 0x0F,
    kKeyQ = 0x10, kKeyW, kKeyE, kKeyR, kKeyT, kKeyY, kKeyU, kKeyI, kKeyO, kKeyP,
    kKeyLBracket = 0x1A, kKeyRBracket = 0x1B, kKeyReturn = 0x1C, kKeyLControl = 0x1D,
    kKeyA = 0x1E, kKeyS, kKeyD, kKeyF, kKeyG, kKeyH, kKeyJ, kKeyK, kKeyL,
    kKeySemicolon = 0x27, kKeyApostrophe = 0x28, kKeyGrave = 0x29, kKeyLShift = 0x2A,
    kKeyBackslash = 0x2B,
    kKeyZ = 0x2C, kKeyX, kKeyC, kKeyV, kKeyB, kKeyN, kKeyM,
    kKeyComma = 0x33, kKeyPeriod = 0x34, kKeySlash = 0x35, kKeyRShift = 0x36,
    kKeyMultiply = 0x37, kKeyLAlt = 0x38, kKeySpace = 0x39, kKeyCapital = 0x3A,
    kKeyF1 = 0x3B, kKeyF2, kKeyF3, kKeyF4, kKeyF5, kKeyF6, kKeyF7, kKeyF8, kKeyF9, kKeyF10,
    kKeyNumLock = 0x45, kKeyScroll = 0x46,
    kKeyNumpad7 = 0x47, kKeyNumpad8 = 0x48, kKeyNumpad9 = 0x49, kKeySubtract = 0x4A,
    kKeyNumpad4 = 0x4B, kKeyNumpad5 = 0x4C, kKeyNumpad6 = 0x4D, kKeyAdd = 0x4E,
    kKeyNumpad1 = 0x4F, kKeyNumpad2 = 0x50, kKeyNumpad3 = 0x51, kKeyNumpad0 = 0x52,
    kKeyDecimal = 0x53, kKeyOem102 = 0x56, kKeyF11 = 0x57, kKeyF12 = 0x58,
    kKeyF13 = 0x64, kKeyF14 = 0x65, kKeyF15 = 0x66,
    kKeyNumpadEquals = 0x8D,
    kKeyNumpadEnter = 0x9C, kKeyRControl = 0x9D,
    kKeyMute = 0xA0, kKeyVolumeDown = 0xAE, kKeyVolumeUp = 0xB0,
    kKeyNumpadComma = 0xB3, kKeyDivide = 0xB5, kKeySysRq = 0xB7, kKeyRAlt = 0xB8,
    kKeyPause = 0xC5,
    kKeyHome = 0xC7, kKeyUp = 0xC8, kKeyPrior = 0xC9, kKeyLeft = 0xCB, kKeyRight = 0xCD,
    kKeyEnd = 0xCF, kKeyDown = 0xD0, kKeyNext = 0xD1, kKeyInsert = 0xD2, kKeyDelete = 0xD3,
    kKeyLWin = 0xDB, kKeyRWin = 0xDC, kKeyApps = 0xDD,
};

// The character a key gives on the US layout (the fallback before the system's layout
// has named it), or 0 for keys without one.
int UsLayoutChar(int scan, bool shift);
// The key (and whether Shift is needed) that types c on the US layout; false if none.
bool UsLayoutKeyFor(int c, int& scan, bool& shift);
