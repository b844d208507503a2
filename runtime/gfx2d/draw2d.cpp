// 2D primitives, blending and bitmap-font text (see draw2d.h).
#include "runtime/gfx2d/draw2d.h"

#include <GL/gl.h>

#include <algorithm>   // Required for: std::clamp, std::min
#include <cmath>       // Required for: std::ceil, std::isnan
#include <vector>      // Required for: std::vector

#include "runtime/files/files.h"     // Required for: ResolveFile, OwnMediaFile
#include "runtime/frame/frame.h"     // Required for: GraphicsAvailable, AddFlipHook, GetScreenSize
#include "runtime/frame/program.h"   // Required for: RaiseRuntimeError, AppendErrorLog
#include "runtime/gfx2d/bmp.h"       // Required for: kSpriteColourKey
#include "runtime/gfx2d/sprites.h"

namespace {

struct PolygonVertexData {
    float x, y;   // y already negated
    float u, v;
    float r, g, b, a;
};

struct Draw2DState {
    float drawAlpha = 1.0f;
    int currentFont = 0;
    int polygonSlot = -1;
    std::vector<PolygonVertexData> polygon;
    bool flipHookAdded = false;
};

Draw2DState& State() {
    static Draw2DState state;
    return state;
}

int ClampFont(Number n) { return std::clamp(ToInt(n), 0, kFontCount - 1); }

void SetCurrentColourToAlpha() {
    const float a = State().drawAlpha;
    glColor4f(a, a, a, a);
}

// Red, green and blue scaled by the draw alpha; the transparent colour gets alpha 0.
void SetPrimitiveColour(Number colour) {
    const int32_t c = ToInt(colour);
    const float a = State().drawAlpha;
    const float r = float(c & 255) / 255.0f, g = float((c >> 8) & 255) / 255.0f,
                b = float((c >> 16) & 255) / 255.0f;
    glColor4f(r * a, g * a, b * a, uint32_t(c) == kSpriteColourKey ? 0.0f : a);
}

// Untextured, without alpha test, through a projection shifted by 0.375 pixels so that
// lines and rectangles hit pixel centres; EndPrimitive restores it all.
void BeginPrimitive() {
    glPushAttrib(GL_ENABLE_BIT);
    DisableTexturing();
    glDisable(GL_ALPHA_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glTranslatef(0.375f, 0.375f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
}

void EndPrimitive() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    SetCurrentColourToAlpha();
}

int FontSlot() { return kFirstFontSlot + State().currentFont; }

void ResetAfterFlip() {
    State().drawAlpha = 1.0f;
}

void ShowStartupScreen() {
    // A new context (or none): texture names of an earlier one mean nothing here.
    ForgetSpriteTextures();
    ResetAfterFlip();
    LoadFont("", 0);
    LoadFont(OwnMediaFile("smalfont.bmp"), 0);
    Number glyphWidth = 0, glyphHeight = 0, screenWidth = 0, screenHeight = 0;
    GetFontSize(glyphWidth, glyphHeight);
    GetScreenSize(screenWidth, screenHeight);
    const int x = (ToInt(screenWidth) - 10 * ToInt(glyphWidth)) / 2;
    const int y = (ToInt(screenHeight) - ToInt(glyphHeight)) / 2;
    PrintText("Loading...", x, y);
}

}  // namespace

void SetAlphaMode(Number a) {
    Draw2DState& s = State();
    // The alpha lasts until the next flip, whoever starts the frame.
    if (!s.flipHookAdded) {
        AddFlipHook("gfx2d", ResetAfterFlip);
        s.flipHookAdded = true;
    }
    if (std::isnan(a)) a = 0;
    s.drawAlpha = a == 0 ? 1.0f : float(std::min(a < 0 ? -a : a, 1.0));
    if (!GraphicsAvailable()) return;
    if (a == 0) {
        glDisable(GL_BLEND);
    } else if (a < 0) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    }
    SetCurrentColourToAlpha();
}

Number GetDrawAlpha() { return State().drawAlpha; }

void DrawLine(Number x1, Number y1, Number x2, Number y2, Number colour) {
    if (!GraphicsAvailable()) return;
    BeginPrimitive();
    SetPrimitiveColour(colour);
    // One pixel down in screen terms, since the axis is negated around the pixel grid.
    const float ax = float(x1), ay = -float(y1 + 1), bx = float(x2), by = -float(y2 + 1);
    glBegin(GL_LINES);
    glVertex2f(ax, ay);
    glVertex2f(bx, by);
    glEnd();
    // Lines leave out their last pixel.
    glBegin(GL_POINTS);
    glVertex2f(bx, by);
    glEnd();
    EndPrimitive();
}

void DrawRectCorners(Number x1, Number y1, Number x2, Number y2, Number colour) {
    if (!GraphicsAvailable()) return;
    const float left = float(std::min(x1, x2)), right = float(std::max(x1, x2)) + 1.0f;
    const float top = float(std::min(y1, y2)), bottom = float(std::max(y1, y2)) + 1.0f;
    BeginPrimitive();
    SetPrimitiveColour(colour);
    glBegin(GL_QUADS);
    glVertex2f(left, -bottom);
    glVertex2f(right, -bottom);
    glVertex2f(right, -top);
    glVertex2f(left, -top);
    glEnd();
    EndPrimitive();
}

void StartPolygon(Number slot) {
    Draw2DState& s = State();
    const int32_t i = ToInt(slot);
    s.polygonSlot = (i < 0 || i >= kSpriteSlotCount) ? -1 : i;
    s.polygon.clear();
    s.polygon.reserve(9);
}

void PolygonVertex(Number x, Number y, Number u, Number v, Number colour) {
    Draw2DState& s = State();
    PolygonVertexData d{};
    d.x = float(x);
    d.y = -float(y);
    if (s.polygonSlot >= 0) {
        Number tw = 0, th = 0, iw = 0, ih = 0;
        GetSpriteTextureSize(s.polygonSlot, tw, th);
        GetSpriteSize(s.polygonSlot, iw, ih);
        // An empty slot has no texture size to divide by.
        d.u = tw > 0 ? float(u / tw) : 0.0f;
        d.v = th > 0 ? float((ih - v) / th) : 0.0f;
    }
    const int32_t c = ToInt(colour);
    d.r = float(c & 255) / 255.0f * s.drawAlpha;
    d.g = float((c >> 8) & 255) / 255.0f * s.drawAlpha;
    d.b = float((c >> 16) & 255) / 255.0f * s.drawAlpha;
    d.a = uint32_t(c) == kSpriteColourKey ? 0.0f : 1.0f;
    s.polygon.push_back(d);
}

void EndPolygon() {
    Draw2DState& s = State();
    if (!GraphicsAvailable() || s.polygon.empty()) return;
    const bool textured = s.polygonSlot >= 0;
    BindSpriteTexture(s.polygonSlot, -1, 0);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DITHER);
    glShadeModel(GL_SMOOTH);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    const GLsizei stride = sizeof(PolygonVertexData);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, stride, &s.polygon[0].x);
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, &s.polygon[0].u);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, stride, &s.polygon[0].r);
    glDrawArrays(GL_TRIANGLE_FAN, 0, GLsizei(s.polygon.size()));
    glPopClientAttrib();
    glShadeModel(GL_FLAT);
    glEnable(GL_TEXTURE_2D);
    SetCurrentColourToAlpha();
    glDisable(GL_DITHER);
    glDisable(GL_COLOR_MATERIAL);
}

void LoadFont(const StrValue& file, Number n) {
    const int font = ClampFont(n);
    State().currentFont = font;
    StrValue resolved;
    if (!ResolveFile(file, resolved)) {
        InstallBuiltinFont(font);
        return;
    }
    if (LoadBmpToSlot(kFirstFontSlot + font, resolved, 0) == 0) {
        // A damaged font file must not end the program: text stays readable in the
        // built-in font, and the log says why it looks different.
        RaiseRuntimeError(kEndFileNotLoadable);
        AppendErrorLog("Font not loadable: " + resolved);
        InstallBuiltinFont(font);
    }
}

void SetFont(Number n) { State().currentFont = ClampFont(n); }

Number GetCurrentFont() { return State().currentFont; }

void GetFontSize(Number& width, Number& height) {
    Number w = 0, h = 0;
    GetSpriteSize(FontSlot(), w, h);
    width = ToInt(w) / 16;
    height = ToInt(h) / 8;
}

void PrintText(const StrValue& text, Number x, Number y) {
    if (!GraphicsAvailable() || text.Length() == 0) return;
    const int slot = FontSlot();
    Number iwN = 0, ihN = 0, twN = 0, thN = 0;
    GetSpriteSize(slot, iwN, ihN);
    GetSpriteTextureSize(slot, twN, thN);
    if (twN <= 0 || thN <= 0) return;
    const int cellW = ToInt(iwN) / 16, cellH = ToInt(ihN) / 8;
    const float tw = float(twN), th = float(thN), ih = float(ihN);
    float left = std::ceil(float(x));
    const float top = std::ceil(float(y)), bottom = top + float(cellH);
    BindSpriteTexture(slot, -1, 0);
    glBegin(GL_QUADS);
    for (uint32_t i = 0; i < text.Length(); ++i) {
        const int b = text.CharAt(i);
        const int glyph = b < 128 ? b : (256 - b) % 128;
        const int column = glyph % 16, row = glyph / 16;
        const float u0 = float(column * cellW) / tw, u1 = float((column + 1) * cellW) / tw;
        // Texture rows grow upwards from the picture's bottom row.
        const float vTop = (ih - float(row * cellH)) / th, vBottom = (ih - float((row + 1) * cellH)) / th;
        const float right = left + float(cellW);
        glTexCoord2f(u0, vBottom);
        glVertex2f(left, -bottom);
        glTexCoord2f(u1, vBottom);
        glVertex2f(right, -bottom);
        glTexCoord2f(u1, vTop);
        glVertex2f(right, -top);
        glTexCoord2f(u0, vTop);
        glVertex2f(left, -top);
        left = right;
    }
    glEnd();
}

void PrintNumber(Number value, Number x, Number y) { PrintText(NumberToText(value), x, y); }

void InstallStartupScreen() {
    SetStartupScreenHook(ShowStartupScreen);
    AddFlipHook("gfx2d", ResetAfterFlip);
    State().flipHookAdded = true;
}
