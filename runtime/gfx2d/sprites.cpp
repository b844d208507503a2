// Sprite slots, their OpenGL textures and the texture selection (see sprites.h).
#include "runtime/gfx2d/sprites.h"

#include <GL/gl.h>
#include <GL/glext.h>   // Required for: PFNGLACTIVETEXTUREARBPROC, GL_TEXTURE0_ARB

#include <array>        // Required for: std::array

#include "runtime/files/files.h"        // Required for: ResolveFile, ReadRegularFile
#include "runtime/frame/frame.h"        // Required for: GraphicsAvailable, GetGLProcAddress
#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx2d/builtin_font.h"

namespace {

struct SpriteSlot {
    GLuint textures[2] = {0, 0};   // [0] linear (nearest for fonts), [1] mipmapped
    int textureWidth = 0;          // 0 never loaded, -1 freed
    int textureHeight = 0;
    int imageWidth = 0;
    int imageHeight = 0;
    std::vector<uint8_t> keptTexels;   // only for loads without OpenGL
};

struct SpriteState {
    std::array<SpriteSlot, kSpriteSlotCount> slots;
    int boundSlot = -1;
    int boundSecond = -1;
    int boundVariant = 0;
    // Per OpenGL context, looked up on first use.
    bool glQueried = false;
    PFNGLACTIVETEXTUREARBPROC activeTexture = nullptr;
    int maxTextureSize = kDefaultTextureLimit;
    bool multitextureAllowed = true;
    // The context the texture names belong to.
    int contextSerial = 0;
};

SpriteState& State() {
    static SpriteState state;
    return state;
}

SpriteSlot* SlotAt(Number slot) {
    const int32_t i = ToInt(slot);
    if (i < 0 || i >= kSpriteSlotCount) return nullptr;
    return &State().slots[size_t(i)];
}

void QueryGL() {
    SpriteState& s = State();
    if (s.glQueried) return;
    s.glQueried = true;
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    s.maxTextureSize = size > 0 ? size : kDefaultTextureLimit;
    s.activeTexture = HasGLExtension("GL_ARB_multitexture")
                          ? reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(GetGLProcAddress("glActiveTextureARB"))
                          : nullptr;
}

PFNGLACTIVETEXTUREARBPROC Multitexture() {
    QueryGL();
    return State().multitextureAllowed ? State().activeTexture : nullptr;
}

// Texture names made in an earlier OpenGL context must be neither deleted nor bound in
// this one: a program that starts the runtime again forgets them first.
void FollowContext() {
    SpriteState& s = State();
    if (!GraphicsAvailable() || s.contextSerial == GraphicsContextSerial()) return;
    ForgetSpriteTextures();
    s.contextSerial = GraphicsContextSerial();
}

void DeleteTextures(SpriteSlot& slot) {
    FollowContext();
    if (GraphicsAvailable()) {
        for (GLuint& name : slot.textures) {
            if (name != 0) glDeleteTextures(1, &name);
        }
    }
    slot.textures[0] = slot.textures[1] = 0;
    slot.textureWidth = slot.textureHeight = -1;
    slot.keptTexels.clear();
    slot.keptTexels.shrink_to_fit();
}

void SetTextureParameters(bool nearest, bool mipmapped) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    nearest ? GL_NEAREST : (mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR));
}

// Makes the slot's textures from decoded texels; fonts get one nearest-filtered texture.
// The mip levels are built in the texel buffer itself, so it is spent afterwards.
void UploadTextures(SpriteSlot& slot, std::vector<uint8_t>& texels, int width, int height, bool font) {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(font ? 1 : 2, slot.textures);
    glBindTexture(GL_TEXTURE_2D, slot.textures[0]);
    SetTextureParameters(font, false);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    if (!font) {
        glBindTexture(GL_TEXTURE_2D, slot.textures[1]);
        SetTextureParameters(false, true);
        int w = width, h = height, level = 0;
        do {
            glTexImage2D(GL_TEXTURE_2D, level++, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        } while (ShrinkToNextMipLevel(texels.data(), w, h));
    }
    glBindTexture(GL_TEXTURE_2D, GLuint(previous));
}

// Puts decoded texels into the slot: as textures with a context, kept otherwise.
void FillSlot(SpriteSlot& slot, std::vector<uint8_t>& texels, int textureWidth, int textureHeight,
              bool font) {
    if (GraphicsAvailable()) {
        UploadTextures(slot, texels, textureWidth, textureHeight, font);
    } else {
        slot.keptTexels = std::move(texels);
    }
}

GLuint TextureName(int slot, int variant) {
    if (slot < 0 || slot >= kSpriteSlotCount) return 0;
    return State().slots[size_t(slot)].textures[variant == 1 ? 1 : 0];
}

void BindOnActiveUnit(int slot, int variant) {
    FollowContext();
    glBindTexture(GL_TEXTURE_2D, TextureName(slot, variant));
    glEnable(GL_TEXTURE_2D);
}

}  // namespace

void LoadSprite(const StrValue& file, Number slot) {
    StrValue resolved;
    if (!ResolveFile(file, resolved)) return;
    LoadBmpToSlot(slot, resolved, kSpriteColourKey);
}

Number LoadBmpToSlot(Number slotNumber, const StrValue& path, Number colourKey) {
    SpriteSlot* slot = SlotAt(slotNumber);
    if (slot == nullptr) return 0;
    DeleteTextures(*slot);
    std::vector<uint8_t> bytes;
    if (!ReadRegularFile(path.Std(), kMaxPictureFileBytes, bytes)) return 0;
    if (GraphicsAvailable()) QueryGL();
    const int limit = GraphicsAvailable() ? State().maxTextureSize : kDefaultTextureLimit;
    BmpTexture picture;
    const BmpStatus status =
        DecodeBmp(bytes.data(), bytes.size(), uint32_t(ToInt(colourKey)), limit, picture);
    if (status == BmpStatus::NotBmp) return 0;
    bytes = {};
    if (status == BmpStatus::Ok) {
        FillSlot(*slot, picture.texels, picture.textureWidth, picture.textureHeight,
                 ToInt(slotNumber) >= kFirstFontSlot);
    }
    slot->textureWidth = picture.textureWidth;
    slot->textureHeight = picture.textureHeight;
    slot->imageWidth = picture.imageWidth;
    slot->imageHeight = picture.imageHeight;
    return status == BmpStatus::Ok ? 1 : 0;
}

void FreeSprite(Number slotNumber) {
    if (SpriteSlot* slot = SlotAt(slotNumber)) DeleteTextures(*slot);
}

void InstallBuiltinFont(int font) {
    if (font < 0 || font >= kFontCount) return;
    SpriteSlot& slot = State().slots[size_t(kFirstFontSlot + font)];
    DeleteTextures(slot);
    std::vector<uint8_t> texels = BuildBuiltinFontTexels();
    FillSlot(slot, texels, kBuiltinFontTextureWidth, kBuiltinFontTextureHeight, true);
    slot.textureWidth = kBuiltinFontTextureWidth;
    slot.textureHeight = kBuiltinFontTextureHeight;
    slot.imageWidth = kBuiltinFontImageWidth;
    slot.imageHeight = kBuiltinFontImageHeight;
}

void DrawSprite(Number slotNumber, Number x, Number y) {
    const SpriteSlot* slot = SlotAt(slotNumber);
    if (slot == nullptr || !GraphicsAvailable()) return;
    BindSpriteTexture(slotNumber, -1, 0);
    const float w = float(slot->imageWidth), h = float(slot->imageHeight);
    const float u = slot->textureWidth > 0 ? w / float(slot->textureWidth) : 0.0f;
    const float v = slot->textureHeight > 0 ? h / float(slot->textureHeight) : 0.0f;
    const float left = float(x), top = float(y);
    glBegin(GL_TRIANGLE_FAN);
    glTexCoord2f(0, 0);
    glVertex2f(left, -(top + h));
    glTexCoord2f(u, 0);
    glVertex2f(left + w, -(top + h));
    glTexCoord2f(u, v);
    glVertex2f(left + w, -top);
    glTexCoord2f(0, v);
    glVertex2f(left, -top);
    glEnd();
}

void GetSpriteSize(Number slotNumber, Number& width, Number& height) {
    const SpriteSlot* slot = SlotAt(slotNumber);
    width = slot ? slot->imageWidth : 0;
    height = slot ? slot->imageHeight : 0;
}

void BindSpriteTexture(Number slotNumber, Number secondSlot, Number variantNumber) {
    SpriteState& s = State();
    const int32_t slot = ToInt(slotNumber), second = ToInt(secondSlot);
    const int variant = ToInt(variantNumber) == 1 ? 1 : 0;
    s.boundSlot = slot < 0 ? -1 : slot;
    s.boundSecond = second < 0 ? -1 : second;
    s.boundVariant = variant;
    if (!GraphicsAvailable()) return;
    const PFNGLACTIVETEXTUREARBPROC activeTexture = Multitexture();
    if (activeTexture == nullptr) {
        if (slot < 0) {
            glDisable(GL_TEXTURE_2D);
            glEnable(GL_COLOR_MATERIAL);
        } else {
            BindOnActiveUnit(slot, variant);
        }
        return;
    }
    activeTexture(GL_TEXTURE1_ARB);
    if (slot >= 0 && second >= 0) {
        BindOnActiveUnit(slot, variant);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    activeTexture(GL_TEXTURE0_ARB);
    if (slot < 0) {
        glDisable(GL_TEXTURE_2D);
    } else {
        BindOnActiveUnit(second >= 0 ? second : slot, variant);
    }
}

void DisableTexturing() {
    if (!GraphicsAvailable()) return;
    if (const PFNGLACTIVETEXTUREARBPROC activeTexture = Multitexture()) {
        activeTexture(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        activeTexture(GL_TEXTURE0_ARB);
    }
    glDisable(GL_TEXTURE_2D);
}

void GetSpriteTextureSelection(Number& slot, Number& secondSlot, Number& variant) {
    slot = State().boundSlot;
    secondSlot = State().boundSecond;
    variant = State().boundVariant;
}

Number GetSpriteTextureName(Number slot, Number variant) {
    return TextureName(ToInt(slot), ToInt(variant));
}

void GetSpriteTextureSize(Number slotNumber, Number& width, Number& height) {
    const SpriteSlot* slot = SlotAt(slotNumber);
    width = slot ? slot->textureWidth : 0;
    height = slot ? slot->textureHeight : 0;
}

const std::vector<uint8_t>* GetSpriteTexels(Number slotNumber) {
    const SpriteSlot* slot = SlotAt(slotNumber);
    if (slot == nullptr || slot->keptTexels.empty()) return nullptr;
    return &slot->keptTexels;
}

void ForgetSpriteTextures() {
    SpriteState& s = State();
    for (SpriteSlot& slot : s.slots) slot.textures[0] = slot.textures[1] = 0;
    s.glQueried = false;
    s.activeTexture = nullptr;
    s.maxTextureSize = kDefaultTextureLimit;
}

void AllowMultitexture(bool allowed) { State().multitextureAllowed = allowed; }
