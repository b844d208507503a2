// Platform selection, key latching and the US layout table shared by both backends.
#include "runtime/platform/platform.h"

#include <algorithm>   // Required for: std::min, std::max
#include <cmath>       // Required for: std::lround

namespace {

struct PlatformChoice {
    Platform* current = nullptr;
};

PlatformChoice& Choice() {
    static PlatformChoice choice;
    return choice;
}

struct LayoutKey {
    int scan;
    char plain;
    char shifted;
};

// The US layout's printable keys; the system layout overrides these once it is known.
constexpr LayoutKey kUsLayout[] = {
    {kKey1, '1', '!'}, {kKey2, '2', '@'}, {kKey3, '3', '#'}, {kKey4, '4', '$'},
    {kKey5, '5', '%'}, {kKey6, '6', '^'}, {kKey7, '7', '&'}, {kKey8, '8', '*'},
    {kKey9, '9', '('}, {kKey0, '0', ')'}, {kKeyMinus, '-', '_'}, {kKeyEquals, '=', '+'},
    {kKeyQ, 'q', 'Q'}, {kKeyW, 'w', 'W'}, {kKeyE, 'e', 'E'}, {kKeyR, 'r', 'R'},
    {kKeyT, 't', 'T'}, {kKeyY, 'y', 'Y'}, {kKeyU, 'u', 'U'}, {kKeyI, 'i', 'I'},
    {kKeyO, 'o', 'O'}, {kKeyP, 'p', 'P'}, {kKeyLBracket, '[', '{'}, {kKeyRBracket, ']', '}'},
    {kKeyA, 'a', 'A'}, {kKeyS, 's', 'S'}, {kKeyD, 'd', 'D'}, {kKeyF, 'f', 'F'},
    {kKeyG, 'g', 'G'}, {kKeyH, 'h', 'H'}, {kKeyJ, 'j', 'J'}, {kKeyK, 'k', 'K'},
    {kKeyL, 'l', 'L'}, {kKeySemicolon, ';', ':'}, {kKeyApostrophe, '\'', '"'},
    {kKeyGrave, '`', '~'}, {kKeyBackslash, '\\', '|'},
    {kKeyZ, 'z', 'Z'}, {kKeyX, 'x', 'X'}, {kKeyC, 'c', 'C'}, {kKeyV, 'v', 'V'},
    {kKeyB, 'b', 'B'}, {kKeyN, 'n', 'N'}, {kKeyM, 'm', 'M'}, {kKeyComma, ',', '<'},
    {kKeyPeriod, '.', '>'}, {kKeySlash, '/', '?'}, {kKeySpace, ' ', ' '},
    {kKeyMultiply, '*', '*'}, {kKeySubtract, '-', '-'}, {kKeyAdd, '+', '+'},
    {kKeyNumpad7, '7', '7'}, {kKeyNumpad8, '8', '8'}, {kKeyNumpad9, '9', '9'},
    {kKeyNumpad4, '4', '4'}, {kKeyNumpad5, '5', '5'}, {kKeyNumpad6, '6', '6'},
    {kKeyNumpad1, '1', '1'}, {kKeyNumpad2, '2', '2'}, {kKeyNumpad3, '3', '3'},
    {kKeyNumpad0, '0', '0'}, {kKeyDecimal, '.', '.'}, {kKeyDivide, '/', '/'},
};

}  // namespace

void UsePlatform(Platform* platform) { Choice().current = platform; }

Platform& GetPlatform() {
    return Choice().current ? *Choice().current : SdlPlatform();
}

int UsLayoutChar(int scan, bool shift) {
    for (const auto& k : kUsLayout) {
        if (k.scan == scan) return shift ? k.shifted : k.plain;
    }
    return 0;
}

bool UsLayoutKeyFor(int c, int& scan, bool& shift) {
    for (const auto& k : kUsLayout) {
        // Main-block keys come first in the table, so digits map to the top row.
        if (k.plain == c) { scan = k.scan; shift = false; return true; }
        if (k.shifted == c) { scan = k.scan; shift = true; return true; }
    }
    return false;
}

void KeyLatch::Press(int code) {
    if (code < 0 || code >= kCount) return;
    down_[code] = true;
    pressedSincePoll_[code] = true;
}

void KeyLatch::Release(int code) {
    if (code < 0 || code >= kCount) return;
    if (down_[code]) releasedSincePoll_[code] = true;
    down_[code] = false;
}

void KeyLatch::FramePoll() {
    tapped_ = pressedSincePoll_;
    released_ = releasedSincePoll_;
    pressedSincePoll_.fill(false);
    releasedSincePoll_.fill(false);
}

bool KeyLatch::IsDown(int code) const {
    if (code < 0 || code >= kCount) return false;
    return down_[code] || tapped_[code];
}

bool KeyLatch::WasDownInFrame(int code) const {
    if (code < 0 || code >= kCount) return false;
    // Events pumped between polls may already have let the key go.
    return down_[code] || tapped_[code] || released_[code] || releasedSincePoll_[code];
}

void KeyLatch::Clear() {
    down_.fill(false);
    pressedSincePoll_.fill(false);
    releasedSincePoll_.fill(false);
    tapped_.fill(false);
    released_.fill(false);
}

void ButtonQueue::Push(int bit, bool down, int x, int y) {
    if (bit == 0) return;
    if (pending_.size() >= kMaxPending) pending_.pop_front();
    pending_.push_back({bit, down, x, y});
}

void ButtonQueue::Poll() {
    if (shown_ && !frameDone_) return;
    shown_ = false;
    if (pending_.empty()) return;
    const Change c = pending_.front();
    pending_.pop_front();
    buttons_ = c.down ? (buttons_ | c.bit) : (buttons_ & ~c.bit);
    x_ = c.x;
    y_ = c.y;
    shown_ = true;
    frameDone_ = false;
}

bool ButtonQueue::ChangeAt(int& x, int& y) const {
    if (!shown_) return false;
    x = x_;
    y = y_;
    return true;
}

void ButtonQueue::Clear() {
    pending_.clear();
    buttons_ = 0;
    shown_ = false;
    frameDone_ = true;
}

PictureFit FitPicture(int pictureW, int pictureH, int windowW, int windowH) {
    PictureFit fit;
    if (pictureW <= 0 || pictureH <= 0 || windowW <= 0 || windowH <= 0) {
        fit.width = pictureW;
        fit.height = pictureH;
        return fit;
    }
    const double smooth = std::min(double(windowW) / pictureW, double(windowH) / pictureH);
    const int whole = std::min(windowW / pictureW, windowH / pictureH);
    if (whole >= 1 && whole >= 0.95 * smooth) {
        fit.width = whole * pictureW;
        fit.height = whole * pictureH;
    } else {
        fit.whole = false;
        // The side that fills the window takes the window's size exactly.
        fit.width = std::max(1, std::min(windowW, int(std::lround(pictureW * smooth))));
        fit.height = std::max(1, std::min(windowH, int(std::lround(pictureH * smooth))));
    }
    fit.x = (windowW - fit.width) / 2;
    fit.y = (windowH - fit.height) / 2;
    return fit;
}

int WholeFactorWithin(int pictureW, int pictureH, int areaW, int areaH) {
    if (pictureW <= 0 || pictureH <= 0) return 1;
    return std::max(1, std::min(areaW / pictureW, areaH / pictureH));
}
